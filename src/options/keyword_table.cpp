#include "options/keyword_table.h"

#include "common/code_page.h"
#include "options/machine_data.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

namespace {

std::u16string_view arrayText(std::span<const char16_t> array)
{
    return fixedText(array);
}

std::vector<std::u16string> splitWords(std::u16string_view list)
{
    std::vector<std::u16string> words;
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && list[i] == u' ')
            ++i;
        const std::size_t start = i;
        while (i < list.size() && list[i] != u' ')
            ++i;
        if (i > start)
            words.emplace_back(list.substr(start, i - start));
    }
    return words;
}

} // namespace

void buildKeywordTable(MachineRecord& machine)
{
    std::memset(machine.keywords, 0, sizeof machine.keywords);
    std::size_t count = 0;
    auto colourOf = [&machine](int group) {
        const std::uint8_t* rgb = machine.colours[group];
        return static_cast<std::uint32_t>(rgb[0]) | (static_cast<std::uint32_t>(rgb[1]) << 8)
            | (static_cast<std::uint32_t>(rgb[2]) << 16); // 0x00BBGGRR
    };
    auto groupWords = [&machine](int group) {
        std::u16string_view list = arrayText(std::span<const char16_t>(machine.keywordWordLists[group]));
        list = list.substr(0, std::min<std::size_t>(list.size(), 6400));
        std::vector<std::u16string> words = splitWords(list);
        if (words.size() > kKeywordWordsPerGroup)
            words.resize(kKeywordWordsPerGroup);
        for (std::u16string& word : words)
            word.resize(std::min(word.size(), kKeywordWordLength));
        return words;
    };
    for (int group = 0; group < 3; ++group) {
        for (const std::u16string& word : groupWords(group)) {
            if (count >= kKeywordCount)
                break;
            KeywordEntry& entry = machine.keywords[count++];
            setFixedText(std::span<char16_t>(entry.text), word);
            entry.colour = colourOf(group);
        }
    }
    machine.keywordPairStart = static_cast<std::uint32_t>(count);
    for (const std::u16string& word : groupWords(3)) {
        if (count + 2 > kKeywordCount)
            break;
        KeywordEntry& entry = machine.keywords[count];
        setFixedText(std::span<char16_t>(entry.text), word);
        entry.colour = colourOf(3);
        entry.pairFlag = 1;
        machine.keywords[count + 1].colour = colourOf(3); // the partner's place
        count += 2;
    }
}

} // namespace kvt
