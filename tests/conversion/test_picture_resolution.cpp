// Page pictures at print and high resolution through the real page loop:
// the picture gets sharper, everything else about the page stays as it is
// at 96 dpi.
#include <gtest/gtest.h>

#include <PDFDoc.h>

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "conversion/document_pipeline.h"
#include "conversion/pdf_library.h"
#include "conversion/pdf_open.h"
#include "fixtures.h"
#include "page/page_printer.h"

namespace {

struct CGrey {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    int At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Pixels darker than mid grey in the box given in 96-dpi page pixels.
    int DarkIn(double left, double top, double right, double bottom, double scale) const
    {
        int dark = 0;
        for (int y = static_cast<int>(top * scale); y < static_cast<int>(bottom * scale) && y < height; ++y)
            for (int x = static_cast<int>(left * scale); x < static_cast<int>(right * scale) && x < width; ++x)
                dark += At(x, y) < 128;
        return dark;
    }
};

bool DecodeGrey(const std::string& path, CGrey& out)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    jpeg_decompress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_GRAYSCALE;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &out.pixels[static_cast<size_t>(info.output_scanline) * out.width];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

struct CPrintedPage {
    int32_t widthTwips = 0;
    int32_t heightTwips = 0;
    CGrey picture;          // empty when the page had none
    std::string runs;       // every run's place and text, in order
};

// Keeps what each page looked like when it was printed (the picture file is
// overwritten by the next page).
class CPageRecorder : public IPagePrinter {
public:
    int PrintPage(const CPage& page) override
    {
        CPrintedPage printed;
        printed.widthTwips = page.widthTwips;
        printed.heightTwips = page.heightTwips;
        if (!page.picturePath.empty() && !DecodeGrey(page.picturePath, printed.picture))
            return EIO;
        for (const RunList* list : {&page.lineRuns, &page.boxRuns, &page.upRuns, &page.downRuns})
            for (const CTextRun& run : *list) {
                printed.runs += std::to_string(run.left) + "," + std::to_string(run.bottom) + ":";
                for (const CTextPiece& piece : run.pieces)
                    for (const CTextSpan& span : piece.spans)
                        for (char16_t c : span.text)
                            printed.runs.push_back(c < 0x80 ? static_cast<char>(c) : '?');
                printed.runs += "|";
            }
        pages.push_back(std::move(printed));
        return 0;
    }
    int Finish() override { return 0; }

    std::vector<CPrintedPage> pages;
};

std::vector<CPrintedPage> Convert(const std::string& fixture, int pictureDpi, TextMode mode = TextMode::Flow)
{
    CPdfLibrary library;
    COpenedPdf pdf;
    if (OpenPdfWithPassword(FixturePath(fixture), pdf, nullptr) == 0)
        return {};
    CPageRecorder recorder;
    PageLoopJob job;
    job.document = pdf.document.get();
    job.firstPage = 1;
    job.lastPage = pdf.document->getNumPages();
    job.mode = mode;
    job.pictureDpi = pictureDpi;
    job.name = fixture;
    std::string message;
    if (ConvertDocument(job, recorder, message) != PageLoopResult::Done)
        return {};
    return recorder.pages;
}

TEST(PictureResolution, ThePictureIsSharperAndTheTextAndPageStayAsAt96Dpi)
{
    for (const TextMode mode : {TextMode::Flow, TextMode::Frames}) {
        const auto screen = Convert("rotation.pdf", 96, mode);
        ASSERT_EQ(screen.size(), 1u);
        EXPECT_EQ(screen[0].picture.width, 816);
        EXPECT_EQ(screen[0].picture.height, 1056);
        for (const int dpi : {150, 300}) {
            const auto sharp = Convert("rotation.pdf", dpi, mode);
            ASSERT_EQ(sharp.size(), 1u) << dpi;
            const CPrintedPage& page = sharp[0];
            // Letter at the picture's resolution, placed at the page's size.
            EXPECT_EQ(page.picture.width, 612 * dpi / 72) << dpi;
            EXPECT_EQ(page.picture.height, 792 * dpi / 72) << dpi;
            EXPECT_EQ(page.widthTwips, screen[0].widthTwips) << dpi;
            EXPECT_EQ(page.heightTwips, screen[0].heightTwips) << dpi;
            EXPECT_EQ(page.runs, screen[0].runs) << dpi;
            EXPECT_NE(page.runs.find("Flat"), std::string::npos);

            // Captured text stays out of the picture: "Flat", "Up", "Down".
            const double scale = dpi / 96.0;
            EXPECT_EQ(page.picture.DarkIn(90, 95, 160, 130, scale), 0) << dpi;
            EXPECT_EQ(page.picture.DarkIn(105, 600, 140, 660, scale), 0) << dpi;
            EXPECT_EQ(page.picture.DarkIn(395, 385, 430, 460, scale), 0) << dpi;
            // The turned "Slant", which is not captured, is drawn at the
            // new resolution with as much ink for its size as at 96 dpi.
            const double inkScreen = screen[0].picture.DarkIn(460, 640, 710, 870, 1.0);
            const double inkSharp = page.picture.DarkIn(460, 640, 710, 870, scale) / (scale * scale);
            EXPECT_GT(inkScreen, 1000);
            EXPECT_NEAR(inkSharp, inkScreen, inkScreen * 0.1) << dpi;
        }
    }
}

TEST(PictureResolution, ALargePageFallsBackInTheSameRatioAsItsText)
{
    // Page 4 is 1300 x 1800 pt: beyond the largest bitmap at 96 dpi, so it
    // is captured at a lower resolution; the limit grows with the picture's.
    const auto screen = Convert("page_sizes.pdf", 96);
    const auto high = Convert("page_sizes.pdf", 300);
    ASSERT_EQ(screen.size(), 4u);
    ASSERT_EQ(high.size(), 4u);
    const CPrintedPage& small = screen[3];
    const CPrintedPage& large = high[3];
    EXPECT_LE(small.picture.width, 1239);
    EXPECT_LE(small.picture.height, 1755);
    EXPECT_EQ(large.widthTwips, small.widthTwips);
    EXPECT_EQ(large.runs, small.runs);
    EXPECT_NEAR(large.picture.width, small.picture.width * 300 / 96.0, 2.0);
    EXPECT_NEAR(large.picture.height, small.picture.height * 300 / 96.0, 2.0);
    EXPECT_LE(large.picture.width, 1239 * 300 / 96);
    EXPECT_LE(large.picture.height, 1755 * 300 / 96);
}

TEST(PictureResolution, AFormsThinRulesAreSolidAndItsWordsLeftOut)
{
    for (const int dpi : {96, 150, 300}) {
        const auto pages = Convert("form_rules.pdf", dpi);
        ASSERT_EQ(pages.size(), 1u);
        const CGrey& picture = pages[0].picture;
        const double scale = dpi / 96.0;
        // Every column along each rule is dark within a pixel of its place.
        for (const double ruleY : {125.33, 178.67, 232.0, 389.33, 496.0, 656.0}) {
            const int y = static_cast<int>(ruleY * scale + 0.5);
            int broken = 0;
            for (int x = static_cast<int>(205 * scale); x < static_cast<int>(715 * scale); ++x) {
                int darkest = 255;
                for (int dy = -2; dy <= 2; ++dy)
                    darkest = std::min(darkest, picture.At(x, y + dy));
                broken += darkest >= 128;
            }
            EXPECT_EQ(broken, 0) << dpi << " dpi, rule at " << ruleY;
        }
        EXPECT_EQ(picture.DarkIn(96, 105, 140, 122, scale), 0) << "the label \"Name:\" at " << dpi;
        EXPECT_NE(pages[0].runs.find("Address:"), std::string::npos);
    }
}

} // namespace
