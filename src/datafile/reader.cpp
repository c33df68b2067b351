#include "datafile/reader.h"

#include "core/numbers.h"
#include "datafile/cp1252.h"
#include "datafile/csv.h"
#include "datafile/layout.h"
#include "datafile/panline.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>

namespace pellamar::datafile {

namespace {

const QString kHeaderText = layoutText(kTitleLine);

using numbers::trimBlanks;

// Empty texts stay null, as the fields of the file always were.
QString owned(QStringView text)
{
    return text.isEmpty() ? QString() : text.toString();
}

struct Damage {
    int line;
    QString what;
};

// A line's text for a message: quoted and cut short, or said to be empty.
QString quotedText(QStringView text)
{
    if (text.isEmpty()) {
        return QStringLiteral("an empty line");
    }
    return u'\'' +
           (text.size() > 40 ? text.left(37).toString() + QStringLiteral("...") : text.toString()) +
           u'\'';
}

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
        , decimalComma_(split.separator != u',')
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

    // A line of blank fields, as a spreadsheet pads an empty line.
    static bool isBlank(const Fields& all)
    {
        return std::all_of(all.begin(), all.end(),
                           [](QStringView f) { return trimBlanks(f).isEmpty(); });
    }

    std::optional<double> parseNumber(QStringView text) const
    {
        return decimalComma_ && text.contains(u',') ? numbers::parseDouble(numberText(text))
                                                    : numbers::parseDouble(text);
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
        const std::optional<double> value = numbers::parseDouble(numberText(text));
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
        expectLabel(n);
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

    // A number as the file writes it; in a file separated by semicolons or tabs a decimal comma
    // is a decimal point.
    QString numberText(QStringView text) const
    {
        QString out = text.toString();
        if (decimalComma_) {
            out.replace(u',', u'.');
        }
        return out;
    }

    void expectLabel(int n) const;
    bool readUnits() const;
    void readCells(int n, const Fields& all, std::array<QString, 4>& cells,
                   const std::array<QString, 4>* above) const;
    int nextFilledLine(int n) const;
    // The position of a pan row; nothing for any other row.
    std::optional<double> positionOf(const Fields& all) const;
    // A pan row's line, its position and half a unit in the last place the file shows it.
    struct PanPosition {
        int line;
        double value;
        double half;
    };
    void placeRows(ParsedDataSet& out, const std::vector<PanPosition>& positions,
                   const Units& units) const;
    void checkPositions(const std::vector<PanPosition>& positions) const;
    std::optional<std::pair<double, double>> separationFromWidths(int from,
                                                                  double separation) const;

    const RecordsOrError& split_;
    const std::vector<Record>& records_;
    bool decimalComma_ = false;
    // The last line whose label was found where the layout has it.
    mutable int lastLabelled_ = 2;
};

ParsedDataSet Parser::parse()
{
    ParsedDataSet out;
    out.metric = readUnits();
    const Units units = Units::forSystem(out.metric);
    readParameters(out, units);
    readControl(out);
    readSamples(out, units);
    return out;
}

// The first field of a line the layout labels must be its label. When it is not, a line was added
// or removed: the first line since the last label that differs from the layout is named, so a
// comment added in the parameter block is named itself, not the value that no longer lines up.
void Parser::expectLabel(int n) const
{
    const auto text = [this](int k) {
        return k <= count() ? trimBlanks(field(k, 0)) : QStringView();
    };
    const QString label = layoutText(n);
    if (text(n).compare(label, Qt::CaseInsensitive) == 0) {
        lastLabelled_ = n;
        return;
    }
    int at = lastLabelled_ + 1;
    while (at < n && text(at).compare(layoutText(at), Qt::CaseInsensitive) == 0) {
        ++at;
    }
    line(at);
    fail(at, quotedText(layoutText(at)) + QStringLiteral(" was expected here, not ") +
                 quotedText(text(at)) + QStringLiteral(" (a line was added or removed)"));
}

// The values that follow are in the file's own units, so those must be known first; a name
// the program never wrote is no reason to guess.
bool Parser::readUnits() const
{
    expectLabel(kUnitsLine);
    if (fileFieldCount(fields(kUnitsLine)) <= 2) {
        fail(kUnitsLine, QStringLiteral("the unit system is missing"));
    }
    const QStringView name = trimBlanks(field(kUnitsLine, 2));
    QString key = name.toString().toLower();
    key.remove(u' ');
    if (key != u"metric" && key != u"u.s.") {
        fail(kUnitsLine, QStringLiteral("unknown unit system '%1' (Metric or U.S.)").arg(name));
    }
    return key == u"metric";
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
    expectLabel(kOpeningTypeLine);
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
    expectLabel(n);
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
                ? *numbers::parseFloat(numberText(*entered))
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
    expectLabel(kControlLarvaeLine);
    if (field(kControlLarvaeLine, 2) == kNotGiven) {
        return;
    }
    ControlData control;
    control.larvae = count16(kControlLarvaeLine, QStringLiteral("the number in pan"));
    const QString hours = QStringLiteral("the time after treatment");
    expectLabel(kControlHoursLine);
    const std::optional<float> value = numbers::parseFloat(numberText(field(kControlHoursLine, 2)));
    if (!value) {
        fail(kControlHoursLine, hours + QStringLiteral(" is not a number"));
    }
    control.hours = *value;
    control.dead = count16(kControlDeadLine, QStringLiteral("the 24 hr mortality"));
    out.control = control;
}

std::optional<double> Parser::positionOf(const Fields& all) const
{
    return parseNumber(trimBlanks(fileField(all, 0)));
}

// The first line from n on that is not blank, or one past the end.
int Parser::nextFilledLine(int n) const
{
    while (n <= count() && isBlank(fields(n))) {
        ++n;
    }
    return n;
}

void Parser::readCells(int n, const Fields& all, std::array<QString, 4>& cells,
                       const std::array<QString, 4>* above) const
{
    static const std::array<QString, 4> kCellNames{columnNoun(ColWeight), columnNoun(ColGranules),
                                                   columnNoun(ColLarvae), columnNoun(ColDead)};
    for (std::size_t c = 0; c < cells.size(); ++c) {
        QStringView cell = trimBlanks(fileField(all, static_cast<qsizetype>(c) + 1));
        QString normal;
        if (decimalComma_ && cell.contains(u',')) {
            normal = numberText(cell);
            cell = normal;
        }
        if (!cell.isEmpty()) {
            const std::optional<double> value = numbers::parseDouble(cell);
            if (!value) {
                fail(n, kCellNames[c] + QStringLiteral(" is not a number"));
            }
            // As typing refuses them: no count or weight means anything below 0.
            if (*value < 0) {
                fail(n, kCellNames[c] + QStringLiteral(" is below 0"));
            }
        }
        // A cell that repeats the one above it (the larvae per pan, mostly) shares its text.
        const QString* same = above ? &(*above)[c] : nullptr;
        cells[c] = same && *same == cell ? *same : owned(cell);
    }
}

void Parser::readSamples(ParsedDataSet& out, const Units& units) const
{
    int n = kSampleHeadingLine;
    while (n <= count() && !line(n).text.contains(columnInfo(ColPosition).fileHeading)) {
        ++n;
    }
    if (n > count()) {
        fail(kSampleHeadingLine,
             QStringLiteral("the heading of the sample rows (with \"Position\") "
                            "was not found"));
    }
    line(n + 1); // the units line under the heading

    const int firstLine = n + 2;
    std::vector<PanPosition> positions;
    const auto rows = static_cast<std::size_t>(std::max(0, count() - firstLine + 1));
    out.rows.reserve(rows);
    positions.reserve(rows);
    for (n = firstLine; n <= count(); ++n) {
        const Fields all = fields(n);
        const std::optional<double> position = positionOf(all);
        if (!position) {
            const int next = nextFilledLine(n + 1);
            const bool panFollows = next <= count() && positionOf(fields(next)).has_value();
            if (isBlank(all)) {
                // Blank rows between pans are passed over; after the last pan they end the rows.
                if (!panFollows) {
                    break;
                }
                n = next - 1;
                continue;
            }
            const QStringView text = trimBlanks(fileField(all, 0));
            if (text.isEmpty()) {
                fail(n, QStringLiteral("the pan row has no position"));
            }
            if (panFollows) {
                fail(n, quotedText(text) + QStringLiteral(" is not a position (a row among the "
                                                          "pan rows that is no pan row)"));
            }
            break; // a note below the last pan
        }
        std::array<QString, 4> cells;
        readCells(n, all, cells, out.rows.empty() ? nullptr : &out.rows.back());
        out.rows.push_back(std::move(cells));
        positions.push_back({n, *position, halfUnit(trimBlanks(fileField(all, 0)))});
    }
    placeRows(out, positions, units);
    checkPositions(positions);
}

void Parser::placeRows(ParsedDataSet& out, const std::vector<PanPosition>& positions,
                       const Units& units) const
{
    Parameters& p = out.parameters;
    if (!positions.empty()) {
        const int firstLine = positions.front().line;
        const QString what = QStringLiteral("the position");
        const float p0 = stored(firstLine, positions.front().value / units.length, what);
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
        if (out.firstRow - 1 + static_cast<double>(out.rows.size()) > kMaxLoadedRows) {
            fail(firstLine,
                 QStringLiteral("the sample rows need more than %1 grid rows").arg(kMaxLoadedRows));
        }
    }
    // The field shows pan 1 where the grid now starts.
    out.fieldTexts[static_cast<std::size_t>(Field::Position1)] =
        loadedText(fieldInfo(Field::Position1), units, p.position1);
}

// The separation as the widths of the swath statistics table give it, row j being j separations:
// the widest pins it down far closer than the separation line's two decimals, so that their
// rounding cannot hide a row missing far down a long line. Nothing when the table is gone or
// does not fit the separation line, as a spreadsheet user may have changed it.
std::optional<std::pair<double, double>> Parser::separationFromWidths(int from,
                                                                      double separation) const
{
    int n = from;
    while (n <= count() && trimBlanks(field(n, 0)).compare(u"Width", Qt::CaseInsensitive) != 0) {
        ++n;
    }
    double low = 0;
    double high = std::numeric_limits<double>::infinity();
    for (int j = 1; n + j <= count(); ++j) {
        const QStringView text = trimBlanks(field(n + j, 0));
        const std::optional<double> width = parseNumber(text);
        if (!width) {
            break;
        }
        const double half = halfUnit(text) + 1e-9 * (1.0 + std::fabs(*width));
        if (std::fabs(*width - j * separation) > half + j * 0.005) {
            return std::nullopt;
        }
        low = std::max(low, (*width - half) / j);
        high = std::min(high, (*width + half) / j);
    }
    if (!(low <= high) || std::isinf(high)) {
        return std::nullopt;
    }
    return std::make_pair(low, high);
}

// Each row must be the pan after the one above it: a row deleted, repeated, sorted or brought
// in from another file would otherwise shift every pan below it without a word.
void Parser::checkPositions(const std::vector<PanPosition>& positions) const
{
    if (positions.size() < 2) {
        return;
    }
    const QString separationText =
        numberText(trimBlanks(field(fieldInfo(Field::Separation).fileLine, 2)));
    const double separation = *numbers::parseDouble(separationText);
    // The separation line shows at most two decimals; a spreadsheet may show fewer.
    PanLineFit fit(positions.front().value, positions.front().half, separation,
                   std::min(halfUnit(separationText), 0.005));
    // Pan 1 pins the first row down far closer than its rounding where positions are whole.
    const QString position1Text =
        numberText(trimBlanks(field(fieldInfo(Field::Position1).fileLine, 2)));
    const double position1 = *numbers::parseDouble(position1Text);
    fit.anchor(std::nearbyint((positions.front().value - position1) / separation), position1,
               std::min(halfUnit(position1Text), 0.005));
    if (const auto range = separationFromWidths(positions.back().line + 1, separation)) {
        fit.limitSeparation(range->first, range->second);
    }
    for (std::size_t i = 1; i < positions.size(); ++i) {
        const PanPosition& at = positions[i];
        if (fit.add(static_cast<int>(i), at.value, at.half)) {
            continue;
        }
        const int decimals = std::clamp(int(std::lround(-std::log10(2 * at.half))), 0, 9);
        QString expected = numbers::format(
            positions[i - 1].value + separation,
            decimals > 0 ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0"));
        if (decimalComma_) {
            expected.replace(u'.', u',');
        }
        fail(at.line, QStringLiteral("position %1 where %2 was expected (a pan row is missing or "
                                     "out of order)")
                          .arg(trimBlanks(fields(at.line).value(0)), expected));
    }
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
    const RecordsOrError split = splitRecords(text, detectSeparator(text));
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
