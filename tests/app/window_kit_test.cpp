// The chrome every calculation window builds on, through a small window of its own:
// the window block in the options record, the current machine, the report step, edit
// fields with their captions, tooltips and the services.

#include "app/function_window.h"
#include "common/qt_message_boxes.h"
#include "common/report_launcher.h"
#include "options/window_blocks.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"

#include "window_test_fixture.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QToolTip>

#include <cstdint>
#include <fstream>

namespace kvt {
namespace {

struct KitBlock {
    float value;
    std::int32_t count;
    std::uint8_t flag;
};

bool operator==(const KitBlock& a, const KitBlock& b)
{
    return a.value == b.value && a.count == b.count && a.flag == b.flag;
}

// A window of the sine bar page: its block is the sine bar block.
class KitWindow final : public FunctionWindow {
public:
    KitWindow(AppController& controller, const WindowServices& services)
        : FunctionWindow(controller, page::SineBar, services)
    {
        enableBackgroundMenu();
        grid = new QGridLayout;
        contentLayout()->addLayout(grid);
    }

    void storeInputs() override { storeBlock(typed); }
    std::string composeReport(const LocalDateTime& time, int languageCode) const override
    {
        return "Kit " + std::to_string(time.year) + " " + std::to_string(languageCode) + "\r\n";
    }

    using FunctionWindow::addCaptionedField;
    using FunctionWindow::currentMachine;
    using FunctionWindow::currentMachineIndex;
    using FunctionWindow::loadBlock;
    using FunctionWindow::reportCalculation;
    using FunctionWindow::setFieldCaption;
    using FunctionWindow::setReportKind;
    using FunctionWindow::setTooltip;
    using FunctionWindow::storeBlock;
    using FunctionWindow::writeReport;

    KitBlock typed {};
    QGridLayout* grid = nullptr;
};

class WindowKitTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::SineBar, &makeWindow<KitWindow>);
        openPage(page::SineBar);
        ASSERT_NE(window(), nullptr);
    }
    KitWindow* window() const { return FunctionWindowFixture::window<KitWindow>(page::SineBar); }
    WindowBlock& block() const { return controller->options()->windows.sineBar; }
};

TEST_F(WindowKitTest, TheBlockIsStoredOnlyAfterItWasReadAndOnHide)
{
    OptionsRecord& options = *controller->options();
    writeWindowBlock(block(), KitBlock {2.5f, 7, 1});
    block().bytes[sizeof(KitBlock)] = 0xAB; // what a later version may keep behind the block
    options.settings.changed = 0;

    // Before reading, a store would overwrite the saved inputs with the window's defaults.
    window()->storeBlock(KitBlock {9.0f, 9, 9});
    EXPECT_EQ(readWindowBlock<KitBlock>(block()), (KitBlock {2.5f, 7, 1}));
    EXPECT_EQ(options.settings.changed, 0);

    const std::optional<KitBlock> loaded = window()->loadBlock<KitBlock>();
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(*loaded, (KitBlock {2.5f, 7, 1}));
    window()->storeBlock(KitBlock {3.5f, 8, 0});
    EXPECT_EQ(readWindowBlock<KitBlock>(block()), (KitBlock {3.5f, 8, 0}));
    EXPECT_EQ(block().bytes[sizeof(KitBlock)], 0xAB);
    EXPECT_EQ(options.settings.changed, 1);

    // Switching away hides the window, which stores what was typed.
    window()->typed = {4.25f, 12, 1};
    options.settings.changed = 0;
    openPage(page::Coolant);
    EXPECT_EQ(pageWindow(page::SineBar), nullptr);
    EXPECT_EQ(readWindowBlock<KitBlock>(block()), (KitBlock {4.25f, 12, 1}));
    EXPECT_EQ(options.settings.changed, 1);
}

TEST_F(WindowKitTest, AMachineIndexOutOfRangeCountsAsTheFirstMachine)
{
    OptionsRecord& options = *controller->options();
    const struct {
        std::uint8_t stored;
        std::size_t used;
    } cases[] = {{0, 0}, {3, 3}, {9, 9}, {10, 0}, {255, 0}};
    for (const auto& c : cases) {
        options.settings.currentMachine = c.stored;
        EXPECT_EQ(window()->currentMachineIndex(), c.used) << int(c.stored);
        EXPECT_EQ(window()->currentMachine(), &options.machines[c.used]) << int(c.stored);
    }
}

TEST_F(WindowKitTest, TheReportIsWrittenAfterACalculationAndOpenedOnlyWhenAutomatic)
{
    // Without a report kind there is nothing to write.
    EXPECT_FALSE(window()->writeReport());
    EXPECT_TRUE(reports("KSM").empty());

    window()->setReportKind(ReportKindId::Coolant);
    window()->reportCalculation();
    const auto written = reports("KSM");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].filename(), "KSS Report_20250307_140509.txt");
    std::ifstream file(written[0], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "Kit 2025 44\r\n");
    EXPECT_TRUE(viewer.opened.empty());
    EXPECT_EQ(std::filesystem::path(std::u16string(controller->state()->lastReportPath)), written[0]);

    controller->options()->settings.openReportsAutomatically = 1;
    window()->reportCalculation();
    ASSERT_EQ(viewer.opened.size(), 1u);
    EXPECT_EQ(viewer.opened[0], written[0]);

    // "*Report öffnen" of the background menu writes and opens whatever the option says.
    controller->options()->settings.openReportsAutomatically = 0;
    std::unique_ptr<QMenu> menu(window()->buildBackgroundMenu(nullptr));
    QAction* open = test::findAction(menu.get(), QStringLiteral("*Report öffnen"));
    ASSERT_NE(open, nullptr);
    open->trigger();
    QApplication::processEvents();
    EXPECT_EQ(viewer.opened.size(), 2u);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WindowKitTest, AReportThatCannotBeWrittenIsToldWithItsReasonAndNotOpened)
{
    window()->setReportKind(ReportKindId::Coolant);
    controller->options()->settings.openReportsAutomatically = 1;
    const auto folder = controller->dataDirectory() / "KSM";
    std::filesystem::remove_all(folder);
    std::ofstream(folder) << "in the way";

    window()->reportCalculation();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.rfind("*Der Report konnte nicht geschrieben werden:\n", 0), 0u);
    EXPECT_NE(boxes.shown[0].text.find("KSS Report_20250307_140509.txt"), std::string::npos);
    EXPECT_EQ(boxes.shown[0].caption, "*Fehler");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(viewer.opened.empty());
}

TEST_F(WindowKitTest, AReportGoesOnPaperWithItsHeaderAndIntoAPdf)
{
    // Print and PDF are offered only where there is a report to put on paper.
    std::unique_ptr<QMenu> without(window()->buildBackgroundMenu(nullptr));
    EXPECT_EQ(test::findAction(without.get(), QStringLiteral("*Drucken…")), nullptr);
    window()->setReportKind(ReportKindId::Coolant);
    std::unique_ptr<QMenu> menu(window()->buildBackgroundMenu(nullptr));
    EXPECT_NE(test::findAction(menu.get(), QStringLiteral("*Drucken…")), nullptr);
    EXPECT_NE(test::findAction(menu.get(), QStringLiteral("*Als PDF speichern…")), nullptr);

    const std::u16string name = u"Mill DMC 635";
    std::copy(name.begin(), name.end(), controller->options()->machines[0].name);
    const ReportSheet sheet = window()->reportSheet();
    EXPECT_EQ(sheet.programName, "Kalvora Tools");
    EXPECT_EQ(sheet.windowTitle, window()->windowTitle().toStdString());
    EXPECT_EQ(sheet.machineName, "Mill DMC 635");
    EXPECT_EQ(sheet.stamp, "2025.03.07 14:05:09");
    EXPECT_EQ(sheet.lines, (std::vector<std::string> {"Kit 2025 44"}));

    const auto pdf = controller->dataDirectory() / "sheet.pdf";
    EXPECT_TRUE(window()->saveReportPdf(pdf));
    std::ifstream file(pdf, std::ios::binary);
    std::string head(5, '\0');
    file.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");
    EXPECT_TRUE(boxes.shown.empty());

    // A folder where the PDF should go: told with the path, nothing lost.
    const auto taken = controller->dataDirectory() / "taken.pdf";
    std::filesystem::create_directory(taken);
    EXPECT_FALSE(window()->saveReportPdf(taken));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.rfind("*Die PDF-Datei konnte nicht geschrieben werden:\n", 0), 0u);
    EXPECT_NE(boxes.shown[0].text.find("taken.pdf"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(taken));
}

TEST_F(WindowKitTest, ACaptionedFieldIsNamedByItsCaptionAndHasTheFieldMenu)
{
    const struct {
        FieldRole role;
        bool readOnly;
    } cases[] = {{FieldRole::Input, false}, {FieldRole::CorrespondingInput, false}, {FieldRole::Result, true}};
    int row = 0;
    for (const auto& c : cases) {
        const CaptionedField field = window()->addCaptionedField(window()->grid, row++, c.role, true);
        KitWindow::setFieldCaption(field, QStringLiteral("*Länge L [mm]:"), QStringLiteral("[mm]"));
        EXPECT_EQ(field.caption->text(), QStringLiteral("*Länge L [mm]:"));
        EXPECT_EQ(field.edit->accessibleName(), QStringLiteral("*Länge L [mm]:"));
        EXPECT_EQ(field.caption->buddy(), field.edit);
        ASSERT_NE(field.unit, nullptr);
        EXPECT_EQ(field.unit->text(), QStringLiteral("[mm]"));
        EXPECT_EQ(field.edit->isReadOnly(), c.readOnly);
        EXPECT_EQ(field.edit->contextMenuPolicy(), Qt::CustomContextMenu);
        EXPECT_EQ(field.edit->alignment(), Qt::AlignRight);
    }
    const CaptionedField plain = window()->addCaptionedField(window()->grid, row, FieldRole::Input);
    EXPECT_EQ(plain.unit, nullptr);
}

TEST(TooltipWrap, NoLineIsWiderThanTheTooltipWidthAndNoWordIsLost)
{
    const QFontMetrics metrics(QToolTip::font());
    const QString longText = QStringLiteral(
        "Der Radius, mit dem der Vorschub der Rundachse aus der Vorschubsgeschwindigkeit in Grad je Minute "
        "umgerechnet wird; ohne Radius bleibt der Rundachsenvorschub leer und erscheint nicht im Report.");
    const QString wrapped = wrapTooltip(longText, metrics);
    const QStringList lines = wrapped.split(QLatin1Char('\n'));
    EXPECT_GT(lines.size(), 1);
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), kTooltipWidth) << line.toStdString();
    EXPECT_EQ(wrapped.split(QRegularExpression(QStringLiteral("\\s+"))), longText.split(QLatin1Char(' ')));

    EXPECT_EQ(wrapTooltip(QStringLiteral("Kurz"), metrics), QStringLiteral("Kurz"));
    EXPECT_EQ(wrapTooltip(QStringLiteral("a\nb"), metrics), QStringLiteral("a\nb"));
    // A word wider than the tip keeps a line of its own instead of being cut.
    const QString wide(200, QLatin1Char('W'));
    EXPECT_EQ(wrapTooltip(QStringLiteral("x ") + wide + QStringLiteral(" y"), metrics),
        QStringLiteral("x\n") + wide + QStringLiteral("\ny"));
}

TEST_F(WindowKitTest, TooltipsComeFromTheLanguageModuleAndAreSetAgainOnRefresh)
{
    auto* target = new QLabel(window());
    window()->setTooltip(target, 71101, "*Durchmesser des Werkzeugs");
    EXPECT_EQ(target->toolTip(), QStringLiteral("*Durchmesser des Werkzeugs"));
    target->setToolTip(QString());
    window()->refresh();
    EXPECT_EQ(target->toolTip(), QStringLiteral("*Durchmesser des Werkzeugs"));
    delete target; // a control that is gone is skipped
    window()->refresh();
}

TEST_F(WindowKitTest, ServicesLeftOutAreTheRealOnes)
{
    EXPECT_EQ(&window()->boxes(), &boxes);
    EXPECT_EQ(&window()->viewer(), &viewer);
    EXPECT_EQ(&window()->clock(), &clock);
    EXPECT_EQ(&window()->texts(), &controller->texts());

    KitWindow own(*controller, {});
    EXPECT_NE(dynamic_cast<QtMessageBoxes*>(&own.boxes()), nullptr);
    EXPECT_NE(dynamic_cast<DesktopTextViewer*>(&own.viewer()), nullptr);
    EXPECT_NE(dynamic_cast<const SystemClock*>(&own.clock()), nullptr);
}

} // namespace
} // namespace kvt
