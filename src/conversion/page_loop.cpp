#include "conversion/page_loop.h"

#include <PDFDoc.h>
#include <splash/SplashBitmap.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "capture/accent_joining.h"
#include "capture/capture_output_dev.h"
#include "conversion/page_picture.h"
#include "conversion/page_words.h"
#include "conversion/pdf_library.h"
#include "conversion/receiver.h"
#include "conversion/scan_report.h"
#include "conversion/scan_text.h"
#include "conversion/stop_token.h"
#include "layout/overlay_marking.h"
#include "layout/page_layout.h"
#include "layout/run_collectors.h"
#include "page/page.h"
#include "page/page_printer.h"
#include "page/text_item.h"
#include "platform/system_error.h"
#include "rtf/rtf_writer.h"
#include "layout/text_audit.h"

namespace {

// Pages are rendered at screen resolution; every later unit assumes it.
constexpr int kPageDpi = 96;
// The fallback divides the resolution by how many times a page of this size
// fits; a smaller overshoot lowers it by a third instead.
constexpr int kFallbackWidthUnit = 826;
constexpr int kFallbackHeightUnit = 1170;
constexpr double kFallbackShrink = 0.6666666666666666;
constexpr int kPictureQuality = 100;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool TooLarge(int width, int height)
{
    return width > kMaxPageWidthPx || height > kMaxPageHeightPx;
}

// Bitmap size the library will make for page `page` at `dpi` (its own
// formula, crop box, page rotation applied).
void PredictBitmapSize(PDFDoc* doc, int page, int dpi, int& width, int& height)
{
    double w = doc->getPageCropWidth(page) * dpi / 72.0;
    double h = doc->getPageCropHeight(page) * dpi / 72.0;
    const int rotate = ((doc->getPageRotate(page) % 360) + 360) % 360;
    if (rotate == 90 || rotate == 270)
        std::swap(w, h);
    width = static_cast<int>(w + 0.5);
    height = static_cast<int>(h + 0.5);
}

// The glyph shows on the page: its box reaches onto it horizontally, its
// baseline lies on it.
bool KeepItem(const CTextItem& item, int W, int H)
{
    const double right = item.x + item.width;
    return item.x <= W && right >= 0 && item.y >= 0 && item.y <= H;
}

void FilterPageItems(std::vector<CTextItem>& items, int W, int H, bool flow)
{
    // Flow mode keeps every glyph that shows on the page, as frame mode does:
    // one that only reaches over an edge is part of its line and would
    // otherwise be lost. A glyph starting left of the page is moved onto it,
    // because flowing paragraphs have no negative indents.
    items.erase(std::remove_if(items.begin(), items.end(),
                               [&](const CTextItem& item) { return !KeepItem(item, W, H); }),
                items.end());
    if (flow)
        for (CTextItem& item : items)
            item.x = std::max(item.x, 0.0);
    items.shrink_to_fit();
}

// What the library's abort check looks at while it draws a page: a stop, or
// the page's time budget running out.
struct PageAbortState {
    const CStopToken* stop = nullptr;
    bool hasDeadline = false;
    Clock::time_point deadline;
};

bool PastDeadline(const PageAbortState& state)
{
    return state.hasDeadline && Clock::now() >= state.deadline;
}

bool AbortPage(void* data)
{
    const auto* state = static_cast<const PageAbortState*>(data);
    return StopRequestedNow(state->stop) || PastDeadline(*state);
}

} // namespace

std::string PageOverBudgetLine(const std::string& name, int page, int seconds)
{
    return name + " :Error - Page " + std::to_string(page) + " took longer than " + std::to_string(seconds) +
           " seconds; the file was given up.";
}

int32_t PixelsToPageTwips(int pixels)
{
    return static_cast<int32_t>(std::ceil(pixels * 1440 / 96 + 0.5));
}

int FallbackResolution(int dpi, int width, int height)
{
    if (!TooLarge(width, height))
        return dpi;
    const int k = std::max(width / kFallbackWidthUnit, height / kFallbackHeightUnit);
    const int lowered = k >= 2 ? dpi / k : static_cast<int>(dpi * kFallbackShrink);
    // A resolution below one dot per inch renders nothing; stay at one.
    return std::max(lowered, 1);
}


namespace {

// One pass of the page loop over a range: the page model and the collectors
// that fill it, the running page's time budget and resolution.
class CPageLoop {
public:
    CPageLoop(const PageLoopJob& job, std::string& message) : job_(job), message_(message), collectors_(page_)
    {
        abort_.stop = job.stop;
    }
    PageLoopResult Run();

private:
    // The page's budget starts when the page is first rendered; a page
    // rendered again at a lower resolution keeps it.
    void StartBudget(int page);
    // Lowers the resolution before rendering rather than after: the result
    // is the same as rendering and retrying, without the huge discarded
    // bitmaps a poster-sized page would allocate.
    void LowerResolutionForPredictedSize(int page);
    void Render(int page);
    // True when the picture has a resolution of its own.
    bool SharpPictureWanted() const;
    // The picture rendered again at its own resolution, the glyphs kept out
    // as the capture decided. The capture's bitmap is taken out of the
    // device first, into `captured`, for the scan's text. Null when the
    // render was stopped or ran out of time.
    SplashBitmap* SharpPicture(int page, std::unique_ptr<SplashBitmap>& captured);
    bool OverBudget(int page);
    void StartPageModel(int page, int width, int height);
    void SavePicture(SplashBitmap& bitmap);
    // A scanned page gets its text (under recogniseText), its words erased
    // from the captured bitmap and the sharp picture, if any; false when the
    // page's budget ran out meanwhile.
    bool NoteScan(int page, SplashBitmap* bitmap, SplashBitmap* sharp);
    // Item filter, accents, marking, run collection and the layout passes.
    void CollectAndLayOut(int width, int height);
    // PrintPage, with the text check around it when one is asked for.
    int Print(int page);
    void ReportProgress(int page);

    const PageLoopJob& job_;
    std::string& message_;
    CPage page_;
    CRunCollectors collectors_;
    PageAbortState abort_;
    int budgetPage_ = 0;
    int dpi_ = kPageDpi;
    long long drawingErrors_ = 0;  // the library's errors while the page was drawn
};

void CPageLoop::StartBudget(int page)
{
    budgetPage_ = page;
    abort_.hasDeadline = job_.pageSeconds > 0;
    abort_.deadline = Clock::now() + std::chrono::seconds(job_.pageSeconds);
    if (job_.onPageStarted)
        job_.onPageStarted(page);
}

void CPageLoop::LowerResolutionForPredictedSize(int page)
{
    int width = 0, height = 0;
    PredictBitmapSize(job_.document, page, dpi_, width, height);
    while (TooLarge(width, height) && dpi_ > 1) {
        dpi_ = FallbackResolution(dpi_, width, height);
        PredictBitmapSize(job_.document, page, dpi_, width, height);
    }
}

void CPageLoop::Render(int page)
{
    ClearPageText(job_.device->PageItems());
    const auto start = Clock::now();
    const long long errorsBefore = PdfDrawingErrorCount();
    job_.document->displayPage(job_.device, page, dpi_, dpi_, 0, false, true, false, AbortPage, &abort_);
    drawingErrors_ = PdfDrawingErrorCount() - errorsBefore;
    if (job_.timings)
        job_.timings->render += SecondsSince(start);
}

bool CPageLoop::OverBudget(int page)
{
    if (!PastDeadline(abort_))
        return false;
    message_ = PageOverBudgetLine(job_.name, page, job_.pageSeconds);
    return true;
}

void CPageLoop::StartPageModel(int page, int width, int height)
{
    page_.Clear();
    page_.number = page;
    page_.mode = job_.mode;
    page_.widthTwips = PixelsToPageTwips(width);
    page_.heightTwips = PixelsToPageTwips(height);
}

bool CPageLoop::SharpPictureWanted() const
{
    return job_.withPictures && job_.pictureDpi != kPageDpi && job_.pictureDpi > 0;
}

SplashBitmap* CPageLoop::SharpPicture(int page, std::unique_ptr<SplashBitmap>& captured)
{
    captured.reset(job_.device->takeBitmap());
    // A page the size fallback rendered at a lower resolution gets its
    // picture lowered in the same ratio: the limit grows with the picture's
    // resolution, and the picture keeps its size relative to the text.
    const double dpi = job_.pictureDpi * (static_cast<double>(dpi_) / kPageDpi);
    const auto start = Clock::now();
    job_.device->SetPicturePass(true);
    job_.document->displayPage(job_.device, page, dpi, dpi, 0, false, true, false, AbortPage, &abort_);
    job_.device->SetPicturePass(false);
    if (job_.timings)
        job_.timings->picture += SecondsSince(start);
    if (StopRequested(job_.stop) || PastDeadline(abort_))
        return nullptr;
    return job_.device->getBitmap();
}

void CPageLoop::SavePicture(SplashBitmap& bitmap)
{
    const auto start = Clock::now();
    CBitmapInfoHeader header;
    header.biWidth = bitmap.getWidth();
    header.biHeight = bitmap.getHeight();
    std::string errorText;
    if (SaveBitmapAsJpeg(bitmap.getDataPtr(), header, kPictureQuality, job_.picturePath, &errorText) == kJpegOk)
        page_.picturePath = job_.picturePath;
    if (job_.timings)
        job_.timings->picture += SecondsSince(start);
}

bool CPageLoop::NoteScan(int page, SplashBitmap* bitmap, SplashBitmap* sharp)
{
    if (!IsScannedPage(job_.device->ScanFacts()))
        return true;
    if (job_.scans) {
        job_.scans->scannedPages.push_back(page);
        if (drawingErrors_ > 0 && !job_.scans->damageLogged) {
            job_.scans->damageLogged = true;
            SendLog(job_.receiver, DamagedScanLine(job_.name, page, LastPdfDrawingError()));
        }
    }
    if (!job_.recogniseText)
        return true;
    const auto start = Clock::now();
    CScanTextJob scan;
    scan.document = job_.document;
    scan.page = page;
    scan.pictureDpi = dpi_;
    scan.picture = job_.withPictures ? bitmap : nullptr;
    scan.sharpPicture = job_.withPictures ? sharp : nullptr;
    scan.sharpScale = static_cast<double>(job_.pictureDpi) / kPageDpi;
    scan.textLayer = &job_.device->InvisibleItems();
    scan.languages = job_.ocrLanguages;
    scan.cancel = [this] { return AbortPage(&abort_); };
    const CScanTextResult text = AddScanText(scan, job_.device->PageItems());
    if (job_.timings)
        job_.timings->recognise += SecondsSince(start);
    if (!text.engineError.empty() && job_.scans && !job_.scans->engineFailureLogged) {
        job_.scans->engineFailureLogged = true;
        SendLog(job_.receiver, RecognitionUnavailableLine(job_.name, text.engineError));
    }
    if (text.words > 0 && job_.scans) {
        job_.scans->textPages.push_back(page);
        job_.scans->recognisedWords += text.words;
    }
    return !PastDeadline(abort_);
}

void CPageLoop::CollectAndLayOut(int width, int height)
{
    const auto start = Clock::now();
    std::vector<CTextItem>& items = job_.device->PageItems();
    FilterPageItems(items, width, height, job_.mode == TextMode::Flow);
    JoinSpacingAccents(items);
    // The filter keeps every glyph that shows on the page; the check
    // counts them once their accents are joined.
    if (job_.textAudit)
        job_.textAudit->NoteItems(items);
    MarkPageItems(items, job_.mode);
    CollectPageRuns(items, job_.mode, kPageDpi, collectors_);
    LayOutPage(page_);
    if (job_.timings)
        job_.timings->layout += SecondsSince(start);
}

int CPageLoop::Print(int page)
{
    const auto start = Clock::now();
    const int error = job_.printer->PrintPage(page_);
    if (job_.textAudit && error == 0)
        job_.textAudit->CheckPage(page, page_);
    if (job_.timings) {
        job_.timings->write += SecondsSince(start);
        ++job_.timings->pages;
    }
    return error;
}

void CPageLoop::ReportProgress(int page)
{
    const int pageCount = job_.lastPage - job_.firstPage + 1;
    const int place = page - job_.firstPage;
    const int percent = (100 * place + 99) / pageCount;
    const std::string text =
        job_.name + " : page " + std::to_string(place + 1) + " of " + std::to_string(pageCount);
    SendProgress(job_.receiver, text.c_str(), percent);
}

PageLoopResult CPageLoop::Run()
{
    // The picture pass replays the capture's choice of glyphs left in the picture.
    job_.device->SetRecordGlyphChoices(SharpPictureWanted());
    for (int page = job_.firstPage; page <= job_.lastPage;) {
        if (StopRequested(job_.stop))
            return PageLoopResult::Stopped;
        if (budgetPage_ != page)
            StartBudget(page);
        LowerResolutionForPredictedSize(page);
        Render(page);
        if (StopRequested(job_.stop))
            return PageLoopResult::Stopped;
        if (OverBudget(page))
            return PageLoopResult::OverBudget;

        SplashBitmap* bitmap = job_.device->getBitmap();
        const int width = bitmap ? bitmap->getWidth() : 0;
        const int height = bitmap ? bitmap->getHeight() : 0;
        if (TooLarge(width, height) && dpi_ > 1) {
            dpi_ = FallbackResolution(dpi_, width, height);
            continue;  // render the same page again
        }

        StartPageModel(page, width, height);
        std::unique_ptr<SplashBitmap> captured;
        SplashBitmap* sharp = nullptr;
        if (bitmap && SharpPictureWanted()) {
            sharp = SharpPicture(page, captured);
            if (StopRequested(job_.stop))
                return PageLoopResult::Stopped;
            if (OverBudget(page))
                return PageLoopResult::OverBudget;
            bitmap = captured.get();
        }
        if (!NoteScan(page, bitmap, sharp) && OverBudget(page))
            return PageLoopResult::OverBudget;
        if (StopRequested(job_.stop))
            return PageLoopResult::Stopped;
        if (job_.withPictures && bitmap)
            SavePicture(sharp ? *sharp : *bitmap);
        CollectAndLayOut(width, height);
        if (OverBudget(page))
            return PageLoopResult::OverBudget;
        if (const int error = Print(page)) {
            message_ = job_.name + " :Error - " + SystemErrorText(error);
            return PageLoopResult::WriteFailed;
        }
        if (job_.counts) {
            ++job_.counts->pages;
            job_.counts->words += CountPageWords(page_);
        }
        ReportProgress(page);
        dpi_ = kPageDpi;
        ++page;
    }
    return PageLoopResult::Done;
}

} // namespace

PageLoopResult ConvertPages(const PageLoopJob& job, std::string& message)
{
    CPageLoop loop(job, message);
    return loop.Run();
}
