// The audio output step: a filtered frame (already at the encoder's rate, format and layout, and
// of the encoder's frame size) gets its time stamp in the encoder's time base and is encoded.
#include "engine/converter/frame_paths_impl.h"
#include "engine/options/convert_options.h"

extern "C" {
#include <libavfilter/buffersink.h>
}

namespace vc {

void FramePathsImpl::AudioOutput(OutputStream& ost, InputStream& ist, AVFrame* frame) {
    (void)ist;
    OutputEncodeState& out = Out(ost);
    AVCodecContext* enc = ost.enc_ctx.get();
    if (ost.frame_number >= engine_.options().AudioOptions()->MaxFrames())
        return;
    // The graph's time stamps follow the input clock (and, with synchronisation, have had their
    // gaps filled); frames without one continue from the last.
    if (frame->pts != AV_NOPTS_VALUE)
        frame->pts = av_rescale_q(frame->pts, av_buffersink_get_time_base(out.sink), enc->time_base);
    else
        frame->pts = out.next_audio_pts;
    if (frame->pts < out.next_audio_pts && out.next_audio_pts > 0)
        frame->pts = out.next_audio_pts; // never backwards for the encoder
    out.next_audio_pts = frame->pts + frame->nb_samples;
    ost.sync_opts = out.next_audio_pts;
    ost.frame_number++;
    Encode(ost, frame);
}

} // namespace vc
