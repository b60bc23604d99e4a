#pragma once
// Post-passes over a page's horizontal line runs: merging the pieces of one
// visual line, then putting the runs into reading order.
#include "page/text_run.h"

// The run made of x and y side by side (the one further left first), built on
// x: x's line height sets the top, the larger line height is kept.
CTextRun JoinRuns(const CTextRun& x, const CTextRun& y);

// Joins neighbouring runs of one line, in place. Frame mode keeps a large
// initial apart from the smaller text beside it.
void MergeLineRuns(RunList& runs, TextMode mode);

// Stable order by baseline, then left edge (flow mode).
void SortLineRuns(RunList& runs);
