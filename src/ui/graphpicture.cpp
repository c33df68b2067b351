#include "ui/graphpicture.h"

#include "graphics/paintersurface.h"

#include <QMouseEvent>
#include <QPainter>

namespace pellamar::ui {

GraphPicture::GraphPicture(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphPicture::setPainter(Painter painter)
{
    painter_ = std::move(painter);
    redraw();
}

void GraphPicture::redraw()
{
    // The drawing routines work in the widget's own pixels.
    const QSize pixels = size();
    if (pixels.isEmpty()) {
        return;
    }
    if (image_.size() != pixels) {
        image_ = QImage(pixels, QImage::Format_RGB32);
    }
    image_.fill(palette().color(QPalette::Button));
    if (painter_) {
        graphics::PainterSurface surface(image_);
        painter_(surface);
    }
    update();
}

void GraphPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), image_);
}

void GraphPicture::resizeEvent(QResizeEvent*)
{
    redraw();
}

void GraphPicture::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMovedTo(event->position());
}

} // namespace pellamar::ui
