#pragma once

#include "graphics/surface.h"

#include <QPainter>

namespace pellamar::graphics {

// Draws on any paint device: an image for the screen and the preview, a printer, a PDF
// writer. The surface spans the whole device (a printer wants full-page mode so that the
// page's corners are the paper's). Thin axis-aligned lines land on whole pixels so they
// stay crisp; slanted lines, circles and polygon edges are antialiased.
class PainterSurface : public Surface {
public:
    explicit PainterSurface(QPaintDevice& device);
    ~PainterSurface() override;

    // False when the device could not be painted on (a printer that failed to start).
    bool isActive() const { return m_painter.isActive(); }

    bool newPage() override;
    bool endDocument() override;

protected:
    const QPaintDevice& metricsDevice() const override { return m_device; }
    void drawClear(const QColor& background) override;
    void drawLine(QPointF from, QPointF to, const QColor& color) override;
    void drawRectangle(QPointF corner1, QPointF corner2, const QColor& color, Box box) override;
    void drawCircle(QPointF centre, double radius, const QColor& color) override;
    void drawPolygon(const QPolygonF& corners, bool inPixels) override;
    void drawText(QPointF topLeft, const QString& text) override;

private:
    QPaintDevice& m_device;
    QPainter m_painter;

    QPointF snapped(QPointF pixels) const;
    QPen pen(const QColor& color) const;
};

} // namespace pellamar::graphics
