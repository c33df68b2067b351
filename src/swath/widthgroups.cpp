#include "swath/widthgroups.h"

#include "swath/runningstats.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#define PELLAMAR_INLINE [[gnu::always_inline]] inline
// The hot loops are built twice, for AVX2 and for any processor, and the first use picks one.
// Both do the same single and double operations in the same order, and nothing may fuse a
// multiply and an add, so the results cannot differ.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define PELLAMAR_AVX2 1
#include <immintrin.h>
#endif

namespace pellamar::swath::detail {

namespace {

using Floats8 = float __attribute__((vector_size(32)));
using Floats4 = float __attribute__((vector_size(16)));
using Doubles4 = double __attribute__((vector_size(32)));

// Points of one width worked out together, held in registers while the passes are added.
constexpr int kRun = 64;
constexpr int kRunVectors = kRun / 8;
constexpr int kOctets = WidthGroups::kWidths / 8;

struct Sources {
    const float* forward;
    const float* reversed;
    int n;
    FlightPattern pattern;
};

// The running statistics of eight widths, one per lane.
struct OctetStats {
    Floats8 max{};
    Floats8 min = Floats8{} + kMinStart;
    Floats8 sum{};
    Doubles4 squaresLo{}; // single values, kept widened
    Doubles4 squaresHi{};
};

} // namespace

namespace portable {
#define PELLAMAR_IN_FLIGHT 1
#define PELLAMAR_WIDEN(v) __builtin_convertvector(v, Doubles4)
#define PELLAMAR_NARROW(d) __builtin_convertvector(d, Floats4)
#include "swath/widthkernel.inc"
#undef PELLAMAR_IN_FLIGHT
#undef PELLAMAR_WIDEN
#undef PELLAMAR_NARROW
} // namespace portable

#ifdef PELLAMAR_AVX2
#pragma GCC push_options
#pragma GCC target("avx2")
// The portable conversions of four values come out as two halves here.
namespace avx2 {
#define PELLAMAR_IN_FLIGHT 2
#define PELLAMAR_WIDEN(v) reinterpret_cast<Doubles4>(_mm256_cvtps_pd(reinterpret_cast<__m128>(v)))
#define PELLAMAR_NARROW(d) reinterpret_cast<Floats4>(_mm256_cvtpd_ps(reinterpret_cast<__m256d>(d)))
#include "swath/widthkernel.inc"
#undef PELLAMAR_IN_FLIGHT
} // namespace avx2
#pragma GCC pop_options
// With AVX-512 the processor has 32 vector registers: twice the widths can wait side by side.
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512vl")
namespace avx512 {
#define PELLAMAR_IN_FLIGHT 4
#include "swath/widthkernel.inc"
#undef PELLAMAR_IN_FLIGHT
#undef PELLAMAR_WIDEN
#undef PELLAMAR_NARROW
} // namespace avx512
#pragma GCC pop_options
#endif

namespace {

using GroupFunction = void (*)(const Sources&, int, const float*, OverlapStats*);

GroupFunction groupFunction(WidthGroups::Kernel kernel)
{
    switch (kernel) {
#ifdef PELLAMAR_AVX2
    case WidthGroups::Kernel::Avx512:
        return avx512::computeGroup;
    case WidthGroups::Kernel::Avx2:
        return avx2::computeGroup;
#endif
    default:
        return portable::computeGroup;
    }
}

} // namespace

std::vector<WidthGroups::Kernel> WidthGroups::kernels()
{
    std::vector<Kernel> found{Kernel::Portable};
#ifdef PELLAMAR_AVX2
    if (__builtin_cpu_supports("avx2")) {
        found.push_back(Kernel::Avx2);
    }
    if (__builtin_cpu_supports("avx512vl")) {
        found.push_back(Kernel::Avx512);
    }
#endif
    return found;
}

WidthGroups::WidthGroups(std::span<const float> pans, FlightPattern pattern,
                         const SwathInputs& inputs)
    : WidthGroups(pans, pattern, inputs, kernels().back())
{}

WidthGroups::WidthGroups(std::span<const float> pans, FlightPattern pattern,
                         const SwathInputs& inputs, Kernel kernel)
    : n_(static_cast<int>(pans.size()))
    , widths_(std::max(0, n_ - 1))
    , pattern_(pattern)
    , inputs_(inputs)
    , kernel_(kernel)
{
    // A run of points reads at most kRun values past the last pan.
    forward_.assign(pans.begin(), pans.end());
    reversed_.assign(pans.rbegin(), pans.rend());
    forward_.resize(pans.size() + kRun, 0.0f);
    reversed_.resize(pans.size() + kRun, 0.0f);
}

bool WidthGroups::fits(int j0) const
{
    // The padding adds f × 0: a zero only while the rate factor is finite, and it grows with j.
    // Widths narrower than a run would waste most of it.
    return j0 >= kRun && j0 + kWidths - 1 <= widths_ && std::isfinite(rateFactor(widths_, inputs_));
}

void WidthGroups::compute(int j0, OverlapStats* out) const
{
    float factors[kWidths];
    for (int l = 0; l < kWidths; ++l) {
        factors[l] = rateFactor(j0 + l, inputs_);
    }
    groupFunction(kernel_)({forward_.data(), reversed_.data(), n_, pattern_}, j0, factors, out);
}

} // namespace pellamar::swath::detail
