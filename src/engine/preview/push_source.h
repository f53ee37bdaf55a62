#pragma once
// TFFPushSource: the preview's source filter. It demuxes, decodes and filters its source on a
// decoding thread of its own and keeps up to 30 timed pictures and 30 PCM blocks queued for its
// two pins, loops the source LoopCount times, executes seeks asked for by the seeking interface
// and takes filter changes while it plays.
//
// Threads: the caller's (configuration, Load, seeking, destruction), the decoding thread, and the
// two pin workers. Locks, in the only order they may be taken: reconfiguration lock -> seek lock
// -> pin lock. The decoding thread holds the reconfiguration lock while it handles one packet and
// while it executes a seek; every live reconfiguration holds it too, so a graph is never rebuilt
// in the middle of a packet.
#include "engine/media/ff_handles.h"
#include "engine/preview/av_config.h"
#include "engine/preview/push_pins.h"
#include "engine/preview/source_seeking.h"
#include "engine/streams/stream_source.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vc {

class TFFPushSource final : public TBCSourceSeeking, public IAVConfig {
public:
    explicit TFFPushSource(const std::string& object_name = "FFMPEG Source Filter");
    ~TFFPushSource() override;

    // File source: opens the name (a path or a "stream:" name) and starts the decoding thread.
    // E_POINTER for an empty name, E_FAIL when the source cannot be opened; errors raised while
    // opening (option and graph messages) propagate as vc::Error.
    HResult Load(const std::string& file_name, const MediaType* type = nullptr);
    HResult GetCurFile(std::string* file_name, MediaType* type);

    int PinCount() const override { return 2; }
    SourceStream* GetPin(int index) override;
    TBCPushPinBitmap* VideoPin() { return video_pin_.get(); }
    TBCPushPinWav* AudioPin() { return audio_pin_.get(); }

    // IAVConfig
    bool HasVideo() override;
    bool HasAudio() override;
    bool HasSubtitle() override;
    void SetVideoFilters(const std::string& filters) override;
    void SetAudioFilters(const std::string& filters) override;
    void SetDisableAudio(bool disable) override;
    void SetOnBuffer(TFFOnBufferEvent event) override;
    void SetLoopCount(int count) override;
    void SetOnAudioBuffer(TFFOnAudioBufferEvent event) override;
    int GetAudioStreamCount() override;
    int GetVideoStreamCount() override;
    int GetSubtitleStreamCount() override;
    int GetVideoWidth() override;
    int GetVideoHeight() override;
    void SetAudioStream(int index) override;
    void SetVideoStream(int index) override;
    void SetSubtitleStream(int index) override;
    void SetShowMode(TAVShowMode mode) override;
    void SetThreadCount(int count) override;

    // For the pins.
    TAVShowMode ShowMode() const { return show_mode_.load(); }
    bool EndOfInput() const { return end_of_input_.load(); }
    std::mutex& SeekLock() { return seek_lock_; }
    RefTime StartPositionLocked() const { return start_; }
    void FireOnBuffer(uint8_t* buf, int width, int height);
    void FireOnAudioBuffer(uint8_t* buf, int size);
    // A pin took data: the decoding thread may refill without waiting for its poll.
    void WakeDecoder();

    // How long one picture of the current video stream lasts (100 ns), from its frame rate; one
    // 25th of a second when the stream does not tell, 0 without video. For stepping frame by frame.
    RefTime FrameDuration() const { return frame_duration_.load(); }

    // State for tests and diagnostics.
    bool DecodingThreadRunning() const { return thread_running_.load(); }
    int CurrentLoop() const { return current_loop_.load(); }

protected:
    HResult ChangeStart() override;

private:
    enum class Kind { Video, Audio, Subtitle };

    void Open(const std::string& file_name);
    void OpenStream(Kind kind);
    void CloseStream(Kind kind);
    void BuildVideoGraph();
    void BuildAudioGraph();
    bool VideoPathReady() const;
    bool AudioPathReady() const;
    void UpdateOrigin();
    double PacketSeconds(int64_t ts, const AVStream* st) const;

    void DecodingThread();
    void WaitIdle(int milliseconds);
    void HandleVideoPacket(const AVPacket* pkt, double loop_offset);
    void FeedVideoFrame(AVFrame* frame, double loop_offset);
    void DeliverPicture(AVFrame* picture, double loop_offset);
    void HandleAudioPacket(const AVPacket* pkt, double loop_offset);
    void FeedAudioFrame(AVFrame* frame, double loop_offset);
    void HandleSubtitlePacket(AVPacket* pkt, double loop_offset);
    void DrainDecoders(double loop_offset);
    void EndOfPass();
    void ContainerSeek(RefTime start, RefTime previous, int64_t backoff_us = 0);
    void SeekFurtherBack();
    void ExecuteSeek();

    // Configuration: written by the caller's thread; the strings under the reconfiguration lock,
    // the rest atomic.
    std::string video_filters_;
    std::string audio_filters_;
    std::atomic<bool> disable_audio_{false};
    std::atomic<int> loop_count_{0};
    std::atomic<int> thread_count_{0};
    std::atomic<TAVShowMode> show_mode_{smYv12};
    std::atomic<int> scaler_flags_{4};
    std::mutex events_mutex_; // guards the two events
    TFFOnBufferEvent on_buffer_;
    TFFOnAudioBufferEvent on_audio_buffer_;

    std::unique_ptr<TBCPushPinBitmap> video_pin_;
    std::unique_ptr<TBCPushPinWav> audio_pin_;

    // Made by Load before the decoding thread starts; read-only afterwards.
    std::vector<int> video_streams_, audio_streams_, subtitle_streams_;
    std::string file_name_;
    MediaType load_type_;
    bool loaded_ = false;
    int passes_ = 1; // LoopCount as it was at Load

    // The decoding state. Touched by the decoding thread and by live reconfiguration, always
    // under reconfig_lock_ once the thread runs.
    std::mutex reconfig_lock_;
    InputContext container_;
    CodecContextPtr video_dec_, audio_dec_, subtitle_dec_;
    AVStream* video_st_ = nullptr;
    AVStream* audio_st_ = nullptr;
    AVStream* subtitle_st_ = nullptr;
    int cur_video_ = -1, cur_audio_ = -1, cur_subtitle_ = -1;
    FilterGraphPtr video_graph_, audio_graph_;
    AVFilterContext* video_src_ = nullptr; // "src"
    AVFilterContext* video_out_ = nullptr; // "out"
    AVFilterContext* audio_src_ = nullptr; // "asrc"
    AVFilterContext* audio_out_ = nullptr; // "aout"
    FramePtr decoded_frame_, output_frame_, audio_frame_, audio_block_;
    // What the graphs were built for (decoders update their own fields when the stream changes).
    int video_in_w_ = 0, video_in_h_ = 0, video_in_fmt_ = -1;
    int audio_in_fmt_ = -1, audio_in_rate_ = 0, audio_in_channels_ = 0;
    uint64_t audio_in_mask_ = 0;
    double origin_seconds_ = 0;
    double video_clock_ = 0, audio_clock_ = 0; // seconds, next picture / next audio byte
    // After a seek: drop units that end before this time (seconds); -1 when not skipping.
    double skip_video_before_ = -1, skip_audio_before_ = -1;
    // While skipping: the latest picture that starts before the target (decoding thread only).
    std::unique_ptr<TFFSample> held_picture_;
    double seek_target_ = 0;      // seconds, of the last seek
    double last_audio_stop_ = -1; // end of the last PCM block queued since that seek
    int seek_retries_ = 0;
    bool reseek_pending_ = false;

    // Output picture size of the video graph's sink; written under reconfig_lock_, read anywhere.
    std::atomic<int> out_width_{0}, out_height_{0};
    std::atomic<bool> video_ready_{false}, audio_ready_{false};
    std::atomic<RefTime> frame_duration_{0};

    // Seek and thread flags: written under the seek lock (request, terminate) or by the decoding
    // thread; read without a lock, hence atomic.
    // While Load opens the source: the steady-clock time (ns) after which opening gives up.
    std::atomic<int64_t> open_deadline_ns_{INT64_MAX};
    static int InterruptOpen(void* self);

    std::atomic<bool> seek_request_{false};
    std::atomic<bool> terminate_{false};
    std::atomic<bool> end_of_input_{false};
    std::atomic<bool> thread_running_{false};
    std::atomic<int> current_loop_{0};
    std::condition_variable seek_done_; // with seek_lock_

    std::mutex wake_mutex_; // guards wake_
    std::condition_variable wake_cv_;
    bool wake_ = false;
    std::thread decoding_thread_;
};

} // namespace vc
