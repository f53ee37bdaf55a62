#include "gui/preview/preview_trimming.h"

#include <algorithm>

namespace vc::gui {

void ApplyPreviewTrimming(TAVConvertOptions& options, int64_t start_mark_us, int64_t end_mark_us,
                          int64_t max_recording_us) {
    const int64_t start = std::max<int64_t>(0, start_mark_us);
    options.SetStartTime(start);
    if (end_mark_us > start)
        options.SetRecordingTime(std::min(end_mark_us - start, max_recording_us));
}

} // namespace vc::gui
