#include "graphics/recordingsurface.h"

#include <algorithm>
#include <cmath>

namespace pellamar::graphics {

namespace {

QImage metricsImage(int dpi)
{
    // Text is measured on an image of the surface's resolution, the same way a painted
    // image of that resolution measures it.
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

} // namespace

RecordingSurface::RecordingSurface(int widthPixels, int heightPixels, int dpi)
    : Surface(widthPixels, heightPixels, dpi, dpi)
    , m_metrics(metricsImage(dpi > 0 ? dpi : 96))
{}

std::vector<DrawCall> RecordingSurface::callsOf(Op op) const
{
    std::vector<DrawCall> found;
    std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(found),
                 [op](const DrawCall& call) { return call.op == op; });
    return found;
}

QStringList RecordingSurface::texts() const
{
    QStringList found;
    for (const DrawCall& call : m_calls)
        if (call.op == Op::Text)
            found.append(call.text);
    return found;
}

const DrawCall* RecordingSurface::findText(const QString& text) const
{
    const auto it = std::find_if(m_calls.begin(), m_calls.end(), [&text](const DrawCall& call) {
        return call.op == Op::Text && call.text == text;
    });
    return it == m_calls.end() ? nullptr : &*it;
}

bool RecordingSurface::newPage()
{
    record(Op::NewPage, {}, {});
    return true;
}

bool RecordingSurface::endDocument()
{
    record(Op::EndDocument, {}, {});
    return true;
}

DrawCall& RecordingSurface::record(Op op, std::vector<double> numbers, const QColor& color)
{
    DrawCall call;
    call.op = op;
    call.numbers = std::move(numbers);
    call.color = color;
    call.lineWidth = lineWidth();
    call.font = fontSpec();
    m_calls.push_back(std::move(call));
    return m_calls.back();
}

QColor RecordingSurface::insideColor() const
{
    return fillStyle() == FillStyle::Solid ? fillColor() : QColor();
}

void RecordingSurface::drawClear(const QColor& background)
{
    record(Op::Clear, {}, background);
}

void RecordingSurface::drawLine(QPointF from, QPointF to, const QColor& color)
{
    record(Op::Line, {from.x(), from.y(), to.x(), to.y()}, color);
}

void RecordingSurface::drawRectangle(QPointF corner1, QPointF corner2, const QColor& color, Box box)
{
    DrawCall& call =
        record(Op::Rectangle, {corner1.x(), corner1.y(), corner2.x(), corner2.y()}, color);
    call.box = box;
    call.fillColor = box == Box::Filled ? color : insideColor();
}

void RecordingSurface::drawCircle(QPointF centre, double radius, const QColor& color)
{
    record(Op::Circle, {centre.x(), centre.y(), radius}, color).fillColor = insideColor();
}

void RecordingSurface::drawPolygon(const QPolygonF& corners, bool inPixels)
{
    std::vector<double> numbers;
    for (const QPointF& corner : corners) {
        numbers.push_back(corner.x());
        numbers.push_back(corner.y());
    }
    record(inPixels ? Op::PolygonPixels : Op::Polygon, std::move(numbers), foreColor()).fillColor =
        fillColor();
}

void RecordingSurface::drawText(QPointF topLeft, const QString& text)
{
    DrawCall& call =
        record(Op::Text, {topLeft.x(), topLeft.y(), textWidth(text), textHeight()}, foreColor());
    call.text = text;
}

} // namespace pellamar::graphics
