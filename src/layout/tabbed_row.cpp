#include "layout/tabbed_row.h"

#include "platform/text_direction.h"

namespace {

// A run follows the one before it by tab only when it starts at least this
// share of that run's size after its end: the tab must not find the text
// already past its stop when the reader's font is a little wider.
constexpr double kMinTabGapShare = 0.25;

}  // namespace

bool RunHasRightToLeft(const CTextRun& run)
{
    // Letters of those scripts reach the document only by character code;
    // a glyph's text ends at its first zero unit.
    for (const CTextPiece& piece : run.pieces)
        for (const CTextSpan& span : piece.spans) {
            if (!span.byCharCode)
                continue;
            for (char16_t unit : span.text) {
                if (unit == 0)
                    break;
                if (IsRightToLeftChar(unit))
                    return true;
            }
        }
    return false;
}

bool FitsOneTabbedLine(const CRunBlock& block)
{
    if (block.columns.size() < 2)
        return false;
    const CTextRun* previous = nullptr;
    for (const CRunColumn& column : block.columns) {
        if (column.runs.size() != 1)
            return false;
        const CTextRun& run = column.runs[0];
        if (RunHasRightToLeft(run))
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
