#pragma once
// Where the program's message boxes go: a dialog in the desktop application, stderr in vconv,
// a recorder in tests. Any thread may show a message; the sink decides how to reach its user.
#include <string>

namespace vc {

enum class MessageKind { Error, Warning, Information };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Show(MessageKind kind, const std::string& caption, const std::string& text) = 0;
    // A yes/no question; true means yes. Sinks that cannot ask answer no.
    virtual bool Confirm(const std::string& caption, const std::string& text) = 0;
};

// Makes `sink` the current sink (nullptr restores the stderr sink) and returns the previous one.
// The caller keeps ownership and must keep the sink alive while it is installed.
MessageSink* InstallMessageSink(MessageSink* sink);
MessageSink& CurrentMessageSink();

// Writes "caption: text" lines to stderr and answers every question with no.
class StderrMessageSink final : public MessageSink {
public:
    void Show(MessageKind kind, const std::string& caption, const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;
};

} // namespace vc
