#pragma once
// A PDF font program opened by FreeType for what capture needs to know once
// per font and once per glyph: rights, glyph names, the program's own
// Unicode map, and whether a glyph can be converted.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct FT_FaceRec_;
struct FT_LibraryRec_;

class CProgramFace {
public:
    // The program must outlive the face.
    CProgramFace(const uint8_t* program, size_t size);
    ~CProgramFace();
    CProgramFace(const CProgramFace&) = delete;
    CProgramFace& operator=(const CProgramFace&) = delete;

    bool Usable() const { return face_ != nullptr; }
    // The embedding rights (OS/2 fsType, or the PostScript FSType).
    uint16_t FsType() const;
    long GlyphCount() const;
    // FreeType's glyph of a PostScript glyph name; 0 when the program lacks it.
    uint32_t GlyphOfName(const char* name) const;
    // The program's name of a glyph, empty when it keeps none.
    std::string GlyphName(uint32_t glyph) const;
    // The program's Unicode map read backwards: glyph -> code point. Empty
    // when the program has no Unicode map (symbol fonts).
    char32_t UnicodeOfGlyph(uint32_t glyph);
    // True when the glyph loads and converts; `inked` is set when it draws anything.
    bool GlyphConverts(uint32_t glyph, bool& inked) const;

private:
    FT_LibraryRec_* lib_ = nullptr;
    FT_FaceRec_* face_ = nullptr;
    bool reverseMapRead_ = false;
    std::unordered_map<uint32_t, char32_t> glyphToUnicode_;
};

// Editable embedding: installable (0) or editable (bit 3), and subsetting allowed.
bool RightsAllowEditableEmbedding(uint16_t fsType);
