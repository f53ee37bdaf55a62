#include "engine/media/filter_escape.h"

namespace vc {

namespace {

// Backslash-escapes the given specials, backslashes, quotes, and whitespace at either end (which
// the parsers would trim) — the rule of FFmpeg's own av_escape in backslash mode.
std::string Escape(std::string_view text, std::string_view specials) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool at_end = i == 0 || i + 1 == text.size();
        bool whitespace = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (specials.find(c) != std::string_view::npos || c == '\\' || c == '\'' || (whitespace && at_end))
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

std::string EscapeFilterOptionValue(std::string_view value) {
    return Escape(value, ":");
}

std::string EscapeFilterGraphText(std::string_view text) {
    return Escape(text, "[],;");
}

std::string EscapeFilterArgument(std::string_view value) {
    return EscapeFilterGraphText(EscapeFilterOptionValue(value));
}

} // namespace vc
