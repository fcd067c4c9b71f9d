// The main window's event wiring: the picture's press, release and click,
// headword clicks and keys on List1, and pointer movement over the About label.

#include "fake_lookup.h"
#include "window_controls.h"
#include "frame_shape.h"
#include "frm_trans.h"
#include "frmab_out.h"
#include "list_widget_state.h"
#include "picture_button.h"
#include "scratch_dir.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMap>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace lexorra::testing;

using namespace Qt::StringLiterals;
using lexorra::FrmTrans;
using lexorra::testing::FakeDialogs;
using lexorra::testing::ScratchWorkingDir;
using lexorra::testing::selectedRow;
using lexorra::testing::texts;

class TestFrmTransEvents final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void pictureMouseOrder_data();
    void pictureMouseOrder();
    void pressFrameShowsOnlyWhileHeld();
    void listingRoutesEachSelectionChangeOnce();
    void headwordClickShowsItsTranslation_data();
    void headwordClickShowsItsTranslation();
    void clickOnSelectedHeadwordChangesNothing();
    void ctrlClickKeepsTheSelection();
    void keysMoveTheSelectionLikeClicks_data();
    void keysMoveTheSelectionLikeClicks();
    void translationListStaysHidden();
    void cancelledPromptKeepsTheListing();
    void screenReaderReadsTheListing();
    void pointerOverAboutLabelShowsFrameAndOpensAbout();
    void pointerElsewhereOpensNothing();

private:
    std::unique_ptr<ScratchWorkingDir> m_files;
    std::unique_ptr<FakeDialogs> m_dialogs;
    std::unique_ptr<FrmTrans> m_window;
    QStringList m_log;
};

void TestFrmTransEvents::init()
{
    m_files = std::make_unique<ScratchWorkingDir>();
    QVERIFY(m_files->isValid());
    QVERIFY(m_files->write(u"a.txt"_s, "apparel,vetements\napple,pomme\napply,\"appliquer, demander\"\n"
                                       "apricot,abricot\nazure,LE CIEL bleu\n"));
    m_dialogs = std::make_unique<FakeDialogs>();
    m_window = std::make_unique<FrmTrans>(m_dialogs.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_log.clear();

    FrmTrans *window = m_window.get();
    // The test's own slots run after the window's handlers of the same signal.
    connect(image1(*window), &lexorra::PictureButton::pressed, this,
            [this, window] { m_log.append(u"press frame=%1"_s.arg(shape1(*window, 0)->isVisible())); });
    connect(image1(*window), &lexorra::PictureButton::released, this,
            [this, window] { m_log.append(u"release frame=%1"_s.arg(shape1(*window, 0)->isVisible())); });
    m_dialogs->onPrompt = [this, window] { m_log.append(u"prompt frame=%1"_s.arg(shape1(*window, 0)->isVisible())); };
}

void TestFrmTransEvents::cleanup()
{
    m_window.reset();
    m_dialogs.reset();
    m_files.reset();
}

void TestFrmTransEvents::pictureMouseOrder_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("pressAt");
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<QStringList>("log");
    const QStringList click = {u"press frame=1"_s, u"release frame=0"_s, u"prompt frame=0"_s};
    const QStringList noClick = {u"press frame=1"_s, u"release frame=0"_s};
    QTest::newRow("left click") << Qt::LeftButton << QPoint(80, 60) << QPoint(80, 60) << click;
    QTest::newRow("left click, released elsewhere on it")
        << Qt::LeftButton << QPoint(5, 5) << QPoint(150, 110) << click;
    QTest::newRow("left, released outside") << Qt::LeftButton << QPoint(80, 60) << QPoint(200, 60) << noClick;
    QTest::newRow("right") << Qt::RightButton << QPoint(80, 60) << QPoint(80, 60) << noClick;
    QTest::newRow("middle") << Qt::MiddleButton << QPoint(80, 60) << QPoint(80, 60) << noClick;
}

void TestFrmTransEvents::pictureMouseOrder()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, pressAt);
    QFETCH(QPoint, releaseAt);
    QFETCH(QStringList, log);
    QWidget *image = image1(*m_window);
    QTest::mousePress(image, button, {}, pressAt);
    QTest::mouseRelease(image, button, {}, releaseAt);
    QCOMPARE(m_log, log);
    QVERIFY(!shape1(*m_window, 0)->isVisible());
    QCOMPARE(m_dialogs->prompts.size(), log.size() == 3 ? 1 : 0);
}

void TestFrmTransEvents::pressFrameShowsOnlyWhileHeld()
{
    QWidget *image = image1(*m_window);
    QVERIFY(!shape1(*m_window, 0)->isVisible());
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(shape1(*m_window, 0)->isVisible());
    QVERIFY(!shape1(*m_window, 1)->isVisible());
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!shape1(*m_window, 0)->isVisible());
}

void TestFrmTransEvents::listingRoutesEachSelectionChangeOnce()
{
    // The listing selects apparel (index 0) after the first record and keeps
    // it, since apparel is the first headword sharing "app"; one change.
    QSignalSpy clicks(m_window.get(), &FrmTrans::headwordClicked);
    m_dialogs->replies = {u"apple"_s};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    const FakeDialogs::Box shown{u"Pomme"_s, u"Apple"_s, lexorra::dictionary::MessageIcon::Information};
    QCOMPARE(m_dialogs->boxes, QList<FakeDialogs::Box>{shown});
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 0);
    QCOMPARE(selectedRow(list1(*m_window)), 0);
    QCOMPARE(label2(*m_window)->text(), u"Vetements"_s);

    // apricot: first apparel (0), then apricot (3) once it is appended: two changes.
    clicks.clear();
    m_dialogs->replies = {u"apricot"_s};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    QCOMPARE(clicks.size(), 2);
    QCOMPARE(clicks.at(0).at(0).toInt(), 0);
    QCOMPARE(clicks.at(1).at(0).toInt(), 3);
    QCOMPARE(label2(*m_window)->text(), u"Abricot"_s);
    QCOMPARE(selectedRow(list2(*m_window)), 3);
}

void TestFrmTransEvents::headwordClickShowsItsTranslation_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("label");
    QTest::newRow("apparel") << 0 << u"Vetements"_s;
    QTest::newRow("apply, quoted translation with a comma") << 2 << u"Appliquer, Demander"_s;
    QTest::newRow("azure, proper case") << 4 << u"Le Ciel Bleu"_s;
}

void TestFrmTransEvents::headwordClickShowsItsTranslation()
{
    QFETCH(int, row);
    QFETCH(QString, label);
    m_dialogs->replies = {u"apricot"_s};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    QCOMPARE(texts(list1(*m_window)), (QStringList{u"apparel"_s, u"apple"_s, u"apply"_s, u"apricot"_s, u"azure"_s}));
    QCOMPARE(selectedRow(list1(*m_window)), 3);

    QSignalSpy clicks(m_window.get(), &FrmTrans::headwordClicked);
    QListView *headwords = list1(*m_window);
    QTest::mouseClick(headwords->viewport(), Qt::LeftButton, {}, itemCentre(headwords, row));
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), row);
    QCOMPARE(selectedRow(headwords), row);
    QCOMPARE(selectedRow(list2(*m_window)), row);
    QCOMPARE(label2(*m_window)->text(), label);
}

void TestFrmTransEvents::clickOnSelectedHeadwordChangesNothing()
{
    m_dialogs->replies = {u"apricot"_s};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    QSignalSpy clicks(m_window.get(), &FrmTrans::headwordClicked);
    QListView *headwords = list1(*m_window);
    QTest::mouseClick(headwords->viewport(), Qt::LeftButton, {}, itemCentre(headwords, 3));
    QCOMPARE(clicks.size(), 0);
    // Nor does a click below the last entry take the selection away.
    QTest::mouseClick(headwords->viewport(), Qt::LeftButton, {}, QPoint(20, headwords->viewport()->height() - 5));
    QCOMPARE(clicks.size(), 0);
    QCOMPARE(selectedRow(headwords), 3);
    QCOMPARE(label2(*m_window)->text(), u"Abricot"_s);
}

void TestFrmTransEvents::ctrlClickKeepsTheSelection()
{
    m_dialogs->replies = {u"apricot"_s};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    QListView *headwords = list1(*m_window);
    QTest::mouseClick(headwords->viewport(), Qt::LeftButton, Qt::ControlModifier, itemCentre(headwords, 3));
    QCOMPARE(selectedRow(headwords), 3);
    QTest::keyClick(headwords, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(selectedRow(headwords), 3);
    QCOMPARE(selectedRow(list2(*m_window)), 3);
}

void TestFrmTransEvents::keysMoveTheSelectionLikeClicks_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("label");
    QTest::newRow("Up") << Qt::Key_Up << 2 << u"Appliquer, Demander"_s;
    QTest::newRow("Down") << Qt::Key_Down << 4 << u"Le Ciel Bleu"_s;
    QTest::newRow("Home") << Qt::Key_Home << 0 << u"Vetements"_s;
}

void TestFrmTransEvents::keysMoveTheSelectionLikeClicks()
{
    QFETCH(Qt::Key, key);
    QFETCH(int, row);
    QFETCH(QString, label);
    m_dialogs->replies = {u"apricot"_s};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    QSignalSpy clicks(m_window.get(), &FrmTrans::headwordClicked);
    QTest::keyClick(list1(*m_window), key);
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(selectedRow(list1(*m_window)), row);
    QCOMPARE(selectedRow(list2(*m_window)), row);
    QCOMPARE(label2(*m_window)->text(), label);
}

void TestFrmTransEvents::translationListStaysHidden()
{
    m_dialogs->replies = {u"azure"_s};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    QCOMPARE(rowCount(list2(*m_window)), 5);
    QVERIFY(!list2(*m_window)->isVisible());
    QCOMPARE(texts(list2(*m_window)),
             (QStringList{u"vetements"_s, u"pomme"_s, u"appliquer, demander"_s, u"abricot"_s, u"LE CIEL bleu"_s}));
}

void TestFrmTransEvents::cancelledPromptKeepsTheListing()
{
    m_dialogs->replies = {u"apple"_s};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    QListView *headwords = list1(*m_window);
    QTest::mouseClick(headwords->viewport(), Qt::LeftButton, {}, itemCentre(headwords, 4));
    QSignalSpy clicks(m_window.get(), &FrmTrans::headwordClicked);

    m_dialogs->replies = {QString()};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    QCOMPARE(m_dialogs->prompts.size(), 2);
    QCOMPARE(clicks.size(), 0);
    QCOMPARE(rowCount(headwords), 5);
    QCOMPARE(selectedRow(headwords), 4);
    QCOMPARE(label2(*m_window)->text(), u"Le Ciel Bleu"_s);
    QCOMPARE(m_window->translator().searchWord(), u"apple"_s);
}

void TestFrmTransEvents::screenReaderReadsTheListing()
{
    // A screen reader finds both lists by name, the translations hidden, and
    // reads the listing with the nearest headword selected, then the entry the
    // user clicks.
    m_dialogs->replies = {u"apricot"_s};
    QTest::mouseClick(image1(*m_window), Qt::LeftButton);
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_window.get());
    QVERIFY(window);
    QMap<QString, QAccessibleInterface *> lists;
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface *child = window->child(i);
        if (child && child->role() == QAccessible::List)
            lists.insert(child->text(QAccessible::Name), child);
    }
    QCOMPARE(lists.keys(), (QStringList{u"Headwords"_s, u"Translations"_s}));
    QCOMPARE(lists.value(u"Headwords"_s)->object(), list1(*m_window));
    QVERIFY(!lists.value(u"Headwords"_s)->state().invisible);
    QCOMPARE(lists.value(u"Translations"_s)->object(), list2(*m_window));
    QVERIFY(lists.value(u"Translations"_s)->state().invisible);

    const QStringList headwords = {u"apparel"_s, u"apple"_s, u"apply"_s, u"apricot"_s, u"azure"_s};
    QCOMPARE(readAloud(list1(*m_window)), (ReaderView{headwords, {3}, 1}));
    QCOMPARE(readAloud(list2(*m_window)).selected, QList<int>{3});
    QTest::mouseClick(list1(*m_window)->viewport(), Qt::LeftButton, {}, itemCentre(list1(*m_window), 4));
    QCOMPARE(readAloud(list1(*m_window)), (ReaderView{headwords, {4}, 1}));
    const QStringList translations = {u"vetements"_s, u"pomme"_s, u"appliquer, demander"_s, u"abricot"_s,
                                      u"LE CIEL bleu"_s};
    QCOMPARE(readAloud(list2(*m_window)), (ReaderView{translations, {4}, 1}));
}

void TestFrmTransEvents::pointerOverAboutLabelShowsFrameAndOpensAbout()
{
    QVERIFY(!shape1(*m_window, 1)->isVisible());
    QVERIFY(!m_window->about());

    QTest::mouseMove(label1(*m_window), QPoint(50, 15));
    QVERIFY(shape1(*m_window, 1)->isVisible());
    QVERIFY(!shape1(*m_window, 0)->isVisible());
    const QPointer<lexorra::FrmabOut> about = m_window->about();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(about->parentWidget() == nullptr);

    // Further movements open no second window; the frame stays.
    QTest::mouseMove(label1(*m_window), QPoint(60, 16));
    QCOMPARE(m_window->about(), about.data());
    QVERIFY(shape1(*m_window, 1)->isVisible());
    int aboutWindows = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        aboutWindows += qobject_cast<lexorra::FrmabOut *>(window) ? 1 : 0;
    QCOMPARE(aboutWindows, 1);
}

void TestFrmTransEvents::pointerElsewhereOpensNothing()
{
    // Over the hover frame's margin, beside the label, and over the picture.
    QTest::mouseMove(m_window.get(), QPoint(470, 330));
    QTest::mouseMove(m_window.get(), QPoint(100, 100));
    QTest::mouseMove(m_window.get(), QPoint(530, 150));
    QVERIFY(!m_window->about());
    QVERIFY(!shape1(*m_window, 1)->isVisible());
}

QTEST_MAIN(TestFrmTransEvents)
#include "tst_frm_trans_events.moc"
