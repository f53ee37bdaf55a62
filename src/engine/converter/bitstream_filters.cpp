#include "engine/converter/bitstream_filters.h"

#include "engine/media/show_error.h"

namespace vc {

void BitstreamFilterChain::Parse(const QStringList& names) {
    names_.clear();
    ctx_.reset();
    for (int i = 0; i < names.size(); ++i) {
        const std::string name = names[i].toStdString();
        if (!av_bsf_get_by_name(name.c_str())) {
            ShowError("Invalid BitstreamFilter " + name);
            if (i == 0)
                return;
            continue;
        }
        names_.push_back(name);
    }
}

void BitstreamFilterChain::Init(AVStream* st) {
    ctx_.reset();
    if (names_.empty())
        return;
    std::string list;
    for (const auto& n : names_)
        list += (list.empty() ? "" : ",") + n;
    AVBSFContext* raw = nullptr;
    if (av_bsf_list_parse_str(list.c_str(), &raw) < 0)
        return;
    BsfContextPtr ctx(raw);
    if (avcodec_parameters_copy(ctx->par_in, st->codecpar) < 0)
        return;
    ctx->time_base_in = st->time_base;
    if (av_bsf_init(ctx.get()) < 0)
        return;
    if (avcodec_parameters_copy(st->codecpar, ctx->par_out) < 0)
        return;
    ctx_ = std::move(ctx);
}

void BitstreamFilterChain::Filter(AVPacket* pkt, const std::function<void(AVPacket*)>& write) {
    if (!ctx_) {
        write(pkt);
        return;
    }
    if (av_bsf_send_packet(ctx_.get(), pkt) < 0) {
        av_packet_unref(pkt);
        return;
    }
    Drain(pkt, write);
}

void BitstreamFilterChain::Flush(const std::function<void(AVPacket*)>& write) {
    if (!ctx_)
        return;
    if (av_bsf_send_packet(ctx_.get(), nullptr) < 0)
        return;
    PacketPtr pkt(av_packet_alloc());
    if (pkt)
        Drain(pkt.get(), write);
}

void BitstreamFilterChain::Drain(AVPacket* pkt, const std::function<void(AVPacket*)>& write) {
    while (av_bsf_receive_packet(ctx_.get(), pkt) >= 0) {
        write(pkt);
        av_packet_unref(pkt);
    }
}

} // namespace vc
