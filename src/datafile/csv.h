#pragma once

#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <vector>

namespace pellamar::datafile {

// A text field as the data-set file writes it: as is, unless it holds a comma, a double quote,
// CR or LF, in which case it is quoted the CSV way (inner quotes doubled).
QString csvField(const QString& text);

// One line of a data-set file, a view into the split text, so that a large file is split without
// a copy of each field.
struct Record {
    QStringView text; // as stored, for the tests that look at whole lines
    // Whether the fields were split with the record (those of lines with quotes), at
    // RecordsOrError::fields.
    bool split = false;
    std::size_t firstField = 0;
    std::size_t fieldCount = 0;
    int lineNumber = 0; // 1-based line on which the record starts
};

// A record's fields, unquoted.
using Fields = QVarLengthArray<QStringView, 16>;

struct RecordsOrError {
    std::vector<Record> records;
    // The fields of the records split with the quotes in mind.
    std::vector<QStringView> fields;
    // The texts of quoted fields, which differ from the file's; the views above point into them.
    std::vector<QString> unquoted;
    QString error; // empty when the whole text was split
    int errorLine = 0;
    char16_t separator = u',';

    Fields fieldsOf(const Record& record) const;
};

// Splits a whole file into records, which view the text: it must outlive them. Lines end with LF
// or CR LF, except inside a quoted field; a field is quoted only when its first character is a
// double quote.
RecordsOrError splitRecords(QStringView text, char16_t separator = u',');

// The field separator a file was saved with: comma, semicolon (spreadsheets in locales with a
// decimal comma) or tab. The labelled lines settle it by the character after their colon, the
// title line by the padding after it; a comma when nothing does.
char16_t detectSeparator(QStringView text);

// The file's field list of a record: all fields in order when the first is not empty;
// otherwise an empty entry at index 0 followed by only the non-empty fields. fileField gives
// entry `index` of that list, empty past its end.
qsizetype fileFieldCount(const Fields& fields);
QStringView fileField(const Fields& fields, qsizetype index);

} // namespace pellamar::datafile
