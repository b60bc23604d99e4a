#include "fonts/font_builder.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <memory>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TYPE1_TABLES_H

#include "fonts/font_tables.h"
#include "fonts/gsub_table.h"
#include "fonts/sfnt_writer.h"

namespace {

// Units per em a built font may have; other programs are rescaled to 1000.
constexpr int kFewestUnitsPerEm = 16;
constexpr int kMostUnitsPerEm = 16384;
constexpr int kFallbackUnitsPerEm = 1000;
// PDF widths are in thousandths of an em.
constexpr double kPdfWidthUnits = 1000.0;
// 26.6 fixed point.
constexpr int kSubunits = 64;
// Outlines exactly as drawn: unhinted, unscaled by the program's own matrix.
constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP | FT_LOAD_NO_AUTOHINT;
// Points all glyphs of one font may have together.
constexpr size_t kMostFontPoints = 8u << 20;
// Farthest a stand-in may move the ligature it draws (font units).
constexpr double kMostBorrowShift = 32767;

struct LibraryCloser {
    void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};

std::string StyleName(bool bold, bool italic)
{
    if (bold && italic) return "Bold Italic";
    if (bold) return "Bold";
    if (italic) return "Italic";
    return "Regular";
}

// A PostScript name: printable ASCII without the characters it may not hold.
std::string PostScriptNameOf(const std::string& wanted, const std::string& family, const std::string& style)
{
    std::string source = wanted.empty() ? family + (style == "Regular" ? "" : "-" + style) : wanted;
    std::string out;
    for (char c : source) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            out.push_back(c);
        if (out.size() == 63) break;
    }
    return out.empty() ? "Font" : out;
}

// The box readers show for a character the font lacks; it also keeps glyf
// from being empty, which validators refuse.
CFontGlyph NotdefGlyph(int em)
{
    CFontGlyph g;
    const int32_t w = em / 2, h = em * 7 / 10, t = std::max(1, em / 20);
    const int32_t left = em / 20, right = left + w - 2 * left;
    // Outer box clockwise, inner box counter-clockwise: a frame.
    g.outline.points = {{left, 0, true},         {left, h, true},         {right, h, true},         {right, 0, true},
                        {left + t, t, true},     {right - t, t, true},    {right - t, h - t, true}, {left + t, h - t, true}};
    g.outline.contourEnds = {3, 7};
    g.outline.xMin = left;
    g.outline.yMin = 0;
    g.outline.xMax = right;
    g.outline.yMax = h;
    g.advance = uint16_t(w);
    return g;
}

int ScaleUnits(long v, double scale) { return int(std::lround(double(v) * scale)); }

}  // namespace

const char* FontBuildResultText(FontBuildResult result)
{
    switch (result) {
    case FontBuildResult::Built: return "built";
    case FontBuildResult::Unreadable: return "the font program cannot be read";
    case FontBuildResult::NoOutlines: return "the font has no outlines";
    case FontBuildResult::GlyphMissing: return "a glyph of the font cannot be read";
    case FontBuildResult::TooManyGlyphs: return "the font has too many glyphs";
    case FontBuildResult::OutlineTooLarge: return "a glyph of the font is too large";
    case FontBuildResult::TooLarge: return "the font would be too large";
    case FontBuildResult::BadRequest: return "the glyph list is inconsistent";
    }
    return "unknown";
}

FontBuildResult BuildTrueTypeFont(const CFontBuildRequest& request, CBuiltFont& out)
{
    out = CBuiltFont{};
    if (request.glyphs.size() + 1 > kMostBuiltGlyphs) return FontBuildResult::TooManyGlyphs;
    for (const auto& [code, index] : request.cmap)
        if (index >= request.glyphs.size() || code > 0x10FFFF) return FontBuildResult::BadRequest;
    // Output glyph ids are the request's indices + 1 (after .notdef).
    std::vector<CLigatureRule> ligatureRules;
    ligatureRules.reserve(request.ligatures.size());
    for (const CBuildLigature& lig : request.ligatures) {
        if (lig.glyph >= request.glyphs.size() || lig.components.size() < 2 ||
            lig.components.size() > kMostLigatureComponents)
            return FontBuildResult::BadRequest;
        CLigatureRule rule;
        rule.glyph = uint16_t(lig.glyph + 1);
        for (uint32_t c : lig.components) {
            if (c >= request.glyphs.size()) return FontBuildResult::BadRequest;
            rule.components.push_back(uint16_t(c + 1));
        }
        ligatureRules.push_back(std::move(rule));
    }
    if (!request.program || request.programSize == 0 || request.programSize > size_t(LONG_MAX))
        return FontBuildResult::Unreadable;

    FT_Library rawLib = nullptr;
    if (FT_Init_FreeType(&rawLib)) return FontBuildResult::Unreadable;
    std::unique_ptr<FT_LibraryRec_, LibraryCloser> lib(rawLib);
    FT_Face rawFace = nullptr;
    if (FT_New_Memory_Face(rawLib, request.program, FT_Long(request.programSize), 0, &rawFace))
        return FontBuildResult::Unreadable;
    std::unique_ptr<FT_FaceRec_, FaceCloser> face(rawFace);
    if (!FT_IS_SCALABLE(rawFace)) return FontBuildResult::NoOutlines;

    const int sourceEm = rawFace->units_per_EM;
    const int em = sourceEm >= kFewestUnitsPerEm && sourceEm <= kMostUnitsPerEm ? sourceEm : kFallbackUnitsPerEm;
    // One pixel per unit of the built font: outlines come out in its units,
    // with the program's own font matrix applied.
    if (FT_Set_Char_Size(rawFace, 0, FT_F26Dot6(em) * kSubunits, 72, 72)) return FontBuildResult::Unreadable;
    const double metricScale = sourceEm > 0 ? double(em) / sourceEm : 1.0;

    std::vector<CFontGlyph> glyphs(request.glyphs.size() + 1);
    glyphs[0] = NotdefGlyph(em);
    size_t totalPoints = 0;
    for (size_t i = 0; i < request.glyphs.size(); ++i) {
        const CBuildGlyph& g = request.glyphs[i];
        CFontGlyph& built = glyphs[i + 1];
        const double advance = g.advance * em / kPdfWidthUnits;
        built.advance = uint16_t(std::isfinite(advance) ? std::clamp(std::lround(advance), 0l, 65535l) : 0);
        if (g.blank) continue;
        if (g.sourceGlyph > uint32_t(INT32_MAX) || FT_Load_Glyph(rawFace, g.sourceGlyph, kLoadFlags))
            return FontBuildResult::GlyphMissing;
        if (rawFace->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return FontBuildResult::NoOutlines;
        switch (ConvertOutline(rawFace->glyph->outline, built.outline)) {
        case OutlineResult::Converted: break;
        case OutlineResult::TooManyPoints:
        case OutlineResult::OutOfRange: return FontBuildResult::OutlineTooLarge;
        case OutlineResult::Unreadable: return FontBuildResult::GlyphMissing;
        }
        if (g.inked && built.outline.Empty()) return FontBuildResult::GlyphMissing;
        totalPoints += built.outline.points.size();
        if (totalPoints > kMostFontPoints) return FontBuildResult::TooLarge;
    }

    // Stand-ins that draw a ligature: its outline, moved to where the
    // stand-in stands within it.
    for (size_t i = 0; i < request.glyphs.size(); ++i) {
        const CBuildGlyph& g = request.glyphs[i];
        if (!g.blank || g.borrowFrom == kNoBorrowedGlyph) continue;
        if (g.borrowFrom >= request.glyphs.size() || request.glyphs[g.borrowFrom].blank)
            return FontBuildResult::BadRequest;
        const double shift = g.borrowShift * em / kPdfWidthUnits;
        if (!std::isfinite(shift) || std::fabs(shift) > kMostBorrowShift) return FontBuildResult::OutlineTooLarge;
        CQuadGlyph moved = glyphs[g.borrowFrom + 1].outline;
        const int32_t dx = int32_t(std::lround(-shift));
        for (CQuadPoint& p : moved.points) p.x += dx;
        moved.xMin += dx;
        moved.xMax += dx;
        if (!moved.Empty() && (moved.xMin < INT16_MIN || moved.xMax > INT16_MAX)) return FontBuildResult::OutlineTooLarge;
        totalPoints += moved.points.size();
        if (totalPoints > kMostFontPoints) return FontBuildResult::TooLarge;
        glyphs[i + 1].outline = std::move(moved);
    }

    CFontFacts facts;
    facts.unitsPerEm = em;
    facts.bold = request.bold;
    facts.italic = request.italic;
    facts.fsType = FT_Get_FSType_Flags(rawFace);
    facts.fixedPitch = FT_IS_FIXED_WIDTH(rawFace);
    facts.familyName = request.familyName.empty() ? "Font" : request.familyName;
    facts.styleName = StyleName(request.bold, request.italic);
    facts.postScriptName = PostScriptNameOf(request.postScriptName, facts.familyName, facts.styleName);
    facts.maxContext = LigatureContext(ligatureRules);
    facts.ascender = ScaleUnits(rawFace->ascender, metricScale);
    facts.descender = ScaleUnits(rawFace->descender, metricScale);
    if (facts.ascender <= 0 && facts.descender >= 0) {
        facts.ascender = em * 8 / 10;
        facts.descender = -em * 2 / 10;
    }
    facts.lineGap = std::max(0, ScaleUnits(rawFace->height, metricScale) - facts.ascender + facts.descender);
    if (rawFace->underline_thickness > 0) {
        facts.underlinePosition = ScaleUnits(rawFace->underline_position, metricScale);
        facts.underlineThickness = ScaleUnits(rawFace->underline_thickness, metricScale);
    } else {
        facts.underlinePosition = -em / 10;
        facts.underlineThickness = em / 20;
    }
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(rawFace, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF && os2->version >= 2) {
        facts.xHeight = ScaleUnits(os2->sxHeight, metricScale);
        facts.capHeight = ScaleUnits(os2->sCapHeight, metricScale);
    }
    if (const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(rawFace, FT_SFNT_POST)))
        facts.italicAngle = double(post->italicAngle) / 65536.0;
    else if (PS_FontInfoRec info; FT_Get_PS_Font_Info(rawFace, &info) == 0)
        facts.italicAngle = double(info.italic_angle);
    if (!std::isfinite(facts.italicAngle) || std::fabs(facts.italicAngle) > 60) facts.italicAngle = 0;

    std::vector<std::pair<uint32_t, uint32_t>> cmap;
    cmap.reserve(request.cmap.size());
    for (const auto& [code, index] : request.cmap) cmap.emplace_back(code, index + 1);
    std::sort(cmap.begin(), cmap.end());
    cmap.erase(std::unique(cmap.begin(), cmap.end(),
                           [](const auto& a, const auto& b) { return a.first == b.first; }),
               cmap.end());

    CGlyfLoca glyfLoca = WriteGlyfLoca(glyphs);
    if (glyfLoca.glyf.size() > kMostBuiltFontBytes) return FontBuildResult::TooLarge;
    std::vector<CSfntTable> tables;
    if (!ligatureRules.empty()) {
        std::vector<uint8_t> gsub;
        switch (WriteLigatureGsub(ligatureRules, uint32_t(glyphs.size()), gsub)) {
        case GsubResult::Written: break;
        case GsubResult::BadRule: return FontBuildResult::BadRequest;
        case GsubResult::TooLarge: return FontBuildResult::TooLarge;
        }
        tables.push_back({"GSUB", std::move(gsub)});
    }
    tables.push_back({"head", WriteHead(facts, glyphs, glyfLoca.longOffsets)});
    tables.push_back({"hhea", WriteHhea(facts, glyphs)});
    tables.push_back({"maxp", WriteMaxp(glyphs)});
    tables.push_back({"OS/2", WriteOs2(facts, glyphs, cmap)});
    tables.push_back({"hmtx", WriteHmtx(glyphs)});
    tables.push_back({"cmap", WriteCmap(cmap)});
    tables.push_back({"name", WriteName(facts)});
    tables.push_back({"post", WritePost(facts)});
    tables.push_back({"glyf", std::move(glyfLoca.glyf)});
    tables.push_back({"loca", std::move(glyfLoca.loca)});
    out.data = AssembleSfnt(std::move(tables));
    out.unitsPerEm = em;
    out.glyphCount = int(glyphs.size());
    for (const CFontGlyph& g : glyphs) out.advances.push_back(g.advance);
    return FontBuildResult::Built;
}
