// Flow mode: the page's blocks as ordinary paragraphs with exact line
// spacings (and empty filler lines) that put each baseline where the PDF has
// it, and side-by-side columns as RTF column sections.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "rtf/rtf_format.h"
#include "rtf/rtf_writer.h"
#include "rtf/run_text.h"
#include "rtf/tabbed_row.h"

namespace {

// Exact spacing of one empty filler paragraph (twips).
constexpr int32_t kFillerSpacing = 213;
// A line closer than this share of its line height to the previous baseline
// is a close line.
constexpr double kCloseLineShare = 0.75;
// The smallest spacing a paragraph is written with (twips).
constexpr int64_t kLeastSpacing = 1;

constexpr const char* kSectionContinues = "\\pard\\sect\\sectd\\sbknone";
constexpr const char* kFillerEnd = "\\fs18\\cf0\\par";

// "\pard\li%d\ri%d\sl-%d\slmult0 ": a paragraph at indent `indent` whose line
// advances exactly `spacing` twips, `rightIndent` twips in from the column's
// right edge.
std::string ParagraphStart(int32_t indent, int64_t spacing, int32_t rightIndent = 0)
{
    return RtfText("\\pard\\li", indent, "\\ri", rightIndent, "\\sl-", spacing, "\\slmult0 ");
}

// The right indent of a line's paragraph: a page width beyond the column's
// right edge. Each paragraph holds one line of the PDF; where the reader sets
// it wider than the PDF (other fonts, characters the measure could not see),
// the line runs on over the edge instead of wrapping into a second line,
// which would push every later line of the page down and the page over its
// end.
int32_t NoWrapRightIndent(const CPage& page) { return -page.PaperWidth(); }

// A right-to-left paragraph set from its right end, `indent` twips left of
// the column's right edge: in such a paragraph the office suite takes \li as
// the indent at the right, where the paragraph starts, and \qr as its start.
std::string RightToLeftParagraphStart(int32_t indent, int64_t spacing)
{
    return RtfText("\\pard\\rtlpar\\qr\\li", indent, "\\ri0\\sl-", spacing, "\\slmult0 ");
}

// A line's paragraph start and its text (already in stored order): lines
// that read right to left as right-to-left paragraphs that keep their right
// end where the PDF has it, as its lines are aligned there.
struct CLineText {
    bool rightToLeft = false;
    int32_t rightIndent = 0;
    int32_t noWrapIndent = 0;
    const std::string& text;

    CLineText(const CPage& page, const CTextRun& run, const std::string& rtf, int32_t columnRight)
        : noWrapIndent(NoWrapRightIndent(page)), text(rtf)
    {
        rightToLeft = run.readsRightToLeft;
        if (rightToLeft)
            rightIndent = std::max(columnRight - run.right, 0);
    }
    std::string Start(int32_t indent, int64_t spacing) const
    {
        return rightToLeft ? RightToLeftParagraphStart(rightIndent, spacing)
                           : ParagraphStart(indent, spacing, noWrapIndent);
    }
};

// The column's right edge; the page's last (or only) column reaches to the
// paper's edge.
int32_t ColumnRight(const CPage& page, int32_t boundary, int32_t width)
{
    const int32_t right = boundary + width;
    return right >= page.widthTwips ? page.PaperWidth() : right;
}

}  // namespace

int CRtfWriter::WriteBlocks(const CPage& page)
{
    for (const CRunBlock& block : page.blocks) {
        int rc = 0;
        if (block.columns.size() == 1) {
            inColumnSection = 0;
            rc = WriteFlowColumn(page, block.columns[0], block.columns[0].boundary);
        } else if (block.tabbedLine) {
            inColumnSection = 0;
            if (lastBaseline != 0)
                rc = WriteBody(kSectionContinues);
            const int32_t boundary = block.columns[0].boundary;
            std::string text;
            const CTextRun line = TabbedLine(block, boundary, *this, text);
            // The line stands in a column of its own, as wide as nothing: only
            // a right-to-left line would use its right edge, and such a block
            // is never one tabbed line.
            if (!rc)
                rc = WriteFlowLine(page, line, text, boundary, ColumnRight(page, boundary, 0));
        } else if (block.columns.size() > 1) {
            inColumnSection = 1;
            rc = WriteColumnSection(page, block);
        }
        if (rc)
            return rc;
    }
    return 0;
}

int CRtfWriter::WriteColumnSection(const CPage& page, const CRunBlock& block)
{
    if (lastBaseline != 0)
        if (int rc = WriteBody(kSectionContinues))
            return rc;
    std::string layout = "\\cols" + std::to_string(block.columns.size());
    for (size_t c = 0; c < block.columns.size(); ++c)
        layout += "\\colno" + std::to_string(c + 1) + "\\colw" +
                  std::to_string(block.columns[c].width) + "\\colsr-0";
    if (int rc = WriteBody(layout))
        return rc;
    // Every column starts from the baseline reached before the block; on the
    // page's first block that is the page's top edge. The block ends at the
    // lowest baseline a column reached.
    const int32_t start = lastBaseline;
    reachedBaseline_ = start;
    for (size_t c = 0; c < block.columns.size(); ++c) {
        if (c > 0)
            if (int rc = WriteBody("\\column"))
                return rc;
        inColumnSection = 1;
        lastBaseline = block.id != 0 ? start : 0;
        if (int rc = WriteFlowColumn(page, block.columns[c], block.columns[c].boundary))
            return rc;
    }
    lastBaseline = std::max(block.endBaseline, reachedBaseline_);
    return 0;
}

int CRtfWriter::WriteFlowColumn(const CPage& page, const CRunColumn& column, int32_t boundary)
{
    if (lastBaseline != 0 && inColumnSection == 0)
        if (int rc = WriteBody(kSectionContinues))
            return rc;
    const int32_t columnRight = ColumnRight(page, boundary, column.width);
    for (const CTextRun& r : column.runs)
        if (int rc = WriteFlowLine(page, r, RunRtf(r, TextMode::Flow, *this), boundary, columnRight))
            return rc;
    return 0;
}

int CRtfWriter::WriteFlowLine(const CPage& page, const CTextRun& r, const std::string& rtf, int32_t boundary,
                              int32_t columnRight)
{
    const int64_t h = r.lineHeight;
    const int64_t m = static_cast<int64_t>(std::floor(kCloseLineShare * static_cast<double>(h)));
    const int32_t indent = r.left - boundary;
    const int64_t d = static_cast<int64_t>(r.bottom) - lastBaseline;
    const CLineText line(page, r, rtf, columnRight);
    int rc = 0;
    int64_t advance = d;
    if (d < m) {
        // A line closer to the previous one than its own height (a
        // subscript line, a plot drawn with text) advances exactly its
        // distance: the reader draws text taller than an exact spacing
        // without clipping it, and any larger spacing would push every
        // later line of the page down, and the page over its end. A line
        // above the text already written (flowing text cannot go back up)
        // advances the least step.
        advance = std::max<int64_t>(d, kLeastSpacing);
        rc = WriteBody(line.Start(indent, advance) + line.text + "\\par");
    } else if (d <= h) {
        rc = WriteBody(line.Start(indent, d) + line.text + "\\par");
    } else {
        const int64_t g = d - h;
        const int64_t fillers = g / kFillerSpacing;
        const int64_t rest = g % kFillerSpacing;
        for (int64_t k = 0; k < fillers && rc == 0; ++k)
            rc = WriteBody((k == 0 ? std::string() : std::string(kFillerEnd)) + ParagraphStart(indent, kFillerSpacing));
        if (rc == 0)
            rc = WriteBody((fillers > 0 ? std::string(kFillerEnd) : std::string()) + line.Start(indent, h + rest) +
                           line.text + "\\par");
    }
    if (rc)
        return rc;
    // Where the line really stands: the next spacing is measured from it.
    lastBaseline = static_cast<int32_t>(lastBaseline + advance);
    reachedBaseline_ = std::max(reachedBaseline_, lastBaseline);
    return 0;
}
