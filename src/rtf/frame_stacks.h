#pragma once
// Frame mode: which runs share a frame. The runs of one line share one frame
// (the later ones at tab stops); lines that follow each other down the page
// from the same left edge share one frame too, as paragraphs of exact line
// spacing. LibreOffice's RTF import costs grow with the square of the frames
// in a document, so a page of text becomes a few frames instead of one a run.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "rtf/text_run.h"

// One line: `count` runs of the run list from `first`, left to right on one
// baseline.
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

// Plans the frames of a page's line runs, in list order.
std::vector<CFrameStack> PlanFrameStacks(const RunList& runs);

// The runs of `runs` from `first` on that continue its line left to right:
// the same baseline, each starting clear of the previous one's end.
size_t SameLineRunCount(const RunList& runs, size_t first);
