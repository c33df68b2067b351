#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace pellamar::graphics {
class Surface;
}

namespace pellamar::ui {

// A picture box: shows what a drawing routine drew onto an image of the widget's size, redrawn
// whenever asked and whenever the size changes.
class GraphPicture : public QWidget {
    Q_OBJECT
public:
    using Painter = std::function<void(graphics::Surface&)>;
    explicit GraphPicture(QWidget* parent = nullptr);

    void setPainter(Painter painter);
    void redraw();
    const QImage& image() const { return image_; }

signals:
    void mouseMovedTo(QPointF pixel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Painter painter_;
    QImage image_;
};

} // namespace pellamar::ui
