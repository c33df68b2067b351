#include "swath/swath.h"

#include "core/dataset.h"
#include "core/numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pellamar::swath {

namespace {

// Every product is rounded to single before it is added (the double product of two singles is
// exact). A build allowed to fuse multiply and add would round once and change the last bits.
float scaled(float factor, float value)
{
    return static_cast<float>(double(factor) * double(value));
}

// Σx and Σx² in single after every addition, each square taken in double. A single sum of two
// singles is already the correctly rounded double sum.
struct Sums {
    float sum = 0.0f;
    float sumOfSquares = 0.0f;
    void add(float v)
    {
        sum += v;
        sumOfSquares = static_cast<float>(double(sumOfSquares) + double(v) * double(v));
    }
};

float deviation(const Sums& sums, std::size_t count)
{
    if (count <= 1) {
        return 0.0f;
    }
    const auto n = static_cast<double>(count);
    // Rounding can leave the difference a hair below zero when all values are equal.
    const double spread =
        std::abs(n * double(sums.sumOfSquares) - double(sums.sum) * double(sums.sum));
    return static_cast<float>(std::sqrt(spread / (n * (n - 1))));
}

// The pans the profile holds: it spans -N..N.
int profilePanCount(const SwathRecord& record)
{
    return std::max(0, record.profile.upper());
}

constexpr float kMinStart = 1000000.0f;
constexpr float kCovLimit = 0.3f;

} // namespace

void BoundedArray::resize(int lower, int upper)
{
    lower_ = lower;
    values_.assign(static_cast<std::size_t>(std::max(0, upper - lower + 1)), 0.0f);
}

SwathInputs SwathInputs::from(const DataSet& dataSet)
{
    const Parameters& p = dataSet.parameters();
    SwathInputs inputs;
    inputs.firstDataRow = dataSet.firstDataRow();
    inputs.lastDataRow = dataSet.lastDataRow();
    inputs.swathWidth = p.swathWidth;
    inputs.separation = p.separation;
    inputs.position1 = p.position1;
    return inputs;
}

float rateFactor(int widthIndex, const SwathInputs& inputs)
{
    if (!(inputs.swathWidth > 0)) {
        return 1.0f;
    }
    return static_cast<float>(double(widthIndex) * double(inputs.separation) /
                              double(inputs.swathWidth));
}

void calculateSwathStats(SwathRecord& record, const DataSet& dataSet, Source source,
                         FlightPattern pattern)
{
    const SwathInputs inputs = SwathInputs::from(dataSet);
    // Without any data both rows are 0: there are no pans at all.
    const int n = inputs.firstDataRow > 0 ? std::max(0, inputs.panCount()) : 0;
    const int widths = std::max(0, n - 1);

    record.profile.resize(-n, n);
    for (int i = 1; i <= n; ++i) {
        const float p = dataSet.result(inputs.firstDataRow + i - 1).value(static_cast<int>(source));
        record.profile[i] = p;
        record.profile[i - n - 1] = p;
    }
    record.cov.resize(1, widths);
    record.mean.resize(1, widths);
    record.max.resize(1, widths);
    record.min.resize(1, widths);
    // Sized once for the widest width, so that every narrower one reuses the storage.
    record.overlap.resize(1, 2 * widths);
    for (int j = 1; j <= widths; ++j) {
        const OverlapStats stats = overlapSwath(record, j, inputs, pattern);
        record.cov[j] = stats.cov;
        record.mean[j] = stats.mean;
        record.max[j] = stats.max;
        record.min[j] = stats.min;
    }
}

OverlapStats overlapSwath(SwathRecord& record, int widthIndex, const SwathInputs& inputs,
                          FlightPattern pattern)
{
    const int j = widthIndex;
    if (j < 1) {
        record.overlap.resize(1, 0);
        return {};
    }
    const int n = profilePanCount(record);
    const float f = rateFactor(j, inputs);
    const bool racetrack = pattern == FlightPattern::Racetrack;
    const int sign = racetrack ? 1 : -1;
    const int halves = racetrack ? 1 : 2;
    BoundedArray& overlap = record.overlap;
    overlap.resize(1, halves * j);

    for (int k = 0; k < halves; ++k) {
        // Back-and-forth: the first half starts with the pass as measured, the second with the
        // pass seen from the other side; every following pass flips the side.
        const int start = (k % 2 == 0) ? sign : 1;
        for (int m = 1; m <= j; ++m) {
            int s = start;
            float& point = overlap[k * j + m];
            for (int q = m; q <= n; q += j) {
                s *= sign;
                point += scaled(f, record.profile[s * q]);
            }
        }
    }

    OverlapStats stats;
    stats.min = kMinStart;
    Sums sums;
    for (float v : overlap.values()) {
        if (v > stats.max) {
            stats.max = v;
        }
        if (v < stats.min) {
            stats.min = v;
        }
        sums.add(v);
    }
    stats.mean = static_cast<float>(double(sums.sum) / double(halves * j));
    if (stats.mean > 0) {
        const float sd = deviation(sums, overlap.values().size());
        stats.cov = static_cast<float>(double(sd) / double(stats.mean));
    }
    return stats;
}

float standardDeviation(std::span<const float> values)
{
    Sums sums;
    for (float v : values) {
        sums.add(v);
    }
    return deviation(sums, values.size());
}

WidthChoice selectSwathWidth(const BoundedArray& cov)
{
    WidthChoice choice;
    for (int i = cov.upper(); i >= std::max(2, cov.lower() + 1); --i) {
        if (cov[i] > kCovLimit && cov[i - 1] <= kCovLimit) {
            choice.width = i - 1;
            choice.found = true;
            break;
        }
    }
    return choice;
}

BlockShape buildSwathBlock(BoundedArray& block, const SwathRecord& record, int width,
                           const SwathInputs& inputs)
{
    // A width of no separations would stack every pass on one flight line.
    const int w = std::max(1, width);
    const int n = profilePanCount(record);
    const float f = rateFactor(w, inputs);
    const auto k0 = static_cast<float>(1.0 - double(inputs.position1) / double(inputs.separation));

    int passes =
        numbers::roundToInt16(double(inputs.lastDataRow - inputs.firstDataRow) / w + 0.49999);
    passes = std::max(passes, 5);
    int off1 = numbers::roundToInt16(double(k0) - inputs.firstDataRow);
    int off3 = -off1;
    int off2 = numbers::roundToInt16((double(inputs.lastDataRow) - double(k0)) - w);
    off1 = std::max(off1, 0);
    off2 = std::max(off2, 0);
    off3 = std::max(off3, 0);

    // A line of pans too far beyond the flight line to be numbered is drawn as near as fits.
    constexpr int kOffsetMax = std::numeric_limits<std::int16_t>::max();
    off3 = std::max(0, std::min({off3, kOffsetMax, kOffsetMax - (n - 1) + off1 + w}));
    // With the flight line half-way between two pans off1 and off2 round the same way, and the
    // last pass would end one pan past the block.
    off2 = std::max(off2, (n - 1) - off1 + off3 - w);

    block.resize(-off1, passes * w + off2);
    for (int p = 0; p < passes; ++p) {
        const int base = -off1 + off3 + p * w - 1;
        for (int i = 1; i <= n; ++i) {
            block[base + i] += scaled(f, record.profile[i]);
        }
    }

    BlockShape shape;
    shape.passes = static_cast<std::int16_t>(passes);
    shape.off1 = static_cast<std::int16_t>(off1);
    shape.off2 = static_cast<std::int16_t>(std::min(off2, kOffsetMax));
    shape.off3 = static_cast<std::int16_t>(off3);
    return shape;
}

} // namespace pellamar::swath
