#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace pellamar::datafile {

// A text field as the data-set file writes it: as is, unless it holds a comma, a double quote,
// CR or LF, in which case it is quoted the CSV way (inner quotes doubled).
QString csvField(const QString& text);

// One line of a data-set file: its text as stored (for the tests that look at whole lines) and
// its fields, unquoted.
struct Record {
    QString text;
    QStringList fields;
    int lineNumber = 0; // 1-based line on which the record starts
};

struct RecordsOrError {
    std::vector<Record> records;
    QString error; // empty when the whole text was split
    int errorLine = 0;
};

// Splits a whole file into records. Lines end with LF or CR LF, except inside a quoted field;
// a field is quoted only when its first character is a double quote.
RecordsOrError splitRecords(QStringView text);

// The file's field list of a record: all fields in order when the first is not empty;
// otherwise an empty entry at index 0 followed by only the non-empty fields.
QStringList splitFields(const QStringList& fields);

} // namespace pellamar::datafile
