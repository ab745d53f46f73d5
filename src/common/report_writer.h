#pragma once
// Calculation reports: a window composes its report as text, the writer stores it as a
// new Windows-1252 file named after the report kind and a time stamp in the kind's
// folder of the data directory, and the window may then open it in the text viewer.
//
// Windows compose their report in a std::string (UTF-8) of any length and hand it to
// the writer, which writes it whole. The shared report area of the NC text buffer still
// receives a copy (cut to the area, always terminated) because the calculations library
// hands its report over through it; a report written from the area is read up to its
// terminator and never past the end of the area.

#include "common/clock.h"
#include "common/message_boxes.h"
#include "common/text_lookup.h"

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kvt {

struct OpenDialogData;
struct NcTextBuffer;

struct ReportKind {
    int kind;
    std::string_view folder;
    std::string_view prefix;
};

// The report kinds by name (their folders); the numbers are the ones files, the
// calculations library and every caller use.
enum class ReportKindId : int {
    Amdws = 1,
    Btb = 2,
    Fla = 3,
    Coolant = 4, // folder KSM, prefix "KSS Report_"
    Mic = 5,
    Psh = 6,
    Rs232 = 7,
    CuttingData = 8, // SDR
    Stft = 9,
    Ta = 10,
    Sln = 11,
    Tdw = 12,
    Gal = 13,
};

// The coolant report really lives in "KSM" with the prefix "KSS Report_".
inline constexpr std::array<ReportKind, 13> kReportKinds = {{
    {1, "AMDWS", "AMDWS Report_"},
    {2, "BTB", "BTB Report_"},
    {3, "FLA", "FLA Report_"},
    {4, "KSM", "KSS Report_"},
    {5, "MIC", "MIC Report_"},
    {6, "PSH", "PSH Report_"},
    {7, "RS232", "RS232 Report_"},
    {8, "SDR", "SDR Report_"},
    {9, "STFT", "STFT Report_"},
    {10, "TA", "TA Report_"},
    {11, "SLN", "SLN Report_"},
    {12, "TDW", "TDW Report_"},
    {13, "GAL", "GAL Report_"},
}};
static_assert(kReportKinds[static_cast<int>(ReportKindId::CuttingData) - 1].folder == "SDR");
static_assert(kReportKinds[static_cast<int>(ReportKindId::Coolant) - 1].folder == "KSM");
static_assert(kReportKinds[static_cast<int>(ReportKindId::Gal) - 1].folder == "GAL");

// Kinds outside 1 to 13 have none: their reports go into the data directory itself
// without a prefix.
std::optional<ReportKind> reportKind(int kind);

// Line pieces the windows build their reports from.
inline constexpr std::string_view kReportLineEnd = "\r\n";
std::string reportSeparator(int minusSigns); // a line of minus signs with its line end
std::string reportLine(std::string_view label, std::string_view value); // label + "\t: " + value + line end

// <data directory>/<folder>/<prefix><stamp>.txt with the stamp of dateTimeSecondsStamp
// compacted ("SDR Report_07032025_140509.txt"; English "SDR Report_20250307_140509.txt").
// Any language code other than German takes the English form, so that a name never
// loses its stamp.
std::filesystem::path reportFilePath(
    const std::filesystem::path& dataDirectory, int kind, int languageCode, const LocalDateTime& time);

struct ReportWriteResult {
    std::filesystem::path path; // the file written, or the one that could not be
    bool written = false;
    std::string error; // why it could not be written
};

// Writes the report without any message: the text up to its first zero character,
// converted to Windows-1252, no byte order mark, no terminating zero.
ReportWriteResult writeReportFile(const std::filesystem::path& dataDirectory, int kind, int languageCode,
    std::string_view utf8Text, const Clock& clock);

inline constexpr int kReportNotWrittenMessageId = 68140;
inline constexpr std::string_view kReportNotWrittenMessage = "*Der Report konnte nicht geschrieben werden:";
inline constexpr int kErrorCaptionFehlerId = 65470;
inline constexpr std::string_view kErrorCaptionFehler = "*Fehler";

class ReportWriter {
public:
    ReportWriter(const Clock& clock, const TextLookup& texts, MessageBoxes& boxes)
        : m_clock(clock)
        , m_texts(texts)
        , m_boxes(boxes)
    {
    }

    // Writes the report; when the file cannot be written the user is told so with the
    // path, and the caller keeps its text for another try.
    ReportWriteResult write(
        const std::filesystem::path& dataDirectory, int kind, int languageCode, std::string_view utf8Text) const;

    // The form the windows call: data directory and language from the central state,
    // the path stored in lastReportPath (also after a failure, so that opening the report
    // shows the viewer's own message about the missing file), a copy of the text in the
    // report area and its 8-bit copy beside it. The report area is read, never cleared.
    ReportWriteResult write(OpenDialogData& state, NcTextBuffer& buffer, int kind, std::string_view utf8Text) const;
    ReportWriteResult write(
        OpenDialogData& state, NcTextBuffer& buffer, ReportKindId kind, std::string_view utf8Text) const
    {
        return write(state, buffer, static_cast<int>(kind), utf8Text);
    }

    // Writes what the report area holds (the calculations library composes there).
    ReportWriteResult writeFromArea(OpenDialogData& state, NcTextBuffer& buffer, int kind) const;

private:
    void showFailure(const ReportWriteResult& result) const;
    ReportWriteResult store(OpenDialogData& state, NcTextBuffer& buffer, int kind, std::string_view utf8Text) const;

    const Clock& m_clock;
    const TextLookup& m_texts;
    MessageBoxes& m_boxes;
};

// The shared report area: cleared, then appended to without ever overrunning it. An
// append that does not fit is cut at a character boundary and returns false.
void clearReportArea(std::span<char16_t> area);
bool appendToReportArea(std::span<char16_t> area, std::string_view utf8Text);
std::string reportAreaText(std::span<const char16_t> area); // up to the terminator

// Opens a file in the desktop's text viewer; the Qt side provides it.
class TextViewerLauncher {
public:
    virtual ~TextViewerLauncher() = default;
    virtual bool open(const std::filesystem::path& file) = 0;
};

// Opens the report written last (lastReportPath); false when there is none or the viewer
// could not be started.
bool openReport(const OpenDialogData& state, TextViewerLauncher& launcher);

} // namespace kvt
