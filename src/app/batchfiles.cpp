#include "batchfiles.h"

#include "core/dataset.h"
#include "datafile/cp1252.h"
#include "datafile/reader.h"
#include "datafile/writer.h"

#include <QFileInfo>
#include <cstdio>

namespace pellamar::batch {

QString loadDataFile(const QString& path, DataSet& dataSet)
{
    const datafile::FileBytes file = datafile::readDataSetFile(path);
    if (!file.message.isEmpty()) {
        return file.message;
    }
    // The file carries its own sampler line, so the user's settings play no part.
    const QString title = QFileInfo(path).fileName();
    const datafile::LoadOutcome loaded = datafile::loadDataSet(dataSet, file.bytes, title);
    if (!loaded.loaded) {
        return loaded.message;
    }
    if (!dataSet.hasData()) {
        return QStringLiteral("'%1' holds no sample data.").arg(title);
    }
    if (const int pans = dataSet.lastDataRow() - dataSet.firstDataRow() + 1; pans > kMaxSwathPans) {
        return QStringLiteral("'%1' holds %2 pans from the first to the last with data; the swath "
                              "statistics of more than %3 would take many minutes.")
            .arg(title)
            .arg(pans)
            .arg(kMaxSwathPans);
    }
    return {};
}

QString writeOutput(const QString& path, const QString& text)
{
    int replaced = 0;
    if (path == u"-") {
        const datafile::Encoded out = datafile::encodeCp1252(text);
        replaced = out.replaced;
        const auto size = static_cast<std::size_t>(out.bytes.size());
        if (std::fwrite(out.bytes.constData(), 1, size, stdout) != size ||
            std::fflush(stdout) != 0) {
            return datafile::saveErrorMessage(
                QStringLiteral("Could not write to standard output."));
        }
    } else {
        const datafile::SaveOutcome saved = datafile::saveText(path, text);
        if (!saved.saved) {
            return saved.message;
        }
        replaced = saved.replacedCharacters;
    }
    if (replaced > 0) {
        std::fprintf(stderr,
                     "pellamar-batch: %d characters outside Windows-1252 were written as "
                     "\"?\".\n",
                     replaced);
    }
    return {};
}

bool sameFile(const QString& a, const QString& b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace pellamar::batch
