#include "capture/scanned_page.h"

bool IsScannedPage(const CPageScanFacts& facts)
{
    if (facts.visibleGlyphs == 0 && facts.invisibleGlyphs > 0)
        return true;
    return facts.visibleGlyphs <= kScanMostVisibleGlyphs && facts.imageCoverage >= kScanLeastImageCoverage;
}
