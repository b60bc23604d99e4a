#include "conversion/stop_gate.h"

#include <condition_variable>
#include <mutex>

#include "conversion/settings.h"

namespace {
std::mutex gateMutex;
std::condition_variable gateOpened;
bool gateClosed = false;
}

void CloseStopGate()
{
    std::lock_guard<std::mutex> lock(gateMutex);
    gateClosed = true;
}

void OpenStopGate()
{
    {
        std::lock_guard<std::mutex> lock(gateMutex);
        gateClosed = false;
    }
    gateOpened.notify_all();
}

void PassStopGate()
{
    std::unique_lock<std::mutex> lock(gateMutex);
    gateOpened.wait(lock, [] { return !gateClosed; });
}

bool StopRequested()
{
    PassStopGate();
    return g_settings.stopRequested.load() != 0;
}
