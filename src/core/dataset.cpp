#include "core/dataset.h"

#include "core/numbers.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace pellamar {

DataSet::DataSet(bool metric, QObject* parent)
    : QObject(parent)
    , units_(Units::forSystem(metric))
{
    appendRows(kInitialDataRows);
}

// --- units ---

void DataSet::applyUnits()
{
    units_ = Units::forSystem(units_.metric);
    // Angles and percentages are the same in every unit system: they keep their texts.
    for (const FieldInfo& s : kFieldTable) {
        if (s.quantity == Quantity::None || s.quantity == Quantity::Angle ||
            s.quantity == Quantity::Percent) {
            continue;
        }
        if (const auto text = displayText(s.field)) {
            setFieldText(s.field, *text);
        }
    }
    emit unitsApplied();
}

bool DataSet::switchUnits(bool metric)
{
    if (metric == units_.metric) {
        return false;
    }
    units_.metric = metric;
    applyUnits();
    calculateResults(0);
    return true;
}

// --- parameters ---

const QString& DataSet::fieldText(Field field) const
{
    return fieldTexts_[static_cast<std::size_t>(field)];
}

void DataSet::setFieldText(Field field, const QString& text)
{
    QString& current = fieldTexts_[static_cast<std::size_t>(field)];
    if (current == text && current.isNull() == text.isNull()) {
        return;
    }
    current = text;
    emit fieldTextChanged(field);
}

std::optional<QString> DataSet::displayText(Field field) const
{
    return pellamar::displayText(params_, units_, field);
}

QString DataSet::positionFormat() const
{
    const bool whole = numbers::wholeToTwoDecimals(units_.toDisplayLength(params_.separation)) &&
                       numbers::wholeToTwoDecimals(units_.toDisplayLength(params_.position1));
    return whole ? QStringLiteral("0") : QStringLiteral("0.0");
}

// --- control data ---

void DataSet::setControlData(const ControlData& data)
{
    control_ = data;
    emit controlDataChanged();
}

// --- grid ---

const QString& DataSet::input(int r, int column) const
{
    assert(column >= ColWeight && column <= ColDead);
    return row(r).inputs[static_cast<std::size_t>(column - ColWeight)];
}

void DataSet::setInput(int r, int column, const QString& text)
{
    assert(r >= 1 && r <= dataRowCount() && column >= ColWeight && column <= ColDead);
    Row& target = row(r);
    target.inputs[static_cast<std::size_t>(column - ColWeight)] = text;
    // Only numbers count as entered: a text that is not one cannot feed a result.
    const bool filled = !text.isEmpty();
    switch (column) {
    case ColWeight:
        target.weight = filled ? numbers::parseFloat(text) : std::nullopt;
        break;
    case ColGranules:
        target.granules = filled ? numbers::parseFloat(text) : std::nullopt;
        break;
    case ColLarvae:
        target.larvae = filled ? numbers::parseDouble(text) : std::nullopt;
        break;
    default:
        target.dead = filled ? numbers::parseDouble(text) : std::nullopt;
        break;
    }
}

void DataSet::ensureDataRows(int count)
{
    if (count > dataRowCount()) {
        appendRows(count - dataRowCount());
    }
}

void DataSet::keepRowAfter(int row)
{
    if (row >= dataRowCount()) {
        appendRows(row + 1 - dataRowCount(), true);
    }
}

void DataSet::truncateRows(int count)
{
    count = std::max(count, 1);
    if (count >= dataRowCount()) {
        return;
    }
    emit rowsAboutToBeRemoved(count + 1, dataRowCount());
    rows_.resize(static_cast<std::size_t>(count));
    emit rowsRemoved();
}

bool DataSet::deadAboveLarvae(int r) const
{
    const Row& target = row(r);
    return target.dead && *target.dead > target.larvae.value_or(0.0);
}

const SampleResult& DataSet::result(int r) const
{
    return row(r).result;
}

bool DataSet::hasResult(int r, Result result) const
{
    return (row(r).present >> (static_cast<int>(result) - 1) & 1u) != 0;
}

double DataSet::position(int r) const
{
    return row(r).position;
}

void DataSet::appendRows(int count, bool positionLast)
{
    const int first = dataRowCount() + 1;
    const int last = dataRowCount() + count;
    emit rowsAboutToBeInserted(first, last);
    rows_.resize(static_cast<std::size_t>(last), Row{});
    if (positionLast) {
        rows_.back().position = positionOf(last);
    }
    emit rowsInserted(first, last);
}

double DataSet::positionOf(int r) const
{
    const double lf = units_.length;
    return double(r - 1) * double(params_.separation) * lf + double(params_.position1) * lf;
}

void DataSet::computeRow(Row& r, double depositFactor, double area) const
{
    r.result = {};
    r.present = 0;
    auto& v = r.result.v;
    const auto present = [&r](Result result) {
        r.present = static_cast<std::uint8_t>(r.present | (1u << (static_cast<int>(result) - 1)));
    };

    if (r.weight) {
        v[0] = numbers::toStored(double(*r.weight) * depositFactor / area);
        present(Result::Deposit);
    }
    if (r.granules) {
        v[2] = numbers::toStored(double(*r.granules) / area);
        present(Result::Density);
    }
    if (r.weight && r.granules && *r.weight > 0) {
        v[3] = numbers::toStored(double(*r.granules) / double(*r.weight));
        present(Result::GranulesPerGram);
    }
    const int controlLarvae = control_.larvae;
    const int controlDead = control_.dead;
    // All control larvae dead leaves no surviving fraction to correct by: no value.
    if (r.larvae && r.dead && controlLarvae > 0 && controlDead != controlLarvae) {
        const double larvae = numbers::roundToInt32(*r.larvae);
        const double dead = numbers::roundToInt32(*r.dead);
        if (larvae > 0) {
            const double treatedSurvival = (larvae - dead) / larvae;
            const double controlSurvival =
                double(controlLarvae - controlDead) / double(controlLarvae);
            v[4] = numbers::toStored((1 - treatedSurvival / controlSurvival) * 100);
            if (v[4] < 0) {
                v[4] = 0;
            }
        }
        present(Result::Mortality);
    }
}

void DataSet::calculateResults(int rowToCalculate)
{
    const Parameters& p = params_;
    if (p.openingArea == 0 || !(p.separation > 0) || rowToCalculate < 0 ||
        rowToCalculate > dataRowCount()) {
        return;
    }
    firstDataRow_ = 0;
    lastDataRow_ = 0;
    wholePositions_ = positionFormat() == u"0";

    const int first = rowToCalculate == 0 ? 1 : rowToCalculate;
    const int last = rowToCalculate == 0 ? dataRowCount() : rowToCalculate;
    for (int i = first; i <= last; ++i) {
        row(i).position = positionOf(i);
    }

    const double depositFactor = units_.depositFactor();
    const double area = double(p.openingArea) * units_.areaFactor();
    for (int i = first; i <= last; ++i) {
        computeRow(row(i), depositFactor, area);
    }

    float total = 0.0f;
    for (int i = 1; i <= dataRowCount(); ++i) {
        const Row& r = row(i);
        if (r.weight) {
            total = static_cast<float>(double(total) + double(*r.weight));
        }
        if (r.weight || r.granules) {
            if (firstDataRow_ == 0) {
                firstDataRow_ = i;
            }
            lastDataRow_ = i;
        }
    }

    // Without any deposit there is no cumulative fraction; stale ones must not survive.
    float cumulative = 0.0f;
    for (Row& r : rows_) {
        if (total > 0 && r.weight) {
            cumulative = static_cast<float>(double(cumulative) + double(*r.weight) / double(total));
        }
        r.result.v[1] = total > 0 ? cumulative : 0.0f;
    }

    emit recalculated(first, last);
}

void DataSet::clearDataSet(const SamplerSettings& sampler)
{
    emit aboutToReset();
    control_.larvae = 0;
    control_.dead = 0;

    Parameters fresh;
    fresh.openingType = sampler.openingType;
    fresh.openingArea = sampler.openingArea;
    fresh.position1 = sampler.position1;
    fresh.separation = sampler.separation;
    params_ = fresh;

    // Only the sampler line, which always holds values, keeps its texts.
    for (const FieldInfo& s : kFieldTable) {
        const bool held = s.entry == Entry::Always || s.entry == Entry::Positive;
        setFieldText(s.field, held ? displayText(s.field).value_or(QString()) : QString());
    }

    rows_.assign(static_cast<std::size_t>(kInitialDataRows), Row{});
    firstDataRow_ = 0;
    lastDataRow_ = 0;
    emit resetDone();

    calculateResults(0);
    emit resetSettled();
}

QString cellText(const DataSet& dataSet, int row, int column)
{
    if (isInputColumn(column)) {
        return dataSet.input(row, column);
    }
    const ColumnInfo& info = columnInfo(column);
    if (info.result) {
        return dataSet.hasResult(row, *info.result)
                   ? numbers::format(dataSet.result(row).value(*info.result), info.pattern)
                   : QString();
    }
    const double position = dataSet.position(row);
    return std::isnan(position)
               ? QString()
               : numbers::format(position, dataSet.wholePositions() ? u"0" : info.pattern);
}

DataSetState DataSet::state() const
{
    return {units_.metric, params_, fieldTexts_, control_};
}

void DataSet::restoreState(const DataSetState& state)
{
    if (state.metric != units_.metric) {
        units_.metric = state.metric;
        applyUnits();
    }
    params_ = state.parameters;
    for (int f = 0; f < kFieldCount; ++f) {
        setFieldText(Field(f), state.fieldTexts[static_cast<std::size_t>(f)]);
    }
    setControlData(state.control);
    emit stateRestored();
    calculateResults(0);
}

DataSetSnapshot DataSet::snapshot() const
{
    DataSetSnapshot out{state(), {}};
    out.inputs.reserve(rows_.size());
    for (const Row& r : rows_) {
        out.inputs.push_back(r.inputs);
    }
    return out;
}

void DataSet::restore(const DataSetSnapshot& snapshot)
{
    emit aboutToReset();
    rows_.assign(snapshot.inputs.size(), Row{});
    for (int r = 1; r <= dataRowCount(); ++r) {
        for (int c = ColWeight; c <= ColDead; ++c) {
            setInput(r, c,
                     snapshot.inputs[static_cast<std::size_t>(r - 1)]
                                    [static_cast<std::size_t>(c - ColWeight)]);
        }
    }
    emit resetDone();
    restoreState(snapshot.state);
    emit resetSettled();
}

} // namespace pellamar
