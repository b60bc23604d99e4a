#include "conversion/file_to_rtf.h"

#include <PDFDoc.h>
#include <stdio.h>

#include <cerrno>

#include <algorithm>
#include <memory>

#include "conversion/document_pipeline.h"
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

// Everything one file owns, destroyed writer first, then the document, then
// the library parameters, whatever path leaves the file.
struct CFileObjects {
    std::unique_ptr<CRtfWriter> writer;
    COpenedPdf pdf;
    std::unique_ptr<CPdfLibrary> library;

    ~CFileObjects()
    {
        writer.reset();
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

// The RTF writer on `rtfPath`, if the disk has room for about twice the
// PDF: Converted, or AbortRun after the run's log line.
FileOutcome OpenRtf(CFileObjects& file, const std::string& rtfPath, IConversionReceiver* receiver)
{
    const uint64_t rtfSpaceKib = 2 * (static_cast<uint64_t>(file.pdf.fileSize) / 1024);
    if (HasFreeSpace(rtfPath, rtfSpaceKib) == 0) {
        SendLog(receiver, "Error : Low disk space.");
        return FileOutcome::AbortRun;
    }
    file.writer = std::make_unique<CRtfWriter>(
        [receiver](const std::string& text) { SendMessage(receiver, text, MessageKind::Error); });
    if (!file.writer->OpenDocument(rtfPath)) {
        SendLog(receiver, "Error : Cannot create new file.");
        return FileOutcome::AbortRun;
    }
    return FileOutcome::Converted;
}

} // namespace

FileRtfResult ConvertFileToRtf(const FileRtfJob& job, IConversionReceiver* receiver)
{
    const std::string& N = job.name;
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
    if (const FileOutcome failed = OpenRtf(file, rtfPath, receiver); failed != FileOutcome::Converted)
        return Outcome(failed);

    PageLoopJob pages;
    if (!PagesToConvert(file.pdf.document->getNumPages(), g_settings.allPages != 0, g_settings.fromPage,
                        g_settings.toPage, pages.firstPage, pages.lastPage)) {
        SendLog(receiver, N + " :Page range is incorrect. Please try again.");
        return Outcome(FileOutcome::Failed);
    }
    pages.document = file.pdf.document.get();
    pages.mode = FlowMode() ? TextMode::Flow : TextMode::Frames;
    pages.withPictures = g_settings.deleteAllGraphics == 0;
    pages.name = N;
    pages.receiver = receiver;
    pages.pageSeconds = job.pageSeconds;
    pages.onPageStarted = job.onPageStarted;
    std::string message;
    const PageLoopResult converted = ConvertDocument(pages, *file.writer, message);
    if (converted == PageLoopResult::Stopped)
        return Outcome(FileOutcome::StopRun);
    if (converted != PageLoopResult::Done)
        return Outcome(FileOutcome::Failed, message);

    int error = 0;
    FileRtfResult result = Outcome(FileOutcome::Converted);
    result.rtfPath = KeepFinishedRtf(rtfPath, error);
    if (error != 0)
        return Outcome(FileOutcome::Failed, N + " :Error - " + SystemErrorText(error));
    result.openedWith = opened.openedWith;
    return result;
}
