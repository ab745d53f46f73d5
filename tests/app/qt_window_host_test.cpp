// The Qt window host hands the options dialog a widget only when the request came from
// a function window: the controller's own handle is no widget.

#include "app/app_controller.h"
#include "app/qt_platform.h"
#include "fakes.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <unistd.h>

namespace kvt {
namespace {

TEST(QtWindowHost, TheOptionsDialogOfTheControllerItselfHasNoOwner)
{
    QtWindowHost host;
    test::FakeSystem system;
    test::FakeSettings settings;
    test::FakeBoxes boxes;
    test::MemoryOptionsStorage storage;
    AppController controller(ControllerServices {host, system, settings, boxes, storage});
    host.setController(&controller);
    std::vector<QWidget*> owners;
    host.setOptionsRunner([&](AppController&, QWidget* sender) { owners.push_back(sender); });

    QWidget window;
    host.runOptionsDialog(controller.mainWindowPort());
    host.runOptionsDialog(nullptr);
    host.runOptionsDialog(&window);
    EXPECT_EQ(owners, (std::vector<QWidget*> {nullptr, nullptr, &window}));
}

TEST(QtSystemServices, OneInstanceHoldsTheLockUntilItLetsGoOrEnds)
{
    const auto folder = std::filesystem::temp_directory_path() / ("kvt_lock_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto first = std::make_unique<QtSystemServices>();
    QtSystemServices second;
    ASSERT_TRUE(first->lockSingleInstance(folder, 0));
    EXPECT_TRUE(first->lockSingleInstance(folder, 0)); // already held here
    EXPECT_FALSE(second.lockSingleInstance(folder, 0));
    // A restarted instance waits for its predecessor to let go.
    std::thread ending([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        first.reset();
    });
    EXPECT_TRUE(second.lockSingleInstance(folder, 5000));
    ending.join();
    second.unlockSingleInstance();
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace kvt
