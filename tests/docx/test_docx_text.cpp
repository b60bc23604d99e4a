// XML text of the package: escaping, characters XML cannot hold, faces of
// any encoding, colours; and right-to-left runs in logical order.
#include <gtest/gtest.h>

#include "layout/printed_text.h"
#include "docx/run_xml.h"
#include "docx/xml_text.h"
#include "docx_test_support.h"

namespace {

std::string Text(std::u16string_view text)
{
    std::string out;
    AppendXmlText(out, text);
    return out;
}

TEST(DocxXmlText, EscapesMarkupAndKeepsEveryPrintableCharacter)
{
    EXPECT_EQ(Text(u"a<b>&c\"d'"), "a&lt;b&gt;&amp;c\"d'");
    EXPECT_EQ(Text(u"\u00e9\u20ac"), "\xc3\xa9\xe2\x82\xac");
    // A pair of surrogates is one character of four UTF-8 bytes.
    EXPECT_EQ(Text(u"\U0001D400"), "\xf0\x9d\x90\x80");
}

TEST(DocxXmlText, DropsWhatXmlCannotHoldAndTurnsLineBreaksIntoBlanks)
{
    EXPECT_EQ(Text(std::u16string(u"a\u0001b\u001fc\0d", 7)), "abcd");
    EXPECT_EQ(Text(u"a\tb\nc\rd"), "a b c d");
    EXPECT_EQ(Text(u"x\uFFFEy\uFFFFz"), "xyz");
    // Unpaired surrogates: a lead at the end, a lead before a letter, a lone trail.
    EXPECT_EQ(Text(std::u16string{u'a', 0xD835}), "a");
    EXPECT_EQ(Text(std::u16string{0xD835, u'b', 0xDC00, u'c'}), "bc");
}

TEST(DocxXmlText, FaceNamesOfAnyEncodingBecomeValidAttributes)
{
    std::string out;
    AppendXmlAttribute(out, "Caf\xc3\xa9 \"Sans\" & <Co>");
    EXPECT_EQ(out, "Caf\xc3\xa9 &quot;Sans&quot; &amp; &lt;Co&gt;");
    out.clear();
    // Not UTF-8: read as Windows-1252 (0xE9 e acute, 0x80 euro); a control dropped.
    AppendXmlAttribute(out, "Caf\xe9\x80\x01");
    EXPECT_EQ(out, "Caf\xc3\xa9\xe2\x82\xac");
}

TEST(DocxXmlText, ColoursAreRedGreenBlue)
{
    EXPECT_EQ(HexColor(0x000000FF), "FF0000");
    EXPECT_EQ(HexColor(0x00FF0000), "0000FF");
    EXPECT_EQ(HexColor(0x00123456), "563412");
}

TEST(DocxRunXml, PieceStyleBecomesRunProperties)
{
    CTextPiece piece = docxtest::Piece(u"Hi", "Arial Narrow", 21);
    piece.bold = true;
    piece.italic = true;
    piece.color = 0x0000FF;
    piece.charScale = 88;
    piece.raise = -36;  // lowered 3.6 pt: -4 half-points after rounding
    std::string out;
    AppendTextRun(out, piece, u"Hi", false, false);
    EXPECT_EQ(out,
              "<w:r><w:rPr><w:rFonts w:ascii=\"Arial Narrow\" w:hAnsi=\"Arial Narrow\" w:eastAsia=\"Arial Narrow\" "
              "w:cs=\"Arial Narrow\"/><w:b/><w:i/><w:color w:val=\"FF0000\"/><w:w w:val=\"88\"/>"
              "<w:position w:val=\"-4\"/><w:sz w:val=\"21\"/></w:rPr><w:t xml:space=\"preserve\">Hi</w:t></w:r>");
    out.clear();
    AppendTextRun(out, piece, u"", false, false);
    EXPECT_EQ(out, "");
}

TEST(DocxRunXml, TabByCharacterCodeIsOneBlankAndPiecesKeepTheirOrder)
{
    CTextRun run = docxtest::LineRun(u"A", 0, 1000);
    run.pieces[0].spans.push_back(CTextSpan{u"\t", true});
    run.pieces.push_back(docxtest::Piece(u"B", "DejaVu Sans", 24));
    SettlePrintedText(run, PrintedOrder::FlowLine);
    std::string out;
    AppendRunText(out, run);
    EXPECT_NE(out.find(">A </w:t>"), std::string::npos) << out;
    EXPECT_LT(out.find(">A </w:t>"), out.find(">B</w:t>"));
    EXPECT_EQ(docxtest::Count(out, "<w:r>"), 2u);
}

TEST(DocxRunXml, RightToLeftLinesAreWrittenAsLayoutStoredThem)
{
    // "shalom (1)" as a PDF draws it: the last letter first.
    CTextRun run = docxtest::LineRun(u"(1) \u05DD\u05D5\u05DC\u05E9", 0, 1000);
    SettlePrintedText(run, PrintedOrder::FlowLine);
    std::string out;
    AppendRunText(out, run);
    EXPECT_NE(out.find("<w:rtl/>"), std::string::npos);
    EXPECT_NE(out.find("<w:szCs w:val=\"24\"/>"), std::string::npos);
    // Stored: the word first, in reading order, then the bracketed number
    // with its brackets mirrored.
    EXPECT_LT(out.find("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d"), out.find("1"));
    // An accent after its letter comes composed, as in the RTF.
    CTextRun accent = docxtest::LineRun(u"e\u0301", 0, 1000);
    SettlePrintedText(accent, PrintedOrder::FlowLine);
    out.clear();
    AppendRunText(out, accent);
    EXPECT_NE(out.find(">\xc3\xa9</w:t>"), std::string::npos) << out;
}

}  // namespace
