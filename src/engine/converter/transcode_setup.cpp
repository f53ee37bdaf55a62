// Transcode initialisation: the slot wait, the output-stream table and its sources, copy versus
// encode for each output stream, the encoder parameters the options left open, opening encoders
// and decoders, the input clocks, metadata and chapters, and the output headers.
#include "engine/converter/conversion_engine.h"
#include "engine/converter/converter.h"
#include "engine/media/display_rotation.h"
#include "engine/media/ff_error.h"
#include "platform/error.h"

extern "C" {
#include <libavcodec/dv_profile.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libavutil/pixdesc.h>
#include <libavutil/time.h>
}

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace vc {

namespace {

template <typename... Args> std::string Format(const char* format, Args... args) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

// The nearest supported sample rate (first on ties); `rate` itself when the list is empty.
int NearestSampleRate(const int* supported, int rate) {
    if (!supported)
        return rate;
    int best = supported[0];
    long best_dist = std::labs(static_cast<long>(best) - rate);
    for (const int* p = supported; *p; ++p) {
        long dist = std::labs(static_cast<long>(*p) - rate);
        if (dist < best_dist) {
            best = *p;
            best_dist = dist;
        }
    }
    return best;
}

AVSampleFormat FitSampleFormat(const AVSampleFormat* supported, AVSampleFormat fmt) {
    if (!supported)
        return fmt;
    for (const AVSampleFormat* p = supported; *p != AV_SAMPLE_FMT_NONE; ++p)
        if (*p == fmt)
            return fmt;
    return supported[0];
}

AVPixelFormat FitPixelFormat(const AVCodec* codec, const AVCodecContext* enc, AVPixelFormat fmt) {
    const AVPixelFormat* list = codec ? codec->pix_fmts : nullptr;
    static const AVPixelFormat kMjpeg[] = {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUV420P,
                                           AV_PIX_FMT_YUV422P, AV_PIX_FMT_NONE};
    // At normal strictness this MJPEG encoder takes only full-range pictures.
    static const AVPixelFormat kMjpegStrict[] = {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P,
                                                 AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_NONE};
    static const AVPixelFormat kLjpeg[] = {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUVJ444P,
                                           AV_PIX_FMT_YUV420P,  AV_PIX_FMT_YUV422P,  AV_PIX_FMT_YUV444P,
                                           AV_PIX_FMT_BGRA,     AV_PIX_FMT_NONE};
    if (!list)
        return fmt;
    if (enc->strict_std_compliance <= FF_COMPLIANCE_UNOFFICIAL) {
        if (codec->id == AV_CODEC_ID_MJPEG)
            list = kMjpeg;
        else if (codec->id == AV_CODEC_ID_LJPEG)
            list = kLjpeg;
    } else if (codec->id == AV_CODEC_ID_MJPEG) {
        list = kMjpegStrict;
    }
    for (const AVPixelFormat* p = list; *p != AV_PIX_FMT_NONE; ++p)
        if (*p == fmt)
            return fmt;
    return list[0];
}

// DV writes the picture sizes of its standards only. A size taken from a source that no DV
// standard has for this pixel format and rate becomes the standard one (a 1280x720 source into
// 4:2:2 at 25 fps is DV50's 720x576); the scaler gives it.
void FitDvFrameSize(AVCodecContext* enc, AVRational rate) {
    if (av_dv_codec_profile2(enc->width, enc->height, enc->pix_fmt, rate))
        return;
    static const int kSizes[][2] = {{720, 576}, {720, 480}, {960, 720}, {1440, 1080}, {1280, 1080}};
    const AVDVProfile* fallback = nullptr;
    for (const auto& size : kSizes) {
        const AVDVProfile* p = av_dv_codec_profile2(size[0], size[1], enc->pix_fmt, rate);
        if (p && av_cmp_q(p->time_base, av_inv_q(rate)) == 0) {
            fallback = p;
            break;
        }
        if (p && !fallback)
            fallback = p;
    }
    if (!fallback)
        return; // the encoder names what it misses
    av_log(enc, AV_LOG_INFO, "The picture size %dx%d becomes %dx%d for DV\n", enc->width, enc->height,
           fallback->width, fallback->height);
    enc->width = fallback->width;
    enc->height = fallback->height;
}

} // namespace

bool ConversionEngine::CoverLeftOut(const InputStream& ist, int file_index) const {
    if (!(ist.st->disposition & AV_DISPOSITION_ATTACHED_PIC) || !stream_maps_.empty() ||
        options_.VideoOptions()->VideoStreamCopy())
        return false;
    return !MuxerKeepsCovers(output_files_[file_index].ctx->oformat->name);
}

bool HoldsNoData(const InputStream& ist) {
    const AVCodecParameters* par = ist.st->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_AUDIO)
        return par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO)
        return par->width <= 0 || par->height <= 0;
    return false;
}

std::string InputStreamName(const InputStream& ist) {
    return MediaTypeName(ist.st->codecpar->codec_type) +
           Format(" stream #%d.%d", ist.file_index, ist.st->index);
}

// Why an output got no stream, in words that say what the input holds.
std::string ConversionEngine::NoStreamText(const OutputFile& of) const {
    bool subtitles = false;
    bool media = false;
    const InputStream* empty = nullptr;
    for (const auto& ist : input_streams_) {
        switch (ist->st->codecpar->codec_type) {
        case AVMEDIA_TYPE_SUBTITLE: subtitles = true; break;
        case AVMEDIA_TYPE_VIDEO:
        case AVMEDIA_TYPE_AUDIO:
            if (HoldsNoData(*ist))
                empty = empty ? empty : ist.get();
            else
                media = true;
            break;
        default: break;
        }
    }
    const std::string input = inputs_.size() == 1 ? inputs_.front() : std::string("the input");
    if (empty)
        return input + ": " + InputStreamName(*empty) + " holds no data: there is nothing to convert into " +
               of.Shown();
    if (!media && subtitles)
        return input + " holds only subtitles (no video or audio): there is nothing to convert into " +
               of.Shown() + "; to show them on a video, convert the video with --subtitles " + input;
    if (!media)
        return input + " holds no video or audio stream: there is nothing to convert into " + of.Shown();
    return "Output file does not contain any stream";
}

void ConversionEngine::MapStreams() {
    for (size_t i = 0; i < output_streams_.size(); ++i) {
        OutputStream& ost = *output_streams_[i];
        int source = -1;
        if (stream_maps_.empty()) {
            int64_t best_frames = -1;
            for (size_t j = 0; j < input_streams_.size(); ++j) {
                const InputStream& ist = *input_streams_[j];
                if (ist.discard && !ist.discarded_at_demuxer && ist.st->codecpar->codec_type == ost.type &&
                    !CoverLeftOut(ist, ost.file_index) && !HoldsNoData(ist) &&
                    ist.st->nb_frames > best_frames) {
                    best_frames = ist.st->nb_frames;
                    source = static_cast<int>(j);
                }
            }
            if (source < 0) {
                for (size_t j = 0; j < input_streams_.size(); ++j) {
                    const InputStream& ist = *input_streams_[j];
                    if (!ist.discarded_at_demuxer && ist.st->codecpar->codec_type == ost.type &&
                        !CoverLeftOut(ist, ost.file_index) && !HoldsNoData(ist))
                        source = static_cast<int>(j);
                }
            }
            if (source < 0)
                throw Error("Could not find input stream matching output stream ");
            ost.sync_input = input_streams_[source].get();
        } else {
            const StreamMapEntry& e = stream_maps_[i];
            source = input_files_[e.file_index].first_stream + e.stream_index;
            const AVMediaType type = input_streams_[source]->st->codecpar->codec_type;
            if (type != ost.type) {
                throw Error(
                    Format("Codec type mismatch for mapping #%d.%d -> #%d.%d: the input stream is %s, "
                           "the output stream %s (maps go in the order of the output streams)",
                           e.file_index, e.stream_index, ost.file_index, ost.stream_index,
                           MediaTypeName(type).c_str(), MediaTypeName(ost.type).c_str()));
            }
            // The sync pair of a map line is its source pair.
            ost.sync_input = input_streams_[source].get();
        }
        input_streams_[source]->discard = false;
        ost.source_index = source;
    }
}

void ConversionEngine::SetupStreamCopy(OutputStream& ost, InputStream& ist) {
    AVCodecParameters* par = ost.st->codecpar;
    const AVCodecParameters* in = ist.st->codecpar;
    const unsigned requested_tag = ost.enc_ctx->codec_tag;
    const AVRational sar = ost.enc_ctx->sample_aspect_ratio;
    if (avcodec_parameters_copy(par, in) < 0)
        throw Error("failed to allocate extradata");
    // What the stream says about itself beyond the codec: the display matrix of a phone clip,
    // stereo or 360-degree layouts, mastering colours.
    for (int i = 0; i < ist.st->nb_side_data; ++i) {
        const AVPacketSideData& sd = ist.st->side_data[i];
        uint8_t* copy = av_stream_new_side_data(ost.st, sd.type, sd.size);
        if (!copy)
            throw Error("no memory");
        std::memcpy(copy, sd.data, sd.size);
    }
    // The muxer chooses a tag for the codec unless one was asked for; the input's tag is kept
    // when the muxer knows it for the same codec or has no tag of its own for it (a muxer's
    // default tag can mean another bitstream form, as H.264 in AVI does).
    const AVOutputFormat* fmt = output_files_[ost.file_index].ctx->oformat;
    unsigned tag = requested_tag;
    if (!tag) {
        unsigned own_tag = 0;
        if (!fmt->codec_tag || av_codec_get_id(fmt->codec_tag, in->codec_tag) == in->codec_id ||
            !av_codec_get_tag2(fmt->codec_tag, in->codec_id, &own_tag))
            tag = in->codec_tag;
    }
    par->codec_tag = tag;

    // The time base: the codec's own frame rate when the stream's time base is needlessly fine
    // for a constant-rate container; the library knows which containers want which.
    avformat_transfer_internal_stream_timing_info(fmt, ost.st, ist.st, AVFMT_TBCF_AUTO);
    ost.st->time_base = av_add_q(av_stream_get_codec_timebase(ost.st), AVRational{0, 1});
    if (ost.st->time_base.num <= 0 || ost.st->time_base.den <= 0)
        ost.st->time_base = ist.st->time_base;
    ost.st->avg_frame_rate = ist.st->avg_frame_rate;
    ost.st->r_frame_rate = ist.st->r_frame_rate;

    switch (par->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
        if (options_.AudioOptions()->AudioVolume() != 256)
            throw Error("-acodec copy and -vol are incompatible (frames are not decoded)");
        if ((par->block_align == 1 && par->codec_id == AV_CODEC_ID_MP3) || par->codec_id == AV_CODEC_ID_AC3)
            par->block_align = 0;
        break;
    case AVMEDIA_TYPE_VIDEO:
        if (sar.num > 0) {
            par->sample_aspect_ratio = sar;
        } else {
            AVRational in_sar = ist.st->sample_aspect_ratio;
            if (in_sar.num <= 0)
                in_sar = in->sample_aspect_ratio;
            if (in_sar.num <= 0)
                in_sar = AVRational{0, 1};
            par->sample_aspect_ratio = in_sar;
        }
        ost.st->sample_aspect_ratio = par->sample_aspect_ratio;
        break;
    case AVMEDIA_TYPE_SUBTITLE:
    case AVMEDIA_TYPE_DATA: break;
    default: throw Error("unknown codec type");
    }
}

void ConversionEngine::SetupEncoding(OutputStream& ost, InputStream& ist) {
    if (!ost.encoder)
        ost.encoder = avcodec_find_encoder(ost.enc_ctx->codec_id);
    AVCodecContext* enc = ost.enc_ctx.get();
    AVCodecContext* dec = ist.dec_ctx.get();
    auto paths = frame_paths();
    switch (ost.type) {
    case AVMEDIA_TYPE_AUDIO: {
        if (enc->sample_rate == 0)
            enc->sample_rate = dec->sample_rate;
        if (ost.encoder && ost.encoder->supported_samplerates) {
            const int fitted = NearestSampleRate(ost.encoder->supported_samplerates, enc->sample_rate);
            if (fitted != enc->sample_rate)
                av_log(enc, AV_LOG_WARNING,
                       "Requested sampling rate unsupported using closest supported (%d)\n", fitted);
            enc->sample_rate = fitted;
        }
        enc->time_base = AVRational{1, enc->sample_rate};
        if (enc->sample_fmt == AV_SAMPLE_FMT_NONE)
            enc->sample_fmt = dec->sample_fmt;
        if (ost.encoder)
            enc->sample_fmt = FitSampleFormat(ost.encoder->sample_fmts, enc->sample_fmt);
        if (enc->ch_layout.nb_channels == 0)
            av_channel_layout_copy(&enc->ch_layout, &dec->ch_layout);
        if (enc->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || enc->ch_layout.nb_channels == 0) {
            const int channels =
                enc->ch_layout.nb_channels ? enc->ch_layout.nb_channels : dec->ch_layout.nb_channels;
            av_channel_layout_uninit(&enc->ch_layout);
            av_channel_layout_default(&enc->ch_layout, channels);
        }
        // An encoder that lists its layouts gets one of them: the same channel count if it has
        // one, else stereo, else its first.
        if (ost.encoder && ost.encoder->ch_layouts && ost.encoder->ch_layouts[0].nb_channels) {
            const AVChannelLayout* list = ost.encoder->ch_layouts;
            const AVChannelLayout* pick = nullptr;
            for (const AVChannelLayout* p = list; p->nb_channels && !pick; ++p)
                if (!av_channel_layout_compare(p, &enc->ch_layout))
                    pick = p;
            for (const AVChannelLayout* p = list; p->nb_channels && !pick; ++p)
                if (p->nb_channels == enc->ch_layout.nb_channels)
                    pick = p;
            const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
            for (const AVChannelLayout* p = list; p->nb_channels && !pick; ++p)
                if (!av_channel_layout_compare(p, &stereo))
                    pick = p;
            if (!pick)
                pick = list;
            if (pick != nullptr && av_channel_layout_compare(pick, &enc->ch_layout)) {
                av_channel_layout_uninit(&enc->ch_layout);
                av_channel_layout_copy(&enc->ch_layout, pick);
            }
        }
        // Asking the decoder for a channel count is a deprecated hint that few decoders honour;
        // the audio graph converts to the encoder's layout instead.
        ist.decoding_needed = true;
        ost.encoding_needed = true;
        paths->BuildAudioGraph(ost, ist);
        break;
    }
    case AVMEDIA_TYPE_VIDEO: {
        if (enc->pix_fmt == AV_PIX_FMT_NONE)
            enc->pix_fmt = dec->pix_fmt;
        enc->pix_fmt = FitPixelFormat(ost.encoder, enc, enc->pix_fmt);
        if (enc->pix_fmt == AV_PIX_FMT_NONE)
            throw Error("Video pixel format is unknown, stream can not be decoded");
        const bool size_from_source = enc->width == 0 || enc->height == 0;
        if (size_from_source) {
            const bool upright = TurnSwapsSides(DisplayRotation(ist.st));
            enc->width = upright ? dec->height : dec->width;
            enc->height = upright ? dec->width : dec->height;
            // A size taken from the source fits the chroma planes of the output's pixel format:
            // 4:2:0 encoders such as libx264 refuse odd sizes, and a camera's 321x241 would
            // otherwise fail the run; the scaler gives the one line or column less.
            if (const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(enc->pix_fmt)) {
                const int w = enc->width & ~((1 << desc->log2_chroma_w) - 1);
                const int h = enc->height & ~((1 << desc->log2_chroma_h) - 1);
                if (w > 0 && h > 0 && (w != enc->width || h != enc->height)) {
                    owner_.DoLog(AV_LOG_INFO,
                                 Format("The picture size %dx%d becomes %dx%d for the %s pixel format\n",
                                        enc->width, enc->height, w, h, desc->name));
                    enc->width = w;
                    enc->height = h;
                }
            }
        }
        if (enc->width != dec->width || enc->height != dec->height || enc->pix_fmt != dec->pix_fmt)
            enc->bits_per_raw_sample = 0;
        ist.decoding_needed = true;
        ost.encoding_needed = true;
        if (ost.frame_rate.num == 0) {
            ost.frame_rate = ist.st->r_frame_rate;
            if (ost.frame_rate.num == 0 || ost.frame_rate.den == 0)
                ost.frame_rate = AVRational{25, 1};
        }
        if (ost.encoder && ost.encoder->supported_framerates && !options_.VideoOptions()->ForceFPS()) {
            const int idx = av_find_nearest_q_idx(ost.frame_rate, ost.encoder->supported_framerates);
            ost.frame_rate = ost.encoder->supported_framerates[idx];
        }
        // MPEG-4 Part 2 counts time in at most 16 bits: a phone clip's 90000/2999 becomes the
        // nearest rate that fits.
        if (enc->codec_id == AV_CODEC_ID_MPEG4 &&
            (ost.frame_rate.num > 65535 || ost.frame_rate.den > 65535)) {
            const AVRational wanted = ost.frame_rate;
            av_reduce(&ost.frame_rate.num, &ost.frame_rate.den, wanted.num, wanted.den, 65535);
            owner_.DoLog(AV_LOG_INFO, Format("The frame rate %d/%d becomes %d/%d for MPEG-4\n", wanted.num,
                                             wanted.den, ost.frame_rate.num, ost.frame_rate.den));
        }
        if (enc->codec_id == AV_CODEC_ID_DVVIDEO && size_from_source)
            FitDvFrameSize(enc, ost.frame_rate);
        enc->time_base = av_inv_q(ost.frame_rate);
        enc->framerate = ost.frame_rate;
        paths->BuildVideoGraph(ost, ist);
        break;
    }
    case AVMEDIA_TYPE_SUBTITLE:
        enc->time_base = AVRational{1, AV_TIME_BASE}; // subtitle times are kept in microseconds
        enc->width = dec->width;
        enc->height = dec->height;
        if (enc->width <= 0 || enc->height <= 0) {
            // DVD subpictures carry no size of their own: the bitmaps are drawn on the picture
            // of the video they came with, so that is the canvas the encoder places them on.
            for (const auto& other : input_streams_)
                if (other->file_index == ist.file_index &&
                    other->st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && other->st->codecpar->width > 0) {
                    enc->width = other->st->codecpar->width;
                    enc->height = other->st->codecpar->height;
                    break;
                }
        }
        ist.decoding_needed = true;
        ost.encoding_needed = true;
        break;
    default: throw Error("unknown codec type");
    }
    // Two-pass statistics ("ffmpeg2pass-<n>.log" in the current folder); H.264 keeps its own.
    const int pass_flags = enc->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2);
    if (pass_flags && enc->codec_id != AV_CODEC_ID_H264) {
        int position = 0;
        for (size_t k = 0; k < output_streams_.size(); ++k)
            if (output_streams_[k] == &ost)
                position = static_cast<int>(k);
        const std::string log_name = Format("ffmpeg2pass-%d.log", position);
        if (enc->flags & AV_CODEC_FLAG_PASS1) {
            ost.log_file.reset(std::fopen(log_name.c_str(), "wb"));
            if (!ost.log_file)
                throw Error("Cannot write file " + log_name);
        } else {
            std::FILE* f = std::fopen(log_name.c_str(), "rb");
            if (!f)
                throw Error("Cannot open file " + log_name);
            std::string content;
            char chunk[65536];
            size_t n = 0;
            while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
                content.append(chunk, n);
            std::fclose(f);
            char* stats = static_cast<char*>(av_malloc(content.size() + 1));
            if (!stats)
                throw Error("Could not allocate log buffer");
            std::memcpy(stats, content.data(), content.size());
            stats[content.size()] = 0;
            enc->stats_in = stats;
        }
    }
}

bool ConversionEngine::SetupTranscode() {
    if (!owner_.AcquireSlotForStart())
        return false;
    for (auto& of : output_files_)
        OpenOutputFile(of);

    for (auto& of : output_files_) {
        if (of.streams.empty() && !(of.ctx->oformat->flags & AVFMT_NOSTREAMS))
            throw Error(NoStreamText(of));
        for (auto& ost : of.streams)
            output_streams_.push_back(ost.get());
    }
    CheckStreamMaps();
    MapStreams();

    for (OutputStream* ost : output_streams_) {
        InputStream& ist = *input_streams_[ost->source_index];
        av_dict_copy(&ost->st->metadata, ist.st->metadata, AV_DICT_DONT_OVERWRITE);
        ost->st->disposition = ist.st->disposition;
        if (ost->stream_copy) {
            SetupStreamCopy(*ost, ist);
        } else {
            ost->enc_ctx->bits_per_raw_sample = ist.dec_ctx->bits_per_raw_sample;
            ost->enc_ctx->chroma_sample_location = ist.dec_ctx->chroma_sample_location;
            SetupEncoding(*ost, ist);
        }
        if (ost->type == AVMEDIA_TYPE_VIDEO) {
            const int w = ost->stream_copy ? ost->st->codecpar->width : ost->enc_ctx->width;
            const int h = ost->stream_copy ? ost->st->codecpar->height : ost->enc_ctx->height;
            GrowBitBufferSize(w, h);
        }
    }

    // Decoders open first: a subtitle decoder makes the style header its encoder needs.
    for (auto& ist : input_streams_) {
        if (!ist->decoding_needed)
            continue;
        const AVCodec* decoder =
            ist->decoder ? ist->decoder : avcodec_find_decoder(ist->st->codecpar->codec_id);
        if (!decoder)
            throw Error("Unsupported codec for input stream ");
        if (avcodec_open2(ist->dec_ctx.get(), decoder, ist->options.address()) < 0)
            throw Error("Error while opening codec for input stream ");
        ist->decoder_opened = true;
    }

    for (OutputStream* ost : output_streams_) {
        if (!ost->encoding_needed)
            continue;
        if (!ost->encoder)
            throw Error("Unsupported codec for output stream ");
        InputStream& ist = *input_streams_[ost->source_index];
        if (ist.dec_ctx && ist.dec_ctx->subtitle_header && ist.dec_ctx->subtitle_header_size > 0) {
            ost->enc_ctx->subtitle_header =
                static_cast<uint8_t*>(av_mallocz(ist.dec_ctx->subtitle_header_size + 1));
            if (!ost->enc_ctx->subtitle_header)
                throw Error("can not alloc subtitle header");
            std::memcpy(ost->enc_ctx->subtitle_header, ist.dec_ctx->subtitle_header,
                        ist.dec_ctx->subtitle_header_size);
            ost->enc_ctx->subtitle_header_size = ist.dec_ctx->subtitle_header_size;
        }
        if (IsOwnEncoder(ost->encoder)) {
            ost->own_encoder = CreateOwnEncoder(ost->encoder);
            ost->own_encoder->Open(ost->enc_ctx.get(), ost->options.address());
        } else if (avcodec_open2(ost->enc_ctx.get(), ost->encoder, ost->options.address()) < 0) {
            throw Error("Error while opening codec for output stream - maybe incorrect parameters such as "
                        "bit_rate, rate, width or height");
        }
        ost->options.Clear();
        ost->encoder_opened = true;
        avcodec_parameters_from_context(ost->st->codecpar, ost->enc_ctx.get());
        // What the encoder says about its stream beyond the parameters, such as the decoder
        // buffer an MPEG program stream sizes its packets by.
        for (int i = 0; i < ost->enc_ctx->nb_coded_side_data; ++i) {
            const AVPacketSideData& sd = ost->enc_ctx->coded_side_data[i];
            uint8_t* copy = av_stream_new_side_data(ost->st, sd.type, sd.size);
            if (!copy)
                throw Error("no memory");
            std::memcpy(copy, sd.data, sd.size);
        }
        ost->st->time_base = ost->enc_ctx->time_base;
        frame_paths()->EncoderOpened(*ost);
    }

    for (auto& ist : input_streams_) {
        const AVRational rate = ist->st->avg_frame_rate;
        ist->pts = 0;
        if (rate.num > 0 && rate.den > 0)
            ist->pts = -std::llround(ist->st->codecpar->video_delay * 1000000.0 / av_q2d(rate));
        ist->next_pts = AV_NOPTS_VALUE;
        ist->is_start = true;
    }

    if (!input_files_.empty())
        for (auto& of : output_files_)
            av_dict_copy(&of.ctx->metadata, input_files_[0].ctx->metadata, AV_DICT_DONT_OVERWRITE);

    for (size_t i = 0; i < input_files_.size(); ++i)
        if (input_files_[i].ctx->nb_chapters > 0)
            for (size_t o = 0; o < output_files_.size(); ++o)
                CopyChapters(static_cast<int>(i), static_cast<int>(o));

    for (OutputStream* ost : output_streams_)
        ost->bsf.Init(ost->st);
    for (auto& of : output_files_) {
        const int ret = avformat_write_header(of.ctx.get(), of.options.address());
        if (ret < 0)
            throw Error("Could not write header for output file " + of.name +
                        " (incorrect codec parameters ?): " + FfErrorText(ret));
        of.header_written = true;
    }

    owner_.start_time_ = av_gettime();
    return true;
}

void ConversionEngine::CopyChapters(int in_file, int out_file) {
    AVFormatContext* is = input_files_[in_file].ctx.get();
    AVFormatContext* os = output_files_[out_file].ctx.get();
    const int64_t recording = options_.RecordingTime();
    for (unsigned i = 0; i < is->nb_chapters; ++i) {
        const AVChapter* in = is->chapters[i];
        const int64_t offset = av_rescale_q(working_start_time_ - input_files_[in_file].ts_offset,
                                            AVRational{1, AV_TIME_BASE}, in->time_base);
        const int64_t limit = recording == std::numeric_limits<int64_t>::max()
                                  ? std::numeric_limits<int64_t>::max()
                                  : av_rescale_q(recording, AVRational{1, AV_TIME_BASE}, in->time_base);
        if (in->end < offset)
            continue;
        if (limit != std::numeric_limits<int64_t>::max() && in->start > limit + offset)
            break;
        auto* out = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!out)
            throw Error("Copy chapters failed");
        out->id = in->id;
        out->time_base = in->time_base;
        out->start = std::max<int64_t>(0, in->start - offset);
        out->end = std::min(limit, in->end - offset);
        av_dict_copy(&out->metadata, in->metadata, 0);
        auto** grown =
            static_cast<AVChapter**>(av_realloc_array(os->chapters, os->nb_chapters + 1, sizeof(AVChapter*)));
        if (!grown) {
            av_dict_free(&out->metadata);
            av_free(out);
            throw Error("Copy chapters failed");
        }
        os->chapters = grown;
        os->chapters[os->nb_chapters++] = out;
    }
}

} // namespace vc
