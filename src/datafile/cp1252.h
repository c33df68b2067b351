#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pellamar::datafile {

// The data-set file's code page, Windows-1252, with a table of our own so that the bytes never
// depend on which converters the Qt build carries.
struct Encoded {
    QByteArray bytes;
    int replaced = 0; // characters outside the code page, written as "?"
    QStringList lost; // each of them once, in the order they first occur
};
Encoded encodeCp1252(QStringView text);

// Every byte decodes; the five bytes the code page leaves undefined become the control
// characters of the same number.
QString decodeCp1252(QByteArrayView bytes);

// A data-set file's text: UTF-8 when it starts with the UTF-8 byte order mark (which is dropped)
// or is valid UTF-8 holding at least one multi-byte character, as editors and spreadsheets save
// it; Windows-1252 otherwise, as the program writes it.
QString decodeDataSetText(QByteArrayView bytes);

} // namespace pellamar::datafile
