// Settled run text into RTF: the code page where it holds a character, the
// Unicode control word (signed, in order) where not; and the run's RTF of
// lines with right-to-left letters, raised pieces and composed accents.
#include <gtest/gtest.h>

#include "layout/printed_text.h"
#include "rtf/rtf_encoding.h"
#include "rtf/rtf_writer.h"
#include "rtf/run_text.h"

namespace {

CTextSpan Text(std::u16string text) { return CTextSpan{std::move(text), false}; }
CTextSpan Code(std::u16string text) { return CTextSpan{std::move(text), true}; }

CTextRun RunOf(std::vector<CTextSpan> spans, RunKind kind = RunKind::Line)
{
    CTextRun run;
    run.kind = kind;
    CTextPiece piece;
    piece.face = "Arial";
    piece.halfPoints = 24;
    piece.spans = std::move(spans);
    run.pieces.push_back(std::move(piece));
    return run;
}

// The spans' text as RTF, in drawing order.
std::string Encoded(std::vector<CTextSpan> spans)
{
    CTextRun run = RunOf(std::move(spans));
    SettlePrintedText(run, PrintedOrder::GlyphOrder);
    std::string out;
    for (const CPrintedText& stretch : run.printed)
        AppendRtfText(out, stretch.text, stretch.byCharCode);
    return out;
}

TEST(RtfEncoding, CharacterCodeGlyphsBecomeUnicodeControlWords)
{
    EXPECT_EQ(Encoded({Code(u"\u2022")}), "\\u8226x");
    EXPECT_EQ(Encoded({Code(u"\u00e9")}), "\\u233x");
    // A tab given by character code is one plain blank.
    EXPECT_EQ(Encoded({Code(u"\t")}), " ");
    // A glyph read as three letters keeps every one.
    EXPECT_EQ(Encoded({Code(u"ffi")}), "\\u102x\\u102x\\u105x");
}

TEST(RtfEncoding, OtherTextIsWindows1252WhereItHoldsTheCharacter)
{
    EXPECT_EQ(Encoded({Text(u"\u00e9")}), "\xE9");
    EXPECT_EQ(Encoded({Text(u"\u20ac")}), "\x80");
    // No byte for it: the character itself rather than a look-alike.
    EXPECT_EQ(Encoded({Text(u"\u0142")}), "\\u322?");
    // A glyph's text ends at its first zero unit.
    EXPECT_EQ(Encoded({Text(std::u16string(u"ab\0cd", 5))}), "ab");
}

TEST(RtfEncoding, AccentAfterItsLetterIsComposedAsTheOtherPrinterHasIt)
{
    // "e" + combining acute in one glyph: the composed letter, not "e?".
    EXPECT_EQ(Encoded({Text(u"e\u0301")}), "\xE9");
    EXPECT_EQ(Encoded({Code(u"e\u0301")}), "\\u233x");
}

TEST(RtfEncoding, EscapesBackslashAndBracesAndNothingElse)
{
    EXPECT_EQ(Encoded({Text(u"a{b}c\\d")}), "a\\{b\\}c\\\\d");
    EXPECT_EQ(Encoded({Text(u"\\"), Code(u"\u2022")}), "\\\\\\u8226x");
    // Page text reading "&u" stays text.
    EXPECT_EQ(Encoded({Text(u"R"), Text(u"&"), Text(u"u"), Text(u"sage")}), "R&usage");
}

TEST(RtfEncoding, ControlCharactersNeverReachTheDocument)
{
    // A raw line feed would break the one-line document; a raw tab is a blank.
    EXPECT_EQ(Encoded({Text(u"a\nb\rc\td\x01\x7f")}), "abc d");
    EXPECT_EQ(Encoded({Code(u"\n")}), "");
}

TEST(RtfEncoding, UnitsBeyondTheSignedRangeAreWrittenNegativeInTheirOrder)
{
    // U+1F600 as a surrogate pair: lead first, each as RTF's signed value.
    EXPECT_EQ(Encoded({Code(u"\U0001F600")}), "\\u-10179x\\u-8704x");
    EXPECT_EQ(Encoded({Text(u"a\U0001F600")}), "a\\u-10179?\\u-8704?");
    EXPECT_EQ(Encoded({Code(u"\uF020")}), "\\u-4064x");
    EXPECT_EQ(Encoded({Code(u"\u7FFF\u8000")}), "\\u32767x\\u-32768x");
}

TEST(RtfRunText, RightToLeftLineWithACharacterBeyondTheBmpKeepsItsPairInOrder)
{
    // Hebrew, U+1F600, Hebrew in logical order; drawn left to right the
    // other way round.
    CTextRun run = RunOf({Code(u"\u05D1"), Text(u" "), Code(u"\U0001F600"), Text(u" "), Code(u"\u05D0")});
    SettlePrintedText(run, PrintedOrder::FlowLine);
    ASSERT_TRUE(run.hasRightToLeft);
    EXPECT_TRUE(run.readsRightToLeft);
    CRtfWriter writer;
    const std::string rtf = RunRtf(run, TextMode::Flow, writer);
    EXPECT_NE(rtf.find("\\u1488x \\u-10179x\\u-8704x \\u1489x"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\u-8704x\\u-10179x"), std::string::npos) << rtf;
    EXPECT_EQ(rtf, "{\\fs24\\cf0\\f1\\charscalex100\\rtlch\\fs24\\cf0\\f1\\charscalex100 "
                   "\\u1488x \\u-10179x\\u-8704x \\u1489x}\\fs24\\cf0\\f1\\charscalex100");
}

TEST(RtfRunText, StylesOfRightToLeftGroupsAreThoseInForceForEachPiece)
{
    // Two pieces, the first bold: the second's group states the bold's end.
    CTextRun run = RunOf({Code(u"\u05D1\u05D0")});
    CTextPiece plain = run.pieces[0];
    plain.spans = {Code(u"\u05D3\u05D2")};
    run.pieces[0].bold = true;
    run.pieces.push_back(plain);
    SettlePrintedText(run, PrintedOrder::FlowLine);
    CRtfWriter writer;
    const std::string bold = "\\fs24\\cf0\\f1\\b\\charscalex100";
    const std::string after = "\\fs24\\cf0\\f1\\b0\\charscalex100";
    // Logical order: the plain piece (drawn right) first.
    EXPECT_EQ(RunRtf(run, TextMode::Flow, writer), "{" + after + "\\rtlch" + after + " \\u1490x\\u1491x}{" + bold +
                                                       "\\rtlch" + bold + " \\u1488x\\u1489x}" + after);
    // Frames state each piece's style inside its group only.
    SettlePrintedText(run, PrintedOrder::Paragraph);
    EXPECT_EQ(RunRtf(run, TextMode::Frames, writer),
              "{\\f1\\fs24\\cf0\\charscalex100\\rtlch\\f1\\fs24\\cf0\\charscalex100 \\u1490x\\u1491x}"
              "{\\b\\f1\\fs24\\cf0\\charscalex100\\rtlch\\b\\f1\\fs24\\cf0\\charscalex100 \\u1488x\\u1489x}");
}

TEST(RtfRunText, RaisedAndLoweredPiecesAreWrittenAsTheOtherPrinterHasThem)
{
    CTextRun run = RunOf({Text(u"E")});
    run.pieces.push_back(run.pieces[0]);
    run.pieces[1].spans = {Text(u"2")};
    run.pieces[1].raise = 56;  // 5.6 half-points up: 6
    run.pieces.push_back(run.pieces[0]);
    run.pieces[2].spans = {Text(u"i")};
    run.pieces[2].raise = -44;
    SettlePrintedText(run, PrintedOrder::FlowLine);
    CRtfWriter writer;
    EXPECT_EQ(RunRtf(run, TextMode::Flow, writer),
              "\\fs24\\cf0\\f1\\charscalex100 {E}\\fs24\\cf0\\f1\\charscalex100 {\\up6 2}"
              "\\fs24\\cf0\\f1\\charscalex100 {\\dn4 i}");
    SettlePrintedText(run, PrintedOrder::Paragraph);
    EXPECT_EQ(RunRtf(run, TextMode::Frames, writer),
              "{\\f1\\fs24\\cf0\\charscalex100 E}{\\f1\\fs24\\cf0\\charscalex100\\up6 2}"
              "{\\f1\\fs24\\cf0\\charscalex100\\dn4 i}");
}

TEST(RtfRunText, OverlaidTextWithRightToLeftLettersOrdersEachParagraphOnItsOwn)
{
    CTextRun run = RunOf({Code(u"\u05D1\u05D0")}, RunKind::Box);
    run.pieces.push_back(run.pieces[0]);
    run.pieces[1].spans = {Text(u"ab")};
    SettlePrintedText(run, PrintedOrder::PieceParagraphs);
    CRtfWriter writer;
    const std::string style = "\\fs24\\f1\\cf0\\strike0";
    EXPECT_EQ(RunRtf(run, TextMode::Flow, writer), "{" + style + "\\rtlch" + style + " \\u1488x\\u1489x}" + style +
                                                       "\\par{" + style + "\\rtlch" + style + "\\ltrch ab}" + style +
                                                       "\\par" + style);
}

TEST(RtfEncoding, FontTableNamesCannotBreakTheTable)
{
    EXPECT_EQ(FontTableName("A;}{\\par"), "Apar");
    EXPECT_EQ(FontTableName("Times New Roman"), "Times New Roman");
    EXPECT_EQ(FontTableName("Bad\nName\x7f"), "BadName");
    // UTF-8 names are written in the document's code page.
    EXPECT_EQ(FontTableName("Caf\xC3\xA9 Sans"), "Caf\xE9 Sans");
    // Bytes that are not UTF-8 are taken as they are.
    EXPECT_EQ(FontTableName("Caf\xE9"), "Caf\xE9");
    EXPECT_EQ(FontTableName(""), "");
}

}  // namespace
