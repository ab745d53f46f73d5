#pragma once
// A report laid out as a set-up sheet for paper or PDF: a header with the program, the
// window, the machine and the stamp, the report lines in a monospaced table, and page
// numbers. The plain text report stays as it is; this is only how it is put on a page.

#include "common/text_lookup.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct ReportSheet {
    std::string programName;
    std::string windowTitle;
    std::string machineName; // may be empty
    std::string stamp; // date and time as the report shows them
    std::vector<std::string> lines; // UTF-8, tabs expanded, no line ends
};

// Splits a report text (CRLF or LF line ends) into sheet lines, with tabs expanded to
// the next multiple of eight columns, as the text viewer shows them. A final line end
// makes no empty last line.
std::vector<std::string> reportSheetLines(std::string_view utf8Text);

struct SheetPage {
    std::size_t firstLine;
    std::size_t lineCount;
};

// Pages of at most linesPerPage lines (at least one line a page); an empty report still
// gives one page, so that the header is printed.
std::vector<SheetPage> paginate(std::size_t lineCount, int linesPerPage);

// "Seite 2 von 3" in the current language.
std::string pageNumberText(const TextLookup& texts, int page, int pageCount);

inline constexpr int kPrintReportTextId = 91001; // "*Drucken…"
inline constexpr std::string_view kPrintReportText = "*Drucken…";
inline constexpr int kSaveReportPdfTextId = 91002; // "*Als PDF speichern…"
inline constexpr std::string_view kSaveReportPdfText = "*Als PDF speichern…";
inline constexpr int kPdfFilterTextId = 91004;
inline constexpr std::string_view kPdfFilterText = "*PDF-Dokumente (*.pdf)";
inline constexpr int kMachineHeaderTextId = 91005;
inline constexpr std::string_view kMachineHeaderText = "*Maschine: ";
inline constexpr int kPdfNotWrittenTextId = 91006;
inline constexpr std::string_view kPdfNotWrittenText = "*Die PDF-Datei konnte nicht geschrieben werden:";

} // namespace kvt
