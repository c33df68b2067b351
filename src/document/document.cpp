#include "document/document.h"

#include "core/settings.h"
#include "datafile/reader.h"
#include "datafile/writer.h"
#include "report/pdf.h"

#include <QDate>
#include <QFileInfo>

namespace pellamar::document {

namespace {

// The folder of a chosen file, with its separator, as the dialogs' starting point.
QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath() + u'/';
}

} // namespace

QString proposedFileName(const QString& sprayer, const QDate& date, const QString& suffix)
{
    QString name = sprayer.simplified();
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c)) {
            c = u'_';
        }
    }
    // A name starting with a dot would be hidden.
    while (name.startsWith(u'.')) {
        name.remove(0, 1);
    }
    const QString day = date.toString(Qt::ISODate);
    return (name.isEmpty() ? day : name + u' ' + day) + u'.' + suffix;
}

Document::Document(DataSet& dataSet, QStringList recentFiles, QString folder, QObject* parent)
    : QObject(parent)
    , dataSet_(dataSet)
    , editor_(dataSet)
    , folder_(std::move(folder))
    , recent_(std::move(recentFiles))
{
    connect(&editor_.history(), &QUndoStack::cleanChanged, this, &Document::changed);
    connect(&dataSet_, &DataSet::recalculated, this, &Document::followPasses);
    connect(&editor_, &Editor::fileNamed, this, [this](const QString& file) {
        file_ = file;
        emit changed();
    });
}

void Document::chooseFile(const QString& path)
{
    folder_ = folderOf(path);
}

void Document::forgetRecentFile(const QString& path)
{
    recent_.removeAll(path);
    emit changed();
}

void Document::choiceChanged()
{
    choiceUnsaved_ = true;
    emit changed();
}

QString Document::name() const
{
    return file_.isEmpty() ? QStringLiteral("the new data set") : QFileInfo(file_).fileName();
}

QString Document::baseName(const QDate& today) const
{
    if (!file_.isEmpty()) {
        return QFileInfo(file_).completeBaseName();
    }
    return proposedFileName(dataSet_.fieldText(Field::Sprayer), today, QStringLiteral("csv"))
        .chopped(4);
}

QString Document::load(const QString& path)
{
    chooseFile(path);
    const datafile::FileBytes file = datafile::readDataSetFile(path);
    if (!file.message.isEmpty()) {
        return file.message;
    }
    const QString message =
        datafile::loadDataSet(dataSet_, file.bytes, QFileInfo(path).fileName()).message;
    if (!message.isEmpty()) {
        return message;
    }
    // Undo never reaches back past a load into another file's data.
    editor_.forget();
    forgetPasses();
    remember(path);
    return {};
}

QString Document::average(const QStringList& paths)
{
    if (!paths.isEmpty()) {
        chooseFile(paths.front());
    }
    auto averaged = datafile::averagePassFiles(paths);
    if (const QString* message = std::get_if<QString>(&averaged)) {
        return *message;
    }
    forgetPasses();
    passes_ = std::move(std::get<datafile::AveragedPasses>(averaged));
    spread_ = datafile::passSpread(*passes_);
    passesShown_ = false;
    datafile::applyDataSet(dataSet_, passes_->averaged);
    editor_.forget();
    file_.clear();
    // The average exists nowhere until it is saved.
    choiceUnsaved_ = true;
    emit changed();
    return {};
}

float Document::passSpread(int row) const
{
    if (!passesShown_) {
        return -1.0f;
    }
    const auto index = static_cast<std::size_t>(row - passes_->averaged.firstRow);
    return row >= passes_->averaged.firstRow && index < spread_.size() ? spread_[index] : -1.0f;
}

void Document::forgetPasses()
{
    passes_.reset();
    spread_.clear();
    if (passesShown_) {
        passesShown_ = false;
        emit passesChanged();
    }
}

void Document::followPasses()
{
    const bool shown = passes_ && datafile::holdsPasses(dataSet_, *passes_);
    if (shown != passesShown_) {
        passesShown_ = shown;
        emit passesChanged();
    }
}

datafile::SaveOutcome Document::write(const QString& path, const swath::SwathChoice& choice,
                                      const swath::SwathAnalysis& analysis) const
{
    return datafile::saveDataSet(path, dataSet_, choice, analysis);
}

std::optional<report::PdfFailure> Document::exportPdf(const QString& path,
                                                      const swath::SwathChoice& choice,
                                                      const swath::SwathAnalysis& analysis) const
{
    return report::writeReportPdf(path, {dataSet_, choice, &analysis});
}

void Document::saved(const QString& path)
{
    editor_.history().setClean();
    remember(path);
}

void Document::reset(const SamplerSettings& sampler)
{
    // Save must not write the new data set over the old one's file: the reset names no file,
    // its undo names this one again.
    choiceUnsaved_ = false;
    forgetPasses();
    editor_.reset(sampler, file_);
}

void Document::remember(const QString& path)
{
    file_ = QFileInfo(path).absoluteFilePath();
    rememberRecentFile(recent_, file_);
    choiceUnsaved_ = false;
    emit changed();
}

} // namespace pellamar::document
