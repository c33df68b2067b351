#pragma once

#include "core/units.h"
#include "swath/analysis.h"

#include <QString>

class QPdfWriter;
#include <functional>

namespace pellamar {
class DataSet;
}

namespace pellamar::graphics {
class Surface;
}

namespace pellamar::report {

// Letter paper in the report's inch coordinates, and the line every page centres its titles on.
inline constexpr double kPageWidth = 8.5;
inline constexpr double kPageHeight = 11.0;
inline constexpr double kPageCentre = kPageWidth / 2.0;

// What the report is drawn from. The data set is only read; the swath analysis of both sources
// is computed afresh on the report's own records.
struct ReportInputs {
    const DataSet& dataSet;
    swath::SwathChoice choice;
    // The swath statistics of this data set and flight pattern when already at hand; computed
    // afresh otherwise.
    const swath::SwathAnalysis* swath = nullptr;
};

// How many pages the report of this data set has: the three pages, then as many "Sample Data"
// pages as its pans need.
int reportPageCount(const DataSet& dataSet);

// The point size a nominal report size is drawn at: the nominal size on the printer; on a
// preview picture scaled so that the text keeps its proportion to the page width.
double reportFontSize(const graphics::Surface& target, bool toPrinter, double nominalSize);
// "Liberation Sans" above 7 points; the default sans family for the smaller sizes.
QString reportFontFamily(double pointSize);
// Sets the surface's family and size for a nominal size; bold and underline stay.
void setReportFont(graphics::Surface& target, bool toPrinter, double nominalSize);

// Draws the report in inch coordinates of an 8.5 × 11 inch page. On the printer every page is
// drawn (page 0) with page breaks and the job is ended; on a preview only the chosen page
// (1..reportPageCount). Progress gets "Pellamar - Printing Page N..." as each printed page starts
// and "Pellamar - Print" at the end of every call. On failure the message for the user is left in
// error and the result is false.
bool printReport(graphics::Surface& target, bool toPrinter, int page, const ReportInputs& inputs,
                 QString* error = nullptr,
                 const std::function<void(const QString& caption)>& progress = {});

// Letter paper, portrait, no margins, 1200 dpi: the report's pages as a PDF file holds them.
void setUpPdf(QPdfWriter& writer);

} // namespace pellamar::report
