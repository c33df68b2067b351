#include "datafile/reader.h"

#include "core/numbers.h"
#include "datafile/cp1252.h"
#include "datafile/csv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace pellamar::datafile {

namespace {

const QString kHeaderText = QStringLiteral("Tovanel Pellamar");
const QString kNotGiven(8, u'-');

// Only spaces and tabs surround a value; other control characters belong to it.
QStringView trimBlanks(QStringView text)
{
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

// Empty texts stay null, as the fields of the file always were.
QString owned(QStringView text)
{
    return text.isEmpty() ? QString() : text.toString();
}

struct Damage {
    int line;
    QString what;
};

QString describe(const Damage& damage)
{
    return QStringLiteral("Line %1: %2.").arg(damage.line).arg(damage.what);
}

LoadError damaged(const Damage& damage)
{
    LoadError error;
    error.kind = LoadError::Kind::Damaged;
    error.line = damage.line;
    error.description = describe(damage);
    error.message = damagedFileMessage(error.description);
    return error;
}

LoadError invalid(const QString& fileTitle)
{
    LoadError error;
    error.kind = LoadError::Kind::Invalid;
    error.description = QStringLiteral("The second line does not name the program.");
    error.message = u'\'' + fileTitle + QStringLiteral("' does not appear to be a valid data set.");
    return error;
}

// The second line must carry the program's name; a quote left open may have swallowed it into
// the first record, so then it is looked at as a plain line.
bool hasHeader(QStringView text, const RecordsOrError& split)
{
    if (split.records.size() >= 2) {
        return split.records[1].text.contains(kHeaderText);
    }
    if (split.error.isEmpty()) {
        return false;
    }
    const qsizetype firstEnd = text.indexOf(u'\n');
    if (firstEnd < 0) {
        return false;
    }
    QStringView second = text.mid(firstEnd + 1);
    second = second.left(second.indexOf(u'\n'));
    return second.contains(kHeaderText);
}

// Reads the lines of the fixed layout by number (1-based, one record each) and throws Damage
// for the first thing that is wrong.
class Parser {
public:
    explicit Parser(const RecordsOrError& split)
        : split_(split)
        , records_(split.records)
    {}

    ParsedDataSet parse();

private:
    int count() const { return static_cast<int>(records_.size()); }

    // The file line a record starts on, also for records past the end.
    int fileLine(int n) const
    {
        if (n <= count()) {
            return records_[static_cast<std::size_t>(n - 1)].lineNumber;
        }
        if (records_.empty()) {
            return n;
        }
        const Record& last = records_.back();
        return last.lineNumber + static_cast<int>(last.text.count(u'\n')) + (n - count());
    }

    [[noreturn]] void fail(int n, const QString& what) const { throw Damage{fileLine(n), what}; }

    const Record& line(int n) const
    {
        if (n > count()) {
            throw Damage{fileLine(n), QStringLiteral("the line is missing (the file ends early)")};
        }
        return records_[static_cast<std::size_t>(n - 1)];
    }

    Fields fields(int n) const { return split_.fieldsOf(line(n)); }

    // A field a spreadsheet dropped from the end of the line reads as empty, as it was written.
    QStringView field(int n, int index) const { return fileField(fields(n), index); }

    // Whether the sample rows end at line n: an empty line does, and so does one whose fields are
    // all blank, as a spreadsheet pads the empty line - unless another sample row follows, which
    // makes it a pan without a position or data.
    bool endsSampleRows(int n, const Fields& all) const
    {
        const Record& record = line(n);
        const auto blank = [](QStringView f) { return trimBlanks(f).isEmpty(); };
        if (!record.text.isEmpty() && !std::all_of(all.begin(), all.end(), blank)) {
            return false;
        }
        return record.text.isEmpty() || n == count() ||
               !numbers::isNumber(trimBlanks(field(n + 1, 0)));
    }

    // Field 2, or nothing when it holds the mark of a value not entered.
    std::optional<QString> given(int n) const
    {
        const QStringView value = field(n, 2);
        if (trimBlanks(value) == kNotGiven) {
            return std::nullopt;
        }
        return owned(value);
    }

    double number(int n, QStringView text, const QString& what) const
    {
        const std::optional<double> value = numbers::parseDouble(text);
        if (!value) {
            fail(n, what + QStringLiteral(" is not a number"));
        }
        return *value;
    }

    // A converted value as stored; one the stored precision cannot hold is out of range rather
    // than silently capped.
    float stored(int n, double value, const QString& what) const
    {
        if (!(std::fabs(value) <= numbers::kSingleMax)) {
            fail(n, what + QStringLiteral(" is out of range"));
        }
        return numbers::toStored(value);
    }

    // Release height, swath width and product rate: 0 means not entered, below 0 is no value.
    float notNegative(int n, double value, const QString& what) const
    {
        if (value < 0) {
            fail(n, what + QStringLiteral(" is below 0"));
        }
        return stored(n, value, what);
    }

    std::int16_t count16(int n, const QString& what) const
    {
        const double value = std::nearbyint(number(n, field(n, 2), what));
        if (value < -32768.0 || value > 32767.0) {
            fail(n, what + QStringLiteral(" is out of range"));
        }
        return numbers::roundToInt16(value);
    }

    void readParameters(ParsedDataSet& out, const Units& units) const;
    void readOpeningType(Parameters& p) const;
    void readField(ParsedDataSet& out, const Units& units, const FieldInfo& s) const;
    void readControl(ParsedDataSet& out) const;
    void readSamples(ParsedDataSet& out, const Units& units) const;

    const RecordsOrError& split_;
    const std::vector<Record>& records_;
};

ParsedDataSet Parser::parse()
{
    ParsedDataSet out;
    // The values that follow are in the file's own units, so those must be known first. A
    // missing name would silently mean U.S. units.
    if (fileFieldCount(fields(kUnitsLine)) <= 2) {
        fail(kUnitsLine, QStringLiteral("the unit system is missing"));
    }
    out.metric = trimBlanks(field(kUnitsLine, 2)).toString().toLower() == u"metric";
    const Units units = Units::forSystem(out.metric);
    readParameters(out, units);
    readControl(out);
    readSamples(out, units);
    return out;
}

// The text a field shows after a load. Values without a unit factor go straight to their nearest
// stored value and show in the general form; so does the rate, from its double product, so that
// 8.1 lb/ac comes back as 8.1 on every load.
QString loadedText(const FieldInfo& s, const Units& units, float stored)
{
    switch (s.quantity) {
    case Quantity::Angle:
    case Quantity::Percent:
        return numbers::formatGeneral(stored);
    case Quantity::Rate:
        return numbers::formatGeneral(units.toDisplay(s.quantity, stored));
    default:
        return numbers::format(units.toDisplay(s.quantity, stored), s.pattern);
    }
}

void Parser::readOpeningType(Parameters& p) const
{
    const QString type = QStringLiteral("the opening type");
    const std::int32_t index =
        numbers::roundToInt32(number(kOpeningTypeLine, field(kOpeningTypeLine, 3), type));
    if (index < 0 || index > 3) {
        fail(kOpeningTypeLine, type + QStringLiteral(" is not 0, 1, 2 or 3"));
    }
    p.openingType = static_cast<std::uint8_t>(index);
}

void Parser::readField(ParsedDataSet& out, const Units& units, const FieldInfo& s) const
{
    Parameters& p = out.parameters;
    const int n = s.fileLine;
    const QString what = s.noun.toString();
    QString& text = out.fieldTexts[static_cast<std::size_t>(s.field)];
    if (s.entry == Entry::Name) {
        text = s.name(p) = given(n).value_or(QString());
        return;
    }
    float& value = s.number(p);
    if (s.entry == Entry::Always || s.entry == Entry::Positive) {
        value = stored(n, units.toStored(s.quantity, number(n, field(n, 2), what)), what);
        // Area and separation divide every result, so they must stay above 0 once converted.
        if (s.entry == Entry::Positive && !(value > 0)) {
            fail(n, what + QStringLiteral(" is not above 0"));
        }
        text = loadedText(s, units, value);
        return;
    }
    const auto entered = given(n);
    if (!entered) {
        return;
    }
    const double shown = number(n, *entered, what);
    if (s.entry == Entry::ZeroUnset) {
        value = notNegative(n, units.toStored(s.quantity, shown), what);
        // A value of 0 leaves its field empty, as typing 0 does, so that no save or report
        // claims a value that was never entered.
        text = value > 0 ? loadedText(s, units, value) : QString();
        return;
    }
    value = s.quantity == Quantity::Angle || s.quantity == Quantity::Percent
                ? *numbers::parseFloat(*entered)
                : stored(n, units.toStored(s.quantity, shown), what);
    text = loadedText(s, units, value);
}

void Parser::readParameters(ParsedDataSet& out, const Units& units) const
{
    bool typeRead = false;
    for (const FieldInfo& s : kFieldTable) {
        // The file's lines are read in order, the opening type among them.
        if (!typeRead && s.fileLine > kOpeningTypeLine) {
            readOpeningType(out.parameters);
            typeRead = true;
        }
        readField(out, units, s);
    }
}

void Parser::readControl(ParsedDataSet& out) const
{
    // The number-in-pan line compares its mark exactly, blanks included.
    if (field(33, 2) == kNotGiven) {
        return;
    }
    ControlData control;
    control.larvae = count16(33, QStringLiteral("the number in pan"));
    const QString hours = QStringLiteral("the time after treatment");
    const std::optional<float> value = numbers::parseFloat(field(34, 2));
    if (!value) {
        fail(34, hours + QStringLiteral(" is not a number"));
    }
    control.hours = *value;
    control.dead = count16(35, QStringLiteral("the 24 hr mortality"));
    out.control = control;
}

void Parser::readSamples(ParsedDataSet& out, const Units& units) const
{
    constexpr int kHeadingFrom = 41;
    int n = kHeadingFrom;
    while (n <= count() && !line(n).text.contains(QStringLiteral("Position"))) {
        ++n;
    }
    if (n > count()) {
        fail(kHeadingFrom, QStringLiteral("the heading of the sample rows (with \"Position\") "
                                          "was not found"));
    }
    line(n + 1); // the units line under the heading

    static const std::array<QString, 4> kCellNames{
        QStringLiteral("the sample weight"), QStringLiteral("the number of granules"),
        QStringLiteral("the number of larvae"), QStringLiteral("the mortality")};
    const int firstLine = n + 2;
    QStringView firstPosition;
    // A cell that repeats the one above it (the larvae per pan, mostly) shares its text.
    const std::array<QString, 4>* above = nullptr;
    out.rows.reserve(static_cast<std::size_t>(std::max(0, count() - firstLine + 1)));
    for (n = firstLine; n <= count(); ++n) {
        const Fields all = fields(n);
        if (endsSampleRows(n, all)) {
            break;
        }
        std::array<QString, 4> cells;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const QStringView cell = trimBlanks(fileField(all, static_cast<qsizetype>(c) + 1));
            if (!cell.isEmpty() && !numbers::isNumber(cell)) {
                fail(n, kCellNames[c] + QStringLiteral(" is not a number"));
            }
            const QString* same = above ? &(*above)[c] : nullptr;
            cells[c] = same && *same == cell ? *same : owned(cell);
        }
        if (n == firstLine) {
            firstPosition = trimBlanks(fileField(all, 0));
        }
        out.rows.push_back(std::move(cells));
        above = &out.rows.back();
    }

    Parameters& p = out.parameters;
    if (!out.rows.empty() && !firstPosition.isEmpty()) {
        const QString what = QStringLiteral("the position");
        const float p0 =
            stored(firstLine, number(firstLine, firstPosition, what) / units.length, what);
        // Rows left of pan 1 move pan 1 to them instead of being lost.
        if (p0 < p.position1) {
            p.position1 = p0;
        }
        const double offset = (double(p0) - double(p.position1)) / double(p.separation) + 1;
        if (!(offset <= kMaxLoadedRows)) {
            fail(firstLine, QStringLiteral("the position lies too far from pan 1"));
        }
        // A position off the pan grid goes to the nearest pan.
        out.firstRow = numbers::roundToInt32(double(static_cast<float>(offset)));
    }
    if (out.firstRow - 1 + static_cast<double>(out.rows.size()) > kMaxLoadedRows) {
        fail(firstLine,
             QStringLiteral("the sample rows need more than %1 grid rows").arg(kMaxLoadedRows));
    }
    // The field shows pan 1 where the grid now starts.
    out.fieldTexts[static_cast<std::size_t>(Field::Position1)] =
        loadedText(fieldInfo(Field::Position1), units, p.position1);
}

} // namespace

QString damagedFileMessage(const QString& description)
{
    return QStringLiteral("There was an error opening this file:\n\n\t") + description +
           QStringLiteral("\n\nThis was most likely caused by modifying this\n"
                          "CSV file in another program (such as Excel).");
}

FileBytes readDataSetFile(const QString& path)
{
    const QFileInfo info(path);
    const QString name = u'\'' + info.fileName() + u'\'';
    if (!info.exists()) {
        return {{},
                name + QStringLiteral(" was not found in %1.")
                           .arg(QDir::toNativeSeparators(info.absolutePath()))};
    }
    if (info.isDir()) {
        return {{}, name + QStringLiteral(" is a folder, not a data-set file.")};
    }
    if (!info.isReadable()) {
        return {{}, name + QStringLiteral(" cannot be opened: you have no permission to read it.")};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {{}, damagedFileMessage(file.errorString())};
    }
    FileBytes out{file.readAll(), {}};
    if (file.error() != QFileDevice::NoError) {
        return {{}, damagedFileMessage(file.errorString())};
    }
    return out;
}

std::variant<ParsedDataSet, LoadError> parseDataSet(const QByteArray& bytes,
                                                    const QString& fileTitle)
{
    QString text = decodeDataSetText(bytes);
    // Lines that end in a lone CR, as old Mac programs write them.
    if (!text.contains(u'\n')) {
        text.replace(u'\r', u'\n');
    }
    const RecordsOrError split = splitRecords(text);
    if (!hasHeader(text, split)) {
        return invalid(fileTitle);
    }
    if (!split.error.isEmpty()) {
        return damaged(Damage{split.errorLine, split.error});
    }
    try {
        return Parser(split).parse();
    } catch (const Damage& damage) {
        return damaged(damage);
    }
}

void applyDataSet(DataSet& dataSet, ParsedDataSet parsed)
{
    // One reset: the window lays out and paints once, not for an empty grid and then again.
    DataSetSnapshot snapshot;
    snapshot.state = {parsed.metric, parsed.parameters, std::move(parsed.fieldTexts),
                      parsed.control.value_or(ControlData{0, 0, dataSet.controlData().hours})};
    std::vector<std::array<QString, 4>>& inputs = parsed.rows;
    if (!inputs.empty()) {
        inputs.insert(inputs.begin(), static_cast<std::size_t>(parsed.firstRow - 1), {});
    }
    if (inputs.size() < static_cast<std::size_t>(kInitialDataRows)) {
        inputs.resize(static_cast<std::size_t>(kInitialDataRows));
    }
    snapshot.inputs = std::move(inputs);
    dataSet.restore(snapshot);
}

LoadOutcome loadDataSet(DataSet& dataSet, const QByteArray& bytes, const QString& fileTitle)
{
    auto parsed = parseDataSet(bytes, fileTitle);
    if (const auto* error = std::get_if<LoadError>(&parsed)) {
        return {false, error->message};
    }
    applyDataSet(dataSet, std::move(std::get<ParsedDataSet>(parsed)));
    return {true, {}};
}

} // namespace pellamar::datafile
