#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

namespace pellamar::graphics {

class Surface;
using Drawing = std::function<void(Surface&)>;

// The drawing at `scale` device pixels per pixel of its size: sharp at any resolution, since
// the same drawing calls are made at the higher resolution instead of enlarging the screen's
// pixels.
QImage renderImage(const Drawing& drawing, QSize size, double scale, const QColor& background);

// Writes the drawing as SVG when the name ends in ".svg" (any case), else as PNG at twice its
// size. The file is replaced only once completely written. Empty when saved, else the reason.
QString savePicture(const QString& path, const Drawing& drawing, QSize size,
                    const QColor& background);

} // namespace pellamar::graphics
