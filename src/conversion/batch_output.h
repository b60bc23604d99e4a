#pragma once
// What the files of a batch converted side by side tell the front end, put
// back in the order of a run in turn: each file's log lines and messages
// stay together and files follow the input order. The first unfinished file
// speaks as it goes; a later file's lines wait until every file before it is
// done. Its prompts wait for its turn too, so they are asked one at a time
// and right after the file's own lines. Progress: the status of the first
// unfinished file, files done, and the pages of the whole batch.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "conversion/receiver.h"

class CBatchOutput {
public:
    // `giveUp` tells a file waiting for its turn to prompt that the run is
    // stopping; it is called without the output's lock.
    CBatchOutput(IConversionReceiver* front, size_t fileCount, std::function<bool(size_t file)> giveUp);
    ~CBatchOutput();
    CBatchOutput(const CBatchOutput&) = delete;
    CBatchOutput& operator=(const CBatchOutput&) = delete;

    // The receiver file `file` speaks to (valid while the output lives).
    IConversionReceiver* Channel(size_t file);
    // The file has said all it will. `shown` false: its lines are dropped
    // (a file the run gave up after an earlier one ended it).
    void FileDone(size_t file, bool shown = true);
    // Pages of the file's range done, and the range's size.
    void PagesDone(size_t file, int done, int total);
    // The file's last log line (its error line when it failed).
    std::string LastLine(size_t file);
    // Shows what is still held, in order: at the end of a stopped run.
    void FlushAll();

private:
    class CChannel;
    struct Entry {
        bool isMessage = false;
        MessageKind kind = MessageKind::Error;
        std::string text;
    };
    struct FileState {
        std::vector<Entry> held;
        bool done = false;
        bool shown = true;
        std::string lastLine;
        bool hasStatus = false;
        std::string status;
        bool statusIsNull = false;
        int percent = 0;
        int pagesDone = 0;
        int pagesTotal = -1;  // -1: not opened yet
    };

    void Log(size_t file, const std::string& line);
    void Message(size_t file, const std::string& text, MessageKind kind);
    void Progress(size_t file, const char* text, int percent);
    bool AskPassword(size_t file, const std::string& line, std::string& password);
    std::vector<std::string> RunPasswordsNow(size_t file);
    // Waits until `file` is the first unfinished one; false when it gave up.
    bool WaitForTurn(std::unique_lock<std::mutex>& lock, size_t file);
    // Caller holds the lock.
    void Emit(const Entry& entry);
    // The first unfinished file has changed: what it said so far goes out.
    void AdvanceHead();
    void SendPages();

    IConversionReceiver* front_;
    std::function<bool(size_t)> giveUp_;
    std::mutex mutex_;
    std::condition_variable turn_;
    std::vector<FileState> files_;
    std::vector<std::unique_ptr<CChannel>> channels_;
    size_t head_ = 0;
    bool prompting_ = false;
    int heldFileDone_ = 0;  // "one more file done" held while a prompt is open
};
