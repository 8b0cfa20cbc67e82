#include "review/AviShim.h"

#include "platform/Dialogs.h"

#include <QFile>
#include <QtEndian>
#include <cmath>

namespace media {
namespace {
struct Hdr {
    bool ok = false;
    quint32 frames = 0, scale = 0, rate = 0, w = 0, h = 0;
};
Hdr read(const QString& path) {
    Hdr h;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return h;
    const QByteArray d = f.read(64 * 1024);
    auto u32 = [&](qsizetype at) {
        return at + 4 <= d.size() ? qFromLittleEndian<quint32>(d.constData() + at) : 0u;
    };
    const qsizetype avih = d.indexOf("avih");
    const qsizetype strh = d.indexOf("strh");
    if (avih < 0 || strh < 0)
        return h;
    h.frames = u32(avih + 8 + 16);
    h.w = u32(avih + 8 + 32);
    h.h = u32(avih + 8 + 36);
    h.scale = u32(strh + 8 + 20);
    h.rate = u32(strh + 8 + 24);
    h.ok = true;
    return h;
}
} // namespace
bool IsAviFile(const QString& path, platform::Dialogs&) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray d = f.read(12);
    return d.size() == 12 && d.startsWith("RIFF") && d.mid(8, 4) == "AVI ";
}
qint32 AviFrameRate(const QString& path, platform::Dialogs&) {
    const Hdr h = read(path);
    return h.scale ? static_cast<qint32>(std::nearbyint(double(h.rate) / h.scale)) : 0;
}
qint32 AviLength(const QString& path, platform::Dialogs&) {
    return static_cast<qint32>(read(path).frames);
}
QStringList AviInfoLines(const QString& path, platform::Dialogs& d) {
    return {QStringLiteral("Filename: ") + path,
            QStringLiteral("Length: ") + QString::number(AviLength(path, d)) + " frames",
            QStringLiteral("Rate: ") + QString::number(AviFrameRate(path, d)) + "fps"};
}
} // namespace media
