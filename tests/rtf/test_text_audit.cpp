// The text check: what a page's RTF shows, and the multiset comparison with
// the captured items.
#include <gtest/gtest.h>

#include "rtf/text_audit.h"

namespace {

CTextItem Item(const std::u16string& text, int useCharCode)
{
    CTextItem item;
    item.text = text;
    item.useCharCode = useCharCode;
    return item;
}

} // namespace

TEST(TextAuditTest, RtfTextLeavesOutControlsPicturesAndShapeProperties)
{
    const std::string rtf =
        "\\pard\\li0\\ri0\\sl-1\\slmult0 {\\shp{\\*\\shpinst\\shpleft0\\shptop0{\\sp{\\sn shapeType}{\\sv 75}}"
        "{\\sp{\\sn pib}{\\sv {\\pict\\jpegblip ffd8ffe000104a46}}}}}"
        "{\\shp{\\*\\shpinst{\\sp{\\sn txflTextFlow}{\\sv 2}}{\\shptxt\\pard\\plain\\fs24 Box\\par}}}"
        "\\pard\\li10\\ri0\\sl-240\\slmult0 \\fs20\\cf0\\f1\\b\\charscalex95 {Caf\\u233x a\\\\b\\{c\\}}\\b0\\par"
        "{\\*\\generator skipped;}\\'e9";
    EXPECT_EQ(RtfVisibleText(rtf), u"BoxCaf\u00e9a\\b{c}\u00e9");
}

TEST(TextAuditTest, UnicodeControlSkipsOneFallbackAndReadsNegativeValues)
{
    // Values above 32767 may be written negative; both forms give one unit.
    EXPECT_EQ(RtfVisibleText("\\u-10187?\\u56398x\\u8226 x y"), u"\xD835\xDC4E\u2022y");
}

TEST(TextAuditTest, ItemsCountEveryUnitOfCharacterCodeText)
{
    const std::vector<CTextItem> items = {Item(u"A", 0), Item(u" ", 0), Item(u"\u00e9", 1),
                                          Item(u"\x0644\x0644\x0647", 1), Item(u"\u2014", 0)};
    // The dash without a character code becomes its Windows-1252 byte 0x97.
    EXPECT_EQ(ItemCharacters(items), u"A\u00e9\x0644\x0644\x0647\u2014");
}

TEST(TextAuditTest, ComparisonCountsEachCharacterAsOftenAsItOccurs)
{
    CTextAuditResult same = CompareCharacters(u"abca", u"acab");
    EXPECT_TRUE(same.Clean());
    CTextAuditResult lost = CompareCharacters(u"aab", u"ab");
    EXPECT_EQ(lost.missing, u"a");
    EXPECT_TRUE(lost.extra.empty());
    CTextAuditResult twice = CompareCharacters(u"ab", u"abb");
    EXPECT_TRUE(twice.missing.empty());
    EXPECT_EQ(twice.extra, u"b");
    // A bracket drawn in right-to-left text is stored as its mirror image.
    EXPECT_TRUE(CompareCharacters(u"(1\u05d0", u"\u05d01)").Clean());
    EXPECT_TRUE(CompareCharacters(u"a<[", u"]>a").Clean());
    EXPECT_EQ(CompareCharacters(u"(a", u"(b").missing, u"a");
    EXPECT_EQ(CompareCharacters(u"((", u"(").missing, u"(");
}

TEST(TextAuditTest, PageAuditKeepsOnlyFailingPages)
{
    CPageTextAudit audit;
    audit.NoteItems({Item(u"H", 0), Item(u"i", 0)});
    EXPECT_TRUE(audit.CheckPage(1, "{Hi}\\par").Clean());
    audit.NoteItems({Item(u"H", 0), Item(u"i", 0)});
    EXPECT_FALSE(audit.CheckPage(2, "{H}\\par").Clean());
    ASSERT_EQ(audit.Failures().size(), 1u);
    EXPECT_EQ(audit.Failures()[0].page, 2);
    EXPECT_EQ(audit.Failures()[0].result.missing, u"i");
    EXPECT_EQ(audit.CheckedCharacters(), 4u);
}
