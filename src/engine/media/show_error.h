#pragma once
// The engine's error box: option setters and the converter report through it.
#include <string>

namespace vc {

// Shows `text` as an error message with the caption "Error" through the current message sink.
// On a converter's worker thread the error is recorded on that run instead (its log and its
// error event, which the front end presents): a worker never opens a box.
void ShowError(const std::string& text);

} // namespace vc
