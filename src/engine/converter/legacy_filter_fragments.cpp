#include "engine/converter/legacy_filter_fragments.h"

#include "engine/media/filter_escape.h"
#include "platform/fonts.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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
    std::snprintf(text, sizeof text, "&H00%02lX%02lX%02lX", rgb & 0xFF, (rgb >> 8) & 0xFF,
                  (rgb >> 16) & 0xFF);
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
    case 0: return "null";
    case 90: return "transpose=clock";
    case 180: return "hflip,vflip";
    case 270: return "transpose=cclock";
    default:
        // Any other angle turns the picture inside its own frame; the corners are filled black.
        return "rotate=" + std::to_string(d) + "*PI/180:fillcolor=black";
    }
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Splits at the separators in `separators` that stand outside quotes and escapes; the separators
// are kept with the piece before them. Quotes and escapes are read as the graph parser reads them:
// a backslash outside quotes takes the next character as it is, while between quotes everything up
// to the next quote is plain text, a backslash included (so "'it\'\''s'" is one quoted "it\", an
// escaped quote and a quoted "s"). A legacy subtitle fragment holds its file names unescaped, so it
// runs to its "#enc$1" whatever characters they hold.
std::vector<std::string_view> SplitTopLevel(std::string_view text, std::string_view separators) {
    constexpr std::string_view ass_head = "ass=filename$";
    constexpr std::string_view ass_tail = "#enc$1";
    std::vector<std::string_view> pieces;
    size_t start = 0;
    bool quoted = false;
    bool piece_start = true; // nothing but blanks since the last separator
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool first = piece_start && !IsBlank(c);
        piece_start = piece_start && IsBlank(c);
        const size_t ass_end =
            first && text.substr(i).starts_with(ass_head) ? text.find(ass_tail, i) : std::string_view::npos;
        if (quoted) {
            quoted = c != '\'';
        } else if (ass_end != std::string_view::npos) {
            i = ass_end + ass_tail.size() - 1;
        } else if (c == '\\') {
            ++i;
        } else if (c == '\'') {
            quoted = true;
        } else if (separators.find(c) != std::string_view::npos) {
            pieces.push_back(text.substr(start, i + 1 - start));
            start = i + 1;
            piece_start = true;
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

std::string_view Trim(std::string_view text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return text.substr(0, 0);
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Rewrites the legacy fragments of one chain of filters separated by "," (no labels involved).
std::string RewriteChain(std::string_view chain) {
    std::string out;
    for (std::string_view raw : SplitTopLevel(chain, ",;")) {
        char separator = 0;
        if (!raw.empty() && (raw.back() == ',' || raw.back() == ';')) {
            separator = raw.back();
            raw.remove_suffix(1);
        }
        std::string_view piece = Trim(raw);
        bool enclosed = !piece.empty() && piece.data() != raw.data();
        std::string rewritten;
        if (RewriteRotate(piece, rewritten) || RewriteAss(piece, enclosed, rewritten))
            out += rewritten;
        else
            out += raw;
        if (separator)
            out += separator;
    }
    return out;
}

// A logo fragment: "movie=<file> [wm];[in][wm] overlay=<x>:<y> [out]", a small graph of its own
// that reads the main picture from [in] and writes to [out].
bool IsLogoFragment(std::string_view piece) {
    piece = Trim(piece);
    return piece.starts_with("movie=") && piece.find("[in]") != std::string_view::npos &&
           piece.ends_with("[out]");
}

std::string ReplaceLabel(std::string text, std::string_view from, const std::string& to) {
    return Replace(std::move(text), from, "[" + to + "]");
}

} // namespace

std::string RewriteLegacyFilterFragments(std::string_view graph) {
    // Filters come as a comma-separated list; a logo fragment among them is a labelled graph of
    // its own, which cannot simply be followed or preceded by ",filter". Each logo is given its
    // own labels and the plain filters around it become chains between them, so that any mix of
    // logos and filters forms one graph from [in] to [out].
    std::vector<std::string_view> pieces = SplitTopLevel(graph, ",");
    bool has_logo = false;
    for (auto p : pieces)
        has_logo = has_logo || IsLogoFragment(p.ends_with(',') ? p.substr(0, p.size() - 1) : p);
    if (!has_logo)
        return RewriteChain(graph);

    std::string out;
    std::string current = "in";
    std::string chain;
    int label = 0;
    auto next_label = [&] { return "vc" + std::to_string(label++); };
    auto flush_chain = [&](const std::string& to) {
        out += "[" + current + "] " + RewriteChain(chain) + " [" + to + "]";
        chain.clear();
        current = to;
    };
    for (std::string_view p : pieces) {
        if (p.ends_with(','))
            p.remove_suffix(1);
        if (!IsLogoFragment(p)) {
            if (Trim(p).empty())
                continue;
            if (!chain.empty())
                chain += ',';
            chain += p;
            continue;
        }
        if (!chain.empty()) {
            flush_chain(next_label());
            out += ';';
        }
        std::string logo(Trim(p));
        std::string mark = next_label();
        std::string to = next_label();
        logo = ReplaceLabel(std::move(logo), "[wm]", mark);
        logo = ReplaceLabel(std::move(logo), "[in]", current);
        logo = ReplaceLabel(std::move(logo), "[out]", to);
        out += logo + ";";
        current = to;
    }
    if (!chain.empty()) {
        flush_chain("out");
    } else {
        // The last logo writes the output itself.
        out.pop_back(); // the ";" after it
        size_t at = out.rfind("[" + current + "]");
        out.replace(at, current.size() + 2, "[out]");
    }
    return out;
}

} // namespace vc
