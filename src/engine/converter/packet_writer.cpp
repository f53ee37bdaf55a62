// The packet writer: the stream's bitstream filters, then the interleaving muxer.
#include "engine/converter/conversion_engine.h"
#include "engine/media/ff_error.h"
#include "platform/error.h"

#include <algorithm>

namespace vc {

void ConversionEngine::WritePacket(OutputStream& ost, AVPacket* pkt, int64_t* bytes) {
    std::lock_guard lock(write_mutex_);
    if (bytes)
        *bytes += pkt->size;
    AVFormatContext* oc = output_files_[ost.file_index].ctx.get();
    auto mux = [&](AVPacket* p) {
        p->stream_index = ost.stream_index;
        // The muxer refuses time stamps that go backwards; nudge them forward as little as
        // possible rather than fail the conversion (damaged inputs, joined recordings).
        if (!(oc->oformat->flags & AVFMT_NOTIMESTAMPS) && p->dts != AV_NOPTS_VALUE &&
            ost.last_mux_dts != AV_NOPTS_VALUE) {
            const int64_t min_dts = ost.last_mux_dts + ((oc->oformat->flags & AVFMT_TS_NONSTRICT) ? 0 : 1);
            if (p->dts < min_dts) {
                if (p->pts != AV_NOPTS_VALUE && p->pts >= p->dts)
                    p->pts = std::max(p->pts, min_dts);
                p->dts = min_dts;
            }
        }
        if (p->pts != AV_NOPTS_VALUE && p->dts != AV_NOPTS_VALUE && p->pts < p->dts)
            p->pts = p->dts;
        if (p->dts != AV_NOPTS_VALUE)
            ost.last_mux_dts = p->dts;
        // Where the stream stands: the end of the latest picture or sound it presents.
        const int64_t at = p->pts != AV_NOPTS_VALUE ? p->pts : p->dts;
        if (at != AV_NOPTS_VALUE)
            ost.next_dts = std::max(ost.next_dts, at + std::max<int64_t>(p->duration, 0));
        const int ret = av_interleaved_write_frame(oc, p);
        if (ret < 0)
            throw Error("Could not write to " + output_files_[ost.file_index].Shown() + ": " +
                        FfErrorText(ret));
        ++ost.packets_written;
    };
    ost.bsf.Filter(pkt, mux);
}

void ConversionEngine::FlushOutputs() {
    for (OutputStream* ost : output_streams_) {
        AVFormatContext* oc = output_files_[ost->file_index].ctx.get();
        ost->bsf.Flush([&](AVPacket* p) {
            p->stream_index = ost->stream_index;
            const int ret = av_interleaved_write_frame(oc, p);
            if (ret < 0)
                throw Error("Could not write to " + output_files_[ost->file_index].Shown() + ": " +
                            FfErrorText(ret));
            ++ost->packets_written;
        });
    }
}

} // namespace vc
