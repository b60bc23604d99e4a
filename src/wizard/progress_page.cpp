#include "wizard/progress_page.h"

#include <QApplication>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <cstdint>

#include "conversion/conversion_worker.h"
#include "conversion/settings.h"
#include "wizard/conversion_complete_dlg.h"
#include "wizard/dialog_units.h"
#include "wizard/link_opener.h"
#include "wizard/message_box.h"
#include "wizard/password_dlg.h"
#include "wizard/property_sheet.h"
#include "wizard/tip_button.h"
#include "wizard/top_banner.h"
#include "wizard/wizard_receiver.h"

namespace {

constexpr int kProgressTemplateId = 110;
constexpr int kBannerId = 0xFFF0;
constexpr int kLogColumnWidth = 400; // pixels
// How often the stop wait looks at the flag while it keeps events flowing.
constexpr int kStopPollMs = 10;
// Pause after the worker has cleared the flag, before the page is updated.
constexpr int kAfterStopPauseMs = 100;
// The part of a long status text that is kept, after the "...".
constexpr int kStatusTailLength = kStatusTextLimit - 3;

const QString kWorking = QStringLiteral("Working...");
const QString kStopping = QStringLiteral("Stopping...");
const QString kStopped = QStringLiteral("Stopped !");
const QString kSomeError = QStringLiteral("Some error occurred.");
const QString kComplete = QStringLiteral("Conversion complete !");

QProgressBar* MakeBar(QWidget* parent, int id, int x, int y, int width, int height)
{
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    PlaceControl(bar, id, x, y, width, height);
    return bar;
}

unsigned IconStyle(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error: return MB_ICONHAND;
    case MessageKind::Warning: return MB_ICONEXCLAMATION;
    case MessageKind::Information: return MB_ICONASTERISK;
    }
    return MB_OK;
}

// Restores the normal cursor however the wait ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

QString ShortenedStatusText(const QString& text)
{
    if (text.size() <= kStatusTextLimit)
        return text;
    return QStringLiteral("...") + text.right(kStatusTailLength);
}

CProgressPage::CProgressPage(QWidget* parent) : CVovirPropertyPage(kProgressTemplateId, parent)
{
    status_ = new QLabel(kWorking, this);
    PlaceControl(status_, kStatusLabelId, 11, 57, 250, 8);
    percent_ = new QLabel(QStringLiteral("---"), this);
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceControl(percent_, kPercentLabelId, 265, 57, 20, 8);
    fileProgress_ = MakeBar(this, kFileProgressId, 10, 80, 278, 7);
    stop_ = new CTipButton(QStringLiteral("&Stop"), this);
    PlaceControl(stop_, kStopButtonId, 301, 78, 49, 14);
    overallProgress_ = MakeBar(this, kOverallProgressId, 10, 94, 278, 7);
    log_ = new QTreeWidget(this);
    PlaceControl(log_, kLogListId, 10, 112, 277, 107);
    log_->setRootIsDecorated(false);
    log_->setColumnCount(1);
    log_->setHeaderLabels({QString()});
    log_->header()->setSectionsClickable(false);
    log_->header()->setStretchLastSection(false);
    log_->setColumnWidth(0, kLogColumnWidth);
    log_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(stop_, &QPushButton::clicked, this, &CProgressPage::OnStop);
    receiver_ = std::make_unique<CWizardReceiver>(this);
}

CProgressPage::~CProgressPage()
{
    // The wizard only closes once a running worker has been stopped; what
    // is left of it finishes without calling back.
    if (WorkerRunning()) {
        runStop_.Request();
        runStop_.OpenGate();
    }
    JoinWorker();
}

void CProgressPage::OnInitDialog()
{
    banner_ = new CTopBanner;
    banner_->Attach(this, CTopBanner::kAttachTop, kBannerId);
    banner_->SetLinkTarget(kProductWebPage);
}

void CProgressPage::OnSetActive()
{
    if (CPropertySheet* sheet = Sheet()) {
        sheet->Button(WizardButton::Back)->setEnabled(false);
        sheet->Button(WizardButton::Next)->hide();
        sheet->Button(WizardButton::Finish)->show();
        sheet->Button(WizardButton::Finish)->setEnabled(false);
        sheet->Button(WizardButton::Cancel)->setEnabled(true);
    }
    status_->setText(kWorking);
    // A new run has no percentage yet, whatever the last one ended with.
    percent_->setText(QStringLiteral("---"));
    fileProgress_->setRange(0, 100);
    log_->clear();
    fileProgress_->setValue(0);
    overallProgress_->setValue(0);
    runStop_.Clear();
    stop_->setEnabled(true);
    StartWorker();
}

void CProgressPage::StartWorker()
{
    // There is never more than one run: the previous one has ended by now
    // (Back is only enabled once it has), so this join does not wait.
    JoinWorker();
    summaryShown_ = false;
    workerRunning_ = true;
    worker_ = std::thread([this] {
        ConversionWorker(receiver_.get(), runStop_);
        workerRunning_ = false;
    });
}

void CProgressPage::JoinWorker()
{
    if (worker_.joinable())
        worker_.join();
}

void CProgressPage::StopWorkerAndWait()
{
    WaitCursor cursor;
    runStop_.Request();
    runStop_.OpenGate();
    status_->setText(kStopping);
    // The worker's calls are synchronous: it can only reach the end of its
    // run while this thread keeps handling them.
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
        if (!runStop_.Requested())
            loop.quit();
    });
    poll.start(kStopPollMs);
    if (runStop_.Requested())
        loop.exec();
    QThread::msleep(kAfterStopPauseMs);
}

void CProgressPage::OnStop()
{
    stop_->setEnabled(false);
    if (!WorkerRunning()) {
        PwMessageBox(this, QStringLiteral("Conversion is finished already."), MB_OK);
        return;
    }
    runStop_.CloseGate();
    const int answer = PwMessageBox(
        this, QStringLiteral("Conversion is in progress. Do you really want to stop the process ?"), MB_YESNO);
    if (answer != IDYES) {
        stop_->setEnabled(true);
        runStop_.OpenGate();
        return;
    }
    repaint();
    StopWorkerAndWait();
    status_->setText(kStopped);
    OnConvLog("Stopped.");
    percent_->clear();
    fileProgress_->setValue(0);
    overallProgress_->setValue(0);
    if (CPropertySheet* sheet = Sheet()) {
        sheet->Button(WizardButton::Back)->setEnabled(true);
        sheet->Button(WizardButton::Finish)->setEnabled(true);
    }
    repaint();
    if (!g_convertedFiles.empty() && !summaryShown_)
        ShowCompletionDialog();
}

bool CProgressPage::OnQueryCancel()
{
    if (!WorkerRunning())
        return AskToExit();
    runStop_.CloseGate();
    const int answer =
        PwMessageBox(this, QStringLiteral("Application is still working.\nDo you still want to exit ?"), MB_YESNO);
    if (answer != IDYES) {
        runStop_.OpenGate();
        return false;
    }
    StopWorkerAndWait();
    status_->setText(kStopped);
    percent_->clear();
    fileProgress_->setValue(0);
    return true;
}

bool CProgressPage::OnWizardFinish() { return AskToExit(); }

void CProgressPage::OnConvProgress(const char* text, int percent)
{
    if (percent == kFileDoneProgress) {
        overallProgress_->setValue(overallProgress_->value() + 1);
        return;
    }
    status_->setText(ShortenedStatusText(text ? QString::fromUtf8(text) : QString()));
    percent_->setText(QStringLiteral("%1%").arg(percent));
    fileProgress_->setValue(percent);
}

void CProgressPage::OnConvLog(const std::string& line)
{
    const QString text = QString::fromStdString(line);
    auto* item = new QTreeWidgetItem(log_, {text});
    // Long lines (saved paths) are cut at the column's edge; the tip has all.
    item->setToolTip(0, text);
    log_->scrollToItem(item);
}

int CProgressPage::OnCollectSettings() { return collectSettings_ ? collectSettings_() : 0; }

bool CProgressPage::OnAskPassword(const std::string& attemptLine, std::string& password)
{
    CPasswordDlg dialog(window());
    dialog.SetAttemptText(QString::fromStdString(attemptLine));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    password = dialog.Password().toStdString();
    return true;
}

void CProgressPage::OnShowMessage(const std::string& text, MessageKind kind)
{
    PwMessageBox(this, QString::fromStdString(text), IconStyle(kind));
}

void CProgressPage::OnRunStarted(int fileCount)
{
    // The overall bar counts files in 16 bits, as its range always has.
    overallProgress_->setRange(0, static_cast<uint16_t>(fileCount));
    overallProgress_->setValue(0);
}

void CProgressPage::OnRunEnded(RunEnd end, bool showCompletion)
{
    CPropertySheet* sheet = Sheet();
    if (end == RunEnd::FolderFailed) {
        status_->setText(kSomeError);
        percent_->clear();
        fileProgress_->setValue(0);
        overallProgress_->setValue(0);
        if (sheet)
            sheet->Button(WizardButton::Back)->setEnabled(true);
        stop_->setEnabled(false);
        return;
    }
    switch (end) {
    case RunEnd::Failed:
        status_->setText(kSomeError);
        percent_->clear();
        fileProgress_->setValue(0);
        overallProgress_->setValue(0);
        break;
    case RunEnd::Stopped:
        status_->setText(kStopped);
        fileProgress_->setValue(0);
        overallProgress_->setValue(0);
        break;
    default:
        status_->setText(kComplete);
        percent_->setText(QStringLiteral("100%"));
        break;
    }
    if (showCompletion) {
        summaryShown_ = true;
        ShowCompletionDialog();
    }
    if (sheet) {
        sheet->Button(WizardButton::Back)->setEnabled(true);
        sheet->Button(WizardButton::Finish)->setEnabled(true);
        sheet->SetDefaultButton(WizardButton::Finish);
        if (!runStop_.Requested())
            sheet->Button(WizardButton::Cancel)->setEnabled(false);
    }
    stop_->setEnabled(false);
}

void CProgressPage::ShowCompletionDialog()
{
    CConversionCompleteDlg dialog(g_convertedFiles, g_outputSubfolder, this);
    dialog.exec();
}

QString CProgressPage::StatusText() const { return status_->text(); }
QString CProgressPage::PercentText() const { return percent_->text(); }
int CProgressPage::FileProgress() const { return fileProgress_->value(); }
int CProgressPage::OverallProgress() const { return overallProgress_->value(); }
int CProgressPage::OverallMaximum() const { return overallProgress_->maximum(); }

QStringList CProgressPage::LogLines() const
{
    QStringList lines;
    for (int i = 0; i < log_->topLevelItemCount(); ++i)
        lines << log_->topLevelItem(i)->text(0);
    return lines;
}
