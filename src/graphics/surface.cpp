#include "graphics/surface.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace pellamar::graphics {

Surface::Surface(int widthPixels, int heightPixels, double dpiX, double dpiY)
    : m_deviceWidth(std::max(widthPixels, 1))
    , m_deviceHeight(std::max(heightPixels, 1))
    , m_dpiX(dpiX > 0.0 ? dpiX : 96.0)
    , m_dpiY(dpiY > 0.0 ? dpiY : 96.0)
    , m_width(m_deviceWidth)
    , m_height(m_deviceHeight)
{
    updateFont();
}

bool Surface::setScale(double left, double top, double right, double bottom)
{
    const double width = right - left;
    const double height = bottom - top;
    if (!std::isfinite(width) || !std::isfinite(height) || width == 0.0 || height == 0.0)
        return false;
    const QPointF current = toPixels({m_currentX, m_currentY});
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    const QPointF moved = fromPixels(current);
    m_currentX = moved.x();
    m_currentY = moved.y();
    return true;
}

void Surface::setPixelScale()
{
    setScale(0.0, 0.0, m_deviceWidth, m_deviceHeight);
}

double Surface::pixelsPerUnit(Unit unit, bool vertical) const
{
    const double dpi = vertical ? m_dpiY : m_dpiX;
    switch (unit) {
    case Unit::User:
        return vertical ? m_deviceHeight / m_height : m_deviceWidth / m_width;
    case Unit::Pixel:
        return 1.0;
    case Unit::Point:
        return dpi / 72.0;
    case Unit::Inch:
        return dpi;
    }
    return 1.0;
}

double Surface::scaleX(double value, Unit from, Unit to) const
{
    return value * pixelsPerUnit(from, false) / pixelsPerUnit(to, false);
}

double Surface::scaleY(double value, Unit from, Unit to) const
{
    return value * pixelsPerUnit(from, true) / pixelsPerUnit(to, true);
}

QPointF Surface::toPixels(QPointF user) const
{
    return {(user.x() - m_left) * m_deviceWidth / m_width,
            (user.y() - m_top) * m_deviceHeight / m_height};
}

QPointF Surface::fromPixels(QPointF pixels) const
{
    return {m_left + pixels.x() * m_width / m_deviceWidth,
            m_top + pixels.y() * m_height / m_deviceHeight};
}

void Surface::moveTo(double x, double y)
{
    m_currentX = x;
    m_currentY = y;
}

void Surface::setLineWidth(double pixels)
{
    // Whole pixels as the device draws them; a thinner line would vanish on coarse devices.
    const double rounded = std::nearbyint(pixels);
    m_lineWidth =
        std::isfinite(rounded) && rounded >= 1.0 ? static_cast<int>(std::min(rounded, 10000.0)) : 1;
}

void Surface::setFont(const FontSpec& font)
{
    m_font = font;
    updateFont();
}

void Surface::setFont(const QString& family, double pointSize, bool bold, bool underline)
{
    setFont(FontSpec{family, pointSize, bold, underline});
}

void Surface::setFontName(const QString& family)
{
    m_font.family = family;
    updateFont();
}

void Surface::setFontSize(double pointSize)
{
    m_font.pointSize = pointSize;
    updateFont();
}

void Surface::setFontBold(bool bold)
{
    m_font.bold = bold;
    updateFont();
}

void Surface::setFontUnderline(bool underline)
{
    m_font.underline = underline;
    updateFont();
}

void Surface::updateFont()
{
    QFont font;
    if (!m_font.family.isEmpty())
        font.setFamily(m_font.family);
    // Qt refuses sizes that are not positive; keep the text legible instead.
    font.setPointSizeF(m_font.pointSize > 0.0 ? m_font.pointSize : 1.0);
    font.setBold(m_font.bold);
    font.setUnderline(m_font.underline);
    m_qfont = font;
}

QFont Surface::font() const
{
    return QFont(m_qfont, &metricsDevice());
}

double Surface::lineHeightPixels() const
{
    return QFontMetricsF(m_qfont, &metricsDevice()).height();
}

double Surface::textWidth(const QString& text) const
{
    const double pixels = QFontMetricsF(m_qfont, &metricsDevice()).horizontalAdvance(text);
    return std::abs(scaleX(pixels, Unit::Pixel, Unit::User));
}

double Surface::textHeight(const QString&) const
{
    return std::abs(scaleY(lineHeightPixels(), Unit::Pixel, Unit::User));
}

void Surface::print(const QString& text, bool endLine)
{
    if (!text.isEmpty()) {
        drawText({m_currentX, m_currentY}, text);
        const double advance = QFontMetricsF(m_qfont, &metricsDevice()).horizontalAdvance(text);
        m_currentX += scaleX(advance, Unit::Pixel, Unit::User);
    }
    if (endLine) {
        m_currentX = 0.0;
        m_currentY += scaleY(lineHeightPixels(), Unit::Pixel, Unit::User);
    }
}

void Surface::clear(const QColor& background)
{
    drawClear(background);
    moveTo(0.0, 0.0);
}

void Surface::line(double x1, double y1, double x2, double y2, const QColor& color)
{
    drawLine({x1, y1}, {x2, y2}, resolved(color));
    moveTo(x2, y2);
}

void Surface::lineBy(double x, double y, double dx, double dy, const QColor& color)
{
    line(x, y, x + dx, y + dy, color);
}

void Surface::lineTo(double x, double y, const QColor& color)
{
    line(m_currentX, m_currentY, x, y, color);
}

void Surface::rectangle(double x1, double y1, double x2, double y2, const QColor& color, Box box)
{
    drawRectangle({x1, y1}, {x2, y2}, resolved(color), box);
    moveTo(x2, y2);
}

void Surface::rectangleBy(double x, double y, double dx, double dy, const QColor& color, Box box)
{
    rectangle(x, y, x + dx, y + dy, color, box);
}

void Surface::circle(double x, double y, double radius, const QColor& color)
{
    drawCircle({x, y}, std::abs(radius), resolved(color));
    moveTo(x, y);
}

void Surface::polygon(const QPolygonF& corners)
{
    drawPolygon(corners, false);
}

void Surface::polygonPixels(const QPolygonF& corners)
{
    drawPolygon(corners, true);
}

} // namespace pellamar::graphics
