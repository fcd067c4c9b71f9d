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

/// What tells the two phases apart: the dimension each shrinks, where its
/// limit is kept, and the steps it is made of.
struct Phase
{
    Dimension dimension;
    std::size_t limitIndex;
    Step afterLimit;
    Step loopTest;
    Step dispatch;
    Step shrink;
    Step move;
    Step noProgress;
    Step record;
    Step end;
};

constexpr Phase kHeightPhase{kHeight,
                             0,
                             Step::HeightLoopTest,
                             Step::HeightLoopTest,
                             Step::HeightDispatch,
                             Step::HeightShrink,
                             Step::HeightMove,
                             Step::HeightNoProgress,
                             Step::HeightRecord,
                             Step::WidthLimit};
constexpr Phase kWidthPhase{kWidth,
                            1,
                            Step::ResetRecordedSize,
                            Step::WidthLoopTest,
                            Step::WidthDispatch,
                            Step::WidthShrink,
                            Step::WidthMove,
                            Step::WidthNoProgress,
                            Step::WidthRecord,
                            Step::ReleaseWindow};

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
            Rule{Step::HeightLimit,       &Collapse::limit<kHeightPhase>, Step::HeightLoopTest},
            Rule{Step::HeightLoopTest,    &Collapse::loopTest<kHeightPhase>, Step::HeightDispatch},
            Rule{Step::HeightDispatch,    &Collapse::dispatch<kHeightPhase>, Step::HeightShrink},
            Rule{Step::HeightShrink,      &Collapse::shrink<kHeightPhase>, Step::HeightMove},
            Rule{Step::HeightMove,        &Collapse::move<kHeightPhase>, Step::HeightNoProgress},
            Rule{Step::HeightNoProgress,  &Collapse::noProgress<kHeightPhase>, Step::WidthLimit},
            Rule{Step::HeightRecord,      &Collapse::record<kHeightPhase>, Step::HeightLoopTest},
            Rule{Step::WidthLimit,        &Collapse::limit<kWidthPhase>, Step::ResetRecordedSize},
            Rule{Step::ResetRecordedSize, &Collapse::resetRecordedSize, Step::WidthLoopTest},
            Rule{Step::WidthLoopTest,     &Collapse::loopTest<kWidthPhase>, Step::WidthDispatch},
            Rule{Step::WidthDispatch,     &Collapse::dispatch<kWidthPhase>, Step::WidthShrink},
            Rule{Step::WidthShrink,       &Collapse::shrink<kWidthPhase>, Step::WidthMove},
            Rule{Step::WidthMove,         &Collapse::move<kWidthPhase>, Step::WidthNoProgress},
            Rule{Step::WidthNoProgress,   &Collapse::noProgress<kWidthPhase>, Step::ReleaseWindow},
            Rule{Step::WidthRecord,       &Collapse::record<kWidthPhase>, Step::WidthLoopTest},
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

    // 3 and 10. A phase's limit is the frame's size in its dimension: outer
    // less client size, as it stands when the phase begins.
    template <const Phase &P>
    Step limit()
    {
        m_limits[P.limitIndex] = limitOf(P.dimension);
        return P.afterLimit;
    }

    // 11. The width phase does not compare with heights.
    Step resetRecordedSize()
    {
        m_recordedSize = 0;
        return Step::WidthLoopTest;
    }

    // 4 and 12. Go on while the outer size is above the frame's.
    template <const Phase &P>
    Step loopTest()
    {
        return outerExceeds(P.dimension, m_limits[P.limitIndex]) ? P.dispatch : P.end;
    }

    // 5 and 13. Let pending events run before every pass.
    template <const Phase &P>
    Step dispatch()
    {
        m_window.dispatchEvents();
        return P.shrink;
    }

    // 6 and 14. Ask for one step less.
    template <const Phase &P>
    Step shrink()
    {
        (m_window.*P.dimension.setOuter)(finite(outer(P.dimension) - step()));
        return P.move;
    }

    // 7 and 15. Move the edge by half a step, whatever the shrink achieved.
    template <const Phase &P>
    Step move()
    {
        const Dimension &d = P.dimension;
        (m_window.*d.setEdge)(finite(step() / 2.0f + (m_window.*d.edge)()));
        return P.noProgress;
    }

    // 8 and 16. A phase is over when this pass left the size where the
    // previous one did.
    template <const Phase &P>
    Step noProgress()
    {
        return outerEquals(P.dimension, m_recordedSize) ? P.end : P.record;
    }

    // 9 and 17. Remember the size this pass reached.
    template <const Phase &P>
    Step record()
    {
        m_recordedSize = rounded(outer(P.dimension));
        return P.loopTest;
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

    WindowGeometry &m_window;
    qint16 &m_stepSize;
    std::array<qint32, 2> m_limits{}; // height, width
    qint32 m_recordedSize = 0;
};

} // namespace

void Collapse_Form(WindowGeometry &window, qint16 &stepSize)
{
    Collapse(window, stepSize).run();
}

} // namespace lexorra
