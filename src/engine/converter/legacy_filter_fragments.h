#pragma once
// Stored video filter descriptions may hold two fragments of older FFmpeg builds that today's
// libavfilter no longer has: "mp=rotate=<degrees>" and
// "ass=filename$<file>#font$<font file>#color$0x<rrggbb>00[#codepage$<charset>]#enc$1".
// They are rewritten into current filters just before the graph is parsed; everything else in
// the description passes through untouched.
#include <string>
#include <string_view>

namespace vc {

std::string RewriteLegacyFilterFragments(std::string_view graph);

// The pieces of one rotate fragment, for callers that build the current form themselves.
std::string RotationFilter(int degrees);

} // namespace vc
