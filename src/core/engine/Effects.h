#pragma once
// The video effects of the category "Video Effect 1", run through libavfilter, and the filter
// chain that applies one to a stream of frames.
#include "core/engine/AvPtr.h"

#include <QString>
#include <vector>

namespace engine {

// An adjustable setting of an effect (shown in the video source dialog while it is selected).
struct EffectParam {
    QString name;
    int min = 0;
    int max = 100;
    int value = 0;
};

struct EffectInfo {
    QString name;
    std::vector<EffectParam> params; // defaults
};

// The effects in list order.
const std::vector<EffectInfo>& effectList();

// The libavfilter description of effect `index` with the given parameter values.
QString effectFilter(int index, const std::vector<int>& values);

// A chosen effect: index into effectList() (-1 = none) and its parameter values.
struct EffectChoice {
    int index = -1;
    std::vector<int> values;
    bool operator==(const EffectChoice&) const = default;
};

// Applies an effect to frames of one size and format; frames keep their pts. Used on one thread.
class FilterChain {
public:
    FilterChain() = default;
    // Builds the graph; returns an error text or empty. With no effect frames pass through.
    QString configure(const EffectChoice& effect, int width, int height, AVPixelFormat format);
    // Feeds one frame (nullptr at the end) and returns every frame the effect has ready.
    std::vector<FramePtr> apply(FramePtr frame);
    bool active() const { return bool(m_graph); }

private:
    FilterGraphPtr m_graph;
    AVFilterContext* m_source = nullptr; // owned by m_graph
    AVFilterContext* m_sink = nullptr;   // owned by m_graph
};

} // namespace engine
