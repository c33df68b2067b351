#include "ui/mainwindow.h"

#include "core/settings.h"
#include "datafile/reader.h"
#include "datafile/writer.h"
#include "ui/controldatadialog.h"
#include "ui/feedback.h"
#include "ui/longtask.h"
#include "ui/onscreen.h"
#include "ui/parameterpages.h"
#include "ui/previewwindow.h"
#include "ui/resultpanel.h"
#include "ui/samplegrid.h"
#include "ui/samplegridmodel.h"
#include "ui/swathmode.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace pellamar::ui {

namespace {

const QString kCaption = QStringLiteral("Tovanel Pellamar");
QStringList chooseWithDialog(QWidget* parent, const MainWindow::FileRequest& request)
{
    const QString filter = request.suffix == u"pdf"
                               ? QStringLiteral("PDF files (*.pdf)")
                               : QStringLiteral("Comma-Separated Values File (*.csv)");
    QFileDialog dialog(parent, request.title, request.folder, filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (request.save) {
        dialog.setDefaultSuffix(request.suffix);
    }
    if (!request.name.isEmpty()) {
        dialog.selectFile(request.name);
    }
    if (request.multiple) {
        dialog.setFileMode(QFileDialog::ExistingFiles);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles();
}

// The data-set file being dragged, if it is one local .csv file.
QString draggedDataSet(const QMimeData* mime)
{
    const QList<QUrl> urls = mime ? mime->urls() : QList<QUrl>{};
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return {};
    }
    const QString path = urls.front().toLocalFile();
    return QFileInfo(path).suffix().compare(u"csv", Qt::CaseInsensitive) == 0 ? path : QString();
}

} // namespace

QString screenWarningText(int width, int height)
{
    const QString times(QChar(0x00D7));
    return QStringLiteral("Your screen resolution is currently set to ") + QString::number(width) +
           times + QString::number(height) +
           QStringLiteral(".\n\nPellamar was designed to run at a minimum resolution\nof 800") +
           times + QStringLiteral("600, and preferably 1024") + times +
           QStringLiteral("768 or higher.\n\nClick OK to access the display settings.");
}

MainWindow::MainWindow(SettingsStore& settings, bool metric, int screenHeight, QWidget* parent)
    : QMainWindow(parent)
    , settings_(settings)
    , dataSet_(metric)
    , document_(dataSet_, readRecentFiles(settings), readInitialDir(settings))
{
    setAcceptDrops(true);
    chooser_ = [this](const FileRequest& request) {
        return chooseWithDialog(this, request).value(0);
    };
    filesChooser_ = [this](const FileRequest& request) { return chooseWithDialog(this, request); };

    pages_ = new ParameterPages(document_.editor());
    grid_ = new SampleGrid(document_.editor());
    results_ = new ResultPanel(dataSet_);
    load_ = new QPushButton(QStringLiteral("Load Data Set"));
    save_ = new QPushButton(QStringLiteral("Save Data Set"));
    control_ = new QPushButton(QStringLiteral("Control Data"));
    connect(load_, &QPushButton::clicked, this, &MainWindow::loadDataSet);
    connect(save_, &QPushButton::clicked, this, &MainWindow::saveDataSet);
    connect(control_, &QPushButton::clicked, this, &MainWindow::openControlData);
    print_ = new QPushButton(QStringLiteral("Print Report"));
    print_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    print_->hide();
    connect(print_, &QPushButton::clicked, this, &MainWindow::openPrintPreview);
    currentPrinter_ = QPrinterInfo::defaultPrinterName();
    swathMode_ = new SwathMode(dataSet_, this);
    swathMode_->setCovLimit(readCovLimit(settings_));
    connect(swathMode_, &SwathMode::statisticsChanged, results_, &ResultPanel::setSwathStatistics);
    connect(swathMode_, &SwathMode::averageCaptionChanged, results_,
            &ResultPanel::setAverageCaption);
    connect(results_->swathCheck(), &QCheckBox::toggled, this, &MainWindow::switchSwathAnalysis);
    connect(swathMode_, &SwathMode::choiceChanged, &document_, &document::Document::choiceChanged);
    connect(&document_, &document::Document::changed, this, [this] {
        updateTitle();
        fillRecentMenu();
    });
    connect(pages_, &ParameterPages::unitsSwitched, swathMode_, &SwathMode::redraw);
    grid_->gridModel()->setSpread([this](int row) { return document_.passSpread(row); });
    connect(&document_, &document::Document::passesChanged, this, [this] {
        results_->setPasses(document_.passes());
        grid_->gridModel()->spreadChanged();
    });
    connect(&dataSet_, &DataSet::recalculated, this, &MainWindow::followDataSet);
    connect(&dataSet_, &DataSet::resetDone, this, &MainWindow::followDataSet);
    // Save takes a first value still being typed: typing in a cell may enable it.
    connect(grid_->gridModel(), &QAbstractItemModel::dataChanged, this,
            &MainWindow::updateCommands);

    buildLayout(screenHeight);
    pages_->selectPage(ParameterPages::SprayerPage);
    dataSet_.applyUnits();
    dataSet_.clearDataSet(readSamplerSettings(settings_));
    resetView();
    buildHistoryActions();
    buildMenus();
    updateCommands();
    // The compact arrangement keeps its height for a title bar on a 600-pixel screen: its grid
    // is fixed and the pages above it give the menu bar room. The normal one grows by it.
    resize(compact_ ? QSize(800, 560) : QSize(1000, 700 + menuBar()->sizeHint().height()));
    updateTitle();
    // The first keys go to grid cell (1,1), which is drawn current.
    grid_->setFocus();
    pressButtonsOnEnter();
}

void MainWindow::buildHistoryActions()
{
    undo_ = new QAction(QStringLiteral("Undo"), this);
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = new QAction(QStringLiteral("Redo"), this);
    redo_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(undo_, &QAction::triggered, this, &MainWindow::undo);
    connect(redo_, &QAction::triggered, this, &MainWindow::redo);
    addActions({undo_, redo_});
    QUndoStack& history = document_.editor().history();
    const auto enable = [this] {
        // Editing is locked during swath analysis, and so is its history.
        undo_->setEnabled(!swathOn_ && document_.editor().history().canUndo());
        redo_->setEnabled(!swathOn_ && document_.editor().history().canRedo());
    };
    connect(&history, &QUndoStack::canUndoChanged, this, enable);
    connect(&history, &QUndoStack::canRedoChanged, this, enable);
    // A change that went through says nothing more about an earlier refusal.
    connect(&history, &QUndoStack::indexChanged, this, &clearHint);
    connect(results_->swathCheck(), &QCheckBox::toggled, this, enable);
    enable();
}

void MainWindow::updateTitle()
{
    const QString file = document_.file();
    setWindowFilePath(file);
    setWindowTitle(file.isEmpty()
                       ? kCaption + QStringLiteral("[*]")
                       : QFileInfo(file).fileName() + QStringLiteral("[*] \u2014 ") + kCaption);
    setWindowModified(document_.modified());
}

bool MainWindow::commitEdits()
{
    return grid_->commitCell() && pages_->commitEdit();
}

bool MainWindow::settleChanges()
{
    if (!document_.modified()) {
        return true;
    }
    QMessageBox box(QMessageBox::Question, kProgramName,
                    QStringLiteral("Save changes to %1?").arg(document_.name()),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return saveDataSet();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void MainWindow::undo()
{
    if (swathOn_) {
        return;
    }
    // Typing not yet committed is what the operator takes back first.
    if (grid_->cellEdited()) {
        grid_->cancelEdit();
        return;
    }
    if (pages_->commitEdit()) {
        document_.editor().history().undo();
    }
}

void MainWindow::redo()
{
    if (swathOn_) {
        return;
    }
    if (commitEdits()) {
        document_.editor().history().redo();
    }
}

MainWindow::~MainWindow()
{
    // The history, cleared as the document goes, must not reach a window half taken down.
    disconnect(&document_, nullptr, this, nullptr);
    // The views ask the data set for its rows while they are hidden and taken down, which the
    // base class would do only after the data set is gone.
    delete swathMode_;
    delete takeCentralWidget();
}

void MainWindow::buildLayout(int screenHeight)
{
    compact_ = screenHeight < kCompactBelow;

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {load_, save_, control_, print_}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addWidget(swathMode_->sourceFrame());
    buttons->addStretch();

    const int gridWidth =
        SampleGrid::kPositionWidth + 4 * SampleGrid::kInputWidth + 4 * SampleGrid::kResultWidth +
        grid_->verticalScrollBar()->sizeHint().width() + 2 * grid_->frameWidth() + 2;
    // The grid grows with the window; its columns share the room.
    grid_->setMinimumWidth(gridWidth);
    if (compact_) {
        grid_->setFixedHeight(kCompactGridHeight);
    } else {
        grid_->setMinimumHeight(kCompactGridHeight);
    }

    auto* central = new QWidget;
    auto* layout = new QGridLayout(central);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(8);
    layout->addWidget(pages_, 0, 0);
    layout->addWidget(results_, 0, 1, 1, 2);
    layout->addWidget(grid_, 1, 0, 1, 2);
    // The swath panel takes the grid's place while the analysis is on.
    layout->addWidget(swathMode_->panel(), 1, 0, 1, 2);
    layout->addLayout(buttons, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);
    pages_->setMinimumWidth(300);
    setCentralWidget(central);
}

void MainWindow::resetView()
{
    pages_->refresh();
    grid_->gridModel()->refreshHeadings();
    grid_->setCurrentCell(1, 1);
    followDataSet();
}

void MainWindow::followDataSet()
{
    save_->setEnabled(dataSet_.hasData());
    updateCommands();
}

swath::SwathChoice MainWindow::swathChoice() const
{
    return swathMode_->choice();
}

float MainWindow::covLimit() const
{
    return swath::covLimit(swathMode_->covLimitPercent());
}

void MainWindow::switchSwathAnalysis(bool on)
{
    if (on == swathOn_ && on == swathMode_->panel()->isVisible()) {
        return;
    }
    if (on && !commitEdits()) {
        results_->swathCheck()->setChecked(false);
        return;
    }
    swathOn_ = on;
    const QSize before = size();
    if (on) {
        grid_->hide();
    }
    pages_->setSwathLocked(on);
    results_->showSwathStatistics(on);
    // The button is the analysis's own; the menu and Ctrl+P print whenever there are data.
    print_->setVisible(on);
    if (on) {
        if (!swathMode_->switchOn()) {
            results_->swathCheck()->setChecked(false);
        }
    } else {
        swathMode_->switchOff();
        grid_->show();
    }
    // The grid and the panel take turns in one place: the window keeps its size. Until the
    // layout has settled, the grid shown beside the swath statistics would grow it past a small
    // screen.
    if (!isMaximized() && !isFullScreen()) {
        QTimer::singleShot(0, this, [this, before] {
            layout()->invalidate();
            layout()->activate();
            resize(before);
        });
    }
    updateCommands();
}

void MainWindow::loadDataSet()
{
    if (!commitEdits() || !settleChanges()) {
        return;
    }
    const QString path = chooser_({false, QStringLiteral("Load Data Set"), document_.folder(), {}});
    if (path.isEmpty()) {
        return;
    }
    loadFile(path);
}

bool MainWindow::loadFile(const QString& path)
{
    return opened(document_.load(path));
}

bool MainWindow::opened(const QString& message)
{
    if (!message.isEmpty()) {
        QMessageBox box(QMessageBox::NoIcon, kProgramName, message, QMessageBox::Ok, this);
        box.exec();
        activateWindow();
        load_->setFocus();
        return false;
    }
    resetView();
    return true;
}

bool MainWindow::analyseSwath(const swath::SwathChoice& choice, swath::SwathAnalysis& analysis,
                              const std::function<void()>& then)
{
    const swath::SwathData pans = swath::SwathData::from(dataSet_);
    return runSwathWork(this, pans.deposit.size(), [&](const swath::Progress& progress) {
        if (!swath::analyseSwath(analysis, pans, choice.pattern, progress)) {
            return false;
        }
        if (then) {
            then();
        }
        return true;
    });
}

bool MainWindow::saveDataSet()
{
    return save(document_.file().isEmpty());
}

bool MainWindow::saveDataSetAs()
{
    return save(true);
}

bool MainWindow::save(bool askName)
{
    if (!commitEdits() || !dataSet_.hasData()) {
        return false;
    }
    // Asked before anything is written, so the operator can still change the names.
    const QStringList lost = datafile::unstorableCharacters(dataSet_);
    if (!lost.isEmpty() &&
        QMessageBox::warning(
            this, kProgramName,
            QStringLiteral("These characters cannot be stored in the data-set file "
                           "and will be saved as '?': ") +
                lost.join(QStringLiteral(", ")),
            QMessageBox::Save | QMessageBox::Cancel, QMessageBox::Cancel) != QMessageBox::Save) {
        return false;
    }
    QString path = document_.file();
    if (askName) {
        const QString folder =
            path.isEmpty() ? document_.folder() : QFileInfo(path).absolutePath() + u'/';
        const QString name = path.isEmpty()
                                 ? document_.baseName(QDate::currentDate()) + QStringLiteral(".csv")
                                 : path;
        path = chooser_({true, QStringLiteral("Save Data Set"), folder, name});
        if (path.isEmpty()) {
            return false;
        }
        document_.chooseFile(path);
    }
    const swath::SwathChoice choice = swathChoice();
    swath::SwathAnalysis analysis;
    datafile::SaveOutcome outcome;
    // The file is written where the statistics were computed: on the worker thread when long.
    const auto write = [&] { outcome = document_.write(path, choice, analysis); };
    if (!analyseSwath(choice, analysis, write)) {
        return false; // the operator stopped it; nothing was written
    }
    if (!outcome.saved) {
        QMessageBox::critical(this, kProgramName,
                              notSaved(QStringLiteral("The data set"), path, outcome.message));
        return false;
    }
    document_.saved(path);
    return true;
}

void MainWindow::openControlData()
{
    if (!commitEdits()) {
        return;
    }
    auto* dialog = new ControlDataDialog(dataSet_.controlData(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        document_.editor().setControlData(result == QDialog::Accepted ? dialog->result()
                                                                      : dataSet_.controlData());
        activateWindow();
    });
    dialog->open();
    // Just above the button, centred on it, as far as the screen has room; the frame is known
    // once the dialog is shown.
    const QPoint anchor = control_->mapToGlobal(QPoint(control_->width() / 2, 0));
    const QSize size = dialog->frameGeometry().size();
    dialog->move(anchor.x() - size.width() / 2, anchor.y() - size.height());
    keepOnScreen(dialog);
}

void MainWindow::openPrintPreview()
{
    if (!commitEdits() || !dataSet_.hasData()) {
        return;
    }
    const swath::SwathChoice choice = swathChoice();
    swath::SwathAnalysis analysis;
    if (!analyseSwath(choice, analysis)) {
        return;
    }
    // Computed once: every page drawn in the preview, and the print, use the same statistics.
    PreviewWindow preview({dataSet_, choice, &analysis}, currentPrinter_, compact_, this);
    preview.setPdfName(document_.folder() + document_.baseName(QDate::currentDate()) +
                       QStringLiteral(".pdf"));
    preview.exec();
}

bool MainWindow::exportPdf()
{
    if (!commitEdits() || !dataSet_.hasData()) {
        return false;
    }
    const QString path = chooser_(
        {true, QStringLiteral("Export Report as PDF"), document_.folder(),
         document_.baseName(QDate::currentDate()) + QStringLiteral(".pdf"), QStringLiteral("pdf")});
    if (path.isEmpty()) {
        return false;
    }
    const swath::SwathChoice choice = swathChoice();
    swath::SwathAnalysis analysis;
    if (!analyseSwath(choice, analysis)) {
        return false;
    }
    if (const auto failure = document_.exportPdf(path, choice, analysis)) {
        QMessageBox::critical(this, kProgramName, pdfFailureMessage(path, *failure));
        return false;
    }
    return true;
}

void MainWindow::deleteAllData()
{
    if (!commitEdits()) {
        return;
    }
    const QString question = QStringLiteral("Are you sure you want to delete all data?");
    if (!document_.modified()) {
        const auto answer = QMessageBox::question(
            this, kProgramName, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            return;
        }
    } else {
        // One question: with unsaved changes it offers saving them first.
        QMessageBox box(
            QMessageBox::Question, kProgramName,
            question + QStringLiteral("\n\nThe changes to %1 are not saved.").arg(document_.name()),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.button(QMessageBox::Save)->setText(QStringLiteral("Save, Then Delete"));
        box.button(QMessageBox::Discard)->setText(QStringLiteral("Delete"));
        box.setDefaultButton(QMessageBox::Cancel);
        const int answer = box.exec();
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !saveDataSet())) {
            return;
        }
    }
    document_.reset(readSamplerSettings(settings_));
    resetView();
}

void MainWindow::writeSettings()
{
    ProgramSettings out;
    out.metric = dataSet_.metric();
    out.initialDir = document_.folder();
    const Parameters& p = dataSet_.parameters();
    out.sampler = {p.openingType, p.openingArea, p.position1, p.separation};
    out.recentFiles = document_.recentFiles();
    out.covLimit = swathMode_->covLimitPercent();
    writeProgramSettings(settings_, out);
    QString error;
    if (!settings_.flush(&error)) {
        QMessageBox::warning(this, kProgramName,
                             QStringLiteral("The settings could not be saved:\n\n") + error);
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!commitEdits() || !settleChanges()) {
        event->ignore();
        return;
    }
    writeSettings();
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!draggedDataSet(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = draggedDataSet(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // After the drop has finished: the question and the load are modal.
    QTimer::singleShot(0, this, [this, path] {
        if (commitEdits() && settleChanges()) {
            loadFile(path);
        }
    });
}

} // namespace pellamar::ui
