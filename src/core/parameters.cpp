#include "core/parameters.h"

#include "core/numbers.h"

namespace pellamar {

QStringList openingTypeNames()
{
    return {QStringLiteral("Circular"), QStringLiteral("Square"), QStringLiteral("Rectangular"),
            QStringLiteral("Multi-side")};
}

float storedValue(const Parameters& parameters, Field field)
{
    // The table hands out references for writing; reading goes through the same accessor.
    return fieldInfo(field).number(const_cast<Parameters&>(parameters));
}

bool isEntered(Entry entry, float stored)
{
    switch (entry) {
    case Entry::ZeroUnset:
        return stored > 0.0f;
    case Entry::SentinelUnset:
        return stored != kNotEntered;
    default:
        return true;
    }
}

std::optional<QString> displayText(const Parameters& parameters, const Units& units, Field field)
{
    const FieldInfo& s = fieldInfo(field);
    if (s.entry == Entry::Name) {
        return s.name(const_cast<Parameters&>(parameters));
    }
    const float stored = storedValue(parameters, field);
    if (!isEntered(s.entry, stored)) {
        return std::nullopt;
    }
    return numbers::format(units.toDisplay(s.quantity, stored), s.pattern);
}

} // namespace pellamar
