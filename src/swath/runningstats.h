#pragma once

#include "swath/swath.h"

#include <cmath>
#include <cstddef>

namespace pellamar::swath::detail {

inline constexpr float kMinStart = 1000000.0f;

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

inline float deviation(const Sums& sums, std::size_t count)
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

// The statistics of one width's points, taken in order.
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

// The overlap points of width index j: one pass wide, or two (out and back).
inline int pointCount(int j, FlightPattern pattern)
{
    return (pattern == FlightPattern::Racetrack ? 1 : 2) * j;
}

} // namespace pellamar::swath::detail
