#pragma once
// Owning handles for FFmpeg objects: std::unique_ptr with the library's free function as deleter,
// so every early return and every exception releases what was allocated.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace vc {

struct InputFormatContextDeleter {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
// An output context owns its I/O context too, unless the format writes no file.
struct OutputFormatContextDeleter {
    void operator()(AVFormatContext* ctx) const {
        if (ctx && ctx->oformat && !(ctx->oformat->flags & AVFMT_NOFILE))
            avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* pkt) const { av_packet_free(&pkt); }
};
struct DictionaryDeleter {
    void operator()(AVDictionary* dict) const { av_dict_free(&dict); }
};
struct FilterGraphDeleter {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
struct FilterInOutDeleter {
    void operator()(AVFilterInOut* inout) const { avfilter_inout_free(&inout); }
};
struct SwsContextDeleter {
    void operator()(SwsContext* ctx) const { sws_freeContext(ctx); }
};
struct BsfContextDeleter {
    void operator()(AVBSFContext* ctx) const { av_bsf_free(&ctx); }
};
struct AvFreeDeleter {
    void operator()(void* p) const { av_free(p); }
};
struct IoContextDeleter {
    // A custom AVIOContext: its buffer may have been replaced by the library, so free it from
    // the context, then the context.
    void operator()(AVIOContext* io) const {
        if (io)
            av_freep(&io->buffer);
        avio_context_free(&io);
    }
};

using InputFormatContextPtr = std::unique_ptr<AVFormatContext, InputFormatContextDeleter>;
using OutputFormatContextPtr = std::unique_ptr<AVFormatContext, OutputFormatContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
using FilterInOutPtr = std::unique_ptr<AVFilterInOut, FilterInOutDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;
using BsfContextPtr = std::unique_ptr<AVBSFContext, BsfContextDeleter>;
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextDeleter>;
template <typename T> using AvMemoryPtr = std::unique_ptr<T, AvFreeDeleter>;

// A dictionary that the library may replace through an AVDictionary** argument.
class Dictionary {
public:
    Dictionary() = default;
    explicit Dictionary(AVDictionary* owned) : dict_(owned) {}
    ~Dictionary() { av_dict_free(&dict_); }
    Dictionary(Dictionary&& other) noexcept : dict_(other.dict_) { other.dict_ = nullptr; }
    Dictionary& operator=(Dictionary&& other) noexcept {
        if (this != &other) {
            av_dict_free(&dict_);
            dict_ = other.dict_;
            other.dict_ = nullptr;
        }
        return *this;
    }
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    Dictionary Copy() const {
        AVDictionary* copy = nullptr;
        av_dict_copy(&copy, dict_, 0);
        return Dictionary(copy);
    }
    void Clear() { av_dict_free(&dict_); }
    AVDictionary* get() const { return dict_; }
    AVDictionary** address() { return &dict_; }
    int Count() const { return av_dict_count(dict_); }

private:
    AVDictionary* dict_ = nullptr;
};

} // namespace vc
