#include "datafile/cp1252.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace pellamar::datafile {

namespace {

// Characters of bytes 0x80..0x9F; 0 where the byte is undefined.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int byteFor(char16_t c)
{
    // The undefined bytes decode to the control characters of the same number: back they go.
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || (c < 0xA0 && kHighControls[c - 0x80] == 0)) {
        return c;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

} // namespace

Encoded encodeCp1252(QStringView text)
{
    Encoded out;
    out.bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const int b = byteFor(c);
        if (b >= 0) {
            out.bytes.append(static_cast<char>(b));
            continue;
        }
        // One "?" per character, also for one written as a surrogate pair.
        const bool pair =
            QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1).toString();
        if (!out.lost.contains(character)) {
            out.lost << character;
        }
        i += pair ? 1 : 0;
        out.bytes.append('?');
        ++out.replaced;
    }
    return out;
}

QString decodeCp1252(QByteArrayView bytes)
{
    // Latin-1 is the same code page but for 0x80 to 0x9F, and Qt converts it many bytes at a time.
    QString text = QString::fromLatin1(bytes.data(), bytes.size());
    QChar* out = nullptr;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    constexpr qsizetype kBlock = 64;
    for (qsizetype start = 0; start < size; start += kBlock) {
        const qsizetype end = std::min(size, start + kBlock);
        // A whole block is looked at without a branch per byte, which the compiler vectorises.
        if (end - start == kBlock) {
            unsigned found = 0;
            for (qsizetype k = 0; k < kBlock; ++k) {
                found |= static_cast<unsigned>(data[start + k] - 0x80u < 0x20u);
            }
            if (found == 0) {
                continue;
            }
        }
        for (qsizetype i = start; i < end; ++i) {
            const unsigned char b = data[i];
            if (b >= 0x80 && b < 0xA0 && kHighControls[b - 0x80] != 0) {
                if (!out) {
                    out = text.data();
                }
                out[i] = QChar(kHighControls[b - 0x80]);
            }
        }
    }
    return text;
}

namespace {

// The length of the well-formed UTF-8 sequence at `at`, or 0: no overlong forms, surrogates or
// code points beyond U+10FFFF.
int utf8Length(const unsigned char* at, const unsigned char* end)
{
    const unsigned lead = at[0];
    int length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || end - at < length || at[1] < low || at[1] > high) {
        return 0;
    }
    for (int k = 2; k < length; ++k) {
        if ((at[k] & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// Whether the bytes hold at least one well-formed multi-byte UTF-8 sequence. Plain ASCII is
// passed over eight bytes at a time: the files run to megabytes of it.
bool holdsUtf8(QByteArrayView bytes)
{
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = at + bytes.size();
    while (at < end) {
        std::uint64_t word = 0;
        if (end - at >= 8 && (std::memcpy(&word, at, 8), (word & 0x8080808080808080u) == 0)) {
            at += 8;
            continue;
        }
        if (*at >= 0x80 && utf8Length(at, end) > 0) {
            return true;
        }
        ++at;
    }
    return false;
}

// UTF-8 in which a byte that is no part of a well-formed sequence is a Windows-1252 character: a
// name typed in either survives an editor that mixed them.
QString decodeMixed(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = at + bytes.size();
    while (at < end) {
        const int length = *at >= 0x80 ? utf8Length(at, end) : 0;
        if (length == 0) {
            const unsigned char b = *at++;
            const bool high = b >= 0x80 && b < 0xA0 && kHighControls[b - 0x80] != 0;
            out += QChar(high ? kHighControls[b - 0x80] : char16_t(b));
            continue;
        }
        out += QString::fromUtf8(reinterpret_cast<const char*>(at), length);
        at += length;
    }
    return out;
}

} // namespace

QString decodeDataSetText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE);
        return utf16.decode(bytes.sliced(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    // Without a multi-byte sequence the bytes read the same in both: ASCII, or Windows-1252.
    if (!holdsUtf8(bytes)) {
        return decodeCp1252(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? decodeMixed(bytes) : text;
}

} // namespace pellamar::datafile
