#include "fonts/document_fonts.h"

#include <algorithm>
#include <cstdio>

#include "fonts/font_builder.h"
#include "fonts/program_face.h"

namespace {
constexpr uint64_t kFnvPrime = 1099511628211ull;
// Hex digits of the fingerprint in a family name: enough that two programs
// of one name in one office session do not meet.
constexpr int kFingerprintDigits = 6;
// A family name stays within what the font table and the name table hold.
constexpr size_t kMostReadableName = 24;
}  // namespace

uint64_t FingerprintBytes(const uint8_t* data, size_t size, uint64_t seed)
{
    uint64_t h = seed;
    for (size_t i = 0; i < size; ++i) {
        h ^= data[i];
        h *= kFnvPrime;
    }
    return h;
}

CDocumentFonts& DocumentFonts()
{
    static CDocumentFonts fonts;
    return fonts;
}

void CDocumentFonts::Reset(bool collect, uint64_t salt)
{
    collect_ = collect;
    salt_ = salt;
    fonts_.clear();
    families_.clear();
}

int CDocumentFonts::AddFont(CDocumentFont font)
{
    fonts_.push_back(std::move(font));
    return int(fonts_.size()) - 1;
}

int CDocumentFonts::NewFamily(int font, int plane)
{
    CDocumentFont& f = fonts_[size_t(font)];
    CEmbedFamily family;
    family.font = font;
    family.plane = plane;
    std::string readable;
    for (char c : f.pdfName) {
        // Letters, digits and a few marks: the name goes into XML and sfnt names.
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            readable.push_back(c);
        if (readable.size() == kMostReadableName) break;
    }
    if (readable.empty()) readable = "Font";
    char tag[32];
    std::snprintf(tag, sizeof tag, " %0*llX", kFingerprintDigits,
                  (unsigned long long)((f.programHash ^ salt_) & ((1ull << (4 * kFingerprintDigits)) - 1)));
    family.name = readable + tag;
    if (plane > 0) family.name += " " + std::to_string(plane + 1);
    families_.push_back(std::move(family));
    f.families.push_back(int(families_.size()) - 1);
    return int(families_.size()) - 1;
}

int CDocumentFonts::PlaceGlyph(int font, uint32_t code, const std::u32string& text)
{
    if (!collect_ || font < 0 || font >= int(fonts_.size()) || text.empty()) return -1;
    CDocumentFont& f = fonts_[size_t(font)];
    if (f.embedding != FontEmbedding::kEmbeddable) return -1;
    auto it = f.codes.find(code);
    if (it == f.codes.end() || !it->second.usable) return -1;
    if (text.size() == 1) {
        const char32_t cp = text[0];
        for (size_t plane = 0;; ++plane) {
            if (plane == f.families.size()) NewFamily(font, int(plane));
            CEmbedFamily& fam = families_[size_t(f.families[plane])];
            // Looked up before inserting: nearly every glyph is one already placed.
            if (auto slot = fam.cmap.find(cp); slot != fam.cmap.end()) {
                if (slot->second == code) return f.families[plane];
                continue;
            }
            fam.cmap.emplace(cp, code);
            return f.families[plane];
            // Another glyph has this text here: the next plane.
        }
    }
    // A ligature: its text is shown by the font's letters where it has them;
    // a letter it has not gets a stand-in, and the ligature glyph is drawn
    // for the letters through the font's ligature feature.
    if (text.size() > kMostLigatureLetters) return -1;
    const double ligatureWidth = it->second.width;
    for (size_t plane = 0;; ++plane) {
        if (plane == f.families.size()) NewFamily(font, int(plane));
        const int familyIndex = f.families[plane];
        CEmbedFamily& fam = families_[size_t(familyIndex)];
        if (auto lig = fam.ligatures.find(text); lig != fam.ligatures.end()) {
            if (lig->second == code) return familyIndex;
            continue;  // another glyph stands for these letters here
        }
        std::vector<std::pair<char32_t, uint32_t>> added;
        bool missing = false;
        for (char32_t cp : text) {
            if (fam.cmap.count(cp)) continue;
            auto av = f.available.find(cp);
            auto letter = av == f.available.end() ? f.codes.end() : f.codes.find(av->second);
            if (letter != f.codes.end() && letter->second.usable)
                added.emplace_back(cp, av->second);
            else
                missing = true;
        }
        if (missing && fam.ligatures.size() >= kMostFamilyLigatures) return -1;
        for (const auto& [cp, c] : added) fam.cmap.emplace(cp, c);
        if (!missing) return familyIndex;
        fam.ligatures.emplace(text, code);
        // Stand-ins share what the present letters leave of the ligature's
        // width, so the letters measure what the ligature draws.
        double rest = ligatureWidth;
        size_t newLetters = 0;
        for (char32_t cp : text) {
            double advance = 0;
            if (Advance(familyIndex, cp, advance))
                rest -= advance;
            else
                ++newLetters;
        }
        const double share = newLetters ? std::max(0.0, rest / double(newLetters)) : 0.0;
        for (char32_t cp : text)
            if (!fam.cmap.count(cp)) fam.standIns.emplace(cp, share);
        return familyIndex;
    }
}

void CDocumentFonts::UseSlot(int family, bool bold, bool italic)
{
    if (family < 0 || family >= int(families_.size())) return;
    families_[size_t(family)].slots[(bold ? kSlotBold : 0) | (italic ? kSlotItalic : 0)] = true;
}

bool CDocumentFonts::Advance(int family, char32_t cp, double& advance) const
{
    if (family < 0 || family >= int(families_.size())) return false;
    const CEmbedFamily& fam = families_[size_t(family)];
    auto it = fam.cmap.find(cp);
    if (it == fam.cmap.end()) {
        auto standIn = fam.standIns.find(cp);
        if (standIn == fam.standIns.end()) return false;
        advance = standIn->second;
        return true;
    }
    const CDocumentFont& f = fonts_[size_t(fam.font)];
    auto code = f.codes.find(it->second);
    if (code == f.codes.end()) return false;
    advance = code->second.width;
    return true;
}

void CDocumentFonts::FamilyRequest(int family, CFontBuildRequest& request) const
{
    request.glyphs.clear();
    request.cmap.clear();
    request.ligatures.clear();
    if (family < 0 || family >= int(families_.size())) return;
    const CEmbedFamily& fam = families_[size_t(family)];
    const CDocumentFont& font = fonts_[size_t(fam.font)];
    request.program = font.program ? font.program->data() : nullptr;
    request.programSize = font.program ? font.program->size() : 0;
    request.familyName = fam.name;
    // One glyph per code, in the order the codes are first met.
    std::map<uint32_t, uint32_t> glyphOfCode;
    auto glyphOf = [&](uint32_t code, uint32_t& glyph) {
        auto known = glyphOfCode.find(code);
        if (known == glyphOfCode.end()) {
            auto c = font.codes.find(code);
            if (c == font.codes.end()) return false;
            known = glyphOfCode.emplace(code, uint32_t(request.glyphs.size())).first;
            request.glyphs.push_back({c->second.glyph, c->second.width, c->second.inked});
        }
        glyph = known->second;
        return true;
    };
    for (const auto& [cp, code] : fam.cmap)
        if (uint32_t glyph = 0; glyphOf(code, glyph)) request.cmap.emplace_back(uint32_t(cp), glyph);
    std::map<char32_t, uint32_t> standInGlyph;
    for (const auto& [text, code] : fam.ligatures) {
        CBuildLigature lig;
        bool needsStandIn = false;
        for (char32_t cp : text) {
            uint32_t glyph = 0;
            if (auto letter = fam.cmap.find(cp); letter != fam.cmap.end() && glyphOf(letter->second, glyph)) {
                lig.components.push_back(glyph);
                continue;
            }
            auto [standIn, inserted] = standInGlyph.emplace(cp, uint32_t(request.glyphs.size()));
            if (inserted) {
                CBuildGlyph blank;
                blank.blank = true;
                if (auto a = fam.standIns.find(cp); a != fam.standIns.end()) blank.advance = a->second;
                request.glyphs.push_back(blank);
                request.cmap.emplace_back(uint32_t(cp), standIn->second);
            }
            lig.components.push_back(standIn->second);
            needsStandIn = true;
        }
        // Letters that all came later show the ligature's text by themselves.
        if (!needsStandIn || !glyphOf(code, lig.glyph)) continue;
        request.ligatures.push_back(std::move(lig));
    }
    // For readers that apply no ligatures: a stand-in that belongs to one
    // ligature alone draws it, moved back over the letters before it.
    std::map<uint32_t, int> uses;
    for (const CBuildLigature& lig : request.ligatures)
        for (uint32_t c : lig.components)
            if (request.glyphs[c].blank) ++uses[c];
    for (const CBuildLigature& lig : request.ligatures) {
        double before = 0;
        for (uint32_t c : lig.components) {
            CBuildGlyph& g = request.glyphs[c];
            if (g.blank && uses[c] == 1) {
                g.borrowFrom = lig.glyph;
                g.borrowShift = before;
                break;
            }
            before += g.advance;
        }
    }
}

std::string CDocumentFonts::FamilyName(int family) const
{
    if (family < 0 || family >= int(families_.size())) return {};
    return families_[size_t(family)].name;
}
