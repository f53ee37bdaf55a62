#pragma once
// The authored test discs (tests/fixtures/make_dvd.sh) and small helpers for reading them.
#include "engine/dvd/dvd_stream.h"
#include "support/test_env.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vc::test {

inline std::filesystem::path Dvd(const std::string& name) {
    return MediaDir() / "dvd" / name;
}

inline std::vector<uint8_t> FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Everything the stream delivers from its current position, in reads of `chunk` bytes.
inline std::vector<uint8_t> ReadAll(TStream& stream, int32_t chunk = 65536) {
    std::vector<uint8_t> all;
    std::vector<uint8_t> buf(static_cast<size_t>(chunk));
    for (int32_t n; (n = stream.Read(buf.data(), chunk)) > 0;)
        all.insert(all.end(), buf.begin(), buf.begin() + n);
    return all;
}

// The "average:" figure of ffmpeg's psnr filter in its log; 1000 for identical pictures, -1 when
// the log has none.
inline double PsnrAverage(const std::string& log) {
    const auto at = log.find("average:");
    if (at == std::string::npos)
        return -1;
    const std::string value = log.substr(at + 8, log.find_first_of(" \n", at + 8) - at - 8);
    return value == "inf" ? 1000 : std::stod(value);
}

} // namespace vc::test
