// The general page: what each control stores, the unit question and its restart, the
// safety value field and the hand-over buttons.

#include "options_dialog_fixture.h"

#include "common/code_page.h"
#include "common/data_directory.h"

#include <chrono>
#include <fstream>

namespace kvt::test {
namespace {

using GeneralFormTest = OptionsDialogTest;

struct StartPageCase {
    const char* name;
    int index;
    int storedBefore;
    int expectedPage;
    int expectedLastUsed;
};

TEST_F(GeneralFormTest, StartPageChoicesStorePageAndLastUsedFlag)
{
    const StartPageCase cases[] = {
        {"first entry is cutting data", 0, 134, 120, 0},
        {"dividing head", 3, 120, 123, 0},
        {"flanges come after the gap in page ids", 4, 120, 126, 0},
        {"calculations library", 10, 120, 133, 0},
        {"cut to length is page 140", 12, 120, 140, 0},
        {"last used keeps the stored page", 13, 129, 129, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state->startPage = c.storedBefore;
        record->settings.startPageIsLastUsed = 0;
        OptionsGeneralForm form(context);
        form.chooseStartPage(c.index);
        EXPECT_EQ(state->startPage, c.expectedPage);
        EXPECT_EQ(record->settings.startPageIsLastUsed, c.expectedLastUsed);
        EXPECT_EQ(form.startPageIndex(), c.index);
        EXPECT_TRUE(form.changed());
    }
}

TEST_F(GeneralFormTest, StartPageEntryShownForStoredValues)
{
    OptionsGeneralForm form(context);
    EXPECT_EQ(form.entries(kStartPageChoices).size(), 14u);
    EXPECT_EQ(form.entries(kStartPageChoices).back(), "*Zuletzt benutzes Funktionsfenster");

    state->startPage = 0; // a fresh installation opens the cutting data window
    EXPECT_EQ(form.startPageIndex(), 0);
    state->startPage = 124; // a page without a window
    EXPECT_EQ(form.startPageIndex(), 0);
    state->startPage = -1; // never the "last used" entry by its internal value
    EXPECT_EQ(form.startPageIndex(), 0);
    state->startPage = 131;
    EXPECT_EQ(form.startPageIndex(), 9);
    record->settings.startPageIsLastUsed = 1;
    EXPECT_EQ(form.startPageIndex(), 13);
    // An index outside the list changes nothing.
    form.chooseStartPage(14);
    form.chooseStartPage(-1);
    EXPECT_EQ(state->startPage, 131);
    EXPECT_FALSE(form.changed());
}

TEST_F(GeneralFormTest, LanguageChangeSetsLanguageChangedOnlyWhenDifferent)
{
    OptionsGeneralForm form(context);
    EXPECT_EQ(form.languageIndex(), 0);
    form.chooseLanguage(0);
    EXPECT_EQ(state->languageChanged, 0);
    form.chooseLanguage(1);
    EXPECT_EQ(state->languageCode, 44);
    EXPECT_EQ(state->languageChanged, 1);
    EXPECT_EQ(form.languageIndex(), 1);
    EXPECT_EQ(record->settings.dialogChanged[kGeneralPage], 1);
}

TEST_F(GeneralFormTest, UnitSystemYesStoresAndAsksForRestart)
{
    OptionsGeneralForm form(context);
    boxes.answers = {MessageAnswer::Yes};
    EXPECT_EQ(form.chooseUnitSystem(1), UnitSystemChoice::Restart);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kUnitQuestion);
    EXPECT_EQ(boxes.shown[0].caption, "*Frage");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(record->settings.unitSystem, 1);
    EXPECT_EQ(record->settings.unitSystemChanged, 1);
    EXPECT_EQ(record->settings.restartMarker, 1);
    EXPECT_TRUE(form.changed());
}

TEST_F(GeneralFormTest, UnitSystemNoKeepsEverything)
{
    OptionsGeneralForm form(context);
    boxes.answers = {MessageAnswer::No};
    EXPECT_EQ(form.chooseUnitSystem(1), UnitSystemChoice::Declined);
    EXPECT_EQ(record->settings.unitSystem, 0);
    EXPECT_EQ(record->settings.unitSystemChanged, 0);
    EXPECT_EQ(record->settings.restartMarker, 0);
    EXPECT_FALSE(form.changed());
    EXPECT_EQ(form.unitSystemIndex(), 0);
    // Choosing the current system asks nothing.
    EXPECT_EQ(form.chooseUnitSystem(0), UnitSystemChoice::Unchanged);
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(GeneralFormTest, OpeningClearsTheChangedUnitFlagsOfAnEarlierDialog)
{
    record->settings.unitSystemChanged = 1;
    record->settings.volumeUnitChanged = 1;
    OptionsGeneralForm form(context);
    EXPECT_EQ(record->settings.unitSystemChanged, 0);
    EXPECT_EQ(record->settings.volumeUnitChanged, 0);
    form.chooseVolumeUnit(form.volumeUnitIndex()); // same unit: not a change of unit
    EXPECT_EQ(record->settings.volumeUnitChanged, 0);
    form.chooseVolumeUnit(8);
    EXPECT_EQ(record->settings.volumeUnit, 8);
    EXPECT_EQ(record->settings.volumeUnitChanged, 1);
    EXPECT_EQ(form.entries(kVolumeUnitChoices).size(), 10u);
}

TEST_F(GeneralFormTest, SwitchesAndLevelAreStored)
{
    OptionsGeneralForm form(context);
    form.setOpenReportsAutomatically(true);
    form.setCopyUnitsToClipboard(true);
    EXPECT_EQ(record->settings.openReportsAutomatically, 1);
    EXPECT_EQ(record->settings.copyUnitsToClipboard, 1);
    form.setOpenReportsAutomatically(false);
    EXPECT_FALSE(form.openReportsAutomatically());
    form.chooseCalculationLevel(1);
    EXPECT_EQ(record->settings.calculationLevel, 2);
    record->settings.calculationLevel = 0;
    EXPECT_EQ(form.calculationLevelIndex(), -1);
}

struct SafetyCase {
    const char* name;
    int unitSystem;
    const char* typed;
    bool accepted;
    const char* fieldAfter;
    float storedMm;
};

TEST_F(GeneralFormTest, SafetyValueField)
{
    const SafetyCase cases[] = {
        {"decimal point", 0, "0.75", true, "0.75", 0.75f},
        {"decimal comma", 0, "1,5", true, "1.5", 1.5f},
        {"letter is cut and reported", 0, "2a", false, "2", 2.0f},
        {"minus is not allowed", 0, "-1", false, "", 0.0f},
        {"inch value stored in millimetres", 1, "0.1", true, "0.1", 2.54001f},
        {"inch fraction, read to thousandths", 1, "1/16", true, "1/16", 1.6002f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        record->settings.unitSystem = static_cast<std::uint8_t>(c.unitSystem);
        record->settings.safetyValue = 9.0f;
        boxes.shown.clear();
        OptionsGeneralForm form(context);
        std::string field = c.typed;
        EXPECT_EQ(form.setSafetyValue(field), c.accepted);
        EXPECT_EQ(field, c.fieldAfter);
        EXPECT_NEAR(record->settings.safetyValue, c.storedMm, 1e-4);
        EXPECT_EQ(boxes.shown.size(), c.accepted ? 0u : 1u);
        if (!c.accepted) {
            EXPECT_EQ(boxes.shown[0].text, "*Unerlaubte Zeichen im Eingabefeld!");
        }
    }
}

TEST_F(GeneralFormTest, SafetyValueShownInTheDisplayUnit)
{
    OptionsGeneralForm form(context);
    record->settings.safetyValue = 0.5f;
    EXPECT_EQ(form.safetyValueText(), "0.50");
    record->settings.safetyValue = 25.400051f;
    record->settings.unitSystem = 1;
    EXPECT_EQ(form.safetyValueText(), "1.0000");
    // Leaving the field without a change of value marks nothing.
    std::string field = "1.0000";
    form.setSafetyValue(field);
    EXPECT_FALSE(form.changed());
}

TEST_F(GeneralFormTest, ButtonsHandOverToTheController)
{
    OptionsGeneralForm form(context);
    form.openManual();
    form.showSupportMail();
    form.showAbout();
    form.openDataFolder();
    EXPECT_EQ(sent,
        (std::vector<AppMessage> {
            AppMessage::OpenManual, AppMessage::ShowSupportMail, AppMessage::ShowAbout, AppMessage::OpenDataFolder}));
    EXPECT_FALSE(form.changed());
}

TEST_F(GeneralFormTest, DeleteOldReportsUsesTheChosenAge)
{
    TempFolder folder;
    const auto report = folder.path() / "SDR" / "SDR Report_old.txt";
    const auto recent = folder.path() / "SDR" / "SDR Report_new.txt";
    std::filesystem::create_directories(report.parent_path());
    std::ofstream(report) << "old";
    std::ofstream(recent) << "new";
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(report, now - std::chrono::hours(24 * 10));
    std::filesystem::last_write_time(recent, now - std::chrono::hours(24 * 5));
    clock.setFileTimeNow(now);
    setFixedText(state->dataDirectory, folder.path().u16string());

    OptionsGeneralForm form(context);
    EXPECT_EQ(form.deleteOldReports(5), -1);
    EXPECT_EQ(form.deleteOldReports(2), 0); // 30 days
    EXPECT_EQ(form.deleteOldReports(1), 1); // 7 days
    EXPECT_FALSE(std::filesystem::exists(report));
    EXPECT_TRUE(std::filesystem::exists(recent));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "*Gelöschte Reports: 1");
}

} // namespace
} // namespace kvt::test
