// Frame mode: every run of the page in its own absolutely positioned frame.
// Frames are placed relative to the page and given the width that is left
// to the page's right edge, so readers neither shift them by a line nor cut
// their last words when they fix the frame size.
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
    for (const CTextRun& run : runs.lineRuns)
        if (!rc) rc = WriteLineFrame(run);
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
    char frame[400];
    std::snprintf(frame, sizeof frame,
                  " \\pard \\ql \\li0\\ri0\\widctlpar\\pvpg\\phpg\\posx%d\\posy%d\\absw%d\\dxfrtext144\\dfrmtxtx144"
                  "\\nowrap\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0\\pararsid9203263",
                  run.left, run.top, FrameWidth(run.left));
    std::string text = frame;
    // The frame's paragraph stays left to right: it is set from its left edge.
    text += LogicalOrderRtf(run.rtfText, false);
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
