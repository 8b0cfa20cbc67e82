#pragma once
// The timing record written beside each recording (`<run>.avi.timing`): the rate, the wall-clock
// start, every slot that is not a plain camera picture, and the capture time of one real picture
// each second, so that the real duration of any span of the file can be checked later.
//
// Text, one item a line, written as the recording goes (a killed recording keeps its record up
// to the last flush):
//   skivane-timing 1
//   rate 30000/1001
//   start 2026-12-07T16:00:34.123Z
//   <slot> gap            no picture reached the slot: it repeats the previous picture
//   <slot> drop           the recorder was behind: the slot repeats the previous picture
//   <slot> extra          a second picture for the slot, dropped
//   <slot> jump           the camera's time stamps left real time before this slot; the clock
//                         went on with real time
//   <slot> reconnect      the camera came back after an outage with this slot's picture: the
//                         slots of the outage, since the last picture before it, are gaps
//   <slot> time <us>      capture time of the slot's picture, microseconds after slot 0
//   end <slots>           the recording ended with this many slots
#include "core/run/FrameClock.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace run {

// The record of the recording at `videoPath`: the path with ".timing" appended.
QString timingRecordPath(const QString& videoPath);

enum class SlotKind { Gap, Drop, Extra, Jump, Reconnect };

class TimingRecordWriter {
public:
    // Creates the record (a stale one of the same name goes) and writes its head. False when it
    // cannot be created.
    bool open(const QString& path, Fraction rate, const QDateTime& start);
    bool isOpen() const { return m_file.isOpen(); }
    void note(int64_t slot, SlotKind kind);
    void time(int64_t slot, int64_t microseconds);
    // Hands what is written to the system.
    void flush();
    // Writes the end line and closes.
    void finish(int64_t slotCount);
    // Closes and deletes the record (the recording never started).
    void discard();

private:
    void line(const QByteArray& text);
    QFile m_file;
};

struct TimingRecord {
    Fraction rate{30, 1};
    QDateTime start;
    std::vector<std::pair<int64_t, SlotKind>> notes; // in slot order
    std::vector<std::pair<int64_t, int64_t>> times;  // slot, microseconds after slot 0
    int64_t end = -1;                                // -1: the recording was cut off
    int64_t lastSlot = -1; // the highest slot any note or time line names; -1: none

    // nullopt when the text is no timing record. Lines it does not know, and a last line cut
    // off mid-write, are skipped.
    static std::optional<TimingRecord> parse(const QByteArray& text);

    // The last slot the record accounts for: end - 1 when it has its end line; else the last
    // slot it names (a cut-off record stops there).
    int64_t lastAccountedSlot() const { return end >= 0 ? end - 1 : lastSlot; }

    // Slots in [a, b] that repeat the previous picture (gaps and recorder drops).
    int64_t repeatedSlots(int64_t a, int64_t b) const;
    // Real time from slot a to slot b in microseconds, from the capture times recorded around
    // them (between two recorded times the camera is taken to run evenly; beyond the last one, at
    // the chosen rate).
    int64_t realDurationUs(int64_t a, int64_t b) const;

private:
    int64_t timeOf(int64_t slot) const;
};

} // namespace run
