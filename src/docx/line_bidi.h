#pragma once
// Right-to-left text of one run. The glyphs of a PDF line arrive in drawing
// order, left to right, so Arabic and Hebrew words stand back to front in a
// run's pieces. The document stores text in logical order (the order the
// reader's bidirectional algorithm turns back into the drawn order), with
// the right-to-left stretches marked as such.
#include <cstddef>
#include <string>
#include <vector>

#include "page/text_run.h"

// One stretch of a run in logical order: text of one piece and one direction.
struct CTextSegment {
    size_t piece = 0;
    std::u16string text;
    bool rightToLeft = false;
};

// True when the run holds a letter of a right-to-left script.
bool HasRightToLeft(const CTextRun& run);

// True when the run reads as a right-to-left line: the letters at both of its
// ends are right-to-left ones, or, when its ends differ, most of its letters are.
bool ReadsRightToLeft(const CTextRun& run);

// The run's text in logical order for a paragraph of the given direction;
// mirrored characters (brackets) of right-to-left stretches take their mirror
// image, as the reader mirrors them back. Empty when the analysis fails.
std::vector<CTextSegment> LogicalSegments(const CTextRun& run, bool rightToLeftParagraph);

// The text of a span as it is printed: a tab written by character code
// stands for one blank.
std::u16string SpanText(const CTextSpan& span);
