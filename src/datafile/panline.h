#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <vector>

namespace pellamar::datafile {

// Half a unit in the last place a number text shows ("2.50" or "2,50": 0.005, "1e3": 500): how far
// the value it was rounded from may lie from it.
double halfUnit(QStringView numberText);

// The pan lines that could have written the positions of a file's sample rows: every pair of
// first position a and separation s whose positions a + i × s, rounded as the file shows them,
// give the positions read so far. They form a convex polygon in the (a, s) plane, which each row
// cuts down; the rows fit one pan line as long as some of it is left. Rounding never adds up
// along the line, so a file the program wrote always fits, however many pans it holds.
class PanLineFit {
public:
    // The first row's position and the separation, each within its half unit.
    PanLineFit(double first, double firstHalf, double separation, double separationHalf);
    // Row `index` (the first row is 0) at `position`, within `half`; false when no pan line is
    // left that gives it.
    bool add(int index, double position, double half);
    // Pan 1 at `position1` within `half`, the first row `pans` separations from it: taken only
    // when some pan line gives both, as a first row off the pan grid is placed anyway.
    void anchor(double pans, double position1, double half);
    // The separation between low and high, as a swath width the file shows gives it: taken only
    // when some pan line still fits, as a spreadsheet may have changed the swath section.
    void limitSeparation(double low, double high);

private:
    using Point = std::array<double, 2>; // a, s
    // Keeps the part where ka × a + ks × s <= c.
    void clip(double ka, double ks, double c);
    // Keeps the part between both lines unless nothing would be left.
    void clipUnlessEmpty(double ka, double ks, double low, double high);
    std::vector<Point> corners_;
    std::vector<Point> scratch_;
};

} // namespace pellamar::datafile
