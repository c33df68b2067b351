#include "swath/swath.h"

#include "core/dataset.h"
#include "core/numbers.h"

#include <algorithm>
#include <array>
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

namespace {

// One pass as its pans meet the ground, every value already scaled by the rate factor: `forward`
// as measured (pans 1..n), `reversed` as seen from the other side.
struct ScaledPasses {
    std::vector<float> forward;
    std::vector<float> reversed;
    void fill(const BoundedArray& profile, int n, float f)
    {
        forward.resize(static_cast<std::size_t>(n));
        reversed.resize(static_cast<std::size_t>(n));
        for (int q = 1; q <= n; ++q) {
            forward[static_cast<std::size_t>(q - 1)] = scaled(f, profile[q]);
            reversed[static_cast<std::size_t>(q - 1)] = scaled(f, profile[-q]);
        }
    }
};

// Lays whole passes side by side onto out[0..j): pass t brings pans t·j + 1 .. t·j + j, from
// `even` or `odd` alternately. Every point gets its passes in the same order as walking the pans
// one by one, so the sums agree to the bit; the inner loop runs over adjacent memory and
// vectorises.
void addPasses(float* __restrict out, const float* even, const float* odd, int j, int n)
{
    // The first pass starts each sum from 0, as the walk does (0 + -0 is +0).
    const int first = std::clamp(n, 0, j);
    for (int i = 0; i < first; ++i) {
        out[i] = 0.0f + even[i];
    }
    std::fill(out + first, out + j, 0.0f);
    bool isEven = false;
    for (int base = j; base < n; base += j, isEven = !isEven) {
        const float* __restrict pass = (isEven ? even : odd) + base;
        const int count = std::min(j, n - base);
        for (int i = 0; i < count; ++i) {
            out[i] += pass[i];
        }
    }
}

int pointCount(int j, FlightPattern pattern)
{
    return (pattern == FlightPattern::Racetrack ? 1 : 2) * j;
}

// Fills out[0 .. pointCount(j)) for width index j.
void overlapPoints(float* out, const ScaledPasses& passes, int j, int n, FlightPattern pattern)
{
    const float* forward = passes.forward.data();
    const float* reversed = passes.reversed.data();
    if (pattern == FlightPattern::Racetrack) {
        addPasses(out, forward, forward, j, n);
        return;
    }
    // Back-and-forth: the first half starts with the pass as measured, the second with the pass
    // seen from the other side; every following pass flips the side.
    addPasses(out, forward, reversed, j, n);
    addPasses(out + j, reversed, forward, j, n);
}

struct RunningStats {
    float max = 0.0f;
    float min = kMinStart;
    Sums sums;
    void add(float v)
    {
        if (v > max) {
            max = v;
        }
        if (v < min) {
            min = v;
        }
        sums.add(v);
    }
    OverlapStats finish(std::size_t count) const
    {
        OverlapStats stats;
        stats.max = max;
        stats.min = min;
        stats.mean = static_cast<float>(double(sums.sum) / double(count));
        if (stats.mean > 0) {
            const float sd = deviation(sums, count);
            stats.cov = static_cast<float>(double(sd) / double(stats.mean));
        }
        return stats;
    }
};

// The statistics of several widths at once. Each width's sums still run strictly in order (every
// step rounds), which leaves one width's additions waiting on each other; interleaving independent
// widths lets the processor overlap those waits.
template <std::size_t Lanes>
std::array<OverlapStats, Lanes>
statisticsOf(const std::array<std::span<const float>, Lanes>& points)
{
    std::array<RunningStats, Lanes> running;
    std::size_t common = points[0].size();
    for (const auto& p : points) {
        common = std::min(common, p.size());
    }
    for (std::size_t i = 0; i < common; ++i) {
        for (std::size_t l = 0; l < Lanes; ++l) {
            running[l].add(points[l][i]);
        }
    }
    std::array<OverlapStats, Lanes> stats;
    for (std::size_t l = 0; l < Lanes; ++l) {
        for (std::size_t i = common; i < points[l].size(); ++i) {
            running[l].add(points[l][i]);
        }
        stats[l] = running[l].finish(points[l].size());
    }
    return stats;
}

constexpr std::size_t kLanes = 4;

} // namespace

SwathData SwathData::from(const DataSet& dataSet)
{
    SwathData data;
    data.inputs = SwathInputs::from(dataSet);
    // Without any data both rows are 0: there are no pans at all.
    const int n = data.inputs.firstDataRow > 0 ? std::max(0, data.inputs.panCount()) : 0;
    data.deposit.reserve(static_cast<std::size_t>(n));
    data.density.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const SampleResult& result = dataSet.result(data.inputs.firstDataRow + i);
        data.deposit.push_back(result.value(Result::Deposit));
        data.density.push_back(result.value(Result::Density));
    }
    return data;
}

void calculateSwathStats(SwathRecord& record, const DataSet& dataSet, Source source,
                         FlightPattern pattern)
{
    const SwathData data = SwathData::from(dataSet);
    calculateSwathStats(record, data.inputs, data.values(source), pattern);
}

bool calculateSwathStats(SwathRecord& record, const SwathInputs& inputs,
                         std::span<const float> pans, FlightPattern pattern,
                         const Progress& progress)
{
    const int n = static_cast<int>(pans.size());
    const int widths = std::max(0, n - 1);

    record.profile.resize(-n, n);
    for (int i = 1; i <= n; ++i) {
        const float p = pans[static_cast<std::size_t>(i - 1)];
        record.profile[i] = p;
        record.profile[i - n - 1] = p;
    }
    record.cov.resize(1, widths);
    record.mean.resize(1, widths);
    record.max.resize(1, widths);
    record.min.resize(1, widths);
    const int stride = pointCount(widths, pattern);
    std::vector<float> points(kLanes * static_cast<std::size_t>(stride));
    ScaledPasses passes;
    for (int j0 = 1; j0 <= widths; j0 += static_cast<int>(kLanes)) {
        if (progress && !progress(j0 - 1, widths)) {
            return false;
        }
        const int lanes = std::min(static_cast<int>(kLanes), widths - j0 + 1);
        std::array<std::span<const float>, kLanes> lanePoints;
        for (int l = 0; l < lanes; ++l) {
            const int j = j0 + l;
            float* out = points.data() + static_cast<std::size_t>(l) * stride;
            passes.fill(record.profile, n, rateFactor(j, inputs));
            overlapPoints(out, passes, j, n, pattern);
            lanePoints[l] = {out, static_cast<std::size_t>(pointCount(j, pattern))};
        }
        std::array<OverlapStats, kLanes> laneStats;
        if (lanes == static_cast<int>(kLanes)) {
            laneStats = statisticsOf(lanePoints);
        } else {
            for (int l = 0; l < lanes; ++l) {
                laneStats[l] = statisticsOf(std::array{lanePoints[l]})[0];
            }
        }
        for (int l = 0; l < lanes; ++l) {
            const OverlapStats& stats = laneStats[l];
            const int j = j0 + l;
            record.cov[j] = stats.cov;
            record.mean[j] = stats.mean;
            record.max[j] = stats.max;
            record.min[j] = stats.min;
        }
    }
    // The widest width's points stay in the record.
    record.overlap.resize(1, widths > 0 ? stride : 0);
    if (widths > 0) {
        const std::size_t last = static_cast<std::size_t>((widths - 1) % static_cast<int>(kLanes));
        std::copy_n(points.data() + last * stride, stride, &record.overlap[1]);
    }
    return true;
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
    ScaledPasses passes;
    passes.fill(record.profile, n, rateFactor(j, inputs));
    record.overlap.resize(1, pointCount(j, pattern));
    overlapPoints(&record.overlap[1], passes, j, n, pattern);
    return statisticsOf(std::array{record.overlap.values()})[0];
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

Block buildSwathBlock(const SwathRecord& record, int width, const SwathInputs& inputs,
                      FlightPattern pattern)
{
    // A width of no separations would stack every pass on one flight line.
    const int w = std::max(1, width);
    const int n = profilePanCount(record);
    const float f = rateFactor(w, inputs);
    const auto k0 = static_cast<float>(1.0 - double(inputs.position1) / double(inputs.separation));

    int passes =
        numbers::roundToInt16(double(inputs.lastDataRow - inputs.firstDataRow) / w + 0.49999);
    passes = std::max(passes, 5);
    int nearPans = numbers::roundToInt16(double(k0) - inputs.firstDataRow);
    int gap = -nearPans;
    int farOverhang = numbers::roundToInt16((double(inputs.lastDataRow) - double(k0)) - w);
    nearPans = std::max(nearPans, 0);
    farOverhang = std::max(farOverhang, 0);
    gap = std::max(gap, 0);

    // A line of pans too far beyond the flight line to be numbered is drawn as near as fits.
    constexpr int kOffsetMax = std::numeric_limits<std::int16_t>::max();
    gap = std::max(0, std::min({gap, kOffsetMax, kOffsetMax - (n - 1) + nearPans + w}));
    // With the flight line half-way between two pans the near pans and the overhang round the
    // same way, and the last pass would end one pan past the block.
    farOverhang = std::max(farOverhang, (n - 1) - nearPans + gap - w);

    Block block;
    block.width = w;
    block.values.resize(-nearPans, passes * w + farOverhang);
    for (int p = 0; p < passes; ++p) {
        const int base = -nearPans + gap + p * w - 1;
        // Pan q of a pass flown the other way carries P(N + 1 − q), kept at -q.
        const int side = pattern == FlightPattern::BackAndForth && p % 2 == 1 ? -1 : 1;
        for (int i = 1; i <= n; ++i) {
            block.values[base + i] += scaled(f, record.profile[side * i]);
        }
    }
    block.shape.passes = static_cast<std::int16_t>(passes);
    block.shape.nearPans = static_cast<std::int16_t>(nearPans);
    block.shape.farOverhang = static_cast<std::int16_t>(std::min(farOverhang, kOffsetMax));
    block.shape.gap = static_cast<std::int16_t>(gap);
    return block;
}

} // namespace pellamar::swath
