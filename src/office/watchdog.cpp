#include "office/watchdog.h"

CWatchdog::CWatchdog(std::chrono::milliseconds timeout, std::function<void()> onExpiry)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    m_thread = std::thread([this, deadline, onExpiry = std::move(onExpiry)]() {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_until(lock, deadline, [this] { return m_disarmed; }))
            return;
        m_fired = true;
        lock.unlock();
        onExpiry();
    });
}

CWatchdog::~CWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_disarmed = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool CWatchdog::Fired()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fired;
}
