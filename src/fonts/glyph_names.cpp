#include "fonts/glyph_names.h"

#include <array>

namespace {

// Ligatures that font makers name by their letters without the list's "_"
// (Word's and many subset fonts' "ti", "tt", "fi").
constexpr std::array<std::string_view, 16> kBareLigatures = {
    "ff", "fi", "fl", "ffi", "ffl", "ft", "fj", "fb", "fh", "fk", "tt", "ti", "tf", "st", "ct", "th"};

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kFirstSurrogate = 0xD800, kLastSurrogate = 0xDFFF;

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
uint32_t HexValue(std::string_view digits)
{
    uint32_t v = 0;
    for (char c : digits) v = v * 16 + uint32_t(c <= '9' ? c - '0' : c - 'A' + 10);
    return v;
}
bool IsScalar(uint32_t v) { return v <= kLastCodePoint && (v < kFirstSurrogate || v > kLastSurrogate); }

// One component; false when it maps to nothing.
bool AppendComponent(std::string_view c, const GlyphNameLookup& lookup, std::u32string& out)
{
    if (c.empty()) return false;
    if (const char32_t u = lookup(std::string(c))) {
        out.push_back(u);
        return true;
    }
    if (c.size() >= 7 && c.substr(0, 3) == "uni" && (c.size() - 3) % 4 == 0) {
        std::u32string units;
        for (size_t i = 3; i < c.size(); i += 4) {
            const std::string_view group = c.substr(i, 4);
            for (char d : group)
                if (!IsHex(d)) return false;
            const uint32_t v = HexValue(group);
            if (!IsScalar(v)) return false;
            units.push_back(char32_t(v));
        }
        out += units;
        return true;
    }
    if (c.size() >= 5 && c.size() <= 7 && c[0] == 'u') {
        const std::string_view digits = c.substr(1);
        for (char d : digits)
            if (!IsHex(d)) return false;
        const uint32_t v = HexValue(digits);
        if (!IsScalar(v)) return false;
        out.push_back(char32_t(v));
        return true;
    }
    return false;
}

}  // namespace

std::u32string TextOfGlyphName(std::string_view glyphName, const GlyphNameLookup& lookup)
{
    std::string_view name = glyphName.substr(0, glyphName.find('.'));
    if (name.empty()) return {};
    std::u32string out;
    // A known name as a whole first: some list names hold no "_", and the
    // lookup may know more than single names.
    if (name.find('_') == std::string_view::npos) {
        if (AppendComponent(name, lookup, out)) return out;
        for (std::string_view lig : kBareLigatures)
            if (name == lig) return std::u32string(name.begin(), name.end());
        return {};
    }
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find('_', start), name.size());
        if (!AppendComponent(name.substr(start, end - start), lookup, out)) return {};
        start = end + 1;
    }
    return out;
}
