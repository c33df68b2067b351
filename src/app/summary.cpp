#include "summary.h"

#include "batchfiles.h"
#include "core/dataset.h"
#include "core/numbers.h"
#include "datafile/csv.h"
#include "datafile/writer.h"
#include "swath/analysis.h"

#include <array>
#include <cstdio>

namespace pellamar::batch {

namespace {

const std::array kSources{std::pair{swath::Source::Deposit, QStringLiteral("Deposit")},
                          std::pair{swath::Source::Density, QStringLiteral("Density")}};
const std::array kPatterns{
    std::pair{swath::FlightPattern::BackAndForth, QStringLiteral("Back-and-Forth")},
    std::pair{swath::FlightPattern::Racetrack, QStringLiteral("Racetrack")}};
// Width, COV and mean of each source and pattern, then the effective swath of each at every
// COV limit.
constexpr int kEffectiveColumns = 2 * 2 * int(kCovLimitPercents.size());
constexpr int kSwathColumns = 3 * 2 * 2 + kEffectiveColumns;
// The effective swath's short names of the patterns.
const std::array kPatternShort{QStringLiteral("B&F"), QStringLiteral("Racetrack")};

QString header()
{
    QStringList cells{QStringLiteral("File"), QStringLiteral("Units"), QStringLiteral("Pans"),
                      QStringLiteral("Separation"), QStringLiteral("Entered Swath Width")};
    for (const auto& [source, sourceName] : kSources) {
        for (const auto& [pattern, patternName] : kPatterns) {
            for (const char* what : {"Width", "COV", "Mean"}) {
                cells << sourceName + u' ' + patternName + u' ' + QLatin1String(what);
            }
        }
    }
    for (const auto& [source, sourceName] : kSources) {
        for (const QString& pattern : kPatternShort) {
            for (int percent : kCovLimitPercents) {
                cells << QStringLiteral("%1 %2 %3 %").arg(sourceName, pattern).arg(percent);
            }
        }
    }
    // The message of a file that could not be read stays last.
    cells << QStringLiteral("Error");
    return cells.join(u',');
}

// Each source at the width the 30 % rule proposes for each pattern, as the window and the file
// compute and show it; nothing for a line too short to overlap.
void appendSwathCells(QStringList& cells, const DataSet& dataSet)
{
    if (!dataSet.canAnalyseSwath()) {
        for (int i = 0; i < kSwathColumns; ++i) {
            cells << QString();
        }
        return;
    }
    const swath::SwathData data = swath::SwathData::from(dataSet);
    std::array<swath::SwathAnalysis, 2> analyses;
    for (std::size_t p = 0; p < kPatterns.size(); ++p) {
        swath::analyseSwath(analyses[p], data, kPatterns[p].first);
    }
    const datafile::SwathWidthText widthText(dataSet);
    for (const auto& [source, sourceName] : kSources) {
        for (const swath::SwathAnalysis& analysis : analyses) {
            const swath::SwathRecord& record = analysis.of(source);
            const int j = swath::effectiveWidth(record, 0);
            cells << widthText(j) << numbers::format(record.cov[j], u"0.00")
                  << numbers::format(record.mean[j], u"0.00");
        }
    }
    for (const auto& [source, sourceName] : kSources) {
        for (const swath::SwathAnalysis& analysis : analyses) {
            for (int width : swath::effectiveSwaths(analysis.of(source).cov)) {
                cells << (width > 0 ? widthText(width) : QStringLiteral("none"));
            }
        }
    }
}

QString row(const QString& path, int& failed)
{
    QStringList cells{datafile::csvField(path)};
    DataSet dataSet;
    const QString error = loadDataFile(path, dataSet);
    if (!error.isEmpty()) {
        // One line per file: the message box's line breaks become spaces.
        const QString message = error.simplified();
        std::fprintf(stderr, "%s: %s\n", path.toLocal8Bit().constData(),
                     message.toLocal8Bit().constData());
        ++failed;
        for (int i = 0; i < 4 + kSwathColumns; ++i) {
            cells << QString();
        }
        return (cells << datafile::csvField(message)).join(u',');
    }
    cells << (dataSet.metric() ? QStringLiteral("Metric") : QStringLiteral("U.S."))
          << QString::number(swath::SwathInputs::from(dataSet).panCount())
          << datafile::parameterText(dataSet, Field::Separation)
          << datafile::parameterText(dataSet, Field::SwathWidth);
    appendSwathCells(cells, dataSet);
    return (cells << QString()).join(u',');
}

} // namespace

Summary summarise(const QStringList& paths)
{
    Summary summary;
    summary.text = header() + QStringLiteral("\r\n");
    for (const QString& path : paths) {
        summary.text += row(path, summary.failed) + QStringLiteral("\r\n");
    }
    return summary;
}

} // namespace pellamar::batch
