#include "ui/samplegridmodel.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "datafile/passes.h"
#include "document/editor.h"

#include <QColor>

namespace pellamar::ui {

namespace {

const QColor kShade(230, 230, 230);
const QColor kInputWhite(255, 255, 255);
const QColor kWarning(255, 196, 160);

// Computed texts end in blanks that serve as their right margin; whole positions keep the width
// of two decimals so that the column stays aligned.
QString shown(const DataSet& dataSet, int row, int column)
{
    QString text = cellText(dataSet, row, column);
    if (text.isEmpty() || isInputColumn(column)) {
        return text;
    }
    int blanks = column == ColCorrectedMortality ? 8 : 7;
    if (column == ColPosition) {
        blanks = dataSet.wholePositions() ? 5 : 2;
    }
    return text.append(QString(blanks, u' '));
}

} // namespace

SampleGridModel::SampleGridModel(Editor& editor, QObject* parent)
    : QAbstractTableModel(parent)
    , editor_(editor)
    , dataSet_(editor.dataSet())
{
    connect(&dataSet_, &DataSet::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows({}, first - 1, last - 1); });
    connect(&dataSet_, &DataSet::rowsInserted, this, [this] { endInsertRows(); });
    connect(&dataSet_, &DataSet::rowsAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows({}, first - 1, last - 1); });
    connect(&dataSet_, &DataSet::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(&dataSet_, &DataSet::aboutToReset, this, [this] {
        beginResetModel();
        typing_ = {};
    });
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
    connect(&dataSet_, &DataSet::controlDataChanged, this, &SampleGridModel::refreshHeadings);
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
    case Qt::EditRole:
        if (typing_.row == index.row() + 1 && typing_.column == column) {
            return typing_.text;
        }
        return shown(dataSet_, index.row() + 1, column);
    case Qt::ForegroundRole:
        if (typingRefused_ && typing_.row == index.row() + 1 && typing_.column == column) {
            return QColor(200, 0, 0);
        }
        if (column == ColDeposit && spread_ &&
            spread_(index.row() + 1) > datafile::kSpreadMarkedAbove) {
            return QColor(200, 0, 0);
        }
        return {};
    case Qt::BackgroundRole:
        if (column == ColDead && dataSet_.deadAboveLarvae(index.row() + 1)) {
            return kWarning;
        }
        // Only the input block looks editable.
        return isInputColumn(column) ? kInputWhite : kShade;
    case Qt::ToolTipRole:
        if (column == ColDead && dataSet_.deadAboveLarvae(index.row() + 1)) {
            return QStringLiteral("More dead than larvae");
        }
        if (column == ColDeposit && spread_ && spread_(index.row() + 1) >= 0) {
            const float cv = spread_(index.row() + 1);
            return QStringLiteral("Spread between the passes: CV %1 %%2")
                .arg(numbers::format(cv, u"0.0"), cv > datafile::kSpreadMarkedAbove
                                                      ? QStringLiteral(", above 50 %")
                                                      : QString());
        }
        return {};
    case Qt::TextAlignmentRole:
        // The computed texts carry trailing blanks as their right margin.
        return isInputColumn(column) ? int(Qt::AlignCenter)
                                     : int(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

void SampleGridModel::spreadChanged()
{
    if (rowCount() > 0) {
        emit dataChanged(index(0, ColDeposit), index(rowCount() - 1, ColDeposit),
                         {Qt::ForegroundRole, Qt::ToolTipRole});
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
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    // The grid edits the input texts itself, key by key, through setData.
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return isInputColumn(index.column()) ? flags | Qt::ItemIsEditable : flags;
}

bool SampleGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !isInputColumn(index.column())) {
        return false;
    }
    setCells({{index.row() + 1, index.column(), value.toString()}});
    return true;
}

void SampleGridModel::setCells(const QList<CellText>& cells)
{
    endTyping();
    editor_.setCells(cells);
}

void SampleGridModel::showTyping(int row, int column, const QString& text, bool refused)
{
    typing_ = {row, column, text};
    typingRefused_ = refused;
    const QModelIndex cell = index(row - 1, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole, Qt::ForegroundRole});
}

void SampleGridModel::endTyping()
{
    const CellText ended = std::exchange(typing_, CellText{});
    typingRefused_ = false;
    if (ended.row > 0 && ended.row <= rowCount()) {
        const QModelIndex cell = index(ended.row - 1, ended.column);
        emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole, Qt::ForegroundRole});
    }
}

void SampleGridModel::refreshHeadings()
{
    for (int column = 0; column < kGridColumns; ++column) {
        headings_[static_cast<std::size_t>(column)] = columnHeading(column, dataSet_.units());
    }
    // Red until control data are entered: without them mortality cannot be corrected.
    mortalityHeadingColor_ =
        dataSet_.controlData().larvae == 0 ? QColor(210, 0, 0) : QColor(Qt::black);
    emit headerDataChanged(Qt::Horizontal, 0, kGridColumns - 1);
}

} // namespace pellamar::ui
