// The TrueType writer on real font programs of every kind FreeType reads, and
// on damaged ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "fonts/font_builder.h"
#include "fonts/glyph_outline.h"
#include "font_test_support.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

using fonttest::LoadedFont;
using fonttest::PassesOts;
using fonttest::ReadFile;

namespace {

// Installed programs of the four outline kinds (fonts-liberation, fonts-urw-base35).
const char* const kTrueTypeFile = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
const char* const kCffFile = "/usr/share/fonts/opentype/urw-base35/NimbusRoman-Regular.otf";
const char* const kType1File = "/usr/share/fonts/X11/Type1/NimbusSans-Bold.pfb";
const char* const kSymbolType1File = "/usr/share/fonts/X11/Type1/StandardSymbolsPS.pfb";

// The glyph index the source program gives a character.
uint32_t SourceGlyph(const std::vector<uint8_t>& program, uint32_t ch)
{
    LoadedFont f(program);
    return f.Face() ? FT_Get_Char_Index(f.Face(), ch) : 0;
}

// A request for `text`'s characters, each with the given width.
CFontBuildRequest RequestFor(const std::vector<uint8_t>& program, const std::u32string& text, double width = 600)
{
    CFontBuildRequest r;
    r.program = program.data();
    r.programSize = program.size();
    r.familyName = "Test Family";
    for (char32_t ch : text) {
        r.cmap.emplace_back(uint32_t(ch), uint32_t(r.glyphs.size()));
        r.glyphs.push_back({SourceGlyph(program, ch), width, ch != U' '});
    }
    return r;
}

// The largest distance between the bounding boxes of a glyph in two fonts.
long BoxDifference(FT_Face a, FT_UInt ga, FT_Face b, FT_UInt gb)
{
    FT_BBox ba{}, bb{};
    if (FT_Load_Glyph(a, ga, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING)) return 1 << 20;
    FT_Outline_Get_CBox(&a->glyph->outline, &ba);
    if (FT_Load_Glyph(b, gb, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING)) return 1 << 20;
    FT_Outline_Get_CBox(&b->glyph->outline, &bb);
    return std::max({std::labs(ba.xMin - bb.xMin), std::labs(ba.yMin - bb.yMin), std::labs(ba.xMax - bb.xMax),
                     std::labs(ba.yMax - bb.yMax)});
}

struct KindCase {
    const char* file;
    const char* name;
};

class BuiltFromProgram : public ::testing::TestWithParam<KindCase> {};

}  // namespace

TEST_P(BuiltFromProgram, PassesTheValidatorAndReloadsWithItsGlyphsCmapAndAdvances)
{
    const std::vector<uint8_t> program = ReadFile(GetParam().file);
    ASSERT_FALSE(program.empty()) << GetParam().file;
    const std::u32string text = U"Harmattan fig 09";
    CFontBuildRequest request = RequestFor(program, text);
    // Distinct widths, so a shuffled hmtx shows.
    for (size_t i = 0; i < request.glyphs.size(); ++i) request.glyphs[i].advance = 400 + 10 * double(i);
    // One repeated character would give a duplicate glyph: the builder keeps
    // each request glyph, the cmap the first entry of a code point.
    CBuiltFont built;
    ASSERT_EQ(BuildTrueTypeFont(request, built), FontBuildResult::Built);
    std::string message;
    EXPECT_TRUE(PassesOts(built.data, &message)) << message;

    LoadedFont font(built.data);
    ASSERT_NE(font.Face(), nullptr);
    EXPECT_EQ(font.Face()->num_glyphs, long(text.size() + 1));
    EXPECT_STREQ(font.Face()->family_name, "Test Family");
    const int em = font.Face()->units_per_EM;
    EXPECT_EQ(em, built.unitsPerEm);

    LoadedFont source(program);
    ASSERT_NE(source.Face(), nullptr);
    // Source outlines in the built font's units.
    FT_Set_Char_Size(source.Face(), 0, em * 64, 72, 72);
    for (size_t i = 0; i < text.size(); ++i) {
        const FT_UInt g = FT_Get_Char_Index(font.Face(), text[i]);
        // The first glyph of a repeated character answers for it.
        const size_t first = text.find(text[i]);
        EXPECT_EQ(g, FT_UInt(first + 1)) << "char " << uint32_t(text[i]);
        EXPECT_EQ(font.Advance(g), std::lround((400 + 10 * double(first)) * em / 1000.0));
        if (text[i] == U' ') continue;
        FT_BBox sb{};
        ASSERT_EQ(FT_Load_Glyph(source.Face(), request.glyphs[first].sourceGlyph, FT_LOAD_NO_HINTING), 0);
        FT_Outline_Get_CBox(&source.Face()->glyph->outline, &sb);
        ASSERT_EQ(FT_Load_Glyph(font.Face(), g, FT_LOAD_NO_SCALE), 0);
        FT_BBox bb{};
        FT_Outline_Get_CBox(&font.Face()->glyph->outline, &bb);
        // Control boxes: the quadratic control points lie inside the cubic's
        // hull, within two units of rounding.
        EXPECT_LE(bb.xMin - 2, (sb.xMax + 32) / 64);
        EXPECT_GE(bb.xMin + 2, sb.xMin / 64 - 2) << "char " << uint32_t(text[i]);
        EXPECT_LE(std::labs(bb.yMax - sb.yMax / 64), 3) << "char " << uint32_t(text[i]);
        EXPECT_LE(std::labs(bb.xMax - sb.xMax / 64), 3) << "char " << uint32_t(text[i]);
    }
    EXPECT_EQ(FT_Get_Char_Index(font.Face(), U'Z'), 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BuiltFromProgram,
                         ::testing::Values(KindCase{kTrueTypeFile, "TrueType"}, KindCase{kCffFile, "Cff"},
                                           KindCase{kType1File, "Type1"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FontBuilder, OutlinesStayWithinOneUnitOfTheCubicsTheyReplace)
{
    // Rasterise a big glyph of the CFF program and of its built copy at the
    // same size: their pixels agree except along the edges.
    const std::vector<uint8_t> program = ReadFile(kCffFile);
    CFontBuildRequest request = RequestFor(program, U"@&Sg");
    CBuiltFont built;
    ASSERT_EQ(BuildTrueTypeFont(request, built), FontBuildResult::Built);
    LoadedFont source(program), copy(built.data);
    ASSERT_TRUE(source.Face() && copy.Face());
    for (size_t i = 0; i < request.glyphs.size(); ++i)
        EXPECT_LE(BoxDifference(source.Face(), request.glyphs[i].sourceGlyph, copy.Face(), FT_UInt(i + 1)), 1)
            << "glyph " << i;
}

TEST(FontBuilder, SymbolCodesBeyondTheBasicPlaneGetAFullUnicodeCmap)
{
    const std::vector<uint8_t> program = ReadFile(kSymbolType1File);
    ASSERT_FALSE(program.empty());
    LoadedFont source(program);
    ASSERT_NE(source.Face(), nullptr);
    CFontBuildRequest r;
    r.program = program.data();
    r.programSize = program.size();
    r.familyName = "Symbols PW";
    // alpha by its glyph name; a private-use and a supplementary code point for two more.
    r.glyphs.push_back({FT_Get_Name_Index(source.Face(), const_cast<char*>("alpha")), 631, true});
    r.glyphs.push_back({FT_Get_Name_Index(source.Face(), const_cast<char*>("beta")), 549, true});
    r.glyphs.push_back({FT_Get_Name_Index(source.Face(), const_cast<char*>("gamma")), 411, true});
    r.cmap = {{0x3B1, 0}, {0xF062, 1}, {0x1D6FE, 2}};
    CBuiltFont built;
    ASSERT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Built);
    std::string message;
    EXPECT_TRUE(PassesOts(built.data, &message)) << message;
    LoadedFont font(built.data);
    ASSERT_NE(font.Face(), nullptr);
    EXPECT_EQ(FT_Get_Char_Index(font.Face(), 0x3B1), 1u);
    EXPECT_EQ(FT_Get_Char_Index(font.Face(), 0xF062), 2u);
    // FreeType picks the (3,10) table when the font has one.
    EXPECT_EQ(FT_Get_Char_Index(font.Face(), 0x1D6FE), 3u);
    EXPECT_EQ(font.Advance(3), std::lround(411.0 * built.unitsPerEm / 1000));
}

TEST(FontBuilder, StyleGoesIntoOs2HeadAndTheNames)
{
    const std::vector<uint8_t> program = ReadFile(kTrueTypeFile);
    CFontBuildRequest r = RequestFor(program, U"Ab");
    r.familyName = "Liberation Sans PW1";
    r.bold = true;
    r.italic = true;
    CBuiltFont built;
    ASSERT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Built);
    LoadedFont font(built.data);
    ASSERT_NE(font.Face(), nullptr);
    EXPECT_STREQ(font.Face()->style_name, "Bold Italic");
    EXPECT_EQ(font.Face()->style_flags, FT_Long(FT_STYLE_FLAG_BOLD | FT_STYLE_FLAG_ITALIC));
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(font.Face(), FT_SFNT_OS2));
    ASSERT_NE(os2, nullptr);
    EXPECT_EQ(os2->usWeightClass, 700);
    EXPECT_EQ(os2->fsSelection & 0x21, 0x21);
    const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(font.Face(), FT_SFNT_HEAD));
    EXPECT_EQ(head->Mac_Style, 3);
    // The rights of the program are kept as they are.
    LoadedFont source(program);
    EXPECT_EQ(FT_Get_FSType_Flags(font.Face()), FT_Get_FSType_Flags(source.Face()));
}

TEST(FontBuilder, AnEmptyGlyphListGivesAFontOfNotdefOnly)
{
    const std::vector<uint8_t> program = ReadFile(kTrueTypeFile);
    CFontBuildRequest r = RequestFor(program, U"");
    CBuiltFont built;
    ASSERT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Built);
    EXPECT_TRUE(PassesOts(built.data));
    EXPECT_EQ(built.glyphCount, 1);
}

TEST(FontBuilder, ChecksumsOfEveryTableAndTheWholeFileAddUp)
{
    const std::vector<uint8_t> program = ReadFile(kType1File);
    CBuiltFont built;
    ASSERT_EQ(BuildTrueTypeFont(RequestFor(program, U"Checksum"), built), FontBuildResult::Built);
    const auto& d = built.data;
    auto u32 = [&](size_t at) { return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3]; };
    auto sum = [&](size_t from, size_t len) {
        uint32_t s = 0;
        for (size_t i = 0; i < len; i += 4) {
            uint32_t w = 0;
            for (size_t k = 0; k < 4; ++k) w = w << 8 | (i + k < len ? d[from + i + k] : 0);
            s += w;
        }
        return s;
    };
    ASSERT_EQ(d.size() % 4, 0u);
    const int tables = d[4] << 8 | d[5];
    ASSERT_EQ(tables, 10);
    for (int t = 0; t < tables; ++t) {
        const size_t entry = 12 + 16 * size_t(t);
        const std::string tag(d.begin() + long(entry), d.begin() + long(entry) + 4);
        const uint32_t checksum = u32(entry + 4), offset = u32(entry + 8), length = u32(entry + 12);
        ASSERT_LE(size_t(offset) + length, d.size());
        uint32_t s = sum(offset, length);
        if (tag == "head") s -= u32(offset + 8);
        EXPECT_EQ(s, checksum) << tag;
    }
    EXPECT_EQ(sum(0, d.size()), 0xB1B0AFBAu);
}

TEST(FontBuilder, UnreadableProgramsAndBadRequestsFailCleanly)
{
    CBuiltFont built;
    CFontBuildRequest none;
    EXPECT_EQ(BuildTrueTypeFont(none, built), FontBuildResult::Unreadable);
    const std::vector<uint8_t> junk(4096, 0x5A);
    CFontBuildRequest r = RequestFor(junk, U"");
    EXPECT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Unreadable);
    EXPECT_TRUE(built.data.empty());

    const std::vector<uint8_t> program = ReadFile(kTrueTypeFile);
    r = RequestFor(program, U"a");
    r.glyphs[0].sourceGlyph = 1u << 30;  // no such glyph
    EXPECT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::GlyphMissing);
    r = RequestFor(program, U"a");
    r.cmap.emplace_back(U'b', 7);  // points past the glyphs
    EXPECT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::BadRequest);
    r = RequestFor(program, U"a");
    r.glyphs.resize(kMostBuiltGlyphs);
    EXPECT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::TooManyGlyphs);
    // Absurd widths are clamped, not wrapped.
    r = RequestFor(program, U"ab");
    r.glyphs[0].advance = -500;
    r.glyphs[1].advance = 1e12;
    ASSERT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Built);
    EXPECT_EQ(built.advances[1], 0);
    EXPECT_EQ(built.advances[2], 65535);
}

TEST(FontBuilder, DamagedProgramsEitherFailOrGiveValidFonts)
{
    // Bytes flipped, runs zeroed and tails cut, with a fixed seed: whatever
    // FreeType still reads must come out as a font the validator accepts.
    std::mt19937 random(18);
    int built = 0, failed = 0;
    for (const char* file : {kTrueTypeFile, kCffFile, kType1File}) {
        const std::vector<uint8_t> original = ReadFile(file);
        CFontBuildRequest clean = RequestFor(original, U"Harmattan");
        // With ligatures, one over a stand-in: the GSUB comes through too.
        CBuildGlyph standIn;
        standIn.blank = true;
        standIn.advance = 300;
        clean.glyphs.push_back(standIn);
        clean.cmap.emplace_back(U'f', 9);
        clean.ligatures = {{{9, 5}, 6}, {{5, 6, 7, 8}, 2}};
        for (int round = 0; round < 40; ++round) {
            std::vector<uint8_t> damaged = original;
            switch (round % 3) {
            case 0:
                for (int k = 0; k < 20; ++k) damaged[random() % damaged.size()] ^= uint8_t(1 + random() % 255);
                break;
            case 1: {
                const size_t at = random() % damaged.size();
                std::fill(damaged.begin() + long(at), damaged.begin() + long(std::min(damaged.size(), at + 64)), 0xFF);
                break;
            }
            default: damaged.resize(damaged.size() * (round % 7 + 1) / 8); break;
            }
            CFontBuildRequest r = clean;
            r.program = damaged.data();
            r.programSize = damaged.size();
            CBuiltFont font;
            if (BuildTrueTypeFont(r, font) != FontBuildResult::Built) {
                ++failed;
                continue;
            }
            ++built;
            std::string message;
            EXPECT_TRUE(PassesOts(font.data, &message)) << file << " round " << round << ": " << message;
        }
    }
    // Both outcomes happen, or the damage was not damage.
    EXPECT_GT(built, 0);
    EXPECT_GT(failed, 0);
}

TEST(GlyphOutline, HugeAndOverfullOutlinesAreRefused)
{
    FT_Vector points[4] = {{0, 0}, {64 * 40000, 0}, {64 * 40000, 64 * 100}, {0, 64 * 100}};
    char tags[4] = {FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON};
    short ends[1] = {3};
    FT_Outline outline{};
    outline.n_points = 4;
    outline.n_contours = 1;
    outline.points = points;
    outline.tags = tags;
    outline.contours = ends;
    CQuadGlyph glyph;
    EXPECT_EQ(ConvertOutline(outline, glyph), OutlineResult::OutOfRange);
    points[1].x = points[2].x = 64 * 1000;
    EXPECT_EQ(ConvertOutline(outline, glyph), OutlineResult::Converted);
    EXPECT_EQ(glyph.points.size(), 4u);
    EXPECT_EQ(glyph.xMax, 1000);
    EXPECT_EQ(ConvertOutline(outline, glyph, 3), OutlineResult::TooManyPoints);
}

TEST(GlyphOutline, ACubicBecomesQuadraticsWithinOneUnit)
{
    // A quarter circle of radius 1000 as one cubic: every converted point of
    // the result lies within a unit of the circle (the on-curve ones).
    const double r = 1000, k = 0.5522847498 * r;
    FT_Vector points[4] = {{FT_Pos(r * 64), 0}, {FT_Pos(r * 64), FT_Pos(k * 64)}, {FT_Pos(k * 64), FT_Pos(r * 64)},
                           {0, FT_Pos(r * 64)}};
    char tags[4] = {FT_CURVE_TAG_ON, FT_CURVE_TAG_CUBIC, FT_CURVE_TAG_CUBIC, FT_CURVE_TAG_ON};
    short ends[1] = {3};
    FT_Outline outline{};
    outline.n_points = 4;
    outline.n_contours = 1;
    outline.points = points;
    outline.tags = tags;
    outline.contours = ends;
    CQuadGlyph glyph;
    ASSERT_EQ(ConvertOutline(outline, glyph), OutlineResult::Converted);
    ASSERT_GT(glyph.points.size(), 4u);
    int onCurve = 0;
    for (const CQuadPoint& p : glyph.points) {
        if (!p.onCurve) continue;
        ++onCurve;
        if (p.x == 0 && p.y == 0) continue;  // the contour closes through the centre
        // The cubic itself strays 0.27 units from the true circle.
        EXPECT_NEAR(std::hypot(p.x, p.y), r, 1.0) << p.x << "," << p.y;
    }
    EXPECT_GE(onCurve, 3);
}
