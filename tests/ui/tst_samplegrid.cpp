#include "core/dataset.h"
#include "ui/samplegrid.h"
#include "ui/samplegridmodel.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTestEventList>
#include <QVBoxLayout>

using namespace pellamar;
using pellamar::ui::SampleGrid;

namespace {

// A data set after the window's first reset, with a grid over it shown in a window between
// two fields, so that focus can leave it either way.
struct Fixture {
    DataSet dataSet;
    QWidget window;
    QLineEdit* before = new QLineEdit;
    SampleGrid* grid = nullptr;
    QLineEdit* after = new QLineEdit;

    explicit Fixture(int rows = kInitialDataRows)
    {
        SamplerSettings sampler;
        sampler.openingArea = 0.1f;
        dataSet.applyUnits();
        dataSet.clearDataSet(sampler);
        dataSet.ensureDataRows(rows);
        grid = new SampleGrid(dataSet);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(grid);
        layout->addWidget(after);
        window.resize(720, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

using Cell = QPair<int, int>;

} // namespace

class TestSampleGrid : public QObject {
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void shiftDeleteClearsRow();
    void enterAtEndGrowsGrid();
    void resetKeepsPlaceDropsTyping();
    void clickKeepsInputColumns_data();
    void clickKeepsInputColumns();
    void focusLossCommits_data();
    void focusLossCommits();
    void appearance();
    void bigGridTouchesOnlyCommittedRow();
};

void TestSampleGrid::keys_data()
{
    QTest::addColumn<Cell>("start");
    QTest::addColumn<QString>("startText");
    QTest::addColumn<QTestEventList>("events");
    QTest::addColumn<Cell>("end");
    QTest::addColumn<QString>("text"); // of the start cell
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("recalculations");

    // Typed text, then special keys with their modifiers, then more typed text.
    auto keys = [](const QString& typed, QList<QPair<int, int>> special = {},
                   const QString& typedAfter = {}) {
        QTestEventList events;
        events.addKeyClicks(typed);
        for (auto [key, modifiers] : special) {
            events.addKeyClick(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        }
        events.addKeyClicks(typedAfter);
        return events;
    };
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;

    // clang-format off
    QTest::newRow("first key replaces") << Cell(3, 1) << "12.5" << keys("3") << Cell(3, 1) << "3" << true << 0;
    QTest::newRow("later keys append") << Cell(3, 1) << "" << keys("12.5") << Cell(3, 1) << "12.5" << true << 0;
    QTest::newRow("point replaces too") << Cell(3, 1) << "12.5" << keys(".") << Cell(3, 1) << "." << true << 0;
    QTest::newRow("second point refused") << Cell(3, 1) << "" << keys("1.2.3") << Cell(3, 1) << "1.23" << true << 0;
    QTest::newRow("no point in granules") << Cell(3, 2) << "" << keys("4.2") << Cell(3, 2) << "42" << true << 0;
    QTest::newRow("no point in larvae") << Cell(3, 3) << "" << keys(".") << Cell(3, 3) << "" << false << 0;
    QTest::newRow("no point in mortality") << Cell(3, 4) << "7" << keys(".") << Cell(3, 4) << "7" << false << 0;
    QTest::newRow("other characters ignored") << Cell(3, 2) << "5" << keys("a -e") << Cell(3, 2) << "5" << false << 0;
    QTest::newRow("backspace edits old text") << Cell(3, 1) << "12.5" << keys("", {{Qt::Key_Backspace, none}}, "3") << Cell(3, 1) << "12.3" << true << 0;
    QTest::newRow("backspace on empty") << Cell(3, 1) << "" << keys("", {{Qt::Key_Backspace, none}}) << Cell(3, 1) << "" << false << 0;
    QTest::newRow("larvae capped at 9 digits") << Cell(3, 3) << "" << keys("1234567890") << Cell(3, 3) << "123456789" << true << 0;
    QTest::newRow("mortality capped at 9 digits") << Cell(3, 4) << "" << keys("98765432109") << Cell(3, 4) << "987654321" << true << 0;
    QTest::newRow("granules capped at 15") << Cell(3, 2) << "" << keys("12345678901234567") << Cell(3, 2) << "123456789012345" << true << 0;
    QTest::newRow("weight capped at 15") << Cell(3, 1) << "" << keys("1.2345678901234567") << Cell(3, 1) << "1.2345678901234" << true << 0;
    QTest::newRow("enter moves right, commits") << Cell(3, 2) << "" << keys("7", {{Qt::Key_Return, none}}) << Cell(3, 3) << "7" << false << 1;
    QTest::newRow("enter from 4 to next row") << Cell(7, 4) << "" << keys("5", {{Qt::Key_Enter, none}}) << Cell(8, 1) << "5" << false << 1;
    QTest::newRow("lone point erased on leaving") << Cell(3, 1) << "" << keys(".", {{Qt::Key_Return, none}}) << Cell(3, 2) << "" << false << 1;
    QTest::newRow("delete commits") << Cell(3, 2) << "42" << keys("", {{Qt::Key_Delete, none}}) << Cell(3, 2) << "" << false << 1;
    QTest::newRow("delete on empty") << Cell(3, 2) << "" << keys("", {{Qt::Key_Delete, none}}) << Cell(3, 2) << "" << false << 0;
    QTest::newRow("ctrl+delete is not a cell key") << Cell(3, 2) << "42" << keys("", {{Qt::Key_Delete, ctrl}}) << Cell(3, 2) << "42" << false << 0;
    QTest::newRow("ctrl+digit left to the window") << Cell(3, 1) << "" << keys("", {{Qt::Key_1, ctrl}}) << Cell(3, 1) << "" << false << 0;
    QTest::newRow("ctrl+tab right, commits") << Cell(3, 2) << "" << keys("5", {{Qt::Key_Tab, ctrl}}) << Cell(3, 3) << "5" << false << 1;
    QTest::newRow("ctrl+tab stops at 4") << Cell(3, 4) << "" << keys("", {{Qt::Key_Tab, ctrl}}) << Cell(3, 4) << "" << false << 0;
    QTest::newRow("ctrl+shift+tab left") << Cell(3, 3) << "" << keys("", {{Qt::Key_Tab, ctrl | shift}}) << Cell(3, 2) << "" << false << 0;
    QTest::newRow("ctrl+shift+tab at 1 commits") << Cell(3, 1) << "" << keys("5", {{Qt::Key_Backtab, ctrl | shift}}) << Cell(3, 1) << "5" << false << 1;
    QTest::newRow("left at 1, then typing replaces") << Cell(3, 1) << "" << keys("5", {{Qt::Key_Left, none}}, "6") << Cell(3, 1) << "6" << true << 1;
    QTest::newRow("moving without typing") << Cell(3, 1) << "12.5" << keys("", {{Qt::Key_Down, none}, {Qt::Key_End, none}, {Qt::Key_Up, none}, {Qt::Key_Right, none}, {Qt::Key_Home, none}}) << Cell(3, 1) << "12.5" << false << 0;
    // clang-format on
}

void TestSampleGrid::keys()
{
    QFETCH(Cell, start);
    QFETCH(QString, startText);
    QFETCH(QTestEventList, events);
    QFETCH(Cell, end);
    QFETCH(QString, text);
    QFETCH(bool, edited);
    QFETCH(int, recalculations);

    Fixture f;
    QAbstractItemModelTester tester(f.grid->gridModel());
    f.dataSet.setCell(start.first, start.second, startText);
    f.grid->setCurrentCell(start.first, start.second);
    QSignalSpy recalculated(&f.dataSet, &DataSet::recalculated);
    events.simulate(f.grid);

    QCOMPARE(Cell(f.grid->currentDataRow(), f.grid->currentColumn()), end);
    QCOMPARE(f.grid->gridModel()->index(start.first - 1, start.second).data().toString(), text);
    QCOMPARE(f.grid->cellEdited(), edited);
    QCOMPARE(recalculated.size(), recalculations);
    for (const QList<QVariant>& rows : recalculated) {
        QCOMPARE(rows.at(0).toInt(), start.first);
        QCOMPARE(rows.at(1).toInt(), start.first);
    }
    QCOMPARE(f.grid->selectionModel()->selectedIndexes(), QModelIndexList{f.grid->currentIndex()});
}

void TestSampleGrid::shiftDeleteClearsRow()
{
    Fixture f;
    f.dataSet.setControlData({20, 2, 24.0f});
    for (int c = ColWeight; c <= ColDead; ++c) {
        f.dataSet.setCell(4, c, QStringList{"2", "50", "20", "10"}.at(c - 1));
    }
    f.dataSet.calculateResults(4);
    QCOMPARE(f.dataSet.cell(4, ColCorrectedMortality).trimmed(), "44.44");
    f.grid->setCurrentCell(4, ColLarvae);
    QSignalSpy recalculated(&f.dataSet, &DataSet::recalculated);

    QTest::keyClick(f.grid, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(recalculated.size(), 1);
    for (int c = ColWeight; c < kGridColumns; ++c) {
        QCOMPARE(f.dataSet.cell(4, c), QString());
    }
    QCOMPARE(f.dataSet.cell(4, ColPosition).trimmed(), "30");
}

void TestSampleGrid::enterAtEndGrowsGrid()
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
    QCOMPARE(Cell(f.grid->currentDataRow(), f.grid->currentColumn()), Cell(50, 4));
    QCOMPARE(model->index(50, ColPosition).data().toString().trimmed(), "500");

    // The new row is a row like any other; leaving its cell grows the grid again.
    QTest::keyClick(f.grid, Qt::Key_Return);
    QCOMPARE(Cell(f.grid->currentDataRow(), f.grid->currentColumn()), Cell(51, 1));
    QTest::keyClicks(f.grid, "2");
    QTest::keyClick(f.grid, Qt::Key_Return);
    QCOMPARE(model->rowCount(), 52);
    QCOMPARE(f.dataSet.cell(51, ColDeposit).trimmed(), "200.000");
}

void TestSampleGrid::resetKeepsPlaceDropsTyping()
{
    Fixture f(100);
    f.grid->setCurrentCell(80, ColLarvae);
    QTest::keyClicks(f.grid, "5");
    f.dataSet.clearDataSet({});
    QCOMPARE(Cell(f.grid->currentDataRow(), f.grid->currentColumn()), Cell(50, 3));
    QVERIFY(!f.grid->cellEdited());
}

void TestSampleGrid::clickKeepsInputColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("landsOn");
    QTest::newRow("position") << 0 << 1;
    QTest::newRow("granules") << 2 << 2;
    QTest::newRow("deposit") << 5 << 4;
    QTest::newRow("corrected mortality") << 8 << 4;
}

void TestSampleGrid::clickKeepsInputColumns()
{
    QFETCH(int, column);
    QFETCH(int, landsOn);
    Fixture f;
    f.grid->setCurrentCell(2, ColWeight);
    QTest::keyClicks(f.grid, "5");
    QSignalSpy recalculated(&f.dataSet, &DataSet::recalculated);

    const QModelIndex clicked = f.grid->gridModel()->index(5, column);
    QTest::mouseClick(f.grid->viewport(), Qt::LeftButton, {}, f.grid->visualRect(clicked).center());
    QCOMPARE(Cell(f.grid->currentDataRow(), f.grid->currentColumn()), Cell(6, landsOn));
    QCOMPARE(f.grid->selectionModel()->selectedIndexes(), QModelIndexList{f.grid->currentIndex()});
    QCOMPARE(recalculated.size(), 1);
    QCOMPARE(f.dataSet.cell(2, ColDeposit).trimmed(), "500.000");
}

void TestSampleGrid::focusLossCommits_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("tab") << int(Qt::Key_Tab);
    QTest::newRow("shift+tab") << int(Qt::Key_Backtab);
    QTest::newRow("other field takes focus") << 0;
}

void TestSampleGrid::focusLossCommits()
{
    QFETCH(int, key);
    Fixture f;
    f.window.activateWindow();
    f.grid->setFocus();
    QTRY_VERIFY(f.grid->hasFocus());
    f.grid->setCurrentCell(5, ColWeight);
    QTest::keyClicks(f.grid, ".");
    QSignalSpy recalculated(&f.dataSet, &DataSet::recalculated);

    if (key == 0) {
        f.after->setFocus();
    } else {
        QTest::keyClick(f.grid, Qt::Key(key),
                        key == Qt::Key_Tab ? Qt::NoModifier : Qt::ShiftModifier);
    }
    QTRY_COMPARE(QApplication::focusWidget(), key == Qt::Key_Backtab ? f.before : f.after);
    QCOMPARE(recalculated.size(), 1);
    QCOMPARE(f.dataSet.cell(5, ColWeight), QString()); // the lone "." is no number
}

void TestSampleGrid::appearance()
{
    Fixture f;
    auto* model = f.grid->gridModel();
    auto geometry = [&] {
        QCOMPARE(f.grid->horizontalHeader()->height(), 31);
        for (int c = 0; c < kGridColumns; ++c) {
            QCOMPARE(f.grid->columnWidth(c), c == 0 ? 53 : c <= 4 ? 70 : 80);
        }
    };
    auto headingColour = [&] {
        return model->headerData(8, Qt::Horizontal, Qt::ForegroundRole).value<QColor>();
    };
    geometry();
    QCOMPARE(headingColour(), QColor(210, 0, 0));
    f.dataSet.setControlData({20, 2, 24.0f});
    f.dataSet.markControlHeader();
    model->refreshHeadings();
    QCOMPARE(headingColour(), QColor(Qt::black));

    f.dataSet.ensureDataRows(200);
    f.dataSet.clearDataSet({});
    geometry();
    QCOMPARE(headingColour(), QColor(210, 0, 0));
    for (int row : {0, model->rowCount() - 1}) {
        for (int c = 0; c < kGridColumns; ++c) {
            const bool input = c >= ColWeight && c <= ColDead;
            const QModelIndex index = model->index(row, c);
            QCOMPARE(index.data(Qt::BackgroundRole).value<QColor>(),
                     input ? QColor(Qt::white) : QColor(230, 230, 230));
            QCOMPARE(index.data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                     int(input ? Qt::AlignHCenter : Qt::AlignRight));
        }
    }
    f.dataSet.switchUnits(false);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), "Position\n(ft)");
}

void TestSampleGrid::bigGridTouchesOnlyCommittedRow()
{
    Fixture f(10000);
    f.grid->setCurrentCell(5000, ColGranules);
    QSignalSpy changed(f.grid->gridModel(), &QAbstractItemModel::dataChanged);
    QTest::keyClicks(f.grid, "7");
    QTest::keyClick(f.grid, Qt::Key_Return);
    QCOMPARE(f.dataSet.cell(5000, ColDensity).trimmed(), "70.000");
    QVERIFY(!changed.isEmpty());
    for (const QList<QVariant>& signal : changed) {
        QCOMPARE(signal.at(0).toModelIndex().row(), 4999);
        QCOMPARE(signal.at(1).toModelIndex().row(), 4999);
    }
}

QTEST_MAIN(TestSampleGrid)
#include "tst_samplegrid.moc"
