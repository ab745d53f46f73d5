#pragma once
// Puts a report sheet on paper or into a PDF file. PDF files are written with Qt Gui;
// paper goes through Qt Print Support in the print module beside the program, which is
// loaded the first time the user prints, so that a start does not load Qt Print Support.

#include "common/report_sheet.h"

#include <filesystem>
#include <optional>
#include <string>

class QPagedPaintDevice;
class QWidget;

namespace kvt {

// Draws the sheet onto a printer or PDF writer that is ready to paint; false when the
// device cannot be painted on (a PDF path that cannot be created, a printer error).
bool renderReportSheet(QPagedPaintDevice& device, const ReportSheet& sheet, const TextLookup& texts);

struct PdfWriteResult {
    bool written = false;
    std::string error;
};

// Writes the sheet as a PDF through a temporary file beside the target and a rename, so
// that a failed write never leaves a half-written file under the chosen name.
PdfWriteResult writeReportPdf(const std::filesystem::path& path, const ReportSheet& sheet, const TextLookup& texts);

// The print dialog with its preview; prints when the user confirms. Returns the message
// to show when the print module cannot be loaded ("Can't load <file>."), naming the file
// looked for; moduleFolder is where it is looked for, empty for the program's folder.
std::optional<std::string> printReportSheet(
    QWidget* parent, const ReportSheet& sheet, const TextLookup& texts, const std::filesystem::path& moduleFolder = {});

// The print module's file name on this system, and its entry: the print dialog over the
// parent for the sheet.
std::string printModuleFileName();
inline constexpr const char* kPrintModuleEntry = "kvtPrintReportSheet";
using PrintReportSheetEntry = void (*)(QWidget* parent, const ReportSheet* sheet, const TextLookup* texts);

} // namespace kvt
