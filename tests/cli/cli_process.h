#pragma once
// Runs the command line as a child process for tests: through the shell (so a
// test can set the environment and limits), or under a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A private folder under /tmp for one test, removed with all it holds.
class ScopedTempFolder {
public:
    explicit ScopedTempFolder(const std::string& prefix)
    {
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScopedTempFolder()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

struct ShellResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Single-quotes a word for the shell.
inline std::string Quoted(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

inline ShellResult RunShell(const std::string& command)
{
    char outName[] = "/tmp/pw-cli-out-XXXXXX";
    char errName[] = "/tmp/pw-cli-err-XXXXXX";
    close(mkstemp(outName));
    close(mkstemp(errName));
    const std::string full = "( " + command + " ) </dev/null >" + outName + " 2>" + errName;
    const int status = std::system(full.c_str());
    ShellResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadWholeFile(outName);
    result.err = ReadWholeFile(errName);
    unlink(outName);
    unlink(errName);
    return result;
}

// Has LibreOffice make PDFs of the given (already quoted) documents in
// folder, with a private profile under profileRoot.
inline void OfficePdfsOf(const std::string& folder, const std::string& quotedFiles, const std::string& profileRoot)
{
    RunShell("cd " + Quoted(folder) + " && soffice -env:UserInstallation=file://" + profileRoot +
             "/profile --headless --convert-to pdf " + quotedFiles);
}

// A child on a pseudo-terminal: the test reads what it prints and types.
class TerminalChild {
public:
    explicit TerminalChild(const std::string& command)
    {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            // exec: the signals the test sends reach the program itself.
            const std::string line = "exec " + command;
            execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TerminalChild()
    {
        if (pid_ > 0 && !waited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0)
            close(master_);
    }

    // Reads until `text` has appeared (true) or the time runs out / the child
    // closes the terminal (false).
    bool WaitFor(const std::string& text, int seconds = 60)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (seen_.find(text, scanned_) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p {master_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buffer[4096];
            const ssize_t got = read(master_, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            seen_.append(buffer, static_cast<size_t>(got));
        }
        scanned_ = seen_.find(text, scanned_) + text.size();
        return true;
    }
    void Type(const std::string& text) { (void)!write(master_, text.data(), text.size()); }
    void Interrupt() { kill(pid_, SIGINT); }
    void Signal(int signalNumber) { kill(pid_, signalNumber); }

    // Reads what is left and returns the exit status (-1 on a signal).
    int Wait()
    {
        char buffer[4096];
        ssize_t got;
        while ((got = read(master_, buffer, sizeof buffer)) > 0)
            seen_.append(buffer, static_cast<size_t>(got));
        int status = 0;
        waitpid(pid_, &status, 0);
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& Seen() const { return seen_; }

private:
    pid_t pid_ = -1;
    int master_ = -1;
    bool waited_ = false;
    std::string seen_;
    size_t scanned_ = 0;
};
