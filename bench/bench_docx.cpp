// The .docx printer alone: pages of ordinary text (50 lines of 8 words, each
// word a piece of its own, a 100 kB picture behind) printed and finished,
// in both text modes. Reports milliseconds per page; rendering a page takes
// tens of milliseconds, printing it should cost a small part of that.
//
// BM_DocxPdf runs a real PDF through the page loop into a package and splits
// the time per page into rendering, picture, layout and printing
// (PW_BENCH_DOCX_PDF chooses the PDF; by default the libtasn1 manual when it
// is installed, else the dense text fixture).
#include <benchmark/benchmark.h>

#include <PDFDoc.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "conversion/document_pipeline.h"
#include "conversion/pdf_library.h"
#include "conversion/pdf_open.h"
#include "docx/docx_writer.h"
#include "layout/flow_plan.h"
#include "page/text_item.h"
#include "platform/temp_path.h"

namespace {

constexpr int kLinesPerPage = 50;
constexpr int kWordsPerLine = 8;
constexpr int32_t kLineSpacing = 280;
constexpr int32_t kWordAdvance = 1300;
constexpr size_t kPictureBytes = 100 * 1024;

CTextRun Line(int line)
{
    CTextRun run;
    run.left = 1440;
    run.bottom = 1440 + line * kLineSpacing;
    run.size = 240;
    run.top = run.bottom - run.size;
    run.lineHeight = 240;
    for (int w = 0; w < kWordsPerLine; ++w) {
        CTextPiece piece;
        piece.face = w % 3 == 0 ? "Liberation Serif" : "Liberation Sans";
        piece.halfPoints = 24;
        piece.bold = w == 0;
        piece.charScale = 97;
        for (char16_t ch : std::u16string(u"word") + static_cast<char16_t>(u'a' + w))
            piece.spans.push_back(CTextSpan{std::u16string(1, ch), false});
        piece.spans.push_back(CTextSpan{u" ", false});
        run.pieces.push_back(std::move(piece));
    }
    run.right = run.left + kWordsPerLine * kWordAdvance;
    run.width = run.right - run.left;
    run.face = run.pieces[0].face;
    return run;
}

CPage TextPage(TextMode mode, const std::string& picture)
{
    CPage page;
    page.widthTwips = 12241;
    page.heightTwips = 15841;
    page.mode = mode;
    page.picturePath = picture;
    CRunBlock block;
    CRunColumn column;
    column.width = page.widthTwips;
    CFrameStack stack;
    stack.left = 1440;
    stack.top = 1440 - 300;
    for (int line = 0; line < kLinesPerPage; ++line) {
        page.lineRuns.push_back(Line(line));
        column.runs.push_back(page.lineRuns.back());
        CFrameLine frameLine;
        frameLine.first = static_cast<size_t>(line);
        frameLine.spacing = kLineSpacing;
        stack.lines.push_back(frameLine);
    }
    block.columns.push_back(column);
    page.blocks.push_back(block);
    page.frameStacks.push_back(stack);
    page.facesInFirstUse = {"Liberation Serif", "Liberation Sans"};
    PlanPlaces(page);
    return page;
}

void PrintPages(benchmark::State& state, TextMode mode)
{
    const std::string picture = MakeTempPath() + ".jpeg";
    std::ofstream(picture, std::ios::binary) << std::string(kPictureBytes, 'p');
    CPage page = TextPage(mode, picture);
    const int pages = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const std::string path = MakeTempPath() + ".docx";
        CDocxWriter writer;
        int rc = writer.Open(path);
        for (int n = 1; n <= pages && !rc; ++n) {
            page.number = n;
            rc = writer.PrintPage(page);
        }
        if (!rc)
            rc = writer.Finish();
        if (rc)
            state.SkipWithError("the package could not be written");
        std::remove(path.c_str());
    }
    std::remove(picture.c_str());
    state.counters["ms_per_page"] = benchmark::Counter(
        static_cast<double>(pages) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

std::string BenchPdf()
{
    if (const char* chosen = std::getenv("PW_BENCH_DOCX_PDF"))
        return chosen;
    const char* manual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";
    if (::access(manual, R_OK) == 0)
        return manual;
    return std::string(PW_FIXTURE_DIR) + "/dense_text.pdf";
}

void ConvertPdf(benchmark::State& state, TextMode mode)
{
    const std::string pdfPath = BenchPdf();
    CPdfLibrary library;
    COpenedPdf pdf;
    if (OpenPdfWithPassword(pdfPath, pdf, nullptr) == 0) {
        state.SkipWithError(("cannot open " + pdfPath).c_str());
        return;
    }
    PageLoopTimings total;
    for (auto _ : state) {
        const std::string path = MakeTempPath() + ".docx";
        CDocxWriter writer;
        if (writer.Open(path) != 0) {
            state.SkipWithError("cannot create the package");
            break;
        }
        PageLoopJob job;
        job.document = pdf.document.get();
        job.firstPage = 1;
        job.lastPage = pdf.document->getNumPages();
        job.mode = mode;
        job.name = "bench.pdf";
        job.timings = &total;
        std::string message;
        if (ConvertDocument(job, writer, message) != PageLoopResult::Done)
            state.SkipWithError("the conversion failed");
        std::remove(path.c_str());
    }
    const double pages = total.pages > 0 ? total.pages : 1;
    state.counters["pages"] = total.pages / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.counters["render_ms_per_page"] = 1000 * total.render / pages;
    state.counters["picture_ms_per_page"] = 1000 * total.picture / pages;
    state.counters["layout_ms_per_page"] = 1000 * total.layout / pages;
    state.counters["print_ms_per_page"] = 1000 * total.write / pages;
}

void BM_DocxFlow(benchmark::State& state) { PrintPages(state, TextMode::Flow); }
void BM_DocxFrames(benchmark::State& state) { PrintPages(state, TextMode::Frames); }

}  // namespace

BENCHMARK(BM_DocxFlow)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocxFrames)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_DocxPdf(benchmark::State& state) { ConvertPdf(state, state.range(0) ? TextMode::Frames : TextMode::Flow); }
BENCHMARK(BM_DocxPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_MAIN();
