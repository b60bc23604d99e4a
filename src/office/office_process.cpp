#include "office/office_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto kWaitPollInterval = std::chrono::milliseconds(20);  // how often WaitFor looks again
constexpr auto kGroupExitWait = std::chrono::seconds(2);           // longest wait for killed members to go
constexpr const char* kBootstrapVariable = "URE_BOOTSTRAP=";      // our UNO runtime's, not the suite's

// The environment for the child: ours without the UNO bootstrap variable
// this process may have set for itself, which would mislead the suite.
std::vector<std::string> ChildEnvironment()
{
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        if (std::string(*entry).rfind(kBootstrapVariable, 0) != 0)
            variables.emplace_back(*entry);
    }
    return variables;
}

bool GroupExists(pid_t pgid)
{
    return kill(-pgid, 0) == 0 || errno == EPERM;
}

} // namespace

void KillProcessGroup(pid_t pgid)
{
    if (pgid > 0)
        kill(-pgid, SIGKILL);
}

COfficeProcess::~COfficeProcess()
{
    if (!m_reaped)
        KillGroup();
}

bool COfficeProcess::Start(const std::vector<std::string>& argv, const std::string& outputPath)
{
    if (argv.empty() || !m_reaped)
        return false;
    // Everything the child needs is prepared before fork: after it only
    // async-signal-safe calls are allowed in a threaded process.
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const std::vector<std::string> environment = ChildEnvironment();
    std::vector<char*> envp;
    for (const std::string& variable : environment)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    const char* output = outputPath.empty() ? "/dev/null" : outputPath.c_str();

    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        setsid();
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in >= 0)
            dup2(in, STDIN_FILENO);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
        }
        // The child must not inherit blocked or ignored signals of the test
        // or front end (SIGXFSZ, SIGPIPE ...).
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);
        signal(SIGXFSZ, SIG_DFL);
        // Copies of our descriptors would outlive us in the suite (a pipe
        // of the front end would never see its end of file).
        close_range(STDERR_FILENO + 1, ~0U, 0);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    m_pid = pid;
    m_reaped = false;
    m_exitStatus = -1;
    StartGuard();
    return true;
}

// The suite lives in a session of its own, so neither a terminal's Ctrl-C
// nor our own crash reaches it. A small guard process waits on a pipe whose
// only writer is this process; when this process ends in any way, the pipe
// reaches its end and the guard kills the suite's process group.
void COfficeProcess::StartGuard()
{
    int guard[2];
    if (pipe2(guard, O_CLOEXEC) != 0)
        return;
    const pid_t group = m_pid;
    const pid_t guardPid = fork();
    if (guardPid < 0) {
        close(guard[0]);
        close(guard[1]);
        return;
    }
    if (guardPid == 0) {
        setsid();
        const int readEnd = guard[0];
        if (readEnd > STDERR_FILENO + 1)
            close_range(STDERR_FILENO + 1, readEnd - 1, 0);
        close_range(readEnd + 1, ~0U, 0);
        char byte = 0;
        ssize_t got = 0;
        do {
            got = read(readEnd, &byte, 1);
        } while (got > 0 || (got < 0 && errno == EINTR));
        kill(-group, SIGKILL);
        _exit(0);
    }
    close(guard[0]);
    m_guardWriteEnd = guard[1];
    m_guardPid = guardPid;
}

void COfficeProcess::StopGuard()
{
    if (m_guardWriteEnd >= 0) {
        close(m_guardWriteEnd);
        m_guardWriteEnd = -1;
    }
    if (m_guardPid > 0) {
        int status = 0;
        waitpid(m_guardPid, &status, 0);
        m_guardPid = -1;
    }
}

bool COfficeProcess::IsRunning()
{
    if (m_reaped)
        return false;
    int status = 0;
    const pid_t done = waitpid(m_pid, &status, WNOHANG);
    if (done == 0)
        return true;
    m_reaped = true;
    m_exitStatus = (done == m_pid && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    StopGuard();
    return false;
}

bool COfficeProcess::WaitFor(std::chrono::milliseconds timeout, int* exitStatus)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (IsRunning()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kWaitPollInterval);
    }
    if (exitStatus)
        *exitStatus = m_exitStatus;
    return true;
}

void COfficeProcess::KillGroup()
{
    if (m_pid <= 0)
        return;
    KillProcessGroup(m_pid);
    if (!m_reaped) {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_reaped = true;
        m_exitStatus = -1;
    }
    StopGuard();
    // Members outside our reach (the office process itself is the launcher's
    // child) die a moment later; a new instance on the same profile must not
    // meet them.
    const auto deadline = std::chrono::steady_clock::now() + kGroupExitWait;
    while (GroupExists(m_pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kWaitPollInterval);
}
