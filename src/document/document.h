#pragma once

#include "datafile/passes.h"
#include "datafile/writer.h"
#include "document/editor.h"
#include "report/pdf.h"
#include "swath/analysis.h"

#include <QObject>
#include <QStringList>
#include <optional>
#include <vector>

class QDate;

namespace pellamar::document {

// The name proposed for a new file: "AT-402 2026-12-06.csv", with the characters a file name
// cannot hold replaced.
QString proposedFileName(const QString& sprayer, const QDate& date, const QString& suffix);

// The data set as the operator's document: the file it belongs to, whether Save would write
// anything new, the files last used and the history of its edits. Questions and messages are
// the window's; this returns what happened.
class Document : public QObject {
    Q_OBJECT
public:
    Document(DataSet& dataSet, QStringList recentFiles, QString folder, QObject* parent = nullptr);

    Editor& editor() { return editor_; }
    const Editor& editor() const { return editor_; }
    // The file's absolute path; empty for a new data set.
    QString file() const { return file_; }
    // Where the file dialogs start: the folder of the file last chosen.
    QString folder() const { return folder_; }
    void chooseFile(const QString& path);
    // The files last loaded or saved, the latest first.
    const QStringList& recentFiles() const { return recent_; }
    void forgetRecentFile(const QString& path);
    // A change Save would write: an edit since the last save or load, or a swath choice (which
    // the file keeps, though it is no step of the history).
    bool modified() const { return choiceUnsaved_ || !editor_.history().isClean(); }
    void choiceChanged();
    // The file's name, as questions name the data set.
    QString name() const;
    // The file's name without suffix, or the name proposed for a new file.
    QString baseName(const QDate& today) const;

    // Loads the file as one step that clears the history; the message says why not, else empty.
    QString load(const QString& path);
    // Averages the passes of these files into a new data set belonging to no file, unsaved; the
    // message says why not, else empty, and the data set is then untouched.
    QString average(const QStringList& paths);
    // The passes of the data set, while it still holds their average; null otherwise.
    const datafile::AveragedPasses* passes() const { return passesShown_ ? &*passes_ : nullptr; }
    // Per grid row, the spread of the passes' deposits in %; negative where there is none.
    float passSpread(int row) const;

    // Writes the data set with these statistics; it only reads, so it may run on a worker thread.
    datafile::SaveOutcome write(const QString& path, const swath::SwathChoice& choice,
                                const swath::SwathAnalysis& analysis) const;
    // Writes the report of the data set with these statistics as a PDF file; nothing on success.
    std::optional<report::PdfFailure> exportPdf(const QString& path,
                                                const swath::SwathChoice& choice,
                                                const swath::SwathAnalysis& analysis) const;
    // After a write: the document belongs to that file and has nothing unsaved.
    void saved(const QString& path);
    // A new data set, belonging to no file until saved; undo brings back the old one with its
    // file.
    void reset(const SamplerSettings& sampler);

signals:
    // The file, the modified state or the recent files changed.
    void changed();
    // The passes came, went, or were hidden or shown again by an edit of the pans.
    void passesChanged();

private:
    void remember(const QString& path);
    void forgetPasses();
    void followPasses();

    DataSet& dataSet_;
    Editor editor_;
    QString file_;
    QString folder_;
    QStringList recent_;
    bool choiceUnsaved_ = false;
    // The passes of the last average, shown while the data set holds their pans as averaged: an
    // edit of the pans' cells or the sampler line hides them, its undo shows them again.
    std::optional<datafile::AveragedPasses> passes_;
    std::vector<float> spread_;
    bool passesShown_ = false;
};

} // namespace pellamar::document
