// libFuzzer target for the ".info" reader: any line must end without a crash and give a finite
// start frame; a line the program writes reads back as the frame it holds.
#include "core/run/RunInfo.h"

#include <QByteArray>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const double frame = run::infoStartFrame(bytes);
    if (std::isnan(frame))
        std::abort();

    // The input as a path (a comma in it included) with a frame from its first two bytes.
    const qint16 written =
        size >= 2 ? static_cast<qint16>(data[0] | (data[1] << 8)) : static_cast<qint16>(size);
    const QString path = QString::fromLocal8Bit(bytes).remove(QLatin1Char('\0'));
    const QByteArray line = run::infoLine(path, written);
    if (!line.endsWith("\r\n") || run::infoStartFrame(line) != written)
        std::abort();
    return 0;
}
