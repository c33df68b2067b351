#include "datafile/fields.h"

#include "core/numbers.h"

#include <cmath>
#include <optional>

namespace pellamar::datafile {

namespace {

constexpr int kKeyPoint = 46;
constexpr int kKeyDigit0 = 48;
constexpr int kKeyDigit9 = 57;

// The metric value of a displayed number; nullopt when it would leave single precision.
std::optional<float> toMetric(const Units& units, Field field, double shown)
{
    double value = shown;
    switch (field) {
    case Field::ReleaseHeight:
    case Field::SwathWidth:
    case Field::Position1:
    case Field::Separation:
    case Field::MetHeight:
        value = shown / double(units.length);
        break;
    case Field::OpeningArea:
        value = shown / units.areaFactor();
        break;
    case Field::AirTemperature:
        value = (shown - double(units.temperatureOffset)) / double(units.temperatureScale);
        break;
    case Field::WindSpeed:
        value = shown / double(units.speed);
        break;
    case Field::ProductRate:
        value = shown / double(units.rate);
        break;
    default:
        break;
    }
    if (!(std::fabs(value) <= numbers::kSingleMax)) {
        return std::nullopt;
    }
    return numbers::toStored(value);
}

// The stored value an accepted text gives: the text reformatted first, so that the value
// carries exactly the precision shown. Nullopt when the text is no number or leaves range.
std::optional<float> acceptedValue(const DataSet& dataSet, Field field, const QString& text)
{
    const std::optional<double> typed = numbers::parseDouble(text);
    if (!typed) {
        return std::nullopt;
    }
    const QString shown = numbers::format(*typed, fieldPattern(field));
    if (field == Field::WindDirection || field == Field::Humidity) {
        return numbers::parseFloat(shown);
    }
    const std::optional<double> rounded = numbers::parseDouble(shown);
    if (!rounded) {
        return std::nullopt;
    }
    return toMetric(dataSet.units(), field, *rounded);
}

float& storedValue(Parameters& p, Field field)
{
    switch (field) {
    case Field::ReleaseHeight:
        return p.releaseHeight;
    case Field::SwathWidth:
        return p.swathWidth;
    case Field::OpeningArea:
        return p.openingArea;
    case Field::Position1:
        return p.position1;
    case Field::Separation:
        return p.separation;
    case Field::MetHeight:
        return p.met[0];
    case Field::AirTemperature:
        return p.met[1];
    case Field::WindSpeed:
        return p.met[2];
    case Field::WindDirection:
        return p.met[3];
    case Field::Humidity:
        return p.met[4];
    default:
        return p.productRate;
    }
}

QString& storedText(Parameters& p, Field field)
{
    switch (field) {
    case Field::Agency:
        return p.agency;
    case Field::Sprayer:
        return p.sprayer;
    default:
        return p.productName;
    }
}

bool isMeteorology(Field field)
{
    return field == Field::MetHeight || field == Field::AirTemperature ||
           field == Field::WindSpeed || field == Field::WindDirection || field == Field::Humidity;
}

// The field shows its stored value, or nothing when that means "not entered".
void showStored(DataSet& dataSet, Field field)
{
    dataSet.setFieldText(field, dataSet.displayText(field).value_or(QString()));
}

} // namespace

int filterNumericKey(int code, QStringView text, QStringView selectedText, bool decimalAllowed)
{
    if (code == kKeyPoint) {
        const bool free = !text.contains(u'.') || selectedText.contains(u'.');
        return decimalAllowed && free ? code : 0;
    }
    if (code == kKeyBackspace || (code >= kKeyDigit0 && code <= kKeyDigit9)) {
        return code;
    }
    return 0;
}

SignToggle toggleSign(const QString& text, int selectionStart, int selectionLength)
{
    const auto minus = static_cast<int>(text.indexOf(u'-'));
    if (minus < 0) {
        return {u'-' + text, selectionStart + 1, selectionLength};
    }
    if (minus >= selectionStart && minus < selectionStart + selectionLength) {
        QString result = text;
        result.replace(selectionStart, selectionLength, QStringLiteral("-"));
        return {result, selectionStart + 1, 0};
    }
    // The sign goes, not whatever a pasted text holds before it; the caret keeps its digits.
    QString result = text;
    result.remove(minus, 1);
    return {result, minus < selectionStart ? selectionStart - 1 : selectionStart, selectionLength};
}

bool isTextField(Field field)
{
    return field == Field::Agency || field == Field::Sprayer || field == Field::ProductName;
}

bool commitField(DataSet& dataSet, Field field, const QString& text)
{
    if (isTextField(field)) {
        storedText(dataSet.parameters(), field) = text;
        dataSet.setFieldText(field, text);
        return false;
    }

    float& stored = storedValue(dataSet.parameters(), field);
    std::optional<float> value = acceptedValue(dataSet, field, text);

    switch (field) {
    case Field::OpeningArea:
    case Field::Separation:
    case Field::Position1:
        // These always hold a value; a zero area or separation would divide by zero later, so
        // the test is on the value as it would be stored.
        if (value && (field == Field::Position1 || *value > 0.0f)) {
            stored = *value;
            showStored(dataSet, field);
            return true;
        }
        showStored(dataSet, field);
        return false;
    default:
        break;
    }

    const bool meteorology = isMeteorology(field);
    const float notEntered = meteorology ? kNotEntered : 0.0f;
    // Height, width and rate mean nothing below zero (only a paste brings a minus), and a
    // meteorology value equal to its sentinel would read back as "not entered".
    if (value && ((!meteorology && *value < 0.0f) || (meteorology && *value == kNotEntered))) {
        value.reset();
    }
    const bool recalculates = field == Field::SwathWidth;

    if (text.isEmpty()) {
        stored = notEntered;
        dataSet.setFieldText(field, QString());
        return recalculates;
    }
    if (!value) {
        if (!dataSet.displayText(field)) {
            stored = notEntered;
        }
        showStored(dataSet, field);
        return false;
    }
    stored = *value;
    showStored(dataSet, field);
    return recalculates;
}

} // namespace pellamar::datafile
