#pragma once

#include <QPixmap>
#include <QPushButton>

namespace lexorra {

/// A push button that shows a picture and no text. The picture keeps its own
/// size and is drawn centred on the button's face, so a picture taller than the
/// button is cut evenly at its top and bottom rather than scaled down.
class ImagePushButton final : public QPushButton
{
    Q_OBJECT

public:
    explicit ImagePushButton(const QPixmap &picture, QWidget *parent = nullptr);

    [[nodiscard]] const QPixmap &picture() const { return m_picture; }
    /// Where the picture is drawn, in the button's coordinates.
    [[nodiscard]] QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace lexorra
