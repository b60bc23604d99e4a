#pragma once
// The command line's side of the engine's receiver: log lines on stdout, a
// progress bar on stderr when it is a terminal, passwords from the option or
// the terminal, message boxes as lines on stderr.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "conversion/receiver.h"

class CCliReceiver final : public IConversionReceiver {
public:
    // `inputs`/`outputFolders`: the PDFs of the run, folders expanded.
    CCliReceiver(const CliOptions& options, std::FILE* out, std::FILE* err,
                 std::vector<std::string> inputs = {}, std::vector<std::string> outputFolders = {});

    void Log(const std::string& line) override;
    void Progress(const char* text, int percent) override;
    int CollectSettings() override;
    bool AskPassword(const std::string& attemptLine, std::string& password) override;
    void ShowMessage(const std::string& text, MessageKind kind) override;
    void RunStarted(int fileCount) override;
    void RunEnded(RunEnd end, bool showCompletion) override;
    void BatchPages(int pagesDone, int pagesExpected, bool exact) override;

    RunEnd End() const { return end_; }

private:
    void ClearBar();
    void DrawBar();

    const CliOptions& options_;
    std::vector<std::string> inputs_;
    std::vector<std::string> outputFolders_;
    std::FILE* out_;
    std::FILE* err_;
    bool barEnabled_ = false;
    bool barShown_ = false;
    int fileCount_ = 0;
    int filesDone_ = 0;
    int percent_ = 0;
    int pagesDone_ = 0;
    int pagesExpected_ = 0;
    bool pagesExact_ = false;
    std::string status_;
    RunEnd end_ = RunEnd::Failed;
};

// Reads a line from the terminal without echo; false without a terminal or
// at end of input.
bool ReadPasswordFromTerminal(const std::string& prompt, std::string& password);

// Gives the terminal its echo back if a password prompt is open; for a
// program that ends in the middle of one.
void RestoreTerminalAfterPrompt();
