#pragma once
// Text that reaches a filter graph passes two parsers: the graph parser splits filters at
// "," ";" "[" "]", then each filter splits its options at ":" and "=". A file name or a typed
// text must survive both, so it is escaped once for each, innermost first.
#include <string>
#include <string_view>

namespace vc {

// Escapes a value for one filter's option list ("key=<value>:key=…").
std::string EscapeFilterOptionValue(std::string_view value);
// Escapes a whole filter description for the graph parser ("<filter>,<filter>").
std::string EscapeFilterGraphText(std::string_view text);
// Both, in the right order: the form to write after "key=" inside a graph description.
std::string EscapeFilterArgument(std::string_view value);

} // namespace vc
