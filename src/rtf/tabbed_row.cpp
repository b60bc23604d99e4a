#include "rtf/tabbed_row.h"

#include <algorithm>

#include "page/units.h"
#include "rtf/rtf_format.h"
#include "rtf/run_text.h"

namespace {


}  // namespace

CTextRun TabbedLine(const CRunBlock& block, int32_t origin, CRtfWriter& writer, std::string& text)
{
    CTextRun line = block.columns[0].runs[0];
    std::string stops;
    text.clear();
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
            AppendRtf(stops, "\\tx", offset);
            AppendRtf(text, "{\\fs", std::max(run.size / kTwipsPerHalfPoint, 1), "\\tab}");
        }
        text += RunRtf(run, TextMode::Flow, writer);
    }
    line.left = origin;
    line.width = line.right - line.left;
    text = stops + text;
    return line;
}
