#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "layout/line_runs.h"
#include "layout/run_blocks.h"
#include "run_text_support.h"

using namespace layouttest;

namespace {

constexpr int32_t kPageWidth = 12241;

CTextRun MakeRun(const std::string& text, int32_t left, int32_t right, int32_t bottom,
             int32_t size = 240)
{
    CTextRun r;
    r.pieces = {PieceOf(text)};
    r.left = left;
    r.right = right;
    r.bottom = bottom;
    r.top = bottom - size;
    r.width = right - left;
    r.size = size;
    r.lineHeight = static_cast<uint32_t>(size);
    r.lastSize = size;
    return r;
}

std::vector<std::string> Texts(const CRunColumn& column)
{
    std::vector<std::string> texts;
    for (const CTextRun& r : column.runs)
        texts.push_back(TextOf(r));
    return texts;
}

// BuildBlocks with every line scan starting at the list's start.
void BuildBlocksScanningFromStart(const RunList& lineRuns, int32_t pageWidth,
                                  std::vector<CRunBlock>& blocks)
{
    CRunBlock block;
    bool open = false;
    std::vector<bool> taken(lineRuns.size(), false);
    for (size_t i = 0; i < lineRuns.size(); ++i) {
        const CTextRun& run = lineRuns[i];
        if (open && OfferRun(block, lineRuns, i, taken, 0))
            continue;
        if (open) {
            CloseBlock(block, pageWidth);
            block.id = static_cast<int32_t>(blocks.size());
            blocks.push_back(block);
            block = CRunBlock();
        }
        AddColumn(block, run, false);
        taken[i] = true;
        open = true;
    }
    if (open) {
        CloseBlock(block, pageWidth);
        block.id = static_cast<int32_t>(blocks.size());
        blocks.push_back(block);
    }
}

void ExpectSameBlocks(const std::vector<CRunBlock>& a, const std::vector<CRunBlock>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].id, b[i].id);
        ASSERT_EQ(a[i].endBaseline, b[i].endBaseline);
        ASSERT_EQ(a[i].columns.size(), b[i].columns.size()) << "block " << i;
        for (size_t c = 0; c < a[i].columns.size(); ++c) {
            const CRunColumn& x = a[i].columns[c];
            const CRunColumn& y = b[i].columns[c];
            ASSERT_EQ(Texts(x), Texts(y)) << "block " << i << " column " << c;
            ASSERT_EQ(x.contentLeft, y.contentLeft);
            ASSERT_EQ(x.contentRight, y.contentRight);
            ASSERT_EQ(x.lastBaseline, y.lastBaseline);
            ASSERT_EQ(x.boundary, y.boundary);
            ASSERT_EQ(x.width, y.width);
        }
    }
}

}  // namespace

TEST(RunBlocksTest, EmptyListGivesNoBlock)
{
    RunList runs;
    std::vector<CRunBlock> blocks;
    BuildBlocks(runs, kPageWidth, blocks);
    EXPECT_TRUE(blocks.empty());
}

TEST(RunBlocksTest, SingleColumnProseIsOneBlock)
{
    RunList runs;
    for (int line = 0; line < 6; ++line)
        runs.push_back(MakeRun("l" + std::to_string(line), 1440, 10000 - line * 300, 1000 + 240 * line));
    std::vector<CRunBlock> blocks;
    BuildBlocks(runs, kPageWidth, blocks);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].columns.size(), 1u);
    const CRunColumn& c = blocks[0].columns[0];
    EXPECT_EQ(c.runs.size(), 6u);
    EXPECT_EQ(c.contentLeft, 1440);
    EXPECT_EQ(c.contentRight, 10000);
    EXPECT_EQ(c.boundary, 0);
    EXPECT_EQ(c.width, kPageWidth);
    EXPECT_EQ(blocks[0].endBaseline, 1000 + 240 * 5);
}

TEST(RunBlocksTest, NewspaperColumnsBecomeTwoColumnsOfOneBlock)
{
    RunList runs;
    for (int line = 0; line < 4; ++line) {
        int32_t b = 1000 + 240 * line;
        runs.push_back(MakeRun("L" + std::to_string(line), 1000, 5500, b));
        runs.push_back(MakeRun("R" + std::to_string(line), 6000, 11000, b));
    }
    std::vector<CRunBlock> blocks;
    BuildBlocks(runs, kPageWidth, blocks);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].columns.size(), 2u);
    EXPECT_EQ(Texts(blocks[0].columns[0]), (std::vector<std::string>{"{L0}", "{L1}", "{L2}", "{L3}"}));
    EXPECT_EQ(Texts(blocks[0].columns[1]), (std::vector<std::string>{"{R0}", "{R1}", "{R2}", "{R3}"}));
    EXPECT_EQ(blocks[0].columns[0].boundary, 0);
    EXPECT_EQ(blocks[0].columns[0].width, 5999);
    EXPECT_EQ(blocks[0].columns[1].boundary, 6000);
    EXPECT_EQ(blocks[0].columns[1].width, 6241);
}

TEST(RunBlocksTest, FullWidthHeadingAfterColumnsStartsANewBlock)
{
    RunList runs;
    for (int line = 0; line < 3; ++line) {
        int32_t b = 1000 + 240 * line;
        runs.push_back(MakeRun("L", 1000, 5500, b));
        runs.push_back(MakeRun("R", 6000, 11000, b));
    }
    runs.push_back(MakeRun("Heading", 1000, 11000, 2500, 300));
    runs.push_back(MakeRun("after", 1000, 11000, 2800));
    std::vector<CRunBlock> blocks;
    BuildBlocks(runs, kPageWidth, blocks);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].id, 0);
    EXPECT_EQ(blocks[1].id, 1);
    EXPECT_EQ(blocks[0].columns.size(), 2u);
    EXPECT_EQ(blocks[0].endBaseline, 1480);
    ASSERT_EQ(blocks[1].columns.size(), 1u);
    EXPECT_EQ(Texts(blocks[1].columns[0]), (std::vector<std::string>{"{Heading}", "{after}"}));
}

TEST(RunBlocksTest, LineOfTwoRunsUnderOneColumnSplitsTheBlock)
{
    RunList runs = {MakeRun("p0", 1000, 11000, 1000), MakeRun("p1", 1000, 11000, 1240),
                    MakeRun("left", 1000, 4000, 1480), MakeRun("right", 7000, 11000, 1480)};
    std::vector<CRunBlock> blocks;
    BuildBlocks(runs, kPageWidth, blocks);
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_EQ(blocks[0].columns.size(), 1u);
    EXPECT_EQ(blocks[0].columns[0].runs.size(), 2u);
    ASSERT_EQ(blocks[1].columns.size(), 2u);
    EXPECT_EQ(Texts(blocks[1].columns[0]), (std::vector<std::string>{"{left}"}));
    EXPECT_EQ(Texts(blocks[1].columns[1]), (std::vector<std::string>{"{right}"}));
    EXPECT_EQ(blocks[1].columns[1].boundary, 7000);
    EXPECT_EQ(blocks[1].columns[0].width, 6999);
}

TEST(RunBlocksTest, RunsOnTheColumnsLastBaselineAreJoined)
{
    CTextRun first = MakeRun("b", 3000, 4000, 1000), second = MakeRun("a", 1000, 2000, 1000);
    CRunBlock block;
    AddColumn(block, first, false);
    AddRunToColumn(block.columns[0], second);
    ASSERT_EQ(block.columns[0].runs.size(), 1u);
    EXPECT_EQ(TextOf(block.columns[0].runs[0]), "{a}{b}");  // left text first, no blank
    EXPECT_EQ(block.columns[0].contentLeft, 1000);
    EXPECT_EQ(block.columns[0].contentRight, 4000);

    CTextRun below = MakeRun("c", 1500, 4500, 1300);
    AddRunToColumn(block.columns[0], below);
    EXPECT_EQ(block.columns[0].runs.size(), 2u);
    EXPECT_EQ(block.columns[0].lastBaseline, 1300);
    EXPECT_EQ(block.columns[0].contentRight, 4500);
}

TEST(RunBlocksTest, SortedColumnsGoInFrontOfTheFirstFurtherRight)
{
    CRunBlock block;
    CTextRun a = MakeRun("a", 5000, 6000, 1000), b = MakeRun("b", 9000, 10000, 1000),
             c = MakeRun("c", 1000, 2000, 1000), d = MakeRun("d", 7000, 8000, 1000);
    AddColumn(block, a, false);
    AddColumn(block, b, true);
    AddColumn(block, c, true);
    AddColumn(block, d, true);
    ASSERT_EQ(block.columns.size(), 4u);
    EXPECT_EQ(block.columns[0].contentLeft, 1000);
    EXPECT_EQ(block.columns[1].contentLeft, 5000);
    EXPECT_EQ(block.columns[2].contentLeft, 7000);
    EXPECT_EQ(block.columns[3].contentLeft, 9000);
    CloseBlock(block, kPageWidth);
    EXPECT_EQ(block.columns[0].width, 4999);  // 0 .. 4999
    EXPECT_EQ(block.columns[1].width, 1999);
    EXPECT_EQ(block.columns[3].width, kPageWidth - 9000);
}

TEST(RunBlocksTest, RunSpanningTwoColumnsIsRefused)
{
    RunList runs = {MakeRun("L", 1000, 5500, 1000), MakeRun("R", 6000, 11000, 1000),
                    MakeRun("wide", 3000, 8000, 1240)};
    CRunBlock block;
    std::vector<bool> taken = {true, false, false};
    AddColumn(block, runs[0], false);
    ASSERT_TRUE(OfferRun(block, runs, 1, taken));
    EXPECT_FALSE(OfferRun(block, runs, 2, taken));
    EXPECT_EQ(taken, (std::vector<bool>{true, true, false}));
}

// Skipping the runs above R's line by a binary search must not change a single
// block, column or width, whatever the page (including unsorted lists and runs
// whose boxes reach over several lines).
TEST(RunBlocksTest, IndexedLineScanEqualsScanFromStart)
{
    std::mt19937 rng(2024);
    for (int page = 0; page < 400; ++page) {
        RunList runs;
        int lines = static_cast<int>(rng() % 30);
        for (int line = 0; line < lines; ++line) {
            int32_t baseline = 800 + line * 260 + static_cast<int32_t>(rng() % 3) * 40;
            int pieces = 1 + static_cast<int>(rng() % 3);
            for (int p = 0; p < pieces; ++p) {
                int32_t left = static_cast<int32_t>(rng() % 10000);
                int32_t right = left + 200 + static_cast<int32_t>(rng() % 5000);
                int32_t size = rng() % 10 == 0 ? 900 : 240;  // tall runs cover lines above
                runs.push_back(MakeRun(std::to_string(runs.size()), left, right, baseline, size));
            }
        }
        if (page % 4 != 0)
            SortLineRuns(runs);
        RunList literal = runs;
        std::vector<CRunBlock> expected, got;
        BuildBlocksScanningFromStart(literal, kPageWidth, expected);
        BuildBlocks(runs, kPageWidth, got);
        ExpectSameBlocks(got, expected);
    }
}

TEST(RunBlocksTest, ABlockHoldsAtMostTwelveColumns)
{
    // Marks of a plot drawn with text, each on its own baseline and beside
    // all earlier ones: a block of 55 columns did not survive being stored as
    // a Word document. The thirteenth starts the next block.
    RunList runs;
    for (int i = 0; i < 13; ++i)
        runs.push_back(MakeRun(std::to_string(i), 500 + 800 * i, 700 + 800 * i, 1000 + 40 * i));
    std::vector<CRunBlock> blocks;
    BuildBlocks(runs, kPageWidth, blocks);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].columns.size(), 12u);
    ASSERT_EQ(blocks[1].columns.size(), 1u);
    EXPECT_EQ(Texts(blocks[1].columns[0]), (std::vector<std::string>{"{12}"}));
}
