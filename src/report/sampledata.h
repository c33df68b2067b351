#pragma once

namespace pellamar {
class DataSet;
}

namespace pellamar::graphics {
class Surface;
}

namespace pellamar::report {

// The pages before the pans are listed: parameters, result graphs, swath profiles.
inline constexpr int kFixedPages = 3;
// Pans listed on one "Sample Data" page.
inline constexpr int kPansPerPage = 50;

// The "Sample Data" pages list the grid rows from the first to the last holding data; a data
// set without data has none.
int sampleDataPageCount(const DataSet& dataSet);

// The grid rows "Sample Data" page `sheet` (from 1) lists, first to last; empty (last < first)
// when there is no such page. Found by arithmetic, so any page draws as fast as the first.
struct RowSpan {
    int first = 1;
    int last = 0;
};
RowSpan sampleDataRows(const DataSet& dataSet, int sheet);

// Draws "Sample Data" page `sheet` in the report's inch coordinates: every listed pan's
// position, inputs and results as the grid shows them, under the grid's headings.
void drawSampleDataPage(graphics::Surface& s, bool toPrinter, const DataSet& dataSet, int sheet);

} // namespace pellamar::report
