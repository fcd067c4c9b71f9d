#include "picture_button.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace lexorra {

namespace {

// Assistive technology sees the picture as the button it behaves as, one that
// can be pressed.
class PictureButtonAccessible final : public QAccessibleWidget
{
public:
    explicit PictureButtonAccessible(PictureButton *button) : QAccessibleWidget(button, QAccessible::Button) {}

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }

    void doAction(const QString &actionName) override
    {
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        // The click may open modal boxes: it runs after the request returns,
        // as a push button's animated click does.
        QMetaObject::invokeMethod(static_cast<PictureButton *>(widget()), &PictureButton::click, Qt::QueuedConnection);
    }
};

QAccessibleInterface *pictureButtonAccessible(const QString &className, QObject *object)
{
    if (className == u"lexorra::PictureButton"_s && object && object->isWidgetType())
        return new PictureButtonAccessible(static_cast<PictureButton *>(object));
    return nullptr;
}

} // namespace

PictureButton::PictureButton(const QString &drawingFile, QWidget *parent) : QWidget(parent), m_drawing(drawingFile)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(pictureButtonAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled)

    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::click()
{
    if (!isEnabled())
        return;
    Q_EMIT pressed();
    Q_EMIT released();
    Q_EMIT clicked();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    if (!m_drawing.isValid())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The drawing's view box is mapped onto the whole widget, each direction
    // scaled on its own; painting the vectors at the device's resolution keeps
    // them sharp at any screen scale.
    m_drawing.render(&painter, QRectF(rect()));
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    Q_EMIT pressed();
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    // Like a push button: a click needs the left button to come up over the
    // picture it went down on.
    const bool click =
        event->button() == Qt::LeftButton && m_leftPressed && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
    Q_EMIT released();
    if (click)
        Q_EMIT clicked();
}

} // namespace lexorra
