// libFuzzer target for the skier list reader: any file content must end without a crash, and
// no entry may be empty or hold a comma or a line end (each would split the list again).
#include "core/run/RunNaming.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList names = run::skierListFromText(bytes);
    for (const QString& name : names) {
        if (name.isEmpty() || name.contains(QLatin1Char(',')) || name.contains(QLatin1Char('\n')))
            std::abort();
    }
    const QString first = run::firstSkierName(bytes);
    if (first.contains(QLatin1Char(',')) || first.contains(QLatin1Char('\n')))
        std::abort();
    // The name typed from the list must give a run file inside the folder or be refused.
    if (!run::firstForbiddenNameChar(first)) {
        const QString file = run::composeCaptureFileName(QStringLiteral("/v"), first, " 1");
        if (!file.startsWith(QStringLiteral("/v/")) || file.count(QLatin1Char('/')) != 2)
            std::abort();
    }
    return 0;
}
