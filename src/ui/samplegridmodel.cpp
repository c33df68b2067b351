#include "ui/samplegridmodel.h"

#include "core/dataset.h"

#include <QColor>

namespace pellamar::ui {

namespace {

const QColor kShade(230, 230, 230);
const QColor kInputWhite(255, 255, 255);

bool isInputColumn(int column)
{
    return column >= ColWeight && column <= ColDead;
}

} // namespace

SampleGridModel::SampleGridModel(DataSet& dataSet, QObject* parent)
    : QAbstractTableModel(parent)
    , dataSet_(dataSet)
{
    connect(&dataSet_, &DataSet::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows({}, first - 1, last - 1); });
    connect(&dataSet_, &DataSet::rowsInserted, this, [this] { endInsertRows(); });
    connect(&dataSet_, &DataSet::aboutToReset, this, [this] { beginResetModel(); });
    connect(&dataSet_, &DataSet::resetDone, this, [this] {
        endResetModel();
        refreshHeadings();
    });
    connect(&dataSet_, &DataSet::recalculated, this, [this](int first, int last) {
        if (first >= 1 && last >= first) {
            emit dataChanged(index(first - 1, 0), index(last - 1, kGridColumns - 1));
        }
    });
    connect(&dataSet_, &DataSet::unitsApplied, this, &SampleGridModel::refreshHeadings);
    refreshHeadings();
}

int SampleGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : dataSet_.dataRowCount();
}

int SampleGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kGridColumns;
}

QVariant SampleGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) {
        return {};
    }
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return dataSet_.cell(index.row() + 1, column);
    case Qt::BackgroundRole:
        // Only the input block looks editable.
        return isInputColumn(column) ? kInputWhite : kShade;
    case Qt::TextAlignmentRole:
        // The computed texts carry trailing blanks as their right margin.
        return isInputColumn(column) ? int(Qt::AlignCenter)
                                     : int(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant SampleGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    if (section < 0 || section >= kGridColumns) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return headings_[static_cast<std::size_t>(section)];
    case Qt::ForegroundRole:
        if (section == ColCorrectedMortality) {
            return mortalityHeadingColor_;
        }
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags SampleGridModel::flags(const QModelIndex& index) const
{
    // No item is editable: the grid edits the texts itself, key by key.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void SampleGridModel::refreshHeadings()
{
    for (int column = 0; column < kGridColumns; ++column) {
        headings_[static_cast<std::size_t>(column)] = columnHeading(column, dataSet_.units());
    }
    mortalityHeadingColor_ = QColor::fromRgb(static_cast<QRgb>(dataSet_.controlHeadingColor()));
    emit headerDataChanged(Qt::Horizontal, 0, kGridColumns - 1);
}

void SampleGridModel::cellChanged(int row, int column)
{
    const QModelIndex changed = index(row - 1, column);
    emit dataChanged(changed, changed);
}

} // namespace pellamar::ui
