#include <gtest/gtest.h>

#include <random>

#include "rtf/rtf_encoding.h"

namespace {

CTextItem TextItem(std::u16string text)
{
    CTextItem item;
    item.text = std::move(text);
    return item;
}

CTextItem CodeItem(uint32_t code)
{
    CTextItem item;
    item.useCharCode = 1;
    item.charCode = code;
    return item;
}

std::string Encoded(const std::vector<CTextItem>& items)
{
    std::string text;
    for (const CTextItem& item : items)
        AppendItemText(item, text);
    Escape(text);
    return text;
}

// The four replacements one after the other, each over the whole text.
std::string EscapeInTurn(std::string text)
{
    const std::pair<std::string, std::string> steps[] = {{"\\", "\\\\"}, {"{", "\\{"}, {"}", "\\}"}, {"&u", "\\u"}};
    for (const auto& [from, to] : steps) {
        std::string out;
        size_t pos = 0;
        for (size_t hit; (hit = text.find(from, pos)) != std::string::npos; pos = hit + from.size())
            out += text.substr(pos, hit - pos) + to;
        out += text.substr(pos);
        text = out;
    }
    return text;
}

TEST(RtfEncoding, CharacterCodeItemsBecomeUnicodeControlWords)
{
    std::string raw;
    CAppendedText added = AppendItemText(CodeItem(8226), raw);
    EXPECT_EQ(raw, "&u8226x");
    EXPECT_TRUE(added.byCharCode);
    Escape(raw);
    EXPECT_EQ(raw, "\\u8226x");

    EXPECT_EQ(Encoded({CodeItem(233)}), "\\u233x");
    // A tab given by character code is one plain blank.
    EXPECT_EQ(Encoded({CodeItem(9)}), " ");
}

TEST(RtfEncoding, ConvertedTextIsWindows1252WithoutHexEscapes)
{
    EXPECT_EQ(Encoded({TextItem(u"\u00e9")}), "\xE9");
    EXPECT_EQ(Encoded({TextItem(u"\u20ac")}), "\x80");
    EXPECT_EQ(Encoded({TextItem(u"\ufb01")}), "fi");
    // The item's text ends at its first zero unit.
    EXPECT_EQ(Encoded({TextItem(std::u16string(u"ab\0cd", 5))}), "ab");
}

TEST(RtfEncoding, EscapesBackslashAndBraces)
{
    EXPECT_EQ(Encoded({TextItem(u"a{b}c\\d")}), "a\\{b\\}c\\\\d");
    EXPECT_EQ(Encoded({TextItem(u"\\")}), "\\\\");
    EXPECT_EQ(Encoded({TextItem(u"\\"), CodeItem(8226)}), "\\\\\\u8226x");
}

TEST(RtfEncoding, PageTextReadingAmpersandUStaysText)
{
    // "&u" typed on the page must not turn into an RTF control word
    // (R\usage would swallow "usage").
    EXPECT_EQ(Encoded({TextItem(u"R"), TextItem(u"&"), TextItem(u"u"), TextItem(u"sage")}), "R&usage");
    EXPECT_EQ(Encoded({TextItem(u"&&u")}), "&&u");
    EXPECT_EQ(Encoded({TextItem(u"&"), CodeItem(8226)}), "&\\u8226x");
}

TEST(RtfEncoding, ControlCharactersNeverReachTheDocument)
{
    // A raw line feed would break the one-line document; a raw tab is a blank.
    EXPECT_EQ(Encoded({TextItem(u"a\nb\rc\td\x01")}), "abc d");
    EXPECT_EQ(Encoded({CodeItem(10)}), "");
}

TEST(RtfEncoding, TwoUnitCharacterCodesGiveOneControlWordPerUnit)
{
    // U+1F600 as a surrogate pair: first unit in the low half.
    const uint32_t pair = 0xD83Du | (0xDE00u << 16);
    EXPECT_EQ(Encoded({CodeItem(pair)}), "\\u55357x\\u56832x");
    EXPECT_EQ(Encoded({CodeItem(0xF020)}), "\\u61472x");
}

TEST(RtfEncoding, OnePassEscapeEqualsTheReplacementsInTurn)
{
    // Over every text without a doubled '&' (which only protects a literal
    // '&' of the page text) the one pass gives what the four passes give.
    const char alphabet[] = {'\\', '{', '}', '&', 'u', 'a', 'x'};
    std::mt19937 random(7);
    int compared = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            text.push_back(alphabet[random() % sizeof alphabet]);
        if (text.find("&&") != std::string::npos)
            continue;
        std::string escaped = text;
        Escape(escaped);
        ASSERT_EQ(escaped, EscapeInTurn(text)) << text;
        ++compared;
    }
    EXPECT_GT(compared, 10000);
}

TEST(RtfEncoding, FontTableNamesCannotBreakTheTable)
{
    EXPECT_EQ(FontTableName("A;}{\\par"), "Apar");
    EXPECT_EQ(FontTableName("Times New Roman"), "Times New Roman");
    EXPECT_EQ(FontTableName("Bad\nName\x7f"), "BadName");
    // UTF-8 names are written in the document's code page.
    EXPECT_EQ(FontTableName("Caf\xC3\xA9 Sans"), "Caf\xE9 Sans");
    // Bytes that are not UTF-8 are taken as they are.
    EXPECT_EQ(FontTableName("Caf\xE9"), "Caf\xE9");
    EXPECT_EQ(FontTableName(""), "");
}

} // namespace

TEST(RtfEncoding, CharacterCodeTextLongerThanTheCodeKeepsEveryUnit)
{
    // A glyph read as three letters: the code holds the first two, the third
    // must follow rather than be lost.
    CTextItem item;
    item.useCharCode = 1;
    item.text = u"\x0644\x0644\x0647";
    item.charCode = 0x0644u | (0x0644u << 16);
    EXPECT_EQ(Encoded({item}), "\\u1604x\\u1604x\\u1607x");
}
