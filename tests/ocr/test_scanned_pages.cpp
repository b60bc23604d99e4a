// Scanned pages through the real pipeline: told apart from pages of text,
// logged once per file without recognition, and with it read back with
// their words in order at their places, the words gone from the picture,
// in both text modes. Ground truth: the same pages converted from the PDF
// they were scanned from.
#include <gtest/gtest.h>

#include "capture/capture_output_dev.h"
#include "capture/face_lookup.h"
#include "capture/text_collector.h"
#include "capture/scanned_page.h"
#include "cli/cli_process.h"
#include "conversion/settings.h"
#include "scan_conversion.h"
#include "scoped_env.h"

namespace {

constexpr double kTwipsPerPixel = 15.0;  // 1440 / 96

// The words of the page the scans were made from, as the converter reads them.
const std::vector<std::string>& SampleWords()
{
    static const std::vector<std::string> words = RunWords(ConvertForScans("sample.pdf", false, TextMode::Flow, "eng", 1, 1).pages.at(0));
    return words;
}

const std::vector<std::string>& LetterWords()
{
    static const std::vector<std::string> words = RunWords(ConvertForScans("scan_letter.pdf", false).pages.at(0));
    return words;
}

CPageScanFacts FactsOf(const std::string& fixture)
{
    CPdfLibrary library;
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(FixturePath(fixture).c_str()));
    std::vector<CTextItem> store;
    CTextCollector collector(ProcessFaceLookup(), store);
    CCaptureOutputDev device(collector);
    device.startDoc(doc.get());
    doc->displayPage(&device, 1, 96, 96, 0, false, true, false);
    return device.ScanFacts();
}

TEST(ScannedPages, ToldApartByTheirPicturesAndText)
{
    const CPageScanFacts scan = FactsOf("scan_gray.pdf");
    EXPECT_EQ(scan.visibleGlyphs, 0u);
    EXPECT_GT(scan.imageCoverage, 0.99);
    EXPECT_TRUE(IsScannedPage(scan));
    const CPageScanFacts layer = FactsOf("scan_text_layer.pdf");
    EXPECT_EQ(layer.visibleGlyphs, 0u);
    EXPECT_GT(layer.invisibleGlyphs, 700u);
    EXPECT_TRUE(IsScannedPage(layer));
    // Text with a picture, a page of text, a page with neither.
    for (const char* page : {"sample.pdf", "scan_letter.pdf", "blank.pdf", "base14.pdf"})
        EXPECT_FALSE(IsScannedPage(FactsOf(page))) << page;
    // A few visible glyphs (a stamped page number) leave a scan a scan; more do not.
    EXPECT_TRUE(IsScannedPage({kScanMostVisibleGlyphs, 0, 0.95}));
    EXPECT_FALSE(IsScannedPage({kScanMostVisibleGlyphs + 1, 0, 0.95}));
    EXPECT_FALSE(IsScannedPage({0, 0, kScanLeastImageCoverage - 0.01}));
    EXPECT_TRUE(IsScannedPage({0, 1, 0}));
}

TEST(ScannedPages, WithoutRecognitionOneLineSaysWhichPagesAreScans)
{
    const CScanConversion two = ConvertForScans("scan_two_pages.pdf", false);
    ASSERT_EQ(two.result, PageLoopResult::Done);
    EXPECT_EQ(two.logs, (std::vector<std::string> {
        "scan_two_pages.pdf :Pages 1-2 are scans: their text stays a picture. Text recognition (--ocr, or "
        "\"Recognise text in scans\" in the settings) makes it editable."}));
    EXPECT_EQ(two.scans.scannedPages, (std::vector<int> {1, 2}));
    EXPECT_TRUE(two.scans.textPages.empty());
    for (const CRecordedPage& page : two.pages)
        EXPECT_TRUE(page.runs.empty());
    // The invisible text layer is not taken without recognition either.
    const CScanConversion layer = ConvertForScans("scan_text_layer.pdf", false);
    EXPECT_TRUE(layer.pages.at(0).runs.empty());
    EXPECT_EQ(layer.logs.size(), 1u);
    // Pages of text say nothing.
    EXPECT_TRUE(ConvertForScans("sample.pdf", false).logs.empty());
    EXPECT_TRUE(ConvertForScans("blank.pdf", false).logs.empty());
}

TEST(ScannedPages, RecognisedWordsAreThereInOrderInBothModes)
{
    for (const char* fixture : {"scan_gray.pdf", "scan_color.pdf", "scan_photo.pdf", "scan_skewed.pdf"})
        for (TextMode mode : {TextMode::Flow, TextMode::Frames}) {
            if (mode == TextMode::Frames && std::string(fixture) != "scan_gray.pdf")
                continue;
            const CScanConversion scan = ConvertForScans(fixture, true, mode);
            ASSERT_EQ(scan.result, PageLoopResult::Done) << fixture;
            const std::vector<std::string> words = RunWords(scan.pages.at(0));
            const std::vector<std::string>& want = mode == TextMode::Flow ? SampleWords()
                : RunWords(ConvertForScans("sample.pdf", false, TextMode::Frames, "eng", 1, 1).pages.at(0));
            EXPECT_GE(WordRecall(want, words), 0.97) << fixture;
            EXPECT_GE(WordOrder(want, words), 0.95) << fixture;
            EXPECT_EQ(scan.scans.textPages, (std::vector<int> {1})) << fixture;
            EXPECT_EQ(scan.logs.size(), 1u) << fixture;
            EXPECT_NE(scan.logs.at(0).find(":Text of scanned page 1: "), std::string::npos) << scan.logs.at(0);
        }
}

TEST(ScannedPages, WordsSitWhereTheScanShowsThemAndLeaveThePicture)
{
    const CScanConversion native = ConvertForScans("sample.pdf", false, TextMode::Frames, "eng", 1, 1);
    const CScanConversion before = ConvertForScans("scan_gray.pdf", false, TextMode::Frames);
    const CScanConversion scan = ConvertForScans("scan_gray.pdf", true, TextMode::Frames);
    const CRecordedRun* title = nullptr;
    for (const CRecordedRun& run : scan.pages.at(0).runs)
        if (run.text.rfind("Field Report", 0) == 0)
            title = &run;
    ASSERT_NE(title, nullptr);
    const CRecordedRun& nativeTitle = native.pages.at(0).runs.at(0);
    ASSERT_EQ(nativeTitle.text.rfind("Field Report", 0), 0u);
    // Within two pixels of the PDF's own title, and bold as it is.
    EXPECT_NEAR(title->left, nativeTitle.left, 30);
    EXPECT_NEAR(title->bottom, nativeTitle.bottom, 30);
    EXPECT_NEAR(title->right, nativeTitle.right, 60);
    EXPECT_TRUE(title->bold);
    // The title's box held ink before; now it is paper. The gradient picture stays.
    const int x0 = title->left / kTwipsPerPixel, x1 = title->right / kTwipsPerPixel;
    const int y0 = title->bottom / kTwipsPerPixel - 25, y1 = title->bottom / kTwipsPerPixel + 5;
    EXPECT_GT(before.pages.at(0).DarkPixels(x0, y0, x1, y1), 1000);
    EXPECT_LT(scan.pages.at(0).DarkPixels(x0, y0, x1, y1), 20);
    const int gradient = before.pages.at(0).DarkPixels(110, 190, 650, 360);
    EXPECT_GT(gradient, 20000);
    EXPECT_GT(scan.pages.at(0).DarkPixels(110, 190, 650, 360), gradient * 95 / 100);
}

TEST(ScannedPages, AFewVisibleGlyphsKeepTheirWordsAndTheScanTheRest)
{
    EXPECT_TRUE(IsScannedPage(FactsOf("scan_stamped.pdf")));
    const CScanConversion scan = ConvertForScans("scan_stamped.pdf", true);
    const std::vector<std::string> words = RunWords(scan.pages.at(0));
    // The title's words as often as the page has them (the title once,
    // from the PDF's own text); the rest recognised.
    for (const char* word : {"field", "report"})
        EXPECT_EQ(std::count(words.begin(), words.end(), word),
                  std::count(SampleWords().begin(), SampleWords().end(), word)) << word;
    const CRecordedRun& title = scan.pages.at(0).runs.at(0);
    EXPECT_EQ(title.text, "Field Report");
    EXPECT_EQ(title.face, "Helvetica");
    EXPECT_GE(WordRecall(SampleWords(), words), 0.97);
}

TEST(ScannedPages, AtAPictureResolutionOfItsOwnTheWordsLeaveThatPictureToo)
{
    const CScanConversion screen = ConvertForScans("scan_gray.pdf", true, TextMode::Frames);
    for (const auto& [fixture, dpi] : {std::pair{"scan_gray.pdf", 150}, {"scan_text_layer.pdf", 300}}) {
        const CScanConversion base = ConvertForScans(fixture, true, TextMode::Frames);
        const CScanConversion sharp = ConvertForScans(fixture, true, TextMode::Frames, "eng", 1, 0, dpi);
        ASSERT_EQ(sharp.result, PageLoopResult::Done) << fixture;
        const CRecordedPage& page = sharp.pages.at(0);
        const CRecordedPage& at96 = base.pages.at(0);
        EXPECT_EQ(page.width, 612 * dpi / 72) << fixture;
        // The same words at the same places: only the picture changed.
        ASSERT_EQ(page.runs.size(), at96.runs.size()) << fixture;
        for (size_t i = 0; i < page.runs.size(); ++i) {
            EXPECT_EQ(page.runs[i].text, at96.runs[i].text);
            EXPECT_EQ(page.runs[i].left, at96.runs[i].left);
        }
        // No word's box keeps its ink in the sharp picture.
        const double scale = dpi / 96.0;
        int inked = 0;
        for (const CRecordedRun& run : page.runs) {
            if (run.kind != RunKind::Line || run.text.size() < 3)
                continue;
            const int x0 = static_cast<int>(run.left / kTwipsPerPixel * scale);
            const int x1 = static_cast<int>(run.right / kTwipsPerPixel * scale);
            const int y0 = static_cast<int>((run.bottom / kTwipsPerPixel - 8) * scale);
            const int y1 = static_cast<int>((run.bottom / kTwipsPerPixel - 2) * scale);
            inked += page.DarkPixels(x0, y0, x1, y1) > (x1 - x0) * (y1 - y0) / 20;
        }
        EXPECT_EQ(inked, 0) << fixture;
    }
    // The gradient picture stays, at the new resolution.
    const CScanConversion print = ConvertForScans("scan_gray.pdf", true, TextMode::Frames, "eng", 1, 0, 150);
    const int gradient = screen.pages.at(0).DarkPixels(110, 190, 650, 360);
    EXPECT_NEAR(print.pages.at(0).DarkPixels(172, 297, 1016, 563) / (1.5625 * 1.5625), gradient, gradient * 0.05);
}

TEST(ScannedPages, PageScannedSidewaysReadsDownThePage)
{
    const CScanConversion scan = ConvertForScans("scan_rotated.pdf", true);
    ASSERT_EQ(scan.result, PageLoopResult::Done);
    const CRecordedPage& page = scan.pages.at(0);
    int down = 0;
    for (const CRecordedRun& run : page.runs)
        down += run.kind == RunKind::Down ? 1 : 0;
    EXPECT_GT(down, static_cast<int>(page.runs.size()) * 9 / 10);
    EXPECT_GE(WordRecall(SampleWords(), RunWords(page)), 0.97);
}

TEST(ScannedPages, PageScannedUpsideDownIsTurnedRightWayUp)
{
    const CScanConversion native = ConvertForScans("sample.pdf", false, TextMode::Frames, "eng", 1, 1);
    const CScanConversion upright = ConvertForScans("scan_gray.pdf", true, TextMode::Frames);
    const CScanConversion turned = ConvertForScans("scan_upside_down.pdf", true, TextMode::Frames);
    ASSERT_EQ(turned.result, PageLoopResult::Done);
    const CRecordedPage& page = turned.pages.at(0);
    EXPECT_GE(WordRecall(RunWords(native.pages.at(0)), RunWords(page)), 0.97);
    // The title where the upright scan has it, and the picture turned with
    // it: the gradient is at the top again.
    ASSERT_FALSE(page.runs.empty());
    EXPECT_EQ(page.runs[0].text.rfind("Field Report", 0), 0u);
    EXPECT_NEAR(page.runs[0].left, upright.pages.at(0).runs.at(0).left, 30);
    EXPECT_NEAR(page.runs[0].bottom, upright.pages.at(0).runs.at(0).bottom, 30);
    EXPECT_GT(page.DarkPixels(110, 190, 650, 360), upright.pages.at(0).DarkPixels(110, 190, 650, 360) * 95 / 100);
    EXPECT_LT(page.DarkPixels(110, 700, 650, 870), 1000);
}

TEST(ScannedPages, TheTextLayerIsTakenAsItIsAndNeedsNoEngine)
{
    const CScanConversion native = ConvertForScans("scan_letter.pdf", false, TextMode::Frames);
    for (const char* languages : {"eng", "zzz"}) {
        const CScanConversion layer = ConvertForScans("scan_text_layer.pdf", true, TextMode::Frames, languages);
        ASSERT_EQ(layer.result, PageLoopResult::Done);
        const auto& want = native.pages.at(0).runs;
        const auto& got = layer.pages.at(0).runs;
        ASSERT_EQ(got.size(), want.size()) << languages;
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].text, want[i].text);
            EXPECT_EQ(got[i].left, want[i].left);
            EXPECT_EQ(got[i].bottom, want[i].bottom);
        }
        EXPECT_EQ(layer.scans.recognisedWords, static_cast<int>(LetterWords().size()));
        EXPECT_EQ(layer.logs.size(), 1u) << languages;
    }
}

TEST(ScannedPages, NoisyScanWithoutItsTextLayerReadsInASerifFace)
{
    const CScanConversion scan = ConvertForScans("scan_noisy.pdf", true);
    const std::vector<std::string> words = RunWords(scan.pages.at(0));
    EXPECT_GE(WordRecall(LetterWords(), words), 0.95);
    EXPECT_GE(WordOrder(LetterWords(), words), 0.95);
    // The letter is set in Times; the sample's scan in a sans face.
    EXPECT_EQ(scan.pages.at(0).runs.at(0).face, "Times New Roman");
    EXPECT_EQ(ConvertForScans("scan_skewed.pdf", true).pages.at(0).runs.at(0).face, "Arial");
}

TEST(ScannedPages, MissingLanguageDataGivesOneLineAndThePagesAsPictures)
{
    const CScanConversion scan = ConvertForScans("scan_two_pages.pdf", true, TextMode::Flow, "eng+zzz");
    ASSERT_EQ(scan.result, PageLoopResult::Done);
    EXPECT_EQ(scan.logs, (std::vector<std::string> {
        "scan_two_pages.pdf :Text recognition is not available: no language data for zzz (install "
        "tesseract-ocr-zzz); scanned pages stay pictures."}));
    ASSERT_EQ(scan.pages.size(), 2u);
    for (const CRecordedPage& page : scan.pages) {
        EXPECT_TRUE(page.runs.empty());
        EXPECT_GT(page.DarkPixels(0, 0, page.width, page.height), 20000);  // the words are still in the picture
    }
}

TEST(ScannedPages, DamagedScanIsLoggedAndKeepsWhatCanBeRead)
{
    const CScanConversion scan = ConvertForScans("scan_damaged.pdf", true);
    ASSERT_EQ(scan.result, PageLoopResult::Done);
    ASSERT_GE(scan.logs.size(), 1u);
    EXPECT_EQ(scan.logs.at(0).rfind("scan_damaged.pdf :Page 1: the scanned picture is damaged (", 0), 0u) << scan.logs.at(0);
    EXPECT_NE(scan.logs.at(0).find("); the page keeps what could be read of it."), std::string::npos);
    ASSERT_EQ(scan.pages.size(), 1u);
}

TEST(ScannedPages, PagesOfTextCostNothingExtra)
{
    for (const char* fixture : {"sample.pdf", "blank.pdf"}) {
        const CScanConversion off = ConvertForScans(fixture, false);
        const CScanConversion on = ConvertForScans(fixture, true);
        EXPECT_EQ(on.timings.recognise, 0.0) << fixture;
        ASSERT_EQ(on.pages.size(), off.pages.size());
        for (size_t p = 0; p < on.pages.size(); ++p) {
            ASSERT_EQ(on.pages[p].runs.size(), off.pages[p].runs.size());
            for (size_t i = 0; i < on.pages[p].runs.size(); ++i) {
                EXPECT_EQ(on.pages[p].runs[i].text, off.pages[p].runs[i].text);
                EXPECT_EQ(on.pages[p].runs[i].left, off.pages[p].runs[i].left);
            }
            EXPECT_EQ(on.pages[p].rgb, off.pages[p].rgb);
        }
        EXPECT_TRUE(on.logs.empty());
    }
}

} // namespace
