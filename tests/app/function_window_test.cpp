// The real windows offscreen: start-up shows the cutting data window, its menu
// switches to the coolant window, Escape does nothing, the close box asks to quit.

#include "app/app_controller.h"
#include "app/function_window.h"
#include "app/qt_platform.h"
#include "app/title_only_window.h"
#include "fakes.h"
#include "qt_test_support.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace kvt {
namespace {

using test::findAction;

class FunctionWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("kvt_windows_" + std::to_string(::getpid()));
        std::filesystem::create_directories(root / "bin");
        system.exe = root / "bin" / "Kalvora_Tools";
        system.dataRoot = root / "share";
        controller = std::make_unique<AppController>(ControllerServices {host, system, settings, boxes, storage});
        host.setController(controller.get());
        host.setWindowFactory(
            [](int page, AppController& c) -> FunctionWindow* { return new TitleOnlyWindow(c, page); });
        ASSERT_TRUE(controller->startUp());
        // No language module beside the test program: built-in texts after one notice.
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, "Can't load " + (root / "bin" / "Kalvora_Tools_en_us.lang").string() + ".");
        boxes.shown.clear();
    }
    void TearDown() override
    {
        controller.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::filesystem::remove_all(root);
    }

    FunctionWindow* window(WindowHandle handle) { return static_cast<FunctionWindow*>(handle); }

    std::filesystem::path root;
    QtWindowHost host;
    test::FakeSystem system;
    test::FakeSettings settings;
    test::FakeBoxes boxes;
    test::MemoryOptionsStorage storage;
    std::unique_ptr<AppController> controller;
};

TEST_F(FunctionWindowTest, MenuSwitchesFromCuttingDataToCoolantAndTheCloseBoxQuits)
{
    FunctionWindow* cutting = window(controller->state()->windows.cuttingData);
    ASSERT_NE(cutting, nullptr);
    EXPECT_TRUE(cutting->isVisible());
    EXPECT_EQ(cutting->windowTitle(), QStringLiteral("*Schnittdaten Calculator"));
    EXPECT_EQ(cutting->accessibleName(), cutting->windowTitle());

    std::unique_ptr<QMenu> menu(cutting->buildMenu(nullptr));
    EXPECT_EQ(findAction(menu.get(), QStringLiteral("*Schnittdaten Berechnung")), nullptr);
    QAction* coolant = findAction(menu.get(), QStringLiteral("*KSM Berechnung"));
    ASSERT_NE(coolant, nullptr);
    coolant->trigger();
    QApplication::processEvents();

    EXPECT_FALSE(cutting->isVisible());
    EXPECT_EQ(controller->state()->currentPage, 122);
    FunctionWindow* coolantWindow = window(controller->state()->windows.coolant);
    ASSERT_NE(coolantWindow, nullptr);
    EXPECT_TRUE(coolantWindow->isVisible());
    EXPECT_EQ(controller->state()->windows.cuttingData, nullptr);

    // Escape never closes a function window.
    QTest::keyClick(coolantWindow, Qt::Key_Escape);
    EXPECT_TRUE(coolantWindow->isVisible());
    EXPECT_TRUE(boxes.shown.empty());

    boxes.answers = {MessageAnswer::No};
    coolantWindow->close();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Kalvora Tools beenden?");
    EXPECT_TRUE(coolantWindow->isVisible());
    EXPECT_TRUE(coolantWindow->isEnabled());

    boxes.answers = {MessageAnswer::Yes};
    coolantWindow->close();
    EXPECT_FALSE(coolantWindow->isVisible());
    EXPECT_EQ(controller->state(), nullptr);
    EXPECT_EQ(settings.numbers.at("StartupPage"), 120u);
}

TEST_F(FunctionWindowTest, ChoosingAMachineInTheMenuMakesItCurrent)
{
    FunctionWindow* cutting = window(controller->state()->windows.cuttingData);
    std::unique_ptr<QMenu> menu(cutting->buildMenu(nullptr));
    QList<QAction*> machines;
    for (QAction* action : menu->actions()) {
        if (action->menu() && action->text() == QStringLiteral("*Maschine wählen..."))
            machines = action->menu()->actions();
    }
    ASSERT_EQ(machines.size(), 10);
    EXPECT_TRUE(machines[0]->isChecked());
    machines[4]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(controller->options()->settings.currentMachine, 4);
    EXPECT_EQ(controller->options()->settings.changed, 1);
}

} // namespace
} // namespace kvt
