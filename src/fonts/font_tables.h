#pragma once
// The tables of a built font, each from the few facts it needs.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fonts/glyph_outline.h"

// What the whole font says about itself.
struct CFontFacts {
    int unitsPerEm = 1000;
    int ascender = 800;   // font units, above the baseline
    int descender = -200; // font units, below (negative)
    int lineGap = 0;
    int underlinePosition = -100;
    int underlineThickness = 50;
    double italicAngle = 0;  // degrees, counter-clockwise from vertical
    bool fixedPitch = false;
    bool bold = false;
    bool italic = false;
    uint16_t fsType = 0;     // embedding rights, as the program states them
    int xHeight = 0;
    int capHeight = 0;
    uint16_t maxContext = 0;  // the most glyphs a GSUB rule looks at
    std::string familyName;
    std::string styleName;   // "Regular", "Bold", "Italic" or "Bold Italic"
    std::string postScriptName;
};

struct CFontGlyph {
    CQuadGlyph outline;
    uint16_t advance = 0;
};

// Tables that depend on the glyphs: glyf and loca (short or long offsets).
struct CGlyfLoca {
    std::vector<uint8_t> glyf;
    std::vector<uint8_t> loca;
    bool longOffsets = false;
};
CGlyfLoca WriteGlyfLoca(const std::vector<CFontGlyph>& glyphs);

std::vector<uint8_t> WriteHead(const CFontFacts& facts, const std::vector<CFontGlyph>& glyphs, bool longLoca);
std::vector<uint8_t> WriteHhea(const CFontFacts& facts, const std::vector<CFontGlyph>& glyphs);
std::vector<uint8_t> WriteMaxp(const std::vector<CFontGlyph>& glyphs);
std::vector<uint8_t> WriteHmtx(const std::vector<CFontGlyph>& glyphs);
// `cmap`: code point -> output glyph, sorted by code point, unique.
std::vector<uint8_t> WriteOs2(const CFontFacts& facts, const std::vector<CFontGlyph>& glyphs,
                              const std::vector<std::pair<uint32_t, uint32_t>>& cmap);
std::vector<uint8_t> WriteCmap(const std::vector<std::pair<uint32_t, uint32_t>>& cmap);
std::vector<uint8_t> WriteName(const CFontFacts& facts);
std::vector<uint8_t> WritePost(const CFontFacts& facts);
