#pragma once

#include "core/settings.h"
#include "swath/swath.h"

#include <array>
#include <optional>

namespace pellamar::swath {

// What the operator chose in swath analysis: the flight pattern, the width index chosen per
// source (0 lets the rule choose) and the COV limit the rule works at.
struct SwathChoice {
    FlightPattern pattern = FlightPattern::BackAndForth;
    std::array<int, 2> selectedWidth{0, 0}; // deposit, density
    int covLimitPercent = 30;

    int& width(Source source) { return selectedWidth[source == Source::Deposit ? 0 : 1]; }
    int width(Source source) const { return selectedWidth[source == Source::Deposit ? 0 : 1]; }
};

// The swath statistics of both sources that a file and the report carry: the part of a save
// that grows with the square of the number of pans.
struct SwathAnalysis {
    SwathRecord deposit;
    SwathRecord density;

    const SwathRecord& of(Source source) const
    {
        return source == Source::Deposit ? deposit : density;
    }
};

// Computes both sources from copied pans, so it may run on another thread; false when stopped.
bool analyseSwath(SwathAnalysis& analysis, const SwathData& data, FlightPattern pattern,
                  const Progress& progress = {});

// The width a record is shown and saved at: the one chosen, unless none is or it no longer exists
// (chosen for a longer line of pans), when the rule at the limit chooses.
int effectiveWidth(const SwathRecord& record, int selected, float limit = 0.3f);

// A limit in percent as the rule compares it: single precision, 30 giving 0.3f exactly.
float covLimit(int percent);

// The effective swath at every limit of kCovLimitPercents: the width index the rule finds at
// that limit, 0 where it finds none.
using EffectiveSwaths = std::array<int, kCovLimitPercents.size()>;
EffectiveSwaths effectiveSwaths(const BoundedArray& cov);

// The centroid of the pans' values along the sample line, in metres from the flight line at
// position 0 (positive toward the higher positions); none when the values sum to 0 or less.
std::optional<double> patternCentre(const SwathInputs& inputs, std::span<const float> pans);

} // namespace pellamar::swath
