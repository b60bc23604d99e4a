#pragma once
// Converts fixture pages through the real pipeline (capture, recognition,
// layout) into recorded pages: every run's text and box and the decoded
// page picture, with the log lines the file sent.
#include <jpeglib.h>

#include <PDFDoc.h>
#include <goo/GooString.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "conversion/document_pipeline.h"
#include "conversion/pdf_library.h"
#include "conversion/receiver.h"
#include "conversion/scan_report.h"
#include "fixtures/lib/fixtures.h"
#include "page/page_printer.h"

struct CRecordedRun {
    RunKind kind = RunKind::Line;
    std::string text;  // the run's text, UTF-8 for ASCII, '?' for the rest
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool bold = false;
    uint32_t color = 0;
    std::string face;  // the first piece's
};

struct CRecordedPage {
    int number = 0;
    std::vector<CRecordedRun> runs;  // line runs in the page's order, then boxed, upward, downward
    int width = 0, height = 0;       // the picture's pixels (0: none)
    std::vector<uint8_t> rgb;
    // Pixels of the box [x0, x1) x [y0, y1) darker than light grey.
    int DarkPixels(int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = std::max(y0, 0); y < std::min(y1, height); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, width); ++x) {
                const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                n += p[0] + p[1] + p[2] < 3 * 160 ? 1 : 0;
            }
        return n;
    }
};

class CRecordingPrinter final : public IPagePrinter {
public:
    std::vector<CRecordedPage> pages;
    int PrintPage(const CPage& page) override
    {
        CRecordedPage out;
        out.number = page.number;
        for (const RunList* list : {&page.lineRuns, &page.boxRuns, &page.upRuns, &page.downRuns})
            for (const CTextRun& run : *list) {
                CRecordedRun r;
                r.kind = run.kind;
                for (const CTextPiece& piece : run.pieces) {
                    for (const CTextSpan& span : piece.spans)
                        for (char16_t c : span.text)
                            r.text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
                    r.bold = r.bold || piece.bold;
                    r.color = piece.color;
                }
                r.face = run.pieces.empty() ? run.face : run.pieces.front().face;
                r.left = run.left, r.top = run.top, r.right = run.right, r.bottom = run.bottom;
                out.runs.push_back(std::move(r));
            }
        if (!page.picturePath.empty())
            Decode(page.picturePath, out);
        pages.push_back(std::move(out));
        return 0;
    }
    int Finish() override { return 0; }

private:
    static void Decode(const std::string& path, CRecordedPage& out)
    {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file)
            return;
        jpeg_decompress_struct info {};
        jpeg_error_mgr error {};
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        out.width = static_cast<int>(info.output_width);
        out.height = static_cast<int>(info.output_height);
        out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = &out.rgb[static_cast<size_t>(info.output_scanline) * out.width * 3];
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        std::fclose(file);
    }
};

class CLogRecorder final : public IConversionReceiver {
public:
    std::vector<std::string> logs;
    void Log(const std::string& line) override { logs.push_back(line); }
    void Progress(const char*, int) override {}
    int CollectSettings() override { return 0; }
    bool AskPassword(const std::string&, std::string&) override { return false; }
    void ShowMessage(const std::string&, MessageKind) override {}
};

struct CScanConversion {
    PageLoopResult result = PageLoopResult::WriteFailed;
    std::vector<CRecordedPage> pages;
    std::vector<std::string> logs;
    CScanReport scans;
    PageLoopTimings timings;
};

inline CScanConversion ConvertForScans(const std::string& fixture, bool recognise, TextMode mode = TextMode::Flow,
                                       const std::string& languages = "eng", int first = 1, int last = 0,
                                       int pictureDpi = 96)
{
    CScanConversion out;
    CPdfLibrary library;
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(FixturePath(fixture).c_str()));
    if (!doc->isOk())
        return out;
    CRecordingPrinter printer;
    CLogRecorder receiver;
    PageLoopJob job;
    job.document = doc.get();
    job.firstPage = first;
    job.lastPage = last > 0 ? last : doc->getNumPages();
    job.mode = mode;
    job.name = fixture;
    job.receiver = &receiver;
    job.recogniseText = recognise;
    job.ocrLanguages = languages;
    job.pictureDpi = pictureDpi;
    job.scans = &out.scans;
    job.timings = &out.timings;
    std::string message;
    out.result = ConvertDocument(job, printer, message);
    out.pages = std::move(printer.pages);
    out.logs = std::move(receiver.logs);
    return out;
}

// The words of a page's runs in their order: letters and digits only, lower case.
inline std::vector<std::string> RunWords(const CRecordedPage& page)
{
    std::vector<std::string> words;
    for (const CRecordedRun& run : page.runs) {
        std::istringstream in(run.text);
        for (std::string token; in >> token;) {
            std::string word;
            for (char c : token)
                if (std::isalnum(static_cast<unsigned char>(c)))
                    word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
            if (!word.empty())
                words.push_back(word);
        }
    }
    return words;
}

// Share of `want` (counted with repeats) found in `got`.
inline double WordRecall(const std::vector<std::string>& want, const std::vector<std::string>& got)
{
    std::multiset<std::string> pool(got.begin(), got.end());
    int found = 0;
    for (const std::string& w : want) {
        auto it = pool.find(w);
        if (it != pool.end()) {
            ++found;
            pool.erase(it);
        }
    }
    return want.empty() ? 1.0 : static_cast<double>(found) / want.size();
}

// Longest common subsequence over the length of `want`: the reading order kept.
inline double WordOrder(const std::vector<std::string>& want, const std::vector<std::string>& got)
{
    std::vector<int> row(got.size() + 1, 0), prev(got.size() + 1, 0);
    for (size_t i = 1; i <= want.size(); ++i) {
        for (size_t j = 1; j <= got.size(); ++j)
            row[j] = want[i - 1] == got[j - 1] ? prev[j - 1] + 1 : std::max(prev[j], row[j - 1]);
        std::swap(row, prev);
    }
    return want.empty() ? 1.0 : static_cast<double>(prev[got.size()]) / want.size();
}
