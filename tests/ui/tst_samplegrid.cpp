#include "document/editor.h"
#include "support.h"
#include "ui/feedback.h"
#include "ui/gridcelldelegate.h"
#include "ui/samplegrid.h"
#include "ui/samplegridmodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTestEventList>
#include <QVBoxLayout>

using namespace pellamar;
using pellamar::ui::SampleGrid;

namespace {

using Cell = QPair<int, int>;

// A grid shown between two fields, so that focus can leave it either way.
struct Fixture {
    DataSet dataSet;
    document::Editor editor{dataSet};
    QWidget window;
    QLineEdit* before = new QLineEdit;
    SampleGrid* grid = nullptr;
    QLineEdit* after = new QLineEdit;

    explicit Fixture(int rows = kInitialDataRows)
    {
        dataSet.applyUnits();
        dataSet.clearDataSet({0, 0.1f, 0.0f, 10.0f});
        dataSet.ensureDataRows(rows);
        grid = new SampleGrid(editor);
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* part : std::initializer_list<QWidget*>{before, grid, after}) layout->addWidget(part);
        window.resize(720, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    Cell current() const { return {grid->currentDataRow(), grid->currentColumn()}; }
    QString shownText(int row, int column) const { return grid->model()->index(row - 1, column).data().toString(); }
};

// The grid's place, a cell's text, whether it is being edited, recalculations, the hint on show.
QString outcome(Cell at, const QString& text, bool edited, qsizetype recalculations, const QString& hint)
{
    return QStringList{QString::number(at.first), QString::number(at.second),      text,
                       edited ? "edited" : "-",   QString::number(recalculations), hint}
        .join(u' ');
}

} // namespace

class TestSampleGrid : public QObject {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<Cell>("start");
        QTest::addColumn<QString>("startText");
        QTest::addColumn<QTestEventList>("events");
        QTest::addColumn<QString>("after"); // the outcome
        auto keys = [](const QString& typed, QList<QPair<int, int>> special = {}, const QString& typedAfter = {}) {
            QTestEventList events;
            events.addKeyClicks(typed);
            for (auto [key, modifiers] : special) events.addKeyClick(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            events.addKeyClicks(typedAfter);
            return events;
        };
        const auto row = [](const char* name, Cell start, const char* startText, QTestEventList events, Cell end,
                            const char* text, bool edited, int recalculations, const char* hint = "") {
            QTest::newRow(name) << start << QString(startText) << events
                                << outcome(end, text, edited, recalculations, hint);
        };
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
        // clang-format off
        const QString weightHint = "Sample Wt: grams, digits and one decimal point";
        const QString deadHint = "Mortality: at most 20, the larvae in this pan";
        const auto refused = [&](const char* name, Cell at, const char* startText, QTestEventList events,
                                 const char* text, const QString& hint) {
            row(name, at, startText, events, at, text, true, 0, hint.toUtf8().constData());
        };
        const QPair<int, int> enter{Qt::Key_Return, none}, esc{Qt::Key_Escape, none};
        row("first key replaces", {3, 1}, "12.5", keys("3"), {3, 1}, "3", true, 0);
        // Every key stays in the text; a text that breaks its column's rule is never committed.
        refused("second point kept", {3, 1}, "", keys("0,5,8", {enter}), "0.5.8", weightHint);
        refused("point in granules kept", {3, 2}, "", keys("4.2", {{Qt::Key_Down, none}}), "4.2", "# of Granules: whole numbers");
        refused("other characters kept", {3, 2}, "5", keys("a -e", {{Qt::Key_Tab, ctrl}}), "a -e", "# of Granules: whole numbers");
        refused("20.5 in larvae", {3, 3}, "", keys("20.5", {enter}), "20.5", "Larvae: whole numbers");
        refused("1.5 in larvae", {3, 3}, "", keys("1.5", {enter}), "1.5", "Larvae: whole numbers");
        refused("25 dead of 20", {3, 4}, "", keys("25", {enter}), "25", deadHint);
        refused("larvae past 9 digits", {3, 3}, "", keys("1234567890", {enter}), "1234567890", "Larvae: at most 9 digits");
        refused("weight past 15", {3, 1}, "", keys("1.2345678901234567", {enter}), "1.2345678901234567", "Sample Wt: at most 15 characters");
        refused("lone point", {3, 1}, "", keys(".", {enter}), ".", weightHint);
        row("corrected, then committed", {3, 3}, "", keys("20.", {{Qt::Key_Backspace, none}, enter}), {3, 4}, "20", false, 1);
        row("escape drops typing", {3, 1}, "12.5", keys("3", {esc}), {3, 1}, "12.5", false, 0);
        row("escape drops a refused text", {3, 4}, "7", keys("25", {esc}), {3, 4}, "7", false, 0);
        row("ctrl+z drops typing", {3, 1}, "12.5", keys("3", {{Qt::Key_Z, ctrl}}), {3, 1}, "12.5", false, 0);
        row("backspace edits old text", {3, 1}, "12.5", keys("", {{Qt::Key_Backspace, none}}, "3"), {3, 1}, "12.3", true, 0);
        row("enter moves right, commits", {3, 2}, "", keys("7", {enter}), {3, 3}, "7", false, 1);
        row("enter from 4 to next row", {7, 4}, "", keys("5", {{Qt::Key_Enter, none}}), {8, 1}, "5", false, 1);
        row("delete commits", {3, 2}, "42", keys("", {{Qt::Key_Delete, none}}), {3, 2}, "", false, 1);
        row("shift+delete clears the row", {3, 4}, "7", keys("", {{Qt::Key_Delete, shift}}), {3, 4}, "", false, 1);
        row("delete on empty", {3, 2}, "", keys("", {{Qt::Key_Delete, none}}), {3, 2}, "", false, 0);
        row("ctrl+delete is not a cell key", {3, 2}, "42", keys("", {{Qt::Key_Delete, ctrl}}), {3, 2}, "42", false, 0);
        row("ctrl+digit left to the window", {3, 1}, "", keys("", {{Qt::Key_1, ctrl}}), {3, 1}, "", false, 0);
        row("ctrl+tab right, commits", {3, 2}, "", keys("5", {{Qt::Key_Tab, ctrl}}), {3, 3}, "5", false, 1);
        row("ctrl+tab stops at 4", {3, 4}, "", keys("", {{Qt::Key_Tab, ctrl}}), {3, 4}, "", false, 0);
        row("ctrl+shift+tab left", {3, 3}, "", keys("", {{Qt::Key_Tab, ctrl | shift}}), {3, 2}, "", false, 0);
        row("ctrl+shift+tab at 1 commits", {3, 1}, "", keys("5", {{Qt::Key_Backtab, ctrl | shift}}), {3, 1}, "5", false, 1);
        row("left at 1, then typing replaces", {3, 1}, "", keys("5", {{Qt::Key_Left, none}}, "6"), {3, 1}, "6", true, 1);
        row("moving without typing", {3, 1}, "12.5", keys("", {{Qt::Key_Down, none}, {Qt::Key_End, none}, {Qt::Key_Up, none}, {Qt::Key_Right, none}, {Qt::Key_Home, none}}), {3, 1}, "12.5", false, 0);
        // clang-format on
    }
    void keys()
    {
        QFETCH(Cell, start);
        QFETCH(QString, startText);
        QFETCH(QTestEventList, events);
        Fixture f;
        QAbstractItemModelTester tester(f.grid->gridModel());
        f.dataSet.setInput(3, ColLarvae, "20");
        f.dataSet.setInput(start.first, start.second, startText);
        f.grid->setCurrentCell(start.first, start.second);
        QSignalSpy recalculated(&f.dataSet, &DataSet::recalculated);
        events.simulate(f.grid);
        for (const QList<QVariant>& rows : recalculated) QCOMPARE(rows, (QVariantList{start.first, start.first}));
        QCOMPARE(f.grid->selectionModel()->selectedIndexes(), QModelIndexList{f.grid->currentIndex()});
        QTEST(outcome(f.current(), f.shownText(start.first, start.second), f.grid->cellEdited(), recalculated.size(),
                      ui::shownHint()),
              "after");
    }

    // A commit in the last row adds one; the new row is a row like any other.
    void enterAtEndGrowsGrid()
    {
        Fixture f;
        auto* model = f.grid->gridModel();
        QAbstractItemModelTester tester(model);
        f.grid->setCurrentCell(50, ColDead);
        QTest::keyClick(f.grid, Qt::Key_Return); // nothing typed: nothing to commit
        QCOMPARE(model->rowCount(), 50);
        QTest::keyClicks(f.grid, "3");
        QTest::keyClick(f.grid, Qt::Key_Return);
        QCOMPARE(model->rowCount(), 51);
        QCOMPARE(f.current(), Cell(50, 4));
        QCOMPARE(model->index(50, ColPosition).data().toString().trimmed(), "500");
        QTest::keyClick(f.grid, Qt::Key_Return);
        QCOMPARE(f.current(), Cell(51, 1));
        QTest::keyClicks(f.grid, "2");
        QTest::keyClick(f.grid, Qt::Key_Return);
        QCOMPARE(model->rowCount(), 52);
        QCOMPARE(testing::shown(f.dataSet, 51, ColDeposit), "200.000");
        // A reset keeps the place within the new grid and drops what was being typed.
        f.grid->setCurrentCell(51, ColLarvae);
        QTest::keyClicks(f.grid, "5");
        f.dataSet.clearDataSet({});
        QCOMPARE(f.current(), Cell(50, 3));
        QVERIFY(!f.grid->cellEdited());
    }

    // Leaving a cell commits it once: Tab and Shift+Tab out of the grid, another field taking the
    // focus, a click (on a computed column it lands on the nearest input column). Another
    // application is no leaving of the cell: coming back, typing goes on.
    void leavingCommits_data()
    {
        QTest::addColumn<int>("key");    // 0: another field, -1: another window, -2: a click
        QTest::addColumn<Cell>("click"); // the column clicked, the column landed on
        QTest::newRow("tab") << int(Qt::Key_Tab) << Cell();
        QTest::newRow("shift+tab") << int(Qt::Key_Backtab) << Cell();
        QTest::newRow("other field takes focus") << 0 << Cell();
        QTest::newRow("another window") << -1 << Cell();
        QTest::newRow("click on a position") << -2 << Cell(ColPosition, ColWeight);
        QTest::newRow("click on a corrected mortality") << -2 << Cell(ColCorrectedMortality, ColDead);
    }
    void leavingCommits()
    {
        QFETCH(int, key);
        QFETCH(Cell, click);
        Fixture f;
        f.window.activateWindow();
        f.grid->setFocus();
        QTRY_VERIFY(f.grid->hasFocus());
        f.grid->setCurrentCell(5, ColWeight);
        QTest::keyClicks(f.grid, "7.");
        QSignalSpy recalculated(&f.dataSet, &DataSet::recalculated);
        if (key == -2) {
            const QRect cell = f.grid->visualRect(f.grid->gridModel()->index(7, click.first));
            QTest::mouseClick(f.grid->viewport(), Qt::LeftButton, {}, cell.center());
            QCOMPARE(f.current(), Cell(8, click.second));
            QCOMPARE(f.grid->selectionModel()->selectedIndexes(), QModelIndexList{f.grid->currentIndex()});
        } else if (key == -1) {
            QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
            QApplication::sendEvent(f.grid, &away);
            QVERIFY(recalculated.isEmpty() && f.grid->cellEdited());
            QTest::keyClicks(f.grid, "5");
            QTest::keyClick(f.grid, Qt::Key_Return);
        } else if (key == 0) {
            f.after->setFocus();
        } else {
            QTest::keyClick(f.grid, Qt::Key(key), key == Qt::Key_Tab ? Qt::NoModifier : Qt::ShiftModifier);
        }
        if (key >= 0) QTRY_COMPARE(QApplication::focusWidget(), key == Qt::Key_Backtab ? f.before : f.after);
        QCOMPARE(recalculated.size(), 1);
        QCOMPARE(testing::shown(f.dataSet, 5, ColDeposit), key == -1 ? "750.000" : "700.000");
    }

    // Rows that hold more dead than larvae (from a file, or larvae lowered later) keep their
    // values and results, but the dead cell says so.
    void deadAboveLarvaeFlagged_data()
    {
        QTest::addColumn<QString>("larvae");
        QTest::addColumn<QString>("dead");
        QTest::addColumn<bool>("flagged");
        QTest::newRow("25 of 20") << QString("20") << QString("25") << true;
        QTest::newRow("dead, no larvae") << QString() << QString("3") << true;
        QTest::newRow("all dead") << QString("20") << QString("20") << false;
        QTest::newRow("none dead, no larvae") << QString() << QString("0") << false;
    }
    void deadAboveLarvaeFlagged()
    {
        QFETCH(QString, larvae);
        QFETCH(QString, dead);
        QFETCH(bool, flagged);
        Fixture f;
        testing::enterRow(f.dataSet, 2, {{}, {}, larvae, dead});
        const QModelIndex cell = f.grid->model()->index(1, ColDead);
        QCOMPARE(cell.data(Qt::ToolTipRole).toString(), flagged ? "More dead than larvae" : "");
        QCOMPARE(cell.data(Qt::BackgroundRole).value<QColor>() != QColor(Qt::white), flagged);
        QCOMPARE(cell.data().toString(), dead);
    }

    // Every value fits its column, whatever its size; room the window gives is shared out.
    void columnsFitTheirValues_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed"); // into the column, with 1 g and 20 larvae beside it
        QTest::addColumn<int>("shownIn");   // the column whose text must fit
        QTest::newRow("long weight") << int(ColWeight) << "123456789012.34" << int(ColWeight);
        QTest::newRow("density in the millions") << int(ColGranules) << "999999999" << int(ColDensity);
        QTest::newRow("granules per gram") << int(ColGranules) << "123456789012345" << int(ColGranulesPerGram);
    }
    void columnsFitTheirValues()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(int, shownIn);
        Fixture f(2000);
        testing::enterRow(f.dataSet, 2000, {"1", {}, "20", {}});
        f.grid->setFocus();
        f.grid->setCurrentCell(2000, column);
        QTest::keyClicks(f.grid, typed);
        QTest::keyClick(f.grid, Qt::Key_Return);
        const QString text = f.shownText(2000, shownIn).trimmed();
        QVERIFY(!text.isEmpty());
        QVERIFY2(f.grid->columnWidth(shownIn) >= f.grid->fontMetrics().horizontalAdvance(text) + 8, qPrintable(text));
        f.window.resize(1400, 500);
        QTRY_VERIFY(f.grid->viewport()->width() > 1000);
        int total = 0;
        for (int c = 0; c < kGridColumns; ++c) total += f.grid->columnWidth(c);
        QCOMPARE(total, f.grid->viewport()->width());
    }

    // A paste is one step and one recalculation, or nothing, with the first refused value named.
    void paste_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("after"); // rows 47..50 as pasted, the row count, the hint
        const QString none = "|||;|||;|||;|||;50 ";
        // clang-format off
        QTest::newRow("block grows the grid") << 1 << "1,5\t30\r\n2\t40\t20\t5\n\t\n 3 " << "1.5|30||;2|40|20|5;|||;3|||;51 ";
        QTest::newRow("trailing empty lines") << 1 << "1.1\n2.2\n\n" << "1.1|||;2.2|||;|||;|||;50 ";
        QTest::newRow("trailing tab") << 2 << "7\t\n8\t\r\n" << "|7||;|8||;|||;|||;50 ";
        QTest::newRow("computed columns left out") << 3 << "10\t2\t5.000\t9\n" << "||10|2;|||;|||;|||;50 Columns past Mortality were not pasted: they are results";
        QTest::newRow("refused count") << 1 << "1\t2\n3\t4.5" << none + "Pan 48: \"4.5\" refused. # of Granules: whole numbers";
        QTest::newRow("lone point") << 1 << "." << none + "Pan 47: \".\" refused. Sample Wt: grams, digits and one decimal point";
        QTest::newRow("dead above pasted larvae") << 3 << "10\t11" << none + "Pan 47: \"11\" refused. Mortality: at most 10, the larvae in this pan";
        // clang-format on
    }
    void paste()
    {
        QFETCH(int, column);
        QFETCH(QString, clip);
        Fixture f;
        f.grid->setFocus();
        f.grid->setCurrentCell(47, column);
        QApplication::clipboard()->setText(clip);
        QSignalSpy recalculated(&f.dataSet, &DataSet::recalculated);
        QTest::keyClick(f.grid, Qt::Key_V, Qt::ControlModifier);
        const auto rows = [&] {
            QString text;
            for (int r = 47; r <= 50; ++r)
                for (int c = ColWeight; c <= ColDead; ++c) text += f.shownText(r, c) + (c == ColDead ? ";" : "|");
            return text + QString::number(f.dataSet.dataRowCount()) + ' ';
        };
        QTEST(rows() + ui::shownHint(), "after");
        QCOMPARE(recalculated.count(), ui::shownHint().contains("refused") ? 0 : 1);
        f.editor.history().undo();
        QCOMPARE(rows(), "|||;|||;|||;|||;50 ");
    }

    // Cells of numbers are drawn from the font's glyphs; they must look as the style draws them.
    void cellsDrawnAsTheStyleDoes_data()
    {
        QTest::addColumn<int>("column");       // the current cell's
        QTest::addColumn<QString>("typing");   // refused text shown in it, if any
        QTest::addColumn<int>("narrowColumn"); // squeezed until its blanks give way, -1: none
        QTest::addColumn<bool>("focused");
        QTest::newRow("input cell current") << int(ColWeight) << "" << -1 << true;
        QTest::newRow("result cell current") << int(ColDeposit) << "" << -1 << true;
        QTest::newRow("refused typing") << int(ColLarvae) << "20.5" << -1 << true;
        QTest::newRow("blanks give way") << int(ColGranules) << "" << int(ColDeposit) << true;
        QTest::newRow("elided") << int(ColGranules) << "" << int(ColWeight) << true;
        QTest::newRow("grid without focus") << int(ColDead) << "" << -1 << false;
    }
    void cellsDrawnAsTheStyleDoes()
    {
        QFETCH(int, column);
        QFETCH(QString, typing);
        QFETCH(int, narrowColumn);
        QFETCH(bool, focused);
        struct StyleDrawn : ui::GridCellDelegate {
            using GridCellDelegate::GridCellDelegate;
            void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override
            {
                QStyledItemDelegate::paint(p, o, i);
            }
        };
        Fixture f(6);
        const QStringList values{"12.5", "1234", "20", "7", "0.004", "", "88888.8", "3"};
        for (int r = 1; r <= 4; ++r)
            for (int c = ColWeight; c <= ColDead; ++c) f.dataSet.setInput(r, c, values[(r + c) % values.size()]);
        f.dataSet.calculateResults(0);
        if (narrowColumn >= 0) f.grid->setColumnWidth(narrowColumn, narrowColumn == ColWeight ? 18 : 46);
        if (focused) f.grid->setFocus();
        f.grid->setCurrentCell(2, column);
        if (!typing.isEmpty()) f.grid->gridModel()->showTyping(2, column, typing, true);
        const QImage fast = f.grid->viewport()->grab().toImage();
        f.grid->setItemDelegate(new StyleDrawn(f.grid));
        QCOMPARE(f.grid->viewport()->grab().toImage(), fast);
    }

    // Shift+arrows select input cells, a drag any; Ctrl+C copies the block for a spreadsheet.
    void copyBlock()
    {
        Fixture f(4);
        for (int c = ColWeight; c <= ColDead; ++c) f.dataSet.setInput(2, c, QString::number(c * 5));
        f.dataSet.calculateResults(0);
        f.grid->setFocus();
        f.grid->setCurrentCell(1, ColLarvae);
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down})
            QTest::keyClick(f.grid, key, Qt::ShiftModifier);
        QTest::keyClick(f.grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), "\t\n15\t20\n");
        const auto at = [&](int column) { return f.grid->visualRect(f.grid->model()->index(1, column)).center(); };
        QTest::mousePress(f.grid->viewport(), Qt::LeftButton, {}, at(ColPosition));
        QTest::mouseMove(f.grid->viewport(), at(ColGranulesPerGram));
        QTest::mouseRelease(f.grid->viewport(), Qt::LeftButton, {}, at(ColGranulesPerGram));
        QCOMPARE(f.current(), Cell(2, ColWeight));
        QTest::keyClick(f.grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), "5\t10\t15\t20\t500.000\t100.000\t2.00\n");
    }
};

QTEST_MAIN(TestSampleGrid)
#include "tst_samplegrid.moc"
