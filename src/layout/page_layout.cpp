#include "layout/page_layout.h"

#include "layout/flow_plan.h"
#include "layout/frame_stacks.h"
#include "layout/line_runs.h"
#include "layout/printed_text.h"
#include "layout/run_blocks.h"
#include "layout/tabbed_row.h"

void LayOutPage(CPage& page)
{
    MergeLineRuns(page.lineRuns, page.mode);
    // Before the blocks: they hold copies of the runs.
    SettlePageText(page);
    if (page.mode == TextMode::Flow) {
        SortLineRuns(page.lineRuns);
        BuildBlocks(page.lineRuns, page.widthTwips, page.blocks);
        MarkTabbedLines(page.blocks);
    } else {
        page.frameStacks = PlanFrameStacks(page.lineRuns);
    }
    PlanPlaces(page);
}
