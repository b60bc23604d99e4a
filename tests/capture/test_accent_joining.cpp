#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "capture/accent_joining.h"
#include "page/text_item.h"

namespace {

// 20-pixel text on the baseline y = 100 (item y 103).
constexpr float kSize = 20;
constexpr double kLine = 103;

CTextItem Glyph(char16_t c, double x, float width, double y = kLine, float height = kSize)
{
    CTextItem it;
    it.x = x;
    it.y = y;
    it.width = width;
    it.height = height;
    it.text.assign(1, c);
    it.textLength = 1;
    it.narrowText = std::string(1, static_cast<char>(c & 0xFF));
    it.faceName = "Liberation Serif";
    return it;
}

// The letters of `text` from x, each `advance` wide.
std::vector<CTextItem> Letters(const std::u16string& text, double x, float advance = 10)
{
    std::vector<CTextItem> items;
    for (char16_t c : text) {
        items.push_back(Glyph(c, x, advance));
        x += advance;
    }
    return items;
}

std::u16string TextOf(const std::vector<CTextItem>& items)
{
    std::u16string text;
    for (const CTextItem& it : items)
        text += it.text;
    return text;
}

}  // namespace

TEST(AccentJoining, TheTeXDiaeresisJoinsItsLetterWhereverItIsDrawn)
{
    // "Einf", then as TeX draws it: the diaeresis centred over the place of
    // the u, then the u, then "hrung".
    std::vector<CTextItem> items = Letters(u"Einf", 0);
    items.push_back(Glyph(0x00A8, 41.5, 7));  // centre 45: over the u
    std::vector<CTextItem> rest = Letters(u"uhrung", 40);
    items.insert(items.end(), rest.begin(), rest.end());
    ASSERT_EQ(JoinSpacingAccents(items), 1u);
    EXPECT_EQ(TextOf(items), u"Einf\u00FChrung");
    const CTextItem& u = items[4];
    // The letter's box stays; it is written by character code now.
    EXPECT_DOUBLE_EQ(u.x, 40);
    EXPECT_FLOAT_EQ(u.width, 10);
    EXPECT_DOUBLE_EQ(u.y, kLine);
    EXPECT_EQ(u.useCharCode, 1);
    EXPECT_EQ(u.charCode, 0xFCu);
    EXPECT_EQ(u.textLength, 1);
    EXPECT_EQ(u.narrowText, "\xFC");
    EXPECT_EQ(u.faceName, "Liberation Serif");

    // Drawn after its letter, the same.
    std::vector<CTextItem> after = Letters(u"cafe", 0);
    after.push_back(Glyph(0x00B4, 31, 8));
    EXPECT_EQ(JoinSpacingAccents(after), 1u);
    EXPECT_EQ(TextOf(after), u"caf\u00E9");
}

TEST(AccentJoining, EveryKindOfAccentAboveAndBelow)
{
    struct Case {
        char16_t letter, accent, composed;
        double raise;  // how far above the letter's baseline the accent's lies
    };
    const Case cases[] = {
        {u'u', 0x00A8, 0x00FC, 0},  {u'e', 0x00B4, 0x00E9, 0},   {u'a', 0x0060, 0x00E0, 0},
        {u'o', 0x02C6, 0x00F4, 0},  {u'o', 0x005E, 0x00F4, 0},   {u'n', 0x02DC, 0x00F1, 0},
        {u'n', 0x007E, 0x00F1, 0},  {u'a', 0x00AF, 0x0101, 0},   {u'g', 0x02D8, 0x011F, 0},
        {u'z', 0x02D9, 0x017C, 0},  {u'A', 0x02DA, 0x00C5, 4.5}, {u'o', 0x02DD, 0x0151, 0},
        {u'S', 0x02C7, 0x0160, 4.5}, {u'c', 0x00B8, 0x00E7, 0},  {u'a', 0x02DB, 0x0105, 0},
        // TeX sets accents on the dotless i; marks below keep it dotless.
        {0x0131, 0x00A8, 0x00EF, 0}, {u'e', 0x0301, 0x00E9, 0},  {u'E', 0x00B4, 0x00C9, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.accent));
        std::vector<CTextItem> items = {Glyph(c.letter, 50, 10), Glyph(c.accent, 51, 8, kLine - c.raise)};
        ASSERT_EQ(JoinSpacingAccents(items), 1u);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].text, std::u16string(1, c.composed));
    }
    // A stacked second accent composes further: e circumflex, then acute.
    std::vector<CTextItem> stacked = {Glyph(u'e', 0, 10), Glyph(0x02C6, 1, 8), Glyph(0x00B4, 1, 8, kLine - 5)};
    EXPECT_EQ(JoinSpacingAccents(stacked), 2u);
    EXPECT_EQ(TextOf(stacked), u"\u1EBF");
}

TEST(AccentJoining, AccentsThatStandAloneStay)
{
    // A circumflex between two letters (a^b in a listing), a tilde before a
    // word, an acute over a letter that has no precomposed form, an accent
    // far above the line, one of a much larger size, and a turned one.
    std::vector<CTextItem> items = {Glyph(u'a', 0, 10), Glyph(u'^', 10, 10), Glyph(u'b', 20, 10)};
    items.push_back(Glyph(u'~', 40, 10));
    for (CTextItem& it : Letters(u"user", 50))
        items.push_back(it);
    items.push_back(Glyph(u'q', 100, 10));
    items.push_back(Glyph(0x00B4, 101, 8));
    items.push_back(Glyph(u'o', 120, 10));
    items.push_back(Glyph(0x00A8, 121, 8, kLine - 25));
    items.push_back(Glyph(u'e', 140, 10));
    items.push_back(Glyph(0x00B4, 131, 28, kLine, 60));
    CTextItem turned = Glyph(0x00A8, 51, 8);
    turned.rotation = 90;
    items.push_back(turned);
    const std::u16string before = TextOf(items);
    EXPECT_EQ(JoinSpacingAccents(items), 0u);
    EXPECT_EQ(TextOf(items), before);
}

TEST(AccentJoining, AnAccentGoesToTheLetterItIsCentredOn)
{
    // Over the gap between two letters, nearer the second one's middle.
    std::vector<CTextItem> items = Letters(u"ao", 0);
    items.push_back(Glyph(0x00A8, 9, 8));  // centre 13: o's middle is 15, a's 5
    EXPECT_EQ(JoinSpacingAccents(items), 1u);
    EXPECT_EQ(TextOf(items), u"a\u00F6");
    // Two lines: the accent belongs to the letter of its own line.
    std::vector<CTextItem> lines = {Glyph(u'u', 0, 10), Glyph(u'u', 0, 10, kLine + 24), Glyph(0x00A8, 1, 8, kLine + 24)};
    EXPECT_EQ(JoinSpacingAccents(lines), 1u);
    EXPECT_EQ(lines[0].text, u"u");
    EXPECT_EQ(lines[1].text, u"\u00FC");
}

TEST(AccentJoining, AManyGlyphPageMatchesTheDirectPairing)
{
    // A page of 40 lines of accented words; each line has an "u" with its
    // diaeresis drawn before it. The lookup must find every pair, once.
    std::mt19937 random(7);
    std::vector<CTextItem> items;
    size_t accents = 0;
    for (int line = 0; line < 40; ++line) {
        const double y = 30 + line * 24.0;
        double x = 5;
        for (int word = 0; word < 12; ++word) {
            for (int k = 0; k < 5; ++k) {
                const float w = 8 + static_cast<float>(random() % 5);
                if (k == 2) {
                    items.push_back(Glyph(0x00A8, x + w / 2 - 3, 6, y - 2));
                    ++accents;
                }
                items.push_back(Glyph(k == 2 ? u'u' : u'n', x, w, y));
                x += w;
            }
            x += 6;
        }
    }
    items.push_back(Glyph(u'x', 1e300, 10));  // off any sensible grid
    EXPECT_EQ(JoinSpacingAccents(items), accents);
    size_t umlauts = 0;
    for (const CTextItem& it : items) {
        EXPECT_NE(it.text, u"\u00A8");
        umlauts += it.text == u"\u00FC";
    }
    EXPECT_EQ(umlauts, accents);
}

TEST(AccentJoining, ThePageStoreIsJoinedInPlace)
{
    std::vector<CTextItem> store = {Glyph(u'a', 0, 10), Glyph(0x0060, 1, 8)};
    EXPECT_EQ(JoinSpacingAccents(store), 1u);
    ASSERT_EQ(store.size(), 1u);
    EXPECT_EQ(store[0].text, u"\u00E0");
    ClearPageText(store);
    EXPECT_EQ(JoinSpacingAccents(store), 0u);
}
