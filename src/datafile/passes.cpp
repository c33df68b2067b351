#include "datafile/passes.h"

#include "core/numbers.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace pellamar::datafile {

namespace {

constexpr int kColumns = 4; // weight, granules, larvae, dead

// A cell's number; a blank cell, or one that is no number, feeds no result and counts as none.
std::optional<double> cellValue(const ParsedDataSet& data, int gridRow, int column)
{
    const auto index = static_cast<std::size_t>(gridRow - data.firstRow);
    if (gridRow < data.firstRow || index >= data.rows.size()) {
        return std::nullopt;
    }
    const QString& text = data.rows[index][static_cast<std::size_t>(column)];
    if (text.isEmpty()) {
        return std::nullopt;
    }
    if (column < 2) {
        const std::optional<float> value = numbers::parseFloat(text);
        return value ? std::optional<double>(*value) : std::nullopt;
    }
    const std::optional<double> value = numbers::parseDouble(text);
    return value ? std::optional<double>(numbers::roundToInt32(*value)) : std::nullopt;
}

bool holdsData(const ParsedDataSet& data, int gridRow)
{
    return cellValue(data, gridRow, 0) || cellValue(data, gridRow, 1);
}

int lastRow(const ParsedDataSet& data)
{
    return data.firstRow + static_cast<int>(data.rows.size()) - 1;
}

// A sampler-line value as its field shows it, with the unit: "5 m", "0.1 m²".
QString shownWithUnit(const ParsedDataSet& data, Quantity quantity, float stored)
{
    const Units units = Units::forSystem(data.metric);
    return numbers::formatGeneral(units.toDisplay(quantity, stored)) + u' ' +
           units.symbol(quantity);
}

QString systemName(bool metric)
{
    return metric ? QStringLiteral("metric") : QStringLiteral("U.S.");
}

// What sets the pass apart from the first as a pass over another pan line; empty when nothing.
QString differentLine(const Pass& first, const Pass& pass)
{
    const ParsedDataSet& a = first.data;
    const ParsedDataSet& b = pass.data;
    if (a.metric != b.metric) {
        return QStringLiteral("%1: %2 units where the first pass has %3 units")
            .arg(pass.title, systemName(b.metric), systemName(a.metric));
    }
    const struct {
        const char* noun;
        Quantity quantity;
        float Parameters::*value;
    } line[] = {{"position of pan 1", Quantity::Length, &Parameters::position1},
                {"separation", Quantity::Length, &Parameters::separation},
                {"opening area", Quantity::Area, &Parameters::openingArea}};
    for (const auto& s : line) {
        const float here = b.parameters.*s.value;
        const float there = a.parameters.*s.value;
        if (here != there) {
            return QStringLiteral("%1: %2 %3 where the first pass has %4")
                .arg(pass.title, QString::fromLatin1(s.noun), shownWithUnit(b, s.quantity, here),
                     shownWithUnit(a, s.quantity, there));
        }
    }
    return {};
}

// Passes that cannot be one pan line's: which file and why; empty when they can.
QString refusal(const std::vector<Pass>& passes)
{
    if (passes.size() < std::size_t(kMinPasses) || passes.size() > std::size_t(kMaxPasses)) {
        return QStringLiteral("Choose from %1 to %2 data-set files to average; %3 %4 chosen.")
            .arg(kMinPasses)
            .arg(kMaxPasses)
            .arg(passes.size())
            .arg(passes.size() == 1 ? QStringLiteral("was") : QStringLiteral("were"));
    }
    const Pass& first = passes.front();
    for (const Pass& pass : passes) {
        if (const QString problem = differentLine(first, pass); !problem.isEmpty()) {
            return problem;
        }
        const ParsedDataSet& data = pass.data;
        bool any = false;
        bool shared = false;
        for (int r = data.firstRow; r <= lastRow(data); ++r) {
            any = any || holdsData(data, r);
            shared = shared || (holdsData(data, r) && holdsData(first.data, r));
        }
        if (!any) {
            return QStringLiteral("%1: no sample data").arg(pass.title);
        }
        if (!shared) {
            return QStringLiteral("%1: no pan with data where the first pass has data")
                .arg(pass.title);
        }
    }
    return {};
}

// Decimals a number text shows; -1 for an exponent form.
int decimals(const QString& text)
{
    const QStringView number = numbers::trimBlanks(text);
    if (number.contains(u'e', Qt::CaseInsensitive)) {
        return -1;
    }
    const qsizetype point = number.indexOf(u'.');
    return point < 0 ? 0 : int(number.size() - point - 1);
}

// The sum of the passes' cells as its text, or nothing where every pass left the cell blank.
// Weights and granules keep the most decimals their texts show, which hold the sum exactly.
std::optional<QString> cellSum(const std::vector<Pass>& passes, int gridRow, int column)
{
    std::optional<double> sum;
    int places = 0;
    for (const Pass& pass : passes) {
        if (const auto value = cellValue(pass.data, gridRow, column)) {
            const auto& rows = pass.data.rows;
            const QString& text =
                rows[std::size_t(gridRow - pass.data.firstRow)][std::size_t(column)];
            sum = sum.value_or(0.0) + (column < 2 ? *numbers::parseDouble(text) : *value);
            places = places < 0 || decimals(text) < 0 ? -1 : std::max(places, decimals(text));
        }
    }
    if (!sum) {
        return std::nullopt;
    }
    if (column >= 2) {
        return QString::number(std::int64_t(*sum));
    }
    return places < 0 ? numbers::formatRoundTrip(numbers::toStored(*sum))
                      : QString::number(*sum, 'f', places);
}

// Pooled control counts of the passes that have any; the hours of the first of them.
std::variant<std::optional<ControlData>, QString> pooledControl(const std::vector<Pass>& passes)
{
    std::optional<ControlData> pooled;
    int larvae = 0;
    int dead = 0;
    for (const Pass& pass : passes) {
        const std::optional<ControlData>& control = pass.data.control;
        if (!control || control->larvae <= 0) {
            continue;
        }
        if (!pooled) {
            pooled = *control;
        }
        larvae += control->larvae;
        dead += control->dead;
        if (larvae > std::numeric_limits<std::int16_t>::max()) {
            return QStringLiteral("%1: the control larvae of the passes add up to more than %2")
                .arg(pass.title)
                .arg(std::numeric_limits<std::int16_t>::max());
        }
    }
    if (pooled) {
        pooled->larvae = static_cast<std::int16_t>(larvae);
        pooled->dead = static_cast<std::int16_t>(dead);
    }
    return pooled;
}

// The first pass's parameters with the names counting the passes and the area their total.
void describeAverage(ParsedDataSet& out, int count)
{
    const QString note = QStringLiteral("%1 passes averaged").arg(count);
    for (Field field : {Field::Agency, Field::Sprayer, Field::ProductName}) {
        QString& name = fieldInfo(field).name(out.parameters);
        name = name.isEmpty() ? note : name + QStringLiteral(" (") + note + u')';
        out.fieldTexts[static_cast<std::size_t>(field)] = name;
    }
    // The area as the file prints it, so that the saved file gives back these very results.
    const Units units = Units::forSystem(out.metric);
    const QStringView pattern = fieldInfo(Field::OpeningArea).pattern;
    const QString total = numbers::format(
        units.toDisplay(Quantity::Area, out.parameters.openingArea) * count, pattern);
    out.parameters.openingArea =
        numbers::toStored(units.toStored(Quantity::Area, *numbers::parseDouble(total)));
    out.fieldTexts[static_cast<std::size_t>(Field::OpeningArea)] =
        numbers::format(units.toDisplay(Quantity::Area, out.parameters.openingArea), pattern);
}

// Sums the passes' cells row by row into the averaged rows; each pass's weights and granules
// are kept beside them. Returns the problem when a count grows past what a cell holds.
QString sumRows(const std::vector<Pass>& passes, AveragedPasses& out)
{
    int first = std::numeric_limits<int>::max();
    int last = 0;
    for (const Pass& pass : passes) {
        first = std::min(first, pass.data.firstRow);
        last = std::max(last, lastRow(pass.data));
    }
    out.averaged.firstRow = first;
    out.averaged.rows.assign(std::size_t(last - first + 1), {});
    out.weights.assign(passes.size(), std::vector<float>(std::size_t(last - first + 1)));
    out.granules = out.weights;
    for (int r = first; r <= last; ++r) {
        std::array<QString, 4>& cells = out.averaged.rows[std::size_t(r - first)];
        for (int c = 0; c < kColumns; ++c) {
            const std::optional<QString> sum = cellSum(passes, r, c);
            if (!sum) {
                continue;
            }
            if (c >= 2 && sum->toLongLong() > std::numeric_limits<std::int32_t>::max()) {
                return QStringLiteral("Pan %1: the passes' %2 add up to more than %3.")
                    .arg(r)
                    .arg(c == 2 ? QStringLiteral("larvae") : QStringLiteral("dead larvae"))
                    .arg(std::numeric_limits<std::int32_t>::max());
            }
            cells[std::size_t(c)] = *sum;
        }
        for (std::size_t p = 0; p < passes.size(); ++p) {
            out.weights[p][std::size_t(r - first)] =
                float(cellValue(passes[p].data, r, 0).value_or(0.0));
            out.granules[p][std::size_t(r - first)] =
                float(cellValue(passes[p].data, r, 1).value_or(0.0));
        }
    }
    return {};
}

} // namespace

std::variant<AveragedPasses, QString> averagePasses(const std::vector<Pass>& passes)
{
    if (const QString problem = refusal(passes); !problem.isEmpty()) {
        return problem;
    }
    AveragedPasses out;
    out.passCount = static_cast<int>(passes.size());
    out.averaged.metric = passes.front().data.metric;
    out.averaged.parameters = passes.front().data.parameters;
    out.averaged.fieldTexts = passes.front().data.fieldTexts;
    auto control = pooledControl(passes);
    if (const QString* problem = std::get_if<QString>(&control)) {
        return *problem;
    }
    out.averaged.control = std::get<std::optional<ControlData>>(control);
    describeAverage(out.averaged, out.passCount);
    if (const QString problem = sumRows(passes, out); !problem.isEmpty()) {
        return problem;
    }
    return out;
}

std::variant<AveragedPasses, QString> averagePassFiles(const QStringList& paths)
{
    std::vector<Pass> passes;
    if (paths.size() >= kMinPasses && paths.size() <= kMaxPasses) {
        for (const QString& path : paths) {
            const QString title = QFileInfo(path).fileName();
            const FileBytes file = readDataSetFile(path);
            if (!file.message.isEmpty()) {
                return file.message;
            }
            auto parsed = parseDataSet(file.bytes, title);
            if (const auto* error = std::get_if<LoadError>(&parsed)) {
                // A damaged file's message names its line, not the file among the passes.
                return error->kind == LoadError::Kind::Damaged
                           ? title + QStringLiteral(": ") + error->message
                           : error->message;
            }
            passes.push_back({title, std::move(std::get<ParsedDataSet>(parsed))});
        }
    } else {
        passes.resize(std::size_t(paths.size()));
    }
    return averagePasses(passes);
}

std::vector<std::vector<float>> passValues(const AveragedPasses& passes, const DataSet& dataSet,
                                           Result result)
{
    if (result != Result::Deposit && result != Result::Density) {
        return {};
    }
    const Units& units = dataSet.units();
    // Each pass caught its sample in one share of the summed opening area.
    const double area =
        double(dataSet.parameters().openingArea) / passes.passCount * units.areaFactor();
    const double factor = result == Result::Deposit ? units.depositFactor() : 1.0;
    const auto& source = result == Result::Deposit ? passes.weights : passes.granules;
    std::vector<std::vector<float>> out = source;
    for (std::vector<float>& pass : out) {
        for (float& value : pass) {
            value = numbers::toStored(double(value) * factor / area);
        }
    }
    return out;
}

std::vector<float> passSpread(const AveragedPasses& passes)
{
    const std::size_t rows = passes.averaged.rows.size();
    std::vector<float> out(rows, -1.0f);
    const double n = passes.passCount;
    for (std::size_t r = 0; r < rows; ++r) {
        double sum = 0;
        for (const auto& pass : passes.weights) {
            sum += pass[r];
        }
        const double mean = sum / n;
        if (!(mean > 0)) {
            continue;
        }
        double squares = 0;
        for (const auto& pass : passes.weights) {
            squares += (pass[r] - mean) * (pass[r] - mean);
        }
        out[r] = numbers::toStored(std::sqrt(squares / (n - 1)) / mean * 100);
    }
    return out;
}

bool holdsPasses(const DataSet& dataSet, const AveragedPasses& passes)
{
    const ParsedDataSet& averaged = passes.averaged;
    const Parameters& p = dataSet.parameters();
    const Parameters& q = averaged.parameters;
    if (p.openingArea != q.openingArea || p.position1 != q.position1 ||
        p.separation != q.separation) {
        return false;
    }
    for (int r = 1; r <= dataSet.dataRowCount(); ++r) {
        const auto index = std::size_t(r - averaged.firstRow);
        const bool inside = r >= averaged.firstRow && index < averaged.rows.size();
        for (int c = 0; c < kColumns; ++c) {
            const QString& text = dataSet.input(r, ColWeight + c);
            if (text != (inside ? averaged.rows[index][std::size_t(c)] : QString())) {
                return false;
            }
        }
    }
    return true;
}

} // namespace pellamar::datafile
