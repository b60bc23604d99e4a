#include "conversion/stop_token.h"

void CStopToken::CloseGate()
{
    std::lock_guard<std::mutex> lock(gateMutex_);
    gateClosed_ = true;
}

void CStopToken::OpenGate()
{
    {
        std::lock_guard<std::mutex> lock(gateMutex_);
        gateClosed_ = false;
    }
    gateOpened_.notify_all();
}

void CStopToken::PassGate() const
{
    std::unique_lock<std::mutex> lock(gateMutex_);
    gateOpened_.wait(lock, [this] { return !gateClosed_; });
}

bool CStopToken::StopRequested() const
{
    PassGate();
    return Requested();
}
