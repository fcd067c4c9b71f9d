#pragma once

#include "lookup_interfaces.h"

#include <QLabel>

namespace lexorra {

/// The caption of a label, as the lookup sets and reads it.
class LabelCaption final : public dictionary::Caption
{
public:
    explicit LabelCaption(QLabel &label) : m_label(label) {}

    void setText(const QString &text) override { m_label.setText(text); }
    [[nodiscard]] QString text() const override { return m_label.text(); }

private:
    QLabel &m_label;
};

} // namespace lexorra
