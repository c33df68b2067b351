#pragma once

#include "core/dataset.h"

#include <QByteArray>
#include <QFile>
#include <memory>

namespace pellamar::testing {

struct SampleRow {
    QString weight, granules, larvae, dead;
};

// A data set as the operator would have typed it: stored values set, every converted field
// shown as the window shows it, the other texts as typed.
inline std::unique_ptr<DataSet> makeDataSet(bool metric, const QList<SampleRow>& rows,
                                            int firstRow = 1)
{
    auto ds = std::make_unique<DataSet>(metric);
    ds->applyUnits();
    SamplerSettings sampler;
    sampler.openingType = 1;
    sampler.openingArea = 0.1f;
    sampler.position1 = -10.0f;
    sampler.separation = 10.0f;
    ds->clearDataSet(sampler);

    Parameters& p = ds->parameters();
    p.agency = QStringLiteral("Vector Control, North");
    p.sprayer = QStringLiteral("AT-402");
    p.releaseHeight = 12.0f;
    p.swathWidth = 30.0f;
    p.met = {2.0f, 25.0f, 8.0f, 90.0f, kNotEntered};
    p.productName = QStringLiteral("Granule G");
    p.productRate = 11.2f;
    ds->setFieldText(Field::Agency, p.agency);
    ds->setFieldText(Field::Sprayer, p.sprayer);
    ds->setFieldText(Field::ProductName, p.productName);
    ds->setFieldText(Field::WindDirection, QStringLiteral("90.0"));
    ds->applyUnits();

    ds->setControlData({20, 2, 24.0f});
    ds->markControlHeader();
    int row = firstRow;
    for (const SampleRow& r : rows) {
        ds->ensureDataRows(row);
        ds->setCell(row, ColWeight, r.weight);
        ds->setCell(row, ColGranules, r.granules);
        ds->setCell(row, ColLarvae, r.larvae);
        ds->setCell(row, ColDead, r.dead);
        ++row;
    }
    ds->calculateResults(0);
    return ds;
}

inline QList<SampleRow> fourPans()
{
    return {{"1.5", "30", "20", "10"}, {"3", "60", "", ""}, {}, {"0.5", "12", "20", "4"}};
}

inline QByteArray readTestFile(const QString& name)
{
    QFile file(QStringLiteral(PELLAMAR_TEST_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace pellamar::testing
