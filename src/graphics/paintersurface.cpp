#include "graphics/paintersurface.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <cmath>

namespace pellamar::graphics {

PainterSurface::PainterSurface(QPaintDevice& device)
    : Surface(device.width(), device.height(), device.logicalDpiX(), device.logicalDpiY())
    , m_device(device)
{
    if (m_painter.begin(&device))
        m_painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
}

PainterSurface::~PainterSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PainterSurface::newPage()
{
    auto* paged = dynamic_cast<QPagedPaintDevice*>(&m_device);
    return m_painter.isActive() && paged && paged->newPage();
}

bool PainterSurface::endDocument()
{
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
    if (!m_painter.isActive())
        return;
    m_painter.save();
    m_painter.setCompositionMode(QPainter::CompositionMode_Source);
    m_painter.fillRect(QRectF(0, 0, deviceWidth(), deviceHeight()), background);
    m_painter.restore();
}

void PainterSurface::drawLine(QPointF from, QPointF to, const QColor& color)
{
    m_painter.setPen(pen(color));
    m_painter.drawLine(snapped(toPixels(from)), snapped(toPixels(to)));
}

void PainterSurface::drawRectangle(QPointF corner1, QPointF corner2, const QColor& color, Box box)
{
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
    const double r = std::abs(scaleX(radius, Unit::User, Unit::Pixel));
    m_painter.setPen(pen(color));
    m_painter.setBrush(fillStyle() == FillStyle::Solid ? QBrush(fillColor()) : QBrush());
    m_painter.drawEllipse(snapped(toPixels(centre)), r, r);
}

void PainterSurface::drawPolygon(const QPolygonF& corners, bool inPixels)
{
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
