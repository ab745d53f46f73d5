// The print module: the print dialog with its preview on Qt Print Support, loaded by
// printReportSheet (report_printer.cpp) the first time the user prints.

#include "common/report_printer.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

extern "C" Q_DECL_EXPORT void kvtPrintReportSheet(
    QWidget* parent, const kvt::ReportSheet* sheet, const kvt::TextLookup* texts)
{
    if (!sheet || !texts)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(sheet->windowTitle));
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QString::fromStdString(texts->text(kvt::kPrintReportTextId, kvt::kPrintReportText)));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
        [&](QPrinter* target) { kvt::renderReportSheet(*target, *sheet, *texts); });
    preview.exec();
}
