#pragma once
// Turns each glyph the capture device reports into one page text item.
#include <cstdint>
#include <string>

#include <CharTypes.h>  // Unicode

class GfxState;
struct CTextItem;

// Result of CollectGlyph that asks the device to draw the glyph as usual.
constexpr int kDrawGlyph = 2;

class CTextCollector {
public:
    // The process-wide collector, made on the first glyph.
    static CTextCollector& Instance();

    // X, Y: glyph origin in page pixels; DX, DY: advance in page pixels
    // without character spacing. Returns kDrawGlyph for glyphs that must stay
    // in the picture, 0 for every glyph that is dealt with here.
    int CollectGlyph(GfxState* state, double X, double Y, double DX, double DY, int nBytes,
                     const Unicode* u, int uLen, uint32_t color);

    void AddTextItem(double x, double y, const char16_t* text, int length, const std::string& name,
                     double advance, double height, int32_t bold, int32_t italic, uint32_t color,
                     double angle, bool vertical);

    // false when the new item must be discarded (duplicate or swallowed space).
    bool AcceptItem(const CTextItem& item);

private:
    CTextCollector();
};

// Degrees of the text direction of a font matrix (m11, m12, m21, m22).
double FontAngle(const double m[4]);
// True when the matrix shears (or mirrors) the glyph.
bool IsSkewed(const double m[4]);
