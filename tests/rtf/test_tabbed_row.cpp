// Flow mode: a block of one line per column becomes one tabbed line instead
// of a column section.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/run_blocks.h"
#include "platform/temp_path.h"
#include "rtf/rtf_test_support.h"
#include "rtf/rtf_writer.h"
#include "rtf/tabbed_row.h"

namespace {

CTextRun Cell(const std::string& text, int32_t left, int32_t right, int32_t bottom, int32_t size = 240)
{
    CTextRun r;
    r.rtfText = "\\fs" + std::to_string(size / 10) + " {" + text + "}";
    r.left = left;
    r.right = right;
    r.bottom = bottom;
    r.top = bottom - size;
    r.width = right - left;
    r.size = size;
    r.lineHeight = static_cast<uint32_t>(size);
    r.lastSize = size;
    return r;
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
    EXPECT_FALSE(FitsOneTabbedLine(Row({Cell("a", 720, 2000, 1000), Cell("\\u1488?", 3000, 4000, 1000)})));
}

TEST(TabbedRow, EveryRunStandsAtATabStopOnItsLeftEdge)
{
    const CTextRun line =
        TabbedLine(Row({Cell("a", 720, 2000, 1000), Cell("b", 3000, 4000, 1000, 340), Cell("c", 6000, 7000, 1000)}), 0);
    EXPECT_EQ(line.rtfText, "\\tx720\\tx3000\\tx6000"
                            "{\\fs24\\tab}\\fs24 {a}{\\fs34\\tab}\\fs34 {b}{\\fs24\\tab}\\fs24 {c}");
    EXPECT_EQ(line.left, 0);
    EXPECT_EQ(line.right, 7000);
    EXPECT_EQ(line.bottom, 1000);
    EXPECT_EQ(line.top, 1000 - 340);
    EXPECT_EQ(line.lineHeight, 340u);
    EXPECT_EQ(line.size, 340);
    // A run on the origin itself needs no tab: one there would skip to the
    // next stop.
    EXPECT_EQ(TabbedLine(Row({Cell("a", 0, 2000, 1000), Cell("b", 3000, 4000, 1000)}), 0).rtfText,
              "\\tx3000\\fs24 {a}{\\fs24\\tab}\\fs24 {b}");
}

TEST(TabbedRow, BlocksOfRowsAreWrittenWithoutColumnSections)
{
    rtftest::UsePage(12241, 15841);
    const std::string path = MakeTempPath();
    CRtfWriter writer;
    ASSERT_TRUE(writer.OpenDocument(path));
    CRunBlock first = Row({Cell("a", 720, 2000, 1000), Cell("b", 3000, 4000, 1000)});
    CRunBlock second = Row({Cell("c", 720, 2000, 1240), Cell("d", 3000, 4000, 1240)});
    second.id = 1;
    writer.Blocks() = {first, second};
    ASSERT_EQ(writer.WriteBlocks(), 0);
    EXPECT_EQ(writer.lastBaseline, 1240);
    ASSERT_EQ(writer.FinishDocument(), 0);
    const std::string body = rtftest::BodyOf(rtftest::ReadWholeFile(path));
    EXPECT_EQ(body.find("\\cols"), std::string::npos) << body;
    EXPECT_EQ(body.find("\\column"), std::string::npos) << body;
    // The second row follows the first one line height lower, set from the
    // page's left edge.
    // (Its right indent reaches past the page so that the line cannot wrap.)
    const size_t row = body.find("\\sl-240\\slmult0 \\tx720\\tx3000{\\fs24\\tab}\\fs24 {c}");
    ASSERT_NE(row, std::string::npos) << body;
    EXPECT_EQ(body.rfind("\\pard\\li0\\ri-", row), body.rfind("\\pard", row)) << body;
}

}  // namespace
