#include "graphics/axes.h"

#include "core/numbers.h"
#include "graphics/surface.h"

#include <algorithm>
#include <vector>

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

bool labelsApart(const Surface& surface, double gap, double leftCentre, const QString& leftText,
                 double rightCentre, const QString& rightText)
{
    return (rightCentre - surface.textWidth(rightText) / 2.0) -
               (leftCentre + surface.textWidth(leftText) / 2.0) >
           gap;
}

int labelStep(const Surface& surface, int count, double gap,
              const std::function<double(int)>& centre, const std::function<QString(int)>& text)
{
    // Each label is measured once, however many steps are tried.
    std::vector<double> halves(static_cast<std::size_t>(std::max(count, 0)), -1.0);
    const auto half = [&](int i) {
        double& h = halves[static_cast<std::size_t>(i)];
        if (h < 0.0) {
            h = surface.textWidth(text(i)) / 2.0;
        }
        return h;
    };
    const auto fits = [&](int step) {
        for (int i = 0; i + step < count; i += step) {
            if ((centre(i + step) - half(i + step)) - (centre(i) + half(i)) <= gap) {
                return false;
            }
        }
        return true;
    };
    for (int decade = 1;; decade *= 10) {
        for (const int factor : {1, 2, 5}) {
            const int step = factor * decade;
            // One label alone always fits.
            if (step >= count || fits(step)) {
                return step;
            }
        }
    }
}

} // namespace pellamar::graphics
