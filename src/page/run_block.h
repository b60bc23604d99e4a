#pragma once
// Flow mode: blocks of side-by-side columns built from the sorted line runs.
#include <cstdint>
#include <vector>

#include "page/text_run.h"

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
    int32_t id = 0;                   // index in the page's block list
    bool tabbedLine = false;          // written as one line with tab stops, not as columns
};
