#include "core/run/PassIntegrity.h"

#include <QFile>
#include <QStringList>
#include <cstdlib>

namespace review {

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

QString seconds(int64_t us) {
    return QString::number(double(us) / 1e6, 'f', 2) + QStringLiteral(" s");
}

} // namespace

PassWindowCheck checkPassWindow(const capture::TimingRecord& record, int start, int end) {
    PassWindowCheck check;
    check.haveRecord = true;
    std::vector<int64_t> repeated;
    int extras = 0;
    for (const auto& [slot, kind] : record.notes) {
        if (slot < start || slot > end)
            continue;
        if (kind == capture::SlotKind::Gap || kind == capture::SlotKind::Drop)
            repeated.push_back(slot);
        else if (kind == capture::SlotKind::Extra)
            ++extras;
    }
    const int64_t nominalUs =
        capture::rescaleNearest(end - start, 1000000 * record.rate.den, record.rate.num);
    const int64_t realUs = record.realDurationUs(start, end);
    const int64_t halfFrameUs =
        capture::rescaleNearest(1, 500000 * record.rate.den, record.rate.num);
    const bool lengthOff = std::llabs(realUs - nominalUs) > halfFrameUs;

    QStringList parts;
    if (!repeated.empty())
        parts << QStringLiteral("%1 repeated frame%2 at %3")
                     .arg(repeated.size())
                     .arg(repeated.size() == 1 ? QString() : QStringLiteral("s"))
                     .arg(rangesText(repeated));
    if (extras > 0)
        parts << QStringLiteral("%1 extra camera picture%2 dropped")
                     .arg(extras)
                     .arg(extras == 1 ? QString() : QStringLiteral("s"));
    if (parts.isEmpty() && !lengthOff)
        parts << QStringLiteral("every frame a camera picture");
    parts << QStringLiteral("real length ") + seconds(realUs) +
                 (lengthOff ? QStringLiteral(" (nominal %1)").arg(seconds(nominalUs)) : QString());
    check.clean = repeated.empty() && !lengthOff;
    check.text = QStringLiteral("Pass window: ") + parts.join(QStringLiteral("; "));
    return check;
}

PassWindowCheck checkPassWindow(const QString& videoPath, int start, int end) {
    QFile file(videoPath + QStringLiteral(".timing"));
    std::optional<capture::TimingRecord> record;
    if (file.open(QIODevice::ReadOnly))
        record = capture::TimingRecord::parse(file.readAll());
    if (!record) {
        PassWindowCheck none;
        none.text = kNoTimingRecord;
        return none;
    }
    return checkPassWindow(*record, start, end);
}

} // namespace review
