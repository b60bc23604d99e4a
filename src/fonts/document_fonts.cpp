#include "fonts/document_fonts.h"

#include <cstdio>

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
    // A ligature: its text is shown by its letters, which the font must have.
    if (f.families.empty()) NewFamily(font, 0);
    CEmbedFamily& fam = families_[size_t(f.families[0])];
    std::vector<std::pair<char32_t, uint32_t>> added;
    for (char32_t cp : text) {
        if (fam.cmap.count(cp)) continue;
        auto av = f.available.find(cp);
        if (av == f.available.end()) return -1;
        auto letter = f.codes.find(av->second);
        if (letter == f.codes.end() || !letter->second.usable) return -1;
        added.emplace_back(cp, av->second);
    }
    for (const auto& [cp, c] : added) fam.cmap.emplace(cp, c);
    return f.families[0];
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
    if (it == fam.cmap.end()) return false;
    const CDocumentFont& f = fonts_[size_t(fam.font)];
    auto code = f.codes.find(it->second);
    if (code == f.codes.end()) return false;
    advance = code->second.width;
    return true;
}

std::string CDocumentFonts::FamilyName(int family) const
{
    if (family < 0 || family >= int(families_.size())) return {};
    return families_[size_t(family)].name;
}
