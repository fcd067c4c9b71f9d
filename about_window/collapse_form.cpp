#include "collapse_form.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace lexorra {

std::optional<qint32> roundToInt32(double value)
{
    constexpr double kLowest = std::numeric_limits<qint32>::min();
    constexpr double kHighest = std::numeric_limits<qint32>::max();
    // Anything this far out cannot round into range; checking first also keeps
    // the arithmetic below exact (every double of this size has a whole part
    // and a fraction that floor() and the subtraction represent exactly).
    if (!std::isfinite(value) || value < kLowest - 1.0 || value > kHighest + 1.0)
        return std::nullopt;

    const double below = std::floor(value);
    const double fraction = value - below;
    double nearest = below + 1.0;
    if (fraction < 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) == 0.0))
        nearest = below;

    if (nearest < kLowest || nearest > kHighest)
        return std::nullopt;
    return static_cast<qint32>(nearest);
}

namespace {

/// A computation on window values without a usable result: not finite, or a
/// rounding that leaves the 32-bit range. Treated like a rejected operation.
struct ComputationFailure
{
};

float finite(float value)
{
    if (!std::isfinite(value))
        throw ComputationFailure{};
    return value;
}

qint32 rounded(float value)
{
    const std::optional<qint32> result = roundToInt32(value);
    if (!result)
        throw ComputationFailure{};
    return *result;
}

/// The window values one phase works on: its dimension and the edge that moves
/// with it.
struct Dimension
{
    float (WindowGeometry::*outer)();
    void (WindowGeometry::*setOuter)(float);
    float (WindowGeometry::*client)();
    float (WindowGeometry::*edge)();
    void (WindowGeometry::*setEdge)(float);
};

constexpr Dimension kHeight{&WindowGeometry::outerHeight, &WindowGeometry::setOuterHeight,
                            &WindowGeometry::clientHeight, &WindowGeometry::top, &WindowGeometry::setTop};
constexpr Dimension kWidth{&WindowGeometry::outerWidth, &WindowGeometry::setOuterWidth, &WindowGeometry::clientWidth,
                           &WindowGeometry::left, &WindowGeometry::setLeft};

/// The steps of one collapse, in the order they normally run.
enum class Step {
    DefaultStepSize,   //  1
    HoldWindow,        //  2
    HeightLimit,       //  3
    HeightLoopTest,    //  4
    HeightDispatch,    //  5
    HeightShrink,      //  6
    HeightMove,        //  7
    HeightNoProgress,  //  8
    HeightRecord,      //  9
    WidthLimit,        // 10
    ResetRecordedSize, // 11
    WidthLoopTest,     // 12
    WidthDispatch,     // 13
    WidthShrink,       // 14
    WidthMove,         // 15
    WidthNoProgress,   // 16
    WidthRecord,       // 17
    ReleaseWindow,     // 18
    Finished,
};

/// One call of Collapse_Form: its working values and its steps. Each step does
/// its work and names the step that follows; a step that fails stops where it
/// failed (a failed read writes nothing) and the collapse goes on at the step
/// its rule names for failures.
class Collapse
{
public:
    Collapse(WindowGeometry &window, qint16 &stepSize) : m_window(window), m_stepSize(stepSize) {}

    void run()
    {
        struct Rule
        {
            Step step;
            Step (Collapse::*perform)();
            Step onFailure;
        };
        // Steps 1, 2, 11 and 18 touch neither the window nor any arithmetic
        // that can fail; their failure entry is never used.
        // clang-format off
        static constexpr std::array kRules{
            //    step                       performed by                  after a failure
            Rule{Step::DefaultStepSize,   &Collapse::defaultStepSize,   Step::HoldWindow},
            Rule{Step::HoldWindow,        &Collapse::holdWindow,        Step::HeightLimit},
            Rule{Step::HeightLimit,       &Collapse::heightLimit,       Step::HeightLoopTest},
            Rule{Step::HeightLoopTest,    &Collapse::heightLoopTest,    Step::HeightDispatch},
            Rule{Step::HeightDispatch,    &Collapse::heightDispatch,    Step::HeightShrink},
            Rule{Step::HeightShrink,      &Collapse::heightShrink,      Step::HeightMove},
            Rule{Step::HeightMove,        &Collapse::heightMove,        Step::HeightNoProgress},
            Rule{Step::HeightNoProgress,  &Collapse::heightNoProgress,  Step::WidthLimit},
            Rule{Step::HeightRecord,      &Collapse::heightRecord,      Step::HeightLoopTest},
            Rule{Step::WidthLimit,        &Collapse::widthLimit,        Step::ResetRecordedSize},
            Rule{Step::ResetRecordedSize, &Collapse::resetRecordedSize, Step::WidthLoopTest},
            Rule{Step::WidthLoopTest,     &Collapse::widthLoopTest,     Step::WidthDispatch},
            Rule{Step::WidthDispatch,     &Collapse::widthDispatch,     Step::WidthShrink},
            Rule{Step::WidthShrink,       &Collapse::widthShrink,       Step::WidthMove},
            Rule{Step::WidthMove,         &Collapse::widthMove,         Step::WidthNoProgress},
            Rule{Step::WidthNoProgress,   &Collapse::widthNoProgress,   Step::ReleaseWindow},
            Rule{Step::WidthRecord,       &Collapse::widthRecord,       Step::WidthLoopTest},
            Rule{Step::ReleaseWindow,     &Collapse::releaseWindow,     Step::Finished},
        };
        // clang-format on
        static_assert(kRules.size() == static_cast<std::size_t>(Step::Finished));

        Step step = Step::DefaultStepSize;
        while (step != Step::Finished) {
            const Rule &rule = kRules[static_cast<std::size_t>(step)];
            Q_ASSERT(rule.step == step);
            try {
                step = (this->*rule.perform)();
            } catch (const GeometryFailure &) {
                step = rule.onFailure;
            } catch (const ComputationFailure &) {
                step = rule.onFailure;
            }
        }
    }

private:
    // 1. A step size of 0 asks for the default, which the caller gets back.
    Step defaultStepSize()
    {
        if (m_stepSize == 0)
            m_stepSize = kDefaultCollapseStep;
        return Step::HoldWindow;
    }

    // 2. The window must outlive the call, also when a handler that runs during
    // the event dispatch closes it. The caller's reference already guarantees
    // that for the WindowGeometry object; an adapter whose window can be
    // destroyed underneath it rejects every operation from then on. Holding
    // (and, in step 18, releasing) the window therefore needs no code here.
    Step holdWindow() { return Step::HeightLimit; }

    // 3. The height limit is the frame height: outer height less client height.
    Step heightLimit()
    {
        m_heightLimit = limitOf(kHeight);
        return Step::HeightLoopTest;
    }

    // 4. Go on while the outer height is above the frame height.
    Step heightLoopTest() { return outerExceeds(kHeight, m_heightLimit) ? Step::HeightDispatch : Step::WidthLimit; }

    // 5. Let pending events run before every pass.
    Step heightDispatch()
    {
        m_window.dispatchEvents();
        return Step::HeightShrink;
    }

    // 6. Ask for one step less height.
    Step heightShrink()
    {
        shrink(kHeight);
        return Step::HeightMove;
    }

    // 7. Move the top edge down by half a step, whatever the shrink achieved.
    Step heightMove()
    {
        moveEdge(kHeight);
        return Step::HeightNoProgress;
    }

    // 8. The height phase is over when this pass left the height where the
    // previous one did.
    Step heightNoProgress() { return outerEquals(kHeight, m_recordedSize) ? Step::WidthLimit : Step::HeightRecord; }

    // 9. Remember the height this pass reached.
    Step heightRecord()
    {
        m_recordedSize = rounded(outer(kHeight));
        return Step::HeightLoopTest;
    }

    // 10. The width limit is the frame width, as it stands now.
    Step widthLimit()
    {
        m_widthLimit = limitOf(kWidth);
        return Step::ResetRecordedSize;
    }

    // 11. The width phase does not compare with heights.
    Step resetRecordedSize()
    {
        m_recordedSize = 0;
        return Step::WidthLoopTest;
    }

    // 12. Go on while the outer width is above the frame width.
    Step widthLoopTest() { return outerExceeds(kWidth, m_widthLimit) ? Step::WidthDispatch : Step::ReleaseWindow; }

    // 13. Let pending events run before every pass.
    Step widthDispatch()
    {
        m_window.dispatchEvents();
        return Step::WidthShrink;
    }

    // 14. Ask for one step less width.
    Step widthShrink()
    {
        shrink(kWidth);
        return Step::WidthMove;
    }

    // 15. Move the left edge right by half a step, whatever the shrink achieved.
    Step widthMove()
    {
        moveEdge(kWidth);
        return Step::WidthNoProgress;
    }

    // 16. The width phase is over when this pass left the width where the
    // previous one did.
    Step widthNoProgress() { return outerEquals(kWidth, m_recordedSize) ? Step::ReleaseWindow : Step::WidthRecord; }

    // 17. Remember the width this pass reached.
    Step widthRecord()
    {
        m_recordedSize = rounded(outer(kWidth));
        return Step::WidthLoopTest;
    }

    // 18. See step 2.
    Step releaseWindow() { return Step::Finished; }

    // Every value is read from the window afresh by each step that uses it, so
    // that changes made by handlers during the event dispatch are seen.
    float outer(const Dimension &d) { return (m_window.*d.outer)(); }

    /// The step size, read from the caller's variable, in single precision.
    [[nodiscard]] float step() const { return static_cast<float>(m_stepSize); }

    qint32 limitOf(const Dimension &d)
    {
        const float client = (m_window.*d.client)();
        return rounded(finite(outer(d) - client));
    }

    // Comparisons of a single-precision window value with a 32-bit integer are
    // made in double precision, which holds both exactly.
    bool outerExceeds(const Dimension &d, qint32 limit)
    {
        return static_cast<double>(outer(d)) > static_cast<double>(limit);
    }

    bool outerEquals(const Dimension &d, qint32 size)
    {
        return static_cast<double>(outer(d)) == static_cast<double>(size);
    }

    void shrink(const Dimension &d) { (m_window.*d.setOuter)(finite(outer(d) - step())); }

    void moveEdge(const Dimension &d) { (m_window.*d.setEdge)(finite(step() / 2.0f + (m_window.*d.edge)())); }

    WindowGeometry &m_window;
    qint16 &m_stepSize;
    qint32 m_heightLimit = 0;
    qint32 m_widthLimit = 0;
    qint32 m_recordedSize = 0;
};

} // namespace

void Collapse_Form(WindowGeometry &window, qint16 &stepSize)
{
    Collapse(window, stepSize).run();
}

} // namespace lexorra
