// What a start loads before its first window shows. The libraries of later commands
// (libcrypto for the options file, Qt Network for the vendor's server, Qt Print Support
// for printing) come with those commands, not with the first window. A test program of
// its own, so that no other test has loaded them before.

#include "app/app_controller.h"
#include "app/options_storage_file.h"
#include "app/qt_platform.h"
#include "program/page_windows.h"

#include "app/fakes.h"
#include "qt_test_support.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <unistd.h>

namespace kvt {
namespace {

bool mapped(const std::string& library)
{
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find("/" + library) != std::string::npos)
            return true;
    return false;
}

TEST(StartupLoads, TheFirstWindowShowsWithoutTheLibrariesOfLaterCommands)
{
    const std::filesystem::path root
        = std::filesystem::temp_directory_path() / ("kvt_startup_loads_" + std::to_string(::getpid()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "bin");
    test::FakeSystem system;
    system.exe = root / "bin" / "Kalvora_Tools";
    system.dataRoot = root / "share";
    test::FakeSettings settings;
    test::FakeBoxes boxes;
    QtWindowHost host;
    {
        // A first start: there is no options file to read ahead.
        OptionsStorageFile storage(optionsFilePath(dataFolderIn(system.dataRoot)));
        AppController controller({host, system, settings, boxes, storage});
        host.setController(&controller);
        host.setWindowFactory([](int page, AppController& c) { return createPageWindow(page, c); });
        ASSERT_TRUE(controller.startUp());
        QApplication::processEvents();
        const auto* window = static_cast<QWidget*>(controller.state()->windows.cuttingData);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());

        EXPECT_TRUE(mapped("libQt6Widgets.so")) << "the check must see what is loaded";
        for (const char* later : {"libcrypto.so", "libQt6Network.so", "libQt6PrintSupport.so",
                 "libKalvora_Tools_Network.so", "libKalvora_Tools_Print.so"})
            EXPECT_FALSE(mapped(later)) << later << " is loaded with the first window";

        // The write a second after the start brings libcrypto, and nothing else.
        controller.backgroundTick(kStartupWriteDelayTicks);
        for (auto& posted : system.posted)
            posted();
        system.posted.clear();
        EXPECT_TRUE(std::filesystem::is_regular_file(optionsFilePath(dataFolderIn(system.dataRoot))));
        EXPECT_TRUE(mapped("libcrypto.so"));
        EXPECT_FALSE(mapped("libQt6Network.so"));
        EXPECT_FALSE(mapped("libQt6PrintSupport.so"));
        host.setController(nullptr);
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::filesystem::remove_all(root);
}

} // namespace
} // namespace kvt
