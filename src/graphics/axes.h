#pragma once

#include "core/units.h"

#include <QString>
#include <functional>
#include <vector>

namespace pellamar::graphics {

class Surface;

// The value at the top of a result's axis for its largest value: on the screen a tenth above,
// on paper a fifth above in whole units; cumulative fractions always end at 1, and the
// corrected mortality on paper at 100 at most. Never 0.
double resultAxisTop(Result result, float largest);
double paperResultAxisTop(Result result, float largest);
// The value at the top of the COV axis: the largest COV rounded up to the next tenth, 1 when
// that is 0. Screen and paper use the same axis.
double covAxisTop(float largest);
// The value at the top of the swath data axis: a fifth above the largest block value, cut to a
// tenth, 1 when that is 0.
double swathAxisTop(float largest);

// One label under an axis: its value, its centre and its text.
struct AxisLabel {
    double value;
    double x;
    QString text;
};

enum class Ends { First, Last };

// The labels of a linear axis whose values run from `from` to `to` (x gives a value's place on
// the surface): the multiples of the smallest round step (1, 2 or 5 × 10^k of the axis unit, no
// finer than the pattern shows nor than `finest`) whose labels leave more than `gap` between
// them, and both ends: those first, with the round values that touch them left out, or those
// last, where they leave that room. Left to right.
// Round values read as a scale wherever the axis starts; steps counted from the first point left
// odd values (2, 42, 82 …) and the far end unlabelled.
std::vector<AxisLabel> roundLabels(const Surface& surface, double from, double to,
                                   QStringView pattern, double finest, double gap,
                                   const std::function<double(double)>& x, const QString& fromText,
                                   const QString& toText, Ends ends);

} // namespace pellamar::graphics
