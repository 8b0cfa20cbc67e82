#include "core/engine/Libraries.h"

extern "C" {
#include <libavutil/log.h>
}

namespace engine {

void initLibraries() {
    if (av_log_get_level() == AV_LOG_INFO)
        av_log_set_level(AV_LOG_ERROR);
}

} // namespace engine
