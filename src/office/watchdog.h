#pragma once
// Runs an action once a deadline passes, unless disarmed first. Guards the
// office calls, which have no timeout of their own.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CWatchdog {
public:
    CWatchdog(std::chrono::milliseconds timeout, std::function<void()> onExpiry);
    ~CWatchdog();   // disarms and joins
    CWatchdog(const CWatchdog&) = delete;
    CWatchdog& operator=(const CWatchdog&) = delete;

    // True once the action has run.
    bool Fired();

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_disarmed = false;
    bool m_fired = false;
    std::thread m_thread;
};
