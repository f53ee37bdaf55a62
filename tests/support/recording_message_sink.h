#pragma once
// A message sink for tests: installs itself for its lifetime and records every message.
#include "platform/message_sink.h"

#include <mutex>
#include <string>
#include <vector>

namespace vc::test {

struct RecordedMessage {
    MessageKind kind;
    std::string caption;
    std::string text;
};

class RecordingMessageSink final : public MessageSink {
public:
    explicit RecordingMessageSink(bool confirm_answer = false);
    ~RecordingMessageSink() override;
    RecordingMessageSink(const RecordingMessageSink&) = delete;
    RecordingMessageSink& operator=(const RecordingMessageSink&) = delete;

    void Show(MessageKind kind, const std::string& caption, const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;

    std::vector<RecordedMessage> Messages() const;
    std::vector<std::string> Texts() const;
    bool Contains(const std::string& text) const;
    void Clear();

private:
    mutable std::mutex mutex_; // guards messages_
    std::vector<RecordedMessage> messages_;
    bool confirm_answer_;
    MessageSink* previous_;
};

} // namespace vc::test
