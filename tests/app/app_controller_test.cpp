#include "app/app_controller.h"
#include "fakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace kvt {
namespace {

using test::FakeBoxes;
using test::FakeSettings;
using test::FakeSystem;
using test::FakeWindows;
using test::MemoryOptionsStorage;

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path()
            / ("kvt_controller_" + std::to_string(::getpid()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "bin");
        system.exe = root / "bin" / "Kalvora_Tools";
        system.dataRoot = root / "share";
        writeLanguage("Kalvora_Tools_en_us.lang", "64980\tQuit Kalvora Tools?\n64961\tQuestion\n");
        writeLanguage("Kalvora_Tools_de_de.lang", "64980\tKalvora Tools beenden?\n64961\tFrage\n");
    }
    void TearDown() override
    {
        controller.reset();
        std::filesystem::remove_all(root);
    }

    void writeLanguage(const std::string& name, const std::string& content)
    {
        std::ofstream(root / "bin" / name) << content;
    }

    AppController& make(StateBlockSet::Allocator allocator = {})
    {
        controller = std::make_unique<AppController>(
            ControllerServices {windows, system, settings, boxes, storage}, std::move(allocator));
        return *controller;
    }

    AppController& started()
    {
        AppController& c = make();
        EXPECT_TRUE(c.startUp());
        return c;
    }

    FakeWindows::Window* current() { return windows.windows.empty() ? nullptr : &windows.windows.back(); }

    std::filesystem::path root;
    FakeWindows windows;
    FakeSystem system;
    FakeSettings settings;
    FakeBoxes boxes;
    MemoryOptionsStorage storage;
    std::unique_ptr<AppController> controller;
};

TEST_F(ControllerTest, FreshProfileGetsDefaultsDataTreeAndCuttingDataStartPage)
{
    AppController& c = started();

    EXPECT_EQ(settings.numbers.at("MainWindow_Width"), 1280u);
    EXPECT_EQ(settings.numbers.at("MainWindow_Height"), 1024u);
    EXPECT_EQ(settings.numbers.at("MainWindow_Pos_X"), 100u);
    EXPECT_EQ(settings.numbers.at("MainWindow_Pos_Y"), 100u);
    EXPECT_EQ(settings.numbers.at("Language"), 44u);
    EXPECT_EQ(settings.numbers.at("StartupPage"), 120u);
    EXPECT_EQ(settings.numbers.at("OptionsSize"), 4128u);
    const std::filesystem::path dataDir = root / "share" / "Venmark" / "Kalvora Tools" / "";
    EXPECT_EQ(settings.texts.at("OptionsPath"), dataDir.string());

    EXPECT_EQ(c.state()->languageCode, 44);
    EXPECT_EQ(c.state()->languageLoaded, 1);
    EXPECT_EQ(c.texts().text(64980, "*Kalvora Tools beenden?"), "Quit Kalvora Tools?");
    EXPECT_EQ(c.state()->mainWindowRect[0], 100);
    EXPECT_EQ(c.dataDirectory(), dataDir);
    EXPECT_EQ(c.programDirectory(), root / "bin" / "");
    for (const char* folder : {"KSM", "SDR", "GAL", "ToolsDatabase/Machine00", "ToolsDatabase/Machine09",
             "CustomCalculations/32", "CustomCalculations/64"})
        EXPECT_TRUE(std::filesystem::is_directory(dataDir / folder)) << folder;

    EXPECT_EQ(windows.events, std::vector<std::string> {"create 120"});
    EXPECT_EQ(c.state()->currentPage, 120);
    EXPECT_EQ(c.state()->windows.cuttingData, current());
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text;
    // The record is written once at start, so the next start has a file to read.
    EXPECT_EQ(storage.writes, 1);
}

TEST_F(ControllerTest, CalculationLevelZeroIsReadAsTheCommonLibrary)
{
    // A fresh profile has no options file.
    EXPECT_EQ(started().options()->settings.calculationLevel, 1);
    controller.reset();

    auto record = std::make_unique<OptionsRecord>();
    for (std::uint8_t stored : {0, 1, 2}) {
        record->settings.calculationLevel = stored;
        storage.stored.assign(reinterpret_cast<const std::uint8_t*>(record.get()),
            reinterpret_cast<const std::uint8_t*>(record.get()) + kOptionsStoredSize);
        EXPECT_EQ(started().options()->settings.calculationLevel, stored == 0 ? 1 : stored) << int(stored);
        controller.reset();
    }
}

TEST_F(ControllerTest, OptionsAreSeededFromTheProgramFolderAndBackedUpOnceAfterAnInstallation)
{
    std::ofstream(root / "bin" / "Options.kvt") << "shipped options";
    started();
    const std::filesystem::path dataDir = root / "share" / "Venmark" / "Kalvora Tools";
    std::string content;
    std::getline(std::ifstream(dataDir / "Options.kvt"), content);
    EXPECT_EQ(content, "shipped options");
    controller.reset();

    auto backups = [&] {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dataDir))
            count += entry.path().extension() == ".sav";
        return count;
    };
    EXPECT_EQ(backups(), 0);
    settings.installer["InstalledVersion"] = "2025.1.0";
    started();
    EXPECT_EQ(backups(), 1);
    controller.reset();
    started();
    EXPECT_EQ(backups(), 1);
}

TEST_F(ControllerTest, StoredStartPagesOpenTheirWindowOrNothing)
{
    struct Case {
        std::uint32_t stored;
        std::vector<std::string> events;
    };
    for (const Case& c : {Case {0, {"create 120"}}, Case {9'999'999, {"create 120"}}, Case {122, {"create 122"}},
             Case {140, {"create 140"}}, Case {124, {}}, Case {125, {}}, Case {132, {}}, Case {135, {}},
             Case {139, {}}}) {
        windows.events.clear();
        settings.numbers["StartupPage"] = c.stored;
        started();
        EXPECT_EQ(windows.events, c.events) << c.stored;
        controller.reset();
    }
}

TEST_F(ControllerTest, LanguageZeroBecomesGermanAndAMissingModuleFallsBackToBuiltInTexts)
{
    settings.numbers["Language"] = 0;
    AppController& c = started();
    EXPECT_EQ(c.state()->languageCode, 49);
    controller.reset();

    std::filesystem::remove(root / "bin" / "Kalvora_Tools_de_de.lang");
    settings.numbers["Language"] = 49;
    boxes.shown.clear();
    AppController& german = started();
    EXPECT_EQ(german.state()->languageLoaded, 0);
    EXPECT_EQ(german.texts().text(64980, "*Kalvora Tools beenden?"), "*Kalvora Tools beenden?");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Can't load Kalvora_de_de.DLL.");
    EXPECT_EQ(boxes.shown[0].caption, "Program Error");
}

TEST_F(ControllerTest, SwitchingClosesTheSenderBeforeTheTargetOpens)
{
    AppController& c = started();
    FakeWindows::Window* cutting = current();
    OpenRequest request;
    request.senderPage = 120;
    request.senderWindow = cutting;
    c.send(AppMessage::OpenCoolant, request);

    EXPECT_EQ(windows.events, (std::vector<std::string> {"create 120", "close 120", "create 122"}));
    EXPECT_EQ(c.state()->currentPage, 122);
    EXPECT_EQ(c.state()->windows.cuttingData, nullptr);
    EXPECT_EQ(c.state()->windows.coolant, current());
    ASSERT_EQ(windows.openWindows().size(), 1u);
}

TEST_F(ControllerTest, OpeningAWindowThatIsAlreadyOpenNeverDoublesIt)
{
    AppController& c = started();
    c.send(AppMessage::ShowToolManagement);
    ASSERT_EQ(windows.openWindows().size(), 2u);
    OpenRequest request;
    request.senderPage = 120;
    request.senderWindow = c.state()->windows.cuttingData;
    c.send(AppMessage::OpenToolManagement, request);
    ASSERT_EQ(windows.openWindows().size(), 1u);
    EXPECT_EQ(windows.openWindows()[0]->page, 134);
}

TEST_F(ControllerTest, OpenRequestHandsItsValuesToTheWindowsThatTakeThem)
{
    AppController& c = started();
    OpenRequest request;
    request.senderWindow = c.state()->mainWindow;
    request.value1 = 11;
    request.value2 = 22;
    request.value3 = 33;

    request.originPage = 134;
    c.send(AppMessage::OpenCuttingData, request);
    EXPECT_EQ(c.state()->handOver[0], 11);
    EXPECT_EQ(c.state()->handOver[1], 22);
    EXPECT_EQ(c.state()->handOver[2], 33);
    EXPECT_EQ(c.state()->handOverSenderPage, 134);

    request.originPage = 0;
    c.send(AppMessage::OpenFlanges, request);
    EXPECT_EQ(c.state()->handOver[0], 0);
    EXPECT_EQ(c.state()->handOver[2], 0);
    EXPECT_EQ(c.state()->handOverSenderPage, 0);

    request.originPage = 133;
    c.send(AppMessage::OpenFlanges, request);
    EXPECT_EQ(c.state()->handOver[0], 11);
    EXPECT_EQ(c.state()->handOver[2], 33);
    EXPECT_EQ(c.state()->handOverSenderPage, 133);

    c.send(AppMessage::OpenSineBar, request);
    EXPECT_EQ(c.state()->handOver[0], 0);
    EXPECT_EQ(c.state()->handOver[2], 0);

    c.send(AppMessage::OpenDowelPins, request);
    EXPECT_EQ(c.state()->handOver[1], 22);
    EXPECT_EQ(c.state()->handOver[2], 33);
    // Requests from the main window closed nothing but the flanges window opened
    // before, which a second flanges window replaces.
    EXPECT_EQ(windows.openWindows().size(), 4u);
}

TEST_F(ControllerTest, AnsweringNoToTheQuitQuestionKeepsTheWindowOpenAndEnabled)
{
    AppController& c = started();
    FakeWindows::Window* window = current();
    boxes.answers = {MessageAnswer::No};
    c.send(AppMessage::QuitRequest, reinterpret_cast<std::intptr_t>(static_cast<void*>(window)));

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Quit Kalvora Tools?");
    EXPECT_EQ(boxes.shown[0].caption, "Question");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(window->open);
    EXPECT_TRUE(window->enabled);
    EXPECT_EQ(windows.quitCount, 0);
    ASSERT_NE(c.state(), nullptr);
}

TEST_F(ControllerTest, QuittingSavesSettingsAndOptionsThatTheNextStartReadsBack)
{
    AppController& c = started();
    c.windowMoved(300, 200, 900, 700);
    c.chooseMachine(7);
    c.options()->settings.startPageIsLastUsed = 1;
    OpenRequest request;
    request.senderWindow = current();
    c.send(AppMessage::OpenSineBar, request);

    boxes.answers = {MessageAnswer::Yes};
    c.send(AppMessage::QuitRequest, reinterpret_cast<std::intptr_t>(static_cast<void*>(current())));
    EXPECT_EQ(windows.quitCount, 1);
    EXPECT_EQ(c.state(), nullptr);
    EXPECT_TRUE(windows.openWindows().empty());
    EXPECT_EQ(settings.numbers.at("MainWindow_Pos_X"), 300u);
    EXPECT_EQ(settings.numbers.at("MainWindow_Pos_Y"), 200u);
    EXPECT_EQ(settings.numbers.at("StartupPage"), 128u);
    // Releasing again does nothing.
    c.send(AppMessage::ReleaseState);

    windows.events.clear();
    AppController& next = started();
    EXPECT_EQ(next.options()->settings.currentMachine, 7);
    EXPECT_EQ(next.state()->mainWindowRect[0], 300);
    EXPECT_EQ(windows.events, std::vector<std::string> {"create 128"});
}

TEST_F(ControllerTest, ASecondInstanceEndsSilentlyButARestartedOnePasses)
{
    system.lockFree = false;
    AppController& second = make();
    EXPECT_FALSE(second.startUp());
    EXPECT_EQ(second.state(), nullptr);
    EXPECT_TRUE(windows.events.empty());
    EXPECT_TRUE(boxes.shown.empty());
    controller.reset();

    // A restart leaves the marker on disk for the new instance, which passes the
    // check once and clears the marker.
    system.lockFree = true;
    AppController& first = started();
    first.send(AppMessage::Restart);
    EXPECT_EQ(system.started, std::vector<std::filesystem::path> {system.exe});
    EXPECT_EQ(windows.quitCount, 1);
    controller.reset();

    system.lockFree = false;
    windows.events.clear();
    AppController& restarted = started();
    EXPECT_EQ(windows.events, std::vector<std::string> {"create 120"});
    EXPECT_EQ(restarted.options()->settings.restartMarker, 0);
    controller.reset();

    EXPECT_FALSE(make().startUp());
}

TEST_F(ControllerTest, AFailedRestartTellsTheUserAndDoesNotLeaveTheMarkerSet)
{
    AppController& c = started();
    system.startSucceeds = false;
    c.send(AppMessage::SaveAndRestart);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Fehler");
    controller.reset();
    system.lockFree = false;
    EXPECT_FALSE(make().startUp());
}

TEST_F(ControllerTest, CalculationsWithoutALibraryBringTheSenderBack)
{
    for (std::uint8_t level : {0, 1, 2, 3}) {
        AppController& c = started();
        c.options()->settings.calculationLevel = level;
        system.librariesTried.clear();
        windows.events.clear();
        OpenRequest request;
        request.senderPage = 120;
        request.senderWindow = c.state()->windows.cuttingData;
        c.send(AppMessage::OpenCalculations, request);
        EXPECT_EQ(windows.events, (std::vector<std::string> {"close 120", "create 120"})) << int(level);
        EXPECT_EQ(system.librariesTried.size(), level == 1 || level == 2 ? 1u : 0u);
        if (level == 1) {
            EXPECT_EQ(system.librariesTried[0], root / "bin" / "Kalvora_Tools_Calculations_Common_x86");
        }
        controller.reset();
    }
}

AppController* g_libraryController = nullptr;
void fakeLibraryEntry(void* mainWindow, OpenDialogData* state)
{
    auto* port = static_cast<MainWindowPort*>(mainWindow);
    static int dialog;
    EXPECT_EQ(state->handOverSenderPage, 131);
    EXPECT_EQ(state->calcReturnWanted, 1);
    EXPECT_EQ(state->calcHandOver2, 5);
    port->send(port->context, static_cast<std::uint32_t>(AppMessage::RegisterCalcWindow),
        reinterpret_cast<std::intptr_t>(&dialog));
}

TEST_F(ControllerTest, TheCalculationsLibraryGetsTheStateAndRegistersItsDialog)
{
    AppController& c = started();
    g_libraryController = &c;
    c.options()->settings.calculationLevel = 1;
    system.library = &fakeLibraryEntry;
    OpenRequest request;
    request.senderPage = 131;
    request.senderWindow = c.state()->windows.cuttingData;
    request.returnDataWanted = 1;
    request.calcValue2 = 5;
    c.send(AppMessage::OpenCalculations, request);
    EXPECT_NE(c.state()->windows.calculations, nullptr);
    EXPECT_TRUE(windows.openWindows().empty());
    EXPECT_EQ(request.returnDataWanted, 0);
}

TEST_F(ControllerTest, AFailedAllocationNamesTheBlockAndStopsStartUp)
{
    for (std::size_t failing :
        {sizeof(OpenDialogData), sizeof(OptionsRecord), sizeof(NcTextBuffer), sizeof(DowelPinData)}) {
        boxes.shown.clear();
        windows.events.clear();
        AppController& c = make(
            [failing](std::size_t bytes) -> void* { return bytes == failing ? nullptr : std::calloc(1, bytes); });
        EXPECT_FALSE(c.startUp());
        EXPECT_EQ(c.state(), nullptr);
        EXPECT_TRUE(windows.events.empty());
        ASSERT_FALSE(boxes.shown.empty());
        EXPECT_NE(boxes.shown.back().text.find("Virtual Alloc nicht erstellt."), std::string::npos);
        controller.reset();
    }
    EXPECT_EQ(boxes.shown.back().caption, "*pDowelPinData");
}

TEST_F(ControllerTest, TheBackgroundTickWritesTheOptionsOnceAfterFortyFiveSeconds)
{
    AppController& c = started();
    c.state()->messageBoxPending = 1;
    c.backgroundTick(1);
    EXPECT_EQ(c.state()->messageBoxPending, 0);
    for (int tick = 2; tick < 45; ++tick)
        c.backgroundTick(tick);
    EXPECT_TRUE(system.posted.empty());
    c.backgroundTick(45);
    ASSERT_EQ(system.posted.size(), 1u);
    const int writes = storage.writes;
    c.options()->settings.changed = 1;
    c.windowMoved(420, 310, 900, 700);
    system.posted[0]();
    EXPECT_EQ(storage.writes, writes + 1);
    // Re-reading the start-up settings keeps where the user moved the windows.
    EXPECT_EQ(c.state()->mainWindowRect[0], 420);
    EXPECT_EQ(c.state()->mainWindowRect[1], 310);
}

TEST_F(ControllerTest, ADamagedOptionsFileIsReportedAndKeptAside)
{
    const std::filesystem::path dataDir = root / "share" / "Venmark" / "Kalvora Tools";
    std::filesystem::create_directories(dataDir);
    std::ofstream(dataDir / "Options.kvt") << "not an options file";
    storage.failRead = "Readfile1";
    AppController& c = started();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Readfile1");
    EXPECT_EQ(boxes.shown[0].caption, "Program Error_QXZR");
    EXPECT_TRUE(c.optionsReadFailed());
    std::ifstream kept(dataDir / "Options.kvt.damaged");
    std::string content;
    std::getline(kept, content);
    EXPECT_EQ(content, "not an options file");
}

TEST_F(ControllerTest, OptionsDialogRefreshesTheSenderWhenItWroteAndRestartsOnAUnitChange)
{
    AppController& c = started();
    void* sender = c.state()->windows.cuttingData;
    windows.duringOptions = [&] { c.state()->optionsWritten = 1; };
    c.send(AppMessage::OpenOptions, reinterpret_cast<std::intptr_t>(sender));
    EXPECT_EQ(windows.events.back(), "refresh 120");
    EXPECT_EQ(c.state()->optionsWritten, 0);

    windows.duringOptions = [&] { c.options()->settings.restartMarker = 1; };
    c.send(AppMessage::OpenOptions, reinterpret_cast<std::intptr_t>(sender));
    EXPECT_EQ(system.started.size(), 1u);
    EXPECT_EQ(windows.quitCount, 1);
}

} // namespace
} // namespace kvt
