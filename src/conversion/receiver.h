#pragma once
// The one channel through which the engine talks to a front end: log lines,
// progress, the settings request, password prompts and message boxes.
// Every call is synchronous: it returns once the front end has handled it.
#include <string>
#include <vector>

enum class MessageKind { Error, Information, Warning };

// Percent value that means "one more file done" instead of a percent.
constexpr int kFileDoneProgress = 1000;

// How a run ended, for the front end's status line and buttons.
enum class RunEnd {
    Failed,        // "Some error occurred."
    FolderFailed,  // the output sub-folder could not be made; no file was tried
    Stopped,       // "Stopped !"
    Complete,      // "Conversion complete !"
};

class IConversionReceiver {
public:
    virtual ~IConversionReceiver() = default;
    // A new last line of the log.
    virtual void Log(const std::string& line) = 0;
    // Status text (nullptr = no text) with a percent 0..100, or
    // kFileDoneProgress to advance the overall count by one file.
    virtual void Progress(const char* text, int percent) = 0;
    // Fills the process-wide settings (g_settings, the input lists); returns
    // the number of input files.
    virtual int CollectSettings() = 0;
    // Asks for a password with the attempt line as the prompt. false = the
    // user gave up; true = `password` holds the (non-empty) text typed.
    virtual bool AskPassword(const std::string& attemptLine, std::string& password) = 0;
    // The run's passwords as they are now, asked for right before the first
    // prompt of an encrypted file that the passwords of its start did not
    // open (files converted alongside may have added some). The run waits
    // here until the file's turn to prompt has come.
    virtual std::vector<std::string> RunPasswordsNow() { return {}; }
    // A modal message box with only an OK button.
    virtual void ShowMessage(const std::string& text, MessageKind kind) = 0;
    // The run is about to convert `fileCount` files (the overall bar's range).
    virtual void RunStarted(int fileCount) { (void)fileCount; }
    // The run's end state. `showCompletion`: the summary of g_convertedFiles
    // and g_outputSubfolder (which the run's entry fills) is to be shown now.
    virtual void RunEnded(RunEnd end, bool showCompletion) { (void)end; (void)showCompletion; }
    // Pages of the whole batch: converted so far, and expected in all (the
    // ranges of the files opened so far, the rest estimated from them until
    // every file is open: `exact`), for a bar over the run.
    virtual void BatchPages(int pagesDone, int pagesExpected, bool exact)
    {
        (void)pagesDone; (void)pagesExpected; (void)exact;
    }
};

// Calls that tolerate a null receiver (messages then go nowhere).
inline void SendLog(IConversionReceiver* r, const std::string& line) { if (r) r->Log(line); }
inline void SendProgress(IConversionReceiver* r, const char* text, int percent) { if (r) r->Progress(text, percent); }
inline void SendMessage(IConversionReceiver* r, const std::string& text, MessageKind kind) { if (r) r->ShowMessage(text, kind); }
