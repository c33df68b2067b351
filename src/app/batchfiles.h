#pragma once

#include <QString>

namespace pellamar {
class DataSet;
}

namespace pellamar::batch {

// Loads a data-set file as "Load Data Set" does, with the file's own sampler line. Returns the
// program's message when it cannot, a file without sample data included; empty when loaded.
QString loadDataFile(const QString& path, DataSet& dataSet);

// Writes the text as a data-set file is written (Windows-1252, CR LF as given, atomically), or
// to standard output for "-". Returns the program's message when it cannot; tells on standard
// error of characters the code page cannot hold.
QString writeOutput(const QString& path, const QString& text);

// Whether two names lead to the same existing file.
bool sameFile(const QString& a, const QString& b);

} // namespace pellamar::batch
