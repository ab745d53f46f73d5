// The Qt window host hands the options dialog a widget only when the request came from
// a function window: the controller's own handle is no widget.

#include "app/app_controller.h"
#include "app/qt_platform.h"
#include "fakes.h"

#include <QWidget>

#include <gtest/gtest.h>

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

} // namespace
} // namespace kvt
