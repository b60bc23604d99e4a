#pragma once
// The runs (w:r) of the document's text: a piece's style as run properties,
// its text, and the tab runs that lead to a line's later runs.
#include <cstdint>
#include <string>
#include <string_view>

#include "page/text_run.h"

// The run properties of `piece`; `rightToLeft` marks a right-to-left
// stretch, `complexScript` repeats bold, italic and size for the reader's
// complex-script formatting (lines with Arabic or Hebrew letters).
void AppendRunProperties(std::string& out, const CTextPiece& piece, bool rightToLeft, bool complexScript);

// A run of `piece`'s style holding `text`; nothing for empty text.
void AppendTextRun(std::string& out, const CTextPiece& piece, std::u16string_view text, bool rightToLeft,
                   bool complexScript);

// All of a run's text as layout settled it (CTextRun::printed): a run per
// stretch, in stored order.
void AppendRunText(std::string& out, const CTextRun& run);

// A tab of `halfPoints` size (so it cannot make the line taller than the run it leads to).
void AppendTabRun(std::string& out, int32_t halfPoints);

// A column break.
void AppendColumnBreakRun(std::string& out);

// The size of a run's text in half-points (its largest piece; from `size`
// when it has no pieces), at least 1.
int32_t RunHalfPoints(const CTextRun& run);
