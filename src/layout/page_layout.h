#pragma once
// The passes that follow the run collectors on one page: the line runs'
// merging, the text every printer writes for each run, then in flow mode
// their reading order, the blocks, the tabbed lines and the flow plan, in
// frame mode the frame plan; then the text boxes of either mode.
#include "page/page.h"

void LayOutPage(CPage& page);
