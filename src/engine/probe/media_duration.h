#pragma once
// How long a source plays, for checks that must be made before a conversion is set up.
#include <optional>
#include <string>

namespace vc {

// The duration of the file or "stream:" source `url` in microseconds, from its container; nothing
// when it cannot be opened or does not say.
std::optional<long long> MediaDurationUs(const std::string& url);

} // namespace vc
