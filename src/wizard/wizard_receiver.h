#pragma once
// The worker's side of the wizard: every call crosses to the page's thread
// and returns when the page has handled it, like a synchronous message.
#include "conversion/receiver.h"

class CProgressPage;

class CWizardReceiver final : public IConversionReceiver {
public:
    explicit CWizardReceiver(CProgressPage* page) : page_(page) {}

    void Log(const std::string& line) override;
    void Progress(const char* text, int percent) override;
    int CollectSettings() override;
    bool AskPassword(const std::string& attemptLine, std::string& password) override;
    void ShowMessage(const std::string& text, MessageKind kind) override;
    void RunStarted(int fileCount) override;
    void RunEnded(RunEnd end, bool showCompletion) override;

private:
    CProgressPage* page_;
};
