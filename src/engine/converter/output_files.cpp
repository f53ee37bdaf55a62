// Output files: the muxer context, the kinds of stream an output gets (at most one video, one
// audio and one subtitle stream), the streams with their encoder settings, file metadata, and
// the file opened for writing.
#include "engine/converter/conversion_engine.h"
#include "engine/converter/converter.h"
#include "engine/converter/legacy_codec_options.h"
#include "engine/media/ff_error.h"
#include "engine/media/show_error.h"
#include "engine/options/option_bounds.h"
#include "engine/options/string_lists.h"
#include "platform/error.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vc {

AVCodecID FindCodec(const std::string& name, AVMediaType type, bool encoder); // input_files.cpp

namespace {

// Names the I/O layer opens as something other than a local file.
bool IsLocalFileName(const std::string& name) {
    if (name.rfind("file:", 0) == 0)
        return true;
    if (name.rfind("stream:", 0) == 0)
        return false;
    auto colon = name.find(':');
    // "proto:..." with a protocol-like prefix (letters only, more than one, so "C:" stays a path)
    if (colon != std::string::npos && colon > 1) {
        bool letters = true;
        for (size_t i = 0; i < colon; ++i)
            letters = letters && std::isalpha(static_cast<unsigned char>(name[i]));
        if (letters)
            return false;
    }
    return true;
}

std::string LocalPath(const std::string& name) {
    return name.rfind("file:", 0) == 0 ? name.substr(5) : name;
}

AVRational AspectRatio(float frame_aspect, int width, int height) {
    if (frame_aspect <= 0 || width <= 0 || height <= 0)
        return AVRational{0, 1};
    return av_d2q(static_cast<double>(frame_aspect) * height / width, 255);
}

} // namespace

void ConversionEngine::CheckOutputsAreNotInputs() const {
    for (const auto& out : outputs_) {
        if (!IsLocalFileName(out))
            continue;
        const std::string out_path = LocalPath(out);
        struct stat out_stat {};
        if (::stat(out_path.c_str(), &out_stat) != 0)
            continue; // an output that does not exist yet cannot be an input
        for (const auto& in : inputs_) {
            if (!IsLocalFileName(in))
                continue;
            const std::string in_path = LocalPath(in);
            struct stat in_stat {};
            bool same = ::stat(in_path.c_str(), &in_stat) == 0 && in_stat.st_dev == out_stat.st_dev &&
                        in_stat.st_ino == out_stat.st_ino;
            if (!same) {
                std::error_code ec1, ec2;
                auto a = std::filesystem::weakly_canonical(in_path, ec1);
                auto b = std::filesystem::weakly_canonical(out_path, ec2);
                same = !ec1 && !ec2 && a == b;
            }
            if (same)
                throw Error(
                    "The output file \"" + out + "\" is the input file \"" + in +
                    "\" itself; writing it would destroy the input. Choose another output name or folder.");
        }
    }
}

const AVCodec* ConversionEngine::ChooseEncoder(OutputFile& of, AVMediaType type, const QString& name,
                                               bool copy) {
    if (copy)
        return nullptr;
    if (name.isEmpty()) {
        AVCodecID id = av_guess_codec(of.ctx->oformat, nullptr, of.name.c_str(), nullptr, type);
        return avcodec_find_encoder(id);
    }
    const std::string n = CurrentEncoderName(name.toStdString()); // stored names of older versions
    // Our own encoder stands in for one this FFmpeg build lacks.
    if (const AVCodec* own = FindOwnEncoder(n);
        own && own->type == type && !avcodec_find_encoder_by_name(n.c_str()))
        return own;
    FindCodec(n, type, true);
    return avcodec_find_encoder_by_name(n.c_str());
}

OutputStream& ConversionEngine::NewOutputStream(OutputFile& of, int file_index, const AVCodec* encoder,
                                                AVMediaType type) {
    AVStream* st = avformat_new_stream(of.ctx.get(), nullptr);
    if (!st)
        throw Error("Could not alloc stream.");
    auto ost = std::make_unique<OutputStream>();
    ost->file_index = file_index;
    ost->stream_index = st->index;
    ost->st = st;
    ost->type = type;
    ost->encoder = encoder;
    if (encoder)
        ost->options =
            library_options_.FilterCodecOptions(library_options_.codec_options().get(), encoder->id, true);
    // The context of an own encoder carries the settings only; the library never opens it.
    ost->enc_ctx.reset(avcodec_alloc_context3(IsOwnEncoder(encoder) ? nullptr : encoder));
    if (!ost->enc_ctx)
        throw Error("Could not alloc stream.");
    TagLogTarget(ost->enc_ctx.get(), &owner_);
    ost->scaler_flags = library_options_.ScalerFlagsValue();
    of.streams.push_back(std::move(ost));
    return *of.streams.back();
}

void ConversionEngine::NewVideoStream(OutputFile& of, int file_index) {
    TVideoOptions* v = options_.VideoOptions();
    const bool copy = v->VideoStreamCopy();
    const AVCodec* encoder = ChooseEncoder(of, AVMEDIA_TYPE_VIDEO, v->EncoderVideoCodecName(), copy);
    OutputStream& ost = NewOutputStream(of, file_index, encoder, AVMEDIA_TYPE_VIDEO);
    ost.stream_copy = copy;
    if (!copy)
        ost.frame_aspect_ratio = v->FrameAspectRatio();
    ost.bsf.Parse(options_.MuxerOptions()->VideoBitstreamFilters());

    AVCodecContext* enc = ost.enc_ctx.get();
    enc->thread_count = ClampThreadCount(options_.ThreadCount());
    if (v->VideoCodecTag() != 0)
        enc->codec_tag = static_cast<unsigned>(v->VideoCodecTag());
    if (of.ctx->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    enc->codec_type = AVMEDIA_TYPE_VIDEO;

    if (copy) {
        // Without a working size there is no quotient: the aspect ratio stays unset and the
        // input's is taken later.
        const AVRational sar = AspectRatio(v->FrameAspectRatio(), memory_.frame_width, memory_.frame_height);
        enc->sample_aspect_ratio = sar;
        ost.st->sample_aspect_ratio = sar;
    } else {
        if (v->FrameRate()->num() != 0)
            ost.frame_rate = AVRational{v->FrameRate()->num(), v->FrameRate()->den()};
        if (encoder)
            enc->codec_id = encoder->id;
        else
            enc->codec_id =
                av_guess_codec(of.ctx->oformat, nullptr, of.name.c_str(), nullptr, AVMEDIA_TYPE_VIDEO);
        // A picture sequence writes every picture to a file of its own, so each must be a whole
        // GIF rather than the next frame of one animation.
        if (enc->codec_id == AV_CODEC_ID_GIF && (of.ctx->oformat->flags & AVFMT_NOFILE))
            av_dict_set(ost.options.address(), "gifimage", "1", 0);
        enc->width = memory_.frame_width;
        enc->height = memory_.frame_height;
        enc->pix_fmt = static_cast<AVPixelFormat>(v->PixelFormat);
        enc->bits_per_raw_sample = 0;
        ost.st->sample_aspect_ratio = enc->sample_aspect_ratio;
        if (v->IntraOnly())
            enc->gop_size = 0;
        if (v->VideoQscale() != 0 || v->SameQuality()) {
            enc->flags |= AV_CODEC_FLAG_QSCALE;
            enc->global_quality = static_cast<int>(FF_QP2LAMBDA * v->VideoQscale());
        }
        auto matrix = [](const TVideoOptions::Matrix& values) {
            auto* m = static_cast<uint16_t*>(av_malloc(sizeof(uint16_t) * 64));
            if (m)
                for (int i = 0; i < 64; ++i)
                    m[i] = values[i];
            return m;
        };
        if (!v->IntraMatrix().isEmpty())
            enc->intra_matrix = matrix(v->IntraMatrixValues);
        if (!v->InterMatrix().isEmpty())
            enc->inter_matrix = matrix(v->InterMatrixValues);
        enc->rc_override_count = 0;
        if (enc->rc_initial_buffer_occupancy == 0)
            enc->rc_initial_buffer_occupancy = enc->rc_buffer_size * 3 / 4;
        // The motion-estimation threshold is no longer an encoder setting.
        enc->intra_dc_precision = v->IntraDcPrecision() - 8;
        if (v->Pass() == 1)
            enc->flags |= AV_CODEC_FLAG_PASS1;
        else if (v->Pass() != 0)
            enc->flags |= AV_CODEC_FLAG_PASS2;
    }
    const QString language = v->VideoLanguage().trimmed();
    if (!language.isEmpty())
        av_dict_set(&ost.st->metadata, "language", language.toUtf8().constData(), 0);
}

void ConversionEngine::NewAudioStream(OutputFile& of, int file_index) {
    TAudioOptions* a = options_.AudioOptions();
    const bool copy = a->AudioStreamCopy();
    const AVCodec* encoder = ChooseEncoder(of, AVMEDIA_TYPE_AUDIO, a->EncoderAudioCodecName(), copy);
    OutputStream& ost = NewOutputStream(of, file_index, encoder, AVMEDIA_TYPE_AUDIO);
    ost.stream_copy = copy;
    ost.bsf.Parse(options_.MuxerOptions()->AudioBitstreamFilters());

    AVCodecContext* enc = ost.enc_ctx.get();
    enc->thread_count = ClampThreadCount(options_.ThreadCount());
    enc->codec_type = AVMEDIA_TYPE_AUDIO;
    if (a->AudioCodecTag() != 0)
        enc->codec_tag = static_cast<unsigned>(a->AudioCodecTag());
    if (of.ctx->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (!copy) {
        if (encoder)
            enc->codec_id = encoder->id;
        else
            enc->codec_id =
                av_guess_codec(of.ctx->oformat, nullptr, of.name.c_str(), nullptr, AVMEDIA_TYPE_AUDIO);
        if (a->AudioQScale() > -99999) {
            enc->flags |= AV_CODEC_FLAG_QSCALE;
            enc->global_quality = static_cast<int>(FF_QP2LAMBDA * a->AudioQScale());
        }
        if (memory_.audio_channels != 0) {
            av_channel_layout_uninit(&enc->ch_layout);
            av_channel_layout_default(&enc->ch_layout, memory_.audio_channels);
        }
        if (memory_.audio_sample_format != -1)
            enc->sample_fmt = static_cast<AVSampleFormat>(memory_.audio_sample_format);
        if (memory_.audio_sample_rate != 0)
            enc->sample_rate = memory_.audio_sample_rate;
    }
    const QString language = a->AudioLanguage().trimmed();
    if (!language.isEmpty())
        av_dict_set(&ost.st->metadata, "language", language.toUtf8().constData(), 0);
}

void ConversionEngine::NewSubtitleStream(OutputFile& of, int file_index) {
    TSubtitleOptions* s = options_.SubtitleOptions();
    const bool copy = s->SubtitleStreamCopy();
    const AVCodec* encoder = ChooseEncoder(of, AVMEDIA_TYPE_SUBTITLE, s->SubtitleCodecName().trimmed(), copy);
    OutputStream& ost = NewOutputStream(of, file_index, encoder, AVMEDIA_TYPE_SUBTITLE);
    ost.stream_copy = copy;
    ost.bsf.Parse(options_.MuxerOptions()->SubtitleBitstreamFilters());

    AVCodecContext* enc = ost.enc_ctx.get();
    enc->codec_type = AVMEDIA_TYPE_SUBTITLE;
    if (s->SubtitleCodecTag() != 0)
        enc->codec_tag = static_cast<unsigned>(s->SubtitleCodecTag());
    if (of.ctx->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (!copy)
        enc->codec_id = encoder ? encoder->id
                                : av_guess_codec(of.ctx->oformat, nullptr, of.name.c_str(), nullptr,
                                                 AVMEDIA_TYPE_SUBTITLE);
    if (!s->SubtitleLanguage().isEmpty())
        av_dict_set(&ost.st->metadata, "language", s->SubtitleLanguage().toUtf8().constData(), 0);
}

void ConversionEngine::OpenOutput(int index) {
    const std::string& name = outputs_[index];
    TAudioOptions* a = options_.AudioOptions();
    TVideoOptions* v = options_.VideoOptions();
    if (a->AudioChannels() != 0)
        memory_.audio_channels = a->AudioChannels();
    if (a->AudioSampleRate() != 0)
        memory_.audio_sample_rate = a->AudioSampleRate();
    if (a->AudioSampleFmt() != TAudioOptions::sfAuto)
        memory_.audio_sample_format = static_cast<int>(a->AudioSampleFmt()) - 1;
    if (v->FrameWidth() != 0)
        memory_.frame_width = v->FrameWidth();
    if (v->FrameHeight() != 0)
        memory_.frame_height = v->FrameHeight();
    if (memory_.frame_width < 0 || memory_.frame_height < 0)
        ShowError("crop dimensions are outside the range of the original image.");

    const std::string format_name = options_.OutputFormat().trimmed().toStdString();
    AVFormatContext* raw = nullptr;
    avformat_alloc_output_context2(&raw, nullptr, format_name.empty() ? nullptr : format_name.c_str(),
                                   name.c_str());
    if (!raw)
        throw Error("Unable to find a suitable output format for " + name);
    OutputFile file;
    file.name = name;
    file.ctx.reset(raw);
    TagLogTarget(raw, &owner_);
    output_files_.push_back(std::move(file));
    OutputFile& of = output_files_.back();
    const AVOutputFormat* fmt = of.ctx->oformat;

    bool has[4] = {false, false, false, false}; // video, audio, data, subtitle present in the inputs
    const int file_index = static_cast<int>(output_files_.size()) - 1;
    for (const auto& ist : input_streams_) {
        switch (ist->st->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
            // An album's cover alone makes no video: MP3 into M4A gives sound only.
            if (!CoverLeftOut(*ist, file_index))
                has[0] = true;
            break;
        case AVMEDIA_TYPE_AUDIO:
            // A stream without data cannot be decoded or copied; the rest of the input still can.
            if (!HoldsNoData(*ist))
                has[1] = true;
            break;
        case AVMEDIA_TYPE_SUBTITLE: has[3] = true; break;
        default: has[2] = true; break;
        }
    }
    TSubtitleOptions* s = options_.SubtitleOptions();
    const bool use_video = (fmt->video_codec != AV_CODEC_ID_NONE || v->VideoStreamCopy() ||
                            !v->EncoderVideoCodecName().isEmpty()) &&
                           has[0] && !v->VideoDisable();
    const bool use_audio = (fmt->audio_codec != AV_CODEC_ID_NONE || a->AudioStreamCopy() ||
                            !a->EncoderAudioCodecName().isEmpty()) &&
                           has[1] && !a->AudioDisable();
    const bool use_subtitle = (fmt->subtitle_codec != AV_CODEC_ID_NONE || s->SubtitleStreamCopy() ||
                               !s->SubtitleCodecName().isEmpty()) &&
                              has[3] && !s->SubtitleDisable();
    if (use_video && !a->AudioDisable())
        for (const auto& ist : input_streams_)
            if (ist->st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && HoldsNoData(*ist))
                owner_.DoLog(AV_LOG_WARNING,
                             InputStreamName(*ist) + " holds no data: converted the video only\n");
    if (use_video)
        NewVideoStream(of, index);
    if (use_audio)
        NewAudioStream(of, index);
    if (use_subtitle)
        NewSubtitleStream(of, index);

    for (const QString& line : options_.MetaData()) {
        const NameValue nv = SplitNameValue(line);
        av_dict_set(&of.ctx->metadata, nv.name.toUtf8().constData(), nv.value.toUtf8().constData(), 0);
    }
    of.options = library_options_.format_options().Copy();

    if ((fmt->flags & AVFMT_NEEDNUMBER) && !av_filename_number_test(name.c_str()))
        throw Error("unexpected error");

    // The file itself is opened once the run has its slot (OpenOutputFile): a waiting task
    // touches nothing on disk.
    of.local = !(fmt->flags & AVFMT_NOFILE) && IsLocalFileName(name);
    of.sequence = IsLocalFileName(name) && std::strcmp(fmt->name, "image2") == 0;
    if (IsLocalFileName(name))
        of.path = LocalPath(name);

    of.ctx->max_delay = static_cast<int>(std::lround(options_.MuxerOptions()->MuxMaxDelay() * 1000000.0));
    // The initial demux-decode delay is a private option of the muxers that have one.
    if (of.ctx->priv_data && av_opt_find(of.ctx->priv_data, "preload", nullptr, 0, 0))
        av_opt_set_int(of.ctx->priv_data, "preload",
                       std::lround(options_.MuxerOptions()->MuxPreload() * 1000000.0), 0);

    library_options_.Reset();
}

} // namespace vc
