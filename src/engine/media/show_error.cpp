#include "engine/media/show_error.h"

#include "platform/message_sink.h"

namespace vc {

void ShowError(const std::string& text) {
    CurrentMessageSink().Show(MessageKind::Error, "Error", text);
}

} // namespace vc
