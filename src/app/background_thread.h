#pragma once
// The controller's background thread: wakes once a second and hands the tick to a
// callback. Stopping wakes it at once, so ending the program never waits a full tick.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kvt {

class BackgroundThread {
public:
    using Tick = std::function<void(int tickNumber)>; // 1 for the first tick

    ~BackgroundThread();
    bool start(Tick tick, std::chrono::milliseconds interval = std::chrono::milliseconds(1000));
    void stop();
    bool running() const { return m_thread.joinable(); }

private:
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
};

} // namespace kvt
