#include "platform/message_sink.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace vc {

namespace {
StderrMessageSink g_stderr_sink;
std::atomic<MessageSink*> g_current_sink{&g_stderr_sink};
std::mutex g_stderr_mutex; // keeps lines from two threads apart
} // namespace

MessageSink* InstallMessageSink(MessageSink* sink) {
    MessageSink* previous = g_current_sink.exchange(sink ? sink : &g_stderr_sink);
    return previous == &g_stderr_sink ? nullptr : previous;
}

MessageSink& CurrentMessageSink() {
    return *g_current_sink.load();
}

void StderrMessageSink::Show(MessageKind, const std::string& caption, const std::string& text) {
    std::lock_guard lock(g_stderr_mutex);
    if (caption.empty())
        std::fprintf(stderr, "%s\n", text.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

bool StderrMessageSink::Confirm(const std::string& caption, const std::string& text) {
    Show(MessageKind::Warning, caption, text);
    return false;
}

} // namespace vc
