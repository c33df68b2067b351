#include "datafile/csv.h"

#include <algorithm>

namespace pellamar::datafile {

QString csvField(const QString& text)
{
    const bool needsQuotes =
        text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
    if (!needsQuotes) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

RecordsOrError splitRecords(QStringView text)
{
    RecordsOrError out;
    Record record;
    int line = 1;
    record.lineNumber = 1;
    qsizetype lineStart = 0;

    auto endRecord = [&](qsizetype end) {
        QStringView raw = text.mid(lineStart, end - lineStart);
        if (raw.endsWith(u'\r')) {
            raw.chop(1);
        }
        record.text = raw;
        record.fieldCount = out.fields.size() - record.firstField;
        out.records.push_back(record);
        record = Record{};
        record.firstField = out.fields.size();
    };

    const qsizetype n = text.size();
    const QChar* const chars = text.data();
    // Room for every line and field at once: growing by steps copied and faulted in the large
    // vectors anew, which cost more than the split itself.
    std::size_t lines = 1;
    std::size_t commas = 0;
    for (const QChar c : text) {
        lines += c == u'\n';
        commas += c == u',';
    }
    out.records.reserve(lines);
    out.fields.reserve(lines + commas);
    qsizetype i = 0;
    while (true) {
        // One field from i on.
        QString quoted;
        bool wasQuoted = false;
        if (i < n && chars[i] == u'"') {
            // A quoted field runs to the next lone quote, across commas and line ends.
            wasQuoted = true;
            const int quoteLine = line;
            ++i;
            bool closed = false;
            while (i < n) {
                if (chars[i] == u'"') {
                    if (i + 1 < n && chars[i + 1] == u'"') {
                        quoted += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (chars[i] == u'\n') {
                    ++line;
                }
                quoted += chars[i];
                ++i;
            }
            if (!closed) {
                out.error = QStringLiteral("a quoted field is not closed");
                out.errorLine = quoteLine;
                return out;
            }
        }
        // The rest up to the next comma or line end is taken as it stands, in one piece.
        const qsizetype rest = i;
        while (i < n && chars[i] != u',' && chars[i] != u'\n') {
            ++i;
        }
        QStringView field = text.mid(rest, i - rest);
        if (wasQuoted) {
            quoted += field;
        }
        const bool lineEnds = i >= n || chars[i] != u',';
        // A last line without its line end still counts; an empty tail after the last one does
        // not.
        if (lineEnds && i >= n && lineStart >= n) {
            break;
        }
        if (lineEnds && wasQuoted && quoted.endsWith(u'\r')) {
            quoted.chop(1);
        }
        if (lineEnds && !wasQuoted && field.endsWith(u'\r')) {
            field.chop(1);
        }
        if (wasQuoted) {
            out.unquoted.push_back(std::move(quoted));
            field = out.unquoted.back();
        }
        out.fields.push_back(field);
        if (!lineEnds) {
            ++i;
            continue;
        }
        endRecord(i);
        if (i >= n) {
            break;
        }
        ++line;
        record.lineNumber = line;
        lineStart = ++i;
    }
    return out;
}

qsizetype fileFieldCount(std::span<const QStringView> fields)
{
    if (fields.empty() || !fields.front().isEmpty()) {
        return static_cast<qsizetype>(fields.size());
    }
    return 1 + std::count_if(fields.begin() + 1, fields.end(),
                             [](QStringView f) { return !f.isEmpty(); });
}

QStringView fileField(std::span<const QStringView> fields, qsizetype index)
{
    if (index < 0) {
        return {};
    }
    if (fields.empty() || !fields.front().isEmpty()) {
        return static_cast<std::size_t>(index) < fields.size()
                   ? fields[static_cast<std::size_t>(index)]
                   : QStringView();
    }
    if (index == 0) {
        return {};
    }
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (!fields[i].isEmpty() && --index == 0) {
            return fields[i];
        }
    }
    return {};
}

} // namespace pellamar::datafile
