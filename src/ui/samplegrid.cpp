#include "ui/samplegrid.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "document/editor.h"
#include "ui/feedback.h"
#include "ui/gridcelldelegate.h"
#include "ui/samplegridmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace pellamar::ui {

namespace {

// What a column takes, said when a key does not fit it.
QString keyHint(int column)
{
    return columnName(column) + QStringLiteral(": ") + columnInfo(column).takes.toString();
}

QString lengthHint(int column)
{
    return QStringLiteral("%1: at most %2 %3")
        .arg(columnName(column))
        .arg(columnInfo(column).maxLength)
        .arg(columnInfo(column).point ? QStringLiteral("characters") : QStringLiteral("digits"));
}

// Why a text cannot be committed to a cell of the column, empty when it can; `larvae` is the
// count the mortality is held to. While typing (`complete` false) a lone "." is still fine.
QString cellRefusal(const QString& text, int column, const QString& larvae, bool complete)
{
    const ColumnInfo& info = columnInfo(column);
    if (!NumberRule{0, info.point, false}.follows(text) ||
        (complete && !text.isEmpty() && !numbers::isNumber(text))) {
        return keyHint(column);
    }
    if (text.size() > info.maxLength) {
        return lengthHint(column);
    }
    return column == ColDead ? mortalityRefusal(text, larvae, u"this pan") : QString();
}

int widthOf(int column)
{
    if (column == ColPosition) {
        return SampleGrid::kPositionWidth;
    }
    return column <= ColDead ? SampleGrid::kInputWidth : SampleGrid::kResultWidth;
}

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
    setItemDelegate(new GridCellDelegate(this));

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
    connect(&dataSet_, &DataSet::recalculated, this, &SampleGrid::fitColumns);
    connect(&dataSet_, &DataSet::resetDone, this, [this] { fitColumns(0, 0); });
    fitColumns(0, 0);

    // A reset keeps the operator's place in the grid but drops any uncommitted typing: the
    // texts it belonged to are gone.
    connect(&dataSet_, &DataSet::aboutToReset, this, [this] {
        cellEdited_ = false;
        typedRefused_ = false;
        if (currentDataRow() > 0) {
            resetRow_ = currentDataRow();
            resetColumn_ = currentColumn();
        }
    });
    connect(&editor, &Editor::cellChangedByHistory, this, [this](int row, int column) {
        placeQuietly(row, column);
        scrollTo(currentIndex());
    });
    connect(&dataSet_, &DataSet::resetDone, this,
            [this] { placeQuietly(std::min(resetRow_, dataSet_.dataRowCount()), resetColumn_); });
    placeQuietly(1, ColWeight);
}

void SampleGrid::fitColumns(int first, int last)
{
    const int rows = dataSet_.dataRowCount();
    if (first <= 1 && last >= rows) {
        for (int column = 0; column < kGridColumns; ++column) {
            needed_[std::size_t(column)] = widthOf(column);
        }
    }
    // Digits share one width, so the longest input and the result of the largest magnitude (a
    // minus sign counted as a digit) give the widest text; only those are formatted.
    constexpr std::array<std::pair<int, Result>, 4> kResultColumns{
        {{ColDeposit, Result::Deposit},
         {ColDensity, Result::Density},
         {ColGranulesPerGram, Result::GranulesPerGram},
         {ColCorrectedMortality, Result::Mortality}}};
    std::array<int, kGridColumns> widest{};
    std::array<double, kGridColumns> extent{};
    const auto consider = [&](int column, double size, int row) {
        if (size > extent[std::size_t(column)]) {
            extent[std::size_t(column)] = size;
            widest[std::size_t(column)] = row;
        }
    };
    for (int row = std::max(first, 1); row <= std::min(last, rows); ++row) {
        for (int column = ColWeight; column <= ColDead; ++column) {
            consider(column, double(dataSet_.input(row, column).size()), row);
        }
        for (const auto& [column, result] : kResultColumns) {
            if (dataSet_.hasResult(row, result)) {
                const double value = dataSet_.result(row).value(result);
                consider(column, value < 0.0 ? -10.0 * value : value, row);
            }
        }
    }
    const QFontMetrics metrics = fontMetrics();
    const auto fit = [&](int column, int row) {
        const int width = metrics.horizontalAdvance(cellText(dataSet_, row, column)) + 16;
        int& needed = needed_[std::size_t(column)];
        needed = std::max(needed, width);
    };
    for (int column = ColWeight; column < kGridColumns; ++column) {
        if (widest[std::size_t(column)] > 0) {
            fit(column, widest[std::size_t(column)]);
        }
    }
    if (rows > 0) {
        fit(ColPosition, 1);
        fit(ColPosition, rows);
    }
    spreadColumns();
}

void SampleGrid::spreadColumns()
{
    int total = 0;
    for (int width : needed_) {
        total += width;
    }
    const int extra = std::max(0, viewport()->width() - total);
    for (int column = 0; column < kGridColumns; ++column) {
        const int share = extra / kGridColumns + (column < extra % kGridColumns ? 1 : 0);
        const int width = needed_[std::size_t(column)] + share;
        if (columnWidth(column) != width) {
            setColumnWidth(column, width);
        }
    }
}

void SampleGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    spreadColumns();
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
    extent_ = {column, dataRow - 1};
    gridBusy_ = true;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    gridBusy_ = false;
}

bool SampleGrid::commitCell()
{
    return commitAt(currentDataRow(), currentColumn());
}

void SampleGrid::cancelEdit()
{
    if (cellEdited_) {
        clearHint();
    }
    cellEdited_ = false;
    typedRefused_ = false;
    model_->endTyping();
}

bool SampleGrid::commitAt(int row, int column)
{
    if (gridBusy_ || !cellEdited_ || row < 1 || row > dataSet_.dataRowCount() ||
        column < ColWeight || column > ColDead) {
        return true;
    }
    // Refused, the cell stays in edit with every key typed, until corrected or dropped.
    const QString refusal =
        cellRefusal(model_->typingText(), column, dataSet_.input(row, ColLarvae), true);
    if (!refusal.isEmpty()) {
        refuse(row, column, refusal);
        return false;
    }
    const QString text = model_->typingText();
    // Cleared first: the recalculation may redraw and move the focus, which commits again.
    cellEdited_ = false;
    typedRefused_ = false;
    clearHint();
    model_->setCells({{row, column, text}});
    return true;
}

QRect SampleGrid::selectedBlock() const
{
    const QPoint current(currentColumn(), currentDataRow());
    const QPoint extent = extent_ + QPoint(0, 1);
    return QRect(QPoint(std::min(current.x(), extent.x()), std::min(current.y(), extent.y())),
                 QPoint(std::max(current.x(), extent.x()), std::max(current.y(), extent.y())));
}

void SampleGrid::showBlock()
{
    const QRect block = selectedBlock();
    collapsing_ = true;
    selectionModel()->select(QItemSelection(model_->index(block.top() - 1, block.left()),
                                            model_->index(block.bottom() - 1, block.right())),
                             QItemSelectionModel::ClearAndSelect);
    collapsing_ = false;
}

void SampleGrid::extendBlock(int row, int column)
{
    const QModelIndex corner = model_->index(row, column);
    if (corner.isValid() && currentIndex().isValid()) {
        extent_ = {column, row};
        showBlock();
        scrollTo(corner);
    }
}

bool SampleGrid::copySelection()
{
    const QRect block = selectedBlock();
    if (!commitCell() || block.top() < 1) {
        return false;
    }
    QString text;
    for (int row = block.top(); row <= block.bottom(); ++row) {
        QStringList cells;
        for (int column = block.left(); column <= block.right(); ++column) {
            // Without the blanks that pad the computed texts on screen.
            cells << model_->index(row - 1, column).data().toString().trimmed();
        }
        text += cells.join(u'\t') + u'\n';
    }
    QApplication::clipboard()->setText(text);
    return true;
}

void SampleGrid::cutSelection()
{
    if (!copySelection()) {
        return;
    }
    const QRect block = selectedBlock();
    QList<CellText> cleared;
    for (int row = block.top(); row <= block.bottom(); ++row) {
        for (int column = std::max(block.left(), int(ColWeight));
             column <= std::min(block.right(), int(ColDead)); ++column) {
            cleared << CellText{row, column, QString()};
        }
    }
    model_->setCells(cleared);
}

void SampleGrid::selectAll()
{
    if (!commitCell()) {
        return;
    }
    placeQuietly(1, ColWeight);
    extendBlock(std::max(dataSet_.lastDataRow(), 1) - 1, kGridColumns - 1);
}

QString SampleGrid::pasteRefusal(const QString& value, int row, int column,
                                 const QList<CellText>& before) const
{
    QString larvae = row <= dataSet_.dataRowCount() ? dataSet_.input(row, ColLarvae) : QString();
    for (const CellText& cell : before) {
        if (cell.row == row && cell.column == ColLarvae) {
            larvae = cell.text;
        }
    }
    return cellRefusal(value, column, larvae, true);
}

void SampleGrid::paste()
{
    const int top = currentDataRow();
    const int left = currentColumn();
    QStringList lines =
        QApplication::clipboard()->text().split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    // Editors and balance printouts end a block with empty lines; they empty no pan.
    while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) {
        lines.removeLast();
    }
    if (!commitCell() || top < 1 || lines.isEmpty()) {
        return;
    }
    QList<CellText> cells;
    bool results = false;
    for (int i = 0; i < lines.size(); ++i) {
        QStringList values = lines.at(i).split(u'\t');
        // A spreadsheet row may end in a tab.
        while (values.size() > 1 && values.back().trimmed().isEmpty()) {
            values.removeLast();
        }
        for (int j = 0; j < values.size(); ++j) {
            const int row = top + i;
            const int column = left + j;
            // Computed columns copied along with the inputs are results, not values to paste.
            if (column > ColDead) {
                results = true;
                continue;
            }
            QString value = values.at(j).trimmed();
            if (columnInfo(column).point) {
                value.replace(u',', u'.');
            }
            const QString refusal = pasteRefusal(value, row, column, cells);
            if (!refusal.isEmpty()) {
                // A long value is cut, so that the hint stays one readable line.
                QString named = values.at(j).trimmed();
                if (named.size() > 20) {
                    named = named.left(18) + QChar(0x2026);
                }
                refuse(std::min(row, dataSet_.dataRowCount()), column,
                       QStringLiteral("Pan %1: \"%2\" refused. %3").arg(row).arg(named, refusal));
                return;
            }
            cells << CellText{row, column, value};
        }
    }
    clearHint();
    model_->setCells(cells);
    if (results) {
        showHint(viewport(), visualRect(currentIndex()),
                 QStringLiteral("Columns past Mortality were not pasted: they are results"));
    }
}

QString SampleGrid::currentText(int row, int column) const
{
    return cellEdited_ ? model_->typingText() : dataSet_.input(row, column);
}

void SampleGrid::setTyped(int row, int column, const QString& text)
{
    const bool refused =
        !cellRefusal(text, column, dataSet_.input(row, ColLarvae), false).isEmpty();
    // Corrected: the hint about the refused text no longer applies.
    if (typedRefused_ && !refused) {
        clearHint();
    }
    typedRefused_ = refused;
    cellEdited_ = true;
    model_->showTyping(row, column, text, refused);
}

void SampleGrid::refuse(int row, int column, const QString& hint)
{
    refuseInput(viewport(), visualRect(model_->index(row - 1, column)), hint);
}

void SampleGrid::type(QChar character, int row, int column)
{
    // A decimal comma is what the balance or the locale gave; the weight takes it as a point.
    if (character == u',' && columnInfo(column).point) {
        character = u'.';
    }
    // Every key stays in the text: one dropped from the middle would leave another number.
    const QString text = cellEdited_ ? model_->typingText() + character : QString(character);
    const QString refusal = cellRefusal(text, column, dataSet_.input(row, ColLarvae), false);
    if (!refusal.isEmpty()) {
        refuse(row, column, refusal);
    }
    setTyped(row, column, text);
}

bool SampleGrid::event(QEvent* event)
{
    // Undo and Escape take back the typing in the cell before anything else.
    if (event->type() == QEvent::ShortcutOverride && cellEdited_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

bool SampleGrid::commandKey(QKeyEvent* event)
{
    if (cellEdited_ && (event->matches(QKeySequence::Undo) || event->key() == Qt::Key_Escape)) {
        cancelEdit();
        return true;
    }
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return true;
    }
    if (event->matches(QKeySequence::Cut)) {
        cutSelection();
        return true;
    }
    return false;
}

bool SampleGrid::columnKey(int row, int column, int step)
{
    if (step < 0 ? column >= ColWeight : column < ColDead) {
        setCurrentCell(row, column + step);
    }
    return true;
}

const SampleGrid::CellKey* SampleGrid::cellKey(int key, Qt::KeyboardModifiers modifiers)
{
    using G = SampleGrid;
    // Which keys with Ctrl or Shift the grid takes, and what they do; false leaves the key to
    // the window (Tab leaves the grid, Ctrl+Delete is no cell key).
    static const std::array<CellKey, 15> keys{{
        {Qt::Key_Delete, false, Shift::No, [](G& g, int r, int c) { return g.clearCell(r, c); }},
        {Qt::Key_Delete, false, Shift::Yes, [](G& g, int r, int) { return g.clearRow(r); }},
        {Qt::Key_Delete, true, Shift::Any, [](G&, int, int) { return false; }},
        {Qt::Key_Tab, false, Shift::Any, [](G&, int, int) { return false; }},
        {Qt::Key_Backtab, false, Shift::Any, [](G&, int, int) { return false; }},
        {Qt::Key_Tab, true, Shift::No, [](G& g, int r, int c) { return g.columnKey(r, c, 1); }},
        {Qt::Key_Tab, true, Shift::Yes, [](G& g, int r, int c) { return g.columnKey(r, c, -1); }},
        {Qt::Key_Backtab, true, Shift::Any,
         [](G& g, int r, int c) { return g.columnKey(r, c, -1); }},
        {Qt::Key_Return, false, Shift::Any, [](G& g, int r, int c) { return g.enterKey(r, c); }},
        {Qt::Key_Enter, false, Shift::Any, [](G& g, int r, int c) { return g.enterKey(r, c); }},
        {Qt::Key_Backspace, false, Shift::Any,
         [](G& g, int r, int c) { return g.backspaceKey(r, c); }},
        {Qt::Key_Left, false, Shift::Yes,
         [](G& g, int, int) {
             return g.extendKey({-1, 0});
         }},
        {Qt::Key_Right, false, Shift::Yes,
         [](G& g, int, int) {
             return g.extendKey({1, 0});
         }},
        {Qt::Key_Up, false, Shift::Yes,
         [](G& g, int, int) {
             return g.extendKey({0, -1});
         }},
        {Qt::Key_Down, false, Shift::Yes,
         [](G& g, int, int) {
             return g.extendKey({0, 1});
         }},
    }};
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const Shift shift = modifiers.testFlag(Qt::ShiftModifier) ? Shift::Yes : Shift::No;
    const auto found = std::find_if(keys.begin(), keys.end(), [&](const CellKey& k) {
        return k.key == key && k.ctrl == ctrl && (k.shift == Shift::Any || k.shift == shift);
    });
    return found == keys.end() ? nullptr : &*found;
}

bool SampleGrid::clearCell(int row, int column)
{
    if (!currentText(row, column).isEmpty()) {
        setTyped(row, column, QString());
    }
    commitCell();
    return true;
}

bool SampleGrid::clearRow(int row)
{
    // The whole row's input at once, as one step.
    cancelEdit();
    QList<CellText> cleared;
    for (int c = ColWeight; c <= ColDead; ++c) {
        cleared << CellText{row, c, QString()};
    }
    model_->setCells(cleared);
    return true;
}

bool SampleGrid::enterKey(int row, int column)
{
    if (column < ColDead) {
        setCurrentCell(row, column + 1);
    } else if (row < dataSet_.dataRowCount()) {
        setCurrentCell(row + 1, ColWeight);
    } else {
        commitCell();
    }
    return true;
}

bool SampleGrid::backspaceKey(int row, int column)
{
    const QString text = currentText(row, column);
    if (!text.isEmpty()) {
        setTyped(row, column, text.chopped(1));
    }
    return true;
}

bool SampleGrid::extendKey(QPoint step)
{
    // Keys select input cells only.
    extendBlock(std::clamp(extent_.y() + step.y(), 0, model_->rowCount() - 1),
                std::clamp(extent_.x() + step.x(), int(ColWeight), int(ColDead)));
    return true;
}

void SampleGrid::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int row = currentDataRow();
    const int column = currentColumn();
    if (row == 0 || modifiers & (Qt::AltModifier | Qt::MetaModifier)) {
        QTableView::keyPressEvent(event);
        return;
    }
    if (commandKey(event)) {
        event->accept();
        return;
    }
    if (const CellKey* key = cellKey(event->key(), modifiers)) {
        event->setAccepted(key->act(*this, row, column));
        return;
    }
    const QString typed = event->text();
    if (!modifiers.testFlag(Qt::ControlModifier) && !typed.isEmpty() && typed.front().isPrint()) {
        // Keys that do not fit the column are swallowed, never searched for or passed on.
        for (QChar character : typed) {
            type(character, row, column);
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void SampleGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::ShiftModifier) {
        extendBlock(cell.row(), cell.column());
        return;
    }
    QTableView::mousePressEvent(event);
    dragging_ = event->button() == Qt::LeftButton && cell.isValid();
}

void SampleGrid::mouseMoveEvent(QMouseEvent* event)
{
    // A drag may reach into the computed columns, so that a block goes to a spreadsheet whole;
    // the current cell stays where the drag began.
    if (dragging_ && event->buttons() & Qt::LeftButton) {
        const QModelIndex cell = indexAt(event->position().toPoint());
        extendBlock(cell.row(), cell.column());
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void SampleGrid::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    QTableView::mouseReleaseEvent(event);
}

void SampleGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    if (cellEdited_ && leftForAnotherControl(event) && !commitCell()) {
        // A refused cell is not left until it is corrected or dropped.
        QTimer::singleShot(0, this, [this] {
            if (cellEdited_ && isVisible()) {
                setFocus(Qt::OtherFocusReason);
            }
        });
    }
}

void SampleGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (gridBusy_) {
        QTableView::currentChanged(current, previous);
        return;
    }
    if (previous.isValid() && !commitAt(previous.row() + 1, previous.column())) {
        // Refused: the operator stays in the cell until it is corrected or dropped.
        QTableView::currentChanged(current, previous);
        placeQuietly(previous.row() + 1, previous.column());
        scrollTo(previous);
        return;
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
    extent_ = {current.column(), current.row()};
    showBlock();
}

void SampleGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTableView::selectionChanged(selected, deselected);
    const QModelIndex current = currentIndex();
    if (collapsing_ || !current.isValid()) {
        return;
    }
    // Only the block is ever selected.
    const QRect block = selectedBlock();
    const QModelIndexList chosen = selectionModel()->selectedIndexes();
    const bool inBlock = std::all_of(chosen.begin(), chosen.end(), [&](const QModelIndex& cell) {
        return block.contains(cell.column(), cell.row() + 1);
    });
    if (!inBlock || chosen.size() != block.width() * block.height()) {
        showBlock();
    }
}

} // namespace pellamar::ui
