#pragma once
// The part of the source a conversion keeps, from the preview's marks.
#include "engine/options/convert_options.h"

#include <cstdint>

namespace vc::gui {

// StartTime := the start mark. With an end mark after the start, RecordingTime := the span
// between them, at most `max_recording_us`; without one (or with an end before the start, which
// would leave nothing to convert) RecordingTime keeps its value. Marks in microseconds, 0 = unset.
void ApplyPreviewTrimming(TAVConvertOptions& options, int64_t start_mark_us, int64_t end_mark_us,
                          int64_t max_recording_us);

} // namespace vc::gui
