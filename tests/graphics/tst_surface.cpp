#include "graphics/paintersurface.h"
#include "graphics/recordingsurface.h"

#include <QBuffer>
#include <QImage>
#include <QPdfWriter>
#include <QtTest>
#include <cmath>

using namespace pellamar::graphics;

Q_DECLARE_METATYPE(pellamar::graphics::FontSpec)
Q_DECLARE_METATYPE(pellamar::graphics::Unit)

namespace {

QImage whiteImage(int width, int height, int dpi)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    return image;
}

// The page of the report: inches, origin at the bottom-left corner, y upward.
void setPage(Surface& surface)
{
    QVERIFY(surface.setScale(0, 11, 8.5, 0));
}

} // namespace

class TestSurface : public QObject {
    Q_OBJECT
private slots:
    void pageMapping_data();
    void pageMapping();
    void conversions_data();
    void conversions();
    void scaleAndLineWidth();
    void textModel();
    void scaleChangeKeepsPrintPosition();
    void painterLine();
    void painterFills();
    void stampedCircles();
    void painterTextNotMirrored();
    void pagedDevice();
    void metricsAgree_data();
    void metricsAgree();
};

void TestSurface::pageMapping_data()
{
    QTest::addColumn<QPointF>("user");
    QTest::addColumn<QPointF>("pixels");
    QTest::newRow("bottom-left") << QPointF(0, 0) << QPointF(0, 1100);
    QTest::newRow("top-right") << QPointF(8.5, 11) << QPointF(850, 0);
    QTest::newRow("centre") << QPointF(4.25, 5.5) << QPointF(425, 550);
    QTest::newRow("one inch in") << QPointF(1, 10) << QPointF(100, 100);
}

void TestSurface::pageMapping()
{
    QFETCH(QPointF, user);
    QFETCH(QPointF, pixels);
    RecordingSurface surface(850, 1100, 100);
    setPage(surface);
    QCOMPARE(surface.toPixels(user), pixels);
    QCOMPARE(surface.fromPixels(pixels), user);
    QCOMPARE(surface.scaleWidth(), 8.5);
    QCOMPARE(surface.scaleHeight(), -11.0);
}

void TestSurface::conversions_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<double>("value");
    QTest::addColumn<Unit>("from");
    QTest::addColumn<Unit>("to");
    QTest::addColumn<double>("expected");
    QTest::newRow("inch to pixels") << 1200 << false << 1.0 << Unit::Inch << Unit::Pixel << 1200.0;
    QTest::newRow("points to inch") << 96 << false << 72.0 << Unit::Point << Unit::Inch << 1.0;
    QTest::newRow("user to points") << 96 << false << 0.5 << Unit::User << Unit::Point << 36.0;
    QTest::newRow("upward user to pixels")
        << 96 << true << 1.0 << Unit::User << Unit::Pixel << -96.0;
    QTest::newRow("pixels to upward user")
        << 50 << true << 25.0 << Unit::Pixel << Unit::User << -0.5;
    QTest::newRow("points vertically") << 96 << true << 72.0 << Unit::Point << Unit::Pixel << 96.0;
}

void TestSurface::conversions()
{
    QFETCH(int, dpi);
    QFETCH(bool, vertical);
    QFETCH(double, value);
    QFETCH(Unit, from);
    QFETCH(Unit, to);
    QFETCH(double, expected);
    RecordingSurface surface(static_cast<int>(8.5 * dpi), 11 * dpi, dpi);
    setPage(surface);
    const double result =
        vertical ? surface.scaleY(value, from, to) : surface.scaleX(value, from, to);
    QCOMPARE(result, expected);
}

void TestSurface::scaleAndLineWidth()
{
    RecordingSurface surface(816, 1056, 96);
    QVERIFY(!surface.setScale(0, 1, 10, 1));
    QCOMPARE(surface.scaleHeight(), 1056.0);

    // Thin lines keep 1/64 inch wherever the device can show it, and never vanish.
    setPage(surface);
    surface.setLineWidth(surface.scaleX(1.0 / 64, Unit::User, Unit::Pixel));
    QCOMPARE(surface.lineWidth(), 2); // 1.5 pixels, ties to even
    RecordingSurface printer(10200, 13200, 1200);
    setPage(printer);
    printer.setLineWidth(printer.scaleX(1.0 / 64, Unit::User, Unit::Pixel));
    QCOMPARE(printer.lineWidth(), 19);
    printer.setLineWidth(0.2);
    QCOMPARE(printer.lineWidth(), 1);
}

void TestSurface::textModel()
{
    RecordingSurface surface(850, 1100, 100);
    setPage(surface);
    surface.setFont(u"Arial"_qs, 12, true, false);
    surface.moveTo(1, 10);
    const double width = surface.textWidth(u"Label:"_qs);
    const double height = surface.textHeight();
    QVERIFY(width > 0 && height > 0);

    surface.print(u"Label:"_qs, false);
    QCOMPARE(surface.currentX(), 1 + width);
    QCOMPARE(surface.currentY(), 10.0);
    surface.print(u"value"_qs, true);
    QCOMPARE(surface.currentX(), 0.0);
    QCOMPARE(surface.currentY(), 10 - height);
    surface.print({}, true); // a blank line draws nothing
    QCOMPARE(surface.currentY(), 10 - 2 * height);

    QCOMPARE(surface.texts(), QStringList({u"Label:"_qs, u"value"_qs}));
    const DrawCall* value = surface.findText(u"value"_qs);
    QVERIFY(value);
    QCOMPARE(value->numbers,
             (std::vector<double>{1 + width, 10, surface.textWidth(u"value"_qs), height}));
    QCOMPARE(value->font, (FontSpec{u"Arial"_qs, 12, true, false}));
}

void TestSurface::scaleChangeKeepsPrintPosition()
{
    RecordingSurface surface(850, 1100, 100);
    setPage(surface);
    surface.moveTo(0, 9);
    QVERIFY(surface.setScale(-2.5, 11, 6, 0));
    QCOMPARE(surface.currentX(), -2.5);
    QCOMPARE(surface.currentY(), 9.0);
    surface.print(u"x"_qs, true);
    QCOMPARE(surface.currentX(), 0.0);
}

void TestSurface::painterLine()
{
    QImage image = whiteImage(200, 100, 96);
    {
        PainterSurface surface(image);
        QVERIFY(surface.isActive());
        QVERIFY(surface.setScale(0, 10, 20, 0)); // 10 pixels per unit, y upward
        surface.line(2, 2, 18, 2, Qt::red);
        surface.lineTo(18, 8);
        QCOMPARE(surface.currentY(), 8.0);
    }
    const QRgb red = qRgb(255, 0, 0);
    QCOMPARE(image.pixel(20, 80), red); // first end
    QCOMPARE(image.pixel(100, 80), red);
    QCOMPARE(image.pixel(100, 79), qRgb(255, 255, 255)); // one pixel wide, crisp
    QCOMPARE(image.pixel(100, 81), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(180, 50), qRgb(0, 0, 0)); // continued in the foreground colour
}

void TestSurface::painterFills()
{
    QImage image = whiteImage(200, 100, 96);
    {
        PainterSurface surface(image);
        surface.setFillColor(QColor(125, 190, 255));
        surface.polygonPixels(QPolygonF({{10, 90}, {10, 40}, {60, 20}, {60, 90}}));
        surface.rectangle(100, 10, 140, 50, Qt::green, Box::Filled);
        surface.rectangle(150, 10, 190, 50); // transparent inside
    }
    QCOMPARE(image.pixel(35, 60), qRgb(125, 190, 255));
    QCOMPARE(image.pixel(35, 90), qRgb(0, 0, 0)); // outlined in the foreground colour
    QCOMPARE(image.pixel(120, 30), QColor(Qt::green).rgb());
    QCOMPARE(image.pixel(170, 30), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(150, 30), qRgb(0, 0, 0));
}

// Small circles on an image are drawn once and stamped; they must land on the very pixels a
// direct drawing (as on a pixmap) gives, wherever their centres fall within a pixel.
void TestSurface::stampedCircles()
{
    const auto draw = [](QPaintDevice& device) {
        PainterSurface surface(device);
        surface.setFillStyle(FillStyle::Solid);
        surface.setFillColor(Qt::red);
        for (int i = 0; i < 12; ++i) {
            surface.setLineWidth(1 + i % 3);
            surface.circle(10 + i * 15.37, 20 + i * 0.29, 2.0 + i % 4, Qt::black);
        }
    };
    QImage stamped = whiteImage(200, 40, 96);
    draw(stamped);
    QPixmap direct(stamped.size());
    direct.fill(Qt::white);
    draw(direct);
    const QImage reference = direct.toImage().convertToFormat(stamped.format());
    int worst = 0;
    for (int y = 0; y < stamped.height(); ++y) {
        for (int x = 0; x < stamped.width(); ++x) {
            const QColor a = stamped.pixelColor(x, y);
            const QColor b = reference.pixelColor(x, y);
            worst = std::max({worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                              std::abs(a.blue() - b.blue())});
        }
    }
    // Blending an antialiased edge in one step or two differs by a few levels; a circle a pixel
    // off differs by the whole contrast.
    QVERIFY2(worst <= 16, qPrintable(QString::number(worst)));
}

void TestSurface::painterTextNotMirrored()
{
    QImage image = whiteImage(400, 200, 96);
    QRect inked;
    double top = 0, bottom = 0;
    {
        PainterSurface surface(image);
        QVERIFY(surface.setScale(0, 2, 4, 0)); // 100 pixels per unit, y upward
        surface.setFont(u"Arial"_qs, 24, false, false);
        surface.moveTo(1, 1.5);
        surface.print(u"Tg"_qs, false);
        top = surface.toPixels({1, 1.5}).y();
        bottom = top + surface.scaleY(surface.textHeight(), Unit::User, Unit::Pixel) * -1;
    }
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                inked |= QRect(x, y, 1, 1);
    QVERIFY(!inked.isEmpty());
    QVERIFY(inked.left() >= 100);
    QVERIFY2(inked.top() >= top && inked.bottom() <= bottom,
             qPrintable(QStringLiteral("ink %1..%2, line box %3..%4")
                            .arg(inked.top())
                            .arg(inked.bottom())
                            .arg(top)
                            .arg(bottom)));
    // The "T" stands upright: its bar is drawn in the upper part of the ink.
    int barRow = -1;
    for (int y = inked.top(); y <= inked.bottom() && barRow < 0; ++y)
        if (qGray(image.pixel(inked.left() + 3, y)) < 128)
            barRow = y;
    QVERIFY(barRow >= 0 && barRow < (inked.top() + inked.bottom()) / 2);
}

void TestSurface::pagedDevice()
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins({});
        PainterSurface surface(writer);
        QVERIFY(surface.isActive());
        QCOMPARE(surface.dpiX(), 1200.0);
        QCOMPARE(surface.deviceWidth(), 10200);
        setPage(surface);
        surface.print(u"Page 1"_qs, true);
        QVERIFY(surface.newPage());
        QVERIFY(surface.endDocument());
        QVERIFY(!surface.endDocument());
    }
    QVERIFY(pdf.data().startsWith("%PDF"));

    QImage image = whiteImage(10, 10, 96);
    PainterSurface screen(image);
    QVERIFY(!screen.newPage());
}

void TestSurface::metricsAgree_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<FontSpec>("font");
    QTest::newRow("screen 8 pt") << 96 << FontSpec{u"Arial"_qs, 8, false, false};
    QTest::newRow("preview small") << 50 << FontSpec{u"Small Fonts"_qs, 5.2, false, false};
    QTest::newRow("printer title") << 1200 << FontSpec{u"Arial"_qs, 18, true, true};
}

void TestSurface::metricsAgree()
{
    QFETCH(int, dpi);
    QFETCH(FontSpec, font);
    const QString text = u"Relative Humidity: 55 %"_qs;
    QImage image = whiteImage(static_cast<int>(8.5 * dpi), 11 * dpi, dpi);
    PainterSurface painter(image);
    RecordingSurface recorder(image.width(), image.height(), dpi);
    for (Surface* surface : {static_cast<Surface*>(&painter), static_cast<Surface*>(&recorder)}) {
        setPage(*surface);
        surface->setFont(font);
    }
    QCOMPARE(recorder.textWidth(text), painter.textWidth(text));
    QCOMPARE(recorder.textHeight(), painter.textHeight());
    // The point size holds on the device: a line box is a little taller than the size.
    const double heightPoints = painter.scaleY(-painter.textHeight(), Unit::User, Unit::Point);
    QVERIFY2(heightPoints >= font.pointSize && heightPoints <= 1.6 * font.pointSize + 2,
             qPrintable(QString::number(heightPoints)));
}

QTEST_MAIN(TestSurface)
#include "tst_surface.moc"
