// The job events reach the window's thread in the order the jobs sent them, redraws
// are folded while one is pending, and nothing is delivered once the adapter is gone.

#include "serial/qt_job_events.h"

#include <QApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace kvt {
namespace {

TEST(QtJobEvents, ReportsFromAJobThreadRunOnTheWindowThreadInOrder)
{
    QtJobEvents events;
    std::vector<std::string> seen;
    std::vector<bool> onWindowThread;
    const auto here = [&onWindowThread] { onWindowThread.push_back(QThread::currentThread() == qApp->thread()); };
    events.setHandlers({
        [&](int message) {
            here();
            seen.push_back("post " + std::to_string(message));
        },
        [&](const MessageBoxRequest& request) {
            here();
            seen.push_back("box " + request.text);
        },
        [&] {
            here();
            seen.push_back("redraw");
        },
        [&] {
            here();
            seen.push_back("send check");
        },
        [&] {
            here();
            seen.push_back("receive started");
        },
    });
    std::thread job([&events] {
        events.receiveStarted();
        for (int i = 0; i < 5; ++i)
            events.redraw(); // one pending redraw stands for all five
        events.showMessage({"Error 6", "RS232", MessageIcon::Error, MessageButtons::Ok});
        events.clearSendCheck();
        events.post(2102);
    });
    job.join();
    EXPECT_TRUE(seen.empty()); // nothing runs on the job's thread
    QApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<std::string> {"receive started", "redraw", "box Error 6", "send check", "post 2102"}));
    EXPECT_EQ(onWindowThread, std::vector<bool>(5, true));

    events.redraw(); // after the pending one ran, a new redraw is queued again
    QApplication::processEvents();
    EXPECT_EQ(seen.back(), "redraw");
}

TEST(QtJobEvents, AReportStillQueuedWhenTheAdapterGoesIsDropped)
{
    int posts = 0;
    auto events = std::make_unique<QtJobEvents>();
    events->setHandlers({[&posts](int) { ++posts; }, {}, {}, {}, {}});
    std::thread job([&events] { events->post(2099); });
    job.join();
    events.reset();
    QApplication::processEvents();
    EXPECT_EQ(posts, 0);
}

} // namespace
} // namespace kvt
