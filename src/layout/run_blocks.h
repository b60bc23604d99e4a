#pragma once
// Blocks of side-by-side columns built from the sorted line runs (flow mode).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "page/run_block.h"

// Groups `lineRuns` into closed blocks appended to `blocks`. `pageWidth` is
// W in twips, used to close the blocks.
void BuildBlocks(const RunList& lineRuns, int32_t pageWidth, std::vector<CRunBlock>& blocks);
// Starts a column holding `run`: appended, or with `sorted` inserted before the
// first column whose content starts further right.
void AddColumn(CRunBlock& block, const CTextRun& run, bool sorted);
// True when the block takes lineRuns[index] into a column; then
// taken[index] is set. `taken` marks the runs of `lineRuns` already in a
// column, where the scan of a run's line for runs under a column stops. The
// scan starts at `scanFrom`; every run before that index must have a smaller
// bottom than the offered run (0 always qualifies).
bool OfferRun(CRunBlock& block, const RunList& lineRuns, size_t index, std::vector<bool>& taken,
              size_t scanFrom = 0);
// Appends `run`, joining it to the column's last run when they share a baseline.
void AddRunToColumn(CRunColumn& column, const CTextRun& run);
// Column boundaries and widths tiling 0..pageWidth; the block's end baseline.
void CloseBlock(CRunBlock& block, int32_t pageWidth);
