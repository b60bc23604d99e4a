#include <gtest/gtest.h>

#include "test_timing.h"

#include <chrono>

#include "layout/page_layout.h"
#include "rtf_test_support.h"

using namespace rtftest;

namespace {

const char kPageSettings[] =
    "\\jexpand\\viewkind1\\viewscale100\\paperw12291\\paperh15941\\margl0\\margr0\\margt0\\margb0";
const char kSectionBreak[] =
    "\\pard\\sect\\sectd\\sbkpage\\nosubsuper\\sectd\\pgwsxn12291\\pghsxn15941\\linex0\\endnhere"
    "\\sectlinegrid0\\sectspecifyl";

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

CTextRun LineRun(int32_t left, int32_t baseline, const std::string& text, RunKind kind = RunKind::Line)
{
    CTextRun run;
    run.kind = kind;
    run.face = "Arial";
    run.left = left;
    run.bottom = baseline;
    run.top = baseline - 240;
    run.right = left + 2000;
    run.width = 2000;
    run.size = 240;
    run.lineHeight = 240;
    run.lastSize = 240;
    run.pieces = {Piece(text)};
    return Settled(run);
}

class PageSections : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = MakeTempPath();
        ASSERT_TRUE(writer.OpenDocument(path));
    }
    // Prints `page` as page `number` with the given picture, its layout done first.
    int Print(int number, const std::string& picture)
    {
        page.number = number;
        page.picturePath = picture;
        page.blocks.clear();
        page.frameStacks.clear();
        LayOutPage(page);
        return writer.PrintPage(page);
    }
    std::string Body()
    {
        EXPECT_EQ(writer.Finish(), 0);
        return BodyOf(ReadWholeFile(path));
    }
    std::string Picture(const std::string& bytes)
    {
        std::string picture = MakeTempPath();
        WriteWholeFile(picture, bytes);
        return picture;
    }
    CRtfWriter writer;
    std::string path;
    CPage page = EmptyPage(12241, 15841);
};

TEST_F(PageSections, OnePageWithItsPicture)
{
    ASSERT_EQ(Print(1, Picture(std::string("\x0A\xFF\x00\x5B", 4))), 0);
    // In flow mode the shapes sit in a one-twip paragraph of their own.
    EXPECT_EQ(Body(), std::string(kPageSettings) + "\\pard\\sl-1\\slmult0 " +
                          "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright12241\\shpbottom15841\\shpwr3"
                          "\\shpfblwtxt1\\shpz-10000\\shplid0{\\sp{\\sn shapeType}{\\sv 75}}"
                          "{\\sp{\\sn fBehindDocument}{\\sv 1}}{\\sp{\\sn pib}{\\sv {\\pict\\jpegblip "
                          "0aff005b}}}}}");
}

TEST_F(PageSections, EveryByteValueBecomesTwoLowerCaseDigits)
{
    std::string bytes;
    std::string expected;
    for (int round = 0; round < 300; ++round)  // past one read buffer
        for (int b = 0; b < 256; ++b) {
            bytes.push_back(static_cast<char>(b));
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02x", b);
            expected += hex;
        }
    ASSERT_EQ(Print(1, Picture(bytes)), 0);
    const std::string body = Body();
    const std::string start = "\\jpegblip ";
    const size_t at = body.find(start) + start.size();
    EXPECT_EQ(body.substr(at, body.size() - at - 5), expected);
    EXPECT_EQ(body.substr(body.size() - 5), "}}}}}");
}

TEST_F(PageSections, AllPagesBreakBeforeEveryPageButTheFirst)
{
    for (int page = 1; page <= 3; ++page)
        ASSERT_EQ(Print(page, ""), 0);
    const std::string body = Body();
    EXPECT_EQ(body, std::string(kPageSettings) + kSectionBreak + kPageSettings + kSectionBreak + kPageSettings);
}

TEST_F(PageSections, RangeStartsWithoutABreak)
{
    for (int page = 3; page <= 5; ++page)
        ASSERT_EQ(Print(page, ""), 0);
    const std::string body = Body();
    EXPECT_EQ(body.rfind(kPageSettings, 0), 0u);
    EXPECT_EQ(Count(body, "\\sbkpage"), 2u);
}

TEST_F(PageSections, RangeFromZeroHasNoEmptyFirstPage)
{
    // From 0 the driver starts at page 1; page 1 is still the document's
    // first page and must not open with a page break.
    ASSERT_EQ(Print(1, ""), 0);
    ASSERT_EQ(Print(2, ""), 0);
    const std::string body = Body();
    EXPECT_EQ(body.rfind(kPageSettings, 0), 0u);
    EXPECT_EQ(Count(body, "\\sbkpage"), 1u);
}

TEST_F(PageSections, WithoutGraphicsTheTextFollowsThePageSettings)
{
    page.lineRuns.push_back(LineRun(1440, 1000, "Hi"));
    ASSERT_EQ(Print(1, ""), 0);
    const std::string body = Body();
    EXPECT_EQ(body.rfind(std::string(kPageSettings) + "\\pard\\li1440", 0), 0u) << body;
    EXPECT_EQ(body.find("\\shp"), std::string::npos);
}

TEST_F(PageSections, MissingPictureFailsAndKeepsThePage)
{
    page.lineRuns.push_back(LineRun(1440, 1000, "Hi"));
    EXPECT_EQ(Print(1, "/nonexistent/page.jpg"), ENOENT);
    EXPECT_EQ(Body().find("{Hi}"), std::string::npos);
}

TEST_F(PageSections, FlowPageWritesBoxesThenUpThenDownThenTheLines)
{
    page.downRuns.push_back(LineRun(200, 600, "D", RunKind::Down));
    page.upRuns.push_back(LineRun(200, 600, "U", RunKind::Up));
    page.boxRuns.push_back(LineRun(100, 500, "B", RunKind::Box));
    page.lineRuns.push_back(LineRun(1440, 1000, "Line"));
    ASSERT_EQ(Print(1, ""), 0);
    const std::string body = Body();
    const size_t b = body.find("{\\sv 0}}{\\sp{\\sn WrapText}");
    const size_t u = body.find("{\\sv 2}}{\\sp{\\sn WrapText}");
    const size_t d = body.find("{\\sv 1}}{\\sp{\\sn WrapText}");
    const size_t line = body.find("{Line}");
    ASSERT_NE(line, std::string::npos);
    EXPECT_LT(b, u);
    EXPECT_LT(u, d);
    EXPECT_LT(d, line);
}

TEST_F(PageSections, FramePagesEndInAnOrdinaryParagraph)
{
    page.mode = TextMode::Frames;
    page.lineRuns = {LineRun(720, 1000, "One")};
    ASSERT_EQ(Print(1, ""), 0);
    page.lineRuns = {LineRun(720, 1000, "Two")};
    ASSERT_EQ(Print(2, ""), 0);
    const std::string body = Body();
    EXPECT_NE(body.find(std::string("One}\\par\\pard\\par") + kSectionBreak), std::string::npos) << body;
    EXPECT_EQ(body.substr(body.size() - 17), "Two}\\par\\pard\\par");
}

TEST_F(PageSections, LargePictureIsWrittenQuickly)
{
    const std::string picture = Picture(std::string(8 << 20, '\x37'));
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Print(1, picture), 0);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("8 MiB picture written as hex in %.0f ms\n", ms);
    // One system call per byte would take seconds.
    EXPECT_LT(ms, 1500.0 * kTimeLimitScale);
}

} // namespace
