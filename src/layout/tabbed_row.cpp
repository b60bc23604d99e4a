#include "layout/tabbed_row.h"

namespace {

// A run follows the one before it by tab only when it starts at least this
// share of that run's size after its end: the tab must not find the text
// already past its stop when the reader's font is a little wider.
constexpr double kMinTabGapShare = 0.25;

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
        if (run.hasRightToLeft)
            return false;
        if (previous) {
            if (run.bottom != previous->bottom || run.left - previous->right < kMinTabGapShare * previous->size)
                return false;
        }
        previous = &run;
    }
    return true;
}

void MarkTabbedLines(std::vector<CRunBlock>& blocks)
{
    for (CRunBlock& block : blocks)
        block.tabbedLine = FitsOneTabbedLine(block);
}
