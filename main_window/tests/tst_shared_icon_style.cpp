// The style that shares the dialogs' icons: every icon it gives looks as the
// wrapped style's own, shared icons are made once, and boxes in a row show
// the very same icons.

#include "modal_script.h"
#include "qt_user_dialogs.h"
#include "shared_icon_style.h"

#include <QApplication>
#include <QMetaEnum>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using lexorra::SharedIconStyle;

class TestSharedIconStyle final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void looksAsTheWrappedStyle_data();
    void looksAsTheWrappedStyle();
    void sharedIconsAreMadeOnce();
    void boxesShowTheSameIcon();

private:
    std::unique_ptr<QStyle> m_plain;
    std::unique_ptr<SharedIconStyle> m_shared;
};

void TestSharedIconStyle::initTestCase()
{
    // One shared style for every row: a row may get an icon that an earlier
    // row, for a widget of the other direction, had made.
    const QString name = QApplication::style()->name();
    m_plain.reset(QStyleFactory::create(name));
    m_shared = std::make_unique<SharedIconStyle>(QStyleFactory::create(name));
    QVERIFY(m_plain);
}

void TestSharedIconStyle::looksAsTheWrappedStyle_data()
{
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("direction");
    const QMetaEnum icons = QMetaEnum::fromType<QStyle::StandardPixmap>();
    for (int i = 0; i < icons.keyCount(); ++i) {
        if (icons.value(i) == int(QStyle::SP_CustomBase))
            continue;
        for (Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft})
            QTest::addRow("%s %s", icons.key(i), direction == Qt::LeftToRight ? "ltr" : "rtl")
                << icons.value(i) << int(direction);
    }
}

void TestSharedIconStyle::looksAsTheWrappedStyle()
{
    QFETCH(int, icon);
    QFETCH(int, direction);
    QWidget widget;
    widget.setLayoutDirection(Qt::LayoutDirection(direction));
    const auto which = QStyle::StandardPixmap(icon);
    const QIcon expected = m_plain->standardIcon(which, nullptr, &widget);
    const QIcon shown = m_shared->standardIcon(which, nullptr, &widget);
    QCOMPARE(shown.isNull(), expected.isNull());
    for (int size : {16, 22, 32, 48, 64}) {
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            const QImage wanted = expected.pixmap(QSize(size, size), 1.0, mode).toImage();
            const QImage got = shown.pixmap(QSize(size, size), 1.0, mode).toImage();
            QVERIFY2(got == wanted, qPrintable(u"size %1, mode %2"_s.arg(size).arg(int(mode))));
        }
    }
}

void TestSharedIconStyle::sharedIconsAreMadeOnce()
{
    int shared = 0;
    const QMetaEnum icons = QMetaEnum::fromType<QStyle::StandardPixmap>();
    for (int i = 0; i < icons.keyCount(); ++i) {
        const auto which = QStyle::StandardPixmap(icons.value(i));
        if (!SharedIconStyle::isShared(which))
            continue;
        ++shared;
        QWidget first;
        QWidget second;
        const QIcon made = m_shared->standardIcon(which, nullptr, &first);
        QCOMPARE(m_shared->standardIcon(which, nullptr, &second).cacheKey(), made.cacheKey());
        QCOMPARE(m_shared->standardIcon(which).cacheKey(), made.cacheKey());
        // A request with an option of its own is answered by the wrapped style.
        QStyleOption option;
        QVERIFY(m_shared->standardIcon(which, &option).cacheKey() != made.cacheKey());
    }
    // The message boxes' and dialog buttons' icons.
    QCOMPARE(shared, 15);
}

void TestSharedIconStyle::boxesShowTheSameIcon()
{
    lexorra::shareStandardIcons();
    QStyle *style = QApplication::style();
    QVERIFY(qobject_cast<SharedIconStyle *>(style));
    lexorra::shareStandardIcons();
    QCOMPARE(QApplication::style(), style);

    // Two boxes in a row, as a session makes them, get one and the same icon
    // and OK button icon from the application's style.
    lexorra::QtUserDialogs dialogs(nullptr);
    QList<qint64> keys;
    lexorra::testing::ModalScript script;
    for (int i = 0; i < 2; ++i) {
        script.then([&](QWidget *box) {
            for (QStyle::StandardPixmap icon : {QStyle::SP_MessageBoxInformation, QStyle::SP_DialogOkButton})
                keys.append(box->style()->standardIcon(icon, nullptr, box).cacheKey());
            box->close();
        });
    }
    script.start();
    for (int i = 0; i < 2; ++i)
        dialogs.messageBox(u"Pomme"_s, u"Apple"_s, lexorra::dictionary::MessageIcon::Information);
    script.stop();
    QVERIFY(script.ranAsWritten());
    QCOMPARE(keys.size(), 4);
    QCOMPARE(keys[2], keys[0]);
    QCOMPARE(keys[3], keys[1]);
}

QTEST_MAIN(TestSharedIconStyle)
#include "tst_shared_icon_style.moc"
