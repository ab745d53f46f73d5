#include "serial/nc_restart.h"

#include "common/number_format.h"
#include "common/text_lines.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace kvt {

namespace {

struct Word {
    char letter;
    std::string value; // as written: "01", "54.1", "-5."
    std::string text() const { return std::string(1, letter) + value; }
};

// The line without its comments: "(...)" anywhere, ";" to the end.
std::string withoutComments(std::string_view line)
{
    std::string out;
    int depth = 0;
    for (const char c : line) {
        if (c == '(') {
            ++depth;
        } else if (c == ')' && depth > 0) {
            --depth;
        } else if (depth == 0) {
            if (c == ';')
                break;
            out += c;
        }
    }
    return out;
}

std::vector<Word> wordsOf(std::string_view line)
{
    const std::string code = withoutComments(line);
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < code.size()) {
        const auto c = static_cast<unsigned char>(code[i]);
        if (!std::isalpha(c)) {
            ++i;
            continue;
        }
        Word word {static_cast<char>(std::toupper(c)), {}};
        ++i;
        while (i < code.size() && code[i] == ' ')
            ++i;
        while (i < code.size()
            && (std::isdigit(static_cast<unsigned char>(code[i])) || code[i] == '.' || code[i] == '-'
                || code[i] == '+'))
            word.value += code[i++];
        if (!word.value.empty())
            words.push_back(std::move(word));
    }
    return words;
}

// "01" -> "1", "054.1" -> "54.1", "00" -> "0": codes compare without leading zeros.
std::string code(std::string_view value)
{
    std::size_t first = 0;
    while (first + 1 < value.size() && value[first] == '0' && value[first + 1] != '.')
        ++first;
    return std::string(value.substr(first));
}

// The whole-number value of a word ("T05" -> 5); nullopt for anything else.
std::optional<std::uint32_t> wholeNumber(std::string_view value)
{
    if (value.empty() || value.size() > 9)
        return std::nullopt;
    std::uint32_t n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return n;
}

bool hasWord(const std::vector<Word>& words, char letter, std::string_view value)
{
    return std::any_of(
        words.begin(), words.end(), [&](const Word& w) { return w.letter == letter && code(w.value) == value; });
}

const Word* findWord(const std::vector<Word>& words, char letter)
{
    const auto it = std::find_if(words.begin(), words.end(), [&](const Word& w) { return w.letter == letter; });
    return it == words.end() ? nullptr : &*it;
}

bool isCannedCycle(std::string_view g)
{
    return g == "73" || g == "74" || g == "76" || g == "81" || g == "82" || g == "83" || g == "84" || g == "85"
        || g == "86" || g == "87" || g == "88" || g == "89";
}

// The block as a cycle is restated: no comment, no block number, single spaces.
std::string cycleBlock(const std::vector<Word>& words)
{
    std::string out;
    for (const Word& w : words) {
        if (w.letter == 'N')
            continue;
        if (!out.empty())
            out += ' ';
        out += w.text();
    }
    return out;
}

void apply(NcModalState& s, const std::vector<Word>& words)
{
    for (const Word& w : words) {
        if (w.letter == 'S')
            s.spindleSpeed = w.text();
        else if (w.letter == 'F')
            s.feed = w.text();
        else if (w.letter == 'D')
            s.cutterCompD = w.text();
        else if (w.letter == 'T')
            s.nextTool = w.text();
    }
    for (const Word& w : words) {
        const std::string c = code(w.value);
        if (w.letter == 'G') {
            if (c == "20" || c == "21")
                s.units = w.text();
            else if (c == "17" || c == "18" || c == "19")
                s.plane = w.text();
            else if (c == "90" || c == "91")
                s.distance = w.text();
            else if (c == "93" || c == "94" || c == "95")
                s.feedMode = w.text();
            else if (c == "54.1") {
                s.workOffset = w.text();
                if (const Word* p = findWord(words, 'P')) {
                    s.workOffset += ' ';
                    s.workOffset += p->text();
                }
            } else if (c == "54" || c == "55" || c == "56" || c == "57" || c == "58" || c == "59")
                s.workOffset = w.text();
            else if (c == "40")
                s.cutterComp = w.text();
            else if (c == "41" || c == "42")
                s.cutterComp = w.text();
            else if (c == "43" || c == "44") {
                s.toolLength = w.text();
                if (const Word* h = findWord(words, 'H'))
                    s.toolLengthH = h->text();
            } else if (c == "49")
                s.toolLength = w.text();
            else if (c == "98" || c == "99")
                s.cannedReturn = w.text();
            else if (c == "80")
                s.cannedCycle.clear();
            else if (isCannedCycle(c))
                s.cannedCycle = cycleBlock(words);
            else if (c == "0" || c == "1" || c == "2" || c == "3") {
                s.motion = w.text();
                s.cannedCycle.clear(); // a motion of group 1 ends a canned cycle
            } else if (c == "96" || c == "97")
                s.spindleMode = w.text();
        } else if (w.letter == 'M') {
            if (c == "3" || c == "4" || c == "5")
                s.spindle = w.text();
            else if (c == "7")
                s.mist = true;
            else if (c == "8")
                s.flood = true;
            else if (c == "9")
                s.mist = s.flood = false;
            else if (c == "6")
                s.tool = s.nextTool;
        }
    }
}

std::string joined(std::initializer_list<std::string_view> parts)
{
    std::string out;
    for (std::string_view part : parts) {
        if (part.empty())
            continue;
        if (!out.empty())
            out += ' ';
        out += part;
    }
    return out;
}

// --- Plain-text (conversational) programs ----------------------------------------------
// They open with "BEGIN PGM name MM" and number their blocks with a bare number first
// ("12 L X+10 R0 F200 M3"); no G words and no N addresses, so the modal state of the
// word-address programs means nothing in them.

// The line without its leading block number; sets number when it had one.
std::string_view withoutBlockNumber(std::string_view line, std::optional<std::uint32_t>* number = nullptr)
{
    line = trimmedWhitespace(line);
    std::size_t digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits])) != 0)
        ++digits;
    if (digits == 0 || digits > 9 || (digits < line.size() && line[digits] != ' ' && line[digits] != '\t'))
        return line;
    if (number)
        *number = static_cast<std::uint32_t>(std::stoul(std::string(line.substr(0, digits))));
    return trimmedWhitespace(line.substr(digits));
}

bool startsWithWord(std::string_view text, std::string_view word)
{
    return text.substr(0, word.size()) == word
        && (text.size() == word.size() || text[word.size()] == ' ' || text[word.size()] == '\t');
}

// The tool number of a "TOOL CALL 5 Z S2000" line.
std::optional<std::uint32_t> toolCalled(std::string_view line)
{
    const std::string_view body = withoutBlockNumber(line);
    if (!startsWithWord(body, "TOOL") || !startsWithWord(trimmedWhitespace(body.substr(4)), "CALL"))
        return std::nullopt;
    const std::string_view rest = trimmedWhitespace(trimmedWhitespace(body.substr(4)).substr(4));
    std::size_t digits = 0;
    while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])) != 0)
        ++digits;
    if (digits == 0 || digits > 9)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(std::string(rest.substr(0, digits))));
}

} // namespace

bool isPlainTextProgram(std::string_view program)
{
    for (const std::string_view line : splitLines(program)) {
        const std::string_view body = withoutBlockNumber(line);
        if (body.empty())
            continue;
        return startsWithWord(body, "BEGIN") && startsWithWord(trimmedWhitespace(body.substr(5)), "PGM");
    }
    return false;
}

std::optional<std::size_t> findRestartLine(
    std::string_view program, RestartBy by, std::uint32_t value, std::uint32_t occurrence)
{
    const std::vector<std::string_view> lines = splitLines(program);
    if (by == RestartBy::Line) {
        if (value >= 1 && value <= lines.size())
            return value;
        return std::nullopt;
    }
    if (isPlainTextProgram(program)) {
        std::uint32_t seen = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::optional<std::uint32_t> number;
            withoutBlockNumber(lines[i], &number);
            const bool found = by == RestartBy::BlockNumber
                ? number == value
                : (toolCalled(lines[i]) == value && ++seen == std::max<std::uint32_t>(occurrence, 1));
            if (found)
                return i + 1;
        }
        return std::nullopt;
    }
    // A program without M6 changes tools with the T word itself (a lathe turret).
    bool usesM6 = false;
    std::vector<std::vector<Word>> words;
    words.reserve(lines.size());
    for (std::string_view line : lines) {
        words.push_back(wordsOf(line));
        usesM6 = usesM6 || hasWord(words.back(), 'M', "6");
    }
    std::uint32_t seen = 0;
    std::optional<std::uint32_t> prepared;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<Word>& w = words[i];
        if (by == RestartBy::BlockNumber) {
            if (!w.empty() && w.front().letter == 'N' && wholeNumber(w.front().value) == value)
                return i + 1;
            continue;
        }
        const Word* t = findWord(w, 'T');
        if (t)
            prepared = wholeNumber(t->value);
        const bool change = usesM6 ? hasWord(w, 'M', "6") : t != nullptr;
        if (change && prepared == value && ++seen == std::max<std::uint32_t>(occurrence, 1))
            return i + 1;
    }
    return std::nullopt;
}

NcModalState modalStateBefore(std::string_view program, std::size_t line)
{
    NcModalState state;
    const std::vector<std::string_view> lines = splitLines(program);
    for (std::size_t i = 0; i + 1 < line && i < lines.size(); ++i)
        apply(state, wordsOf(lines[i]));
    return state;
}

namespace {

// A conversational control takes only its own words: the preamble is the last tool call
// before the line, copied as the program wrote it, and comments for what the operator
// must check, since spindle, coolant and feed sit on the program's own positioning
// blocks and cannot be set up on their own.
std::string plainTextRestartPreamble(std::string_view program, std::size_t line)
{
    const std::vector<std::string_view> lines = splitLines(program);
    std::string_view lastCall;
    for (std::size_t i = 0; i + 1 < line && i < lines.size(); ++i)
        if (toolCalled(lines[i]))
            lastCall = withoutBlockNumber(lines[i]);
    const bool callHere = line >= 1 && line <= lines.size() && toolCalled(lines[line - 1]);
    std::string out = cformat("; RESTART LINE %u\n", static_cast<unsigned>(line));
    if (!lastCall.empty() && !callHere)
        out += std::string(lastCall) + "\n";
    out += "; CHECK SPINDLE, COOLANT AND FEED BEFORE THE FIRST MOVE\n";
    return out;
}

} // namespace

std::string restartPreamble(std::string_view program, std::size_t line)
{
    if (isPlainTextProgram(program))
        return plainTextRestartPreamble(program, line);
    const NcModalState s = modalStateBefore(program, line);
    const std::vector<std::string_view> lines = splitLines(program);
    const std::vector<Word> at = line >= 1 && line <= lines.size() ? wordsOf(lines[line - 1]) : std::vector<Word> {};
    // Restarting at a tool change: the program sets spindle, coolant and compensation
    // for the new tool itself; the old tool's would only run before the change.
    const bool toolChangeHere = hasWord(at, 'M', "6");
    const Word* block = !at.empty() && at.front().letter == 'N' ? &at.front() : nullptr;

    std::vector<std::string> out;
    out.push_back(cformat(
        "(RESTART LINE %u%s%s)", static_cast<unsigned>(line), block ? " " : "", block ? block->text() : std::string()));
    // Units first: every length and feed after them is read in them.
    if (!s.units.empty())
        out.push_back(s.units);
    out.push_back(joined({s.plane, "G40", "G49", "G80", s.distance}));
    if (!toolChangeHere) {
        if (!s.tool.empty())
            out.push_back(s.tool + " M6");
        if (!s.nextTool.empty() && s.nextTool != s.tool)
            out.push_back(s.nextTool);
    } else if (!findWord(at, 'T') && !s.nextTool.empty()) {
        out.push_back(s.nextTool); // the M6 of the restart line loads the prepared tool
    }
    if (!s.workOffset.empty())
        out.push_back(s.workOffset);
    if (!toolChangeHere && !s.toolLength.empty() && code(s.toolLength.substr(1)) != "49")
        out.push_back(joined({s.toolLength, s.toolLengthH}));
    if (!s.cannedReturn.empty())
        out.push_back(s.cannedReturn);
    if (!toolChangeHere) {
        const bool turning = !s.spindle.empty() && code(s.spindle.substr(1)) != "5";
        const std::string spindle = joined({s.spindleMode, s.spindleSpeed, turning ? s.spindle : std::string()});
        if (!spindle.empty())
            out.push_back(spindle);
        if (s.mist)
            out.push_back("M7");
        if (s.flood)
            out.push_back("M8");
    }
    const std::string feed = joined({s.feedMode, s.feed});
    if (!feed.empty())
        out.push_back(feed);
    if (!toolChangeHere && !s.cutterComp.empty() && code(s.cutterComp.substr(1)) != "40")
        out.push_back(joined({s.cutterComp, s.cutterCompD, "(CHECK LEAD-IN)"}));
    if (!s.cannedCycle.empty())
        out.push_back("(CYCLE ACTIVE: " + s.cannedCycle + ")");
    else if (!s.motion.empty() && (code(s.motion.substr(1)) == "0" || code(s.motion.substr(1)) == "1"))
        out.push_back(s.motion);

    std::string text;
    for (const std::string& l : out)
        text += l + "\n";
    return text;
}

std::string restartProgram(std::string_view preamble, std::string_view program, std::size_t line)
{
    std::string text(preamble);
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    const std::vector<std::string_view> lines = splitLines(program);
    for (std::size_t i = line >= 1 ? line - 1 : 0; i < lines.size(); ++i) {
        text += lines[i];
        text += '\n';
    }
    return text;
}

std::size_t originalRestartLine(std::size_t fedLine, std::size_t from, std::size_t lead, std::size_t originalLines)
{
    const std::size_t line = fedLine <= lead ? from : from + (fedLine - lead - 1);
    return std::max<std::size_t>(std::min(line, originalLines), 1);
}

std::size_t textLineCount(std::string_view text)
{
    return splitLines(text).size();
}

} // namespace kvt
