#include "common/report_printer.h"

#include "common/code_page.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLibrary>
#include <QPainter>
#include <QPdfWriter>

#include <map>
#include <mutex>
#include <system_error>

namespace kvt {

namespace {

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

QString toQt(const std::filesystem::path& path)
{
    const auto text = path.u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::filesystem::path programFolder()
{
    const QByteArray folder = QCoreApplication::applicationDirPath().toUtf8();
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(folder.constData()), static_cast<std::size_t>(folder.size())));
}

} // namespace

bool renderReportSheet(QPagedPaintDevice& device, const ReportSheet& sheet, const TextLookup& texts)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;

    const QRectF page = QRectF(0, 0, device.width(), device.height());
    QFont body = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    body.setPointSizeF(9.5);
    QFont title = body;
    title.setFamily(QStringLiteral("Sans Serif"));
    title.setPointSizeF(13);
    title.setBold(true);
    QFont small = title;
    small.setPointSizeF(9);
    small.setBold(false);

    const QFontMetricsF titleMetrics(title, &device);
    const QFontMetricsF smallMetrics(small, &device);
    const QFontMetricsF bodyMetrics(body, &device);
    const qreal headerHeight = titleMetrics.height() + 2 * smallMetrics.height() + bodyMetrics.height();
    const qreal footerHeight = 2 * smallMetrics.height();
    const qreal lineHeight = bodyMetrics.lineSpacing();
    const int linesPerPage = static_cast<int>((page.height() - headerHeight - footerHeight) / lineHeight);

    const std::vector<SheetPage> pages = paginate(sheet.lines.size(), linesPerPage);
    const int pageCount = static_cast<int>(pages.size());
    for (int p = 0; p < pageCount; ++p) {
        if (p > 0 && !device.newPage())
            return false;
        qreal y = 0;
        painter.setFont(title);
        painter.drawText(QPointF(0, y + titleMetrics.ascent()), qt(sheet.programName + " - " + sheet.windowTitle));
        y += titleMetrics.height();
        painter.setFont(small);
        QString second;
        if (!sheet.machineName.empty())
            second
                = qt(texts.text(kMachineHeaderTextId, kMachineHeaderText) + sheet.machineName) + QStringLiteral("    ");
        second += qt(sheet.stamp);
        painter.drawText(QPointF(0, y + smallMetrics.ascent()), second);
        y += 1.5 * smallMetrics.height();
        painter.drawLine(QPointF(0, y), QPointF(page.width(), y));
        y += bodyMetrics.height() - 0.5 * smallMetrics.height();

        painter.setFont(body);
        const SheetPage& slice = pages[static_cast<std::size_t>(p)];
        for (std::size_t i = 0; i < slice.lineCount; ++i) {
            painter.drawText(QPointF(0, y + bodyMetrics.ascent()), qt(sheet.lines[slice.firstLine + i]));
            y += lineHeight;
        }

        painter.setFont(small);
        const qreal footer = page.height() - smallMetrics.height();
        painter.drawLine(QPointF(0, footer - 0.5 * smallMetrics.height()),
            QPointF(page.width(), footer - 0.5 * smallMetrics.height()));
        painter.drawText(QRectF(0, footer, page.width(), smallMetrics.height()), Qt::AlignRight,
            qt(pageNumberText(texts, p + 1, pageCount)));
    }
    return painter.end();
}

PdfWriteResult writeReportPdf(const std::filesystem::path& path, const ReportSheet& sheet, const TextLookup& texts)
{
    PdfWriteResult result;
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        QPdfWriter writer(QString::fromStdU16String(temporary.u16string()));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(18, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(QString::fromStdString(sheet.windowTitle));
        writer.setCreator(QString::fromStdString(sheet.programName));
        if (!renderReportSheet(writer, sheet, texts)) {
            result.error = "cannot create " + temporary.string();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return result;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        result.error = error.message();
        std::filesystem::remove(temporary, error);
        return result;
    }
    result.written = true;
    return result;
}

std::string printModuleFileName()
{
#if defined(_WIN32)
    return "Kalvora_Tools_Print.dll";
#else
    return "libKalvora_Tools_Print.so";
#endif
}

std::optional<std::string> printReportSheet(
    QWidget* parent, const ReportSheet& sheet, const TextLookup& texts, const std::filesystem::path& moduleFolder)
{
    // Loaded once per folder and never unloaded.
    static std::mutex mutex;
    static std::map<std::filesystem::path, PrintReportSheetEntry> entries;
    const std::filesystem::path folder = moduleFolder.empty() ? programFolder() : moduleFolder;
    PrintReportSheetEntry entry = nullptr;
    {
        const std::lock_guard lock(mutex);
        auto found = entries.find(folder);
        if (found == entries.end()) {
            QLibrary library(toQt(folder / printModuleFileName()));
            found = entries.emplace(folder, reinterpret_cast<PrintReportSheetEntry>(library.resolve(kPrintModuleEntry)))
                        .first;
        }
        entry = found->second;
    }
    if (!entry)
        return "Can't load " + pathToUtf8(folder / printModuleFileName()) + ".";
    entry(parent, &sheet, &texts);
    return std::nullopt;
}

} // namespace kvt
