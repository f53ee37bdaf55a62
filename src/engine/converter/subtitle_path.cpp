// The subtitle path: decode a subtitle packet and encode it again for each output it feeds.
#include "engine/converter/frame_paths_impl.h"
#include "platform/error.h"

#include <vector>

namespace vc {

namespace {
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};
constexpr int kSubtitleBufferBytes = 1 << 20;
} // namespace

int FramePathsImpl::DecodeSubtitle(InputStream& ist, int ist_index, const AVPacket* pkt) {
    if (!pkt)
        return 0; // subtitle decoders hold nothing back
    AVSubtitle subtitle{};
    int got = 0;
    int rc = avcodec_decode_subtitle2(ist.dec_ctx.get(), &subtitle, &got, const_cast<AVPacket*>(pkt));
    if (rc < 0)
        return rc;
    if (!got)
        return 0;
    struct Free {
        AVSubtitle* s;
        ~Free() { avsubtitle_free(s); }
    } free_subtitle{&subtitle};

    for (OutputStream* ost : engine_.output_streams()) {
        if (ost->source_index != ist_index || !ost->encoding_needed || ost->type != AVMEDIA_TYPE_SUBTITLE)
            continue;
        if (pkt->pts == AV_NOPTS_VALUE)
            throw Error("Subtitle packets must have a pts");
        std::vector<uint8_t> buffer(kSubtitleBufferBytes);
        AVCodecContext* enc = ost->enc_ctx.get();
        const bool dvb = enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE;
        const unsigned rects = subtitle.num_rects;
        // A DVB subtitle is sent twice: once to show it and once, empty, to clear it.
        for (int i = 0; i < (dvb ? 2 : 1); ++i) {
            AVSubtitle sub = subtitle;
            sub.pts = av_rescale_q(pkt->pts, ist.st->time_base, kMicroseconds) +
                      static_cast<int64_t>(sub.start_display_time) * 1000;
            sub.end_display_time -= sub.start_display_time;
            sub.start_display_time = 0;
            if (i == 1)
                sub.num_rects = 0;
            int size = avcodec_encode_subtitle(enc, buffer.data(), kSubtitleBufferBytes, &sub);
            subtitle.num_rects = rects;
            if (size < 0)
                throw Error("Subtitle encoding failed");
            PacketPtr out;
            out.reset(av_packet_alloc());
            if (!out || av_new_packet(out.get(), size) < 0)
                throw Error("no memory");
            std::copy(buffer.begin(), buffer.begin() + size, out->data);
            out->stream_index = ost->stream_index;
            out->pts = av_rescale_q(sub.pts, kMicroseconds, ost->st->time_base);
            if (dvb)
                out->pts += 90 * static_cast<int64_t>(i == 0 ? sub.start_display_time : sub.end_display_time);
            else
                out->duration = av_rescale_q(sub.end_display_time, AVRational{1, 1000}, ost->st->time_base);
            out->dts = out->pts;
            out->flags |= AV_PKT_FLAG_KEY;
            engine_.WritePacket(*ost, out.get());
            out.reset();
        }
    }
    return 0;
}

} // namespace vc
