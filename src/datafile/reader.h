#pragma once

#include "core/dataset.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <variant>
#include <vector>

namespace pellamar::datafile {

// Everything a data-set file contributes, checked and converted to stored (metric) values, ready
// to be placed into a data set.
struct ParsedDataSet {
    bool metric = true;
    Parameters parameters;
    // The texts the parameter fields show after the load, indexed by Field.
    std::array<QString, kFieldCount> fieldTexts;
    // Absent when the file gives no control data: the counts stay cleared and the hours keep
    // their value.
    std::optional<ControlData> control;
    // The grid row of the first sample row; the rest follow consecutively.
    int firstRow = 1;
    // The input cells of each sample row: sample weight, granules, larvae, mortality.
    std::vector<std::array<QString, 4>> rows;
};

struct LoadError {
    enum class Kind { Invalid, Damaged };
    Kind kind = Kind::Invalid;
    int line = 0;        // the file line at fault (damaged files only)
    QString description; // plain words naming the line, e.g. "Line 16: the opening area is ..."
    QString message;     // the whole text for the message box, "\n" for line breaks
};

// The grid never grows beyond this many data rows on a load; a file that would need more is
// damaged rather than a reason to exhaust memory.
inline constexpr int kMaxLoadedRows = 1000000;

// The message for a file that could not be read, with a plain description of why.
QString damagedFileMessage(const QString& description);

// A data-set file's bytes, or the message saying why they cannot be had: the file is gone, is a
// folder, may not be read, or reading it failed.
struct FileBytes {
    QByteArray bytes;
    QString message; // empty when read
};
FileBytes readDataSetFile(const QString& path);

// Reads and checks the whole file (Windows-1252 bytes) without touching any data set.
std::variant<ParsedDataSet, LoadError> parseDataSet(const QByteArray& bytes,
                                                    const QString& fileTitle);

// Replaces the data set by a parsed file, in the file's unit system, and recalculates every row.
// Without control data in the file the counts are cleared and the hours keep their value.
void applyDataSet(DataSet& dataSet, ParsedDataSet parsed);

struct LoadOutcome {
    bool loaded = false;
    QString message; // empty when loaded; otherwise the full text for a message box
};

// Parses the whole file first; only a valid file changes the data set.
LoadOutcome loadDataSet(DataSet& dataSet, const QByteArray& bytes, const QString& fileTitle);

} // namespace pellamar::datafile
