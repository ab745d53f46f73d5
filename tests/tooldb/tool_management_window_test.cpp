#include "tooldb/tool_management_window.h"

#include "machining/cutting_data/cutting_data_window.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"
#include "tooldb/tool_editor.h"
#include "tooldb/tool_exchange_file.h"
#include "tooldb/tool_export_file.h"
#include "tooldb/tool_import_preview.h"
#include "tooldb/tool_pictures.h"
#include "tooldb/tool_table.h"

#include "tooldb_test_support.h"
#include "window_test_fixture.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include <cstring>

namespace kvt {
namespace {

QAction* findMenuAction(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (action->menu()) {
            if (QAction* found = findMenuAction(action->menu(), text))
                return found;
        }
    }
    return nullptr;
}

class ToolManagementWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::ToolManagement, &makeWindow<ToolManagementWindow>);
        // The round trip needs the real cutting data window as well.
        host.setWindowFactory([this](int wanted, AppController& c) -> FunctionWindow* {
            if (wanted == page::ToolManagement)
                return new ToolManagementWindow(c, services());
            if (wanted == page::CuttingData)
                return new CuttingDataWindow(c, services());
            return new TitleOnlyWindow(c, wanted);
        });
        float* steps = controller->options()->machines[0].speedSteps;
        for (float step : {100.0f, 250.0f, 400.0f, 630.0f, 1000.0f})
            *steps++ = step;
        openPage(page::ToolManagement);
        prepare();
    }

    ToolManagementWindow* window() const
    {
        return FunctionWindowFixture::window<ToolManagementWindow>(page::ToolManagement);
    }
    MachineRecord& machine() const
    {
        return controller->options()->machines[controller->options()->settings.currentMachine];
    }
    ToolRecord tool(int number) const { return loadTool(machine(), static_cast<std::size_t>(number - 1)); }
    bool sameAs(const ToolRecord& expected, int number) const
    {
        const ToolRecord stored = tool(number);
        return std::memcmp(&expected, &stored, sizeof stored) == 0;
    }

    // Every opened window answers file dialogs from `nextFile`.
    void prepare()
    {
        ASSERT_NE(window(), nullptr);
        window()->setFileChooser([this](QWidget*, FileDialogMode, const QString&, const FileDialogSetup& setup) {
            chosenSetups.push_back(setup);
            FileDialogChoice choice;
            choice.accepted = !nextFile.empty();
            choice.path = QString::fromStdU16String(nextFile.u16string());
            return choice;
        });
    }

    void runEditCommand(const char* text, const char* entry = nullptr)
    {
        std::unique_ptr<QMenu> menu(window()->buildEditMenu(nullptr));
        QAction* action = findMenuAction(menu.get(), QString::fromUtf8(text));
        ASSERT_NE(action, nullptr) << text;
        if (entry) {
            ASSERT_NE(action->menu(), nullptr) << text;
            action = findMenuAction(action->menu(), QString::fromUtf8(entry));
            ASSERT_NE(action, nullptr) << entry;
        }
        action->trigger();
        QApplication::processEvents();
    }
    void runOwnFile(const char* command) { runEditCommand(command, "*Kalvora Tools Werkzeugdaten (.kvwz)"); }

    void select(int row)
    {
        QTreeWidgetItem* item = window()->list()->topLevelItem(row);
        ASSERT_NE(item, nullptr);
        emit window()->list()->itemDoubleClicked(item, 0);
    }

    std::filesystem::path picture(const char* name, Qt::GlobalColor color)
    {
        const std::filesystem::path path = root / name;
        QImage image(8, 4, QImage::Format_RGB32);
        image.fill(color);
        EXPECT_TRUE(image.save(QString::fromStdString(path.string())));
        return path;
    }

    // Enters a tool through the editor as a user would.
    void enterTool(int row, const char* nc, const char* description, const std::filesystem::path& image)
    {
        select(row);
        ToolEditor* editor = window()->openEditor();
        ASSERT_NE(editor, nullptr);
        typeInto(editor->field(ToolField::NcData), nc);
        typeInto(editor->field(ToolField::Description), description);
        typeInto(editor->field(ToolField::Radius), "2.5");
        nextFile = image;
        boxes.answers = {MessageAnswer::Yes}; // copy the picture into the database
        editor->choosePicture();
        EXPECT_TRUE(editor->picture()->hasPicture());
        ASSERT_TRUE(editor->save());
        nextFile.clear();
    }

    std::filesystem::path nextFile;
    std::vector<FileDialogSetup> chosenSetups;
};

TEST_F(ToolManagementWindowTest, ListShowsFiveHundredLinesWithTheReservedFirst)
{
    storeTool(machine(), 6, test::sampleTool(7));
    window()->refresh();
    QTreeWidget* list = window()->list();
    ASSERT_EQ(list->topLevelItemCount(), 500);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("000"));
    EXPECT_EQ(list->topLevelItem(0)->text(1),
        QStringLiteral("*Nicht benutzen, wird Steuerungsintern oft zum WZL Reset benutzt"));
    EXPECT_EQ(list->topLevelItem(7)->text(0), QStringLiteral("007"));
    EXPECT_EQ(list->topLevelItem(7)->text(1), QStringLiteral("T7 D7 H7"));
    EXPECT_EQ(list->topLevelItem(7)->text(2), QString::fromUtf8("Schaftfräser Ø7 mm"));
    EXPECT_EQ(list->topLevelItem(499)->text(0), QStringLiteral("499"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("*Werkzeugoffsets"));
    for (QPushButton* button : window()->findChildren<QPushButton*>())
        EXPECT_EQ(button->accessibleName(), button->text()) << button->objectName().toStdString();
}

TEST_F(ToolManagementWindowTest, ScanSelectsTheRowAndKeepsWhatIsNoNumber)
{
    QLineEdit* scan = window()->scanField();
    typeInto(scan, "123");
    QTest::keyClick(scan, Qt::Key_Return);
    EXPECT_EQ(window()->rowField()->text(), QStringLiteral("123"));
    EXPECT_EQ(window()->list()->currentItem(), window()->list()->topLevelItem(123));
    EXPECT_EQ(scan->text(), QString());
    typeInto(scan, "T12");
    QTest::keyClick(scan, Qt::Key_Return);
    EXPECT_EQ(scan->text(), QStringLiteral("T12"));
    EXPECT_EQ(scan->selectedText(), QStringLiteral("T12"));
    EXPECT_EQ(window()->rowField()->text(), QStringLiteral("123"));
    // A scanner ends its text with \r\n and presses no key.
    scan->setText(QStringLiteral("777\\r\\n"));
    EXPECT_EQ(window()->rowField()->text(), QStringLiteral("499"));
    EXPECT_EQ(scan->text(), QString());
    // Moving in the list with the keyboard chooses the row too.
    window()->list()->setFocus();
    QTest::keyClick(window()->list(), Qt::Key_Up);
    EXPECT_EQ(window()->rowField()->text(), QStringLiteral("498"));
    EXPECT_EQ(window()->form().currentRow(), 498);
}

TEST_F(ToolManagementWindowTest, EditMenuCopiesMovesAndDeletesAndMarksTheOptions)
{
    storeTool(machine(), 4, test::sampleTool(5));
    window()->refresh();
    controller->options()->settings.changed = 0;
    select(5);
    runEditCommand("*Kopieren");
    std::unique_ptr<QMenu> menu(window()->buildEditMenu(nullptr));
    EXPECT_NE(findMenuAction(menu.get(), QStringLiteral("*Kopieren    005")), nullptr);
    select(7);
    runEditCommand("*Einfügen");
    EXPECT_EQ(toolText(tool(7), ToolField::NcData), u"T5 D5 H5___!!!");
    EXPECT_EQ(window()->list()->topLevelItem(7)->text(1), QStringLiteral("T5 D5 H5___!!!"));
    EXPECT_EQ(controller->options()->settings.changed, 1);

    select(5);
    runEditCommand("*Löschen Bereich von bis, Startposition");
    select(7);
    boxes.shown.clear();
    boxes.answers = {MessageAnswer::Yes};
    runEditCommand("*Löschen Bereich von bis, Endposition");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(isEmpty(tool(5)));
    EXPECT_TRUE(isEmpty(tool(7)));
    EXPECT_EQ(window()->list()->topLevelItem(5)->text(1), QString());

    select(0);
    boxes.shown.clear();
    runEditCommand("*Löschen");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
        "*Zeile 000 ist reserviert und enthält kein Werkzeug.\nBitte eine Zeile von 001 bis 499 wählen.");
}

TEST_F(ToolManagementWindowTest, EditorSavesWithTodaysDateAndShowsTheDiameter)
{
    select(3);
    ToolEditor* editor = window()->openEditor();
    ASSERT_NE(editor, nullptr);
    typeInto(editor->field(ToolField::NcData), "T3 D3");
    typeInto(editor->field(ToolField::Radius), "2.5");
    typeInto(editor->field(ToolField::CuttingSpeed), "120");
    typeInto(editor->field(ToolField::Teeth), "4");
    EXPECT_EQ(editor->diameterField()->text(), QStringLiteral("5.000"));
    EXPECT_EQ(editor->diameterField()->accessibleName(), QStringLiteral("*Durchmesser [mm]:"));
    EXPECT_FALSE(isPresent(tool(3)));
    std::unique_ptr<QMenu> categories(editor->buildCategoryMenu(nullptr));
    QAction* category = findMenuAction(categories.get(), QStringLiteral("*Bohrer, Stufen"));
    ASSERT_NE(category, nullptr);
    category->trigger();
    editor->rotate();
    EXPECT_EQ(editor->picture()->rotation(), 1);
    controller->options()->settings.changed = 0;
    ASSERT_TRUE(editor->save());
    EXPECT_TRUE(isPresent(tool(3)));
    EXPECT_EQ(tool(3).pictureRotation, 1);
    EXPECT_EQ(toolText(tool(3), ToolField::LastChangeDate), u"07.03.2025");
    EXPECT_EQ(toolText(tool(3), ToolField::Category), u"*Bohrer, Stufen");
    EXPECT_EQ(tool(3).radius, 2.5f);
    EXPECT_EQ(tool(3).cuttingSpeed, 120.0f);
    EXPECT_EQ(tool(3).teeth, 4);
    EXPECT_EQ(editor->field(ToolField::CuttingSpeed)->text(), QStringLiteral("120.0"));
    // Stored day first, shown year first in the fixture's English.
    ASSERT_EQ(controller->state()->languageCode, 44);
    EXPECT_EQ(editor->field(ToolField::LastChangeDate)->text(), QStringLiteral("2025.03.07"));
    EXPECT_EQ(window()->list()->topLevelItem(3)->text(1), QStringLiteral("T3 D3"));
    EXPECT_EQ(controller->options()->settings.changed, 1);

    // A text the export could not carry is refused where it is typed, and nothing is saved.
    typeInto(editor->field(ToolField::Description), "a | b");
    boxes.shown.clear();
    EXPECT_FALSE(editor->save());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(toolText(tool(3), ToolField::Description), u"");

    // The report goes through the report writer and is opened.
    typeInto(editor->field(ToolField::Description), "Stufenbohrer");
    editor->report();
    EXPECT_EQ(reports("TDW").size(), 1u);
    EXPECT_EQ(viewer.opened.size(), 1u);
}

TEST_F(ToolManagementWindowTest, RoundTripThroughTheCuttingDataWindowWithTheStepValue)
{
    select(4);
    ToolEditor* editor = window()->openEditor();
    ASSERT_NE(editor, nullptr);
    typeInto(editor->field(ToolField::NcData), "T4 D4");
    typeInto(editor->field(ToolField::Radius), "5");
    typeInto(editor->field(ToolField::CuttingSpeed), "120");
    typeInto(editor->field(ToolField::AxialFeedPerRevolution), "0.08");
    editor->determine();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    OpenDialogData& state = *controller->state();
    EXPECT_EQ(state.currentPage, page::CuttingData);
    auto* cutting = FunctionWindowFixture::window<CuttingDataWindow>(page::CuttingData);
    ASSERT_NE(cutting, nullptr);
    EXPECT_EQ(cutting->inputField(CuttingInput::Diameter)->text(), QStringLiteral("10.000"));
    QTest::mouseClick(cutting->findChild<QPushButton*>(QStringLiteral("calculateButton")), Qt::LeftButton);
    std::unique_ptr<QMenu> menu(cutting->buildBackgroundMenu(nullptr));
    QAction* back = findMenuAction(menu.get(), QStringLiteral("*Zurück mit Stufen-Wert"));
    ASSERT_NE(back, nullptr);
    back->trigger();
    QApplication::processEvents();

    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(state.toolHandOver.returnCode, 0); // taken once
    ToolEditor* reopened = window()->editor();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->row(), 4);
    // What was typed before is still there, with the step values beside it.
    EXPECT_EQ(reopened->field(ToolField::NcData)->text(), QStringLiteral("T4 D4"));
    // The step speed of the machine's table, the cutting speed at that step, the plunge
    // feed 1000 x 0.08 x 100 %; no teeth, so no feed per tooth.
    EXPECT_EQ(reopened->field(ToolField::SpindleSpeed)->text(), QStringLiteral("1000"));
    EXPECT_EQ(reopened->field(ToolField::CuttingSpeed)->text(), QStringLiteral("31.4"));
    EXPECT_EQ(reopened->field(ToolField::AxialFeedRate)->text(), QStringLiteral("80.0"));
    EXPECT_EQ(reopened->field(ToolField::FeedPerTooth)->text(), QStringLiteral("---"));
    EXPECT_EQ(reopened->field(ToolField::FeedPerRevolution)->text(), QStringLiteral("---"));
    EXPECT_EQ(reopened->field(ToolField::AxialFeedPerRevolution)->text(), QStringLiteral("0.080"));
    ASSERT_TRUE(reopened->save());
    EXPECT_FLOAT_EQ(tool(4).spindleSpeed, 1000.0f);
    EXPECT_FLOAT_EQ(tool(4).axialFeedRate, 80.0f);
    EXPECT_EQ(toolText(tool(4), ToolField::NcData), u"T4 D4");
}

TEST_F(ToolManagementWindowTest, EditorStaysWithItsMachine)
{
    select(2);
    ToolEditor* editor = window()->openEditor();
    ASSERT_NE(editor, nullptr);
    typeInto(editor->field(ToolField::NcData), "T2 D2");
    controller->chooseMachine(1);
    window()->machineChanged();
    ASSERT_EQ(window()->editor(), editor);
    boxes.shown.clear();
    editor->determine();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(controller->state()->currentPage, page::ToolManagement);
    ASSERT_TRUE(editor->save());
    EXPECT_EQ(toolText(loadTool(controller->options()->machines[0], 1), ToolField::NcData), u"T2 D2");
    EXPECT_TRUE(isEmpty(loadTool(controller->options()->machines[1], 1)));
    EXPECT_EQ(window()->list()->topLevelItem(2)->text(1), QString());
}

TEST_F(ToolManagementWindowTest, ReturnWithoutDataOpensNoEditor)
{
    OpenDialogData& state = *controller->state();
    state.toolHandOver.returnCode = 3;
    openPage(page::ToolManagement);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->editor(), nullptr);
    EXPECT_EQ(state.toolHandOver.returnCode, 0);
}

TEST_F(ToolManagementWindowTest, ExportWipeImportGivesTheSameTableBack)
{
    enterTool(1, "T1 D1", "Schaftfraeser", picture("one.png", Qt::red));
    enterTool(2, "T2 D2", "Bohrer", picture("two.png", Qt::green));
    enterTool(3, "T3 D3", "Senker", picture("three.png", Qt::blue));
    const std::filesystem::path folder = root / "export";
    std::filesystem::create_directories(folder);
    std::vector<ToolRecord> before = {tool(1), tool(2), tool(3)};

    nextFile = folder / "table.kvwz";
    boxes.shown.clear();
    boxes.answers = {MessageAnswer::Yes};
    runOwnFile("*Exportieren");
    EXPECT_TRUE(std::filesystem::exists(folder / "table.kvwz"));
    EXPECT_TRUE(std::filesystem::exists(folder / "two.png"));
    ASSERT_FALSE(chosenSetups.empty());
    EXPECT_EQ(chosenSetups.back().defaultExtension, "kvwz");

    // Wipe the table and the picture folder.
    select(1);
    runEditCommand("*Löschen Bereich von bis, Startposition");
    select(3);
    boxes.answers = {MessageAnswer::Yes};
    runEditCommand("*Löschen Bereich von bis, Endposition");
    EXPECT_TRUE(isEmpty(tool(2)));
    std::filesystem::remove_all(pictureFolder(controller->dataDirectory(), 0));

    boxes.shown.clear();
    boxes.answers = {MessageAnswer::Yes};
    runOwnFile("*Importieren");
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(sameAs(before[static_cast<std::size_t>(n - 1)], n)) << n;
    EXPECT_TRUE(std::filesystem::exists(pictureFolder(controller->dataDirectory(), 0) / "three.png"));
    EXPECT_EQ(window()->list()->topLevelItem(2)->text(1), QStringLiteral("T2 D2"));

    // A damaged file changes nothing and says why.
    test::writeBytes(folder / "broken.kvwz", test::utf16Le(u"T9 | only two;\n"));
    nextFile = folder / "broken.kvwz";
    boxes.shown.clear();
    runOwnFile("*Importieren");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("*Die Werkzeugtabelle wurde nicht verändert."), std::string::npos);
    EXPECT_TRUE(sameAs(before[1], 2));
}

TEST_F(ToolManagementWindowTest, ExportWithoutPicturesCopiesNone)
{
    enterTool(1, "T1 D1", "Schaftfraeser", picture("one.png", Qt::red));
    const std::filesystem::path folder = root / "plain";
    std::filesystem::create_directories(folder);
    nextFile = folder / "table.kvwz";
    boxes.answers = {MessageAnswer::No};
    runOwnFile("*Exportieren");
    EXPECT_TRUE(std::filesystem::exists(folder / "table.kvwz"));
    EXPECT_FALSE(std::filesystem::exists(folder / "one.png"));

    // Cancel writes nothing at all.
    nextFile = folder / "other.kvwz";
    boxes.answers = {MessageAnswer::Cancel};
    runOwnFile("*Exportieren");
    EXPECT_FALSE(std::filesystem::exists(folder / "other.kvwz"));
}

// A CAM library of 50 tools comes in through the preview and shows up in the list.
TEST_F(ToolManagementWindowTest, FusionLibraryIsImportedThroughThePreview)
{
    std::string json = R"({"data": [)";
    for (int n = 1; n <= 50; ++n)
        json += std::string(n > 1 ? "," : "")
            + R"({"type": "flat end mill", "unit": "millimeters", "description": "Fraeser )" + std::to_string(n)
            + R"(", "geometry": {"DC": 6, "OAL": 50, "NOF": 3}, "post-process": {"comment": "", "number": )"
            + std::to_string(n * 2) + "}}";
    json += "]}";
    const std::filesystem::path path = root / "library.json";
    test::writeBytes(path, json);
    enterTool(4, "T4 D4", "Alt", picture("four.png", Qt::red));
    std::vector<ImportPlan> previews;
    bool take = false;
    window()->setImportPreviewer([&](QWidget*, const ImportPlan& plan, ToolExchangeFormat) {
        previews.push_back(plan);
        return take;
    });
    const char* entry = "*Fusion 360 / HSM Werkzeugbibliothek (.json)";

    // Cancel: the preview was shown, the table is as it was.
    nextFile = path;
    const ToolRecord four = tool(4);
    boxes.shown.clear();
    runEditCommand("*Importieren", entry);
    ASSERT_EQ(previews.size(), 1u);
    EXPECT_EQ(previews[0].newTools, 49u);
    EXPECT_EQ(previews[0].replacedTools, 1u);
    EXPECT_TRUE(sameAs(four, 4));
    EXPECT_TRUE(isEmpty(tool(2)));

    // OK: the fifty tools stand at their numbers; tool 4 keeps its picture.
    take = true;
    runEditCommand("*Importieren", entry);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(window()->list()->topLevelItem(100)->text(1), QStringLiteral("T100"));
    EXPECT_EQ(window()->list()->topLevelItem(100)->text(2), QStringLiteral("Fraeser 50"));
    EXPECT_EQ(window()->list()->topLevelItem(4)->text(2), QStringLiteral("Fraeser 2"));
    // An empty comment wipes no NC data.
    EXPECT_EQ(window()->list()->topLevelItem(4)->text(1), QStringLiteral("T4 D4"));
    EXPECT_EQ(std::u16string(toolText(tool(4), ToolField::PicturePath)),
        std::u16string(toolText(four, ToolField::PicturePath)));
    EXPECT_EQ(tool(4).radius, 3.0f);
    EXPECT_TRUE(isEmpty(tool(3)));

    // A damaged file: a message naming the line, no preview, nothing changed.
    test::writeBytes(path, "{\"data\": [\n{\"type\": }]}");
    const ToolRecord hundred = tool(100);
    runEditCommand("*Importieren", entry);
    EXPECT_EQ(previews.size(), 2u);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("*Zeile 2: *Kein gültiges JSON (not a JSON value)."), std::string::npos);
    EXPECT_TRUE(sameAs(hundred, 100));
}

TEST_F(ToolManagementWindowTest, EveryFormatIsExportedWithAReport)
{
    enterTool(1, "T1 D1", "Schaftfraeser", picture("one.png", Qt::red));
    enterTool(7, "T7 D7", "Bohrer", picture("seven.png", Qt::green));
    const std::filesystem::path folder = root / "exchange";
    std::filesystem::create_directories(folder);
    for (const ExchangeMenuEntry& entry : kExchangeMenuEntries) {
        const std::string text = exchangeMenuText(BuiltinTexts(), entry);
        nextFile = folder / ("table." + exchangeFileDialogSetup(entry.format).defaultExtension);
        std::filesystem::remove(nextFile);
        boxes.shown.clear();
        boxes.answers = {MessageAnswer::No}; // LinuxCNC: pockets in order
        runEditCommand("*Exportieren", text.c_str());
        EXPECT_TRUE(std::filesystem::exists(nextFile)) << text;
        ASSERT_FALSE(boxes.shown.empty()) << text;
        EXPECT_NE(boxes.shown.back().text.find("*2 Werkzeuge geschrieben."), std::string::npos) << text;
    }
    // The inch entry wrote the table last: a 5 mm cutter is 0.1968504 inch.
    EXPECT_EQ(test::readBytes(folder / "table.tbl"),
        "T1 P1 Z+0.0000 D0.1968504 ;Schaftfraeser\nT7 P2 Z+0.0000 D0.1968504 ;Bohrer\n");
    EXPECT_TRUE(std::filesystem::exists(folder / "T007_Bohrer.fctb"));
}

TEST(ToolImportPreviewTest, ListsThePlanAndOffersOkOnlyWhenThereIsSomethingToTake)
{
    ImportPlan plan;
    ImportPlanLine skipped;
    skipped.number = 600;
    skipped.name = "Zu hoch";
    skipped.reason = ImportSkipReason::NumberOutOfRange;
    plan.lines = {skipped};
    plan.skippedTools = 1;
    const BuiltinTexts texts;
    ToolImportPreview nothing(texts, QStringLiteral("Fusion"), plan, 0);
    EXPECT_EQ(nothing.list()->topLevelItemCount(), 1);
    EXPECT_EQ(
        nothing.list()->topLevelItem(0)->text(3), QStringLiteral("*übersprungen: *keine Werkzeugnummer von 1 bis 499"));
    EXPECT_FALSE(nothing.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
    EXPECT_EQ(nothing.buttons()->button(QDialogButtonBox::Cancel)->accessibleName(), QStringLiteral("*Abbrechen"));
    EXPECT_EQ(nothing.list()->headerItem()->text(2), QStringLiteral("*Durchmesser [mm]"));

    ImportPlanLine fresh;
    fresh.number = 5;
    fresh.name = "Neu";
    fresh.action = ImportAction::New;
    fresh.hasDiameter = true;
    fresh.diameter = 12.7f;
    plan.lines.push_back(fresh);
    plan.newTools = 1;
    ToolImportPreview inch(texts, QStringLiteral("Fusion"), plan, 1);
    EXPECT_TRUE(inch.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
    EXPECT_EQ(inch.list()->topLevelItem(1)->text(2), QStringLiteral("0.5000"));
    EXPECT_EQ(inch.summary()->text(),
        QString::fromUtf8("*1 neu, 0 ersetzt, 1 übersprungen.\n*Mit OK werden die neuen "
                          "und ersetzten Werkzeuge übernommen, mit Abbrechen bleibt die "
                          "Tabelle, wie sie ist."));
}

} // namespace
} // namespace kvt
