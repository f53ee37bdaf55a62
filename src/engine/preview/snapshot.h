#pragma once
// Grabbing one picture through the preview engine: seek, then take the first picture delivered.
#include <cstdint>
#include <string>
#include <vector>

namespace vc {

struct SnapshotPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra; // width * 4 bytes per row, top row first
};

// The picture showing at `seconds` in `source` (a path or a "stream:" name), through the optional
// video filter graph text. Throws vc::Error with a message for people when there is none.
SnapshotPicture GrabPicture(const std::string& source, double seconds, const std::string& video_filters = {});

// Writes the picture as an RGB PNG file. Throws vc::Error on failure.
void SavePicturePng(const SnapshotPicture& picture, const std::string& path);

} // namespace vc
