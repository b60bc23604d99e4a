// The office step alone: LibreOffice turning the RTF of 8, 16, 32 and 64
// pages of many small runs into a .doc, in flow and frame mode. The RTFs are
// made once per case by the real page loop (pictures included); each
// iteration is one ConvertWithOffice on the running instance, which is
// started before the first case. Counters: seconds per page, the load
// (import and first layout) and store (export) split, and what the RTF asks
// the suite to lay out: frames, shapes, sections and column sections.
//
//   build/bench/bench_office [--benchmark_filter=...] [--benchmark_repetitions=3]
//   PW_BENCH_OFFICE_FORMAT=docx  stores .docx instead of .doc
//   PW_BENCH_OFFICE_KEEP=DIR     keeps the PDFs and RTFs of the cases in DIR
#include <benchmark/benchmark.h>

#include <PDFDoc.h>
#include <goo/GooString.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "conversion/document_pipeline.h"
#include "conversion/pdf_library.h"
#include "conversion/settings.h"
#include "generated_pages.h"
#include "office/office_suite.h"
#include "platform/file_copy.h"
#include "platform/temp_path.h"
#include "rtf/rtf_writer.h"

namespace fs = std::filesystem;

namespace {

enum Kind { kWordByWord = 0, kFormRows = 1 };

// What the suite is asked to lay out, counted in the RTF.
struct RtfCounts {
    long frames = 0;          // positioned paragraphs (\posx)
    long shapes = 0;          // {\shp groups: pictures and text boxes
    long sections = 0;        // \sect breaks
    long columnSections = 0;  // sections of more than one column (\colsN, N > 1)
};

bool ControlWordAt(const std::string& text, size_t at, const std::string& word)
{
    if (text.compare(at, word.size(), word) != 0)
        return false;
    const size_t end = at + word.size();
    return end >= text.size() || !std::isalpha(static_cast<unsigned char>(text[end]));
}

RtfCounts CountRtf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RtfCounts counts;
    for (size_t at = text.find('\\'); at != std::string::npos; at = text.find('\\', at + 1)) {
        if (ControlWordAt(text, at, "\\posx"))
            ++counts.frames;
        else if (ControlWordAt(text, at, "\\sect"))
            ++counts.sections;
        else if (ControlWordAt(text, at, "\\shp") && at > 0 && text[at - 1] == '{')
            ++counts.shapes;
        else if (ControlWordAt(text, at, "\\cols") && at + 5 < text.size() && text[at + 5] != '1')
            ++counts.columnSections;
    }
    return counts;
}

class CBenchFolder {
public:
    CBenchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "pw-bench-office-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~CBenchFolder()
    {
        std::error_code ec;
        if (!path_.empty())
            fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

CBenchFolder& Folder()
{
    static CBenchFolder folder;
    return folder;
}

// Runs the page loop over `pdfPath` into `rtfPath`, as a conversion does.
bool WriteRtf(const std::string& pdfPath, const std::string& rtfPath, bool frames)
{
    CPdfLibrary library;
    auto document = std::make_unique<PDFDoc>(std::make_unique<GooString>(pdfPath.c_str()));
    if (!document->isOk())
        return false;
    const std::string workPath = MakeTempPath();
    CRtfWriter writer;
    if (!writer.OpenDocument(workPath))
        return false;
    PageLoopJob job;
    job.document = document.get();
    job.firstPage = 1;
    job.lastPage = document->getNumPages();
    job.mode = frames ? TextMode::Frames : TextMode::Flow;
    job.name = "bench.pdf";
    std::string message;
    return ConvertDocument(job, writer, message) == PageLoopResult::Done && CopyToNewFile(workPath, rtfPath) == 0;
}

// The RTF of one case, made on first use.
const std::string& CaseRtf(Kind kind, int pages, bool frames)
{
    static std::map<std::tuple<int, int, bool>, std::string> made;
    auto key = std::make_tuple(static_cast<int>(kind), pages, frames);
    auto it = made.find(key);
    if (it != made.end())
        return it->second;
    const std::string stem = Folder().Path() + "/" + (kind == kWordByWord ? "words" : "rows") + "-" +
                             std::to_string(pages) + (frames ? "-frames" : "-flow");
    const std::string pdfPath = stem + ".pdf";
    {
        std::ofstream pdf(pdfPath, std::ios::binary | std::ios::trunc);
        const std::string data = kind == kWordByWord ? pwfix::WordByWordPdf(pages) : pwfix::FormRowsPdf(pages);
        pdf.write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    std::string rtfPath = stem + ".rtf";
    if (!WriteRtf(pdfPath, rtfPath, frames))
        rtfPath.clear();
    else if (const char* keep = std::getenv("PW_BENCH_OFFICE_KEEP")) {
        CopyToNewFile(rtfPath, std::string(keep) + "/" + fs::path(rtfPath).filename().string());
        CopyToNewFile(pdfPath, std::string(keep) + "/" + fs::path(pdfPath).filename().string());
    }
    return made.emplace(key, rtfPath).first->second;
}

OfficeFormat BenchFormat()
{
    const char* format = std::getenv("PW_BENCH_OFFICE_FORMAT");
    return format && std::string(format) == "docx" ? OfficeFormat::Docx : OfficeFormat::Doc;
}

// Starts the instance with a one-page document, so no case pays the start.
bool WarmUp()
{
    static const bool warm = [] {
        const std::string& rtf = CaseRtf(kFormRows, 1, false);
        return !rtf.empty() &&
               ConvertWithOffice(rtf, Folder().Path() + "/warm-up.doc", OfficeFormat::Doc) ==
                   OfficeResult::Converted;
    }();
    return warm;
}

void BM_OfficeStep(benchmark::State& state)
{
    const auto kind = static_cast<Kind>(state.range(0));
    const int pages = static_cast<int>(state.range(1));
    const bool frames = state.range(2) != 0;
    if (!WarmUp()) {
        state.SkipWithError("LibreOffice cannot convert here");
        return;
    }
    const std::string& rtf = CaseRtf(kind, pages, frames);
    if (rtf.empty()) {
        state.SkipWithError("the RTF could not be made");
        return;
    }
    const std::string target = Folder().Path() + "/out.doc";
    double load = 0, store = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const OfficeResult result = ConvertWithOffice(rtf, target, BenchFormat());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (result != OfficeResult::Converted) {
            state.SkipWithError("the office step failed");
            return;
        }
        const OfficeStepTimes times = LastOfficeStepTimes();
        load += times.load;
        store += times.store;
    }
    const RtfCounts counts = CountRtf(rtf);
    const auto perIteration = benchmark::Counter::kAvgIterations;
    state.counters["s_per_page"] = benchmark::Counter(
        static_cast<double>(pages), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["load_s"] = benchmark::Counter(load, perIteration);
    state.counters["store_s"] = benchmark::Counter(store, perIteration);
    state.counters["frames"] = static_cast<double>(counts.frames);
    state.counters["shapes"] = static_cast<double>(counts.shapes);
    state.counters["sections"] = static_cast<double>(counts.sections);
    state.counters["col_sections"] = static_cast<double>(counts.columnSections);
    state.counters["rtf_MB"] = static_cast<double>(fs::file_size(rtf)) / (1024.0 * 1024.0);
}

}  // namespace

BENCHMARK(BM_OfficeStep)
    ->ArgNames({"kind(0 words,1 rows)", "pages", "frames"})
    ->ArgsProduct({{kWordByWord, kFormRows}, {8, 16, 32, 64}, {0, 1}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    // Frame-mode cases of the slow kind take minutes; the watchdog must not
    // take them for a hung instance.
    setenv("PW_OFFICE_TIMEOUT_SECONDS", "3600", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EndOfficeInstance();
    return 0;
}
