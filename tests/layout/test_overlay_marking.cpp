#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "layout/overlay_marking.h"
#include "page/text_item.h"

namespace {

CTextItem Glyph(double x, double y, float width, float height, const char* text = "a")
{
    CTextItem it;
    it.x = x;
    it.y = y;
    it.width = width;
    it.height = height;
    it.narrowText = text;
    return it;
}

std::vector<int> MarksOf(const std::vector<CTextItem>& items)
{
    std::vector<int> marks;
    for (const CTextItem& it : items)
        marks.push_back(it.layoutMark);
    return marks;
}

// The overlap test as a walk over the 0.01 grid of the less tall rectangle.
bool OverlapsByGridWalk(const CItemRect& a, const CItemRect& b)
{
    bool scanB = a.Height() >= b.Height() || a.Width() == 0;
    const CItemRect& s = scanB ? b : a;
    const CItemRect& o = scanB ? a : b;
    for (int iy = 0;; ++iy) {
        double y = RoundHundredths(s.top + iy * 0.01);
        if (y > s.bottom)
            return false;
        for (int ix = 0;; ++ix) {
            double x = RoundHundredths(s.left + ix * 0.01);
            if (x > s.right)
                break;
            if (x > o.left && x < o.right && y > o.top && y < o.bottom)
                return true;
        }
    }
}

// The pairwise scan over the whole store, as the marking rule is stated.
void MarkOverlapsPairwise(std::vector<CTextItem>& items, bool skipMarkedSources = true)
{
    if (items.size() < 2)
        return;
    for (size_t s = 0; s < items.size(); ++s) {
        const CTextItem& S = items[s];
        if ((skipMarkedSources && S.layoutMark != 0) || S.narrowText == " ")
            continue;
        for (size_t p = 0; p < items.size(); ++p) {
            CTextItem& P = items[p];
            if (p == s || P.layoutMark != 0)
                continue;
            // A raised or lowered letter drawn right after its neighbour is
            // part of the word, not laid over it.
            auto raised = [](const CTextItem& base, const CTextItem& letter) {
                const double reach = 0.25 * base.height;
                return letter.height <= base.height && letter.x > base.x + base.width / 2 &&
                       letter.y - letter.height >= base.y - base.height - reach && letter.y <= base.y + reach;
            };
            if ((p == s + 1 && raised(S, P)) || (s == p + 1 && raised(P, S)))
                continue;
            if (!(S.y - S.height <= P.y && P.x + P.width >= S.x && S.x + S.width >= P.x &&
                  P.y - P.height <= S.y))
                continue;
            CItemRect rP(P), rS(S);
            rP.Shrink(rP.Width() / 6, rP.Height() / 4);
            rS.Shrink(rS.Width() / 6, rS.Height() / 4);
            if (Overlaps(rP, rS) && (P.y != S.y || P.height != S.height))
                P.layoutMark = 1;
        }
    }
}

class OverlayMarkingTest : public ::testing::Test {
protected:
    std::vector<int> Marks() const { return MarksOf(store); }
    std::vector<CTextItem> store;  // the page's glyphs
    TextMode mode = TextMode::Flow;
};

}  // namespace

TEST(ItemRectTest, RoundsToHundredthsAndShrinks)
{
    CItemRect r(Glyph(10.004, 20.006, 5.0f, 8.0f));
    EXPECT_DOUBLE_EQ(r.left, RoundHundredths(10.004));
    EXPECT_DOUBLE_EQ(r.bottom, RoundHundredths(20.01));
    EXPECT_DOUBLE_EQ(r.halfWidth, RoundHundredths(2.5));
    r.Shrink(r.Width() / 6, r.Height() / 4);  // 0.833.. -> 0.83, 2 -> 2
    EXPECT_NEAR(r.left, 10.83, 1e-9);
    EXPECT_NEAR(r.right, 14.17, 1e-9);
    EXPECT_NEAR(r.top, 14.01, 1e-9);
    EXPECT_NEAR(r.bottom, 18.01, 1e-9);
}

TEST(ItemRectTest, AnalyticOverlapAgreesWithGridWalk)
{
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> pos(0, 100), size(0, 60);
    int agreeTrue = 0;
    for (int trial = 0; trial < 6000; ++trial) {
        auto make = [&] {
            double l = pos(rng) * 0.01, t = pos(rng) * 0.01;
            return CItemRect(l, t, l + size(rng) * 0.01, t + size(rng) * 0.01);
        };
        CItemRect a = make(), b = make();
        bool walk = OverlapsByGridWalk(a, b);
        ASSERT_EQ(Overlaps(a, b), walk) << a.left << "," << a.top << "," << a.right << ","
                                        << a.bottom << " / " << b.left << "," << b.top << ","
                                        << b.right << "," << b.bottom;
        agreeTrue += walk;
    }
    EXPECT_GT(agreeTrue, 500);  // both outcomes were exercised
    EXPECT_LT(agreeTrue, 5500);
}

TEST(ItemRectTest, EdgesAreExclusiveOnTheOtherRectangle)
{
    // b's left edge equals a's right edge: no grid point strictly inside.
    EXPECT_FALSE(Overlaps(CItemRect(0, 0, 1, 2), CItemRect(1, 0, 2, 1)));
    // One hundredth of overlap is enough.
    EXPECT_TRUE(Overlaps(CItemRect(0, 0, 1.01, 2), CItemRect(1, 0.5, 2, 1)));
    // A zero-width a is tested with b's grid points.
    EXPECT_TRUE(Overlaps(CItemRect(1, 0, 1, 5), CItemRect(0.5, 1, 1.5, 2)) ==
                OverlapsByGridWalk(CItemRect(1, 0, 1, 5), CItemRect(0.5, 1, 1.5, 2)));
}

TEST_F(OverlayMarkingTest, SameBoxBaselineAndSizeIsNotMarked)
{
    store = {Glyph(100, 100, 6, 10, "a"), Glyph(100, 100, 6, 10, "b")};
    MarkPageItems(store, mode);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 0}));
}

TEST_F(OverlayMarkingTest, LaterOfOverlaidPairIsMarked)
{
    CTextItem big = Glyph(100, 130, 20, 30), small = Glyph(105, 120, 6, 10);
    store = {big, small};
    MarkOverlaps(store);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 1}));

    store = {small, big};
    MarkOverlaps(store);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 1}));
}

TEST_F(OverlayMarkingTest, TouchingGlyphsAreNotMarked)
{
    // Boxes share the edge x = 120 but the shrunk boxes stay apart.
    store = {Glyph(100, 130, 20, 30), Glyph(120, 125, 8, 12)};
    MarkPageItems(store, mode);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 0}));
}

TEST_F(OverlayMarkingTest, SpacesDoNotMarkButCanBeMarked)
{
    store = {Glyph(100, 130, 20, 30, " "), Glyph(105, 120, 6, 10, " ")};
    MarkOverlaps(store);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 0}));

    // The glyph marks the space whichever comes first.
    store = {Glyph(100, 130, 20, 30, " "), Glyph(105, 120, 6, 10)};
    MarkOverlaps(store);
    EXPECT_EQ(Marks(), (std::vector<int>{1, 0}));
    store = {Glyph(105, 120, 6, 10), Glyph(100, 130, 20, 30, " ")};
    MarkOverlaps(store);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 1}));
}

TEST_F(OverlayMarkingTest, MarkSpreadsForwardAlongTheWord)
{
    store = {
        Glyph(100, 100, 6, 10),   // prose glyph under the stamp
        Glyph(100, 105, 12, 20),  // stamp glyph over it
        Glyph(112, 105, 12, 20),  // rest of the stamp's word
        Glyph(124.5, 105, 12, 20),
        Glyph(400, 300, 6, 10),   // unrelated text far away
    };
    MarkPageItems(store, mode);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 1, 1, 1, 0}));
}

TEST_F(OverlayMarkingTest, MarkSpreadsBackwardByOneGlyphOnly)
{
    store = {
        Glyph(128, 92, 6, 10),    // drawn first, over the word's last glyph
        Glyph(100, 100, 12, 20),  // word glyphs
        Glyph(112, 100, 12, 20),
        Glyph(124, 100, 12, 20),  // overlaid
        Glyph(300, 300, 6, 10),
        Glyph(320, 300, 6, 10),
    };
    MarkPageItems(store, mode);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 0, 1, 1, 0, 0}));
}

TEST_F(OverlayMarkingTest, NoNeighbourRulesForFewerThanThreeItems)
{
    CTextItem initial = Glyph(50, 160, 50, 60), text = Glyph(120, 112, 6, 12);
    store = {initial, text};
    MarkPageItems(store, mode);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 0}));
}

TEST_F(OverlayMarkingTest, LargeInitialGetsMarkTwo)
{
    CTextItem initial = Glyph(50, 160, 50, 60), text = Glyph(120, 112, 6, 12);
    CTextItem next = Glyph(126, 112, 6, 12);
    store = {initial, text, next};
    MarkPageItems(store, mode);
    EXPECT_EQ(Marks(), (std::vector<int>{2, 0, 0}));

    // A tall item after the small text: not an initial followed by small text.
    CTextItem tall = Glyph(130, 112, 20, 40);
    store = {initial, text, tall};
    MarkPageItems(store, mode);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 0, 0}));

    // Lines that do not meet vertically: no initial.
    store = {initial, Glyph(120, 300, 6, 12), next};
    MarkPageItems(store, mode);
    EXPECT_EQ(Marks()[0], 0);
}

TEST_F(OverlayMarkingTest, FrameModeMarksNothing)
{
    mode = TextMode::Frames;
    store = {Glyph(100, 130, 20, 30), Glyph(105, 120, 6, 10), Glyph(111, 120, 6, 10)};
    MarkPageItems(store, mode);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 0, 0}));
}

// The grid index must give the pairwise scan's marks exactly, including
// pages where earlier marks change which items later act as sources.
TEST_F(OverlayMarkingTest, IndexedMarkingEqualsPairwiseScan)
{
    std::mt19937 rng(777);
    const float heights[] = {8, 10, 10, 12, 30, 0};
    int cascadingPages = 0, markedTotal = 0;
    for (int page = 0; page < 300; ++page) {
        std::uniform_int_distribution<int> count(0, 120);
        double span = page % 3 == 0 ? 60 : 400;  // some pages densely stacked
        std::uniform_real_distribution<double> pos(0, span);
        std::vector<CTextItem> items(static_cast<size_t>(count(rng)));
        for (CTextItem& it : items) {
            float h = heights[rng() % 6];
            it = Glyph(RoundHundredths(pos(rng)), RoundHundredths(pos(rng) + 30), h * 0.6f, h,
                       rng() % 10 == 0 ? " " : "a");
            if (rng() % 8 == 0)
                it.width = 80;  // wide glyph (rule, long dash)
        }
        std::vector<CTextItem> expected = items, noSkip = items;
        MarkOverlapsPairwise(expected);
        MarkOverlapsPairwise(noSkip, false);
        store = items;
        MarkOverlaps(store);
        const std::vector<CTextItem>& got = store;
        ASSERT_EQ(got.size(), expected.size());
        bool differsWithoutSkip = false;
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].layoutMark, expected[i].layoutMark) << "page " << page << " item " << i;
            markedTotal += got[i].layoutMark;
            differsWithoutSkip |= noSkip[i].layoutMark != expected[i].layoutMark;
        }
        cascadingPages += differsWithoutSkip;
    }
    EXPECT_GT(markedTotal, 100);
    EXPECT_GT(cascadingPages, 10);  // marks did cascade on a good share of pages
}

TEST_F(OverlayMarkingTest, RaisedAndLoweredLettersOfTheLatexLogoStayInTheLine)
{
    // "LaTeX" at 13.33 px as TeX sets it (the items of latex_logo.pdf): the
    // 9.33 px A raised 2.93 px and kerned into the L, the E lowered 2.87 px
    // and kerned into the T. Neither is laid over its neighbour.
    store = {Glyph(146.67, 125.67, 8.15f, 13.33f, "L"), Glyph(151.47, 122.73, 6.74f, 9.33f, "A"),
                       Glyph(157.20, 125.67, 8.15f, 13.33f, "T"), Glyph(163.07, 128.53, 8.15f, 13.33f, "E"),
                       Glyph(170.13, 125.67, 9.63f, 13.33f, "X")};
    MarkPageItems(store, mode);
    for (const CTextItem& item : store)
        EXPECT_EQ(item.layoutMark, 0) << item.narrowText;
}

TEST_F(OverlayMarkingTest, SmallTextOverAnEarlierWordIsStillMarked)
{
    // The same raised letter not drawn right after the letter it covers (a
    // label printed over a word later on) is still overlaid text.
    store = {Glyph(146.67, 125.67, 8.15f, 13.33f, "L"), Glyph(157.20, 125.67, 8.15f, 13.33f, "T"),
                       Glyph(300, 125.67, 8.15f, 13.33f, "Z"), Glyph(151.47, 122.73, 6.74f, 9.33f, "A")};
    MarkPageItems(store, mode);
    EXPECT_EQ(store[3].layoutMark, 1);
}
