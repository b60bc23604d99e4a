#pragma once
// Flow mode: marks text that must not join the page's line flow (overprinted
// text and its word, large initials) so it is written in text boxes instead.
#include <cstdint>

#include <vector>

#include "page/text_item.h"
#include "page/text_run.h"

// A rectangle in page pixels on the 0.01 grid (every value rounded to
// hundredths when it is set).
struct CItemRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    double halfWidth = 0;
    double halfHeight = 0;

    CItemRect() = default;
    CItemRect(double l, double t, double r, double b);
    // The glyph box (x, y - height, x + width, y).
    explicit CItemRect(const CTextItem& item);

    void Set(double l, double t, double r, double b);
    // Moves left and right inwards by dx, top and bottom by dy (both rounded).
    void Shrink(double dx, double dy);
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
};

// True when a grid point of the less tall rectangle lies strictly inside the
// other one. Computed on the extents, not by walking the grid.
bool Overlaps(const CItemRect& a, const CItemRect& b);

// Sets layoutMark = 1 on items overlaid by earlier unmarked text of another
// size or baseline.
void MarkOverlaps(std::vector<CTextItem>& items);

// MarkOverlaps, then spreads marks along words and marks large initials (2).
// Does nothing in frame mode.
void MarkPageItems(std::vector<CTextItem>& items, TextMode mode);
