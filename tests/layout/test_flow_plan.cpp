#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/flow_plan.h"
#include "layout/page_layout.h"
#include "layout/printed_text.h"
#include "layout/run_blocks.h"
#include "layout/tabbed_row.h"
#include "run_text_support.h"

using namespace layouttest;

namespace {

constexpr int32_t kPageWidth = 12241;
constexpr int32_t kPageHeight = 15841;
// The paper of such a page: 50 twips wider than the picture.
constexpr int32_t kPaperWidth = kPageWidth + 50;

CTextRun Line(const std::string& text, int32_t left, int32_t bottom, int32_t size = 240, int32_t width = 3000)
{
    CTextRun r;
    r.pieces = {PieceOf(text)};
    r.left = left;
    r.right = left + width;
    r.bottom = bottom;
    r.top = bottom - size;
    r.width = width;
    r.size = size;
    r.lineHeight = static_cast<uint32_t>(size);
    r.lastSize = size;
    SettlePrintedText(r, PrintedOrder::FlowLine);
    return r;
}

CRunColumn Column(RunList runs, int32_t boundary = 0, int32_t width = kPageWidth)
{
    CRunColumn c;
    c.runs = std::move(runs);
    c.boundary = boundary;
    c.width = width;
    for (const CTextRun& r : c.runs)
        c.lastBaseline = std::max(c.lastBaseline, r.bottom);
    return c;
}

CRunBlock Block(std::vector<CRunColumn> columns, int32_t id)
{
    CRunBlock b;
    b.columns = std::move(columns);
    b.id = id;
    for (const CRunColumn& c : b.columns)
        b.endBaseline = std::max(b.endBaseline, c.lastBaseline);
    return b;
}

CPage PageOf(std::vector<CRunBlock> blocks)
{
    CPage page;
    page.widthTwips = kPageWidth;
    page.heightTwips = kPageHeight;
    page.blocks = std::move(blocks);
    return page;
}

// The plan of a page of one column holding `runs`.
CFlowPlan OneColumnPlan(RunList runs)
{
    return PlanFlowLines(PageOf({Block({Column(std::move(runs))}, 0)}));
}

std::vector<int32_t> Spacings(const CFlowPlan& plan)
{
    std::vector<int32_t> spacings;
    for (const CFlowLine& line : plan.lines)
        spacings.push_back(line.spacing);
    return spacings;
}

std::vector<int32_t> Fillers(const CFlowPlan& plan)
{
    std::vector<int32_t> fillers;
    for (const CFlowLine& line : plan.lines)
        fillers.push_back(line.fillers);
    return fillers;
}

}  // namespace

TEST(FlowPlan, BaselinesAreReachedByFillersAndExactSpacings)
{
    // From the page's top edge to 1000: 1000 - 240 = 760 over the line's own
    // height, three fillers of 213 and 240 + 121. Then a next line (200
    // below), a close line (100, less than 0.75 of 240: its exact distance),
    // one on the same baseline (the least step), one 239 below, one exactly a
    // line height below (no filler) and one a twip farther.
    const CFlowPlan plan =
        OneColumnPlan({Line("first", 0, 1000), Line("next", 0, 1200), Line("close", 0, 1300),
                       Line("same", 0, 1300), Line("after", 0, 1540), Line("a", 0, 1780), Line("b", 0, 2021)});
    EXPECT_EQ(plan.fillerSpacing, 213);
    EXPECT_EQ(plan.fillerMarkHalfPoints, 18);
    EXPECT_EQ(Spacings(plan), (std::vector<int32_t>{361, 200, 100, 1, 239, 240, 241}));
    EXPECT_EQ(Fillers(plan), (std::vector<int32_t>{3, 0, 0, 0, 0, 0, 0}));
    // A gap of two line heights and a filler's worth more: one filler.
    const CFlowPlan far = OneColumnPlan({Line("top", 0, 240), Line("low", 0, 240 + 240 + 213 + 5)});
    EXPECT_EQ(Fillers(far), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(Spacings(far), (std::vector<int32_t>{240, 245}));
}

TEST(FlowPlan, CloseLinesAndLinesAboveAdvanceNoMoreThanThePdf)
{
    // Forty lines 40 twips apart (a plot drawn with text) advance the PDF's
    // 1600 twips together; the line after them is measured from 2600.
    RunList plot = {Line("top", 0, 1000)};
    for (int i = 1; i <= 40; ++i)
        plot.push_back(Line(".", 10 * i, 1000 + 40 * i));
    plot.push_back(Line("after", 0, 2840));
    const CFlowPlan plan = OneColumnPlan(plot);
    ASSERT_EQ(plan.lines.size(), 42u);
    for (size_t i = 1; i <= 40; ++i)
        ASSERT_EQ(plan.lines[i].spacing, 40) << i;
    EXPECT_EQ(plan.lines[41].spacing, 240);
    EXPECT_EQ(plan.lines[41].fillers, 0);
    // A line above the text placed so far follows a twip down (never a
    // negative spacing); the next line is measured from where it stands.
    const CFlowPlan up = OneColumnPlan({Line("low", 0, 8000), Line("up", 0, 5200), Line("on", 0, 8241)});
    EXPECT_EQ(Spacings(up)[1], 1);
    EXPECT_EQ(Spacings(up)[2], 240);
    EXPECT_EQ(Fillers(up)[2], 0);
    // A line without height still gets an exact spacing of a twip, not 0
    // (which a reader takes for "as tall as the text").
    const CFlowPlan flat = OneColumnPlan({Line("a", 0, 1000), Line("b", 0, 1000, 0)});
    EXPECT_EQ(Spacings(flat)[1], 1);
}

TEST(FlowPlan, IndentsBreaksAndColumnSections)
{
    // A heading, a section of two columns under it, a closing line.
    CRunBlock heading = Block({Column({Line("head", 720, 1000)})}, 0);
    CRunBlock columns = Block({Column({Line("a", 900, 1240), Line("a2", 900, 1480)}, 0, 5999),
                               Column({Line("b", 6500, 1240)}, 6000, kPageWidth - 6000)},
                              1);
    CRunBlock after = Block({Column({Line("tail", 0, 1720)})}, 2);
    const CPage page = PageOf({heading, columns, after});
    const CFlowPlan plan = PlanFlowLines(page);
    ASSERT_EQ(plan.lines.size(), 5u);
    const CFlowLine& head = plan.lines[0];
    EXPECT_FALSE(head.sectionBreak);  // the page's first section
    EXPECT_TRUE(head.columnWidths.empty());
    EXPECT_EQ(head.indent, 720);
    // Each line may run a page width past its column instead of wrapping.
    EXPECT_EQ(head.rightIndent, -kPaperWidth);
    const CFlowLine& a = plan.lines[1];
    EXPECT_TRUE(a.sectionBreak);
    EXPECT_EQ(a.columnWidths, (std::vector<int32_t>{5999, kPageWidth - 6000}));
    EXPECT_FALSE(a.columnBreak);
    EXPECT_EQ(a.indent, 900);
    EXPECT_EQ(a.spacing, 240);  // from the heading's baseline
    EXPECT_TRUE(plan.lines[2].columnWidths.empty());
    const CFlowLine& b = plan.lines[3];
    EXPECT_FALSE(b.sectionBreak);
    EXPECT_TRUE(b.columnBreak);
    EXPECT_EQ(b.indent, 500);   // from its column's boundary
    EXPECT_EQ(b.spacing, 240);  // also from the heading's baseline
    const CFlowLine& tail = plan.lines[4];
    EXPECT_TRUE(tail.sectionBreak);
    EXPECT_TRUE(tail.columnWidths.empty());  // one column again
    EXPECT_EQ(tail.spacing, 240);            // from the section's lowest baseline, 1480
    EXPECT_EQ(page.RunAt(b.parts[0].run).left, 6500);

    // A column section that opens the page sets the page's first section's
    // columns, without a break, and every column starts from the top edge.
    const CPage top = PageOf({Block({Column({Line("L", 1000, 1000)}, 0, 5999),
                                     Column({Line("R", 6000, 1000)}, 6000, 6241)},
                                    0)});
    const CFlowPlan columnsFirst = PlanFlowLines(top);
    ASSERT_EQ(columnsFirst.lines.size(), 2u);
    EXPECT_FALSE(columnsFirst.lines[0].sectionBreak);
    EXPECT_EQ(columnsFirst.lines[0].columnWidths, (std::vector<int32_t>{5999, 6241}));
    EXPECT_EQ(Fillers(columnsFirst), (std::vector<int32_t>{3, 3}));
    EXPECT_EQ(Spacings(columnsFirst), (std::vector<int32_t>{361, 361}));
    EXPECT_TRUE(PlanFlowLines(PageOf({})).lines.empty());
}

TEST(FlowPlan, RightToLeftLinesStartAtTheirRightEnd)
{
    // Alef-bet drawn left to right: a right-to-left line. In a first column
    // 5999 wide its right end (4000) is 1999 in from the column's edge; the
    // page's last column reaches to the paper's edge (12291).
    CTextRun hebrew = Line("", 1000, 1240);
    hebrew.pieces[0].spans = {CTextSpan{u"\u05D1", false}, CTextSpan{u"\u05D0", false}};
    SettlePrintedText(hebrew, PrintedOrder::FlowLine);
    ASSERT_TRUE(hebrew.readsRightToLeft);
    CTextRun second = hebrew;
    second.left = 6000;
    second.right = 9000;
    const CPage page =
        PageOf({Block({Column({hebrew}, 0, 5999), Column({second, Line("latin", 6000, 1480)}, 6000, 6241)}, 0)});
    const CFlowPlan plan = PlanFlowLines(page);
    ASSERT_EQ(plan.lines.size(), 3u);
    EXPECT_TRUE(plan.lines[0].rightToLeft);
    EXPECT_EQ(plan.lines[0].startIndent, 1999);
    EXPECT_EQ(plan.lines[0].rightIndent, 0);
    EXPECT_TRUE(plan.lines[1].rightToLeft);
    EXPECT_EQ(plan.lines[1].startIndent, kPaperWidth - 9000);
    EXPECT_FALSE(plan.lines[2].rightToLeft);
    EXPECT_EQ(plan.lines[2].rightIndent, -kPaperWidth);
}

TEST(FlowPlan, ATabbedLineIsOneParagraphWithAStopPerLaterRun)
{
    CRunBlock heading = Block({Column({Line("head", 0, 1000)})}, 0);
    // Three runs on one baseline; the middle one is taller.
    CRunBlock row = Block({Column({Line("a", 720, 1240, 240, 1000)}, 0, 1999), Column({Line("b", 2000, 1240, 300, 1000)}, 2000, 999),
                           Column({Line("c", 4000, 1240, 95, 500)}, 4000, kPageWidth - 4000)},
                          1);
    CPage page = PageOf({heading, row});
    MarkTabbedLines(page.blocks);
    ASSERT_TRUE(page.blocks[1].tabbedLine);
    const CFlowPlan plan = PlanFlowLines(page);
    ASSERT_EQ(plan.lines.size(), 2u);
    const CFlowLine& line = plan.lines[1];
    EXPECT_TRUE(line.sectionBreak);
    EXPECT_TRUE(line.columnWidths.empty());
    EXPECT_EQ(line.indent, 0);  // set from the first column's boundary
    EXPECT_EQ(line.spacing, 240);  // 240 below, under the tallest run's 300: no filler
    EXPECT_EQ(line.fillers, 0);
    ASSERT_EQ(line.parts.size(), 3u);
    EXPECT_EQ(line.parts[0].tabStop, 720);
    EXPECT_EQ(line.parts[0].tabHalfPoints, 24);
    EXPECT_EQ(line.parts[1].tabStop, 2000);
    EXPECT_EQ(line.parts[1].tabHalfPoints, 30);
    EXPECT_EQ(line.parts[2].tabStop, 4000);
    EXPECT_EQ(line.parts[2].tabHalfPoints, 9);
    EXPECT_EQ(page.RunAt(line.parts[2].run).left, 4000);
    // A run on the origin itself gets no tab.
    CPage atOrigin = PageOf({Block({Column({Line("a", 0, 1000, 240, 1000)}, 0, 1999), Column({Line("b", 2000, 1000)}, 2000, 9000)}, 0)});
    MarkTabbedLines(atOrigin.blocks);
    const CFlowPlan first = PlanFlowLines(atOrigin);
    ASSERT_EQ(first.lines.size(), 1u);
    EXPECT_FALSE(first.lines[0].sectionBreak);
    EXPECT_EQ(first.lines[0].parts[0].tabStop, 0);
    EXPECT_EQ(first.lines[0].parts[1].tabStop, 2000);
}

TEST(FlowPlan, TextBoxesByModeWithTheirRectangles)
{
    CPage page = PageOf({});
    CTextRun box = Line("boxed", 1000, 2000);
    box.kind = RunKind::Box;
    CTextRun up = Line("up", 500, 9000);
    up.kind = RunKind::Up;
    CTextRun down = Line("down", 11000, 3000);
    down.kind = RunKind::Down;
    page.boxRuns = {box};
    page.upRuns = {up};
    page.downRuns = {down};
    PlanPlaces(page);
    ASSERT_EQ(page.textBoxes.size(), 3u);
    EXPECT_EQ(page.textBoxes[0].flow, TextFlow::Horizontal);
    // Grown by a line height the way the text runs on.
    EXPECT_EQ(page.textBoxes[0].rect.right, 4000 + 240);
    EXPECT_EQ(page.textBoxes[1].flow, TextFlow::Upward);
    EXPECT_EQ(page.textBoxes[1].rect.top, 9000 - 240 - 240);
    EXPECT_EQ(page.textBoxes[2].flow, TextFlow::Downward);
    EXPECT_EQ(page.textBoxes[2].rect.bottom, 3000 + 240);
    EXPECT_EQ(&page.BoxRun(page.textBoxes[2]), &page.downRuns[0]);
    // Frame mode writes its horizontal runs as frames: only the vertical
    // runs get boxes, and there is no flow plan.
    page.mode = TextMode::Frames;
    page.blocks.push_back(Block({Column({Line("x", 0, 1000)})}, 0));
    PlanPlaces(page);
    ASSERT_EQ(page.textBoxes.size(), 2u);
    EXPECT_EQ(page.textBoxes[0].list, RunKind::Up);
    EXPECT_TRUE(page.flowPlan.lines.empty());
}

TEST(FlowPlan, LayingOutAPageFillsThePlan)
{
    CPage page = PageOf({});
    page.lineRuns = {Line("L1", 1000, 1240), Line("R0", 6000, 1000), Line("L0", 1000, 1000), Line("R1", 6000, 1240)};
    LayOutPage(page);
    ASSERT_EQ(page.blocks.size(), 1u);
    ASSERT_EQ(page.flowPlan.lines.size(), 4u);
    EXPECT_EQ(page.flowPlan.lines[0].columnWidths, (std::vector<int32_t>{5999, kPageWidth - 6000}));
    EXPECT_EQ(TextOf(page.RunAt(page.flowPlan.lines[0].parts[0].run)), "{L0}");
    EXPECT_EQ(TextOf(page.RunAt(page.flowPlan.lines[2].parts[0].run)), "{R0}");
    EXPECT_TRUE(page.flowPlan.lines[2].columnBreak);
    EXPECT_EQ(page.flowPlan.lines[3].spacing, 240);
}
