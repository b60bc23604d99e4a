// The text every printer writes, settled once: each glyph's text cleaned and
// composed, right-to-left stretches in the order a reader turns back into
// the drawn one.
#include <gtest/gtest.h>
#include <unicode/ubidi.h>

#include "layout/page_layout.h"
#include "layout/printed_text.h"

namespace {

CTextPiece PieceOf(std::vector<CTextSpan> spans, bool bold = false)
{
    CTextPiece piece;
    piece.face = "DejaVu Sans";
    piece.halfPoints = 24;
    piece.bold = bold;
    piece.spans = std::move(spans);
    return piece;
}

// One glyph a span, each by character code unless ASCII.
CTextRun RunOf(const std::u16string& drawn, RunKind kind = RunKind::Line)
{
    std::vector<CTextSpan> spans;
    for (size_t i = 0; i < drawn.size(); ++i) {
        size_t n = (i + 1 < drawn.size() && drawn[i] >= 0xD800 && drawn[i] <= 0xDBFF) ? 2 : 1;
        spans.push_back(CTextSpan{drawn.substr(i, n), drawn[i] >= 0x80});
        i += n - 1;
    }
    CTextRun run;
    run.kind = kind;
    run.pieces.push_back(PieceOf(std::move(spans)));
    return run;
}

std::u16string Stored(const CTextRun& run)
{
    std::u16string text;
    for (const CPrintedText& stretch : run.printed) {
        EXPECT_EQ(stretch.text.size(), stretch.byCharCode.size());
        text += stretch.text;
    }
    return text;
}

// The reader's view of stored text: ICU's forward algorithm with mirroring.
std::u16string Displayed(const std::u16string& logical, bool rightToLeftParagraph)
{
    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_open();
    ubidi_setPara(bidi, reinterpret_cast<const UChar*>(logical.data()), static_cast<int32_t>(logical.size()),
                  rightToLeftParagraph ? 1 : 0, nullptr, &status);
    std::u16string shown(logical.size() * 2 + 1, u'\0');
    const int32_t length = ubidi_writeReordered(bidi, reinterpret_cast<UChar*>(shown.data()),
                                                static_cast<int32_t>(shown.size()), UBIDI_DO_MIRRORING, &status);
    ubidi_close(bidi);
    shown.resize(U_SUCCESS(status) ? static_cast<size_t>(length) : 0);
    return shown;
}

TEST(PrintedText, GlyphTextIsCutCleanedAndComposed)
{
    EXPECT_EQ(PrintedSpanText(CTextSpan{std::u16string(u"ab\0cd", 5), false}), u"ab");
    EXPECT_EQ(PrintedSpanText(CTextSpan{u"a\tb", true}), u"a b");
    EXPECT_EQ(PrintedSpanText(CTextSpan{u"a\tb", false}), u"a b");
    EXPECT_EQ(PrintedSpanText(CTextSpan{u"\n\x01x\x7f", false}), u"x");
    EXPECT_EQ(PrintedSpanText(CTextSpan{u"e\u0301", false}), u"\u00e9");
    EXPECT_EQ(PrintedSpanText(CTextSpan{u"\U0001D44E", true}), u"\U0001D44E");
}

TEST(PrintedText, LeftToRightTextKeepsOneStretchPerPieceAndItsOrigins)
{
    CTextRun run = RunOf(u"ab\u00e9");
    run.pieces.push_back(PieceOf({}));  // an empty piece still gets its stretch
    SettlePrintedText(run, PrintedOrder::FlowLine);
    EXPECT_FALSE(run.hasRightToLeft);
    EXPECT_FALSE(run.readsRightToLeft);
    ASSERT_EQ(run.printed.size(), 2u);
    EXPECT_EQ(run.printed[0].text, u"ab\u00e9");
    EXPECT_EQ(run.printed[0].byCharCode, (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(run.printed[1].text.empty());
    EXPECT_EQ(run.printed[1].piece, 1u);
}

TEST(PrintedText, HebrewDrawnLeftToRightIsStoredSoThatTheReaderDrawsItAgain)
{
    // "shalom (1)" as a PDF draws it: the last letter first.
    const std::u16string drawn = u"(1) \u05DD\u05D5\u05DC\u05E9";
    CTextRun run = RunOf(drawn);
    SettlePrintedText(run, PrintedOrder::FlowLine);
    EXPECT_TRUE(run.hasRightToLeft);
    EXPECT_TRUE(run.readsRightToLeft);
    const std::u16string logical = Stored(run);
    EXPECT_NE(logical.find(u"\u05E9\u05DC\u05D5\u05DD"), std::u16string::npos);
    EXPECT_EQ(Displayed(logical, true), drawn);
    bool sawRightToLeft = false;
    for (const CPrintedText& stretch : run.printed)
        sawRightToLeft = sawRightToLeft || stretch.rightToLeft;
    EXPECT_TRUE(sawRightToLeft);
}

TEST(PrintedText, LatinLineWithOneHebrewWordReadsLeftToRight)
{
    CTextRun run = RunOf(u"see \u05DD\u05D5\u05DC\u05E9 here");
    SettlePrintedText(run, PrintedOrder::FlowLine);
    EXPECT_TRUE(run.hasRightToLeft);
    EXPECT_FALSE(run.readsRightToLeft);
    EXPECT_EQ(Stored(run), u"see \u05E9\u05DC\u05D5\u05DD here");
}

TEST(PrintedText, ACharacterBeyondTheBmpInARightToLeftLineKeepsItsPairInOrder)
{
    // Drawn: bet, U+1F600, alef; stored: alef, U+1F600, bet.
    const std::u16string drawn = u"\u05D1 \U0001F600 \u05D0";
    CTextRun run = RunOf(drawn);
    SettlePrintedText(run, PrintedOrder::FlowLine);
    const std::u16string logical = Stored(run);
    EXPECT_EQ(logical, u"\u05D0 \U0001F600 \u05D1");
    EXPECT_EQ(Displayed(logical, true), drawn);
}

TEST(PrintedText, BracketsOfRightToLeftStretchesAreStoredMirrored)
{
    const std::u16string drawn = u"(\u05D1\u05D0)";
    CTextRun run = RunOf(drawn);
    SettlePrintedText(run, PrintedOrder::FlowLine);
    const std::u16string logical = Stored(run);
    EXPECT_EQ(logical, u"(\u05D0\u05D1)");
    EXPECT_EQ(Displayed(logical, true), drawn);
}

TEST(PrintedText, FramesAndTextBoxesAreLeftToRightParagraphsAndVerticalTextStaysAsDrawn)
{
    const std::u16string drawn = u"\u05D3\u05D2 \u05D1\u05D0";
    CTextRun frame = RunOf(drawn);
    SettlePrintedText(frame, PrintedOrder::Paragraph);
    EXPECT_TRUE(frame.hasRightToLeft);
    EXPECT_FALSE(frame.readsRightToLeft);
    EXPECT_EQ(Displayed(Stored(frame), false), drawn);

    // A text box orders each piece (a paragraph of its own) alone.
    CTextRun box = RunOf(u"\u05D1\u05D0", RunKind::Box);
    box.pieces.push_back(PieceOf({CTextSpan{u"\u05D3\u05D2", true}}));
    SettlePrintedText(box, PrintedOrder::PieceParagraphs);
    ASSERT_EQ(box.printed.size(), 2u);
    EXPECT_EQ(box.printed[0].text, u"\u05D0\u05D1");
    EXPECT_EQ(box.printed[1].text, u"\u05D2\u05D3");

    CTextRun up = RunOf(drawn, RunKind::Up);
    SettlePrintedText(up, PrintedOrder::GlyphOrder);
    EXPECT_FALSE(up.hasRightToLeft);
    EXPECT_EQ(Stored(up), drawn);
}

TEST(PrintedText, LayingOutAPageSettlesEveryRunBeforeTheBlocksCopyThem)
{
    CPage page;
    page.widthTwips = 12240;
    page.heightTwips = 15840;
    CTextRun line = RunOf(u"\u05D1\u05D0");
    line.left = 1440;
    line.right = 2440;
    line.bottom = 2000;
    line.top = 1760;
    line.size = line.lastSize = 240;
    line.lineHeight = 240;
    page.lineRuns.push_back(line);
    page.upRuns.push_back(RunOf(u"up", RunKind::Up));
    LayOutPage(page);
    ASSERT_EQ(page.blocks.size(), 1u);
    const CTextRun& copy = page.blocks[0].columns[0].runs[0];
    EXPECT_TRUE(copy.readsRightToLeft);
    EXPECT_EQ(Stored(copy), u"\u05D0\u05D1");
    EXPECT_EQ(Stored(page.upRuns[0]), u"up");
}

}  // namespace
