#include "capture/font_names.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include <GfxFont.h>

namespace {

// The aliases that PDF producers use for the standard fonts, sorted by key
// for binary search.
constexpr std::array<std::pair<std::string_view, const char*>, 51> kBase14Aliases{{
    {"Arial", "Helvetica"},
    {"Arial,Bold", "Helvetica-Bold"},
    {"Arial,BoldItalic", "Helvetica-BoldOblique"},
    {"Arial,Italic", "Helvetica-Oblique"},
    {"Arial-Bold", "Helvetica-Bold"},
    {"Arial-BoldItalic", "Helvetica-BoldOblique"},
    {"Arial-BoldItalicMT", "Helvetica-BoldOblique"},
    {"Arial-BoldMT", "Helvetica-Bold"},
    {"Arial-Italic", "Helvetica-Oblique"},
    {"Arial-ItalicMT", "Helvetica-Oblique"},
    {"ArialMT", "Helvetica"},
    {"Courier,Bold", "Courier-Bold"},
    {"Courier,BoldItalic", "Courier-BoldOblique"},
    {"Courier,Italic", "Courier-Oblique"},
    {"CourierNew", "Courier"},
    {"CourierNew,Bold", "Courier-Bold"},
    {"CourierNew,BoldItalic", "Courier-BoldOblique"},
    {"CourierNew,Italic", "Courier-Oblique"},
    {"CourierNew-Bold", "Courier-Bold"},
    {"CourierNew-BoldItalic", "Courier-BoldOblique"},
    {"CourierNew-Italic", "Courier-Oblique"},
    {"CourierNewPS-BoldItalicMT", "Courier-BoldOblique"},
    {"CourierNewPS-BoldMT", "Courier-Bold"},
    {"CourierNewPS-ItalicMT", "Courier-Oblique"},
    {"CourierNewPSMT", "Courier"},
    {"Helvetica,Bold", "Helvetica-Bold"},
    {"Helvetica,BoldItalic", "Helvetica-BoldOblique"},
    {"Helvetica,Italic", "Helvetica-Oblique"},
    {"Helvetica-BoldItalic", "Helvetica-BoldOblique"},
    {"Helvetica-Italic", "Helvetica-Oblique"},
    {"Symbol,Bold", "Symbol"},
    {"Symbol,BoldItalic", "Symbol"},
    {"Symbol,Italic", "Symbol"},
    {"TimesNewRoman", "Times-Roman"},
    {"TimesNewRoman,Bold", "Times-Bold"},
    {"TimesNewRoman,BoldItalic", "Times-BoldItalic"},
    {"TimesNewRoman,Italic", "Times-Italic"},
    {"TimesNewRoman-Bold", "Times-Bold"},
    {"TimesNewRoman-BoldItalic", "Times-BoldItalic"},
    {"TimesNewRoman-Italic", "Times-Italic"},
    {"TimesNewRomanPS", "Times-Roman"},
    {"TimesNewRomanPS-Bold", "Times-Bold"},
    {"TimesNewRomanPS-BoldItalic", "Times-BoldItalic"},
    {"TimesNewRomanPS-BoldItalicMT", "Times-BoldItalic"},
    {"TimesNewRomanPS-BoldMT", "Times-Bold"},
    {"TimesNewRomanPS-Italic", "Times-Italic"},
    {"TimesNewRomanPS-ItalicMT", "Times-Italic"},
    {"TimesNewRomanPSMT", "Times-Roman"},
    {"TimesNewRomanPSMT,Bold", "Times-Bold"},
    {"TimesNewRomanPSMT,BoldItalic", "Times-BoldItalic"},
    {"TimesNewRomanPSMT,Italic", "Times-Italic"},
}};
static_assert(std::is_sorted(kBase14Aliases.begin(), kBase14Aliases.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; }),
              "the alias lookup is a binary search");

// A name copied into one of the fixed buffers: it ends at an embedded NUL
// and is cut to the buffer's capacity.
std::string BufferCopy(std::string_view name)
{
    name = name.substr(0, std::min(name.find('\0'), name.size()));
    return std::string(name.substr(0, kFontNameBufferSize - 1));
}

// Ends `s` at the first of `needles` found (tried in order); true on a hit.
bool CutAtFirstOf(std::string& s, std::initializer_list<const char*> needles)
{
    for (const char* needle : needles) {
        const size_t at = s.find(needle);
        if (at != std::string::npos) {
            s.resize(at);
            return true;
        }
    }
    return false;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                       [](char x, char y) { return LowerAscii(x) == LowerAscii(y); }) !=
           haystack.end();
}

const char* Base14Substitute(std::string_view baseFont)
{
    std::string key;
    key.reserve(baseFont.size());
    for (char c : baseFont)
        if (c != ' ') key.push_back(c);
    const auto it = std::lower_bound(kBase14Aliases.begin(), kBase14Aliases.end(), key,
                                     [](const auto& row, const std::string& k) { return row.first < k; });
    return (it != kBase14Aliases.end() && it->first == key) ? it->second : nullptr;
}

CleanedFontName CleanFontName(const FontFacts* font)
{
    CleanedFontName out;
    if (!font) return out;

    std::string baseFont;
    if (font->baseFont) {
        const char* substitute = font->composite ? nullptr : Base14Substitute(*font->baseFont);
        out.workingName = BufferCopy(substitute ? std::string_view(substitute) : *font->baseFont);
        baseFont = BufferCopy(*font->baseFont);
    }
    out.bold = font->flags & kForceBoldFlag;
    out.italic = font->flags & kItalicFlag;
    out.vertical = font->verticalWriting;

    std::string& name = out.workingName;
    if (CutAtFirstOf(name, {",Italic", "-Italic", "Italic"})) out.italic = 1;
    if (CutAtFirstOf(name, {",Bold", "-Bold", "Bold", "-Black"}) || CutAtFirstOf(baseFont, {"Bold"}))
        out.bold = 1;

    const size_t plus = name.find('+');
    if (plus != std::string::npos) name.erase(0, plus + 1);

    if (name.find("STHeiti") != std::string::npos) name = "SimHei";
    if (name.find("STSong") != std::string::npos) name = "SimSun";
    return out;
}

uint32_t PackFirstUnits(const char16_t* text)
{
    if (!text || text[0] == 0) return 0;
    return uint32_t(text[0]) | (uint32_t(text[1]) << 16);
}

GlyphFaceRule GlyphFaceRuleOf(std::string_view workingName)
{
    if (EqualsIgnoringCase(workingName, "symbol")) return GlyphFaceRule::kSymbol;
    if (ContainsIgnoringCase(workingName, "condensed")) return GlyphFaceRule::kCondensed;
    return GlyphFaceRule::kKeep;
}

bool GlyphTakesNarrowFace(GlyphFaceRule rule, int nBytes, const char16_t* text)
{
    switch (rule) {
    case GlyphFaceRule::kSymbol: return nBytes == 1 && PackFirstUnits(text) > kLastSymbolCode;
    case GlyphFaceRule::kCondensed: return true;
    case GlyphFaceRule::kKeep: break;
    }
    return false;
}

void ApplyGlyphFaceRules(std::string& workingName, int nBytes, const char16_t* text)
{
    if (GlyphTakesNarrowFace(GlyphFaceRuleOf(workingName), nBytes, text)) workingName = kNarrowFace;
}

FontFacts FontFactsOf(const GfxFont& font)
{
    FontFacts facts;
    facts.baseFont = font.getName();
    facts.flags = font.getFlags();
    facts.verticalWriting = font.getWMode() == 1;
    facts.composite = font.isCIDFont();
    return facts;
}

bool FactsMatch(const FontFacts& facts, const GfxFont& font)
{
    return facts.flags == font.getFlags() && facts.composite == font.isCIDFont() &&
           facts.verticalWriting == (font.getWMode() == 1) && facts.baseFont == font.getName();
}
