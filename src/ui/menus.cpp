// The main window's menu bar: every command of the window, with the keys that run it.

#include "core/settings.h"
#include "ui/feedback.h"
#include "ui/mainwindow.h"
#include "ui/resultpanel.h"
#include "ui/samplegrid.h"
#include "ui/swathmode.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

namespace pellamar::ui {

namespace {

// The keys the focused control takes itself, as Help lists them after the commands' own.
const std::array<std::pair<const char*, const char*>, 19> kControlKeys{{
    {"Enter, keypad Enter", "Grid: next cell; fields: next field; a button: press it"},
    {"Space", "Press the button or tick the box with the focus"},
    {"Escape", "Drop the typing in a cell or field; close a dialog or the print window"},
    {"Arrow keys", "Grid: move between cells"},
    {"Page Up, Page Down", "Grid: a screen of pans up or down"},
    {"Home, End", "Grid: first or last column of the pan"},
    {"Ctrl+Home, Ctrl+End", "Grid: first or last pan"},
    {"Shift+arrow keys", "Grid: select a block of cells (or drag with the mouse)"},
    {"Ctrl+Tab, Ctrl+Shift+Tab", "Grid: next or previous column"},
    {"Tab, Shift+Tab", "Leave the grid; next or previous field"},
    {"Delete", "Grid: clear the cell"},
    {"Shift+Delete", "Grid: clear the pan's row"},
    {"", ""}, // the clipboard commands' rows go here
    {"Backspace", "Grid: remove the last character typed"},
    {"-", "Position 1: change the sign"},
    {"Arrow keys, Home, End", "Swath analysis: choose the width"},
    {"Page Up, Page Down", "Swath analysis: ten widths at a time"},
    {"Page Up, Page Down, Home, End", "Print window: previous, next, first or last page"},
    {"Alt+F, Alt+E, Alt+V, Alt+H", "Open a menu (Escape closes it)"},
}};

QAction* command(QMenu* menu, const QString& text, const QList<QKeySequence>& keys = {})
{
    QAction* action = menu->addAction(text);
    action->setShortcuts(keys);
    return action;
}

// The clipboard keys are the focused grid's or field's own (a field edits its text with them);
// the menu names them and runs the same on the grid.
QAction* controlCommand(QMenu* menu, const QString& text, QKeySequence::StandardKey key)
{
    QAction* action = menu->addAction(text);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetShortcut);
    return action;
}

// A key as Help names it: "Ctrl+Delete" rather than the menu's short "Ctrl+Del".
QString keyName(const QKeySequence& key)
{
    QString name = key.toString(QKeySequence::NativeText);
    if (name == u"Del" || name.endsWith(u"+Del")) {
        name += QStringLiteral("ete");
    }
    return name;
}

// The keys of one command, or of a run of commands ("Ctrl+1 \u2026 Ctrl+5").
QString keysOf(const QList<QAction*>& actions)
{
    if (actions.size() > 1) {
        return keyName(actions.front()->shortcut()) + QStringLiteral(" \u2026 ") +
               keyName(actions.back()->shortcut());
    }
    QStringList names;
    for (const QKeySequence& key : actions.front()->shortcuts()) {
        names << keyName(key);
    }
    return names.join(QStringLiteral(", "));
}

QKeySequence ctrl(int key)
{
    return QKeySequence(Qt::CTRL | key);
}

// A check box or option button and a checkable command stay one choice.
void mirror(QAction* action, QAbstractButton* button)
{
    action->setCheckable(true);
    QObject::connect(action, &QAction::triggered, button, [button, action] {
        if (button->isChecked() != action->isChecked()) {
            button->click();
        }
        action->setChecked(button->isChecked());
    });
    QObject::connect(button, &QAbstractButton::toggled, action, &QAction::setChecked);
    action->setChecked(button->isChecked());
}

} // namespace

QMenu* MainWindow::buildEditMenu()
{
    Commands& c = commands_;
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addActions({undo_, redo_});
    edit->addSeparator();
    c.cut = controlCommand(edit, QStringLiteral("Cu&t"), QKeySequence::Cut);
    c.copy = controlCommand(edit, QStringLiteral("&Copy"), QKeySequence::Copy);
    c.paste = controlCommand(edit, QStringLiteral("&Paste"), QKeySequence::Paste);
    c.selectAll = controlCommand(edit, QStringLiteral("Select &All"), QKeySequence::SelectAll);
    edit->addSeparator();
    c.deleteAll = command(edit, QStringLiteral("&Delete All Data\u2026"), {ctrl(Qt::Key_Delete)});
    c.controlData = command(edit, QStringLiteral("C&ontrol Data\u2026"));
    // A parameter field with the focus takes them as its own keys would; otherwise the grid.
    const auto fieldInFocus = [this] { return qobject_cast<QLineEdit*>(focusWidget()); };
    connect(c.cut, &QAction::triggered, this, [this, fieldInFocus] {
        QLineEdit* field = fieldInFocus();
        field ? field->cut() : grid_->cutSelection();
    });
    connect(c.selectAll, &QAction::triggered, this, [this, fieldInFocus] {
        QLineEdit* field = fieldInFocus();
        field ? field->selectAll() : grid_->selectAll();
    });
    connect(c.copy, &QAction::triggered, this, [this, fieldInFocus] {
        QLineEdit* field = fieldInFocus();
        if (field) {
            field->copy();
        } else {
            grid_->copySelection();
        }
    });
    connect(c.paste, &QAction::triggered, this, [this, fieldInFocus] {
        QLineEdit* field = fieldInFocus();
        field ? field->paste() : grid_->paste();
    });
    connect(c.deleteAll, &QAction::triggered, this, &MainWindow::deleteAllData);
    connect(c.controlData, &QAction::triggered, this, &MainWindow::openControlData);
    return edit;
}

// The limit the proposal and the result line work at, kept in the settings.
void MainWindow::buildCovLimitMenu(QMenu* view)
{
    Commands& c = commands_;
    c.covLimit = view->addMenu(QStringLiteral("COV &Limit"));
    auto* limits = new QActionGroup(this);
    for (std::size_t i = 0; i < kCovLimitPercents.size(); ++i) {
        const int percent = kCovLimitPercents[i];
        QAction* action = c.covLimit->addAction(QStringLiteral("%1 %").arg(percent));
        action->setCheckable(true);
        action->setChecked(percent == swathMode_->covLimitPercent());
        limits->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, percent] { swathMode_->setCovLimit(percent); });
        c.covLimits.at(i) = action;
    }
}

void MainWindow::buildMenus()
{
    Commands& c = commands_;
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    c.load = command(file, QStringLiteral("&Load Data Set\u2026"),
                     {ctrl(Qt::Key_L), QKeySequence::Open});
    c.average = command(file, QStringLiteral("A&verage Passes\u2026"));
    c.save = command(file, QStringLiteral("&Save Data Set"), {ctrl(Qt::Key_S)});
    c.saveAs = command(file, QStringLiteral("Save Data Set &As\u2026"),
                       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    c.recent = file->addMenu(QStringLiteral("&Recent Data Sets"));
    file->addSeparator();
    c.printPreview = command(file, QStringLiteral("&Print Preview\u2026"), {ctrl(Qt::Key_P)});
    c.exportPdf = command(file, QStringLiteral("&Export Report as PDF\u2026"));
    file->addSeparator();
    c.quit = command(file, QStringLiteral("&Quit"), {ctrl(Qt::Key_Q)});
    connect(c.load, &QAction::triggered, this, &MainWindow::loadDataSet);
    connect(c.average, &QAction::triggered, this, &MainWindow::averagePasses);
    connect(c.save, &QAction::triggered, this, &MainWindow::saveDataSet);
    connect(c.saveAs, &QAction::triggered, this, &MainWindow::saveDataSetAs);
    connect(c.printPreview, &QAction::triggered, this, &MainWindow::openPrintPreview);
    connect(c.exportPdf, &QAction::triggered, this, &MainWindow::exportPdf);
    connect(c.quit, &QAction::triggered, this, &MainWindow::close);

    QMenu* edit = buildEditMenu();

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    auto* results = new QActionGroup(this);
    const std::array<const char*, 5> names{"&Deposit", "&CDF", "Granule De&nsity",
                                           "&Granules per Gram", "&Mortality"};
    for (int option = 1; option <= 5; ++option) {
        QAction*& action = c.results.at(std::size_t(option - 1));
        action = command(view, QString::fromUtf8(names.at(std::size_t(option - 1))),
                         {ctrl(Qt::Key_0 + option)});
        results->addAction(action);
        mirror(action, results_->graphOption(option));
    }
    view->addSeparator();
    c.swath = command(view, QStringLiteral("&Swath Analysis"));
    mirror(c.swath, results_->swathCheck());
    auto* sources = new QActionGroup(this);
    c.deposit = command(view, QStringLiteral("Analyse D&eposit"));
    c.density = command(view, QStringLiteral("Analyse Dens&ity"));
    for (auto [action, source] : {std::pair{c.deposit, swath::Source::Deposit},
                                  std::pair{c.density, swath::Source::Density}}) {
        sources->addAction(action);
        mirror(action, swathMode_->sourceOption(source));
    }
    c.racetrack = command(view, QStringLiteral("&Racetrack Pattern"));
    mirror(c.racetrack, swathMode_->racetrack());
    buildCovLimitMenu(view);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    c.shortcuts = command(help, QStringLiteral("&Keyboard Shortcuts"), {QKeySequence(Qt::Key_F1)});
    c.about = command(help, QStringLiteral("&About Pellamar"));
    connect(c.shortcuts, &QAction::triggered, this, &MainWindow::showShortcuts);
    connect(c.about, &QAction::triggered, this, &MainWindow::showAbout);

    for (QMenu* menu : {file, edit, view}) {
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateCommands);
    }
    for (QMenu* menu : {file, edit, view, help}) {
        connect(menu, &QMenu::aboutToHide, this, &MainWindow::returnFocusAfterMenu);
    }
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now != menuBar() && now->window() == this) {
            lastFocus_ = now;
        }
    });
    connect(c.recent, &QMenu::aboutToShow, this, &MainWindow::fillRecentMenu);
    connect(results_, &ResultPanel::graphSelected, this, &MainWindow::updateCommands);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &MainWindow::updateCommands);
    fillRecentMenu();
}

void MainWindow::updateCommands()
{
    if (commands_.load == nullptr) {
        return;
    }
    const Commands& c = commands_;
    const bool hasData = dataSet_.hasData();
    // Ctrl+S saves a first value still being typed: it is committed first.
    const bool savable = hasData || grid_->cellEdited();
    c.save->setEnabled(savable);
    c.saveAs->setEnabled(savable);
    c.recent->setEnabled(!recentFiles().isEmpty());
    c.printPreview->setEnabled(hasData);
    c.exportPdf->setEnabled(hasData);
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    for (QAction* action : {c.cut, c.copy, c.selectAll}) {
        action->setEnabled(!swathOn_);
    }
    c.paste->setEnabled(!swathOn_ && clipboard && clipboard->hasText());
    c.deleteAll->setEnabled(hasData && !swathOn_);
    for (QAction* option : c.results) {
        option->setEnabled(hasData);
    }
    c.swath->setEnabled(results_->swathCheck()->isVisibleTo(results_) &&
                        results_->swathCheck()->isEnabled());
    for (QAction* choice : {c.deposit, c.density, c.racetrack}) {
        choice->setEnabled(swathOn_);
    }
}

void MainWindow::returnFocusAfterMenu()
{
    // After the menu has closed: moving to the next menu opens another popup at once.
    QTimer::singleShot(0, this, [this] {
        if (!QApplication::activePopupWidget() && focusWidget() == menuBar() && lastFocus_ &&
            lastFocus_->isVisible()) {
            lastFocus_->setFocus(Qt::MenuBarFocusReason);
        }
    });
}

void MainWindow::fillRecentMenu()
{
    QMenu* menu = commands_.recent;
    if (menu == nullptr) {
        return;
    }
    menu->clear();
    const QStringList& recent = recentFiles();
    for (int i = 0; i < recent.size(); ++i) {
        // The home folder as "~", so that the names, not the folders, fill the menu.
        QString text = recent.at(i);
        if (text.startsWith(QDir::homePath() + u'/')) {
            text.replace(0, QDir::homePath().size(), QStringLiteral("~"));
        }
        text = QDir::toNativeSeparators(text);
        text.replace(u'&', QStringLiteral("&&"));
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(text));
        const QString path = recent.at(i);
        connect(action, &QAction::triggered, this, [this, path] { openRecentFile(path); });
    }
    menu->setEnabled(!recent.isEmpty());
}

void MainWindow::openRecentFile(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        document_.forgetRecentFile(path);
        QMessageBox::warning(this, kProgramName,
                             QStringLiteral("%1 no longer exists; it is removed from the recent "
                                            "data sets.")
                                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (commitEdits() && settleChanges()) {
        loadFile(path);
    }
}

void MainWindow::averagePasses()
{
    if (!commitEdits() || !settleChanges()) {
        return;
    }
    FileRequest request{false, QStringLiteral("Average Passes"), document_.folder(), {}};
    request.multiple = true;
    const QStringList paths = filesChooser_(request);
    if (!paths.isEmpty()) {
        averageFiles(paths);
    }
}

bool MainWindow::averageFiles(const QStringList& paths)
{
    return opened(document_.average(paths));
}

QList<std::pair<QString, QString>> MainWindow::keyList() const
{
    const Commands& c = commands_;
    const QList<QAction*> results(c.results.begin(), c.results.end());
    const std::array<std::pair<QList<QAction*>, const char*>, 10> commands{{
        {{c.load}, "Load a data set"},
        {{c.save}, "Save the data set"},
        {{c.saveAs}, "Save the data set as a new file"},
        {{c.printPreview}, "Print preview"},
        {{c.quit}, "Quit"},
        {{undo_}, "Undo (first the typing in a cell or field)"},
        {{redo_}, "Redo"},
        {results, "Show kg/ha, CDF, #/m\u00b2, Gran./g or Mortality"},
        {{c.deleteAll}, "Delete all data"},
        {{c.shortcuts}, "This list of keys"},
    }};
    QList<std::pair<QString, QString>> keys;
    for (const auto& [actions, what] : commands) {
        keys.append({keysOf(actions), QString::fromUtf8(what)});
    }
    for (const auto& [names, what] : kControlKeys) {
        if (*names != 0) {
            keys.append({QString::fromUtf8(names), QString::fromUtf8(what)});
            continue;
        }
        for (const auto& [action, clip] :
             {std::pair{c.cut, "Grid: cut the selected cells (copy, then clear the inputs)"},
              std::pair{c.copy, "Grid: copy the selected cells"},
              std::pair{c.paste, "Grid: paste from the current cell"},
              std::pair{c.selectAll, "Grid: select every pan; fields: select the text"}}) {
            keys.append({keysOf({action}), QString::fromUtf8(clip)});
        }
    }
    return keys;
}

void MainWindow::showShortcuts()
{
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Keyboard Shortcuts"));
    const QList<std::pair<QString, QString>> keys = keyList();
    auto* table = new QTableWidget(int(keys.size()), 2, dialog);
    table->setHorizontalHeaderLabels({QStringLiteral("Keys"), QStringLiteral("Action")});
    for (int row = 0; row < table->rowCount(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(keys.at(row).first));
        table->setItem(row, 1, new QTableWidgetItem(keys.at(row).second));
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog->resize(620, 520);
    dialog->open();
}

void MainWindow::showAbout()
{
    QMessageBox::about(this, QStringLiteral("About Pellamar"),
                       QStringLiteral("Pellamar %1\n\nAnalyses how evenly a spreader lays down a "
                                      "granular product across a line of collecting pans.\n\n"
                                      "Licence: MIT\nQt %2 (built with Qt %3)")
                           .arg(QStringLiteral(PELLAMAR_VERSION), QString::fromLatin1(qVersion()),
                                QStringLiteral(QT_VERSION_STR)));
}

} // namespace pellamar::ui
