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

// A data-set file's text. UTF-16 when it starts with its byte order mark. Otherwise UTF-8 (its
// byte order mark dropped) in which every byte that is no part of a well-formed multi-byte
// sequence is taken as Windows-1252: a file the program wrote reads as Windows-1252, one an
// editor saved as UTF-8 as UTF-8, and one holding both keeps both kinds of names.
QString decodeDataSetText(QByteArrayView bytes);

} // namespace pellamar::datafile
