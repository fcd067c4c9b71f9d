#include "fake_window.h"

#include "collapse_form.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace lexorra::testing {

namespace {

QString tokenOf(Op op)
{
    switch (op) {
    case Op::Dispatch:
        return u"d"_s;
    case Op::OuterHeight:
        return u"h"_s;
    case Op::SetOuterHeight:
        return u"h="_s;
    case Op::OuterWidth:
        return u"w"_s;
    case Op::SetOuterWidth:
        return u"w="_s;
    case Op::Top:
        return u"t"_s;
    case Op::SetTop:
        return u"t="_s;
    case Op::Left:
        return u"l"_s;
    case Op::SetLeft:
        return u"l="_s;
    case Op::ClientHeight:
        return u"ch"_s;
    case Op::ClientWidth:
        return u"cw"_s;
    }
    return {};
}

QString valueText(float value)
{
    return QString::number(static_cast<double>(value), 'g', 10);
}

} // namespace

FakeWindow::FakeWindow(float outerHeight, float clientHeight, float outerWidth, float clientWidth, float top,
                       float left)
    : outerHeightValue(outerHeight),
      outerWidthValue(outerWidth),
      frameHeight(outerHeight - clientHeight),
      frameWidth(outerWidth - clientWidth),
      topValue(top),
      leftValue(left)
{}

void FakeWindow::rejectOccurrence(Op op, int occurrence)
{
    m_rejectedOccurrences[op].append(occurrence);
}

void FakeWindow::rejectAlways(Op op)
{
    m_rejectedAlways.append(op);
}

void FakeWindow::rejectEverything()
{
    m_rejectEverything = true;
}

void FakeWindow::corruptRead(Op op, int occurrence, float value)
{
    m_corruptReads[op][occurrence] = value;
}

bool FakeWindow::collapse(qint16 &stepSize)
{
    try {
        Collapse_Form(*this, stepSize);
    } catch (const RunawayCollapse &) {
        return false;
    }
    return true;
}

void FakeWindow::attempt(Op op, const QString &token)
{
    if (m_log.size() >= operationBudget)
        throw RunawayCollapse{};
    const int occurrence = ++m_counts[op];
    const bool rejected =
        m_rejectEverything || m_rejectedAlways.contains(op) || m_rejectedOccurrences.value(op).contains(occurrence);
    if (!rejected) {
        m_log.append(token);
        return;
    }
    m_log.append(u"!"_s + token);
    throw GeometryFailure{};
}

float FakeWindow::read(Op op, float value)
{
    attempt(op, tokenOf(op));
    return m_corruptReads.value(op).value(m_counts.value(op), value);
}

void FakeWindow::write(Op op, float value)
{
    attempt(op, tokenOf(op) + valueText(value));
}

float FakeWindow::outerHeight()
{
    return read(Op::OuterHeight, outerHeightValue);
}

void FakeWindow::setOuterHeight(float twips)
{
    write(Op::SetOuterHeight, twips);
    if (!refuseSizeChanges)
        outerHeightValue = std::max(twips, minimumOuterHeight);
}

float FakeWindow::outerWidth()
{
    return read(Op::OuterWidth, outerWidthValue);
}

void FakeWindow::setOuterWidth(float twips)
{
    write(Op::SetOuterWidth, twips);
    if (!refuseSizeChanges)
        outerWidthValue = std::max(twips, minimumOuterWidth);
}

float FakeWindow::top()
{
    return read(Op::Top, topValue);
}

void FakeWindow::setTop(float twips)
{
    write(Op::SetTop, twips);
    topValue = twips;
}

float FakeWindow::left()
{
    return read(Op::Left, leftValue);
}

void FakeWindow::setLeft(float twips)
{
    write(Op::SetLeft, twips);
    leftValue = twips;
}

float FakeWindow::clientHeight()
{
    return read(Op::ClientHeight, outerHeightValue - frameHeight);
}

float FakeWindow::clientWidth()
{
    return read(Op::ClientWidth, outerWidthValue - frameWidth);
}

void FakeWindow::dispatchEvents()
{
    attempt(Op::Dispatch, tokenOf(Op::Dispatch));
    if (onDispatch)
        onDispatch(m_counts.value(Op::Dispatch));
}

QStringList ops(const char *text)
{
    return QString::fromLatin1(text)
        .replace(QLatin1Char('|'), QLatin1Char(' '))
        .split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QList<float> writes(const QStringList &log, const char *setter)
{
    const QString prefix = QString::fromLatin1(setter);
    QList<float> values;
    for (const QString &token : log) {
        if (token.startsWith(prefix))
            values.append(token.mid(prefix.size()).toFloat());
    }
    return values;
}

} // namespace lexorra::testing
