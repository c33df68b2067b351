#pragma once

#include "core/units.h"

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace pellamar {

// Sample grid columns.
inline constexpr int kGridColumns = 9;
enum GridColumn : int {
    ColPosition = 0,
    ColWeight = 1,
    ColGranules = 2,
    ColLarvae = 3,
    ColDead = 4,
    ColDeposit = 5,
    ColDensity = 6,
    ColGranulesPerGram = 7,
    ColCorrectedMortality = 8,
};

// Everything the program knows of one grid column, in one row. Headings hold the units as
// "{length}", "{area}" (the length squared) and "{rate}".
struct ColumnInfo {
    GridColumn column;
    QStringView heading;     // the grid's, line breaks as "\n"
    QStringView fileHeading; // the first of the data-set file's two heading lines
    QStringView fileUnit;    // the second
    QStringView noun;        // what a message calls an input: "the sample weight"
    QStringView pattern;     // the number pattern of a computed column
    std::optional<Result> result;
    // What an input cell takes: at most so many characters, digits with or without one
    // decimal point, said by the hint when a key does not fit.
    int maxLength;
    bool point;
    QStringView takes;
};

// Counts beyond 9 digits would overflow the 32-bit larvae and mortality counts; 15 characters
// keep a weight or granule count far inside single precision however long a key is held.
// clang-format off
inline constexpr std::array<ColumnInfo, kGridColumns> kColumnTable{{
    {ColPosition, u"Position\n({length})", u"Position", u"({length})", {}, u"0.00", {}, 0, false, {}},
    {ColWeight, u"Sample Wt\n(g)", u"Sample Wt", u"(g)", u"the sample weight", {}, {}, 15, true,
     u"grams, digits and one decimal point"},
    {ColGranules, u"# of Granules", u"# of Granules", {}, u"the number of granules", {}, {}, 15, false,
     u"whole numbers"},
    {ColLarvae, u"Larvae", u"Larvae", {}, u"the number of larvae", {}, {}, 9, false, u"whole numbers"},
    {ColDead, u"Mortality", u"Mortality", {}, u"the mortality", {}, {}, 9, false, u"whole numbers"},
    {ColDeposit, u"{rate}", u"Deposit", u"({rate})", {}, u"0.000", Result::Deposit, 0, false, {}},
    {ColDensity, u"Granules/{length} \u00b2", u"Gran./{area}", {}, {}, u"0.000", Result::Density, 0, false, {}},
    {ColGranulesPerGram, u"Granules/g", u"Gran./g", {}, {}, u"0.00", Result::GranulesPerGram, 0, false, {}},
    {ColCorrectedMortality, u"Corrected\nMortality (%)", u"Corrected", u"Mort. (%)", {}, u"0.00", Result::Mortality, 0,
     false, {}},
}};
// clang-format on

constexpr const ColumnInfo& columnInfo(int column)
{
    return kColumnTable[static_cast<std::size_t>(column)];
}

constexpr bool isInputColumn(int column)
{
    return column >= ColWeight && column <= ColDead;
}

// A column text with its units put in.
QString withUnits(QStringView text, const Units& units);
// The heading of a grid column in the given units (line breaks as "\n").
QString columnHeading(int column, const Units& units);
// A column's heading on one line, without its unit: "Sample Wt".
QString columnName(int column);
// What a message calls an input column: "the sample weight (Sample Wt)".
QString columnNoun(int column);
// Why a mortality count cannot stand beside its larvae count, empty when it can: no more dead
// than larvae. `pan` names the pan as the message does ("this pan").
QString mortalityRefusal(const QString& dead, const QString& larvae, QStringView pan);

} // namespace pellamar
