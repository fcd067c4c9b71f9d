#pragma once

// The controls of the program's windows, found by the names they carry as
// object names, the way a test or an accessibility tool finds them.

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace lexorra {
class FrameShape;
class PictureButton;
} // namespace lexorra

namespace lexorra::testing {

/// The child of @p window named @p name, or null when it has none of type T.
template <class T = QWidget>
T *control(const QWidget &window, const QString &name)
{
    return window.findChild<T *>(name);
}

inline QListView *list1(const QWidget &window)
{
    return control<QListView>(window, QStringLiteral("List1"));
}
inline QListView *list2(const QWidget &window)
{
    return control<QListView>(window, QStringLiteral("List2"));
}
/// The About label of the main window, or element @p index of the About
/// window's label array.
inline QLabel *label1(const QWidget &window, int index = -1)
{
    return control<QLabel>(window, index < 0 ? QStringLiteral("Label1") : QStringLiteral("Label1_%1").arg(index));
}
inline QLabel *label2(const QWidget &window)
{
    return control<QLabel>(window, QStringLiteral("Label2"));
}
// Templates, so that only the tests that use them need the controls' classes.
template <class Picture = PictureButton>
Picture *image1(const QWidget &window)
{
    return control<Picture>(window, QStringLiteral("Image1"));
}
inline QPushButton *command1(const QWidget &window)
{
    return control<QPushButton>(window, QStringLiteral("Command1"));
}
/// Element @p index of the main window's frame array: 0 the press frame,
/// 1 the hover frame.
template <class Frame = FrameShape>
Frame *shape1(const QWidget &window, int index)
{
    return control<Frame>(window, QStringLiteral("Shape1_%1").arg(index));
}

} // namespace lexorra::testing
