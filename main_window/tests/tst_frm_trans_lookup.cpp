// Whole lookups through the real window with its real prompt and message
// boxes, filled in and dismissed from the test as a user would.

#include "frm_trans.h"
#include "list_widget_state.h"
#include "modal_script.h"
#include "picture_button.h"
#include "scratch_dir.h"
#include "window_controls.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

using namespace lexorra::testing;

using namespace Qt::StringLiterals;
using lexorra::FrmTrans;
using lexorra::testing::ModalScript;
using lexorra::testing::ScratchWorkingDir;
using lexorra::testing::SeenBox;
using lexorra::testing::SeenPrompt;
using lexorra::testing::selectedRow;
using lexorra::testing::texts;

class TestFrmTransLookup final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void foundWordShowsBoxThenListing();
    void missingLetterFileWarns();
    void missingWordListsWithoutBox_data();
    void missingWordListsWithoutBox();
    void cancelledPromptChangesNothing_data();
    void cancelledPromptChangesNothing();
    void emptyTitleAndTextBoxStillShows();
    void translationsAreShownAsPlainText();
    void headwordClickAfterLookup();
    void noWaitCursorBehindBoxesOrAfter_data();
    void noWaitCursorBehindBoxesOrAfter();

private:
    /// Clicks the picture button while @p script answers the boxes the lookup opens.
    void lookUp(ModalScript &script)
    {
        script.start();
        QTest::mouseClick(image1(*m_window), Qt::LeftButton, {}, QPoint(80, 60));
        script.stop();
    }

    std::unique_ptr<ScratchWorkingDir> m_files;
    std::unique_ptr<FrmTrans> m_window;
};

void TestFrmTransLookup::init()
{
    m_files = std::make_unique<ScratchWorkingDir>();
    QVERIFY(m_files->isValid());
    QVERIFY(m_files->write(u"a.txt"_s, "apple,pomme\napricot,abricot\naxe,hache\n"));
    m_window = std::make_unique<FrmTrans>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestFrmTransLookup::cleanup()
{
    m_window.reset();
    m_files.reset();
}

void TestFrmTransLookup::foundWordShowsBoxThenListing()
{
    ModalScript script;
    SeenPrompt prompt;
    SeenBox box;
    script.answerPrompt(u"apricot"_s, true, &prompt);
    script.acknowledgeBox(&box);
    lookUp(script);

    QVERIFY(script.ranAsWritten());

    QVERIFY(prompt.visible);
    QCOMPARE(prompt.title, u" Lexorra."_s);
    QCOMPARE(prompt.message, u" Enter any valid word ... "_s);
    QCOMPARE(prompt.initialText, QString());
    QCOMPARE(prompt.buttons, (QStringList{u"OK"_s, u"Cancel"_s}));

    QVERIFY(box.visible);
    QCOMPARE(box.title, u"Apricot"_s);
    QCOMPARE(box.text, u"Abricot"_s);
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.buttons, QStringList{u"OK"_s});

    QCOMPARE(texts(list1(*m_window)), (QStringList{u"apple"_s, u"apricot"_s, u"axe"_s}));
    QCOMPARE(texts(list2(*m_window)), (QStringList{u"pomme"_s, u"abricot"_s, u"hache"_s}));
    QCOMPARE(selectedRow(list1(*m_window)), 1);
    QCOMPARE(selectedRow(list2(*m_window)), 1);
    QCOMPARE(label2(*m_window)->text(), u"Abricot"_s);
    QCOMPARE(m_window->translator().searchWord(), u"apricot"_s);
    QCOMPARE(m_window->translator().letterFile(), u"a.txt"_s);
    QCOMPARE(m_window->translator().fileSlots().openCount(), 0);
    QVERIFY(!m_window->isEnding());
}

void TestFrmTransLookup::missingLetterFileWarns()
{
    ModalScript script;
    SeenBox box;
    script.answerPrompt(u"7up"_s);
    script.acknowledgeBox(&box);
    lookUp(script);

    QVERIFY(script.ranAsWritten());
    QVERIFY(box.visible);
    QCOMPARE(box.title, u"Warning !"_s);
    QCOMPARE(box.text, u"Enter an alphabet please :o)"_s);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QStringList{u"OK"_s});
    QCOMPARE(rowCount(list1(*m_window)), 0);
    QCOMPARE(rowCount(list2(*m_window)), 0);
    QCOMPARE(label2(*m_window)->text(), QString());
}

void TestFrmTransLookup::missingWordListsWithoutBox_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("label");
    QTest::newRow("no headword shares the prefix") << u"azimuth"_s << 0 << u"Pomme"_s;
    QTest::newRow("a headword shares the prefix") << u"axes"_s << 2 << u"Hache"_s;
    QTest::newRow("typed in capitals with spaces") << u"  AXES "_s << 2 << u"Hache"_s;
}

void TestFrmTransLookup::missingWordListsWithoutBox()
{
    QFETCH(QString, reply);
    QFETCH(int, selected);
    QFETCH(QString, label);
    ModalScript script;
    script.answerPrompt(reply);
    lookUp(script);

    QVERIFY(script.ranAsWritten());
    QCOMPARE(texts(list1(*m_window)), (QStringList{u"apple"_s, u"apricot"_s, u"axe"_s}));
    QCOMPARE(selectedRow(list1(*m_window)), selected);
    QCOMPARE(selectedRow(list2(*m_window)), selected);
    QCOMPARE(label2(*m_window)->text(), label);
}

void TestFrmTransLookup::cancelledPromptChangesNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accept");
    QTest::newRow("Cancel after typing") << u"axe"_s << false;
    QTest::newRow("OK on nothing typed") << QString() << true;
}

void TestFrmTransLookup::cancelledPromptChangesNothing()
{
    QFETCH(QString, typed);
    QFETCH(bool, accept);
    {
        ModalScript first;
        SeenBox box;
        first.answerPrompt(u"apple"_s);
        first.acknowledgeBox(&box);
        lookUp(first);
        QVERIFY(first.ranAsWritten());
    }
    QCOMPARE(selectedRow(list1(*m_window)), 0);

    ModalScript script;
    script.answerPrompt(typed, accept);
    lookUp(script);

    QVERIFY(script.ranAsWritten());
    QCOMPARE(rowCount(list1(*m_window)), 3);
    QCOMPARE(selectedRow(list1(*m_window)), 0);
    QCOMPARE(label2(*m_window)->text(), u"Pomme"_s);
    QCOMPARE(m_window->translator().searchWord(), u"apple"_s);
}

void TestFrmTransLookup::emptyTitleAndTextBoxStillShows()
{
    // A reply of spaces names the file ".txt " and, being empty once trimmed,
    // matches before any read: the box has an empty title and text.
    QVERIFY(m_files->write(u".txt "_s, "one,un\n"));
    ModalScript script;
    SeenBox box;
    script.answerPrompt(u"   "_s);
    script.acknowledgeBox(&box);
    lookUp(script);

    QVERIFY(script.ranAsWritten());
    QVERIFY(box.visible);
    QCOMPARE(box.title, QString());
    QCOMPARE(box.text, QString());
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(texts(list1(*m_window)), QStringList{u"one"_s});
    QCOMPARE(label2(*m_window)->text(), u"Un"_s);
}

void TestFrmTransLookup::translationsAreShownAsPlainText()
{
    QVERIFY(m_files->write(u"b.txt"_s, "bold,<b>gras</b> & co\n"));
    ModalScript script;
    SeenBox box;
    script.answerPrompt(u"bold"_s);
    script.acknowledgeBox(&box);
    lookUp(script);

    QVERIFY(script.ranAsWritten());
    QCOMPARE(box.textFormat, Qt::PlainText);
    QCOMPARE(box.text, u"<b>gras</b> & Co"_s);
    QCOMPARE(label2(*m_window)->textFormat(), Qt::PlainText);
    QCOMPARE(label2(*m_window)->text(), u"<b>gras</b> & Co"_s);
}

void TestFrmTransLookup::headwordClickAfterLookup()
{
    ModalScript script;
    SeenBox box;
    script.answerPrompt(u"apple"_s);
    script.acknowledgeBox(&box);
    lookUp(script);
    QCOMPARE(box.title, u"Apple"_s);
    QCOMPARE(box.text, u"Pomme"_s);

    QListView *headwords = list1(*m_window);
    QTest::mouseClick(headwords->viewport(), Qt::LeftButton, {}, itemCentre(headwords, 2));
    QCOMPARE(selectedRow(headwords), 2);
    QCOMPARE(selectedRow(list2(*m_window)), 2);
    QCOMPARE(label2(*m_window)->text(), u"Hache"_s);
    QCOMPARE(script.unexpectedBoxes(), 0);
}

void TestFrmTransLookup::noWaitCursorBehindBoxesOrAfter_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("box");
    QTest::newRow("found word") << u"apricot"_s << true << true;
    QTest::newRow("missing word") << u"azimuth"_s << true << false;
    QTest::newRow("missing letter file") << u"7up"_s << true << true;
    QTest::newRow("cancelled prompt") << u"axe"_s << false << false;
}

void TestFrmTransLookup::noWaitCursorBehindBoxesOrAfter()
{
    QFETCH(QString, reply);
    QFETCH(bool, accept);
    QFETCH(bool, box);
    ModalScript script;
    QList<bool> cursorBehindBox;
    script.watch(
        [&cursorBehindBox](QWidget *) { cursorBehindBox.append(QGuiApplication::overrideCursor() != nullptr); });
    SeenBox seen;
    script.answerPrompt(reply, accept);
    if (box)
        script.acknowledgeBox(&seen);
    lookUp(script);

    QVERIFY(script.ranAsWritten());
    QCOMPARE(cursorBehindBox, QList<bool>(box ? 2 : 1, false));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(TestFrmTransLookup)
#include "tst_frm_trans_lookup.moc"
