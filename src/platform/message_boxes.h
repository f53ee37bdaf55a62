#pragma once
// The program's three standard message boxes, shown through the current message sink.
#include <string>

namespace vc {

// Caption "Error", error icon, OK button.
void ShowErrorMessage(const std::string& text);
// Caption "Warning", question icon, Yes and No buttons; true for Yes. A sink that cannot ask
// (the command line) answers No.
bool ConfirmWarning(const std::string& text);
// Caption "Information", information icon.
void ShowInformation(const std::string& text);

} // namespace vc
