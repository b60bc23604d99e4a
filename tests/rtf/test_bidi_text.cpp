#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "rtf/bidi_text.h"

namespace {

// Hebrew letters as the run collectors write them.
const std::string kAlef = "\\u1488x";   // U+05D0
const std::string kBet = "\\u1489x";    // U+05D1
const std::string kGimel = "\\u1490x";  // U+05D2
const std::string kDalet = "\\u1491x";  // U+05D3
// Arabic letters: alef, lam, meem.
const std::string kArAlef = "\\u1575x";
const std::string kArLam = "\\u1604x";
const std::string kArMeem = "\\u1605x";

const std::string kFlowStyle = "\\fs24\\cf0\\f2\\charscalex100 ";

// One rewritten stretch: its style for left-to-right script, again for
// right-to-left script, and the direction of the stretch.
std::string Rtl(const std::string& style, const std::string& text)
{
    return "{" + style + "\\rtlch" + style + " " + text + "}";
}
std::string Ltr(const std::string& style, const std::string& text)
{
    return "{" + style + "\\rtlch" + style + "\\ltrch " + text + "}";
}

}  // namespace

TEST(BidiText, TextWithoutRightToLeftLettersIsLeftAlone)
{
    for (const std::string& rtf : {kFlowStyle + "{Hello World}", std::string("{\\b\\f2\\fs24 caf\\u233x \\\\u1488}"),
                                  kFlowStyle + "{\\u8226x item}\\b0", std::string()}) {
        EXPECT_FALSE(ContainsRightToLeft(rtf)) << rtf;
        EXPECT_EQ(LogicalOrderRtf(rtf, false), rtf);
    }
    // An escaped backslash followed by "u1488" is text, not a Hebrew letter.
    EXPECT_FALSE(ContainsRightToLeft("{a\\\\u1488x}"));
}

TEST(BidiText, AHebrewWordDrawnLeftToRightIsStoredFromItsFirstLetter)
{
    // Drawn: dalet gimel bet alef (the word alef-bet-gimel-dalet read from
    // the right).
    const std::string drawn = kFlowStyle + "{" + kDalet + kGimel + kBet + kAlef + "}";
    EXPECT_TRUE(ContainsRightToLeft(drawn));
    EXPECT_TRUE(IsRightToLeftLine(drawn));
    const std::string style = "\\fs24\\cf0\\f2\\charscalex100";
    EXPECT_EQ(LogicalOrderRtf(drawn, false), Rtl(style, kAlef + kBet + kGimel + kDalet) + style);
    EXPECT_EQ(LogicalOrderRtf(drawn, true), Rtl(style, kAlef + kBet + kGimel + kDalet) + style);
}

TEST(BidiText, NumbersAndLatinWordsKeepTheirPlaceInAMixedLine)
{
    // Drawn left to right: "ab " + [dalet gimel] + " 12 " + [bet alef] + " cd".
    // Read: ab, then the Hebrew (alef bet) from the right, the number, the
    // second Hebrew word, then cd.
    const std::string drawn = "{ab " + kDalet + kGimel + " 12 " + kBet + kAlef + " cd}";
    EXPECT_FALSE(IsRightToLeftLine(drawn));
    // Latin at both ends of a right-to-left line is rare; Hebrew at both ends
    // makes one, whatever the count.
    EXPECT_TRUE(IsRightToLeftLine("{" + kBet + " Paperwell " + kAlef + "}"));
    // Ends that differ: the majority decides.
    EXPECT_TRUE(IsRightToLeftLine("{a " + kGimel + kBet + kAlef + "}"));
    EXPECT_FALSE(IsRightToLeftLine("{" + kAlef + " abc}"));
    EXPECT_EQ(LogicalOrderRtf(drawn, false),
              Ltr("", "ab ") + Rtl("", kAlef + kBet + " ") + Ltr("", "12") + Rtl("", " " + kGimel + kDalet) +
                  Ltr("", " cd"));
}

TEST(BidiText, ARightToLeftLineIsOrderedForARightToLeftParagraph)
{
    // A sentence ending in a full stop, drawn: "." then the letters backwards.
    const std::string drawn = "{." + kArMeem + kArLam + kArAlef + "}";
    // In a right-to-left paragraph the stop follows the letters it ends.
    EXPECT_EQ(LogicalOrderRtf(drawn, true), Rtl("", kArAlef + kArLam + kArMeem + "."));
    // In a left-to-right one it stays at the start, where it is drawn.
    EXPECT_EQ(LogicalOrderRtf(drawn, false), Ltr("", ".") + Rtl("", kArAlef + kArLam + kArMeem));
}

TEST(BidiText, StyleChangesInsideARightToLeftWordStayWithTheirLetters)
{
    // Flow form: bold dalet gimel, then plain bet alef (the plain part is read
    // first). Every stretch states its whole style.
    const std::string drawn = "\\fs24\\cf0\\f2\\b\\charscalex100 {" + kDalet + kGimel + "}\\b0" +
                              "\\fs24\\cf0\\f2\\charscalex100 {" + kBet + kAlef + "}";
    const std::string plain = "\\fs24\\cf0\\f2\\b0\\charscalex100";
    const std::string bold = "\\fs24\\cf0\\f2\\b\\charscalex100";
    EXPECT_EQ(LogicalOrderRtf(drawn, true), Rtl(plain, kAlef + kBet) + Rtl(bold, kGimel + kDalet) + plain);
}

TEST(BidiText, BracketsOfRightToLeftTextAreMirrored)
{
    // Drawn "(" alef bet ")" in a right-to-left line: the shape "(" on the
    // left closes the bracketed word, so it is stored as ")".
    const std::string drawn = "{(" + kBet + kAlef + ")}";
    EXPECT_EQ(LogicalOrderRtf(drawn, true), Rtl("", "(" + kAlef + kBet + ")"));
    // Escaped braces are mirrored into escaped braces.
    EXPECT_EQ(LogicalOrderRtf("{\\{" + kBet + kAlef + "\\}}", true), Rtl("", "\\{" + kAlef + kBet + "\\}"));
}

TEST(BidiText, ParagraphBreaksAndTheStyleBeforeThemSurvive)
{
    // A text box run: style, text, paragraph end.
    const std::string drawn = "\\fs24\\f2\\cf0\\strike0 " + kBet + kAlef + "\\par";
    const std::string style = "\\fs24\\f2\\cf0\\strike0";
    EXPECT_EQ(LogicalOrderRtf(drawn, false), Rtl(style, kAlef + kBet) + style + "\\par" + style);
}

TEST(BidiText, SurrogatePairsAndCodePageBytesPassThrough)
{
    // A mathematical letter (two units) and a code-page e-acute beside Hebrew.
    const std::string drawn = "{\\u-10187x\\u-9216x \xE9 " + kBet + kAlef + "}";
    const std::string logical = LogicalOrderRtf(drawn, false);
    EXPECT_EQ(logical, Ltr("", "\\u-10187x\\u-9216x \xE9 ") + Rtl("", kAlef + kBet));
}

TEST(BidiText, ArbitraryRunTextKeepsEveryRightToLeftLetter)
{
    // Random mixtures of the pieces run texts are made of. Malformed ones (a
    // lone backslash, a \u without digits, unbalanced braces) must not upset
    // the rewriting; in text without a backslash of its own every letter
    // comes out once.
    const std::vector<std::string> wellFormed = {kAlef, kBet, kArMeem, "a", " ", "1", ".", "(", "{", "}",
                                                 "\\b", "\\b0", "\\fs24 ", "\\par", "\\{", "\\'e9", "\\u-1x"};
    std::vector<std::string> any = wellFormed;
    for (const char* odd : {"\\\\", "\\u", "\\", "-", "\\'", "\\~"})
        any.push_back(odd);
    auto occurrences = [](const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    std::mt19937 random(11);
    for (int round = 0; round < 4000; ++round) {
        const std::vector<std::string>& pieces = round % 2 ? any : wellFormed;
        std::string rtf;
        const int count = 1 + static_cast<int>(random() % 24);
        for (int k = 0; k < count; ++k)
            rtf += pieces[random() % pieces.size()];
        const std::string logical = LogicalOrderRtf(rtf, random() % 2 == 0);
        if (&pieces == &any)
            continue;
        for (const std::string& letter : {kAlef, kBet, kArMeem})
            EXPECT_EQ(occurrences(logical, letter), occurrences(rtf, letter)) << rtf;
    }
}
