// The duplicate index gives exactly the plain scan's answer, and follows the
// page store when it is cleared or filtered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "capture/accept_index.h"
#include "capture/face_lookup.h"
#include "capture/text_collector.h"
#include "page/text_item.h"

namespace {

CTextItem Item(double x, double y, std::u16string text, float width, float height, int useCharCode = 0)
{
    CTextItem item;
    item.x = x;
    item.y = y;
    item.text = std::move(text);
    item.textLength = int32_t(item.text.size());
    item.width = width;
    item.height = height;
    item.useCharCode = useCharCode;
    return item;
}

// Random glyphs crowded onto a few lines with few distinct texts and sizes,
// many of them placed near an earlier glyph, some exactly on a rule's edge.
class RandomPage {
public:
    explicit RandomPage(unsigned seed) : rng_(seed) {}

    CTextItem Next(const std::vector<CTextItem>& store)
    {
        static const std::u16string texts[] = {u"a", u"e", u"fi", u" ", u"\u3042"};
        static const float heights[] = {11.5f, 11.99f, 12.0f, 12.49f, 12.5f, 13.0f, 0.3f, 40.0f};
        const int kind = Pick(100);
        if (!store.empty() && kind < 55) return NearCopy(store[size_t(Pick(int(store.size())))]);
        CTextItem item = Item(Pick(60) * 2.5, 100 + Pick(8) * 12.75, texts[Pick(5)],
                              float(Pick(40)) * 0.5f, heights[Pick(8)], Pick(4) == 0);
        if (kind > 97) item.y = Pick(2) ? 1e13 : -3e12;  // far off the page
        if (kind == 97) item.y = std::numeric_limits<double>::infinity();
        if (kind == 96) item.height = std::numeric_limits<float>::quiet_NaN();
        return item;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }

    CTextItem NearCopy(const CTextItem& p)
    {
        CTextItem n = p;
        switch (Pick(6)) {
        case 0:  // inside or just outside half the size
            n.x += Uniform(-0.6, 0.6) * p.width;
            n.y += Uniform(-0.6, 0.6) * p.height;
            break;
        case 1:  // exactly half the width or height away
            n.x += (Pick(2) ? 0.5 : -0.5) * p.width;
            n.y += Pick(2) ? 0.0 : 0.5 * p.height;
            break;
        case 2:  // boxes that only touch
            n.x = p.x + p.width;
            n.y = p.y - p.height + (Pick(2) ? 0.0 : 1e-9);
            break;
        case 3:  // same place, height rounding to the same or the next pixel
            n.height = p.height + float(Pick(3)) * 0.25f;
            break;
        case 4:  // same place, other way of writing or other width
            n.useCharCode = 1 - n.useCharCode;
            if (Pick(2)) n.width = float(Pick(30)) * 0.5f;
            break;
        default:  // a little way along the line
            n.x += Uniform(-2, 2) * p.height;
            n.y += Uniform(-1, 1) * p.height;
            break;
        }
        return n;
    }

    std::mt19937 rng_;
};

}  // namespace

TEST(AcceptIndex, SameAnswerAsThePlainScanOnRandomPages)
{
    int duplicates = 0, checked = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        RandomPage page(seed);
        std::mt19937 dice(seed * 7919u);
        std::vector<CTextItem> store;
        CAcceptIndex index;
        for (int glyph = 0; glyph < 1500; ++glyph) {
            const CTextItem n = page.Next(store);
            const bool expected = IsDuplicateByScan(store, n);
            ASSERT_EQ(index.HasDuplicate(store, n), expected)
                << "seed " << seed << " glyph " << glyph << " at " << n.x << "," << n.y;
            ++checked;
            duplicates += expected;
            // Keep some duplicates too, so the store holds equal items.
            if (!expected || dice() % 4 == 0) {
                store.push_back(n);
                index.NoteAppended(store);
            }
            // Now and then the store is filtered, cleared or reallocated behind the index.
            const unsigned event = dice() % 1000;
            if (event < 3) {
                std::erase_if(store, [&](const CTextItem&) { return dice() % 3 == 0; });
            } else if (event < 4) {
                std::vector<CTextItem>().swap(store);
            } else if (event < 6) {
                store.shrink_to_fit();
            }
        }
    }
    // The pages must exercise both answers.
    EXPECT_GT(duplicates, checked / 10);
    EXPECT_LT(duplicates, checked - checked / 10);
}

TEST(AcceptIndex, EdgesOfTheRules)
{
    std::vector<CTextItem> store{Item(100, 100, u"A", 10, 12)};
    CAcceptIndex index;
    auto same = [&](const CTextItem& n) {
        const bool scan = IsDuplicateByScan(store, n);
        EXPECT_EQ(index.HasDuplicate(store, n), scan) << n.x << "," << n.y;
        return scan;
    };
    EXPECT_TRUE(same(Item(104.99, 105.99, u"A", 10, 12)));
    EXPECT_FALSE(same(Item(105, 100, u"A", 10, 12)));   // half the width is too far
    EXPECT_FALSE(same(Item(100, 106, u"A", 10, 12)));   // half the height is too far
    EXPECT_TRUE(same(Item(95.01, 94.01, u"A", 10, 12)));
    EXPECT_TRUE(same(Item(100, 100, u"A", 2, 12.49f)));  // rounds to the same height
    EXPECT_FALSE(same(Item(100, 100, u"A", 10, 12.5f)));
    EXPECT_FALSE(same(Item(100, 100, u"A", 10, 12, 1)));
    EXPECT_FALSE(same(Item(100, 100, u"AB", 10, 12)));
    EXPECT_FALSE(same(Item(100, 100, u"A", 10, std::numeric_limits<float>::quiet_NaN())));
    // A duplicate whose baseline lies in the next band of baselines.
    store = {Item(100, 24.9, u"A", 10, 12)};
    EXPECT_TRUE(same(Item(100, 29.8, u"A", 10, 12)));
    EXPECT_TRUE(same(Item(100, 20.1, u"A", 10, 12)));
    // Far away baselines are still compared.
    store = {Item(100, 1e12 - 1, u"A", 10, 12)};
    EXPECT_TRUE(same(Item(100, 1e12 + 1, u"A", 10, 12)));
    store = {Item(100, 1e12 + 1, u"A", 10, 12)};
    EXPECT_TRUE(same(Item(100, 1e12 - 1, u"A", 10, 12)));
    store = {Item(100, 5e15, u"A", 10, 12)};
    EXPECT_TRUE(same(Item(100, 5e15, u"A", 10, 12)));
    EXPECT_FALSE(same(Item(100, 100, u"A", 10, 12)));
}

TEST(AcceptIndex, ManyDistinctTextsAndSizesGrowTheTableWithoutChangingAnswers)
{
    // Thousands of distinct (text, height) groups on many baselines, so the
    // band table grows several times while the page fills.
    std::mt19937 rng(99);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    std::vector<CTextItem> store;
    CAcceptIndex index;
    int duplicates = 0;
    for (int i = 0; i < 12000; ++i) {
        CTextItem n;
        if (!store.empty() && pick(3) == 0) {
            n = store[size_t(pick(int(store.size())))];
            n.x += (pick(3) - 1) * 0.4 * n.width;
            n.y += (pick(3) - 1) * 0.4 * n.height;
        } else {
            const std::u16string text{char16_t(0x4E00 + pick(400)), char16_t(pick(3) ? 0 : u'a' + pick(5))};
            n = Item(pick(300) * 2.0, pick(400) * 4.5, text.back() ? text : text.substr(0, 1),
                     float(4 + pick(8)), float(6 + pick(12)), pick(5) == 0);
            if (pick(500) == 0) n.y = 2e12;  // now and then one far off the page
        }
        const bool expected = IsDuplicateByScan(store, n);
        ASSERT_EQ(index.HasDuplicate(store, n), expected) << "glyph " << i;
        duplicates += expected;
        if (!expected) {
            store.push_back(n);
            index.NoteAppended(store);
        }
    }
    EXPECT_GT(duplicates, 1000);
    EXPECT_GT(store.size(), 7000u);
    EXPECT_LE(index.RebuildCount(), 1);
}

TEST(AcceptIndex, DuplicatesJustInsideHalfTheHeightAcrossEveryPartOfABand)
{
    // A stored glyph at baselines sweeping through several bands, and new
    // glyphs just inside and just outside half its height above and below.
    for (float height : {0.3f, 0.49f, 0.5f, 7.0f, 7.49f, 12.0f, 12.5f, 40.0f}) {
        for (double y = 50; y < 50 + 3 * (height + 3); y += 0.0625) {
            std::vector<CTextItem> store{Item(100, y, u"a", 6, height)};
            CAcceptIndex index;
            index.NoteAppended(store);
            const double half = 0.5 * double(height);
            for (double dy : {half - 1e-7, -(half - 1e-7), half, -half, 0.0}) {
                const CTextItem n = Item(100, y + dy, u"a", 6, height);
                ASSERT_EQ(index.HasDuplicate(store, n), IsDuplicateByScan(store, n))
                    << "height " << height << " y " << y << " dy " << dy;
            }
        }
    }
}

TEST(AcceptIndex, IndexIsNotRebuiltWhileAPageFills)
{
    std::vector<CTextItem> store;
    CAcceptIndex index;
    for (int i = 0; i < 5000; ++i) {
        const CTextItem n = Item((i % 100) * 6.0, 20 + (i / 100) * 14.0, std::u16string(1, u'a' + i % 7), 6, 12);
        ASSERT_FALSE(index.HasDuplicate(store, n));
        store.push_back(n);
        index.NoteAppended(store);
    }
    EXPECT_LE(index.RebuildCount(), 1);
    EXPECT_TRUE(index.HasDuplicate(store, store[2500]));
}

TEST(AcceptIndex, CollectorFollowsTheStoreThroughClearAndFilter)
{
    CFaceLookup faces([] { return std::vector<std::string>{"Tahoma"}; });
    std::vector<CTextItem> store;
    CTextCollector collector(faces, store);
    auto add = [&](double x, double y, const char16_t* text) {
        collector.AddTextItem(x, y, text, 1, "Tahoma", 8, 12, 0, 0, 0, 0, false);
    };
    for (int i = 0; i < 50; ++i) add(10 + i * 10, 100, i % 2 ? u"a" : u"b");
    ASSERT_EQ(store.size(), 50u);
    add(10.5, 100.5, u"b");
    EXPECT_EQ(store.size(), 50u) << "duplicate of the first glyph";

    // The driver drops the first half of the line.
    store.erase(store.begin(), store.begin() + 25);
    store.shrink_to_fit();
    add(10.5, 100.5, u"b");
    EXPECT_EQ(store.size(), 26u) << "the glyph it duplicated is gone";
    add(500.5, 100.5, u"a");  // duplicates the last glyph of the line
    add(260.5, 100.5, u"a");  // duplicates the first glyph that stayed
    EXPECT_EQ(store.size(), 26u);

    ClearPageText(store);
    add(500.5, 100.5, u"a");
    EXPECT_EQ(store.size(), 1u);
    ClearPageText(store);
}
