#include "engine/media/show_error.h"

#include "engine/media/log_routing.h"
#include "platform/message_sink.h"

#include <thread>

namespace vc {

void ShowError(const std::string& text) {
    if (LibraryLogTarget* run = ThreadRegistry::Find(std::this_thread::get_id())) {
        run->RunError(text);
        return;
    }
    CurrentMessageSink().Show(MessageKind::Error, "Error", text);
}

} // namespace vc
