// The .docx printer on pages made by hand: where each run goes in both text
// modes, the sections, the text boxes and the picture, and a package that
// the zip reader and python-docx open.
#include <gtest/gtest.h>

#include <fstream>

#include "docx_test_support.h"

using namespace docxtest;

namespace {

std::string WriteFile(const std::string& bytes)
{
    const std::string path = MakeTempPath() + ".jpeg";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(DocxFlowPage, LinesAreParagraphsWithExactSpacingAndFillers)
{
    CPage page = LetterPage(TextMode::Flow);
    // The first line 1000 twips down: three fillers of 213 and the line's own
    // 240 + 121; the next one 200 below is the next line, 200 apart.
    page.blocks.push_back(OneColumn({LineRun(u"First line", 1440, 1000), LineRun(u"Second", 1440, 1200)}));
    int error = 0;
    const std::string path = WritePackage({page}, error);
    ASSERT_EQ(error, 0);
    const std::string xml = DocumentXml(path);
    EXPECT_EQ(Count(xml, "<w:spacing w:line=\"213\" w:lineRule=\"exact\"/>"), 3u);
    EXPECT_NE(xml.find("<w:spacing w:line=\"361\" w:lineRule=\"exact\"/><w:ind w:left=\"1440\" w:right=\"-12291\"/>"),
              std::string::npos);
    EXPECT_NE(xml.find("<w:spacing w:line=\"200\" w:lineRule=\"exact\"/>"), std::string::npos);
    EXPECT_LT(xml.find("First line"), xml.find("Second"));
    // One page: its section is the body's own, 50 twips wider and 100 taller
    // than the picture, with zero margins.
    EXPECT_EQ(Count(xml, "<w:sectPr>"), 1u);
    EXPECT_NE(xml.find("<w:pgSz w:w=\"12291\" w:h=\"15941\"/><w:pgMar w:top=\"0\" w:right=\"0\" w:bottom=\"0\" "
                       "w:left=\"0\""),
              std::string::npos);
    EXPECT_NE(xml.find("</w:p><w:sectPr>"), std::string::npos);
    std::remove(path.c_str());
}

TEST(DocxFlowPage, ColumnBlockIsAContinuousColumnSectionAfterTheTextAboveIt)
{
    CPage page = LetterPage(TextMode::Flow);
    page.blocks.push_back(OneColumn({LineRun(u"Heading", 720, 1000)}));
    CRunBlock block;
    block.id = 1;
    CRunColumn left, right;
    left.runs = {LineRun(u"Left one", 720, 1500), LineRun(u"Left two", 720, 1740)};
    left.boundary = 0;
    left.width = 5999;
    right.runs = {LineRun(u"Right one", 6000, 1500)};
    right.boundary = 6000;
    right.width = 6241;
    block.columns = {left, right};
    block.endBaseline = 1740;
    page.blocks.push_back(block);
    page.blocks.push_back(OneColumn({LineRun(u"Footer", 720, 3000)}));
    page.blocks.back().id = 2;

    int error = 0;
    const std::string path = WritePackage({page}, error);
    ASSERT_EQ(error, 0);
    const std::string xml = DocumentXml(path);
    // Heading's section, the column section, the footer's (the body's own).
    EXPECT_EQ(Count(xml, "<w:sectPr>"), 3u);
    EXPECT_EQ(Count(xml, "<w:type w:val=\"continuous\"/>"), 2u);
    EXPECT_NE(xml.find("<w:cols w:num=\"2\" w:space=\"0\" w:equalWidth=\"0\"><w:col w:w=\"5999\" w:space=\"1\"/>"
                       "<w:col w:w=\"6241\" w:space=\"0\"/></w:cols>"),
              std::string::npos);
    // The heading's section ends in the heading's paragraph; the right
    // column starts with a column break.
    const size_t heading = xml.find("Heading");
    EXPECT_LT(xml.rfind("<w:p>", heading), xml.find("<w:sectPr>"));
    EXPECT_LT(xml.find("<w:sectPr>"), heading);
    EXPECT_EQ(Count(xml, "<w:br w:type=\"column\"/>"), 1u);
    EXPECT_LT(xml.find("Left two"), xml.find("<w:br w:type=\"column\"/>"));
    EXPECT_LT(xml.find("<w:br w:type=\"column\"/>"), xml.find("Right one"));
    // Both columns start at the heading's baseline: 500 below it.
    EXPECT_EQ(Count(xml, "<w:spacing w:line=\"500\" w:lineRule=\"exact\"/>"), 0u);
    EXPECT_EQ(Count(xml, "<w:spacing w:line=\"287\" w:lineRule=\"exact\"/>"), 2u);  // 240 + 260 % 213
    std::remove(path.c_str());
}

TEST(DocxFlowPage, ColumnsWithoutRunsStillMakeAValidPage)
{
    // Blocks as layout never makes them: a column section whose columns are
    // empty, after a line, at the end of the page.
    CPage page = LetterPage(TextMode::Flow);
    page.blocks.push_back(OneColumn({LineRun(u"Only line", 720, 1000)}));
    CRunBlock empty;
    empty.id = 1;
    empty.columns.resize(2);
    empty.columns[1].boundary = 6000;
    page.blocks.push_back(empty);
    empty.tabbedLine = true;
    page.blocks.push_back(empty);
    int error = 0;
    const std::string path = WritePackage({page, LetterPage(TextMode::Flow, 2)}, error);
    ASSERT_EQ(error, 0);
    const std::string xml = DocumentXml(path);
    EXPECT_EQ(Count(xml, "<w:sectPr>"), 4u);
    // Every section ends in a paragraph of its own.
    EXPECT_EQ(Count(xml, "<w:sectPr>"), Count(xml, "</w:sectPr></w:pPr>") + 1);
    int status = 0;
    EXPECT_EQ(PythonDocxParagraphs(path, status), "Only line\n");
    EXPECT_EQ(status, 0);
    std::remove(path.c_str());
}

TEST(DocxFlowPage, TabbedBlockIsOneLineWithATabStopPerRun)
{
    CPage page = LetterPage(TextMode::Flow);
    CRunBlock block;
    block.tabbedLine = true;
    for (int32_t left : {0, 3000, 7000}) {
        CRunColumn column;
        column.runs = {LineRun(u"cell" + std::u16string(1, static_cast<char16_t>(u'0' + left / 1000)), left, 2000)};
        column.boundary = left;
        column.width = 2000;
        block.columns.push_back(column);
    }
    page.blocks.push_back(block);
    int error = 0;
    const std::string path = WritePackage({page}, error);
    ASSERT_EQ(error, 0);
    const std::string xml = DocumentXml(path);
    EXPECT_NE(xml.find("<w:tabs><w:tab w:val=\"left\" w:pos=\"3000\"/><w:tab w:val=\"left\" w:pos=\"7000\"/>"
                       "</w:tabs>"),
              std::string::npos);
    EXPECT_EQ(Count(xml, "<w:tab/>"), 2u);
    EXPECT_EQ(Count(xml, "<w:sectPr>"), 1u);
    int status = 0;
    EXPECT_EQ(PythonDocxParagraphs(path, status), "cell0\tcell3\tcell7\n");
    EXPECT_EQ(status, 0);
    std::remove(path.c_str());
}

TEST(DocxFlowPage, RightToLeftLineKeepsItsRightEnd)
{
    CPage page = LetterPage(TextMode::Flow);
    page.blocks.push_back(OneColumn({LineRun(u"\u05DD\u05D5\u05DC\u05E9", 9000, 1000, 1241)}));
    int error = 0;
    const std::string path = WritePackage({page}, error);
    ASSERT_EQ(error, 0);
    const std::string xml = DocumentXml(path);
    // The column reaches to the paper's edge (12291); the run ends at 10241.
    EXPECT_NE(xml.find("<w:bidi/><w:spacing w:line=\"361\" w:lineRule=\"exact\"/>"
                       "<w:ind w:start=\"2050\" w:end=\"0\"/><w:jc w:val=\"start\"/>"),
              std::string::npos);
    EXPECT_NE(xml.find("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d"), std::string::npos);  // in reading order
    std::remove(path.c_str());
}

TEST(DocxFlowPage, BoxedAndVerticalRunsAreTextBoxesGrownByALine)
{
    CPage page = LetterPage(TextMode::Flow);
    page.boxRuns.push_back(LineRun(u"Boxed", 1440, 1440, 1440, 240, RunKind::Box));
    CTextRun up = LineRun(u"Upward", 500, 6000, 240, 240, RunKind::Up);
    up.top = 5000;
    up.lineHeight = 300;
    page.upRuns.push_back(up);
    CTextRun down = LineRun(u"Downward", 11000, 3000, 240, 240, RunKind::Down);
    down.top = 1000;
    page.downRuns.push_back(down);
    int error = 0;
    const std::string path = WritePackage({page}, error);
    ASSERT_EQ(error, 0);
    const std::string xml = DocumentXml(path);
    EXPECT_EQ(Count(xml, "<wps:wsp>"), 3u);
    EXPECT_NE(xml.find("vert=\"horz\""), std::string::npos);
    EXPECT_NE(xml.find("vert=\"vert270\""), std::string::npos);
    EXPECT_NE(xml.find("vert=\"vert\""), std::string::npos);
    // The box run: right edge 2880 + 240; the upward run: top 5000 - 300.
    EXPECT_NE(xml.find("<wp:extent cx=\"" + std::to_string(1680 * 635) + "\""), std::string::npos);
    EXPECT_NE(xml.find("<wp:posOffset>" + std::to_string(4700 * 635) + "</wp:posOffset>"), std::string::npos);
    // Behind the text, without line or fill, no insets.
    EXPECT_EQ(Count(xml, "behindDoc=\"1\""), 3u);
    EXPECT_EQ(Count(xml, "<a:ln><a:noFill/></a:ln>"), 3u);
    int status = 0;
    const std::string paragraphs = PythonDocxParagraphs(path, status);
    EXPECT_EQ(status, 0) << paragraphs;
    for (const char* word : {"Boxed", "Upward", "Downward"})
        EXPECT_NE(paragraphs.find(word), std::string::npos) << word;
    std::remove(path.c_str());
}

TEST(DocxFramePage, StacksAreFramedParagraphsAtTheirPlaces)
{
    CPage page = LetterPage(TextMode::Frames);
    page.lineRuns = {LineRun(u"Alpha", 720, 1000, 800), LineRun(u"Beta", 2520, 1000, 600), LineRun(u"Gamma", 720, 1400, 900)};
    CFrameStack stack;
    stack.left = 720;
    stack.top = 600;
    CFrameLine first;
    first.first = 0;
    first.count = 2;
    first.spacing = 288;
    CFrameLine second;
    second.first = 2;
    second.count = 1;
    second.spacing = 500;
    stack.lines = {first, second};
    page.frameStacks.push_back(stack);
    CTextRun up = LineRun(u"Side", 300, 8000, 240, 240, RunKind::Up);
    up.top = 7000;
    page.upRuns.push_back(up);

    int error = 0;
    const std::string path = WritePackage({page}, error);
    ASSERT_EQ(error, 0);
    const std::string xml = DocumentXml(path);
    const std::string frame = "<w:framePr w:w=\"11521\" w:hSpace=\"144\" w:vSpace=\"144\" w:wrap=\"notBeside\" "
                              "w:vAnchor=\"page\" w:hAnchor=\"page\" w:x=\"720\" w:y=\"600\"/>";
    EXPECT_EQ(Count(xml, frame), 2u);
    EXPECT_NE(xml.find(frame + "<w:tabs><w:tab w:val=\"left\" w:pos=\"1800\"/></w:tabs>"
                               "<w:spacing w:line=\"288\" w:lineRule=\"exact\"/>"),
              std::string::npos);
    EXPECT_NE(xml.find(frame + "<w:spacing w:line=\"500\" w:lineRule=\"exact\"/>"), std::string::npos);
    EXPECT_EQ(Count(xml, "<w:tab/>"), 1u);
    EXPECT_EQ(Count(xml, "vert=\"vert270\""), 1u);
    // The page's section ends in an ordinary paragraph after the frames.
    EXPECT_LT(xml.rfind("<w:framePr"), xml.rfind("<w:p>"));
    int status = 0;
    EXPECT_EQ(PythonDocxParagraphs(path, status), "Side\nAlpha\tBeta\nGamma\n");
    EXPECT_EQ(status, 0);
    std::remove(path.c_str());
}

TEST(DocxPackage, EveryPageIsASectionOfItsOwnSizeWithItsPicture)
{
    const std::string jpeg = std::string("\xff\xd8\xff\xe0", 4) + std::string(5000, 'j') + "\xff\xd9";
    const std::string picture = WriteFile(jpeg);
    std::vector<CPage> pages;
    for (int n = 3; n <= 5; ++n) {
        CPage page = LetterPage(n == 4 ? TextMode::Frames : TextMode::Flow, n);
        page.widthTwips = 10000 + n;
        page.picturePath = n == 5 ? std::string() : picture;  // page 5: graphics deleted
        page.lineRuns = {LineRun(u"page" + std::u16string(1, static_cast<char16_t>(u'0' + n)), 720, 2000)};
        page.blocks.push_back(OneColumn(page.lineRuns));
        StackEveryRun(page);
        pages.push_back(page);
    }
    int error = 0;
    const std::string path = WritePackage(pages, error);
    ASSERT_EQ(error, 0);
    const CZipEntries zip = ReadZip(path);
    ASSERT_TRUE(zip.ok);
    ASSERT_NE(zip.Find("word/media/page3.jpeg"), nullptr);
    EXPECT_EQ(*zip.Find("word/media/page3.jpeg"), jpeg);
    EXPECT_NE(zip.Find("word/media/page4.jpeg"), nullptr);
    EXPECT_EQ(zip.Find("word/media/page5.jpeg"), nullptr);
    for (const char* part : {"[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/_rels/document.xml.rels",
                             "word/styles.xml", "word/settings.xml", "word/fontTable.xml", "docProps/core.xml",
                             "docProps/app.xml"})
        EXPECT_NE(zip.Find(part), nullptr) << part;
    EXPECT_EQ(zip.entries.front().first, "[Content_Types].xml");
    const std::string xml = *zip.Find("word/document.xml");
    EXPECT_EQ(Count(xml, "<w:sectPr>"), 3u);
    for (int n = 3; n <= 5; ++n)
        EXPECT_NE(xml.find("<w:pgSz w:w=\"" + std::to_string(10050 + n) + "\""), std::string::npos);
    EXPECT_EQ(Count(xml, "<pic:pic>"), 2u);
    EXPECT_NE(xml.find("r:embed=\"rIdPicture3\""), std::string::npos);
    const std::string rels = *zip.Find("word/_rels/document.xml.rels");
    EXPECT_NE(rels.find("Id=\"rIdPicture4\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                        "relationships/image\" Target=\"media/page4.jpeg\""),
              std::string::npos);
    EXPECT_NE(zip.Find("docProps/app.xml")->find("<Pages>3</Pages>"), std::string::npos);
    const std::string fonts = *zip.Find("word/fontTable.xml");
    EXPECT_LT(fonts.find("\"Arial\""), fonts.find("\"Liberation Serif\""));
    int status = 0;
    EXPECT_EQ(PythonDocxParagraphs(path, status), "page3\npage4\npage5\n");
    EXPECT_EQ(status, 0);
    std::remove(path.c_str());
    std::remove(picture.c_str());
}

TEST(DocxPackage, DocumentWithoutPagesOrTextStillOpens)
{
    int error = 0;
    std::string path = WritePackage({}, error);
    ASSERT_EQ(error, 0);
    int status = 0;
    EXPECT_EQ(PythonDocxParagraphs(path, status), "");
    EXPECT_EQ(status, 0);
    std::remove(path.c_str());

    path = WritePackage({LetterPage(TextMode::Flow), LetterPage(TextMode::Frames, 2)}, error);
    ASSERT_EQ(error, 0);
    EXPECT_EQ(Count(DocumentXml(path), "<w:sectPr>"), 2u);
    EXPECT_EQ(PythonDocxParagraphs(path, status), "");
    EXPECT_EQ(status, 0);
    std::remove(path.c_str());
}

}  // namespace
