#include "ui/onscreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace pellamar::ui {

QRect insideArea(const QRect& frame, const QRect& area)
{
    QRect fitted(frame.topLeft(), frame.size().boundedTo(area.size()));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() + 1 - fitted.height()));
    return fitted;
}

void keepOnScreen(QWidget* window)
{
    const QRect frame = window->frameGeometry();
    // A window placed partly past the screen's edge belongs to the screen it was opened on.
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen) {
        screen = window->screen();
    }
    if (!screen) {
        return;
    }
    const QRect fitted = insideArea(frame, screen->availableGeometry());
    if (fitted.size() != frame.size()) {
        window->resize(window->size() - (frame.size() - fitted.size()));
    }
    if (fitted.topLeft() != frame.topLeft()) {
        window->move(fitted.topLeft());
    }
}

} // namespace pellamar::ui
