#include "conversion/page_loop.h"

#include <PDFDoc.h>
#include <splash/SplashBitmap.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "capture/accent_joining.h"
#include "capture/capture_output_dev.h"
#include "conversion/page_picture.h"
#include "conversion/receiver.h"
#include "conversion/settings.h"
#include "conversion/stop_gate.h"
#include "layout/overlay_marking.h"
#include "layout/page_layout.h"
#include "layout/run_collectors.h"
#include "page/page.h"
#include "page/page_printer.h"
#include "page/text_item.h"
#include "platform/system_error.h"
#include "rtf/rtf_writer.h"
#include "rtf/text_audit.h"

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

void FilterPageItems(int W, int H, bool flow)
{
    auto& items = PageTextItems();
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
    return g_settings.stopRequested.load() != 0 || PastDeadline(*state);
}

} // namespace

std::string PageOverBudgetLine(const std::string& name, int page, int seconds)
{
    return name + " :Error - Page " + std::to_string(page) + " took longer than " + std::to_string(seconds) +
           " seconds; the file was given up.";
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

PageLoopResult ConvertPages(const PageLoopJob& job, std::string& message)
{
    const TextMode mode = FlowMode() ? TextMode::Flow : TextMode::Frames;
    const bool flow = mode == TextMode::Flow;
    IPagePrinter& printer = *job.printer;
    CPage pageModel;
    CRunCollectors collectors(pageModel);
    const int pageCount = job.lastPage - job.firstPage + 1;
    int dpi = kPageDpi;
    PageAbortState abortState;
    int budgetPage = 0;  // the page whose budget runs

    for (int page = job.firstPage; page <= job.lastPage;) {
        if (StopRequested())
            return PageLoopResult::Stopped;
        // A page rendered again at a lower resolution keeps its first budget.
        if (budgetPage != page) {
            budgetPage = page;
            abortState.hasDeadline = job.pageSeconds > 0;
            abortState.deadline = Clock::now() + std::chrono::seconds(job.pageSeconds);
            if (job.onPageStarted)
                job.onPageStarted(page);
        }

        // Lower the resolution before rendering rather than after: the result
        // is the same as rendering and retrying, without the huge discarded
        // bitmaps a poster-sized page would allocate.
        int predictedWidth = 0, predictedHeight = 0;
        PredictBitmapSize(job.document, page, dpi, predictedWidth, predictedHeight);
        while (TooLarge(predictedWidth, predictedHeight) && dpi > 1) {
            dpi = FallbackResolution(dpi, predictedWidth, predictedHeight);
            PredictBitmapSize(job.document, page, dpi, predictedWidth, predictedHeight);
        }

        ClearPageText();
        auto start = Clock::now();
        job.document->displayPage(job.device, page, dpi, dpi, 0, false, true, false, AbortPage, &abortState);
        if (job.timings)
            job.timings->render += SecondsSince(start);
        if (StopRequested())
            return PageLoopResult::Stopped;
        if (PastDeadline(abortState)) {
            message = PageOverBudgetLine(job.name, page, job.pageSeconds);
            return PageLoopResult::OverBudget;
        }

        SplashBitmap* bitmap = job.device->getBitmap();
        const int width = bitmap ? bitmap->getWidth() : 0;
        const int height = bitmap ? bitmap->getHeight() : 0;
        if (TooLarge(width, height) && dpi > 1) {
            dpi = FallbackResolution(dpi, width, height);
            continue;  // render the same page again
        }

        pageModel.Clear();
        pageModel.number = page;
        pageModel.mode = mode;
        pageModel.widthTwips = PixelsToPageTwips(width);
        pageModel.heightTwips = PixelsToPageTwips(height);

        if (g_settings.deleteAllGraphics == 0 && bitmap) {
            start = Clock::now();
            CBitmapInfoHeader header;
            header.biWidth = width;
            header.biHeight = height;
            std::string errorText;
            if (SaveBitmapAsJpeg(bitmap->getDataPtr(), header, kPictureQuality, job.picturePath,
                                 &errorText) == kJpegOk)
                pageModel.picturePath = job.picturePath;
            if (job.timings)
                job.timings->picture += SecondsSince(start);
        }

        start = Clock::now();
        FilterPageItems(width, height, flow);
        JoinSpacingAccents();
        // The filter keeps every glyph that shows on the page; the check
        // counts them once their accents are joined.
        if (job.textAudit)
            job.textAudit->NoteItems(PageTextItems());
        MarkPageItems(PageTextItems(), mode);
        CollectPageRuns(PageTextItems(), mode, kPageDpi, collectors);
        LayOutPage(pageModel);
        if (job.timings)
            job.timings->layout += SecondsSince(start);
        if (PastDeadline(abortState)) {
            message = PageOverBudgetLine(job.name, page, job.pageSeconds);
            return PageLoopResult::OverBudget;
        }

        start = Clock::now();
        std::string pageRtf;
        CRtfWriter* audited = job.textAudit ? job.auditedWriter : nullptr;
        if (audited)
            audited->EchoBodyInto(&pageRtf);
        const int error = printer.PrintPage(pageModel);
        if (audited)
            audited->EchoBodyInto(nullptr);
        if (audited && error == 0)
            job.textAudit->CheckPage(page, pageRtf);
        if (job.timings) {
            job.timings->write += SecondsSince(start);
            ++job.timings->pages;
        }
        if (error != 0) {
            message = job.name + " :Error - " + SystemErrorText(error);
            return PageLoopResult::WriteFailed;
        }

        const int place = page - job.firstPage;
        const int percent = (100 * place + 99) / pageCount;
        char text[512];
        std::snprintf(text, sizeof text, "%s : page %d of %d", job.name.c_str(), place + 1, pageCount);
        SendProgress(job.receiver, text, percent);

        dpi = kPageDpi;
        ++page;
    }
    return PageLoopResult::Done;
}
