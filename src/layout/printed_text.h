#pragma once
// The text every printer writes for a run, settled once when the page is laid
// out (see CPrintedText). The glyphs of a PDF line arrive in drawing order,
// left to right, so Arabic and Hebrew words stand back to front in a run's
// pieces; documents store text in logical order, the order that the reader's
// bidirectional algorithm turns back into the drawn one.
#include <string>

#include "page/page.h"

// How a run's text is ordered.
enum class PrintedOrder {
    Paragraph,       // one left-to-right paragraph (frames)
    FlowLine,        // one paragraph whose direction its letters tell
    PieceParagraphs, // each piece a left-to-right paragraph of its own (overlaid text boxes)
    GlyphOrder,      // drawing order, nothing reordered (vertical text)
};

// A glyph's text as printed: up to its first zero unit, a tab as a blank,
// other control characters left out, composed (NFC).
std::u16string PrintedSpanText(const CTextSpan& span);

// Fills the run's `printed`, `hasRightToLeft` and `readsRightToLeft`.
void SettlePrintedText(CTextRun& run, PrintedOrder order);

// The order a run of this kind takes on a page of this mode.
PrintedOrder PrintedOrderOf(RunKind kind, TextMode mode);

// Settles every run of the page for its text mode.
void SettlePageText(CPage& page);
