#pragma once

#include "window_geometry.h"

#include <QList>
#include <QMap>
#include <QStringList>

#include <functional>
#include <limits>

namespace lexorra::testing {

/// Thrown by a FakeWindow that has seen more operations than any collapse of it
/// should need, so that a collapse that never ends fails its test instead of
/// hanging it. Not a GeometryFailure: the collapse does not catch it.
struct RunawayCollapse
{
};

/// The operations of WindowGeometry, as a FakeWindow logs them.
enum class Op {
    Dispatch,       // "d"
    OuterHeight,    // "h"
    SetOuterHeight, // "h=<value>"
    OuterWidth,     // "w"
    SetOuterWidth,  // "w=<value>"
    Top,            // "t"
    SetTop,         // "t=<value>"
    Left,           // "l"
    SetLeft,        // "l=<value>"
    ClientHeight,   // "ch"
    ClientWidth,    // "cw"
};

/// A window whose window system applies every requested size exactly, unless
/// it is told to keep sizes at a minimum or to refuse size changes. The frame
/// (outer less client size) keeps its size; client sizes follow outer sizes.
///
/// Every operation is logged in order as a short token (see Op); a rejected
/// operation is logged with a leading "!", a write with the value requested.
/// Operations can be rejected by kind and occurrence (counted from 1 over all
/// attempts of that kind), by kind always, or all of them; a read can be told to
/// return a given value once instead of the window's.
class FakeWindow final : public WindowGeometry
{
public:
    // The window as it stands.
    float outerHeightValue = 0;
    float outerWidthValue = 0;
    float frameHeight = 0;
    float frameWidth = 0;
    float topValue = 0;
    float leftValue = 0;

    // The window system's rules for size requests.
    float minimumOuterHeight = std::numeric_limits<float>::lowest();
    float minimumOuterWidth = std::numeric_limits<float>::lowest();
    bool refuseSizeChanges = false;

    /// Most operations a collapse may attempt before RunawayCollapse is thrown.
    int operationBudget = 100000;

    /// Runs inside every dispatchEvents() that is not rejected, as a handler of
    /// the program would; the argument counts dispatches from 1.
    std::function<void(int dispatchNumber)> onDispatch;

    /// A window of this outer and client size at this position.
    FakeWindow(float outerHeight, float clientHeight, float outerWidth, float clientWidth, float top = 0,
               float left = 0);

    void rejectOccurrence(Op op, int occurrence);
    void rejectAlways(Op op);
    void rejectEverything();
    /// The `occurrence`th read of kind `op` returns `value`.
    void corruptRead(Op op, int occurrence, float value);

    /// Runs Collapse_Form on this window; false if it ran away.
    [[nodiscard]] bool collapse(qint16 &stepSize);

    [[nodiscard]] const QStringList &log() const { return m_log; }
    /// How many times an operation of this kind was attempted.
    [[nodiscard]] int count(Op op) const { return m_counts.value(op); }

    float outerHeight() override;
    void setOuterHeight(float twips) override;
    float outerWidth() override;
    void setOuterWidth(float twips) override;
    float top() override;
    void setTop(float twips) override;
    float left() override;
    void setLeft(float twips) override;
    float clientHeight() override;
    float clientWidth() override;
    void dispatchEvents() override;

private:
    /// Counts and logs an attempt; throws GeometryFailure when it is rejected.
    void attempt(Op op, const QString &token);
    float read(Op op, float value);
    void write(Op op, float value);

    QStringList m_log;
    QMap<Op, int> m_counts;
    QMap<Op, QList<int>> m_rejectedOccurrences;
    QList<Op> m_rejectedAlways;
    bool m_rejectEverything = false;
    QMap<Op, QMap<int, float>> m_corruptReads;
};

/// The log tokens in `text`, separated by spaces or by "|" marks (which only
/// group tokens for the reader).
[[nodiscard]] QStringList ops(const char *text);

/// The values written by operations of kind `setter` ("h=", "t=", ...), in
/// order, taken from a log.
[[nodiscard]] QList<float> writes(const QStringList &log, const char *setter);

} // namespace lexorra::testing
