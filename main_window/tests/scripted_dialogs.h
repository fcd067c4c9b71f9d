#pragma once

// Prompt replies from a script and a record of the boxes shown, for tests
// that look at the window rather than at the boxes.

#include "lookup_interfaces.h"

#include <QStringList>

#include <functional>

namespace testing {

class ScriptedDialogs final : public dictionary::UserDialogs
{
public:
    QString prompt(const QString &message, const QString &title) override
    {
        if (onPrompt)
            onPrompt();
        prompts.append(title + u'|' + message);
        return replies.isEmpty() ? QString() : replies.takeFirst();
    }
    void messageBox(const QString &text, const QString &title, dictionary::MessageIcon icon) override
    {
        const QString kind =
            icon == dictionary::MessageIcon::Critical ? QStringLiteral("critical") : QStringLiteral("information");
        boxes.append(title + u'|' + text + u'|' + kind);
    }

    QStringList replies;
    QStringList prompts;
    QStringList boxes;
    std::function<void()> onPrompt;
};

} // namespace testing
