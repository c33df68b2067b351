#pragma once

#include "core/units.h"

#include <QAbstractTableModel>
#include <QColor>
#include <array>

namespace pellamar {
class DataSet;
}

namespace pellamar::ui {

// A thin table model over the data set's sample grid: model row r - 1 is data row r. It computes
// nothing; it only turns the data set's change signals into model signals.
class SampleGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SampleGridModel(DataSet& dataSet, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    DataSet& dataSet() { return dataSet_; }

    // Re-reads the headings (units, the corrected-mortality heading colour).
    void refreshHeadings();
    // Announces a change of one cell's text that the data set did not signal itself.
    void cellChanged(int row, int column);

private:
    DataSet& dataSet_;
    std::array<QString, kGridColumns> headings_;
    QColor mortalityHeadingColor_;
};

} // namespace pellamar::ui
