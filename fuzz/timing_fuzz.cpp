// libFuzzer target for the timing record reader (`<run>.avi.timing`, read by the pass window
// check): any file content must end without a crash; a record read gives a usable rate, its
// notes and times in slot order with no negative slot, and answers for any span of the file.
#include "core/run/TimingRecord.h"

#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto record = run::TimingRecord::parse(bytes);
    if (!record)
        return 0;
    if (record->rate.num <= 0 || record->rate.den <= 0)
        std::abort();
    const auto bySlot = [](const auto& x, const auto& y) { return x.first < y.first; };
    if (!std::is_sorted(record->notes.begin(), record->notes.end(), bySlot) ||
        !std::is_sorted(record->times.begin(), record->times.end(), bySlot))
        std::abort();
    if ((!record->notes.empty() && record->notes.front().first < 0) ||
        (!record->times.empty() && record->times.front().first < 0))
        std::abort();

    // Spans as the pass window check asks for them: within the recording's slots.
    int64_t last = std::max<int64_t>(record->end - 1, 0);
    if (!record->times.empty())
        last = std::max(last, record->times.back().first);
    for (const auto& [a, b] : {std::pair<int64_t, int64_t>{0, last}, {last / 2, last}, {0, 0}}) {
        const int64_t repeated = record->repeatedSlots(a, b);
        if (repeated < 0 || repeated > int64_t(record->notes.size()))
            std::abort();
        (void)record->realDurationUs(a, b);
        if (record->realDurationUs(a, a) != 0)
            std::abort();
    }
    return 0;
}
