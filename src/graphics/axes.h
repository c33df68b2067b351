#pragma once

#include "core/units.h"

#include <limits>

namespace pellamar::graphics {

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

// Labels placed left to right along an axis: a label that would run into the one before it
// (closer than the gap) is left out, so that hundreds of labels never smear into a bar.
class LabelRun {
public:
    explicit LabelRun(double gap)
        : gap_(gap)
    {}
    // Whether a label centred on x, half as wide as given, is drawn; if so it becomes the last.
    bool place(double x, double halfWidth);

private:
    double gap_;
    double end_ = -std::numeric_limits<double>::infinity();
};

// Which flight lines carry a position label: every one while a pass is at least `wide`, every
// second one while it is at least `narrow`, else every third.
int passLabelStep(double passWidth, double narrow, double wide);

} // namespace pellamar::graphics
