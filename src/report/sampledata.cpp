#include "report/sampledata.h"

#include "core/columns.h"
#include "core/dataset.h"
#include "graphics/surface.h"
#include "report/report.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace pellamar::report {

using graphics::Surface;
using graphics::Unit;

namespace {

constexpr double kTitleTop = 10.5;
constexpr double kHeadingTop = 9.875;
// Fifty rows of 10-point text between the headings and a half-inch bottom margin.
constexpr double kRowPitch = 0.175;
// Room between two columns, and the widest the table may be on letter paper.
constexpr double kColumnGap = 0.16;
constexpr double kTableRoom = 7.5;
constexpr double kTextSize = 10.0;
const QColor kGroupRule(190, 190, 190);

struct Column {
    double left = 0.0;
    double width = 0.0;
};
using Columns = std::array<Column, kGridColumns>;

double widestLine(const Surface& s, const QString& text)
{
    double widest = 0.0;
    for (const QString& line : text.split(u'\n')) {
        widest = std::max(widest, s.textWidth(line));
    }
    return widest;
}

// Each column as wide as its heading or a result of four whole digits, the table centred on the
// page. A table too wide for the paper is set in a smaller size, all of it, so that the headings
// keep one size (the preview's small face is wider than the printer's).
Columns layOut(Surface& s, const Units& units)
{
    Columns columns;
    double total = 0.0;
    for (int pass = 0; pass < 2; ++pass) {
        total = 0.0;
        for (int c = 0; c < kGridColumns; ++c) {
            s.setFontBold(true);
            const double heading = widestLine(s, columnHeading(c, units));
            s.setFontBold(false);
            columns[std::size_t(c)].width =
                std::max(heading, s.textWidth(QStringLiteral("0000.000"))) + kColumnGap;
            total += columns[std::size_t(c)].width;
        }
        if (total <= kTableRoom) {
            break;
        }
        s.setFontSize(s.fontSize() * (kTableRoom - kGridColumns * kColumnGap) /
                      (total - kGridColumns * kColumnGap));
    }
    const double narrowing = std::min(1.0, kTableRoom / total);
    double left = kPageCentre - total * narrowing / 2.0;
    for (Column& column : columns) {
        column.width *= narrowing;
        column.left = left;
        left += column.width;
    }
    return columns;
}

// A text in its cell: centred like the grid's inputs, or right-aligned like its positions and
// results; a text wider than its cell is drawn smaller rather than over its neighbour.
void cell(Surface& s, const Column& column, double middle, const QString& text, bool centred)
{
    if (text.isEmpty()) {
        return;
    }
    const double size = s.fontSize();
    const double room = column.width - kColumnGap / 2.0;
    if (s.textWidth(text) > room) {
        s.setFontSize(size * room / s.textWidth(text));
    }
    const double width = s.textWidth(text);
    s.setCurrentX(centred ? column.left + (column.width - width) / 2.0
                          : column.left + column.width - kColumnGap / 2.0 - width);
    s.setCurrentY(middle + s.textHeight() / 2.0);
    s.print(text, true);
    s.setFontSize(size);
}

// The grid's headings, a one-line heading level with the middle of the two-line ones; returns
// the y of the rule under them.
double headings(Surface& s, const Columns& columns, const Units& units)
{
    s.setFontBold(true);
    const double line = s.textHeight();
    for (int c = 0; c < kGridColumns; ++c) {
        const QStringList lines = columnHeading(c, units).split(u'\n');
        double lineTop = kHeadingTop - (2.0 - double(lines.size())) * line / 2.0;
        for (const QString& text : lines) {
            cell(s, columns[std::size_t(c)], lineTop - line / 2.0, text, true);
            lineTop -= line;
        }
    }
    s.setFontBold(false);
    return kHeadingTop - 2.0 * line - 0.03;
}

} // namespace

int sampleDataPageCount(const DataSet& dataSet)
{
    if (!dataSet.hasData()) {
        return 0;
    }
    const int pans = dataSet.lastDataRow() - dataSet.firstDataRow() + 1;
    return (pans + kPansPerPage - 1) / kPansPerPage;
}

RowSpan sampleDataRows(const DataSet& dataSet, int sheet)
{
    if (sheet < 1 || sheet > sampleDataPageCount(dataSet)) {
        return {};
    }
    const int first = dataSet.firstDataRow() + (sheet - 1) * kPansPerPage;
    return {first, std::min(first + kPansPerPage - 1, dataSet.lastDataRow())};
}

void drawSampleDataPage(Surface& s, bool toPrinter, const DataSet& dataSet, int sheet)
{
    setReportFont(s, toPrinter, 16.0);
    s.setFontBold(true);
    s.setFontUnderline(true);
    const QString title =
        sheet > 1 ? QStringLiteral("Sample Data (continued)") : QStringLiteral("Sample Data");
    s.setCurrentX(kPageCentre - s.textWidth(title) / 2.0);
    s.setCurrentY(kTitleTop);
    s.print(title, true);
    s.setFontBold(false);
    s.setFontUnderline(false);

    setReportFont(s, toPrinter, kTextSize);
    const Units& units = dataSet.units();
    const Columns columns = layOut(s, units);
    const double left = columns.front().left;
    const double width = columns.back().left + columns.back().width - left;
    s.setLineWidth(s.scaleX(1.0 / 64.0, Unit::Inch, Unit::Pixel));
    double top = headings(s, columns, units);
    s.lineBy(left, top, width, 0.0);
    top -= 0.03;

    const RowSpan rows = sampleDataRows(dataSet, sheet);
    for (int row = rows.first; row <= rows.last; ++row) {
        const double middle = top - kRowPitch / 2.0;
        for (int c = 0; c < kGridColumns; ++c) {
            cell(s, columns[std::size_t(c)], middle, cellText(dataSet, row, c), isInputColumn(c));
        }
        top -= kRowPitch;
        // A faint rule every five pans keeps the eye on its row across nine columns.
        if ((row - dataSet.firstDataRow() + 1) % 5 == 0 && row < rows.last) {
            s.lineBy(left, top, width, 0.0, kGroupRule);
        }
    }
    s.lineBy(left, top, width, 0.0);
}

} // namespace pellamar::report
