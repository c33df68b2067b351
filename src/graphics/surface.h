#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QPolygonF>
#include <QString>

class QPaintDevice;

namespace pellamar::graphics {

// Units a length can be converted between. User units follow the coordinate system set
// with setScale; pixels are device pixels; 72 points make an inch.
enum class Unit { User, Pixel, Point, Inch };

enum class FillStyle { Solid, Transparent };

// How a rectangle is drawn: an outline whose inside follows the fill style and fill
// colour, or a box filled with the line's own colour.
enum class Box { Outline, Filled };

struct FontSpec {
    QString family;
    double pointSize = 8.0;
    bool bold = false;
    bool underline = false;

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// A drawing surface in the picture-box manner: a user coordinate system given by its
// edges (the y axis may run upward), a current point that lines, circles and printed text
// move, a line width in whole device pixels, a fill colour and style, and a font whose
// point size is honoured on the device's resolution. Texts are never mirrored, whichever
// way the axes run.
class Surface {
public:
    virtual ~Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Device geometry.
    int deviceWidth() const { return m_deviceWidth; }
    int deviceHeight() const { return m_deviceHeight; }
    double dpiX() const { return m_dpiX; }
    double dpiY() const { return m_dpiY; }

    // User coordinates: (left, top) is the top-left corner of the device, (right, bottom)
    // its bottom-right corner. A system without width or height is refused (false) and
    // the one in force is kept. The current point keeps its place on the device.
    bool setScale(double left, double top, double right, double bottom);
    // Pixel coordinates with the origin at the top-left corner; the initial system.
    void setPixelScale();
    double scaleLeft() const { return m_left; }
    double scaleTop() const { return m_top; }
    double scaleWidth() const { return m_width; }
    double scaleHeight() const { return m_height; }

    // Lengths. A user length keeps the sign of its axis: with the y axis running upward,
    // scaleY(1, Unit::User, Unit::Pixel) is negative.
    double scaleX(double value, Unit from, Unit to) const;
    double scaleY(double value, Unit from, Unit to) const;

    // Positions between user coordinates and device pixels (pixel edges: the left edge
    // of the device is 0, its right edge deviceWidth()).
    QPointF toPixels(QPointF user) const;
    QPointF fromPixels(QPointF pixels) const;

    // Current point (print position), in user units.
    double currentX() const { return m_currentX; }
    double currentY() const { return m_currentY; }
    void setCurrentX(double x) { m_currentX = x; }
    void setCurrentY(double y) { m_currentY = y; }
    void moveTo(double x, double y);

    // Drawing state.
    int lineWidth() const { return m_lineWidth; }
    // Rounded to whole pixels, ties to even, at least 1.
    void setLineWidth(double pixels);
    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor& color) { m_foreColor = color; }
    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor& color) { m_fillColor = color; }
    FillStyle fillStyle() const { return m_fillStyle; }
    void setFillStyle(FillStyle style) { m_fillStyle = style; }

    // Font.
    const FontSpec& fontSpec() const { return m_font; }
    void setFont(const FontSpec& font);
    void setFont(const QString& family, double pointSize, bool bold, bool underline);
    QString fontName() const { return m_font.family; }
    void setFontName(const QString& family);
    double fontSize() const { return m_font.pointSize; }
    void setFontSize(double pointSize);
    bool fontBold() const { return m_font.bold; }
    void setFontBold(bool bold);
    bool fontUnderline() const { return m_font.underline; }
    void setFontUnderline(bool underline);
    // The font as used on this device.
    QFont font() const;

    // Text extent in user units, as positive lengths; the height is that of one line box.
    double textWidth(const QString& text) const;
    double textHeight(const QString& text = {}) const;

    // Draws the text with the top-left corner of its line box at the current point. Staying
    // on the line moves the current point to the text's right end; ending the line moves
    // it to x = 0 and down one line. An empty text that ends the line draws nothing.
    void print(const QString& text, bool endLine);

    // Drawing. An invalid colour stands for the foreground colour. Lines and boxes leave
    // the current point at their second point, circles at their centre.
    void clear(const QColor& background = Qt::white);
    void line(double x1, double y1, double x2, double y2, const QColor& color = {});
    void lineBy(double x, double y, double dx, double dy, const QColor& color = {});
    void lineTo(double x, double y, const QColor& color = {});
    void rectangle(double x1, double y1, double x2, double y2, const QColor& color = {},
                   Box box = Box::Outline);
    void rectangleBy(double x, double y, double dx, double dy, const QColor& color = {},
                     Box box = Box::Outline);
    // Radius in horizontal user units; filled with the fill colour when the style is solid.
    void circle(double x, double y, double radius, const QColor& color = {});
    // Always filled with the fill colour and outlined in the foreground colour at the
    // current line width; corners in user units or in device pixels.
    void polygon(const QPolygonF& corners);
    void polygonPixels(const QPolygonF& corners);

    // Paged devices: starts the next page, ends the document. False on failure or when
    // the device has no pages.
    virtual bool newPage() = 0;
    virtual bool endDocument() = 0;

protected:
    Surface(int widthPixels, int heightPixels, double dpiX, double dpiY);

    // What the surface takes its font metrics from: a device of its resolution.
    virtual const QPaintDevice& metricsDevice() const = 0;

    // Rendering, in user coordinates (pixels where said). Colours are resolved; the state
    // (line width, fill, font) is read from the surface.
    virtual void drawClear(const QColor& background) = 0;
    virtual void drawLine(QPointF from, QPointF to, const QColor& color) = 0;
    virtual void drawRectangle(QPointF corner1, QPointF corner2, const QColor& color, Box box) = 0;
    virtual void drawCircle(QPointF centre, double radius, const QColor& color) = 0;
    virtual void drawPolygon(const QPolygonF& corners, bool inPixels) = 0;
    virtual void drawText(QPointF topLeft, const QString& text) = 0;

    QColor resolved(const QColor& color) const { return color.isValid() ? color : m_foreColor; }
    // Device pixels of one line box of the current font.
    double lineHeightPixels() const;

private:
    int m_deviceWidth;
    int m_deviceHeight;
    double m_dpiX;
    double m_dpiY;
    double m_left = 0.0;
    double m_top = 0.0;
    double m_width;
    double m_height;
    double m_currentX = 0.0;
    double m_currentY = 0.0;
    int m_lineWidth = 1;
    QColor m_foreColor = Qt::black;
    QColor m_fillColor = Qt::black;
    FillStyle m_fillStyle = FillStyle::Transparent;
    FontSpec m_font;
    QFont m_qfont;

    void updateFont();
    double pixelsPerUnit(Unit unit, bool vertical) const;
};

} // namespace pellamar::graphics
