#pragma once

#include <QSvgRenderer>
#include <QWidget>

namespace lexorra {

/// A picture that works as a button: it shows a vector drawing stretched over
/// its whole box, paints no background of its own, takes no keyboard focus and
/// reports the mouse as pressed, released and clicked, in that order.
class PictureButton final : public QWidget
{
    Q_OBJECT

public:
    /// Shows the SVG drawing in @p drawingFile (a file or resource path).
    PictureButton(const QString &drawingFile, QWidget *parent);
    Q_DISABLE_COPY_MOVE(PictureButton)

    /// True when the drawing could be read.
    [[nodiscard]] bool hasDrawing() const { return m_drawing.isValid(); }

public Q_SLOTS:
    /// Presses and releases the picture as a left click does; for assistive
    /// technology, which presses buttons without a mouse.
    void click();

Q_SIGNALS:
    /// Any mouse button went down on the picture.
    void pressed();
    /// A mouse button that went down on the picture came up, wherever it is.
    void released();
    /// The left button went down and came up again on the picture; follows released().
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSvgRenderer m_drawing;
    bool m_leftPressed = false;
};

} // namespace lexorra
