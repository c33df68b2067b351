#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace pellamar {
class DataSet;
}

namespace pellamar::swath {

// Which per-row result a swath analysis overlaps.
enum class Source : int { Deposit, Density };

enum class FlightPattern { BackAndForth, Racetrack };

// A float array indexed from an arbitrary lower bound, zero-filled when sized.
class BoundedArray {
public:
    BoundedArray() = default;
    BoundedArray(int lower, int upper) { resize(lower, upper); }
    void resize(int lower, int upper);
    int lower() const { return lower_; }
    int upper() const { return lower_ + static_cast<int>(values_.size()) - 1; }
    int size() const { return static_cast<int>(values_.size()); }
    bool empty() const { return values_.empty(); }
    float& operator[](int i) { return values_[static_cast<std::size_t>(i - lower_)]; }
    float operator[](int i) const { return values_[static_cast<std::size_t>(i - lower_)]; }
    std::span<const float> values() const { return values_; }

private:
    int lower_ = 0;
    std::vector<float> values_;
};

// What the engine reads from the data set: the analysed range and the sampler line (metres).
struct SwathInputs {
    int firstDataRow = 0;
    int lastDataRow = 0;
    float swathWidth = 0.0f; // 0 = not entered
    float separation = 10.0f;
    float position1 = 0.0f;
    int panCount() const { return lastDataRow - firstDataRow + 1; }
    static SwathInputs from(const DataSet& dataSet);
};

struct OverlapStats {
    float cov = 0.0f;
    float mean = 0.0f;
    float max = 0.0f;
    float min = 0.0f;
};

// The swath statistics of one source.
struct SwathRecord {
    int widthIndex = 0;
    BoundedArray profile; // -N..N: 1..N as measured, -q the pass seen from the other side
    BoundedArray overlap; // 1..j (racetrack) or 1..2j (back-and-forth)
    BoundedArray cov;     // 1..W, a fraction
    BoundedArray mean;    // 1..W
    BoundedArray max;     // 1..W
    BoundedArray min;     // 1..W
    int widthCount() const { return cov.size(); }
};

// How a block of passes lies, in pan separations from the first flight line.
struct BlockShape {
    std::int16_t passes = 0;
    std::int16_t nearPans = 0;    // pans measured on the near side of the flight line
    std::int16_t farOverhang = 0; // how far the pattern reaches past one swath on the far side
    std::int16_t gap = 0;         // empty pans between the flight line and a line wholly beyond it
    // The block's span in pan separations.
    int span(int width) const { return nearPans + passes * width + farOverhang; }
};

// Several passes at one width side by side: values from -nearPans to passes × width +
// farOverhang.
struct Block {
    int width = 1;
    BlockShape shape;
    BoundedArray values;
};

// What the statistics read of a data set, copied, so that they can run on another thread while
// the data set stays with the window.
struct SwathData {
    SwathInputs inputs;
    std::vector<float> deposit; // pans 1..N of the analysed range
    std::vector<float> density;
    std::span<const float> values(Source source) const
    {
        return source == Source::Deposit ? deposit : density;
    }
    static SwathData from(const DataSet& dataSet);
};

// Told how many widths are done out of how many; returns false to stop early (the record is
// then incomplete and must be thrown away). It may be called from any thread working on the
// statistics, one call at a time.
using Progress = std::function<bool(int done, int total)>;

// j × separation ÷ swath width with a swath width entered, else 1.
float rateFactor(int widthIndex, const SwathInputs& inputs);

// Fills the record's profile from the data set's results and its COV, mean, max and min for
// every width index 1 .. N − 1; leaves the overlap of the widest width.
void calculateSwathStats(SwathRecord& record, const DataSet& dataSet, Source source,
                         FlightPattern pattern);
// The same from copied pans; returns false when stopped by `progress`. Long lines of pans are
// spread over `threads` threads (0: one per processor); the results never depend on it.
bool calculateSwathStats(SwathRecord& record, const SwathInputs& inputs,
                         std::span<const float> pans, FlightPattern pattern,
                         const Progress& progress = {}, int threads = 0);
// The same one width and one pan at a time, the order every faster way must keep.
bool calculateSwathStatsPlain(SwathRecord& record, const SwathInputs& inputs,
                              std::span<const float> pans, FlightPattern pattern);

// Fills the record's overlap for width index j from its profile and returns its statistics.
OverlapStats overlapSwath(SwathRecord& record, int widthIndex, const SwathInputs& inputs,
                          FlightPattern pattern);

// The sample standard deviation of the values.
float standardDeviation(std::span<const float> values);

struct WidthChoice {
    int width = 1;
    bool found = false;
};
// The 30 % rule over COV(1..W), or the same rule at another limit: the widest width whose COV is
// within the limit while the next wider one exceeds it, searched from the widest down.
WidthChoice selectSwathWidth(const BoundedArray& cov, float limit = 0.3f);

// The block of width index w (several passes side by side) built from the record's profile.
// Back-and-forth turns every second pass round as the statistics do, so that the block shows the
// overlap they describe; the data-set file keeps every pass as measured (the default).
Block buildSwathBlock(const SwathRecord& record, int width, const SwathInputs& inputs,
                      FlightPattern pattern = FlightPattern::Racetrack);

} // namespace pellamar::swath
