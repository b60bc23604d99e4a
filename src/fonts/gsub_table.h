#pragma once
// A GSUB table with one feature, `liga` (scripts DFLT and latn), whose one
// lookup is a ligature substitution: a reader that shapes text with the
// font's default features draws the ligature glyph for its letters' glyphs.
#include <cstddef>
#include <cstdint>
#include <vector>

struct CLigatureRule {
    std::vector<uint16_t> components;  // the letters' glyphs, in text order
    uint16_t glyph = 0;                // the ligature drawn for them
};

// Most components one rule may have (a ligature of a whole word is already rare).
constexpr size_t kMostLigatureComponents = 64;

enum class GsubResult {
    Written,
    BadRule,   // fewer than two components, too many, or a glyph past the font's
    TooLarge,  // the rules do not fit in the table's 16-bit offsets
};

// Rules are written grouped by their first glyph, longer ones first so the
// longest match wins; a rule whose components repeat an earlier rule's is
// left out (the earlier one keeps them).
GsubResult WriteLigatureGsub(const std::vector<CLigatureRule>& rules, uint32_t glyphCount, std::vector<uint8_t>& out);

// The most glyphs any rule looks at: OS/2's usMaxContext.
uint16_t LigatureContext(const std::vector<CLigatureRule>& rules);
