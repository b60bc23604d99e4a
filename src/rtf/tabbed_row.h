#pragma once
// Flow mode: a block whose columns each hold one line on one baseline (a
// table row, a form line, text set word by word) is written as one line with
// tab stops instead of a column section. LibreOffice lays out each
// multi-column section on its own, and a page of such rows made a section of
// every line; a tab stop puts each run at its left edge just the same.
#include "capture/run_blocks.h"

// True when every column of `block` (two or more) holds one run, all on one
// baseline, none with right-to-left text, each starting at least a quarter of
// the previous run's size after its end.
bool FitsOneTabbedLine(const CRunBlock& block);

// The block's runs as one run starting at `origin` (the left edge its
// paragraph is set from): tab stops on every run's left edge relative to
// `origin`, each run's text after a tab of its own size; the box of all the
// runs, the tallest line height and size.
CTextRun TabbedLine(const CRunBlock& block, int32_t origin);
