#include "core/dataset.h"

#include "core/numbers.h"

#include <cassert>

namespace pellamar {

namespace {

const QString kDepositPad(7, u' ');
const QString kMortalityPad(8, u' ');
const QString kPositionPad(2, u' ');

} // namespace

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
    for (const FieldSpec& s : kFieldSpecs) {
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
}

void DataSet::markControlHeader()
{
    controlHeadingColor_ = control_.larvae == 0 ? kHeadingDarkRed : kHeadingBlack;
}

// --- grid ---

const QString& DataSet::cell(int r, int column) const
{
    return row(r).cells[static_cast<std::size_t>(column)];
}

void DataSet::setCell(int r, int column, const QString& text)
{
    assert(r >= 1 && r <= dataRowCount() && column >= ColWeight && column <= ColDead);
    Row& target = row(r);
    target.cells[static_cast<std::size_t>(column)] = text;
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
    case ColDead:
        target.dead = filled ? numbers::parseDouble(text) : std::nullopt;
        break;
    default:
        break;
    }
}

void DataSet::ensureDataRows(int count)
{
    if (count > dataRowCount()) {
        appendRows(count - dataRowCount());
    }
}

const SampleResult& DataSet::result(int r) const
{
    return row(r).result;
}

void DataSet::appendRows(int count, const QString& lastPosition)
{
    const int first = dataRowCount() + 1;
    const int last = dataRowCount() + count;
    emit rowsAboutToBeInserted(first, last);
    rows_.resize(static_cast<std::size_t>(last));
    rows_.back().cells[ColPosition] = lastPosition;
    emit rowsInserted(first, last);
}

QString DataSet::positionText(double position) const
{
    return numbers::format(position, positionGridFormat_) + kPositionPad;
}

void DataSet::computeRow(Row& r, double depositFactor, double area) const
{
    for (int c = ColDeposit; c <= ColCorrectedMortality; ++c) {
        r.cells[static_cast<std::size_t>(c)].clear();
    }
    r.result = {};
    auto& v = r.result.v;

    if (r.weight) {
        v[0] = numbers::toStored(double(*r.weight) * depositFactor / area);
        r.cells[ColDeposit] = numbers::format(v[0], u"0.000") + kDepositPad;
    }
    if (r.granules) {
        v[2] = numbers::toStored(double(*r.granules) / area);
        r.cells[ColDensity] = numbers::format(v[2], u"0.000") + kDepositPad;
    }
    if (r.weight && r.granules && *r.weight > 0) {
        v[3] = numbers::toStored(double(*r.granules) / double(*r.weight));
        r.cells[ColGranulesPerGram] = numbers::format(v[3], u"0.00") + kDepositPad;
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
        r.cells[ColCorrectedMortality] = numbers::format(v[4], u"0.00") + kMortalityPad;
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

    const double lf = units_.length;
    // Whole positions keep the width of two decimals so the column stays aligned.
    positionGridFormat_ =
        positionFormat() == u"0" ? QStringLiteral("0   ") : QStringLiteral("0.00");

    if (rowToCalculate == dataRowCount()) {
        const double position =
            double(p.position1) * lf + double(p.separation) * rowToCalculate * lf;
        appendRows(1, positionText(position));
    }

    const int first = rowToCalculate == 0 ? 1 : rowToCalculate;
    const int last = rowToCalculate == 0 ? dataRowCount() : rowToCalculate;
    for (int i = first; i <= last; ++i) {
        const double position =
            double(i - 1) * double(p.separation) * lf + double(p.position1) * lf;
        row(i).cells[ColPosition] = positionText(position);
    }

    const double depositFactor =
        units_.metric ? 10.0 : double(static_cast<float>(43560.0 / 453.59));
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

    saveEnabled_ = lastDataRow_ > 0;
    swathCheckVisible_ = lastDataRow_ - firstDataRow_ > 1;
    emit recalculated(first, last);
}

void DataSet::clearDataSet(const SamplerSettings& sampler)
{
    emit aboutToReset();
    resultsEnabled_ = false;
    saveEnabled_ = false;
    loadEnabled_ = true;

    control_.larvae = 0;
    control_.dead = 0;

    Parameters fresh;
    fresh.openingType = sampler.openingType;
    fresh.openingArea = sampler.openingArea;
    fresh.position1 = sampler.position1;
    fresh.separation = sampler.separation;
    params_ = fresh;

    // Only the sampler line, which always holds values, keeps its texts.
    for (const FieldSpec& s : kFieldSpecs) {
        const bool held = s.entry == Entry::Always || s.entry == Entry::Positive;
        setFieldText(s.field, held ? displayText(s.field).value_or(QString()) : QString());
    }

    rows_.assign(static_cast<std::size_t>(kInitialDataRows), Row{});
    firstDataRow_ = 0;
    lastDataRow_ = 0;
    markControlHeader();
    swathChecked_ = false;
    swathCheckVisible_ = false;
    selectedGraph_ = 1;
    emit resetDone();

    calculateResults(0);
}

} // namespace pellamar
