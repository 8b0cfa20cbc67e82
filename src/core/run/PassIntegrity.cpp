#include "core/run/PassIntegrity.h"

#include "core/run/PassTiming.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

namespace run {

namespace {

// "412–414, 500" for the frames given in ascending order; at most `most` ranges, then "…".
QString rangesText(const std::vector<int64_t>& frames, int most = 4) {
    QStringList parts;
    std::size_t i = 0;
    while (i < frames.size()) {
        std::size_t j = i;
        while (j + 1 < frames.size() && frames[j + 1] == frames[j] + 1)
            ++j;
        if (int(parts.size()) == most) {
            parts << QStringLiteral("…");
            break;
        }
        parts << (i == j ? QString::number(frames[i])
                         : QStringLiteral("%1–%2").arg(frames[i]).arg(frames[j]));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

QString plural(std::size_t n, const QString& one, const QString& many) {
    return n == 1 ? one : many;
}

// "before frame 412" / "before frames 412, 530".
QString beforeFrames(const std::vector<int64_t>& frames) {
    return plural(frames.size(), QStringLiteral("before frame "),
                  QStringLiteral("before frames ")) +
           rangesText(frames);
}

} // namespace

PassWindowCheck checkPassWindow(const std::optional<run::TimingRecord>& record,
                                const RecordingExtent& file, int start, int end) {
    PassWindowCheck check;
    check.haveRecord = record.has_value();
    const run::Fraction rate = file.rate.num > 0 && file.rate.den > 0 ? file.rate
                               : record                               ? record->rate
                                                                      : run::Fraction{0, 1};
    const bool haveRate = rate.num > 0 && rate.den > 0;

    QStringList problems; // what keeps the window from being vouched for
    QStringList remarks;  // what is worth knowing but harms no frame

    // The recording: frames 0 to recordingLast.
    std::optional<int64_t> recordingLast;
    if (file.frames >= 0)
        recordingLast = file.frames - 1;
    else if (record && record->end >= 0)
        recordingLast = record->end - 1;
    if (!recordingLast) {
        problems << QStringLiteral("the length of the recording cannot be read");
    } else if (end > *recordingLast) {
        const int64_t missing = std::min<int64_t>(end - *recordingLast, int64_t(end) - start + 1);
        problems << QStringLiteral("the recording ends at frame %1: %2 %3 of the pass %4 missing")
                        .arg(*recordingLast)
                        .arg(missing)
                        .arg(plural(missing, QStringLiteral("frame"), QStringLiteral("frames")))
                        .arg(plural(missing, QStringLiteral("is"), QStringLiteral("are")));
    }
    const int64_t inRecording = recordingLast ? std::min<int64_t>(end, *recordingLast) : end;

    bool lengthOff = false;
    QString measured;
    if (!record) {
        problems << QStringLiteral("no timing record");
    } else {
        const int64_t accounted = record->lastAccountedSlot();
        if (accounted < inRecording)
            problems
                << (accounted < 0
                        ? QStringLiteral("the timing record names no frame")
                        : QStringLiteral("the timing record stops at frame %1").arg(accounted));
        std::vector<int64_t> repeated, jumps, reconnections;
        std::size_t extras = 0;
        for (const auto& [slot, kind] : record->notes) {
            if (slot < start || slot > end)
                continue;
            switch (kind) {
            case run::SlotKind::Gap:
            case run::SlotKind::Drop:
                repeated.push_back(slot);
                break;
            case run::SlotKind::Extra:
                ++extras;
                break;
            // Both happen between the slot before and this one: inside only after the start.
            case run::SlotKind::Jump:
                if (slot > start)
                    jumps.push_back(slot);
                break;
            case run::SlotKind::Reconnect:
                if (slot > start)
                    reconnections.push_back(slot);
                break;
            }
        }
        if (!repeated.empty())
            problems << QStringLiteral("%1 repeated %2 at %3")
                            .arg(repeated.size())
                            .arg(plural(repeated.size(), QStringLiteral("frame"),
                                        QStringLiteral("frames")))
                            .arg(rangesText(repeated));
        if (!reconnections.empty())
            problems << QStringLiteral("the camera reconnected ") + beforeFrames(reconnections);
        if (!jumps.empty())
            problems << QStringLiteral("the camera's time stamps jumped ") + beforeFrames(jumps);
        if (extras > 0)
            remarks << QStringLiteral("%1 extra camera %2 dropped")
                           .arg(extras)
                           .arg(plural(extras, QStringLiteral("picture"),
                                       QStringLiteral("pictures")));
        // The real length says something only for a window the recording and its record hold.
        if (haveRate && problems.isEmpty()) {
            const int64_t nominalUs =
                run::rescaleNearest(int64_t(end) - start, 1000000 * rate.den, rate.num);
            const int64_t realUs = record->realDurationUs(start, end);
            const int64_t halfFrameUs = run::rescaleNearest(1, 500000 * rate.den, rate.num);
            lengthOff = std::llabs(realUs - nominalUs) > halfFrameUs;
            if (lengthOff)
                measured = QStringLiteral(" (measured %1 s)")
                               .arg(QString::number(double(realUs) / 1e6, 'f', 2));
        }
    }
    check.clean = problems.isEmpty() && !lengthOff;

    QString head = QStringLiteral("Pass window:");
    if (haveRate)
        head += QLatin1Char(' ') + framesAsSeconds(int64_t(end) - start, rate) +
                QStringLiteral(" s") + measured;
    QStringList parts;
    if (check.clean)
        parts << QStringLiteral("every frame a camera picture");
    parts << problems << remarks;
    if (parts.isEmpty())
        check.text = head;
    else
        check.text = head + (haveRate ? QStringLiteral("; ") : QStringLiteral(" ")) +
                     parts.join(QStringLiteral("; "));
    return check;
}

std::optional<run::TimingRecord> readTimingRecord(const QString& videoPath) {
    QFile file(run::timingRecordPath(videoPath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return run::TimingRecord::parse(file.readAll());
}

} // namespace run
