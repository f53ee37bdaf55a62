// Input opening: format resolution, opening and probing each input, the seek to the start
// position, and one input-stream record per stream with the decoder it will use.
#include "engine/converter/conversion_engine.h"
#include "engine/converter/converter.h"
#include "engine/media/ff_error.h"
#include "engine/options/option_bounds.h"
#include "platform/error.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <QString>

#include <cstdint>
#include <cstdio>

namespace vc {

namespace {

template <typename... Args> std::string Format(const char* format, Args... args) {
    char buffer[2048];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

// 5.1 keeps the frame count of the probe private; the container's frame count is the nearest
// public measure of how much of a stream there is.
} // namespace

// Looks a codec up by name; an empty name gives AV_CODEC_ID_NONE.
AVCodecID FindCodec(const std::string& name, AVMediaType type, bool encoder) {
    if (name.empty())
        return AV_CODEC_ID_NONE;
    const AVCodec* codec =
        encoder ? avcodec_find_encoder_by_name(name.c_str()) : avcodec_find_decoder_by_name(name.c_str());
    if (!codec)
        throw Error(Format("Unknown Codec Name: %s (this FFmpeg build has no such %s)", name.c_str(),
                           encoder ? "encoder" : "decoder"));
    if (codec->type != type)
        throw Error("Invalid codec type");
    return codec->id;
}

namespace {

// Names only the formats that were given: "Unknown input X or Output format Y", "Unknown
// Output format Y", "Unknown input X".
std::string UnknownFormatsText(const std::string& in, const std::string& out) {
    if (out.empty())
        return "Unknown input " + in;
    if (in.empty())
        return "Unknown Output format " + out;
    return "Unknown input " + in + " or Output format " + out;
}

// The first bytes of a local file, or nothing for other names.
std::string FileHead(const std::string& url, size_t size) {
    if (url.find("://") != std::string::npos || url.rfind("stream:", 0) == 0 || url.rfind("pipe:", 0) == 0)
        return {};
    const std::string path = url.rfind("file:", 0) == 0 ? url.substr(5) : url;
    std::string head(size, '\0');
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return {};
    head.resize(std::fread(head.data(), 1, size, f));
    std::fclose(f);
    return head;
}

uint32_t BigEndian32(const std::string& bytes, size_t at) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

std::string Printable(const std::string& fourcc) {
    std::string text;
    for (const char c : fourcc)
        text += (c >= 0x20 && c < 0x7f) ? c : '?';
    return text;
}

// Why a file the demuxers refused cannot be read, when its first bytes say more than the
// library's reason: a fragment of a segmented stream (it starts with a segment type, a fragment
// or an index box, and its track descriptions are in the init segment), or an AIFF-C file in a
// coding without a decoder. Empty when nothing is known.
std::string KnownRefusal(const std::string& url) {
    const std::string head = FileHead(url, 4096);
    if (head.size() >= 8) {
        const std::string box = head.substr(4, 4);
        if (box == "styp" || box == "moof" || box == "sidx" || box == "emsg" || box == "prft")
            return "it is a fragment of a segmented stream: give its init segment with it (join them: cat "
                   "init.mp4 " +
                   url + " > whole.mp4, and convert whole.mp4)";
    }
    if (head.size() >= 12 && head.compare(0, 4, "FORM") == 0 && head.compare(8, 4, "AIFC") == 0) {
        // Chunks after the form type: id, size (big-endian, padded to even), data.
        for (size_t at = 12; at + 8 <= head.size();) {
            const std::string id = head.substr(at, 4);
            const uint32_t size = BigEndian32(head, at + 4);
            // COMM: channels (2), frames (4), bits (2), rate (10), then the coding's four letters.
            if (id == "COMM" && size >= 22 && at + 8 + 22 <= head.size()) {
                const std::string coding = head.substr(at + 8 + 18, 4);
                return "it is an AIFF-C file in the audio coding '" + Printable(coding) +
                       "', which this program cannot decode; convert it from a copy in another coding";
            }
            at += 8 + size + (size & 1);
        }
    }
    return {};
}

} // namespace

void ConversionEngine::ResolveFormats() {
    const std::string in = options_.InputFormat().toStdString();
    const std::string out = options_.OutputFormat().toStdString();
    if (in.empty() && out.empty())
        return;
    memory_.input_format = in.empty() ? nullptr : av_find_input_format(in.c_str());
    memory_.output_format = out.empty() ? nullptr : av_guess_format(out.c_str(), nullptr, nullptr);
    if (!memory_.input_format && !memory_.output_format)
        throw Error(UnknownFormatsText(in, out));
}

void ConversionEngine::OpenInput(int index) {
    const std::string& url = inputs_[index];
    TAudioOptions* audio = options_.AudioOptions();
    TVideoOptions* video = options_.VideoOptions();
    TSubtitleOptions* subtitle = options_.SubtitleOptions();

    Dictionary format_options;
    if (audio->AudioSampleRate() != 0)
        av_dict_set_int(format_options.address(), "sample_rate", audio->AudioSampleRate(), 0);
    if (audio->AudioChannels() != 0)
        av_dict_set_int(format_options.address(), "channels", audio->AudioChannels(), 0);
    if (video->FrameRate()->num() != 0)
        av_dict_set(format_options.address(), "framerate",
                    Format("%d/%d", video->FrameRate()->num(), video->FrameRate()->den()).c_str(), 0);
    if (memory_.frame_width != 0 && memory_.frame_height != 0)
        av_dict_set(format_options.address(), "video_size",
                    Format("%dx%d", memory_.frame_width, memory_.frame_height).c_str(), 0);
    if (video->PixelFormat != -1) {
        if (const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(video->PixelFormat)))
            av_dict_set(format_options.address(), "pixel_format", name, 0);
    }

    // Forced decoders: an unknown name fails here, before anything is opened.
    const AVCodecID forced_video =
        FindCodec(video->DecoderVideoCodecName().toStdString(), AVMEDIA_TYPE_VIDEO, false);
    const AVCodecID forced_audio =
        FindCodec(audio->DecoderAudioCodecName().toStdString(), AVMEDIA_TYPE_AUDIO, false);
    const AVCodecID forced_subtitle =
        FindCodec(subtitle->SubtitleCodecName().trimmed().toStdString(), AVMEDIA_TYPE_SUBTITLE, false);

    InputFile file;
    const int rc = vc::OpenInput(file.ctx, url, memory_.input_format, format_options.address());
    if (rc < 0) {
        const std::string known =
            rc == AVERROR(ENOENT) || rc == AVERROR(EACCES) ? std::string() : KnownRefusal(url);
        throw Error("Could not open file: " + url + ": " + (known.empty() ? FfErrorText(rc) : known));
    }
    format_options.Clear(); // what the demuxer did not take is of no use
    AVFormatContext* ic = file.ctx.get();
    TagLogTarget(ic, &owner_);
    // The demuxer applies forced codecs to every packet it reads from now on.
    ic->video_codec_id = forced_video;
    ic->audio_codec_id = forced_audio;
    // The subtitle name names the output encoder as well, so it relabels no input stream: a
    // subrip input converted to mov_text must still be read as subrip.
    (void)forced_subtitle;

    if (ic->ctx_flags & AVFMTCTX_NOHEADER) {
        // Streams of a headerless input are found by reading; give the probe ten times longer.
        // 0 means the library's default analyse time of 5 s.
        ic->probesize *= 10;
        ic->max_analyze_duration =
            (ic->max_analyze_duration ? ic->max_analyze_duration : 5 * AV_TIME_BASE) * 10;
    }

    const unsigned nb_streams = ic->nb_streams;
    std::vector<Dictionary> probe_options;
    std::vector<AVDictionary*> probe_array(nb_streams ? nb_streams : 1, nullptr);
    for (unsigned i = 0; i < nb_streams; ++i) {
        probe_options.push_back(library_options_.FilterCodecOptions(
            library_options_.codec_options().get(), ic->streams[i]->codecpar->codec_id, false));
        probe_array[i] = probe_options.back().get();
    }
    int probe = avformat_find_stream_info(ic, probe_array.data());
    for (unsigned i = 0; i < nb_streams; ++i)
        probe_options[i] = Dictionary(probe_array[i]); // the library may have replaced them
    if (probe < 0) {
        file.ctx.Reset();
        throw Error("Could not find codec parameters of " + url + ": " + FfErrorText(probe));
    }

    const int64_t start = options_.StartTime();
    // A start at or past the end selects nothing: said before anything is written (a stored task
    // whose source got shorter, a request made by hand). Joined inputs are judged by the output.
    if (inputs_.size() == 1 && start > 0 && ic->duration != AV_NOPTS_VALUE && ic->duration > 0 &&
        start >= ic->duration) {
        const std::string text = Format("The start (%.2f s) is at or past the end of ", start / 1e6) + url +
                                 Format(" (%.2f s long)", ic->duration / 1e6);
        file.ctx.Reset();
        throw Error(text);
    }
    int64_t seek_target = start;
    if (ic->start_time != AV_NOPTS_VALUE)
        seek_target += ic->start_time;
    working_start_time_ = start;
    if (working_start_time_ != 0) {
        av_seek_frame(ic, -1, seek_target, AVSEEK_FLAG_BACKWARD); // a failed seek is not an error
        working_start_time_ = 0;
    }

    if (ic->duration != AV_NOPTS_VALUE && ic->duration > 0)
        owner_.SetDuration(static_cast<double>(ic->duration) / 1000000.0);

    const QString video_decoder_name = video->DecoderVideoCodecName();
    const QString audio_decoder_name = audio->DecoderAudioCodecName();
    const QString subtitle_decoder_name = subtitle->SubtitleCodecName().trimmed();
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        AVStream* st = ic->streams[i];
        auto ist = std::make_unique<InputStream>();
        ist->st = st;
        ist->file_index = index;
        ist->discard = true;
        ist->options = library_options_.FilterCodecOptions(library_options_.codec_options().get(),
                                                           st->codecpar->codec_id, false);
        auto pick = [&](const QString& name) {
            const AVCodec* by_name =
                name.isEmpty() ? nullptr : avcodec_find_decoder_by_name(name.toUtf8().constData());
            return by_name ? by_name : avcodec_find_decoder(st->codecpar->codec_id);
        };
        switch (st->codecpar->codec_type) {
        case AVMEDIA_TYPE_AUDIO:
            ist->decoder = pick(audio_decoder_name);
            if (audio->AudioDisable())
                ist->discarded_at_demuxer = true;
            break;
        case AVMEDIA_TYPE_SUBTITLE: {
            // The named decoder only when it reads this stream's codec (see above).
            const AVCodec* named = pick(subtitle_decoder_name);
            ist->decoder = named && named->id == st->codecpar->codec_id
                               ? named
                               : avcodec_find_decoder(st->codecpar->codec_id);
            if (options_.SubtitleOptions()->SubtitleDisable())
                ist->discarded_at_demuxer = true;
            break;
        }
        case AVMEDIA_TYPE_VIDEO: {
            ist->decoder = pick(video_decoder_name);
            // The codec's time base as the probe left it, against the container's frame rate.
            // H.264 and MPEG-2 count two ticks (fields) per frame.
            const AVRational tb = av_stream_get_codec_timebase(st);
            const AVRational fr = st->r_frame_rate;
            const int ticks = (st->codecpar->codec_id == AV_CODEC_ID_H264 ||
                               st->codecpar->codec_id == AV_CODEC_ID_MPEG2VIDEO)
                                  ? 2
                                  : 1;
            if (tb.num > 0 && tb.den > 0 && fr.num > 0 && fr.den > 0 &&
                (tb.den != fr.num * ticks || tb.num != fr.den)) {
                owner_.DoLog(16, Format("Seems stream %d codec frame rate differs from container frame rate: "
                                        "%2.2f (%d/%d) -> %2.2f (%d/%d)\n",
                                        static_cast<int>(i), static_cast<float>(tb.den) / tb.num, tb.den,
                                        tb.num, static_cast<float>(fr.num) / fr.den, fr.num, fr.den));
            }
            if (video->VideoDisable())
                ist->discarded_at_demuxer = true;
            break;
        }
        default: break;
        }
        if (ist->discarded_at_demuxer)
            st->discard = AVDISCARD_ALL;
        // The decoder context: parameters of the stream, the run's thread count.
        ist->dec_ctx.reset(avcodec_alloc_context3(ist->decoder));
        if (!ist->dec_ctx || avcodec_parameters_to_context(ist->dec_ctx.get(), st->codecpar) < 0)
            throw Error("Could not alloc memory for stream options.");
        ist->dec_ctx->pkt_timebase = st->time_base;
        ist->dec_ctx->thread_count = ClampThreadCount(options_.ThreadCount());
        if (video->MeThreshold() != 0 && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            ist->dec_ctx->export_side_data |= AV_CODEC_EXPORT_DATA_MVS;
        TagLogTarget(ist->dec_ctx.get(), &owner_);
        input_streams_.push_back(std::move(ist));
    }

    file.nb_streams = static_cast<int>(ic->nb_streams);
    file.first_stream = static_cast<int>(input_streams_.size()) - file.nb_streams;
    file.ts_offset = -seek_target;
    input_files_.push_back(std::move(file));

    library_options_.Reset();
}

int64_t ConversionEngine::InputFileSize(int index) const {
    if (index < 0 || index >= static_cast<int>(input_files_.size()))
        return 0;
    AVFormatContext* ic = input_files_[index].ctx.get();
    return ic && ic->pb ? avio_size(ic->pb) : 0;
}

} // namespace vc
