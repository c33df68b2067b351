#pragma once

#include "swath/swath.h"

#include <QString>

namespace pellamar {
class DataSet;
}

namespace pellamar::graphics {

// The swath analysis in words, shared by the panel and the report.

// "back-and-forth" or "racetrack".
QString flightPatternName(swath::FlightPattern pattern);

// The answer for one source at the width shown, e.g. "Swath 30 m: COV 12.3 % (back-and-forth),
// mean 10.9 kg/ha, 97 % of the 11.20 kg/ha set" (the share of the rate for the deposit with a
// rate entered). When the rule at the limit finds no width and the width shown is the one it
// falls back on, the line says why instead. Empty below three pans.
QString swathResultLine(const DataSet& dataSet, const swath::SwathRecord& record, int width,
                        swath::Source source, swath::FlightPattern pattern, int limitPercent);

// A cell of the effective swath table: the width with its unit, or "none" for 0.
QString effectiveSwathText(const DataSet& dataSet, int width);

// Where the deposit lies along the sample line, e.g. "Pattern centre: 2.3 m from the flight
// line, toward the positive positions". Empty without data.
QString patternCentreLine(const DataSet& dataSet);

} // namespace pellamar::graphics
