#pragma once

#include "core/dataset.h"
#include "document/document.h"
#include "swath/analysis.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>

class QDate;

class QAction;
class QActionGroup;
class QMenu;
class QPushButton;

namespace pellamar {
class SettingsStore;
}

namespace pellamar::ui {

class ParameterPages;
class ResultPanel;
class SampleGrid;
class SwathMode;

// The text of the warning shown when the screen is lower than 600 pixels.
QString screenWarningText(int width, int height);

using document::Editor;
using document::proposedFileName;

// Every command of the menu bar.
struct Commands {
    QAction* load = nullptr;
    QAction* average = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QMenu* recent = nullptr;
    QAction* printPreview = nullptr;
    QAction* exportPdf = nullptr;
    QAction* quit = nullptr;
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* selectAll = nullptr;
    QAction* deleteAll = nullptr;
    QAction* controlData = nullptr;
    std::array<QAction*, 5> results{};
    QAction* swath = nullptr;
    QAction* racetrack = nullptr;
    QMenu* covLimit = nullptr;
    std::array<QAction*, 5> covLimits{}; // 10, 15, 20, 25, 30 %
    QAction* deposit = nullptr;
    QAction* density = nullptr;
    QAction* shortcuts = nullptr;
    QAction* about = nullptr;
};

// The one main window: it owns the data set for the whole run and its document, and wires the
// widgets to them; the questions and messages about the document are its own.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Below this screen height the window takes its compact arrangement.
    static constexpr int kCompactBelow = 768;
    static constexpr int kCompactGridHeight = 336;

    MainWindow(SettingsStore& settings, bool metric, int screenHeight, QWidget* parent = nullptr);
    ~MainWindow() override;

    DataSet& dataSet() { return dataSet_; }
    Editor& editor() { return document_.editor(); }
    document::Document& document() { return document_; }
    QString currentFile() const { return document_.file(); }
    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    ParameterPages* parameterPages() const { return pages_; }
    SampleGrid* grid() const { return grid_; }
    ResultPanel* resultPanel() const { return results_; }
    SwathMode* swathMode() const { return swathMode_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* controlDataButton() const { return control_; }
    QString initialDir() const { return document_.folder(); }
    bool compact() const { return compact_; }
    // The COV limit in force, a fraction (0.3 for 30 %), which the proposal and the result line
    // follow.
    float covLimit() const;

    // Asks for a file; empty when the operator cancels. Tests put their own chooser here.
    struct FileRequest {
        bool save = false;
        QString title;
        QString folder;
        QString name; // the file proposed, if any
        QString suffix = QStringLiteral("csv");
        bool multiple = false; // several files to open
    };
    using FileChooser = std::function<QString(const FileRequest&)>;
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    // Asks for several files to open; empty when the operator cancels.
    using FilesChooser = std::function<QStringList(const FileRequest&)>;
    void setFilesChooser(FilesChooser chooser) { filesChooser_ = std::move(chooser); }

    void loadDataSet();
    // Loads the file as "Load Data Set" does once a file is chosen (and unsaved changes are
    // settled); false when it is no data set.
    bool loadFile(const QString& path);
    // "Average Passes": the passes of one pan line, chosen together, averaged into a new data
    // set once unsaved changes are settled.
    void averagePasses();
    // Averages these files as "Average Passes" does once they are chosen; false when refused.
    bool averageFiles(const QStringList& paths);
    // To the current file when there is one, else to a file asked for; false when nothing was
    // saved: no data, the dialog cancelled, or the save failed.
    bool saveDataSet();
    // Always asks for the file.
    bool saveDataSetAs();
    // The files last loaded or saved, the latest first.
    const QStringList& recentFiles() const { return document_.recentFiles(); }
    void openRecentFile(const QString& path);
    void openControlData();
    void deleteAllData();
    // The print preview, from which the report is printed, and the report straight to a PDF
    // file; both once the data set holds data.
    void openPrintPreview();
    bool exportPdf();
    const Commands& commands() const { return commands_; }
    // Brings the commands' enabled and checked states up to date.
    void updateCommands();
    void showShortcuts();
    // Every key the program takes and what it does, as Help lists them: the commands' keys
    // read from their actions, then the keys the focused control takes itself.
    QList<std::pair<QString, QString>> keyList() const;
    void showAbout();
    QPushButton* printButton() const { return print_; }
    QString currentPrinter() const { return currentPrinter_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildLayout(int screenHeight);
    void buildHistoryActions();
    void buildCovLimitMenu(QMenu* view);
    void buildMenus();
    QMenu* buildEditMenu();
    void fillRecentMenu();
    // A menu left with Escape gives the keys back to the control that had them.
    void returnFocusAfterMenu();
    bool save(bool askName);
    // After a load or an average: the message when it failed, else a fresh view; false on
    // failure.
    bool opened(const QString& message);
    void updateTitle();
    // Commits what is being typed in a grid cell or a parameter field; false when it is
    // refused (the hint says why), and the command that asked must stop.
    bool commitEdits();
    // Settles unsaved changes before they would be lost: true to go on.
    bool settleChanges();
    void undo();
    void redo();
    void followDataSet();
    void switchSwathAnalysis(bool on);
    void resetView();
    swath::SwathChoice swathChoice() const;
    // Both sources' statistics for a save or the report, then `then` with them; when long, both
    // on a worker thread behind a window-modal progress dialog, which keeps the data set (only
    // read there) unchanged meanwhile. False when the operator stopped them.
    bool analyseSwath(const swath::SwathChoice& choice, swath::SwathAnalysis& analysis,
                      const std::function<void()>& then = {});
    void writeSettings();

    SettingsStore& settings_;
    DataSet dataSet_;
    document::Document document_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    ParameterPages* pages_ = nullptr;
    SampleGrid* grid_ = nullptr;
    ResultPanel* results_ = nullptr;
    SwathMode* swathMode_ = nullptr;
    QPushButton* load_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* control_ = nullptr;
    QPushButton* print_ = nullptr;
    // The printer chosen in the preview stays chosen for the rest of the run.
    QString currentPrinter_;
    bool compact_ = false;
    bool swathOn_ = false;
    FileChooser chooser_;
    FilesChooser filesChooser_;
    Commands commands_;
    // The control that last had the focus outside the menu bar.
    QPointer<QWidget> lastFocus_;
};

} // namespace pellamar::ui
