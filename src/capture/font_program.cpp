// Reads a PDF font's own statements about itself: the descriptor through
// Poppler, the embedded program through FreeType.
#include <cmath>
#include <cstdio>
#include <mutex>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TYPE1_TABLES_H

#include <GfxFont.h>
#include <Object.h>
#include <XRef.h>

#include "capture/font_style.h"

namespace {

// Object generations above this are Poppler's made-up ids of direct font dictionaries.
constexpr int kLargestGeneration = 65535;
// FreeType marks an OS/2 table it did not find with this version.
constexpr FT_UShort kMissingOs2 = 0xFFFF;
constexpr FT_UShort kItalicSelection = 1 << 0;
constexpr FT_UShort kObliqueSelection = 1 << 9;

std::mutex freetypeMutex;

FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library made = nullptr;
        if (FT_Init_FreeType(&made) != 0) made = nullptr;
        return made;
    }();
    return library;
}

int DescriptorWeight(GfxFont::Weight weight)
{
    switch (weight) {
    case GfxFont::W100: return 100;
    case GfxFont::W200: return 200;
    case GfxFont::W300: return 300;
    case GfxFont::W400: return 400;
    case GfxFont::W500: return 500;
    case GfxFont::W600: return 600;
    case GfxFont::W700: return 700;
    case GfxFont::W800: return 800;
    case GfxFont::W900: return 900;
    case GfxFont::WeightNotDefined: break;
    }
    return 0;
}

// The font's descriptor dictionary (through the descendant of a Type 0 font).
Object DescriptorOf(const GfxFont& font, XRef* xref)
{
    const Ref* id = font.getID();
    if (!xref || id->num < 0 || id->gen < 0 || id->gen > kLargestGeneration) return Object();
    Object dict = xref->fetch(*id);
    if (!dict.isDict()) return Object();
    if (font.isCIDFont()) {
        Object descendants = dict.dictLookup("DescendantFonts");
        if (!descendants.isArray() || descendants.arrayGetLength() < 1) return Object();
        dict = descendants.arrayGet(0);
        if (!dict.isDict()) return Object();
    }
    Object descriptor = dict.dictLookup("FontDescriptor");
    return descriptor.isDict() ? std::move(descriptor) : Object();
}

}  // namespace

CFontProgramFacts ReadFontProgram(const unsigned char* data, size_t size)
{
    CFontProgramFacts facts;
    if (!data || size == 0) return facts;
    std::lock_guard<std::mutex> lock(freetypeMutex);
    FT_Library library = Library();
    FT_Face face = nullptr;
    if (!library || FT_New_Memory_Face(library, data, static_cast<FT_Long>(size), 0, &face) != 0) return facts;
    facts.read = true;
    facts.styleBold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    facts.styleItalic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    facts.fixedWidth = FT_IS_FIXED_WIDTH(face);
    if (face->family_name) facts.familyName = face->family_name;

    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != kMissingOs2) {
        facts.hasOs2 = true;
        facts.weightClass = os2->usWeightClass;
        facts.widthClass = os2->usWidthClass;
        facts.os2Italic = (os2->fsSelection & (kItalicSelection | kObliqueSelection)) != 0;
        facts.familyClass = (os2->sFamilyClass >> 8) & 0xFF;
        bool anyPanose = false;
        char hex[3];
        for (FT_Byte digit : os2->panose) {
            std::snprintf(hex, sizeof hex, "%02X", digit);
            facts.panose += hex;
            anyPanose = anyPanose || digit != 0;
        }
        if (!anyPanose) facts.panose.clear();
    }
    PS_FontInfoRec info;
    if (FT_Get_PS_Font_Info(face, &info) == 0) {
        facts.hasPsInfo = true;
        if (info.weight) facts.psWeight = info.weight;
        facts.psItalicAngle = static_cast<double>(info.italic_angle);
    }
    FT_Done_Face(face);
    return facts;
}

CFontEvidence FontEvidenceOf(const GfxFont& font, XRef* xref)
{
    CFontEvidence evidence;
    evidence.facts = FontFactsOf(font);
    evidence.descriptorWeight = DescriptorWeight(font.getWeight());
    evidence.stretch = static_cast<int>(font.getStretch());

    Object descriptor = DescriptorOf(font, xref);
    if (descriptor.isDict()) {
        Object angle = descriptor.dictLookup("ItalicAngle");
        if (angle.isNum() && std::isfinite(angle.getNum())) {
            evidence.hasItalicAngle = true;
            evidence.italicAngle = angle.getNum();
        }
    }

    Ref embedded;
    if (xref && font.getEmbeddedFontID(&embedded)) {
        // Reading the program does not change the font; Poppler's call is just not const.
        std::optional<std::vector<unsigned char>> program = const_cast<GfxFont&>(font).readEmbFontFile(xref);
        if (program && !program->empty()) evidence.program = ReadFontProgram(program->data(), program->size());
    }
    return evidence;
}
