#pragma once
// A child process in a process group of its own, so that it can be killed
// together with every process it starts (soffice is a script that execs a
// launcher, which forks the real office process).
#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

class COfficeProcess {
public:
    COfficeProcess() = default;
    ~COfficeProcess();
    COfficeProcess(const COfficeProcess&) = delete;
    COfficeProcess& operator=(const COfficeProcess&) = delete;

    // Starts `argv` (argv[0] is the program path) with stdin from /dev/null
    // and stdout/stderr into `outputPath` (or /dev/null when empty).
    bool Start(const std::vector<std::string>& argv, const std::string& outputPath = {});
    // True while the started process has not ended.
    bool IsRunning();
    // Waits up to `timeout` for the process to end; true when it has ended.
    // `exitStatus` gets the exit code (-1 when killed by a signal).
    bool WaitFor(std::chrono::milliseconds timeout, int* exitStatus = nullptr);
    // SIGKILL to the whole process group, then reaps the process.
    void KillGroup();
    pid_t Pid() const { return m_pid; }

private:
    void StartGuard();
    void StopGuard();

    pid_t m_pid = -1;
    pid_t m_guardPid = -1;       // kills the group should this process die first
    int m_guardWriteEnd = -1;
    bool m_reaped = true;
    int m_exitStatus = -1;
};

// Kills the process group `pgid` at once; safe to call from any thread.
void KillProcessGroup(pid_t pgid);
