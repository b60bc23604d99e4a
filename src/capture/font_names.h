#pragma once
// Turns a PDF font into the cleaned working name with bold and italic flags
// that the face lookup starts from. Pure functions over FontFacts, so the rules
// can be checked without a PDF; FontFactsOf is the only place that reads Poppler.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class GfxFont;

// Size of the working-name and BaseFont buffers, terminator included: longer
// names are cut to one byte less.
constexpr size_t kFontNameBufferSize = 200;
// FontDescriptor flag that forces bold strokes; its value is kept as the bold mark.
constexpr int32_t kForceBoldFlag = 0x40000;
// FontDescriptor flag for an italic font; its value is kept as the italic mark.
constexpr int32_t kItalicFlag = 0x40;
// Face used when a glyph has no font or the font has no name.
inline constexpr const char* kDefaultWorkingName = "Courier";
// Face that replaces symbol text outside the symbol range and condensed faces.
inline constexpr const char* kNarrowFace = "Arial Narrow";
// Largest packed first-two-units value a one-byte Symbol glyph may have and keep its face.
constexpr uint32_t kLastSymbolCode = 0xFE;

// What the name rules need to know about a PDF font.
struct FontFacts {
    std::optional<std::string> baseFont;  // BaseFont as written in the PDF
    int flags = 0;                        // FontDescriptor /Flags
    bool verticalWriting = false;         // writing mode 1
    bool composite = false;               // Type 0 font: no Base-14 substitution

    bool operator==(const FontFacts&) const = default;
};

struct CleanedFontName {
    std::string workingName = kDefaultWorkingName;
    int32_t bold = 0;        // kForceBoldFlag from the descriptor, 1 from the name
    int32_t italic = 0;      // kItalicFlag from the descriptor, 1 from the name
    bool vertical = false;   // from the font's writing mode

    bool operator==(const CleanedFontName&) const = default;
};

// The Base-14 name a simple font's BaseFont stands for (compared with its
// spaces removed, exactly), or nullptr when the table has no such key.
const char* Base14Substitute(std::string_view baseFont);

// Name cleaning: null font gives "Courier" with every flag 0.
CleanedFontName CleanFontName(const FontFacts* font);

// The glyph-dependent rules that run once the glyph's text is known: a
// one-byte Symbol glyph beyond the symbol range and any "condensed" face
// become kNarrowFace. `text` is zero-terminated.
void ApplyGlyphFaceRules(std::string& workingName, int nBytes, const char16_t* text);

// ApplyGlyphFaceRules split in two, so that the name tests run once per font
// rather than once per glyph.
enum class GlyphFaceRule { kKeep, kSymbol, kCondensed };
GlyphFaceRule GlyphFaceRuleOf(std::string_view workingName);
// True when the rule turns this glyph's face into kNarrowFace.
bool GlyphTakesNarrowFace(GlyphFaceRule rule, int nBytes, const char16_t* text);

// The first two units of a zero-terminated text as one value, first unit low.
uint32_t PackFirstUnits(const char16_t* text);

// Reads what the rules need from a Poppler font.
FontFacts FontFactsOf(const GfxFont& font);
// True when `facts` still describes `font` (lets callers reuse a cleaned name
// without copying the font's name).
bool FactsMatch(const FontFacts& facts, const GfxFont& font);

// ASCII case-insensitive helpers shared by the face rules.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle);
