#pragma once

#include <QColor>
#include <QWidget>

namespace lexorra {

/// A rectangle frame drawn as a one-pixel outline, with nothing painted inside.
/// It is only a drawing: it takes no focus and lets the mouse through to what
/// lies beneath it.
class FrameShape final : public QWidget
{
    Q_OBJECT

public:
    FrameShape(const QColor &colour, QWidget *parent);
    Q_DISABLE_COPY_MOVE(FrameShape)

    [[nodiscard]] QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour;
};

} // namespace lexorra
