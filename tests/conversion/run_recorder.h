#pragma once
// A receiver that records everything a run sends, for tests of the worker
// and the per-file drivers.
#include <functional>
#include <string>
#include <vector>

#include "conversion/receiver.h"
#include "conversion/settings.h"
#include "conversion/stop_token.h"

struct RecordedProgress {
    std::string text;  // "(null)" when no text was sent
    int percent;
};

struct RunConfig {
    std::vector<std::string> inputs;
    std::string outputFolder;
    int frames = 0;
    int deleteGraphics = 0;
    int allPages = 1;
    int fromPage = 0;
    int toPage = 0;
    OutputFormat format = OutputFormat::Rtf;
    int pictureDpi = kScreenPictureDpi;
};

class CRunRecorder : public IConversionReceiver {
public:
    explicit CRunRecorder(RunConfig config) : config_(std::move(config)) {}

    void Log(const std::string& line) override
    {
        logs.push_back(line);
        if (onLog)
            onLog(line);
    }
    void Progress(const char* text, int percent) override
    {
        progress.push_back({text ? text : "(null)", percent});
        if (onProgress)
            onProgress(progress.back());
    }
    int CollectSettings() override
    {
        g_inputPaths = config_.inputs;
        g_inputNames = config_.inputs;
        g_settings.outputFolder = config_.outputFolder;
        g_settings.writeTextInTextBoxes = config_.frames;
        g_settings.deleteAllGraphics = config_.deleteGraphics;
        g_settings.allPages = config_.allPages;
        g_settings.fromPage = config_.fromPage;
        g_settings.toPage = config_.toPage;
        g_settings.pictureDpi = config_.pictureDpi;
        g_outputFormat = config_.format;
        return static_cast<int>(g_inputNames.size());
    }
    bool AskPassword(const std::string& line, std::string& password) override
    {
        prompts.push_back(line);
        if (answers.empty())
            return false;  // the user cancels
        password = answers.front();
        answers.erase(answers.begin());
        return true;
    }
    void ShowMessage(const std::string& text, MessageKind) override { messages.push_back(text); }
    void RunEnded(RunEnd end, bool showCompletion) override
    {
        ended = true;
        endState = end;
        completionShown = showCompletion;
    }

    std::vector<std::string> logs;
    std::vector<RecordedProgress> progress;
    std::vector<std::string> prompts;
    std::vector<std::string> answers;  // typed passwords, in order; then cancel
    std::vector<std::string> messages;
    bool ended = false;
    RunEnd endState = RunEnd::Failed;
    bool completionShown = false;
    std::function<void(const std::string&)> onLog;
    std::function<void(const RecordedProgress&)> onProgress;
    CStopToken stop;  // the run's: ConversionWorker(&recorder, recorder.stop)

private:
    RunConfig config_;
};
