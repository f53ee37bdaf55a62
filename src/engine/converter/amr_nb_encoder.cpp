#include "engine/converter/amr_nb_encoder.h"

#include "platform/error.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cstdlib>
#include <cstring>
#include <string>

#ifdef VC_HAVE_OPENCORE_AMRNB
#include <opencore-amrnb/interf_enc.h>
#endif

namespace vc {

namespace {
constexpr int kBitRates[] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};
constexpr int kSampleRate = 8000;
constexpr int kFrameSamples = 160; // 20 ms
} // namespace

int AmrNbModeForBitRate(int64_t bit_rate) {
    int best = 0;
    for (int mode = 1; mode < 8; ++mode)
        if (std::llabs(kBitRates[mode] - bit_rate) < std::llabs(kBitRates[best] - bit_rate))
            best = mode;
    return best;
}

int AmrNbModeBitRate(int mode) {
    return mode >= 0 && mode < 8 ? kBitRates[mode] : 0;
}

#ifdef VC_HAVE_OPENCORE_AMRNB

namespace {

struct EncoderStateFree {
    void operator()(void* state) const { Encoder_Interface_exit(state); }
};

class AmrNbEncoder final : public OwnEncoder {
public:
    void Open(AVCodecContext* enc, AVDictionary** options) override {
        if (options && *options && av_opt_set_dict2(enc, options, 0) < 0)
            throw Error("Incorrect AMR-NB encoder option");
        if (enc->sample_rate != kSampleRate)
            throw Error("AMR-NB takes sound of 8000 Hz only (not " + std::to_string(enc->sample_rate) +
                        " Hz)");
        if (enc->ch_layout.nb_channels != 1)
            throw Error("AMR-NB takes mono sound only");
        if (enc->sample_fmt != AV_SAMPLE_FMT_S16)
            throw Error("AMR-NB takes 16-bit samples only");
        mode_ = AmrNbModeForBitRate(enc->bit_rate > 0 ? enc->bit_rate : kBitRates[7]);
        if (enc->bit_rate > 0 && enc->bit_rate != kBitRates[mode_])
            av_log(enc, AV_LOG_WARNING, "AMR-NB has no %lld bit/s mode, using %d bit/s\n",
                   static_cast<long long>(enc->bit_rate), kBitRates[mode_]);
        enc->bit_rate = kBitRates[mode_];
        enc->frame_size = kFrameSamples;
        enc->time_base = AVRational{1, kSampleRate};
        state_.reset(Encoder_Interface_init(0)); // no discontinuous transmission
        if (!state_)
            throw Error("The AMR-NB encoder could not be started");
    }

    int SendFrame(const AVFrame* frame) override {
        if (ended_)
            return AVERROR_EOF;
        if (!frame) {
            ended_ = true;
            return 0;
        }
        if (size_ > 0)
            return AVERROR(EAGAIN);
        if (frame->nb_samples > kFrameSamples || frame->format != AV_SAMPLE_FMT_S16 ||
            frame->ch_layout.nb_channels != 1)
            return AVERROR(EINVAL);
        short speech[kFrameSamples] = {};
        std::memcpy(speech, frame->data[0], static_cast<size_t>(frame->nb_samples) * sizeof(short));
        const int written = Encoder_Interface_Encode(state_.get(), static_cast<Mode>(mode_), speech, out_, 0);
        if (written <= 0)
            return AVERROR_EXTERNAL;
        size_ = written;
        pts_ = frame->pts;
        return 0;
    }

    int ReceivePacket(AVPacket* pkt) override {
        if (size_ == 0)
            return ended_ ? AVERROR_EOF : AVERROR(EAGAIN);
        const int rc = av_new_packet(pkt, size_);
        if (rc < 0)
            return rc;
        std::memcpy(pkt->data, out_, static_cast<size_t>(size_));
        pkt->pts = pkt->dts = pts_;
        pkt->duration = kFrameSamples;
        pkt->flags |= AV_PKT_FLAG_KEY;
        size_ = 0;
        return 0;
    }

private:
    std::unique_ptr<void, EncoderStateFree> state_;
    int mode_ = 7;
    unsigned char out_[64] = {}; // a frame is at most 32 bytes
    int size_ = 0;               // bytes of the frame that waits to be taken
    int64_t pts_ = AV_NOPTS_VALUE;
    bool ended_ = false;
};

const AVSampleFormat kSampleFormats[] = {AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_NONE};
const int kSampleRates[] = {kSampleRate, 0};
// Spelled out: the library's initialiser macro leaves the last member to the compiler's warning.
const AVChannelLayout kLayouts[] = {{AV_CHANNEL_ORDER_NATIVE, 1, {AV_CH_LAYOUT_MONO}, nullptr}, {}};

AVCodec MakeRecord() {
    AVCodec codec{};
    codec.name = "libopencore_amrnb";
    codec.long_name = "OpenCORE AMR-NB (Adaptive Multi-Rate Narrow-Band)";
    codec.type = AVMEDIA_TYPE_AUDIO;
    codec.id = AV_CODEC_ID_AMR_NB;
    codec.capabilities = AV_CODEC_CAP_SMALL_LAST_FRAME;
    codec.supported_samplerates = kSampleRates;
    codec.sample_fmts = kSampleFormats;
    codec.ch_layouts = kLayouts;
    return codec;
}

} // namespace

const AVCodec* AmrNbEncoderRecord() {
    static const AVCodec record = MakeRecord();
    return &record;
}

std::unique_ptr<OwnEncoder> CreateAmrNbEncoder() {
    return std::make_unique<AmrNbEncoder>();
}

#else

const AVCodec* AmrNbEncoderRecord() {
    return nullptr;
}

std::unique_ptr<OwnEncoder> CreateAmrNbEncoder() {
    return nullptr;
}

#endif

} // namespace vc
