#include "model/persistence/xml_text_output.h"

#include <cstring>

namespace vc::persistence {

namespace {

// Escapes markup characters, and every control character as a character reference so that it
// comes back exactly: parsers fold CR LF in text and blanks in attributes otherwise.
void AppendEscaped(std::string& out, const char* s, bool attribute) {
    for (; *s; ++s) {
        const auto c = static_cast<unsigned char>(*s);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"':
            if (attribute)
                out += "&quot;";
            else
                out += '"';
            break;
        default:
            if (c < 0x20 && (attribute || (c != '\n' && c != '\t'))) {
                out += "&#";
                out += std::to_string(c);
                out += ';';
            } else {
                out += static_cast<char>(c);
            }
        }
    }
}

bool HasElementChild(const pugi::xml_node& node) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            return true;
    return false;
}

void AppendIndent(std::string& out, int level) {
    out.append(static_cast<size_t>(level) * 2, ' ');
}

void AppendNode(std::string& out, const pugi::xml_node& node, TOutputFormat format, int level) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
        AppendEscaped(out, node.value(), false);
        return;
    }
    if (node.type() != pugi::node_element)
        return;
    out += '<';
    out += node.name();
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        out += ' ';
        out += a.name();
        out += "=\"";
        AppendEscaped(out, a.value(), true);
        out += '"';
    }
    if (!node.first_child()) {
        out += "/>";
        return;
    }
    out += '>';
    // Text stays on the element's line, so indenting never changes a value.
    const bool one_per_line = format == TOutputFormat::ofIndent && HasElementChild(node);
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (one_per_line) {
            out += "\r\n";
            AppendIndent(out, level + 1);
        }
        AppendNode(out, child, format, level + 1);
    }
    if (one_per_line) {
        out += "\r\n";
        AppendIndent(out, level);
    }
    out += "</";
    out += node.name();
    out += '>';
}

} // namespace

std::string XmlToText(const pugi::xml_node& root, TOutputFormat format) {
    std::string out;
    out.reserve(4096);
    AppendNode(out, root, format, 0);
    if (format == TOutputFormat::ofIndent)
        out += "\r\n";
    return out;
}

} // namespace vc::persistence
