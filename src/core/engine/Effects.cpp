#include "core/engine/Effects.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

namespace engine {

const std::vector<EffectInfo>& effectList() {
    static const std::vector<EffectInfo> list{
        {"Grayscale", {{"Colour left (%)", 0, 100, 0}}},
        {"Mirror", {}},
        {"Upside Down", {}},
        {"Negative", {}},
        {"Deinterlace", {{"Field order (0 top first, 1 bottom first)", 0, 1, 0}}},
        {"Brightness/Contrast", {{"Brightness", -100, 100, 0}, {"Contrast (%)", 10, 300, 100}}},
    };
    return list;
}

QString effectFilter(int index, const std::vector<int>& values) {
    const auto& list = effectList();
    if (index < 0 || index >= int(list.size()))
        return {};
    auto value = [&](size_t i) {
        return i < values.size() ? values[i] : list[size_t(index)].params[i].value;
    };
    switch (index) {
    case 0:
        return QStringLiteral("hue=s=%1").arg(value(0) / 100.0);
    case 1:
        return QStringLiteral("hflip");
    case 2:
        return QStringLiteral("vflip");
    case 3:
        return QStringLiteral("negate");
    case 4:
        return QStringLiteral("yadif=mode=0:parity=%1:deint=0").arg(value(0));
    case 5:
        return QStringLiteral("eq=brightness=%1:contrast=%2")
            .arg(value(0) / 100.0)
            .arg(value(1) / 100.0);
    default:
        return {};
    }
}

QString FilterChain::configure(const EffectChoice& effect, int width, int height,
                               AVPixelFormat format) {
    m_graph.reset();
    m_source = m_sink = nullptr;
    const QString desc = effectFilter(effect.index, effect.values);
    if (desc.isEmpty())
        return {};
    FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph)
        return QStringLiteral("out of memory");
    graph->nb_threads = 1;
    const QString args =
        QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=1/1:pixel_aspect=1/1")
            .arg(width)
            .arg(height)
            .arg(int(format));
    AVFilterContext* src = nullptr;
    AVFilterContext* sink = nullptr;
    int rc = avfilter_graph_create_filter(&src, avfilter_get_by_name("buffer"), "in",
                                          args.toUtf8().constData(), nullptr, graph.get());
    if (rc < 0)
        return avError(rc);
    rc = avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr,
                                      nullptr, graph.get());
    if (rc < 0)
        return avError(rc);
    // Keep the camera's format: the effect converts internally where it must.
    const AVPixelFormat formats[] = {format, AV_PIX_FMT_NONE};
    rc = av_opt_set_int_list(sink, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN);
    if (rc < 0)
        return avError(rc);
    FilterInOutPtr outputs(avfilter_inout_alloc());
    FilterInOutPtr inputs(avfilter_inout_alloc());
    if (!outputs || !inputs)
        return QStringLiteral("out of memory");
    outputs->name = av_strdup("in");
    outputs->filter_ctx = src;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink;
    AVFilterInOut* in = inputs.release();
    AVFilterInOut* out = outputs.release();
    rc = avfilter_graph_parse_ptr(graph.get(), desc.toUtf8().constData(), &in, &out, nullptr);
    FilterInOutPtr inLeft(in), outLeft(out);
    if (rc < 0)
        return avError(rc);
    rc = avfilter_graph_config(graph.get(), nullptr);
    if (rc < 0)
        return avError(rc);
    m_graph = std::move(graph);
    m_source = src;
    m_sink = sink;
    return {};
}

std::vector<FramePtr> FilterChain::apply(FramePtr frame) {
    std::vector<FramePtr> out;
    if (!m_graph) {
        if (frame)
            out.push_back(std::move(frame));
        return out;
    }
    if (av_buffersrc_add_frame_flags(m_source, frame.get(), AV_BUFFERSRC_FLAG_KEEP_REF) < 0)
        return out;
    for (;;) {
        FramePtr f = makeFrame();
        if (av_buffersink_get_frame(m_sink, f.get()) < 0)
            break;
        out.push_back(std::move(f));
    }
    return out;
}

} // namespace engine
