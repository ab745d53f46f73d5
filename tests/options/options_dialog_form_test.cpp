// Apply and cancel across the pages: what is written, what is taken back, and the flags
// the controller reads after the dialog.

#include "options_dialog_fixture.h"

namespace kvt::test {
namespace {

using DialogFormTest = OptionsDialogTest;

TEST_F(DialogFormTest, EachPageMarksItsOwnByte)
{
    OptionsDialogForm dialog(context);
    EXPECT_FALSE(dialog.pending());
    dialog.general().chooseVolumeUnit(3);
    EXPECT_EQ(record->settings.dialogChanged[kGeneralPage], 1);
    EXPECT_EQ(record->settings.dialogChanged[kMachinePage1], 0);
    dialog.machine().setName("Lathe");
    EXPECT_EQ(record->settings.dialogChanged[kMachinePage1], 1);
    EXPECT_TRUE(dialog.pending());
    EXPECT_EQ(record->settings.changed, 0); // nothing is due for writing before apply
}

TEST_F(DialogFormTest, ApplyWritesOnceAndOnlyWhenSomethingChanged)
{
    OptionsDialogForm dialog(context);
    dialog.apply();
    EXPECT_TRUE(sent.empty());

    dialog.general().setCopyUnitsToClipboard(true);
    dialog.machine().setSpeedSteps("100 200");
    dialog.apply();
    EXPECT_EQ(sent, std::vector<AppMessage> {AppMessage::SaveOptions});
    EXPECT_EQ(record->settings.changed, 1);
    EXPECT_FALSE(dialog.pending());
    for (std::uint8_t byte : record->settings.dialogChanged)
        EXPECT_EQ(byte, 0);
}

TEST_F(DialogFormTest, CancelTakesBackEveryPage)
{
    record->settings.volumeUnit = 2;
    record->settings.changed = 1; // a window's change that is still to be written
    state->languageChanged = 0;
    OptionsDialogForm dialog(context);
    ASSERT_TRUE(dialog.machine().setSpeedSteps("100 200"));
    record->settings.dialogChanged[kMachinePage1] = 0;
    dialog.apply();
    sent.clear();

    dialog.general().chooseStartPage(13);
    dialog.general().chooseLanguage(1);
    dialog.general().chooseVolumeUnit(0);
    dialog.general().setOpenReportsAutomatically(true);
    dialog.general().chooseCalculationLevel(1);
    std::string safety = "3";
    dialog.general().setSafetyValue(safety);
    dialog.machine().setName("Mill");
    dialog.machine().setSpeedSteps("500");
    dialog.machine().setParallels("10 x 5");
    boxes.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    dialog.machine().deleteMachine();

    dialog.cancel();
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(state->startPage, 120);
    EXPECT_EQ(record->settings.startPageIsLastUsed, 0);
    EXPECT_EQ(state->languageCode, 49);
    EXPECT_EQ(state->languageChanged, 0);
    EXPECT_EQ(record->settings.volumeUnit, 2);
    EXPECT_EQ(record->settings.volumeUnitChanged, 0);
    EXPECT_EQ(record->settings.openReportsAutomatically, 0);
    EXPECT_EQ(record->settings.calculationLevel, 1);
    EXPECT_FLOAT_EQ(record->settings.safetyValue, 0.5f);
    EXPECT_EQ(dialog.machine().nameText(), "");
    EXPECT_EQ(storedSpeeds(), (std::vector<float> {100, 200})); // the applied list
    EXPECT_EQ(data().parallels[1].height, 0.0f);
    EXPECT_FALSE(dialog.pending());
    // The write that was due before the dialog is still due.
    EXPECT_EQ(record->settings.changed, 1);
}

TEST_F(DialogFormTest, CancelKeepsAWriteThatWasDueBeforeTheDialog)
{
    record->settings.changed = 1;
    OptionsDialogForm dialog(context);
    dialog.general().chooseLanguage(1);
    dialog.cancel();
    EXPECT_EQ(record->settings.changed, 1);
    EXPECT_EQ(state->languageCode, 49);
}

TEST_F(DialogFormTest, CancelAfterAWriteDuringTheDialogWritesTheOldValuesAgain)
{
    OptionsDialogForm dialog(context);
    dialog.general().setOpenReportsAutomatically(true);
    // The delayed write after start ran inside the dialog's event loop.
    state->optionsWritten = 1;
    record->settings.changed = 0;
    dialog.cancel();
    EXPECT_EQ(record->settings.openReportsAutomatically, 0);
    EXPECT_EQ(record->settings.changed, 1);
}

TEST_F(DialogFormTest, UnitRestartIsAppliedWithTheOtherPages)
{
    OptionsDialogForm dialog(context);
    dialog.machine().setName("Mill");
    boxes.answers = {MessageAnswer::Yes};
    ASSERT_EQ(dialog.general().chooseUnitSystem(1), UnitSystemChoice::Restart);
    dialog.apply();
    EXPECT_EQ(sent, std::vector<AppMessage> {AppMessage::SaveOptions});
    EXPECT_EQ(record->settings.restartMarker, 1);
    EXPECT_EQ(record->settings.unitSystem, 1);
    EXPECT_EQ(dialog.machine().nameText(), "Mill");
}

} // namespace
} // namespace kvt::test
