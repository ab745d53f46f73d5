#include "app/app_controller.h"
#include "app/options_storage_file.h"
#include "fakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include <unistd.h>

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
    // The record is written once at start, so the next start has a file to read; that
    // waits until the window shows.
    EXPECT_EQ(storage.writes, 0);
    c.backgroundTick(1);
    ASSERT_EQ(system.posted.size(), 1u);
    system.posted[0]();
    EXPECT_EQ(storage.writes, 1);
}

TEST_F(ControllerTest, AStartWithUnchangedSettingsRewritesNone)
{
    settings.installer["SetupDirKVT32"] = (root / "bin").string();
    started();
    controller.reset();
    EXPECT_EQ(settings.texts.at("SetupDirKVT32"), (root / "bin").string());
    settings.changes = 0;
    started();
    EXPECT_EQ(settings.changes, 0);
    controller.reset();

    // A value that changed, or went away at the installer, is written afresh.
    settings.texts["OptionsPath"] = "/elsewhere/";
    settings.installer.clear();
    started();
    EXPECT_EQ(settings.texts.at("OptionsPath"), (root / "share" / "Venmark" / "Kalvora Tools" / "").string());
    EXPECT_EQ(settings.texts.count("SetupDirKVT32"), 0u);
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

TEST_F(ControllerTest, StoredStartPagesOpenTheirWindowOrTheCuttingDataWindow)
{
    struct Case {
        std::uint32_t stored;
        std::vector<std::string> events;
    };
    // A page without a window would leave the program running with nothing to see.
    for (const Case& c : {Case {0, {"create 120"}}, Case {9'999'999, {"create 120"}}, Case {122, {"create 122"}},
             Case {140, {"create 140"}}, Case {124, {"create 120"}}, Case {125, {"create 120"}},
             Case {132, {"create 120"}}, Case {135, {"create 120"}}, Case {139, {"create 120"}},
             Case {133, {"create 120"}}}) {
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
    EXPECT_EQ(boxes.shown[0].text, "Can't load " + (root / "bin" / "Kalvora_Tools_de_de.lang").string() + ".");
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
    EXPECT_EQ(c.state()->handOverSenderPage, 0);

    // The pin diameter goes to the drill-depth window only from the dowel pin window,
    // and the allowances come back only from the drill-depth window.
    c.send(AppMessage::OpenDrillDepths, request);
    EXPECT_EQ(c.state()->handOver[0], 0);
    EXPECT_EQ(c.state()->handOverSenderPage, 0);
    request.originPage = 127;
    c.send(AppMessage::OpenDrillDepths, request);
    EXPECT_EQ(c.state()->handOver[0], 11);
    EXPECT_EQ(c.state()->handOverSenderPage, 127);
    request.originPage = 129;
    c.send(AppMessage::OpenDowelPins, request);
    EXPECT_EQ(c.state()->handOver[0], 11);
    EXPECT_EQ(c.state()->handOverSenderPage, 129);
    // Requests from the main window closed nothing but the flanges window opened
    // before, which a second flanges window replaces.
    EXPECT_EQ(windows.openWindows().size(), 5u);
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
    const int syncs = settings.syncs;
    first.send(AppMessage::Restart);
    EXPECT_EQ(system.started, std::vector<std::filesystem::path> {system.exe});
    // The settings are on disk before the next instance reads them.
    EXPECT_GT(settings.syncs, syncs);
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

TEST_F(ControllerTest, TheCustomerLibraryComesOnlyFromFoldersNoOtherUserCanChange)
{
    AppController& c = started();
    c.options()->settings.calculationLevel = 2;
    const std::filesystem::path custom = c.dataDirectory() / "CustomCalculations";
    const std::filesystem::path own = custom / (sizeof(void*) == 8 ? "64" : "32");
    OpenRequest request;
    request.senderPage = 120;
    request.senderWindow = c.state()->windows.cuttingData;

    c.send(AppMessage::OpenCalculations, request);
    ASSERT_EQ(system.librariesTried.size(), 1u);
    EXPECT_EQ(system.librariesTried[0], own / "Kalvora_Tools_Calculations_QX_x86");
    EXPECT_TRUE(boxes.shown.empty());

    // Any folder on the way that the group or everyone may write to stops the load.
    for (const std::filesystem::path& folder : {own, custom}) {
        system.librariesTried.clear();
        boxes.shown.clear();
        std::filesystem::permissions(folder, std::filesystem::perms::others_write, std::filesystem::perm_options::add);
        c.send(AppMessage::OpenCalculations, request);
        EXPECT_TRUE(system.librariesTried.empty()) << folder;
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_NE(boxes.shown[0].text.find("Kundenbibliothek wird nicht geladen"), std::string::npos);
        EXPECT_TRUE(boxes.shown[0].text.ends_with("\n" + folder.string())) << boxes.shown[0].text;
        std::filesystem::permissions(
            folder, std::filesystem::perms::others_write, std::filesystem::perm_options::remove);
    }
    // A missing folder is no place to load from either.
    std::filesystem::remove_all(own);
    system.librariesTried.clear();
    c.send(AppMessage::OpenCalculations, request);
    EXPECT_TRUE(system.librariesTried.empty());
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
    // The first tick brings the start-up write, one second after the window showed.
    ASSERT_EQ(system.posted.size(), 1u);
    system.posted[0]();
    EXPECT_EQ(storage.writes, 1);
    for (int tick = 2; tick < 45; ++tick)
        c.backgroundTick(tick);
    EXPECT_EQ(system.posted.size(), 1u);
    c.backgroundTick(45);
    ASSERT_EQ(system.posted.size(), 2u);
    const int writes = storage.writes;
    c.options()->settings.changed = 1;
    c.windowMoved(420, 310, 900, 700);
    system.posted[1]();
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

TEST_F(ControllerTest, WhateverOpensNothingTheCuttingDataWindowShows)
{
    struct Case {
        const char* name;
        std::uint32_t startPage;
        std::uint8_t calculationLevel;
        std::vector<int> pagesWithoutWindow;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"calculations without a library", 133, 0, {}, {"create 120"}},
        {"calculations of a missing common library", 133, 1, {}, {"create 120"}},
        {"calculations of a missing customer library", 133, 2, {}, {"create 120"}},
        {"a window that cannot be made", 122, 0, {122}, {"create 122", "create 120"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.numbers["StartupPage"] = c.startPage;
        storage.stored.clear();
        auto record = std::make_unique<OptionsRecord>();
        record->settings.calculationLevel = c.calculationLevel;
        storage.stored.assign(reinterpret_cast<const std::uint8_t*>(record.get()),
            reinterpret_cast<const std::uint8_t*>(record.get()) + kOptionsStoredSize);
        windows.events.clear();
        windows.windows.clear();
        windows.pagesWithoutWindow = c.pagesWithoutWindow;
        AppController& started = make();
        ASSERT_TRUE(started.startUp());
        EXPECT_EQ(windows.events, c.events);
        EXPECT_EQ(started.state()->windows.cuttingData, current());
        controller.reset();
    }

    // The same while running: a switch to a window that cannot be made ends with the
    // cutting data window, not with none.
    windows.windows.clear();
    windows.pagesWithoutWindow = {122};
    settings.numbers["StartupPage"] = 128;
    AppController& running = make();
    ASSERT_TRUE(running.startUp());
    windows.events.clear();
    OpenRequest request;
    request.senderWindow = current();
    running.send(AppMessage::OpenCoolant, request);
    EXPECT_EQ(windows.events, (std::vector<std::string> {"close 128", "create 122", "create 120"}));
    ASSERT_EQ(windows.openWindows().size(), 1u);
    EXPECT_EQ(windows.openWindows()[0]->page, 120);
    controller.reset();

    // Not even the cutting data window: the start ends and gives the lock back instead
    // of running on unseen.
    windows.pagesWithoutWindow = {120, 128};
    EXPECT_FALSE(make().startUp());
    EXPECT_FALSE(system.locked);
}

TEST_F(ControllerTest, ASecondStartEndsBeforeAnythingCanShowABox)
{
    // Each of these shows a box during a start.
    settings.installer["SetupDirKVT32"] = (root / "no such folder").string();
    std::filesystem::remove(root / "bin" / "Kalvora_Tools_en_us.lang");
    system.lockFree = false;
    EXPECT_FALSE(make().startUp());
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text;
    EXPECT_TRUE(windows.events.empty());
    EXPECT_EQ(controller->state(), nullptr);
}

TEST_F(ControllerTest, RepeatedAllocationsThroughThePortLeaveNoPointerToAFreedBlock)
{
    AppController& c = started();
    auto* port = static_cast<MainWindowPort*>(c.state()->mainWindow);
    struct Case {
        std::uint32_t message;
        std::function<void*()> block;
        std::size_t size;
    };
    const Case cases[] = {
        {0x975, [&] { return static_cast<void*>(c.state()->ncTextBuffer); }, sizeof(NcTextBuffer)},
        {0x1162, [&] { return static_cast<void*>(c.state()->calcList); }, sizeof(CalcList)},
        {0x1136, [&] { return static_cast<void*>(c.state()->usedWindowData); }, sizeof(UsedWindowData)},
        {0x1184, [&] { return static_cast<void*>(c.state()->dowelPinData); }, sizeof(DowelPinData)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.message);
        std::memset(k.block(), 0x5A, 64);
        ASSERT_EQ(port->send(port->context, k.message, 0), 1);
        // The state names the fresh, zero-filled block; under AddressSanitizer a write
        // through a pointer to the freed one ends the test.
        auto* bytes = static_cast<unsigned char*>(k.block());
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(bytes[0], 0);
        EXPECT_EQ(bytes[k.size - 1], 0);
        std::memset(bytes, 0x5A, 64);
    }
}

TEST_F(ControllerTest, ASecondStateAllocationIsRefusedAndFreesNothingUnderTheWindows)
{
    AppController& c = started();
    OpenDialogData* const state = c.state();
    OptionsRecord* const options = c.options();
    auto* port = static_cast<MainWindowPort*>(state->mainWindow);
    state->currentPage = 4711;
    options->settings.changed = 1;
    boxes.shown.clear();
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(port->send(port->context, 0x1164, 0), 0);
        // Read through the pointers the windows hold: under AddressSanitizer a freed
        // block ends the test here.
        EXPECT_EQ(state->currentPage, 4711);
        EXPECT_EQ(state->options, options);
        EXPECT_EQ(options->settings.changed, 1);
        EXPECT_EQ(c.state(), state);
        EXPECT_EQ(c.options(), options);
    }
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text;
    EXPECT_EQ(state->windows.cuttingData, current());
}

TEST_F(ControllerTest, TheTickKeepsALanguageAndStartPageChosenInTheOptionsDialog)
{
    AppController& c = started();
    ASSERT_EQ(c.state()->languageCode, 44);
    ASSERT_EQ(c.state()->startPage, 120);
    c.backgroundTick(45);
    ASSERT_EQ(system.posted.size(), 1u);
    // The tick's work arrives while the dialog is open with a new language and start
    // page chosen but not yet saved.
    windows.duringOptions = [&] {
        c.state()->languageCode = 49;
        c.state()->languageChanged = 1;
        c.state()->startPage = 126;
        system.posted[0]();
    };
    c.send(AppMessage::OpenOptions, reinterpret_cast<std::intptr_t>(c.state()->windows.cuttingData));
    EXPECT_EQ(c.state()->languageCode, 49);
    EXPECT_EQ(c.state()->startPage, 126);
    EXPECT_EQ(settings.numbers.at("Language"), 49u);
    EXPECT_EQ(settings.numbers.at("StartupPage"), 126u);
}

TEST_F(ControllerTest, AFailedOptionsReadNeverCostsTheFile)
{
    const std::filesystem::path dataDir = root / "share" / "Venmark" / "Kalvora Tools";
    struct Case {
        const char* name;
        OptionsReadFailure failure;
        const char* message;
        bool writesLater; // after start, once the file has a copy
    };
    const Case cases[] = {
        {"damaged", OptionsReadFailure::Damaged, "Readfile1", true},
        {"cannot be opened", OptionsReadFailure::Unreadable, "LesenBIN_OPT", false},
        {"out of memory", OptionsReadFailure::Transient, "Error allocating memory", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(dataDir);
        std::filesystem::create_directories(dataDir);
        std::ofstream(dataDir / "Options.kvt") << "the user's options";
        std::ofstream(dataDir / "Options.kvt.damaged") << "an earlier copy";
        storage.failRead = c.message;
        storage.failKind = c.failure;
        storage.writes = 0;
        boxes.shown.clear();
        AppController& started = make();
        ASSERT_TRUE(started.startUp());
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.message);
        EXPECT_EQ(boxes.shown[0].caption, "Program Error_QXZR");

        // Nothing replaces the file at start, the delayed start-up write included.
        started.backgroundTick(1);
        for (auto& posted : system.posted)
            posted();
        system.posted.clear();
        EXPECT_EQ(storage.writes, 0);
        // An earlier copy is never overwritten; a damaged file gets the next free name.
        std::string earlier;
        std::getline(std::ifstream(dataDir / "Options.kvt.damaged"), earlier);
        EXPECT_EQ(earlier, "an earlier copy");
        std::string copy;
        std::getline(std::ifstream(dataDir / "Options.kvt.damaged2"), copy);
        EXPECT_EQ(copy, c.failure == OptionsReadFailure::Damaged ? "the user's options" : "");

        // A later write may replace a damaged file whose copy exists, but never one
        // that could not be read at all.
        started.chooseMachine(3);
        started.send(AppMessage::SaveOptions);
        EXPECT_EQ(storage.writes, c.writesLater ? 1 : 0);
        EXPECT_EQ(started.optionsFileProtected(), !c.writesLater);
        controller.reset();
    }
}

TEST_F(ControllerTest, ADamagedFileWhoseCopyCannotBeMadeIsNeverWritten)
{
    const std::filesystem::path dataDir = root / "share" / "Venmark" / "Kalvora Tools";
    std::filesystem::create_directories(dataDir / "Options.kvt");
    storage.failRead = "Readfile1";
    storage.failKind = OptionsReadFailure::Damaged;
    AppController& c = started();
    EXPECT_TRUE(c.optionsFileProtected());
    EXPECT_FALSE(std::filesystem::exists(dataDir / "Options.kvt.damaged"));
    c.send(AppMessage::SaveAll);
    EXPECT_EQ(storage.writes, 0);
}

TEST_F(ControllerTest, StaleTemporariesOfKilledOptionsWritesAreRemovedAtStart)
{
    const std::filesystem::path dataDir = root / "share" / "Venmark" / "Kalvora Tools";
    std::filesystem::create_directories(dataDir);
    for (const char* name : {"Options.kvt.tmp12345678", "Options.kvt.tmp7", "Options.kvt.tmpabc", "Options.kvt.tmp",
             "Other.kvt.tmp123", "Options.kvt.sav", "Options.kvt"})
        std::ofstream(dataDir / name) << "x";
    std::filesystem::create_directory(dataDir / "Options.kvt.tmp99");
    started();
    for (const char* gone : {"Options.kvt.tmp12345678", "Options.kvt.tmp7"})
        EXPECT_FALSE(std::filesystem::exists(dataDir / gone)) << gone;
    for (const char* kept : {"Options.kvt.tmpabc", "Options.kvt.tmp", "Other.kvt.tmp123", "Options.kvt.sav",
             "Options.kvt", "Options.kvt.tmp99"})
        EXPECT_TRUE(std::filesystem::exists(dataDir / kept)) << kept;
}

TEST_F(ControllerTest, AProgramFolderPathThatDoesNotFitIsRefusedNotCut)
{
    // 300 characters do not fit the 256-character field; cut, the path would name
    // another folder.
    const std::filesystem::path longFolder = root / std::string(300 - root.string().size(), 'p');
    std::filesystem::create_directories(longFolder);
    settings.installer["SetupDirKVT32"] = longFolder.string();
    AppController& c = started();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
        "Fehler beim Lesen vom KV_Path Pfad. RegistryEintrag überprüfen, oder Setup neu ausführen.");
    EXPECT_TRUE(c.programDirectory().empty());

    c.options()->settings.calculationLevel = 1;
    OpenRequest request;
    request.senderPage = 120;
    request.senderWindow = current();
    c.send(AppMessage::OpenCalculations, request);
    EXPECT_TRUE(system.librariesTried.empty());
    ASSERT_EQ(windows.openWindows().size(), 1u);
}

// The real options file: what a user finds after a start with an options file that
// cannot be read.
TEST_F(ControllerTest, AnOptionsFileThatCannotBeReadSurvivesAStartUntouched)
{
    const std::filesystem::path dataDir = root / "share" / "Venmark" / "Kalvora Tools";
    const std::filesystem::path file = dataDir / "Options.kvt";
    OptionsStorageFile realStorage;
    auto startAndQuit = [&] {
        boxes.shown.clear();
        controller = std::make_unique<AppController>(
            ControllerServices {windows, system, settings, boxes, realStorage}, StateBlockSet::Allocator {});
        ASSERT_TRUE(controller->startUp());
        ASSERT_FALSE(windows.openWindows().empty());
        controller->backgroundTick(1);
        for (auto& posted : system.posted)
            posted();
        system.posted.clear();
        controller->chooseMachine(2);
        boxes.answers = {MessageAnswer::Yes};
        controller->send(AppMessage::QuitRequest, 0);
        controller.reset();
    };
    auto content = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };

    // A folder in its place.
    std::filesystem::create_directories(file);
    std::ofstream(file / "inside") << "kept";
    startAndQuit();
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown[0].text, "LesenBIN_OPT");
    EXPECT_TRUE(std::filesystem::is_directory(file));
    EXPECT_EQ(content(file / "inside"), "kept");
    std::filesystem::remove_all(file);

    // A damaged file stays as it was through the start, with a copy beside it.
    const std::string damaged(3000, 'x');
    std::ofstream(file, std::ios::binary) << damaged;
    boxes.shown.clear();
    controller = std::make_unique<AppController>(
        ControllerServices {windows, system, settings, boxes, realStorage}, StateBlockSet::Allocator {});
    ASSERT_TRUE(controller->startUp());
    controller->backgroundTick(1);
    for (auto& posted : system.posted)
        posted();
    system.posted.clear();
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown[0].text, "Readfile1");
    EXPECT_EQ(content(file), damaged);
    EXPECT_EQ(content(dataDir / "Options.kvt.damaged"), damaged);
    controller.reset();
    std::filesystem::remove(file);
    std::filesystem::remove(dataDir / "Options.kvt.damaged");

    // A file the user may not read (root may read anything, so this case needs a user).
    if (::geteuid() != 0) {
        std::ofstream(file, std::ios::binary) << "the user's options";
        std::filesystem::permissions(file, std::filesystem::perms::none);
        startAndQuit();
        ASSERT_FALSE(boxes.shown.empty());
        EXPECT_EQ(boxes.shown[0].text, "LesenBIN_OPT");
        std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        EXPECT_EQ(content(file), "the user's options");
    }
}

} // namespace
} // namespace kvt
