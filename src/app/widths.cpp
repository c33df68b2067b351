#include "widths.h"

#include "core/dataset.h"
#include "core/numbers.h"
#include "datafile/writer.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace pellamar::batch {

std::optional<WidthArgument> parseWidthArgument(const QString& text)
{
    WidthArgument width;
    width.text = text;
    bool isIndex = false;
    width.index = text.toInt(&isIndex);
    if (isIndex) {
        return width;
    }
    static const QRegularExpression withUnit(
        QStringLiteral("^\\s*([-+]?\\d*(?:\\.(\\d*))?)\\s*(m|ft)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = withUnit.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    width.length = numbers::parseDouble(match.capturedView(1));
    width.decimals = int(match.capturedLength(2));
    width.feet = match.capturedView(3).compare(u"ft", Qt::CaseInsensitive) == 0;
    return width.length ? std::optional(width) : std::nullopt;
}

std::variant<int, QString> resolveWidth(const WidthArgument& width, const DataSet& dataSet)
{
    const int widths = std::max(dataSet.lastDataRow() - dataSet.firstDataRow(), 1);
    const datafile::SwathWidthText widthText(dataSet);
    const QString unit = dataSet.units().lengthLabel;
    const auto shown = [&](int j) { return widthText(j) + unit; };
    if (!width.length) {
        if (width.index >= 1 && width.index <= widths) {
            return width.index;
        }
        return QStringLiteral("a width index must lie between 1 and %1 for this file (%2 to %3)")
            .arg(QString::number(widths), shown(1), shown(widths));
    }
    if (width.feet == dataSet.metric()) {
        return QStringLiteral("%1 is in %2, but this file is in %3: give the width in %4, or "
                              "as an index")
            .arg(width.text, width.feet ? QStringLiteral("feet") : QStringLiteral("metres"),
                 dataSet.metric() ? QStringLiteral("metres") : QStringLiteral("feet"), unit);
    }
    // A width matches as the file shows it, or more precisely if typed so ("98.43ft"), but
    // never less: "98ft" is not the "98.4ft" the file shows.
    const double length = *width.length;
    const double separations = length / widthText.length(1);
    const int decimals = std::min(std::max(widthText.decimals(), width.decimals), 9);
    const QString pattern = decimals == 0 ? QStringLiteral("0") : "0." + QString(decimals, u'0');
    if (length > 0 && separations < widths + 1) {
        const int below = std::clamp(int(std::floor(separations)), 1, widths);
        const int above = std::clamp(int(std::ceil(separations)), 1, widths);
        for (const int j : {below, above}) {
            if (numbers::format(widthText.length(j), pattern) == numbers::format(length, pattern)) {
                return j;
            }
        }
        return QStringLiteral("%1 is not a whole number of separations (%2); nearest: %3")
            .arg(width.text, shown(1),
                 below == above ? shown(below)
                                : shown(below) + QStringLiteral(", ") + shown(above));
    }
    return QStringLiteral("%1 is not a swath width of this file, whose widths run from %2 to %3")
        .arg(width.text, shown(1), shown(widths));
}

} // namespace pellamar::batch
