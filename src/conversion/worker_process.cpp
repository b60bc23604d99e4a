#include "conversion/worker_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "conversion/receiver.h"
#include "conversion/page_loop.h"
#include "conversion/stop_token.h"
#include "conversion/worker_child.h"
#include "conversion/worker_job.h"
#include "conversion/worker_protocol.h"
#include "platform/temp_path.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// How often the run looks at the stop flag and the clock while it waits for
// the worker's next message.
constexpr int kPollMs = 50;
// A worker asked to stop gets this long to end by itself before it is killed.
constexpr auto kStopGrace = std::chrono::milliseconds(500);
// The worker ends an over-long page itself at its budget; only one stuck in
// a single drawing operation needs killing, this much later.
constexpr auto kHangGrace = std::chrono::seconds(5);
// The worker's end of the socket inside the worker.
constexpr int kWorkerFd = 3;
// Descriptors at or above this never collide with the worker's fixed one.
constexpr int kHighFd = 10;

// Every worker server and worker of the run's jobs, for the kill that ends
// the program at once.
std::mutex liveMutex;
std::vector<pid_t> livePids;

void NoteLive(pid_t pid)
{
    std::lock_guard<std::mutex> lock(liveMutex);
    livePids.push_back(pid);
}

void NoteGone(pid_t pid)
{
    std::lock_guard<std::mutex> lock(liveMutex);
    livePids.erase(std::remove(livePids.begin(), livePids.end(), pid), livePids.end());
}

// A folder of its own for the worker's temporary files, removed with
// whatever a killed worker left in it.
class CWorkerFolder {
public:
    CWorkerFolder()
    {
        const std::string base = PrivateTempFolder();
        if (base.empty())
            return;
        std::string pattern = base + "/workerXXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~CWorkerFolder()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

bool KeepWorkerErrors()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    const char* keep = std::getenv("PW_WORKER_STDERR");
    return keep != nullptr && std::strcmp(keep, "1") == 0;
#endif
}

// The run's environment for the worker server, with the languages of the
// run's text recognition (loaded once by the server) and a limit on the
// recognition engine's threads: its thread library reads it when it loads,
// so it has to be in place before the server starts.
std::vector<std::string> WorkerEnvironment(const ConversionOptions& options)
{
    std::vector<std::string> variables;
    const std::string ocrPrefix = std::string(kWorkerOcrLanguagesVariable) + "=";
    bool threadsLimited = false;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string variable = *entry;
        if (variable.compare(0, ocrPrefix.size(), ocrPrefix) == 0)
            continue;
        threadsLimited = threadsLimited || variable.compare(0, 17, "OMP_THREAD_LIMIT=") == 0;
        variables.push_back(variable);
    }
    if (!threadsLimited)
        variables.push_back(std::string("OMP_THREAD_LIMIT=") + kWorkerEngineThreads);
    if (options.recogniseText)
        variables.push_back(ocrPrefix + options.ocrLanguages);
    return variables;
}

// Starts the worker server with its end of the socket as descriptor 3; -1 on failure.
pid_t SpawnWorker(const std::string& program, int workerEnd, const ConversionOptions& options)
{
    std::vector<std::string> args = {program, std::to_string(kWorkerFd), std::to_string(getpid())};
    std::vector<char*> argv = Pointers(args);
    std::vector<std::string> variables = WorkerEnvironment(options);
    std::vector<char*> envp = Pointers(variables);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The log is the run's: the worker has no standard input or output. The
    // library's last words before an abort ("Out of memory") would only
    // break into the progress bar; the run says what happened in its log.
    // PW_WORKER_STDERR=1 (and a sanitizer build, for its reports) keep them.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (!KeepWorkerErrors())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, workerEnd, kWorkerFd);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, reset;
    sigemptyset(&none);
    sigemptyset(&reset);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGPIPE, SIGABRT})
        sigaddset(&reset, signalNumber);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &reset);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// A job's worker server: started with the job's first file, ended with the
// job. Each thread that converts files has its own, so the jobs of a run
// convert side by side; only that thread touches it.
struct CWorkerServer {
    pid_t pid = -1;
    int control = -1;
};
thread_local CWorkerServer server;

void EndServer()
{
    if (server.pid > 0) {
        close(server.control);
        kill(server.pid, SIGKILL);
        while (waitpid(server.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        NoteGone(server.pid);
    }
    server = CWorkerServer {};
}

// The server starts with the options of its thread's first file: the
// recognition languages it loads for its workers come from them.
bool EnsureServer(const ConversionOptions& options)
{
    if (server.pid > 0)
        return true;
    const std::string program = WorkerProgramPath();
    int sockets[2];
    if (program.empty() || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        return false;
    const int serverEnd = fcntl(sockets[1], F_DUPFD_CLOEXEC, kHighFd);
    close(sockets[1]);
    const pid_t pid = serverEnd >= 0 ? SpawnWorker(program, serverEnd, options) : -1;
    if (serverEnd >= 0)
        close(serverEnd);
    if (pid <= 0) {
        close(sockets[0]);
        return false;
    }
    server = {pid, sockets[0]};
    NoteLive(pid);
    return true;
}

// Has the server fork a worker on a fresh socket; the worker's pid, with the
// run's end of its socket in `runEnd`, or -1.
pid_t ForkWorker(const ConversionOptions& options, int& runEnd)
{
    // A server that died with an earlier file is replaced once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!EnsureServer(options))
            return -1;
        int sockets[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
            return -1;
        const bool sent = SendDescriptor(server.control, sockets[1]);
        close(sockets[1]);
        WorkerMessage type {};
        std::string payload;
        int32_t pid = -1;
        if (sent && ReadWorkerMessage(server.control, type, payload) && type == WorkerMessage::Started) {
            CFieldReader(payload).Int(pid);
            if (pid > 0) {
                runEnd = sockets[0];
                return pid;
            }
        }
        close(sockets[0]);
        EndServer();
    }
    return -1;
}

// The worker's wait status as the server saw it; a server that is gone
// counts as a worker killed with it.
int WorkerStatus()
{
    WorkerMessage type {};
    std::string payload;
    int32_t status = SIGKILL;
    if (!ReadWorkerMessage(server.control, type, payload) || type != WorkerMessage::Ended) {
        EndServer();
        return SIGKILL;
    }
    CFieldReader(payload).Int(status);
    return status;
}

struct WorkerState {
    FileConversionResult result;
    bool gotResult = false;
    bool outOfMemory = false;
    int currentPage = -1;  // -1 opening, 0 finishing, else the page
    std::pair<int, int> pages {-1, 0};  // the last pages-done report, not yet passed on
};

// Hands one message of the worker to the receiver; false when the stream is
// not what a worker sends.
bool HandleMessage(WorkerMessage type, const std::string& payload, int socket, IConversionReceiver* receiver,
                   WorkerState& state)
{
    CFieldReader reader(payload);
    switch (type) {
    case WorkerMessage::Log: {
        std::string line;
        reader.Text(line);
        SendLog(receiver, line);
        break;
    }
    case WorkerMessage::Progress: {
        int32_t hasText = 0, percent = 0;
        std::string text;
        reader.Int(hasText);
        reader.Text(text);
        reader.Int(percent);
        SendProgress(receiver, hasText ? text.c_str() : nullptr, percent);
        break;
    }
    case WorkerMessage::AskPassword: {
        std::string line, password;
        reader.Text(line);
        const bool given = receiver != nullptr && receiver->AskPassword(line, password);
        WriteWorkerMessage(socket, WorkerMessage::Answer,
                           CFieldWriter().Int(given ? 1 : 0).Text(given ? password : "").Bytes());
        break;
    }
    case WorkerMessage::KnownPasswords: {
        const std::vector<std::string> passwords =
            receiver != nullptr ? receiver->RunPasswordsNow() : std::vector<std::string> {};
        CFieldWriter answer;
        answer.Int(static_cast<int32_t>(passwords.size()));
        for (const std::string& password : passwords)
            answer.Text(password);
        WriteWorkerMessage(socket, WorkerMessage::Passwords, answer.Bytes());
        break;
    }
    case WorkerMessage::ShowMessage: {
        int32_t kind = 0;
        std::string text;
        reader.Int(kind);
        reader.Text(text);
        SendMessage(receiver, text, static_cast<MessageKind>(kind));
        WriteWorkerMessage(socket, WorkerMessage::Answer, CFieldWriter().Int(0).Text("").Bytes());
        break;
    }
    case WorkerMessage::PageStarted: {
        int32_t page = 0;
        reader.Int(page);
        state.currentPage = page;
        break;
    }
    case WorkerMessage::PagesDone: {
        int32_t done = 0, total = 0;
        reader.Int(done);
        reader.Int(total);
        if (reader.Ok() && done >= 0 && total >= done)
            state.pages = {done, total};
        break;
    }
    case WorkerMessage::Result:
        if (!DecodeWorkerResult(payload, state.result))
            return false;
        state.gotResult = true;
        break;
    case WorkerMessage::OutOfMemory:
        state.outOfMemory = true;
        break;
    default:
        return false;
    }
    return reader.Ok();
}

std::string HangLine(const std::string& name, int page, int seconds)
{
    if (page > 0)
        return PageOverBudgetLine(name, page, seconds);
    return name + " :Error - The converter stopped answering for " + std::to_string(seconds) +
           " seconds; the file was given up.";
}

// The worker's document leaves the worker's folder before that goes; a path
// outside the folder is not the worker's to give.
std::string TakeOverDocument(const std::string& documentPath, const std::string& folder)
{
    if (documentPath.compare(0, folder.size() + 1, folder + "/") != 0 || documentPath.find("/../") != std::string::npos)
        return {};
    const std::string taken = MakeTempPath();
    if (taken.empty() || rename(documentPath.c_str(), taken.c_str()) != 0)
        return {};
    return taken;
}

bool ExecutableFile(const std::string& path)
{
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

// One file in a worker: the job sent, the worker's messages relayed as they
// come, a stop or a hang turned into the worker's end, and the outcome.
class CWorkerConversion {
public:
    CWorkerConversion(const FileConversionJob& job, int memoryMegabytes, IConversionReceiver* receiver,
                      const std::atomic<bool>* cancelled)
        : job_(job), memoryMegabytes_(memoryMegabytes), receiver_(receiver), cancelled_(cancelled)
    {
    }
    FileConversionResult Run();

private:
    bool StopWanted() const { return StopRequested(job_.stop) || (cancelled_ && cancelled_->load()); }
    bool SendJob();
    // Reads what the worker sent and hands on whole messages; false once the
    // worker is done with the socket (closed, or a stream not to be trusted).
    bool TakeMessages();
    // After each wait: relays a stop, and tells whether the wait is over
    // (the stop's grace ran out, or a page hangs).
    bool WaitIsOver(bool heard);
    FileConversionResult Outcome(int status);
    FileConversionResult CannotStart() const;

    const FileConversionJob& job_;
    const int memoryMegabytes_;
    IConversionReceiver* receiver_;
    const std::atomic<bool>* cancelled_;
    const CWorkerFolder folder_;
    pid_t pid_ = -1;
    int runEnd_ = -1;
    WorkerState state_;
    CMessageBuffer buffer_;
    bool stopSent_ = false;
    bool hung_ = false;
    bool closed_ = false;
    Clock::time_point lastSign_ = Clock::now();
    Clock::time_point killAt_ = Clock::now() + kStopGrace;
};

FileConversionResult CWorkerConversion::CannotStart() const
{
    FileConversionResult failed;
    failed.outcome = FileOutcome::Failed;
    failed.message = job_.name + " :Error - Cannot start the converter.";
    return failed;
}

bool CWorkerConversion::SendJob()
{
    WorkerJob message;
    message.folder = folder_.Path();
    message.file = job_;
    message.memoryMegabytes = memoryMegabytes_;
    // A stop raised before the worker started goes with the job.
    message.stopRequested = StopRequestedNow(job_.stop) || (cancelled_ && cancelled_->load());
    stopSent_ = message.stopRequested;
    return WriteWorkerMessage(runEnd_, WorkerMessage::Job, EncodeWorkerJob(message));
}

bool CWorkerConversion::TakeMessages()
{
    char bytes[4096];
    const ssize_t got = read(runEnd_, bytes, sizeof bytes);
    if (got < 0 && errno == EINTR)
        return true;
    if (got <= 0) {
        closed_ = true;
        return false;
    }
    buffer_.Append(bytes, static_cast<size_t>(got));
    WorkerMessage type {};
    std::string payload;
    bool open = true;
    while (open && buffer_.Next(type, payload)) {
        open = HandleMessage(type, payload, runEnd_, receiver_, state_);
        if (state_.pages.first >= 0 && job_.onPagesDone)
            job_.onPagesDone(state_.pages.first, state_.pages.second);
        state_.pages.first = -1;
    }
    // Prompts wait for the user: only the worker's silence counts.
    lastSign_ = Clock::now();
    return open && !buffer_.Broken();
}

bool CWorkerConversion::WaitIsOver(bool heard)
{
    // Time held at the stop gate (a question open) is not the worker's.
    const auto beforeGate = Clock::now();
    const bool stop = StopWanted();
    lastSign_ += Clock::now() - beforeGate;
    if (!stopSent_ && stop) {
        stopSent_ = true;
        kill(pid_, SIGUSR1);
        killAt_ = Clock::now() + kStopGrace;
    }
    const auto now = Clock::now();
    // A prompt held the run: the grace starts again after it.
    if (stopSent_ && heard)
        killAt_ = std::max(killAt_, lastSign_ + kStopGrace);
    if (stopSent_ && now >= killAt_)
        return true;
    const auto hangAfter = std::chrono::seconds(job_.pageSeconds) + kHangGrace;
    if (!stopSent_ && job_.pageSeconds > 0 && now - lastSign_ > hangAfter) {
        hung_ = true;
        return true;
    }
    return false;
}

FileConversionResult CWorkerConversion::Run()
{
    pid_ = folder_.Path().empty() ? -1 : ForkWorker(job_.options, runEnd_);
    if (pid_ <= 0)
        return CannotStart();
    NoteLive(pid_);

    bool ended = !SendJob();
    lastSign_ = Clock::now();
    killAt_ = Clock::now() + kStopGrace;
    while (!ended) {
        pollfd watch {runEnd_, POLLIN, 0};
        const int ready = poll(&watch, 1, kPollMs);
        if (ready > 0 && !TakeMessages())
            break;
        ended = WaitIsOver(ready > 0);
    }
    close(runEnd_);
    // A worker that closed its end has ended (or is ending) by itself.
    if (!closed_)
        kill(pid_, SIGKILL);
    const int status = WorkerStatus();
    NoteGone(pid_);
    return Outcome(status);
}

FileConversionResult CWorkerConversion::Outcome(int status)
{
    if (state_.gotResult) {
        if (state_.result.outcome == FileOutcome::Converted)
            state_.result.documentPath = TakeOverDocument(state_.result.documentPath, folder_.Path());
        if (state_.result.outcome == FileOutcome::Converted && state_.result.documentPath.empty())
            return CannotStart();
        return state_.result;
    }
    FileConversionResult lost;
    lost.outcome = FileOutcome::Failed;
    if (stopSent_)
        lost.outcome = FileOutcome::StopRun;
    else if (hung_)
        lost.message = HangLine(job_.name, state_.currentPage, job_.pageSeconds);
    else if (state_.outOfMemory)
        lost.message = WorkerMemoryLine(job_.name, memoryMegabytes_);
    else if (WIFSIGNALED(status) && WTERMSIG(status) != SIGKILL)
        lost.message = WorkerCrashLine(job_.name, WTERMSIG(status));
    else if (WIFSIGNALED(status))
        // Nobody here sent that kill: the system ended the worker, mostly for memory.
        lost.message = WorkerCrashLine(job_.name, SIGKILL);
    else
        lost.message = job_.name + " :Error - The converter ended unexpectedly (exit status " +
                       std::to_string(WEXITSTATUS(status)) + ").";
    return lost;
}

} // namespace

std::string WorkerCrashLine(const std::string& name, int signalNumber)
{
    return name + " :Error - The PDF made the converter crash (signal " + std::to_string(signalNumber) + ").";
}

std::string WorkerMemoryLine(const std::string& name, int memoryMegabytes)
{
    return name + " :Error - The PDF needs more memory than the converter may use (" +
           std::to_string(memoryMegabytes) + " MB).";
}

std::string WorkerProgramPath()
{
    if (const char* chosen = std::getenv("PW_WORKER_PROGRAM"); chosen && *chosen)
        return chosen;
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path folder = self.parent_path();
        for (const auto& candidate : {folder / "paperwell-worker", folder / "../libexec/paperwell/paperwell-worker"})
            if (ExecutableFile(candidate.string()))
                return candidate.lexically_normal().string();
    }
#ifdef PW_WORKER_BUILD_PATH
    if (ExecutableFile(PW_WORKER_BUILD_PATH))
        return PW_WORKER_BUILD_PATH;
#endif
    return {};
}

void KillRunningWorker()
{
    std::lock_guard<std::mutex> lock(liveMutex);
    for (const pid_t pid : livePids)
        if (pid > 0)
            kill(pid, SIGKILL);
}

void EndWorkerServer()
{
    EndServer();
}

FileConversionResult ConvertFileInWorker(const FileConversionJob& job, int memoryMegabytes,
                                         IConversionReceiver* receiver, const std::atomic<bool>* cancelled)
{
    CWorkerConversion conversion(job, memoryMegabytes, receiver, cancelled);
    return conversion.Run();
}
