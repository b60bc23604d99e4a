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
#include "conversion/settings.h"
#include "conversion/page_loop.h"
#include "conversion/stop_gate.h"
#include "conversion/worker_child.h"
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
std::vector<std::string> WorkerEnvironment()
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
    if (g_settings.recogniseText != 0)
        variables.push_back(ocrPrefix + g_settings.ocrLanguages);
    return variables;
}

// Starts the worker server with its end of the socket as descriptor 3; -1 on failure.
pid_t SpawnWorker(const std::string& program, int workerEnd)
{
    std::vector<std::string> args = {program, std::to_string(kWorkerFd), std::to_string(getpid())};
    std::vector<char*> argv = Pointers(args);
    std::vector<std::string> variables = WorkerEnvironment();
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

bool EnsureServer()
{
    if (server.pid > 0)
        return true;
    const std::string program = WorkerProgramPath();
    int sockets[2];
    if (program.empty() || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        return false;
    const int serverEnd = fcntl(sockets[1], F_DUPFD_CLOEXEC, kHighFd);
    close(sockets[1]);
    const pid_t pid = serverEnd >= 0 ? SpawnWorker(program, serverEnd) : -1;
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
pid_t ForkWorker(int& runEnd)
{
    // A server that died with an earlier file is replaced once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!EnsureServer())
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
    FileRtfResult result;
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
    case WorkerMessage::Result: {
        int32_t outcome = 0;
        reader.Int(outcome);
        reader.Text(state.result.documentPath);
        reader.Text(state.result.message);
        reader.Text(state.result.openedWith);
        reader.Int(state.result.counts.pages);
        reader.Int(state.result.counts.words);
        reader.Int(state.result.counts.scannedPages);
        reader.Int(state.result.counts.fontsEmbedded);
        int32_t words = 0;
        reader.Int(words);
        state.result.recognisedWords = words;
        for (std::vector<int>* pages : {&state.result.scannedPages, &state.result.textPages}) {
            int32_t count = 0;
            reader.Int(count);
            for (int32_t i = 0; i < count && reader.Ok(); ++i) {
                int32_t page = 0;
                reader.Int(page);
                pages->push_back(page);
            }
        }
        if (outcome < static_cast<int32_t>(FileOutcome::Converted) || outcome > static_cast<int32_t>(FileOutcome::AbortRun))
            return false;
        state.result.outcome = static_cast<FileOutcome>(outcome);
        state.gotResult = true;
        break;
    }
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

FileRtfResult ConvertFileInWorker(const FileRtfJob& job, int memoryMegabytes, IConversionReceiver* receiver,
                                  const std::atomic<bool>* cancelled)
{
    FileRtfResult failed;
    failed.outcome = FileOutcome::Failed;
    failed.message = job.name + " :Error - Cannot start the converter.";

    const CWorkerFolder folder;
    int runEnd = -1;
    const pid_t pid = folder.Path().empty() ? -1 : ForkWorker(runEnd);
    if (pid <= 0)
        return failed;
    NoteLive(pid);

    WorkerState state;
    CMessageBuffer buffer;
    bool ended = !WriteWorkerMessage(runEnd, WorkerMessage::Job, EncodeWorkerJob(job, memoryMegabytes, folder.Path()));
    // A stop raised before the worker started went with the job.
    bool stopSent = g_settings.stopRequested.load() != 0 || (cancelled && cancelled->load()), hung = false,
         closed = false;
    Clock::time_point lastSign = Clock::now();
    Clock::time_point killAt = Clock::now() + kStopGrace;
    const auto hangAfter = std::chrono::seconds(job.pageSeconds) + kHangGrace;

    while (!ended) {
        pollfd watch {runEnd, POLLIN, 0};
        const int ready = poll(&watch, 1, kPollMs);
        if (ready > 0) {
            char bytes[4096];
            const ssize_t got = read(runEnd, bytes, sizeof bytes);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                ended = closed = true;
            } else {
                buffer.Append(bytes, static_cast<size_t>(got));
                WorkerMessage type {};
                std::string payload;
                while (!ended && buffer.Next(type, payload)) {
                    if (!HandleMessage(type, payload, runEnd, receiver, state))
                        ended = true;
                    if (state.pages.first >= 0 && job.onPagesDone)
                        job.onPagesDone(state.pages.first, state.pages.second);
                    state.pages.first = -1;
                }
                if (buffer.Broken())
                    ended = true;
                // Prompts wait for the user: only the worker's silence counts.
                lastSign = Clock::now();
            }
        }
        if (ended)
            break;
        // Time held at the stop gate (a question open) is not the worker's.
        const auto beforeGate = Clock::now();
        const bool stop = StopRequested() || (cancelled && cancelled->load());
        lastSign += Clock::now() - beforeGate;
        if (!stopSent && stop) {
            stopSent = true;
            kill(pid, SIGUSR1);
            killAt = Clock::now() + kStopGrace;
        }
        const auto now = Clock::now();
        // A prompt held the run: the grace starts again after it.
        if (stopSent && ready > 0)
            killAt = std::max(killAt, lastSign + kStopGrace);
        if (stopSent && now >= killAt)
            break;
        if (!stopSent && job.pageSeconds > 0 && now - lastSign > hangAfter) {
            hung = true;
            break;
        }
    }
    close(runEnd);
    // A worker that closed its end has ended (or is ending) by itself.
    if (!closed)
        kill(pid, SIGKILL);
    const int status = WorkerStatus();
    NoteGone(pid);

    if (state.gotResult) {
        if (state.result.outcome == FileOutcome::Converted)
            state.result.documentPath = TakeOverDocument(state.result.documentPath, folder.Path());
        if (state.result.outcome == FileOutcome::Converted && state.result.documentPath.empty())
            return failed;
        return state.result;
    }
    FileRtfResult lost;
    lost.outcome = FileOutcome::Failed;
    if (stopSent)
        lost.outcome = FileOutcome::StopRun;
    else if (hung)
        lost.message = HangLine(job.name, state.currentPage, job.pageSeconds);
    else if (state.outOfMemory)
        lost.message = WorkerMemoryLine(job.name, memoryMegabytes);
    else if (WIFSIGNALED(status) && WTERMSIG(status) != SIGKILL)
        lost.message = WorkerCrashLine(job.name, WTERMSIG(status));
    else if (WIFSIGNALED(status))
        // Nobody here sent that kill: the system ended the worker, mostly for memory.
        lost.message = WorkerCrashLine(job.name, SIGKILL);
    else
        lost.message = job.name + " :Error - The converter ended unexpectedly (exit status " +
                       std::to_string(WEXITSTATUS(status)) + ").";
    return lost;
}
