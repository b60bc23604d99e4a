#include <signal.h>

#include <cstdio>
#include <thread>

#include "cli/cli_options.h"
#include "cli/cli_receiver.h"
#include "cli/commands.h"
#include "cli/termination.h"
#include "conversion/conversion_worker.h"
#include "conversion/settings.h"

namespace {

// Ctrl-C asks for a stop exactly like the Stop button; a second one ends the
// program at once, as SIGTERM does.
void OnInterrupt(int)
{
    if (g_settings.stopRequested.load() != 0) {
        RequestTermination();
        return;
    }
    g_settings.stopRequested.store(1);
}

void InstallInterruptHandler()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a password prompt waiting on the terminal gives up.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int RunConvert(const std::vector<std::string>& args)
{
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(args, options, error)) {
        std::fprintf(stderr, "paperwell-cli: %s\n%s", error.c_str(),
                     "Try 'paperwell-cli --help' for more information.\n");
        return 2;
    }
    if (options.showHelp) {
        std::fputs(kCliUsage, stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("paperwell-cli %s\n", PW_VERSION);
        return 0;
    }

    StartTerminationWatch();
    InstallInterruptHandler();
    g_settings.stopRequested = 0;
    CCliReceiver receiver(options, stdout, stderr);
    // The engine runs on a worker thread, as it does under the wizard.
    std::thread worker([&receiver] { ConversionWorker(&receiver); });
    worker.join();

    const bool allConverted = receiver.End() == RunEnd::Complete &&
                              g_convertedFiles.size() == options.inputs.size();
    return allConverted ? 0 : 1;
}
