#include "support/recording_message_sink.h"

#include <algorithm>

namespace vc::test {

RecordingMessageSink::RecordingMessageSink(bool confirm_answer)
    : confirm_answer_(confirm_answer), previous_(InstallMessageSink(this)) {}

RecordingMessageSink::~RecordingMessageSink() {
    InstallMessageSink(previous_);
}

void RecordingMessageSink::Show(MessageKind kind, const std::string& caption, const std::string& text) {
    std::lock_guard lock(mutex_);
    messages_.push_back({kind, caption, text});
}

bool RecordingMessageSink::Confirm(const std::string& caption, const std::string& text) {
    Show(MessageKind::Warning, caption, text);
    return confirm_answer_;
}

std::vector<RecordedMessage> RecordingMessageSink::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> RecordingMessageSink::Texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    for (const auto& m : messages_)
        texts.push_back(m.text);
    return texts;
}

bool RecordingMessageSink::Contains(const std::string& text) const {
    std::lock_guard lock(mutex_);
    return std::any_of(messages_.begin(), messages_.end(), [&](const auto& m) { return m.text == text; });
}

void RecordingMessageSink::Clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

} // namespace vc::test
