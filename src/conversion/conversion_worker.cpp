#include "conversion/conversion_worker.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "conversion/batch_driver.h"
#include "conversion/gated_receiver.h"
#include "conversion/receiver.h"
#include "conversion/run_passwords.h"
#include "conversion/settings.h"
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

int ConversionWorker(IConversionReceiver* frontEnd)
{
    CGatedReceiver receiver(frontEnd);
    // The front end may name a password for the whole run while it fills in the settings.
    ClearRunPasswords();
    const int fileCount = receiver.CollectSettings();
    receiver.RunStarted(fileCount);

    const std::string subfolder = DatedSubfolder(g_settings.outputFolder, std::time(nullptr));
    if (!MakeSubfolder(subfolder)) {
        receiver.ShowMessage("Cannot create directory at output location.", MessageKind::Error);
        receiver.RunEnded(RunEnd::FolderFailed, false);
        g_settings.stopRequested = 0;
        return 1;
    }
    g_outputSubfolder = subfolder;

    const int result = g_settings.writeTextInTextBoxes != 0 ? ConvertBatchFrames(&receiver)
                                                            : ConvertBatchFlow(&receiver);
    EndOfficeSession();

    if (result == 0)
        receiver.RunEnded(RunEnd::Failed, !g_convertedFiles.empty());
    else if (g_settings.stopRequested != 0)
        receiver.RunEnded(RunEnd::Stopped, false);
    else
        receiver.RunEnded(RunEnd::Complete, true);
    g_settings.stopRequested = 0;
    return 1;
}
