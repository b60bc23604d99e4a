#include "docx/embedded_fonts.h"

#include <cstdio>

#include "docx/zip_package.h"
#include "fonts/document_fonts.h"
#include "fonts/font_builder.h"

namespace {

// Bytes of a font the key covers, and the key's length.
constexpr size_t kObfuscatedBytes = 32;
constexpr size_t kKeyBytes = 16;
// Offsets of the key's hex pairs in "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// from the last pair to the first.
constexpr int kKeyPairOffsets[kKeyBytes] = {35, 33, 31, 29, 27, 25, 22, 20, 17, 15, 12, 10, 7, 5, 3, 1};
constexpr uint64_t kMixer = 0x9E3779B97F4A7C15ull;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

uint64_t Mix(uint64_t v)
{
    v ^= v >> 33;
    v *= 0xFF51AFD7ED558CCDull;
    v ^= v >> 33;
    v *= 0xC4CEB9FE1A85EC53ull;
    v ^= v >> 33;
    return v;
}

std::string Plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

}  // namespace

std::string FontKeyFromSeed(uint64_t seed)
{
    const uint64_t a = Mix(seed ^ kMixer), b = Mix(seed + kMixer);
    char key[40];
    std::snprintf(key, sizeof key, "{%08X-%04X-%04X-%04X-%012llX}", unsigned(a >> 32), unsigned((a >> 16) & 0xFFFF),
                  unsigned(a & 0xFFFF), unsigned(b >> 48), (unsigned long long)(b & 0xFFFFFFFFFFFFull));
    return key;
}

void ObfuscateFont(std::vector<uint8_t>& font, const std::string& key)
{
    if (key.size() < 38) return;
    uint8_t bytes[kKeyBytes];
    for (size_t i = 0; i < kKeyBytes; ++i)
        bytes[i] = uint8_t(HexDigit(key[size_t(kKeyPairOffsets[i])]) * 16 + HexDigit(key[size_t(kKeyPairOffsets[i]) + 1]));
    for (size_t i = 0; i < kObfuscatedBytes && i < font.size(); ++i) font[i] ^= bytes[i % kKeyBytes];
}

void CFontEmbedder::NoteFamily(int family, const std::string& face)
{
    if (family >= 0) used_.emplace(family, face);
}

bool CFontEmbedder::StoredAny() const
{
    for (const CEmbeddedFamilyEntry& e : entries_)
        if (!e.files.empty()) return true;
    return false;
}

int CFontEmbedder::StoreFonts(CZipPackage& zip)
{
    const CDocumentFonts& fonts = DocumentFonts();
    int fileNumber = 0;
    for (const auto& [familyIndex, face] : used_) {
        if (familyIndex >= fonts.FamilyCount()) continue;
        const CEmbedFamily& family = fonts.Family(familyIndex);
        const CDocumentFont& font = fonts.Font(family.font);
        CEmbeddedFamilyEntry entry;
        entry.name = family.name;
        entry.altFace = face;
        CFontBuildRequest request;
        fonts.FamilyRequest(familyIndex, request);
        bool failed = false;
        for (int slot = 0; slot < 4 && !failed; ++slot) {
            if (!family.slots[slot]) continue;
            request.bold = slot & kSlotBold;
            request.italic = slot & kSlotItalic;
            CBuiltFont built;
            if (BuildTrueTypeFont(request, built) != FontBuildResult::Built) {
                failed = true;
                break;
            }
            CEmbeddedFontFile file;
            file.slot = slot;
            file.key = FontKeyFromSeed(font.programHash ^ Mix(uint64_t(familyIndex) * 4 + uint64_t(slot) + 1));
            ++fileNumber;
            file.relationId = "rId" + std::to_string(fileNumber);
            file.target = "fonts/font" + std::to_string(fileNumber) + ".odttf";
            ObfuscateFont(built.data, file.key);
            const std::string_view bytes(reinterpret_cast<const char*>(built.data.data()), built.data.size());
            if (int rc = zip.AddEntry("word/" + file.target, bytes, true)) return rc;
            entry.files.push_back(std::move(file));
        }
        if (failed) {
            // No half-embedded family: its runs show their face everywhere.
            entry.files.clear();
            failedFonts_.insert(family.font);
        } else if (!entry.files.empty()) {
            builtFonts_.insert(family.font);
        }
        entries_.push_back(std::move(entry));
    }
    for (int f : builtFonts_) failedFonts_.erase(f);
    return 0;
}

std::string CFontEmbedder::Report() const
{
    const CDocumentFonts& fonts = DocumentFonts();
    int embedded = 0, installed = 0, restricted = 0, absent = 0, unreadable = 0, substituted = 0, all = 0, programs = 0;
    for (int i = 0; i < fonts.FontCount(); ++i) {
        const CDocumentFont& f = fonts.Font(i);
        if (f.codes.empty()) continue;
        ++all;
        if (f.program) ++programs;
        if (builtFonts_.count(i)) {
            ++embedded;
            continue;
        }
        switch (f.embedding) {
        case FontEmbedding::kInstalledFace: ++installed; break;
        case FontEmbedding::kRestricted: ++restricted; break;
        case FontEmbedding::kNotEmbedded: ++absent; break;
        case FontEmbedding::kUnreadable: ++unreadable; break;
        case FontEmbedding::kEmbeddable:
            // Embeddable, but its glyphs could not be built (or none was printed).
            if (failedFonts_.count(i)) ++unreadable;
            else ++substituted;
            break;
        }
    }
    // A PDF that carries no font program has nothing to say about embedding.
    if (all == 0 || programs == 0) return {};
    std::string line = "Fonts: " + std::to_string(embedded) + " of " + std::to_string(all) + " embedded";
    std::vector<std::string> why;
    if (installed) why.push_back(Plural(installed, "has an installed face", "have an installed face") );
    if (absent) why.push_back(Plural(absent, "is not in the PDF (or is Type 3)", "are not in the PDF (or are Type 3)"));
    if (restricted) why.push_back(Plural(restricted, "does not allow embedding", "do not allow embedding"));
    if (substituted) why.push_back(Plural(substituted, "has text its glyphs cannot show", "have text their glyphs cannot show"));
    if (unreadable) why.push_back(Plural(unreadable, "could not be converted", "could not be converted"));
    for (size_t i = 0; i < why.size(); ++i) line += (i == 0 ? "; " : ", ") + why[i];
    return line + ".";
}
