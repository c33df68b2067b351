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

namespace {

// Splits a text line by line: lines without quotes whole, to be split into fields when asked
// for; lines with quotes field by field.
class Splitter {
public:
    Splitter(QStringView text, char16_t separator)
        : text_(text)
        , chars_(text.data())
        , n_(text.size())
        , separator_(separator)
    {
        out_.separator = separator;
        record_.lineNumber = 1;
    }

    RecordsOrError run()
    {
        // Room for lines of 32 characters on average, fewer than the program writes: growing by
        // steps copied and faulted in the vector anew, and room never used costs nothing.
        out_.records.reserve(static_cast<std::size_t>(n_ / 32) + 64);
        while (i_ != lineStart_ || i_ >= n_ || !plainLine()) {
            if (!quotedLine()) {
                break;
            }
        }
        return std::move(out_);
    }

private:
    // A line without quotes is its fields joined by separators: taken whole. False when the line
    // holds a quote; otherwise true while text follows.
    bool plainLine()
    {
        while (true) {
            const qsizetype end = findEither(text_, i_, u'\n', u'"');
            if (end < n_ && chars_[end] != u'\n') {
                return false;
            }
            i_ = end;
            if (!endRecord(false)) {
                return true;
            }
            if (i_ >= n_) {
                return false;
            }
        }
    }

    // The fields of a line with quotes, from i on; false at the end of the text or on an error.
    bool quotedLine()
    {
        while (true) {
            QString quoted;
            const bool wasQuoted = i_ < n_ && chars_[i_] == u'"';
            if (wasQuoted && !readQuoted(quoted)) {
                return false;
            }
            // The rest up to the next separator or line end is taken as it stands, in one piece.
            const qsizetype rest = i_;
            i_ = findEither(text_, i_, separator_, u'\n');
            QStringView field = text_.mid(rest, i_ - rest);
            const bool lineEnds = i_ >= n_ || chars_[i_] != separator_;
            // A last line without its line end still counts; an empty tail after the last one
            // does not.
            if (lineEnds && i_ >= n_ && lineStart_ >= n_) {
                return false;
            }
            if (wasQuoted) {
                quoted += field;
                if (lineEnds && quoted.endsWith(u'\r')) {
                    quoted.chop(1);
                }
                out_.unquoted.push_back(std::move(quoted));
                field = out_.unquoted.back();
            } else if (lineEnds && field.endsWith(u'\r')) {
                field.chop(1);
            }
            out_.fields.push_back(field);
            if (!lineEnds) {
                ++i_;
                continue;
            }
            return endRecord(true);
        }
    }

    // A quoted field runs to the next lone quote, across separators and line ends.
    bool readQuoted(QString& quoted)
    {
        const int quoteLine = line_;
        for (++i_; i_ < n_; ++i_) {
            if (chars_[i_] == u'"') {
                if (i_ + 1 < n_ && chars_[i_ + 1] == u'"') {
                    quoted += u'"';
                    ++i_;
                    continue;
                }
                ++i_;
                return true;
            }
            if (chars_[i_] == u'\n') {
                ++line_;
            }
            quoted += chars_[i_];
        }
        out_.error = QStringLiteral("a quoted field is not closed");
        out_.errorLine = quoteLine;
        return false;
    }

    // Ends the record at i; false at the end of the text, else moves past the line end.
    bool endRecord(bool split)
    {
        QStringView raw = text_.mid(lineStart_, i_ - lineStart_);
        if (raw.endsWith(u'\r')) {
            raw.chop(1);
        }
        record_.text = raw;
        record_.split = split;
        record_.fieldCount = out_.fields.size() - record_.firstField;
        out_.records.push_back(record_);
        record_ = Record{};
        record_.firstField = out_.fields.size();
        if (i_ >= n_) {
            return false;
        }
        record_.lineNumber = ++line_;
        lineStart_ = ++i_;
        return true;
    }

    QStringView text_;
    const QChar* chars_;
    qsizetype n_;
    char16_t separator_;
    RecordsOrError out_;
    Record record_;
    int line_ = 1;
    qsizetype lineStart_ = 0;
    qsizetype i_ = 0;
};

} // namespace

RecordsOrError splitRecords(QStringView text, char16_t separator)
{
    return Splitter(text, separator).run();
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
    // The parameter and control lines lie within the first 40 lines of the layout. A line that
    // starts inside a quoted name is part of that name, whatever it looks like.
    qsizetype from = 0;
    bool quoted = false;
    for (int line = 0; line < 60 && from < text.size(); ++line) {
        qsizetype end = text.indexOf(u'\n', from);
        end = end < 0 ? text.size() : end;
        const QStringView current = text.mid(from, end - from);
        const qsizetype colon = quoted ? -1 : current.indexOf(u':');
        const qsizetype title = quoted ? -1 : current.indexOf(u"Tovanel Pellamar");
        if (colon > 0) {
            vote(current, colon + 1);
        } else if (title >= 0) {
            vote(current, title + 16);
        }
        quoted = (current.count(u'"') % 2 != 0) != quoted;
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
