#include "core/run/PassTiming.h"

#include "core/app/Paths.h"
#include "core/app/TextNumbers.h"

#include <cmath>
#include <limits>

namespace run {

namespace {
int roundedFrames(double frames) {
    if (!std::isfinite(frames))
        return 0;
    const double r = app::roundHalfEven(frames);
    // Only absurd rates get here; keep the value representable rather than undefined.
    if (r > std::numeric_limits<int>::max() / 2)
        return std::numeric_limits<int>::max() / 2;
    if (r < std::numeric_limits<int>::min() / 2)
        return std::numeric_limits<int>::min() / 2;
    return static_cast<int>(r);
}
} // namespace

int passLength(double framesPerSecond, bool barefoot) {
    if (barefoot)
        return roundedFrames(framesPerSecond * 15.0);
    if (framesPerSecond == 30.0)
        return 599;
    return roundedFrames(framesPerSecond * 20.0);
}

QString framesAsSeconds(int64_t frames, run::Fraction rate) {
    if (rate.num <= 0 || rate.den <= 0)
        return QString();
    const int64_t hundredths = run::rescaleNearest(frames, 100 * rate.den, rate.num);
    const int64_t v = hundredths < 0 ? -hundredths : hundredths;
    return (hundredths < 0 ? QStringLiteral("-") : QString()) +
           QStringLiteral("%1.%2").arg(v / 100).arg(v % 100, 2, 10, QLatin1Char('0'));
}

qint32 endFrame(qint16 startFrame, int passFrames) {
    return static_cast<qint32>(startFrame) + passFrames;
}

bool endFrameFits(qint32 end) {
    return end >= -32768 && end <= 32767;
}

bool passEndInFile(qint32 end, qint16 fileFrames) {
    return endFrameFits(end) && end <= fileFrames;
}

QString tooShortMessage(qint16 fileFrames, qint32 end, bool barefoot) {
    return QStringLiteral("I am sorry, but the file is only ") + app::SignedNumberText(fileFrames) +
           QStringLiteral(" frames long and the ") +
           QStringLiteral(
               "start position you have selected means that the end should be at frame ") +
           app::SignedNumberText(end) + QStringLiteral(" which is not possible with this file.") +
           QStringLiteral(
               " You may have to recapture from the video recorder if you did not capture a ") +
           (barefoot ? QStringLiteral("full 15 seconds from the start of the run.")
                     : QStringLiteral("full 20 seconds from the start of the run."));
}

RunName parseRunName(const QString& path) {
    // Positions below are 0-based; the rule reads "pass" starting at or after ".avi" - 7.
    const qsizetype aviPos = path.indexOf(QStringLiteral(".avi"));
    if (aviPos < 0)
        return {};
    const qsizetype from = aviPos - 7;
    // A ".avi" among the first seven characters leaves no room for "pass" before it.
    if (from < 0)
        return {};
    const qsizetype passPos = path.indexOf(QStringLiteral("pass"), from);
    const qsizetype nameStart = app::lastSeparator(path) + 1;
    // "pass" must also end before ".avi": a "pass" after it would leave a negative pass text.
    if (passPos < 0 || passPos < nameStart || passPos + 4 > aviPos)
        return {};
    RunName name;
    name.standard = true;
    name.skier = path.mid(nameStart, passPos - nameStart);
    name.pass = path.mid(passPos + 4, aviPos - passPos - 4);
    return name;
}

} // namespace run
