#include <gtest/gtest.h>

#include "layout/frame_stacks.h"
#include "rtf_test_support.h"

using namespace rtftest;

namespace {

const char kLineFrameControls[] =
    "\\dxfrtext144\\dfrmtxtx144\\nowrap\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0\\pararsid9203263";

// A run of `text` in a face that is font 2 of the document, `halfPoints` large.
CTextRun FrameRun(int32_t left, int32_t top, const std::string& text, int32_t halfPoints = 24,
                  RunKind kind = RunKind::Line)
{
    CTextRun run;
    run.kind = kind;
    run.pieces = {Piece(text, halfPoints)};
    run.pieces[0].face = "Liberation Serif";
    run.left = left;
    run.top = top;
    run.right = left + 1000;
    run.bottom = top + 240;
    run.size = 240;
    run.lineHeight = 240;
    return Settled(run, TextMode::Frames);
}

class FramedText : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = MakeTempPath();
        ASSERT_TRUE(writer.OpenDocument(path));
    }
    int Write()
    {
        page.frameStacks = PlanFrameStacks(page.lineRuns);
        PlanPlaces(page);
        return writer.PrintPage(page);
    }
    std::string Body()
    {
        EXPECT_EQ(writer.Finish(), 0);
        return PageTextOf(ReadWholeFile(path));
    }
    CRtfWriter writer;
    std::string path;
    CPage page = EmptyPage(12241, 15841, false);
};

TEST_F(FramedText, LineRunsOnlyGiveLineFramesAndTheAnchorParagraph)
{
    page.lineRuns.push_back(FrameRun(720, 1000, "Hello", 24));
    page.lineRuns.push_back(FrameRun(1440, 2000, "World", 24));
    ASSERT_EQ(Write(), 0);
    // A one-twip paragraph leads the line frames (LibreOffice would shift the
    // first one otherwise); an empty one ends the page.
    EXPECT_EQ(Body(), std::string("\\pard\\sl-1\\slmult0\\par") +
                          " \\pard \\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx720\\posy1000\\absw11521" +
                          kLineFrameControls + "{\\f2\\fs24\\cf0\\charscalex100 Hello}\\par" +
                          " \\pard \\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx1440\\posy2000\\absw10801" +
                          kLineFrameControls + "{\\f2\\fs24\\cf0\\charscalex100 World}\\par" + "\\pard\\par");
}

TEST_F(FramedText, UpwardRunIsATextBoxBetweenAnchorAndClosingFrames)
{
    page.upRuns.push_back(FrameRun(3000, 5000, "Up", 24, RunKind::Up));
    ASSERT_EQ(Write(), 0);
    const std::string body = Body();
    const size_t box = body.find("{\\shp{\\*\\shpinst\\shpleft3000\\shptop4760\\shpright4000\\shpbottom5240");
    const size_t anchor = body.find("\\pard\\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx0\\posy0\\absw12241"
                                    "\\dxfrtext144\\dfrmtxtx144\\nowrap\\aspalpha\\aspnum\\faauto\\adjustright"
                                    "\\rin0\\lin0\\itap0\\pararsid9203263 {\\f0\\fs1\\cf0\\insrsid9203263 \\par}");
    const size_t closing = body.find("\\pard \\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx12236\\posy15836\\absw5"
                                     "\\dxfrtext144\\dfrmtxtx144\\nowrap\\aspalpha\\aspnum\\faauto\\adjustright"
                                     "\\rin0\\lin0\\itap0\\pararsid9203263 {\\f0\\fs1\\cf0\\insrsid9203263 \\par}");
    ASSERT_NE(box, std::string::npos) << body;
    ASSERT_NE(anchor, std::string::npos) << body;
    ASSERT_NE(closing, std::string::npos) << body;
    EXPECT_LT(box, anchor);
    EXPECT_LT(anchor, closing);
    EXPECT_NE(body.find("{\\sp{\\sn txflTextFlow}{\\sv 2}}"), std::string::npos);
    EXPECT_EQ(body.substr(body.size() - 9), "\\pard\\par");
    // No vertical frame controls: readers would ignore the direction.
    EXPECT_EQ(body.find("\\frmtx"), std::string::npos);
}

TEST_F(FramedText, VerticalRunsKeepTheirOrderAndTheirRecords)
{
    page.upRuns.push_back(FrameRun(100, 5000, "U1", 24, RunKind::Up));
    page.upRuns.push_back(FrameRun(200, 5000, "U2", 24, RunKind::Up));
    page.downRuns.push_back(FrameRun(300, 5000, "D1", 24, RunKind::Down));
    ASSERT_EQ(Write(), 0);
    EXPECT_EQ(page.upRuns[0].top, 5000);  // the box grows in the RTF only
    const std::string body = Body();
    const size_t u1 = body.find("U1"), u2 = body.find("U2"), d1 = body.find("D1");
    ASSERT_NE(d1, std::string::npos);
    EXPECT_LT(u1, u2);
    EXPECT_LT(u2, d1);
    EXPECT_NE(body.find("\\shpleft300\\shptop5000\\shpright1300\\shpbottom5480"), std::string::npos);
}

TEST_F(FramedText, FrameAtThePageEdgeStillGetsAWidth)
{
    page.lineRuns.push_back(FrameRun(12241, 100, "x"));
    ASSERT_EQ(Write(), 0);
    EXPECT_NE(Body().find("\\posx12241\\posy100\\absw1\\"), std::string::npos);
}

// A run on the same baseline that starts well after the previous one's end
// shares its frame, at a tab stop on its own left edge; the frame stands at
// the tallest run's top.
TEST_F(FramedText, RunsOfOneLineShareAFrameWithTabStops)
{
    CTextRun first = FrameRun(720, 1000, "one", 24);
    CTextRun second = FrameRun(2000, 1000, "two", 24);  // 280 after first's end
    CTextRun third = FrameRun(4000, 900, "three", 34);
    third.bottom = first.bottom;  // larger type on the same baseline
    third.size = 340;
    page.lineRuns = {first, second, third};
    ASSERT_EQ(Write(), 0);
    EXPECT_EQ(Body(), std::string("\\pard\\sl-1\\slmult0\\par") +
                          " \\pard \\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx720\\posy900\\absw11521" +
                          kLineFrameControls + "\\tx1280\\tx3280" + "{\\f2\\fs24\\cf0\\charscalex100 one}" +
                          "{\\fs24\\tab}{\\f2\\fs24\\cf0\\charscalex100 two}" +
                          "{\\fs34\\tab}{\\f2\\fs34\\cf0\\charscalex100 three}\\par" + "\\pard\\par");
}

// A frame of its own: another baseline, a run too close to the previous one's
// end for a tab to be safe, and a run left of the previous one.
TEST_F(FramedText, RunsThatCannotFollowByTabGetTheirOwnFrames)
{
    CTextRun a = FrameRun(720, 1000, "a");
    CTextRun lower = FrameRun(2000, 1010, "lower");             // baseline 10 twips lower
    CTextRun close = FrameRun(lower.right + 59, 1010, "close"); // 59 < a quarter of 240
    CTextRun back = FrameRun(300, 1010, "back");                 // left of the previous run
    page.lineRuns = {a, lower, close, back};
    ASSERT_EQ(Write(), 0);
    const std::string body = Body();
    size_t frames = 0;
    for (size_t at = body.find("\\posx"); at != std::string::npos; at = body.find("\\posx", at + 1))
        ++frames;
    EXPECT_EQ(frames, 4u) << body;
    EXPECT_EQ(body.find("\\tab"), std::string::npos) << body;
}

TEST_F(FramedText, RunAQuarterOfItsSizeAfterThePreviousFollowsByTab)
{
    CTextRun first = FrameRun(2000, 1010, "first");
    CTextRun next = FrameRun(first.right + 60, 1010, "next");
    page.lineRuns = {first, next};
    ASSERT_EQ(Write(), 0);
    EXPECT_NE(Body().find("\\posx2000\\posy1010\\absw10241" + std::string(kLineFrameControls) +
                          "\\tx1060{\\f2\\fs24\\cf0\\charscalex100 first}{\\fs24\\tab}{\\f2\\fs24\\cf0\\charscalex100 next}\\par"),
              std::string::npos);
}

} // namespace
