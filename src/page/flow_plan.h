#pragma once
// Flow mode: the page's text as the document's paragraphs, worked out once
// for every printer. Each line of the PDF becomes one paragraph of exact line
// spacing (with empty filler paragraphs above it where the gap is large) that
// puts its baseline where the PDF has it; side-by-side columns become column
// sections that continue on the page. Text boxes keep a run at its exact
// place in either mode. The printers only write this down.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "page/text_run.h"

// A run of the page's blocks: page.blocks[block].columns[column].runs[run].
struct CBlockRunIndex {
    uint32_t block = 0;
    uint32_t column = 0;
    uint32_t run = 0;
};

// One run of a flow line. The runs after the first of a tabbed line each
// follow a tab.
struct CFlowPart {
    CBlockRunIndex run;
    int32_t tabStop = 0;        // > 0: a tab leads to the run, its stop this far right of the paragraph's indent
    int32_t tabHalfPoints = 0;  // the tab's size: that of the run it leads to
};

// One line of the PDF as one paragraph, with what comes before it.
struct CFlowLine {
    // Before the line, in this order:
    bool sectionBreak = false;          // the section so far ends; a continuous one follows on the page
    std::vector<int32_t> columnWidths;  // not empty: the line starts a column section of these widths
                                        // (on the section after the break, or on the page's first)
    bool columnBreak = false;           // the line starts the next column of its section
    int32_t fillers = 0;                // empty filler paragraphs (CFlowPlan's filler spacing each)
    // The paragraph:
    int32_t indent = 0;        // from its column's left edge (the filler paragraphs' too)
    int32_t rightIndent = 0;   // from its column's right edge; negative: the line may run past it
    int32_t spacing = 0;       // exact line spacing (twips, at least 1)
    bool rightToLeft = false;  // set from its right end, `startIndent` left of its column's right edge
    int32_t startIndent = 0;
    std::vector<CFlowPart> parts;  // one run, or a tabbed line's runs left to right; none: only
                                   // the breaks, no paragraph (a column without lines)
};

struct CFlowPlan {
    std::vector<CFlowLine> lines;
    int32_t fillerSpacing = 0;         // exact spacing of one filler paragraph (twips)
    int32_t fillerMarkHalfPoints = 0;  // size of a filler paragraph's mark
};

// A run written as a text box at a fixed place on the page.
struct CTextBox {
    RunKind list = RunKind::Box;  // which of the page's run lists holds it: Box, Up or Down
    size_t index = 0;             // its place in that list
    TextFlow flow = TextFlow::Horizontal;
    CBoxRect rect;
};
