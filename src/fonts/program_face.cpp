#include "fonts/program_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include "fonts/glyph_outline.h"

namespace {
// fsType bits.
constexpr uint16_t kEditable = 0x0008;
constexpr uint16_t kNoSubsetting = 0x0100;
constexpr uint16_t kBitmapOnly = 0x0200;
constexpr uint16_t kUsageBits = 0x000F;
// The glyph at the size the builder loads it: outlines in font units.
constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP | FT_LOAD_NO_AUTOHINT;
constexpr int kSubunits = 64;
constexpr int kFallbackUnitsPerEm = 1000;
}  // namespace

bool RightsAllowEditableEmbedding(uint16_t fsType)
{
    if (fsType & (kNoSubsetting | kBitmapOnly)) return false;
    const uint16_t usage = fsType & kUsageBits;
    if (usage == 0) return true;
    // Restricted (2) and preview & print (4) allow no editable document; the
    // least restrictive bit that is set decides.
    return (usage & kEditable) != 0;
}

CProgramFace::CProgramFace(const uint8_t* program, size_t size)
{
    if (!program || size == 0 || FT_Init_FreeType(&lib_)) return;
    if (FT_New_Memory_Face(lib_, program, FT_Long(size), 0, &face_)) {
        face_ = nullptr;
        return;
    }
    const int em = face_->units_per_EM >= 16 && face_->units_per_EM <= 16384 ? face_->units_per_EM
                                                                            : kFallbackUnitsPerEm;
    if (!FT_IS_SCALABLE(face_) || FT_Set_Char_Size(face_, 0, FT_F26Dot6(em) * kSubunits, 72, 72)) {
        FT_Done_Face(face_);
        face_ = nullptr;
    }
}

CProgramFace::~CProgramFace()
{
    if (face_) FT_Done_Face(face_);
    if (lib_) FT_Done_FreeType(lib_);
}

uint16_t CProgramFace::FsType() const { return face_ ? FT_Get_FSType_Flags(face_) : 0; }

long CProgramFace::GlyphCount() const { return face_ ? face_->num_glyphs : 0; }

uint32_t CProgramFace::GlyphOfName(const char* name) const
{
    if (!face_ || !name || !FT_HAS_GLYPH_NAMES(face_)) return 0;
    return FT_Get_Name_Index(face_, name);
}

std::string CProgramFace::GlyphName(uint32_t glyph) const
{
    if (!face_ || !FT_HAS_GLYPH_NAMES(face_)) return {};
    char buf[128] = {0};
    if (FT_Get_Glyph_Name(face_, glyph, buf, sizeof buf)) return {};
    return buf;
}

char32_t CProgramFace::UnicodeOfGlyph(uint32_t glyph)
{
    if (!face_) return 0;
    if (!reverseMapRead_) {
        reverseMapRead_ = true;
        // Only a real Unicode map: a symbol map's codes are not text.
        if (FT_Select_Charmap(face_, FT_ENCODING_UNICODE) == 0) {
            FT_UInt g = 0;
            FT_ULong code = FT_Get_First_Char(face_, &g);
            while (g != 0) {
                glyphToUnicode_.emplace(g, char32_t(code));  // the lowest code of a glyph wins
                code = FT_Get_Next_Char(face_, code, &g);
            }
        }
    }
    auto it = glyphToUnicode_.find(glyph);
    return it == glyphToUnicode_.end() ? 0 : it->second;
}

bool CProgramFace::GlyphConverts(uint32_t glyph, bool& inked) const
{
    inked = false;
    if (!face_ || glyph > uint32_t(INT32_MAX) || FT_Load_Glyph(face_, glyph, kLoadFlags)) return false;
    if (face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return false;
    CQuadGlyph outline;
    if (ConvertOutline(face_->glyph->outline, outline) != OutlineResult::Converted) return false;
    inked = !outline.Empty();
    return true;
}
