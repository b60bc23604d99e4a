#include "cli/cli_receiver.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>

#include "conversion/batch_driver.h"
#include "conversion/run_passwords.h"
#include "conversion/settings.h"
#include "conversion/worker_limits.h"

namespace {

// The terminal's settings while a prompt has its echo off.
std::atomic<int> promptTerminal {-1};
termios promptSaved {};

constexpr int kBarWidth = 30;
// Longest status text shown beside the bar; longer texts keep their end.
constexpr size_t kStatusWidth = 40;

} // namespace

CCliReceiver::CCliReceiver(const CliOptions& options, std::FILE* out, std::FILE* err,
                           std::vector<std::string> inputs, std::vector<std::string> outputFolders)
    : options_(options), inputs_(std::move(inputs)), outputFolders_(std::move(outputFolders)), out_(out), err_(err)
{
    if (inputs_.empty())
        inputs_ = options.inputs;
    barEnabled_ = !options.quiet && isatty(fileno(err));
}

void CCliReceiver::ClearBar()
{
    if (barShown_) {
        std::fputs("\r\033[K", err_);
        barShown_ = false;
    }
}

void CCliReceiver::DrawBar()
{
    if (!barEnabled_)
        return;
    // The bar counts the pages of the whole batch once any file is open;
    // until then it shows the file's own percent.
    int percent = percent_;
    std::string pages;
    if (pagesExpected_ > 0) {
        percent = static_cast<int>(std::min<long long>(100, 100LL * pagesDone_ / pagesExpected_));
        pages = std::to_string(pagesDone_) + " of " + (pagesExact_ ? "" : "~") + std::to_string(pagesExpected_) +
                " pages  ";
    }
    const int filled = percent * kBarWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), '.');
    std::string status = status_;
    if (status.size() > kStatusWidth)
        status = "..." + status.substr(status.size() - (kStatusWidth - 3));
    std::fprintf(err_, "\r\033[K[%s] %3d%%  %sfile %d of %d  %s", bar.c_str(), percent, pages.c_str(),
                 std::min(filesDone_ + 1, fileCount_), fileCount_, status.c_str());
    std::fflush(err_);
    barShown_ = true;
}

void CCliReceiver::Log(const std::string& line)
{
    if (options_.quiet)
        return;
    ClearBar();
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
    DrawBar();
}

void CCliReceiver::Progress(const char* text, int percent)
{
    if (percent == kFileDoneProgress) {
        ++filesDone_;
    } else {
        status_ = text ? text : "";
        percent_ = percent;
    }
    DrawBar();
}

void CCliReceiver::BatchPages(int pagesDone, int pagesExpected, bool exact)
{
    pagesDone_ = pagesDone;
    pagesExpected_ = pagesExpected;
    pagesExact_ = exact;
    DrawBar();
}

int CCliReceiver::CollectSettings()
{
    g_inputPaths = inputs_;
    g_inputNames = inputs_;
    g_inputOutputFolders = outputFolders_;
    g_jobCount = options_.jobs > 0 ? options_.jobs : UsableProcessors();
    g_settings.outputFolder = options_.outputFolder;
    g_settings.writeTextInTextBoxes = options_.frames ? 1 : 0;
    g_settings.deleteAllGraphics = options_.deleteGraphics ? 1 : 0;
    g_settings.allPages = options_.allPages ? 1 : 0;
    g_settings.fromPage = options_.fromPage;
    g_settings.toPage = options_.toPage;
    g_settings.pictureDpi = options_.pictureDpi;
    g_outputFormat = options_.format;
    g_settings.recogniseText = options_.recogniseText ? 1 : 0;
    g_settings.ocrLanguages = options_.ocrLanguages;
    g_embedFonts = options_.embedFonts;
    g_workerLimits.pageSeconds = options_.pageSeconds;
    g_workerLimits.memoryMegabytes = options_.memoryMegabytes;
    // The password of the command line is tried on every encrypted file.
    if (options_.hasPassword)
        RememberRunPassword(options_.password);
    // Missing folders of -o are made, as the wizard's folder check makes
    // them; the run reports a folder that still cannot be used.
    std::error_code ec;
    std::filesystem::create_directories(options_.outputFolder, ec);
    return static_cast<int>(g_inputNames.size());
}

bool CCliReceiver::AskPassword(const std::string& attemptLine, std::string& password)
{
    // The password of the command line was tried before any prompt.
    ClearBar();
    // The prompt refuses an empty entry, like the dialog does.
    for (;;) {
        std::string typed;
        if (!ReadPasswordFromTerminal(attemptLine + " Password: ", typed))
            return false;
        if (!typed.empty()) {
            password = typed;
            return true;
        }
    }
}

void CCliReceiver::ShowMessage(const std::string& text, MessageKind kind)
{
    ClearBar();
    const char* label = kind == MessageKind::Error ? "error" : kind == MessageKind::Warning ? "warning" : "note";
    std::fprintf(err_, "paperwell-cli: %s: %s\n", label, text.c_str());
    std::fflush(err_);
}

void CCliReceiver::RunStarted(int fileCount)
{
    fileCount_ = fileCount;
    filesDone_ = 0;
    pagesDone_ = pagesExpected_ = 0;
}

void CCliReceiver::RunEnded(RunEnd end, bool showCompletion)
{
    end_ = end;
    ClearBar();
    if (options_.quiet)
        return;
    switch (end) {
    case RunEnd::Failed:
    case RunEnd::FolderFailed:
        std::fprintf(out_, "Some error occurred.\n");
        break;
    case RunEnd::Stopped:
        std::fprintf(out_, "Stopped.\n");
        break;
    case RunEnd::Complete:
        std::fprintf(out_, "Conversion complete !\n");
        break;
    }
    if (showCompletion || (end == RunEnd::Stopped && !g_convertedFiles.empty())) {
        const size_t n = g_convertedFiles.size();
        std::fprintf(out_, "Total %zu %s converted successfully.\n", n, n > 1 ? "files were" : "file was");
        std::fprintf(out_, "Saved in: %s\n", g_outputSubfolder.c_str());
    }
    std::fflush(out_);
}

bool ReadPasswordFromTerminal(const std::string& prompt, std::string& password)
{
    const int tty = open("/dev/tty", O_RDWR | O_NOCTTY);
    if (tty < 0)
        return false;
    termios saved {};
    const bool isTerminal = tcgetattr(tty, &saved) == 0;
    if (!isTerminal) {
        close(tty);
        return false;
    }
    termios silent = saved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    silent.c_lflag |= ECHONL;
    promptSaved = saved;
    promptTerminal.store(tty);
    tcsetattr(tty, TCSAFLUSH, &silent);
    (void)!write(tty, prompt.data(), prompt.size());

    std::string line;
    bool gotLine = false;
    char c = 0;
    while (read(tty, &c, 1) == 1) {
        if (c == '\n' || c == '\r') {
            gotLine = true;
            break;
        }
        line.push_back(c);
    }
    promptTerminal.store(-1);
    tcsetattr(tty, TCSAFLUSH, &saved);
    close(tty);
    if (!gotLine)
        return false;
    password = line;
    return true;
}

void RestoreTerminalAfterPrompt()
{
    const int tty = promptTerminal.exchange(-1);
    if (tty >= 0)
        tcsetattr(tty, TCSANOW, &promptSaved);
}
