#pragma once
// Blocks of side-by-side columns built from the sorted line runs (flow mode).
#include <cstdint>
#include <vector>

#include "rtf/text_run.h"

struct CRunColumn {
    RunList runs;                  // copies, in the order added
    int32_t contentLeft = 0;       // smallest left of its runs
    int32_t contentRight = 0;      // largest right of its runs
    int32_t lastBaseline = 0;      // bottom of the run added last
    int32_t boundary = 0;          // set by CloseBlock
    int32_t width = 0;             // set by CloseBlock
};

struct CRunBlock {
    std::vector<CRunColumn> columns;  // left to right
    int32_t endBaseline = 0;          // set by CloseBlock
    int32_t id = 0;                   // index in the writer's block list
};

// Groups `lineRuns` (marking each taken run placed) into closed blocks
// appended to `blocks`. `pageWidth` is W in twips, used to close the blocks.
void BuildBlocks(RunList& lineRuns, int32_t pageWidth, std::vector<CRunBlock>& blocks);
void AddColumn(CRunBlock& block, CTextRun& run, bool sorted);
bool OfferRun(CRunBlock& block, CTextRun& run, RunList& lineRuns);
void AddRunToColumn(CRunColumn& column, CTextRun& run);
// Column boundaries and widths tiling 0..pageWidth; the block's end baseline.
void CloseBlock(CRunBlock& block, int32_t pageWidth);
