#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "cli/cli_options.h"
#include "cli/cli_receiver.h"
#include "cli/commands.h"
#include "cli/input_list.h"
#include "cli/run_report.h"
#include "cli/termination.h"
#include "conversion/batch_driver.h"
#include "conversion/batch_report.h"
#include "conversion/conversion_worker.h"
#include "conversion/settings.h"
#include "conversion/stop_token.h"

namespace {

using Clock = std::chrono::steady_clock;

// The stop of the command line's one run, for its signal handlers.
CStopToken runStop;

// Ctrl-C asks for a stop exactly like the Stop button; a second one ends the
// program at once, as SIGTERM does.
void OnInterrupt(int)
{
    if (runStop.Requested()) {
        RequestTermination();
        return;
    }
    runStop.Request();
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

const char* ResultName(RunEnd end)
{
    switch (end) {
    case RunEnd::Complete: return "complete";
    case RunEnd::Stopped: return "stopped";
    case RunEnd::Failed:
    case RunEnd::FolderFailed: break;
    }
    return "failed";
}

// What the report needs besides the batch's record; set before the run.
struct ReportContext {
    const CliOptions* options = nullptr;
    const InputList* inputs = nullptr;
    int jobs = 1;
    Clock::time_point start;
};
ReportContext reportContext;

bool WriteReport(const std::vector<FileReport>& record, RunEnd end, int exitStatus)
{
    const ReportContext& context = reportContext;
    RunSummary summary;
    summary.outputFolder = g_outputSubfolder;
    summary.jobs = context.jobs;
    summary.result = ResultName(end);
    summary.exitStatus = exitStatus;
    summary.seconds = std::chrono::duration<double>(Clock::now() - context.start).count();
    const int error = WriteRunReport(context.options->reportPath, RunReportJson(*context.inputs, record, summary));
    if (error != 0)
        std::fprintf(stderr, "paperwell-cli: cannot write the report %s: %s\n", context.options->reportPath.c_str(),
                     std::strerror(error));
    return error == 0;
}

// A program ended by SIGTERM or a second Ctrl-C still leaves its report:
// files not done count as stopped.
void ReportAtTermination()
{
    std::vector<FileReport> record;
    if (TryBatchRecord(record))
        WriteReport(record, RunEnd::Stopped, 1);
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
        std::fputs(CliUsage().c_str(), stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("paperwell-cli %s\n", PW_VERSION);
        return 0;
    }

    if (options.hasReport) {
        if (const int reportError = CheckReportPath(options.reportPath)) {
            std::fprintf(stderr, "paperwell-cli: cannot write the report %s: %s\n", options.reportPath.c_str(),
                         std::strerror(reportError));
            return 2;
        }
    }
    const InputList inputs = ExpandInputs(options.inputs, options.recursive);
    for (const std::string& warning : inputs.warnings)
        std::fprintf(stderr, "paperwell-cli: warning: %s\n", warning.c_str());
    const std::vector<std::string> pdfs = inputs.Pdfs();
    reportContext = {&options, &inputs, options.jobs > 0 ? options.jobs : UsableProcessors(), Clock::now()};
    reportContext.jobs = std::max(1, std::min(reportContext.jobs, static_cast<int>(std::max<size_t>(pdfs.size(), 1))));
    if (pdfs.empty()) {
        std::fprintf(stderr, "paperwell-cli: no PDF file given (%zu other %s skipped)\n", inputs.SkippedCount(),
                     inputs.SkippedCount() == 1 ? "file" : "files");
        if (options.hasReport)
            WriteReport({}, RunEnd::Failed, 2);
        return 2;
    }

    StartTerminationWatch(runStop, options.hasReport ? ReportAtTermination : nullptr);
    InstallInterruptHandler();
    runStop.Clear();
    // With the report on standard output the log goes to the error output.
    std::FILE* logOut = options.hasReport && options.reportPath == "-" ? stderr : stdout;
    CCliReceiver receiver(options, logOut, stderr, pdfs, inputs.OutputFolders());
    // The engine runs on a worker thread, as it does under the wizard.
    std::thread worker([&receiver] { ConversionWorker(&receiver, runStop); });
    worker.join();

    const std::vector<FileReport> record = BatchRecord();
    size_t converted = 0;
    for (const FileReport& file : record)
        converted += file.status == FileStatus::Converted ? 1 : 0;
    if (!options.quiet && inputs.SkippedCount() > 0)
        std::fprintf(logOut, "Skipped %zu %s that %s not PDF.\n", inputs.SkippedCount(),
                     inputs.SkippedCount() == 1 ? "file" : "files", inputs.SkippedCount() == 1 ? "is" : "are");
    const bool allConverted = receiver.End() == RunEnd::Complete && converted == pdfs.size();
    int exitStatus = allConverted ? 0 : 1;
    // A report that was asked for and could not be written fails the run.
    if (options.hasReport && !WriteReport(record, receiver.End(), exitStatus))
        exitStatus = 1;
    return exitStatus;
}
