#include "core/fieldcommit.h"

#include "core/dataset.h"
#include "core/numbers.h"

#include <cmath>
#include <optional>

namespace pellamar {

namespace {

// The stored value an accepted text gives: the text reformatted first, so that the value carries
// exactly the precision shown. Nullopt when the text is no number or leaves single precision.
std::optional<float> acceptedValue(const Units& units, const FieldInfo& s, const QString& text)
{
    const std::optional<double> typed = numbers::parseDouble(text);
    if (!typed) {
        return std::nullopt;
    }
    const QString shown = numbers::format(*typed, s.pattern);
    if (s.quantity == Quantity::Angle || s.quantity == Quantity::Percent) {
        return numbers::parseFloat(shown);
    }
    const std::optional<double> rounded = numbers::parseDouble(shown);
    if (!rounded) {
        return std::nullopt;
    }
    const double value = units.toStored(s.quantity, *rounded);
    if (!(std::fabs(value) <= numbers::kSingleMax)) {
        return std::nullopt;
    }
    return numbers::toStored(value);
}

// The field shows its stored value, or nothing when that means "not entered".
void showStored(DataSet& dataSet, Field field)
{
    dataSet.setFieldText(field, dataSet.displayText(field).value_or(QString()));
}

} // namespace

FieldVerdict checkField(const DataSet& dataSet, Field field, const QString& text)
{
    const FieldInfo& s = fieldInfo(field);
    const bool required = s.entry == Entry::Always || s.entry == Entry::Positive;
    if (s.entry == Entry::Name || (text.isEmpty() && !required)) {
        return FieldVerdict::Accepted;
    }
    if (text.isEmpty()) {
        return FieldVerdict::Missing;
    }
    if (!numbers::isNumber(text)) {
        return FieldVerdict::NotANumber;
    }
    const std::optional<float> value = acceptedValue(dataSet.units(), s, text);
    if (!value || (s.entry == Entry::SentinelUnset && *value == kNotEntered)) {
        return FieldVerdict::OutOfRange;
    }
    if ((s.entry == Entry::Positive && *value <= 0.0f) ||
        (s.entry == Entry::ZeroUnset && *value < 0.0f)) {
        return FieldVerdict::NotAboveZero;
    }
    return FieldVerdict::Accepted;
}

bool commitField(DataSet& dataSet, Field field, const QString& text)
{
    const FieldInfo& s = fieldInfo(field);
    if (s.entry == Entry::Name) {
        s.name(dataSet.parameters()) = text;
        dataSet.setFieldText(field, text);
        return false;
    }

    float& stored = s.number(dataSet.parameters());
    std::optional<float> value = acceptedValue(dataSet.units(), s, text);

    if (s.entry == Entry::Always || s.entry == Entry::Positive) {
        // These always hold a value; a zero area or separation would divide by zero later, so
        // the test is on the value as it would be stored.
        const bool accepted = value && (s.entry == Entry::Always || *value > 0.0f);
        if (accepted) {
            stored = *value;
        }
        showStored(dataSet, field);
        return accepted;
    }

    const bool sentinel = s.entry == Entry::SentinelUnset;
    const float notEntered = sentinel ? kNotEntered : 0.0f;
    // Height, width and rate mean nothing below zero (only a paste brings a minus), and a
    // meteorology value equal to its sentinel would read back as "not entered".
    if (value && ((!sentinel && *value < 0.0f) || (sentinel && *value == kNotEntered))) {
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

} // namespace pellamar
