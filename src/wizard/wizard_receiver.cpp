#include "wizard/wizard_receiver.h"

#include <QMetaObject>
#include <QThread>

#include "wizard/progress_page.h"

namespace {

// Runs `call` on the page's thread and waits for it; called on that thread
// itself it simply runs (a blocking hop to one's own thread would hang).
template <typename Call>
void OnPageThread(CProgressPage* page, Call&& call)
{
    if (QThread::currentThread() == page->thread())
        call();
    else
        QMetaObject::invokeMethod(page, std::forward<Call>(call), Qt::BlockingQueuedConnection);
}

} // namespace

void CWizardReceiver::Log(const std::string& line)
{
    OnPageThread(page_, [&] { page_->OnConvLog(line); });
}

void CWizardReceiver::Progress(const char* text, int percent)
{
    OnPageThread(page_, [&] { page_->OnConvProgress(text, percent); });
}

int CWizardReceiver::CollectSettings()
{
    int count = 0;
    OnPageThread(page_, [&] { count = page_->OnCollectSettings(); });
    return count;
}

bool CWizardReceiver::AskPassword(const std::string& attemptLine, std::string& password)
{
    bool given = false;
    OnPageThread(page_, [&] { given = page_->OnAskPassword(attemptLine, password); });
    return given;
}

void CWizardReceiver::ShowMessage(const std::string& text, MessageKind kind)
{
    OnPageThread(page_, [&] { page_->OnShowMessage(text, kind); });
}

void CWizardReceiver::RunStarted(int fileCount)
{
    OnPageThread(page_, [&] { page_->OnRunStarted(fileCount); });
}

void CWizardReceiver::RunEnded(RunEnd end, bool showCompletion)
{
    OnPageThread(page_, [&] { page_->OnRunEnded(end, showCompletion); });
}
