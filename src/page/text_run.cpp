#include "page/text_run.h"

void AppendBlank(CTextRun& run)
{
    if (!run.pieces.empty())
        run.pieces.back().spans.push_back(CTextSpan{u" ", false});
}
