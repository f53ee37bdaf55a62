// Completing an output: trailer, close, every write checked, then the temporary file moved over
// its target. Until then an earlier file of the target's name is left as it was.
#include "engine/converter/conversion_engine.h"
#include "engine/media/ff_error.h"
#include "platform/error.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace vc {

std::string TemporaryOutputName(const std::string& target) {
    const std::filesystem::path path(target);
    const std::string hidden =
        "." + path.filename().string() + "." + std::to_string(::getpid()) + ".vconv-part";
    return (path.parent_path() / hidden).string();
}

void ConversionEngine::CommitOutputs() {
    for (auto& of : output_files_) {
        if (!of.header_written)
            continue;
        const std::string shown = of.name.rfind("file:", 0) == 0 ? of.name.substr(5) : of.name;
        int ret = av_write_trailer(of.ctx.get());
        if (ret < 0)
            throw Error("Could not finish " + shown + ": " + FfErrorText(ret));
        if (!(of.ctx->oformat->flags & AVFMT_NOFILE) && of.ctx->pb) {
            avio_flush(of.ctx->pb);
            ret = of.ctx->pb->error;
            const int closed = avio_closep(&of.ctx->pb);
            if (ret >= 0)
                ret = closed;
            if (ret < 0)
                throw Error("Could not write to " + shown + ": " + FfErrorText(ret));
        }
        bool any_media = of.streams.empty();
        for (const auto& ost : of.streams)
            any_media = any_media || ost->packets_written > 0;
        if (!any_media)
            throw Error("Nothing was written to " + shown + ": the selection holds no media");
        if (!of.temp_name.empty()) {
            std::error_code ec;
            std::filesystem::rename(of.temp_name, shown, ec);
            if (ec)
                throw Error("Could not move " + of.temp_name + " to " + shown + ": " + ec.message());
        }
        of.committed = true;
    }
}

} // namespace vc
