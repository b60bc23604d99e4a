// Flow mode: the page's text boxes in its anchor paragraph, then its blocks
// as ordinary paragraphs whose exact line spacings (and empty filler lines)
// put each baseline where the PDF has it, side-by-side columns as column
// sections that continue on the page, and a block of one line per column on
// one baseline as one line with tab stops.
#include <algorithm>
#include <cmath>

#include "page/units.h"
#include "docx/page_body.h"
#include "docx/run_xml.h"
#include "docx/xml_text.h"

namespace {

// Exact spacing of one empty filler paragraph (twips).
constexpr int64_t kFillerSpacing = 213;
// The mark of a filler paragraph (half-points: 9 pt).
constexpr int32_t kFillerMarkHalfPoints = 18;
// A line closer than this share of its line height to the previous baseline
// is a close line.
constexpr double kCloseLineShare = 0.75;
// The smallest spacing a paragraph is written with (twips).
constexpr int64_t kLeastSpacing = 1;

// One line of a column: a run, or a block's runs joined by tabs.
struct CFlowLine {
    const CTextRun* run = nullptr;      // geometry and text of a plain line
    const CRunBlock* tabbed = nullptr;  // the block written as one tabbed line
    int32_t left = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int64_t lineHeight = 0;
};

CFlowLine PlainLine(const CTextRun& run)
{
    return CFlowLine{&run, nullptr, run.left, run.right, run.bottom, run.lineHeight};
}

// The block's runs as one line set from `origin`: the box of all of them,
// the tallest line height.
CFlowLine TabbedLine(const CRunBlock& block, int32_t origin)
{
    const CTextRun& first = block.columns[0].runs[0];
    CFlowLine line{nullptr, &block, origin, first.right, first.bottom, first.lineHeight};
    for (const CRunColumn& column : block.columns) {
        const CTextRun& run = column.runs[0];
        line.right = std::max(line.right, run.right);
        line.lineHeight = std::max<int64_t>(line.lineHeight, run.lineHeight);
    }
    return line;
}

bool EveryColumnHoldsARun(const CRunBlock& block)
{
    for (const CRunColumn& column : block.columns)
        if (column.runs.empty())
            return false;
    return true;
}

std::string ColumnsXml(const CRunBlock& block)
{
    std::string cols = "<w:cols w:num=\"";
    AppendInt(cols, static_cast<int64_t>(block.columns.size()));
    cols += "\" w:space=\"0\" w:equalWidth=\"0\">";
    for (size_t c = 0; c < block.columns.size(); ++c) {
        // One twip between neighbours: the columns tile the page from its
        // left edge to the right edge of the picture.
        cols += "<w:col w:w=\"";
        AppendInt(cols, std::max(block.columns[c].width, 1));
        cols += c + 1 < block.columns.size() ? "\" w:space=\"1\"/>" : "\" w:space=\"0\"/>";
    }
    cols += "</w:cols>";
    return cols;
}

class CFlowWriter {
public:
    explicit CFlowWriter(CPageBody& body) : body_(body) {}

    void WriteBlocks()
    {
        for (const CRunBlock& block : body_.Page().blocks) {
            if (block.columns.size() == 1) {
                inColumnSection_ = false;
                std::vector<CFlowLine> lines;
                for (const CTextRun& run : block.columns[0].runs)
                    lines.push_back(PlainLine(run));
                WriteColumn(lines, block.columns[0].boundary, block.columns[0].width);
            } else if (block.tabbedLine && block.columns.size() > 1 && EveryColumnHoldsARun(block)) {
                inColumnSection_ = false;
                const int32_t origin = block.columns[0].boundary;
                WriteColumn({TabbedLine(block, origin)}, origin, body_.PaperWidth());
            } else if (block.columns.size() > 1) {
                WriteColumnSection(block);
            }
        }
    }

private:
    void WriteColumnSection(const CRunBlock& block)
    {
        inColumnSection_ = true;
        if (lastBaseline_ != 0)
            body_.BreakSection(ColumnsXml(block));
        else
            body_.SetColumns(ColumnsXml(block));
        // Every column starts from the baseline reached before the block; on
        // the page's first block that is the page's top edge. The block ends
        // at the lowest baseline a column reached.
        const int32_t start = lastBaseline_;
        reached_ = start;
        for (size_t c = 0; c < block.columns.size(); ++c) {
            const CRunColumn& column = block.columns[c];
            if (c > 0)
                body_.BreakColumn();
            inColumnSection_ = true;
            lastBaseline_ = block.id != 0 ? start : 0;
            std::vector<CFlowLine> lines;
            for (const CTextRun& run : column.runs)
                lines.push_back(PlainLine(run));
            WriteColumn(lines, column.boundary, column.width);
        }
        lastBaseline_ = std::max(block.endBaseline, reached_);
    }

    void WriteColumn(const std::vector<CFlowLine>& lines, int32_t boundary, int32_t width)
    {
        if (lastBaseline_ != 0 && !inColumnSection_)
            body_.BreakSection(std::string());
        // The column's right edge; the page's last (or only) column reaches
        // to the paper's edge.
        int32_t columnRight = boundary + width;
        if (columnRight >= body_.Page().widthTwips)
            columnRight = body_.PaperWidth();
        for (const CFlowLine& line : lines) {
            const int64_t h = line.lineHeight;
            const auto m = static_cast<int64_t>(std::floor(kCloseLineShare * static_cast<double>(h)));
            const int32_t indent = line.left - boundary;
            const int64_t d = static_cast<int64_t>(line.bottom) - lastBaseline_;
            int64_t advance = d;
            if (d < m) {
                // A line closer to the previous one than its own height
                // advances exactly its distance (a line above the text
                // already written, the least step): a larger spacing would
                // push every later line of the page down.
                advance = std::max<int64_t>(d, kLeastSpacing);
                WriteLine(line, indent, advance, columnRight);
            } else if (d <= h) {
                WriteLine(line, indent, d, columnRight);
            } else {
                const int64_t g = d - h;
                for (int64_t k = 0; k < g / kFillerSpacing; ++k)
                    WriteFiller();
                WriteLine(line, indent, h + g % kFillerSpacing, columnRight);
            }
            // Where the line really stands: the next spacing is measured from it.
            lastBaseline_ = static_cast<int32_t>(lastBaseline_ + advance);
            reached_ = std::max(reached_, lastBaseline_);
        }
    }

    void WriteFiller()
    {
        std::string properties;
        AppendExactSpacing(properties, kFillerSpacing);
        body_.OpenParagraph(properties, kFillerMarkHalfPoints);
        body_.CloseParagraph();
    }

    void WriteLine(const CFlowLine& line, int32_t indent, int64_t spacing, int32_t columnRight)
    {
        std::string properties;
        std::string& out = body_.Out();
        if (line.tabbed) {
            std::string stops;
            for (const CRunColumn& column : line.tabbed->columns) {
                // A run at the origin itself needs no tab (one there would
                // skip to the next stop).
                if (const int32_t offset = column.runs[0].left - line.left; offset > 0) {
                    stops += "<w:tab w:val=\"left\" w:pos=\"";
                    AppendInt(stops, offset);
                    stops += "\"/>";
                }
            }
            // A tab list holds at least one stop.
            if (!stops.empty())
                properties += "<w:tabs>" + stops + "</w:tabs>";
            AppendExactSpacing(properties, spacing);
            AppendIndent(properties, indent, NoWrapRightIndent());
            body_.OpenParagraph(properties, RunHalfPoints(line.tabbed->columns[0].runs[0]));
            for (const CRunColumn& column : line.tabbed->columns) {
                const CTextRun& run = column.runs[0];
                if (run.left - line.left > 0)
                    AppendTabRun(out, run.size / kTwipsPerHalfPoint);
                AppendRunText(out, run);
            }
            body_.CloseParagraph();
            return;
        }
        const CTextRun& run = *line.run;
        const bool rightToLeft = run.readsRightToLeft;
        if (rightToLeft) {
            // A right-to-left line is set from its start, its right end,
            // which stays where the PDF has it: the indent at the start and
            // the alignment to the start (the names readers agree on for
            // right-to-left paragraphs).
            properties += "<w:bidi/>";
            AppendExactSpacing(properties, spacing);
            properties += "<w:ind w:start=\"";
            AppendInt(properties, std::max(columnRight - run.right, 0));
            properties += "\" w:end=\"0\"/><w:jc w:val=\"start\"/>";
        } else {
            AppendExactSpacing(properties, spacing);
            AppendIndent(properties, indent, NoWrapRightIndent());
        }
        body_.OpenParagraph(properties, RunHalfPoints(run));
        AppendRunText(out, run);
        body_.CloseParagraph();
    }

    // The right indent of a line's paragraph: a page width beyond the
    // column's right edge. Each paragraph holds one line of the PDF; where
    // the reader sets it wider (other fonts), the line runs on over the edge
    // instead of wrapping into a second line that would push the page over
    // its end.
    int32_t NoWrapRightIndent() const { return -body_.PaperWidth(); }

    CPageBody& body_;
    int32_t lastBaseline_ = 0;  // baseline of the last paragraph on the page
    int32_t reached_ = 0;       // lowest baseline written in the current column section
    bool inColumnSection_ = false;
};

}  // namespace

void WriteFlowPage(CPageBody& body, CDrawingIds& ids, const std::string& pictureRelation)
{
    const CPage& page = body.Page();
    WriteAnchorParagraph(body, ids, pictureRelation,
                         {{&page.boxRuns, TextFlow::Horizontal},
                          {&page.upRuns, TextFlow::Upward},
                          {&page.downRuns, TextFlow::Downward}});
    CFlowWriter(body).WriteBlocks();
}
