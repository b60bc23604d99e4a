#include "conversion/batch_driver.h"

#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "conversion/file_to_rtf.h"
#include "conversion/receiver.h"
#include "conversion/run_passwords.h"
#include "conversion/settings.h"
#include "conversion/stop_gate.h"
#include "conversion/word_store.h"
#include "conversion/worker_limits.h"
#include "conversion/worker_process.h"
#include "platform/disk_space.h"
#include "platform/temp_path.h"
#include "platform/utf16_length.h"

namespace {

// Room the run's page pictures need in the temporary folder.
constexpr uint64_t kPictureSpaceKib = 5120;
// Longest output base (folder + name) whose ".doc" names still fit the
// classic 260-unit path buffer with a "(k)" suffix.
constexpr size_t kMaxOutputBaseUnits = 251;

struct FileNames {
    std::string name;        // base name + ".pdf"
    std::string outputBase;  // sub-folder + "/" + base name
};

FileNames NamesOf(const std::string& path)
{
    const std::string base = std::filesystem::path(path).stem().string();
    return {base + ".pdf", g_outputSubfolder + "/" + base};
}

// The document made by the worker goes on every way out of the file.
class CWorkerDocument {
public:
    explicit CWorkerDocument(std::string path) : path_(std::move(path)) {}
    ~CWorkerDocument() { if (!path_.empty()) unlink(path_.c_str()); }
    const std::string& Path() const { return path_; }
private:
    std::string path_;
};

// The file's start: a name too long for the output folder or a page range
// that cannot be fails it before a worker is asked.
bool StartFile(const FileNames& names, IConversionReceiver* receiver)
{
    const std::string& N = names.name;
    if (Utf16Length(names.outputBase) > kMaxOutputBaseUnits) {
        const std::string line = N + " :File name too long. Rename with shorter name and try again.";
        SendLog(receiver, line);
        SendProgress(receiver, line.c_str(), 0);
        return false;
    }
    const std::string started = N + " :Conversion started...";
    SendLog(receiver, started);
    SendProgress(receiver, started.c_str(), 0);

    if (g_settings.allPages == 0) {
        const int first = g_settings.fromPage, last = g_settings.toPage;
        if (first > last || first < 0 || last < 0) {
            SendLog(receiver, N + " :Page range is incorrect. Please try again.");
            return false;
        }
    }
    return true;
}

// The store step for the worker's document, with the file's closing log lines.
FileOutcome StoreFile(const std::string& documentPath, const FileNames& names, IConversionReceiver* receiver)
{
    const std::string& N = names.name;
    std::string storedPath, message;
    const bool stored = StoreWordDocument(documentPath, names.outputBase, N, receiver, storedPath, message);
    if (stored) {
        SendLog(receiver, N + " :Conversion complete.");
        SendProgress(receiver, nullptr, 100);
        SendLog(receiver, N + " :Saved as " + storedPath);
        g_convertedFiles.push_back(storedPath);
        SendProgress(receiver, nullptr, kFileDoneProgress);
    } else {
        SendLog(receiver, message);
    }
    // Give the store step's memory back before the next file.
    malloc_trim(0);
    return stored ? FileOutcome::Converted : FileOutcome::Failed;
}

// The names, the log and the store step stay in the run; opening the PDF and
// converting its pages into the document happen in a worker process, so that
// whatever the PDF does to the library ends there.
FileOutcome ConvertOneFile(const std::string& path, IConversionReceiver* receiver)
{
    const FileNames names = NamesOf(path);
    if (!StartFile(names, receiver))
        return FileOutcome::Failed;

    FileRtfJob job;
    job.path = path;
    job.name = names.name;
    job.passwords = RunPasswords();
    job.pageSeconds = g_workerLimits.pageSeconds;
    FileRtfResult converted = ConvertFileInWorker(job, g_workerLimits.memoryMegabytes, receiver);
    const CWorkerDocument document(converted.documentPath);
    // A password typed for this file is the first guess for the next ones.
    RememberRunPassword(converted.openedWith);
    if (converted.outcome == FileOutcome::StopRun || StopRequested())
        return FileOutcome::StopRun;
    if (converted.outcome != FileOutcome::Converted) {
        if (!converted.message.empty())
            SendLog(receiver, converted.message);
        return converted.outcome;
    }
    return StoreFile(document.Path(), names, receiver);
}

// The worker server goes with the run, however it ends.
struct CWorkerServerGuard {
    ~CWorkerServerGuard() { EndWorkerServer(); }
};

int ConvertBatch(IConversionReceiver* receiver, bool frameMode)
{
    const CWorkerServerGuard serverGuard;
    g_convertedFiles.clear();
    int runResult = 1;

    // The pictures are made by the workers inside this folder; the run only
    // checks that it can hold them.
    const std::string picturePath = MakeTempPath();
    if (picturePath.find('/', 1) == std::string::npos) {
        SendLog(receiver, "Error : Cannot create temporary file.");
        return 0;
    }
    if (HasFreeSpace(picturePath, kPictureSpaceKib) == 0) {
        SendLog(receiver, "Error : Low disk space.");
        return 0;
    }

    for (const std::string& path : g_inputPaths) {
        // Flow mode notices a stop before opening the next file; frame mode
        // only after opening it.
        if (!frameMode && StopRequested())
            return 1;
        switch (ConvertOneFile(path, receiver)) {
        case FileOutcome::Converted:
            break;
        case FileOutcome::Failed:
            runResult = 0;
            break;
        case FileOutcome::StopRun:
            return 1;
        case FileOutcome::AbortRun:
            return 0;
        }
    }
    return runResult;
}

} // namespace

int ConvertBatchFlow(IConversionReceiver* receiver) { return ConvertBatch(receiver, false); }

int ConvertBatchFrames(IConversionReceiver* receiver) { return ConvertBatch(receiver, true); }
