#pragma once
// The frame paths' own declarations: per-stream state and the class behind FramePaths, whose
// steps live in filter_graphs.cpp, audio_path.cpp, video_path.cpp, subtitle_path.cpp and
// frame_paths.cpp.
#include "engine/converter/conversion_engine.h"
#include "engine/converter/encode_stage.h"
#include "engine/media/av_bitmap.h"
#include "engine/media/ff_handles.h"

namespace vc {

// An input stream that is decoded.
struct InputDecodeState final : FramePathState {
    FramePtr frame; // the decoded frame
    // The video-buffer members, made when an OnVideoBuffer handler is connected.
    SwsContextPtr to_bgra;
    SwsContextPtr from_bgra;
    FramePtr bgra;
    TAVBitmap bitmap;
    int bgra_width = 0, bgra_height = 0, bgra_format = -1;
};

// What a graph's source was built for; a decoded frame that differs needs a new graph.
struct SourceParameters {
    int format = -1; // pixel or sample format
    int rate = 0;
    int width = 0, height = 0;
    AVChannelLayout layout{};
    SourceParameters() = default;
    SourceParameters(int f, int r, int w, int h) : format(f), rate(r), width(w), height(h) {}
    SourceParameters(const SourceParameters&) = delete;
    SourceParameters& operator=(const SourceParameters&) = delete;
    ~SourceParameters() { av_channel_layout_uninit(&layout); }
};

// An output stream that is encoded.
struct OutputEncodeState final : FramePathState {
    FilterGraphPtr graph;
    AVFilterContext* source = nullptr; // the graph's buffer source
    AVFilterContext* sink = nullptr;
    FramePtr filtered;
    PacketPtr packet;
    bool graph_closed = false;  // end of stream given to the source
    int64_t next_audio_pts = 0; // encoder time base; for frames without a time stamp
    SourceParameters source_params;
    // While an old graph is flushed for a new one: its short last audio frame is padded with
    // silence, because only the very last frame may be short for an encoder of fixed frame size.
    bool pad_short_audio = false;
    FramePtr padded;
    bool deinterlace_failed = false; // the deinterlacer could not be set up: pictures go as they are
    // The encoder's own thread when the run uses encode stages. Last, so it is joined before
    // anything it uses goes.
    std::unique_ptr<EncodeStage> stage;
};

class FramePathsImpl final : public FramePaths {
public:
    explicit FramePathsImpl(ConversionEngine& engine);

    void BuildAudioGraph(OutputStream& ost, InputStream& ist) override;
    void BuildVideoGraph(OutputStream& ost, InputStream& ist) override;
    void EncoderOpened(OutputStream& ost) override;
    int DecodePacket(InputStream& ist, int ist_index, const AVPacket* pkt) override;
    void FlushEncoders() override;

private:
    static InputDecodeState& In(InputStream& ist);
    static OutputEncodeState& Out(OutputStream& ost);

    // frame_paths.cpp
    int DecodeAudioOrVideo(InputStream& ist, int ist_index, const AVPacket* pkt);
    void FeedAndDrain(InputStream& ist, int ist_index, AVFrame* frame);
    void Drain(OutputStream& ost, InputStream& ist);
    // The decoded frame's size, pixel format, sample format, rate or layout differs from what the
    // graph was built for (broadcast recordings, joined clips).
    static bool SourceChanged(const OutputEncodeState& out, const AVFrame* frame, bool audio);
    // Flushes the old graph into the encoder and builds one for the new parameters.
    void RebuildGraph(OutputStream& ost, InputStream& ist, bool audio);
    // The video graph with or without the deinterlacer at its head; false when it cannot be set up.
    bool ConfigureVideoGraph(OutputStream& ost, InputStream& ist, bool deinterlace);
    // Remembers what the new graph's source takes.
    static void KeepSourceParameters(OutputEncodeState& out, const SourceParameters& src);
    // Sends a frame to the encoder: to its encode stage when the run has them, else at once.
    void Encode(OutputStream& ost, AVFrame* frame);
    // Sends a frame (null: end of stream) to the encoder and writes what comes out; on the
    // stream's encode stage when there is one.
    void EncodeNow(OutputStream& ost, AVFrame* frame);

    // audio_path.cpp
    void AudioOutput(OutputStream& ost, InputStream& ist, AVFrame* frame);
    // video_path.cpp
    void VideoOutput(OutputStream& ost, InputStream& ist, AVFrame* frame);
    void VideoBuffer(InputStream& ist, AVFrame* frame);
    // subtitle_path.cpp
    int DecodeSubtitle(InputStream& ist, int ist_index, const AVPacket* pkt);

    ConversionEngine& engine_;
    const bool encode_stages_;               // taken once per run: a stream never switches in the middle
    const AVFrame* rebuild_frame_ = nullptr; // set while a graph is built again for this frame
};

} // namespace vc
