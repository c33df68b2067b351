#pragma once

#include "core/parameters.h"
#include "swath/analysis.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

namespace pellamar {
class DataSet;
}

namespace pellamar::datafile {

// A parameter as the file writes it, without its unit: the sampler line from its stored value,
// anything else as its field shows it (names unquoted); empty when not entered.
QString parameterText(const DataSet& dataSet, Field field);

// Swath widths of whole pan separations as the file writes them, without the unit: index ×
// separation × length factor, "0" or "0.0" after the separation.
class SwathWidthText {
public:
    explicit SwathWidthText(const DataSet& dataSet);
    QString operator()(int separations) const;
    // The width before it is rounded for the file.
    double length(int separations) const;
    // Decimals the file shows a width with.
    int decimals() const { return pattern_.size() > 1 ? int(pattern_.size()) - 2 : 0; }

private:
    const DataSet& dataSet_;
    QString pattern_;
};

// The whole data-set file as text, lines ending in CR LF, with a swath section computed afresh
// for both sources. Reads the data set only.
QString dataSetText(const DataSet& dataSet, const swath::SwathChoice& choice);
// The same with the swath statistics already computed for this data set and flight pattern.
QString dataSetText(const DataSet& dataSet, const swath::SwathChoice& choice,
                    const swath::SwathAnalysis& analysis);

// The characters of the data set's names that the file cannot hold and would write as "?",
// each once, in the order they first occur.
QStringList unstorableCharacters(const DataSet& dataSet);

struct SaveOutcome {
    bool saved = false;
    int replacedCharacters = 0; // characters the file's code page cannot hold, written as "?"
    QString message;            // why it failed, ready for a message box
};

// Writes the data set to the file atomically: an existing file is replaced only once the new
// one is completely written, and stays untouched when anything fails. A device or pipe is
// written in place instead, so that the node itself is never replaced.
SaveOutcome saveDataSet(const QString& path, const DataSet& dataSet,
                        const swath::SwathChoice& choice);
SaveOutcome saveDataSet(const QString& path, const DataSet& dataSet,
                        const swath::SwathChoice& choice, const swath::SwathAnalysis& analysis);

// Writes any text as a data-set file is written: in its code page, atomically, a device in
// place.
SaveOutcome saveText(const QString& path, const QString& text);

// The message shown when a save fails, with the system's reason.
QString saveErrorMessage(const QString& reason);

} // namespace pellamar::datafile
