// Recognised words as page items: letters spread over the word's box in
// proportion to their widths, on the baseline, sized from the line height,
// turned with a page or line that reads up or down, and the blanks between
// the words of a line.
#include <gtest/gtest.h>

#include "ocr/word_items.h"

namespace {

COcrWord Word(const std::string& text, int left, int top, int right, int bottom, double baseline, double lineHeight)
{
    COcrWord word;
    word.text = text;
    word.left = left, word.top = top, word.right = right, word.bottom = bottom;
    word.baseline = baseline;
    word.lineHeight = lineHeight;
    word.confidence = 95;
    return word;
}

std::u16string TextOf(const std::vector<CTextItem>& items)
{
    std::u16string text;
    for (const CTextItem& item : items)
        text += item.text;
    return text;
}

TEST(WordItems, UprightWordFillsItsBoxOnItsBaseline)
{
    COcrPage page;
    page.width = 2550, page.height = 3300;
    const COcrWord word = Word("Hillside", 300, 1000, 600, 1040, 1031, 46.5);
    CWordItemStyle style {"Arial", 96.0 / 300.0, 0x112233};
    std::vector<CTextItem> items;
    AppendWordItems(page, word, style, items);
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(TextOf(items), u"Hillside");
    const double em = EmOfLineHeight(46.5);
    EXPECT_NEAR(items.front().height, em * style.scale, 0.01);
    // The advances reach a little beyond the ink on both sides.
    EXPECT_LT(items.front().x, 300 * style.scale);
    EXPECT_GT(items.front().x, (300 - 0.1 * em) * style.scale);
    const double end = items.back().x + items.back().width;
    EXPECT_GT(end, 600 * style.scale);
    EXPECT_LT(end, (600 + 0.1 * em) * style.scale);
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].rotation, 0);
        EXPECT_NEAR(items[i].y, 1031 * style.scale + 3.0, 0.01);
        EXPECT_EQ(items[i].color, 0x112233u);
        EXPECT_EQ(items[i].faceName, "Arial");
        if (i > 0) {
            EXPECT_NEAR(items[i].x, items[i - 1].x + items[i - 1].width, 0.02);
        }
    }
    // Narrow letters get narrow advances.
    EXPECT_LT(items[1].width, items[0].width);
}

TEST(WordItems, LettersBeyondPlainAsciiAreWrittenByCode)
{
    COcrPage page;
    page.width = page.height = 1000;
    std::vector<CTextItem> items;
    AppendWordItems(page, Word("Straße", 10, 10, 200, 50, 45, 40), {"Arial", 1, 0}, items);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[4].text, u"\u00DF");
    EXPECT_EQ(items[4].useCharCode, 1);
    EXPECT_EQ(items[4].charCode, 0xDFu);
    EXPECT_EQ(items[0].useCharCode, 0);
}

TEST(WordItems, PageReadingTopToBottomGivesDownwardItems)
{
    // A portrait page scanned a quarter turn clockwise: the picture is
    // landscape and its text reads from the top down.
    COcrPage page;
    page.width = 3300, page.height = 2550;
    page.orientation = OcrOrientation::TopToBottom;
    std::vector<CTextItem> items;
    AppendWordItems(page, Word("Field", 300, 300, 500, 380, 375, 86), {"Arial", 1, 0}, items);
    ASSERT_EQ(items.size(), 5u);
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].rotation, -90);
        // Upright (x, y) lies at (width - y, x) in the picture.
        EXPECT_NEAR(items[i].x, 3300 - 375, 0.01);
        if (i > 0) {
            EXPECT_GT(items[i].y, items[i - 1].y);
        }
    }
    EXPECT_NEAR(items[0].y, 300 - 0.06 * EmOfLineHeight(86) + 3.0, 0.05);
}

TEST(WordItems, LineReadingUpAnUprightPageGivesUpwardItems)
{
    COcrPage page;
    page.width = 2550, page.height = 3300;
    COcrWord word = Word("Figure", 2174, 1062, 2209, 1164, 2200, 36);
    word.turns = 1;
    std::vector<CTextItem> items;
    AppendWordItems(page, word, {"Arial", 1, 0}, items);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].rotation, 90);
    EXPECT_NEAR(items[0].x, 2200, 0.01);
    EXPECT_GT(items[0].y, 1164);  // starts at the bottom of the box...
    EXPECT_LT(items[5].y, items[0].y);  // ...and climbs
    // Upside down on an upright page: no item can show it.
    word.turns = 2;
    items.clear();
    AppendWordItems(page, word, {"Arial", 1, 0}, items);
    EXPECT_TRUE(items.empty());
}

TEST(WordItems, BlankBetweenWordsOfALine)
{
    COcrPage page;
    page.width = page.height = 2000;
    std::vector<CTextItem> items;
    AppendWordItems(page, Word("old", 100, 100, 160, 140, 135, 40), {"Arial", 1, 0}, items);
    AppendWordItems(page, Word("walls", 180, 100, 280, 140, 135, 40), {"Arial", 1, 0}, items);
    const CTextItem last = items[2], next = items[3];
    ASSERT_TRUE(AppendWordSpace(last, next, items));
    const CTextItem& blank = items.back();
    EXPECT_EQ(blank.text, u" ");
    EXPECT_DOUBLE_EQ(blank.x, RoundHundredths(last.x + last.width));
    EXPECT_NEAR(blank.x + blank.width, next.x, 0.02);
    EXPECT_EQ(blank.y, last.y);
    // Words that touch or overlap, or run up the page, get none.
    EXPECT_FALSE(AppendWordSpace(next, last, items));
    CTextItem turned = next;
    turned.rotation = 90;
    EXPECT_FALSE(AppendWordSpace(last, turned, items));
}

TEST(WordItems, BoldFromTheStemsForTheirSize)
{
    COcrWord word = Word("Report", 0, 0, 300, 80, 70, 86);
    const double em = EmOfLineHeight(86);
    word.strokeWidth = 0.093 * em;
    EXPECT_FALSE(LooksBold(word));
    word.strokeWidth = 0.14 * em;
    EXPECT_TRUE(LooksBold(word));
}

} // namespace

namespace {

TEST(WordItems, SerifsOfMostWordsChooseTheSerifFace)
{
    std::vector<COcrWord> words(12);
    for (size_t i = 0; i < words.size(); ++i)
        words[i].footRatio = i < 5 ? 1.1 : 1.6;  // a few headline words without serifs
    EXPECT_EQ(RecognisedFaceOf(words), "Times New Roman");
    for (COcrWord& word : words)
        word.footRatio = word.footRatio > 1.5 ? 1.15 : 1.6;
    EXPECT_EQ(RecognisedFaceOf(words), "Arial");
    // Too few words to tell: the default face; words without a measure do not count.
    words.resize(7);
    EXPECT_EQ(RecognisedFaceOf(words), kRecognisedTextFace);
    words.resize(20);
    EXPECT_EQ(RecognisedFaceOf(words), kRecognisedTextFace);
}

} // namespace
