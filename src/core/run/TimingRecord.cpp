#include "core/run/TimingRecord.h"

#include <QList>
#include <algorithm>
#include <cstdlib>

namespace run {

namespace {

const char* kindName(SlotKind kind) {
    switch (kind) {
    case SlotKind::Gap:
        return "gap";
    case SlotKind::Drop:
        return "drop";
    case SlotKind::Extra:
        return "extra";
    case SlotKind::Jump:
        return "jump";
    case SlotKind::Reconnect:
        return "reconnect";
    }
    return "gap";
}

std::optional<SlotKind> kindOf(const QByteArray& name) {
    for (SlotKind k :
         {SlotKind::Gap, SlotKind::Drop, SlotKind::Extra, SlotKind::Jump, SlotKind::Reconnect})
        if (name == kindName(k))
            return k;
    return std::nullopt;
}

// Bounds that keep every sum and product of the time arithmetic below inside 64 bits. A record
// outside them was not written by this program (a damaged or foreign file): the rate is then
// refused and the line left out, rather than computed into a wrapped-around time.
constexpr int64_t kMaxRatePart = 1000000;        // 30000/1001 and the like
constexpr int64_t kMaxSlot = 1000000000;         // over a year at 30 frames a second
constexpr int64_t kMaxTimeUs = 1000000000000000; // over 30 years
bool plausibleRate(int64_t num, int64_t den) {   // 0.1 to 1000 frames a second
    return num > 0 && den > 0 && num <= kMaxRatePart && den <= kMaxRatePart && num * 10 >= den &&
           num <= den * 1000;
}

std::optional<int64_t> number(const QByteArray& text) {
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    return ok ? std::optional<int64_t>(v) : std::nullopt;
}

} // namespace

QString timingRecordPath(const QString& videoPath) {
    return videoPath + QStringLiteral(".timing");
}

bool TimingRecordWriter::open(const QString& path, Fraction rate, const QDateTime& start) {
    QFile::remove(path);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    line("skivane-timing 1");
    line("rate " + QByteArray::number(qlonglong(rate.num)) + '/' +
         QByteArray::number(qlonglong(rate.den)));
    line("start " + start.toUTC().toString(Qt::ISODateWithMs).toLatin1());
    flush();
    return true;
}

void TimingRecordWriter::line(const QByteArray& text) {
    if (m_file.isOpen())
        m_file.write(text + '\n');
}

void TimingRecordWriter::note(int64_t slot, SlotKind kind) {
    line(QByteArray::number(qlonglong(slot)) + ' ' + kindName(kind));
}

void TimingRecordWriter::time(int64_t slot, int64_t microseconds) {
    line(QByteArray::number(qlonglong(slot)) + " time " +
         QByteArray::number(qlonglong(microseconds)));
}

void TimingRecordWriter::flush() {
    if (m_file.isOpen())
        m_file.flush();
}

void TimingRecordWriter::finish(int64_t slotCount) {
    line("end " + QByteArray::number(qlonglong(slotCount)));
    m_file.close();
}

void TimingRecordWriter::discard() {
    if (m_file.isOpen())
        m_file.close();
    if (!m_file.fileName().isEmpty())
        m_file.remove();
}

std::optional<TimingRecord> TimingRecord::parse(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.first().trimmed() != "skivane-timing 1")
        return std::nullopt;
    if (!text.endsWith('\n'))
        lines.removeLast(); // cut off mid-write
    TimingRecord r;
    bool haveRate = false;
    for (const QByteArray& raw : lines) {
        const QList<QByteArray> w = raw.trimmed().split(' ');
        if (w.size() == 2 && w[0] == "rate") {
            const QList<QByteArray> f = w[1].split('/');
            const auto num = number(f.value(0));
            const auto den = number(f.value(1));
            if (f.size() == 2 && num && den && plausibleRate(*num, *den)) {
                r.rate = Fraction{*num, *den};
                haveRate = true;
            }
        } else if (w.size() == 2 && w[0] == "start") {
            r.start = QDateTime::fromString(QString::fromLatin1(w[1]), Qt::ISODateWithMs);
        } else if (w.size() == 2 && w[0] == "end") {
            r.end = number(w[1]).value_or(-1);
        } else if (const auto slot = number(w.value(0)); slot && *slot >= 0 && *slot <= kMaxSlot) {
            if (w.size() == 3 && w[1] == "time") {
                if (const auto us = number(w[2]); us && std::llabs(*us) <= kMaxTimeUs) {
                    r.times.emplace_back(*slot, *us);
                    r.lastSlot = std::max(r.lastSlot, *slot);
                }
            } else if (w.size() == 2) {
                if (const auto kind = kindOf(w[1])) {
                    r.notes.emplace_back(*slot, *kind);
                    r.lastSlot = std::max(r.lastSlot, *slot);
                }
            }
        }
    }
    if (!haveRate)
        return std::nullopt;
    std::stable_sort(r.notes.begin(), r.notes.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::stable_sort(r.times.begin(), r.times.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    return r;
}

int64_t TimingRecord::repeatedSlots(int64_t a, int64_t b) const {
    return std::count_if(notes.begin(), notes.end(), [&](const auto& n) {
        return n.first >= a && n.first <= b &&
               (n.second == SlotKind::Gap || n.second == SlotKind::Drop);
    });
}

int64_t TimingRecord::timeOf(int64_t slot) const {
    auto nominal = [&](int64_t from, int64_t fromUs) {
        return fromUs + rescaleNearest(slot - from, 1000000 * rate.den, rate.num);
    };
    if (times.empty())
        return nominal(0, 0);
    const auto after = std::lower_bound(times.begin(), times.end(), slot,
                                        [](const auto& t, int64_t s) { return t.first < s; });
    if (after == times.end())
        return nominal(times.back().first, times.back().second);
    if (after->first == slot)
        return after->second;
    if (after == times.begin())
        return nominal(after->first, after->second);
    const auto before = std::prev(after);
    return before->second + rescaleNearest(after->second - before->second, slot - before->first,
                                           after->first - before->first);
}

int64_t TimingRecord::realDurationUs(int64_t a, int64_t b) const {
    return timeOf(b) - timeOf(a);
}

} // namespace run
