// The preview source's decoding thread: reads packets, decodes and filters them into timed units
// for the pins, loops the source and executes seeks.
#include "engine/preview/push_source.h"

#include "engine/preview/subtitle_overlay.h"
#include "platform/error.h"
#include "platform/message_sink.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
}

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

namespace vc {

namespace {
constexpr size_t kMaxQueued = 30;
} // namespace

void TFFPushSource::WakeDecoder() {
    {
        std::lock_guard lock(wake_mutex_);
        wake_ = true;
    }
    wake_cv_.notify_all();
}

void TFFPushSource::WaitIdle(int milliseconds) {
    std::unique_lock lock(wake_mutex_);
    wake_cv_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return wake_; });
    wake_ = false;
}

void TFFPushSource::DecodingThread() {
    pthread_setname_np(pthread_self(), "preview-decode");
    PacketPtr pkt(av_packet_alloc());
    try {
        if (!pkt)
            throw std::bad_alloc();
        while (!terminate_) {
            if (seek_request_)
                ExecuteSeek();
            if (end_of_input_) {
                WaitIdle(50);
                continue;
            }
            const bool video_wanted = video_pin_->IsConnected() && VideoPathReady();
            const bool audio_wanted = audio_pin_->IsConnected() && AudioPathReady();
            if (!video_wanted && !audio_wanted) {
                WaitIdle(10);
                continue;
            }
            if (!(video_wanted && video_pin_->QueueLength() < kMaxQueued) &&
                !(audio_wanted && audio_pin_->QueueLength() < kMaxQueued)) {
                WaitIdle(10);
                continue;
            }
            std::lock_guard lock(reconfig_lock_);
            if (av_read_frame(container_.get(), pkt.get()) < 0) {
                EndOfPass();
                continue;
            }
            double loop_offset = 0;
            {
                std::lock_guard seek(seek_lock_);
                loop_offset = static_cast<double>(single_pass_duration_) * current_loop_ / kUnitsPerSecond;
            }
            // Packets of a kind nobody plays are dropped, so its queue cannot grow without bound.
            if (video_st_ && pkt->stream_index == video_st_->index && video_wanted)
                HandleVideoPacket(pkt.get(), loop_offset);
            else if (subtitle_st_ && pkt->stream_index == subtitle_st_->index && video_wanted)
                HandleSubtitlePacket(pkt.get(), loop_offset);
            else if (audio_st_ && pkt->stream_index == audio_st_->index && audio_wanted)
                HandleAudioPacket(pkt.get(), loop_offset);
            av_packet_unref(pkt.get());
            if (reseek_pending_)
                SeekFurtherBack();
        }
    } catch (const std::exception& e) {
        CurrentMessageSink().Show(MessageKind::Error, "Error", e.what());
        // The pins drain what is queued and then end their streams instead of waiting forever;
        // whoever plays the graph hears that playback ended in a failure.
        end_of_input_ = true;
        NotifyEvent(GraphEvent::ErrorAbort, E_FAIL, e.what());
    }
    {
        std::lock_guard lock(seek_lock_);
        thread_running_ = false;
    }
    seek_done_.notify_all();
    video_pin_->NotifyData();
    audio_pin_->NotifyData();
}

// --- video --------------------------------------------------------------------------------------

void TFFPushSource::HandleVideoPacket(const AVPacket* pkt, double loop_offset) {
    AVCodecContext* dec = video_dec_.get();
    int rc = avcodec_send_packet(dec, pkt);
    while (rc >= 0 || rc == AVERROR(EAGAIN)) {
        const int got = avcodec_receive_frame(dec, decoded_frame_.get());
        if (got < 0) {
            if (rc == AVERROR(EAGAIN)) { // output was waiting: the packet goes in now
                rc = avcodec_send_packet(dec, pkt);
                continue;
            }
            break;
        }
        FeedVideoFrame(decoded_frame_.get(), loop_offset);
        av_frame_unref(decoded_frame_.get());
    }
}

void TFFPushSource::FeedVideoFrame(AVFrame* frame, double loop_offset) {
    if (frame->width != video_in_w_ || frame->height != video_in_h_ || frame->format != video_in_fmt_) {
        // The source changed its picture size or format mid-stream (a broadcast or DVD cut):
        // build the graph for the new pictures and give the renderer the new type.
        video_dec_->width = frame->width;
        video_dec_->height = frame->height;
        video_dec_->pix_fmt = static_cast<AVPixelFormat>(frame->format);
        const int old_w = out_width_, old_h = out_height_;
        BuildVideoGraph();
        if (out_width_ != old_w || out_height_ != old_h)
            video_pin_->RenegotiateFormat();
    }
    frame->pts = frame->best_effort_timestamp;
    if (frame->interlaced_frame && !frame->top_field_first)
        DeinterlaceBottomFieldInPlace(frame);
    if (video_dec_->sample_aspect_ratio.num > 0)
        frame->sample_aspect_ratio = video_dec_->sample_aspect_ratio;
    if (av_buffersrc_add_frame_flags(video_src_, frame, AV_BUFFERSRC_FLAG_KEEP_REF) < 0)
        return;
    while (av_buffersink_get_frame(video_out_, output_frame_.get()) >= 0) {
        DeliverPicture(output_frame_.get(), loop_offset);
        av_frame_unref(output_frame_.get());
    }
}

void TFFPushSource::DeliverPicture(AVFrame* picture, double loop_offset) {
    const AVRational stream_tb = video_st_->time_base;
    const AVRational sink_tb = av_buffersink_get_time_base(video_out_);
    int64_t ts = picture->pts;
    if (ts != AV_NOPTS_VALUE && av_cmp_q(sink_tb, stream_tb) != 0)
        ts = av_rescale_q(ts, sink_tb, stream_tb);

    const int w = picture->width, h = picture->height;
    const bool rgb = picture->format == AV_PIX_FMT_BGRA;
    const int size = rgb ? w * h * 4 : w * h + 2 * ((w / 2) * (h / 2));
    auto sample = TFFSample::Allocate(size);
    uint8_t* out = sample->Data.get();
    if (rgb) {
        av_image_copy_plane(out, w * 4, picture->data[0], picture->linesize[0], w * 4, h);
    } else {
        // Y, then V, then U: the plane order of YV12.
        const int cw = w / 2, ch = h / 2;
        av_image_copy_plane(out, w, picture->data[0], picture->linesize[0], w, h);
        av_image_copy_plane(out + w * h, cw, picture->data[2], picture->linesize[2], cw, ch);
        av_image_copy_plane(out + w * h + cw * ch, cw, picture->data[1], picture->linesize[1], cw, ch);
    }

    double pts = video_clock_;
    if (ts != AV_NOPTS_VALUE) {
        pts = PacketSeconds(ts, video_st_);
        video_clock_ = pts;
    }
    double frame_duration = 0;
    if (picture->pkt_duration > 0 && av_cmp_q(sink_tb, stream_tb) == 0)
        frame_duration = picture->pkt_duration * av_q2d(stream_tb);
    if (frame_duration <= 0) {
        const AVRational fr = av_buffersink_get_frame_rate(video_out_);
        frame_duration = (fr.num > 0 && fr.den > 0) ? av_q2d(av_inv_q(fr)) : 0.04;
    }
    frame_duration *= 1 + picture->repeat_pict * 0.5;
    video_clock_ += frame_duration;

    sample->StartTime = loop_offset + pts;
    sample->StopTime = loop_offset + video_clock_;
    if (skip_video_before_ >= 0) {
        // After a seek the decoder starts at a key frame before the target: drop what ends
        // before it, so the first picture shown is the one at the requested time. A picture's
        // end is only a guess until the next one starts (variable-rate clips): the latest one
        // that starts before the target is held until a later one shows whether it covers it.
        if (sample->StartTime <= skip_video_before_ + 1e-3 && sample->StopTime <= skip_video_before_ + 1e-6) {
            held_picture_ = std::move(sample);
            return;
        }
        if (sample->StartTime > skip_video_before_ + 1e-3 && held_picture_) {
            video_pin_->PushSample(std::move(held_picture_));
        } else if (sample->StartTime > skip_video_before_ + 1e-3 && seek_retries_ < 3) {
            // The demuxer landed behind the key frame the target needs (formats without an
            // index seek by decoding time): go back further and try again.
            reseek_pending_ = true;
            return;
        }
        held_picture_.reset();
        skip_video_before_ = -1;
    }
    video_pin_->PushSample(std::move(sample));
}

// --- subtitles ----------------------------------------------------------------------------------

void TFFPushSource::HandleSubtitlePacket(AVPacket* pkt, double loop_offset) {
    if (!subtitle_dec_)
        return;
    const double pts = pkt->pts != AV_NOPTS_VALUE ? PacketSeconds(pkt->pts, subtitle_st_) : 0.0;
    auto sub = std::make_unique<TFFSubtitle>();
    int got = 0;
    if (avcodec_decode_subtitle2(subtitle_dec_.get(), &sub->Sub, &got, pkt) < 0 || !got ||
        sub->Sub.format != 0)
        return;
    if (ShowMode() == smYv12)
        ConvertPaletteToYuv(sub->Sub);
    sub->Pts = pts + loop_offset;
    video_pin_->PushSubtitle(std::move(sub));
}

// --- audio --------------------------------------------------------------------------------------

void TFFPushSource::HandleAudioPacket(const AVPacket* pkt, double loop_offset) {
    AVCodecContext* dec = audio_dec_.get();
    int rc = avcodec_send_packet(dec, pkt);
    while (rc >= 0 || rc == AVERROR(EAGAIN)) {
        const int got = avcodec_receive_frame(dec, audio_frame_.get());
        if (got < 0) {
            if (rc == AVERROR(EAGAIN)) {
                rc = avcodec_send_packet(dec, pkt);
                continue;
            }
            break;
        }
        FeedAudioFrame(audio_frame_.get(), loop_offset);
        av_frame_unref(audio_frame_.get());
    }
}

void TFFPushSource::FeedAudioFrame(AVFrame* frame, double loop_offset) {
    const AVCodecContext* dec = audio_dec_.get();
    if (frame->nb_samples <= 0)
        return;
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        // Channels without a layout get the default one for their count, the one the graph was
        // built with, as the audio source filter compares layouts.
        const int n = frame->ch_layout.nb_channels;
        av_channel_layout_uninit(&frame->ch_layout);
        av_channel_layout_default(&frame->ch_layout, n);
    }
    const uint64_t mask = frame->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? frame->ch_layout.u.mask : 0;
    if (frame->format != audio_in_fmt_ || frame->sample_rate != audio_in_rate_ ||
        frame->ch_layout.nb_channels != audio_in_channels_ || mask != audio_in_mask_) {
        // New sample format, rate or channels mid-stream: the audio source filter cannot take them,
        // so build the graph again; the pin follows when what it delivers changes.
        audio_dec_->sample_fmt = static_cast<AVSampleFormat>(frame->format);
        audio_dec_->sample_rate = frame->sample_rate;
        av_channel_layout_uninit(&audio_dec_->ch_layout);
        av_channel_layout_copy(&audio_dec_->ch_layout, &frame->ch_layout);
        const int old_channels = audio_pin_->Channels(), old_rate = audio_pin_->SampleRate();
        BuildAudioGraph();
        if (audio_pin_->Channels() != old_channels || audio_pin_->SampleRate() != old_rate)
            audio_pin_->RenegotiateFormat();
    }
    // Each decoded chunk carries its own time; a packet's time would repeat for every chunk.
    if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
        audio_clock_ = PacketSeconds(frame->best_effort_timestamp, audio_st_);
    frame->pts = static_cast<int64_t>(std::trunc(dec->sample_rate * audio_clock_));
    if (av_buffersrc_add_frame_flags(audio_src_, frame, AV_BUFFERSRC_FLAG_KEEP_REF) < 0)
        throw Error("decode audio error!");
    const AVRational sink_tb = av_buffersink_get_time_base(audio_out_);
    const int rate = av_buffersink_get_sample_rate(audio_out_);
    const int channels = av_buffersink_get_ch_layout(audio_out_, &audio_block_->ch_layout) >= 0
                             ? audio_block_->ch_layout.nb_channels
                             : 2;
    av_channel_layout_uninit(&audio_block_->ch_layout);
    // The sink may hand back none, one or several blocks for a chunk; each is timed on its own.
    while (av_buffersink_get_frame(audio_out_, audio_block_.get()) >= 0) {
        const double pts =
            audio_block_->pts != AV_NOPTS_VALUE ? audio_block_->pts * av_q2d(sink_tb) : audio_clock_;
        int bytes = 2 * audio_block_->nb_samples * channels;
        const double bytes_per_second = 2.0 * channels * rate;
        audio_clock_ += bytes / bytes_per_second;
        double start = loop_offset + pts;
        const double stop = loop_offset + audio_clock_;
        int offset = 0;
        if (skip_audio_before_ >= 0) {
            if (stop <= skip_audio_before_ + 1e-6) {
                av_frame_unref(audio_block_.get());
                continue;
            }
            if (start < skip_audio_before_) {
                // Trim the block so that sound starts at the requested time.
                const int samples = static_cast<int>((skip_audio_before_ - start) * rate);
                offset = std::min(bytes, samples * 2 * channels);
                start += static_cast<double>(offset) / bytes_per_second;
            }
            skip_audio_before_ = -1;
        }
        auto sample = TFFSample::Allocate(bytes - offset);
        std::memcpy(sample->Data.get(), audio_block_->data[0] + offset, static_cast<size_t>(bytes - offset));
        sample->StartTime = start;
        sample->StopTime = stop;
        last_audio_stop_ = stop;
        audio_pin_->PushSample(std::move(sample));
        av_frame_unref(audio_block_.get());
    }
}

// --- end of a pass, looping and seeking -----------------------------------------------------------

void TFFPushSource::DrainDecoders(double loop_offset) {
    // Decoders hold back their last pictures (reordering, frame threads) until told the input ended.
    if (video_dec_ && VideoPathReady() && video_pin_->IsConnected()) {
        HandleVideoPacket(nullptr, loop_offset);
        avcodec_flush_buffers(video_dec_.get());
    }
    if (audio_dec_ && AudioPathReady() && audio_pin_->IsConnected()) {
        HandleAudioPacket(nullptr, loop_offset);
        avcodec_flush_buffers(audio_dec_.get());
    }
}

void TFFPushSource::EndOfPass() {
    RefTime start = 0, previous = 0;
    double loop_offset = 0;
    {
        std::lock_guard seek(seek_lock_);
        loop_offset = static_cast<double>(single_pass_duration_) * current_loop_ / kUnitsPerSecond;
    }
    DrainDecoders(loop_offset);
    // The input ended while a picture was held after a seek: it is the last one, showing to the end.
    if (held_picture_) {
        video_pin_->PushSample(std::move(held_picture_));
        skip_video_before_ = -1;
    }
    const int next = current_loop_ + 1;
    current_loop_ = next;
    if (next >= passes_) {
        end_of_input_ = true;
        video_pin_->NotifyData();
        audio_pin_->NotifyData();
        return;
    }
    {
        std::lock_guard seek(seek_lock_);
        previous_start_ = start_;
        start_ = single_pass_duration_ * next;
        start = start_;
        previous = previous_start_;
    }
    ContainerSeek(start, previous);
}

void TFFPushSource::ContainerSeek(RefTime start, RefTime previous, int64_t backoff_us) {
    RefTime single = 0;
    {
        std::lock_guard seek(seek_lock_);
        single = single_pass_duration_;
    }
    if (single == 0)
        return;
    current_loop_ = static_cast<int>(start / single);
    const RefTime position = start % single;
    // The previous position only chose the direction of the search window; the window below
    // always ends at the target instead (see there).
    (void)previous;
    const int64_t base = container_->start_time == AV_NOPTS_VALUE ? 0 : container_->start_time;
    int64_t target = position / 10 + base;
    // Formats that seek by decoding time land after the presentation time asked for when
    // pictures are reordered: aim a little earlier, as ffmpeg does.
    bool reordered = false;
    for (unsigned i = 0; i < container_->nb_streams; ++i)
        reordered = reordered || container_->streams[i]->codecpar->video_delay > 0;
    if (position > 0 && reordered && !(container_->iformat->flags & AVFMT_SEEK_TO_PTS))
        target -= 3 * AV_TIME_BASE / 23;
    target = std::max(base, target - backoff_us);
    if (position == 0)
        target = base;
    // The window ends at the target so the demuxer lands on a key frame at or before it; the
    // pictures up to the target are dropped after decoding.
    int rc = avformat_seek_file(container_.get(), -1, std::numeric_limits<int64_t>::min(), target, target, 0);
    if (rc < 0)
        rc = avformat_seek_file(container_.get(), -1, std::numeric_limits<int64_t>::min(), target,
                                std::numeric_limits<int64_t>::max(), 0);
    video_clock_ = static_cast<double>(position) / kUnitsPerSecond;
    audio_clock_ = video_clock_;
}

void TFFPushSource::SeekFurtherBack() {
    reseek_pending_ = false;
    ++seek_retries_;
    RefTime start = 0, previous = 0;
    {
        std::lock_guard seek(seek_lock_);
        start = start_;
        previous = previous_start_;
    }
    ContainerSeek(start, previous, int64_t{seek_retries_} * AV_TIME_BASE);
    if (video_dec_)
        avcodec_flush_buffers(video_dec_.get());
    if (audio_dec_)
        avcodec_flush_buffers(audio_dec_.get());
    if (video_dec_ && VideoPathReady())
        BuildVideoGraph();
    if (audio_dec_ && AudioPathReady())
        BuildAudioGraph();
    // Sound already queued since the seek is not queued twice.
    skip_audio_before_ = std::max(seek_target_, last_audio_stop_);
    held_picture_.reset();
}

void TFFPushSource::ExecuteSeek() {
    std::lock_guard lock(reconfig_lock_);
    RefTime start = 0, previous = 0, single = 0;
    {
        std::lock_guard seek(seek_lock_);
        start = start_;
        previous = previous_start_;
        single = single_pass_duration_;
    }
    ContainerSeek(start, previous);
    seek_retries_ = 0;
    reseek_pending_ = false;
    seek_target_ = static_cast<double>(start) / kUnitsPerSecond;
    last_audio_stop_ = -1;
    // A position past the last pass has nothing to play.
    const bool past_end = single > 0 && start >= single * passes_;
    {
        std::lock_guard seek(seek_lock_);
        video_pin_->ClearQueues();
        audio_pin_->ClearQueues();
        if (video_dec_)
            avcodec_flush_buffers(video_dec_.get());
        if (audio_dec_)
            avcodec_flush_buffers(audio_dec_.get());
        if (subtitle_dec_)
            avcodec_flush_buffers(subtitle_dec_.get());
        video_pin_->SetFirstSample();
        audio_pin_->SetFirstSample();
        end_of_input_ = past_end;
        seek_request_ = false;
    }
    // Filters may hold pictures or samples of the old position: start them afresh.
    if (video_dec_ && VideoPathReady())
        BuildVideoGraph();
    if (audio_dec_ && AudioPathReady())
        BuildAudioGraph();
    skip_video_before_ = skip_audio_before_ = single > 0 ? seek_target_ : -1;
    held_picture_.reset();
    if (past_end) {
        video_pin_->NotifyData();
        audio_pin_->NotifyData();
    }
    seek_done_.notify_all();
}

} // namespace vc
