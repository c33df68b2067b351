#include "graphics/axes.h"

#include "core/numbers.h"
#include "graphics/surface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
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

namespace {

// The step a pattern can still tell apart: 1 for "0", 0.1 for "0.0".
double patternResolution(QStringView pattern)
{
    const qsizetype point = pattern.indexOf(u'.');
    return point < 0 ? 1.0 : std::pow(10.0, -double(pattern.size() - point - 1));
}

// The smallest 1, 2 or 5 × 10^k not below `least`.
double roundStepFrom(double least)
{
    double decade = std::pow(10.0, std::floor(std::log10(least)));
    for (;; decade *= 10.0) {
        for (const double factor : {1.0, 2.0, 5.0}) {
            // A hair of tolerance: 0.1 × 3 must not count as above 0.3.
            if (factor * decade >= least * (1.0 - 1e-9)) {
                return factor * decade;
            }
        }
    }
}

double nextRoundStep(double step)
{
    const double decade = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const double factor = std::round(step / decade);
    return factor < 1.5 ? 2.0 * decade : factor < 3.5 ? 5.0 * decade : 10.0 * decade;
}

struct Placed {
    double value;
    double x;
    double half;
    QString text;
};

bool apart(const Placed& left, const Placed& right, double gap)
{
    return (right.x - right.half) - (left.x + left.half) > gap;
}

} // namespace

std::vector<AxisLabel> roundLabels(const Surface& surface, double from, double to,
                                   QStringView pattern, double finest, double gap,
                                   const std::function<double(double)>& x, const QString& fromText,
                                   const QString& toText, Ends ends)
{
    const auto placed = [&](double value, const QString& text) {
        return Placed{value, x(value), surface.textWidth(text) / 2.0, text};
    };
    const auto multiple = [&](double step, std::int64_t k) {
        const double value = double(k) * step;
        return placed(value, numbers::format(value, pattern));
    };
    std::vector<Placed> labels;
    if (to > from) {
        for (double step = roundStepFrom(std::max(patternResolution(pattern), finest));;
             step = nextRoundStep(step)) {
            const auto first = static_cast<std::int64_t>(std::ceil(from / step - 1e-9));
            const auto last = static_cast<std::int64_t>(std::floor(to / step + 1e-9));
            labels.clear();
            bool fits = true;
            for (std::int64_t k = first; k <= last && fits; ++k) {
                labels.push_back(multiple(step, k));
                fits = labels.size() < 2 || apart(labels[labels.size() - 2], labels.back(), gap);
            }
            if (fits) {
                break;
            }
        }
    }
    const std::vector<Placed> endLabels{placed(from, fromText), placed(to, toText)};
    const auto clearOf = [&](const std::vector<Placed>& others, const Placed& label) {
        return std::all_of(others.begin(), others.end(), [&](const Placed& other) {
            return other.text != label.text &&
                   (other.x < label.x ? apart(other, label, gap) : apart(label, other, gap));
        });
    };
    std::vector<Placed> kept;
    if (ends == Ends::First) {
        // The ends stand; round values that would touch them give way.
        kept.push_back(endLabels[0]);
        if (clearOf(kept, endLabels[1])) {
            kept.push_back(endLabels[1]);
        }
        const std::vector<Placed> fixed = kept;
        std::copy_if(labels.begin(), labels.end(), std::back_inserter(kept),
                     [&](const Placed& label) { return clearOf(fixed, label); });
    } else {
        kept = labels;
        for (const Placed& end : endLabels) {
            if (clearOf(kept, end)) {
                kept.push_back(end);
            }
        }
    }
    labels = std::move(kept);
    std::sort(labels.begin(), labels.end(),
              [](const Placed& a, const Placed& b) { return a.x < b.x; });
    std::vector<AxisLabel> result;
    result.reserve(labels.size());
    for (const Placed& label : labels) {
        result.push_back({label.value, label.x, label.text});
    }
    return result;
}

} // namespace pellamar::graphics
