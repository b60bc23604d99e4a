#include "conversion/batch_driver.h"

#include <malloc.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "conversion/batch_output.h"
#include "conversion/batch_report.h"
#include "conversion/file_conversion.h"
#include "conversion/receiver.h"
#include "conversion/run_passwords.h"
#include "conversion/stop_token.h"
#include "conversion/word_store.h"
#include "office/office_suite.h"
#include "conversion/worker_limits.h"
#include "conversion/worker_process.h"
#include "platform/disk_space.h"
#include "platform/temp_path.h"
#include "platform/utf16_length.h"

namespace {

using Clock = std::chrono::steady_clock;

// Room the run's page pictures need in the temporary folder.
constexpr uint64_t kPictureSpaceKib = 5120;
// Longest output base (folder + name) whose ".doc" names still fit the
// classic 260-unit path buffer with a "(k)" suffix.
constexpr size_t kMaxOutputBaseUnits = 251;

struct FileNames {
    std::string name;        // base name + ".pdf"
    std::string folder;      // where the document goes
    std::string outputBase;  // folder + "/" + base name
};

FileNames NamesOf(const BatchJob& batch, size_t index)
{
    const std::string& path = batch.inputPaths[index];
    const std::string base = std::filesystem::path(path).stem().string();
    std::string folder = batch.outputSubfolder;
    if (index < batch.outputFolders.size() && !batch.outputFolders[index].empty())
        folder += "/" + batch.outputFolders[index];
    return {base + ".pdf", folder, folder + "/" + base};
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
bool StartFile(const FileNames& names, const ConversionOptions& options, IConversionReceiver* receiver)
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

    if (!options.allPages) {
        const int first = options.fromPage, last = options.toPage;
        if (first > last || first < 0 || last < 0) {
            SendLog(receiver, N + " :Page range is incorrect. Please try again.");
            return false;
        }
    }
    return true;
}

// A mirrored sub-folder of the output is made when its first document is stored.
bool MakeOutputFolder(const FileNames& names, const std::string& outputSubfolder, IConversionReceiver* receiver)
{
    if (names.folder == outputSubfolder)
        return true;
    std::error_code ec;
    std::filesystem::create_directories(names.folder, ec);
    if (!std::filesystem::is_directory(names.folder, ec)) {
        SendLog(receiver, names.name + " :Error - Cannot create directory at output location.");
        return false;
    }
    return true;
}

struct StoreOutcome {
    FileOutcome outcome = FileOutcome::Failed;
};

// Threads converting files at once: the run's jobs, no more than files.
size_t JobsFor(int jobCount, size_t files)
{
    return std::max<size_t>(1, std::min<size_t>(static_cast<size_t>(std::max(jobCount, 1)), files));
}

// Office instances of a .doc run: up to one per job, so one job's office
// step overlaps the others' rather than queueing behind them (see
// bench/batch_speed.sh). Starting an instance costs about as much as four
// small documents, so a short batch keeps fewer. PW_OFFICE_INSTANCES=N
// chooses; 1 queues every document for one instance.
int OfficeInstancesFor(size_t jobs, size_t files)
{
    if (const char* chosen = std::getenv("PW_OFFICE_INSTANCES"); chosen && *chosen) {
        const long value = std::strtol(chosen, nullptr, 10);
        if (value >= 1)
            return static_cast<int>(std::min<long>(value, 64));
    }
    constexpr size_t kFilesPerInstance = 4;
    return static_cast<int>(std::max<size_t>(1, std::min(jobs, files / kFilesPerInstance)));
}

// Every file of a batch, converted by up to its jobCount threads at once.
class CBatchRun {
public:
    CBatchRun(const BatchJob& batch, IConversionReceiver* front, std::vector<std::string>& convertedFiles);
    int Run();

private:
    void Job();
    // The next file to convert, or false when none is to be started.
    bool TakeFile(size_t& index);
    void ConvertFile(size_t index);
    FileOutcome ConvertOneFile(size_t index, FileReport& report, Clock::time_point start);
    StoreOutcome StoreFile(size_t index, const std::string& documentPath, const FileNames& names,
                           IConversionReceiver* receiver, FileReport& report, Clock::time_point start);
    // Files of one output base store in input order, so "Report.docx" goes
    // to the first of them whichever is done first.
    bool WaitForEarlierNames(size_t index);
    void SettleName(size_t index);
    void AbortAfter(size_t index);
    int RunResult();

    bool StopWanted() const { return StopRequested(batch_.stop); }

    const BatchJob& batch_;
    IConversionReceiver* front_;
    std::vector<std::string>& convertedFiles_;
    const bool frameMode_;
    const size_t count_;
    CBatchOutput output_;
    std::vector<FileNames> names_;
    std::vector<std::vector<size_t>> sameBase_;  // per file: earlier files of its output base
    std::unique_ptr<std::atomic<bool>[]> cancelled_;

    std::mutex mutex_;
    std::condition_variable settled_;
    std::vector<char> nameSettled_;
    std::vector<FileOutcome> outcomes_;
    std::vector<char> attempted_;
    size_t next_ = 0;
    size_t cut_;           // files from here on are not started (the run was aborted)
    bool stopTaking_ = false;
    std::mutex convertedMutex_;
};

CBatchRun::CBatchRun(const BatchJob& batch, IConversionReceiver* front, std::vector<std::string>& convertedFiles)
    : batch_(batch), front_(front), convertedFiles_(convertedFiles),
      frameMode_(batch.options.textMode == TextMode::Frames), count_(batch.inputPaths.size()),
      output_(front, batch.inputPaths.size(), [this](size_t file) { return StopWanted() || cancelled_[file].load(); }),
      cancelled_(new std::atomic<bool>[batch.inputPaths.size()]), nameSettled_(count_, 0),
      outcomes_(count_, FileOutcome::StopRun), attempted_(count_, 0), cut_(count_)
{
    std::unordered_map<std::string, std::vector<size_t>> byBase;
    for (size_t i = 0; i < count_; ++i) {
        cancelled_[i].store(false);
        names_.push_back(NamesOf(batch_, i));
        std::vector<size_t>& earlier = byBase[names_[i].outputBase];
        sameBase_.push_back(earlier);
        earlier.push_back(i);
    }
}

bool CBatchRun::TakeFile(size_t& index)
{
    // Flow mode notices a stop before opening the next file; frame mode
    // only after opening it.
    const bool stop = !frameMode_ && StopWanted();
    std::lock_guard<std::mutex> lock(mutex_);
    if (stop)
        stopTaking_ = true;
    if (stopTaking_ || next_ >= cut_)
        return false;
    index = next_++;
    attempted_[index] = 1;
    return true;
}

bool CBatchRun::WaitForEarlierNames(size_t index)
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (const size_t earlier : sameBase_[index]) {
        while (!nameSettled_[earlier]) {
            lock.unlock();
            const bool stop = StopWanted() || cancelled_[index].load();
            lock.lock();
            if (stop)
                return false;
            settled_.wait_for(lock, std::chrono::milliseconds(100));
        }
    }
    return true;
}

void CBatchRun::SettleName(size_t index)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        nameSettled_[index] = 1;
    }
    settled_.notify_all();
}

StoreOutcome CBatchRun::StoreFile(size_t index, const std::string& documentPath, const FileNames& names,
                                  IConversionReceiver* receiver, FileReport& report, Clock::time_point start)
{
    StoreOutcome result;
    if (!WaitForEarlierNames(index)) {
        result.outcome = FileOutcome::StopRun;
        return result;
    }
    if (!MakeOutputFolder(names, batch_.outputSubfolder, receiver))
        return result;
    const std::string& N = names.name;
    std::string storedPath, message;
    const bool stored = StoreWordDocument(documentPath, batch_.options.format, names.outputBase, N, receiver, storedPath, message);
    SettleName(index);
    if (stored) {
        // The record says so before the log does: a program killed after
        // "Saved as" still reports the document.
        report.status = FileStatus::Converted;
        report.outputPath = storedPath;
        report.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        RecordFile(index, report);
        SendLog(receiver, N + " :Conversion complete.");
        SendProgress(receiver, nullptr, 100);
        SendLog(receiver, N + " :Saved as " + storedPath);
        {
            std::lock_guard<std::mutex> lock(convertedMutex_);
            convertedFiles_.push_back(storedPath);
        }
        SendProgress(receiver, nullptr, kFileDoneProgress);
    } else {
        SendLog(receiver, message);
    }
    // Give the store step's memory back before the next file.
    malloc_trim(0);
    result.outcome = stored ? FileOutcome::Converted : FileOutcome::Failed;
    return result;
}

// The names, the log and the store step stay in the run; opening the PDF and
// converting its pages into the document happen in a worker process, so that
// whatever the PDF does to the library ends there.
FileOutcome CBatchRun::ConvertOneFile(size_t index, FileReport& report, Clock::time_point start)
{
    const FileNames& names = names_[index];
    IConversionReceiver* receiver = output_.Channel(index);
    if (!StartFile(names, batch_.options, receiver))
        return FileOutcome::Failed;

    FileConversionJob job;
    job.path = batch_.inputPaths[index];
    job.name = names.name;
    job.options = batch_.options;
    job.passwords = RunPasswords();
    job.pageSeconds = batch_.limits.pageSeconds;
    job.stop = batch_.stop;
    job.onPagesDone = [this, index](int done, int total) { output_.PagesDone(index, done, total); };
    FileConversionResult converted =
        ConvertFileInWorker(job, batch_.limits.memoryMegabytes, receiver, &cancelled_[index]);
    const CWorkerDocument document(converted.documentPath);
    report.counts = converted.counts;
    // A password typed for this file is the first guess for the next ones.
    RememberRunPassword(converted.openedWith);
    if (converted.outcome == FileOutcome::StopRun || StopWanted() || cancelled_[index].load())
        return FileOutcome::StopRun;
    if (converted.outcome != FileOutcome::Converted) {
        if (!converted.message.empty())
            SendLog(receiver, converted.message);
        return converted.outcome;
    }
    return StoreFile(index, document.Path(), names, receiver, report, start).outcome;
}

void CBatchRun::AbortAfter(size_t index)
{
    std::lock_guard<std::mutex> lock(mutex_);
    stopTaking_ = true;
    if (index + 1 < cut_)
        cut_ = index + 1;
    // Files after the one that ended the run would not have been tried in
    // a run in turn: they stop.
    for (size_t i = index + 1; i < count_; ++i)
        cancelled_[i].store(true);
}

void CBatchRun::ConvertFile(size_t index)
{
    const auto start = Clock::now();
    FileReport report;
    report.path = batch_.inputPaths[index];
    const FileOutcome outcome = ConvertOneFile(index, report, start);
    report.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    switch (outcome) {
    case FileOutcome::Converted:
        report.status = FileStatus::Converted;
        break;
    case FileOutcome::Failed:
    case FileOutcome::AbortRun:
        report.status = FileStatus::Failed;
        report.message = output_.LastLine(index);
        break;
    case FileOutcome::StopRun:
        report.status = FileStatus::Stopped;
        break;
    }
    if (outcome == FileOutcome::AbortRun)
        AbortAfter(index);
    bool shown = true;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        outcomes_[index] = outcome;
        if (outcome == FileOutcome::StopRun)
            stopTaking_ = true;
        // A file the run gave up because an earlier one ended it says nothing.
        shown = index < cut_ || outcome == FileOutcome::Converted;
    }
    SettleName(index);
    RecordFile(index, report);
    output_.FileDone(index, shown);
}

void CBatchRun::Job()
{
    size_t index = 0;
    while (TakeFile(index))
        ConvertFile(index);
    // The job's worker server goes with it.
    EndWorkerServer();
}

// The run's result as a run in turn would give it: files in input order
// until the first that stopped or ended the run.
int CBatchRun::RunResult()
{
    int result = 1;
    for (size_t i = 0; i < count_; ++i) {
        if (!attempted_[i])
            return i < cut_ ? 1 : 0;
        switch (outcomes_[i]) {
        case FileOutcome::Converted:
            break;
        case FileOutcome::Failed:
            result = 0;
            break;
        case FileOutcome::StopRun:
            return 1;
        case FileOutcome::AbortRun:
            return 0;
        }
    }
    return result;
}

int CBatchRun::Run()
{
    const size_t jobs = JobsFor(batch_.jobCount, count_);
    std::vector<std::thread> threads;
    for (size_t j = 1; j < jobs; ++j)
        threads.emplace_back([this] { Job(); });
    Job();
    for (std::thread& thread : threads)
        thread.join();
    // What stopped files said so far still belongs in the log.
    output_.FlushAll();

    // The stored documents in input order, whichever finished first.
    const std::vector<FileReport> record = BatchRecord();
    convertedFiles_.clear();
    for (const FileReport& file : record)
        if (file.status == FileStatus::Converted && !file.outputPath.empty())
            convertedFiles_.push_back(file.outputPath);
    return RunResult();
}

// The worker server goes with the run, however it ends.
struct CWorkerServerGuard {
    ~CWorkerServerGuard() { EndWorkerServer(); }
};

} // namespace

int ConvertBatch(const BatchJob& batch, IConversionReceiver* receiver, std::vector<std::string>& convertedFiles)
{
    const CWorkerServerGuard serverGuard;
    convertedFiles.clear();
    StartBatchRecord(batch.inputPaths);

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
    CBatchRun run(batch, receiver, convertedFiles);
    SetOfficeInstances(OfficeInstancesFor(JobsFor(batch.jobCount, batch.inputPaths.size()), batch.inputPaths.size()));
    return run.Run();
}

int UsableProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0)
            return count;
    }
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int>(online) : 1;
}
