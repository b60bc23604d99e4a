#include "conversion/conversion_worker.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "conversion/batch_driver.h"
#include "conversion/gated_receiver.h"
#include "conversion/receiver.h"
#include "conversion/run_passwords.h"
#include "conversion/settings.h"
#include "conversion/stop_token.h"
#include "conversion/worker_limits.h"
#include "conversion/word_store.h"

namespace {

const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// The sub-folder may exist from an earlier run of the same day; anything else
// of that name (a file) cannot take the documents.
bool MakeSubfolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0777) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The batch the front end's settings ask for, in the dated sub-folder.
BatchJob BatchFromSettings(const std::string& subfolder, const CStopToken& stop)
{
    BatchJob batch;
    batch.options = OptionsFromSettings();
    batch.inputPaths = g_inputPaths;
    batch.outputFolders = g_inputOutputFolders;
    batch.outputSubfolder = subfolder;
    batch.jobCount = g_jobCount;
    batch.limits = g_workerLimits;
    batch.stop = &stop;
    return batch;
}

} // namespace

std::string DatedSubfolder(const std::string& outputFolder, std::time_t when)
{
    std::tm local {};
    localtime_r(&when, &local);
    char date[64];
    // The month is always English, whatever the user's locale.
    std::snprintf(date, sizeof date, "%s%02d_%04d", kMonthNames[local.tm_mon], local.tm_mday,
                  local.tm_year + 1900);
    std::string folder = outputFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder + "/Paperwell " + date;
}

int ConversionWorker(IConversionReceiver* frontEnd, CStopToken& stop)
{
    CGatedReceiver receiver(frontEnd, stop);
    // The front end may name a password for the whole run while it fills in the settings.
    ClearRunPasswords();
    const int fileCount = receiver.CollectSettings();
    receiver.RunStarted(fileCount);

    const std::string subfolder = DatedSubfolder(g_settings.outputFolder, std::time(nullptr));
    if (!MakeSubfolder(subfolder)) {
        receiver.ShowMessage("Cannot create directory at output location.", MessageKind::Error);
        receiver.RunEnded(RunEnd::FolderFailed, false);
        stop.Clear();
        return 1;
    }
    g_outputSubfolder = subfolder;

    const BatchJob batch = BatchFromSettings(subfolder, stop);
    const int result = ConvertBatch(batch, &receiver, g_convertedFiles);
    EndOfficeSession();

    if (result == 0)
        receiver.RunEnded(RunEnd::Failed, !g_convertedFiles.empty());
    else if (stop.Requested())
        receiver.RunEnded(RunEnd::Stopped, false);
    else
        receiver.RunEnded(RunEnd::Complete, true);
    stop.Clear();
    return 1;
}
