#include "common/report_printer.h"
#include "locale_test_support.h"
#include "qt_test_support.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kvt {
namespace {

class EnglishTexts final : public TextLookup {
public:
    std::string text(int id, std::string_view builtin) const override
    {
        switch (id) {
        case 91007:
            return "Page ";
        case 91008:
            return " of ";
        case 91005:
            return "Machine: ";
        default:
            return std::string(builtin.substr(builtin.starts_with('*') ? 1 : 0));
        }
    }
};

ReportSheet cuttingDataSheet(int lineCount)
{
    ReportSheet sheet {"Kalvora Tools", "Cutting Data", "Mill DMC 635", "07.12.2026 10:15:02", {}};
    sheet.lines = reportSheetLines("CUTTING DATA\r\n--------------------\r\nDiameter\t: 12.000\r\n"
                                   "Cutting speed\t: 180.000\r\nSpindle speed\t: 4775\r\n");
    while (static_cast<int>(sheet.lines.size()) < lineCount)
        sheet.lines.push_back("Line " + std::to_string(sheet.lines.size() + 1));
    return sheet;
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const std::filesystem::path& pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf.string())});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The share of pixels that are not white on a page rendered back from the PDF.
double inkOnPage(const std::filesystem::path& pdf, int page, const QString& pngBase)
{
    const QString number = QString::number(page);
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-f"), number,
            QStringLiteral("-l"), number, QStringLiteral("-singlefile"), QString::fromStdString(pdf.string()),
            pngBase});
    QImage image(pngBase + QStringLiteral(".png"));
    if (image.isNull())
        return -1;
    long dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                ++dark;
    return static_cast<double>(dark) / (image.width() * image.height());
}

TEST(ReportPrinter, ShortReportIsOneReadablePage)
{
    QTemporaryDir dir;
    const std::filesystem::path pdf = dir.filePath(QStringLiteral("SDR.pdf")).toStdString();
    const PdfWriteResult result = writeReportPdf(pdf, cuttingDataSheet(5), EnglishTexts());
    ASSERT_TRUE(result.written) << result.error;
    EXPECT_FALSE(std::filesystem::exists(pdf.string() + ".tmp"));
    EXPECT_EQ(pdfPages(pdf), 1);
    const double ink = inkOnPage(pdf, 1, dir.filePath(QStringLiteral("page")));
    EXPECT_GT(ink, 0.001) << "the page came out blank";
    EXPECT_LT(ink, 0.5);
    // The text layer holds the header, the lines and the page number as a reader sees them.
    const QString text = run(QStringLiteral("pdftotext"),
        {QStringLiteral("-layout"), QString::fromStdString(pdf.string()), QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Kalvora Tools - Cutting Data"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Machine: Mill DMC 635"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Spindle speed   : 4775"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1 of 1"))) << text.toStdString();
}

TEST(ReportPrinter, LongReportNumbersItsPages)
{
    QTemporaryDir dir;
    const std::filesystem::path pdf = dir.filePath(QStringLiteral("long.pdf")).toStdString();
    ASSERT_TRUE(writeReportPdf(pdf, cuttingDataSheet(120), EnglishTexts()).written);
    EXPECT_EQ(pdfPages(pdf), 2);
    const QString text = run(QStringLiteral("pdftotext"), {QString::fromStdString(pdf.string()), QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1 of 2")));
    EXPECT_TRUE(text.contains(QStringLiteral("Page 2 of 2")));
    EXPECT_TRUE(text.contains(QStringLiteral("Line 120")));
    EXPECT_GT(inkOnPage(pdf, 2, dir.filePath(QStringLiteral("second"))), 0.0005);
}

TEST(ReportPrinter, UnwritableTargetIsReportedAndLeavesTheOldFile)
{
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.filePath(QStringLiteral("missing")).toStdString();
    const PdfWriteResult missing = writeReportPdf(folder / "x.pdf", cuttingDataSheet(5), EnglishTexts());
    EXPECT_FALSE(missing.written);
    EXPECT_FALSE(missing.error.empty());

    // A folder in the place of the file: the rename fails, the folder stays, no temp file.
    const std::filesystem::path occupied = dir.filePath(QStringLiteral("taken.pdf")).toStdString();
    std::filesystem::create_directory(occupied);
    std::ofstream(occupied / "keep") << "x";
    const PdfWriteResult taken = writeReportPdf(occupied, cuttingDataSheet(5), EnglishTexts());
    EXPECT_FALSE(taken.written);
    EXPECT_TRUE(std::filesystem::exists(occupied / "keep"));
    EXPECT_FALSE(std::filesystem::exists(occupied.string() + ".tmp"));
}

TEST(ReportPrinter, PrintingOpensThePreviewFromThePrintModuleOrNamesTheMissingModule)
{
    // The module beside the test program shows the preview with its caption; closed
    // unprinted here.
    QString previewTitle;
    QTimer::singleShot(0, [&] {
        if (QWidget* preview = QApplication::activeModalWidget()) {
            previewTitle = preview->windowTitle();
            preview->close();
        }
    });
    EXPECT_EQ(printReportSheet(nullptr, cuttingDataSheet(5), EnglishTexts()), std::nullopt);
    EXPECT_EQ(previewTitle, QStringLiteral("Drucken…"));

    QTemporaryDir dir;
    const std::filesystem::path empty = dir.path().toStdString();
    EXPECT_EQ(printReportSheet(nullptr, cuttingDataSheet(5), EnglishTexts(), empty),
        "Can't load " + (empty / "libKalvora_Tools_Print.so").string() + ".");
}

} // namespace
} // namespace kvt
