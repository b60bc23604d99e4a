#pragma once
// The stop of one run: the front end (Stop button, Ctrl-C, a stop signal)
// requests it, the run's threads and its page loop test it. Its gate holds
// the run while the front end asks the user a question, so the run makes no
// progress and sends nothing; the run only ever waits at the gate at its stop
// tests and before its receiver calls, never while it holds something the
// front end needs.
#include <atomic>
#include <condition_variable>
#include <mutex>

class CStopToken {
public:
    // Safe from any thread and from a signal handler: one lock-free store.
    void Request() { requested_.store(true); }
    void Clear() { requested_.store(false); }
    // Without the gate: for the checks made while a page is drawn.
    bool Requested() const { return requested_.load(); }

    // Front end: hold the run at its next gate pass / let it go on.
    void CloseGate();
    void OpenGate();
    // Run: wait while the gate is closed.
    void PassGate() const;
    // Run: pass the gate, then read the request.
    bool StopRequested() const;

private:
    std::atomic<bool> requested_ {false};
    static_assert(std::atomic<bool>::is_always_lock_free, "the stop signal handlers store into it");
    mutable std::mutex gateMutex_;
    mutable std::condition_variable gateOpened_;
    bool gateClosed_ = false;
};

// A conversion without a token (a diagnostic, a benchmark) never stops.
inline bool StopRequested(const CStopToken* stop) { return stop && stop->StopRequested(); }
inline bool StopRequestedNow(const CStopToken* stop) { return stop && stop->Requested(); }
inline void PassStopGate(const CStopToken* stop) { if (stop) stop->PassGate(); }
