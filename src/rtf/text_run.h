#pragma once
// A styled run of text in twips, ready to be placed on the page.
#include <cstdint>
#include <string>
#include <vector>

struct CTextRun {
    std::string rtfText;      // finished RTF of the run
    std::string face;
    int32_t left = 0;         // twips from the page's left edge
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;       // the baseline for horizontal runs
    int32_t width = 0;        // right - left at creation
    int32_t size = 0;         // font size in twips
    uint32_t lineHeight = 0;  // size at creation; merging raises it
    int32_t bold = 0;
    int32_t italic = 0;
    uint32_t color = 0;       // 0x00BBGGRR
    int32_t joined = 0;
    int32_t placed = 0;
    int32_t lastSize = 0;     // size of the right-hand part after a merge
};

using RunList = std::vector<CTextRun>;

// The current page's runs, process-wide like the page text store.
struct CPageRuns {
    RunList lineRuns;   // horizontal runs
    RunList boxRuns;    // horizontal runs of marked items (flow mode)
    RunList upRuns;     // reading bottom to top
    RunList downRuns;   // reading top to bottom
};
CPageRuns& PageRuns();
