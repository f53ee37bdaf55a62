// Where an output is written until it is complete. A file goes under a hidden temporary name
// beside its target, a picture sequence into a hidden temporary folder; CommitOutputs writes the
// trailers, checks every write and only then moves the result over the target. Until then an
// earlier file of the target's name is left as it was, and a failed run leaves nothing behind.
#include "engine/converter/output_staging.h"

#include "engine/converter/conversion_engine.h"
#include "engine/media/ff_error.h"
#include "platform/error.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <system_error>

namespace vc {

namespace fs = std::filesystem;

namespace {

const std::string kTemporarySuffix = ".vconv-part";

std::string TemporaryPrefix(const fs::path& target) {
    std::string name = target.filename().string();
    std::replace(name.begin(), name.end(), '%', '_');
    return "." + name + ".";
}

fs::path FolderOf(const fs::path& target) {
    return target.parent_path().empty() ? fs::path(".") : target.parent_path();
}

void CreateFolderOf(const fs::path& target) {
    std::error_code ec;
    if (!target.parent_path().empty())
        fs::create_directories(target.parent_path(), ec); // a failure shows when opening
}

void SetUrl(AVFormatContext* ctx, const std::string& url) {
    av_freep(&ctx->url);
    ctx->url = av_strdup(url.c_str());
}

// Runs of this process, so two runs to one target never share a temporary name.
std::atomic<unsigned> runs_started{0};

// The process that wrote a temporary name's "<pid>" or "<pid>-<run>" part, or 0 when the name is
// not one of ours.
pid_t WriterOf(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() + kTemporarySuffix.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - kTemporarySuffix.size(), kTemporarySuffix.size(), kTemporarySuffix) != 0)
        return 0;
    std::string tag = name.substr(prefix.size(), name.size() - prefix.size() - kTemporarySuffix.size());
    const size_t dash = tag.find('-');
    std::string run;
    if (dash != std::string::npos) {
        run = tag.substr(dash + 1);
        tag.resize(dash);
        if (run.empty() || run.size() > 9 || !std::all_of(run.begin(), run.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c)) != 0;
            }))
            return 0;
    }
    if (tag.empty() || tag.size() > 9 || !std::all_of(tag.begin(), tag.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        }))
        return 0;
    return static_cast<pid_t>(std::stol(tag));
}

// Only a run whose process is gone: a live one (or a process that took its number over) keeps
// what it has, and so does every run of this process.
bool WriterIsGone(pid_t pid) {
    return pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

int RemoveAbandoned(const fs::path& folder, const std::function<pid_t(const std::string&)>& writer_of) {
    int removed_count = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const pid_t pid = writer_of(it->path().filename().string());
        if (!WriterIsGone(pid))
            continue;
        std::error_code removed;
        if (fs::remove_all(it->path(), removed) > 0 && !removed)
            ++removed_count;
    }
    return removed_count;
}

} // namespace

std::string TemporaryOutputName(const std::string& target) {
    const fs::path path(target);
    const unsigned run = ++runs_started;
    return (path.parent_path() / (TemporaryPrefix(path) + std::to_string(::getpid()) + "-" +
                                  std::to_string(run) + kTemporarySuffix))
        .string();
}

int RemoveAbandonedTemporaries(const std::string& target) {
    const fs::path path(target);
    const std::string prefix = TemporaryPrefix(path);
    return RemoveAbandoned(FolderOf(path), [&](const std::string& name) { return WriterOf(name, prefix); });
}

int SweepAbandonedTemporaries(const std::string& folder) {
    return RemoveAbandoned(fs::path(folder.empty() ? std::string(".") : folder),
                           [](const std::string& name) -> pid_t {
                               // ".<target name>.<tag>.vconv-part": the tag is the last dot-separated part.
                               if (name.size() <= kTemporarySuffix.size() + 2 || name[0] != '.')
                                   return 0;
                               const size_t dot = name.rfind('.', name.size() - kTemporarySuffix.size() - 1);
                               if (dot == std::string::npos || dot == 0)
                                   return 0;
                               return WriterOf(name, name.substr(0, dot + 1));
                           });
}

// Opens the output for writing once the run has its slot. The format was chosen from the
// target's name; only the place written to differs.
void ConversionEngine::OpenOutputFile(OutputFile& of) {
    if (of.sequence) {
        const fs::path pattern(of.path);
        CreateFolderOf(pattern);
        RemoveAbandonedTemporaries(pattern.string());
        of.temp_name = TemporaryOutputName(pattern.string());
        std::error_code ec;
        fs::create_directory(of.temp_name, ec);
        if (ec)
            throw OutputOpenError("Could not open file: " + of.path + ": " + ec.message());
        of.created_file = true;
        SetUrl(of.ctx.get(), (fs::path(of.temp_name) / pattern.filename()).string());
        return;
    }
    if (of.ctx->oformat->flags & AVFMT_NOFILE)
        return;
    std::string target = of.name;
    if (of.local) {
        CreateFolderOf(of.path);
        RemoveAbandonedTemporaries(of.path);
        of.temp_name = TemporaryOutputName(of.path);
        target = of.temp_name;
        // Muxers that reopen their file (a moved index) must find the temporary one.
        SetUrl(of.ctx.get(), target);
    }
    const int ret = avio_open2(&of.ctx->pb, target.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr);
    if (ret < 0)
        throw OutputOpenError("Could not open file: " + of.Shown() + ": " + FfErrorText(ret));
    of.created_file = true;
}

void ConversionEngine::CommitOutputs() {
    for (auto& of : output_files_) {
        if (!of.header_written)
            continue;
        const std::string& shown = of.Shown();
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
        if (of.sequence) {
            // Picture by picture: each replaces an earlier picture of its name.
            const fs::path folder = FolderOf(of.path);
            std::error_code ec;
            for (fs::directory_iterator it(of.temp_name, ec), end; !ec && it != end; it.increment(ec)) {
                std::error_code moved;
                fs::rename(it->path(), folder / it->path().filename(), moved);
                if (moved)
                    throw Error("Could not move " + it->path().string() + " to " + folder.string() + ": " +
                                moved.message());
            }
            if (ec)
                throw Error("Could not read " + of.temp_name + ": " + ec.message());
            fs::remove(of.temp_name, ec);
        } else if (!of.temp_name.empty()) {
            std::error_code ec;
            fs::rename(of.temp_name, of.path, ec);
            if (ec)
                throw Error("Could not move " + of.temp_name + " to " + of.path + ": " + ec.message());
        }
        of.committed = true;
    }
}

} // namespace vc
