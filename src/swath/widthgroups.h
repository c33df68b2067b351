#pragma once

#include "swath/swath.h"

#include <span>
#include <vector>

namespace pellamar::swath::detail {

// The swath statistics of many widths side by side: each overlap point adds its passes in the
// walking order, each width sums its points in order, and so every result equals the one width
// at a time walk to the bit.
class WidthGroups {
public:
    // Widths handled together; they share the loads of their points' statistics.
    static constexpr int kWidths = 32;

    // The same loops built for several instruction sets.
    enum class Kernel { Portable, Avx2, Avx512 };
    // Those this processor runs, the fastest last.
    static std::vector<Kernel> kernels();

    WidthGroups(std::span<const float> pans, FlightPattern pattern, const SwathInputs& inputs);
    WidthGroups(std::span<const float> pans, FlightPattern pattern, const SwathInputs& inputs,
                Kernel kernel);

    // Whether widths j0 .. j0 + kWidths − 1 can go together (the narrow ones cannot).
    bool fits(int j0) const;
    // The statistics of widths j0 .. j0 + kWidths − 1 into out[0 .. kWidths).
    void compute(int j0, OverlapStats* out) const;

private:
    std::vector<float> forward_;  // pans as measured, then zeros past the last
    std::vector<float> reversed_; // pans seen from the other side, then zeros
    int n_ = 0;
    int widths_ = 0;
    FlightPattern pattern_;
    SwathInputs inputs_;
    Kernel kernel_;
};

} // namespace pellamar::swath::detail
