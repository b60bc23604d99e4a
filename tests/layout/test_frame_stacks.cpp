// Frame mode: which runs share a frame, and at which exact spacings the
// lines of a stack stand.
#include <gtest/gtest.h>

#include <string>

#include "layout/frame_stacks.h"
#include "layout/printed_text.h"
#include "layout/run_text_support.h"
#include "rtf/rtf_test_support.h"

namespace {

CTextRun Line(int32_t left, int32_t bottom, int32_t size = 240, int32_t width = 3000)
{
    CTextRun run;
    run.left = left;
    run.right = left + width;
    run.bottom = bottom;
    run.top = bottom - size;
    run.size = size;
    run.lineHeight = static_cast<uint32_t>(size);
    run.pieces = {layouttest::PieceOf("x")};
    return run;
}

TEST(FrameStacks, LinesDownTheSameLeftEdgeShareAFrameAtExactSpacings)
{
    const RunList runs = {Line(720, 1000), Line(720, 1280), Line(720, 1560)};
    const auto stacks = PlanFrameStacks(runs);
    ASSERT_EQ(stacks.size(), 1u);
    const CFrameStack& stack = stacks[0];
    ASSERT_EQ(stack.lines.size(), 3u);
    // First line: 1.2 line heights; its baseline four fifths down, after the
    // frame's 45-twip inset: 725 + 45 + 230 = 1000.
    EXPECT_EQ(stack.lines[0].spacing, 288);
    EXPECT_EQ(stack.top, 1000 - 45 - 230);
    // Each later line: the spacing whose four fifths, after the lines above,
    // reach its baseline: 725 + 45 + 288 + 0.8 * 278 = 1280.4.
    EXPECT_EQ(stack.lines[1].spacing, 278);
    EXPECT_EQ(stack.lines[2].spacing, 280);
    EXPECT_EQ(stack.left, 720);
}

TEST(FrameStacks, AnotherEdgeALineAboveOrTightLinesStartANewFrame)
{
    const RunList runs = {
        Line(720, 1000),
        Line(1000, 1280),  // indented: its own frame
        Line(1000, 1560),  // stacks under the indented line
        Line(1000, 1300),  // above the previous line
        Line(1000, 1500),  // 200 below, less than 1.15 line heights of spacing
    };
    const auto stacks = PlanFrameStacks(runs);
    ASSERT_EQ(stacks.size(), 4u);
    EXPECT_EQ(stacks[0].lines.size(), 1u);
    EXPECT_EQ(stacks[1].lines.size(), 2u);
    EXPECT_EQ(stacks[2].lines.size(), 1u);
    EXPECT_EQ(stacks[3].lines.size(), 1u);
    // A frame of one line has the exact spacing of a stack's first line: its
    // baseline then does not depend on the reader's font.
    EXPECT_EQ(stacks[0].lines[0].spacing, 288);
    EXPECT_EQ(stacks[0].top, 725);  // 1000 - 45 - 0.8 * 288, rounded
    EXPECT_EQ(stacks[2].lines[0].spacing, 288);
    EXPECT_EQ(stacks[2].top, 1025);
}

TEST(FrameStacks, TheRunsOfALineFormOneLineOfTheStack)
{
    CTextRun big = Line(4000, 1500, 400, 1000);
    const RunList runs = {Line(720, 1000, 240, 1000), Line(720, 1500, 240, 1000), big};
    const auto stacks = PlanFrameStacks(runs);
    ASSERT_EQ(stacks.size(), 1u);
    ASSERT_EQ(stacks[0].lines.size(), 2u);
    EXPECT_EQ(stacks[0].lines[1].first, 1u);
    EXPECT_EQ(stacks[0].lines[1].count, 2u);
    EXPECT_EQ(stacks[0].lines[1].height, 400);
    EXPECT_EQ(stacks[0].lines[1].top, 1100);
    EXPECT_EQ(stacks[0].lines[1].spacing, 553);  // (1500 - 725 - 45 - 288) / 0.8, rounded
    // At the usual 280 below, 0.8 * 278 would reach the baseline, but 278 is
    // less than 1.15 times the larger type: the line starts its own frame.
    const RunList tight = {Line(720, 1000), Line(720, 1280, 240, 1000), Line(4000, 1280, 400, 1000)};
    EXPECT_EQ(PlanFrameStacks(tight).size(), 2u);
}

TEST(FrameStacks, AStackIsWrittenAsParagraphsWithTheSameFrameControls)
{
    const std::string path = MakeTempPath();
    CRtfWriter writer;
    ASSERT_TRUE(writer.OpenDocument(path));
    CPage page;
    page.mode = TextMode::Frames;
    page.widthTwips = 12241;
    page.heightTwips = 15841;
    page.lineRuns = {Line(720, 1000), Line(720, 1280)};
    page.frameStacks = PlanFrameStacks(page.lineRuns);
    SettlePageText(page);
    ASSERT_EQ(writer.PrintPage(page), 0);
    ASSERT_EQ(writer.Finish(), 0);
    const std::string controls =
        " \\pard \\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx720\\posy725\\absw11521\\dxfrtext144\\dfrmtxtx144"
        "\\nowrap\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0\\pararsid9203263";
    EXPECT_EQ(rtftest::PageTextOf(rtftest::ReadWholeFile(path)),
              "\\pard\\sl-1\\slmult0\\par" + controls + "\\sl-288\\slmult0{\\f1\\fs24\\cf0\\charscalex100 x}\\par" + controls +
                  "\\sl-278\\slmult0{\\f1\\fs24\\cf0\\charscalex100 x}\\par\\pard\\par");
}

}  // namespace
