#pragma once
// What `vconv convert` checks once its options are prepared and before anything is recorded or
// started: option values within their bounds, a start inside the input, inputs that exist and
// outputs that can be written without replacing an input.
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vc {
class TAVConvertOptions;
}

namespace vc::cli {

// The first option out of its bounds, named as the user gave it: the switch in `flags` (property
// path, switch) when that was given, "--set PATH" when one of `assignments` set it, else the
// profile's value. Empty when all are within bounds.
std::string OutOfBoundsError(const TAVConvertOptions& options, const QStringList& assignments,
                             const std::vector<std::pair<QString, std::string>>& flags);

// A start at or past the end of the only input (known from its container). Empty otherwise.
std::string StartPastEndError(const TAVConvertOptions& options, const QStringList& inputs);

struct FileProblem {
    int exit_code; // 1 for the files themselves, 2 for a command that names the same file twice
    std::string message;
};

// Inputs that are not there or are folders, an output that is one of the inputs, an output whose
// folder exists but cannot be written. Names with a scheme ("stream:", "pipe:", URLs) are left to
// the conversion.
std::optional<FileProblem> CheckConvertFiles(const QStringList& inputs, const QStringList& outputs);

// Outputs that exist already are never replaced silently: with `overwrite` (-y) they are; on a
// terminal the user is asked for each (y/N on stdin); otherwise the command is refused, naming the
// file and the switch. `command` names the command in the question.
std::optional<FileProblem> CheckOverwrites(const QStringList& outputs, bool overwrite, const char* command);

} // namespace vc::cli
