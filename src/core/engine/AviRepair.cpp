#include "core/engine/AviRepair.h"

#include "core/app/PartFile.h"
#include "core/engine/AvPtr.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

namespace engine {

QString repairedPath(const QString& run) {
    const QString suffix = QStringLiteral(".avi");
    QString base = run;
    if (base.endsWith(suffix, Qt::CaseInsensitive))
        base.chop(suffix.size());
    return base + QStringLiteral("-repaired.avi");
}

namespace {

RepairResult failed(const QString& error) {
    RepairResult r;
    r.error = error;
    return r;
}

} // namespace

RepairResult repairCopy(const QString& run, const std::atomic<bool>* cancel) {
    const QString target = repairedPath(run);
    if (QFileInfo::exists(target))
        return failed(QStringLiteral("A repaired copy already exists: %1").arg(target));

    auto opened = openInput(QFile::encodeName(run), nullptr, nullptr);
    if (!opened)
        return failed(QStringLiteral("Cannot open %1: %2").arg(run, avError(opened.error)));
    InputFormatPtr in = std::move(opened.ptr);
    int rc = 0;
    if ((rc = avformat_find_stream_info(in.get(), nullptr)) < 0)
        return failed(QStringLiteral("Cannot read %1: %2").arg(run, avError(rc)));

    // The temporary name keeps ".avi" last so that the muxer is picked by the file name too.
    app::PartFile part(app::partPathFor(target));
    auto output = openOutput("avi", QFile::encodeName(part.path()));
    if (!output)
        return failed(
            QStringLiteral("Cannot write %1: %2").arg(part.path(), avError(output.error)));
    OutputFormatPtr out = std::move(output.ptr);

    // Stream i of the input goes to map[i] of the copy (-1: not copied).
    std::vector<int> map(in->nb_streams, -1);
    int video = -1;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVStream* s = in->streams[i];
        const AVMediaType type = s->codecpar->codec_type;
        if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
            continue;
        AVStream* o = avformat_new_stream(out.get(), nullptr);
        if (!o)
            return failed(QStringLiteral("Cannot make the copy: out of memory"));
        if ((rc = avcodec_parameters_copy(o->codecpar, s->codecpar)) < 0)
            return failed(QStringLiteral("Cannot make the copy: %1").arg(avError(rc)));
        o->time_base = s->time_base;
        o->avg_frame_rate = s->avg_frame_rate;
        o->r_frame_rate = s->r_frame_rate;
        map[i] = o->index;
        if (type == AVMEDIA_TYPE_VIDEO && video < 0)
            video = int(i);
    }
    if (video < 0)
        return failed(QStringLiteral("%1 holds no video").arg(run));

    if ((rc = avformat_write_header(out.get(), nullptr)) < 0)
        return failed(QStringLiteral("Cannot write %1: %2").arg(part.path(), avError(rc)));

    PacketPtr packet = makePacket();
    if (!packet)
        return failed(QStringLiteral("Cannot make the copy: out of memory"));
    std::int64_t lastVideoSlot = -1;
    while ((rc = av_read_frame(in.get(), packet.get())) >= 0) {
        if (cancel && cancel->load())
            return failed(QStringLiteral("Cancelled"));
        const int from = packet->stream_index;
        const int to = from >= 0 && from < int(map.size()) ? map[from] : -1;
        // A packet cut short by the end of the file is no whole frame: the copy ends before it.
        if (to < 0 || (packet->flags & AV_PKT_FLAG_CORRUPT)) {
            av_packet_unref(packet.get());
            continue;
        }
        if (from == video && packet->dts != AV_NOPTS_VALUE)
            lastVideoSlot = std::max(lastVideoSlot, std::int64_t(packet->dts));
        av_packet_rescale_ts(packet.get(), in->streams[from]->time_base,
                             out->streams[to]->time_base);
        packet->stream_index = to;
        packet->pos = -1;
        // Packets keep their time stamps, so a slot the recording left empty (a repeated picture)
        // is written empty again and every later frame keeps its number.
        if ((rc = av_interleaved_write_frame(out.get(), packet.get())) < 0)
            return failed(QStringLiteral("Cannot write %1: %2").arg(part.path(), avError(rc)));
    }
    if (rc != AVERROR_EOF)
        return failed(QStringLiteral("Cannot read %1: %2").arg(run, avError(rc)));
    if ((rc = av_write_trailer(out.get())) < 0)
        return failed(QStringLiteral("Cannot write %1: %2").arg(part.path(), avError(rc)));
    if ((rc = avio_closep(&out->pb)) < 0)
        return failed(QStringLiteral("Cannot write %1: %2").arg(part.path(), avError(rc)));
    out.reset();

    // rename() never replaces: a copy made meanwhile by someone else stays.
    if (!QFile::rename(part.path(), target))
        return failed(QStringLiteral("Cannot save the repaired copy as %1").arg(target));
    part.release();
    RepairResult result;
    result.ok = true;
    result.path = target;
    result.videoFrames = lastVideoSlot + 1;
    return result;
}

} // namespace engine
