#include "core/app/TextNumbers.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace app {

namespace {

// Length of the decimal number at `pos` (sign, digits, optional fraction); 0 when none.
int numberLength(const QString& text, int pos) {
    const int start = pos;
    const int n = static_cast<int>(text.size());
    if (pos < n && (text[pos] == u'+' || text[pos] == u'-'))
        ++pos;
    int digits = 0;
    while (pos < n && text[pos] >= u'0' && text[pos] <= u'9') {
        ++pos;
        ++digits;
    }
    if (pos < n && text[pos] == u'.') {
        int p = pos + 1;
        int frac = 0;
        while (p < n && text[p] >= u'0' && text[p] <= u'9') {
            ++p;
            ++frac;
        }
        if (digits + frac > 0) {
            pos = p;
            digits += frac;
        }
    }
    return digits > 0 ? pos - start : 0;
}

} // namespace

double numericValue(const QString& text) {
    int pos = 0;
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    const int len = numberLength(text, pos);
    if (len == 0)
        return 0.0;
    bool ok = false;
    const double v = text.mid(pos, len).toDouble(&ok);
    return ok ? v : 0.0;
}

QString plainNumberText(double value) {
    if (value == 0.0)
        return QStringLiteral("0"); // also for -0
    if (std::nearbyint(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 15);
}

QString SignedNumberText(double value) {
    const QString digits = plainNumberText(value);
    return value >= 0.0 || value == 0.0 ? QStringLiteral(" ") + digits : digits;
}

double roundHalfEven(double value) {
    // nearbyint honours the current rounding mode, which is round-to-nearest-even by default.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    return r;
}

std::optional<qint16> toInt16(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = roundHalfEven(value);
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<qint16>(r);
}

qint16 clampToInt16(double value) {
    if (std::isnan(value))
        return 0;
    const double r = roundHalfEven(value);
    if (r < -32768.0)
        return -32768;
    if (r > 32767.0)
        return 32767;
    return static_cast<qint16>(r);
}

namespace {
std::optional<double> strictNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || numberLength(t, 0) != t.size())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}
} // namespace

std::optional<qint32> strictToInt32(const QString& text) {
    const auto v = strictNumber(text);
    if (!v)
        return std::nullopt;
    const double r = roundHalfEven(*v);
    if (r < static_cast<double>(std::numeric_limits<qint32>::min()) ||
        r > static_cast<double>(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return static_cast<qint32>(r);
}

std::optional<qint16> strictToInt16(const QString& text) {
    const auto v = strictNumber(text);
    if (!v)
        return std::nullopt;
    return toInt16(*v);
}

QString hexErrorNumber(qint32 number) {
    return QString::number(static_cast<quint32>(number), 16).toUpper();
}

} // namespace app
