#pragma once
// The shared set-up of a function window's widget test: the real controller over fake
// settings, options storage and system, a temporary data folder, message boxes that
// tests answer, a viewer that only records and a clock that stands still. A test hands
// in the factory of the window under test; every other page gets a title-only window.

#include "app/app_controller.h"
#include "app/function_window.h"
#include "app/pages.h"
#include "app/qt_platform.h"
#include "app/title_only_window.h"
#include "common/clock.h"
#include "common/report_writer.h"

#include "app/fakes.h"
#include "qt_test_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace kvt::test {

class RecordingViewer final : public TextViewerLauncher {
public:
    std::vector<std::filesystem::path> opened;
    bool starts = true; // false: as a desktop without a viewer
    bool open(const std::filesystem::path& file) override
    {
        opened.push_back(file);
        return starts;
    }
};

class FunctionWindowFixture : public ::testing::Test {
protected:
    using Factory = std::function<FunctionWindow*(AppController&, const WindowServices&)>;

    // Starts the program; `factory` makes the window of `page`, with the fixture's
    // services. Start-up opens the start page (the cutting data window unless the
    // settings say otherwise); openPage() opens another.
    void startProgram(int page, Factory factory)
    {
        root = std::filesystem::temp_directory_path() / ("kvt_window_" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "bin");
        system.exe = root / "bin" / "Kalvora_Tools";
        system.dataRoot = root / "share";
        clock.setLocalTime({2025, 3, 7, 14, 5, 9});
        controller = std::make_unique<AppController>(ControllerServices {host, system, settings, boxes, storage});
        host.setController(controller.get());
        host.setWindowFactory([this, page, factory](int wanted, AppController& c) -> FunctionWindow* {
            if (wanted == page)
                return factory(c, services());
            return new TitleOnlyWindow(c, wanted);
        });
        ASSERT_TRUE(controller->startUp());
        boxes.shown.clear(); // the notice about the missing language module
    }

    void TearDown() override
    {
        controller.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!root.empty())
            std::filesystem::remove_all(root);
    }

    WindowServices services() { return {&boxes, &viewer, &clock, nullptr}; }

    // The open window of a page, nullptr when there is none.
    FunctionWindow* pageWindow(int page) const
    {
        WindowHandle* slot = windowSlot(controller->state()->windows, page);
        return slot ? static_cast<FunctionWindow*>(*slot) : nullptr;
    }
    template<class Window> Window* window(int page) const { return static_cast<Window*>(pageWindow(page)); }

    // Opens a page as its menu entry would from the current window.
    void openPage(int page)
    {
        FunctionWindow* current = pageWindow(controller->state()->currentPage);
        ASSERT_NE(current, nullptr);
        current->switchToPage(page);
        QApplication::processEvents();
    }

    static void typeInto(QLineEdit* edit, const char* text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QString::fromUtf8(text));
    }

    // The reports written into a folder of the data directory.
    std::vector<std::filesystem::path> reports(const char* folder) const
    {
        std::vector<std::filesystem::path> files;
        const auto path = controller->dataDirectory() / folder;
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                files.push_back(entry.path());
        }
        return files;
    }

    std::filesystem::path root;
    QtWindowHost host;
    FakeSystem system;
    FakeSettings settings;
    FakeBoxes boxes;
    MemoryOptionsStorage storage;
    RecordingViewer viewer;
    FixedClock clock;
    std::unique_ptr<AppController> controller;
};

} // namespace kvt::test
