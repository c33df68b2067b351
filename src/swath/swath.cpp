#include "swath/swath.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "swath/runningstats.h"
#include "swath/widthgroups.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <thread>

namespace pellamar::swath {

using detail::deviation;
using detail::pointCount;
using detail::RunningStats;
using detail::Sums;

namespace {

// Every product is rounded to single before it is added (the double product of two singles is
// exact). A build allowed to fuse multiply and add would round once and change the last bits.
float scaled(float factor, float value)
{
    return static_cast<float>(double(factor) * double(value));
}

// The pans the profile holds: it spans -N..N.
int profilePanCount(const BoundedArray& profile)
{
    return std::max(0, profile.upper());
}

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

OverlapStats statisticsOf(std::span<const float> points)
{
    RunningStats running;
    for (float v : points) {
        running.add(v);
    }
    return running.finish(points.size());
}

// One width the plain way: its passes scaled, laid side by side, and their points summed.
OverlapStats plainWidth(const BoundedArray& profile, int j, const SwathInputs& inputs,
                        FlightPattern pattern, ScaledPasses& passes, std::vector<float>& points)
{
    const int n = profilePanCount(profile);
    passes.fill(profile, n, rateFactor(j, inputs));
    points.resize(static_cast<std::size_t>(pointCount(j, pattern)));
    overlapPoints(points.data(), passes, j, n, pattern);
    return statisticsOf(points);
}

void store(SwathRecord& record, int j, const OverlapStats& stats)
{
    record.cov[j] = stats.cov;
    record.mean[j] = stats.mean;
    record.max[j] = stats.max;
    record.min[j] = stats.min;
}

// The profile (-N..N) and empty statistics for every width.
int prepareRecord(SwathRecord& record, std::span<const float> pans)
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
    return widths;
}

// The widest width's points stay in the record.
void keepWidestOverlap(SwathRecord& record, const SwathInputs& inputs, FlightPattern pattern)
{
    const int widths = record.widthCount();
    if (widths == 0) {
        record.overlap.resize(1, 0);
        return;
    }
    overlapSwath(record, widths, inputs, pattern);
}

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

bool calculateSwathStatsPlain(SwathRecord& record, const SwathInputs& inputs,
                              std::span<const float> pans, FlightPattern pattern)
{
    const int widths = prepareRecord(record, pans);
    ScaledPasses passes;
    std::vector<float> points;
    for (int j = 1; j <= widths; ++j) {
        store(record, j, plainWidth(record.profile, j, inputs, pattern, passes, points));
    }
    keepWidestOverlap(record, inputs, pattern);
    return true;
}

namespace {

// Widths go out in groups to every thread; each width is worked out alone, so neither the
// number of threads nor which one takes a group changes a result.
class WidthWork {
public:
    WidthWork(SwathRecord& record, const SwathInputs& inputs, std::span<const float> pans,
              FlightPattern pattern, const Progress& progress)
        : record_(record)
        , inputs_(inputs)
        , pattern_(pattern)
        , progress_(progress)
        , groups_(pans, pattern, inputs)
        , widths_(record.widthCount())
    {}
    int widths() const { return widths_; }
    bool stopped() const { return stopped_.load(); }

    // Takes groups until none are left or the progress says stop.
    void run()
    {
        constexpr int kGroup = detail::WidthGroups::kWidths;
        ScaledPasses passes;
        std::vector<float> points;
        std::array<OverlapStats, kGroup> stats;
        for (int j0 = 1 + kGroup * next_++; j0 <= widths_ && !stopped_; j0 = 1 + kGroup * next_++) {
            const int last = std::min(widths_, j0 + kGroup - 1);
            if (groups_.fits(j0)) {
                groups_.compute(j0, stats.data());
            } else {
                for (int j = j0; j <= last; ++j) {
                    stats[static_cast<std::size_t>(j - j0)] =
                        plainWidth(record_.profile, j, inputs_, pattern_, passes, points);
                }
            }
            for (int j = j0; j <= last; ++j) {
                store(record_, j, stats[static_cast<std::size_t>(j - j0)]);
            }
            tell(last - j0 + 1);
        }
    }
    // Adds to the widths done and tells the progress, one thread at a time.
    void tell(int more)
    {
        const std::scoped_lock lock(mutex_);
        done_ += more;
        if (progress_ && !stopped_ && !progress_(done_, widths_)) {
            stopped_ = true;
        }
    }

private:
    SwathRecord& record_;
    const SwathInputs& inputs_;
    FlightPattern pattern_;
    const Progress& progress_;
    detail::WidthGroups groups_;
    int widths_;
    std::atomic<int> next_{0};
    std::mutex mutex_;
    int done_ = 0;
    std::atomic<bool> stopped_{false};
};

// A few hundred widths take a moment; more threads would cost more than they save.
constexpr int kWidthsPerThread = 256;

int threadCount(int widths, int threads)
{
    if (threads <= 0) {
        threads = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    }
    return std::clamp(widths / kWidthsPerThread, 1, threads);
}

} // namespace

bool calculateSwathStats(SwathRecord& record, const SwathInputs& inputs,
                         std::span<const float> pans, FlightPattern pattern,
                         const Progress& progress, int threads)
{
    prepareRecord(record, pans);
    WidthWork work(record, inputs, pans, pattern, progress);
    work.tell(0);
    std::vector<std::jthread> helpers;
    for (int t = 1; t < threadCount(work.widths(), threads) && !work.stopped(); ++t) {
        helpers.emplace_back([&work] { work.run(); });
    }
    work.run();
    helpers.clear();
    if (work.stopped()) {
        return false;
    }
    keepWidestOverlap(record, inputs, pattern);
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
    const int n = profilePanCount(record.profile);
    ScaledPasses passes;
    passes.fill(record.profile, n, rateFactor(j, inputs));
    record.overlap.resize(1, pointCount(j, pattern));
    overlapPoints(&record.overlap[1], passes, j, n, pattern);
    return statisticsOf(record.overlap.values());
}

float standardDeviation(std::span<const float> values)
{
    Sums sums;
    for (float v : values) {
        sums.add(v);
    }
    return deviation(sums, values.size());
}

WidthChoice selectSwathWidth(const BoundedArray& cov, float limit)
{
    WidthChoice choice;
    for (int i = cov.upper(); i >= std::max(2, cov.lower() + 1); --i) {
        if (cov[i] > limit && cov[i - 1] <= limit) {
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
    const int n = profilePanCount(record.profile);
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
