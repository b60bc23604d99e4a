// The run's office suite: persistent instances with private profiles,
// started as documents need them and stopped by EndOfficeInstance. One by
// default, its documents queued; SetOfficeInstances allows more, each
// converting one document at a time. The instances are process-wide, as the
// run is; everything about them sits behind the functions of office_suite.h.
#include "office/office_suite.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "office/command_line_convert.h"
#include "office/office_files.h"
#include "office/office_process.h"
#include "office/soffice_locator.h"
#include "office/watchdog.h"
#ifdef PW_HAVE_UNO
#include "office/uno_client.h"
#endif

namespace {

using namespace std::chrono_literals;

constexpr auto kStartupTimeout = 60s;          // longest wait for a new instance to accept a connection
constexpr auto kConnectRetryInterval = 100ms;  // pause between connection attempts while it starts
constexpr auto kBaseDocumentTimeout = 60s;     // watchdog time of a document, whatever its size
constexpr auto kTimeoutPerMegabyte = 30s;      // extra watchdog time per MB of RTF (large files load slowly)
constexpr auto kShutdownGrace = 10s;           // time the instance gets to end on request before it is killed
constexpr int kAttemptsPerDocument = 2;        // a document whose instance died is tried once more
constexpr long long kBytesPerMegabyte = 1024 * 1024;
constexpr const char* kForceCommandLineVariable = "PW_OFFICE_COMMAND_LINE";  // "1": skip UNO
// Seconds that replace kBaseDocumentTimeout, so tests can provoke the watchdog.
constexpr const char* kTimeoutVariable = "PW_OFFICE_TIMEOUT_SECONDS";

struct COfficeSession {
    std::mutex mutex;
    std::string folder;         // private folder of the run: profile, logs, jobs
    COfficeProcess process;     // the persistent instance
    std::atomic<pid_t> instanceGroup {0};
    bool startFailed = false;   // no second start attempt within a run
    OfficeStepTimes lastTimes;  // of the last conversion over UNO
#ifdef PW_HAVE_UNO
    CUnoClient client;
#endif
};

constexpr int kMaxInstances = 64;

// The sessions made so far, each for one instance. Never destroyed: the exit
// handler below may still need them; the signal path reads them without a lock.
struct COfficePool {
    std::mutex mutex;
    std::condition_variable freed;
    std::array<std::atomic<COfficeSession*>, kMaxInstances> sessions {};
    std::array<bool, kMaxInstances> busy {};
    int allowed = 1;
    OfficeStepTimes lastTimes;        // of the last conversion over UNO, any instance
    std::atomic<int> pipeCount {0};   // makes each pipe name unique
};

COfficePool& Pool()
{
    static COfficePool* pool = new COfficePool;
    return *pool;
}

COfficeSession& SessionAt(int index)
{
    COfficePool& pool = Pool();
    COfficeSession* session = pool.sessions[index].load();
    if (!session) {
        session = new COfficeSession;
        pool.sessions[index].store(session);
    }
    return *session;
}

// The first instance: the one of a run that allows only one.
COfficeSession& Session()
{
    std::lock_guard<std::mutex> lock(Pool().mutex);
    return SessionAt(0);
}

// Takes a session no other document uses, waiting for one when every
// allowed instance is busy; the lowest free one, so a run that allows one
// keeps its single instance.
class CSessionLease {
public:
    CSessionLease()
    {
        COfficePool& pool = Pool();
        std::unique_lock<std::mutex> lock(pool.mutex);
        for (;;) {
            for (int i = 0; i < pool.allowed; ++i) {
                if (!pool.busy[i]) {
                    pool.busy[i] = true;
                    index_ = i;
                    session_ = &SessionAt(i);
                    return;
                }
            }
            pool.freed.wait(lock);
        }
    }
    ~CSessionLease()
    {
        COfficePool& pool = Pool();
        {
            std::lock_guard<std::mutex> lock(pool.mutex);
            pool.busy[index_] = false;
        }
        pool.freed.notify_all();
    }
    CSessionLease(const CSessionLease&) = delete;
    CSessionLease& operator=(const CSessionLease&) = delete;
    COfficeSession& Session() const { return *session_; }

private:
    int index_ = 0;
    COfficeSession* session_ = nullptr;
};

// A process that ends without EndOfficeInstance must not leave an office
// instance or its profile behind.
void KillInstanceAtExit()
{
    for (auto& slot : Pool().sessions) {
        COfficeSession* session = slot.load();
        if (!session)
            continue;
        KillProcessGroup(session->instanceGroup.load());
        RemoveOfficeFolder(session->folder);
    }
}

} // namespace

void KillOfficeInstanceNow()
{
    KillInstanceAtExit();
}

namespace {

std::chrono::milliseconds DocumentTimeout(const std::string& rtfPath)
{
    std::chrono::milliseconds base = kBaseDocumentTimeout;
    if (const char* seconds = std::getenv(kTimeoutVariable)) {
        const long value = std::strtol(seconds, nullptr, 10);
        if (value > 0)
            base = std::chrono::seconds(value);
    }
    const long long megabytes = FileSizeOf(rtfPath) / kBytesPerMegabyte;
    return base + std::chrono::duration_cast<std::chrono::milliseconds>(megabytes * kTimeoutPerMegabyte);
}

// The folder the launcher really lives in (soffice on PATH is a symlink).
std::string ProgramFolderOf(const std::string& soffice)
{
    char resolved[PATH_MAX];
    if (realpath(soffice.c_str(), resolved) == nullptr)
        return FolderOf(soffice);
    return FolderOf(resolved);
}

// Caller holds the session mutex.
bool EnsureFolder(COfficeSession& session, const std::string& targetPath)
{
    if (session.folder.empty()) {
        session.folder = MakeOfficeFolder(FolderOf(targetPath));
        static std::once_flag registered;
        if (!session.folder.empty())
            std::call_once(registered, [] { std::atexit(KillInstanceAtExit); });
    }
    return !session.folder.empty();
}

bool CommandLineForced()
{
    const char* value = std::getenv(kForceCommandLineVariable);
    return value && std::string(value) == "1";
}

#ifdef PW_HAVE_UNO

// Caller holds the session mutex.
void StopInstanceNow(COfficeSession& session)
{
    session.client.Disconnect();
    session.process.KillGroup();
    session.instanceGroup = 0;
}

// Caller holds the session mutex.
bool StartInstance(COfficeSession& session, const std::string& soffice)
{
    const std::string pipeName = "paperwell_" + std::to_string(getpid()) + "_"
        + std::to_string(++Pool().pipeCount);
    const std::vector<std::string> argv = {
        soffice,
        "-env:UserInstallation=" + FileUrlFromPath(session.folder + "/profile"),
        "--headless", "--invisible", "--nologo", "--norestore", "--nodefault", "--nolockcheck",
        "--accept=pipe,name=" + pipeName + ";urp;",
    };
    if (!session.process.Start(argv, session.folder + "/instance.log"))
        return false;
    session.instanceGroup = session.process.Pid();
    const auto deadline = std::chrono::steady_clock::now() + kStartupTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (session.client.Connect(pipeName))
            return true;
        if (!session.process.IsRunning())
            break;
        std::this_thread::sleep_for(kConnectRetryInterval);
    }
    StopInstanceNow(session);
    return false;
}

// Caller holds the session mutex.
OfficeResult ConvertOverUno(COfficeSession& session, const std::string& soffice,
                            const std::string& rtfPath, const std::string& targetPath,
                            OfficeFormat format)
{
    OfficeResult result = OfficeResult::NotAvailable;
    for (int attempt = 0; attempt < kAttemptsPerDocument; ++attempt) {
        if (!session.client.Connected()) {
            if (session.startFailed || !StartInstance(session, soffice)) {
                session.startFailed = true;
                return OfficeResult::NotAvailable;
            }
        }
        // A stale file must not pass for this document's result.
        unlink(targetPath.c_str());
        bool instanceLost = false;
        bool timedOut = false;
        const bool hasTextBoxes = FileContains(rtfPath, kRtfShapeText);
        {
            const pid_t group = session.process.Pid();
            CWatchdog watchdog(DocumentTimeout(rtfPath), [group] { KillProcessGroup(group); });
            result = session.client.Convert(FileUrlFromPath(rtfPath), FileUrlFromPath(targetPath),
                                            ExportFilterName(format), hasTextBoxes, instanceLost);
            timedOut = watchdog.Fired();
            session.lastTimes = session.client.LastTimes();
        }
        if (timedOut || instanceLost)
            StopInstanceNow(session);
        if (result == OfficeResult::Converted)
            return IsWordDocument(targetPath, format) ? OfficeResult::Converted
                                                      : OfficeResult::SaveFailed;
        if (!timedOut && !instanceLost)
            return result;
        // The instance hung or died on this document: a fresh one gets one
        // more try. Twice means the document itself cannot be loaded.
        result = OfficeResult::OpenFailed;
    }
    return result;
}

bool UnoUsable(const std::string& soffice)
{
    return !CommandLineForced() && BootstrapUno(ProgramFolderOf(soffice));
}

#else

bool UnoUsable(const std::string&) { return false; }

#endif

// Caller holds the session mutex.
OfficeResult ConvertWithCommandLine(COfficeSession& session, const std::string& soffice,
                                    const std::string& rtfPath, const std::string& targetPath,
                                    OfficeFormat format)
{
    OfficeResult result = OfficeResult::NotAvailable;
    for (int attempt = 0; attempt < kAttemptsPerDocument; ++attempt) {
        unlink(targetPath.c_str());
        bool timedOut = false;
        result = ConvertOnCommandLine(soffice, session.folder, rtfPath, targetPath, format,
                                      DocumentTimeout(rtfPath), timedOut);
        if (!timedOut)
            break;
    }
    return result;
}

} // namespace

OfficeStepTimes LastOfficeStepTimes()
{
    COfficePool& pool = Pool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    return pool.lastTimes;
}

void SetOfficeInstances(int count)
{
    COfficePool& pool = Pool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    pool.allowed = std::max(1, std::min(count, kMaxInstances));
}

int OfficeInstanceGroup()
{
    return Session().instanceGroup.load();
}

int OfficeInstancesRunning()
{
    int running = 0;
    for (auto& slot : Pool().sessions)
        if (COfficeSession* session = slot.load(); session && session->instanceGroup.load() > 0)
            ++running;
    return running;
}

bool OfficeSuiteInstalled()
{
    return !FindSoffice().empty();
}

OfficeMode CurrentOfficeMode()
{
    const std::string soffice = FindSoffice();
    return !soffice.empty() && UnoUsable(soffice) ? OfficeMode::Uno : OfficeMode::CommandLine;
}

OfficeResult ConvertWithOffice(const std::string& rtfPath, const std::string& targetPath,
                               OfficeFormat format)
{
    try {
        const std::string soffice = FindSoffice();
        if (soffice.empty())
            return OfficeResult::NotAvailable;
        const CSessionLease lease;
        COfficeSession& session = lease.Session();
        std::lock_guard<std::mutex> lock(session.mutex);
        session.lastTimes = OfficeStepTimes();
        if (!EnsureFolder(session, targetPath))
            return OfficeResult::NotAvailable;
        OfficeResult result = OfficeResult::NotAvailable;
#ifdef PW_HAVE_UNO
        if (UnoUsable(soffice)) {
            result = ConvertOverUno(session, soffice, rtfPath, targetPath, format);
            std::lock_guard<std::mutex> poolLock(Pool().mutex);
            Pool().lastTimes = session.lastTimes;
            return result;
        }
#endif
        result = ConvertWithCommandLine(session, soffice, rtfPath, targetPath, format);
        std::lock_guard<std::mutex> poolLock(Pool().mutex);
        Pool().lastTimes = OfficeStepTimes();
        return result;
    } catch (...) {
        // Nothing the office step meets may end the run.
        return OfficeResult::NotAvailable;
    }
}

// Caller holds the session's mutex.
static void EndSession(COfficeSession& session)
{
#ifdef PW_HAVE_UNO
    if (session.client.Connected()) {
        const pid_t group = session.process.Pid();
        CWatchdog watchdog(kShutdownGrace, [group] { KillProcessGroup(group); });
        session.client.Terminate();
    }
    session.client.Disconnect();
#endif
    if (session.process.IsRunning() && !session.process.WaitFor(kShutdownGrace))
        session.process.KillGroup();
    session.instanceGroup = 0;
    session.startFailed = false;
    RemoveOfficeFolder(session.folder);
    session.folder.clear();
}

void EndOfficeInstance()
{
    try {
        for (auto& slot : Pool().sessions) {
            COfficeSession* session = slot.load();
            if (!session)
                continue;
            std::lock_guard<std::mutex> lock(session->mutex);
            EndSession(*session);
        }
    } catch (...) {
    }
}
