// The recognition engine on real renderings of the scan fixtures: words in
// reading order with boxes where the page has them, the orientation of a
// page scanned sideways, and a cancel that is honoured.
#include <gtest/gtest.h>

#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <goo/GooString.h>
#include <splash/SplashBitmap.h>

#include <memory>

#include "conversion/pdf_library.h"
#include "fixtures/lib/fixtures.h"
#include "ocr/ocr_engine.h"

namespace {

struct CGreyPage {
    std::vector<uint8_t> pixels;
    int width = 0, height = 0, stride = 0;
    COcrImage Image() const { return COcrImage {pixels.data(), width, height, stride, 300}; }
};

CGreyPage Render(const std::string& fixture)
{
    CGreyPage out;
    CPdfLibrary library;
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(FixturePath(fixture).c_str()));
    static SplashColor white = {255, 255, 255, 0};
    SplashOutputDev device(splashModeMono8, 4, false, white, true);
    device.startDoc(doc.get());
    doc->displayPage(&device, 1, 300, 300, 0, false, true, false);
    SplashBitmap* bitmap = device.getBitmap();
    out.width = bitmap->getWidth(), out.height = bitmap->getHeight(), out.stride = bitmap->getRowSize();
    out.pixels.assign(bitmap->getDataPtr(), bitmap->getDataPtr() + static_cast<size_t>(out.stride) * out.height);
    return out;
}

COcrEngine& Engine()
{
    COcrEngine& engine = ProcessOcrEngine();
    std::string error;
    EXPECT_TRUE(engine.Load("eng", error)) << error;
    return engine;
}

TEST(OcrEngine, ReadsTheTitleOfAnUprightScan)
{
    COcrEngine& engine = Engine();
    EXPECT_TRUE(engine.FindsOrientation());
    const COcrPage page = engine.Recognise(Render("scan_gray.pdf").Image(), {});
    EXPECT_EQ(page.orientation, OcrOrientation::Upright);
    ASSERT_GE(page.words.size(), 250u);
    const char* title[] = {"Field", "Report:", "The", "Northern", "Valley"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(page.words[i].text, title[i]);
        EXPECT_GT(page.words[i].confidence, 80);
        EXPECT_EQ(page.words[i].line, 0);
    }
    // The title starts an inch from the left edge, its baseline 90 pt from
    // the top (120 px at 96 dpi, where its glyphs are captured from the PDF).
    EXPECT_NEAR(page.words[0].left, 300, 8);
    EXPECT_NEAR(page.words[0].baseline, 90 * 300 / 72.0, 4);
    EXPECT_GT(page.words[0].lineHeight, 60);
    EXPECT_EQ(page.words[5].line, 1);
}

TEST(OcrEngine, FindsThatASidewaysScanReadsDownThePage)
{
    const CGreyPage grey = Render("scan_rotated.pdf");
    const COcrPage page = Engine().Recognise(grey.Image(), {});
    EXPECT_EQ(page.orientation, OcrOrientation::TopToBottom);
    ASSERT_GE(page.words.size(), 250u);
    EXPECT_EQ(page.words[0].text, "Field");
    // In the picture as scanned, the title runs down its right-hand side.
    int left, top, right, bottom;
    OcrGivenBox(page, page.words[0], left, top, right, bottom);
    EXPECT_GT(left, grey.width * 3 / 4);
    EXPECT_GT(bottom - top, right - left);
}

TEST(OcrEngine, CancelStopsTheRecognition)
{
    int asked = 0;
    const COcrPage page = Engine().Recognise(Render("scan_gray.pdf").Image(), [&asked] { return ++asked > 2; });
    EXPECT_TRUE(page.cancelled);
    EXPECT_TRUE(page.words.empty());
    EXPECT_GT(asked, 2);
}

} // namespace
