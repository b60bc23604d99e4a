#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "layout/line_runs.h"
#include "run_text_support.h"

using namespace layouttest;

namespace {

CTextRun MakeRun(const std::string& text, int32_t left, int32_t right, int32_t bottom, int32_t size)
{
    CTextRun r;
    r.pieces = {PieceOf(text)};
    r.face = "Arial";
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

std::string Group(const std::string& text) { return "{" + text + "}"; }

class LineRunsTest : public ::testing::Test {
protected:
    void MergeLineRuns(RunList& runs) { ::MergeLineRuns(runs, mode); }
    TextMode mode = TextMode::Flow;
};

}  // namespace

TEST_F(LineRunsTest, JoinsOnOneBaselineWithBlankForAWordGap)
{
    // g = 60 = q; 60 > R(36): a blank goes into Hello's group.
    RunList runs = {MakeRun("Hello", 1000, 2000, 5000, 240), MakeRun("World", 2060, 3000, 5000, 240)};
    MergeLineRuns(runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(TextOf(runs[0]), Group("Hello ") + Group("World"));
    EXPECT_EQ(runs[0].left, 1000);
    EXPECT_EQ(runs[0].right, 3000);
    EXPECT_EQ(runs[0].width, 2000);
}

TEST_F(LineRunsTest, NarrowGapJoinsWithoutBlank)
{
    RunList runs = {MakeRun("Hello", 1000, 2000, 5000, 240), MakeRun("World", 2030, 3000, 5000, 240)};
    MergeLineRuns(runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(TextOf(runs[0]), Group("Hello") + Group("World"));
}

TEST_F(LineRunsTest, WideGapOnOneBaselineJoinsUpToFortyPercentOfSize)
{
    RunList runs = {MakeRun("Hello", 1000, 2000, 5000, 240), MakeRun("World", 2080, 3000, 5000, 240)};
    MergeLineRuns(runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(TextOf(runs[0]), Group("Hello ") + Group("World"));

    runs = {MakeRun("Hello", 1000, 2000, 5000, 240), MakeRun("World", 2100, 3000, 5000, 240)};
    MergeLineRuns(runs);
    EXPECT_EQ(runs.size(), 2u);
    EXPECT_EQ(TextOf(runs[0]), Group("Hello"));  // no blank left behind
}

TEST_F(LineRunsTest, OverlappingRunsJoinWhileOverlapIsBelowLastSize)
{
    RunList runs = {MakeRun("ab", 1000, 2000, 5000, 240), MakeRun("cd", 1800, 3000, 5000, 240)};
    MergeLineRuns(runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(TextOf(runs[0]), Group("ab") + Group("cd"));

    runs = {MakeRun("ab", 1000, 2000, 5000, 240), MakeRun("cd", 1760, 3000, 5000, 240)};
    MergeLineRuns(runs);
    EXPECT_EQ(runs.size(), 2u);
}

TEST_F(LineRunsTest, SuperscriptJoinsAndKeepsTheLinesBaselineAndTop)
{
    CTextRun line = MakeRun("x", 1000, 2000, 5000, 240);
    CTextRun sup = MakeRun("2", 2010, 2200, 4920, 160);  // baseline 80 twips higher
    RunList runs = {line, sup};
    MergeLineRuns(runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].bottom, 5000);
    EXPECT_EQ(runs[0].top, 4760);
    EXPECT_EQ(runs[0].lineHeight, 240u);
    EXPECT_EQ(runs[0].size, 240);
    EXPECT_EQ(runs[0].lastSize, 160);
    EXPECT_EQ(runs[0].right, 2200);
    EXPECT_EQ(TextOf(runs[0]), TextOf(line) + TextOf(sup));
    // The superscript's piece keeps its height over the joined baseline.
    ASSERT_EQ(runs[0].pieces.size(), 2u);
    EXPECT_EQ(runs[0].pieces[0].raise, 0);
    EXPECT_EQ(runs[0].pieces[1].raise, 80);
}

TEST_F(LineRunsTest, RightToLeftRunJoinsWithEarlierRunSecond)
{
    RunList runs = {MakeRun("second", 3000, 4000, 5000, 240), MakeRun("first", 2000, 2990, 5000, 240)};
    MergeLineRuns(runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(TextOf(runs[0]), Group("first") + Group("second"));
    EXPECT_EQ(runs[0].left, 2000);
    EXPECT_EQ(runs[0].right, 4000);

    // A gap over R(36) puts the blank into the left run; over R(60), no join.
    runs = {MakeRun("second", 3000, 4000, 5000, 240), MakeRun("first", 2000, 2950, 5000, 240)};
    MergeLineRuns(runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(TextOf(runs[0]), Group("first ") + Group("second"));
    runs = {MakeRun("second", 3000, 4000, 5000, 240), MakeRun("first", 2000, 2930, 5000, 240)};
    MergeLineRuns(runs);
    EXPECT_EQ(runs.size(), 2u);
}

TEST_F(LineRunsTest, FrameModeKeepsSmallTextAfterLargeInitialApart)
{
    RunList pair = {MakeRun("D", 1000, 1800, 5000, 800), MakeRun("rop", 1850, 3000, 4900, 240)};
    mode = TextMode::Frames;
    RunList runs = pair;
    MergeLineRuns(runs);
    EXPECT_EQ(runs.size(), 2u);  // 800 is not < 3 x 240

    mode = TextMode::Flow;
    runs = pair;
    MergeLineRuns(runs);
    EXPECT_EQ(runs.size(), 1u);
}

TEST_F(LineRunsTest, DifferentLinesAndContainedRunsAreNotJoined)
{
    // Next line: extents do not reach a quarter line into each other.
    RunList runs = {MakeRun("a", 1000, 2000, 5000, 240), MakeRun("b", 2010, 3000, 5240, 240)};
    MergeLineRuns(runs);
    EXPECT_EQ(runs.size(), 2u);
    // One run's extent contains the other's.
    runs = {MakeRun("a", 1000, 3000, 5000, 240), MakeRun("b", 1500, 2500, 5000, 240)};
    MergeLineRuns(runs);
    EXPECT_EQ(runs.size(), 2u);
}

TEST_F(LineRunsTest, JoinedRunIsTestedAgainstItsNewNeighbour)
{
    RunList runs = {MakeRun("a", 1000, 2000, 5000, 240), MakeRun("b", 2000, 3000, 5000, 240),
                    MakeRun("c", 3000, 4000, 5000, 240), MakeRun("x", 1000, 2000, 8000, 240),
                    MakeRun("y", 2000, 3000, 8000, 240)};
    MergeLineRuns(runs);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(TextOf(runs[0]), Group("a") + Group("b") + Group("c"));
    EXPECT_EQ(runs[0].right, 4000);
    EXPECT_EQ(TextOf(runs[1]), Group("x") + Group("y"));
}

TEST_F(LineRunsTest, FewerThanTwoRunsStayUnchanged)
{
    RunList none;
    MergeLineRuns(none);
    EXPECT_TRUE(none.empty());
    RunList one = {MakeRun("a", 1000, 2000, 5000, 240)};
    MergeLineRuns(one);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(TextOf(one[0]), Group("a"));
}

TEST(JoinRunsTest, TopComesFromTheJoinRunsOwnLineHeight)
{
    CTextRun x = MakeRun("x", 1000, 2000, 5000, 200), y = MakeRun("y", 2000, 3000, 5000, 300);
    CTextRun j = JoinRuns(x, y);
    EXPECT_EQ(j.lineHeight, 300u);
    EXPECT_EQ(j.top, 4800);
    EXPECT_EQ(j.lastSize, 300);
    EXPECT_EQ(j.size, 200);
    // Built on y, with y further right: x's text still comes first.
    CTextRun k = JoinRuns(y, x);
    EXPECT_EQ(TextOf(k), TextOf(x) + TextOf(y));
    EXPECT_EQ(k.top, 4700);
}

TEST(SortLineRunsTest, OrdersByBaselineThenLeftAsUnsigned)
{
    RunList runs = {MakeRun("c", 100, 200, 2000, 240), MakeRun("b", 500, 600, 1000, 240),
                    MakeRun("neg", -5, 50, 1000, 240), MakeRun("a", 100, 200, 1000, 240)};
    SortLineRuns(runs);
    EXPECT_EQ(TextOf(runs[0]), Group("a"));
    EXPECT_EQ(TextOf(runs[1]), Group("b"));
    EXPECT_EQ(TextOf(runs[2]), Group("neg"));  // -5 compares as a huge unsigned value
    EXPECT_EQ(TextOf(runs[3]), Group("c"));
}

namespace {

// The neighbour-swap passes as the ordering rule describes them.
void BubbleSortLineRuns(RunList& runs)
{
    for (size_t pass = 0; pass < runs.size(); ++pass) {
        bool swapped = false;
        for (size_t i = 0; i + 1 < runs.size(); ++i) {
            uint32_t b0 = static_cast<uint32_t>(runs[i].bottom);
            uint32_t b1 = static_cast<uint32_t>(runs[i + 1].bottom);
            uint32_t l0 = static_cast<uint32_t>(runs[i].left);
            uint32_t l1 = static_cast<uint32_t>(runs[i + 1].left);
            if (b1 < b0 || (b1 == b0 && l1 < l0)) {
                std::swap(runs[i], runs[i + 1]);
                swapped = true;
            }
        }
        if (!swapped)
            break;
    }
}

}  // namespace

TEST(SortLineRunsTest, StableSortEqualsBoundedBubbleSort)
{
    std::mt19937 rng(4242);
    for (int list = 0; list < 400; ++list) {
        RunList runs(rng() % 60);
        for (size_t i = 0; i < runs.size(); ++i) {
            int32_t bottom = static_cast<int32_t>(rng() % 6) * 240 - (rng() % 20 == 0 ? 10000 : 0);
            int32_t left = static_cast<int32_t>(rng() % 5) * 1000 - (rng() % 20 == 0 ? 3000 : 0);
            runs[i] = MakeRun(std::to_string(i), left, left + 500, bottom, 240);
        }
        RunList expected = runs;
        BubbleSortLineRuns(expected);
        SortLineRuns(runs);
        ASSERT_EQ(runs.size(), expected.size());
        for (size_t i = 0; i < runs.size(); ++i)
            ASSERT_EQ(TextOf(runs[i]), TextOf(expected[i])) << "list " << list << " at " << i;
    }
}
