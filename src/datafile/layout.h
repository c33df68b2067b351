#pragma once

#include <QString>

// The data-set file is read by line number: the lines before the sample rows are laid out here
// once, for the writer and the reader alike. The parameter fields' lines are in the field table.
namespace pellamar::datafile {

inline constexpr int kTitleLine = 2;
inline constexpr int kUnitsLine = 9;
inline constexpr int kOpeningTypeLine = 15;
inline constexpr int kControlLarvaeLine = 33;
inline constexpr int kControlHoursLine = 34;
inline constexpr int kControlDeadLine = 35;
// The heading of the sample rows; a spreadsheet may have moved it further down.
inline constexpr int kSampleHeadingLine = 41;

// The mark of a value not given.
inline const QString kNotGiven(8, u'-');
// The rules above and below a section's title.
inline const QString kSectionRule(45, u'-');

// What the first field of a line before the sample heading holds as the program writes it: a
// rule, a title or a label; empty for a blank line.
QString layoutText(int line);

} // namespace pellamar::datafile
