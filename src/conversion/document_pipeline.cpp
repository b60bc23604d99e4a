#include "conversion/document_pipeline.h"

#include <PDFDoc.h>
#include <XRef.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "capture/capture_output_dev.h"
#include "capture/face_lookup.h"
#include "capture/text_collector.h"
#include "conversion/receiver.h"
#include "conversion/scan_report.h"
#include "conversion/stop_token.h"
#include "fonts/document_fonts.h"
#include "page/page_printer.h"
#include "page/text_item.h"
#include "platform/system_error.h"
#include "platform/temp_path.h"

namespace {

// The page pictures of one document go away on every way out of it.
class CPictureFile {
public:
    CPictureFile() : path_(MakeTempPath()) {}
    ~CPictureFile() { if (!path_.empty()) unlink(path_.c_str()); }
    CPictureFile(const CPictureFile&) = delete;
    CPictureFile& operator=(const CPictureFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Once per file: which pages were scans, and what became of them.
void ReportScans(const PageLoopJob& job)
{
    const CScanReport& scans = *job.scans;
    if (scans.scannedPages.empty())
        return;
    if (!job.recogniseText)
        SendLog(job.receiver, ScannedPagesLine(job.name, scans.scannedPages));
    else if (!scans.textPages.empty())
        SendLog(job.receiver, RecognisedPagesLine(job.name, scans));
}

} // namespace

PageLoopResult ConvertDocument(PageLoopJob job, IPagePrinter& printer, std::string& message)
{
    const CPictureFile picture;
    // The printer that embeds fonts has capture collect their glyphs; the
    // salt keeps the family names of one program apart between documents and
    // page ranges, whose subsets differ.
    const uint64_t salt = (uint64_t(job.firstPage) << 40) ^ (uint64_t(job.lastPage) << 20) ^
                          uint64_t(job.document ? job.document->getXRef()->getNumObjects() : 0);
    DocumentFonts().Reset(printer.EmbedsDocumentFonts(), salt);
    // The file's glyph store and the collector that fills it, page by page;
    // the collector's font decisions hold for this document only.
    std::vector<CTextItem> items;
    CTextCollector collector(ProcessFaceLookup(), items);
    auto device = std::make_unique<CCaptureOutputDev>(collector);
    device->startDoc(job.document);
    // A scan's own text layer is kept only when scans are to get text.
    device->SetKeepInvisibleText(job.recogniseText);
    job.device = device.get();
    job.printer = &printer;
    job.picturePath = picture.Path();
    CScanReport ownScans;
    if (!job.scans)
        job.scans = &ownScans;

    const PageLoopResult pages = ConvertPages(job, message);
    ClearPageText(items);
    if (pages == PageLoopResult::Stopped || StopRequested(job.stop))
        return PageLoopResult::Stopped;
    if (pages != PageLoopResult::Done)
        return pages;
    ReportScans(job);

    if (job.onPageStarted)
        job.onPageStarted(0);
    if (const int error = printer.Finish()) {
        message = job.name + " :Error - " + SystemErrorText(error);
        DocumentFonts().Reset(false);
        return PageLoopResult::WriteFailed;
    }
    if (const std::string fonts = printer.FontReport(); !fonts.empty())
        SendLog(job.receiver, job.name + " :" + fonts);
    // The programs and glyph tables are not needed past the document.
    DocumentFonts().Reset(false);
    return PageLoopResult::Done;
}

bool PagesToConvert(int pageCount, bool allPages, int from, int to, int& first, int& last)
{
    first = 1;
    last = pageCount;
    if (!allPages) {
        first = std::max(from, 1);
        last = std::min(to, pageCount);
    }
    return first <= last;
}
