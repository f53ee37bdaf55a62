#pragma once
// Routing of the libraries' log lines to the converter that caused them.
//
// The library has one process-wide log callback that receives no converter. A line is routed by:
//  1. the calling thread, when it is a converter's worker thread (ThreadRegistry);
//  2. otherwise the logging object: codec and format contexts and filter graphs that a converter
//     tagged with itself (their `opaque`), which covers the codecs' and filters' own worker
//     threads (frame-thread copies of a codec context inherit `opaque`).
// Lines that match neither are dropped.
#include <cstdarg>
#include <cstddef>
#include <string>
#include <thread>

struct AVCodecContext;
struct AVFormatContext;
struct AVFilterGraph;

namespace vc {

// What a converter offers the router. Targets are called on whichever thread logged.
class LibraryLogTarget {
public:
    // Lines whose level is above this are dropped (the libraries' levels: 16 error, 24 warning,
    // 32 info, 48 debug).
    virtual int LibraryLogLevel() const = 0;
    virtual void LibraryLogLine(int level, const std::string& text) = 0;
    // An error the engine reports on the target's own worker thread (ShowError there): recorded
    // on the target instead of a message box. The default shows it through the message sink.
    virtual void RunError(const std::string& text);

protected:
    ~LibraryLogTarget() = default;
};

// Worker thread -> the target that runs on it. Safe for concurrent use.
class ThreadRegistry {
public:
    static void Add(std::thread::id thread, LibraryLogTarget* target);
    static void Remove(std::thread::id thread);
    static LibraryLogTarget* Find(std::thread::id thread);
    static std::size_t Count();
};

// A target must be registered for the object tags below to be trusted: `opaque` of a library
// object is only followed when it names a registered target, so a foreign `opaque` is harmless.
// Unregister only after every tagged object is freed.
void RegisterLogTarget(LibraryLogTarget* target);
void UnregisterLogTarget(LibraryLogTarget* target);
void TagLogTarget(AVCodecContext* ctx, LibraryLogTarget* target);
void TagLogTarget(AVFormatContext* ctx, LibraryLogTarget* target);
void TagLogTarget(AVFilterGraph* graph, LibraryLogTarget* target);

// Installs the router as the library log callback; later calls do nothing.
void InstallLibraryLogCallback();

// Longest line handed on, in bytes; longer lines are cut.
inline constexpr std::size_t kLibraryLogLineBytes = 1024;

// Formats a library message, cut to kLibraryLogLineBytes (a multi-byte character split by the
// cut is dropped whole so the text stays valid UTF-8). A trailing line break is kept.
std::string FormatLibraryLogLine(const char* format, va_list args);

// The routing step of the callback, on an already formatted line.
void RouteLibraryLogLine(void* library_object, int level, const std::string& text);

} // namespace vc
