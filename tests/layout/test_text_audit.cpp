// The text check: the characters of the captured items against those the
// laid-out page prints, as multisets.
#include <gtest/gtest.h>

#include "layout/page_layout.h"
#include "layout/text_audit.h"

namespace {

CTextItem Item(const std::u16string& text, int useCharCode)
{
    CTextItem item;
    item.text = text;
    item.useCharCode = useCharCode;
    return item;
}

CTextRun RunOf(const std::u16string& text, int32_t baseline, RunKind kind = RunKind::Line)
{
    CTextRun run;
    run.kind = kind;
    CTextPiece piece;
    piece.face = "Arial";
    piece.halfPoints = 24;
    for (char16_t unit : text)
        piece.spans.push_back(CTextSpan{std::u16string(1, unit), unit >= 0x80});
    run.pieces.push_back(piece);
    run.left = 1440;
    run.right = 4000;
    run.bottom = baseline;
    run.top = baseline - 240;
    run.size = run.lastSize = 240;
    run.lineHeight = 240;
    return run;
}

}  // namespace

TEST(TextAuditTest, ItemsCountTheirTextAsPrinted)
{
    const std::vector<CTextItem> items = {Item(u"A", 0), Item(u" ", 0), Item(u"\u00e9", 1),
                                          Item(u"\x0644\x0644\x0647", 1), Item(u"\u2014", 0),
                                          Item(std::u16string(u"b\0z", 3), 0), Item(u"e\u0301", 0)};
    EXPECT_EQ(ItemCharacters(items), u"A\u00e9\x0644\x0644\x0647\u2014b\u00e9");
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

TEST(TextAuditTest, ThePageIsReadWhereThePrintersReadIt)
{
    CPage flow;
    flow.widthTwips = 12240;
    flow.heightTwips = 15840;
    flow.lineRuns = {RunOf(u"Hi", 1000), RunOf(u"(\u05D0)", 2000)};
    flow.upRuns = {RunOf(u"up", 3000, RunKind::Up)};
    LayOutPage(flow);
    std::u16string printed = PrintedCharacters(flow);
    std::sort(printed.begin(), printed.end());
    EXPECT_EQ(printed, u"()Hipu\u05D0");

    CPage frames = flow;
    frames.mode = TextMode::Frames;
    frames.blocks.clear();
    frames.lineRuns = {RunOf(u"Hi", 1000)};
    frames.boxRuns = {RunOf(u"lost", 2000, RunKind::Box)};  // frame mode prints no boxes
    LayOutPage(frames);
    EXPECT_EQ(PrintedCharacters(frames), u"Hiup");
}

TEST(TextAuditTest, PageAuditKeepsOnlyFailingPages)
{
    CPage page;
    page.widthTwips = 12240;
    page.heightTwips = 15840;
    page.lineRuns = {RunOf(u"Hi", 1000)};
    LayOutPage(page);
    CPageTextAudit audit;
    audit.NoteItems({Item(u"H", 0), Item(u"i", 0)});
    EXPECT_TRUE(audit.CheckPage(1, page).Clean());
    audit.NoteItems({Item(u"H", 0), Item(u"i", 0), Item(u"!", 0)});
    EXPECT_FALSE(audit.CheckPage(2, page).Clean());
    ASSERT_EQ(audit.Failures().size(), 1u);
    EXPECT_EQ(audit.Failures()[0].page, 2);
    EXPECT_EQ(audit.Failures()[0].result.missing, u"!");
    EXPECT_EQ(audit.CheckedCharacters(), 5u);
}
