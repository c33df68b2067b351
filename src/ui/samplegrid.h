#pragma once

#include "document/editor.h"

#include <QTableView>
#include <array>

namespace pellamar {
class DataSet;
}

namespace pellamar::ui {

using document::CellText;
using document::Editor;
class SampleGridModel;

// The sample grid: a table view with the program's own editing model instead of an in-place
// editor. The current cell stays in the input columns 1..4; typing edits the current cell's
// text, shown in the grid but not yet data; leaving an edited cell commits it (number check,
// then one step of the history and that row's recalculation). Refused keys say why. Shift with
// the arrows or a mouse drag selects a block from the current cell, which is what gets copied.
class SampleGrid : public QTableView {
    Q_OBJECT
public:
    explicit SampleGrid(Editor& editor, QWidget* parent = nullptr);

    SampleGridModel* gridModel() const { return model_; }
    // Data row (1-based) and column of the current cell; row 0 when there is none.
    int currentDataRow() const;
    int currentColumn() const;
    void setCurrentCell(int dataRow, int column);
    bool cellEdited() const { return cellEdited_; }
    // Commits the current cell; an edited cell recalculates its row. False when its text is
    // refused: the cell then stays in edit, with the hint.
    bool commitCell();
    // Drops what is being typed; the cell shows its committed text again.
    void cancelEdit();
    // The block selected, as tab-separated lines, to the clipboard; false when nothing was.
    bool copySelection();
    // Copies the block, then clears its input cells as one step.
    void cutSelection();
    // The pans' columns of every row with data, from Sample Wt on.
    void selectAll() override;
    // Tab- and newline-separated values from the clipboard into the cells from the current one
    // on, as one step; when any would be refused as typed, nothing is pasted. Empty trailing
    // lines and fields, and values that fall on the computed columns, are left out.
    void paste();
    // The block selected: first and last data row and column.
    QRect selectedBlock() const;

    // Column widths and the heading height in pixels.
    static constexpr int kHeaderHeight = 31;
    static constexpr int kPositionWidth = 53;
    static constexpr int kInputWidth = 70;
    static constexpr int kResultWidth = 80;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

private:
    void type(QChar character, int row, int column);
    // Undo or Escape while typing and the clipboard keys; true when taken.
    bool commandKey(QKeyEvent* event);
    // A key the grid takes by its key and modifiers: what it does to the current cell (row,
    // column), false when the key is left to the window.
    enum class Shift { No, Yes, Any };
    struct CellKey {
        int key;
        bool ctrl;
        Shift shift;
        bool (*act)(SampleGrid& grid, int row, int column);
    };
    static const CellKey* cellKey(int key, Qt::KeyboardModifiers modifiers);
    bool clearCell(int row, int column);
    bool clearRow(int row);
    bool enterKey(int row, int column);
    bool backspaceKey(int row, int column);
    bool columnKey(int row, int column, int step);
    bool extendKey(QPoint step);
    // The text being typed into the current cell.
    void setTyped(int row, int column, const QString& text);
    QString currentText(int row, int column) const;
    void refuse(int row, int column, const QString& hint);
    bool commitAt(int row, int column);
    // Moves the current cell without the leave/enter handling.
    void placeQuietly(int dataRow, int column);
    // Why a pasted value would be refused in the cell; empty when it is taken (as `value`).
    QString pasteRefusal(const QString& value, int row, int column,
                         const QList<CellText>& before) const;
    void extendBlock(int row, int column);
    // Widens the columns for the widest texts of rows first..last (every row when they span the
    // grid; only then may a column narrow again).
    void fitColumns(int first, int last);
    // The room the window gives the grid beyond what the columns need, shared among them.
    void spreadColumns();
    void showBlock();

    DataSet& dataSet_;
    SampleGridModel* model_ = nullptr;
    bool cellEdited_ = false;
    bool typedRefused_ = false;
    bool gridBusy_ = false;
    bool collapsing_ = false;
    int resetRow_ = 1;
    int resetColumn_ = 1;
    // The corner of the block opposite the current cell (model row and column).
    QPoint extent_;
    bool dragging_ = false;
    std::array<int, kGridColumns> needed_{};
};

} // namespace pellamar::ui
