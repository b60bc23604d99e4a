#include "conversion/batch_output.h"

#include <chrono>

#include "conversion/run_passwords.h"

class CBatchOutput::CChannel final : public IConversionReceiver {
public:
    CChannel(CBatchOutput& output, size_t file) : output_(output), file_(file) {}
    void Log(const std::string& line) override { output_.Log(file_, line); }
    void Progress(const char* text, int percent) override { output_.Progress(file_, text, percent); }
    int CollectSettings() override { return 0; }
    bool AskPassword(const std::string& line, std::string& password) override
    {
        return output_.AskPassword(file_, line, password);
    }
    std::vector<std::string> RunPasswordsNow() override { return output_.RunPasswordsNow(file_); }
    void ShowMessage(const std::string& text, MessageKind kind) override { output_.Message(file_, text, kind); }

private:
    CBatchOutput& output_;
    size_t file_;
};

namespace {
// How often a file waiting for its turn looks whether the run is stopping.
constexpr auto kTurnPoll = std::chrono::milliseconds(100);
}

CBatchOutput::CBatchOutput(IConversionReceiver* front, size_t fileCount, std::function<bool(size_t)> giveUp)
    : front_(front), giveUp_(std::move(giveUp)), files_(fileCount)
{
    for (size_t i = 0; i < fileCount; ++i)
        channels_.push_back(std::make_unique<CChannel>(*this, i));
}

CBatchOutput::~CBatchOutput() = default;

IConversionReceiver* CBatchOutput::Channel(size_t file)
{
    return channels_.at(file).get();
}

void CBatchOutput::Emit(const Entry& entry)
{
    if (!front_)
        return;
    if (entry.isMessage)
        front_->ShowMessage(entry.text, entry.kind);
    else
        front_->Log(entry.text);
}

void CBatchOutput::Log(size_t file, const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    FileState& state = files_[file];
    state.lastLine = line;
    const Entry entry {false, MessageKind::Error, line};
    if (file == head_)
        Emit(entry);
    else
        state.held.push_back(entry);
}

void CBatchOutput::Message(size_t file, const std::string& text, MessageKind kind)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const Entry entry {true, kind, text};
    if (file == head_)
        Emit(entry);
    else
        files_[file].held.push_back(entry);
}

void CBatchOutput::Progress(size_t file, const char* text, int percent)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (percent == kFileDoneProgress) {
        if (prompting_)
            ++heldFileDone_;
        else if (front_)
            front_->Progress(nullptr, kFileDoneProgress);
        return;
    }
    FileState& state = files_[file];
    state.hasStatus = true;
    state.statusIsNull = text == nullptr;
    state.status = text ? text : "";
    state.percent = percent;
    if (file == head_ && !prompting_ && front_)
        front_->Progress(text, percent);
}

void CBatchOutput::PagesDone(size_t file, int done, int total)
{
    std::lock_guard<std::mutex> lock(mutex_);
    files_[file].pagesDone = done;
    files_[file].pagesTotal = total;
    SendPages();
}

void CBatchOutput::SendPages()
{
    if (!front_ || prompting_)
        return;
    long long done = 0, known = 0;
    int opened = 0, unopened = 0;
    for (const FileState& state : files_) {
        done += state.pagesDone;
        if (state.pagesTotal >= 0) {
            known += state.pagesTotal;
            ++opened;
        } else {
            ++unopened;
        }
    }
    // Files not open yet are guessed at the mean of the ones that are.
    const long long guess = opened > 0 ? (known + opened - 1) / opened : 1;
    const long long expected = known + guess * unopened;
    front_->BatchPages(static_cast<int>(done), static_cast<int>(expected), unopened == 0);
}

bool CBatchOutput::WaitForTurn(std::unique_lock<std::mutex>& lock, size_t file)
{
    while (head_ != file) {
        lock.unlock();
        const bool stop = giveUp_ && giveUp_(file);
        lock.lock();
        if (stop)
            return false;
        if (head_ == file)
            break;
        turn_.wait_for(lock, kTurnPoll);
    }
    return true;
}

bool CBatchOutput::AskPassword(size_t file, const std::string& line, std::string& password)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (!WaitForTurn(lock, file) || !front_)
        return false;
    // Nothing else reaches the front end while the prompt is open: the
    // files behind this one are held anyway, and progress waits.
    prompting_ = true;
    lock.unlock();
    const bool given = front_->AskPassword(line, password);
    lock.lock();
    prompting_ = false;
    for (; heldFileDone_ > 0; --heldFileDone_)
        front_->Progress(nullptr, kFileDoneProgress);
    SendPages();
    return given;
}

std::vector<std::string> CBatchOutput::RunPasswordsNow(size_t file)
{
    std::unique_lock<std::mutex> lock(mutex_);
    // Once every earlier file is done, their passwords are known, as in a
    // run in turn.
    if (!WaitForTurn(lock, file))
        return {};
    return RunPasswords();
}

void CBatchOutput::AdvanceHead()
{
    turn_.notify_all();
    if (head_ >= files_.size())
        return;
    // The new first unfinished file: what it said so far, then its status.
    FileState& state = files_[head_];
    if (state.shown)
        for (const Entry& entry : state.held)
            Emit(entry);
    state.held.clear();
    if (state.shown && state.hasStatus && front_ && !prompting_)
        front_->Progress(state.statusIsNull ? nullptr : state.status.c_str(), state.percent);
}

void CBatchOutput::FileDone(size_t file, bool shown)
{
    std::lock_guard<std::mutex> lock(mutex_);
    FileState& state = files_[file];
    state.done = true;
    state.shown = shown;
    if (!shown)
        state.held.clear();
    // A file that ended early has no more pages to come.
    if (state.pagesTotal < 0 || state.pagesTotal > state.pagesDone)
        state.pagesTotal = state.pagesDone;
    // Files ahead of the first unfinished one were held: they go out now.
    const size_t before = head_;
    while (head_ < files_.size() && files_[head_].done) {
        FileState& done = files_[head_];
        if (done.shown)
            for (const Entry& entry : done.held)
                Emit(entry);
        done.held.clear();
        ++head_;
    }
    if (head_ != before)
        AdvanceHead();
    SendPages();
}

std::string CBatchOutput::LastLine(size_t file)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return files_[file].lastLine;
}

void CBatchOutput::FlushAll()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (FileState& state : files_) {
        if (state.shown)
            for (const Entry& entry : state.held)
                Emit(entry);
        state.held.clear();
    }
    head_ = files_.size();
    turn_.notify_all();
}
