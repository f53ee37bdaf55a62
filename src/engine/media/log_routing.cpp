#include "engine/media/log_routing.h"

#include "platform/message_sink.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <cstdio>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>
#include <unordered_set>

namespace vc {

namespace {

struct Registry {
    std::shared_mutex mutex;                                          // guards both tables
    std::unordered_map<std::thread::id, LibraryLogTarget*> by_thread; // worker threads
    std::unordered_set<LibraryLogTarget*> live_targets;               // trusted `opaque` values
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

LibraryLogTarget* TrustedTarget(void* opaque) {
    if (!opaque)
        return nullptr;
    auto* candidate = static_cast<LibraryLogTarget*>(opaque);
    Registry& r = TheRegistry();
    std::shared_lock lock(r.mutex);
    return r.live_targets.count(candidate) ? candidate : nullptr;
}

// The target named by the logging object, judged by its class (pointer identity, so a private
// options class of a codec is never taken for a codec context).
LibraryLogTarget* TargetOfObject(void* object) {
    if (!object)
        return nullptr;
    const AVClass* cls = *static_cast<const AVClass* const*>(object);
    if (!cls)
        return nullptr;
    if (cls == avcodec_get_class())
        return TrustedTarget(static_cast<AVCodecContext*>(object)->opaque);
    if (cls == avformat_get_class())
        return TrustedTarget(static_cast<AVFormatContext*>(object)->opaque);
    if (cls == avfilter_get_class()) {
        auto* filter = static_cast<AVFilterContext*>(object);
        return filter->graph ? TrustedTarget(filter->graph->opaque) : nullptr;
    }
    return nullptr;
}

void LogCallback(void* library_object, int level, const char* format, va_list args) {
    try {
        LibraryLogTarget* target = ThreadRegistry::Find(std::this_thread::get_id());
        if (!target)
            target = TargetOfObject(library_object);
        // Filtering before formatting spares the trace and debug lines the formatting cost.
        if (!target || level > target->LibraryLogLevel())
            return;
        va_list copy;
        va_copy(copy, args);
        std::string text = FormatLibraryLogLine(format, copy);
        va_end(copy);
        target->LibraryLogLine(level, text);
    } catch (...) {
        // A log line must never unwind through the library.
    }
}

} // namespace

void LibraryLogTarget::RunError(const std::string& text) {
    CurrentMessageSink().Show(MessageKind::Error, "Error", text);
}

void ThreadRegistry::Add(std::thread::id thread, LibraryLogTarget* target) {
    Registry& r = TheRegistry();
    std::unique_lock lock(r.mutex);
    r.by_thread[thread] = target;
}

void ThreadRegistry::Remove(std::thread::id thread) {
    Registry& r = TheRegistry();
    std::unique_lock lock(r.mutex);
    r.by_thread.erase(thread);
}

LibraryLogTarget* ThreadRegistry::Find(std::thread::id thread) {
    Registry& r = TheRegistry();
    std::shared_lock lock(r.mutex);
    auto it = r.by_thread.find(thread);
    return it == r.by_thread.end() ? nullptr : it->second;
}

std::size_t ThreadRegistry::Count() {
    Registry& r = TheRegistry();
    std::shared_lock lock(r.mutex);
    return r.by_thread.size();
}

void RegisterLogTarget(LibraryLogTarget* target) {
    Registry& r = TheRegistry();
    std::unique_lock lock(r.mutex);
    r.live_targets.insert(target);
}

void UnregisterLogTarget(LibraryLogTarget* target) {
    Registry& r = TheRegistry();
    std::unique_lock lock(r.mutex);
    r.live_targets.erase(target);
}

void TagLogTarget(AVCodecContext* ctx, LibraryLogTarget* target) {
    if (ctx)
        ctx->opaque = target;
}
void TagLogTarget(AVFormatContext* ctx, LibraryLogTarget* target) {
    if (ctx)
        ctx->opaque = target;
}
void TagLogTarget(AVFilterGraph* graph, LibraryLogTarget* target) {
    if (graph)
        graph->opaque = target;
}

void InstallLibraryLogCallback() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(LogCallback); });
}

std::string FormatLibraryLogLine(const char* format, va_list args) {
    char buffer[kLibraryLogLineBytes + 1];
    int written = std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    if (written < 0)
        return {};
    std::size_t length = static_cast<std::size_t>(written);
    if (length <= kLibraryLogLineBytes)
        return std::string(buffer, length);
    length = kLibraryLogLineBytes;
    // Drop a multi-byte character that the cut split: walk back over continuation bytes to its
    // lead byte and keep the character only when all of its bytes fit.
    std::size_t lead = length;
    while (lead > 0 && (static_cast<unsigned char>(buffer[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0) {
        unsigned char c = static_cast<unsigned char>(buffer[lead - 1]);
        std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (need > 1 && length - (lead - 1) < need)
            length = lead - 1;
    }
    return std::string(buffer, length);
}

void RouteLibraryLogLine(void* library_object, int level, const std::string& text) {
    LibraryLogTarget* target = ThreadRegistry::Find(std::this_thread::get_id());
    if (!target)
        target = TargetOfObject(library_object);
    if (target && level <= target->LibraryLogLevel())
        target->LibraryLogLine(level, text);
}

} // namespace vc
