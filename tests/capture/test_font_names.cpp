// Name cleaning: what a PDF font name becomes before the face lookup.
#include <gtest/gtest.h>

#include <string>

#include "capture/font_names.h"

namespace {

FontFacts Font(const std::string& baseFont, int flags = 0, bool composite = false)
{
    FontFacts f;
    f.baseFont = baseFont;
    f.flags = flags;
    f.composite = composite;
    return f;
}

CleanedFontName Clean(const std::string& baseFont, int flags = 0, bool composite = false)
{
    const FontFacts f = Font(baseFont, flags, composite);
    return CleanFontName(&f);
}

std::string Glyph(std::string name, int nBytes, std::u16string text)
{
    ApplyGlyphFaceRules(name, nBytes, text.c_str());
    return name;
}

}  // namespace

TEST(Base14Substitute, MapsProducerAliasesExactlyWithSpacesIgnored)
{
    EXPECT_STREQ(Base14Substitute("Arial,Bold"), "Helvetica-Bold");
    EXPECT_STREQ(Base14Substitute("TimesNewRoman"), "Times-Roman");
    EXPECT_STREQ(Base14Substitute("Times New Roman"), "Times-Roman");
    EXPECT_STREQ(Base14Substitute("CourierNewPS-BoldItalicMT"), "Courier-BoldOblique");
    EXPECT_STREQ(Base14Substitute("Symbol,Italic"), "Symbol");
    EXPECT_STREQ(Base14Substitute("TimesNewRomanPSMT,BoldItalic"), "Times-BoldItalic");
    // Exact and case-sensitive; the standard names themselves are not keys.
    EXPECT_EQ(Base14Substitute("timesnewroman"), nullptr);
    EXPECT_EQ(Base14Substitute("ArialMT2"), nullptr);
    EXPECT_EQ(Base14Substitute("Helvetica"), nullptr);
    EXPECT_EQ(Base14Substitute(""), nullptr);
}

TEST(CleanFontName, NoFontOrNoNameGivesCourier)
{
    EXPECT_EQ(CleanFontName(nullptr), CleanedFontName{});
    EXPECT_EQ(CleanFontName(nullptr).workingName, "Courier");

    FontFacts unnamed;
    unnamed.flags = kForceBoldFlag | kItalicFlag;
    unnamed.verticalWriting = true;
    const CleanedFontName c = CleanFontName(&unnamed);
    EXPECT_EQ(c.workingName, "Courier");
    EXPECT_EQ(c.bold, kForceBoldFlag);
    EXPECT_EQ(c.italic, kItalicFlag);
    EXPECT_TRUE(c.vertical);
}

TEST(CleanFontName, StandardNamesAndTheirAliases)
{
    EXPECT_EQ(Clean("Times-Roman").workingName, "Times-Roman");
    EXPECT_EQ(Clean("TimesNewRoman").workingName, "Times-Roman");
    EXPECT_EQ(Clean("TimesNewRomanPSMT").workingName, "Times-Roman");

    const CleanedFontName timesBold = Clean("Times-Bold");
    EXPECT_EQ(timesBold.workingName, "Times");
    EXPECT_EQ(timesBold.bold, 1);

    // The oblique standard names carry no style in their names.
    const CleanedFontName oblique = Clean("Helvetica-Oblique");
    EXPECT_EQ(oblique.workingName, "Helvetica-Oblique");
    EXPECT_EQ(oblique.italic, 0);
    EXPECT_EQ(Clean("Arial,BoldItalic").workingName, "Helvetica");
    EXPECT_EQ(Clean("Arial,BoldItalic").italic, 0);

    // Composite fonts keep the name as written.
    EXPECT_EQ(Clean("TimesNewRomanPSMT", 0, true).workingName, "TimesNewRomanPSMT");
}

TEST(CleanFontName, SubsetPrefixIsDroppedAfterTheStyleRules)
{
    const CleanedFontName tahoma = Clean("ABCDEF+Tahoma-Bold");
    EXPECT_EQ(tahoma.workingName, "Tahoma");
    EXPECT_EQ(tahoma.bold, 1);
    EXPECT_EQ(tahoma.italic, 0);

    // The prefix hides the alias, so the name is not substituted.
    EXPECT_EQ(Clean("ABCDEF+TimesNewRomanPSMT").workingName, "TimesNewRomanPSMT");
    EXPECT_EQ(Clean("AB+CD+Face").workingName, "CD+Face");
}

TEST(CleanFontName, ItalicIsCutBeforeBold)
{
    const CleanedFontName both = Clean("Verdana-BoldItalic");
    EXPECT_EQ(both.workingName, "Verdana");
    EXPECT_EQ(both.bold, 1);
    EXPECT_EQ(both.italic, 1);

    EXPECT_EQ(Clean("Verdana,Bold").workingName, "Verdana");
    EXPECT_EQ(Clean("Georgia,Italic").workingName, "Georgia");
    EXPECT_EQ(Clean("Georgia,Italic").italic, 1);
    EXPECT_EQ(Clean("GeorgiaItalicX").workingName, "Georgia");

    const CleanedFontName black = Clean("Arial-Black");
    EXPECT_EQ(black.workingName, "Arial");
    EXPECT_EQ(black.bold, 1);
    // Case-sensitive: "bold" is not a style suffix.
    EXPECT_EQ(Clean("Sembold").workingName, "Sembold");
    EXPECT_EQ(Clean("Sembold").bold, 0);
}

TEST(CleanFontName, BoldFlagValuesTellWhereBoldCameFrom)
{
    EXPECT_EQ(Clean("Frutiger", kForceBoldFlag).bold, kForceBoldFlag);
    EXPECT_EQ(Clean("Frutiger", kItalicFlag).italic, kItalicFlag);
    EXPECT_EQ(Clean("Frutiger-Bold", kForceBoldFlag).bold, 1);
    EXPECT_EQ(Clean("Frutiger", 0x2).bold, 0);

    // The substituted name lost the style, the BaseFont still has it.
    const CleanedFontName symbolBold = Clean("Symbol,Bold");
    EXPECT_EQ(symbolBold.workingName, "Symbol");
    EXPECT_EQ(symbolBold.bold, 1);
}

TEST(CleanFontName, ChineseStandardFacesAreReplaced)
{
    EXPECT_EQ(Clean("STSong-Light").workingName, "SimSun");
    EXPECT_EQ(Clean("ABCDEF+STHeiti").workingName, "SimHei");
    EXPECT_EQ(Clean("STHeiti-Regular").workingName, "SimHei");
    EXPECT_EQ(Clean("STSong-Light", 0, true).workingName, "SimSun");
}

TEST(CleanFontName, LongNamesAreCutToTheBuffer)
{
    const std::string longName(300, 'x');
    EXPECT_EQ(Clean(longName).workingName, std::string(kFontNameBufferSize - 1, 'x'));
    // A style suffix beyond the cut is never seen.
    EXPECT_EQ(Clean(std::string(kFontNameBufferSize - 1, 'y') + "-Bold").bold, 0);
    EXPECT_EQ(Clean(std::string(190, 'y') + "-Bold").bold, 1);
    // The buffers end at an embedded NUL.
    EXPECT_EQ(Clean(std::string("Face\0-Bold", 10)).workingName, "Face");
    EXPECT_EQ(Clean(std::string("Face\0-Bold", 10)).bold, 0);
}

TEST(ApplyGlyphFaceRules, SymbolOutsideItsRangeAndCondensedBecomeNarrow)
{
    EXPECT_EQ(Glyph("Symbol", 1, u"\u03B1"), "Arial Narrow");
    EXPECT_EQ(Glyph("SYMBOL", 1, u"\u00FF"), "Arial Narrow");
    EXPECT_EQ(Glyph("Symbol", 1, u"\u00FE"), "Symbol");
    EXPECT_EQ(Glyph("Symbol", 1, u"a"), "Symbol");
    // A second unit makes the packed value large.
    EXPECT_EQ(Glyph("Symbol", 1, u"ab"), "Arial Narrow");
    // Two-byte codes and empty text keep the face.
    EXPECT_EQ(Glyph("Symbol", 2, u"\u03B1"), "Symbol");
    EXPECT_EQ(Glyph("Symbol", 1, u""), "Symbol");
    // Only the exact name counts as the symbol face.
    EXPECT_EQ(Glyph("SymbolMT", 1, u"\u03B1"), "SymbolMT");

    EXPECT_EQ(Glyph("Helvetica-Condensed", 1, u"a"), "Arial Narrow");
    EXPECT_EQ(Glyph("UniversCONDENSED", 2, u"a"), "Arial Narrow");
    EXPECT_EQ(Glyph("Helvetica", 1, u"a"), "Helvetica");
}

TEST(GlyphFaceRuleOf, DecidedByTheNameAlone)
{
    EXPECT_EQ(GlyphFaceRuleOf("sYmBoL"), GlyphFaceRule::kSymbol);
    EXPECT_EQ(GlyphFaceRuleOf("SymbolMT"), GlyphFaceRule::kKeep);
    EXPECT_EQ(GlyphFaceRuleOf("Futura-CondensedBold"), GlyphFaceRule::kCondensed);
    EXPECT_EQ(GlyphFaceRuleOf("Helvetica"), GlyphFaceRule::kKeep);
    EXPECT_EQ(GlyphFaceRuleOf(""), GlyphFaceRule::kKeep);
    EXPECT_TRUE(GlyphTakesNarrowFace(GlyphFaceRule::kCondensed, 2, u""));
    EXPECT_TRUE(GlyphTakesNarrowFace(GlyphFaceRule::kSymbol, 1, u"\u00FF"));
    EXPECT_FALSE(GlyphTakesNarrowFace(GlyphFaceRule::kSymbol, 1, u"\u00FE"));
    EXPECT_FALSE(GlyphTakesNarrowFace(GlyphFaceRule::kSymbol, 2, u"\u00FF"));
    EXPECT_FALSE(GlyphTakesNarrowFace(GlyphFaceRule::kKeep, 1, u"\u03B1"));
}

TEST(PackFirstUnits, FirstUnitInTheLowHalf)
{
    EXPECT_EQ(PackFirstUnits(u"\u03B1"), 0x03B1u);
    EXPECT_EQ(PackFirstUnits(u"fi"), 0x00690066u);
    EXPECT_EQ(PackFirstUnits(u""), 0u);
    EXPECT_EQ(PackFirstUnits(nullptr), 0u);
}

TEST(CaseInsensitiveHelpers, FoldAsciiOnly)
{
    EXPECT_TRUE(EqualsIgnoringCase("Symbol", "sYMBOL"));
    EXPECT_FALSE(EqualsIgnoringCase("Symbol", "Symbols"));
    EXPECT_TRUE(ContainsIgnoringCase("MySymbolFont", "symbol"));
    EXPECT_FALSE(ContainsIgnoringCase("Sym", "symbol"));
    EXPECT_TRUE(ContainsIgnoringCase("anything", ""));
}
