#pragma once

#include "graphics/surface.h"

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPolygonF>

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
    bool stampThroughMask(const QPen& thin, int reach);
    QPaintDevice& m_device;
    QPainter m_painter;
    // Lines that continue one another with the same pen are drawn as one polyline once
    // something else is drawn: a graph's thousands of segments cost one call, and they meet in
    // joints instead of overlapping caps.
    QPolygonF m_polyline;
    QPen m_polylinePen;
    // The last small circle drawn on an image, to stamp again.
    QImage m_stamp;
    double m_stampRadius = 0.0;
    QPen m_stampPen;
    QBrush m_stampBrush;
    QPointF m_stampPhase;

    QPointF snapped(QPointF pixels) const;
    QPen pen(const QColor& color) const;
    void flushPolyline();
};

} // namespace pellamar::graphics
