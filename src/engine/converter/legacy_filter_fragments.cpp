#include "engine/converter/legacy_filter_fragments.h"

#include "engine/media/filter_escape.h"
#include "platform/fonts.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace vc {

namespace {

std::string Replace(std::string text, std::string_view from, std::string_view to) {
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

// Undoes what the filter list did to a value: backslashes were doubled, and inside a piece that
// was enclosed in spaces every space was doubled.
std::string Undouble(std::string value, bool enclosed) {
    value = Replace(std::move(value), "\\\\", "\\");
    if (enclosed)
        value = Replace(std::move(value), "  ", " ");
    return value;
}

// "0x<rrggbb>00" -> the ASS colour "&H00BBGGRR".
std::string AssColour(std::string_view hex) {
    unsigned long rgba = 0;
    try {
        rgba = std::stoul(std::string(hex), nullptr, 16);
    } catch (...) {
        rgba = 0xFFFFFF00; // unreadable: white, the renderer's own default
    }
    unsigned long rgb = rgba >> 8;
    char text[16];
    std::snprintf(text, sizeof text, "&H00%02lX%02lX%02lX", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    return text;
}

// Rewrites one "ass=filename$…#enc$1" fragment; returns false when `piece` is not one.
bool RewriteAss(std::string_view piece, bool enclosed, std::string& out) {
    constexpr std::string_view head = "ass=filename$";
    constexpr std::string_view tail = "#enc$1";
    if (!piece.starts_with(head) || !piece.ends_with(tail))
        return false;
    std::string_view body = piece.substr(head.size(), piece.size() - head.size() - tail.size());
    // Fields are read from the right: a file name may itself hold "#" or "$".
    std::string codepage;
    size_t cp = body.rfind("#codepage$");
    size_t colour = body.rfind("#color$");
    if (cp != std::string_view::npos && colour != std::string_view::npos && cp > colour) {
        codepage = std::string(body.substr(cp + 10));
        body = body.substr(0, cp);
    }
    if (colour == std::string_view::npos)
        return false;
    std::string_view colour_text = body.substr(colour + 7);
    body = body.substr(0, colour);
    size_t font = body.rfind("#font$");
    if (font == std::string_view::npos)
        return false;
    std::string font_file = Undouble(std::string(body.substr(font + 6)), enclosed);
    std::string subtitle_file = Undouble(std::string(body.substr(0, font)), enclosed);
    if (colour_text.starts_with("0x") || colour_text.starts_with("0X"))
        colour_text.remove_prefix(2);

    std::string style = "PrimaryColour=" + AssColour(colour_text);
    out = "subtitles=filename=" + EscapeFilterArgument(subtitle_file);
    if (!font_file.empty()) {
        std::string family = FontFamilyOfFile(font_file);
        if (!family.empty()) {
            style = "FontName=" + family + "," + style;
            std::string folder = std::filesystem::path(font_file).parent_path().string();
            if (!folder.empty())
                out += ":fontsdir=" + EscapeFilterArgument(folder);
        }
    }
    if (!codepage.empty())
        out += ":charenc=" + EscapeFilterArgument(codepage);
    out += ":force_style=" + EscapeFilterArgument(style);
    return true;
}

// Rewrites one "mp=rotate=<degrees>" fragment; returns false when `piece` is not one.
bool RewriteRotate(std::string_view piece, std::string& out) {
    constexpr std::string_view head = "mp=rotate=";
    if (!piece.starts_with(head))
        return false;
    std::string_view number = piece.substr(head.size());
    if (number.empty() || number.find_first_not_of("-0123456789") != std::string_view::npos)
        return false;
    out = RotationFilter(std::stoi(std::string(number)));
    return true;
}

} // namespace

std::string RotationFilter(int degrees) {
    int d = ((degrees % 360) + 360) % 360;
    switch (d) {
    case 0:
        return "null";
    case 90:
        return "transpose=clock";
    case 180:
        return "hflip,vflip";
    case 270:
        return "transpose=cclock";
    default:
        // Any other angle turns the picture inside its own frame; the corners are filled black.
        return "rotate=" + std::to_string(d) + "*PI/180:fillcolor=black";
    }
}

std::string RewriteLegacyFilterFragments(std::string_view graph) {
    // Filters are separated by "," and ";" outside brackets; legacy fragments never contain
    // brackets, so a plain scan over the separators finds every piece that could be one.
    std::string out;
    size_t start = 0;
    while (start <= graph.size()) {
        size_t end = graph.find_first_of(",;", start);
        if (end == std::string_view::npos)
            end = graph.size();
        std::string_view raw = graph.substr(start, end - start);
        size_t first = raw.find_first_not_of(" \t\r\n");
        size_t last = raw.find_last_not_of(" \t\r\n");
        std::string_view piece = first == std::string_view::npos ? raw.substr(0, 0) : raw.substr(first, last - first + 1);
        bool enclosed = first != std::string_view::npos && first > 0;
        std::string rewritten;
        if (RewriteRotate(piece, rewritten) || RewriteAss(piece, enclosed, rewritten))
            out += rewritten;
        else
            out += raw;
        if (end < graph.size())
            out += graph[end];
        start = end + 1;
    }
    return out;
}

} // namespace vc
