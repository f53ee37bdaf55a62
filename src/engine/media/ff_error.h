#pragma once
// Text of a library error code.
#include <string>

namespace vc {

// The library's description of an AVERROR code ("No such file or directory"), or
// "Error number N occurred" for codes it does not know.
std::string FfErrorText(int error_code);

} // namespace vc
