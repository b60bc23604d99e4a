#pragma once
// Converts a range of pages of an open PDF into pages of a document: render
// with the capture device, page picture, item filter, marking, run
// collection and layout into a page model, PrintPage, progress.
#include <cstdint>
#include <functional>
#include <string>

#include "conversion/file_counts.h"
#include "page/text_run.h"

class PDFDoc;
class CCaptureOutputDev;
class IPagePrinter;
class IConversionReceiver;
class CPageTextAudit;
class CStopToken;
struct CScanReport;

// Seconds spent in each stage, summed over the pages (for the benchmarks).
struct PageLoopTimings {
    double render = 0;    // displayPage, glyph capture included
    double picture = 0;   // JPEG of the page bitmap (and its own rendering, above 96 dpi)
    double layout = 0;    // filter, marking, collectors and the layout passes
    double write = 0;     // PrintPage: the document text and the picture
    double recognise = 0; // text of scanned pages: rendering for the engine, recognition, erasing
    int pages = 0;
};

struct PageLoopJob {
    PDFDoc* document = nullptr;
    CCaptureOutputDev* device = nullptr;   // startDoc already called
    IPagePrinter* printer = nullptr;       // gets each page, ready to print
    int firstPage = 1;
    int lastPage = 1;
    TextMode mode = TextMode::Flow;
    bool withPictures = true;              // false: graphics deleted, no page picture
    // The page picture's resolution; the text is captured at 96 dpi either
    // way and the picture is placed at the page's size.
    int pictureDpi = 96;
    std::string name;                      // the file's name in progress texts
    std::string picturePath;               // the run's picture file
    IConversionReceiver* receiver = nullptr;
    PageLoopTimings* timings = nullptr;    // optional
    // Optional: checks that every item on the page is written exactly once.
    CPageTextAudit* textAudit = nullptr;
    int pageSeconds = 0;                   // time budget of one page; 0 = none
    std::function<void(int page)> onPageStarted;  // optional, before each page
    FileCounts* counts = nullptr;          // optional: pages written and their words are added
    // Scanned pages get their text: from their own text layer, or recognised.
    bool recogniseText = false;
    std::string ocrLanguages;              // for recognition ("eng", "eng+deu")
    CScanReport* scans = nullptr;          // optional: which pages were scans, what they gave
    const CStopToken* stop = nullptr;      // the run's stop; null: the pages are not stopped
};

enum class PageLoopResult {
    Done,         // every page written
    Stopped,      // the job's stop was requested
    WriteFailed,  // PrintPage failed; `message` holds the file's error line
    OverBudget,   // a page took longer than its budget; `message` says which
};

// The file's error line for a page over its time budget.
std::string PageOverBudgetLine(const std::string& name, int page, int seconds);

PageLoopResult ConvertPages(const PageLoopJob& job, std::string& message);

// The resolution at which a page renders within the accepted size, starting
// from `dpi`, applying the size fallback to predicted bitmap sizes. Returns
// the new dpi, or `dpi` itself when the page fits.
int FallbackResolution(int dpi, int width, int height);

// Twips of a page picture side of `pixels` pixels at 96 dpi: integer division
// first, then the ceiling of that plus a half, i.e. one twip more.
int32_t PixelsToPageTwips(int pixels);

// Largest page bitmap accepted as rendered, in pixels.
constexpr int kMaxPageWidthPx = 1239;
constexpr int kMaxPageHeightPx = 1755;
