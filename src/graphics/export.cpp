#include "graphics/export.h"

#include "graphics/paintersurface.h"

#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>

namespace pellamar::graphics {

QImage renderImage(const Drawing& drawing, QSize size, double scale, const QColor& background)
{
    QImage image(
        QSize(int(std::lround(size.width() * scale)), int(std::lround(size.height() * scale))),
        QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(background);
    if (drawing && !image.isNull()) {
        PainterSurface surface(image);
        drawing(surface);
    }
    return image;
}

QString savePicture(const QString& path, const Drawing& drawing, QSize size,
                    const QColor& background)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(QStringLiteral("Pellamar"));
        PainterSurface surface(svg);
        surface.clear(background);
        if (drawing) {
            drawing(surface);
        }
    } else if (!renderImage(drawing, size, 2.0, background).save(&file, "PNG")) {
        file.cancelWriting();
        return file.errorString().isEmpty() ? QStringLiteral("The image could not be written.")
                                            : file.errorString();
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}

} // namespace pellamar::graphics
