#include "ui/graphpicture.h"

#include "graphics/export.h"
#include "graphics/paintersurface.h"
#include "ui/feedback.h"
#include "ui/savedialog.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>

namespace pellamar::ui {

GraphPicture::GraphPicture(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto* copy = new QAction(QStringLiteral("Copy Picture"), this);
    auto* save = new QAction(QStringLiteral("Save Picture\u2026"), this);
    connect(copy, &QAction::triggered, this, &GraphPicture::copyPicture);
    connect(save, &QAction::triggered, this, &GraphPicture::savePicture);
    addActions({copy, save});
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void GraphPicture::copyPicture()
{
    // Twice the screen's resolution, so that the picture stays sharp in a document.
    QGuiApplication::clipboard()->setImage(graphics::renderImage(
        painter_, size(), 2.0 * devicePixelRatioF(), palette().color(QPalette::Button)));
}

bool GraphPicture::savePicture()
{
    QString path;
    if (chooser_) {
        path = chooser_();
    } else {
        path = askSaveFile(
            this, QStringLiteral("Save Picture"),
            {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG drawing (*.svg)")});
    }
    if (path.isEmpty()) {
        return false;
    }
    const QString reason =
        graphics::savePicture(path, painter_, size(), palette().color(QPalette::Button));
    if (!reason.isEmpty()) {
        QMessageBox::critical(this, kProgramName,
                              notSaved(QStringLiteral("The picture"), path, reason));
        return false;
    }
    return true;
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
    // On a high-density screen the image holds the device's pixels, so the graphs are drawn
    // at that resolution rather than enlarged.
    const qreal ratio = devicePixelRatioF();
    const QSize devicePixels(qRound(pixels.width() * ratio), qRound(pixels.height() * ratio));
    if (image_.size() != devicePixels || image_.devicePixelRatio() != ratio) {
        image_ = QImage(devicePixels, QImage::Format_RGB32);
        image_.setDevicePixelRatio(ratio);
    }
    image_.fill(palette().color(QPalette::Button));
    if (painter_) {
        graphics::PainterSurface surface(image_);
        painter_(surface);
        ++drawings_;
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
