#pragma once
// The preview source's configuration interface and the types it speaks.
#include <cstdint>
#include <functional>
#include <string>

namespace vc {

// Output pixel format of the preview's video path.
enum TAVShowMode : int {
    smYv12, // planar 4:2:0, Y then V then U, rows packed
    smRgb32 // B, G, R, A bytes, rows of width * 4, top row first
};

class IAVConfig;

// Called with each picture just before it is delivered (the picture may be changed in place).
using TFFOnBufferEvent =
    std::function<void(IAVConfig* sender, uint8_t* buf, int video_width, int video_height)>;
// Called with each PCM block just before it is delivered.
using TFFOnAudioBufferEvent = std::function<void(IAVConfig* sender, uint8_t* buf, int cb_data)>;

class IAVConfig {
public:
    virtual ~IAVConfig() = default;
    virtual bool HasVideo() = 0;
    virtual bool HasAudio() = 0;
    virtual bool HasSubtitle() = 0;
    virtual void SetVideoFilters(const std::string& filters) = 0;
    virtual void SetAudioFilters(const std::string& filters) = 0;
    virtual void SetDisableAudio(bool disable) = 0;
    virtual void SetOnBuffer(TFFOnBufferEvent event) = 0;
    virtual void SetLoopCount(int count) = 0;
    virtual void SetOnAudioBuffer(TFFOnAudioBufferEvent event) = 0;
    virtual int GetAudioStreamCount() = 0;
    virtual int GetVideoStreamCount() = 0;
    virtual int GetSubtitleStreamCount() = 0;
    virtual int GetVideoWidth() = 0;
    virtual int GetVideoHeight() = 0;
    virtual void SetAudioStream(int index) = 0;
    virtual void SetVideoStream(int index) = 0;
    virtual void SetSubtitleStream(int index) = 0;
    virtual void SetShowMode(TAVShowMode mode) = 0;
    virtual void SetThreadCount(int count) = 0;
};

} // namespace vc
