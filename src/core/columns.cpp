#include "core/columns.h"

#include "core/numbers.h"

namespace pellamar {

QString withUnits(QStringView text, const Units& units)
{
    QString out = text.toString();
    out.replace(QStringLiteral("{length}"), units.lengthLabel);
    out.replace(QStringLiteral("{area}"), units.areaLabel());
    out.replace(QStringLiteral("{rate}"), units.rateLabel);
    return out;
}

QString columnHeading(int column, const Units& units)
{
    if (column < 0 || column >= kGridColumns) {
        return {};
    }
    return withUnits(columnInfo(column).heading, units);
}

QString columnName(int column)
{
    return columnHeading(column, Units::forSystem(true)).section(u'\n', 0, 0);
}

QString columnNoun(int column)
{
    return columnInfo(column).noun.toString() + QStringLiteral(" (") + columnName(column) + u')';
}

QString mortalityRefusal(const QString& dead, const QString& larvae, QStringView pan)
{
    const std::optional<double> most = numbers::parseDouble(larvae);
    const std::optional<double> count = numbers::parseDouble(dead);
    if (most && count && *count > *most) {
        return QStringLiteral("Mortality: at most %1, the larvae in %2").arg(larvae, pan);
    }
    return {};
}

} // namespace pellamar
