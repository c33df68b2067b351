#pragma once

#include <QByteArray>
#include <QString>

namespace pellamar::datafile {

// The data-set file's code page, Windows-1252, with a table of our own so that the bytes never
// depend on which converters the Qt build carries.
struct Encoded {
    QByteArray bytes;
    int replaced = 0; // characters outside the code page, written as "?"
};
Encoded encodeCp1252(QStringView text);

// Every byte decodes; the five bytes the code page leaves undefined become the control
// characters of the same number.
QString decodeCp1252(QByteArrayView bytes);

} // namespace pellamar::datafile
