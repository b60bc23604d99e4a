// Frame mode: every run of the page at its own place, in absolutely
// positioned frames. Frames are placed relative to the page and given the
// width that is left to the page's right edge, so readers neither shift them
// by a line nor cut their last words when they fix the frame size. Which runs
// share a frame (a line's runs, a stack of lines) is the page's frame plan.
#include <algorithm>

#include "page/units.h"
#include "rtf/rtf_format.h"
#include "rtf/rtf_writer.h"
#include "rtf/run_text.h"

namespace {

// Distance of the closing frame from the page's right and bottom edges.
constexpr int32_t kClosingFrameInset = 5;
// Narrowest frame written: a run that starts at the page edge still gets
// a frame of its own instead of one the reader sizes.
constexpr int32_t kMinFrameWidth = 1;

int32_t FrameWidth(const CPage& page, int32_t posx)
{
    return std::max(page.widthTwips - posx, kMinFrameWidth);
}

// The paragraph controls of a frame at (posx, posy) reaching to the page's right edge.
std::string FramePosition(const CPage& page, int32_t posx, int32_t posy)
{
    return RtfText("\\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx", posx, "\\posy", posy, "\\absw",
                   FrameWidth(page, posx),
                   "\\dxfrtext144\\dfrmtxtx144\\nowrap\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0"
                   "\\pararsid9203263");
}

std::string FrameControls(const CPage& page, int32_t posx, int32_t posy)
{
    return " \\pard " + FramePosition(page, posx, posy);
}

// The tab stops and text of `count` runs of one line set from `left`.
std::string LineContent(const CTextRun* runs, size_t count, int32_t left, CRtfWriter& writer)
{
    std::string text;
    for (size_t i = 1; i < count; ++i)
        AppendRtf(text, "\\tx", runs[i].left - left);
    for (size_t i = 0; i < count; ++i) {
        // The tab takes the size of the run it leads to, so it cannot make
        // the line taller than its runs.
        if (i > 0)
            AppendRtf(text, "{\\fs", std::max(runs[i].size / kTwipsPerHalfPoint, 1), "\\tab}");
        text += RunRtf(runs[i], TextMode::Frames, writer);
    }
    return text;
}

std::string EmptyFrame(const CPage& page, const char* start, int32_t posx, int32_t posy)
{
    return start + FramePosition(page, posx, posy) + " {\\f0\\fs1\\cf0\\insrsid9203263 \\par}";
}

} // namespace

int CRtfWriter::WriteFramedText(const CPage& page)
{
    const bool hasVertical = !page.upRuns.empty() || !page.downRuns.empty();
    int rc = 0;
    // Vertical runs go first, as shape text boxes: readers ignore the
    // vertical text direction of frames. Written ahead of the frames they
    // are anchored in plain page text, not inside a frame.
    // (A vertical frame would come out horizontal; the text box keeps the
    // direction.)
    rc = WriteTextBoxes(page);
    if (!rc && hasVertical)
        rc = WriteBody(EmptyFrame(page, "\\pard", 0, 0));
    // A one-twip ordinary paragraph between the page's shapes or anchor frame
    // and its first line frame: LibreOffice otherwise sets that first frame
    // about 80 twips to the right of its position.
    if (!rc && !page.lineRuns.empty())
        rc = WriteBody("\\pard\\sl-1\\slmult0\\par");
    for (const CFrameStack& stack : page.frameStacks) {
        if (rc)
            break;
        if (stack.lines.size() == 1)
            rc = WriteLineFrame(page, &page.lineRuns[stack.lines[0].first], stack.lines[0].count);
        else
            rc = WriteFrameStack(page, stack);
    }
    if (!rc && hasVertical)
        rc = WriteBody(EmptyFrame(page, "\\pard ", page.widthTwips - kClosingFrameInset,
                                  page.heightTwips - kClosingFrameInset));
    // An ordinary paragraph for the page's frames to be anchored to; without
    // it a reader hangs them all on the next page's first paragraph.
    if (!rc)
        rc = WriteBody("\\pard\\par");
    return rc;
}

int CRtfWriter::WriteLineFrame(const CPage& page, const CTextRun* runs, size_t count)
{
    // The tallest run's top: the line's baseline then lies where all of its
    // runs have it.
    int32_t top = runs[0].top;
    for (size_t i = 1; i < count; ++i)
        top = std::min(top, runs[i].top);
    return WriteBody(FrameControls(page, runs[0].left, top) + LineContent(runs, count, runs[0].left, *this) +
                     "\\par");
}

int CRtfWriter::WriteFrameStack(const CPage& page, const CFrameStack& stack)
{
    // Paragraphs with the same frame controls make one frame; each line's
    // exact spacing puts its baseline where the PDF has it.
    const RunList& runs = page.lineRuns;
    const std::string controls = FrameControls(page, stack.left, stack.top);
    std::string text;
    for (const CFrameLine& line : stack.lines) {
        AppendRtf(text, controls, "\\sl-", line.spacing, "\\slmult0");
        text += LineContent(&runs[line.first], line.count, stack.left, *this) + "\\par";
    }
    return WriteBody(text);
}
