#include "collapse_form.h"
#include "fake_window.h"

#include <QTest>

#include <algorithm>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

using namespace lexorra;
using namespace lexorra::testing;

namespace {

/// One thing that goes wrong in a window: an operation it rejects, or a read
/// that returns a given value instead of the window's.
struct Fault
{
    Op op = Op::Dispatch;
    int occurrence = 0; // 0: nothing goes wrong
    std::optional<float> readValue;

    void applyTo(FakeWindow &window) const
    {
        if (occurrence == 0)
            return;
        if (readValue)
            window.corruptRead(op, occurrence, *readValue);
        else
            window.rejectOccurrence(op, occurrence);
    }
};

Fault none()
{
    return {};
}

Fault reject(Op op, int occurrence)
{
    return {op, occurrence, std::nullopt};
}

Fault corrupt(Op op, int occurrence, float value)
{
    return {op, occurrence, value};
}

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

QString geometryOf(const FakeWindow &window)
{
    return u"h%1 w%2 t%3 l%4"_s
        .arg(static_cast<double>(window.outerHeightValue))
        .arg(static_cast<double>(window.outerWidthValue))
        .arg(static_cast<double>(window.topValue))
        .arg(static_cast<double>(window.leftValue));
}

/// How many events dispatches came before the first width operation.
int dispatchesBeforeWidthPhase(const QStringList &log)
{
    int dispatches = 0;
    for (const QString &token : log) {
        if (token == u"cw"_s || token == u"!cw"_s)
            break;
        if (token == u"d"_s)
            ++dispatches;
    }
    return dispatches;
}

/// Whether `log` ends with the tokens in `tail`; tells what it ends with if not.
bool endsWith(const QStringList &log, const char *tail, QString *actual)
{
    const QStringList expected = ops(tail);
    const QStringList end = log.mid(std::max<qsizetype>(0, log.size() - expected.size()));
    *actual = end.join(QLatin1Char(' '));
    return end == expected;
}

/// The kind of a log token: the token itself for a read or a dispatch, the
/// part up to "=" for a write.
QString kindOf(const QString &token)
{
    const qsizetype equals = token.indexOf(QLatin1Char('='));
    return equals < 0 ? token : token.left(equals + 1);
}

QList<float> evenlySpaced(float first, float step, int count)
{
    QList<float> values;
    for (int i = 0; i < count; ++i)
        values.append(first + step * static_cast<float>(i));
    return values;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestCollapseForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundsHalfToEven_data();
    void roundsHalfToEven();

    void usesAndKeepsStepSize_data();
    void usesAndKeepsStepSize();
    void followsExactWindowSystem();
    void passDispatchesThenShrinksThenMoves();
    void stopsAtMinimumHeight();
    void heightLimitIsTakenOnce();
    void widthLimitIsTakenOnceWhenHeightPhaseEnds();
    void widthPhaseStartsWithRecordedSizeZero_data();
    void widthPhaseStartsWithRecordedSizeZero();
    void readsEveryValueAfresh();
    void limitIsRoundedHalfToEven_data();
    void limitIsRoundedHalfToEven();
    void zeroClientHeightSkipsHeightPhase();
    void windowRefusingEverySizeGetsTwoPassesPerPhase();
    void windowRejectingEverythingGetsThrough();
    void goesOnAfterFailure_data();
    void goesOnAfterFailure();
};

void TestCollapseForm::roundsHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");

    QTest::newRow("0.5 to 0") << 0.5 << true << 0;
    QTest::newRow("1.5 to 2") << 1.5 << true << 2;
    QTest::newRow("2.5 to 2") << 2.5 << true << 2;
    QTest::newRow("2.4 to 2") << 2.4 << true << 2;
    QTest::newRow("2.6 to 3") << 2.6 << true << 3;
    QTest::newRow("-0.5 to 0") << -0.5 << true << 0;
    QTest::newRow("-1.5 to -2") << -1.5 << true << -2;
    QTest::newRow("-2.5 to -2") << -2.5 << true << -2;
    QTest::newRow("-2.6 to -3") << -2.6 << true << -3;
    QTest::newRow("just below a half") << 0.49999999999999994 << true << 0;
    QTest::newRow("largest") << 2147483647.0 << true << 2147483647;
    QTest::newRow("half below largest") << 2147483646.5 << true << 2147483646;
    QTest::newRow("half above largest") << 2147483647.5 << false << 0;
    QTest::newRow("smallest") << -2147483648.0 << true << -2147483647 - 1;
    QTest::newRow("half below smallest to even") << -2147483648.5 << true << -2147483647 - 1;
    QTest::newRow("below smallest") << -2147483648.6 << false << 0;
    QTest::newRow("3e9") << 3e9 << false << 0;
    QTest::newRow("-3e9") << -3e9 << false << 0;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << 0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false << 0;
}

void TestCollapseForm::roundsHalfToEven()
{
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(int, expected);

    const std::optional<qint32> result = roundToInt32(value);
    QCOMPARE(result.has_value(), fits);
    if (fits)
        QCOMPARE(*result, expected);
}

void TestCollapseForm::usesAndKeepsStepSize_data()
{
    QTest::addColumn<qint16>("stepBefore");
    QTest::addColumn<float>("top");
    QTest::addColumn<qint16>("stepAfter");
    QTest::addColumn<float>("firstHeight");
    QTest::addColumn<float>("firstTop");
    QTest::addColumn<int>("passes");

    // Outer height 600, frame 400: the height phase shrinks by 200 in all.
    QTest::newRow("0 means 200") << qint16(0) << 0.0f << qint16(200) << 400.0f << 100.0f << 1;
    QTest::newRow("150 is kept") << qint16(150) << 0.0f << qint16(150) << 450.0f << 75.0f << 2;
    QTest::newRow("odd step moves by a half") << qint16(7) << 0.0f << qint16(7) << 593.0f << 3.5f << 29;
    QTest::newRow("step 1 moves by half a twip") << qint16(1) << 0.0f << qint16(1) << 599.0f << 0.5f << 200;
    // 2^24 + 0.5 is not a single-precision value; it rounds to the even 2^24.
    QTest::newRow("half step lost in single precision")
        << qint16(1) << 16777216.0f << qint16(1) << 599.0f << 16777216.0f << 200;
}

void TestCollapseForm::usesAndKeepsStepSize()
{
    QFETCH(qint16, stepBefore);
    QFETCH(float, top);
    QFETCH(qint16, stepAfter);
    QFETCH(float, firstHeight);
    QFETCH(float, firstTop);
    QFETCH(int, passes);

    FakeWindow window(600, 200, 300, 0, top, 0); // no width to take away
    qint16 step = stepBefore;
    std::optional<qint16> stepSeenByHandler;
    window.onDispatch = [&](int dispatch) {
        if (dispatch == 1)
            stepSeenByHandler = step;
    };

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(step, stepAfter);
    QVERIFY(stepSeenByHandler.has_value());
    QCOMPARE(*stepSeenByHandler, stepAfter);
    const QList<float> heights = writes(window.log(), "h=");
    const QList<float> tops = writes(window.log(), "t=");
    QCOMPARE(heights.size(), passes);
    QCOMPARE(tops.size(), passes);
    QCOMPARE(heights.first(), firstHeight);
    QCOMPARE(tops.first(), firstTop);
    QCOMPARE(heights, evenlySpaced(firstHeight, -static_cast<float>(stepAfter), passes));
    QCOMPARE(window.count(Op::Dispatch), passes);
}

void TestCollapseForm::followsExactWindowSystem()
{
    // Height limit 2400 - 2070 = 330; the width has nothing to take away.
    FakeWindow window(2400, 2070, 300, 0, 5000, 700);
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(writes(window.log(), "h="), evenlySpaced(2200, -200, 11));
    QCOMPARE(writes(window.log(), "t="), evenlySpaced(5100, 100, 11));
    QCOMPARE(window.outerHeightValue, 200.0f);
    QCOMPARE(window.topValue, 5000.0f + 1100.0f);
    QCOMPARE(window.count(Op::Dispatch), 11);
    // The pass to 200 is followed by its no-progress test and record, and
    // then the loop test ends the phase.
    QString end;
    QVERIFY2(endsWith(window.log(), "d h h=200 t t=6100 h h | h | cw w | w", &end), qPrintable(end));
    QCOMPARE(window.outerWidthValue, 300.0f);
    QCOMPARE(window.leftValue, 700.0f);
}

void TestCollapseForm::passDispatchesThenShrinksThenMoves()
{
    FakeWindow window(2400, 2070, 1000, 600, 0, 0);
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    const QStringList &log = window.log();
    int passes = 0;
    for (qsizetype i = 0; i < log.size(); ++i) {
        if (log.at(i) != u"d"_s)
            continue;
        ++passes;
        QVERIFY2(i + 4 < log.size(), "a pass was cut short");
        QStringList pass;
        for (qsizetype k = i; k <= i + 4; ++k)
            pass.append(kindOf(log.at(k)));
        const QStringList expected = passes <= 11 ? ops("d h h= t t=") : ops("d w w= l l=");
        QCOMPARE(pass, expected);
    }
    QCOMPARE(passes, 11 + 3); // width: 1000 -> 800 -> 600 -> 400, limit 400
}

void TestCollapseForm::stopsAtMinimumHeight()
{
    FakeWindow window(2400, 2070, 300, 0, 5000, 0);
    window.minimumOuterHeight = 400;
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    // Eleven requests, the last of them (200) cut to 400 ...
    QCOMPARE(writes(window.log(), "h="), evenlySpaced(2200, -200, 11));
    QCOMPARE(window.outerHeightValue, 2400.0f - 2000.0f);
    // ... while the top still moves by 100 in that pass.
    QCOMPARE(writes(window.log(), "t="), evenlySpaced(5100, 100, 11));
    QCOMPARE(window.topValue, 5000.0f + 1100.0f);
    // The no-progress test finds 400 again and ends the phase: no record, no
    // loop test after that pass.
    QString end;
    QVERIFY2(endsWith(window.log(), "d h h=200 t t=6100 h | cw w | w", &end), qPrintable(end));
    QCOMPARE(window.count(Op::Dispatch), 11);
}

void TestCollapseForm::heightLimitIsTakenOnce()
{
    FakeWindow window(800, 400, 300, 0, 0, 0);
    // A handler makes the frame vanish during the first pass; the limit taken
    // before it (400) still holds.
    window.onDispatch = [&](int dispatch) {
        if (dispatch == 1)
            window.frameHeight = 0;
    };
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(writes(window.log(), "h="), (QList<float>{600, 400}));
    QCOMPARE(window.outerHeightValue, 400.0f);
}

void TestCollapseForm::widthLimitIsTakenOnceWhenHeightPhaseEnds()
{
    FakeWindow window(800, 400, 800, 400, 0, 0);
    window.onDispatch = [&](int dispatch) {
        if (dispatch == 1) // height phase: the frame widens to 600
            window.frameWidth = 600;
        if (dispatch == 3) // first width pass: the frame vanishes
            window.frameWidth = 0;
    };
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(dispatchesBeforeWidthPhase(window.log()), 2);
    // Width limit 800 - 200 = 600, as the height phase left the window; one
    // pass reaches it.
    QCOMPARE(writes(window.log(), "w="), QList<float>{600});
    QCOMPARE(window.outerWidthValue, 600.0f);
}

void TestCollapseForm::widthPhaseStartsWithRecordedSizeZero_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QStringList>("expectedWidthPhase");

    // Were 600 still recorded from the height phase, the first width pass
    // would end the phase. From 0, it takes a second pass to find that the
    // width does not move.
    QTest::newRow("width limit taken") << none() << ops("cw w | w | d w w=400 l l=2100 w w | w | d w w=400 l l=2200 w");
    // Also when the width limit cannot be taken.
    QTest::newRow("width limit rejected")
        << reject(Op::ClientWidth, 1) << ops("!cw | w | d w w=400 l l=2100 w w | w | d w w=400 l l=2200 w");
}

void TestCollapseForm::widthPhaseStartsWithRecordedSizeZero()
{
    QFETCH(Fault, fault);
    QFETCH(QStringList, expectedWidthPhase);

    // Both dimensions stop at 600; the height phase ends having recorded 600.
    FakeWindow window(800, 400, 600, 200, 1000, 2000);
    window.minimumOuterHeight = 600;
    window.minimumOuterWidth = 600;
    fault.applyTo(window);
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(window.log().mid(window.log().size() - expectedWidthPhase.size()), expectedWidthPhase);
    QCOMPARE(window.log().at(window.log().size() - expectedWidthPhase.size() - 1), u"h"_s);
    QCOMPARE(window.leftValue, 2200.0f);
    QCOMPARE(window.outerWidthValue, 600.0f);
}

void TestCollapseForm::readsEveryValueAfresh()
{
    FakeWindow window(800, 400, 300, 0, 1000, 0);
    // Between two passes a handler makes the window taller and moves it.
    window.onDispatch = [&](int dispatch) {
        if (dispatch == 2) {
            window.outerHeightValue = 1000;
            window.topValue = 5000;
        }
    };
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(writes(window.log(), "h="), (QList<float>{600, 800, 600, 400}));
    QCOMPARE(writes(window.log(), "t="), (QList<float>{1100, 5100, 5200, 5300}));
}

void TestCollapseForm::limitIsRoundedHalfToEven_data()
{
    QTest::addColumn<float>("outerHeight");
    QTest::addColumn<int>("passes");
    QTest::addColumn<float>("endHeight");

    // Client height 200 in both rows.
    // Limit 400.5 -> 400: after the pass to 400.5 the window is still above it.
    QTest::newRow("400.5 rounds down") << 600.5f << 2 << 200.5f;
    // Limit 401.5 -> 402: the pass to 401.5 is the last.
    QTest::newRow("401.5 rounds up") << 601.5f << 1 << 401.5f;
}

void TestCollapseForm::limitIsRoundedHalfToEven()
{
    QFETCH(float, outerHeight);
    QFETCH(int, passes);
    QFETCH(float, endHeight);

    FakeWindow window(outerHeight, 200, 300, 0, 0, 0);
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(window.count(Op::Dispatch), passes);
    QCOMPARE(window.outerHeightValue, endHeight);
}

void TestCollapseForm::zeroClientHeightSkipsHeightPhase()
{
    FakeWindow window(400, 0, 800, 400, 1000, 2000);
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(window.log(), ops("ch h | h | cw w | w | d w w=600 l l=2100 w w | w | d w w=400 l l=2200 w w | w"));
    QCOMPARE(window.topValue, 1000.0f);
    QCOMPARE(window.outerHeightValue, 400.0f);
}

void TestCollapseForm::windowRefusingEverySizeGetsTwoPassesPerPhase()
{
    FakeWindow window(800, 400, 800, 400, 1000, 2000);
    window.refuseSizeChanges = true;
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(window.log(), ops("ch h | h | d h h=600 t t=1100 h h | h | d h h=600 t t=1200 h |"
                               "cw w | w | d w w=600 l l=2100 w w | w | d w w=600 l l=2200 w"));
    QCOMPARE(dispatchesBeforeWidthPhase(window.log()), 2);
    QCOMPARE(window.count(Op::Dispatch), 4);
    QCOMPARE(geometryOf(window), u"h800 w800 t1200 l2200"_s);
}

void TestCollapseForm::windowRejectingEverythingGetsThrough()
{
    FakeWindow window(800, 400, 800, 400, 1000, 2000);
    window.rejectEverything();
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(window.log(), ops("!ch | !h | !d !h !t !h | !cw | !w | !d !w !l !w"));
    QCOMPARE(step, qint16(200));
    QCOMPARE(geometryOf(window), u"h800 w800 t1000 l2000"_s);
}

void TestCollapseForm::goesOnAfterFailure_data()
{
    QTest::addColumn<float>("minimumSize");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QStringList>("expectedLog");
    QTest::addColumn<QString>("expectedGeometry");

    // Every row: outer 800 and client 400 both ways (limits 400), top 1000,
    // left 2000, default step. The window follows every request down to
    // `minimumSize`. Log tokens: see FakeWindow; "|" marks where a pass's loop
    // test begins.
    const char *const heightFollows = "ch h | h | d h h=600 t t=1100 h h | h | d h h=400 t t=1200 h h | h |";
    const char *const widthFollows = "cw w | w | d w w=600 l l=2100 w w | w | d w w=400 l l=2200 w w | w";
    const char *const heightStopsAt600 = "ch h | h | d h h=600 t t=1100 h h | h | d h h=400 t t=1200 h |";
    const char *const widthStopsAt600 = "cw w | w | d w w=600 l l=2100 w w | w | d w w=400 l l=2200 w";
    // After a height limit of 0, from the first loop test on.
    const char *const heightToZero = "h | d h h=600 t t=1100 h h | h | d h h=400 t t=1200 h h | h |"
                                     "d h h=200 t t=1300 h h | h | d h h=0 t t=1400 h h | h |";
    // After a width limit of 0, from the first loop test on.
    const char *const widthToZero = "w | d w w=600 l l=2100 w w | w | d w w=400 l l=2200 w w | w |"
                                    "d w w=200 l l=2300 w w | w | d w w=0 l l=2400 w w | w";
    auto join = [](std::initializer_list<const char *> parts) {
        QStringList log;
        for (const char *part : parts)
            log += ops(part);
        return log;
    };
    const QString normal = u"h400 w400 t1200 l2200"_s;

    QTest::newRow("no failure") << 0.0f << none() << join({heightFollows, widthFollows}) << normal;
    QTest::newRow("no failure, minimum 600")
        << 600.0f << none() << join({heightStopsAt600, widthStopsAt600}) << u"h600 w600 t1200 l2200"_s;

    // A limit that cannot be taken is 0: the window shrinks to nothing.
    const QString heightAtZero = u"h0 w400 t1400 l2200"_s;
    QTest::newRow("height limit, client height rejected")
        << 0.0f << reject(Op::ClientHeight, 1) << join({"!ch", heightToZero, widthFollows}) << heightAtZero;
    QTest::newRow("height limit, outer height rejected")
        << 0.0f << reject(Op::OuterHeight, 1) << join({"ch !h", heightToZero, widthFollows}) << heightAtZero;
    QTest::newRow("height limit, frame height infinite") << 0.0f << corrupt(Op::ClientHeight, 1, kInfinity)
                                                         << join({"ch h", heightToZero, widthFollows}) << heightAtZero;
    QTest::newRow("height limit, frame height NaN")
        << 0.0f << corrupt(Op::OuterHeight, 1, kNaN) << join({"ch h", heightToZero, widthFollows}) << heightAtZero;
    QTest::newRow("height limit, frame height beyond 32 bits")
        << 0.0f << corrupt(Op::OuterHeight, 1, 3e9f) << join({"ch h", heightToZero, widthFollows}) << heightAtZero;

    // A loop test that fails lets the pass run.
    QTest::newRow("height loop test, first loop test rejected")
        << 0.0f << reject(Op::OuterHeight, 2)
        << join({"ch h | !h | d h h=600 t t=1100 h h | h | d h h=400 t t=1200 h h | h |", widthFollows}) << normal;
    QTest::newRow("height loop test, final loop test rejected")
        << 0.0f << reject(Op::OuterHeight, 10)
        << join({"ch h | h | d h h=600 t t=1100 h h | h | d h h=400 t t=1200 h h | !h |"
                 "d h h=200 t t=1300 h h | h |",
                 widthFollows})
        << u"h200 w400 t1300 l2200"_s;

    // A failed dispatch, shrink or move is skipped; the pass goes on.
    QTest::newRow("height pass, dispatch rejected")
        << 0.0f << reject(Op::Dispatch, 1)
        << join({"ch h | h | !d h h=600 t t=1100 h h | h | d h h=400 t t=1200 h h | h |", widthFollows}) << normal;
    const QString heightOnePassLate = u"h400 w400 t1300 l2200"_s;
    QTest::newRow("height shrink, outer height rejected")
        << 0.0f << reject(Op::OuterHeight, 3)
        << join({"ch h | h | d !h t t=1100 h h | h | d h h=600 t t=1200 h h | h |"
                 "d h h=400 t t=1300 h h | h |",
                 widthFollows})
        << heightOnePassLate;
    QTest::newRow("height shrink, shrink rejected")
        << 0.0f << reject(Op::SetOuterHeight, 1)
        << join({"ch h | h | d h !h=600 t t=1100 h h | h | d h h=600 t t=1200 h h | h |"
                 "d h h=400 t t=1300 h h | h |",
                 widthFollows})
        << heightOnePassLate;
    QTest::newRow("height shrink, new height infinite")
        << 0.0f << corrupt(Op::OuterHeight, 3, kInfinity)
        << join({"ch h | h | d h t t=1100 h h | h | d h h=600 t t=1200 h h | h |"
                 "d h h=400 t t=1300 h h | h |",
                 widthFollows})
        << heightOnePassLate;
    const QString topOneMoveShort = u"h400 w400 t1100 l2200"_s;
    QTest::newRow("top move, top rejected")
        << 0.0f << reject(Op::Top, 1)
        << join({"ch h | h | d h h=600 !t h h | h | d h h=400 t t=1100 h h | h |", widthFollows}) << topOneMoveShort;
    QTest::newRow("top move, move rejected")
        << 0.0f << reject(Op::SetTop, 1)
        << join({"ch h | h | d h h=600 t !t=1100 h h | h | d h h=400 t t=1100 h h | h |", widthFollows})
        << topOneMoveShort;
    QTest::newRow("top move, new top NaN")
        << 0.0f << corrupt(Op::Top, 1, kNaN)
        << join({"ch h | h | d h h=600 t h h | h | d h h=400 t t=1100 h h | h |", widthFollows}) << topOneMoveShort;

    // A failed no-progress test ends the phase.
    QTest::newRow("height no-progress test, read rejected")
        << 0.0f << reject(Op::OuterHeight, 4) << join({"ch h | h | d h h=600 t t=1100 !h |", widthFollows})
        << u"h600 w400 t1100 l2200"_s;

    // A size that cannot be recorded leaves the previous one (0): the window has to stand
    // still for one more pass before the phase ends.
    const char *const heightStopsOnePassLate = "| h | d h h=400 t t=1200 h h | h | d h h=400 t t=1300 h |";
    QTest::newRow("height record, read rejected")
        << 600.0f << reject(Op::OuterHeight, 5)
        << join({"ch h | h | d h h=600 t t=1100 h !h", heightStopsOnePassLate, widthStopsAt600})
        << u"h600 w600 t1300 l2200"_s;
    QTest::newRow("height record, recorded height beyond 32 bits")
        << 600.0f << corrupt(Op::OuterHeight, 5, 3e9f)
        << join({"ch h | h | d h h=600 t t=1100 h h", heightStopsOnePassLate, widthStopsAt600})
        << u"h600 w600 t1300 l2200"_s;

    // A limit that cannot be taken is 0: the window shrinks to nothing.
    const QString widthAtZero = u"h400 w0 t1200 l2400"_s;
    QTest::newRow("width limit, client width rejected")
        << 0.0f << reject(Op::ClientWidth, 1) << join({heightFollows, "!cw", widthToZero}) << widthAtZero;
    QTest::newRow("width limit, outer width rejected")
        << 0.0f << reject(Op::OuterWidth, 1) << join({heightFollows, "cw !w", widthToZero}) << widthAtZero;
    QTest::newRow("width limit, frame width infinite")
        << 0.0f << corrupt(Op::ClientWidth, 1, -kInfinity) << join({heightFollows, "cw w", widthToZero}) << widthAtZero;
    QTest::newRow("width limit, frame width beyond 32 bits")
        << 0.0f << corrupt(Op::OuterWidth, 1, -3e9f) << join({heightFollows, "cw w", widthToZero}) << widthAtZero;

    // A loop test that fails lets the pass run.
    QTest::newRow("width loop test, first loop test rejected")
        << 0.0f << reject(Op::OuterWidth, 2)
        << join({heightFollows, "cw w | !w | d w w=600 l l=2100 w w | w | d w w=400 l l=2200 w w | w"}) << normal;
    QTest::newRow("width loop test, final loop test rejected")
        << 0.0f << reject(Op::OuterWidth, 10)
        << join({heightFollows, "cw w | w | d w w=600 l l=2100 w w | w | d w w=400 l l=2200 w w | !w |"
                                "d w w=200 l l=2300 w w | w"})
        << u"h400 w200 t1200 l2300"_s;

    // A failed dispatch, shrink or move is skipped; the pass goes on.
    QTest::newRow("width pass, dispatch rejected")
        << 0.0f << reject(Op::Dispatch, 3)
        << join({heightFollows, "cw w | w | !d w w=600 l l=2100 w w | w | d w w=400 l l=2200 w w | w"}) << normal;
    const QString widthOnePassLate = u"h400 w400 t1200 l2300"_s;
    QTest::newRow("width shrink, outer width rejected")
        << 0.0f << reject(Op::OuterWidth, 3)
        << join({heightFollows, "cw w | w | d !w l l=2100 w w | w | d w w=600 l l=2200 w w | w |"
                                "d w w=400 l l=2300 w w | w"})
        << widthOnePassLate;
    QTest::newRow("width shrink, shrink rejected")
        << 0.0f << reject(Op::SetOuterWidth, 1)
        << join({heightFollows, "cw w | w | d w !w=600 l l=2100 w w | w | d w w=600 l l=2200 w w | w |"
                                "d w w=400 l l=2300 w w | w"})
        << widthOnePassLate;
    QTest::newRow("width shrink, new width infinite")
        << 0.0f << corrupt(Op::OuterWidth, 3, -kInfinity)
        << join({heightFollows, "cw w | w | d w l l=2100 w w | w | d w w=600 l l=2200 w w | w |"
                                "d w w=400 l l=2300 w w | w"})
        << widthOnePassLate;
    const QString leftOneMoveShort = u"h400 w400 t1200 l2100"_s;
    QTest::newRow("left move, left rejected")
        << 0.0f << reject(Op::Left, 1)
        << join({heightFollows, "cw w | w | d w w=600 !l w w | w | d w w=400 l l=2100 w w | w"}) << leftOneMoveShort;
    QTest::newRow("left move, move rejected")
        << 0.0f << reject(Op::SetLeft, 1)
        << join({heightFollows, "cw w | w | d w w=600 l !l=2100 w w | w | d w w=400 l l=2100 w w | w"})
        << leftOneMoveShort;
    QTest::newRow("left move, new left infinite")
        << 0.0f << corrupt(Op::Left, 1, kInfinity)
        << join({heightFollows, "cw w | w | d w w=600 l w w | w | d w w=400 l l=2100 w w | w"}) << leftOneMoveShort;

    // A failed no-progress test ends the phase, and so the collapse.
    QTest::newRow("width no-progress test, read rejected")
        << 0.0f << reject(Op::OuterWidth, 4) << join({heightFollows, "cw w | w | d w w=600 l l=2100 !w"})
        << u"h400 w600 t1200 l2100"_s;

    // A size that cannot be recorded leaves the previous one (0).
    const char *const widthStopsOnePassLate = "| w | d w w=400 l l=2200 w w | w | d w w=400 l l=2300 w";
    QTest::newRow("width record, read rejected")
        << 600.0f << reject(Op::OuterWidth, 5)
        << join({heightStopsAt600, "cw w | w | d w w=600 l l=2100 w !w", widthStopsOnePassLate})
        << u"h600 w600 t1200 l2300"_s;
    QTest::newRow("width record, recorded width beyond 32 bits")
        << 600.0f << corrupt(Op::OuterWidth, 5, 3e9f)
        << join({heightStopsAt600, "cw w | w | d w w=600 l l=2100 w w", widthStopsOnePassLate})
        << u"h600 w600 t1200 l2300"_s;
}

void TestCollapseForm::goesOnAfterFailure()
{
    QFETCH(float, minimumSize);
    QFETCH(Fault, fault);
    QFETCH(QStringList, expectedLog);
    QFETCH(QString, expectedGeometry);

    FakeWindow window(800, 400, 800, 400, 1000, 2000);
    window.minimumOuterHeight = minimumSize;
    window.minimumOuterWidth = minimumSize;
    fault.applyTo(window);
    qint16 step = 0;

    QVERIFY2(window.collapse(step), "the collapse did not end");

    QCOMPARE(window.log(), expectedLog);
    QCOMPARE(geometryOf(window), expectedGeometry);
    QCOMPARE(step, qint16(200));
}

QTEST_GUILESS_MAIN(TestCollapseForm)
#include "tst_collapse_form.moc"
