#pragma once
// One captured glyph; a page's glyphs are kept in drawing order in a
// std::vector<CTextItem>, the page's store.
#include <cstdint>
#include <string>
#include <vector>

// Page pixels, origin top left, y downwards. Box: x..x+width, y-height..y.
struct CTextItem {
    double x = 0;              // glyph origin, rounded to hundredths
    double y = 0;              // baseline + 3.0, rounded to hundredths
    std::string narrowText;    // `text` read as a zero-terminated 8-bit string
    int32_t textLength = 0;    // UTF-16 units in `text`
    std::string faceName;      // installed face for the glyph's font, or empty
    float width = 0;           // advance along the line, >= 0, hundredths
    float height = 0;          // font size in pixels, >= 0, hundredths
    int32_t bold = 0;          // 0x40000 from ForceBold, 1 from the name
    int32_t italic = 0;        // 0x40 from the Italic flag, 1 from name or shear
    int32_t rotation = 0;      // 0, 90 (reads bottom to top) or -90
    uint32_t color = 0;        // 0x00BBGGRR
    std::u16string text;       // Unicode mapping, each value cut to 16 bits
    int32_t useCharCode = 0;   // 1 = written by character code (\u)
    uint32_t charCode = 0;     // first two units of text, first in the low half
    int32_t layoutMark = 0;    // 0 plain, 1 overlaid, 2 large initial (flow mode)
    int32_t embedFamily = -1;  // the embedded font family that shows the glyph with the PDF's own font, or -1
};

// Empties a page's store and releases its storage.
void ClearPageText(std::vector<CTextItem>& items);

// The UTF-16 units a glyph written by character code puts into its run: the
// code's first unit, or both when it holds two, then the rest of the text
// (a surrogate pair or a ligature's letters would otherwise be cut short).
std::u16string CharCodeUnits(const CTextItem& item);

// `text` read byte by byte (low byte first) up to the first zero byte: the
// item's `narrowText`.
std::string NarrowTextOf(const std::u16string& text);

// floor((v + 0.005) * 100) * 0.01: the hundredths rounding used for item boxes.
double RoundHundredths(double v);
