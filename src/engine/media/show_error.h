#pragma once
// The engine's error box: option setters and the converter report through it.
#include <string>

namespace vc {

// Shows `text` as an error message with the caption "Error" through the current message sink.
void ShowError(const std::string& text);

} // namespace vc
