#include "conversion/worker_child.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fontconfig/fontconfig.h>

#include "conversion/file_conversion.h"
#include "conversion/pdf_library.h"
#include "conversion/receiver.h"
#include "conversion/stop_token.h"
#include "conversion/worker_job.h"
#include "conversion/worker_protocol.h"
#include "ocr/ocr_engine.h"
#include "platform/text_measure.h"

namespace {

int toRunFd = -1;  // read by the abort handler
// The stop of the worker's one file, raised by the signal handler: a worker
// process converts a single job.
CStopToken workerStop;

// The run asks for a stop with SIGUSR1; the page loop and the library's
// abort check look at the token.
void OnStopSignal(int)
{
    workerStop.Request();
}

// The library aborts when an allocation fails. Under the memory limit that
// is the usual reason, and errno still says so: tell the run before dying.
void OnAbort(int)
{
    if (errno == ENOMEM && toRunFd >= 0) {
        const char frame[5] = {static_cast<char>(WorkerMessage::OutOfMemory), 0, 0, 0, 0};
        (void)!write(toRunFd, frame, sizeof frame);
    }
    signal(SIGABRT, SIG_DFL);
    raise(SIGABRT);
}

void InstallSignals(pid_t parent)
{
    // Only the run decides when a worker ends: the terminal's interrupt and
    // hang-up reach the whole process group, the run relays what they mean.
    signal(SIGINT, SIG_IGN);
    signal(SIGHUP, SIG_IGN);
    signal(SIGTERM, SIG_IGN);
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGUSR1, &stop, nullptr);
    struct sigaction abortAction {};
    abortAction.sa_handler = OnAbort;
    sigemptyset(&abortAction.sa_mask);
    sigaction(SIGABRT, &abortAction, nullptr);
    // A run that dies without a word takes its worker with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(1);
}

void LimitMemory(int megabytes)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizer's shadow memory alone exceeds any sane address limit.
    (void)megabytes;
#else
    if (megabytes <= 0)
        return;
    const rlim_t bytes = static_cast<rlim_t>(megabytes) * 1024 * 1024;
    struct rlimit limit {bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
#endif
}

// The run's receiver, one pipe away. Prompts and message boxes wait for the
// run's answer, as they wait for the user in the run itself.
class CPipeReceiver final : public IConversionReceiver {
public:
    CPipeReceiver(int fromRun, int toRun) : from_(fromRun), to_(toRun) {}

    void Log(const std::string& line) override
    {
        Send(WorkerMessage::Log, CFieldWriter().Text(line).Bytes());
    }
    void Progress(const char* text, int percent) override
    {
        Send(WorkerMessage::Progress,
             CFieldWriter().Int(text ? 1 : 0).Text(text ? text : "").Int(percent).Bytes());
    }
    int CollectSettings() override { return 0; }
    bool AskPassword(const std::string& attemptLine, std::string& password) override
    {
        Send(WorkerMessage::AskPassword, CFieldWriter().Text(attemptLine).Bytes());
        int32_t given = 0;
        std::string text;
        if (!Answer(given, text))
            return false;
        if (given != 0)
            password = text;
        return given != 0;
    }
    std::vector<std::string> RunPasswordsNow() override
    {
        Send(WorkerMessage::KnownPasswords, {});
        WorkerMessage type {};
        std::string payload;
        if (!ReadWorkerMessage(from_, type, payload) || type != WorkerMessage::Passwords)
            _exit(1);
        CFieldReader reader(payload);
        int32_t count = 0;
        reader.Int(count);
        std::vector<std::string> passwords;
        for (int32_t i = 0; i < count && reader.Ok(); ++i) {
            std::string password;
            reader.Text(password);
            passwords.push_back(password);
        }
        return passwords;
    }
    void ShowMessage(const std::string& text, MessageKind kind) override
    {
        Send(WorkerMessage::ShowMessage, CFieldWriter().Int(static_cast<int32_t>(kind)).Text(text).Bytes());
        int32_t ignored = 0;
        std::string none;
        Answer(ignored, none);
    }
    void PageStarted(int page) { Send(WorkerMessage::PageStarted, CFieldWriter().Int(page).Bytes()); }
    void PagesDone(int done, int total)
    {
        Send(WorkerMessage::PagesDone, CFieldWriter().Int(done).Int(total).Bytes());
    }

    void Send(WorkerMessage type, const std::string& payload)
    {
        // The run is gone: nobody wants the rest of this file.
        if (!WriteWorkerMessage(to_, type, payload))
            _exit(1);
    }

private:
    bool Answer(int32_t& given, std::string& text)
    {
        WorkerMessage type {};
        std::string payload;
        if (!ReadWorkerMessage(from_, type, payload) || type != WorkerMessage::Answer)
            _exit(1);
        CFieldReader reader(payload);
        reader.Int(given);
        reader.Text(text);
        return reader.Ok();
    }

    int from_;
    int to_;
};

// What every file needs (font configuration, the library's base fonts) is
// loaded once in the server; each worker forked from it has it ready.
void WarmUp()
{
    FcInit();
    const CPdfLibrary library;
    // The run asks for text recognition: its engine and language data are
    // loaded here once, for every worker of the run. A failure is reported
    // by the worker that needs the engine.
    if (const char* languages = std::getenv(kWorkerOcrLanguagesVariable); languages && *languages) {
        std::string ignored;
        ProcessOcrEngine().Load(languages, ignored);
    }
    // The faces most documents are measured with (the base fonts' stand-ins).
    for (const char* face : {"Arial", "Times New Roman", "Courier New"})
        MeasureText(CMeasureFont {face, 12, false, false}, "a");
}

bool ReadJob(int fromRun, WorkerJob& job)
{
    WorkerMessage type {};
    std::string payload;
    if (!ReadWorkerMessage(fromRun, type, payload) || type != WorkerMessage::Job)
        return false;
    return DecodeWorkerJob(payload, job);
}

} // namespace

int RunFileWorker(int socket)
{
    toRunFd = socket;
    WorkerJob worker;
    if (!ReadJob(socket, worker))
        return 1;
    FileConversionJob& job = worker.file;
    if (worker.stopRequested)
        workerStop.Request();
    job.stop = &workerStop;
    // Every temporary file of this worker goes into the run's folder for it.
    setenv("TMPDIR", worker.folder.c_str(), 1);
    LimitMemory(worker.memoryMegabytes);
    // For the tests of a crashing worker only: no PDF this library opens is
    // known to crash it on purpose.
    if (const char* crashOn = std::getenv("PW_WORKER_CRASH_ON"); crashOn && job.name == crashOn)
        raise(SIGSEGV);

    CPipeReceiver receiver(socket, socket);
    job.onPageStarted = [&receiver](int page) { receiver.PageStarted(page); };
    job.onPagesDone = [&receiver](int done, int total) { receiver.PagesDone(done, total); };
    const FileConversionResult result = ConvertFileToDocument(job, &receiver);
    receiver.Send(WorkerMessage::Result, EncodeWorkerResult(result));
    return 0;
}

int RunWorkerServer(int control, pid_t parent)
{
    InstallSignals(parent);
    WarmUp();
    const pid_t server = getpid();
    for (;;) {
        const int socket = ReceiveDescriptor(control);
        if (socket < 0)
            return 0;  // the run has ended
        const pid_t pid = fork();
        if (pid == 0) {
            close(control);
            // A server that is gone takes its worker with it.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != server)
                _exit(1);
            const int status = RunFileWorker(socket);
            // No exit handlers: the temporary folder, document included, is the run's.
            _exit(status);
        }
        close(socket);
        if (!WriteWorkerMessage(control, WorkerMessage::Started, CFieldWriter().Int(pid).Bytes()))
            return 1;
        int status = 0;
        if (pid > 0) {
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
        if (!WriteWorkerMessage(control, WorkerMessage::Ended, CFieldWriter().Int(status).Bytes()))
            return 1;
    }
}
