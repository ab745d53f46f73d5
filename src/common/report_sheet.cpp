#include "common/report_sheet.h"

#include "common/number_format.h"

#include <algorithm>

namespace kvt {

namespace {

// Columns are counted in characters, not bytes: continuation bytes of UTF-8 take none.
std::size_t columnsOf(std::string_view utf8)
{
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string expandTabs(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    for (char c : line) {
        if (c == '\t')
            out.append(8 - columnsOf(out) % 8, ' ');
        else
            out += c;
    }
    return out;
}

} // namespace

std::vector<std::string> reportSheetLines(std::string_view utf8Text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < utf8Text.size()) {
        std::size_t end = utf8Text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last)
            end = utf8Text.size();
        std::string_view line = utf8Text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(expandTabs(line));
        start = last ? end : end + 1;
    }
    return lines;
}

std::vector<SheetPage> paginate(std::size_t lineCount, int linesPerPage)
{
    const std::size_t perPage = static_cast<std::size_t>(std::max(1, linesPerPage));
    std::vector<SheetPage> pages;
    for (std::size_t first = 0; first < lineCount; first += perPage)
        pages.push_back({first, std::min(perPage, lineCount - first)});
    if (pages.empty())
        pages.push_back({0, 0});
    return pages;
}

std::string pageNumberText(const TextLookup& texts, int page, int pageCount)
{
    return cformat("%s%d%s%d", texts.text(91007, "*Seite "), page, texts.text(91008, "* von "), pageCount);
}

} // namespace kvt
