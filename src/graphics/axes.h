#pragma once

#include "core/units.h"

#include <QString>
#include <functional>

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

// Labels 0 … count − 1 under an axis, label i centred on centre(i) and measured on the surface:
// the smallest step of 1, 2, 5, 10, 20, 50, … at which labels 0, step, 2 × step, … each leave
// more than `gap` to the next one drawn. Regular steps read as a scale; thinning label by label
// left irregular runs.
int labelStep(const Surface& surface, int count, double gap,
              const std::function<double(int)>& centre, const std::function<QString(int)>& text);

// Whether two labels, the first left of the second, leave more than `gap` between them.
bool labelsApart(const Surface& surface, double gap, double leftCentre, const QString& leftText,
                 double rightCentre, const QString& rightText);

} // namespace pellamar::graphics
