// The packet loop: chooses the input to read next, reads one packet, corrects its time stamps and
// hands it to the packet processor; pause and stop take effect here. Then the end of transcoding
// (drain, trailers, final report) and the clean-up.
#include "engine/converter/conversion_engine.h"
#include "engine/converter/converter.h"
#include "platform/error.h"

extern "C" {
#include <libavutil/time.h>
}

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>

namespace vc {

namespace {
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};
} // namespace

FramePaths* ConversionEngine::frame_paths() {
    if (!frame_paths_)
        frame_paths_ = CreateFramePaths(*this);
    return frame_paths_.get();
}

void ConversionEngine::PacketLoop() {
    packet_.reset(av_packet_alloc());
    out_packet_.reset(av_packet_alloc());
    if (!packet_ || !out_packet_)
        throw Error("no memory");
    AVPacket* pkt = packet_.get();
    const bool input_sync = options_.GrabOptions()->InputSync();
    const double recording_s = static_cast<double>(options_.RecordingTime()) / 1000000.0;
    const int video_max = options_.VideoOptions()->MaxFrames();
    const int audio_max = options_.AudioOptions()->MaxFrames();
    const int data_max = options_.DataMaxFrames;
    const double threshold_us = static_cast<double>(options_.DtsDeltaThreshold) * 1000000.0;

    for (;;) {
        double smallest_in = 1e100;
        double smallest_out = 1e100;
        owner_.DoProgress();

        // A pause and resume may both have come since the last look: whenever the run is
        // running without the slot it was given, it waits for one again before going on.
        for (;;) {
            TAVConverter::TAVConverterState state = owner_.State();
            if (state == TAVConverter::cvPaused)
                state = owner_.WaitWhilePaused();
            if (state != TAVConverter::cvRunning)
                break;
            if (owner_.ReacquireSlotAfterResume())
                break;
        }
        if (owner_.State() == TAVConverter::cvStopping) {
            owner_.DoStopped();
            break;
        }

        int chosen = -1;
        std::unique_lock write_lock(write_mutex_); // next_dts moves on the encode stages' threads
        for (OutputStream* ost : output_streams_) {
            InputStream& ist = *input_streams_[ost->source_index];
            InputFile& file = input_files_[ist.file_index];
            if (file.no_packet || ost->finished)
                continue;
            const double out_time = static_cast<double>(ost->next_dts) * av_q2d(ost->st->time_base);
            const double in_time = static_cast<double>(ist.pts);
            if (!file.eof_reached) {
                if (in_time < smallest_in) {
                    smallest_in = in_time;
                    if (input_sync)
                        chosen = ist.file_index;
                }
                if (out_time < smallest_out) {
                    smallest_out = out_time;
                    if (!input_sync)
                        chosen = ist.file_index;
                }
            }
            const int limit = ost->type == AVMEDIA_TYPE_VIDEO      ? video_max
                              : ost->type == AVMEDIA_TYPE_AUDIO    ? audio_max
                              : ost->type == AVMEDIA_TYPE_SUBTITLE ? INT_MAX
                                                                   : data_max;
            if (ost->frame_number >= limit) {
                chosen = -1;
                break;
            }
        }
        write_lock.unlock();
        if (chosen < 0) {
            if (no_packet_count_ > 0) {
                for (auto& f : input_files_)
                    f.no_packet = false;
                no_packet_count_ = 0;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            break;
        }

        owner_.converted_duration_ = smallest_out;
        if (recording_s <= smallest_out)
            break;

        InputFile& file = input_files_[chosen];
        const int rc = av_read_frame(file.ctx.get(), pkt);
        if (rc == AVERROR(EAGAIN)) {
            file.no_packet = true;
            ++no_packet_count_;
            continue;
        }
        if (rc < 0) {
            file.eof_reached = true;
            continue;
        }
        if (no_packet_count_ > 0) {
            for (auto& f : input_files_)
                f.no_packet = false;
            no_packet_count_ = 0;
        }
        auto release = [pkt] { av_packet_unref(pkt); };
        if (pkt->stream_index >= file.nb_streams) {
            release();
            continue;
        }
        const int ist_index = file.first_stream + pkt->stream_index;
        InputStream& ist = *input_streams_[ist_index];
        if (ist.discard) {
            release();
            continue;
        }
        const AVRational tb = ist.st->time_base;
        const int64_t offset = av_rescale_q(file.ts_offset, kMicroseconds, tb);
        if (pkt->dts != AV_NOPTS_VALUE)
            pkt->dts += offset;
        if (pkt->pts != AV_NOPTS_VALUE)
            pkt->pts += offset;

        if (pkt->dts != AV_NOPTS_VALUE && ist.next_pts != AV_NOPTS_VALUE &&
            (file.ctx->iformat->flags & AVFMT_TS_DISCONT)) {
            const int64_t pkt_dts = av_rescale_q(pkt->dts, tb, kMicroseconds);
            const int64_t delta = pkt_dts - ist.next_pts;
            if (static_cast<double>(std::llabs(delta)) > threshold_us || pkt_dts + 1 < ist.pts) {
                file.ts_offset -= delta;
                const int64_t shift = av_rescale_q(delta, kMicroseconds, tb);
                pkt->dts -= shift;
                if (pkt->pts != AV_NOPTS_VALUE)
                    pkt->pts -= shift;
            }
        }

        const int processed = ProcessPacket(ist, ist_index, pkt);
        release();
        if (processed >= 0)
            ReportSize(false);
    }
}

int ConversionEngine::ProcessPacket(InputStream& ist, int ist_index, const AVPacket* pkt) {
    if (ist.next_pts == AV_NOPTS_VALUE)
        ist.next_pts = ist.pts;
    if (!pkt)
        return ist.decoding_needed ? frame_paths()->DecodePacket(ist, ist_index, nullptr) : 0;
    if (pkt->dts != AV_NOPTS_VALUE)
        ist.next_pts = ist.pts = av_rescale_q(pkt->dts, ist.st->time_base, kMicroseconds);

    ist.pts = ist.next_pts;
    if (ist.decoding_needed) {
        const int decoded = frame_paths()->DecodePacket(ist, ist_index, pkt);
        if (decoded < 0)
            return decoded;
    } else {
        // Not decoded: the clock moves on by one frame.
        const AVCodecParameters* par = ist.st->codecpar;
        if (pkt->duration > 0) {
            ist.next_pts += av_rescale_q(pkt->duration, ist.st->time_base, kMicroseconds);
        } else if (par->codec_type == AVMEDIA_TYPE_AUDIO && par->sample_rate > 0 && par->frame_size > 0) {
            ist.next_pts += static_cast<int64_t>(par->frame_size) * AV_TIME_BASE / par->sample_rate;
        } else if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
            const AVRational codec_tb = av_stream_get_codec_timebase(ist.st);
            const int ticks = ist.dec_ctx ? std::max(1, ist.dec_ctx->ticks_per_frame) : 1;
            if (codec_tb.num != 0 && codec_tb.den != 0)
                ist.next_pts += static_cast<int64_t>(AV_TIME_BASE) * codec_tb.num * ticks / codec_tb.den;
        }
    }
    if (working_start_time_ == 0 || ist.pts >= working_start_time_) {
        for (OutputStream* ost : output_streams_)
            if (ost->source_index == ist_index && ost->stream_copy)
                CopyPacket(*ost, ist, pkt);
    }
    return 0;
}

void ConversionEngine::EndTranscode() {
    for (size_t i = 0; i < input_streams_.size(); ++i)
        if (input_streams_[i]->decoding_needed)
            ProcessPacket(*input_streams_[i], static_cast<int>(i), nullptr);
    if (frame_paths_)
        frame_paths_->FlushEncoders();
    FlushOutputs();
    ReportSize(true);
    CommitOutputs();
    // The loop leaves before it measures its last packets; the owner sees where the output ended.
    double end_s = 1e100;
    for (OutputStream* ost : output_streams_)
        end_s = std::min(end_s, static_cast<double>(ost->next_dts) * av_q2d(ost->st->time_base));
    if (!output_streams_.empty())
        owner_.converted_duration_ = end_s;
    for (OutputStream* ost : output_streams_) {
        if (ost->encoding_needed && ost->enc_ctx) {
            av_freep(&ost->enc_ctx->stats_in);
            ost->enc_ctx.reset();
            ost->own_encoder.reset();
            ost->encoder_opened = false;
        }
    }
    for (auto& ist : input_streams_) {
        if (ist->decoder_opened) {
            ist->dec_ctx.reset();
            ist->decoder_opened = false;
        }
    }
}

void ConversionEngine::CleanupTranscode() {
    // Encode stages first: their threads use the encoders, logs and muxers freed below.
    for (OutputStream* ost : output_streams_)
        ost->frame_path.reset();
    packet_.reset();
    out_packet_.reset();
    for (OutputStream* ost : output_streams_) {
        ost->log_file.reset();
        ost->frame_path.reset();
        ost->own_encoder.reset();
        ost->options.Clear();
        if (ost->enc_ctx)
            av_freep(&ost->enc_ctx->stats_in);
    }
    for (auto& ist : input_streams_) {
        ist->frame_path.reset();
        if (ist->decoding_needed && ist->dec_ctx) {
            ist->dec_ctx.reset();
            ist->decoder_opened = false;
        }
    }
    frame_paths_.reset();
}

void ConversionEngine::ReportSize(bool final_report) {
    if (!final_report) {
        const int64_t now = av_gettime();
        if (owner_.last_time_ == 0) {
            owner_.last_time_ = now;
            return;
        }
        if (now - owner_.last_time_ < 500000)
            return;
        owner_.last_time_ = now;
    }
    if (output_files_.empty())
        return;
    std::lock_guard lock(write_mutex_);
    int64_t size = 0;
    if (AVIOContext* pb = output_files_[0].ctx->pb) {
        size = avio_size(pb);
        if (size < 0)
            size = avio_tell(pb);
    }
    owner_.output_size_ = size;
    owner_.input_size_ = InputFileSize(0);
    double t = 1e10;
    bool video_counted = false;
    for (OutputStream* ost : output_streams_) {
        if (!video_counted && ost->type == AVMEDIA_TYPE_VIDEO) {
            owner_.video_frames_ = ost->frame_number;
            video_counted = true;
        }
        const double pts = static_cast<double>(ost->next_dts) * av_q2d(ost->st->time_base);
        if (pts > 0 && pts < t)
            t = pts;
    }
    if (t < 0.01)
        t = 0.01;
    owner_.bitrate_ = static_cast<double>(size) * 8.0 / t / 1000.0;
}

} // namespace vc
