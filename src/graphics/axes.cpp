#include "graphics/axes.h"

#include "core/numbers.h"

#include <algorithm>

namespace pellamar::graphics {

double resultAxisTop(Result result, float largest)
{
    switch (result) {
    case Result::Deposit: {
        const double top = numbers::integerPart(11.0 * double(largest) + 0.5) / 10.0;
        return top == 0.0 ? 0.1 : top;
    }
    case Result::CumulativeDeposit:
        return 1.0;
    default: {
        // Values below 1 / 1.1 would truncate to a flat axis; one whole unit keeps them visible.
        const double top = numbers::integerPart(1.1 * double(largest));
        return top == 0.0 ? 1.0 : top;
    }
    }
}

double paperResultAxisTop(Result result, float largest)
{
    if (result == Result::CumulativeDeposit) {
        return 1.0;
    }
    // Small values keep a tenth so the scale never collapses; their curve may rise above it.
    double top = numbers::integerPart(double(largest) * 1.2 + 0.5);
    if (top == 0.0) {
        top = 0.1;
    }
    return result == Result::Mortality ? std::min(top, 100.0) : top;
}

double covAxisTop(float largest)
{
    const double top = numbers::integerPart(double(largest) * 10.0 + 0.9999) / 10.0;
    return top == 0.0 ? 1.0 : top;
}

double swathAxisTop(float largest)
{
    const double top = numbers::integerPart(double(largest) * 12.0) / 10.0;
    return top == 0.0 ? 1.0 : top;
}

bool LabelRun::place(double x, double halfWidth)
{
    if (x - halfWidth <= end_) {
        return false;
    }
    end_ = x + halfWidth + gap_;
    return true;
}

int passLabelStep(double passWidth, double narrow, double wide)
{
    return passWidth < narrow ? 3 : passWidth < wide ? 2 : 1;
}

} // namespace pellamar::graphics
