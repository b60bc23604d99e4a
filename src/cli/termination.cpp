#include "cli/termination.h"

#include <signal.h>
#include <unistd.h>

#include <thread>

#include "cli/cli_receiver.h"
#include "conversion/stop_token.h"
#include "conversion/worker_process.h"
#include "office/office_suite.h"
#include "platform/temp_path.h"

namespace {

constexpr int kTerminatedStatus = 1;

sigset_t TerminationSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

void (*endingWords)() = nullptr;

[[noreturn]] void EndAtOnce(CStopToken& run)
{
    // The run's thread holds at its next stop test or message and makes
    // nothing new while the rest goes.
    run.CloseGate();
    KillRunningWorker();
    KillOfficeInstanceNow();
    RestoreTerminalAfterPrompt();
    DisposePrivateTempFolder();
    if (endingWords)
        endingWords();
    // No exit handlers and no destructors: the run's thread is still busy.
    _exit(kTerminatedStatus);
}

} // namespace

void StartTerminationWatch(CStopToken& run, void (*lastWords)())
{
    endingWords = lastWords;
    const sigset_t signals = TerminationSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals, &run] {
        int received = 0;
        while (sigwait(&signals, &received) != 0) {
        }
        EndAtOnce(run);
    }).detach();
}

void RequestTermination()
{
    // Process-directed, so the watching thread takes it.
    kill(getpid(), SIGTERM);
}
