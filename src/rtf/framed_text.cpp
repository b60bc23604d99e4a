// Frame mode: every run of the page at its own place, in absolutely
// positioned frames. Frames are placed relative to the page and given the
// width that is left to the page's right edge, so readers neither shift them
// by a line nor cut their last words when they fix the frame size. The runs
// of one line share one frame, each later run set at a tab stop on its own
// left edge: LibreOffice's import cost grows with the square of the frames in
// a document, and text set word by word has several runs to a line.
#include <algorithm>
#include <cstdio>

#include "conversion/settings.h"
#include "rtf/bidi_text.h"
#include "rtf/rtf_writer.h"

namespace {

// Distance of the closing frame from the page's right and bottom edges.
constexpr int32_t kClosingFrameInset = 5;
// Narrowest frame written: a run that starts at the page edge still gets
// a frame of its own instead of one the reader sizes.
constexpr int32_t kMinFrameWidth = 1;
constexpr int kFlowDownward = 1;
constexpr int kFlowUpward = 2;
// Twips of font size per half-point.
constexpr int32_t kTwipsPerHalfPoint = 10;
// A run shares the frame of the run before it on its line only when it starts
// at least this share of that run's size after its end: the tab that leads to
// it must not find the text already past its stop when the reader's font is
// a little wider.
constexpr double kMinTabGapShare = 0.25;

// The runs of `runs` from `first` on that continue its line left to right:
// the same baseline, each starting clear of the previous one's end.
size_t SameLineRunCount(const RunList& runs, size_t first)
{
    size_t count = 1;
    while (first + count < runs.size()) {
        const CTextRun& previous = runs[first + count - 1];
        const CTextRun& next = runs[first + count];
        const double minGap = kMinTabGapShare * previous.size;
        if (next.bottom != previous.bottom || next.left - previous.right < minGap)
            break;
        ++count;
    }
    return count;
}

int32_t FrameWidth(int32_t posx)
{
    return std::max(g_pageWidthTwips - posx, kMinFrameWidth);
}

std::string EmptyFrame(const char* start, int32_t posx, int32_t posy)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer,
                  "%s\\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx%d\\posy%d\\absw%d\\dxfrtext144\\dfrmtxtx144"
                  "\\nowrap\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0\\pararsid9203263 "
                  "{\\f0\\fs1\\cf0\\insrsid9203263 \\par}",
                  start, posx, posy, FrameWidth(posx));
    return buffer;
}

} // namespace

int CRtfWriter::WriteFramedText()
{
    CPageRuns& runs = PageRuns();
    const bool hasVertical = !runs.upRuns.empty() || !runs.downRuns.empty();
    int rc = 0;
    // Vertical runs go first, as shape text boxes: readers ignore the
    // vertical text direction of frames. Written ahead of the frames they
    // are anchored in plain page text, not inside a frame.
    for (const CTextRun& run : runs.upRuns)
        if (!rc) rc = WriteVerticalFrame(run, true);
    for (const CTextRun& run : runs.downRuns)
        if (!rc) rc = WriteVerticalFrame(run, false);
    if (!rc && hasVertical)
        rc = WriteBody(EmptyFrame("\\pard", 0, 0));
    // A one-twip ordinary paragraph between the page's shapes or anchor frame
    // and its first line frame: LibreOffice otherwise sets that first frame
    // about 80 twips to the right of its position.
    if (!rc && !runs.lineRuns.empty())
        rc = WriteBody("\\pard\\sl-1\\slmult0\\par");
    for (size_t i = 0; i < runs.lineRuns.size() && !rc;) {
        const size_t count = SameLineRunCount(runs.lineRuns, i);
        rc = WriteLineFrame(&runs.lineRuns[i], count);
        i += count;
    }
    if (!rc && hasVertical)
        rc = WriteBody(EmptyFrame("\\pard ", g_pageWidthTwips - kClosingFrameInset,
                                  g_pageHeightTwips - kClosingFrameInset));
    // An ordinary paragraph for the page's frames to be anchored to; without
    // it a reader hangs them all on the next page's first paragraph.
    if (!rc)
        rc = WriteBody("\\pard\\par");
    return rc;
}

int CRtfWriter::WriteLineFrame(const CTextRun& run)
{
    return WriteLineFrame(&run, 1);
}

int CRtfWriter::WriteLineFrame(const CTextRun* runs, size_t count)
{
    // The tallest run's top: the line's baseline then lies where all of its
    // runs have it.
    int32_t top = runs[0].top;
    for (size_t i = 1; i < count; ++i)
        top = std::min(top, runs[i].top);
    const int32_t left = runs[0].left;
    char frame[400];
    std::snprintf(frame, sizeof frame,
                  " \\pard \\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx%d\\posy%d\\absw%d\\dxfrtext144\\dfrmtxtx144"
                  "\\nowrap\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0\\pararsid9203263",
                  left, top, FrameWidth(left));
    std::string text = frame;
    for (size_t i = 1; i < count; ++i)
        text += "\\tx" + std::to_string(runs[i].left - left);
    for (size_t i = 0; i < count; ++i) {
        // The tab takes the size of the run it leads to, so it cannot make
        // the line taller than its runs.
        if (i > 0)
            text += "{\\fs" + std::to_string(std::max(runs[i].size / kTwipsPerHalfPoint, 1)) + "\\tab}";
        // The frame's paragraph stays left to right: it is set from its left edge.
        text += LogicalOrderRtf(runs[i].rtfText, false);
    }
    text += "\\par";
    return WriteBody(text);
}

int CRtfWriter::WriteVerticalFrame(const CTextRun& run, bool upward)
{
    // A vertical frame would come out horizontal; the text box keeps the
    // direction. The box grows the run, so it works on a copy.
    CTextRun boxed = run;
    return WriteTextBox(boxed, upward ? kFlowUpward : kFlowDownward);
}
