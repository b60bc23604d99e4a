// The capture device on real fixture PDFs rendered by Poppler at 96 dpi.
#include <gtest/gtest.h>

#include <cmath>

#include "capture/face_lookup.h"
#include "capture/marked_content.h"
#include "test_capture_render.h"

namespace {

// Positions are asserted to the hundredth of a pixel.
constexpr double kHundredth = 0.001;

const CTextItem* FirstWithText(const CRenderedPage& page, const std::u16string& text)
{
    for (const auto& it : page.items)
        if (it.text == text)
            return &it;
    return nullptr;
}

TEST(CaptureDevicePositions, Base14GlyphsAtKnownPlaces)
{
    CRenderedPage page = RenderFixturePage("base14.pdf");
    ASSERT_EQ(page.width, 816);
    ASSERT_EQ(page.height, 1056);
    ASSERT_EQ(page.items.size(), 25u);  // Hello, Times, Bold, Oblique, y100

    const CTextItem& h = page.items[0];
    EXPECT_EQ(h.text, u"H");
    EXPECT_NEAR(h.x, 96.00, kHundredth);
    EXPECT_NEAR(h.y, 125.67, kHundredth);  // baseline 122.67 + 3
    EXPECT_NEAR(h.height, 32.00, kHundredth);
    EXPECT_EQ(h.color, 0x000000u);

    const CTextItem* t = FirstWithText(page, u"T");
    ASSERT_NE(t, nullptr);
    EXPECT_NEAR(t->x, 96.00, kHundredth);
    EXPECT_NEAR(t->y, 259.00, kHundredth);
    EXPECT_EQ(t->color, 0x0000FFu);  // red in the low byte

    const CTextItem* b = FirstWithText(page, u"B");
    ASSERT_NE(b, nullptr);
    EXPECT_NEAR(b->x, 400.00, kHundredth);
    EXPECT_EQ(b->color, 0xFF0000u);

    const CTextItem* o = FirstWithText(page, u"O");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->color, 0xFFE5CCu);  // rgb .8 .9 1 through colToByte
    EXPECT_NEAR(o->y, 392.33, kHundredth);

    const CTextItem* y = FirstWithText(page, u"y");
    ASSERT_NE(y, nullptr);
    EXPECT_NEAR(y->x, 533.33, kHundredth);
    EXPECT_NEAR(y->y, 103.00, kHundredth);  // baseline 100.004
}

// The Base-14 names are faces a reader has (fontconfig serves them through
// metric-compatible faces), so the glyphs keep them: Helvetica, Times New
// Roman for Times-Roman, and Courier with bold from "Courier-Bold".
TEST(CaptureDeviceFaces, Base14NamesKeepTheirFaces)
{
    if (!IsMetricCompatible("Helvetica", FontconfigMatchFamily("Helvetica")) ||
        !IsMetricCompatible("Courier", FontconfigMatchFamily("Courier")))
        GTEST_SKIP() << "fontconfig serves no metric-compatible Helvetica or Courier";
    CRenderedPage page = RenderFixturePage("base14.pdf");
    const CTextItem* h = FirstWithText(page, u"H");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->faceName, "Helvetica");
    EXPECT_EQ(h->bold, 0);
    const CTextItem* t = FirstWithText(page, u"T");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->faceName, "Times New Roman");
    const CTextItem* b = FirstWithText(page, u"B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->faceName, "Courier");
    EXPECT_EQ(b->bold, 1);
    // The oblique name sets no flag and keeps the family.
    const CTextItem* o = FirstWithText(page, u"O");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->faceName, "Helvetica");
}

TEST(CaptureDevicePositions, QuarterTurnsCapturedThirtyDegreesLeftInPicture)
{
    CRenderedPage page = RenderFixturePage("rotation.pdf");
    const CTextItem* up = FirstWithText(page, u"U");
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->rotation, 90);
    EXPECT_NEAR(up->x, 133.33, kHundredth);
    EXPECT_NEAR(up->y, 659.00, kHundredth);
    const CTextItem* down = FirstWithText(page, u"D");
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(down->rotation, -90);
    EXPECT_NEAR(down->x, 400.00, kHundredth);
    EXPECT_NEAR(down->y, 392.33, kHundredth);

    // Nothing of "Slant": only Flat, Up and Down are in the store.
    EXPECT_EQ(page.items.size(), 10u);
    EXPECT_TRUE(page.ItemsOf(u'S').empty());
    EXPECT_GT(page.CountInked(460, 640, 720, 870), 500);
    // The captured lines are gone from the picture.
    EXPECT_EQ(page.CountInked(90, 95, 170, 128), 0);   // Flat
    EXPECT_EQ(page.CountInked(110, 600, 136, 660), 0);  // Up
}

TEST(CaptureDevicePicture, CapturedTextLeavesWhitePaper)
{
    CRenderedPage captured = RenderFixturePage("base14.pdf");
    CRenderedPage plain = RenderFixturePage("base14.pdf", 1, true);
    // "Hello": x 96..168, cap top about 100, baseline 122.67.
    EXPECT_GT(plain.CountInked(94, 95, 170, 124), 300);
    EXPECT_EQ(captured.CountInked(0, 0, captured.width, captured.height), 0);
}

TEST(CaptureDevicePicture, Type3TextStaysAndIsNotCaptured)
{
    CRenderedPage page = RenderFixturePage("type3.pdf");
    ASSERT_EQ(page.items.size(), 5u);  // "Label" only
    EXPECT_EQ(page.items[0].text, u"L");
    // The first square covers x 96..132, y 86.67..122.67.
    EXPECT_EQ(page.CountInked(100, 90, 128, 120), 28 * 30);
    EXPECT_EQ(page.CountInked(90, 235, 170, 258), 0);  // the captured Label
}

TEST(CaptureDeviceRenderModes, InvisibleAndClipOnlyGiveNoItems)
{
    CRenderedPage page = RenderFixturePage("render_modes.pdf");
    // Fill, Stroke and Both are captured (4 + 6 + 4 glyphs), Hidden and CLIP not.
    EXPECT_EQ(page.items.size(), 14u);
    EXPECT_TRUE(page.ItemsOf(u'H').empty());
    EXPECT_TRUE(page.ItemsOf(u'C').empty());
    EXPECT_TRUE(page.ItemsOf(u'P').empty());
    // The clip still works: green only inside the CLIP glyphs.
    int green = 0;
    for (int y = 403; y < 496; ++y)
        for (int x = 80; x < 480; ++x) {
            int r, g, b;
            page.Rgb(x, y, r, g, b);
            green += (g > 200 && r < 60 && b < 60) ? 1 : 0;
        }
    EXPECT_GT(green, 1000);
    EXPECT_EQ(page.CountInked(80, 403, 480, 418), 0);  // above the glyph tops
    // No trace of the captured or invisible words.
    EXPECT_EQ(page.CountInked(90, 80, 400, 380), 0);
}

TEST(CaptureDeviceRenderModes, ClipModeTextStillClipsLaterDrawing)
{
    CRenderedPage page = RenderFixturePage("clip_text.pdf");
    ASSERT_NE(FirstWithText(page, u"M"), nullptr);
    ASSERT_NE(FirstWithText(page, u"f"), nullptr);  // "After" also captured
    // Red fill rectangle: device x 80..480, y 189.33..282.67. Only the
    // glyphs' shapes may be red; never a solid rectangle.
    int red = 0, area = 0;
    for (int y = 190; y < 282; ++y)
        for (int x = 80; x < 480; ++x) {
            int r, g, b;
            page.Rgb(x, y, r, g, b);
            red += (r > 200 && g < 80 && b < 80) ? 1 : 0;
            ++area;
        }
    EXPECT_GT(red, 2000);
    EXPECT_LT(red, area / 2);
    EXPECT_EQ(page.CountInked(82, 191, 94, 280), 0);  // left of the first glyph
    // The glyph fill itself (black) is not in the picture.
    int black = 0;
    for (int y = 190; y < 282; ++y)
        for (int x = 80; x < 480; ++x) {
            int r, g, b;
            page.Rgb(x, y, r, g, b);
            black += (r < 60 && g < 60 && b < 60) ? 1 : 0;
        }
    EXPECT_EQ(black, 0);
}

TEST(CaptureDeviceRenderModes, PatternTextKeepsItsShape)
{
    CRenderedPage page = RenderFixturePage("pattern_text.pdf");
    // PATTERN arrives clip-only: not captured, its gradient glyphs stay.
    EXPECT_TRUE(page.ItemsOf(u'P').empty());
    EXPECT_GT(page.CountInked(90, 150, 500, 192), 2000);
    // STROKED arrives as fill-pattern + stroke + clip: captured, and the
    // pattern fill Poppler paints afterwards stays inside the glyphs.
    ASSERT_EQ(page.ItemsOf(u'K').size(), 1u);
    const int inked = page.CountInked(80, 400, 480, 470);
    EXPECT_GT(inked, 2000);
    EXPECT_LT(inked, 400 * 70 / 2);
}

TEST(CaptureDeviceMarkedContent, VerticalFlagOnMarkedGlyphsOnlyAndNotCarriedOver)
{
    auto pages = RenderFixturePages("marked_content.pdf", 1, 2);
    ASSERT_EQ(pages.size(), 2u);
    // The collector names vertical glyphs by the PDF name "LiberationSans",
    // horizontal ones by the installed face.
    auto faceOfLine = [](const CRenderedPage& p, double y) {
        std::string face = "(none)";
        for (const auto& it : p.items)
            if (std::fabs(it.y - y) < 0.01) {
                if (face != "(none)" && face != it.faceName)
                    return std::string("(mixed)");
                face = it.faceName;
            }
        return face;
    };
    const std::string vertical = "LiberationSans", horizontal = "Liberation Sans";
    EXPECT_EQ(faceOfLine(pages[0], 99.00), horizontal);   // Plain
    EXPECT_EQ(faceOfLine(pages[0], 139.00), horizontal);  // InSpan (BMC)
    EXPECT_EQ(faceOfLine(pages[0], 179.00), vertical);    // Vert
    EXPECT_EQ(faceOfLine(pages[0], 219.00), vertical);    // InOC, inside a named BDC
    EXPECT_EQ(faceOfLine(pages[0], 259.00), vertical);    // AfterOC: the named BDC's EMC did not pop
    EXPECT_EQ(faceOfLine(pages[0], 299.00), horizontal);  // Outside
    EXPECT_EQ(faceOfLine(pages[0], 339.00), horizontal);  // NotVert
    EXPECT_EQ(faceOfLine(pages[0], 379.00), vertical);    // Open, left open
    EXPECT_EQ(faceOfLine(pages[1], 99.00), horizontal);   // Page2: nothing carried over
    EXPECT_TRUE(pages[1].openSequences <= 1u);
}

TEST(CaptureDeviceMarkedContent, UnmatchedEndLeavesStackAlone)
{
    std::vector<CTextItem> store;
    CTextCollector collector(ProcessFaceLookup(), store);
    CCaptureOutputDev device(collector);
    device.endMarkedContent(nullptr);
    EXPECT_TRUE(device.OpenMarkedContent().empty());
    device.beginMarkedContent("Span", nullptr);
    ASSERT_EQ(device.OpenMarkedContent().size(), 1u);
    EXPECT_EQ(device.OpenMarkedContent()[0].tag, "Span");
    EXPECT_EQ(device.OpenMarkedContent()[0].operandCount, 1);
    device.endMarkedContent(nullptr);
    device.endMarkedContent(nullptr);
    EXPECT_TRUE(device.OpenMarkedContent().empty());
}

TEST(CaptureDeviceGlyphs, CollectionCases)
{
    CRenderedPage page = RenderFixturePage("collection.pdf");
    EXPECT_EQ(page.ItemsOf(u'B').size(), 2u);  // fake bold gives one, plus "A B"
    int as = 0;
    for (const auto& it : page.items)
        as += it.text == u"A" ? 1 : 0;
    EXPECT_EQ(as, 2);
    // Spaces: the swallowed one after the first "A" is gone; "A B" and "a b" keep theirs.
    const auto spaces = page.ItemsOf(u' ');
    ASSERT_EQ(spaces.size(), 2u);
    EXPECT_NEAR(spaces[0]->x, 284.45, kHundredth);
    EXPECT_NEAR(spaces[1]->width, 20.75, kHundredth);  // word spacing kept
    const CTextItem* w = FirstWithText(page, u"W");
    ASSERT_NE(w, nullptr);
    EXPECT_NEAR(w->width, 26.67, kHundredth);  // cut to the height
    const CTextItem* fi = FirstWithText(page, u"fi");
    ASSERT_NE(fi, nullptr);
    EXPECT_EQ(fi->textLength, 2);
    EXPECT_EQ(fi->narrowText, "f");
    // The 12-unit mapping is captured, cut to the collector's buffer.
    bool sawLong = false;
    for (const auto& it : page.items)
        sawLong |= it.text.rfind(u"ABCDEFGHI", 0) == 0;
    EXPECT_TRUE(sawLong);
    EXPECT_TRUE(page.ItemsOf(u'\t').empty());
    const CTextItem* alpha = FirstWithText(page, u"\u03B1");
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->useCharCode, 1);
    const CTextItem* slanted = FirstWithText(page, u"S");
    ASSERT_NE(slanted, nullptr);
    EXPECT_EQ(slanted->italic, 1);
    EXPECT_EQ(page.CountInked(0, 0, page.width, page.height), 0);
}

TEST(CaptureDeviceGlyphs, CjkAndEmbeddedTrueType)
{
    CRenderedPage fonts = RenderFixturePage("fonts.pdf");
    const CTextItem* zhong = FirstWithText(fonts, u"\u4E2D");
    ASSERT_NE(zhong, nullptr);
    EXPECT_NEAR(zhong->x, 96.00, kHundredth);
    EXPECT_NEAR(zhong->y, 259.00, kHundredth);
    EXPECT_NE(FirstWithText(fonts, u"\u6587"), nullptr);

    CRenderedPage cairo = RenderFixturePage("cairo_truetype.pdf");
    ASSERT_FALSE(cairo.items.empty());
    EXPECT_EQ(cairo.items[0].text, u"L");
    EXPECT_NEAR(cairo.items[0].x, 96.00, kHundredth);
    EXPECT_NEAR(cairo.items[0].y, 125.67, kHundredth);
    EXPECT_EQ(cairo.CountInked(0, 0, cairo.width, cairo.height), 0);
}

// Non-embedded CID TrueType fonts with the predefined Unicode CMaps: every
// glyph is captured with its text and its place (as pdftotext reads them);
// text left in the picture is drawn with the installed CJK face.
TEST(CaptureDeviceGlyphs, CjkUnicodeCMapsWithoutEmbeddedFonts)
{
    CRenderedPage page = RenderFixturePage("cjk_unicode_cmaps.pdf");
    const struct {
        std::u16string first, second;
        double y;
    } lines[] = {
        {u"\u53D1", u"\u7968", 125.67},  // UniGB-UCS2-H
        {u"\u91D1", u"\u989D", 179.00},  // UniGB-UTF16-H
        {u"\u65E5", u"\u672C", 232.33},  // UniJIS-UCS2-H
        {u"\uD55C", u"\uAD6D", 285.67},  // UniKS-UCS2-H
        {u"\u81FA", u"\u7063", 339.00},  // UniCNS-UCS2-H
        {u"\U00020BB7", u"\u91CE", 392.33},  // UniJIS-UTF16-H, beyond the basic plane
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.y);
        const CTextItem* first = FirstWithText(page, line.first);
        const CTextItem* second = FirstWithText(page, line.second);
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_NEAR(first->x, 96.00, kHundredth);
        EXPECT_NEAR(first->y, line.y, kHundredth);
        EXPECT_NEAR(first->width, 21.33, kHundredth);
        EXPECT_NEAR(first->height, 21.33, kHundredth);
        EXPECT_EQ(first->rotation, 0);
        EXPECT_EQ(first->useCharCode, 1);
        EXPECT_NEAR(second->x, 117.33, kHundredth);
        EXPECT_NEAR(second->y, line.y, kHundredth);
    }
    // The Latin letter after a CID space keeps its place too.
    const CTextItem* a = FirstWithText(page, u"A");
    ASSERT_NE(a, nullptr);
    EXPECT_NEAR(a->x, 160.00, kHundredth);
    EXPECT_EQ(page.items.size(), 14u);  // 12 ideographs, the space and "A"; none of the turned line

    EXPECT_EQ(page.CountInked(90, 100, 170, 400), 0);    // captured: out of the picture
    EXPECT_GT(page.CountInked(380, 600, 520, 740), 400);  // the turned line, drawn
}

TEST(CaptureDevicePages, SizesAndStoreClearedPerPage)
{
    auto pages = RenderFixturePages("page_sizes.pdf", 1, 4);
    ASSERT_EQ(pages.size(), 4u);
    const int sizes[4][2] = {{816, 1056}, {793, 1123}, {1056, 816}, {1733, 2400}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pages[i].width, sizes[i][0]);
        EXPECT_EQ(pages[i].height, sizes[i][1]);
        // "Page N": 6 glyphs, only this page's.
        ASSERT_EQ(pages[i].items.size(), 6u) << "page " << i + 1;
        EXPECT_NEAR(pages[i].items[0].x, 96.00, kHundredth);
        EXPECT_NEAR(pages[i].items[0].y, 99.00, kHundredth);
        EXPECT_EQ(pages[i].items[5].text, std::u16string(1, char16_t(u'1' + i)));
    }
    CRenderedPage blank = RenderFixturePage("blank.pdf");
    EXPECT_TRUE(blank.items.empty());
    EXPECT_GT(blank.CountInked(140, 795, 395, 920), 250 * 120);  // the blue rectangle
}

TEST(CaptureDevicePages, TwoCollectorsInOneProcessKeepTheirOwnPages)
{
    // Two conversions side by side, each with its own store, collector and
    // device, their pages drawn in turn.
    CPdfLibrary library;
    auto open = [](const char* name) {
        return std::make_unique<PDFDoc>(std::make_unique<GooString>(FixturePath(name).c_str()));
    };
    auto sizesDoc = open("page_sizes.pdf"), markedDoc = open("marked_content.pdf");
    ASSERT_TRUE(sizesDoc->isOk() && markedDoc->isOk());
    std::vector<CTextItem> sizesStore, markedStore;
    CTextCollector sizesCollector(ProcessFaceLookup(), sizesStore), markedCollector(ProcessFaceLookup(), markedStore);
    CCaptureOutputDev sizesDevice(sizesCollector), markedDevice(markedCollector);
    sizesDevice.startDoc(sizesDoc.get());
    markedDevice.startDoc(markedDoc.get());

    auto text = [](const std::vector<CTextItem>& items) {
        std::u16string all;
        for (const CTextItem& item : items) all += item.text;
        return all;
    };
    sizesDoc->displayPage(&sizesDevice, 1, 96, 96, 0, false, true, false);
    const std::vector<CTextItem> firstPage = sizesStore;
    ASSERT_EQ(text(firstPage), u"Page 1");
    EXPECT_EQ(&sizesDevice.PageItems(), &sizesStore);

    // The other conversion's page ends with a vertical sequence left open;
    // neither its glyphs nor its open sequences reach the first one.
    markedDoc->displayPage(&markedDevice, 1, 96, 96, 0, false, true, false);
    EXPECT_FALSE(markedStore.empty());
    EXPECT_FALSE(markedDevice.OpenMarkedContent().empty());
    EXPECT_TRUE(sizesDevice.OpenMarkedContent().empty());
    EXPECT_EQ(text(sizesStore), u"Page 1");
    EXPECT_EQ(sizesDevice.ScanFacts().visibleGlyphs, 6u);

    // The next page of the first starts afresh and stays horizontal: the same
    // glyphs, faces and places as in a conversion of its own.
    const std::vector<CTextItem> markedPage = markedStore;
    sizesDoc->displayPage(&sizesDevice, 2, 96, 96, 0, false, true, false);
    const CRenderedPage alone = RenderFixturePages("page_sizes.pdf", 2, 2).at(0);
    ASSERT_EQ(sizesStore.size(), alone.items.size());
    for (size_t i = 0; i < alone.items.size(); ++i) {
        EXPECT_EQ(sizesStore[i].text, alone.items[i].text);
        EXPECT_EQ(sizesStore[i].faceName, alone.items[i].faceName);
        EXPECT_EQ(sizesStore[i].x, alone.items[i].x);
        EXPECT_EQ(sizesStore[i].y, alone.items[i].y);
    }
    ASSERT_EQ(markedStore.size(), markedPage.size()) << "the second store is left alone";
    for (size_t i = 0; i < markedPage.size(); ++i) EXPECT_EQ(markedStore[i].text, markedPage[i].text);
}

}  // namespace
