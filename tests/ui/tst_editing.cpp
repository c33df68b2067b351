#include "datafile/writer.h"
#include "ui/feedback.h"
#include "ui/parameterpages.h"
#include "ui/resultpanel.h"
#include "ui/samplegrid.h"
#include "window.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QTabBar>

using namespace pellamar;
using namespace pellamar::testing;
using namespace pellamar::ui;

class TestEditing : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> f_;
    MainWindow& window() { return *f_->window; }
    DataSet& ds() { return f_->ds(); }
    QLineEdit* field(Field f) { return window().parameterPages()->field(f); }
    QString title() { return window().windowTitle() + (window().isWindowModified() ? " (modified)" : ""); }

    void open()
    {
        QVERIFY(writeFile(f_->file("pan-test.csv"), readTestFile("writer_metric.csv")));
        QVERIFY(window().loadFile(f_->file("pan-test.csv")));
    }
    void typeInGrid(int row, int column, const QString& text)
    {
        window().grid()->setFocus();
        window().grid()->setCurrentCell(row, column);
        typeAndEnter(text);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window().grid(), Qt::Key(key), modifiers);
    }
    void drop(const QString& path)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = window().rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&window(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&window(), &dropped);
        QApplication::processEvents();
    }

private slots:
    void init() { f_ = std::make_unique<WindowFixture>(); }
    void cleanup() { f_.reset(); }

    // The title names the file and marks changes; undo back to the saved state clears the
    // mark; Save As proposes the file, a failed save says why and keeps the mark; Save just saves.
    void titleFollowsTheDocument()
    {
        QCOMPARE(title(), "Tovanel Pellamar[*]");
        open();
        QCOMPARE(title(), "pan-test.csv[*] \u2014 Tovanel Pellamar");
        typeInGrid(2, ColWeight, "9");
        QCOMPARE(title(), "pan-test.csv[*] \u2014 Tovanel Pellamar (modified)");
        key(Qt::Key_Z);
        QCOMPARE(title(), "pan-test.csv[*] \u2014 Tovanel Pellamar");
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        f_->nextFile = QStringLiteral("/proc/pan-test.csv"); // takes no new files, not even root's
        BoxWatcher boxes;
        key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(boxes.boxes.size(), 1);
        // The file and its folder named first, then the reason.
        QVERIFY(boxes.boxes[0].startsWith(
            BoxWatcher::text(QMessageBox::Critical, "The data set could not be saved as \"pan-test.csv\" in the folder /proc.\n\n" +
                                                        datafile::saveErrorMessage({}))));
        QCOMPARE(f_->lastRequest.name, f_->file("pan-test.csv"));
        QVERIFY(window().isWindowModified());
        f_->nextFile = f_->file("saved.csv");
        window().commands().saveAs->trigger();
        QCOMPARE(title(), "saved.csv[*] \u2014 Tovanel Pellamar");
        QCOMPARE(shown(ds(), 2, ColWeight), "9");
        window().editor().setCells({{3, ColWeight, "8"}});
        QVERIFY(window().saveDataSet() && f_->dialogTitles.size() == 2);
        QVERIFY(fileBytes(f_->nextFile).contains("\r\n10,8,,,,"));
    }

    // Closing, loading (button, Ctrl+L, a dropped file) and deleting all data ask first when
    // there are unsaved changes; Save runs the save, whose failure or cancel stops them.
    void unsavedChangesAsk_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("chosen"); // what a file dialog answers; empty: cancelled
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char* action, int answer, const char* chosen, const char* outcome) {
            QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(action).arg(answer)))
                << action << answer << chosen << outcome;
        };
        const int save = QMessageBox::Save, discard = QMessageBox::Discard, cancel = QMessageBox::Cancel;
        row("close", cancel, "", "shown modified pan-test.csv rows 4 | question");
        row("close", discard, "", "hidden modified pan-test.csv rows 4 | question");
        row("close", save, "", "hidden saved pan-test.csv rows 4 | question");
        row("load button, unsavable", save, "", "shown modified pan-test.csv rows 4 | question failed");
        row("ctrl+L", discard, "other.csv", "shown saved other.csv rows 4 | question Load Data Set");
        row("ctrl+L, nothing changed", discard, "bad.csv", "shown saved pan-test.csv rows 4 | invalid Load Data Set");
        row("drop", discard, "", "shown saved other.csv rows 4 | question");
        row("ctrl+delete", save, "", "shown modified  rows 0 | delete");
        row("ctrl+delete", cancel, "", "shown modified pan-test.csv rows 4 | delete");
        row("ctrl+delete, nothing changed", QMessageBox::Yes, "", "shown modified  rows 0 | sure");
        row("ctrl+delete, nothing changed", QMessageBox::No, "", "shown saved pan-test.csv rows 4 | sure");
        row("ctrl+delete, swath analysis on", QMessageBox::Yes, "", "shown modified pan-test.csv rows 4 |");
    }
    void unsavedChangesAsk()
    {
        QFETCH(QString, action);
        QFETCH(int, answer);
        QFETCH(QString, chosen);
        open();
        QVERIFY(writeFile(f_->file("other.csv"), readTestFile("writer_us.csv")));
        QVERIFY(writeFile(f_->file("bad.csv"), "hello\r\nworld\r\n"));
        if (!action.contains("nothing changed")) typeInGrid(2, ColGranules, "7");
        if (action.contains("unsavable"))
            QVERIFY(QFile::remove(f_->file("pan-test.csv")) && QDir().mkdir(f_->file("pan-test.csv")));
        f_->nextFile = chosen.isEmpty() ? QString() : f_->file(chosen);
        f_->dialogTitles.clear();
        BoxWatcher boxes{QMessageBox::StandardButton(answer)};
        if (action == "close") window().close();
        if (action.startsWith("load button")) QTest::mouseClick(window().loadButton(), Qt::LeftButton);
        if (action.startsWith("ctrl+L")) key(Qt::Key_L);
        if (action.startsWith("drop")) drop(f_->file("other.csv"));
        if (action.contains("swath")) window().resultPanel()->swathCheck()->click();
        if (action.startsWith("ctrl+delete")) key(Qt::Key_Delete);
        const QString sure = "Are you sure you want to delete all data?";
        const QMap<QString, QString> known{
            {BoxWatcher::text(QMessageBox::Question, "Save changes to pan-test.csv?"), " question"},
            {BoxWatcher::text(QMessageBox::Question, sure), " sure"},
            {BoxWatcher::text(QMessageBox::NoIcon, "'bad.csv' does not appear to be a valid data set."), " invalid"},
            {BoxWatcher::text(QMessageBox::Question, sure + "\n\nThe changes to pan-test.csv are not saved."),
             " delete"}};
        QString asked;
        for (const QString& box : boxes.boxes) asked += known.value(box, box.startsWith("3: ") ? " failed" : box);
        QTEST(QStringLiteral("%1 %2 %3 rows %4 |%5 %6")
                  .arg(window().isVisible() ? "shown" : "hidden", window().isWindowModified() ? "modified" : "saved",
                       QFileInfo(window().currentFile()).fileName())
                  .arg(ds().lastDataRow())
                  .arg(asked, f_->dialogTitles.join(','))
                  .trimmed(),
              "outcome");
    }

    // Every kind of change is one step back and forth, results and graphs following.
    void everyChangeUndoes_data()
    {
        QTest::addColumn<QString>("change");
        for (const char* change : {"cleared row", "row added", "field in U.S. units", "opening type", "control data",
                                   "unit switch", "reset"})
            QTest::newRow(change) << change;
    }
    void everyChangeUndoes()
    {
        QFETCH(QString, change);
        open();
        SampleGrid* grid = window().grid();
        ParameterPages* pages = window().parameterPages();
        if (change == "field in U.S. units") pages->unitOption(false)->click();
        const QStringList before = snapshot(ds());
        if (change == "cleared row") {
            typeInGrid(2, ColWeight, {});
            key(Qt::Key_Delete, Qt::ShiftModifier);
        }
        if (change == "row added") typeInGrid(ds().dataRowCount(), ColDead, "1");
        if (change == "field in U.S. units") {
            field(Field::SwathWidth)->setFocus(Qt::TabFocusReason);
            typeAndEnter("40");
        }
        if (change == "opening type") {
            pages->samplerType()->setFocus();
            key(Qt::Key_Down, Qt::NoModifier);
        }
        if (change == "control data") {
            QTest::mouseClick(window().controlDataButton(), Qt::LeftButton);
            for (const char* text : {"10", "24", "1", ""}) typeAndEnter(text);
        }
        if (change == "unit switch") {
            pages->selectPage(ParameterPages::UnitsPage);
            QApplication::processEvents();
            // On the button's circle: the rest of its row takes no click.
            QTest::mouseClick(pages->unitOption(false), Qt::LeftButton, {}, QPoint(8, 10));
        }
        if (change == "reset") {
            BoxWatcher yes(QMessageBox::Yes);
            key(Qt::Key_Delete);
            window().activateWindow();
        }
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        const QStringList after = snapshot(ds());
        QVERIFY(window().isWindowModified());
        QVERIFY(after != before);
        for (auto [key, modifiers, expected] :
             {std::tuple{Qt::Key_Z, Qt::KeyboardModifiers(Qt::ControlModifier), &before},
              {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, &after},
              {Qt::Key_Z, Qt::KeyboardModifiers(Qt::ControlModifier), &before},
              {Qt::Key_Y, Qt::KeyboardModifiers(Qt::ControlModifier), &after}}) {
            grid->setFocus();
            QTest::keyClick(grid, key, modifiers);
            QCOMPARE(snapshot(ds()), *expected);
            QCOMPARE(pages->field(Field::SwathWidth)->text(), ds().fieldText(Field::SwathWidth));
        }
        // The analysis locks editing, its history included.
        if (!ds().canAnalyseSwath()) return;
        window().resultPanel()->swathCheck()->click();
        QTest::keyClick(window().resultPanel()->swathCheck(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(snapshot(ds()), after);
    }

    // A number field keeps every key typed or pasted; Enter or leaving commits it only when it
    // keeps the field's rule, else the field keeps the text and the focus with the hint, until
    // Escape shows the stored value again.
    void refusedInput_data()
    {
        QTest::addColumn<Field>("field");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown"); // after Enter, and the hint
        const auto row = [](const char* name, Field f, bool pasted, const char* text, const QString& shown) {
            QTest::newRow(name) << f << pasted << QString(text) << shown;
        };
        const QString height = " | Release Height: digits and one decimal point";
        row("typed second point", Field::ReleaseHeight, false, "1.2.3x", "1.2.3x" + height);
        row("pasted decimal comma", Field::ReleaseHeight, true, "0,58", "0,58" + height);
        row("pasted minus", Field::Separation, true, "-2", "-2 | Separation: digits and one decimal point");
        row("zero separation", Field::Separation, false, "0", "0 | Separation: a number above 0");
        row("emptied position", Field::Position1, false, "\b", " | Position 1: a value is needed");
        row("pasted sign in position", Field::Position1, true, "-2.5", "-2.5 | ");
    }
    void refusedInput()
    {
        QFETCH(Field, field);
        QFETCH(bool, pasted);
        QFETCH(QString, text);
        open();
        window().parameterPages()->selectPage(field < Field::OpeningArea ? ParameterPages::SprayerPage
                                                                         : ParameterPages::SamplerPage);
        QLineEdit* edit = this->field(field);
        const QString stored = ds().fieldText(field);
        edit->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(edit->hasSelectedText());
        if (pasted) QApplication::clipboard()->setText(text);
        pasted ? QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier) : QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QTEST(edit->text() + " | " + shownHint(), "shown");
        if (shownHint().isEmpty()) return;
        QCOMPARE(ds().fieldText(field), stored);
        QTest::keyClick(edit, Qt::Key_Tab); // not left while refused
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(ds().fieldText(field), stored);
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(edit->text() + " | " + shownHint(), stored + " | ");
        QVERIFY(!edit->property("refused").toBool() && !window().isWindowModified());
    }

    // The focus stays where the operator left it: no commit or selection when the window is
    // left and re-entered; a tab click keeps the focus on the tabs.
    void focusStaysWhereLeft()
    {
        QCOMPARE(QApplication::focusWidget(), window().grid());
        QCOMPARE(window().grid()->currentDataRow() * 10 + window().grid()->currentColumn(), 11);
        open();
        QLineEdit* height = field(Field::ReleaseHeight);
        QTest::mouseClick(height, Qt::LeftButton);
        QTRY_VERIFY(height->hasSelectedText());
        QTest::keyClicks(height, "7");
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(ds().fieldText(Field::ReleaseHeight), "12.0");
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QTest::keyClicks(height, "5");
        QCOMPARE(height->text(), "75");

        QTabBar* tabs = window().parameterPages()->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(ParameterPages::MeteorologyPage).center());
        QCOMPARE(ds().fieldText(Field::ReleaseHeight), "75.0");
        QCOMPARE(QApplication::focusWidget(), tabs);
        QVERIFY(!field(Field::MetHeight)->hasSelectedText());
        QTest::keyClick(tabs, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), field(Field::MetHeight));
        // The arrows wrap around the ends of the tab strip.
        for (auto [key, index] :
             {std::pair{Qt::Key_Left, 1}, {Qt::Key_Left, 0}, {Qt::Key_Left, 4}, {Qt::Key_Right, 0}}) {
            QTest::keyClick(tabs, key);
            QCOMPARE(tabs->currentIndex(), index);
        }
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
