#pragma once
// Restarting a program in the middle, after a broken tool or a dropped feed: the line
// to start from (by line, by block number or by tool call), the modal state the program
// has built up to that line, and the preamble that restores it on the control before
// the rest of the program. The preamble is shown to the operator to check and edit; it
// does not position the machine.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

enum class RestartBy : std::uint8_t {
    Line, // the 1-based line of the program text
    BlockNumber, // the line whose first word is N<value> (N0010 counts as N10)
    ToolCall, // the line that changes to tool T<value> (M6), the occurrence-th time
};

// A conversational program ("BEGIN PGM 1234 MM" on its first line, blocks numbered with
// a bare number): its block numbers are the numbers that lead its lines, its tool changes
// are "TOOL CALL n", and its restart preamble is the last tool call and a reminder in
// its own comment form, never word-address G codes it would refuse.
bool isPlainTextProgram(std::string_view program);

// The 1-based line to restart from; nullopt when the program has no such line.
std::optional<std::size_t> findRestartLine(
    std::string_view program, RestartBy by, std::uint32_t value, std::uint32_t occurrence = 1);

// The modal words in force before a line, as the program wrote them ("G21", "S1200",
// "F0.25", "G54.1 P2"); empty when the program never set them.
struct NcModalState {
    std::string units; // G20 / G21
    std::string plane; // G17 / G18 / G19
    std::string distance; // G90 / G91
    std::string feedMode; // G93 / G94 / G95
    std::string workOffset; // G54 ... G59, G54.1 Pn
    std::string cutterComp; // G40 / G41 / G42
    std::string cutterCompD; // D word in force
    std::string toolLength; // G43 / G44 / G49
    std::string toolLengthH; // H word of the last G43/G44
    std::string cannedReturn; // G98 / G99
    std::string cannedCycle; // the block that started the active cycle, without its comment; empty after G80
    std::string motion; // G0 / G1 / G2 / G3 (as written)
    std::string spindleMode; // G96 / G97
    std::string spindleSpeed; // S word
    std::string spindle; // M3 / M4 / M5
    bool mist = false; // M7
    bool flood = false; // M8
    std::string feed; // F word
    std::string tool; // T of the last tool change (M6)
    std::string nextTool; // T word in force (prepared)
};

NcModalState modalStateBefore(std::string_view program, std::size_t line);

// The preamble for a restart at `line`: a comment naming the line, units first, then
// a safe start (plane, cutter compensation off, length compensation off, canned cycle
// off, distance mode), the tool change, work offset, length compensation, canned-cycle
// return, spindle, coolant, feed mode with the feed, cutter compensation and motion
// mode. Lines end with "\n".
std::string restartPreamble(std::string_view program, std::size_t line);

// The preamble followed by the program from `line` on.
std::string restartProgram(std::string_view preamble, std::string_view program, std::size_t line);

// A restarted program broke off again: the line of the original program to restart
// from. fedLine is the line the feed named in the text that went out, whose first
// `lead` lines (name line, preamble) come before the original's line `from`; a break
// inside them restarts at `from` again. At most the original's last line.
std::size_t originalRestartLine(std::size_t fedLine, std::size_t from, std::size_t lead, std::size_t originalLines);

// Lines of a text as the framing counts them: each line end (CR LF, LF or CR) ends one,
// and text after the last line end is one more.
std::size_t textLineCount(std::string_view text);

} // namespace kvt
