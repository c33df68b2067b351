#include "swath/analysis.h"

#include <atomic>
#include <thread>

namespace pellamar::swath {

bool analyseSwath(SwathAnalysis& analysis, const SwathData& data, FlightPattern pattern,
                  const Progress& progress)
{
    const auto calculate = [&](SwathRecord& record, Source source, const Progress& told) {
        return calculateSwathStats(record, data.inputs, data.values(source), pattern, told);
    };
    // A few hundred pans take a moment; a second thread would cost more than it saves.
    if (data.deposit.size() < 500) {
        return calculate(analysis.deposit, Source::Deposit, progress) &&
               calculate(analysis.density, Source::Density, progress);
    }
    // The two sources are independent and run side by side; one progress tells of both.
    std::atomic<int> densityDone{0};
    std::atomic<bool> stopped{false};
    bool densityComplete = false;
    std::thread density([&] {
        densityComplete =
            calculate(analysis.density, Source::Density, [&](int done, int /*total*/) {
                densityDone = done;
                return !stopped.load();
            });
    });
    const bool depositComplete =
        calculate(analysis.deposit, Source::Deposit, [&](int done, int total) {
            if (progress && !progress(done + densityDone.load(), 2 * total)) {
                stopped = true;
            }
            return !stopped.load();
        });
    density.join();
    return depositComplete && densityComplete && !stopped;
}

int effectiveWidth(const SwathRecord& record, int selected)
{
    const int widths = std::max(record.widthCount(), 1);
    return selected >= 1 && selected <= widths ? selected : selectSwathWidth(record.cov).width;
}

} // namespace pellamar::swath
