#include "datafile/layout.h"

#include "core/parameters.h"

namespace pellamar::datafile {

QString layoutText(int line)
{
    static const QString kEquals(18, u'=');
    switch (line) {
    case 1:
    case 3:
        return kEquals;
    case kTitleLine:
        return QStringLiteral("Tovanel Pellamar");
    case 5:
    case 7:
    case 29:
    case 31:
    case 37:
    case 39:
        return kSectionRule;
    case 6:
        return QStringLiteral("Analysis Parameters");
    case kUnitsLine:
        return QStringLiteral("Units:");
    case kOpeningTypeLine:
        return QStringLiteral("Opening Type:");
    case 30:
        return QStringLiteral("Mortality Control Data");
    case kControlLarvaeLine:
        return QStringLiteral("Number in pan:");
    case kControlHoursLine:
        return QStringLiteral("Time after treatment:");
    case kControlDeadLine:
        return QStringLiteral("24 hr mortality:");
    case 38:
        return QStringLiteral("Granular Data");
    default:
        break;
    }
    for (const FieldInfo& s : kFieldTable) {
        if (s.fileLine == line) {
            return s.fileLabel.toString();
        }
    }
    return {};
}

} // namespace pellamar::datafile
