#pragma once
// What tells a scanned page from a page of text: the text it shows and how
// much of it pictures cover.
#include <cstddef>

struct CPageScanFacts {
    size_t visibleGlyphs = 0;    // glyphs captured as text
    size_t invisibleGlyphs = 0;  // glyphs drawn invisibly (a scan's text layer)
    double imageCoverage = 0;    // share of the page that images cover, 0..1
};

// A scan: (nearly) no visible text while images cover most of the page, or
// text that is all invisible.
bool IsScannedPage(const CPageScanFacts& facts);

// At most this many visible glyphs (a page number, a stamp) still leave a
// page covered by an image a scan.
inline constexpr size_t kScanMostVisibleGlyphs = 20;
// Images must cover at least this share of the page.
inline constexpr double kScanLeastImageCoverage = 0.6;
