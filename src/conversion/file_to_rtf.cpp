#include "conversion/file_to_rtf.h"

#include <PDFDoc.h>
#include <stdio.h>

#include <cerrno>

#include <algorithm>
#include <memory>

#include "capture/capture_output_dev.h"
#include "page/text_item.h"
#include "conversion/page_loop.h"
#include "conversion/pdf_library.h"
#include "conversion/pdf_open.h"
#include "conversion/receiver.h"
#include "conversion/settings.h"
#include "conversion/stop_gate.h"
#include "platform/disk_space.h"
#include "platform/system_error.h"
#include "platform/temp_path.h"
#include "rtf/rtf_writer.h"

namespace {

// The page pictures of one file go away on every way out of it.
class CPictureFile {
public:
    explicit CPictureFile(std::string path) : path_(std::move(path)) {}
    ~CPictureFile() { if (!path_.empty()) unlink(path_.c_str()); }
    const std::string& Path() const { return path_; }
private:
    std::string path_;
};

// Everything one file owns, destroyed device first, then the document, then
// the library parameters, whatever path leaves the file.
struct CFileObjects {
    std::unique_ptr<CRtfWriter> writer;
    std::unique_ptr<CCaptureOutputDev> device;
    COpenedPdf pdf;
    std::unique_ptr<CPdfLibrary> library;

    ~CFileObjects()
    {
        writer.reset();
        device.reset();
        pdf.document.reset();
        library.reset();
    }
};

FileRtfResult Outcome(FileOutcome outcome, std::string message = {})
{
    FileRtfResult result;
    result.outcome = outcome;
    result.message = std::move(message);
    return result;
}

// The writer deletes its file when it goes; the finished RTF moves to a
// name of its own first.
std::string KeepFinishedRtf(const std::string& rtfPath, int& error)
{
    const std::string kept = MakeTempPath();
    error = 0;
    if (kept.empty() || rename(rtfPath.c_str(), kept.c_str()) != 0) {
        error = kept.empty() ? ENOENT : errno;
        return {};
    }
    return kept;
}

} // namespace

FileRtfResult ConvertFileToRtf(const FileRtfJob& job, IConversionReceiver* receiver)
{
    const std::string& N = job.name;
    CPictureFile picture(MakeTempPath());

    CFileObjects file;
    file.library = std::make_unique<CPdfLibrary>();
    FileRtfResult opened;
    if (OpenPdfWithPassword(job.path, file.pdf, receiver, job.passwords, &opened.openedWith) == 0) {
        SendLog(receiver, N + " :Error - Cannot open PDF file.");
        return Outcome(FileOutcome::Failed);
    }
    if (StopRequested())
        return Outcome(FileOutcome::StopRun);

    const std::string rtfPath = MakeTempPath();
    const uint64_t rtfSpaceKib = 2 * (static_cast<uint64_t>(file.pdf.fileSize) / 1024);
    if (HasFreeSpace(rtfPath, rtfSpaceKib) == 0) {
        SendLog(receiver, "Error : Low disk space.");
        return Outcome(FileOutcome::AbortRun);
    }
    file.writer = std::make_unique<CRtfWriter>(receiver);
    if (!file.writer->OpenDocument(rtfPath)) {
        SendLog(receiver, "Error : Cannot create new file.");
        return Outcome(FileOutcome::AbortRun);
    }

    int first = 1, last = file.pdf.document->getNumPages();
    if (g_settings.allPages == 0) {
        first = std::max(g_settings.fromPage, 1);
        last = std::min(g_settings.toPage, last);
    }
    if (first > last) {
        SendLog(receiver, N + " :Page range is incorrect. Please try again.");
        return Outcome(FileOutcome::Failed);
    }

    file.device = std::make_unique<CCaptureOutputDev>();
    file.device->startDoc(file.pdf.document.get());

    PageLoopJob pages;
    pages.document = file.pdf.document.get();
    pages.device = file.device.get();
    pages.printer = file.writer.get();
    pages.firstPage = first;
    pages.lastPage = last;
    pages.name = N;
    pages.picturePath = picture.Path();
    pages.receiver = receiver;
    pages.pageSeconds = job.pageSeconds;
    pages.onPageStarted = job.onPageStarted;
    std::string message;
    const PageLoopResult loop = ConvertPages(pages, message);
    ClearPageText();
    if (loop == PageLoopResult::Stopped || StopRequested())
        return Outcome(FileOutcome::StopRun);
    if (loop != PageLoopResult::Done)
        return Outcome(FileOutcome::Failed, message);

    if (job.onPageStarted)
        job.onPageStarted(0);
    int error = file.writer->FinishDocument();
    FileRtfResult result = Outcome(FileOutcome::Converted);
    if (error == 0)
        result.rtfPath = KeepFinishedRtf(rtfPath, error);
    if (error != 0)
        return Outcome(FileOutcome::Failed, N + " :Error - " + SystemErrorText(error));
    result.openedWith = opened.openedWith;
    return result;
}
