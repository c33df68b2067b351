#include "swath/analysis.h"

namespace pellamar::swath {

bool analyseSwath(SwathAnalysis& analysis, const SwathData& data, FlightPattern pattern,
                  const Progress& progress)
{
    // One source after the other, each spread over every processor; one progress tells of both.
    const auto calculate = [&](SwathRecord& record, Source source, int before) {
        const auto told = [&](int done, int total) {
            return !progress || progress(before * total + done, 2 * total);
        };
        return calculateSwathStats(record, data.inputs, data.values(source), pattern, told);
    };
    return calculate(analysis.deposit, Source::Deposit, 0) &&
           calculate(analysis.density, Source::Density, 1);
}

int effectiveWidth(const SwathRecord& record, int selected)
{
    const int widths = std::max(record.widthCount(), 1);
    return selected >= 1 && selected <= widths ? selected : selectSwathWidth(record.cov).width;
}

} // namespace pellamar::swath
