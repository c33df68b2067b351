#include "core/settings.h"
#include "ui/controldatadialog.h"
#include "ui/mainwindow.h"
#include "ui/parameterpages.h"
#include "ui/resultpanel.h"
#include "ui/samplegrid.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace pellamar;
using namespace pellamar::ui;

namespace {

// Answers the next modal message box with the given button, and remembers its text.
struct BoxAnswer {
    QString text;
    bool shown = false;
};
std::shared_ptr<BoxAnswer> answerNextBox(QMessageBox::StandardButton button)
{
    auto answer = std::make_shared<BoxAnswer>();
    QTimer::singleShot(0, [answer, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        answer->shown = true;
        answer->text = box->text();
        box->button(button)->click();
    });
    return answer;
}

void typeAndEnter(const QString& text)
{
    QCoreApplication::processEvents();
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    if (!text.isEmpty()) {
        QTest::keyClicks(focus, text);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void typeWholeDataSet();
    void fieldCommitThroughWidgets_data();
    void fieldCommitThroughWidgets();
    void pasteIsChecked();
    void tabStripWraps();
    void shortcutsNeedData();
    void deleteAllData_data();
    void deleteAllData();
    void saveThenLoad();
    void badFileKeepsDataSet();
    void controlDataThroughWindow();
    void settingsSurviveRestart();
    void screenWarningAndCompactLayout();

private:
    void fillSomeData();
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<IniSettingsStore> store_;
    std::unique_ptr<MainWindow> window_;
    QStringList chooserCalls_;
    QString nextFile_;
};

void TestMainWindow::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<IniSettingsStore>(dir_->filePath(QStringLiteral("settings.ini")));
    window_ = std::make_unique<MainWindow>(*store_, true, 1080);
    chooserCalls_.clear();
    window_->setFileChooser([this](const MainWindow::FileRequest& request) {
        chooserCalls_ << request.title;
        return nextFile_;
    });
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void TestMainWindow::cleanup()
{
    window_.reset();
}

void TestMainWindow::fillSomeData()
{
    DataSet& ds = window_->dataSet();
    ds.setCell(1, ColWeight, QStringLiteral("2"));
    ds.setCell(3, ColGranules, QStringLiteral("40"));
    ds.calculateResults(0);
}

void TestMainWindow::typeWholeDataSet()
{
    ParameterPages* pages = window_->parameterPages();
    pages->field(Field::Agency)->setFocus();
    for (const char* text : {"Vector Control", "AT-402", "12", "30"}) {
        typeAndEnter(QString::fromUtf8(text));
    }
    QCOMPARE(QApplication::focusWidget(), pages->samplerType());
    typeAndEnter({});
    QCOMPARE(QApplication::focusWidget(), pages->field(Field::OpeningArea));
    typeAndEnter(QStringLiteral("0.1"));
    QCoreApplication::processEvents();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("10-"));
    typeAndEnter({});
    for (const char* text : {"10", "2", "25", "8", "90", "", "Granule G", "11.2"}) {
        typeAndEnter(QString::fromUtf8(text));
    }
    QCOMPARE(QApplication::focusWidget(), pages->unitOption(true));

    const DataSet& ds = window_->dataSet();
    QCOMPARE(ds.fieldText(Field::Agency), QStringLiteral("Vector Control"));
    QCOMPARE(ds.fieldText(Field::ReleaseHeight), QStringLiteral("12.0"));
    QCOMPARE(ds.fieldText(Field::SwathWidth), QStringLiteral("30.0"));
    QCOMPARE(ds.fieldText(Field::OpeningArea), QStringLiteral("0.1"));
    QCOMPARE(ds.fieldText(Field::Position1), QStringLiteral("-10.0"));
    QCOMPARE(ds.fieldText(Field::Humidity), QString());
    QCOMPARE(ds.fieldText(Field::ProductRate), QStringLiteral("11.20"));
    QCOMPARE(ds.parameters().position1, -10.0f);
    QCOMPARE(ds.parameters().met[4], kNotEntered);

    SampleGrid* grid = window_->grid();
    grid->setFocus();
    grid->setCurrentCell(1, 1);
    for (const char* text : {"1.5", "30", "20", "10", "3", "60"}) {
        typeAndEnter(QString::fromUtf8(text));
    }
    QCOMPARE(grid->currentDataRow(), 2);
    QCOMPARE(grid->currentColumn(), 3);
    QCOMPARE(ds.cell(1, ColDeposit).trimmed(), QStringLiteral("150.000"));
    QCOMPARE(ds.cell(1, ColPosition).trimmed(), QStringLiteral("-10"));
    QCOMPARE(ds.cell(2, ColDensity).trimmed(), QStringLiteral("600.000"));
    QVERIFY(window_->saveButton()->isEnabled());
}

void TestMainWindow::fieldCommitThroughWidgets_data()
{
    QTest::addColumn<bool>("metric");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("recalculates");

    const auto row = [](const char* name, bool metric, Field field, const char* typed,
                        const char* shown, bool recalculates) {
        QTest::newRow(name) << metric << static_cast<int>(field) << QString::fromUtf8(typed)
                            << QString::fromUtf8(shown) << recalculates;
    };
    row("swath width m", true, Field::SwathWidth, "12", "12.0", true);
    row("swath width ft", false, Field::SwathWidth, "12", "12.0", true);
    row("release height 0 empties", true, Field::ReleaseHeight, "0", "", false);
    row("area 0 reverts", true, Field::OpeningArea, "0", "1.0", false);
    row("area ft2", false, Field::OpeningArea, "2.5", "2.5", true);
    row("separation", false, Field::Separation, "20.456", "20.46", true);
    row("position", true, Field::Position1, "3.333", "3.33", true);
    row("air temperature F", false, Field::AirTemperature, "77", "77.0", false);
    row("wind speed", true, Field::WindSpeed, "8", "8.0", false);
    // 55.55 lies just below the half as a binary number.
    row("humidity", false, Field::Humidity, "55.55", "55.5", false);
    row("rate lb/ac", false, Field::ProductRate, "8.1", "8.10", false);
    row("name as typed", true, Field::Sprayer, " AT-402 ", " AT-402 ", false);
}

void TestMainWindow::fieldCommitThroughWidgets()
{
    QFETCH(bool, metric);
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, recalculates);

    DataSet& ds = window_->dataSet();
    ds.switchUnits(metric);
    ParameterPages* pages = window_->parameterPages();
    QLineEdit* edit = pages->field(static_cast<Field>(field));
    const auto page = QList<int>{0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3}[field];
    pages->selectPage(static_cast<ParameterPages::Page>(page));
    edit->setFocus();
    QCoreApplication::processEvents();
    QSignalSpy recalculated(&ds, &DataSet::recalculated);
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(ds.fieldText(static_cast<Field>(field)), shown);
    QCOMPARE(!recalculated.isEmpty(), recalculates);

    // Leaving it again without typing changes nothing.
    edit->setFocus();
    QCoreApplication::processEvents();
    recalculated.clear();
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(recalculated.size(), 0);
}

void TestMainWindow::pasteIsChecked()
{
    QLineEdit* edit = window_->parameterPages()->field(Field::ReleaseHeight);
    window_->dataSet().parameters().releaseHeight = 5.0f;
    window_->dataSet().applyUnits();
    edit->setFocus();
    QCoreApplication::processEvents();
    for (const char* pasted : {"ten", "1e39", "-4"}) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(pasted));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QString::fromUtf8(pasted));
        window_->grid()->setFocus();
        QCOMPARE(edit->text(), QStringLiteral("5.0"));
        QCOMPARE(window_->dataSet().parameters().releaseHeight, 5.0f);
        edit->setFocus();
        QCoreApplication::processEvents();
    }
}

void TestMainWindow::tabStripWraps()
{
    QTabBar* tabs = window_->parameterPages()->tabBar();
    tabs->setFocus();
    tabs->setCurrentIndex(4);
    QTest::keyClick(tabs, Qt::Key_Right);
    QCOMPARE(tabs->currentIndex(), 0);
    QTest::keyClick(tabs, Qt::Key_Left);
    QCOMPARE(tabs->currentIndex(), 4);
    QTest::keyClick(tabs, Qt::Key_Left);
    QCOMPARE(tabs->currentIndex(), 3);
}

void TestMainWindow::shortcutsNeedData()
{
    QWidget* focus = window_->grid();
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(focus, Qt::Key_3, Qt::ControlModifier);
    const auto box = answerNextBox(QMessageBox::Yes);
    QTest::keyClick(focus, Qt::Key_Delete, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QVERIFY(!box->shown);
    QCOMPARE(window_->dataSet().selectedGraph(), 1);
    QVERIFY(chooserCalls_.isEmpty());
    QTest::keyClick(focus, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(chooserCalls_, QStringList{QStringLiteral("Load Data Set")});

    fillSomeData();
    QTest::keyClick(focus, Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(window_->dataSet().selectedGraph(), 3);
    QVERIFY(window_->resultPanel()->graphOption(3)->isChecked());
    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(chooserCalls_.last(), QStringLiteral("Save Data Set"));
}

void TestMainWindow::deleteAllData_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("swathTicked");
    QTest::newRow("yes") << true << false;
    QTest::newRow("no") << false << false;
    QTest::newRow("swath analysis on") << true << true;
}

void TestMainWindow::deleteAllData()
{
    QFETCH(bool, yes);
    QFETCH(bool, swathTicked);
    fillSomeData();
    window_->dataSet().setSwathChecked(swathTicked);
    QWidget* focus = window_->grid();
    focus->setFocus();
    const auto box = answerNextBox(yes ? QMessageBox::Yes : QMessageBox::No);
    QTest::keyClick(focus, Qt::Key_Delete, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QCOMPARE(box->shown, !swathTicked);
    if (box->shown) {
        QCOMPARE(box->text, QStringLiteral("Are you sure you want to delete all data?"));
    }
    const bool cleared = yes && !swathTicked;
    QCOMPARE(window_->dataSet().cell(1, ColWeight).isEmpty(), cleared);
    QCOMPARE(window_->dataSet().lastDataRow(), cleared ? 0 : 3);
    // The window took the key: the grid's own Delete never cleared the cell.
    QCOMPARE(window_->dataSet().cell(1, ColWeight).isEmpty(), cleared);
}

void TestMainWindow::saveThenLoad()
{
    DataSet& ds = window_->dataSet();
    ds.parameters().agency = QStringLiteral("North, East");
    ds.setFieldText(Field::Agency, QStringLiteral("North, East"));
    ds.setControlData({20, 3, 24.0f});
    ds.setCell(2, ColWeight, QStringLiteral("1.25"));
    ds.setCell(2, ColLarvae, QStringLiteral("20"));
    ds.setCell(2, ColDead, QStringLiteral("8"));
    ds.setCell(4, ColGranules, QStringLiteral("17"));
    ds.calculateResults(0);
    const QStringList cellsBefore = [&] {
        QStringList cells;
        for (int r = 1; r <= 5; ++r) {
            for (int c = 0; c < kGridColumns; ++c) {
                cells << ds.cell(r, c);
            }
        }
        return cells;
    }();

    nextFile_ = dir_->filePath(QStringLiteral("set.csv"));
    window_->saveDataSet();
    QVERIFY(QFile::exists(nextFile_));
    QCOMPARE(window_->initialDir(), dir_->path() + u'/');

    ds.clearDataSet({});
    window_->loadDataSet();
    QCOMPARE(ds.fieldText(Field::Agency), QStringLiteral("North, East"));
    QCOMPARE(ds.controlData().larvae, std::int16_t(20));
    QStringList cellsAfter;
    for (int r = 1; r <= 5; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            cellsAfter << ds.cell(r, c);
        }
    }
    QCOMPARE(cellsAfter, cellsBefore);
}

void TestMainWindow::badFileKeepsDataSet()
{
    fillSomeData();
    nextFile_ = dir_->filePath(QStringLiteral("bad.csv"));
    QFile bad(nextFile_);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("hello\r\nworld\r\n");
    bad.close();

    const auto box = answerNextBox(QMessageBox::Ok);
    window_->loadDataSet();
    QVERIFY(box->shown);
    QCOMPARE(box->text, QStringLiteral("'bad.csv' does not appear to be a valid data set."));
    QCOMPARE(window_->dataSet().cell(1, ColWeight), QStringLiteral("2"));
    QCOMPARE(window_->dataSet().lastDataRow(), 3);
    QTRY_COMPARE(QApplication::focusWidget(), window_->loadButton());
}

void TestMainWindow::controlDataThroughWindow()
{
    fillSomeData();
    window_->dataSet().setCell(1, ColLarvae, QStringLiteral("20"));
    window_->dataSet().setCell(1, ColDead, QStringLiteral("10"));
    QSignalSpy recalculated(&window_->dataSet(), &DataSet::recalculated);
    window_->openControlData();
    auto* dialog = window_->findChild<ControlDataDialog*>();
    QVERIFY(dialog);
    // The dialog sits just above its button.
    QCOMPARE(dialog->frameGeometry().bottom() + 1,
             window_->controlDataButton()->mapToGlobal(QPoint(0, 0)).y());
    dialog->box(1)->setFocus();
    for (const char* text : {"20", "24", "2"}) {
        typeAndEnter(QString::fromUtf8(text));
    }
    QCOMPARE(dialog->box(3)->text(), QStringLiteral("2"));
    dialog->acceptButton()->click();
    QTRY_VERIFY(!recalculated.isEmpty());
    QCOMPARE(window_->dataSet().controlData().larvae, std::int16_t(20));
    QCOMPARE(window_->dataSet().controlHeadingColor(), kHeadingBlack);
    QCOMPARE(window_->dataSet().cell(1, ColCorrectedMortality).trimmed(), QStringLiteral("44.44"));
}

void TestMainWindow::settingsSurviveRestart()
{
    ParameterPages* pages = window_->parameterPages();
    pages->selectPage(ParameterPages::UnitsPage);
    pages->unitOption(false)->click();
    DataSet& ds = window_->dataSet();
    QVERIFY(!ds.metric());
    ds.parameters().openingType = 2;
    ds.parameters().openingArea = 0.25f;
    ds.parameters().separation = 2.5f;
    nextFile_ = dir_->filePath(QStringLiteral("x.csv"));
    // A missing file: the load fails, but its folder is remembered.
    const auto box = answerNextBox(QMessageBox::Ok);
    window_->loadDataSet();
    QVERIFY(box->shown);
    window_->close();
    window_.reset();

    IniSettingsStore reread(dir_->filePath(QStringLiteral("settings.ini")));
    QVERIFY(!readMetric(reread));
    MainWindow again(reread, readMetric(reread), 1080);
    QCOMPARE(again.dataSet().parameters().openingType, std::uint8_t(2));
    QCOMPARE(again.dataSet().parameters().openingArea, 0.25f);
    QCOMPARE(again.dataSet().fieldText(Field::Separation), QStringLiteral("8.2"));
    QCOMPARE(again.dataSet().fieldText(Field::Agency), QString());
    QCOMPARE(again.initialDir(), dir_->path() + u'/');
}

void TestMainWindow::screenWarningAndCompactLayout()
{
    QCOMPARE(screenWarningText(1024, 599),
             QStringLiteral("Your screen resolution is currently set to 1024\u00d7599.\n\n"
                            "Pellamar was designed to run at a minimum resolution\n"
                            "of 800\u00d7600, and preferably 1024\u00d7768 or higher.\n\n"
                            "Click OK to access the display settings."));
    QVERIFY(!window_->compact());
    MainWindow small(*store_, true, 700);
    QVERIFY(small.compact());
    QCOMPARE(small.grid()->height(), MainWindow::kCompactGridHeight);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
