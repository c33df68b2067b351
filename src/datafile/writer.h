#pragma once

#include "swath/swath.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace pellamar {
class DataSet;
}

namespace pellamar::datafile {

// The swath choices the window holds: the flight pattern and the width index chosen for
// deposit (0) and density (1); 0 lets the 30 % rule choose.
struct SwathChoice {
    swath::FlightPattern pattern = swath::FlightPattern::BackAndForth;
    std::array<int, 2> selectedWidth{0, 0};
};

// The swath statistics of both sources that a file carries: the part of a save that grows with
// the square of the number of pans.
struct SwathAnalysis {
    swath::SwathRecord deposit;
    swath::SwathRecord density;
};
// Computes them from copied pans, so it may run on another thread; false when stopped.
bool analyseSwath(SwathAnalysis& analysis, const swath::SwathData& data,
                  swath::FlightPattern pattern, const swath::Progress& progress = {});

// The whole data-set file as text, lines ending in CR LF, with a swath section computed afresh
// for both sources. Reads the data set only.
QString dataSetText(const DataSet& dataSet, const SwathChoice& choice);
// The same with the swath statistics already computed for this data set and flight pattern.
QString dataSetText(const DataSet& dataSet, const SwathChoice& choice,
                    const SwathAnalysis& analysis);

struct SaveOutcome {
    bool saved = false;
    int replacedCharacters = 0; // characters the file's code page cannot hold, written as "?"
    QString message;            // why it failed, ready for a message box
};

// Writes the data set to the file atomically: an existing file is replaced only once the new
// one is completely written, and stays untouched when anything fails. A device or pipe is
// written in place instead, so that the node itself is never replaced.
SaveOutcome saveDataSet(const QString& path, const DataSet& dataSet, const SwathChoice& choice);
SaveOutcome saveDataSet(const QString& path, const DataSet& dataSet, const SwathChoice& choice,
                        const SwathAnalysis& analysis);

// The message shown when a save fails, with the system's reason.
QString saveErrorMessage(const QString& reason);

} // namespace pellamar::datafile
