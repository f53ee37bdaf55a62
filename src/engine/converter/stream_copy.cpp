// The copy step: a packet of a copied stream goes to the output unchanged but for its time
// stamps, which move into the output stream's time base and to the start position.
#include "engine/converter/conversion_engine.h"
#include "engine/options/convert_options.h"

#include <limits>

namespace vc {

namespace {
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};
} // namespace

void ConversionEngine::CopyPacket(OutputStream& ost, InputStream& ist, const AVPacket* pkt) {
    // A copy starts at a key frame: what comes before it cannot be decoded.
    if (ost.frame_number == 0 && !(pkt->flags & AV_PKT_FLAG_KEY))
        return;
    const AVRational in_tb = ist.st->time_base;
    const AVRational out_tb = ost.st->time_base;
    const int64_t start = av_rescale_q(working_start_time_, kMicroseconds, out_tb);
    AVPacket* out = out_packet_.get();
    if (av_packet_ref(out, pkt) < 0)
        return;
    out->stream_index = ost.stream_index;
    out->pts = pkt->pts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : av_rescale_q(pkt->pts, in_tb, out_tb) - start;
    out->dts = (pkt->dts == AV_NOPTS_VALUE ? av_rescale_q(ist.pts, kMicroseconds, out_tb)
                                           : av_rescale_q(pkt->dts, in_tb, out_tb)) -
               start;
    out->duration = av_rescale_q(pkt->duration, in_tb, out_tb);
    out->time_base = out_tb;

    // A sparse stream (subtitles) does not hold the loop back, so the length is also kept here:
    // nothing at or past the end of the recording is written.
    const int64_t recording = options_.RecordingTime();
    if (recording != std::numeric_limits<int64_t>::max() &&
        av_rescale_q(out->dts, out_tb, kMicroseconds) >= recording) {
        av_packet_unref(out);
        return;
    }
    WritePacket(ost, out);
    ost.frame_number++;
    av_packet_unref(out);
}

} // namespace vc
