// Ligatures drawn through a built font's GSUB: stand-ins for the letters a
// program lacks, the rules a shaper finds, and requests of every odd shape.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "fonts/font_builder.h"
#include "fonts/gsub_table.h"
#include "font_test_support.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

using fonttest::LigatureOf;
using fonttest::LoadedFont;
using fonttest::PassesOts;
using fonttest::ReadFile;

namespace {

const char* const kProgram = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

uint32_t SourceGlyph(const std::vector<uint8_t>& program, uint32_t ch)
{
    LoadedFont f(program);
    return f.Face() ? FT_Get_Char_Index(f.Face(), ch) : 0;
}

CBuildGlyph Blank(double advance)
{
    CBuildGlyph g;
    g.blank = true;
    g.advance = advance;
    return g;
}

}  // namespace

TEST(LigatureFonts, LettersTheProgramLacksGetStandInsAndTheLigatureIsDrawnForThem)
{
    const std::vector<uint8_t> program = ReadFile(kProgram);
    ASSERT_FALSE(program.empty());
    CFontBuildRequest r;
    r.program = program.data();
    r.programSize = program.size();
    r.familyName = "Liga Test";
    r.glyphs = {{SourceGlyph(program, 'a'), 556, true},  {SourceGlyph(program, 0xFB01), 500, true},
                Blank(300),                               Blank(200),
                {SourceGlyph(program, 0xFB02), 500, true}, {SourceGlyph(program, 'l'), 222, true}};
    ASSERT_NE(r.glyphs[1].sourceGlyph, 0u);
    r.cmap = {{'a', 0}, {'f', 2}, {'i', 3}, {'l', 5}};
    // fi, fl (with the program's own l), and a longer rule over the same start.
    r.ligatures = {{{2, 3}, 1}, {{2, 5}, 4}, {{2, 2, 3}, 1}};
    CBuiltFont built;
    ASSERT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Built);
    std::string message;
    EXPECT_TRUE(PassesOts(built.data, &message)) << message;
    LoadedFont font(built.data);
    ASSERT_NE(font.Face(), nullptr);
    EXPECT_EQ(font.Face()->num_glyphs, 7);
    // Every letter has a glyph; a stand-in draws nothing and takes its share.
    const FT_UInt f = FT_Get_Char_Index(font.Face(), 'f'), i = FT_Get_Char_Index(font.Face(), 'i'),
                  l = FT_Get_Char_Index(font.Face(), 'l');
    ASSERT_EQ(f, 3u);
    ASSERT_EQ(i, 4u);
    ASSERT_EQ(FT_Load_Glyph(font.Face(), f, FT_LOAD_NO_SCALE), 0);
    EXPECT_EQ(font.Face()->glyph->outline.n_points, 0);
    EXPECT_EQ(font.Advance(f), std::lround(300.0 * font.Face()->units_per_EM / 1000));
    ASSERT_EQ(FT_Load_Glyph(font.Face(), 2, FT_LOAD_NO_SCALE), 0);
    EXPECT_GT(font.Face()->glyph->outline.n_points, 0);  // the ligature itself
    for (const char* script : {"DFLT", "latn"}) {
        SCOPED_TRACE(script);
        size_t length = 0;
        EXPECT_EQ(LigatureOf(built.data, script, {uint16_t(f), uint16_t(i)}, &length), 2);
        EXPECT_EQ(length, 2u);
        EXPECT_EQ(LigatureOf(built.data, script, {uint16_t(f), uint16_t(l)}), 5);
        // The longest rule wins.
        EXPECT_EQ(LigatureOf(built.data, script, {uint16_t(f), uint16_t(f), uint16_t(i)}, &length), 2);
        EXPECT_EQ(length, 3u);
        EXPECT_EQ(LigatureOf(built.data, script, {uint16_t(i), uint16_t(f)}), 0);
    }
    EXPECT_EQ(LigatureOf(built.data, "cyrl", {uint16_t(f), uint16_t(i)}), 0);
    // The stand-in "i" draws the fi ligature moved back over the "f".
    r.glyphs[3].borrowFrom = 1;
    r.glyphs[3].borrowShift = 300;
    ASSERT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Built);
    EXPECT_TRUE(PassesOts(built.data, &message)) << message;
    {
        LoadedFont drawn(built.data);
        ASSERT_NE(drawn.Face(), nullptr);
        const long shift = std::lround(300.0 * drawn.Face()->units_per_EM / 1000);
        FT_BBox ligatureBox{}, standInBox{};
        ASSERT_EQ(FT_Load_Glyph(drawn.Face(), 2, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        FT_Outline_Get_CBox(&drawn.Face()->glyph->outline, &ligatureBox);
        ASSERT_EQ(FT_Load_Glyph(drawn.Face(), i, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        FT_Outline_Get_CBox(&drawn.Face()->glyph->outline, &standInBox);
        EXPECT_EQ(standInBox.xMin, ligatureBox.xMin - shift);
        EXPECT_EQ(standInBox.yMax, ligatureBox.yMax);
        EXPECT_EQ(drawn.Advance(i), std::lround(200.0 * drawn.Face()->units_per_EM / 1000));
    }
    // Borrowing from a stand-in or past the glyphs is refused.
    r.glyphs[3].borrowFrom = 2;
    EXPECT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::BadRequest);
    r.glyphs[3].borrowFrom = 60;
    EXPECT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::BadRequest);
    r.glyphs[3].borrowFrom = 1;
    r.glyphs[3].borrowShift = 1e9;
    EXPECT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::OutlineTooLarge);
    r.glyphs[3] = Blank(200);
    ASSERT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Built);

    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(font.Face(), FT_SFNT_OS2));
    ASSERT_NE(os2, nullptr);
    EXPECT_EQ(os2->usMaxContext, 3);

    // Without ligatures the font has no GSUB at all.
    r.ligatures.clear();
    ASSERT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Built);
    EXPECT_TRUE(fonttest::SfntTable(built.data, "GSUB").empty());
}

TEST(LigatureFonts, RequestsOfEveryShapeFailCleanlyOrGiveValidFonts)
{
    // Random glyph lists with ligatures of up to dozens of components, glyphs
    // repeated, rules colliding with each other and with their own ligature,
    // indices past the list: a font that validates, or a clean refusal.
    const std::vector<uint8_t> program = ReadFile(kProgram);
    ASSERT_FALSE(program.empty());
    std::mt19937 random(1804);
    int built = 0, refused = 0;
    for (int round = 0; round < 48; ++round) {
        CFontBuildRequest r;
        r.program = program.data();
        r.programSize = program.size();
        r.familyName = "Fuzz";
        const uint32_t n = 1 + random() % (round % 4 == 0 ? 400 : 12);
        for (uint32_t g = 0; g < n; ++g) {
            if (random() % 3 == 0)
                r.glyphs.push_back(Blank(double(random() % 1200)));
            else
                r.glyphs.push_back({SourceGlyph(program, 'a' + random() % 26), double(random() % 1200), true});
            r.cmap.emplace_back(0x20 + g, g);
        }
        bool valid = true;
        const int rules = int(random() % 40);
        for (int k = 0; k < rules; ++k) {
            CBuildLigature lig;
            const size_t count = random() % 5 == 0 ? random() % 90 : 2 + random() % 3;
            // One in eight rounds points somewhere past the glyphs.
            const uint32_t range = round % 8 == 7 ? n + 2 : n;
            for (size_t c = 0; c < count; ++c) lig.components.push_back(random() % range);
            lig.glyph = random() % range;
            valid &= count >= 2 && count <= kMostLigatureComponents && lig.glyph < n;
            for (uint32_t c : lig.components) valid &= c < n;
            r.ligatures.push_back(std::move(lig));
        }
        CBuiltFont font;
        const FontBuildResult result = BuildTrueTypeFont(r, font);
        SCOPED_TRACE("round " + std::to_string(round));
        if (!valid) {
            EXPECT_EQ(result, FontBuildResult::BadRequest);
            EXPECT_TRUE(font.data.empty());
            ++refused;
            continue;
        }
        ASSERT_EQ(result, FontBuildResult::Built);
        ++built;
        std::string message;
        EXPECT_TRUE(PassesOts(font.data, &message)) << message;
        LoadedFont loaded(font.data);
        ASSERT_NE(loaded.Face(), nullptr);
        EXPECT_EQ(loaded.Face()->num_glyphs, long(n + 1));
        // Each rule's letters give the first rule's ligature for them.
        std::set<std::vector<uint32_t>> seen;
        for (const CBuildLigature& lig : r.ligatures) {
            if (!seen.insert(lig.components).second) continue;
            std::vector<uint16_t> glyphs;
            for (uint32_t c : lig.components) glyphs.push_back(uint16_t(c + 1));
            size_t length = 0;
            EXPECT_EQ(LigatureOf(font.data, "latn", glyphs, &length), lig.glyph + 1);
            EXPECT_EQ(length, lig.components.size());
        }
    }
    EXPECT_GT(built, 10);
    EXPECT_GT(refused, 3);
}

TEST(LigatureFonts, AbsurdGlyphCountsAndRulesTooManyForTheTable)
{
    const std::vector<uint8_t> program = ReadFile(kProgram);
    ASSERT_FALSE(program.empty());
    CFontBuildRequest r;
    r.program = program.data();
    r.programSize = program.size();
    // As many glyphs as a font may hold (all stand-ins but one), with rules
    // at the top of the glyph range.
    r.glyphs.assign(kMostBuiltGlyphs - 1, Blank(250));
    r.glyphs[0] = {SourceGlyph(program, 'a'), 500, true};
    r.cmap = {{'a', 0}, {'b', uint32_t(r.glyphs.size() - 1)}};
    const uint32_t top = uint32_t(r.glyphs.size() - 1);
    r.ligatures = {{{top, top - 1}, 0}, {{top, top}, top - 2}};
    CBuiltFont built;
    ASSERT_EQ(BuildTrueTypeFont(r, built), FontBuildResult::Built);
    std::string message;
    EXPECT_TRUE(PassesOts(built.data, &message)) << message;
    EXPECT_EQ(LigatureOf(built.data, "DFLT", {uint16_t(top + 1), uint16_t(top)}), 1);

    // Rules whose table would need offsets beyond 16 bits: refused, both as
    // one set of rules and as many sets.
    std::vector<uint8_t> gsub;
    std::vector<CLigatureRule> oneSet, manySets;
    for (uint16_t k = 0; k < 1200; ++k) {
        CLigatureRule rule;
        rule.glyph = 1;
        rule.components.assign(kMostLigatureComponents, uint16_t(1 + k % 100));
        rule.components[1] = k;
        oneSet.push_back(rule);
        rule.components[0] = k;
        manySets.push_back(rule);
    }
    for (auto& rule : oneSet) rule.components[0] = 7;
    EXPECT_EQ(WriteLigatureGsub(oneSet, 2000, gsub), GsubResult::TooLarge);
    EXPECT_EQ(WriteLigatureGsub(manySets, 2000, gsub), GsubResult::TooLarge);
    EXPECT_TRUE(gsub.empty());
    manySets.resize(100);
    EXPECT_EQ(WriteLigatureGsub(manySets, 2000, gsub), GsubResult::Written);
    EXPECT_EQ(WriteLigatureGsub(manySets, 100, gsub), GsubResult::BadRule);  // glyphs past the font's
}
