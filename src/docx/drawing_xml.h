#pragma once
// Drawings anchored to the page: the page picture behind the text, and the
// text boxes that keep a run at its exact place (vertical text, overlaid
// text, large initials).
#include <cstdint>
#include <string>

#include "page/flow_plan.h"
#include "page/text_run.h"

// Unique drawing ids of one document.
class CDrawingIds {
public:
    uint32_t Next() { return ++last_; }

private:
    uint32_t last_ = 0;
};

// EMUs (the drawing unit) per twip.
inline constexpr int64_t kEmuPerTwip = 635;

// A run holding the picture `relationId` anchored at the page's top left,
// `widthTwips` by `heightTwips`, behind the text.
void AppendPictureAnchor(std::string& out, CDrawingIds& ids, const std::string& relationId, const std::string& name,
                         int32_t widthTwips, int32_t heightTwips);

// A run holding a borderless, unfilled text box with the run's text, placed
// and turned as `box` has it, behind the text.
void AppendTextBox(std::string& out, CDrawingIds& ids, const CTextRun& run, const CTextBox& box);
