#include "app/background_thread.h"

#include <system_error>

namespace kvt {

BackgroundThread::~BackgroundThread()
{
    stop();
}

bool BackgroundThread::start(Tick tick, std::chrono::milliseconds interval)
{
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_stop = false;
    }
    try {
        m_thread = std::thread([this, tick = std::move(tick), interval] {
            int tickNumber = 0;
            std::unique_lock lock(m_mutex);
            while (!m_wake.wait_for(lock, interval, [this] { return m_stop; })) {
                lock.unlock();
                tick(++tickNumber);
                lock.lock();
            }
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void BackgroundThread::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace kvt
