#pragma once
// Lines read from the program's own text files and from NC programs carry spaces, tabs
// and line ends around what matters.

#include <string_view>

namespace kvt {

// The text without the spaces, tabs, CRs and LFs at either end.
inline std::string_view trimmedWhitespace(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace kvt
