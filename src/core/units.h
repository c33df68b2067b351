#pragma once

#include <QString>
#include <array>

namespace pellamar {

// What a value measures, and so how it converts between its stored (metric) and shown form.
enum class Quantity { None, Length, Area, Temperature, Speed, Angle, Percent, Rate };

// The results of a grid row, numbered as the result graph's options.
enum class Result : int { Deposit = 1, CumulativeDeposit, Density, GranulesPerGram, Mortality };
inline constexpr std::array<Result, 5> kResults{Result::Deposit, Result::CumulativeDeposit,
                                                Result::Density, Result::GranulesPerGram,
                                                Result::Mortality};

// The display unit system. Stored values are always metric; a factor turns a stored value into
// the displayed one (temperature: × scale + offset; area: × length factor squared).
struct Units {
    bool metric = true;
    float length = 1.0f;            // m -> ft
    float temperatureScale = 1.0f;  // °C -> °F before the offset
    float speed = 1.0f;             // km/h -> mph
    float rate = 1.0f;              // kg/ha -> lb/ac
    float temperatureOffset = 0.0f; // added after the scale

    QString lengthLabel;      // "m" / "ft"
    QString massLabel;        // "kg" / "lb"
    QString temperatureLabel; // "C" / "F"
    QString speedLabel;       // "km/h" / "mph"
    QString rateLabel;        // "kg/ha" / "lb/ac"

    static Units forSystem(bool metric);

    // The square is taken in double so that areas keep the float factor's exact value.
    double areaFactor() const { return double(length) * double(length); }
    // Grams over a display area to the display rate: kg/ha from g/m², lb/ac from g/ft².
    double depositFactor() const
    {
        return metric ? 10.0 : double(static_cast<float>(43560.0 / 453.59));
    }

    // The shown value of a stored one, and the stored value (before it is rounded to single) of
    // a shown one: both in double from the single-precision factors.
    double toDisplay(Quantity quantity, float stored) const;
    double toStored(Quantity quantity, double shown) const;
    double toDisplayLength(float stored) const { return toDisplay(Quantity::Length, stored); }
    // The unit as the file writes it after a value: "m", "m²", "°C", "km/h", "°", "%", "kg/ha".
    QString symbol(Quantity quantity) const;

    // The unit text of a result.
    QString graphUnit(Result result) const;
    // "#/m²" or "#/ft²".
    QString densityLabel() const;
    // "m²" or "ft²".
    QString areaLabel() const;
};

// The caption of a result's graph option.
QString graphOptionCaption(Result result, const Units& units);

} // namespace pellamar
