#include "platform/message_boxes.h"

#include "platform/message_sink.h"

namespace vc {

void ShowErrorMessage(const std::string& text) {
    CurrentMessageSink().Show(MessageKind::Error, "Error", text);
}

bool ConfirmWarning(const std::string& text) {
    return CurrentMessageSink().Confirm("Warning", text);
}

void ShowInformation(const std::string& text) {
    CurrentMessageSink().Show(MessageKind::Information, "Information", text);
}

} // namespace vc
