#include <gtest/gtest.h>

#include "test_timing.h"

#include <cmath>

#include "layout/char_scale.h"
#include "layout/printed_text.h"
#include "layout/run_collectors.h"
#include "platform/text_measure.h"
#include "rtf/run_text.h"
#include "rtf/rtf_test_support.h"

using namespace rtftest;

namespace {

constexpr int kDpi = 96;

class RunCollectors : public ::testing::Test {
protected:
    void SetUp() override
    {
        writer = std::make_unique<CRtfWriter>();
        path = MakeTempPath();
        ASSERT_TRUE(writer->OpenDocument(path));
    }
    void TearDown() override
    {
        FlushAll();
        writer.reset();
    }
    void FlushAll()
    {
        const CTextItem none;
        collectors.CollectLineItem(none, kDpi, CollectStep::FinishOpenRun);
        collectors.CollectDownItem(none, kDpi, CollectStep::FinishOpenRun);
        collectors.CollectUpItem(none, kDpi, CollectStep::FinishOpenRun);
        collectors.CollectBoxItem(none, kDpi, CollectStep::FinishOpenRun);
    }
    // The run's RTF as the writer prints it, the page's faces and colours
    // numbered first as a page's printing does.
    std::string Rtf(const CTextRun& run)
    {
        for (const std::string& face : page.facesInFirstUse)
            writer->FontIndex(face);
        for (uint32_t color : page.colorsInFirstUse)
            writer->ColorIndex(color);
        CTextRun settled = run;
        SettlePrintedText(settled, PrintedOrderOf(run.kind, mode));
        return RunRtf(settled, mode, *writer);
    }
    void Line(const std::vector<CTextItem>& items)
    {
        for (const CTextItem& item : items)
            collectors.CollectLineItem(item, kDpi);
    }
    void Box(const std::vector<CTextItem>& items)
    {
        for (const CTextItem& item : items)
            collectors.CollectBoxItem(item, kDpi);
    }
    std::vector<std::string> LineTexts()
    {
        std::vector<std::string> texts;
        for (const CTextRun& run : page.lineRuns) {
            const std::string rtf = Rtf(run);
            size_t open = rtf.find(" {");
            size_t close = rtf.rfind('}');
            texts.push_back(rtf.substr(open + 2, close - open - 2));
        }
        return texts;
    }
    std::string FontTable()
    {
        FlushAll();
        for (const std::string& face : page.facesInFirstUse)
            writer->FontIndex(face);
        EXPECT_EQ(writer->Finish(), 0);
        std::string document = ReadWholeFile(path);
        size_t start = document.find("{\\fonttbl");
        return document.substr(start, document.find("{\\colortbl") - start);
    }

    std::unique_ptr<CRtfWriter> writer;
    std::string path;
    CPage page;
    CRunCollectors collectors{page};
    TextMode mode = TextMode::Flow;
};

// Five bold glyphs in Times New Roman, 16 px (fs 24), spread so the measured
// text is 5.5 % wider than its box: scale 95.
std::vector<CTextItem> BoldHello()
{
    CMeasureFont font{"Times New Roman", 240, true, false};
    const double measured = MeasureText(font, "Hello");
    const float advance = static_cast<float>(std::round(measured / 1.055 / 75 * 100) / 100);
    std::vector<CTextItem> items = Word(u"Hello", 100, 200, advance, 16);
    for (CTextItem& item : items)
        item.bold = 1;
    return items;
}

TEST_F(RunCollectors, BoldLineRunInFlowAndFrameMode)
{
    Line(BoldHello());
    FlushAll();
    ASSERT_EQ(page.lineRuns.size(), 1u);
    const CTextRun& flow = page.lineRuns[0];
    EXPECT_EQ(Rtf(flow), "\\fs24\\cf0\\f2\\b\\charscalex95 {Hello}\\b0");
    EXPECT_EQ(flow.left, 1500);
    EXPECT_EQ(flow.bottom, 3000);
    EXPECT_EQ(flow.top, 3000 - 240);
    EXPECT_EQ(flow.size, 240);
    EXPECT_EQ(flow.lineHeight, 240u);
    EXPECT_EQ(flow.width, flow.right - flow.left);
    EXPECT_EQ(flow.face, "Times New Roman");

    mode = TextMode::Frames;
    Line(BoldHello());
    FlushAll();
    ASSERT_EQ(page.lineRuns.size(), 2u);
    EXPECT_EQ(Rtf(page.lineRuns[1]), "{\\b\\f2\\fs24\\cf0\\charscalex95 Hello}");
}

TEST_F(RunCollectors, FlowModeSwitchesBoldAndItalicOffAgain)
{
    std::vector<CTextItem> items = Word(u"Hi", 100, 200, 7, 16);
    for (CTextItem& item : items) {
        item.bold = 0x40000;
        item.italic = 0x40;
    }
    Line(items);
    FlushAll();
    ASSERT_EQ(page.lineRuns.size(), 1u);
    const std::string& text = Rtf(page.lineRuns[0]);
    EXPECT_EQ(text.substr(0, 14), "\\fs24\\cf0\\f2\\b");
    EXPECT_NE(text.find("\\b\\i\\charscalex"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 10), "{Hi}\\b0\\i0");
}

// Two glyphs 10 px high (a gap unit of 1.5 px) `gapUnits` units apart.
std::vector<CTextItem> TwoGlyphs(double gapUnits)
{
    return {Glyph(u'a', 100, 200, 5, 10), Glyph(u'b', 105 + gapUnits * 1.5, 200, 5, 10)};
}

TEST_F(RunCollectors, LineGapRules)
{
    Line(TwoGlyphs(2.5));
    FlushAll();
    Line(TwoGlyphs(0.85));
    FlushAll();
    Line(TwoGlyphs(4.9));
    FlushAll();
    Line(TwoGlyphs(5));
    FlushAll();
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"a b", "ab", "a b", "a", "b"}));
}

TEST_F(RunCollectors, BoxGapRules)
{
    Box(TwoGlyphs(1.5));
    FlushAll();
    Box(TwoGlyphs(0.5));
    FlushAll();
    Box(TwoGlyphs(2));
    FlushAll();
    std::vector<std::string> texts;
    for (const CTextRun& run : page.boxRuns)
        texts.push_back(Rtf(run).substr(Rtf(run).find("\\strike0 ") + 9));
    EXPECT_EQ(texts, (std::vector<std::string>{"a b\\par", "ab\\par", "a\\par", "b\\par"}));
}

TEST_F(RunCollectors, WideBlanksEndOrVanish)
{
    // 1.6 sizes wide: ends the run, and the next run opens with the blank.
    Line({Glyph(u'a', 100, 200, 5, 10), Glyph(u'b', 105, 200, 5, 10), Glyph(u' ', 110, 200, 16, 10),
          Glyph(u'c', 126, 200, 5, 10)});
    FlushAll();
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"ab", " c"}));
    page.lineRuns.clear();

    // 2.5 sizes wide: ends the run and is dropped.
    Line({Glyph(u'a', 100, 200, 5, 10), Glyph(u' ', 105, 200, 25, 10), Glyph(u'c', 130, 200, 5, 10)});
    FlushAll();
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"a", "c"}));
    page.lineRuns.clear();

    // As the first item of a line it is lost; a run of blanks makes no run.
    Line({Glyph(u' ', 100, 200, 25, 10), Glyph(u'd', 125, 200, 5, 10)});
    FlushAll();
    Line({Glyph(u' ', 100, 300, 3, 10), Glyph(u' ', 103, 300, 3, 10)});
    FlushAll();
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"d"}));
}

TEST_F(RunCollectors, StyleOrLineChangesEndTheRun)
{
    std::vector<CTextItem> items = Word(u"abcd", 100, 200, 5, 10);
    items[2].height = 12;  // size changes in the middle
    Line(items);
    FlushAll();
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"ab", "c", "d"}));
    page.lineRuns.clear();

    std::vector<CTextItem> other = Word(u"abcd", 100, 200, 5, 10);
    other[1].color = 0x0000FF;
    other[2].y = 201.5;  // another baseline pixel
    other[3].x = 90;     // backwards
    Line(other);
    FlushAll();
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(Rtf(page.lineRuns[1]).substr(0, 9), "\\fs15\\cf1");
}

TEST_F(RunCollectors, SpecialCharactersAreEscaped)
{
    std::vector<CTextItem> items = Word(u"a{\\", 100, 200, 5, 10);
    CTextItem bullet = Glyph(0x2022, 115, 200, 5, 10);
    bullet.useCharCode = 1;
    bullet.charCode = 0x2022;
    items.push_back(bullet);
    Line(items);
    FlushAll();
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"a\\{\\\\\\u8226x"}));
}

TEST(CharScale, CompressesWideTextAndNeverStretches)
{
    bool narrow = true;
    EXPECT_EQ(CharScaleFor(1000, 1120, "Arial", narrow), 88);  // 112 %
    EXPECT_FALSE(narrow);
    EXPECT_EQ(CharScaleFor(1000, 1005.5, "Arial", narrow), 100);
    EXPECT_EQ(CharScaleFor(1000, 2500, "Arial", narrow), 100);  // 150 % narrower: out of range
    EXPECT_EQ(CharScaleFor(1000, 1999, "Arial", narrow), 1);
    EXPECT_EQ(CharScaleFor(0, 500, "Arial", narrow), 100);
    EXPECT_EQ(CharScaleFor(1000, 1000, "Arial", narrow), 100);
    EXPECT_EQ(CharScaleFor(1000, 0, "Arial", narrow), 100);  // nothing measured
}

TEST(CharScale, NarrowFaceOnlyForTextNoScaleFitsUnlessSymbol)
{
    bool narrow = true;
    EXPECT_EQ(CharScaleFor(1000, 600, "Times New Roman", narrow), 100);  // 40 % narrower: keeps its face
    EXPECT_FALSE(narrow);
    EXPECT_EQ(CharScaleFor(1000, 1999, "Times New Roman", narrow), 1);  // still fits at 1 %
    EXPECT_FALSE(narrow);
    EXPECT_EQ(CharScaleFor(1000, 2000, "Times New Roman", narrow), 100);  // twice as wide: nothing fits
    EXPECT_TRUE(narrow);
    for (const char* symbol : {"Wingdings 2", "Wingdings", "SYMBOL", "Symbol Bold", "MT Extra", "webdings"}) {
        CharScaleFor(1000, 2500, symbol, narrow);
        EXPECT_FALSE(narrow) << symbol;
    }
    CharScaleFor(1000, 2500, "wingdings 2", narrow);  // "Wingdings" is matched with its case
    EXPECT_TRUE(narrow);
}

TEST_F(RunCollectors, MuchNarrowerRunKeepsItsFace)
{
    Line(Word(u"iii", 100, 200, 20, 16));
    FlushAll();
    ASSERT_EQ(page.lineRuns.size(), 1u);
    EXPECT_EQ(page.lineRuns[0].face, "Times New Roman");
    EXPECT_NE(Rtf(page.lineRuns[0]).find("\\charscalex100 {iii}"), std::string::npos);
}

TEST_F(RunCollectors, RunNoScaleFitsIsWrittenInArialNarrow)
{
    Line(Word(u"WWWW", 100, 200, 3, 16));
    FlushAll();
    ASSERT_EQ(page.lineRuns.size(), 1u);
    EXPECT_EQ(page.lineRuns[0].face, "Arial Narrow");
    EXPECT_NE(Rtf(page.lineRuns[0]).find("\\f2\\charscalex"), std::string::npos);
    EXPECT_NE(FontTable().find("\\cpg1252 Arial Narrow{\\*\\falt Liberation Sans Narrow};}"), std::string::npos);
}

TEST_F(RunCollectors, NamelessLineRunsUseArialNarrow)
{
    Line(Word(u"Hello", 100, 200, 7, 16, ""));
    FlushAll();
    ASSERT_EQ(page.lineRuns.size(), 1u);
    EXPECT_EQ(page.lineRuns[0].face, "Arial Narrow");
}

TEST_F(RunCollectors, BoxRun)
{
    std::vector<CTextItem> items = Word(u"Hello", 100, 200, 8, 16);
    for (CTextItem& item : items)
        item.bold = 1;
    Box(items);
    FlushAll();
    ASSERT_EQ(page.boxRuns.size(), 1u);
    const CTextRun& run = page.boxRuns[0];
    EXPECT_EQ(Rtf(run), "\\fs24\\b\\f2\\cf0\\strike0 Hello\\par");
    EXPECT_EQ(run.left, 1500);
    EXPECT_EQ(run.right, 2100);
    EXPECT_EQ(run.top, 2760);
    EXPECT_EQ(run.bottom, 3000);
}

TEST_F(RunCollectors, NamelessBoxRunIsArialNarrowAndSmaller)
{
    Box(Word(u"Hi", 100, 200, 8, 16, ""));
    FlushAll();
    ASSERT_EQ(page.boxRuns.size(), 1u);
    const CTextRun& run = page.boxRuns[0];
    EXPECT_EQ(run.face, "Arial Narrow");
    EXPECT_EQ(run.size, 15 * 15);          // S 16 - trunc(1.6)
    EXPECT_EQ(Rtf(run).substr(0, 5), "\\fs22");
}

// Glyphs of a line that reads bottom to top: same x, y falling by the advance.
std::vector<CTextItem> Upward(const std::u16string& text, double x, double y, float advance, float height,
                              const std::string& face = "Times New Roman")
{
    std::vector<CTextItem> items;
    for (char16_t ch : text) {
        CTextItem item = Glyph(ch, x, y, advance, height, face);
        item.rotation = 90;
        items.push_back(item);
        y -= advance;
    }
    return items;
}

TEST_F(RunCollectors, UpwardRun)
{
    for (const CTextItem& item : Upward(u"Hello", 300, 500, 8, 16))
        collectors.CollectUpItem(item, kDpi);
    FlushAll();
    ASSERT_EQ(page.upRuns.size(), 1u);
    const CTextRun& run = page.upRuns[0];
    EXPECT_EQ(Rtf(run), "\\fs24\\charscalex100 { \\f2\\cf0 Hello \\par}");
    EXPECT_EQ(run.left, (300 - 16) * 15);       // X of the last glyph
    EXPECT_EQ(run.top, (468 - 8) * 15);         // Y = y - width of the last glyph
    EXPECT_EQ(run.right, run.left + 240);
    EXPECT_EQ(run.bottom, 500 * 15);            // B of the first glyph
}

TEST_F(RunCollectors, VerticalWordGapsAndBreaks)
{
    std::vector<CTextItem> items = Upward(u"ab", 300, 500, 8, 16);
    CTextItem spaced = items[1];
    spaced.y -= 8 + 4;  // 4 px past the advance: more than 0.15 * 16
    spaced.text = u"c";
    items.push_back(spaced);
    CTextItem far = spaced;
    far.y -= 30;    // beyond 2.5 advances: a new run
    far.text = u"d";
    items.push_back(far);
    for (const CTextItem& item : items)
        collectors.CollectUpItem(item, kDpi);
    FlushAll();
    ASSERT_EQ(page.upRuns.size(), 2u);
    EXPECT_NE(Rtf(page.upRuns[0]).find(" ab c \\par}"), std::string::npos);
    EXPECT_NE(Rtf(page.upRuns[1]).find(" d \\par}"), std::string::npos);
}

TEST_F(RunCollectors, DownwardRunBoxIsTwiceItsAdvances)
{
    double y = 100;
    for (char16_t ch : std::u16string(u"abc")) {
        CTextItem item = Glyph(ch, 200, y, 10, 16);
        item.rotation = -90;
        collectors.CollectDownItem(item, kDpi);
        y += 10;
    }
    FlushAll();
    ASSERT_EQ(page.downRuns.size(), 1u);
    const CTextRun& run = page.downRuns[0];
    EXPECT_EQ(run.left, 3000);
    EXPECT_EQ(run.top, 1500);
    EXPECT_EQ(run.bottom - run.top, 900);
    EXPECT_EQ(run.right - run.left, 240);
}

TEST_F(RunCollectors, NamelessVerticalRunRegistersTheEmptyFace)
{
    for (const CTextItem& item : Upward(u"ab", 300, 500, 8, 16, ""))
        collectors.CollectUpItem(item, kDpi);
    FlushAll();
    ASSERT_EQ(page.upRuns.size(), 1u);
    EXPECT_EQ(page.upRuns[0].face, "");
    EXPECT_NE(FontTable().find("{\\f2\\fnil\\fcharset0\\cpg1252 ;}"), std::string::npos);
}

TEST_F(RunCollectors, HostileFaceNameOfVerticalTextStaysOutOfTheTable)
{
    for (const CTextItem& item : Upward(u"ab", 300, 500, 8, 16, "A;}{\\par"))
        collectors.CollectUpItem(item, kDpi);
    FlushAll();
    EXPECT_NE(FontTable().find("{\\f2\\fnil\\fcharset0\\cpg1252 Apar;}}"), std::string::npos);
}

TEST_F(RunCollectors, ManyGlyphsCollectInLinearTime)
{
    // 200000 glyphs in 20000 runs: per-glyph work and per-run measuring
    // must stay cheap (cached faces and advances).
    auto start = std::chrono::steady_clock::now();
    for (int line = 0; line < 2000; ++line)
        for (int word = 0; word < 10; ++word)
            Line(Word(u"abcdefghij", 10 + word * 80, 20 + line * 0.5, 6, 10));
    FlushAll();
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(page.lineRuns.size(), 2000u);
    EXPECT_LT(ms, 3000.0 * kTimeLimitScale);
    std::printf("200000 glyphs collected in %.0f ms\n", ms);
}

} // namespace

namespace {

// The open runs belong to their collector object: one document's unfinished
// run never ends up in the next document's page.
TEST(RunCollectorObjects, OpenRunsStayWithTheirObjectAndResetDropsThem)
{
    CPage first;
    CRunCollectors one(first);
    for (const CTextItem& item : Word(u"ab", 100, 200, 5, 10))
        one.CollectLineItem(item, kDpi);
    EXPECT_TRUE(one.HasOpenRun());

    CPage second;
    CRunCollectors two(second);
    EXPECT_FALSE(two.HasOpenRun());
    for (const CTextItem& item : Word(u"cd", 110, 200, 5, 10))
        two.CollectLineItem(item, kDpi);
    two.CollectLineItem(CTextItem(), kDpi, CollectStep::FinishOpenRun);
    ASSERT_EQ(second.lineRuns.size(), 1u);
    ASSERT_EQ(second.lineRuns[0].pieces.size(), 1u);
    EXPECT_EQ(second.lineRuns[0].pieces[0].spans.size(), 2u);
    EXPECT_TRUE(first.lineRuns.empty());

    one.Reset();
    EXPECT_FALSE(one.HasOpenRun());
    one.CollectLineItem(CTextItem(), kDpi, CollectStep::FinishOpenRun);
    EXPECT_TRUE(first.lineRuns.empty());
}

// Faces and colours are noted once each, in the order finished runs first
// use them, whichever collector finishes them.
TEST(RunCollectorObjects, PageNotesFacesAndColoursInFirstUseOrder)
{
    CPage page;
    CRunCollectors collectors(page);
    std::vector<CTextItem> items = Word(u"ab", 100, 200, 5, 10, "Courier New");
    CTextItem up = Glyph(u'u', 300, 500, 8, 16, "Liberation Serif");
    up.rotation = 90;
    up.color = 0x0000FF;
    CTextItem later = Glyph(u'c', 100, 300, 5, 10, "Courier New");
    later.color = 0x00FF00;
    CollectPageRuns({items[0], items[1], up, later}, TextMode::Flow, kDpi, collectors);
    // The line collector finishes "ab" when "c" starts a new line; the
    // flush then finishes "c" before the upward run.
    EXPECT_EQ(page.facesInFirstUse, (std::vector<std::string>{"Courier New", "Liberation Serif"}));
    EXPECT_EQ(page.colorsInFirstUse, (std::vector<uint32_t>{0x000000, 0x00FF00, 0x0000FF}));
    ASSERT_EQ(page.upRuns.size(), 1u);
    EXPECT_EQ(page.upRuns[0].kind, RunKind::Up);
    EXPECT_EQ(page.lineRuns.size(), 2u);
}

}  // namespace
