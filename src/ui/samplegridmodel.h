#pragma once

#include "core/columns.h"
#include "document/editor.h"

#include <QAbstractTableModel>
#include <QColor>
#include <array>
#include <functional>

namespace pellamar {
class DataSet;
}

namespace pellamar::ui {

using document::CellText;
using document::Editor;

// A thin table model over the data set's sample grid: model row r - 1 is data row r. It turns
// the data set's change signals into model signals, shows the cells' texts (and the text being
// typed into one) and hands the grid's committed edits to the editor as steps of the history.
class SampleGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SampleGridModel(Editor& editor, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    DataSet& dataSet() { return dataSet_; }
    // Several input cells committed as one step.
    void setCells(const QList<CellText>& cells);
    // The text being typed into a cell, shown until it is committed or dropped; in red while
    // it cannot be committed.
    void showTyping(int row, int column, const QString& text, bool refused);
    void endTyping();
    // The text being typed, kept here only: the grid reads it back.
    const QString& typingText() const { return typing_.text; }

    // Re-reads the headings (units, the corrected-mortality heading colour).
    void refreshHeadings();

    // Per data row, the spread of the passes' deposits in % (negative where there is none),
    // told on the deposit cells; tell `spreadChanged` when it changes.
    using Spread = std::function<float(int row)>;
    void setSpread(Spread spread) { spread_ = std::move(spread); }
    void spreadChanged();

private:
    Editor& editor_;
    DataSet& dataSet_;
    CellText typing_;
    bool typingRefused_ = false;
    std::array<QString, kGridColumns> headings_;
    QColor mortalityHeadingColor_;
    Spread spread_;
};

} // namespace pellamar::ui
