#include "core/engine/AlsaDevices.h"

#include <QFile>
#include <QRegularExpression>

namespace engine {

namespace {

QString readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(f.readAll());
}

QString cardName(const QString& procRoot, int card) {
    const QString id = readAll(QStringLiteral("%1/card%2/id").arg(procRoot).arg(card)).trimmed();
    return id.isEmpty() ? QStringLiteral("Card %1").arg(card) : id;
}

} // namespace

std::vector<AlsaDevice> alsaCaptureDevices(const QString& procRoot) {
    std::vector<AlsaDevice> out;
    // Lines such as "00-00: ALC892 Analog : ALC892 Analog : playback 1 : capture 1".
    static const QRegularExpression line(QStringLiteral("^(\\d+)-(\\d+):\\s*([^:]*):"));
    const QStringList lines = readAll(procRoot + "/pcm").split('\n', Qt::SkipEmptyParts);
    for (const QString& l : lines) {
        const auto m = line.match(l);
        if (!m.hasMatch() || !l.contains(QStringLiteral("capture")))
            continue;
        const int card = m.captured(1).toInt();
        const int device = m.captured(2).toInt();
        const QString pcm = m.captured(3).trimmed();
        out.push_back({QStringLiteral("hw:%1,%2").arg(card).arg(device),
                       QStringLiteral("%1: %2").arg(cardName(procRoot, card), pcm)});
    }
    return out;
}

std::optional<AlsaDevice> alsaDeviceForNode(const QString& devnode, const QString& procRoot) {
    static const QRegularExpression node(QStringLiteral("pcmC(\\d+)D(\\d+)c$"));
    const auto m = node.match(devnode);
    if (!m.hasMatch())
        return std::nullopt;
    const int card = m.captured(1).toInt();
    const int device = m.captured(2).toInt();
    const QString info =
        readAll(QStringLiteral("%1/card%2/pcm%3c/info").arg(procRoot).arg(card).arg(device));
    static const QRegularExpression nameLine(QStringLiteral("^name: (.*)$"),
                                             QRegularExpression::MultilineOption);
    const auto nm = nameLine.match(info);
    const QString pcm = nm.hasMatch() ? nm.captured(1).trimmed() : QStringLiteral("Capture");
    return AlsaDevice{QStringLiteral("hw:%1,%2").arg(card).arg(device),
                      QStringLiteral("%1: %2").arg(cardName(procRoot, card), pcm)};
}

} // namespace engine
