#pragma once

#include "core/units.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

namespace pellamar {

// Stored value of a meteorology entry that was not given.
inline constexpr float kNotEntered = -1000.0f;

// The parameter fields, in the order of the pages and of the data-set file.
enum class Field : int {
    Agency,
    Sprayer,
    ReleaseHeight,
    SwathWidth,
    OpeningArea,
    Position1,
    Separation,
    MetHeight,
    AirTemperature,
    WindSpeed,
    WindDirection,
    Humidity,
    ProductName,
    ProductRate,
};
inline constexpr int kFieldCount = 14;

// The meteorology at release; kNotEntered where not given.
struct Meteorology {
    float height = kNotEntered;         // m
    float airTemperature = kNotEntered; // °C
    float windSpeed = kNotEntered;      // km/h
    float windDirection = kNotEntered;  // ° relative to the aircraft heading
    float humidity = kNotEntered;       // %
    friend bool operator==(const Meteorology&, const Meteorology&) = default;
};

// Every parameter, stored in metric units.
struct Parameters {
    QString agency;
    QString sprayer;
    float releaseHeight = 0.0f; // m, 0 = not entered
    float swathWidth = 0.0f;    // m, 0 = not entered
    std::uint8_t openingType = 0;
    float openingArea = 1.0f; // m²
    float position1 = 0.0f;   // m, may be negative
    float separation = 10.0f; // m
    Meteorology met;
    QString productName;
    float productRate = 0.0f; // kg/ha, 0 = not entered
    friend bool operator==(const Parameters&, const Parameters&) = default;
};

// How a field's stored value can be absent, and what it refuses.
enum class Entry {
    Name,          // any text
    Always,        // always holds a value
    Positive,      // always holds a value above 0: results divide by it
    ZeroUnset,     // 0 means not entered; nothing below 0 means anything
    SentinelUnset, // kNotEntered means not entered
};

// Everything the program knows of one parameter field, in one row.
struct FieldInfo {
    Field field;
    QStringView noun;      // what a message calls it: "the release height"
    QStringView caption;   // beside the field on its page
    QStringView fileLabel; // before its value in the data-set file
    int fileLine;          // the file line that holds it, from 1
    QStringView pattern;   // the number pattern the field shows; empty for names
    Quantity quantity;
    Entry entry;
    float& (*number)(Parameters&); // numbers only
    QString& (*name)(Parameters&); // names only
};

// clang-format off
inline constexpr std::array<FieldInfo, kFieldCount> kFieldTable{{
    {Field::Agency, u"the agency", u"Agency:", u"Agency:", 10, {}, Quantity::None, Entry::Name, nullptr,
     [](Parameters& p) -> QString& { return p.agency; }},
    {Field::Sprayer, u"the sprayer", u"Sprayer:", u"Sprayer:", 11, {}, Quantity::None, Entry::Name, nullptr,
     [](Parameters& p) -> QString& { return p.sprayer; }},
    {Field::ReleaseHeight, u"the release height", u"Release Height:", u"Release Height:", 12, u"0.0", Quantity::Length, Entry::ZeroUnset,
     [](Parameters& p) -> float& { return p.releaseHeight; }, nullptr},
    {Field::SwathWidth, u"the swath width", u"Swath Width:", u"Swath Width:", 13, u"0.0", Quantity::Length, Entry::ZeroUnset,
     [](Parameters& p) -> float& { return p.swathWidth; }, nullptr},
    {Field::OpeningArea, u"the opening area", u"Area:", u"Opening Area:", 16, u"0.0###", Quantity::Area, Entry::Positive,
     [](Parameters& p) -> float& { return p.openingArea; }, nullptr},
    {Field::Position1, u"the position of pan 1", u"Position 1:", u"Position 1:", 17, u"0.0#", Quantity::Length, Entry::Always,
     [](Parameters& p) -> float& { return p.position1; }, nullptr},
    {Field::Separation, u"the separation", u"Separation:", u"Separation:", 18, u"0.0#", Quantity::Length, Entry::Positive,
     [](Parameters& p) -> float& { return p.separation; }, nullptr},
    {Field::MetHeight, u"the meteorology height", u"Height:", u"Height:", 20, u"0.0", Quantity::Length, Entry::SentinelUnset,
     [](Parameters& p) -> float& { return p.met.height; }, nullptr},
    {Field::AirTemperature, u"the air temperature", u"Air Temp:", u"Air Temp.:", 21, u"0.0", Quantity::Temperature, Entry::SentinelUnset,
     [](Parameters& p) -> float& { return p.met.airTemperature; }, nullptr},
    {Field::WindSpeed, u"the wind speed", u"Wind Speed:", u"Wind Speed:", 22, u"0.0", Quantity::Speed, Entry::SentinelUnset,
     [](Parameters& p) -> float& { return p.met.windSpeed; }, nullptr},
    {Field::WindDirection, u"the wind direction", u"Wind Direction:", u"Wind Direction:", 23, u"0.0", Quantity::Angle, Entry::SentinelUnset,
     [](Parameters& p) -> float& { return p.met.windDirection; }, nullptr},
    {Field::Humidity, u"the relative humidity", u"R.H.:", u"Rel. Humidity:", 24, u"0.0", Quantity::Percent, Entry::SentinelUnset,
     [](Parameters& p) -> float& { return p.met.humidity; }, nullptr},
    {Field::ProductName, u"the product", u"Product:", u"Product:", 26, {}, Quantity::None, Entry::Name, nullptr,
     [](Parameters& p) -> QString& { return p.productName; }},
    {Field::ProductRate, u"the spray rate", u"Product Rate:", u"Spray Rate:", 27, u"0.00", Quantity::Rate, Entry::ZeroUnset,
     [](Parameters& p) -> float& { return p.productRate; }, nullptr},
}};
// clang-format on

constexpr const FieldInfo& fieldInfo(Field field)
{
    return kFieldTable[static_cast<std::size_t>(field)];
}

inline const QString kOpeningTypeCaption = QStringLiteral("Opening:");
// The sampler opening types, in list order.
QStringList openingTypeNames();

// A numeric field's stored value.
float storedValue(const Parameters& parameters, Field field);
// Whether a stored value is an entry; false where it means "not entered".
bool isEntered(Entry entry, float stored);
// The text a field shows for the stored parameters in the given units (its pattern), or
// nullopt when the stored value means "not entered".
std::optional<QString> displayText(const Parameters& parameters, const Units& units, Field field);

} // namespace pellamar
