#include "engine/probe/av_probe.h"

#include "engine/media/ff_error.h"
#include "platform/error.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <filesystem>
#include <limits>
#include <memory>

namespace vc {

namespace {

struct InputCloser {
    void operator()(AVFormatContext* ic) const { avformat_close_input(&ic); }
};
struct CodecContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};

int32_t ToInt32(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

std::string Format(const char* fmt, int a, int b = 0) {
    char text[160];
    std::snprintf(text, sizeof text, fmt, a, b);
    return text;
}

} // namespace

TAVProbe::~TAVProbe() {
    Close();
}

void TAVProbe::SetActive(bool active) {
    if (active == active_)
        return;
    if (active)
        Open();
    else
        Close();
}

void TAVProbe::Open() {
    std::error_code ec;
    if (file_name_.empty() || !std::filesystem::exists(std::filesystem::u8path(file_name_), ec))
        return;
    AVFormatContext* raw = nullptr;
    if (const int rc = avformat_open_input(&raw, file_name_.c_str(), forced_format_, nullptr); rc < 0)
        throw Error("Error Opening File " + file_name_ + ": " + FfErrorText(rc));
    std::unique_ptr<AVFormatContext, InputCloser> ic(raw);
    if (const int rc = avformat_find_stream_info(ic.get(), nullptr); rc < 0)
        throw Error("Can not find stream information in " + file_name_ + ": " + FfErrorText(rc));

    has_video_ = false;
    has_audio_ = false;
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        const AVMediaType type = ic->streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO && !has_video_) {
            has_video_ = true;
            DescribeStream(ic.get(), static_cast<int>(i));
        } else if (type == AVMEDIA_TYPE_AUDIO && !has_audio_) {
            has_audio_ = true;
            DescribeStream(ic.get(), static_cast<int>(i));
        }
    }
    container_ = ic.release();
    active_ = true;
}

void TAVProbe::DescribeStream(AVFormatContext* ic, int index) {
    AVStream* st = ic->streams[index];
    const AVCodecParameters* par = st->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    if (!decoder)
        throw Error(Format("Unsupported codec(id=%d) for input stream %d", par->codec_id, index));
    // The decoder is opened only to prove the stream decodes; nothing keeps it afterwards.
    std::unique_ptr<AVCodecContext, CodecContextFree> ctx(avcodec_alloc_context3(decoder));
    if (!ctx || avcodec_parameters_to_context(ctx.get(), par) < 0 ||
        avcodec_open2(ctx.get(), decoder, nullptr) < 0)
        throw Error(Format("Error while opening codec for input stream %d", index));
    if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
        video_codec_ = decoder->name;
        width_ = ctx->width;
        height_ = ctx->height;
        video_bitrate_ = ToInt32(ctx->bit_rate);
        frame_rate_ = st->r_frame_rate.den != 0 ? av_q2d(st->r_frame_rate) : 0.0;
    } else {
        audio_codec_ = decoder->name;
        sample_rate_ = ctx->sample_rate;
        channels_ = ctx->ch_layout.nb_channels;
        const int bits = av_get_bits_per_sample(par->codec_id);
        audio_bitrate_ =
            bits != 0 ? ToInt32(int64_t(sample_rate_) * channels_ * bits) : ToInt32(ctx->bit_rate);
    }
}

void TAVProbe::Close() {
    // Closed whether or not the file is still there: a deleted file must not keep its container.
    if (!active_)
        return;
    avformat_close_input(&container_);
    active_ = false;
}

} // namespace vc
