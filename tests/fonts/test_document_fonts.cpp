// Where each glyph of a PDF font goes among its embedded families, and the
// text a glyph name stands for.
#include <gtest/gtest.h>

#include <map>

#include "fonts/document_fonts.h"
#include "fonts/font_builder.h"
#include "fonts/glyph_names.h"

namespace {

// A font whose codes 1..9 are usable glyphs 11..19 of width 500 + code.
int UsableFont(CDocumentFonts& fonts, FontEmbedding embedding = FontEmbedding::kEmbeddable)
{
    CDocumentFont f;
    f.pdfName = "CMR10";
    f.embedding = embedding;
    f.programHash = 0xABCDEF;
    for (uint32_t c = 1; c <= 9; ++c) f.codes[c] = CFontCode{10 + c, 500.0 + c, true, true};
    f.codes[20] = CFontCode{0, 500, false, false};  // the .notdef: not usable
    f.available = {{U'f', 5}, {U'i', 6}};
    return fonts.AddFont(std::move(f));
}

char32_t Lookup(const std::string& name)
{
    if (name == "f") return U'f';
    if (name == "i") return U'i';
    if (name == "fi") return 0xFB01;
    if (name == "A") return U'A';
    return 0;
}

}  // namespace

TEST(DocumentFonts, AGlyphWhoseTextIsTakenGoesIntoTheNextFamily)
{
    CDocumentFonts fonts;
    fonts.Reset(true, 7);
    const int font = UsableFont(fonts);
    const int a = fonts.PlaceGlyph(font, 1, U"a");
    EXPECT_EQ(fonts.PlaceGlyph(font, 1, U"a"), a);
    // A small capital "a" (another glyph, same text) cannot share the cmap.
    const int smallCap = fonts.PlaceGlyph(font, 2, U"a");
    EXPECT_NE(smallCap, a);
    EXPECT_EQ(fonts.PlaceGlyph(font, 3, U"b"), a);  // free in the first family
    EXPECT_EQ(fonts.FamilyCount(), 2);
    EXPECT_EQ(fonts.FamilyName(a).substr(0, 6), "CMR10 ");
    EXPECT_EQ(fonts.FamilyName(smallCap), fonts.FamilyName(a) + " 2");
    double advance = 0;
    ASSERT_TRUE(fonts.Advance(smallCap, U'a', advance));
    EXPECT_EQ(advance, 502.0);
    EXPECT_FALSE(fonts.Advance(smallCap, U'b', advance));
    // The salt changes the names: another page range, another subset.
    CDocumentFonts other;
    other.Reset(true, 8);
    const int otherFont = UsableFont(other);
    EXPECT_NE(other.FamilyName(other.PlaceGlyph(otherFont, 1, U"a")), fonts.FamilyName(a));
}

TEST(DocumentFonts, LigaturesUseTheFontsLettersAndStandInsWhereItHasNone)
{
    CDocumentFonts fonts;
    fonts.Reset(true);
    const int font = UsableFont(fonts);
    // "f" and "i" are the font's own: the ligature is shown by them.
    const int fi = fonts.PlaceGlyph(font, 7, U"fi");
    ASSERT_GE(fi, 0);
    double advance = 0;
    EXPECT_TRUE(fonts.Advance(fi, U'f', advance));
    EXPECT_EQ(advance, 505.0);
    EXPECT_TRUE(fonts.Advance(fi, U'i', advance));
    EXPECT_TRUE(fonts.Family(fi).ligatures.empty());
    // No "l": the ligature is drawn for "f" and a stand-in that takes the
    // rest of its width, so the letters measure what it draws.
    EXPECT_EQ(fonts.PlaceGlyph(font, 8, U"fl"), fi);
    ASSERT_TRUE(fonts.Advance(fi, U'l', advance));
    EXPECT_EQ(advance, 508.0 - 505.0);
    // Nothing of "xyz": three equal shares; again: the same family.
    EXPECT_EQ(fonts.PlaceGlyph(font, 3, U"xyz"), fi);
    EXPECT_EQ(fonts.PlaceGlyph(font, 3, U"xyz"), fi);
    ASSERT_TRUE(fonts.Advance(fi, U'y', advance));
    EXPECT_EQ(advance, 503.0 / 3);
    // Another glyph for the same letters cannot share the rule: next family.
    const int second = fonts.PlaceGlyph(font, 9, U"fl");
    EXPECT_GE(second, 0);
    EXPECT_NE(second, fi);
    // Too long a text keeps its face.
    EXPECT_EQ(fonts.PlaceGlyph(font, 4, std::u32string(kMostLigatureLetters + 1, U'q')), -1);

    CFontBuildRequest request;
    fonts.FamilyRequest(fi, request);
    ASSERT_EQ(request.ligatures.size(), 2u);
    // Sorted by text: "fl", then "xyz".
    const CBuildLigature& fl = request.ligatures[0];
    ASSERT_EQ(fl.components.size(), 2u);
    EXPECT_EQ(request.glyphs[fl.glyph].sourceGlyph, 18u);
    EXPECT_EQ(request.glyphs[fl.components[0]].sourceGlyph, 15u);  // the font's "f"
    const CBuildGlyph& l = request.glyphs[fl.components[1]];
    EXPECT_TRUE(l.blank);
    EXPECT_EQ(l.advance, 3.0);
    // Every letter is in the cmap, stand-ins included; the ligatures are not.
    std::map<uint32_t, uint32_t> cmap(request.cmap.begin(), request.cmap.end());
    for (char32_t c : std::u32string(U"filxyz")) EXPECT_TRUE(cmap.count(c)) << char(c);
    EXPECT_EQ(cmap[U'l'], fl.components[1]);
    EXPECT_EQ(request.cmap.size(), 6u);
    EXPECT_EQ(request.ligatures[1].components.size(), 3u);
    // Without ligature shaping the stand-ins still show the ligatures: "l"
    // draws "fl" moved back over the "f", "x" draws "xyz"; "y" and "z" nothing.
    EXPECT_EQ(l.borrowFrom, fl.glyph);
    EXPECT_EQ(l.borrowShift, 505.0);
    const CBuildLigature& xyz = request.ligatures[1];
    EXPECT_EQ(request.glyphs[xyz.components[0]].borrowFrom, xyz.glyph);
    EXPECT_EQ(request.glyphs[xyz.components[0]].borrowShift, 0.0);
    EXPECT_EQ(request.glyphs[xyz.components[1]].borrowFrom, kNoBorrowedGlyph);

    // An "l" of the font's own, met later, shows "fl" by itself: no rule needs it.
    EXPECT_EQ(fonts.PlaceGlyph(font, 2, U"l"), fi);
    ASSERT_TRUE(fonts.Advance(fi, U'l', advance));
    EXPECT_EQ(advance, 502.0);
    fonts.FamilyRequest(fi, request);
    ASSERT_EQ(request.ligatures.size(), 1u);
    EXPECT_EQ(request.ligatures[0].components.size(), 3u);
    cmap = std::map<uint32_t, uint32_t>(request.cmap.begin(), request.cmap.end());
    EXPECT_EQ(request.glyphs[cmap[U'l']].sourceGlyph, 12u);
}

TEST(DocumentFonts, AFamilyTakesSoManyDrawnLigaturesAndNoMore)
{
    CDocumentFonts fonts;
    fonts.Reset(true);
    CDocumentFont f;
    f.pdfName = "Many";
    f.embedding = FontEmbedding::kEmbeddable;
    for (uint32_t c = 1; c <= kMostFamilyLigatures + 1; ++c) f.codes[c] = CFontCode{c, 600, true, true};
    const int font = fonts.AddFont(std::move(f));
    int family = -1;
    for (uint32_t c = 1; c <= kMostFamilyLigatures; ++c) {
        const std::u32string text = {char32_t(0x4E00 + c), char32_t(0x4E00 + c)};
        family = fonts.PlaceGlyph(font, c, text);
        ASSERT_GE(family, 0) << c;
    }
    EXPECT_EQ(fonts.Family(family).ligatures.size(), kMostFamilyLigatures);
    EXPECT_EQ(fonts.PlaceGlyph(font, kMostFamilyLigatures + 1, U"zz"), -1);
}

TEST(DocumentFonts, UnusableGlyphsFontsThatStayOutAndAStoreNotCollectingPlaceNothing)
{
    CDocumentFonts fonts;
    fonts.Reset(true);
    const int font = UsableFont(fonts);
    EXPECT_EQ(fonts.PlaceGlyph(font, 20, U"x"), -1);
    EXPECT_EQ(fonts.PlaceGlyph(font, 99, U"x"), -1);  // never recorded
    EXPECT_EQ(fonts.PlaceGlyph(font, 1, U""), -1);
    const int restricted = UsableFont(fonts, FontEmbedding::kRestricted);
    EXPECT_EQ(fonts.PlaceGlyph(restricted, 1, U"a"), -1);
    CDocumentFonts off;
    off.Reset(false);
    EXPECT_EQ(off.PlaceGlyph(UsableFont(off), 1, U"a"), -1);
    EXPECT_EQ(fonts.FamilyName(-1), "");
}

TEST(GlyphNames, ListNamesLigaturesUniAndUForms)
{
    EXPECT_EQ(TextOfGlyphName("A", Lookup), U"A");
    EXPECT_EQ(TextOfGlyphName("A.sc", Lookup), U"A");
    EXPECT_EQ(TextOfGlyphName("f_i", Lookup), U"fi");
    EXPECT_EQ(TextOfGlyphName("fi", Lookup), U"\uFB01");  // the list's own ligature
    EXPECT_EQ(TextOfGlyphName("t_t", Lookup), U"");         // "t" unknown to this lookup
    EXPECT_EQ(TextOfGlyphName("tt", Lookup), U"tt");        // a bare ligature name
    EXPECT_EQ(TextOfGlyphName("ti", Lookup), U"ti");
    EXPECT_EQ(TextOfGlyphName("uni0074", Lookup), U"t");
    EXPECT_EQ(TextOfGlyphName("uni00660069", Lookup), U"fi");
    EXPECT_EQ(TextOfGlyphName("u1D400", Lookup), U"\U0001D400");
    EXPECT_EQ(TextOfGlyphName("uniD800", Lookup), U"");  // a surrogate is no text
    EXPECT_EQ(TextOfGlyphName("uni00zz", Lookup), U"");
    EXPECT_EQ(TextOfGlyphName("glyph42", Lookup), U"");
    EXPECT_EQ(TextOfGlyphName(".notdef", Lookup), U"");
}
