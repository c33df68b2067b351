#include "datafile/writer.h"
#include "ui/controldatadialog.h"
#include "ui/graphpicture.h"
#include "ui/parameterpages.h"
#include "ui/resultpanel.h"
#include "ui/samplegrid.h"
#include "ui/samplegridmodel.h"
#include "ui/swathmode.h"
#include "ui/widthoptions.h"
#include "window.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include "ui/feedback.h"

using namespace pellamar;
using namespace pellamar::testing;
using namespace pellamar::ui;

class TestMainWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> f_;
    MainWindow& window() { return *f_->window; }
    DataSet& ds() { return f_->ds(); }
    QLineEdit* field(Field f) { return window().parameterPages()->field(f); }
    QStringList stats()
    {
        const ResultPanel* r = window().resultPanel();
        return {r->statisticText(0), r->statisticText(2), r->statisticText(1)};
    }
    // Which commands are enabled: they are when their key or button would act.
    QString enabled()
    {
        const Commands& c = window().commands();
        QString flags;
        for (auto* a : {c.load, c.save, c.printPreview, c.exportPdf, c.deleteAll, c.results[2], c.swath, c.racetrack,
                        c.copy, c.recent->menuAction()})
            flags += a->isEnabled() ? '1' : '0';
        return flags;
    }

private slots:
    void init() { f_ = std::make_unique<WindowFixture>(); }
    void cleanup() { f_.reset(); }

    // Every parameter typed with Enter moving on, then the first rows of the grid.
    void typeWholeDataSet()
    {
        ParameterPages* pages = window().parameterPages();
        field(Field::Agency)->setFocus();
        for (const char* text : {"Vector Control", "AT-402", "12", "30"}) typeAndEnter(text);
        QCOMPARE(QApplication::focusWidget(), pages->samplerType());
        typeAndEnter({});
        typeAndEnter("0.1");
        QTest::keyClicks(QApplication::focusWidget(), "10-"); // "-" flips the sign
        for (const char* text : {"", "10", "2", "25", "8", "90", "", "Granule G", "11.2"}) typeAndEnter(text);
        QCOMPARE(QApplication::focusWidget(), pages->unitOption(true));
        QStringList texts;
        for (Field f : {Field::Agency, Field::ReleaseHeight, Field::SwathWidth, Field::OpeningArea, Field::Position1,
                        Field::Humidity, Field::ProductRate})
            texts << ds().fieldText(f);
        QCOMPARE(texts, (QStringList{"Vector Control", "12.0", "30.0", "0.1", "-10.0", "", "11.20"}));
        QCOMPARE(ds().parameters().position1, -10.0f);

        window().grid()->setFocus();
        window().grid()->setCurrentCell(1, 1);
        for (const char* text : {"1.5", "30", "20", "10", "3", "60"}) typeAndEnter(text);
        QCOMPARE(window().grid()->currentDataRow() * 10 + window().grid()->currentColumn(), 23);
        QCOMPARE(shown(ds(), 1, ColDeposit) + shown(ds(), 1, ColPosition), "150.000-10");
        QCOMPARE(shown(ds(), 2, ColDensity), "600.000");
        QVERIFY(window().saveButton()->isEnabled());
    }

    // The "-" key in the position of pan 1 toggles the sign; the caret keeps its digits.
    void minusTogglesTheSign_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("selection"); // start, length
        QTest::addColumn<QString>("newText");
        QTest::addColumn<QList<int>>("newSelection");
        QTest::newRow("on, caret at end") << "2.5" << QList{3, 0} << "-2.5" << QList{4, 0};
        QTest::newRow("off, caret at end") << "-2.5" << QList{4, 0} << "2.5" << QList{3, 0};
        QTest::newRow("selection holds sign") << "-2.5" << QList{0, 4} << "-" << QList{1, 0};
    }
    void minusTogglesTheSign()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, selection);
        window().parameterPages()->selectPage(ParameterPages::SamplerPage);
        QLineEdit* edit = field(Field::Position1);
        edit->setFocus();
        edit->setText(text);
        edit->setSelection(selection[0], selection[1]);
        if (selection[1] == 0) edit->setCursorPosition(selection[0]);
        QTest::keyClick(edit, Qt::Key_Minus);
        QTEST(edit->text(), "newText");
        const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        QTEST((QList<int>{start, int(edit->selectedText().size())}), "newSelection");
    }

    // Save, the graph keys and the reset need data; loading never does. Enter and keypad Enter
    // press the focused button, as Space does.
    void shortcutsNeedData()
    {
        QCOMPARE(enabled(), "1000000010");
        QWidget* focus = window().grid();
        focus->setFocus();
        BoxWatcher boxes(QMessageBox::Discard);
        for (Qt::Key key : {Qt::Key_S, Qt::Key_3, Qt::Key_Delete}) QTest::keyClick(focus, key, Qt::ControlModifier);
        QCOMPARE(boxes.boxes, QStringList());
        QVERIFY(window().resultPanel()->graphOption(1)->isChecked());
        QTest::keyClick(focus, Qt::Key_L, Qt::ControlModifier);
        // The value being typed counts: Ctrl+S commits it first.
        QTest::keyClicks(focus, "2");
        QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_3, Qt::ControlModifier);
        QVERIFY(window().resultPanel()->graphOption(3)->isChecked() && window().commands().results[2]->isChecked());
        window().loadButton()->setFocus();
        QTest::keyClick(window().loadButton(), Qt::Key_Return);
        window().controlDataButton()->setFocus();
        QTest::keyClick(window().controlDataButton(), Qt::Key_Enter, Qt::KeypadModifier);
        QTRY_VERIFY(window().findChild<ControlDataDialog*>());
        QCOMPARE(f_->dialogTitles, (QStringList{"Load Data Set", "Save Data Set", "Load Data Set"}));
    }

    void controlDataThroughWindow()
    {
        f_->fillSomeData();
        ds().setInput(1, ColLarvae, "20");
        ds().setInput(1, ColDead, "10");
        window().openControlData();
        auto* dialog = window().findChild<ControlDataDialog*>();
        dialog->box(1)->setFocus();
        for (const char* text : {"20", "24", "2"}) typeAndEnter(text);
        dialog->acceptButton()->click();
        QTRY_COMPARE(shown(ds(), 1, ColCorrectedMortality), "44.44");
        QCOMPARE(window().grid()->model()->headerData(ColCorrectedMortality, Qt::Horizontal, Qt::ForegroundRole),
                 QColor(Qt::black));
    }

    // Units, sampler line and folder come back on the next start; a missing file still leaves
    // its folder remembered.
    void settingsSurviveRestart()
    {
        window().parameterPages()->selectPage(ParameterPages::UnitsPage);
        window().parameterPages()->unitOption(false)->click();
        ds().parameters().openingType = 2;
        ds().parameters().openingArea = 0.25f;
        ds().parameters().separation = 2.5f;
        f_->nextFile = f_->file("x.csv");
        {
            // The unit switch is a change: loading and closing ask first.
            BoxWatcher boxes(QMessageBox::Discard);
            window().loadDataSet();
            window().close();
            const QString question = BoxWatcher::text(QMessageBox::Question, "Save changes to the new data set?");
            QCOMPARE(boxes.boxes.size(), 3);
            QCOMPARE(boxes.boxes[0] + boxes.boxes[2], question + question);
        }
        f_->window.reset();
        f_->store = std::make_unique<IniSettingsStore>(f_->file("settings.ini"));
        f_->open();
        QVERIFY(!ds().metric());
        QCOMPARE(ds().parameters().openingType, std::uint8_t(2));
        QCOMPARE(ds().parameters().openingArea, 0.25f);
        QCOMPARE(ds().fieldText(Field::Separation), "8.2");
        QCOMPARE(window().initialDir(), f_->dir.path() + u'/');
        QVERIFY(MainWindow(*f_->store, true, 700).compact());
    }

    // Characters the file cannot hold are named before anything is written; Cancel writes nothing.
    void unstorableCharactersAskedFirst()
    {
        f_->fillSomeData();
        ds().setFieldText(Field::Agency, "Ω中\U0001F600x");
        ds().setFieldText(Field::Sprayer, "中文é");
        f_->nextFile = f_->file("names.csv");
        const QString question =
            BoxWatcher::text(QMessageBox::Warning, "These characters cannot be stored in the data-set "
                                                   "file and will be saved as '?': Ω, 中, \U0001F600, 文");
        for (const auto answer : {QMessageBox::Cancel, QMessageBox::Save}) {
            BoxWatcher boxes(answer);
            QCOMPARE(window().saveDataSet(), answer == QMessageBox::Save);
            QCOMPARE(boxes.boxes, QStringList{question});
            QCOMPARE(QFileInfo::exists(f_->nextFile), answer == QMessageBox::Save);
        }
        QVERIFY(fileBytes(f_->nextFile).contains("\r\nAgency:,,???x\r\nSprayer:,,??\xe9\r\n"));
    }

    // Settings that cannot be written are reported when the window closes.
    void unwritableSettings()
    {
        const QString path = QStringLiteral("/proc/pellamar/Pellamar.ini");
        f_ = std::make_unique<WindowFixture>(path);
        BoxWatcher boxes;
        window().close();
        QCOMPARE(boxes.boxes, QStringList{BoxWatcher::text(QMessageBox::Warning, "The settings could not be saved:\n\n"
                                                                                 "could not write settings file " +
                                                                                     path)});
    }

    // Swath analysis: widths by click and keys, sources, patterns; editing locked meanwhile.
    void swathAnalysis()
    {
        window().loadFile(PELLAMAR_TEST_DATA "/writer_metric.csv");
        ResultPanel* results = window().resultPanel();
        SwathMode* swath = window().swathMode();
        QVERIFY(!window().printButton()->isVisible());
        QCOMPARE(enabled(), "1111111011");
        window().commands().swath->trigger();
        QVERIFY(window().printButton()->isVisible() && !window().grid()->isVisible());
        QCOMPARE(enabled(), "1111011101");
        QVERIFY(swath->panel()->isVisible() && swath->sourceFrame()->isVisible());
        QVERIFY(!field(Field::Separation)->isEnabled());
        QVERIFY(!window().parameterPages()->unitOption(true)->isEnabled());
        // No width has its COV at most 30 % below a wider one above it: the rule proposes 1.
        QCOMPARE(swath->widthOptions()->count(), 3);
        QCOMPARE(swath->selectedWidth(), (std::array<int, 2>{1, 1}));
        QCOMPARE(stats(), (QStringList{"56.6 %", "166.7 kg/ha", "233.3 / 100.0"}));
        WidthOptions* options = swath->widthOptions();
        QTest::mouseClick(options, Qt::LeftButton, {}, options->centre(2));
        QCOMPARE(stats(), (QStringList{"92.4 %", "166.7 kg/ha", "300.0 / 33.3"}));
        for (auto [key, width] :
             {std::pair{Qt::Key_Left, 1}, {Qt::Key_Left, 1}, {Qt::Key_End, 3}, {Qt::Key_Right, 3}, {Qt::Key_Up, 2}}) {
            QTest::keyClick(options, key);
            QCOMPARE(swath->record().widthIndex, width);
        }
        window().commands().density->trigger();
        QCOMPARE(stats(), (QStringList{"58.2 %", "340.0 #/m \u00b2", "480.0 / 200.0"}));
        swath->sourceOption(swath::Source::Deposit)->click();
        QCOMPARE(swath->selectedWidth(), (std::array<int, 2>{2, 1}));
        // Racetrack recomputes the statistics at the width shown.
        swath->racetrack()->click();
        QVERIFY(window().commands().racetrack->isChecked());
        QCOMPARE(swath->record().widthIndex, 2);
        QCOMPARE(stats(), (QStringList{"56.6 %", "166.7 kg/ha", "233.3 / 100.0"}));

        results->swathCheck()->click();
        QVERIFY(window().grid()->isVisible() && !window().printButton()->isVisible());
        QVERIFY(field(Field::Separation)->isEnabled() && swath->widthOptions()->count() == 0);
        // A reset always leaves the analysis.
        results->swathCheck()->click();
        ds().clearDataSet({});
        QVERIFY(!results->swathCheck()->isChecked() && window().grid()->isVisible());
        QCOMPARE(results->axisCaptions(), (QStringList{"0", "490.0", "0", "1.0"})); // also without data to draw
        window().parameterPages()->unitOption(false)->click();
        QCOMPARE(results->axisCaptions(), (QStringList{"0", "1607.6", "0", "1.0"}));
    }

    // On an 800 × 600 screen every dialog lies on the screen, the control data dialog still just
    // above its button at the window's right edge.
    void dialogsOnScreen()
    {
        f_->open(600);
        window().loadFile(PELLAMAR_TEST_DATA "/writer_metric.csv");
        window().resultPanel()->swathCheck()->click();
        QStringList seen;
        QList<QRect> frames;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                seen << dialog->windowTitle();
                frames << dialog->frameGeometry();
                dialog->close();
            }
        });
        timer.start(5);
        window().openControlData();
        QTRY_COMPARE(seen.size(), 1);
        window().loadFile(f_->file("missing.csv"));
        // Keys reach the window that is active, as they do on a desktop once a box has closed.
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QTest::keyClick(window().grid(), Qt::Key_P, Qt::ControlModifier); // the preview, while the analysis is on
        QCOMPARE(seen, (QStringList{"Control Data", "Pellamar", "Pellamar - Print"}));
        for (const QRect& frame : frames) QVERIFY(window().screen()->availableGeometry().contains(frame));
        QCOMPARE(frames[0].bottom() + 1, window().controlDataButton()->mapToGlobal(QPoint(0, 0)).y());
    }

    // Widths too close to hit one by one form a strip that still selects by click (0) and keys, and
    // names the width chosen; where they fit they stay round options.
    void widthStrip()
    {
        QWidget area;
        area.resize(600, 40);
        for (auto [count, key, expected] : {std::tuple{30, Qt::Key_PageUp, 15},
                                            {500, Qt::Key(0), 250},
                                            {500, Qt::Key_Right, 6},
                                            {500, Qt::Key_PageUp, 15},
                                            {500, Qt::Key_PageDown, 1},
                                            {500, Qt::Key_End, 500}}) {
            WidthOptions options(&area);
            options.setCount(count);
            std::vector<int> centres;
            for (int i = 0; i < count; ++i) centres.push_back(30 + i * 540 / (count - 1));
            options.place(centres, 0);
            options.setLabeller([](int i) { return QString::number(i * 0.5) + " m"; });
            QCOMPARE(options.isStrip(), count > 30);
            options.click(5);
            key ? QTest::keyClick(&options, key) : QTest::mouseClick(&options, Qt::LeftButton, {}, options.centre(250));
            QCOMPARE(options.selected(), expected);
            QCOMPARE(options.accessibleDescription(), QString("Swath width %1 m").arg(expected * 0.5));
        }
    }

    // Each graph copies itself drawn afresh at twice the resolution, not enlarged, and saves
    // The limit chosen in View proposes the widths afresh (a change to save), words the line and
    // outlasts the run; the table does not depend on it.
    void covLimitFollowsTheMenu()
    {
        QVERIFY(window().loadFile(QFINDTESTDATA("../../docs/sample-data-set.csv")));
        window().resultPanel()->swathCheck()->click();
        SwathMode& swath = *window().swathMode();
        QCOMPARE(swath.selectedWidth()[0], 8); // 40 m at 30 %
        QCOMPARE(swath.effectiveCell(0, 0) + swath.effectiveCell(1, 4), "25 m60 m");
        window().commands().covLimits[0]->trigger();
        QCOMPARE(window().covLimit(), 0.1f);
        QCOMPARE(swath.selectedWidth()[0], 5);
        QVERIFY(swath.resultLine()->text().startsWith("Swath 25 m: COV "));
        QVERIFY(window().document().modified());
        {
            BoxWatcher boxes(QMessageBox::Discard);
            window().close();
        }
        f_->window.reset();
        f_->store = std::make_unique<IniSettingsStore>(f_->file("settings.ini"));
        f_->open();
        QVERIFY(window().commands().covLimits[0]->isChecked());
    }

    // itself, scale and titles included, as PNG or SVG; a folder that does not exist is said and leaves nothing behind.
    void picturesLeaveTheProgram()
    {
        window().loadFile(PELLAMAR_TEST_DATA "/writer_metric.csv");
        window().resultPanel()->swathCheck()->click();
        const auto pictures = window().findChildren<GraphPicture*>();
        QCOMPARE(pictures.size(), 2);
        for (GraphPicture* picture : pictures) {
            QCOMPARE(picture->actions()[0]->text(), "Copy Picture");
            picture->actions()[0]->trigger();
            const QImage copied = QGuiApplication::clipboard()->image();
            const QImage enlarged = picture->image().scaled(picture->size() * 2);
            QCOMPARE(copied.size(), enlarged.size());
            QVERIFY(copied != enlarged.convertToFormat(copied.format()));
            for (const QString name : {"g.png", "g.SVG", "missing/g.png"}) {
                picture->setFileChooser([&] { return f_->file(name); });
                BoxWatcher boxes;
                QCOMPARE(picture->savePicture(), !name.startsWith("missing"));
                QCOMPARE(boxes.boxes.size(), name.startsWith("missing") ? 1 : 0);
            }
            QVERIFY(fileBytes(f_->file("g.png")).startsWith("\x89PNG"));
            QVERIFY(QImage(f_->file("g.png")).size() == picture->size() * 2);
            QVERIFY(fileBytes(f_->file("g.SVG")).contains("<svg"));
            QVERIFY(fileBytes(f_->file("g.SVG")).contains(" (m)</text>")); // the scale goes with it
            QVERIFY(!QFileInfo::exists(f_->file("missing")));
        }
    }

    // An average opens unsaved and unnamed; its passes show over the graph and their spread on
    // the deposit cells until a pan is edited (undo brings them back) or all data are deleted.
    void averagedPasses()
    {
        QByteArray other = readTestFile("writer_metric.csv");
        QVERIFY(writeFile(f_->file("p2.csv"), other.replace("\r\n0,3,60,", "\r\n0,1,20,")));
        QVERIFY(window().averageFiles({PELLAMAR_TEST_DATA "/writer_metric.csv", f_->file("p2.csv")}));
        QVERIFY(window().document().modified() && window().currentFile().isEmpty());
        QCheckBox* passes = window().resultPanel()->passesCheck();
        QVERIFY(passes->isVisible());
        const QImage average = window().resultPanel()->picture()->image();
        passes->click();
        QVERIFY(window().resultPanel()->picture()->image() != average);
        const QModelIndex deposit = window().grid()->gridModel()->index(1, ColDeposit);
        QCOMPARE(deposit.data(Qt::ToolTipRole).toString(), "Spread between the passes: CV 70.7 %, above 50 %");
        window().editor().setCells({{2, ColWeight, "5"}});
        QVERIFY(!passes->isVisible() && deposit.data(Qt::ToolTipRole).isNull());
        window().undoAction()->trigger();
        QVERIFY(passes->isVisible());
        BoxWatcher boxes(QMessageBox::Discard);
        window().deleteAllData();
        QVERIFY(!passes->isVisible());
    }

    // Eight loads and saves remembered, a file gone dropped, kept till the next start; reports from any mode.
    void recentFilesAndReport()
    {
        const auto file = [&](int n) { return f_->file(QString::number(n) + ".csv"); };
        for (int n = 0; n < 9; ++n)
            QVERIFY(writeFile(file(n), readTestFile("writer_metric.csv")) && window().loadFile(file(n)));
        QFile::remove(file(5));
        BoxWatcher boxes(QMessageBox::Yes);
        for (int index : {3, 5}) window().commands().recent->actions().at(index)->trigger();
        QCOMPARE(boxes.boxes.value(0), "2: " + file(5) + " no longer exists; it is removed from the recent data sets.");
        const QStringList recent = window().recentFiles();
        QCOMPARE(recent, (QStringList{file(2), file(8), file(7), file(6), file(4), file(3), file(1)}));
        window().commands().deleteAll->trigger();
        ds().setFieldText(Field::Sprayer, "AT/402:");
        window().editor().setCells({{1, ColWeight, "2"}});
        f_->nextFile = f_->file("saved.csv");
        QVERIFY(window().saveDataSetAs());
        QCOMPARE(f_->lastRequest.name, "AT_402_ " + QDate::currentDate().toString(Qt::ISODate) + ".csv");
        f_->nextFile = f_->file("report.pdf");
        QVERIFY(window().exportPdf() && fileBytes(f_->nextFile).startsWith("%PDF"));
        QCOMPARE(f_->lastRequest.name, "saved.pdf");
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QString preview;
        QTimer::singleShot(
            0, [&] { preview = QApplication::activeModalWidget()->windowTitle(); });
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        QTest::keyClick(window().grid(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(preview, "Pellamar - Print");
        window().close();
        f_->open();
        QCOMPARE(window().recentFiles(), QStringList{f_->file("saved.csv")} + recent);
    }
    // What Save writes is what the title marks; keys reach every command; undo takes the
    // operator back to the cell; a refused entry stops the commands that read the data.
    void documentAndKeys_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char* action, const char* outcome) { QTest::newRow(action) << action << outcome; };
        row("swath width chosen", "modified, then saved: saved");
        row("undo delete all", "pan.csv saved, Ctrl+S asks nothing: pan.csv");
        row("cut", "1.5;3; | | | 1.5|3 at 1 1");
        row("select all, copy", "4 rows, 8 columns");
        row("F1", "Keyboard Shortcuts: Page Up, Page Down; Ctrl+X; Ctrl+A; F1");
        row("undo goes to the cell", "1.5 at 1 1");
        row("ctrl+z without history", "1.5 dropped");
        row("escape in a field", "12.0 stored, 12.0 shown");
        row("refused cell stops saving", "no dialog, 2a edited, # of Granules: whole numbers");
        row("menu bar takes the focus", "5 edited");
        row("escape out of a menu", "57 typed on");
        row("enter in another window", "clicked");
        row("swath on and off at 800 x 600", "same size");
        row("long hint at 800 x 600", "Pan 4: inside the window; gone after a paste that succeeds");
    }
    void documentAndKeys()
    {
        QFETCH(QString, action);
        if (action.contains("800")) f_->open(600);
        QVERIFY(writeFile(f_->file("pan.csv"), readTestFile("writer_metric.csv")));
        QVERIFY(window().loadFile(f_->file("pan.csv")));
        SampleGrid* grid = window().grid();
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier) {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : grid, k, m);
        };
        const auto saved = [&] { return QString(window().isWindowModified() ? "modified" : "saved"); };
        const auto at = [&] { return QStringLiteral(" at %1 %2").arg(grid->currentDataRow()).arg(grid->currentColumn()); };
        QString outcome;
        if (action == "swath width chosen") {
            window().resultPanel()->swathCheck()->click();
            WidthOptions* options = window().swathMode()->widthOptions();
            QTest::mouseClick(options, Qt::LeftButton, {}, options->centre(2));
            outcome = saved() + ", then ";
            f_->nextFile = f_->file("pan.csv");
            key(Qt::Key_S);
            outcome += "saved: " + saved();
        } else if (action == "undo delete all") {
            BoxWatcher yes(QMessageBox::Yes);
            key(Qt::Key_Delete);
            QTRY_VERIFY(window().currentFile().isEmpty());
            window().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window()));
            key(Qt::Key_Z);
            outcome = QFileInfo(window().currentFile()).fileName() + ' ' + saved() + ", Ctrl+S asks nothing: ";
            key(Qt::Key_S);
            outcome += QFileInfo(window().currentFile()).fileName() + f_->dialogTitles.join(',');
        } else if (action == "cut") {
            grid->setCurrentCell(1, ColWeight);
            key(Qt::Key_Down, Qt::ShiftModifier);
            key(Qt::Key_X);
            const auto weights = [&] { return shown(ds(), 1, ColWeight) + '|' + shown(ds(), 2, ColWeight); };
            outcome = QApplication::clipboard()->text().replace('\n', ';') + " | " + weights();
            grid->setCurrentCell(4, ColDead);
            key(Qt::Key_Z);
            outcome += " | " + weights() + at();
        } else if (action == "select all, copy") {
            key(Qt::Key_A);
            key(Qt::Key_C);
            const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
            outcome = QStringLiteral("%1 rows, %2 columns").arg(lines.size()).arg(lines.front().count('\t') + 1);
        } else if (action == "F1") {
            key(Qt::Key_F1, Qt::NoModifier);
            QDialog* dialog = nullptr;
            QTRY_VERIFY((dialog = window().findChild<QDialog*>()) != nullptr);
            outcome = dialog->windowTitle() + ':';
            for (const char* keys : {"Page Up, Page Down", "Ctrl+X", "Ctrl+A", "F1"})
                if (!dialog->findChild<QTableWidget*>()->findItems(keys, Qt::MatchExactly).isEmpty())
                    outcome += QStringLiteral(" %1;").arg(keys);
            outcome.chop(1);
        } else if (action == "undo goes to the cell") {
            grid->setCurrentCell(1, ColWeight);
            typeAndEnter("7");
            grid->setCurrentCell(4, ColLarvae);
            key(Qt::Key_Z);
            outcome = shown(ds(), 1, ColWeight) + at();
        } else if (action == "ctrl+z without history") {
            grid->setCurrentCell(1, ColWeight);
            QTest::keyClicks(grid, "7");
            key(Qt::Key_Z);
            outcome = grid->model()->index(0, ColWeight).data().toString() + (grid->cellEdited() ? " edited" : " dropped");
        } else if (action == "escape in a field") {
            QLineEdit* height = field(Field::ReleaseHeight);
            height->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(height, "99");
            key(Qt::Key_Escape, Qt::NoModifier);
            grid->setFocus();
            outcome = ds().fieldText(Field::ReleaseHeight) + " stored, " + height->text() + " shown";
        } else if (action == "refused cell stops saving") {
            grid->setCurrentCell(2, ColGranules);
            QTest::keyClicks(grid, "2a");
            f_->dialogTitles.clear();
            key(Qt::Key_S);
            outcome = (f_->dialogTitles.isEmpty() ? "no dialog, " : "dialog, ") + grid->model()->index(1, ColGranules).data().toString() +
                      (grid->cellEdited() ? " edited, " : " committed, ") + shownHint();
            QTest::keyClick(grid, Qt::Key_Tab);
            QTRY_COMPARE(QApplication::focusWidget(), grid); // not left while refused
        } else if (action == "menu bar takes the focus") {
            grid->setCurrentCell(1, ColLarvae);
            QTest::keyClicks(grid, "5");
            QFocusEvent toMenu(QEvent::FocusOut, Qt::MenuBarFocusReason);
            QApplication::sendEvent(grid, &toMenu);
            outcome = grid->model()->index(0, ColLarvae).data().toString() + (grid->cellEdited() ? " edited" : " committed");
        } else if (action == "escape out of a menu") {
            grid->setCurrentCell(1, ColLarvae);
            QTest::keyClicks(grid, "5");
            window().menuBar()->setFocus(Qt::MenuBarFocusReason); // as Alt+E does
            QMenu* edit = window().menuBar()->actions().at(1)->menu();
            edit->popup(window().mapToGlobal(QPoint(40, 20)));
            QTRY_VERIFY(edit->isVisible());
            QTest::keyClick(edit, Qt::Key_Escape);
            QTRY_COMPARE(window().focusWidget(), grid);
            QTest::keyClicks(grid, "7");
            outcome = grid->model()->index(0, ColLarvae).data().toString() + (grid->cellEdited() ? " typed on" : " lost");
        } else if (action == "enter in another window") {
            QDialog other(&window());
            auto* button = new QPushButton("Go", &other);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, &other, [&] { outcome = "clicked"; });
            other.show();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
        } else if (action.startsWith("long hint")) {
            grid->setCurrentCell(4, ColDead);
            QApplication::clipboard()->setText(QString(60, 'x'));
            key(Qt::Key_V);
            const auto label = [] {
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (qobject_cast<QLabel*>(top) && top->isVisible()) return top;
                return static_cast<QWidget*>(nullptr);
            };
            QVERIFY(label() != nullptr);
            outcome = shownHint().left(6) +
                      (window().frameGeometry().contains(label()->geometry()) &&
                               label()->minimumSizeHint().width() <= label()->width()
                           ? " inside the window"
                           : " outside");
            QApplication::clipboard()->setText("1");
            key(Qt::Key_V);
            outcome += shownHint().isEmpty() ? "; gone after a paste that succeeds" : "; still there";
        } else {
            const QSize before = window().size();
            window().resultPanel()->swathCheck()->click();
            window().resultPanel()->swathCheck()->click();
            QTest::qWait(20);
            outcome = window().size() == before ? "same size" : QStringLiteral("grew %1 %2 %3 %4").arg(before.width()).arg(before.height()).arg(window().width()).arg(window().height());
        }
        QTEST(outcome, "outcome");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
