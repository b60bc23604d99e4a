#pragma once
// The text a glyph name stands for, by the Adobe Glyph List rules: a suffix
// after "." is dropped, "_" joins ligature components, and each component is
// a list name, "uniXXXX..." (groups of four hex digits) or "uXXXX[XX]".
#include <functional>
#include <string_view>
#include <string>

// Looks a single list name up (Poppler's table answers in the capture); 0 when unknown.
using GlyphNameLookup = std::function<char32_t(const std::string& name)>;

// Empty when the name gives no text. Common ligature names that are not on
// the list ("ti", "tt", "ffi", ...) give their letters.
std::u32string TextOfGlyphName(std::string_view glyphName, const GlyphNameLookup& lookup);
