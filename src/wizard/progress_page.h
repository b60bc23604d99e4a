#pragma once
// Third page: starts a conversion run when it becomes active, shows its
// status, two progress bars and the log, and stops it on request.
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "conversion/receiver.h"
#include "conversion/stop_token.h"
#include "wizard/vovir_property_page.h"

class QLabel;
class QProgressBar;
class QTreeWidget;
class CTipButton;
class CTopBanner;
class CWizardReceiver;

// Control ids of the page, also their object names.
constexpr int kStatusLabelId = 1005;
constexpr int kPercentLabelId = 1021;
constexpr int kFileProgressId = 1006;
constexpr int kStopButtonId = 1029;
constexpr int kOverallProgressId = 1037;
constexpr int kLogListId = 1036;

// Status texts longer than this are cut at the front.
constexpr int kStatusTextLimit = 80;

class CProgressPage : public CVovirPropertyPage {
    Q_OBJECT
public:
    explicit CProgressPage(QWidget* parent = nullptr);
    ~CProgressPage() override;

    // Fills the run's settings from the wizard and returns the file count;
    // the main sheet provides it.
    void SetSettingsCollector(std::function<int()> collect) { collectSettings_ = std::move(collect); }

    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnQueryCancel() override;
    bool OnWizardFinish() override;
    void OnStop();

    // True while the worker of the current run has not ended.
    bool WorkerRunning() const { return workerRunning_.load(); }
    // The stop of the page's run: cleared when a run starts, requested by
    // Stop or by leaving the wizard, cleared by the worker as it ends.
    CStopToken& RunStop() { return runStop_; }

    // The run's messages, handled on this page's thread.
    void OnConvProgress(const char* text, int percent);
    void OnConvLog(const std::string& line);
    int OnCollectSettings();
    bool OnAskPassword(const std::string& attemptLine, std::string& password);
    void OnShowMessage(const std::string& text, MessageKind kind);
    void OnRunStarted(int fileCount);
    void OnRunEnded(RunEnd end, bool showCompletion);

    QString StatusText() const;
    QString PercentText() const;
    int FileProgress() const;
    int OverallProgress() const;
    int OverallMaximum() const;
    QStringList LogLines() const;

private:
    void StartWorker();
    void JoinWorker();
    // Requests the run's stop, lets the worker go on and keeps the events
    // flowing until the worker has cleared it at the end of its run.
    void StopWorkerAndWait();
    void ShowCompletionDialog();

    QLabel* status_;
    QLabel* percent_;
    QProgressBar* fileProgress_;
    QProgressBar* overallProgress_;
    CTipButton* stop_;
    QTreeWidget* log_;
    CTopBanner* banner_;

    std::function<int()> collectSettings_;
    std::unique_ptr<CWizardReceiver> receiver_;
    CStopToken runStop_;
    std::thread worker_;
    std::atomic<bool> workerRunning_{false};
    // The worker's end of run already showed the summary (a failed run
    // that was also stopped): the Stop handler does not show it twice.
    bool summaryShown_ = false;
};

// A status text as the label shows it: longer than 80 characters, "..."
// and the last 77.
QString ShortenedStatusText(const QString& text);
