#pragma once
// The passes that follow the run collectors on one page: the line runs'
// merging, the text every printer writes for each run, then in flow mode
// their reading order, the blocks and the tabbed lines, in frame mode the
// frame plan.
#include "page/page.h"

void LayOutPage(CPage& page);
