#pragma once
// Puts a report sheet on paper or into a PDF file through Qt Print Support.

#include "common/report_sheet.h"

#include <filesystem>
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

// The print dialog with its preview; prints when the user confirms.
void printReportSheet(QWidget* parent, const ReportSheet& sheet, const TextLookup& texts);

} // namespace kvt
