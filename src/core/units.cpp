#include "core/units.h"

namespace pellamar {

namespace {
const QChar kSquared(0x00B2);
const QChar kDegree(0x00B0);
} // namespace

Units Units::forSystem(bool metric)
{
    Units u;
    u.metric = metric;
    if (metric) {
        u.lengthLabel = QStringLiteral("m");
        u.massLabel = QStringLiteral("kg");
        u.temperatureLabel = QStringLiteral("C");
        u.speedLabel = QStringLiteral("km/h");
        u.rateLabel = QStringLiteral("kg/ha");
    } else {
        // The quotients are taken in double and stored as float.
        u.length = 3.2808f;
        u.temperatureScale = static_cast<float>(9.0 / 5);
        u.speed = static_cast<float>(1 / 1.6);
        u.rate = static_cast<float>(1 / 1.1208);
        u.temperatureOffset = 32.0f;
        u.lengthLabel = QStringLiteral("ft");
        u.massLabel = QStringLiteral("lb");
        u.temperatureLabel = QStringLiteral("F");
        u.speedLabel = QStringLiteral("mph");
        u.rateLabel = QStringLiteral("lb/ac");
    }
    return u;
}

double Units::toDisplay(Quantity quantity, float stored) const
{
    const double v = stored;
    switch (quantity) {
    case Quantity::Length:
        return v * double(length);
    case Quantity::Area:
        return v * areaFactor();
    case Quantity::Temperature:
        return v * double(temperatureScale) + double(temperatureOffset);
    case Quantity::Speed:
        return v * double(speed);
    case Quantity::Rate:
        return v * double(rate);
    default:
        return v;
    }
}

double Units::toStored(Quantity quantity, double shown) const
{
    switch (quantity) {
    case Quantity::Length:
        return shown / double(length);
    case Quantity::Area:
        return shown / areaFactor();
    case Quantity::Temperature:
        return (shown - double(temperatureOffset)) / double(temperatureScale);
    case Quantity::Speed:
        return shown / double(speed);
    case Quantity::Rate:
        return shown / double(rate);
    default:
        return shown;
    }
}

QString Units::symbol(Quantity quantity) const
{
    switch (quantity) {
    case Quantity::Length:
        return lengthLabel;
    case Quantity::Area:
        return areaLabel();
    case Quantity::Temperature:
        return kDegree + temperatureLabel;
    case Quantity::Speed:
        return speedLabel;
    case Quantity::Angle:
        return QString(kDegree);
    case Quantity::Percent:
        return QStringLiteral("%");
    case Quantity::Rate:
        return rateLabel;
    default:
        return {};
    }
}

QString Units::areaLabel() const
{
    return lengthLabel + kSquared;
}

QString Units::densityLabel() const
{
    return QStringLiteral("#/") + lengthLabel + u' ' + kSquared;
}

QString Units::graphUnit(Result result) const
{
    switch (result) {
    case Result::Deposit:
        return rateLabel;
    case Result::Density:
        return densityLabel();
    case Result::GranulesPerGram:
        return QStringLiteral("Gran./g");
    case Result::Mortality:
        return QStringLiteral("%");
    default:
        return {};
    }
}

QString graphOptionCaption(Result result, const Units& units)
{
    switch (result) {
    case Result::Deposit:
        return units.rateLabel;
    case Result::CumulativeDeposit:
        return QStringLiteral("CDF");
    case Result::Density:
        return units.densityLabel();
    case Result::GranulesPerGram:
        return QStringLiteral("Gran./g");
    case Result::Mortality:
        return QStringLiteral("Mortality");
    }
    return {};
}

} // namespace pellamar
