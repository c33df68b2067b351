#include "datafile/csv.h"

#include <algorithm>
#include <array>
#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

// The split looks at every character of files of megabytes; eight at a time where the processor
// can.
#if defined(__SSE2__)
int matches(const QChar* at, char16_t a, char16_t b)
{
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i found = _mm_or_si128(_mm_cmpeq_epi16(chars, _mm_set1_epi16(short(a))),
                                       _mm_cmpeq_epi16(chars, _mm_set1_epi16(short(b))));
    // Two mask bits per character.
    return _mm_movemask_epi8(found);
}
#endif

// The first of two characters from i on, or the end.
qsizetype findEither(QStringView text, qsizetype i, char16_t a, char16_t b)
{
    const qsizetype n = text.size();
    const QChar* chars = text.data();
#if defined(__SSE2__)
    for (; i + 8 <= n; i += 8) {
        if (const int mask = matches(chars + i, a, b)) {
            return i + std::countr_zero(static_cast<unsigned>(mask)) / 2;
        }
    }
#endif
    while (i < n && chars[i] != a && chars[i] != b) {
        ++i;
    }
    return i;
}

} // namespace

RecordsOrError splitRecords(QStringView text, char16_t separator)
{
    RecordsOrError out;
    out.separator = separator;
    Record record;
    int line = 1;
    record.lineNumber = 1;
    qsizetype lineStart = 0;
    const qsizetype n = text.size();
    const QChar* const chars = text.data();
    qsizetype i = 0;

    // Ends the record at i; false at the end of the text, else moves past the line end.
    auto endRecord = [&](bool split) {
        QStringView raw = text.mid(lineStart, i - lineStart);
        if (raw.endsWith(u'\r')) {
            raw.chop(1);
        }
        record.text = raw;
        record.split = split;
        record.fieldCount = out.fields.size() - record.firstField;
        out.records.push_back(record);
        record = Record{};
        record.firstField = out.fields.size();
        if (i >= n) {
            return false;
        }
        ++line;
        record.lineNumber = line;
        lineStart = ++i;
        return true;
    };

    // Room for lines of 32 characters on average, fewer than the program writes: growing by steps
    // copied and faulted in the vector anew, and room never used costs nothing.
    out.records.reserve(static_cast<std::size_t>(n / 32) + 64);
    while (true) {
        // A line without quotes is its fields joined by commas: they are split when asked for.
        if (i == lineStart && i < n) {
            const qsizetype end = findEither(text, i, u'\n', u'"');
            if (end == n || chars[end] == u'\n') {
                i = end;
                if (!endRecord(false)) {
                    break;
                }
                continue;
            }
        }
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
        // The rest up to the next separator or line end is taken as it stands, in one piece.
        const qsizetype rest = i;
        i = findEither(text, i, separator, u'\n');
        QStringView field = text.mid(rest, i - rest);
        if (wasQuoted) {
            quoted += field;
        }
        const bool lineEnds = i >= n || chars[i] != separator;
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
        if (!endRecord(true)) {
            break;
        }
    }
    return out;
}

Fields RecordsOrError::fieldsOf(const Record& record) const
{
    Fields out;
    if (record.split) {
        out.append(fields.data() + record.firstField, static_cast<qsizetype>(record.fieldCount));
        return out;
    }
    const QStringView text = record.text;
    qsizetype from = 0;
    for (qsizetype at = findEither(text, 0, separator, separator); at < text.size();
         at = findEither(text, from, separator, separator)) {
        out.append(text.mid(from, at - from));
        from = at + 1;
    }
    out.append(text.mid(from));
    return out;
}

char16_t detectSeparator(QStringView text)
{
    constexpr std::array<char16_t, 3> kCandidates{u',', u';', u'\t'};
    std::array<int, 3> votes{};
    const auto vote = [&](QStringView line, qsizetype at) {
        if (at < line.size() && line[at] == u'"') {
            ++at;
        }
        for (std::size_t c = 0; c < kCandidates.size(); ++c) {
            votes[c] += at < line.size() && line[at] == kCandidates[c] ? 1 : 0;
        }
    };
    // The parameter and control lines lie within the first 40 lines of the layout.
    qsizetype from = 0;
    for (int line = 0; line < 60 && from < text.size(); ++line) {
        qsizetype end = text.indexOf(u'\n', from);
        end = end < 0 ? text.size() : end;
        const QStringView current = text.mid(from, end - from);
        const qsizetype colon = current.indexOf(u':');
        const qsizetype title = current.indexOf(u"Tovanel Pellamar");
        if (colon > 0) {
            vote(current, colon + 1);
        } else if (title >= 0) {
            vote(current, title + 16);
        }
        from = end + 1;
    }
    const auto best = std::max_element(votes.begin(), votes.end());
    return *best > 0 ? kCandidates[static_cast<std::size_t>(best - votes.begin())] : u',';
}

qsizetype fileFieldCount(const Fields& fields)
{
    if (fields.empty() || !fields.front().isEmpty()) {
        return fields.size();
    }
    return 1 + std::count_if(fields.begin() + 1, fields.end(),
                             [](QStringView f) { return !f.isEmpty(); });
}

QStringView fileField(const Fields& fields, qsizetype index)
{
    if (index < 0) {
        return {};
    }
    if (fields.empty() || !fields.front().isEmpty()) {
        return index < fields.size() ? fields[index] : QStringView();
    }
    if (index == 0) {
        return {};
    }
    for (qsizetype i = 1; i < fields.size(); ++i) {
        if (!fields[i].isEmpty() && --index == 0) {
            return fields[i];
        }
    }
    return {};
}

} // namespace pellamar::datafile
