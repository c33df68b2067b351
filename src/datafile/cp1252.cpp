#include "datafile/cp1252.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>

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

// False when the first byte above ASCII already breaks UTF-8 (a byte that never occurs in it, a
// continuation byte without a lead, or a lead without a continuation byte), which spares the
// decoding of a whole Windows-1252 file as UTF-8.
bool mayBeUtf8(const char* high, const char* end)
{
    const auto lead = static_cast<unsigned char>(*high);
    if (lead < 0xC2 || lead > 0xF4) {
        return false;
    }
    return high + 1 == end || (static_cast<unsigned char>(high[1]) & 0xC0) == 0x80;
}

} // namespace

QString decodeDataSetText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(bytes.sliced(3));
    }
    const auto high = std::find_if(bytes.begin(), bytes.end(),
                                   [](char b) { return static_cast<unsigned char>(b) >= 0x80; });
    if (high != bytes.end() && mayBeUtf8(high, bytes.end())) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError()) {
            return text;
        }
    }
    return decodeCp1252(bytes);
}

} // namespace pellamar::datafile
