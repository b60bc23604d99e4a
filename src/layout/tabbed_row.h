#pragma once
// Flow mode: a block whose columns each hold one line on one baseline (a
// table row, a form line, text set word by word) is written as one line with
// tab stops instead of a column section. LibreOffice lays out each
// multi-column section on its own, and a page of such rows made a section of
// every line; a tab stop puts each run at its left edge just the same.
#include <vector>

#include "page/run_block.h"

// True when every column of `block` (two or more) holds one run, all on one
// baseline, none with right-to-left text (the runs' text is settled), each starting at least a quarter of
// the previous run's size after its end.
bool FitsOneTabbedLine(const CRunBlock& block);

// Sets `tabbedLine` on every block that fits one tabbed line.
void MarkTabbedLines(std::vector<CRunBlock>& blocks);
