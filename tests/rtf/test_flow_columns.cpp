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

// Runs one writer over a fresh document and hands back the body it wrote.
class FlowColumnsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = MakeTempPath();
        ASSERT_FALSE(path_.empty());
        ASSERT_TRUE(writer_.OpenDocument(path_));
    }
    // The body with each run's style words left out: "{text}" stands for a
    // run's piece.
    std::string Body()
    {
        EXPECT_EQ(writer_.FinishDocument(), 0);
        std::string body = BodyOf(ReadWholeFile(path_));
        const std::string style = "\\fs24\\cf0\\f1\\charscalex100 ";
        for (size_t at = body.find(style); at != std::string::npos; at = body.find(style, at))
            body.erase(at, style.size());
        return body;
    }
    int WriteFlowColumn(const CRunColumn& column, int32_t boundary)
    {
        return writer_.WriteFlowColumn(page_, column, boundary);
    }
    int WriteBlocks() { return writer_.WriteBlocks(page_); }

    std::string path_;
    CRtfWriter writer_;
    CPage page_ = EmptyPage(kPageWidth, kPageHeight);
};

// Line paragraphs reach a page width beyond their column (12241 + 50 twips),
// so that a line the reader sets wider than the PDF does not wrap; filler
// paragraphs keep their column's edge.
const std::string kFiller = "\\pard\\li0\\ri0\\sl-213\\slmult0 ";

}  // namespace

TEST_F(FlowColumnsTest, FirstLineOfThePageGetsFillersFromTheTopEdge)
{
    ASSERT_EQ(WriteFlowColumn(Column({FlowRun("Hello", 0, 1000)}), 0), 0);
    EXPECT_EQ(writer_.lastBaseline, 1000);
    // d = 1000, g = 760: three fillers (639 twips), then 240 + 121.
    EXPECT_EQ(Body(), kFiller + "\\fs18\\cf0\\par" + kFiller + "\\fs18\\cf0\\par" + kFiller +
                          "\\fs18\\cf0\\par\\pard\\li0\\ri-12291\\sl-361\\slmult0 {Hello}\\par");
}

TEST_F(FlowColumnsTest, NextAndCloseLines)
{
    writer_.lastBaseline = 1000;
    writer_.inColumnSection = 1;  // no section break in front
    // A close line (100 twips below, less than 0.75 of its 240) advances
    // exactly its distance, so that the lines after it keep their baselines;
    // a run on the same baseline advances the least step.
    CRunColumn column = Column({FlowRun("next", 1440, 1200), FlowRun("close", 1440, 1300),
                                FlowRun("same", 1440, 1300), FlowRun("after", 1440, 1540)});
    ASSERT_EQ(WriteFlowColumn(column, 0), 0);
    EXPECT_EQ(Body(), "\\pard\\li1440\\ri-12291\\sl-200\\slmult0 {next}\\par"
                      "\\pard\\li1440\\ri-12291\\sl-100\\slmult0 {close}\\par"
                      "\\pard\\li1440\\ri-12291\\sl-1\\slmult0 {same}\\par"
                      "\\pard\\li1440\\ri-12291\\sl-239\\slmult0 {after}\\par");
    EXPECT_EQ(writer_.lastBaseline, 1540);
}

TEST_F(FlowColumnsTest, PlotOfCloseLinesAdvancesNoMoreThanThePdf)
{
    // Forty lines 40 twips apart (a plot drawn with text): together they
    // advance exactly the PDF's 1600 twips; written 0.75 of a line each they
    // would have taken 7200 and pushed the page over its end.
    writer_.lastBaseline = 1000;
    writer_.inColumnSection = 1;
    RunList runs;
    for (int i = 1; i <= 40; ++i)
        runs.push_back(FlowRun(".", 1440 + 10 * i, 1000 + 40 * i));
    ASSERT_EQ(WriteFlowColumn(Column(runs), 0), 0);
    EXPECT_EQ(writer_.lastBaseline, 2600);
    const std::string body = Body();
    size_t spacings = 0;
    for (size_t at = body.find("\\sl-40\\"); at != std::string::npos; at = body.find("\\sl-40\\", at + 1))
        ++spacings;
    EXPECT_EQ(spacings, 40u);
}

TEST_F(FlowColumnsTest, LineExactlyOneLineHeightBelowHasNoFiller)
{
    writer_.lastBaseline = 1000;
    writer_.inColumnSection = 1;
    ASSERT_EQ(WriteFlowColumn(Column({FlowRun("a", 0, 1240), FlowRun("b", 0, 1481)}), 0), 0);
    // 240 is still a next line; 241 is one twip farther: no filler, spacing 241.
    EXPECT_EQ(Body(), "\\pard\\li0\\ri-12291\\sl-240\\slmult0 {a}\\par"
                      "\\pard\\li0\\ri-12291\\sl-241\\slmult0 {b}\\par");
}

TEST_F(FlowColumnsTest, IndentIsRelativeToTheColumnBoundary)
{
    writer_.lastBaseline = 760;
    writer_.inColumnSection = 1;
    ASSERT_EQ(WriteFlowColumn(Column({FlowRun("x", 6500, 1000)}, 6000), 6000), 0);
    EXPECT_EQ(Body(), "\\pard\\li500\\ri-12291\\sl-240\\slmult0 {x}\\par");
}

// A baseline above the last one must never give a negative or shrinking
// spacing: the line follows at its own height.
TEST_F(FlowColumnsTest, LineAboveTheLastBaselineAdvancesTheLeastStep)
{
    // Flowing text cannot go back up: the line follows one twip down, and the
    // next line is measured from where that one stands.
    writer_.lastBaseline = 8000;
    writer_.inColumnSection = 1;
    ASSERT_EQ(WriteFlowColumn(Column({FlowRun("up", 0, 5200), FlowRun("on", 0, 8241)}), 0), 0);
    std::string body = Body();
    EXPECT_EQ(body, "\\pard\\li0\\ri-12291\\sl-1\\slmult0 {up}\\par"
                    "\\pard\\li0\\ri-12291\\sl-240\\slmult0 {on}\\par");
    EXPECT_EQ(body.find("\\sl--"), std::string::npos);
    EXPECT_EQ(writer_.lastBaseline, 8241);
}

TEST_F(FlowColumnsTest, OnlyLaterBlocksStartWithAContinuousSectionBreak)
{
    CRunBlock first, second;
    first.columns.push_back(Column({FlowRun("one", 0, 1000)}));
    second.columns.push_back(Column({FlowRun("two", 0, 1240)}));
    second.id = 1;
    page_.blocks = {first, second};
    ASSERT_EQ(WriteBlocks(), 0);
    std::string body = Body();
    EXPECT_EQ(body.rfind("\\sbknone"), body.find("\\sbknone"));
    EXPECT_EQ(body.find("\\pard\\sect\\sectd\\sbknone\\pard\\li0\\ri-12291\\sl-240\\slmult0 {two}\\par"),
              body.find("{one}\\par") + 9);
    EXPECT_EQ(body.substr(0, 8), "\\pard\\li");
}

TEST_F(FlowColumnsTest, TwoColumnBlockIsDeclaredWithItsWidths)
{
    RunList runs = {FlowRun("L0", 1000, 1000), FlowRun("R0", 6000, 1000),
                    FlowRun("L1", 1000, 1240), FlowRun("R1", 6000, 1240)};
    BuildBlocks(runs, kPageWidth, page_.blocks);
    ASSERT_EQ(page_.blocks.size(), 1u);
    ASSERT_EQ(WriteBlocks(), 0);
    EXPECT_EQ(writer_.lastBaseline, 1240);
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
    EXPECT_EQ(Body(), "\\cols2\\colno1\\colw5999\\colsr-0\\colno2\\colw6241\\colsr-0" + column1 +
                          "\\column" + column2);
}

TEST_F(FlowColumnsTest, LaterColumnSectionStartsAtThePreviousBaseline)
{
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
    page_.blocks = {heading, columns, after};
    ASSERT_EQ(WriteBlocks(), 0);
    std::string body = Body();
    size_t section = body.find("\\pard\\sect\\sectd\\sbknone\\cols2\\colno1\\colw5999");
    ASSERT_NE(section, std::string::npos);
    // Both columns continue from the heading's baseline 1000.
    EXPECT_NE(body.find("\\pard\\li0\\ri-12291\\sl-240\\slmult0 {a}\\par"), std::string::npos);
    EXPECT_NE(body.find("\\column\\pard\\li0\\ri-12291\\sl-240\\slmult0 {b}\\par"), std::string::npos);
    // The block after the section continues from its end baseline, one column again.
    EXPECT_NE(body.find("\\pard\\sect\\sectd\\sbknone\\pard\\li0\\ri-12291\\sl-240\\slmult0 {tail}\\par"),
              std::string::npos);
    EXPECT_EQ(writer_.lastBaseline, 1720);
}

TEST_F(FlowColumnsTest, EmptyBlockListWritesNothing)
{
    ASSERT_EQ(WriteBlocks(), 0);
    EXPECT_EQ(Body(), "");
}

TEST_F(FlowColumnsTest, RightToLeftLinesKeepTheirRightEndAndAreStoredInReadingOrder)
{
    writer_.lastBaseline = 1000;
    writer_.inColumnSection = 1;
    // Drawn left to right: bet, alef (the word alef-bet). A Hebrew line and a
    // Latin line with that word, in a first column 5999 twips wide and in the
    // page's last column, which reaches to the paper's edge (50 twips beyond
    // the page width).
    const std::string drawn = "\\u1489x\\u1488x";
    CRunColumn first = Column({FlowRun(drawn, 1000, 1240)}, 0);  // right 4000
    first.width = 5999;
    CRunColumn last = Column({FlowRun(drawn, 6000, 1480), FlowRun("ab " + drawn, 6000, 1720)}, 6000);  // right 9000
    last.width = kPageWidth - 6000;
    ASSERT_EQ(WriteFlowColumn(first, 0), 0);
    ASSERT_EQ(WriteFlowColumn(last, 6000), 0);
    // Each stretch states the run's style, once for left-to-right script and
    // once after \\rtlch; the paragraph mark keeps the style outside.
    const std::string style = "\\fs24\\cf0\\f1\\charscalex100";
    const std::string hebrew = "{" + style + "\\rtlch\\u1488x\\u1489x}";
    EXPECT_EQ(Body(), "\\pard\\rtlpar\\qr\\li1999\\ri0\\sl-240\\slmult0 " + hebrew + style + "\\par" +
                          "\\pard\\rtlpar\\qr\\li3291\\ri0\\sl-240\\slmult0 " + hebrew + style + "\\par" +
                          "\\pard\\li0\\ri-12291\\sl-240\\slmult0 {" + style + "\\rtlch" + style + "\\ltrch ab }" +
                          hebrew + style + "\\par");
}
