#pragma once
// A glyph outline in TrueType form: quadratic contours of whole font units.
#include <cstdint>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

struct CQuadPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool onCurve = true;
};

struct CQuadGlyph {
    std::vector<CQuadPoint> points;
    std::vector<uint16_t> contourEnds;  // index of each contour's last point
    int32_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;

    bool Empty() const { return points.empty(); }
};

enum class OutlineResult {
    Converted,
    TooManyPoints,   // more points than a glyph may have
    OutOfRange,      // a coordinate beyond what TrueType can hold
    Unreadable,      // FreeType could not walk the outline
};

// Most points one converted glyph may have (TrueType's counters are 16 bits).
constexpr int kMostGlyphPoints = 32767;

// Converts an outline whose coordinates are 26.6 values of one font unit each
// (loaded at a pixel size equal to the units per em). Cubic curves become
// quadratic ones that stay within one font unit of them.
OutlineResult ConvertOutline(const FT_Outline& outline, CQuadGlyph& out, int mostPoints = kMostGlyphPoints);
