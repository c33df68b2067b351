#pragma once
// Shared by every test folder: data sets as typed, files, exact floats, recorded pictures.

#include "core/dataset.h"
#include "graphics/recordingsurface.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <cstdint>
#include <memory>

namespace pellamar::testing {

struct SampleRow {
    QString weight, granules, larvae, dead;
};

// The four input cells of a grid row, not yet calculated.
void enterRow(DataSet& dataSet, int row, const SampleRow& texts);
// Every parameter entered, as the field texts show them, and control data.
void enterParameters(DataSet& dataSet);
// The sampler line of the test files (opening 0.1 m², pan 1 at -10 m, pans 10 m apart), every
// parameter entered and the rows typed.
std::unique_ptr<DataSet> makeDataSet(bool metric, const QList<SampleRow>& rows, int firstRow = 1);
QList<SampleRow> fourPans();

// Pans with 1 m² openings, so that w g deposit 10 × w kg/ha and a granule count is the density;
// only the texts given are entered, from grid row `firstRow` on.
std::unique_ptr<DataSet> lineOfPans(const QList<SampleRow>& rows, float position1 = 0.0f, float separation = 10.0f,
                                    bool metric = true, int firstRow = 1);
QList<SampleRow> weights(const QList<double>& grams);
// A bell-shaped pass: weights, granules, 100 larvae and some dead in every pan.
QList<SampleRow> bell(int pans);

// The input cells and results of every row, the stored parameters to the bit and the field
// texts: a change anywhere shows.
QStringList snapshot(const DataSet& dataSet);
// A grid cell as the grid shows it, without its alignment blanks.
QString shown(const DataSet& dataSet, int row, int column);

QByteArray readTestFile(const QString& name);
QByteArray fileBytes(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

template <typename T>
bool sameBits(T a, T b)
{
    using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;
    return std::bit_cast<Bits>(a) == std::bit_cast<Bits>(b);
}

// Compares a surface's drawing calls, then the notes (what the drawing returned), with
// tests/data/pictures/NAME.txt: empty when they agree, else the first line that differs.
// PELLAMAR_UPDATE_PICTURES=1 writes the file instead: read its diff before committing it.
QString comparePicture(const graphics::RecordingSurface& surface, const QString& name, const QStringList& notes = {});
// The first texts drawn that overlap each other or stick out of the surface ("A / B"), or empty.
QString crowdedTexts(const graphics::RecordingSurface& surface);

#define VERIFY_PICTURE(surface, ...)                                                                                   \
    do {                                                                                                               \
        const QString difference = pellamar::testing::comparePicture(surface, __VA_ARGS__);                            \
        QVERIFY2(difference.isEmpty(), qPrintable(difference));                                                        \
    } while (false)

} // namespace pellamar::testing

Q_DECLARE_METATYPE(pellamar::testing::SampleRow)
Q_DECLARE_METATYPE(pellamar::Field)
