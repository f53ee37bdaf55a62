#include "engine/options/option_bounds.h"

#include "engine/options/audio_options.h"
#include "engine/options/convert_options.h"
#include "engine/options/video_options.h"

#include <algorithm>
#include <limits>

namespace vc {
namespace {

std::string Seconds(qint64 us) {
    return QString::number(static_cast<double>(us) / 1000000.0, 'g', 12).toStdString();
}

std::optional<OptionOutOfBounds> Outside(const char* path, long long value, long long low, long long high,
                                         const std::string& range) {
    if (value >= low && value <= high)
        return std::nullopt;
    return OptionOutOfBounds{QString::fromLatin1(path), std::to_string(value), range};
}

std::string FromTo(long long low, long long high) {
    return "from " + std::to_string(low) + " to " + std::to_string(high);
}

} // namespace

int ClampThreadCount(int n) {
    return std::clamp(n, 0, kMaxThreadCount);
}

std::optional<OptionOutOfBounds> FindOptionOutOfBounds(const TAVConvertOptions& o) {
    if (o.StartTime() < 0)
        return OptionOutOfBounds{"StartTime", Seconds(o.StartTime()), "0 seconds or more"};
    if (o.RecordingTime() <= 0)
        return OptionOutOfBounds{"RecordingTime", Seconds(o.RecordingTime()), "more than 0 seconds"};
    const TVideoOptions* v = o.VideoOptions();
    const TAudioOptions* a = o.AudioOptions();
    const long long most = std::numeric_limits<int>::max();
    for (auto problem :
         {Outside("ThreadCount", o.ThreadCount(), 0, kMaxThreadCount, FromTo(0, kMaxThreadCount)),
          Outside("VideoOptions.FrameWidth", v->FrameWidth(), 0, kMaxFrameSide,
                  FromTo(0, kMaxFrameSide) + " (0 keeps the source's)"),
          Outside("VideoOptions.FrameHeight", v->FrameHeight(), 0, kMaxFrameSide,
                  FromTo(0, kMaxFrameSide) + " (0 keeps the source's)"),
          Outside("VideoOptions.Bitrate", v->Bitrate(), 0, most, "0 or more"),
          Outside("AudioOptions.AudioChannels", a->AudioChannels(), 0, kMaxAudioChannels,
                  FromTo(0, kMaxAudioChannels) + " (0 keeps the source's)"),
          Outside("AudioOptions.AudioVolume", a->AudioVolume(), 0, most, "0 or more"),
          Outside("AudioOptions.Bitrate", a->Bitrate(), 0, most, "0 or more")})
        if (problem)
            return problem;
    if (a->AudioSampleRate() != 0)
        return Outside("AudioOptions.AudioSampleRate", a->AudioSampleRate(), kMinSampleRate, kMaxSampleRate,
                       "0 (the source's) or " + FromTo(kMinSampleRate, kMaxSampleRate));
    return std::nullopt;
}

std::string DescribeOutOfBounds(const OptionOutOfBounds& problem, const std::string& name) {
    return name + " is " + problem.value + "; it must be " + problem.range;
}

} // namespace vc
