#include "fonts/gsub_table.h"

#include <algorithm>
#include <map>
#include <set>

#include "fonts/sfnt_writer.h"

namespace {

constexpr uint16_t kLigatureSubstitution = 4;
constexpr uint16_t kNoRequiredFeature = 0xFFFF;
constexpr size_t kMostOffset = 0xFFFF;
// Sizes of the fixed parts, bytes.
constexpr uint16_t kHeaderSize = 10;
constexpr uint16_t kScriptRecordSize = 6;
constexpr uint16_t kScriptTableSize = 12;  // the script and its default language system
constexpr uint16_t kFeatureListSize = 14;  // one record and its feature
constexpr uint16_t kLookupListHeaderSize = 4;
constexpr uint16_t kLookupSize = 8;

// Both scripts use the one feature: DFLT for text a reader does not tag,
// latn for Latin text (ligatures in documents are nearly all Latin).
constexpr const char* kScripts[] = {"DFLT", "latn"};

void WriteScriptList(CByteWriter& w)
{
    const uint16_t n = uint16_t(std::size(kScripts));
    w.U16(n);
    for (uint16_t i = 0; i < n; ++i) {
        w.Tag(kScripts[i]);
        w.U16(2 + n * kScriptRecordSize + i * kScriptTableSize);
    }
    for (uint16_t i = 0; i < n; ++i) {
        w.U16(4);  // default language system, right after this header
        w.U16(0);  // no other language systems
        w.U16(0);  // lookup order: reserved
        w.U16(kNoRequiredFeature);
        w.U16(1);  // one feature: liga
        w.U16(0);
    }
}

void WriteFeatureList(CByteWriter& w)
{
    w.U16(1);
    w.Tag("liga");
    w.U16(8);  // the feature, after this record
    w.U16(0);  // no feature parameters
    w.U16(1);
    w.U16(0);  // lookup 0
}

// The ligature substitution subtable; false when an offset would overflow.
bool WriteSubtable(const std::map<uint16_t, std::vector<const CLigatureRule*>>& sets, CByteWriter& w)
{
    const size_t n = sets.size();
    const size_t coverageAt = 6 + 2 * n;
    size_t setAt = coverageAt + 4 + 2 * n;
    std::vector<size_t> setOffsets;
    for (const auto& [first, rules] : sets) {
        setOffsets.push_back(setAt);
        setAt += 2 + 2 * rules.size();
        for (const CLigatureRule* r : rules) setAt += 4 + 2 * (r->components.size() - 1);
    }
    if (!setOffsets.empty() && setOffsets.back() > kMostOffset) return false;
    w.U16(1);
    w.U16(uint32_t(coverageAt));
    w.U16(uint32_t(n));
    for (size_t off : setOffsets) w.U16(uint32_t(off));
    w.U16(1);  // coverage format 1: the first glyphs, sorted
    w.U16(uint32_t(n));
    for (const auto& [first, rules] : sets) w.U16(first);
    for (const auto& [first, rules] : sets) {
        w.U16(uint32_t(rules.size()));
        size_t ligatureAt = 2 + 2 * rules.size();
        for (const CLigatureRule* r : rules) {
            if (ligatureAt > kMostOffset) return false;
            w.U16(uint32_t(ligatureAt));
            ligatureAt += 4 + 2 * (r->components.size() - 1);
        }
        for (const CLigatureRule* r : rules) {
            w.U16(r->glyph);
            w.U16(uint32_t(r->components.size()));
            for (size_t k = 1; k < r->components.size(); ++k) w.U16(r->components[k]);
        }
    }
    return true;
}

}  // namespace

uint16_t LigatureContext(const std::vector<CLigatureRule>& rules)
{
    size_t most = 0;
    for (const CLigatureRule& r : rules) most = std::max(most, r.components.size());
    return uint16_t(std::min<size_t>(most, 0xFFFF));
}

GsubResult WriteLigatureGsub(const std::vector<CLigatureRule>& rules, uint32_t glyphCount, std::vector<uint8_t>& out)
{
    out.clear();
    std::set<std::vector<uint16_t>> seen;
    std::map<uint16_t, std::vector<const CLigatureRule*>> sets;
    for (const CLigatureRule& r : rules) {
        if (r.components.size() < 2 || r.components.size() > kMostLigatureComponents || r.glyph >= glyphCount)
            return GsubResult::BadRule;
        for (uint16_t g : r.components)
            if (g >= glyphCount) return GsubResult::BadRule;
        // The same letters can stand for one ligature only.
        if (!seen.insert(r.components).second) continue;
        sets[r.components[0]].push_back(&r);
    }
    for (auto& [first, list] : sets)
        std::stable_sort(list.begin(), list.end(), [](const CLigatureRule* a, const CLigatureRule* b) {
            return a->components.size() > b->components.size();
        });

    CByteWriter subtable;
    if (!WriteSubtable(sets, subtable)) return GsubResult::TooLarge;
    const uint16_t scriptListSize = uint16_t(2 + std::size(kScripts) * (kScriptRecordSize + kScriptTableSize));
    const uint16_t featureListAt = kHeaderSize + scriptListSize;
    const uint16_t lookupListAt = featureListAt + kFeatureListSize;
    CByteWriter w;
    w.U16(1);  // version 1.0
    w.U16(0);
    w.U16(kHeaderSize);
    w.U16(featureListAt);
    w.U16(lookupListAt);
    WriteScriptList(w);
    WriteFeatureList(w);
    w.U16(1);  // one lookup, right after the list's header
    w.U16(kLookupListHeaderSize);
    w.U16(kLigatureSubstitution);
    w.U16(0);  // lookup flags: every glyph takes part
    w.U16(1);  // one subtable, right after the lookup
    w.U16(kLookupSize);
    w.Bytes(subtable.Data());
    out = w.Take();
    return GsubResult::Written;
}
