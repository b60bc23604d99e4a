#pragma once
// Frame mode: which runs share a frame. The runs of one line share one frame
// (the later ones at tab stops); lines that follow each other down the page
// from the same left edge share one frame too, as paragraphs of exact line
// spacing.
#include <cstddef>
#include <cstdint>
#include <vector>

// One line: `count` runs of the page's line runs from `first`, left to right
// on one baseline.
struct CFrameLine {
    size_t first = 0;
    size_t count = 1;
    int32_t left = 0;
    int32_t top = 0;         // the tallest run's top
    int32_t bottom = 0;      // the shared baseline
    int32_t height = 0;      // the largest line height of its runs
    int32_t spacing = 0;     // exact line spacing in a stack of lines (twips)
};

// One frame: a single line set from its top (spacing 0), or a stack of lines
// at exact spacings from `top`.
struct CFrameStack {
    int32_t left = 0;
    int32_t top = 0;
    std::vector<CFrameLine> lines;
};
