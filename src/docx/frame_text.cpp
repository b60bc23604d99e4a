// Frame mode: every line of the page at its own place, in paragraphs framed
// at absolute positions on the page; the runs of a line share a frame (the
// later ones at tab stops on their left edges) and lines that follow each
// other down one left edge share one too, as paragraphs of exact spacing.
// Vertical runs become text boxes, which keep their direction.
#include <algorithm>

#include "page/units.h"
#include "docx/page_body.h"
#include "docx/run_xml.h"
#include "docx/xml_text.h"

namespace {

// Narrowest frame written: a run that starts at the page edge still gets a
// frame of its own instead of one the reader sizes.
constexpr int32_t kMinFrameWidth = 1;
// Distance kept between a frame and the text around it (twips).
constexpr int32_t kFrameTextDistance = 144;
// The trailing ordinary paragraph's exact height (twips) and mark size.
constexpr int32_t kTrailingLineTwips = 1;
constexpr int32_t kTrailingMarkHalfPoints = 2;

// The frame at (`x`, `y`) on the page, as wide as the room left to the
// page's right edge, so readers neither shift it nor cut its last words
// when they fix its size.
std::string FrameProperties(int32_t x, int32_t y, int32_t pageWidth)
{
    std::string s = "<w:framePr w:w=\"";
    AppendInt(s, std::max(pageWidth - x, kMinFrameWidth));
    s += "\" w:hSpace=\"";
    AppendInt(s, kFrameTextDistance);
    s += "\" w:vSpace=\"";
    AppendInt(s, kFrameTextDistance);
    s += "\" w:wrap=\"notBeside\" w:vAnchor=\"page\" w:hAnchor=\"page\" w:x=\"";
    AppendInt(s, x);
    s += "\" w:y=\"";
    AppendInt(s, y);
    s += "\"/>";
    return s;
}

// One line of the stack: its runs from `left`, the later ones after tabs.
void WriteFrameLine(CPageBody& body, const std::string& frame, const CFrameLine& line, int32_t left)
{
    const RunList& runs = body.Page().lineRuns;
    const size_t end = std::min(line.first + line.count, runs.size());
    std::string properties = frame;
    if (line.first + 1 < end) {
        properties += "<w:tabs>";
        for (size_t i = line.first + 1; i < end; ++i) {
            properties += "<w:tab w:val=\"left\" w:pos=\"";
            AppendInt(properties, runs[i].left - left);
            properties += "\"/>";
        }
        properties += "</w:tabs>";
    }
    if (line.spacing > 0)
        AppendExactSpacing(properties, line.spacing);
    int32_t mark = 1;
    for (size_t i = line.first; i < end; ++i)
        mark = std::max(mark, RunHalfPoints(runs[i]));
    body.OpenParagraph(properties, mark);
    std::string& out = body.Out();
    for (size_t i = line.first; i < end; ++i) {
        // The tab takes the size of the run it leads to, so it cannot make
        // the line taller than its runs.
        if (i > line.first)
            AppendTabRun(out, runs[i].size / kTwipsPerHalfPoint);
        AppendRunText(out, runs[i]);
    }
    body.CloseParagraph();
}

}  // namespace

void WriteFramePage(CPageBody& body, CDrawingIds& ids, const std::string& pictureRelation)
{
    const CPage& page = body.Page();
    WriteAnchorParagraph(body, ids, pictureRelation);
    for (const CFrameStack& stack : page.frameStacks) {
        // Paragraphs with the same frame properties make one frame.
        const std::string frame = FrameProperties(stack.left, stack.top, page.widthTwips);
        for (const CFrameLine& line : stack.lines)
            if (line.first < page.lineRuns.size())
                WriteFrameLine(body, frame, line, stack.left);
    }
    // An ordinary paragraph for the page's frames to be anchored to, and to
    // end the page's section.
    std::string properties;
    AppendExactSpacing(properties, kTrailingLineTwips);
    body.OpenParagraph(properties, kTrailingMarkHalfPoints);
    body.CloseParagraph();
}
