#include "document/editor.h"

#include "core/fieldcommit.h"

#include <QUndoCommand>
#include <algorithm>
#include <functional>

namespace pellamar::document {

namespace {

// Entries in rows first..last: one row is recalculated alone, a block with the whole grid; the
// grid keeps an empty row after the last one entered.
void entered(DataSet& dataSet, int first, int last)
{
    dataSet.keepRowAfter(last);
    dataSet.calculateResults(first == last ? first : 0);
}

class CellsCommand : public QUndoCommand {
public:
    using Moved = std::function<void(int row, int column)>;
    CellsCommand(DataSet& dataSet, QList<CellText> cells, Moved moved)
        : dataSet_(dataSet)
        , after_(std::move(cells))
        , rowsBefore_(dataSet.dataRowCount())
        , moved_(std::move(moved))
    {
        for (CellText cell : after_) {
            cell.text = cell.row <= rowsBefore_ ? dataSet.input(cell.row, cell.column) : QString();
            before_ << cell;
        }
    }

    void redo() override
    {
        int first = after_.front().row;
        int last = first;
        for (const CellText& cell : after_) {
            first = std::min(first, cell.row);
            last = std::max(last, cell.row);
        }
        // A paste may reach past the last row.
        dataSet_.ensureDataRows(last);
        apply(after_);
        entered(dataSet_, first, last);
        // The first time the operator is already where the change was made.
        if (!std::exchange(first_, false)) {
            moveToChange();
        }
    }

    void undo() override
    {
        apply(before_);
        dataSet_.truncateRows(rowsBefore_);
        dataSet_.calculateResults(0);
        moveToChange();
    }

private:
    void apply(const QList<CellText>& cells)
    {
        for (const CellText& cell : cells) {
            dataSet_.setInput(cell.row, cell.column, cell.text);
        }
    }

    // Undo and redo take the operator to the cell they changed.
    void moveToChange()
    {
        if (moved_) {
            moved_(std::min(after_.front().row, dataSet_.dataRowCount()), after_.front().column);
        }
    }

    DataSet& dataSet_;
    QList<CellText> after_;
    QList<CellText> before_;
    int rowsBefore_;
    Moved moved_;
    bool first_ = true;
};

// A change already made to the data set's state: redo puts it back only after an undo.
class StateCommand : public QUndoCommand {
public:
    StateCommand(DataSet& dataSet, DataSetState before, DataSetState after)
        : dataSet_(dataSet)
        , before_(std::move(before))
        , after_(std::move(after))
    {}

    void redo() override
    {
        if (std::exchange(done_, false)) {
            return;
        }
        dataSet_.restoreState(after_);
    }
    void undo() override { dataSet_.restoreState(before_); }

private:
    DataSet& dataSet_;
    DataSetState before_;
    DataSetState after_;
    bool done_ = true;
};

// The file the data set came from goes and comes back with its data.
class ResetCommand : public QUndoCommand {
public:
    using FileNamed = std::function<void(const QString&)>;
    ResetCommand(DataSet& dataSet, const SamplerSettings& sampler, QString file, FileNamed named)
        : dataSet_(dataSet)
        , before_(dataSet.snapshot())
        , sampler_(sampler)
        , file_(std::move(file))
        , named_(std::move(named))
    {}

    void redo() override
    {
        dataSet_.clearDataSet(sampler_);
        named_(QString());
    }
    void undo() override
    {
        dataSet_.restore(before_);
        named_(file_);
    }

private:
    DataSet& dataSet_;
    DataSetSnapshot before_;
    SamplerSettings sampler_;
    QString file_;
    FileNamed named_;
};

} // namespace

Editor::Editor(DataSet& dataSet, QObject* parent)
    : QObject(parent)
    , dataSet_(dataSet)
{}

void Editor::setCells(const QList<CellText>& cells)
{
    QList<CellText> changed;
    for (const CellText& cell : cells) {
        const bool exists = cell.row <= dataSet_.dataRowCount();
        if ((exists && dataSet_.input(cell.row, cell.column) != cell.text) ||
            (!exists && !cell.text.isEmpty())) {
            changed << cell;
        }
    }
    if (!changed.isEmpty()) {
        history_.push(new CellsCommand(dataSet_, changed, [this](int row, int column) {
            emit cellChangedByHistory(row, column);
        }));
    } else if (cells.size() == 1 && cells.front().row <= dataSet_.dataRowCount()) {
        // A cell committed unchanged is still entered: in the last row it grows the grid.
        entered(dataSet_, cells.front().row, cells.front().row);
    }
}

template <typename Edit>
void Editor::changeState(const Edit& edit)
{
    DataSetState before = dataSet_.state();
    edit();
    DataSetState after = dataSet_.state();
    if (after != before) {
        history_.push(new StateCommand(dataSet_, std::move(before), std::move(after)));
    }
}

void Editor::commitField(Field field, const QString& text)
{
    changeState([&] {
        if (pellamar::commitField(dataSet_, field, text)) {
            dataSet_.calculateResults(0);
        }
    });
}

void Editor::setOpeningType(int index)
{
    changeState([&] { dataSet_.parameters().openingType = static_cast<std::uint8_t>(index); });
}

void Editor::setControlData(const ControlData& data)
{
    changeState([&] {
        dataSet_.setControlData(data);
        dataSet_.calculateResults(0);
    });
}

bool Editor::switchUnits(bool metric)
{
    bool switched = false;
    changeState([&] { switched = dataSet_.switchUnits(metric); });
    return switched;
}

void Editor::reset(const SamplerSettings& sampler, const QString& file)
{
    history_.push(new ResetCommand(dataSet_, sampler, file,
                                   [this](const QString& named) { emit fileNamed(named); }));
}

} // namespace pellamar::document
