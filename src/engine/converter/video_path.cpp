// The video output step: frame-rate synchronisation by duplicating and dropping frames, then
// encoding; and the video-buffer step that shows each frame to the owner as a BGRA bitmap.
#include "engine/converter/converter.h"
#include "engine/converter/frame_paths_impl.h"
#include "platform/error.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <limits>

namespace vc {

void FramePathsImpl::VideoOutput(OutputStream& ost, InputStream& ist, AVFrame* frame) {
    AVCodecContext* enc = ost.enc_ctx.get();
    TVideoOptions* v = engine_.options().VideoOptions();
    const AVOutputFormat* fmt = engine_.output_files()[ost.file_index].ctx->oformat;
    InputStream& sync_input = *ost.sync_input;
    const double sync = (static_cast<double>(sync_input.pts - engine_.working_start_time()) / 1000000.0) /
                        av_q2d(enc->time_base);
    int method = v->VideoSyncMethod();
    const bool variable = method == 2 || (method < 0 && (fmt->flags & AVFMT_VARIABLE_FPS));
    int64_t frames = 1;
    if (method == 0) {
        ost.sync_opts = std::llround(sync);
    } else {
        const double vdelta = sync - static_cast<double>(ost.sync_opts);
        if (vdelta < -1.1)
            frames = 0;
        else if (variable) {
            if (vdelta <= -0.6)
                frames = 0;
            else if (vdelta > 0.6)
                ost.sync_opts = std::llround(sync);
        } else {
            // At a constant rate a frame is repeated until the output reaches the end of the time
            // it covers, its own duration included: at twice the input rate every frame is written
            // twice, the first and the last too, and a gap in the input is filled where it is.
            double end = vdelta;
            if (frame->pkt_duration > 0)
                end += static_cast<double>(frame->pkt_duration) * av_q2d(ist.st->time_base) /
                       av_q2d(enc->time_base);
            if (end > 1.1)
                frames = std::llround(end);
        }
    }
    frames = std::min<int64_t>(frames, static_cast<int64_t>(v->MaxFrames()) - ost.frame_number);
    // Frames the decoders and encoders still held when the loop reached the length asked for end
    // there too: nothing at or past that time is encoded.
    const int64_t recording = engine_.options().RecordingTime();
    if (recording != std::numeric_limits<int64_t>::max()) {
        const int64_t last = av_rescale_q(recording, AVRational{1, AV_TIME_BASE}, enc->time_base);
        frames = std::min<int64_t>(frames, last - ost.sync_opts);
        if (ost.sync_opts + std::max<int64_t>(frames, 0) >= last)
            ost.finished = true;
    }
    if (frames <= 0)
        return;
    const bool interlaced_coding = enc->flags & (AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME);
    if (interlaced_coding)
        frame->top_field_first = v->TopFieldFirst() == -1 ? frame->top_field_first : v->TopFieldFirst();
    frame->quality = v->SameQuality() ? frame->quality : enc->global_quality;
    frame->pict_type = AV_PICTURE_TYPE_NONE; // the encoder decides
    for (int64_t i = 0; i < frames; ++i) {
        frame->pts = ost.sync_opts;
        Encode(ost, frame);
        ost.sync_opts++;
        ost.frame_number++;
    }
}

namespace {

// A view of `frame` upside down: each plane starts at its last row and walks backwards.
void FlippedView(const AVFrame* frame, uint8_t* data[4], int linesize[4]) {
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    for (int p = 0; p < 4; ++p) {
        data[p] = frame->data[p];
        linesize[p] = frame->linesize[p];
        if (!data[p])
            continue;
        int rows = frame->height;
        if ((p == 1 || p == 2) && desc && !(desc->flags & AV_PIX_FMT_FLAG_RGB))
            rows = AV_CEIL_RSHIFT(frame->height, desc->log2_chroma_h);
        data[p] += static_cast<ptrdiff_t>(rows - 1) * linesize[p];
        linesize[p] = -linesize[p];
    }
}

} // namespace

void FramePathsImpl::VideoBuffer(InputStream& ist, AVFrame* frame) {
    InputDecodeState& in = In(ist);
    const int w = frame->width, h = frame->height, format = frame->format;
    if (!in.bgra || in.bgra_width != w || in.bgra_height != h || in.bgra_format != format) {
        in.to_bgra.reset(sws_getContext(w, h, static_cast<AVPixelFormat>(format), w, h, AV_PIX_FMT_BGRA,
                                        SWS_BICUBIC, nullptr, nullptr, nullptr));
        in.from_bgra.reset(sws_getContext(w, h, AV_PIX_FMT_BGRA, w, h, static_cast<AVPixelFormat>(format),
                                          SWS_BICUBIC, nullptr, nullptr, nullptr));
        in.bgra.reset(av_frame_alloc());
        if (!in.to_bgra || !in.from_bgra || !in.bgra)
            throw Error("no memory");
        in.bgra->format = AV_PIX_FMT_BGRA;
        in.bgra->width = w;
        in.bgra->height = h;
        if (av_frame_get_buffer(in.bgra.get(), 1) < 0) // rows of exactly w * 4 bytes
            throw Error("no memory");
        in.bitmap = TAVBitmap{in.bgra->data[0], w, h};
        in.bgra_width = w;
        in.bgra_height = h;
        in.bgra_format = format;
    }
    uint8_t* data[4];
    int linesize[4];
    FlippedView(frame, data, linesize);
    sws_scale(in.to_bgra.get(), data, linesize, 0, h, in.bgra->data, in.bgra->linesize);
    bool modified = false;
    engine_.owner().DoVideoBuffer(&in.bitmap, ist.pts, modified);
    if (!modified)
        return;
    if (av_frame_make_writable(frame) < 0)
        return;
    FlippedView(frame, data, linesize);
    sws_scale(in.from_bgra.get(), in.bgra->data, in.bgra->linesize, 0, h, data, linesize);
}

} // namespace vc
