#pragma once

// The ways a user closes a window that has a picture button for it, as rows
// of a data-driven test.

#include "window_controls.h"

#include <QTest>
#include <QWidget>

namespace lexorra::testing {

enum class CloseWay { PictureButton, EscapeKey, CloseBox };

/// Adds the column "way" and one row per way of closing.
inline void addCloseWayRows()
{
    QTest::addColumn<CloseWay>("way");
    QTest::newRow("picture button") << CloseWay::PictureButton;
    QTest::newRow("Esc key") << CloseWay::EscapeKey;
    QTest::newRow("close box") << CloseWay::CloseBox;
}

/// Closes @p window the way a user would.
inline void closeBy(QWidget &window, CloseWay way)
{
    switch (way) {
    case CloseWay::PictureButton:
        QTest::mouseClick(command1(window), Qt::LeftButton);
        break;
    case CloseWay::EscapeKey:
        QTest::keyClick(&window, Qt::Key_Escape);
        break;
    case CloseWay::CloseBox:
        window.close();
        break;
    }
}

} // namespace lexorra::testing

Q_DECLARE_METATYPE(lexorra::testing::CloseWay)
