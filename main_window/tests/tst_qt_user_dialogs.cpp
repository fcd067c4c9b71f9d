// The real prompt and message boxes: texts, titles, icons, buttons, and the
// reply, driven from the test while the boxes wait.

#include "modal_script.h"
#include "qt_user_dialogs.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QGuiApplication>
#include <QTest>

using namespace Qt::StringLiterals;
using lexorra::QtUserDialogs;
using lexorra::testing::ModalScript;
using lexorra::testing::SeenBox;
using lexorra::testing::SeenPrompt;

class TestQtUserDialogs final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prompt_data();
    void prompt();
    void promptEscCancels();
    void idleWorkWhileTyping();
    void noHiddenWindowStaysBehind();
    void nothingPilesUpOverLookups();
    void closedWindowsGoAfterTheLookup();
    void dialogsCarryTheSmallerIcons_data();
    void dialogsCarryTheSmallerIcons();
    void messageBox_data();
    void messageBox();
    void busyCursor_data();
    void busyCursor();
};

void TestQtUserDialogs::prompt_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("reply");
    QTest::newRow("OK") << u"apricot"_s << true << u"apricot"_s;
    QTest::newRow("OK keeps spaces and case") << u"  Apple "_s << true << u"  Apple "_s;
    QTest::newRow("OK on nothing") << QString() << true << QString();
    QTest::newRow("Cancel") << u"apricot"_s << false << QString();
}

void TestQtUserDialogs::prompt()
{
    QFETCH(QString, typed);
    QFETCH(bool, accept);
    QFETCH(QString, reply);
    QtUserDialogs dialogs(nullptr);
    ModalScript script;
    SeenPrompt seen;
    script.answerPrompt(typed, accept, &seen);
    script.start();
    const QString result = dialogs.prompt(u"Message text"_s, u"Title text"_s);
    script.stop();
    QVERIFY(script.mismatches().isEmpty());
    QVERIFY(script.allStepsRun());
    QVERIFY(seen.visible);
    QCOMPARE(seen.title, u"Title text"_s);
    QCOMPARE(seen.message, u"Message text"_s);
    QCOMPARE(seen.initialText, QString());
    QCOMPARE(seen.buttons, (QStringList{u"OK"_s, u"Cancel"_s}));
    QCOMPARE(result, reply);
}

void TestQtUserDialogs::promptEscCancels()
{
    QtUserDialogs dialogs(nullptr);
    ModalScript script;
    script.then([](QWidget *modal) {
        QTest::keyClicks(modal->focusWidget(), u"typed"_s);
        QTest::keyClick(modal->focusWidget(), Qt::Key_Escape);
    });
    script.start();
    const QString result = dialogs.prompt(u"m"_s, u"t"_s);
    script.stop();
    QVERIFY(script.allStepsRun());
    QCOMPARE(result, QString());
}

void TestQtUserDialogs::idleWorkWhileTyping()
{
    // Every change of the typed text is heard; idle slices run only after
    // one asked for them, until the work says it is done, and never once the
    // prompt has closed.
    QtUserDialogs dialogs(nullptr);
    QStringList heard;
    int slices = 0;
    int slicesAsked = 0;
    dialogs.setWhileTyping(
        [&](const QString &typed) {
            heard.append(typed);
            if (typed != u"a"_s)
                return false;
            slicesAsked = 3;
            return true;
        },
        [&] {
            ++slices;
            return --slicesAsked > 0;
        });
    ModalScript script;
    script.then([&](QWidget *modal) {
        QTest::keyClicks(modal->focusWidget(), u"a"_s);
        // The slices run while the prompt waits; waiting longer runs no more.
        QTRY_COMPARE(slices, 3);
        QTest::qWait(20);
        QCOMPARE(slices, 3);
        QTest::keyClicks(modal->focusWidget(), u"b"_s);
        QTest::keyClick(modal->focusWidget(), Qt::Key_Return);
    });
    script.start();
    const QString result = dialogs.prompt(u"m"_s, u"t"_s);
    script.stop();
    QVERIFY(script.allStepsRun());
    QCOMPARE(result, u"ab"_s);
    QCOMPARE(heard, (QStringList{u"a"_s, u"ab"_s}));
    slicesAsked = 5;
    QTest::qWait(20);
    QCOMPARE(slices, 3);
}

void TestQtUserDialogs::noHiddenWindowStaysBehind()
{
    // Screen readers list every window the program has. The box made ahead
    // while the prompt waits has none until it is shown; after a prompt and a
    // box, no window of either is left, shown or hidden.
    const auto count = [](const char *className, bool withWindow) {
        int found = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            found += widget->inherits(className) && (widget->windowHandle() != nullptr) == withWindow;
        return found;
    };
    QtUserDialogs dialogs(nullptr);
    ModalScript script;
    script.then([&](QWidget *modal) {
        QTRY_COMPARE(count("QMessageBox", false), 1);
        QCOMPARE(count("QMessageBox", true), 0);
        QTest::keyClicks(modal->focusWidget(), u"apple"_s);
        QTest::keyClick(modal->focusWidget(), Qt::Key_Return);
    });
    SeenBox seen;
    script.acknowledgeBox(&seen);
    script.start();
    QCOMPARE(dialogs.prompt(u"m"_s, u"t"_s), u"apple"_s);
    dialogs.messageBox(u"Pomme"_s, u"Apple"_s, lexorra::dictionary::MessageIcon::Information);
    script.stop();
    QVERIFY(script.allStepsRun());
    QCOMPARE(seen.text, u"Pomme"_s);
    QTRY_COMPARE(count("QMessageBox", true) + count("QMessageBox", false), 0);
    QTRY_COMPARE(count("QInputDialog", true) + count("QInputDialog", false), 0);
}

void TestQtUserDialogs::closedWindowsGoAfterTheLookup()
{
    // Taking a closed prompt or box apart waits until the lookup's result is
    // drawn, or until the next prompt; meanwhile it shows nowhere.
    const auto named = [](QStringView name) {
        QList<QWidget *> found;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == name)
                found.append(widget);
        }
        return found;
    };
    QtUserDialogs dialogs(nullptr);
    ModalScript script;
    script.answerPrompt(u"apple"_s);
    SeenBox seen;
    script.acknowledgeBox(&seen);
    script.then([](QWidget *modal) { modal->close(); });
    int promptsWhenAsked = -1;
    script.then([&](QWidget *modal) {
        promptsWhenAsked = int(named(QtUserDialogs::kPromptName).size());
        modal->close();
    });
    script.start();
    QCOMPARE(dialogs.prompt(u"m"_s, u"t"_s), u"apple"_s);
    const QList<QWidget *> prompts = named(QtUserDialogs::kPromptName);
    QCOMPARE(prompts.size(), 1);
    QVERIFY(!prompts.first()->isVisible());
    dialogs.messageBox(u"Pomme"_s, u"Apple"_s, lexorra::dictionary::MessageIcon::Information);
    const QList<QWidget *> boxes = named(QtUserDialogs::kMessageBoxName);
    QCOMPARE(boxes.size(), 1);
    QVERIFY(!boxes.first()->isVisible());
    QTRY_VERIFY(named(QtUserDialogs::kPromptName).isEmpty() && named(QtUserDialogs::kMessageBoxName).isEmpty());

    // A prompt that comes before the delay is over takes the last lookup's
    // windows apart first.
    QCOMPARE(dialogs.prompt(u"m"_s, u"t"_s), QString());
    QCOMPARE(named(QtUserDialogs::kPromptName).size(), 1);
    QCOMPARE(dialogs.prompt(u"m"_s, u"t"_s), QString());
    script.stop();
    QVERIFY(script.ranAsWritten());
    // The open prompt alone: the one closed before it is gone.
    QCOMPARE(promptsWhenAsked, 1);
}

void TestQtUserDialogs::nothingPilesUpOverLookups()
{
    // A long session makes a prompt and, for a found word, a box per lookup;
    // each goes with its lookup, also when the prompt is cancelled and the
    // box made ahead waits for the next one.
    QtUserDialogs dialogs(nullptr);
    const auto lookUp = [&](int round) {
        const bool accept = round % 3 != 2;
        ModalScript script;
        script.answerPrompt(u"apple"_s, accept);
        SeenBox seen;
        if (accept)
            script.acknowledgeBox(&seen);
        script.start();
        const QString reply = dialogs.prompt(u"m"_s, u"t"_s);
        if (accept)
            dialogs.messageBox(u"Pomme"_s, reply, lexorra::dictionary::MessageIcon::Information);
        script.stop();
        return script.ranAsWritten() && reply == (accept ? u"apple"_s : QString());
    };
    QVERIFY(lookUp(0));
    QTest::qWait(QtUserDialogs::kDisposalDelayMs * 2);
    const qsizetype widgets = QApplication::allWidgets().size();
    // One lookup's closed windows wait to be taken apart until the next prompt.
    QVERIFY(lookUp(1));
    const qsizetype withOneLookup = QApplication::allWidgets().size();
    QVERIFY(withOneLookup > widgets);
    for (int round = 2; round <= 30; ++round) {
        QVERIFY2(lookUp(round), qPrintable(u"round %1"_s.arg(round)));
        QVERIFY2(QApplication::allWidgets().size() <= withOneLookup, qPrintable(u"round %1"_s.arg(round)));
    }
    // After a cancel, the box made ahead waits for the next prompt: the last
    // round accepts.
    QTRY_COMPARE(QApplication::allWidgets().size(), widgets);
}

void TestQtUserDialogs::dialogsCarryTheSmallerIcons_data()
{
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QList<int>>("carried");
    // Empty: the dialogs keep the icon they take from their parent.
    QTest::newRow("the program's icon") << QList<int>{32, 48, 64, 256} << QList<int>{32, 48, 64};
    QTest::newRow("nothing to leave out") << QList<int>{16, 32} << QList<int>{};
    QTest::newRow("only large sizes") << QList<int>{128, 256} << QList<int>{};
    QTest::newRow("no icon") << QList<int>{} << QList<int>{};
}

void TestQtUserDialogs::dialogsCarryTheSmallerIcons()
{
    QFETCH(QList<int>, sizes);
    QFETCH(QList<int>, carried);
    QIcon icon;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(QColor::fromHsv(size % 360, 255, 255));
        icon.addPixmap(pixmap);
    }
    QWidget parent;
    parent.setWindowIcon(icon);
    const QIcon inherited = parent.windowIcon();
    QtUserDialogs dialogs(&parent);

    QList<QIcon> seen;
    ModalScript script;
    const auto look = [&](QWidget *modal) {
        seen.append(modal->windowIcon());
        modal->close();
    };
    for (int i = 0; i < 4; ++i)
        script.then(look);
    script.start();
    for (int i = 0; i < 2; ++i) {
        (void)dialogs.prompt(u"m"_s, u"t"_s);
        dialogs.messageBox(u"Pomme"_s, u"Apple"_s, lexorra::dictionary::MessageIcon::Information);
    }
    script.stop();
    QVERIFY(script.ranAsWritten());
    QCOMPARE(seen.size(), 4);
    for (const QIcon &shown : seen) {
        if (carried.isEmpty()) {
            QCOMPARE(shown.cacheKey(), inherited.cacheKey());
            continue;
        }
        QList<int> shownSizes;
        for (const QSize &size : shown.availableSizes())
            shownSizes.append(size.width());
        QCOMPARE(shownSizes, carried);
        for (int size : carried)
            QCOMPARE(shown.pixmap(QSize(size, size)).toImage(), icon.pixmap(QSize(size, size)).toImage());
        // One icon for every prompt and box: a new one would take new places
        // in the pixmap cache.
        QCOMPARE(shown.cacheKey(), seen.first().cacheKey());
    }
}

void TestQtUserDialogs::messageBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("shownIcon");
    QTest::newRow("information") << u"Abricot"_s << u"Apricot"_s << int(lexorra::dictionary::MessageIcon::Information)
                                 << int(QMessageBox::Information);
    QTest::newRow("critical") << u"Enter an alphabet please :o)"_s << u"Warning !"_s
                              << int(lexorra::dictionary::MessageIcon::Critical) << int(QMessageBox::Critical);
    QTest::newRow("empty text and title")
        << QString() << QString() << int(lexorra::dictionary::MessageIcon::Information) << int(QMessageBox::Information);
    QTest::newRow("title longer than the text")
        << u"X"_s << u"Supercalifragilisticexpialidocious"_s << int(lexorra::dictionary::MessageIcon::Information)
        << int(QMessageBox::Information);
    QTest::newRow("markup stays text") << u"<i>x</i>"_s << u"<b>t</b>"_s << int(lexorra::dictionary::MessageIcon::Information)
                                       << int(QMessageBox::Information);
}

void TestQtUserDialogs::messageBox()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(int, icon);
    QFETCH(int, shownIcon);
    QtUserDialogs dialogs(nullptr);
    ModalScript script;
    SeenBox seen;
    script.acknowledgeBox(&seen);
    script.start();
    dialogs.messageBox(text, title, lexorra::dictionary::MessageIcon(icon));
    script.stop();
    QVERIFY(script.mismatches().isEmpty());
    QVERIFY(script.allStepsRun());
    QVERIFY(seen.visible);
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, text);
    QCOMPARE(int(seen.icon), shownIcon);
    QCOMPARE(seen.textFormat, Qt::PlainText);
    QCOMPARE(seen.buttons, QStringList{u"OK"_s});
    // The box is wide enough for its whole title beside the title bar's buttons.
    QVERIFY2(seen.width >= seen.titleWidth + 100, qPrintable(u"%1 < %2 + 100"_s.arg(seen.width).arg(seen.titleWidth)));
}

void TestQtUserDialogs::busyCursor_data()
{
    // Calls as "+" for setBusy(true) and "-" for setBusy(false), made over a
    // cursor that someone else set, or none; the cursor they leave, -1 for none.
    QTest::addColumn<QString>("calls");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    const int none = -1;
    for (const int outer : {none, int(Qt::CrossCursor)}) {
        const char *const over = outer == none ? "" : " over another cursor";
        QTest::addRow("busy%s", over) << u"+"_s << outer << int(Qt::WaitCursor);
        QTest::addRow("busy then not%s", over) << u"+-"_s << outer << outer;
        QTest::addRow("busy twice, not once%s", over) << u"++-"_s << outer << outer;
        QTest::addRow("not busy alone%s", over) << u"-"_s << outer << outer;
        QTest::addRow("not busy twice%s", over) << u"+--"_s << outer << outer;
        QTest::addRow("busy again%s", over) << u"+-+"_s << outer << int(Qt::WaitCursor);
    }
}

void TestQtUserDialogs::busyCursor()
{
    QFETCH(QString, calls);
    QFETCH(int, before);
    QFETCH(int, after);
    const auto shape = [] {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        return cursor ? int(cursor->shape()) : -1;
    };
    if (before >= 0)
        QGuiApplication::setOverrideCursor(Qt::CursorShape(before));
    {
        QtUserDialogs dialogs(nullptr);
        for (const QChar call : calls)
            dialogs.setBusy(call == u'+');
        QCOMPARE(shape(), after);
        dialogs.setBusy(false);
        QCOMPARE(shape(), before);
    }
    if (before >= 0)
        QGuiApplication::restoreOverrideCursor();
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(TestQtUserDialogs)
#include "tst_qt_user_dialogs.moc"
