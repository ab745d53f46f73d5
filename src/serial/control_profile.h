#pragma once
// Control profiles: how a machine's control wants its programs framed and paced on the
// line, and how it asks for programs by itself. A few profiles are built in; the user's
// own (and edited built-ins) live in a text file in the data folder. Each machine keeps
// the name of its profile inside its send settings, so the choice travels with the
// options file while an older file (zeros there) simply means "generic".

#include "common/atomic_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct MachineRecord;
class TextLookup;

// Reader and punch control codes of the classic tape interface.
inline constexpr std::uint8_t kDc1Byte = 0x11; // reader start (XON)
inline constexpr std::uint8_t kDc2Byte = 0x12; // punch on
inline constexpr std::uint8_t kDc3Byte = 0x13; // reader stop (XOFF)
inline constexpr std::uint8_t kDc4Byte = 0x14; // punch off

enum class LineEnd : std::uint8_t { CrLf, Lf, Cr };
enum class StartCondition : std::uint8_t { AtOnce, WaitCts, WaitXon };
// Driver: the port's own XON/XOFF (or hardware handshake) holds the output.
// Program: the program reads DC1/DC3 from the line itself and paces its writes, and on
// a receive takes DC2/DC4 as the start and end of the punched program.
enum class FlowMode : std::uint8_t { Driver, Program };
// The name line a control expects at the top of a program; added when the program has
// none of its own.
enum class NameLine : std::uint8_t { None, ONumber, HeidenhainBegin, SiemensMpf };

inline constexpr std::size_t kProfileFolderCount = 3;

struct ControlProfile {
    std::string name;
    bool builtIn = false;
    LineEnd lineEnd = LineEnd::CrLf;
    std::string leader; // raw bytes sent before the program ("%", DC2, ...)
    std::string trailer; // raw bytes after it
    std::string beforeSend; // raw bytes before everything else (a wake-up text)
    std::string afterSend; // raw bytes after everything else
    bool dropBeforePercent = false; // drop the program's text before its first '%'
    NameLine nameLine = NameLine::None;
    StartCondition start = StartCondition::AtOnce;
    FlowMode flow = FlowMode::Driver;
    std::uint32_t linePauseMs = 0; // pause after each line, milliseconds
    // Bytes the control still takes after it said stop; the sender never has more than
    // this on its way, so a stop is always honoured in time.
    std::uint32_t stopAllowance = 64;
    // DSR or CTS gone for longer than this ends a feed as a dropped link; 0 = not watched.
    std::uint32_t linkTimeoutMs = 3000;
    std::string receiveEndPattern = R"((M30|M02|M2|M99)\s*%)";
    // Remote request: a short program whose text matches this pattern asks for the
    // program whose number is the first group.
    std::string requestPattern = R"(\((?:PRG=|O)(\d+)\))";
    std::string fileNamePattern = "O{n}.nc"; // {n} = the number asked for
    std::array<std::string, kProfileFolderCount> folders; // UTF-8 paths, empty = unused
    std::uint32_t requestDelayMs = 500; // wait before answering a request
    bool requestDripFeed = false; // answer a request in drip-feed
};

// Fanuc, Haas, Heidenhain plain text, Siemens, generic; the last is what a machine uses
// when it names no profile.
const std::vector<ControlProfile>& builtInProfiles();
inline constexpr std::string_view kGenericProfileName = "Generic";

// Text form of raw bytes for the profile file and the editor: printable ASCII as is,
// every other byte and the backslash as "\xHH". parseEscapedBytes accepts "\xHH" (one
// or two hex digits), "\\", "\r", "\n" and "\t"; nullopt for a broken escape.
std::string escapedBytesText(std::string_view bytes);
std::optional<std::string> parseEscapedBytes(std::string_view text);

enum class ProfileProblem {
    None,
    BadName, // empty, or with a bracket or line end that the file cannot hold
    BadReceiveEndPattern, // not a regular expression
    BadRequestPattern,
    FileNameWithoutNumber, // a request pattern, but no {n} in the file name pattern
    NoStopAllowance, // 0 bytes after a stop: nothing could ever be sent
};
ProfileProblem profileProblem(const ControlProfile& profile);

// Where a profile file is damaged: its 1-based line (0 = the file could not be read)
// and the text there that could not be taken.
struct ProfileFileError {
    std::size_t line = 0;
    std::string text;
};

// The warning that the profile file in the data folder is damaged and the built-ins
// apply, naming the copy the next save keeps of it.
std::string damagedProfileFileMessage(
    const TextLookup& texts, const ProfileFileError& error, const std::filesystem::path& dataDirectory);

// The set of profiles a program run knows: the built-ins, overridden or added to by the
// user's file.
class ControlProfiles {
public:
    ControlProfiles(); // the built-ins only

    const std::vector<ControlProfile>& all() const { return m_profiles; }
    const ControlProfile* find(std::string_view name) const; // names compare exactly
    // The profile of that name, or the generic one.
    const ControlProfile& resolve(std::string_view name) const;
    // Adds a new profile or replaces the one of the same name.
    void put(ControlProfile profile);
    // Removes a user profile; a built-in returns to its built-in values. False when
    // there is no such profile.
    bool remove(std::string_view name);

    // The file holds only what differs from the built-ins: edited built-ins and the
    // user's own profiles.
    std::string fileText() const;
    // Reads fileText() back. On a damaged text returns false with the place in error
    // and leaves this set as it was.
    bool readFileText(std::string_view text, ProfileFileError& error);

    // "ControlProfiles.txt" in the data folder. load(): a missing file is no error.
    static std::filesystem::path filePath(const std::filesystem::path& dataDirectory);
    bool load(const std::filesystem::path& dataDirectory, ProfileFileError& error);
    bool save(const std::filesystem::path& dataDirectory) const;
    // A damaged file is copied aside before it is replaced: "ControlProfiles.txt.bad",
    // then "ControlProfiles.txt.bad2", ... beside it; an earlier copy is never replaced.
    static DamagedCopyNames damagedCopyNames();

private:
    std::vector<ControlProfile> m_profiles;
};

// The profile name a machine keeps in the unused part of its send settings: a marker
// and the name in UTF-8. An older file has no marker there and reads as empty.
inline constexpr std::size_t kProfileNameCapacity = 60; // bytes, without the terminator
std::string MachineProfileName(const MachineRecord& machine);
void StoreMachineProfileName(MachineRecord& machine, std::string_view name);

// Bytes of a line end.
std::string_view lineEndBytes(LineEnd lineEnd);

// A program made ready for the line: the text before its first '%' dropped when the
// profile says so, its line ends made the profile's, the name line added when missing
// and leader, trailer and the texts before and after placed around it. lineStarts
// holds the byte offset of every program line in bytes (line 1 first), so a position
// on the line can be told as a line of the program.
struct FramedProgram {
    std::string bytes;
    std::vector<std::size_t> lineStarts; // ascending
    std::size_t bodyBegin = 0; // first byte of the program's first line
    std::size_t bodyEnd = 0; // one past the last byte of its last line end
};
// programName: the file name without folder and extension, for a missing name line.
FramedProgram frameProgram(const ControlProfile& profile, std::string_view text, std::string_view programName);

// The name line a program brings of its own, as the profile's kind of name line knows
// it ("O1234 (BRACKET)", "0 BEGIN PGM BRACKET MM", or "%_N_BRACKET_MPF" with the
// ";$PATH=" line after it): the first line of the program when blank lines, a lone "%"
// and, where the profile drops it, the text before the first "%" are passed over.
// Empty when the program has none or the profile adds no name line.
std::vector<std::string> ownNameLines(const ControlProfile& profile, std::string_view text);
// A program restarted from a line must reach the control under the name of the program
// it was cut from, or the control stores or runs it as another program: the original's
// own name lines go in front of the restarted text, unless that text brings its own.
// Without them the framing falls back to the file name as for any program.
std::string keepProgramName(const ControlProfile& profile, std::string_view original, std::string_view restarted);

// 1-based program line holding byte `offset` of the framed bytes; 0 before the first
// line, the last line's number + 1 past the program's end.
std::size_t lineAtOffset(const FramedProgram& program, std::size_t offset);

} // namespace kvt
