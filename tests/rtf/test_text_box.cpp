#include <gtest/gtest.h>

#include "layout/page_layout.h"
#include "rtf_test_support.h"

using namespace rtftest;

namespace {

CTextRun BoxRun(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t lineHeight)
{
    CTextRun run;
    run.left = left;
    run.top = top;
    run.right = right;
    run.bottom = bottom;
    run.lineHeight = lineHeight;
    run.kind = RunKind::Box;
    run.pieces = {Piece("Hi")};
    run.pieces[0].face = "Liberation Serif";  // font 2 of the document
    return Settled(run);
}

class TextBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = MakeTempPath();
        ASSERT_TRUE(writer.OpenDocument(path));
    }
    std::string Body()
    {
        EXPECT_EQ(writer.Finish(), 0);
        return BodyOf(ReadWholeFile(path));
    }
    CRtfWriter writer;
    std::string path;
};

TEST_F(TextBoxes, HorizontalBoxGrowsToTheRight)
{
    CPage page = EmptyPage(12241, 15841);
    page.boxRuns = {BoxRun(1440, 1200, 2880, 1440, 240)};
    const std::string text = PrintedPageText(page);
    EXPECT_EQ(page.boxRuns[0].right, 2880);  // the run itself is left as it was
    // The shapes' own paragraph, of an exact twip, comes first.
    EXPECT_EQ(text,
              "\\pard\\sl-1\\slmult0 {\\shp{\\*\\shpinst\\shpleft1440\\shptop1200\\shpright3120\\shpbottom1440"
              "\\shpfhdr0\\shpbxpage\\shpbypage\\shpwr3\\shpwrk0\\shpfblwtxt1\\shpz0\\shplid26831"
              "{\\sp{\\sn shapeType}{\\sv 202}}{\\sp{\\sn fFlipH}{\\sv 0}}{\\sp{\\sn fFlipV}{\\sv 0}}"
              "{\\sp{\\sn fFilled}{\\sv 0}}{\\sp{\\sn fLine}{\\sv 0}}{\\sp{\\sn fAllowOverlap}{\\sv 1}}"
              "{\\sp{\\sn dxTextLeft}{\\sv 0}}{\\sp{\\sn dyTextTop}{\\sv 0}}{\\sp{\\sn dxTextRight}{\\sv 0}}"
              "{\\sp{\\sn dyTextBottom}{\\sv 0}}{\\sp{\\sn posrelh}{\\sv 1}}{\\sp{\\sn posrelv}{\\sv 1}}"
              "{\\sp{\\sn txflTextFlow}{\\sv 0}}{\\sp{\\sn WrapText}{\\sv 1}}"
              "{\\sp{\\sn BehindDocument}{\\sv 1}}{\\shptxt\\pard\\plain\\li0\\adjustright\\faauto"
              "\\fs24\\f2\\cf0\\strike0 Hi\\par}}}");
}

TEST_F(TextBoxes, VerticalBoxesGrowAlongTheirText)
{
    CPage page = EmptyPage(12241, 15841);
    page.upRuns = {BoxRun(1000, 5000, 1300, 8000, 300)};
    page.downRuns = {BoxRun(2000, 5000, 2300, 8000, 300)};
    const std::string body = PrintedPageText(page);
    EXPECT_NE(body.find("\\shpleft1000\\shptop4700\\shpright1300\\shpbottom8000"), std::string::npos);
    EXPECT_NE(body.find("{\\sv 2}}{\\sp{\\sn WrapText}"), std::string::npos);
    EXPECT_NE(body.find("\\shpleft2000\\shptop5000\\shpright2300\\shpbottom8300"), std::string::npos);
    EXPECT_NE(body.find("{\\sv 1}}{\\sp{\\sn WrapText}"), std::string::npos);
}

TEST_F(TextBoxes, FlowPageWithoutSpecialRunsHasOnlyThePictureShape)
{
    const std::string picture = MakeTempPath();
    WriteWholeFile(picture, "\xFF\xD8\xFF\xD9");
    CTextRun line;
    line.left = 1440;
    line.bottom = 1000;
    line.top = 760;
    line.right = 3000;
    line.size = 240;
    line.lineHeight = 240;
    line.lastSize = 240;
    line.pieces = {Piece("Hi")};
    CPage page = EmptyPage(12241, 15841);
    page.picturePath = picture;
    page.lineRuns.push_back(line);
    LayOutPage(page);
    ASSERT_EQ(writer.PrintPage(page), 0);
    const std::string body = Body();
    size_t shapes = 0;
    for (size_t at = body.find("{\\shp"); at != std::string::npos; at = body.find("{\\shp", at + 1))
        ++shapes;
    EXPECT_EQ(shapes, 1u);
    EXPECT_NE(body.find("{Hi}"), std::string::npos);
}

} // namespace
