// libFuzzer target for the session log reader of the log viewer: any file content must end
// without a crash; no listed line is a session line or holds a line end, and a run line's video
// path is the text after "File: ".
#include "core/run/LogLineRules.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = run::listedLogLines(bytes);
    if (lines.size() > bytes.count('\n') + 1)
        std::abort();
    for (const QString& line : lines) {
        if (run::isSessionLogLine(line) || line.contains(QLatin1Char('\n')))
            std::abort();
        const QString video = run::logLineVideoFile(line);
        if (!run::isRunLogLine(line) && !video.isEmpty())
            std::abort();
        if (video.size() > line.size())
            std::abort();
    }
    return 0;
}
