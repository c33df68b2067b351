#pragma once

#include <QRect>

class QWidget;

namespace pellamar::ui {

// The frame moved as little as it takes to lie inside the area, and cut to the area's size where
// it is larger.
QRect insideArea(const QRect& frame, const QRect& area);

// Keeps a window, frame included, inside the available area of its screen: one that fits where
// it was placed stays there.
void keepOnScreen(QWidget* window);

} // namespace pellamar::ui
