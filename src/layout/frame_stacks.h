#pragma once
// Frame mode: which runs share a frame. The runs of one line share one frame
// (the later ones at tab stops); lines that follow each other down the page
// from the same left edge share one frame too, as paragraphs of exact line
// spacing. LibreOffice's RTF import costs grow with the square of the frames
// in a document, so a page of text becomes a few frames instead of one a run.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "page/frame_stack.h"
#include "page/text_run.h"

// Plans the frames of a page's line runs, in list order.
std::vector<CFrameStack> PlanFrameStacks(const RunList& runs);

// The runs of `runs` from `first` on that continue its line left to right:
// the same baseline, each starting clear of the previous one's end.
size_t SameLineRunCount(const RunList& runs, size_t first);
