#pragma once
// TAVProbe: is a picked file a readable media file, and what are its first video stream and its
// first audio stream like? The wizards use it as a gate: a file passes when opening raised nothing
// and HasVideo or HasAudio is true.
#include <cstdint>
#include <string>

struct AVFormatContext;
struct AVInputFormat;

namespace vc {

class TAVProbe {
public:
    TAVProbe() = default;
    ~TAVProbe();
    TAVProbe(const TAVProbe&) = delete;
    TAVProbe& operator=(const TAVProbe&) = delete;

    const std::string& FileName() const { return file_name_; }
    // Only stores the path; an active probe is not reopened.
    void SetFileName(const std::string& file_name) { file_name_ = file_name; }

    bool Active() const { return active_; }
    // True opens and describes the file (nothing happens when no file exists at FileName); an
    // error leaves the probe inactive and propagates as vc::Error. False closes the container.
    void SetActive(bool active);

    // Results of the last successful description; never cleared by closing.
    bool HasVideo() const { return has_video_; }
    bool HasAudio() const { return has_audio_; }
    const std::string& VideoCodec() const { return video_codec_; }
    const std::string& AudioCodec() const { return audio_codec_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    double FrameRate() const { return frame_rate_; }
    int32_t VideoBitrate() const { return video_bitrate_; }
    int32_t SampleRate() const { return sample_rate_; }
    int32_t Channels() const { return channels_; }
    int32_t AudioBitrate() const { return audio_bitrate_; }

private:
    void Open();
    void Close();
    void DescribeStream(AVFormatContext* ic, int index);

    std::string file_name_;
    bool active_ = false;
    AVFormatContext* container_ = nullptr;         // owned while active
    const AVInputFormat* forced_format_ = nullptr; // never set: the format is detected
    bool has_audio_ = false;
    bool has_video_ = false;
    std::string audio_codec_;
    std::string video_codec_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t sample_rate_ = 0;
    int32_t channels_ = 0;
    int32_t audio_bitrate_ = 0;
    int32_t video_bitrate_ = 0;
    double frame_rate_ = 0;
};

} // namespace vc
