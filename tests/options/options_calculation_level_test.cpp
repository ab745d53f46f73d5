// The calculation level chosen on the general page decides which library the
// "*Berechnungen" command loads, by path and by entry symbol.

#include "app/app_controller.h"
#include "options/options_general_form.h"

#include "app/fakes.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace kvt {
namespace {

// The fake system of the shell tests, keeping the symbol asked for as well.
class LibraryRecordingSystem final : public SystemServices {
public:
    test::FakeSystem inner;
    std::vector<std::pair<std::filesystem::path, std::string>> loaded;

    std::filesystem::path executablePath() override { return inner.executablePath(); }
    std::filesystem::path commonDataFolder() override { return inner.commonDataFolder(); }
    bool openPath(const std::filesystem::path& path) override { return inner.openPath(path); }
    bool startProgram(const std::filesystem::path& program) override { return inner.startProgram(program); }
    bool lockSingleInstance(const std::filesystem::path& folder, int waitMs) override
    {
        return inner.lockSingleInstance(folder, waitMs);
    }
    void unlockSingleInstance() override { inner.unlockSingleInstance(); }
    CalculationsEntry loadCalculationsLibrary(const std::filesystem::path& library, const char* symbol) override
    {
        loaded.emplace_back(library, symbol ? symbol : "");
        return nullptr;
    }
    void unloadCalculationsLibrary() override { }
    bool downloadFile(const std::string&, const std::filesystem::path&) override { return false; }
    void postToMainThread(std::function<void()> function) override { function(); }
};

TEST(CalculationLevel, IndividuellLoadsTheCustomerLibraryByPathAndSymbol)
{
    const std::filesystem::path root
        = std::filesystem::temp_directory_path() / ("kvt_level_" + std::to_string(::getpid()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "bin");
    test::FakeWindows windows;
    LibraryRecordingSystem system;
    system.inner.exe = root / "bin" / "Kalvora_Tools";
    system.inner.dataRoot = root / "share";
    test::FakeSettings settings;
    test::FakeBoxes boxes;
    test::MemoryOptionsStorage storage;
    auto controller = std::make_unique<AppController>(ControllerServices {windows, system, settings, boxes, storage});
    ASSERT_TRUE(controller->startUp());

    FixedClock clock;
    OptionsDialogContext context {*controller->state(), *controller->options(), controller->texts(), boxes, clock,
        [&](AppMessage message) { controller->send(message); }};
    OptionsGeneralForm general(context);
    const std::pair<int, std::filesystem::path> levels[] = {
        {1,
            controller->dataDirectory() / "CustomCalculations" / (sizeof(void*) == 8 ? "64" : "32")
                / "Kalvora_Tools_Calculations_QX_x86"},
        {0, root / "bin" / "Kalvora_Tools_Calculations_Common_x86"},
    };
    const char* symbols[] = {"ShowCalculationsDialog_QX", "ShowCalculationsDialog_Common"};
    for (std::size_t i = 0; i < std::size(levels); ++i) {
        SCOPED_TRACE(levels[i].first);
        general.chooseCalculationLevel(levels[i].first);
        system.loaded.clear();
        OpenRequest request;
        request.senderPage = 120;
        request.senderWindow = controller->state()->windows.cuttingData;
        controller->send(AppMessage::OpenCalculations, request);
        ASSERT_EQ(system.loaded.size(), 1u);
        EXPECT_EQ(system.loaded[0].first, levels[i].second);
        EXPECT_EQ(system.loaded[0].second, symbols[i]);
    }
    controller.reset();
    std::filesystem::remove_all(root);
}

} // namespace
} // namespace kvt
