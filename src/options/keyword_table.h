#pragma once
// The NC editor's keyword table, built from the four word lists and colours of a machine:
// the options dialog builds it when the lists change, the NC editor colours with it.

#include "options/options_record.h"

namespace kvt {

inline constexpr std::size_t kKeywordWordLength = 127; // characters of one word
inline constexpr std::size_t kKeywordWordsPerGroup = 50;

// Groups 1 to 3 give one entry per word; the pair-start index follows them; each word of
// group 4 gives a pair entry and keeps the entry after it as its partner. At most 50
// words a group, 127 characters a word and 40 entries in all; colours are 0x00BBGGRR.
void buildKeywordTable(MachineRecord& machine);

} // namespace kvt
