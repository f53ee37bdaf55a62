#include "engine/converter/amr_nb_encoder.h"
#include "engine/media/ff_handles.h"
#include "platform/error.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <gtest/gtest.h>

#include <cmath>

namespace vc {
namespace {

TEST(AmrNbEncoder, BitRateTakesTheNearestMode) {
    const struct {
        int64_t asked;
        int mode;
    } cases[] = {{12200, 7}, {12000, 7}, {64000, 7}, {11000, 6}, {4750, 0}, {1, 0}, {7400, 4}, {7700, 5}};
    for (const auto& c : cases) {
        EXPECT_EQ(AmrNbModeForBitRate(c.asked), c.mode) << c.asked;
    }
    EXPECT_EQ(AmrNbModeBitRate(7), 12200);
}

// Without the opencore library the build has no AMR-NB encoder, and the name stays unknown.
const bool kHaveLibrary = FindOwnEncoder("libopencore_amrnb") != nullptr;

TEST(AmrNbEncoder, IsThereWhenTheLibraryIs) {
#ifdef VC_EXPECT_AMRNB
    EXPECT_TRUE(kHaveLibrary);
#else
    EXPECT_FALSE(kHaveLibrary);
#endif
}

CodecContextPtr Settings(int rate, int channels, int64_t bit_rate) {
    CodecContextPtr enc(avcodec_alloc_context3(nullptr));
    enc->codec_type = AVMEDIA_TYPE_AUDIO;
    enc->codec_id = AV_CODEC_ID_AMR_NB;
    enc->sample_rate = rate;
    enc->sample_fmt = AV_SAMPLE_FMT_S16;
    enc->bit_rate = bit_rate;
    av_channel_layout_default(&enc->ch_layout, channels);
    return enc;
}

// A second of a 440 Hz tone through the encoder, and back through FFmpeg's AMR-NB decoder: a
// frame of 20 ms for every 160 samples, the short last one included, and the tone comes back.
TEST(AmrNbEncoder, EncodesSpeechFramesTheDecoderReads) {
    if (!kHaveLibrary)
        GTEST_SKIP() << "built without the opencore AMR-NB library";
    const AVCodec* record = FindOwnEncoder("libopencore_amrnb");
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(IsOwnEncoder(record));
    EXPECT_EQ(record->id, AV_CODEC_ID_AMR_NB);
    auto encoder = CreateOwnEncoder(record);
    auto enc = Settings(8000, 1, 12200);
    encoder->Open(enc.get(), nullptr);
    EXPECT_EQ(enc->frame_size, 160);

    const AVCodec* amrnb = avcodec_find_decoder(AV_CODEC_ID_AMR_NB);
    ASSERT_NE(amrnb, nullptr);
    CodecContextPtr dec(avcodec_alloc_context3(amrnb));
    dec->sample_rate = 8000;
    av_channel_layout_default(&dec->ch_layout, 1);
    ASSERT_GE(avcodec_open2(dec.get(), amrnb, nullptr), 0);

    FramePtr frame(av_frame_alloc()), decoded(av_frame_alloc());
    PacketPtr pkt(av_packet_alloc());
    int64_t samples_in = 0, samples_out = 0, packets = 0;
    double energy = 0;
    auto take = [&] {
        while (encoder->ReceivePacket(pkt.get()) == 0) {
            ++packets;
            EXPECT_EQ(pkt->size, 32); // the mode byte and 244 bits of 12.2 kbit/s speech
            EXPECT_EQ(pkt->pts, (packets - 1) * 160);
            ASSERT_GE(avcodec_send_packet(dec.get(), pkt.get()), 0);
            av_packet_unref(pkt.get());
            while (avcodec_receive_frame(dec.get(), decoded.get()) == 0) {
                samples_out += decoded->nb_samples;
                const float* s = reinterpret_cast<const float*>(decoded->data[0]);
                for (int i = 0; i < decoded->nb_samples; ++i)
                    energy += static_cast<double>(s[i]) * s[i];
                av_frame_unref(decoded.get());
            }
        }
    };
    for (int n = 0; samples_in < 8000 + 100; ++n) {
        frame->format = AV_SAMPLE_FMT_S16;
        frame->sample_rate = 8000;
        frame->nb_samples = samples_in + 160 > 8100 ? 100 : 160;
        av_channel_layout_default(&frame->ch_layout, 1);
        ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
        auto* pcm = reinterpret_cast<int16_t*>(frame->data[0]);
        for (int i = 0; i < frame->nb_samples; ++i)
            pcm[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * (samples_in + i) / 8000.0));
        frame->pts = samples_in;
        samples_in += frame->nb_samples;
        ASSERT_EQ(encoder->SendFrame(frame.get()), 0);
        av_frame_unref(frame.get());
        take();
    }
    ASSERT_EQ(encoder->SendFrame(nullptr), 0);
    take();
    EXPECT_EQ(encoder->ReceivePacket(pkt.get()), AVERROR_EOF);
    EXPECT_EQ(packets, 51);
    EXPECT_EQ(samples_out, 51 * 160);
    // The tone's mean power is (8000/32768)^2 / 2 = 0.03; speech coding keeps most of it.
    EXPECT_GT(energy / static_cast<double>(samples_out), 0.01);
}

TEST(AmrNbEncoder, RefusesWhatAmrCannotCarry) {
    if (!kHaveLibrary)
        GTEST_SKIP() << "built without the opencore AMR-NB library";
    const AVCodec* record = FindOwnEncoder("libopencore_amrnb");
    for (const auto& [rate, channels] : {std::pair{16000, 1}, std::pair{8000, 2}}) {
        auto enc = Settings(rate, channels, 12200);
        EXPECT_THROW(CreateOwnEncoder(record)->Open(enc.get(), nullptr), Error) << rate << " Hz " << channels;
    }
    // A bit rate between modes takes the nearest and says so in the settings.
    auto enc = Settings(8000, 1, 6000);
    CreateOwnEncoder(record)->Open(enc.get(), nullptr);
    EXPECT_EQ(enc->bit_rate, 5900);
}

} // namespace
} // namespace vc
