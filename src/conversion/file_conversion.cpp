#include "conversion/file_conversion.h"

#include <PDFDoc.h>
#include <stdio.h>

#include <cerrno>

#include <algorithm>
#include <memory>

#include "conversion/document_pipeline.h"
#include "conversion/document_printer.h"
#include "conversion/pdf_library.h"
#include "conversion/pdf_open.h"
#include "conversion/receiver.h"
#include "conversion/scan_report.h"
#include "conversion/stop_token.h"
#include "platform/disk_space.h"
#include "platform/system_error.h"
#include "platform/temp_path.h"

namespace {

// Everything one file owns, destroyed printer first, then the document, then
// the library parameters, whatever path leaves the file.
struct CFileObjects {
    std::unique_ptr<IPagePrinter> printer;
    COpenedPdf pdf;
    std::unique_ptr<CPdfLibrary> library;

    ~CFileObjects()
    {
        printer.reset();
        pdf.document.reset();
        library.reset();
    }
};

FileConversionResult Outcome(FileOutcome outcome, std::string message = {})
{
    FileConversionResult result;
    result.outcome = outcome;
    result.message = std::move(message);
    return result;
}

// A printer may delete its file when it goes; the finished document moves to
// a name of its own first.
std::string KeepFinishedDocument(const std::string& documentPath, int& error)
{
    const std::string kept = MakeTempPath();
    error = 0;
    if (kept.empty() || rename(documentPath.c_str(), kept.c_str()) != 0) {
        error = kept.empty() ? ENOENT : errno;
        return {};
    }
    return kept;
}

// The printer of the run's format on `documentPath`, if the disk has room
// for about twice the PDF: Converted, or AbortRun after the run's log line.
FileOutcome OpenPrinter(CFileObjects& file, const std::string& documentPath, const ConversionOptions& options,
                        IConversionReceiver* receiver)
{
    const uint64_t documentSpaceKib = 2 * (static_cast<uint64_t>(file.pdf.fileSize) / 1024);
    if (HasFreeSpace(documentPath, documentSpaceKib) == 0) {
        SendLog(receiver, "Error : Low disk space.");
        return FileOutcome::AbortRun;
    }
    file.printer = OpenDocumentPrinter(documentPath, options.format, options.embedFonts, receiver);
    if (!file.printer) {
        SendLog(receiver, "Error : Cannot create new file.");
        return FileOutcome::AbortRun;
    }
    return FileOutcome::Converted;
}

} // namespace

FileConversionResult ConvertFileToDocument(const FileConversionJob& job, IConversionReceiver* receiver)
{
    const std::string& N = job.name;
    const ConversionOptions& options = job.options;
    CFileObjects file;
    file.library = std::make_unique<CPdfLibrary>();
    FileConversionResult opened;
    if (OpenPdfWithPassword(job.path, file.pdf, receiver, job.passwords, &opened.openedWith) == 0) {
        SendLog(receiver, N + " :Error - Cannot open PDF file.");
        return Outcome(FileOutcome::Failed);
    }
    if (StopRequested(job.stop))
        return Outcome(FileOutcome::StopRun);

    const std::string documentPath = MakeTempPath();
    if (const FileOutcome failed = OpenPrinter(file, documentPath, options, receiver); failed != FileOutcome::Converted)
        return Outcome(failed);

    PageLoopJob pages;
    if (!PagesToConvert(file.pdf.document->getNumPages(), options.allPages, options.fromPage, options.toPage,
                        pages.firstPage, pages.lastPage)) {
        SendLog(receiver, N + " :Page range is incorrect. Please try again.");
        return Outcome(FileOutcome::Failed);
    }
    pages.document = file.pdf.document.get();
    pages.mode = options.textMode;
    pages.withPictures = !options.deleteGraphics;
    pages.pictureDpi = options.pictureDpi;
    pages.name = N;
    pages.receiver = receiver;
    pages.pageSeconds = job.pageSeconds;
    const int first = pages.firstPage, total = pages.lastPage - pages.firstPage + 1;
    if (job.onPagesDone)
        job.onPagesDone(0, total);
    pages.onPageStarted = [&job, first, total](int page) {
        if (job.onPageStarted)
            job.onPageStarted(page);
        // A page starting means the ones before it are done; 0 means all are.
        if (job.onPagesDone)
            job.onPagesDone(page == 0 ? total : page - first, total);
    };
    pages.recogniseText = options.recogniseText;
    pages.ocrLanguages = options.ocrLanguages;
    pages.stop = job.stop;
    CScanReport scans;
    pages.scans = &scans;
    FileCounts counts;
    pages.counts = &counts;
    std::string message;
    const PageLoopResult converted = ConvertDocument(pages, *file.printer, message);
    FileConversionResult result = Outcome(FileOutcome::Converted);
    if (converted == PageLoopResult::Stopped)
        result = Outcome(FileOutcome::StopRun);
    else if (converted != PageLoopResult::Done)
        result = Outcome(FileOutcome::Failed, message);
    // The pages whose text came from their scans, for the run's report.
    counts.scannedPages = static_cast<int32_t>(scans.textPages.size());
    result.counts = counts;
    result.openedWith = opened.openedWith;
    result.scannedPages = scans.scannedPages;
    result.textPages = scans.textPages;
    result.recognisedWords = scans.recognisedWords;
    if (result.outcome != FileOutcome::Converted)
        return result;

    int error = 0;
    result.documentPath = KeepFinishedDocument(documentPath, error);
    if (error != 0) {
        result.outcome = FileOutcome::Failed;
        result.message = N + " :Error - " + SystemErrorText(error);
    }
    return result;
}
