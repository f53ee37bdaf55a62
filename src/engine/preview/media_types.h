#pragma once
// Result codes, times and format descriptions of the preview's media pipeline. The pipeline is our
// own (pins as worker threads, renderers, a reference clock); its vocabulary follows the classic
// source-filter model so that the source, its pins and its seeking read the way they are documented.
#include <cstdint>
#include <string>

namespace vc {

using HResult = int32_t;
// Times in the pipeline are 100-nanosecond units.
using RefTime = int64_t;
inline constexpr RefTime kUnitsPerSecond = 10000000;
inline constexpr RefTime kMaxRefTime = 0x3FFFFFFFFFFFFFFF;

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult kFillNoDataYet = 99; // private fill result: nothing queued yet
inline constexpr HResult VFW_S_NO_MORE_ITEMS = 0x00040103;
inline constexpr HResult E_NOTIMPL = static_cast<HResult>(0x80004001);
inline constexpr HResult E_POINTER = static_cast<HResult>(0x80004003);
inline constexpr HResult E_FAIL = static_cast<HResult>(0x80004005);
inline constexpr HResult E_UNEXPECTED = static_cast<HResult>(0x8000FFFF);
inline constexpr HResult E_OUTOFMEMORY = static_cast<HResult>(0x8007000E);
inline constexpr HResult E_INVALIDARG = static_cast<HResult>(0x80070057);
inline constexpr HResult VFW_E_NOT_COMMITTED = static_cast<HResult>(0x80040211);
inline constexpr HResult VFW_E_NOT_CONNECTED = static_cast<HResult>(0x80040209);
inline constexpr HResult VFW_E_WRONG_STATE = static_cast<HResult>(0x80040227);
inline constexpr HResult VFW_E_TYPE_NOT_ACCEPTED = static_cast<HResult>(0x8004022A);

constexpr bool Succeeded(HResult hr) {
    return hr >= 0;
}
constexpr bool Failed(HResult hr) {
    return hr < 0;
}

enum class MajorType { None, Video, Audio, Stream };
enum class SubType { None, RGB32, YV12, PCM };
enum class FormatType { None, VideoInfo, WaveFormatEx };

inline constexpr uint32_t kFourCcYv12 = 0x32315659; // 'Y','V','1','2' read little-endian
inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint16_t kWaveFormatPcm = 1;

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

struct BitmapInfoHeader {
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bit_count = 0;
    uint32_t compression = 0;
    uint32_t size_image = 0;
    bool operator==(const BitmapInfoHeader&) const = default;
};

struct VideoInfoHeader {
    Rect source;
    Rect target;
    BitmapInfoHeader bmi;
    bool operator==(const VideoInfoHeader&) const = default;
};

struct WaveFormatEx {
    uint16_t format_tag = 0;
    uint16_t channels = 0;
    uint32_t samples_per_sec = 0;
    uint32_t avg_bytes_per_sec = 0;
    uint16_t block_align = 0;
    uint16_t bits_per_sample = 0;
    uint16_t cb_size = 0;
    bool operator==(const WaveFormatEx&) const = default;
};

// A media type: what a pin produces and a renderer consumes. Only the format block named by
// `format_type` is meaningful.
struct MediaType {
    MajorType major = MajorType::None;
    SubType subtype = SubType::None;
    FormatType format_type = FormatType::None;
    bool fixed_size_samples = false;
    bool temporal_compression = false;
    uint32_t sample_size = 0;
    VideoInfoHeader video;
    WaveFormatEx wave;
    bool operator==(const MediaType&) const = default;
};

// Image size of a bitmap header: rows of whole bytes, 32-bit aligned for packed RGB.
uint32_t BitmapImageSize(const BitmapInfoHeader& bmi);
// Bytes per row the header describes: the width for YV12 (luma), else rows aligned to 4 bytes.
int32_t BitmapStride(const BitmapInfoHeader& bmi);

// "video RGB32 320x240" and the like, for messages and test output.
std::string DescribeMediaType(const MediaType& type);

// Allocator properties negotiated between a pin and the renderer it feeds.
struct AllocatorProperties {
    int32_t buffers = 0;
    int32_t buffer_size = 0;
    int32_t align = 1;
    int32_t prefix = 0;
};

} // namespace vc
