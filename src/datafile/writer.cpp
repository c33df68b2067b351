#include "datafile/writer.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "datafile/cp1252.h"
#include "datafile/csv.h"
#include "datafile/layout.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace pellamar::datafile {

namespace {

// A block's marks: the start of every pass, and both ends.
const QString kPassMark(8, u'-');
const QString kEndMark(8, u'=');

QString valueWithUnit(const QString& value, const QString& unit)
{
    if (value.isEmpty()) {
        return kNotGiven;
    }
    return unit.isEmpty() ? value : value + u',' + unit;
}

// The area and the separation divide every result, so no load accepts 0 for them: a value too
// small for its pattern keeps its significant digits instead of being written as 0.
QString aboveZero(double value, QStringView pattern)
{
    QString text = numbers::format(value, pattern);
    return numbers::parseDouble(text).value_or(0.0) > 0 ? text : numbers::formatGeneral(value);
}

// A parameter as the file holds it: its text with the unit in the next field, or the mark of a
// value not entered.
QString parameterValue(const DataSet& dataSet, const FieldInfo& s)
{
    const QString text = parameterText(dataSet, s.field);
    return s.entry == Entry::Name ? valueWithUnit(csvField(text), {})
                                  : valueWithUnit(text, dataSet.units().symbol(s.quantity));
}

// One source's statistics at the width the file shows, and its block at that width.
struct SourceResult {
    const swath::SwathRecord& record;
    int width;
    swath::Block block;
};

SourceResult analyse(const DataSet& dataSet, const swath::SwathRecord& record, int selected,
                     int limitPercent)
{
    // The file has no place for the limit; a width left to the rule is the rule's at the limit
    // the operator works with, as the screen and the report show it.
    const int width = swath::effectiveWidth(record, selected, swath::covLimit(limitPercent));
    return {record, width,
            swath::buildSwathBlock(record, width, swath::SwathInputs::from(dataSet))};
}

class Lines {
public:
    void add(const QString& line)
    {
        text_ += line;
        text_ += QStringLiteral("\r\n");
    }
    void heading(const QString& title)
    {
        add(kSectionRule);
        add(title);
        add(kSectionRule);
        add(QString());
    }
    QString take() { return std::move(text_); }

private:
    QString text_;
};

// The value after a line's label; nothing for the lines without one.
std::optional<QString> layoutValue(const DataSet& dataSet, int line)
{
    const Parameters& p = dataSet.parameters();
    const ControlData& control = dataSet.controlData();
    switch (line) {
    case kUnitsLine:
        return dataSet.metric() ? QStringLiteral("Metric") : QStringLiteral("U.S.");
    case kOpeningTypeLine: {
        const QStringList types = openingTypeNames();
        const QString name = p.openingType < types.size() ? types[p.openingType] : QString();
        return csvField(name) + u',' + QString::number(p.openingType);
    }
    case kControlLarvaeLine:
        return QString::number(control.larvae);
    case kControlHoursLine:
        return numbers::formatGeneral(control.hours);
    case kControlDeadLine:
        return QString::number(control.dead);
    default:
        break;
    }
    for (const FieldInfo& s : kFieldTable) {
        if (s.fileLine == line) {
            return parameterValue(dataSet, s);
        }
    }
    return std::nullopt;
}

// Every line before the sample rows: rules, titles, and labels with their values.
void writeLayout(Lines& out, const DataSet& dataSet)
{
    for (int line = 1; line < kSampleHeadingLine; ++line) {
        const std::optional<QString> value = layoutValue(dataSet, line);
        out.add(value ? layoutText(line) + QStringLiteral(",,") + *value : layoutText(line));
    }
}

void writeSampleRows(Lines& out, const DataSet& dataSet)
{
    QStringList heading;
    QStringList unit;
    for (const ColumnInfo& c : kColumnTable) {
        heading << withUnits(c.fileHeading, dataSet.units());
        unit << withUnits(c.fileUnit, dataSet.units());
    }
    out.add(heading.join(u','));
    out.add(unit.join(u','));
    for (int row = std::max(dataSet.firstDataRow(), 1); row <= dataSet.lastDataRow(); ++row) {
        QString line;
        line.reserve(80);
        for (int c = 0; c < kGridColumns; ++c) {
            if (c > 0) {
                line += u',';
            }
            line += QStringView(cellText(dataSet, row, c)).trimmed();
        }
        out.add(line);
    }
    out.add(QString());
}

// A length of whole pan separations as the file shows it: index × separation × length factor,
// multiplied in that order.
double displayOffset(const DataSet& dataSet, int separations)
{
    return double(separations) * double(dataSet.parameters().separation) *
           double(dataSet.units().length);
}

} // namespace

QString parameterText(const DataSet& dataSet, Field field)
{
    const FieldInfo& s = fieldInfo(field);
    if (s.entry != Entry::Always && s.entry != Entry::Positive) {
        return dataSet.fieldText(field);
    }
    const double shown =
        dataSet.units().toDisplay(s.quantity, storedValue(dataSet.parameters(), field));
    return s.entry == Entry::Positive ? aboveZero(shown, s.pattern)
                                      : numbers::format(shown, s.pattern);
}

SwathWidthText::SwathWidthText(const DataSet& dataSet)
    : dataSet_(dataSet)
    , pattern_(numbers::wholeToTwoDecimals(displayOffset(dataSet, 1)) ? QStringLiteral("0")
                                                                      : QStringLiteral("0.0"))
{}

QString SwathWidthText::operator()(int separations) const
{
    return numbers::format(length(separations), pattern_);
}

double SwathWidthText::length(int separations) const
{
    return displayOffset(dataSet_, separations);
}

namespace {

// The chosen widths, then COV, max, mean and min of every width for both sources.
void writeWidthStatistics(Lines& out, const DataSet& dataSet, const SourceResult& deposit,
                          const SourceResult& density)
{
    const Units& units = dataSet.units();
    const SwathWidthText widthText(dataSet);
    const QString length = units.lengthLabel;
    out.add(QStringLiteral("Selected Swath Widths:"));
    out.add(QStringLiteral(",,Deposit:,") + widthText(deposit.width) + length +
            QStringLiteral(",,,Density:,") + widthText(density.width) + length);
    out.add(QString());
    out.add(QStringLiteral("Swath,|--------,Deposit,(") + units.rateLabel +
            QStringLiteral("),--------|,|--------,Density,(#/") + units.areaLabel() +
            QStringLiteral("),--------|"));
    out.add(QStringLiteral("Width,COV,Max,Mean,Min,COV,Max,Mean,Min"));
    const int widths = std::min(deposit.record.widthCount(), density.record.widthCount());
    for (int j = 1; j <= widths; ++j) {
        QStringList cells{widthText(j)};
        for (const SourceResult* source : {&deposit, &density}) {
            const swath::SwathRecord& r = source->record;
            for (const swath::BoundedArray* stat : {&r.cov, &r.max, &r.mean, &r.min}) {
                cells << numbers::format((*stat)[j], u"0.00");
            }
        }
        out.add(cells.join(u','));
    }
    out.add(QString());
}

// Both blocks side by side, each value with a mark on every flight line and at both ends.
void writeBlocks(Lines& out, const DataSet& dataSet, const SourceResult& deposit,
                 const SourceResult& density)
{
    out.add(QStringLiteral("Position,Deposit,,,Density"));
    const auto marks = [](const SourceResult& source, int k, QStringList& cells) {
        const swath::BoundedArray& values = source.block.values;
        const int end = source.block.shape.passes * source.width;
        cells << numbers::format(k <= values.upper() ? values[k] : 0.0f, u"0.000");
        cells << (k >= 0 && k % source.width == 0 && k < end ? kPassMark : QString());
        cells << (k == 0 || k == end ? kEndMark : QString());
    };
    const QString positionFormat = dataSet.positionFormat();
    const int lower = deposit.block.values.lower();
    const int upper = std::max(deposit.block.values.upper(), density.block.values.upper());
    for (int k = lower; k <= upper; ++k) {
        QStringList cells{numbers::format(displayOffset(dataSet, k), positionFormat)};
        marks(deposit, k, cells);
        marks(density, k, cells);
        out.add(cells.join(u','));
    }
}

} // namespace

QString dataSetText(const DataSet& dataSet, const swath::SwathChoice& choice)
{
    swath::SwathAnalysis analysis;
    swath::analyseSwath(analysis, swath::SwathData::from(dataSet), choice.pattern);
    return dataSetText(dataSet, choice, analysis);
}

QString dataSetText(const DataSet& dataSet, const swath::SwathChoice& choice,
                    const swath::SwathAnalysis& analysis)
{
    Lines out;
    writeLayout(out, dataSet);
    writeSampleRows(out, dataSet);

    out.heading(QStringLiteral("Swath Analysis"));
    const SourceResult deposit = analyse(
        dataSet, analysis.deposit, choice.width(swath::Source::Deposit), choice.covLimitPercent);
    const SourceResult density = analyse(
        dataSet, analysis.density, choice.width(swath::Source::Density), choice.covLimitPercent);
    writeWidthStatistics(out, dataSet, deposit, density);
    writeBlocks(out, dataSet, deposit, density);
    return out.take();
}

namespace {

// Every byte or nothing: a short write (a full disk, a size limit) is an error.
bool writeAll(QFileDevice& file, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qint64 remaining = bytes.size();
    while (remaining > 0) {
        const qint64 written = file.write(data, remaining);
        if (written <= 0) {
            return false;
        }
        data += written;
        remaining -= written;
    }
    return true;
}

// A device, pipe or socket: replacing it by a renamed file would destroy the node itself (as
// root even /dev/full), so it is written where it stands. Follows symbolic links.
bool isSpecialFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile() && !info.isDir();
}

SaveOutcome writeInPlace(const QString& path, const QByteArray& bytes)
{
    SaveOutcome outcome;
    QFile file;
#ifdef Q_OS_UNIX
    // Not waiting at the open: a pipe nobody reads fails at once instead of freezing the window.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        outcome.message = saveErrorMessage(qt_error_string(errno));
        return outcome;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        outcome.message = saveErrorMessage(file.errorString());
        return outcome;
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        outcome.message = saveErrorMessage(file.errorString());
        return outcome;
    }
#endif
    // Closing clears the error of a failed write, so its reason is taken first.
    QString error = writeAll(file, bytes) ? QString() : file.errorString();
    file.close();
    if (error.isEmpty() && file.error() != QFileDevice::NoError) {
        error = file.errorString();
    }
    outcome.saved = error.isEmpty();
    outcome.message = outcome.saved ? QString() : saveErrorMessage(error);
    return outcome;
}

// A new or regular file is replaced only once the new one is completely written.
SaveOutcome replaceAtomically(const QString& path, const QByteArray& bytes)
{
    SaveOutcome outcome;
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk, a size limit) is seen here instead of being
    // dropped silently when the buffer is flushed at commit.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        outcome.message = saveErrorMessage(file.errorString());
        return outcome;
    }
    if (!writeAll(file, bytes)) {
        outcome.message = saveErrorMessage(file.errorString());
        file.cancelWriting();
        return outcome;
    }
    if (!file.commit()) {
        outcome.message = saveErrorMessage(file.errorString());
        return outcome;
    }
    outcome.saved = true;
    return outcome;
}

} // namespace

SaveOutcome saveDataSet(const QString& path, const DataSet& dataSet,
                        const swath::SwathChoice& choice)
{
    swath::SwathAnalysis analysis;
    swath::analyseSwath(analysis, swath::SwathData::from(dataSet), choice.pattern);
    return saveDataSet(path, dataSet, choice, analysis);
}

SaveOutcome saveDataSet(const QString& path, const DataSet& dataSet,
                        const swath::SwathChoice& choice, const swath::SwathAnalysis& analysis)
{
    return saveText(path, dataSetText(dataSet, choice, analysis));
}

SaveOutcome saveText(const QString& path, const QString& text)
{
    const Encoded encoded = encodeCp1252(text);
    SaveOutcome outcome = isSpecialFile(path) ? writeInPlace(path, encoded.bytes)
                                              : replaceAtomically(path, encoded.bytes);
    outcome.replacedCharacters = encoded.replaced;
    return outcome;
}

QStringList unstorableCharacters(const DataSet& dataSet)
{
    QString names;
    for (const FieldInfo& info : kFieldTable) {
        if (info.entry == Entry::Name) {
            names += dataSet.fieldText(info.field);
        }
    }
    return encodeCp1252(names).lost;
}

QString saveErrorMessage(const QString& reason)
{
    return QStringLiteral("There was an error while saving the output file.\n\n") + reason;
}

} // namespace pellamar::datafile
