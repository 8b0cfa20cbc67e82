#include "core/app/AudioFormat.h"

#include "core/app/TextNumbers.h"

#include <QLocale>
#include <QStringList>

namespace app {

namespace {
// The number before the first blank, times 1000, to the nearest whole number; empty when the
// text has no blank after its first character.
std::optional<int> rateOf(const QString& text) {
    const qsizetype blank = text.indexOf(QLatin1Char(' '), 1);
    if (blank < 0)
        return std::nullopt;
    const double khz = app::numericValue(text.left(blank));
    const double hz = app::roundHalfEven(khz * 1000.0);
    if (hz < 0 || hz > 10'000'000)
        return std::nullopt;
    return static_cast<int>(hz);
}
} // namespace

AudioFormat audioFormatOf(int position, const QString& text) {
    AudioFormat f;
    f.sampleRate = rateOf(text);
    if (position < kFixedAudioFormats) {
        f.channels = position % 2 == 0 ? 1 : 2;
        f.bitsPerSample = (position & 2) ? 16 : 8;
        return f;
    }
    // "<rate> Khz, <bits> bit, <Mono|Stereo>"
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() >= 2)
        f.bitsPerSample = app::numericValue(parts[1]) >= 12 ? 16 : 8;
    if (parts.size() >= 3)
        f.channels =
            parts[2].trimmed().compare(QLatin1String("Stereo"), Qt::CaseInsensitive) == 0 ? 2 : 1;
    return f;
}

QString audioFormatText(int sampleRate, int bitsPerSample, int channels) {
    QString rate = QLocale::c().toString(sampleRate / 1000.0, 'f', 3);
    rate.replace(QLatin1Char(','), QLatin1Char('.'));
    return rate + QStringLiteral(" Khz, ") +
           (bitsPerSample == 8 ? QStringLiteral("8") : QStringLiteral("16")) +
           QStringLiteral(" bit, ") +
           (channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"));
}

} // namespace app
