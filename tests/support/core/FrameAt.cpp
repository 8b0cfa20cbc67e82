#include "support/core/FrameAt.h"

#include <algorithm>
#include <optional>

namespace testsupport {

QImage frameAt(engine::FrameDecoder& d, int n) {
    if (!d.isOpen())
        return {};
    n = std::clamp(n, 0, d.frameCount() - 1);
    if (d.currentFrame() && d.lastIndex() == n)
        return d.currentImage();
    d.headFor(n, n);
    // The picture before the one decodeNext() returns: it stands for a frame without its own.
    engine::FramePtr before = engine::makeFrame();
    if (d.currentFrame() && before)
        av_frame_ref(before.get(), d.currentFrame());
    for (;;) {
        const std::optional<int> idx = d.decodeNext();
        if (!idx)
            return d.currentFrame() && d.lastIndex() <= n ? d.currentImage() : QImage();
        if (*idx == n)
            return d.currentImage();
        if (*idx > n)
            return before && before->buf[0] ? d.toImage(before.get()) : d.currentImage();
        if (before) {
            av_frame_unref(before.get());
            av_frame_ref(before.get(), d.currentFrame());
        }
    }
}

} // namespace testsupport
