// libFuzzer target for the reader of `Cameras.txt` (the network and file cameras): any file
// content must end without a crash; every camera read has a name and a URL, no two names are the
// same (letter case aside), and the bad lines are numbered in order within the file.
#include "core/media/CameraList.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = QString::fromUtf8(bytes);
    const media::CameraList list = media::parseCameraList(text);
    const qsizetype lines = text.count(QLatin1Char('\n')) + 1;
    if (qsizetype(list.cameras.size() + list.badLines.size()) > lines)
        std::abort();
    int previous = 0;
    for (int line : list.badLines) {
        if (line <= previous || line > lines)
            std::abort();
        previous = line;
    }
    for (size_t i = 0; i < list.cameras.size(); ++i) {
        const media::StreamCamera& c = list.cameras[i];
        if (c.name.isEmpty() || c.url.isEmpty() || c.name != c.name.trimmed() ||
            c.url != c.url.trimmed() || c.url.contains(QLatin1Char('\n')))
            std::abort();
        for (size_t j = 0; j < i; ++j)
            if (list.cameras[j].name.compare(c.name, Qt::CaseInsensitive) == 0)
                std::abort();
    }
    return 0;
}
