// The audio output step: a filtered frame (already at the encoder's rate, format and layout, and
// of the encoder's frame size) gets its time stamp in the encoder's time base and is encoded.
#include "engine/converter/frame_paths_impl.h"
#include "engine/options/convert_options.h"
#include "platform/error.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavutil/samplefmt.h>
}

#include <limits>

namespace vc {

void FramePathsImpl::AudioOutput(OutputStream& ost, InputStream& ist, AVFrame* frame) {
    (void)ist;
    OutputEncodeState& out = Out(ost);
    AVCodecContext* enc = ost.enc_ctx.get();
    if (ost.frame_number >= engine_.options().AudioOptions()->MaxFrames())
        return;
    const bool fixed_size =
        enc->frame_size > 0 && !(ost.encoder->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    if (out.pad_short_audio && fixed_size && frame->nb_samples < enc->frame_size) {
        // The end of a graph that is being replaced: only the stream's last frame may be short.
        if (!out.padded)
            out.padded.reset(av_frame_alloc());
        AVFrame* padded = out.padded.get();
        if (!padded)
            throw Error("no memory");
        av_frame_unref(padded);
        padded->format = frame->format;
        padded->sample_rate = frame->sample_rate;
        padded->nb_samples = enc->frame_size;
        if (av_channel_layout_copy(&padded->ch_layout, &frame->ch_layout) < 0 ||
            av_frame_get_buffer(padded, 0) < 0 || av_frame_copy_props(padded, frame) < 0)
            throw Error("no memory");
        const int channels = frame->ch_layout.nb_channels;
        const auto format = static_cast<AVSampleFormat>(frame->format);
        av_samples_copy(padded->extended_data, frame->extended_data, 0, 0, frame->nb_samples, channels,
                        format);
        av_samples_set_silence(padded->extended_data, frame->nb_samples, enc->frame_size - frame->nb_samples,
                               channels, format);
        av_frame_unref(frame);
        av_frame_move_ref(frame, padded);
    }
    // The graph's time stamps follow the input clock (and, with synchronisation, have had their
    // gaps filled); frames without one continue from the last.
    if (frame->pts != AV_NOPTS_VALUE)
        frame->pts = av_rescale_q(frame->pts, av_buffersink_get_time_base(out.sink), enc->time_base);
    else
        frame->pts = out.next_audio_pts;
    if (frame->pts < out.next_audio_pts && out.next_audio_pts > 0)
        frame->pts = out.next_audio_pts; // never backwards for the encoder
    const int64_t recording = engine_.options().RecordingTime();
    if (recording != std::numeric_limits<int64_t>::max() &&
        frame->pts >= av_rescale_q(recording, AVRational{1, AV_TIME_BASE}, enc->time_base)) {
        ost.finished = true;
        return; // past the length asked for (held by the decoder or the graph when the loop ended)
    }
    out.next_audio_pts = frame->pts + frame->nb_samples;
    ost.sync_opts = out.next_audio_pts;
    ost.frame_number++;
    Encode(ost, frame);
}

} // namespace vc
