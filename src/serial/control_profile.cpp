#include "serial/control_profile.h"

#include "common/atomic_file.h"
#include "common/number_format.h"
#include "common/text_lines.h"
#include "common/text_lookup.h"
#include "serial/serial_settings.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

namespace kvt {

namespace {

ControlProfile makeGeneric()
{
    ControlProfile p;
    p.name = std::string(kGenericProfileName);
    p.builtIn = true;
    return p;
}

std::vector<ControlProfile> makeBuiltIns()
{
    std::vector<ControlProfile> list;

    ControlProfile fanuc;
    fanuc.name = "Fanuc";
    fanuc.builtIn = true;
    fanuc.lineEnd = LineEnd::Lf; // the ISO end of block
    fanuc.leader = "%";
    fanuc.trailer = "%";
    fanuc.dropBeforePercent = true;
    fanuc.nameLine = NameLine::ONumber;
    fanuc.start = StartCondition::WaitXon; // the control asks with DC1 when its reader runs
    fanuc.flow = FlowMode::Program;
    fanuc.stopAllowance = 10; // the reader takes at most ten characters after DC3
    list.push_back(fanuc);

    ControlProfile haas;
    haas.name = "Haas";
    haas.builtIn = true;
    haas.lineEnd = LineEnd::CrLf;
    haas.leader = "%";
    haas.trailer = "%";
    haas.dropBeforePercent = true;
    haas.nameLine = NameLine::ONumber;
    haas.start = StartCondition::AtOnce;
    haas.flow = FlowMode::Program;
    haas.stopAllowance = 32;
    list.push_back(haas);

    ControlProfile heidenhain;
    heidenhain.name = "Heidenhain";
    heidenhain.builtIn = true;
    heidenhain.lineEnd = LineEnd::CrLf;
    heidenhain.nameLine = NameLine::HeidenhainBegin;
    heidenhain.start = StartCondition::WaitXon;
    heidenhain.flow = FlowMode::Program;
    heidenhain.stopAllowance = 16;
    heidenhain.receiveEndPattern = R"(END PGM \S+ (MM|INCH))";
    heidenhain.requestPattern = R"(\((?:PRG=|O)(\d+)\))";
    heidenhain.fileNamePattern = "{n}.H";
    list.push_back(heidenhain);

    ControlProfile siemens;
    siemens.name = "Siemens";
    siemens.builtIn = true;
    siemens.lineEnd = LineEnd::Lf;
    siemens.nameLine = NameLine::SiemensMpf;
    siemens.start = StartCondition::AtOnce;
    siemens.flow = FlowMode::Driver;
    siemens.receiveEndPattern = R"((M30|M02|M2|M17)\s*(%|$))";
    siemens.fileNamePattern = "PRG{n}.MPF";
    list.push_back(siemens);

    list.push_back(makeGeneric());
    return list;
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

std::optional<std::uint32_t> parseCount(std::string_view text)
{
    text = trimmedWhitespace(text);
    std::uint32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The bytes of a leader or trailer that a program line would show: control bytes left
// out, so "\x12%" matches a program line "%".
std::string printablePart(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
    return out;
}

bool endsPrintable(std::string_view bytes)
{
    return !bytes.empty() && static_cast<unsigned char>(bytes.back()) >= 0x20;
}

std::string upperName(std::string_view name)
{
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80 && std::isalnum(u))
            out += static_cast<char>(std::toupper(u));
        else
            out += '_';
    }
    return out.empty() ? std::string("PROGRAM") : out;
}

bool startsWithWord(std::string_view line, std::string_view word)
{
    line = trimmedWhitespace(line);
    // Heidenhain lines carry a block number in front: "0 BEGIN PGM ...".
    std::size_t i = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        ++i;
    if (i > 0 && i < line.size() && line[i] == ' ')
        line = trimmedWhitespace(line.substr(i));
    return line.size() >= word.size() && std::equal(word.begin(), word.end(), line.begin(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    });
}

std::vector<std::string> nameLinesFor(
    const ControlProfile& profile, const std::vector<std::string_view>& body, std::string_view programName)
{
    const std::string_view first = body.empty() ? std::string_view() : trimmedWhitespace(body.front());
    switch (profile.nameLine) {
    case NameLine::None:
        return {};
    case NameLine::ONumber: {
        if (!first.empty() && (first[0] == 'O' || first[0] == 'o' || first[0] == ':'))
            return {};
        std::string digits;
        for (const char c : programName) {
            if (c >= '0' && c <= '9')
                digits += c;
            else if (!digits.empty())
                break;
        }
        if (digits.empty())
            return {}; // no number to give it; the control keeps its own
        return {"O" + digits};
    }
    case NameLine::HeidenhainBegin:
        if (startsWithWord(first, "BEGIN PGM"))
            return {};
        return {"BEGIN PGM " + upperName(programName) + " MM"};
    case NameLine::SiemensMpf:
        if (startsWithWord(first, "%_N_"))
            return {};
        return {"%_N_" + upperName(programName) + "_MPF", ";$PATH=/_N_MPF_DIR"};
    }
    return {};
}

const char* lineEndKey(LineEnd e)
{
    switch (e) {
    case LineEnd::Lf:
        return "LF";
    case LineEnd::Cr:
        return "CR";
    default:
        return "CRLF";
    }
}

const char* nameLineKey(NameLine n)
{
    switch (n) {
    case NameLine::ONumber:
        return "O";
    case NameLine::HeidenhainBegin:
        return "heidenhain";
    case NameLine::SiemensMpf:
        return "siemens";
    default:
        return "none";
    }
}

const char* startKey(StartCondition s)
{
    switch (s) {
    case StartCondition::WaitCts:
        return "cts";
    case StartCondition::WaitXon:
        return "xon";
    default:
        return "now";
    }
}

bool sameSettings(const ControlProfile& a, const ControlProfile& b)
{
    return a.lineEnd == b.lineEnd && a.leader == b.leader && a.trailer == b.trailer && a.beforeSend == b.beforeSend
        && a.afterSend == b.afterSend && a.dropBeforePercent == b.dropBeforePercent && a.nameLine == b.nameLine
        && a.start == b.start && a.flow == b.flow && a.linePauseMs == b.linePauseMs
        && a.stopAllowance == b.stopAllowance && a.linkTimeoutMs == b.linkTimeoutMs
        && a.receiveEndPattern == b.receiveEndPattern && a.requestPattern == b.requestPattern
        && a.fileNamePattern == b.fileNamePattern && a.folders == b.folders && a.requestDelayMs == b.requestDelayMs
        && a.requestDripFeed == b.requestDripFeed;
}

// Applies one "key=value" line; false with the reason when the key or value is bad.
bool applyKey(ControlProfile& p, std::string_view key, std::string_view value)
{
    auto bytes = [&](std::string& field) {
        auto parsed = parseEscapedBytes(value);
        if (!parsed) {
            return false;
        }
        field = *parsed;
        return true;
    };
    auto count = [&](std::uint32_t& field) {
        auto parsed = parseCount(value);
        if (!parsed) {
            return false;
        }
        field = *parsed;
        return true;
    };
    auto flag = [&](bool& field) {
        if (value != "0" && value != "1") {
            return false;
        }
        field = value == "1";
        return true;
    };
    if (key == "lineEnd") {
        if (value == "CRLF")
            p.lineEnd = LineEnd::CrLf;
        else if (value == "LF")
            p.lineEnd = LineEnd::Lf;
        else if (value == "CR")
            p.lineEnd = LineEnd::Cr;
        else
            return false;
        return true;
    }
    if (key == "leader")
        return bytes(p.leader);
    if (key == "trailer")
        return bytes(p.trailer);
    if (key == "beforeSend")
        return bytes(p.beforeSend);
    if (key == "afterSend")
        return bytes(p.afterSend);
    if (key == "dropBeforePercent")
        return flag(p.dropBeforePercent);
    if (key == "nameLine") {
        for (NameLine n : {NameLine::None, NameLine::ONumber, NameLine::HeidenhainBegin, NameLine::SiemensMpf})
            if (value == nameLineKey(n))
                return p.nameLine = n, true;
        return false;
    }
    if (key == "start") {
        for (StartCondition s : {StartCondition::AtOnce, StartCondition::WaitCts, StartCondition::WaitXon})
            if (value == startKey(s))
                return p.start = s, true;
        return false;
    }
    if (key == "flow") {
        if (value == "driver")
            return p.flow = FlowMode::Driver, true;
        if (value == "program")
            return p.flow = FlowMode::Program, true;
        return false;
    }
    if (key == "linePauseMs")
        return count(p.linePauseMs);
    if (key == "stopAllowance")
        return count(p.stopAllowance);
    if (key == "linkTimeoutMs")
        return count(p.linkTimeoutMs);
    if (key == "requestDelayMs")
        return count(p.requestDelayMs);
    if (key == "requestDripFeed")
        return flag(p.requestDripFeed);
    if (key == "receiveEnd")
        return p.receiveEndPattern = value, true;
    if (key == "request")
        return p.requestPattern = value, true;
    if (key == "fileName")
        return p.fileNamePattern = value, true;
    if (key.size() == 7 && key.substr(0, 6) == "folder" && key[6] >= '1' && key[6] <= '3') {
        p.folders[static_cast<std::size_t>(key[6] - '1')] = value;
        return true;
    }
    return false; // an unknown key: a file from a newer program or a typing error
}

} // namespace

const std::vector<ControlProfile>& builtInProfiles()
{
    static const std::vector<ControlProfile> list = makeBuiltIns();
    return list;
}

std::string escapedBytesText(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\')
            out += c;
        else
            out += cformat("\\x%02X", u);
    }
    return out;
}

std::optional<std::string> parseEscapedBytes(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'x':
        case 'X': {
            if (i + 1 >= text.size() || !isHex(text[i + 1]))
                return std::nullopt;
            int value = hexValue(text[++i]);
            if (i + 1 < text.size() && isHex(text[i + 1]))
                value = value * 16 + hexValue(text[++i]);
            out += static_cast<char>(value);
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

ProfileProblem profileProblem(const ControlProfile& profile)
{
    if (profile.name.empty() || profile.name.find_first_of("[]\r\n") != std::string::npos)
        return ProfileProblem::BadName;
    for (const auto& [pattern, problem] : {std::pair {&profile.receiveEndPattern, ProfileProblem::BadReceiveEndPattern},
             std::pair {&profile.requestPattern, ProfileProblem::BadRequestPattern}}) {
        if (pattern->empty())
            continue;
        try {
            std::regex check(*pattern, std::regex::ECMAScript);
        } catch (const std::regex_error&) {
            return problem;
        }
    }
    if (!profile.requestPattern.empty() && profile.fileNamePattern.find("{n}") == std::string::npos)
        return ProfileProblem::FileNameWithoutNumber;
    if (profile.stopAllowance == 0)
        return ProfileProblem::NoStopAllowance;
    return ProfileProblem::None;
}

// --- ControlProfiles --------------------------------------------------------------------

ControlProfiles::ControlProfiles()
    : m_profiles(builtInProfiles())
{
}

const ControlProfile* ControlProfiles::find(std::string_view name) const
{
    for (const ControlProfile& p : m_profiles)
        if (p.name == name)
            return &p;
    return nullptr;
}

const ControlProfile& ControlProfiles::resolve(std::string_view name) const
{
    if (const ControlProfile* p = find(name))
        return *p;
    if (const ControlProfile* p = find(kGenericProfileName))
        return *p;
    static const ControlProfile generic = makeGeneric();
    return generic;
}

void ControlProfiles::put(ControlProfile profile)
{
    for (ControlProfile& p : m_profiles) {
        if (p.name == profile.name) {
            profile.builtIn = p.builtIn;
            p = std::move(profile);
            return;
        }
    }
    profile.builtIn = false;
    m_profiles.push_back(std::move(profile));
}

bool ControlProfiles::remove(std::string_view name)
{
    for (auto it = m_profiles.begin(); it != m_profiles.end(); ++it) {
        if (it->name != name)
            continue;
        if (it->builtIn) {
            for (const ControlProfile& b : builtInProfiles())
                if (b.name == name)
                    *it = b;
        } else {
            m_profiles.erase(it);
        }
        return true;
    }
    return false;
}

std::string ControlProfiles::fileText() const
{
    std::string out = "# Kalvora Tools control profiles (UTF-8; bytes other than printable ASCII as \\xHH)\n";
    for (const ControlProfile& p : m_profiles) {
        if (p.builtIn) {
            const auto& builtIns = builtInProfiles();
            const auto it = std::find_if(
                builtIns.begin(), builtIns.end(), [&](const ControlProfile& b) { return b.name == p.name; });
            if (it != builtIns.end() && sameSettings(*it, p))
                continue;
        }
        out += "\n[" + p.name + "]\n";
        out += std::string("lineEnd=") + lineEndKey(p.lineEnd) + "\n";
        out += "leader=" + escapedBytesText(p.leader) + "\n";
        out += "trailer=" + escapedBytesText(p.trailer) + "\n";
        out += "beforeSend=" + escapedBytesText(p.beforeSend) + "\n";
        out += "afterSend=" + escapedBytesText(p.afterSend) + "\n";
        out += std::string("dropBeforePercent=") + (p.dropBeforePercent ? "1" : "0") + "\n";
        out += std::string("nameLine=") + nameLineKey(p.nameLine) + "\n";
        out += std::string("start=") + startKey(p.start) + "\n";
        out += std::string("flow=") + (p.flow == FlowMode::Program ? "program" : "driver") + "\n";
        out += "linePauseMs=" + cformat("%u", p.linePauseMs) + "\n";
        out += "stopAllowance=" + cformat("%u", p.stopAllowance) + "\n";
        out += "linkTimeoutMs=" + cformat("%u", p.linkTimeoutMs) + "\n";
        out += "receiveEnd=" + p.receiveEndPattern + "\n";
        out += "request=" + p.requestPattern + "\n";
        out += "fileName=" + p.fileNamePattern + "\n";
        for (std::size_t i = 0; i < kProfileFolderCount; ++i)
            out += "folder" + cformat("%u", static_cast<unsigned>(i + 1)) + "=" + p.folders[i] + "\n";
        out += "requestDelayMs=" + cformat("%u", p.requestDelayMs) + "\n";
        out += std::string("requestDripFeed=") + (p.requestDripFeed ? "1" : "0") + "\n";
    }
    return out;
}

bool ControlProfiles::readFileText(std::string_view text, ProfileFileError& error)
{
    ControlProfiles result;
    std::optional<ControlProfile> current;
    auto finish = [&](std::size_t lineNumber) {
        if (!current)
            return true;
        const ProfileProblem problem = profileProblem(*current);
        if (problem != ProfileProblem::None) {
            error = {lineNumber, current->name};
            return false;
        }
        result.put(std::move(*current));
        current.reset();
        return true;
    };
    std::size_t lineNumber = 0;
    std::size_t sectionLine = 0;
    for (std::string_view raw : splitLines(text)) {
        ++lineNumber;
        const std::string_view line = trimmedWhitespace(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                error = {lineNumber, std::string(line)};
                return false;
            }
            if (!finish(sectionLine))
                return false;
            sectionLine = lineNumber;
            const std::string name(line.substr(1, line.size() - 2));
            const ControlProfile* base = result.find(name);
            current = base != nullptr ? *base : ControlProfile {};
            current->name = name;
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos || !current) {
            error = {lineNumber, std::string(line)};
            return false;
        }
        // The value keeps its inner and trailing spaces only up to the line end: a
        // leader of spaces must survive, so only the key is trimmed.
        std::string_view value = raw.substr(raw.find('=') + 1);
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n'))
            value.remove_suffix(1);
        if (!applyKey(*current, trimmedWhitespace(line.substr(0, eq)), value)) {
            error = {lineNumber, std::string(trimmedWhitespace(line.substr(0, eq)))};
            return false;
        }
    }
    if (!finish(sectionLine))
        return false;
    *this = std::move(result);
    return true;
}

std::filesystem::path ControlProfiles::filePath(const std::filesystem::path& dataDirectory)
{
    return dataDirectory / "ControlProfiles.txt";
}

bool ControlProfiles::load(const std::filesystem::path& dataDirectory, ProfileFileError& error)
{
    const std::filesystem::path path = filePath(dataDirectory);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return true;
    std::ifstream in(path, std::ios::binary);
    constexpr std::uintmax_t kLargestFile = 4 * 1024 * 1024; // far beyond any profile list
    if (!in || std::filesystem::file_size(path, ec) > kLargestFile) {
        error = {0, path.filename().string()};
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return readFileText(text, error);
}

bool ControlProfiles::save(const std::filesystem::path& dataDirectory) const
{
    return writeFileAtomically(filePath(dataDirectory), fileText());
}

DamagedCopyNames ControlProfiles::damagedCopyNames()
{
    return {"ControlProfiles.txt.bad", ""};
}

std::string damagedProfileFileMessage(
    const TextLookup& texts, const ProfileFileError& error, const std::filesystem::path& dataDirectory)
{
    const DamagedCopyNames names = ControlProfiles::damagedCopyNames();
    // With no free name left the save is refused and says so; the message names the
    // first copy then.
    const std::optional<std::filesystem::path> copy = freeDamagedCopyPath(dataDirectory, names);
    const std::string copyName = copy ? copy->filename().string() : names.stem + names.extension;
    return cformat(texts.text(94747,
                       "*Die Datei der Steuerungsprofile ist beschädigt (Zeile %u: %s). Es gelten die eingebauten "
                       "Profile; die Datei wird beim nächsten Speichern als %s aufbewahrt."),
        static_cast<unsigned>(error.line), error.text, copyName);
}

// --- the machine's choice -----------------------------------------------------------------

namespace {
constexpr char kProfileMarker[4] = {'K', 'V', 'P', '1'};
static_assert(sizeof(kProfileMarker) + kProfileNameCapacity + 1 <= sizeof(SerialSettings::reserved1));
} // namespace

std::string MachineProfileName(const MachineRecord& machine)
{
    const SerialSettings set = LoadSerialSettings(machine, PortDirection::Send);
    if (std::memcmp(set.reserved1, kProfileMarker, sizeof kProfileMarker) != 0)
        return {};
    const auto* begin = reinterpret_cast<const char*>(set.reserved1 + sizeof kProfileMarker);
    const auto* end = std::find(begin, begin + kProfileNameCapacity + 1, '\0');
    if (end == begin + kProfileNameCapacity + 1)
        return {}; // no terminator: not ours
    std::string name(begin, end);
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return {};
    return name;
}

void StoreMachineProfileName(MachineRecord& machine, std::string_view name)
{
    SerialSettings set = LoadSerialSettings(machine, PortDirection::Send);
    std::memset(set.reserved1, 0, sizeof kProfileMarker + kProfileNameCapacity + 1);
    if (!name.empty()) {
        // Cut at a character boundary so the stored name stays valid UTF-8.
        std::size_t size = std::min(name.size(), kProfileNameCapacity);
        while (size > 0 && size < name.size() && (static_cast<unsigned char>(name[size]) & 0xC0) == 0x80)
            --size;
        std::memcpy(set.reserved1, kProfileMarker, sizeof kProfileMarker);
        std::memcpy(set.reserved1 + sizeof kProfileMarker, name.data(), size);
    }
    StoreSerialSettings(machine, PortDirection::Send, set);
}

// --- framing --------------------------------------------------------------------------------

std::string_view lineEndBytes(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::Lf:
        return "\n";
    case LineEnd::Cr:
        return "\r";
    default:
        return "\r\n";
    }
}

FramedProgram frameProgram(const ControlProfile& profile, std::string_view text, std::string_view programName)
{
    const std::string_view eol = lineEndBytes(profile.lineEnd);
    std::vector<std::string_view> lines = splitLines(text);
    FramedProgram out;
    out.lineStarts.assign(lines.size(), 0);

    std::size_t first = 0;
    if (profile.dropBeforePercent) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const auto pos = lines[i].find('%');
            if (pos == std::string_view::npos)
                continue;
            // A "%" with nothing after it ends the program rather than starting it (a
            // program restarted from a block, one written without the opening "%"):
            // dropping what stands before it would send the control an empty program.
            bool programFollows = !trimmedWhitespace(lines[i].substr(pos + 1)).empty();
            for (std::size_t j = i + 1; j < lines.size() && !programFollows; ++j)
                programFollows = !trimmedWhitespace(lines[j]).empty();
            if (programFollows) {
                lines[i] = lines[i].substr(pos);
                first = i;
            }
            break;
        }
    }
    std::size_t last = lines.size(); // one past the last line sent
    while (last > first && trimmedWhitespace(lines[last - 1]).empty())
        --last;

    // A program that brings the profile's leader or trailer as its own first or last
    // line gets them from the profile only, not twice.
    const std::string leaderLine = printablePart(profile.leader);
    const std::string trailerLine = printablePart(profile.trailer);
    const bool ownLeader = first < last && !leaderLine.empty() && trimmedWhitespace(lines[first]) == leaderLine;
    const bool ownTrailer = last > first + (ownLeader ? 1 : 0) && !trailerLine.empty()
        && trimmedWhitespace(lines[last - 1]) == trailerLine;

    out.bytes = profile.beforeSend;
    const std::size_t leaderAt = out.bytes.size();
    out.bytes += profile.leader;
    if (endsPrintable(profile.leader))
        out.bytes += eol;
    for (std::size_t i = 0; i <= first && i < lines.size(); ++i)
        out.lineStarts[i] = leaderAt;

    const std::size_t bodyFirst = first + (ownLeader ? 1 : 0);
    const std::size_t bodyLast = last - (ownTrailer ? 1 : 0);
    std::vector<std::string_view> body(lines.begin() + static_cast<std::ptrdiff_t>(std::min(bodyFirst, bodyLast)),
        lines.begin() + static_cast<std::ptrdiff_t>(bodyLast));
    const std::size_t nameAt = out.bytes.size();
    for (const std::string& nameLine : nameLinesFor(profile, body, programName)) {
        out.bytes += nameLine;
        out.bytes += eol;
    }
    out.bodyBegin = profile.nameLine == NameLine::None ? out.bytes.size() : nameAt;

    for (std::size_t i = bodyFirst; i < bodyLast; ++i) {
        out.lineStarts[i] = out.bytes.size();
        out.bytes += lines[i];
        out.bytes += eol;
    }
    if (profile.nameLine == NameLine::HeidenhainBegin && !body.empty() && !startsWithWord(body.front(), "BEGIN PGM"))
        out.bytes += "END PGM " + upperName(programName) + " MM" + std::string(eol);
    out.bodyEnd = out.bytes.size();
    for (std::size_t i = bodyLast; i < lines.size(); ++i)
        out.lineStarts[i] = out.bodyEnd;
    out.bytes += profile.trailer;
    if (endsPrintable(profile.trailer))
        out.bytes += eol;
    out.bytes += profile.afterSend;
    return out;
}

std::vector<std::string> ownNameLines(const ControlProfile& profile, std::string_view text)
{
    if (profile.nameLine == NameLine::None)
        return {};
    std::vector<std::string_view> lines = splitLines(text);
    std::size_t i = 0;
    if (profile.dropBeforePercent) {
        for (std::size_t j = 0; j < lines.size(); ++j) {
            const auto pos = lines[j].find('%');
            if (pos == std::string_view::npos)
                continue;
            // As the framing does: a "%" that only ends the program drops nothing.
            bool programFollows = !trimmedWhitespace(lines[j].substr(pos + 1)).empty();
            for (std::size_t k = j + 1; k < lines.size() && !programFollows; ++k)
                programFollows = !trimmedWhitespace(lines[k]).empty();
            if (programFollows) {
                lines[j] = lines[j].substr(pos);
                i = j;
            }
            break;
        }
    }
    const std::string leaderLine = printablePart(profile.leader);
    while (i < lines.size()) {
        const std::string_view line = trimmedWhitespace(lines[i]);
        if (!line.empty() && line != "%" && (leaderLine.empty() || line != leaderLine))
            break;
        ++i;
    }
    if (i == lines.size())
        return {};
    const std::string_view first = trimmedWhitespace(lines[i]);
    switch (profile.nameLine) {
    case NameLine::None:
        break;
    case NameLine::ONumber:
        if (first[0] == 'O' || first[0] == 'o' || first[0] == ':')
            return {std::string(first)};
        break;
    case NameLine::HeidenhainBegin:
        if (startsWithWord(first, "BEGIN PGM"))
            return {std::string(first)};
        break;
    case NameLine::SiemensMpf:
        if (startsWithWord(first, "%_N_")) {
            if (i + 1 < lines.size() && startsWithWord(lines[i + 1], ";$PATH="))
                return {std::string(first), std::string(trimmedWhitespace(lines[i + 1]))};
            return {std::string(first)};
        }
        break;
    }
    return {};
}

std::string keepProgramName(const ControlProfile& profile, std::string_view original, std::string_view restarted)
{
    if (!ownNameLines(profile, restarted).empty())
        return std::string(restarted);
    std::string text;
    for (const std::string& line : ownNameLines(profile, original))
        text += line + "\n";
    return text + std::string(restarted);
}

std::size_t lineAtOffset(const FramedProgram& program, std::size_t offset)
{
    if (program.lineStarts.empty() || offset < program.lineStarts.front())
        return 0;
    if (offset >= program.bodyEnd)
        return program.lineStarts.size() + 1;
    const auto it = std::upper_bound(program.lineStarts.begin(), program.lineStarts.end(), offset);
    return static_cast<std::size_t>(it - program.lineStarts.begin());
}

} // namespace kvt
