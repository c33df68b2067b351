#pragma once

#include <QString>
#include <QStringList>

namespace pellamar::batch {

// The summary of several data-set files as CSV text, CR LF line ends: a header, then one line
// per file, each file's message in the last column when it could not be read.
struct Summary {
    QString text;
    int failed = 0;
};
Summary summarise(const QStringList& paths);

} // namespace pellamar::batch
