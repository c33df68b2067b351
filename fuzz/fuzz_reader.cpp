// libFuzzer target for the data-set reader: the bytes go through what "Load Data Set" does, and
// whatever loads must save and load again: a file the program wrote always loads, and once
// saved, loading and saving it again changes nothing.
#include "core/dataset.h"
#include "datafile/cp1252.h"
#include "datafile/reader.h"
#include "datafile/writer.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <variant>

using namespace pellamar;

namespace {

// Growing the grid is linear and the reader's tests cover the full row limit; files that place
// their rows far out would only slow the search down.
constexpr int kMaxGridRows = 5000;

[[noreturn]] void fault(const char* what, const QByteArray& detail)
{
    std::fprintf(stderr, "fuzz_reader: %s\n%s\n", what, detail.constData());
    std::fflush(stderr);
    __builtin_trap();
}

// Load into a fresh data set as the window and pellamar-batch do, then save.
QByteArray loadAndSave(const datafile::ParsedDataSet& parsed, const swath::SwathChoice& choice)
{
    DataSet dataSet;
    datafile::applyDataSet(dataSet, parsed);
    return datafile::encodeCp1252(datafile::dataSetText(dataSet, choice)).bytes;
}

// Every file we wrote must load.
QByteArray reloadAndSave(const QByteArray& saved, const swath::SwathChoice& choice)
{
    const auto parsed = datafile::parseDataSet(saved, QStringLiteral("saved.csv"));
    if (const auto* error = std::get_if<datafile::LoadError>(&parsed)) {
        fault("a file we wrote does not load",
              error->message.toUtf8() + "\n--- file ---\n" + saved);
    }
    return loadAndSave(std::get<datafile::ParsedDataSet>(parsed), choice);
}

QByteArray firstDifference(const QByteArray& a, const QByteArray& b)
{
    const QList<QByteArray> la = a.split('\n');
    const QList<QByteArray> lb = b.split('\n');
    for (qsizetype i = 0; i < std::max(la.size(), lb.size()); ++i) {
        const QByteArray x = la.value(i);
        const QByteArray y = lb.value(i);
        if (x != y) {
            return "line " + QByteArray::number(i + 1) + ":\n  first save:  " + x.trimmed() +
                   "\n  second save: " + y.trimmed();
        }
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto parsed = datafile::parseDataSet(bytes, QStringLiteral("fuzz.csv"));
    const auto* file = std::get_if<datafile::ParsedDataSet>(&parsed);
    if (file == nullptr ||
        file->firstRow - 1 + static_cast<qsizetype>(file->rows.size()) > kMaxGridRows) {
        return 0;
    }

    swath::SwathChoice choice;
    // Both flight patterns, picked by something every mutation changes anyway.
    choice.pattern =
        size % 2 != 0 ? swath::FlightPattern::Racetrack : swath::FlightPattern::BackAndForth;
    // What a load and a save make of the bytes: any data set the program can hold.
    const QByteArray saved = loadAndSave(*file, choice);
    // Saving rounds some values to their patterns, so the first reload may change them; from
    // then on load and save must leave the file as it is.
    const QByteArray once = reloadAndSave(saved, choice);
    const QByteArray twice = reloadAndSave(once, choice);
    if (twice != once) {
        fault("loading and saving a file we wrote changes it", firstDifference(once, twice));
    }
    return 0;
}
