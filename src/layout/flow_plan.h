#pragma once
// Flow mode: the paragraphs, spacings, fillers, breaks and indents that put
// each line of the page's blocks at its baseline, and the text boxes of
// either mode. Every printer writes the result as it is.
#include <vector>

#include "page/page.h"

// Exact spacing of one empty filler paragraph (twips).
inline constexpr int32_t kFillerSpacing = 213;
// The mark of a filler paragraph (half-points: 9 pt).
inline constexpr int32_t kFillerMarkHalfPoints = 18;

// The flow plan of a page whose blocks are built and tabbed lines marked.
CFlowPlan PlanFlowLines(const CPage& page);

// The last step of a page's layout, once its blocks (flow mode) or frames
// are done: the flow plan in flow mode, the text boxes in either.
void PlanPlaces(CPage& page);

// The page's text boxes: in flow mode its box runs, then the upward and the
// downward runs; in frame mode only the vertical ones.
std::vector<CTextBox> PlanTextBoxes(const CPage& page);
