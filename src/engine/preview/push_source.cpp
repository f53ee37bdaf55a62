// Construction, opening, decoders, the two filter graphs, configuration and live reconfiguration
// of the preview source. The decoding thread is in push_source_decode.cpp.
#include "engine/preview/push_source.h"

#include "engine/media/display_rotation.h"
#include "engine/media/ff_error.h"
#include "platform/error.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cassert>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace vc {

namespace {

std::string Trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string Format(const char* fmt, const std::string& arg) {
    std::string out = fmt;
    const auto pos = out.find("%s");
    if (pos != std::string::npos)
        out.replace(pos, 2, arg);
    return out;
}

void CheckLeftoverOptions(AVDictionary* dict) {
    if (const AVDictionaryEntry* e = av_dict_get(dict, "", nullptr, AV_DICT_IGNORE_SUFFIX))
        throw Error(Format("Option %s not found!", e->key));
}

void CheckIndex(int index, size_t count) {
    if (index < 0 || static_cast<size_t>(index) >= count)
        throw Error("Assertion failed: stream index out of range (Converter/UPushSource)");
}

} // namespace

TFFPushSource::TFFPushSource(const std::string& object_name) : TBCSourceSeeking(object_name) {
    video_pin_ = std::make_unique<TBCPushPinBitmap>(this);
    audio_pin_ = std::make_unique<TBCPushPinWav>(this);
}

TFFPushSource::~TFFPushSource() {
    // The pin workers call into this object: end them first, then the decoding thread.
    BaseFilter::Stop();
    video_pin_->Inactive();
    audio_pin_->Inactive();
    if (decoding_thread_.joinable()) {
        {
            std::lock_guard lock(seek_lock_);
            terminate_ = true;
        }
        WakeDecoder();
        decoding_thread_.join();
    }
    audio_pin_.reset();
    video_pin_.reset();
    video_graph_.reset();
    audio_graph_.reset();
    audio_dec_.reset();
    subtitle_dec_.reset();
    video_dec_.reset();
    container_.Reset();
}

SourceStream* TFFPushSource::GetPin(int index) {
    if (index == 0)
        return video_pin_.get();
    if (index == 1)
        return audio_pin_.get();
    return nullptr;
}

// --- file source --------------------------------------------------------------------------------

HResult TFFPushSource::Load(const std::string& file_name, const MediaType* type) {
    if (file_name.empty())
        return E_POINTER;
    if (loaded_)
        return VFW_E_WRONG_STATE; // one load per instance
    {
        std::lock_guard lock(seek_lock_);
        if (type) {
            load_type_ = *type;
        } else {
            load_type_ = MediaType{};
            load_type_.major = MajorType::Stream;
        }
    }
    // vc::Error (option and graph messages, an unregistered "stream:" number) reaches the caller.
    try {
        Open(file_name);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!container_)
        return E_FAIL;
    file_name_ = file_name;
    load_type_.temporal_compression = true;
    load_type_.sample_size = 1;
    loaded_ = true;
    thread_running_ = true;
    try {
        decoding_thread_ = std::thread([this] { DecodingThread(); });
    } catch (const std::system_error& e) {
        thread_running_ = false;
        return static_cast<HResult>(0x80070000 | (e.code().value() & 0xFFFF));
    }
    return S_OK;
}

HResult TFFPushSource::GetCurFile(std::string* file_name, MediaType* type) {
    if (!file_name)
        return E_POINTER;
    *file_name = loaded_ ? file_name_ : std::string();
    if (type) {
        std::lock_guard lock(seek_lock_);
        *type = load_type_;
    }
    return S_OK;
}

int TFFPushSource::InterruptOpen(void* self) {
    const auto* source = static_cast<const TFFPushSource*>(self);
    const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
    return source->terminate_ || now > source->open_deadline_ns_ ? 1 : 0;
}

void TFFPushSource::Open(const std::string& file_name) {
    // Opening failures leave container_ empty; Load turns that into E_FAIL. Opening and probing
    // give up after kOpenTimeout, so a drive that does not answer cannot hold up the caller for
    // long; reading later is not limited.
    constexpr auto kOpenTimeout = std::chrono::seconds(20);
    open_deadline_ns_ = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            (std::chrono::steady_clock::now() + kOpenTimeout).time_since_epoch())
                            .count();
    struct DeadlineEnd {
        std::atomic<int64_t>& deadline;
        ~DeadlineEnd() { deadline = INT64_MAX; }
    } deadline_end{open_deadline_ns_};
    const AVIOInterruptCB interrupt{&TFFPushSource::InterruptOpen, this};
    Dictionary format_options;
    InputContext ic;
    if (OpenInput(ic, file_name, nullptr, format_options.address(), &interrupt) < 0)
        return;
    CheckLeftoverOptions(format_options.get());

    // MPEG program streams and the like announce their streams only while they are read.
    if (ic->ctx_flags & AVFMTCTX_NOHEADER) {
        ic->probesize *= 10;
        ic->max_analyze_duration *= 10;
        if (ic->pb)
            ic->pb->max_packet_size = 2097152;
    }
    if (avformat_find_stream_info(ic.get(), nullptr) < 0)
        return;
    if (ic->pb)
        ic->pb->eof_reached = 0;

    std::lock_guard lock(reconfig_lock_);
    video_streams_.clear();
    audio_streams_.clear();
    subtitle_streams_.clear();
    cur_video_ = cur_audio_ = cur_subtitle_ = -1;
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        switch (ic->streams[i]->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
            if (ic->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC)
                break; // cover art is no video to play
            video_streams_.push_back(static_cast<int>(i));
            break;
        case AVMEDIA_TYPE_AUDIO:
            if (!disable_audio_)
                audio_streams_.push_back(static_cast<int>(i));
            break;
        case AVMEDIA_TYPE_SUBTITLE: subtitle_streams_.push_back(static_cast<int>(i)); break;
        default: break;
        }
    }
    if (video_streams_.empty() && audio_streams_.empty())
        return;
    cur_video_ = video_streams_.empty() ? -1 : 0;
    cur_audio_ = audio_streams_.empty() ? -1 : 0;
    cur_subtitle_ = subtitle_streams_.empty() ? -1 : 0;
    container_ = std::move(ic);
    passes_ = std::max(1, loop_count_.load());

    try {
        if (!video_streams_.empty()) {
            OpenStream(Kind::Video);
            if (!subtitle_streams_.empty())
                OpenStream(Kind::Subtitle);
        }
        if (!audio_streams_.empty())
            OpenStream(Kind::Audio);
    } catch (...) {
        container_.Reset();
        throw;
    }
    UpdateOrigin();

    std::lock_guard seek(seek_lock_);
    const int64_t duration_us = container_->duration == AV_NOPTS_VALUE ? 0 : container_->duration;
    single_pass_duration_ = duration_us * 10;
    duration_ = single_pass_duration_ * passes_;
    stop_ = start_ + duration_;
}

void TFFPushSource::UpdateOrigin() {
    const AVStream* st = video_st_ ? video_st_ : audio_st_;
    origin_seconds_ = (st && st->start_time != AV_NOPTS_VALUE) ? st->start_time * av_q2d(st->time_base) : 0.0;
}

double TFFPushSource::PacketSeconds(int64_t ts, const AVStream* st) const {
    return ts * av_q2d(st->time_base) - origin_seconds_;
}

// --- decoders -----------------------------------------------------------------------------------

void TFFPushSource::OpenStream(Kind kind) {
    const std::vector<int>& list = kind == Kind::Video   ? video_streams_
                                   : kind == Kind::Audio ? audio_streams_
                                                         : subtitle_streams_;
    const int cur = kind == Kind::Video ? cur_video_ : kind == Kind::Audio ? cur_audio_ : cur_subtitle_;
    if (cur < 0 || static_cast<size_t>(cur) >= list.size())
        return;
    AVStream* st = container_->streams[list[static_cast<size_t>(cur)]];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec)
        return; // no decoder: this kind does not play
    CodecContextPtr dec(avcodec_alloc_context3(codec));
    if (!dec || avcodec_parameters_to_context(dec.get(), st->codecpar) < 0)
        return;
    dec->pkt_timebase = st->time_base;
    dec->workaround_bugs = FF_BUG_AUTODETECT;
    dec->err_recognition = AV_EF_CAREFUL;
    dec->idct_algo = FF_IDCT_AUTO;
    dec->error_concealment = FF_EC_GUESS_MVS | FF_EC_DEBLOCK;
    dec->thread_count = std::max(0, thread_count_.load());
    Dictionary codec_options;
    if (avcodec_open2(dec.get(), codec, codec_options.address()) < 0)
        return; // cannot be opened: this kind does not play
    CheckLeftoverOptions(codec_options.get());
    st->discard = AVDISCARD_DEFAULT;

    switch (kind) {
    case Kind::Audio:
        audio_ready_ = false;
        audio_dec_ = std::move(dec);
        audio_st_ = st;
        if (audio_dec_->sample_rate <= 0 || audio_dec_->ch_layout.nb_channels <= 0)
            return;
        if (!audio_frame_)
            audio_frame_.reset(av_frame_alloc());
        if (!audio_block_)
            audio_block_.reset(av_frame_alloc());
        BuildAudioGraph();
        break;
    case Kind::Video:
        video_ready_ = false;
        video_dec_ = std::move(dec);
        video_st_ = st;
        {
            AVRational rate = st->avg_frame_rate;
            if (rate.num <= 0 || rate.den <= 0)
                rate = st->r_frame_rate;
            frame_duration_ = rate.num > 0 && rate.den > 0 && av_q2d(rate) <= 1000
                                  ? av_rescale(kUnitsPerSecond, rate.den, rate.num)
                                  : kUnitsPerSecond / 25;
        }
        if (!decoded_frame_)
            decoded_frame_.reset(av_frame_alloc());
        if (!output_frame_)
            output_frame_.reset(av_frame_alloc());
        // A stream whose pictures the probe never saw (a fragmented MP4's first segment) has no
        // picture format to build a graph for: there is no video to show.
        if (decoded_frame_ && output_frame_ && video_dec_->pix_fmt != AV_PIX_FMT_NONE &&
            video_dec_->width > 0)
            BuildVideoGraph();
        break;
    case Kind::Subtitle:
        subtitle_dec_ = std::move(dec);
        subtitle_st_ = st;
        break;
    }
}

void TFFPushSource::CloseStream(Kind kind) {
    switch (kind) {
    case Kind::Video:
        video_ready_ = false;
        video_graph_.reset();
        video_src_ = video_out_ = nullptr;
        video_dec_.reset();
        video_st_ = nullptr;
        break;
    case Kind::Audio:
        audio_ready_ = false;
        audio_graph_.reset();
        audio_src_ = audio_out_ = nullptr;
        audio_dec_.reset();
        audio_st_ = nullptr;
        break;
    case Kind::Subtitle:
        subtitle_dec_.reset();
        subtitle_st_ = nullptr;
        break;
    }
}

// --- filter graphs ------------------------------------------------------------------------------

// Builds the new graph aside and swaps it in only when it works, so a bad filter text leaves the
// running graph as it was.
void TFFPushSource::BuildVideoGraph() {
    FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph)
        throw Error("Can not create filter");
    const std::string sws = "flags=" + std::to_string(scaler_flags_.load());
    graph->scale_sws_opts = av_strdup(sws.c_str());

    const AVCodecContext* dec = video_dec_.get();
    AVRational sar = dec->sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0)
        sar = AVRational{0, 1};
    AVRational tb = video_st_->time_base;
    char args[512];
    std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d",
                  dec->width, dec->height, static_cast<int>(dec->pix_fmt), tb.num, tb.den, sar.num, sar.den);
    const AVRational fr = av_guess_frame_rate(container_.get(), video_st_, nullptr);
    if (fr.num > 0 && fr.den > 0)
        std::snprintf(args + std::strlen(args), sizeof args - std::strlen(args), ":frame_rate=%d/%d", fr.num,
                      fr.den);
    AVFilterContext* src = nullptr;
    AVFilterContext* out = nullptr;
    if (avfilter_graph_create_filter(&src, avfilter_get_by_name("buffer"), "src", args, nullptr,
                                     graph.get()) < 0)
        throw Error("Can not create filter");
    if (avfilter_graph_create_filter(&out, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                     graph.get()) < 0)
        throw Error("Can not create filter");
    const AVPixelFormat fmts[] = {ShowMode() == smRgb32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_YUV420P,
                                  AV_PIX_FMT_NONE};
    if (av_opt_set_int_list(out, "pix_fmts", fmts, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN) < 0)
        throw Error("Can not create filter");

    // Pictures stored turned (phone clips) are shown upright, before the user's filters.
    AVFilterContext* head = LinkUprightFilters(graph.get(), src, DisplayRotation(video_st_));
    if (!head)
        throw Error("Can not create filter");

    const std::string filters = Trimmed(video_filters_);
    if (!filters.empty()) {
        FilterInOutPtr outputs(avfilter_inout_alloc());
        FilterInOutPtr inputs(avfilter_inout_alloc());
        if (!outputs || !inputs)
            throw Error("Can not create filter");
        outputs->name = av_strdup("in");
        outputs->filter_ctx = head;
        outputs->pad_idx = 0;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = out;
        inputs->pad_idx = 0;
        AVFilterInOut* in_raw = inputs.release();
        AVFilterInOut* out_raw = outputs.release();
        const int rc = avfilter_graph_parse_ptr(graph.get(), filters.c_str(), &in_raw, &out_raw, nullptr);
        avfilter_inout_free(&in_raw);
        avfilter_inout_free(&out_raw);
        if (rc < 0)
            throw Error(Format("Parse Graph Failed with Filter %s", video_filters_));
    } else if (avfilter_link(head, 0, out, 0) < 0) {
        throw Error("line filter failed");
    }
    if (avfilter_graph_config(graph.get(), nullptr) < 0)
        throw Error("config graph failed");
    video_graph_ = std::move(graph);
    video_in_w_ = dec->width;
    video_in_h_ = dec->height;
    video_in_fmt_ = dec->pix_fmt;
    video_src_ = src;
    video_out_ = out;
    out_width_ = av_buffersink_get_w(out);
    out_height_ = av_buffersink_get_h(out);
    video_ready_ = true;
}

void TFFPushSource::BuildAudioGraph() {
    FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph)
        throw Error("Can not create filter");
    AVCodecContext* dec = audio_dec_.get();
    if (dec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        const int n = dec->ch_layout.nb_channels;
        av_channel_layout_uninit(&dec->ch_layout);
        av_channel_layout_default(&dec->ch_layout, n);
    }
    char layout[128] = {0};
    av_channel_layout_describe(&dec->ch_layout, layout, sizeof layout);
    char args[512];
    std::snprintf(args, sizeof args, "time_base=1/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                  dec->sample_rate, dec->sample_rate, av_get_sample_fmt_name(dec->sample_fmt), layout);
    AVFilterContext* src = nullptr;
    AVFilterContext* out = nullptr;
    if (avfilter_graph_create_filter(&src, avfilter_get_by_name("abuffer"), "asrc", args, nullptr,
                                     graph.get()) < 0)
        throw Error("Can not create filter");
    if (avfilter_graph_create_filter(&out, avfilter_get_by_name("abuffersink"), "aout", nullptr, nullptr,
                                     graph.get()) < 0)
        throw Error("Can not create filter");
    // At most two channels reach the pin: mono stays mono, everything else is mixed to stereo.
    const AVSampleFormat fmts[] = {AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_NONE};
    const char* out_layout = dec->ch_layout.nb_channels == 1 ? "mono" : "stereo";
    if (av_opt_set_int_list(out, "sample_fmts", fmts, AV_SAMPLE_FMT_NONE, AV_OPT_SEARCH_CHILDREN) < 0 ||
        av_opt_set(out, "ch_layouts", out_layout, AV_OPT_SEARCH_CHILDREN) < 0)
        throw Error("Can not create filter");

    const std::string filters = Trimmed(audio_filters_);
    if (!filters.empty()) {
        AVFilterInOut* outputs = avfilter_inout_alloc();
        AVFilterInOut* inputs = avfilter_inout_alloc();
        if (outputs && inputs) {
            outputs->name = av_strdup("in");
            outputs->filter_ctx = src;
            inputs->name = av_strdup("out");
            inputs->filter_ctx = out;
        }
        const int rc = (outputs && inputs) ? avfilter_graph_parse_ptr(graph.get(), filters.c_str(), &inputs,
                                                                      &outputs, nullptr)
                                           : AVERROR(ENOMEM);
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        if (rc < 0)
            throw Error("Can not create filter");
    } else if (avfilter_link(src, 0, out, 0) < 0) {
        throw Error("Can not create filter");
    }
    if (avfilter_graph_config(graph.get(), nullptr) < 0)
        throw Error("Can not create filter");
    audio_graph_ = std::move(graph);
    audio_in_fmt_ = dec->sample_fmt;
    audio_in_rate_ = dec->sample_rate;
    audio_in_channels_ = dec->ch_layout.nb_channels;
    audio_in_mask_ = dec->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? dec->ch_layout.u.mask : 0;
    audio_src_ = src;
    audio_out_ = out;
    AVChannelLayout sink_layout{};
    av_buffersink_get_ch_layout(out, &sink_layout);
    audio_pin_->SetAudioFormat(sink_layout.nb_channels, av_buffersink_get_sample_rate(out));
    av_channel_layout_uninit(&sink_layout);
    audio_ready_ = true;
}

bool TFFPushSource::VideoPathReady() const {
    return video_ready_.load();
}
bool TFFPushSource::AudioPathReady() const {
    return audio_ready_.load();
}

// --- configuration ------------------------------------------------------------------------------

bool TFFPushSource::HasVideo() {
    return !video_streams_.empty() && (!loaded_ || video_ready_);
}

bool TFFPushSource::HasAudio() {
    return !audio_streams_.empty() && !disable_audio_ && (!loaded_ || audio_ready_);
}

bool TFFPushSource::HasSubtitle() {
    return !subtitle_streams_.empty();
}

void TFFPushSource::SetVideoFilters(const std::string& filters) {
    std::lock_guard lock(reconfig_lock_);
    const std::string previous = video_filters_;
    video_filters_ = filters;
    if (!thread_running_ || !video_dec_ || !decoded_frame_)
        return;
    try {
        BuildVideoGraph();
    } catch (...) {
        video_filters_ = previous; // the running graph stays
        throw;
    }
    video_pin_->ClearQueues();
    video_pin_->RenegotiateFormat();
}

void TFFPushSource::SetAudioFilters(const std::string& filters) {
    std::lock_guard lock(reconfig_lock_);
    const std::string previous = audio_filters_;
    audio_filters_ = filters;
    if (!thread_running_ || !HasAudio() || !audio_dec_)
        return;
    try {
        BuildAudioGraph();
    } catch (...) {
        audio_filters_ = previous;
        throw;
    }
    audio_pin_->ClearQueues();
    audio_pin_->RenegotiateFormat();
}

void TFFPushSource::SetDisableAudio(bool disable) {
    disable_audio_ = disable;
}

void TFFPushSource::SetOnBuffer(TFFOnBufferEvent event) {
    std::lock_guard lock(events_mutex_);
    on_buffer_ = std::move(event);
}

void TFFPushSource::SetOnAudioBuffer(TFFOnAudioBufferEvent event) {
    std::lock_guard lock(events_mutex_);
    on_audio_buffer_ = std::move(event);
}

void TFFPushSource::SetLoopCount(int count) {
    if (count < 1)
        throw Error("Loop count must be larger than 0");
    loop_count_ = count;
}

int TFFPushSource::GetAudioStreamCount() {
    return static_cast<int>(audio_streams_.size());
}
int TFFPushSource::GetVideoStreamCount() {
    return static_cast<int>(video_streams_.size());
}
int TFFPushSource::GetSubtitleStreamCount() {
    return static_cast<int>(subtitle_streams_.size());
}

int TFFPushSource::GetVideoWidth() {
    if (video_streams_.empty())
        return 0;
    return out_width_.load();
}

int TFFPushSource::GetVideoHeight() {
    if (video_streams_.empty())
        return 0;
    return out_height_.load();
}

void TFFPushSource::SetVideoStream(int index) {
    std::lock_guard lock(reconfig_lock_);
    if (index == cur_video_)
        return;
    CheckIndex(index, video_streams_.size());
    if (!thread_running_ || video_streams_.empty())
        return;
    cur_video_ = index;
    video_pin_->ClearQueues();
    CloseStream(Kind::Video);
    OpenStream(Kind::Video);
    UpdateOrigin();
    video_pin_->RenegotiateFormat();
}

void TFFPushSource::SetAudioStream(int index) {
    std::lock_guard lock(reconfig_lock_);
    if (index == cur_audio_)
        return;
    CheckIndex(index, audio_streams_.size());
    // The switch needs audio, not video: an audio-only source may switch its track too.
    if (!thread_running_ || audio_streams_.empty() || disable_audio_)
        return;
    cur_audio_ = index;
    audio_pin_->ClearQueues();
    CloseStream(Kind::Audio);
    OpenStream(Kind::Audio);
    UpdateOrigin();
    audio_pin_->RenegotiateFormat();
}

void TFFPushSource::SetSubtitleStream(int index) {
    std::lock_guard lock(reconfig_lock_);
    if (index == cur_subtitle_)
        return;
    CheckIndex(index, subtitle_streams_.size());
    if (!thread_running_ || video_streams_.empty())
        return;
    cur_subtitle_ = index;
    video_pin_->ClearSubtitles();
    CloseStream(Kind::Subtitle);
    OpenStream(Kind::Subtitle);
}

void TFFPushSource::SetShowMode(TAVShowMode mode) {
    show_mode_ = mode;
}

void TFFPushSource::SetThreadCount(int count) {
    thread_count_ = count;
}

void TFFPushSource::FireOnBuffer(uint8_t* buf, int width, int height) {
    TFFOnBufferEvent event;
    {
        std::lock_guard lock(events_mutex_);
        event = on_buffer_;
    }
    if (event)
        event(this, buf, width, height);
}

void TFFPushSource::FireOnAudioBuffer(uint8_t* buf, int size) {
    TFFOnAudioBufferEvent event;
    {
        std::lock_guard lock(events_mutex_);
        event = on_audio_buffer_;
    }
    if (event)
        event(this, buf, size);
}

// --- seeking ------------------------------------------------------------------------------------

HResult TFFPushSource::ChangeStart() {
    // Flush and stop the workers before the decoding thread refills the queues, so that no unit
    // of the new position is taken by a worker that is about to be flushed.
    TBCPushPin* pins[] = {video_pin_.get(), audio_pin_.get()};
    bool stopped[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        if (pins[i]->ThreadExists()) {
            pins[i]->DeliverBeginFlush();
            pins[i]->StopWorker();
            stopped[i] = true;
        }
    }
    {
        std::unique_lock lock(seek_lock_);
        seek_request_ = true;
        WakeDecoder();
        // Bounded: a decoding thread that ended (after an error) never clears the request.
        seek_done_.wait_for(lock, std::chrono::seconds(10),
                            [&] { return !seek_request_ || !thread_running_; });
        if (!thread_running_) {
            seek_request_ = false;
            end_of_input_ = true;
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (stopped[i]) {
            pins[i]->DeliverEndFlush();
            pins[i]->RunWorker();
        }
    }
    return S_OK;
}

} // namespace vc
