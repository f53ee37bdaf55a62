// The audio and video filter graphs between decoder and encoder: a buffer source with the
// decoder's parameters, the conversions to the encoder's (sample rate and format, channel layout;
// frame size and pixel format), the user's filters, and a sink that accepts what the encoder takes.
#include "engine/converter/converter.h"
#include "engine/converter/frame_paths_impl.h"
#include "engine/converter/legacy_filter_fragments.h"
#include "engine/media/display_rotation.h"
#include "engine/media/log_routing.h"
#include "engine/media/show_error.h"
#include "platform/error.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace vc {

namespace {

std::string LayoutText(const AVChannelLayout& layout) {
    char text[128] = {};
    av_channel_layout_describe(&layout, text, sizeof text);
    return text;
}

// Links `last` to the sink, through the user's graph description when there is one.
bool LinkThroughDescription(AVFilterGraph* graph, AVFilterContext* last, AVFilterContext* sink,
                            const std::string& description) {
    if (description.empty())
        return avfilter_link(last, 0, sink, 0) >= 0;
    FilterInOutPtr outputs(avfilter_inout_alloc());
    FilterInOutPtr inputs(avfilter_inout_alloc());
    if (!outputs || !inputs)
        return false;
    outputs->name = av_strdup("in");
    outputs->filter_ctx = last;
    outputs->pad_idx = 0;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink;
    inputs->pad_idx = 0;
    AVFilterInOut* in = inputs.release();
    AVFilterInOut* out = outputs.release();
    const int rc = avfilter_graph_parse_ptr(graph, description.c_str(), &in, &out, nullptr);
    avfilter_inout_free(&in);
    avfilter_inout_free(&out);
    return rc >= 0;
}

AVFilterContext* AddFilter(AVFilterGraph* graph, const char* filter, const char* name,
                           const std::string& args) {
    AVFilterContext* ctx = nullptr;
    if (avfilter_graph_create_filter(&ctx, avfilter_get_by_name(filter), name,
                                     args.empty() ? nullptr : args.c_str(), nullptr, graph) < 0)
        return nullptr;
    return ctx;
}

} // namespace

void FramePathsImpl::BuildAudioGraph(OutputStream& ost, InputStream& ist) {
    auto fail = [] { throw Error("Error opening audio filters!"); };
    OutputEncodeState& out = Out(ost);
    AVCodecContext* enc = ost.enc_ctx.get();
    AVCodecContext* dec = ist.dec_ctx.get();
    out.graph.reset(avfilter_graph_alloc());
    if (!out.graph)
        fail();
    AVFilterGraph* graph = out.graph.get();
    TagLogTarget(graph, &engine_.owner());
    if (dec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        const int channels = dec->ch_layout.nb_channels;
        av_channel_layout_uninit(&dec->ch_layout);
        av_channel_layout_default(&dec->ch_layout, channels);
    }
    // Built again mid-stream: the source takes what the new frames carry.
    SourceParameters src{dec->sample_fmt, dec->sample_rate, 0, 0};
    av_channel_layout_copy(&src.layout, &dec->ch_layout);
    if (const AVFrame* f = rebuild_frame_) {
        src.format = f->format;
        src.rate = f->sample_rate;
        av_channel_layout_uninit(&src.layout);
        if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&src.layout, f->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&src.layout, &f->ch_layout);
    }
    // The source takes the decoder's real layout (a mono or 5.1 input is not stereo).
    char args[512];
    std::snprintf(args, sizeof args, "time_base=1/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                  src.rate, src.rate, av_get_sample_fmt_name(static_cast<AVSampleFormat>(src.format)),
                  LayoutText(src.layout).c_str());
    out.source = AddFilter(graph, "abuffer", "asrc", args);
    if (!out.source)
        fail();
    out.sink = nullptr;
    if (avfilter_graph_create_filter(&out.sink, avfilter_get_by_name("abuffersink"), "aout", nullptr, nullptr,
                                     graph) < 0)
        fail();
    const AVSampleFormat formats[] = {enc->sample_fmt, AV_SAMPLE_FMT_NONE};
    const int rates[] = {enc->sample_rate, -1};
    if (av_opt_set_int_list(out.sink, "sample_fmts", formats, AV_SAMPLE_FMT_NONE, AV_OPT_SEARCH_CHILDREN) <
            0 ||
        av_opt_set_int_list(out.sink, "sample_rates", rates, -1, AV_OPT_SEARCH_CHILDREN) < 0 ||
        av_opt_set(out.sink, "ch_layouts", LayoutText(enc->ch_layout).c_str(), AV_OPT_SEARCH_CHILDREN) < 0)
        fail();

    AVFilterContext* last = out.source;
    auto chain = [&](const char* filter, const char* name, const std::string& a) {
        AVFilterContext* next = AddFilter(graph, filter, name, a);
        if (!next || avfilter_link(last, 0, next, 0) < 0)
            fail();
        last = next;
    };
    // A run that starts later than the input's start read from the key frame before it: what
    // lies before the start is cut to the sample, so every stream of the output begins at 0.
    if (engine_.options().StartTime() != 0)
        chain("atrim", "trim", "start=0");
    TAudioOptions* audio = engine_.options().AudioOptions();
    // DV carries each picture's sound inside the picture's frame, so the muxer needs sound for
    // every picture from the first to the last: a sound track that starts late or has gaps is
    // filled with silence from 0, and one that ends early is padded to the end of the input.
    const bool dv = std::strcmp(engine_.output_files()[ost.file_index].ctx->oformat->name, "dv") == 0;
    if (audio->AudioSyncMethod() != 0 || dv) {
        // Silence is inserted or samples dropped where the input clock jumps; 2 or more also
        // stretches by at most that many samples a second.
        std::snprintf(args, sizeof args, "async=%d:min_hard_comp=%f:first_pts=0",
                      std::max(1, audio->AudioSyncMethod()),
                      static_cast<double>(audio->AudioDriftThreshold()));
        chain("aresample", "async", args);
    } else if (enc->sample_rate != src.rate) {
        chain("aresample", "resample", std::to_string(enc->sample_rate));
    }
    if (audio->AudioVolume() != 256) {
        // 16-bit input keeps the exact integer scaling (v * volume + 128) >> 8 with clipping.
        const bool integer = src.format == AV_SAMPLE_FMT_S16 || src.format == AV_SAMPLE_FMT_S16P;
        std::snprintf(args, sizeof args, "volume=%f:precision=%s", audio->AudioVolume() / 256.0,
                      integer ? "fixed" : "float");
        chain("volume", "volume", args);
    }
    if (dv) {
        const AVFormatContext* ic = engine_.input_files()[ist.file_index].ctx.get();
        int64_t length_us = ic->duration == AV_NOPTS_VALUE ? 0 : ic->duration - engine_.options().StartTime();
        length_us = std::min<int64_t>(length_us, engine_.options().RecordingTime());
        if (length_us > 0)
            chain("apad", "pad", "whole_dur=" + std::to_string(length_us) + "us");
    }
    const std::string description = engine_.options().FilterOptions()->AudioFilters().trimmed().toStdString();
    if (!LinkThroughDescription(graph, last, out.sink, description) ||
        avfilter_graph_config(graph, nullptr) < 0)
        fail();
    KeepSourceParameters(out, src);
    out.graph_closed = false;
    if (ost.encoder_opened)
        EncoderOpened(ost); // a graph built again mid-stream keeps the encoder's frame size
}

void FramePathsImpl::BuildVideoGraph(OutputStream& ost, InputStream& ist) {
    OutputEncodeState& out = Out(ost);
    AVCodecContext* enc = ost.enc_ctx.get();
    const bool deinterlace = engine_.options().VideoOptions()->Deinterlace() && !out.deinterlace_failed;
    if (!ConfigureVideoGraph(ost, ist, deinterlace)) {
        if (!deinterlace || !ConfigureVideoGraph(ost, ist, false))
            throw Error("Error opening filters!");
        // The pictures go on as they are (a picture of fewer than three lines, say).
        ShowError("Deinterlacing failed");
        out.deinterlace_failed = true;
    }
    if (ost.encoder_opened) {
        // Built again mid-stream: the open encoder keeps its size, so the filters must give it.
        if (av_buffersink_get_w(out.sink) != enc->width || av_buffersink_get_h(out.sink) != enc->height)
            throw Error("The picture size changed mid-stream and the video filters give " +
                        std::to_string(av_buffersink_get_w(out.sink)) + "x" +
                        std::to_string(av_buffersink_get_h(out.sink)) + " instead of the output's " +
                        std::to_string(enc->width) + "x" + std::to_string(enc->height) +
                        ": set the output frame size");
        return;
    }

    enc->width = av_buffersink_get_w(out.sink);
    enc->height = av_buffersink_get_h(out.sink);
    if (ost.frame_aspect_ratio != 0)
        enc->sample_aspect_ratio =
            av_d2q(static_cast<double>(ost.frame_aspect_ratio) * enc->height / enc->width, 255);
    else
        enc->sample_aspect_ratio = av_buffersink_get_sample_aspect_ratio(out.sink);
    ost.st->sample_aspect_ratio = enc->sample_aspect_ratio;
}

bool FramePathsImpl::ConfigureVideoGraph(OutputStream& ost, InputStream& ist, bool deinterlace) {
    OutputEncodeState& out = Out(ost);
    AVCodecContext* enc = ost.enc_ctx.get();
    AVCodecContext* dec = ist.dec_ctx.get();
    out.graph.reset(avfilter_graph_alloc());
    if (!out.graph)
        return false;
    AVFilterGraph* graph = out.graph.get();
    TagLogTarget(graph, &engine_.owner());

    AVRational sar = ist.st->sample_aspect_ratio;
    if (sar.num <= 0)
        sar = dec->sample_aspect_ratio;
    if (sar.num <= 0)
        sar = AVRational{0, 1};
    char args[512];
    // Named keys: the positional order of the buffer source differs between library versions.
    SourceParameters src{dec->pix_fmt, 0, dec->width, dec->height};
    if (const AVFrame* f = rebuild_frame_) {
        src.format = f->format;
        src.width = f->width;
        src.height = f->height;
        if (f->sample_aspect_ratio.num > 0)
            sar = f->sample_aspect_ratio;
    }
    std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d",
                  src.width, src.height, src.format, ist.st->time_base.num, ist.st->time_base.den, sar.num,
                  sar.den);
    out.source = AddFilter(graph, "buffer", "src", args);
    if (!out.source)
        return false;
    if (avfilter_graph_create_filter(&out.sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                     graph) < 0)
        return false;
    const AVPixelFormat formats[] = {enc->pix_fmt, AV_PIX_FMT_NONE};
    if (av_opt_set_int_list(out.sink, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN) < 0)
        return false;

    AVFilterContext* last = out.source;
    auto chain = [&](const char* filter, const char* name, const std::string& a) {
        AVFilterContext* next = AddFilter(graph, filter, name, a);
        if (!next || avfilter_link(last, 0, next, 0) < 0)
            return false;
        last = next;
        return true;
    };
    // The pictures decoded from the key frame before the start are only there to build the
    // first one that shows at it.
    if (engine_.options().StartTime() != 0 && !chain("trim", "trim", "start=0"))
        return false;
    if (deinterlace && !chain("yadif", "deinterlace", "mode=send_frame")) // keeps the frame rate
        return false;
    // Pictures stored turned (phone clips) are turned upright; the output carries no turn.
    last = LinkUprightFilters(graph, last, DisplayRotation(ist.st));
    if (!last)
        return false;
    if (enc->width != src.width || enc->height != src.height) {
        std::snprintf(args, sizeof args, "w=%d:h=%d:flags=0x%X", enc->width, enc->height, ost.scaler_flags);
        if (!chain("scale", "scale", args))
            return false;
    }
    std::snprintf(args, sizeof args, "flags=0x%X", ost.scaler_flags);
    graph->scale_sws_opts = av_strdup(args);

    // Stored descriptions may hold fragments of older filter builds (rotation, subtitles).
    const std::string description =
        RewriteLegacyFilterFragments(engine_.options().FilterOptions()->VideoFilters().toStdString());
    if (!LinkThroughDescription(graph, last, out.sink, description) ||
        avfilter_graph_config(graph, nullptr) < 0)
        return false;
    KeepSourceParameters(out, src);
    out.graph_closed = false;
    return true;
}

void FramePathsImpl::KeepSourceParameters(OutputEncodeState& out, const SourceParameters& src) {
    out.source_params.format = src.format;
    out.source_params.rate = src.rate;
    out.source_params.width = src.width;
    out.source_params.height = src.height;
    av_channel_layout_uninit(&out.source_params.layout);
    av_channel_layout_copy(&out.source_params.layout, &src.layout);
}

bool FramePathsImpl::SourceChanged(const OutputEncodeState& out, const AVFrame* frame, bool audio) {
    const SourceParameters& src = out.source_params;
    if (frame->format != src.format)
        return true;
    if (!audio)
        return frame->width != src.width || frame->height != src.height;
    if (frame->sample_rate != src.rate)
        return true;
    // A layout of unknown order is compared by its channel count (the graph took the default one).
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || src.layout.order == AV_CHANNEL_ORDER_UNSPEC)
        return frame->ch_layout.nb_channels != src.layout.nb_channels;
    return av_channel_layout_compare(&frame->ch_layout, &src.layout) != 0;
}

void FramePathsImpl::EncoderOpened(OutputStream& ost) {
    OutputEncodeState& out = Out(ost);
    AVCodecContext* enc = ost.enc_ctx.get();
    // Encoders of fixed frame size get exactly that many samples a frame (the last one short).
    if (ost.type == AVMEDIA_TYPE_AUDIO && out.sink && enc->frame_size > 0 &&
        !(ost.encoder->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
        av_buffersink_set_frame_size(out.sink, static_cast<unsigned>(enc->frame_size));
}

} // namespace vc
