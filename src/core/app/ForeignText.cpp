#include "core/app/ForeignText.h"

#include <QStringDecoder>

namespace app {

namespace {
// Bytes 0x80 to 0x9F; the others are the same as Latin-1.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool localIsUtf8() {
    // "é" in UTF-8 reads as one character only in a UTF-8 locale (always so on Linux).
    return QString::fromLocal8Bit("\xc3\xa9") == QString(QChar(0xE9));
}
} // namespace

QChar windows1252(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kHigh[byte - 0x80]);
    return QChar(static_cast<char16_t>(byte));
}

QString foreignText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    if (!localIsUtf8())
        return QString::fromLocal8Bit(bytes);
    text.clear();
    text.reserve(bytes.size());
    for (const char b : bytes)
        text.append(windows1252(static_cast<unsigned char>(b)));
    return text;
}

} // namespace app
