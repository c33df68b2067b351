#include "graphics/paintersurface.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <cmath>

namespace pellamar::graphics {

namespace {
// An image for a high-density screen holds more pixels than the picture is wide; the drawing
// works in the picture's own pixels and the painter scales it to the device's.
int logical(int devicePixels, const QPaintDevice& device)
{
    return static_cast<int>(std::lround(devicePixels / device.devicePixelRatio()));
}
} // namespace

PainterSurface::PainterSurface(QPaintDevice& device)
    : Surface(logical(device.width(), device), logical(device.height(), device),
              device.logicalDpiX(), device.logicalDpiY())
    , m_device(device)
{
    if (m_painter.begin(&device))
        m_painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
}

PainterSurface::~PainterSurface()
{
    flushPolyline();
    if (m_painter.isActive())
        m_painter.end();
}

bool PainterSurface::newPage()
{
    flushPolyline();
    auto* paged = dynamic_cast<QPagedPaintDevice*>(&m_device);
    return m_painter.isActive() && paged && paged->newPage();
}

bool PainterSurface::endDocument()
{
    flushPolyline();
    return m_painter.isActive() && m_painter.end();
}

// A line of odd width runs through pixel centres, one of even width along pixel edges, so
// that horizontal and vertical lines cover whole pixels instead of smearing over two.
QPointF PainterSurface::snapped(QPointF pixels) const
{
    const auto snap = [this](double v) {
        return lineWidth() % 2 == 1 ? std::floor(v + 1e-6) + 0.5 : std::round(v);
    };
    return {snap(pixels.x()), snap(pixels.y())};
}

QPen PainterSurface::pen(const QColor& color) const
{
    // A one-pixel line covers its end pixels fully; wide curves need round joints.
    const bool thin = lineWidth() == 1;
    return QPen(color, lineWidth(), Qt::SolidLine, thin ? Qt::SquareCap : Qt::RoundCap,
                thin ? Qt::MiterJoin : Qt::RoundJoin);
}

void PainterSurface::drawClear(const QColor& background)
{
    flushPolyline();
    if (!m_painter.isActive())
        return;
    m_painter.save();
    m_painter.setCompositionMode(QPainter::CompositionMode_Source);
    m_painter.fillRect(QRectF(0, 0, deviceWidth(), deviceHeight()), background);
    m_painter.restore();
}

void PainterSurface::flushPolyline()
{
    if (m_polyline.size() < 2 || !m_painter.isActive()) {
        m_polyline.clear();
        return;
    }
    const int width = m_polylinePen.width();
    // On an image, a wide line through thousands of points (a swath profile of a long line of
    // pans) is stamped with a plus-shaped pen of one-pixel lines: its stroked outline cost tens
    // of milliseconds per picture, the stamps a few hundred microseconds. Printers and PDF files
    // get the real pen.
    constexpr qsizetype kStampedFrom = 256;
    if (m_polyline.size() >= kStampedFrom && width > 1 && m_device.devType() == QInternal::Image) {
        QPen thin(m_polylinePen.color(), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        const int reach = width / 2;
        if (stampThroughMask(thin, reach)) {
            m_polyline.clear();
            return;
        }
        m_painter.setPen(thin);
        m_painter.setRenderHint(QPainter::Antialiasing, false);
        for (int d = -reach; d <= reach; ++d) {
            m_painter.drawPolyline(m_polyline.translated(d, 0));
            if (d != 0) {
                m_painter.drawPolyline(m_polyline.translated(0, d));
            }
        }
        m_painter.setRenderHint(QPainter::Antialiasing, true);
    } else {
        m_painter.setPen(m_polylinePen);
        m_painter.drawPolyline(m_polyline);
    }
    m_polyline.clear();
}

// The plus-shaped stamp drawn line by line rasterised the polyline 2 × width − 1 times; the same
// pixels come from rasterising it once into a mask and spreading the mask. Only where nothing
// clips or transforms the lines and an opaque colour makes overlaps invisible; false otherwise.
bool PainterSurface::stampThroughMask(const QPen& thin, int reach)
{
    const QRgb colour = thin.color().rgba();
    const QRect bounds = m_polyline.boundingRect().toAlignedRect().adjusted(-reach - 1, -reach - 1,
                                                                            reach + 1, reach + 1);
    if (qAlpha(colour) != 255 || m_painter.hasClipping() || !m_painter.transform().isIdentity() ||
        m_device.devicePixelRatio() != 1.0 ||
        !QRect(0, 0, m_device.width(), m_device.height()).contains(bounds)) {
        return false;
    }
    QImage mask(bounds.size(), QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter lines(&mask);
        lines.setPen(thin);
        lines.drawPolyline(m_polyline.translated(-bounds.topLeft()));
    }
    QImage stamp(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    const int w = bounds.width();
    const int h = bounds.height();
    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<QRgb*>(stamp.scanLine(y));
        for (int d = -reach; d <= reach; ++d) {
            // The row d lines away, moved up or down onto this one.
            if (y - d >= 0 && y - d < h) {
                const uchar* in = mask.constScanLine(y - d);
                for (int x = 0; x < w; ++x) {
                    out[x] = in[x] != 0 ? colour : out[x];
                }
            }
        }
        const uchar* in = mask.constScanLine(y);
        for (int d = 1; d <= reach; ++d) {
            for (int x = d; x < w - d; ++x) {
                out[x] = (in[x - d] | in[x + d]) != 0 ? colour : out[x];
            }
        }
    }
    m_painter.drawImage(bounds.topLeft(), stamp);
    return true;
}

void PainterSurface::drawLine(QPointF from, QPointF to, const QColor& color)
{
    const QPointF start = snapped(toPixels(from));
    const QPen linePen = pen(color);
    if (m_polyline.isEmpty() || m_polyline.constLast() != start || m_polylinePen != linePen) {
        flushPolyline();
        m_polylinePen = linePen;
        m_polyline << start;
    }
    m_polyline << snapped(toPixels(to));
}

void PainterSurface::drawRectangle(QPointF corner1, QPointF corner2, const QColor& color, Box box)
{
    flushPolyline();
    QPen outline = pen(color);
    outline.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(outline);
    if (box == Box::Filled)
        m_painter.setBrush(color);
    else if (fillStyle() == FillStyle::Solid)
        m_painter.setBrush(fillColor());
    else
        m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(QRectF(snapped(toPixels(corner1)), snapped(toPixels(corner2))).normalized());
}

void PainterSurface::drawCircle(QPointF centre, double radius, const QColor& color)
{
    flushPolyline();
    const double r = std::abs(scaleX(radius, Unit::User, Unit::Pixel));
    const QPen outline = pen(color);
    const QBrush fill = fillStyle() == FillStyle::Solid ? QBrush(fillColor()) : QBrush();
    const QPointF at = snapped(toPixels(centre));
    // Small circles on an image (a COV point per swath width, a thousand of them) are drawn once
    // and stamped: the same pixels, since every centre sits on the same pixel phase.
    if (m_device.devType() == QInternal::Image && m_device.devicePixelRatio() == 1.0 && r <= 8.0) {
        const QPointF phase(at.x() - std::floor(at.x()), at.y() - std::floor(at.y()));
        const int reach = static_cast<int>(std::ceil(r + lineWidth())) + 1;
        const bool same = !m_stamp.isNull() && m_stampRadius == r && m_stampPen == outline &&
                          m_stampBrush == fill && m_stampPhase == phase;
        if (!same) {
            m_stamp = QImage(2 * reach + 1, 2 * reach + 1, QImage::Format_ARGB32_Premultiplied);
            m_stamp.fill(Qt::transparent);
            QPainter stamp(&m_stamp);
            stamp.setRenderHints(m_painter.renderHints());
            stamp.setPen(outline);
            stamp.setBrush(fill);
            stamp.drawEllipse(QPointF(reach, reach) + phase, r, r);
            m_stampRadius = r;
            m_stampPen = outline;
            m_stampBrush = fill;
            m_stampPhase = phase;
        }
        m_painter.drawImage(QPointF(std::floor(at.x()) - reach, std::floor(at.y()) - reach),
                            m_stamp);
        return;
    }
    m_painter.setPen(outline);
    m_painter.setBrush(fill);
    m_painter.drawEllipse(at, r, r);
}

void PainterSurface::drawPolygon(const QPolygonF& corners, bool inPixels)
{
    flushPolyline();
    QPolygonF pixels;
    pixels.reserve(corners.size());
    for (const QPointF& corner : corners)
        pixels.append(snapped(inPixels ? corner : toPixels(corner)));
    QPen outline = pen(foreColor());
    outline.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(outline);
    m_painter.setBrush(fillColor());
    // Without smoothing, as the graphs were always drawn: their polygons are columns with
    // pixel-aligned sides, hundreds per picture, and smoothing their sloped tops doubled the cost.
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.drawPolygon(pixels);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
}

void PainterSurface::drawText(QPointF topLeft, const QString& text)
{
    flushPolyline();
    const QFont deviceFont = font();
    const QPointF at = toPixels(topLeft);
    // Whole pixels keep the glyphs sharp on screen.
    const QPointF baseline(std::round(at.x()),
                           std::round(at.y()) + QFontMetricsF(deviceFont, &m_device).ascent());
    m_painter.setFont(deviceFont);
    m_painter.setPen(foreColor());
    m_painter.drawText(baseline, text);
}

} // namespace pellamar::graphics
