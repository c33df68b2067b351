#pragma once

#include "swath/swath.h"

#include <array>

namespace pellamar::swath {

// What the operator chose in swath analysis: the flight pattern and the width index chosen per
// source; 0 lets the 30 % rule choose.
struct SwathChoice {
    FlightPattern pattern = FlightPattern::BackAndForth;
    std::array<int, 2> selectedWidth{0, 0}; // deposit, density

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
// (chosen for a longer line of pans), when the 30 % rule chooses.
int effectiveWidth(const SwathRecord& record, int selected);

} // namespace pellamar::swath
