#include "page/text_run.h"

CBoxRect TextBoxRect(const CTextRun& run, TextFlow flow)
{
    CBoxRect box{run.left, run.top, run.right, run.bottom};
    const auto extra = static_cast<int32_t>(run.lineHeight);
    if (flow == TextFlow::Upward)
        box.top -= extra;
    else if (flow == TextFlow::Downward)
        box.bottom += extra;
    else
        box.right += extra;
    return box;
}

void AppendBlank(CTextRun& run)
{
    if (!run.pieces.empty())
        run.pieces.back().spans.push_back(CTextSpan{u" ", false});
}
