#include "ui/samplegrid.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "ui/editor.h"
#include "ui/feedback.h"
#include "ui/samplegridmodel.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <optional>

namespace pellamar::ui {

namespace {

// Counts beyond 9 digits would overflow the 32-bit larvae and mortality counts; 15 characters
// keep a weight or granule count far inside single precision however long a key is held.
int maxLength(int column)
{
    return column >= ColLarvae ? 9 : 15;
}

// A column's heading on one line, without its unit: "Sample Wt".
QString columnName(int column)
{
    return columnHeading(column, Units::forSystem(true)).section(u'\n', 0, 0);
}

// What a column takes, said when a key does not fit it.
QString keyHint(int column)
{
    return columnName(column) + (column == ColWeight
                                     ? QStringLiteral(": grams, digits and one decimal point")
                                     : QStringLiteral(": whole numbers"));
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

SampleGrid::SampleGrid(Editor& editor, QWidget* parent)
    : QTableView(parent)
    , dataSet_(editor.dataSet())
{
    model_ = new SampleGridModel(editor, this);
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
        typed_.clear();
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

void SampleGrid::cancelEdit()
{
    cellEdited_ = false;
    typed_.clear();
    model_->endTyping();
}

void SampleGrid::commitAt(int row, int column)
{
    if (gridBusy_ || !cellEdited_ || row < 1 || row > dataSet_.dataRowCount() ||
        column < ColWeight || column > ColDead) {
        return;
    }
    // A text that is not a number (a lone ".") is erased.
    const QString text = numbers::isNumber(typed_) ? typed_ : QString();
    // Cleared first: the recalculation may redraw and move the focus, which commits again.
    cellEdited_ = false;
    typed_.clear();
    if (text != dataSet_.input(row, column)) {
        model_->setCells({{row, column, text}});
        return;
    }
    model_->endTyping();
    dataSet_.calculateResults(row);
}

QString SampleGrid::currentText(int row, int column) const
{
    return cellEdited_ ? typed_ : dataSet_.input(row, column);
}

void SampleGrid::setTyped(int row, int column, const QString& text)
{
    cellEdited_ = true;
    typed_ = text;
    model_->showTyping(row, column, text);
}

void SampleGrid::refuse(int row, int column, const QString& hint)
{
    refuseInput(viewport(), visualRect(model_->index(row - 1, column)), hint);
}

void SampleGrid::type(QChar character, int row, int column)
{
    // A decimal comma is what the balance or the locale gave; the weight takes it as a point.
    if (character == u',' && column == ColWeight) {
        character = u'.';
    }
    const bool point = character == u'.';
    if (!point && (character < u'0' || character > u'9')) {
        refuse(row, column, keyHint(column));
        return;
    }
    if (point && (column > ColWeight || (cellEdited_ && typed_.contains(u'.')))) {
        refuse(row, column, keyHint(column));
        return;
    }
    if (cellEdited_ && typed_.size() >= maxLength(column)) {
        refuse(row, column,
               QStringLiteral("%1: at most %2 %3")
                   .arg(columnName(column))
                   .arg(maxLength(column))
                   .arg(column == ColWeight ? QStringLiteral("characters")
                                            : QStringLiteral("digits")));
        return;
    }
    const QString text = cellEdited_ ? typed_ + character : QString(character);
    if (column == ColDead) {
        const std::optional<double> larvae = numbers::parseDouble(dataSet_.input(row, ColLarvae));
        if (larvae && numbers::parseDouble(text).value_or(0.0) > *larvae) {
            refuse(row, column,
                   QStringLiteral("Mortality: at most %1, the larvae in this pan")
                       .arg(dataSet_.input(row, ColLarvae)));
            return;
        }
    }
    setTyped(row, column, text);
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
    const QString text = currentText(row, column);
    switch (event->key()) {
    case Qt::Key_Delete:
        if (modifiers == Qt::NoModifier) {
            if (!text.isEmpty()) {
                setTyped(row, column, QString());
            }
            commitCell();
        } else if (modifiers == Qt::ShiftModifier) {
            // The whole row's input at once, as one step.
            cancelEdit();
            QList<CellText> cleared;
            for (int c = ColWeight; c <= ColDead; ++c) {
                cleared << CellText{row, c, QString()};
            }
            model_->setCells(cleared);
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
            setTyped(row, column, text.chopped(1));
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
    if (cellEdited_ && leftForAnotherControl(event)) {
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
