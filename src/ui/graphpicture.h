#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace pellamar::graphics {
class Surface;
}

namespace pellamar::ui {

// A picture box: shows what a drawing routine drew onto an image of the widget's size (at the
// screen's own resolution), redrawn whenever asked and whenever the size changes. Its context
// menu copies the picture or saves it as PNG or SVG.
class GraphPicture : public QWidget {
    Q_OBJECT
public:
    using Painter = std::function<void(graphics::Surface&)>;
    explicit GraphPicture(QWidget* parent = nullptr);

    void setPainter(Painter painter);
    void redraw();
    // How often a painter drew the picture, so that a caller can tell whether a resize just did.
    int drawings() const { return drawings_; }
    const QImage& image() const { return image_; }

    // Asks for the file to save the picture in; empty when the operator cancels. Tests put
    // their own here.
    using FileChooser = std::function<QString()>;
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    void copyPicture();
    bool savePicture();

signals:
    void mouseMovedTo(QPointF pixel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Painter painter_;
    QImage image_;
    FileChooser chooser_;
    int drawings_ = 0;
};

} // namespace pellamar::ui
