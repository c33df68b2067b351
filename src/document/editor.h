#pragma once

#include "core/dataset.h"

#include <QList>
#include <QObject>
#include <QUndoStack>

namespace pellamar::document {

// One input cell's new text.
struct CellText {
    int row = 0;
    int column = 0;
    QString text;
};

// The one way the operator's changes reach the data set: each committed change is one step of
// the history, which undo and redo walk with the recalculation following. Its clean state is
// the document's "saved" state.
class Editor : public QObject {
    Q_OBJECT
public:
    explicit Editor(DataSet& dataSet, QObject* parent = nullptr);

    DataSet& dataSet() { return dataSet_; }
    QUndoStack& history() { return history_; }
    const QUndoStack& history() const { return history_; }

    // Input cells as committed, also past the last row; their rows are recalculated (the grid
    // grows when the last row is among them). Cells that keep their text make no step; one
    // cell committed unchanged recalculates its row, so that the grid grows there too.
    void setCells(const QList<CellText>& cells);
    // A parameter field left after typing, with the field's rules.
    void commitField(Field field, const QString& text);
    void setOpeningType(int index);
    // Closing the control data dialog recalculates whether or not anything changed.
    void setControlData(const ControlData& data);
    // Returns whether the system changed.
    bool switchUnits(bool metric);
    // A new data set; `file` is the one the old data set came from, named again by undo.
    void reset(const SamplerSettings& sampler, const QString& file);
    // A new history for a data set just loaded or started.
    void forget() { history_.clear(); }

signals:
    // Undo or redo changed this input cell (the first of a block).
    void cellChangedByHistory(int row, int column);
    // A reset or its undo: the file the data set now belongs to (empty for a new one).
    void fileNamed(const QString& file);

private:
    // Runs an edit of the data set's state and keeps it as a step when it changed anything.
    template <typename Edit>
    void changeState(const Edit& edit);

    DataSet& dataSet_;
    QUndoStack history_;
};

} // namespace pellamar::document
