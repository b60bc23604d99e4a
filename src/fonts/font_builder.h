#pragma once
// Writes a small TrueType font from a PDF's font program: only the glyphs a
// document uses, their advances as the PDF places them, and a Unicode cmap.
// The program may be Type 1, CFF (plain or CID-keyed), TrueType or OpenType:
// FreeType reads them all, and every outline is rewritten as quadratic
// TrueType contours.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr uint32_t kNoBorrowedGlyph = UINT32_MAX;

struct CBuildGlyph {
    uint32_t sourceGlyph = 0;  // FreeType's glyph index in the program (a CID in a CID-keyed CFF)
    double advance = 0;        // thousandths of an em: the PDF's width
    bool inked = false;        // the glyph draws something (its text is not a blank): an empty outline means a damaged program
    // A stand-in with no outline, only its advance (sourceGlyph is not read):
    // the letter of a ligature the program has no glyph for.
    bool blank = false;
    // A stand-in may draw another glyph of the request, moved left by
    // `borrowShift` (thousandths of an em): the ligature whose letter it is,
    // so that a reader that applies no ligatures still shows the ligature.
    uint32_t borrowFrom = kNoBorrowedGlyph;
    double borrowShift = 0;
};

// A ligature drawn through the font's `liga` feature: its letters' glyphs
// become its own. Indices into CFontBuildRequest::glyphs.
struct CBuildLigature {
    std::vector<uint32_t> components;
    uint32_t glyph = 0;
};

struct CFontBuildRequest {
    const uint8_t* program = nullptr;
    size_t programSize = 0;
    std::string familyName;      // the name the document asks for
    std::string postScriptName;  // ASCII letters, digits and '-' only; made from the family when empty
    bool bold = false;
    bool italic = false;
    // Output glyph n + 1 is glyphs[n]; glyph 0 is .notdef, a hollow box.
    std::vector<CBuildGlyph> glyphs;
    // Unicode code point -> index into glyphs.
    std::vector<std::pair<uint32_t, uint32_t>> cmap;
    // Written as a GSUB table when there are any.
    std::vector<CBuildLigature> ligatures;
};

enum class FontBuildResult {
    Built,
    Unreadable,      // FreeType cannot open the program
    NoOutlines,      // a bitmap-only font, or no scalable outlines
    GlyphMissing,    // a requested glyph cannot be loaded
    TooManyGlyphs,
    OutlineTooLarge, // a glyph with too many points or coordinates out of range
    TooLarge,        // the font would exceed what one embedded font may take
    BadRequest,      // cmap entries or ligatures that point nowhere, and the like
};

// A short English reason for the log.
const char* FontBuildResultText(FontBuildResult result);

struct CBuiltFont {
    std::vector<uint8_t> data;  // the .ttf file
    int unitsPerEm = 0;
    int glyphCount = 0;                 // .notdef included
    std::vector<uint16_t> advances;     // per output glyph, font units
};

// Most glyphs a built font may hold (.notdef included).
constexpr uint32_t kMostBuiltGlyphs = 65535;
// Largest font file built (bytes).
constexpr size_t kMostBuiltFontBytes = 32u << 20;

FontBuildResult BuildTrueTypeFont(const CFontBuildRequest& request, CBuiltFont& out);
