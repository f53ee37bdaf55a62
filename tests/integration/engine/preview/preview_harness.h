#pragma once
// A preview pipeline with recording renderers, for the playback tests.
#include "engine/preview/pin_graph.h"
#include "engine/preview/push_source.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace vc::test {

// The container's duration in seconds as the demuxer reports it. Read in process rather than
// with ffprobe: a child process started by these multi-threaded tests confuses the thread
// sanitizer's view of the parent.
inline double ContainerSeconds(const std::filesystem::path& file) {
    AVFormatContext* ic = nullptr;
    if (avformat_open_input(&ic, file.string().c_str(), nullptr, nullptr) < 0)
        return -1;
    double seconds = -1;
    if (avformat_find_stream_info(ic, nullptr) >= 0 && ic->duration != AV_NOPTS_VALUE)
        seconds = ic->duration / 1e6;
    avformat_close_input(&ic);
    return seconds;
}

struct RecordedPicture {
    RefTime start = 0, stop = 0;
    bool discontinuity = false;
    int width = 0, height = 0;
    RefTime presented_at = -1;
    std::vector<uint8_t> bytes; // kept only when the recorder is asked to
};

struct RecordedAudio {
    RefTime start = 0, stop = 0;
    bool discontinuity = false;
    int size = 0, channels = 0, rate = 0;
};

class Recorder {
public:
    bool keep_bytes = false;
    void Picture(const PresentedPicture& p) {
        RecordedPicture r{p.start, p.stop, p.discontinuity, p.width, p.height, p.presented_at, {}};
        if (keep_bytes)
            r.bytes.assign(p.data, p.data + p.size);
        std::lock_guard lock(mutex_);
        pictures_.push_back(std::move(r));
    }
    void Audio(const PresentedAudio& a) {
        std::lock_guard lock(mutex_);
        audio_.push_back({a.start, a.stop, a.discontinuity, a.size, a.channels, a.sample_rate});
    }
    std::vector<RecordedPicture> Pictures() {
        std::lock_guard lock(mutex_);
        return pictures_;
    }
    std::vector<RecordedAudio> Audio() {
        std::lock_guard lock(mutex_);
        return audio_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        pictures_.clear();
        audio_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<RecordedPicture> pictures_;
    std::vector<RecordedAudio> audio_;
};

// Loads `file` into a source configured by `configure`, renders its pins into recording
// renderers and leaves the graph stopped. Without a clock unless `clocked`.
class Playback {
public:
    explicit Playback(const std::filesystem::path& file,
                      const std::function<void(TFFPushSource&)>& configure = nullptr, bool clocked = false,
                      bool keep_bytes = false) {
        recorder.keep_bytes = keep_bytes;
        graph.SetClockMode(clocked ? PinGraph::ClockMode::Reference : PinGraph::ClockMode::None);
        graph.SetVideoPresenter([this](const PresentedPicture& p) { recorder.Picture(p); });
        graph.SetAudioPresenter([this](const PresentedAudio& a) { recorder.Audio(a); });
        source = std::make_shared<TFFPushSource>();
        source->SetLoopCount(1);
        source->SetThreadCount(1);
        if (configure)
            configure(*source);
        load_result = source->Load(file.string());
        if (load_result != S_OK)
            return;
        graph.SetActive(true);
        graph.AddFilter(source);
        if (source->HasVideo())
            video_rendered = graph.Render(source->GetPin(0));
        if (source->HasAudio())
            audio_rendered = graph.Render(source->GetPin(1));
    }
    ~Playback() { graph.ClearGraph(); }

    bool PlayToEnd(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        graph.Play();
        return graph.WaitForCompletion(timeout);
    }

    PinGraph graph;
    std::shared_ptr<TFFPushSource> source;
    Recorder recorder;
    HResult load_result = E_FAIL;
    HResult video_rendered = E_FAIL;
    HResult audio_rendered = E_FAIL;
};

} // namespace vc::test
