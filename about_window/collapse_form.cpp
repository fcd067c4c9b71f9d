#include "collapse_form.h"

#include <cmath>
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

/// Runs one step of the collapse; false when the window rejected one of its
/// operations or its arithmetic had no usable result. The step then stops
/// where it failed, so a failed read writes nothing.
template <class Step>
bool tried(Step &&step)
{
    try {
        step();
        return true;
    } catch (const GeometryFailure &) {
    } catch (const ComputationFailure &) {
    }
    return false;
}

/// The window seen along one axis: its outer and client size that way, and
/// the edge that moves as it shrinks (the top for the height, the left for the
/// width).
class Along
{
public:
    enum Axis { Height, Width };

    Along(WindowGeometry &window, Axis axis) : m_window(window), m_height(axis == Height) {}

    float outer() { return m_height ? m_window.outerHeight() : m_window.outerWidth(); }
    void setOuter(float twips) { m_height ? m_window.setOuterHeight(twips) : m_window.setOuterWidth(twips); }
    float client() { return m_height ? m_window.clientHeight() : m_window.clientWidth(); }
    float edge() { return m_height ? m_window.top() : m_window.left(); }
    void setEdge(float twips) { m_height ? m_window.setTop(twips) : m_window.setLeft(twips); }

private:
    WindowGeometry &m_window;
    bool m_height;
};

// A window value (single precision) and a 32-bit integer compare exactly in
// double precision.
bool above(float value, qint32 size)
{
    return static_cast<double>(value) > static_cast<double>(size);
}

bool equal(float value, qint32 size)
{
    return static_cast<double>(value) == static_cast<double>(size);
}

/// One phase of the collapse: shrinks the window along one axis, a step at a
/// time, until its outer size is no longer above the frame's or a pass leaves
/// it where the previous pass did. Each value is read afresh where it is used,
/// since handlers that run during the event dispatch may change the window.
void shrinkAlong(WindowGeometry &window, Along::Axis axis, const qint16 &stepSize)
{
    Along along(window, axis);
    const auto step = [&] { return static_cast<float>(stepSize); };

    // The frame's size this way, taken once as the phase begins; 0 when it
    // cannot be taken.
    qint32 limit = 0;
    tried([&] {
        const float client = along.client();
        limit = rounded(along.outer() - client);
    });

    qint32 recorded = 0; // the outer size that the previous pass left
    for (;;) {
        // A loop test that fails lets the pass run.
        bool shrinkable = true;
        tried([&] { shrinkable = above(along.outer(), limit); });
        if (!shrinkable)
            return;

        tried([&] { window.dispatchEvents(); });
        tried([&] { along.setOuter(finite(along.outer() - step())); });
        // Half a step, whether or not the window took the new size.
        tried([&] { along.setEdge(finite(step() / 2.0f + along.edge())); });

        // Over once a pass changes nothing, or its outcome cannot be read.
        bool unchanged = false;
        if (!tried([&] { unchanged = equal(along.outer(), recorded); }) || unchanged)
            return;
        // A size that cannot be recorded leaves the previous one.
        tried([&] { recorded = rounded(along.outer()); });
    }
}

} // namespace

void Collapse_Form(WindowGeometry &window, qint16 &stepSize)
{
    if (stepSize == 0)
        stepSize = kDefaultCollapseStep;
    // The caller's reference keeps the window's WindowGeometry alive for the
    // whole call; an adapter whose window goes meanwhile rejects everything.
    shrinkAlong(window, Along::Height, stepSize);
    shrinkAlong(window, Along::Width, stepSize);
}

} // namespace lexorra
