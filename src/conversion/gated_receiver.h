#pragma once
// Wraps the front end's receiver so that every call first passes the stop
// gate: while the user is asked whether to stop, the worker sends nothing.
#include "conversion/receiver.h"
#include "conversion/stop_token.h"

class CGatedReceiver final : public IConversionReceiver {
public:
    CGatedReceiver(IConversionReceiver* inner, const CStopToken& stop) : inner_(inner), stop_(stop) {}
    void Log(const std::string& line) override { stop_.PassGate(); if (inner_) inner_->Log(line); }
    void Progress(const char* text, int percent) override { stop_.PassGate(); if (inner_) inner_->Progress(text, percent); }
    int CollectSettings() override { stop_.PassGate(); return inner_ ? inner_->CollectSettings() : 0; }
    bool AskPassword(const std::string& line, std::string& password) override
    {
        stop_.PassGate();
        return inner_ && inner_->AskPassword(line, password);
    }
    std::vector<std::string> RunPasswordsNow() override
    {
        stop_.PassGate();
        return inner_ ? inner_->RunPasswordsNow() : std::vector<std::string> {};
    }
    void ShowMessage(const std::string& text, MessageKind kind) override { stop_.PassGate(); if (inner_) inner_->ShowMessage(text, kind); }
    void RunStarted(int fileCount) override { stop_.PassGate(); if (inner_) inner_->RunStarted(fileCount); }
    void RunEnded(RunEnd end, bool showCompletion) override { if (inner_) inner_->RunEnded(end, showCompletion); }
    void BatchPages(int done, int expected, bool exact) override
    {
        stop_.PassGate();
        if (inner_)
            inner_->BatchPages(done, expected, exact);
    }

private:
    IConversionReceiver* inner_;
    const CStopToken& stop_;
};
