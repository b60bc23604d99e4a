// Flow mode: a block of one line per column becomes one tabbed line instead
// of a column section.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/run_blocks.h"
#include "layout/tabbed_row.h"
#include "platform/temp_path.h"
#include "rtf/rtf_test_support.h"
#include "rtf/rtf_writer.h"

using namespace rtftest;

namespace {

CTextRun Cell(const std::string& text, int32_t left, int32_t right, int32_t bottom, int32_t size = 240,
              char16_t codeUnit = 0)
{
    CTextRun r;
    r.pieces = {Piece(text, size / 10, codeUnit)};
    r.face = "Arial";
    r.left = left;
    r.right = right;
    r.bottom = bottom;
    r.top = bottom - size;
    r.width = right - left;
    r.size = size;
    r.lineHeight = static_cast<uint32_t>(size);
    r.lastSize = size;
    return Settled(r);
}

CRunBlock Row(std::vector<CTextRun> cells)
{
    CRunBlock block;
    int32_t boundary = 0;
    for (CTextRun& cell : cells) {
        CRunColumn column;
        column.boundary = boundary;
        boundary = cell.right + 1;
        column.runs.push_back(std::move(cell));
        block.columns.push_back(std::move(column));
    }
    return block;
}

TEST(TabbedRow, OnlyOneLineOnOneBaselineWithRoomBeforeEachTabFits)
{
    EXPECT_TRUE(FitsOneTabbedLine(Row({Cell("a", 720, 2000, 1000), Cell("b", 2060, 3000, 1000)})));
    // A single column is no row.
    EXPECT_FALSE(FitsOneTabbedLine(Row({Cell("a", 720, 2000, 1000)})));
    // Another baseline, even by a twip.
    EXPECT_FALSE(FitsOneTabbedLine(Row({Cell("a", 720, 2000, 1000), Cell("b", 3000, 4000, 1001)})));
    // Less than a quarter of the size between the runs.
    EXPECT_FALSE(FitsOneTabbedLine(Row({Cell("a", 720, 2000, 1000), Cell("b", 2059, 3000, 1000)})));
    // A column of two lines stays a column section.
    CRunBlock twoLines = Row({Cell("a", 720, 2000, 1000), Cell("b", 3000, 4000, 1000)});
    twoLines.columns[1].runs.push_back(Cell("c", 3000, 4000, 1240));
    EXPECT_FALSE(FitsOneTabbedLine(twoLines));
    // Right-to-left text keeps its own paragraph handling.
    EXPECT_FALSE(FitsOneTabbedLine(Row({Cell("a", 720, 2000, 1000), Cell("", 3000, 4000, 1000, 240, 0x05D0)})));
    // A Hebrew letter that is not written by code reaches the document as "?",
    // and a letter after a zero unit is never written: neither counts.
    CTextRun converted = Cell("", 3000, 4000, 1000);
    converted.pieces[0].spans.push_back(CTextSpan{u"\u05D0", false});
    converted.pieces[0].spans.push_back(CTextSpan{std::u16string(u"a\0\u05D0", 3), true});
    EXPECT_TRUE(FitsOneTabbedLine(Row({Cell("a", 720, 2000, 1000), converted})));
}

TEST(TabbedRow, MarkingSetsTheFlagOnRowsOnly)
{
    std::vector<CRunBlock> blocks = {Row({Cell("a", 720, 2000, 1000), Cell("b", 3000, 4000, 1000)}),
                                     Row({Cell("c", 720, 2000, 1240)})};
    blocks[1].tabbedLine = true;
    MarkTabbedLines(blocks);
    EXPECT_TRUE(blocks[0].tabbedLine);
    EXPECT_FALSE(blocks[1].tabbedLine);
}

TEST(TabbedRowText, EveryRunStandsAtATabStopOnItsLeftEdge)
{
    CPage page = EmptyPage(12241, 15841);
    page.blocks = {Row({Cell("a", 720, 2000, 1000), Cell("b", 3000, 4000, 1000, 340), Cell("c", 6000, 7000, 1000)})};
    MarkTabbedLines(page.blocks);
    // The tallest run's line height (340) decides the fillers from the top:
    // 660 over it, three fillers and 340 + 21.
    const std::string filler = "\\pard\\li0\\ri0\\sl-213\\slmult0 \\fs18\\cf0\\par";
    EXPECT_EQ(PrintedPageText(page), filler + filler + filler + "\\pard\\li0\\ri-12291\\sl-361\\slmult0 \\tx720\\tx3000\\tx6000{\\fs24\\tab}" +
                                         FlowPiece("a") + "{\\fs34\\tab}" + FlowPiece("b", 34) + "{\\fs24\\tab}" +
                                         FlowPiece("c") + "\\par");
    // A run on the origin itself needs no tab: one there would skip to the
    // next stop.
    page.blocks = {Row({Cell("a", 0, 2000, 1000), Cell("b", 3000, 4000, 1000)})};
    MarkTabbedLines(page.blocks);
    const std::string text = PrintedPageText(page);
    EXPECT_NE(text.find("\\slmult0 \\tx3000" + FlowPiece("a") + "{\\fs24\\tab}" + FlowPiece("b") + "\\par"),
              std::string::npos)
        << text;
}

TEST(TabbedRowText, BlocksOfRowsAreWrittenWithoutColumnSections)
{
    CPage page = EmptyPage(12241, 15841);
    CRunBlock first = Row({Cell("a", 720, 2000, 1000), Cell("b", 3000, 4000, 1000)});
    CRunBlock second = Row({Cell("c", 720, 2000, 1240), Cell("d", 3000, 4000, 1240)});
    second.id = 1;
    page.blocks = {first, second};
    MarkTabbedLines(page.blocks);
    const std::string body = PrintedPageText(page);
    EXPECT_EQ(body.find("\\cols"), std::string::npos) << body;
    EXPECT_EQ(body.find("\\column"), std::string::npos) << body;
    // The second row follows the first one line height lower, set from the
    // page's left edge, in a section that continues on the page.
    // (Its right indent reaches past the page so that the line cannot wrap.)
    const size_t row = body.find("\\sl-240\\slmult0 \\tx720\\tx3000{\\fs24\\tab}" + FlowPiece("c"));
    ASSERT_NE(row, std::string::npos) << body;
    EXPECT_EQ(body.rfind("\\pard\\sect\\sectd\\sbknone\\pard\\li0\\ri-", row), body.rfind("\\pard", row) - 24) << body;
}

}  // namespace
