#include "platform/text_measure.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include <strings.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include "platform/code_page.h"

namespace {

// Symbol fonts map their glyphs to U+F000 + the byte in their symbol cmap.
constexpr FT_ULong kSymbolCodeBase = 0xF000;
// Marks an advance of the per-face table that is not looked up yet.
constexpr int32_t kUnknownAdvance = -1;

struct CFace {
    FT_Face face = nullptr;
    std::string family;
    std::string file;
    double cellUnits = 0;   // ascent + descent in font units
    double unitsPerEm = 0;
    bool symbolOnly = false;
    std::array<int32_t, 256> advances{};  // font units per Windows-1252 byte
    std::unordered_map<char32_t, int32_t> unicodeAdvances;  // font units per letter; -1: no glyph

    ~CFace() { if (face) FT_Done_Face(face); }

    int32_t Advance(unsigned char byte)
    {
        int32_t& cached = advances[byte];
        if (cached != kUnknownAdvance)
            return cached;
        FT_ULong code = Windows1252ToUnicode(byte);
        FT_UInt glyph = symbolOnly ? FT_Get_Char_Index(face, kSymbolCodeBase + byte) : FT_Get_Char_Index(face, code);
        if (glyph == 0 && symbolOnly)
            glyph = FT_Get_Char_Index(face, byte);
        FT_Fixed advance = 0;
        if (FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING, &advance) != 0)
            advance = 0;
        cached = static_cast<int32_t>(advance);
        return cached;
    }

    int32_t UnicodeAdvance(char32_t letter)
    {
        auto it = unicodeAdvances.find(letter);
        if (it != unicodeAdvances.end())
            return it->second;
        int32_t units = kUnknownAdvance;
        const FT_UInt glyph = symbolOnly ? 0 : FT_Get_Char_Index(face, letter);
        FT_Fixed advance = 0;
        if (glyph != 0 && FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING, &advance) == 0)
            units = static_cast<int32_t>(advance);
        unicodeAdvances.emplace(letter, units);
        return units;
    }
};

// The PostScript names that Windows serves with its own faces: measured in
// those, whatever look-alike fontconfig would pick here (its URW clones have
// other ascent and descent figures, so the same cell height gives another em).
const char* WindowsFaceFor(const std::string& face)
{
    if (strcasecmp(face.c_str(), "Helvetica") == 0) return "Arial";
    if (strcasecmp(face.c_str(), "Times") == 0) return "Times New Roman";
    if (strcasecmp(face.c_str(), "Courier") == 0) return "Courier New";
    return face.c_str();
}

class CFaceCache {
public:
    CFace* Find(const CMeasureFont& font)
    {
        std::string key = font.face;
        key.push_back('\0');
        key.push_back(font.bold ? 'b' : '-');
        key.push_back(font.italic ? 'i' : '-');
        auto it = byRequest_.find(key);
        if (it != byRequest_.end())
            return it->second;
        CFace* face = Open(font);
        byRequest_.emplace(std::move(key), face);
        return face;
    }

private:
    CFace* Open(const CMeasureFont& font)
    {
        if (!library_ && FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            return nullptr;
        }
        FcPattern* pattern = FcPatternCreate();
        if (!pattern)
            return nullptr;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(WindowsFaceFor(font.face)));
        FcPatternAddInteger(pattern, FC_WEIGHT, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match)
            return nullptr;
        FcChar8* file = nullptr;
        FcChar8* family = nullptr;
        int index = 0;
        CFace* opened = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            if (FcPatternGetString(match, FC_FAMILY, 0, &family) != FcResultMatch)
                family = nullptr;
            opened = OpenFile(reinterpret_cast<const char*>(file), index,
                              family ? reinterpret_cast<const char*>(family) : "");
        }
        FcPatternDestroy(match);
        return opened;
    }

    CFace* OpenFile(const std::string& file, int index, const std::string& family)
    {
        std::string key = file + '\0' + std::to_string(index);
        auto it = byFile_.find(key);
        if (it != byFile_.end())
            return it->second.get();
        auto face = std::make_unique<CFace>();
        if (FT_New_Face(library_, file.c_str(), index, &face->face) != 0) {
            face->face = nullptr;
            byFile_.emplace(std::move(key), nullptr);
            return nullptr;
        }
        face->family = family;
        face->file = file;
        face->advances.fill(kUnknownAdvance);
        face->unitsPerEm = face->face->units_per_EM;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face->face, FT_SFNT_OS2));
        if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
            face->cellUnits = static_cast<double>(os2->usWinAscent) + os2->usWinDescent;
        else
            face->cellUnits = static_cast<double>(face->face->ascender) - face->face->descender;
        if (face->cellUnits <= 0)
            face->cellUnits = face->unitsPerEm > 0 ? face->unitsPerEm : 1;
        if (FT_Select_Charmap(face->face, FT_ENCODING_UNICODE) != 0)
            face->symbolOnly = FT_Select_Charmap(face->face, FT_ENCODING_MS_SYMBOL) == 0;
        CFace* raw = face.get();
        byFile_.emplace(std::move(key), std::move(face));
        return raw;
    }

    FT_Library library_ = nullptr;
    std::unordered_map<std::string, CFace*> byRequest_;
    std::unordered_map<std::string, std::unique_ptr<CFace>> byFile_;
};

// The faces live for the process; the lock only guards against a second
// thread measuring at the same time (tests, a future second worker).
std::mutex cacheMutex;

CFaceCache& Cache()
{
    static CFaceCache* cache = new CFaceCache;  // never torn down: fonts outlive static destruction order
    return *cache;
}

} // namespace

double MeasureText(const CMeasureFont& font, std::string_view text)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    CFace* face = Cache().Find(font);
    if (!face)
        return 0;
    int64_t units = 0;
    for (char c : text)
        units += face->Advance(static_cast<unsigned char>(c));
    return static_cast<double>(units) * font.cellHeight / face->cellUnits;
}

double MeasureUnicode(const CMeasureFont& font, std::u16string_view text, bool& complete)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    complete = true;
    CFace* face = Cache().Find(font);
    if (!face) {
        complete = text.empty();
        return 0;
    }
    int64_t units = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t letter = text[i];
        if (letter >= 0xD800 && letter <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            letter = 0x10000 + ((letter - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        const int32_t advance = face->UnicodeAdvance(letter);
        if (advance < 0)
            complete = false;
        else
            units += advance;
    }
    return static_cast<double>(units) * font.cellHeight / face->cellUnits;
}

bool DescribeMatch(const CMeasureFont& font, CMatchedFace& match)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    CFace* face = Cache().Find(font);
    if (!face)
        return false;
    match.family = face->family;
    match.file = face->file;
    match.em = font.cellHeight * face->unitsPerEm / face->cellUnits;
    return true;
}
