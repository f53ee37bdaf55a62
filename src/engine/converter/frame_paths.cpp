// Decoding and encoding for the streams that are not copied: the packet goes to the decoder,
// each decoded frame to the filter graphs of the outputs it feeds, each filtered frame through
// the audio or video output step to the encoder, each encoded packet to the packet writer.
#include "engine/converter/converter.h"
#include "engine/converter/frame_paths_impl.h"
#include "engine/media/log_routing.h"
#include "platform/error.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

#include <cstdio>
#include <thread>
#include <vector>

namespace vc {

namespace {
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};

// Tells the graph that no more frames come, so it gives out what it holds.
void CloseGraph(OutputEncodeState& out) {
    const int rc = av_buffersrc_add_frame_flags(out.source, nullptr, 0);
    (void)rc; // a graph that is already closed has nothing more to give either
    out.graph_closed = true;
}
} // namespace

FramePathsImpl::FramePathsImpl(ConversionEngine& engine)
    : engine_(engine), encode_stages_(engine.owner().EncoderThreads()) {}

std::unique_ptr<FramePaths> CreateFramePaths(ConversionEngine& engine) {
    return std::make_unique<FramePathsImpl>(engine);
}

InputDecodeState& FramePathsImpl::In(InputStream& ist) {
    if (!ist.frame_path)
        ist.frame_path = std::make_unique<InputDecodeState>();
    return static_cast<InputDecodeState&>(*ist.frame_path);
}

OutputEncodeState& FramePathsImpl::Out(OutputStream& ost) {
    if (!ost.frame_path)
        ost.frame_path = std::make_unique<OutputEncodeState>();
    return static_cast<OutputEncodeState&>(*ost.frame_path);
}

int FramePathsImpl::DecodePacket(InputStream& ist, int ist_index, const AVPacket* pkt) {
    switch (ist.st->codecpar->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
    case AVMEDIA_TYPE_VIDEO: return DecodeAudioOrVideo(ist, ist_index, pkt);
    case AVMEDIA_TYPE_SUBTITLE: return DecodeSubtitle(ist, ist_index, pkt);
    default: return -1;
    }
}

int FramePathsImpl::DecodeAudioOrVideo(InputStream& ist, int ist_index, const AVPacket* pkt) {
    InputDecodeState& in = In(ist);
    if (!in.frame)
        in.frame.reset(av_frame_alloc());
    if (!in.frame)
        throw Error("no memory");
    AVCodecContext* dec = ist.dec_ctx.get();
    AVFrame* frame = in.frame.get();
    // An empty packet would start draining in the middle of the stream.
    if (pkt && pkt->size == 0)
        return 0;
    int rc = avcodec_send_packet(dec, pkt);
    if (rc < 0 && rc != AVERROR_EOF)
        return rc;
    const bool audio = ist.st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
    for (;;) {
        rc = avcodec_receive_frame(dec, frame);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            break;
        if (rc < 0)
            return rc;
        // The decoding clock: this frame's time, and where the next one should start.
        if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
            ist.pts = av_rescale_q(frame->best_effort_timestamp, ist.st->time_base, kMicroseconds);
        else
            ist.pts = ist.next_pts;
        if (audio && frame->sample_rate > 0) {
            ist.next_pts =
                ist.pts + static_cast<int64_t>(frame->nb_samples) * AV_TIME_BASE / frame->sample_rate;
        } else if (!audio) {
            int64_t duration = 0;
            if (frame->pkt_duration > 0)
                duration = av_rescale_q(frame->pkt_duration, ist.st->time_base, kMicroseconds);
            else if (dec->framerate.num > 0)
                duration = av_rescale_q(1, av_inv_q(dec->framerate), kMicroseconds);
            ist.next_pts = ist.pts + duration;
        }
        FeedAndDrain(ist, ist_index, frame);
        av_frame_unref(frame);
    }
    if (!pkt) {
        // The decoder is drained: the graphs it feeds end too.
        for (OutputStream* ost : engine_.output_streams()) {
            if (ost->source_index != ist_index || !ost->encoding_needed || !ost->frame_path)
                continue;
            OutputEncodeState& out = Out(*ost);
            if (out.source && !out.graph_closed) {
                CloseGraph(out);
                Drain(*ost, ist);
            }
        }
    }
    return 0;
}

void FramePathsImpl::FeedAndDrain(InputStream& ist, int ist_index, AVFrame* frame) {
    const bool audio = ist.st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
    const int64_t best = frame->best_effort_timestamp;
    for (OutputStream* ost : engine_.output_streams()) {
        if (ost->source_index != ist_index || !ost->encoding_needed)
            continue;
        OutputEncodeState& out = Out(*ost);
        if (!out.source || out.graph_closed)
            continue;
        if (audio) {
            frame->pts = best == AV_NOPTS_VALUE
                             ? AV_NOPTS_VALUE
                             : av_rescale_q(best, ist.st->time_base, AVRational{1, frame->sample_rate});
        } else {
            frame->pts = best;
            if (frame->sample_aspect_ratio.num <= 0)
                frame->sample_aspect_ratio = ist.st->sample_aspect_ratio;
        }
        if (SourceChanged(out, frame, audio)) {
            rebuild_frame_ = frame;
            try {
                RebuildGraph(*ost, ist, audio);
            } catch (...) {
                rebuild_frame_ = nullptr;
                throw;
            }
            rebuild_frame_ = nullptr;
        }
        int rc = av_buffersrc_add_frame_flags(out.source, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
        if (rc < 0)
            continue; // a frame the graph refuses is dropped like a damaged packet
        Drain(*ost, ist);
    }
}

void FramePathsImpl::RebuildGraph(OutputStream& ost, InputStream& ist, bool audio) {
    OutputEncodeState& out = Out(ost);
    // What the old graph still holds goes to the encoder first; the input clock is kept, since
    // the old graph's frames move it while they are drained.
    const int64_t pts = ist.pts;
    const int64_t next_pts = ist.next_pts;
    if (!out.graph_closed) {
        CloseGraph(out);
        out.pad_short_audio = audio;
        Drain(ost, ist);
        out.pad_short_audio = false;
    }
    ist.pts = pts;
    ist.next_pts = next_pts;
    if (audio)
        BuildAudioGraph(ost, ist);
    else
        BuildVideoGraph(ost, ist);
}

void FramePathsImpl::Drain(OutputStream& ost, InputStream& ist) {
    OutputEncodeState& out = Out(ost);
    if (!out.filtered)
        out.filtered.reset(av_frame_alloc());
    AVFrame* filtered = out.filtered.get();
    while (av_buffersink_get_frame(out.sink, filtered) >= 0) {
        if (ost.type == AVMEDIA_TYPE_VIDEO) {
            if (filtered->pts != AV_NOPTS_VALUE)
                ist.pts = av_rescale_q(filtered->pts, av_buffersink_get_time_base(out.sink), kMicroseconds);
            if (engine_.owner().HasVideoBufferHandler())
                VideoBuffer(ist, filtered);
            VideoOutput(ost, ist, filtered);
        } else {
            AudioOutput(ost, ist, filtered);
        }
        av_frame_unref(filtered);
    }
}

// Frames an encode stage holds at most: enough to keep the encoder busy while the filters work on
// the next frame, few enough that a stalled encoder holds little (eight 1080p pictures are 25 MB).
constexpr std::size_t kVideoStageFrames = 8;
constexpr std::size_t kAudioStageFrames = 64;

void FramePathsImpl::Encode(OutputStream& ost, AVFrame* frame) {
    if (!encode_stages_) {
        EncodeNow(ost, frame);
        return;
    }
    OutputEncodeState& out = Out(ost);
    if (!out.stage) {
        const bool video = ost.type == AVMEDIA_TYPE_VIDEO;
        TAVConverter* owner = &engine_.owner();
        out.stage = std::make_unique<EncodeStage>(
            video ? "Encoding video" : "Encoding audio", video ? kVideoStageFrames : kAudioStageFrames,
            [this, &ost](AVFrame* f) { EncodeNow(ost, f); },
            // The encoder's log lines belong to this run, as they did on the run's own thread.
            [owner] { ThreadRegistry::Add(std::this_thread::get_id(), owner); },
            [] { ThreadRegistry::Remove(std::this_thread::get_id()); });
    }
    out.stage->Push(frame);
}

void FramePathsImpl::EncodeNow(OutputStream& ost, AVFrame* frame) {
    OutputEncodeState& out = Out(ost);
    if (!out.packet)
        out.packet.reset(av_packet_alloc());
    AVCodecContext* enc = ost.enc_ctx.get();
    const bool video = ost.type == AVMEDIA_TYPE_VIDEO;
    const char* failure = video ? "Video encoding failed" : "Audio encoding failed";
    int rc = ost.own_encoder ? ost.own_encoder->SendFrame(frame) : avcodec_send_frame(enc, frame);
    if (rc < 0 && !(rc == AVERROR_EOF && !frame))
        throw Error(failure);
    AVPacket* pkt = out.packet.get();
    for (;;) {
        rc = ost.own_encoder ? ost.own_encoder->ReceivePacket(pkt) : avcodec_receive_packet(enc, pkt);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            break;
        if (rc < 0)
            throw Error(failure);
        if (ost.log_file && enc->stats_out)
            std::fputs(enc->stats_out, ost.log_file.get());
        // A video frame lasts one tick of the encoder's clock (the output rate). Without it, MP4
        // gives the last frame no duration and players drop it.
        if (video && pkt->duration <= 0)
            pkt->duration = 1;
        av_packet_rescale_ts(pkt, enc->time_base, ost.st->time_base);
        pkt->stream_index = ost.stream_index;
        if (!video)
            pkt->flags |= AV_PKT_FLAG_KEY;
        engine_.WritePacket(ost, pkt, video ? &engine_.options().VideoBytes : &engine_.options().AudioBytes);
        av_packet_unref(pkt);
    }
    if (!frame && ost.log_file && enc->stats_out)
        std::fputs(enc->stats_out, ost.log_file.get());
}

void FramePathsImpl::FlushEncoders() {
    std::vector<EncodeStage*> stages;
    for (OutputStream* ost : engine_.output_streams()) {
        if (!ost->encoding_needed || !ost->encoder_opened || ost->type == AVMEDIA_TYPE_SUBTITLE)
            continue;
        OutputEncodeState& out = Out(*ost);
        if (out.source && !out.graph_closed) {
            CloseGraph(out);
            Drain(*ost, *engine_.input_streams()[ost->source_index]);
        }
        if (out.stage) {
            out.stage->Finish(); // the stages drain their encoders side by side
            stages.push_back(out.stage.get());
        } else {
            EncodeNow(*ost, nullptr);
        }
    }
    for (EncodeStage* stage : stages)
        stage->Join();
}

} // namespace vc
