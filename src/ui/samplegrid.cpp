#include "ui/samplegrid.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "ui/samplegridmodel.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>

namespace pellamar::ui {

namespace {

// Counts beyond 9 digits would overflow the 32-bit larvae and mortality counts; 15 characters
// keep a weight or granule count far inside single precision however long a key is held.
int maxLength(int column)
{
    return column >= ColLarvae ? 9 : 15;
}

int widthOf(int column)
{
    if (column == ColPosition) {
        return SampleGrid::kPositionWidth;
    }
    return column <= ColDead ? SampleGrid::kInputWidth : SampleGrid::kResultWidth;
}

// The computed texts end in blanks that serve as a right margin; where the column is too narrow
// for them, the blanks give way before any digit is elided.
class PaddedTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QWidget* view = option->widget;
        const QStyle* style = view ? view->style() : nullptr;
        const int margin =
            style ? style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) : 2;
        const int room = option->rect.width() - 2 * (margin + 1);
        QString& text = option->text;
        while (text.endsWith(u' ') && option->fontMetrics.horizontalAdvance(text) > room) {
            text.chop(1);
        }
    }
};

} // namespace

SampleGrid::SampleGrid(DataSet& dataSet, QWidget* parent)
    : QTableView(parent)
    , dataSet_(dataSet)
{
    model_ = new SampleGridModel(dataSet_, this);
    setModel(model_);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    // Tab and Shift+Tab leave the grid; Ctrl+Tab moves between its columns.
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setItemDelegate(new PaddedTextDelegate(this));

    QHeaderView* header = horizontalHeader();
    // The fixed column widths and heading height are made for an 8-point font.
    for (QWidget* part : {static_cast<QWidget*>(this), static_cast<QWidget*>(header)}) {
        QFont small = part->font();
        if (small.pointSizeF() > 8.0) {
            small.setPointSizeF(8.0);
            part->setFont(small);
        }
    }

    QPalette shade = palette();
    shade.setColor(QPalette::Base, QColor(230, 230, 230));
    setPalette(shade);

    // The position column already names each row.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);

    header->setFixedHeight(kHeaderHeight);
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    // A heading too wide for its column breaks at a blank, as the two-line ones do.
    header->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    for (int column = 0; column < kGridColumns; ++column) {
        setColumnWidth(column, widthOf(column));
    }

    // A reset keeps the operator's place in the grid but drops any uncommitted typing: the
    // texts it belonged to are gone.
    connect(&dataSet_, &DataSet::aboutToReset, this, [this] {
        cellEdited_ = false;
        if (currentDataRow() > 0) {
            resetRow_ = currentDataRow();
            resetColumn_ = currentColumn();
        }
    });
    connect(&dataSet_, &DataSet::resetDone, this,
            [this] { placeQuietly(std::min(resetRow_, dataSet_.dataRowCount()), resetColumn_); });
    placeQuietly(1, ColWeight);
}

int SampleGrid::currentDataRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

int SampleGrid::currentColumn() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : 0;
}

void SampleGrid::setCurrentCell(int dataRow, int column)
{
    const QModelIndex target = model_->index(dataRow - 1, column);
    if (target.isValid()) {
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    }
}

void SampleGrid::placeQuietly(int dataRow, int column)
{
    const QModelIndex target = model_->index(dataRow - 1, column);
    if (!target.isValid()) {
        return;
    }
    gridBusy_ = true;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    gridBusy_ = false;
}

void SampleGrid::commitCell()
{
    commitAt(currentDataRow(), currentColumn());
}

void SampleGrid::commitAt(int row, int column)
{
    if (gridBusy_ || row < 1 || row > dataSet_.dataRowCount() || column < ColWeight ||
        column > ColDead) {
        return;
    }
    if (!numbers::isNumber(dataSet_.input(row, column))) {
        setText(row, column, QString());
    }
    if (cellEdited_) {
        // Cleared first: the recalculation may redraw and move the focus, which commits again.
        cellEdited_ = false;
        dataSet_.calculateResults(row);
    }
}

void SampleGrid::setText(int row, int column, const QString& text)
{
    model_->setData(model_->index(row - 1, column), text);
}

void SampleGrid::type(QChar character, int row, int column)
{
    const QString& text = dataSet_.input(row, column);
    if (character == u'.') {
        if (column > ColWeight || (cellEdited_ && text.contains(u'.'))) {
            return;
        }
    } else if (character < u'0' || character > u'9') {
        return;
    }
    if (!cellEdited_) {
        setText(row, column, QString(character));
    } else if (text.size() < maxLength(column)) {
        setText(row, column, text + character);
    } else {
        return;
    }
    cellEdited_ = true;
}

void SampleGrid::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const int row = currentDataRow();
    const int column = currentColumn();
    if (row == 0 || modifiers & (Qt::AltModifier | Qt::MetaModifier)) {
        QTableView::keyPressEvent(event);
        return;
    }
    const QString& text = dataSet_.input(row, column);
    switch (event->key()) {
    case Qt::Key_Delete:
        if (modifiers == Qt::NoModifier) {
            if (!text.isEmpty()) {
                cellEdited_ = true;
                setText(row, column, QString());
            }
            commitCell();
        } else if (modifiers == Qt::ShiftModifier) {
            for (int c = ColWeight; c <= ColDead; ++c) {
                if (!dataSet_.input(row, c).isEmpty()) {
                    cellEdited_ = true;
                    setText(row, c, QString());
                }
            }
            commitCell();
        } else {
            // Ctrl+Delete belongs to the window: it never clears a cell.
            event->ignore();
            return;
        }
        event->accept();
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!ctrl) {
            event->ignore();
            return;
        }
        if (event->key() == Qt::Key_Backtab || modifiers.testFlag(Qt::ShiftModifier)) {
            if (column >= ColWeight) {
                setCurrentCell(row, column - 1);
            }
        } else if (column < ColDead) {
            setCurrentCell(row, column + 1);
        }
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl) {
            break;
        }
        if (column < ColDead) {
            setCurrentCell(row, column + 1);
        } else if (row < dataSet_.dataRowCount()) {
            setCurrentCell(row + 1, ColWeight);
        } else {
            commitCell();
        }
        event->accept();
        return;
    case Qt::Key_Backspace:
        if (ctrl) {
            break;
        }
        if (!text.isEmpty()) {
            setText(row, column, text.chopped(1));
            cellEdited_ = true;
        }
        event->accept();
        return;
    default:
        break;
    }
    const QString typed = event->text();
    if (!ctrl && !typed.isEmpty() && typed.front().isPrint()) {
        // Keys that do not fit the column are swallowed, never searched for or passed on.
        for (QChar character : typed) {
            type(character, row, column);
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void SampleGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    if (cellEdited_) {
        commitCell();
    }
}

void SampleGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (gridBusy_) {
        QTableView::currentChanged(current, previous);
        return;
    }
    if (previous.isValid()) {
        commitAt(previous.row() + 1, previous.column());
    }
    if (!current.isValid()) {
        QTableView::currentChanged(current, previous);
        return;
    }
    // The operator never stands in the position column or a computed column.
    const int column = std::clamp(current.column(), int(ColWeight), int(ColDead));
    if (column != current.column()) {
        viewport()->update(visualRect(previous));
        placeQuietly(current.row() + 1, column);
        return;
    }
    QTableView::currentChanged(current, previous);
    selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
}

void SampleGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTableView::selectionChanged(selected, deselected);
    const QModelIndex current = currentIndex();
    if (collapsing_ || !current.isValid()) {
        return;
    }
    const QModelIndexList chosen = selectionModel()->selectedIndexes();
    if (chosen.size() != 1 || chosen.front() != current) {
        collapsing_ = true;
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
        collapsing_ = false;
    }
}

} // namespace pellamar::ui
