#pragma once

#include <QString>

namespace pellamar {
class DataSet;
}

namespace pellamar::batch {

// The swath statistics grow with the square of the pans: this many take about a minute on two
// cores, and the reader's own limit would take an hour.
inline constexpr int kMaxSwathPans = 250000;

// Loads a data-set file as "Load Data Set" does, with the file's own sampler line. Returns the
// program's message when it cannot, a file without sample data or with more than kMaxSwathPans
// pans in its data range included; empty when loaded.
QString loadDataFile(const QString& path, DataSet& dataSet);

// Writes the text as a data-set file is written (Windows-1252, CR LF as given, atomically), or
// to standard output for "-". Returns the program's message when it cannot; tells on standard
// error of characters the code page cannot hold.
QString writeOutput(const QString& path, const QString& text);

// Whether two names lead to the same existing file.
bool sameFile(const QString& a, const QString& b);

} // namespace pellamar::batch
