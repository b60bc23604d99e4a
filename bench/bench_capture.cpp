// Page rendering at 96 dpi: the plain raster device, the capture device with
// a collector that only counts, and the capture device with the full
// collector; on a real text page and on synthetic pages of 1,000 to 50,000
// glyphs. Counters: glyphs per page and ns per glyph.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <goo/GooString.h>

#include "capture/capture_output_dev.h"
#include "capture/face_lookup.h"
#include "capture/text_collector.h"
#include "page/text_item.h"
#include "conversion/pdf_library.h"
#include "fixtures/lib/fixtures.h"
#include "generated_pages.h"

namespace {

constexpr double kDpi = 96;  // the converter's rendering resolution

enum Variant { kPlain = 0, kCountOnly = 1, kFullCollector = 2 };

std::string SyntheticPage(int glyphs)
{
    const std::string path = "/tmp/pw_bench_glyphs_" + std::to_string(glyphs) + ".pdf";
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    const std::string data = pwfix::GlyphGridPdf(glyphs);
    f.write(data.data(), static_cast<std::streamsize>(data.size()));
    return path;
}

void RenderPage(benchmark::State& state, const std::string& path, int page)
{
    const auto variant = static_cast<Variant>(state.range(0));
    CPdfLibrary library;
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(path.c_str()));
    if (!doc->isOk() || page > doc->getNumPages()) {
        state.SkipWithError(("cannot open " + path).c_str());
        return;
    }
    // Glyph count of the page, from one counting render.
    long long glyphs = 0;
    {
        std::vector<CTextItem> counted;
        CTextCollector countingCollector(ProcessFaceLookup(), counted);
        CCaptureOutputDev counter(countingCollector);
        counter.SetCountOnly(true);
        counter.startDoc(doc.get());
        doc->displayPage(&counter, page, kDpi, kDpi, 0, false, true, false);
        glyphs = counter.CountedGlyphs();
    }

    static SplashColor white = {255, 255, 255, 0};
    std::vector<CTextItem> items;
    CTextCollector collector(ProcessFaceLookup(), items);
    std::unique_ptr<SplashOutputDev> device;
    if (variant == kPlain) {
        device = std::make_unique<SplashOutputDev>(splashModeBGR8, 4, false, white, true);
        device->startDoc(doc.get());
    } else {
        auto capture = std::make_unique<CCaptureOutputDev>(collector);
        capture->SetCountOnly(variant == kCountOnly);
        capture->startDoc(doc.get());
        device = std::move(capture);
    }
    for (auto _ : state) {
        doc->displayPage(device.get(), page, kDpi, kDpi, 0, false, true, false);
        benchmark::DoNotOptimize(device->getBitmap());
    }
    state.counters["glyphs"] = static_cast<double>(glyphs);
    state.counters["ns_per_glyph"] = benchmark::Counter(
        static_cast<double>(glyphs) * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (variant == kFullCollector)
        state.counters["items"] = static_cast<double>(items.size());
    device.reset();
    doc.reset();
}

void BM_CorpusTextPage(benchmark::State& state)
{
    RenderPage(state, std::string(PW_SOURCE_DIR) + "/../shared/corpus/demo-text.pdf", 1);
}

void BM_DenseTextPage(benchmark::State& state)
{
    RenderPage(state, FixturePath("dense_text.pdf"), 1);
}

void BM_SyntheticPage(benchmark::State& state)
{
    static const std::string paths[] = {SyntheticPage(1000), SyntheticPage(10000), SyntheticPage(50000)};
    const int which = state.range(1) == 1000 ? 0 : state.range(1) == 10000 ? 1 : 2;
    RenderPage(state, paths[which], 1);
}

const char* const kVariantNames = "variant(0 plain, 1 count only, 2 full)";

}  // namespace

BENCHMARK(BM_CorpusTextPage)->ArgName(kVariantNames)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseTextPage)->ArgName(kVariantNames)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyntheticPage)
    ->ArgNames({"variant", "glyphs"})
    ->ArgsProduct({{kPlain, kCountOnly, kFullCollector}, {1000, 10000, 50000}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
