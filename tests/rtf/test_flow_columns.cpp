#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/run_blocks.h"
#include "platform/temp_path.h"
#include "rtf/rtf_test_support.h"
#include "rtf/rtf_writer.h"

using namespace rtftest;

namespace {

constexpr int32_t kPageWidth = 12241;
constexpr int32_t kPageHeight = 15841;

// A piece of `text`, where "\\u<n>x" stands for a glyph written by code.
CTextPiece PieceOfText(const std::string& text)
{
    CTextPiece piece = Piece("");
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\u") == 0) {
            const size_t end = text.find('x', i);
            const auto unit = static_cast<char16_t>(std::stoi(text.substr(i + 2, end - i - 2)));
            piece.spans.push_back(CTextSpan{std::u16string(1, unit), true});
            i = end;
        } else {
            piece.spans.push_back(CTextSpan{std::u16string(1, static_cast<char16_t>(text[i])), false});
        }
    }
    return piece;
}

CTextRun FlowRun(const std::string& text, int32_t left, int32_t bottom, int32_t size = 240)
{
    CTextRun r;
    r.pieces = {PieceOfText(text)};
    r.left = left;
    r.right = left + 3000;
    r.bottom = bottom;
    r.top = bottom - size;
    r.width = 3000;
    r.size = size;
    r.lineHeight = static_cast<uint32_t>(size);
    r.lastSize = size;
    return Settled(r);
}

CRunColumn Column(std::vector<CTextRun> runs, int32_t boundary = 0)
{
    CRunColumn c;
    c.runs = std::move(runs);
    c.boundary = boundary;
    return c;
}

// The page's blocks planned and printed: the page's text with each run's
// style words left out: "{text}" stands for a run's piece.
std::string Printed(const CPage& page)
{
    std::string body = PrintedPageText(page);
    const std::string style = "\\fs24\\cf0\\f1\\charscalex100 ";
    for (size_t at = body.find(style); at != std::string::npos; at = body.find(style, at))
        body.erase(at, style.size());
    return body;
}

// Filler paragraphs keep their column's edges.
const std::string kFiller = "\\pard\\li0\\ri0\\sl-213\\slmult0 ";

}  // namespace

TEST(FlowColumns, LinesAreParagraphsOfExactSpacingAfterTheirFillers)
{
    CPage page = EmptyPage(kPageWidth, kPageHeight);
    page.blocks.emplace_back().columns.push_back(
        Column({FlowRun("Hello", 0, 1000), FlowRun("next", 1440, 1200), FlowRun("close", 1440, 1300),
                FlowRun("same", 1440, 1300)}));
    // d = 1000, g = 760: three fillers (639 twips), then 240 + 121. Line
    // paragraphs reach a page width beyond their column (12241 + 50 twips),
    // so that a line the reader sets wider than the PDF does not wrap.
    EXPECT_EQ(Printed(page), kFiller + "\\fs18\\cf0\\par" + kFiller + "\\fs18\\cf0\\par" + kFiller +
                                 "\\fs18\\cf0\\par\\pard\\li0\\ri-12291\\sl-361\\slmult0 {Hello}\\par"
                                 "\\pard\\li1440\\ri-12291\\sl-200\\slmult0 {next}\\par"
                                 "\\pard\\li1440\\ri-12291\\sl-100\\slmult0 {close}\\par"
                                 "\\pard\\li1440\\ri-12291\\sl-1\\slmult0 {same}\\par");
}

TEST(FlowColumns, OnlyLaterBlocksStartWithAContinuousSectionBreak)
{
    CPage page = EmptyPage(kPageWidth, kPageHeight);
    CRunBlock first, second;
    first.columns.push_back(Column({FlowRun("one", 0, 1000)}));
    second.columns.push_back(Column({FlowRun("two", 0, 1240)}));
    second.id = 1;
    page.blocks = {first, second};
    std::string body = Printed(page);
    EXPECT_EQ(body.rfind("\\sbknone"), body.find("\\sbknone"));
    EXPECT_EQ(body.find("\\pard\\sect\\sectd\\sbknone\\pard\\li0\\ri-12291\\sl-240\\slmult0 {two}\\par"),
              body.find("{one}\\par") + 9);
    EXPECT_EQ(body.substr(0, 8), "\\pard\\li");
}

TEST(FlowColumns, TwoColumnBlockIsDeclaredWithItsWidths)
{
    CPage page = EmptyPage(kPageWidth, kPageHeight);
    RunList runs = {FlowRun("L0", 1000, 1000), FlowRun("R0", 6000, 1000),
                    FlowRun("L1", 1000, 1240), FlowRun("R1", 6000, 1240)};
    BuildBlocks(runs, kPageWidth, page.blocks);
    ASSERT_EQ(page.blocks.size(), 1u);
    std::string column1 = "\\pard\\li1000\\ri0\\sl-213\\slmult0 \\fs18\\cf0\\par"
                          "\\pard\\li1000\\ri0\\sl-213\\slmult0 \\fs18\\cf0\\par"
                          "\\pard\\li1000\\ri0\\sl-213\\slmult0 \\fs18\\cf0\\par"
                          "\\pard\\li1000\\ri-12291\\sl-361\\slmult0 {L0}\\par"
                          "\\pard\\li1000\\ri-12291\\sl-240\\slmult0 {L1}\\par";
    std::string column2 = "\\pard\\li0\\ri0\\sl-213\\slmult0 \\fs18\\cf0\\par"
                          "\\pard\\li0\\ri0\\sl-213\\slmult0 \\fs18\\cf0\\par"
                          "\\pard\\li0\\ri0\\sl-213\\slmult0 \\fs18\\cf0\\par"
                          "\\pard\\li0\\ri-12291\\sl-361\\slmult0 {R0}\\par"
                          "\\pard\\li0\\ri-12291\\sl-240\\slmult0 {R1}\\par";
    EXPECT_EQ(Printed(page), "\\cols2\\colno1\\colw5999\\colsr-0\\colno2\\colw6241\\colsr-0" + column1 +
                                 "\\column" + column2);
}

TEST(FlowColumns, LaterColumnSectionStartsAtThePreviousBaseline)
{
    CPage page = EmptyPage(kPageWidth, kPageHeight);
    CRunBlock heading, columns;
    heading.columns.push_back(Column({FlowRun("head", 0, 1000)}));
    columns.id = 1;
    columns.columns.push_back(Column({FlowRun("a", 0, 1240), FlowRun("a2", 0, 1480)}));
    columns.columns.push_back(Column({FlowRun("b", 6000, 1240)}, 6000));
    columns.columns[0].width = 5999;
    columns.columns[1].width = 6241;
    columns.endBaseline = 1480;
    CRunBlock after;
    after.id = 2;
    after.columns.push_back(Column({FlowRun("tail", 0, 1720)}));
    page.blocks = {heading, columns, after};
    std::string body = Printed(page);
    size_t section = body.find("\\pard\\sect\\sectd\\sbknone\\cols2\\colno1\\colw5999");
    ASSERT_NE(section, std::string::npos);
    // Both columns continue from the heading's baseline 1000.
    EXPECT_NE(body.find("\\pard\\li0\\ri-12291\\sl-240\\slmult0 {a}\\par"), std::string::npos);
    EXPECT_NE(body.find("\\column\\pard\\li0\\ri-12291\\sl-240\\slmult0 {b}\\par"), std::string::npos);
    // The block after the section continues from its end baseline, one column again.
    EXPECT_NE(body.find("\\pard\\sect\\sectd\\sbknone\\pard\\li0\\ri-12291\\sl-240\\slmult0 {tail}\\par"),
              std::string::npos);
}

TEST(FlowColumns, EmptyBlockListWritesNothing)
{
    EXPECT_EQ(Printed(EmptyPage(kPageWidth, kPageHeight)), "");
}

TEST(FlowColumns, RightToLeftLinesKeepTheirRightEndAndAreStoredInReadingOrder)
{
    // Drawn left to right: bet, alef (the word alef-bet). A Hebrew line and a
    // Latin line with that word, in a first column 5999 twips wide and in the
    // page's last column, which reaches to the paper's edge (50 twips beyond
    // the page width), under a heading at 1000.
    CPage page = EmptyPage(kPageWidth, kPageHeight);
    const std::string drawn = "\\u1489x\\u1488x";
    CRunBlock heading, columns;
    heading.columns.push_back(Column({FlowRun("head", 0, 1000)}));
    columns.id = 1;
    columns.columns.push_back(Column({FlowRun(drawn, 1000, 1240)}, 0));  // right 4000
    columns.columns[0].width = 5999;
    columns.columns.push_back(Column({FlowRun(drawn, 6000, 1240), FlowRun("ab " + drawn, 6000, 1480)}, 6000));
    columns.columns[1].width = kPageWidth - 6000;  // right 9000
    columns.endBaseline = 1480;
    page.blocks = {heading, columns};
    // Each stretch states the run's style, once for left-to-right script and
    // once after \\rtlch; the paragraph mark keeps the style outside.
    const std::string style = "\\fs24\\cf0\\f1\\charscalex100";
    const std::string hebrew = "{" + style + "\\rtlch\\u1488x\\u1489x}";
    const std::string body = Printed(page);
    const std::string columnStart = "\\pard\\sect\\sectd\\sbknone\\cols2\\colno1\\colw5999\\colsr-0\\colno2\\colw6241\\colsr-0";
    const size_t at = body.find(columnStart);
    ASSERT_NE(at, std::string::npos) << body;
    EXPECT_EQ(body.substr(at + columnStart.size()),
              "\\pard\\rtlpar\\qr\\li1999\\ri0\\sl-240\\slmult0 " + hebrew + style + "\\par" +
                  "\\column\\pard\\rtlpar\\qr\\li3291\\ri0\\sl-240\\slmult0 " + hebrew + style + "\\par" +
                  "\\pard\\li0\\ri-12291\\sl-240\\slmult0 {" + style + "\\rtlch" + style + "\\ltrch ab }" + hebrew +
                  style + "\\par");
}
