#include "rtf/tabbed_row.h"

#include <algorithm>
#include <string>

#include "rtf/bidi_text.h"

namespace {

// A run follows the one before it by tab only when it starts at least this
// share of that run's size after its end: the tab must not find the text
// already past its stop when the reader's font is a little wider.
constexpr double kMinTabGapShare = 0.25;
// Twips of font size per half-point.
constexpr int32_t kTwipsPerHalfPoint = 10;

}  // namespace

bool FitsOneTabbedLine(const CRunBlock& block)
{
    if (block.columns.size() < 2)
        return false;
    const CTextRun* previous = nullptr;
    for (const CRunColumn& column : block.columns) {
        if (column.runs.size() != 1)
            return false;
        const CTextRun& run = column.runs[0];
        if (ContainsRightToLeft(run.rtfText))
            return false;
        if (previous) {
            if (run.bottom != previous->bottom || run.left - previous->right < kMinTabGapShare * previous->size)
                return false;
        }
        previous = &run;
    }
    return true;
}

CTextRun TabbedLine(const CRunBlock& block, int32_t origin)
{
    CTextRun line = block.columns[0].runs[0];
    std::string stops;
    std::string text;
    for (const CRunColumn& column : block.columns) {
        const CTextRun& run = column.runs[0];
        line.top = std::min(line.top, run.top);
        line.right = std::max(line.right, run.right);
        line.lineHeight = std::max(line.lineHeight, run.lineHeight);
        line.size = std::max(line.size, run.size);
        // The tab has the size of the run it leads to, so it cannot make the
        // line taller than its runs. A run at the origin itself needs none (a
        // tab there would skip to the next stop).
        const int32_t offset = run.left - origin;
        if (offset > 0) {
            stops += "\\tx" + std::to_string(offset);
            text += "{\\fs" + std::to_string(std::max(run.size / kTwipsPerHalfPoint, 1)) + "\\tab}";
        }
        text += run.rtfText;
    }
    line.left = origin;
    line.width = line.right - line.left;
    line.rtfText = stops + text;
    return line;
}
