#include "datafile/csv.h"

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
        record.text = raw.toString();
        out.records.push_back(std::move(record));
        record = Record{};
    };

    const qsizetype n = text.size();
    qsizetype i = 0;
    while (true) {
        // One field from i on.
        QString field;
        if (i < n && text[i] == u'"') {
            // A quoted field runs to the next lone quote, across commas and line ends.
            const int quoteLine = line;
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (text[i] == u'\n') {
                    ++line;
                }
                field += text[i];
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
        while (i < n && text[i] != u',' && text[i] != u'\n') {
            ++i;
        }
        field += text.mid(rest, i - rest);
        if (i < n && text[i] == u',') {
            record.fields << field;
            ++i;
            continue;
        }
        // A last line without its line end still counts; an empty tail after the last one does
        // not.
        if (i >= n && lineStart >= n) {
            break;
        }
        if (field.endsWith(u'\r')) {
            field.chop(1);
        }
        record.fields << field;
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

QStringList splitFields(const QStringList& fields)
{
    if (fields.isEmpty() || !fields.first().isEmpty()) {
        return fields;
    }
    QStringList compact{QString()};
    for (qsizetype i = 1; i < fields.size(); ++i) {
        if (!fields[i].isEmpty()) {
            compact << fields[i];
        }
    }
    return compact;
}

} // namespace pellamar::datafile
