#pragma once

#include "graphics/surface.h"

#include <QImage>
#include <vector>

namespace pellamar::graphics {

enum class Op {
    Clear,
    Line,
    Rectangle,
    Circle,
    Polygon,
    PolygonPixels,
    Text,
    NewPage,
    EndDocument
};

// One drawing call with the state it was drawn with. Numbers are user coordinates unless
// the op says pixels:
//   Line, Rectangle: x1, y1, x2, y2;  Circle: x, y, radius;  Text: x, y, width, height
//   (top-left of the line box and its extent);  Polygon, PolygonPixels: x, y per corner.
struct DrawCall {
    Op op = Op::Line;
    std::vector<double> numbers;
    QString text;
    QColor color;     // line, outline, text or background colour
    QColor fillColor; // inside colour; invalid when nothing is filled
    Box box = Box::Outline;
    int lineWidth = 1;
    FontSpec font;
};

// Keeps every call instead of drawing it, with realistic text metrics: the fonts are
// measured as on a device of the given size and resolution.
class RecordingSurface : public Surface {
public:
    RecordingSurface(int widthPixels, int heightPixels, int dpi);

    const std::vector<DrawCall>& calls() const { return m_calls; }
    std::vector<DrawCall> callsOf(Op op) const;
    QStringList texts() const;
    // The first text call with exactly this text, or nullptr.
    const DrawCall* findText(const QString& text) const;
    void clearCalls() { m_calls.clear(); }

    bool newPage() override;
    bool endDocument() override;

protected:
    const QPaintDevice& metricsDevice() const override { return m_metrics; }
    void drawClear(const QColor& background) override;
    void drawLine(QPointF from, QPointF to, const QColor& color) override;
    void drawRectangle(QPointF corner1, QPointF corner2, const QColor& color, Box box) override;
    void drawCircle(QPointF centre, double radius, const QColor& color) override;
    void drawPolygon(const QPolygonF& corners, bool inPixels) override;
    void drawText(QPointF topLeft, const QString& text) override;

private:
    QImage m_metrics;
    std::vector<DrawCall> m_calls;

    DrawCall& record(Op op, std::vector<double> numbers, const QColor& color);
    QColor insideColor() const;
};

} // namespace pellamar::graphics
