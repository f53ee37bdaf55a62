#pragma once
// Profiles and stored conversion requests carry encoder names and codec options written for the
// encoders of 2011. Several no longer exist under those names or with those values; this file
// rewrites them into what today's FFmpeg understands, so every stored request keeps working
// without changing what is stored.
#include <string>
#include <string_view>
#include <vector>

namespace vc {

struct LibraryOption {
    std::string name;
    std::string value;
    bool operator==(const LibraryOption&) const = default;
};

struct LegacyOptionTranslation {
    std::vector<LibraryOption> options; // what to apply instead (may be empty)
    std::vector<std::string> notes;     // one log line per part that has no equivalent
};

// The encoder to look up for a stored encoder name ("libfaac" is the built-in "aac" today).
std::string CurrentEncoderName(std::string_view name);

// Rewrites one Name=Value codec option. Options that are still valid come back unchanged.
LegacyOptionTranslation TranslateLegacyCodecOption(std::string_view name, std::string_view value);

} // namespace vc
