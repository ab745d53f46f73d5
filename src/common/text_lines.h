#pragma once
// Lines of the program's own text files and of NC programs: any line end (CR LF, LF or
// CR), with spaces, tabs and line ends around what matters.

#include <string_view>
#include <vector>

namespace kvt {

// The text without the spaces, tabs, CRs and LFs at either end.
std::string_view trimmedWhitespace(std::string_view text);

// The lines of a text, each without its line end; text after the last line end is one
// more line, an empty text has none.
std::vector<std::string_view> splitLines(std::string_view text);

} // namespace kvt
