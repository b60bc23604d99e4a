#pragma once
// Blocks of side-by-side columns built from the sorted line runs (flow mode).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "page/run_block.h"

// Groups `lineRuns` (marking each taken run placed) into closed blocks
// appended to `blocks`. `pageWidth` is W in twips, used to close the blocks.
void BuildBlocks(RunList& lineRuns, int32_t pageWidth, std::vector<CRunBlock>& blocks);
// Starts a column holding `run`: appended, or with `sorted` inserted before the
// first column whose content starts further right.
void AddColumn(CRunBlock& block, CTextRun& run, bool sorted);
// True when the block takes `run` (a run of `lineRuns`) into a column. The
// scan for the runs of its line starts at `scanFrom`; every run before that
// index must have a smaller bottom than `run` (0 always qualifies).
bool OfferRun(CRunBlock& block, CTextRun& run, RunList& lineRuns, size_t scanFrom = 0);
// Appends `run`, joining it to the column's last run when they share a baseline.
void AddRunToColumn(CRunColumn& column, CTextRun& run);
// Column boundaries and widths tiling 0..pageWidth; the block's end baseline.
void CloseBlock(CRunBlock& block, int32_t pageWidth);
