// The per-font decision: weight and slant in order of trust, the kind of
// face, and the face a font's text gets when its name finds none.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capture/font_style.h"
#include "page/face_kind.h"

namespace {

CFontEvidence Evidence(const std::string& baseFont, int flags = 0)
{
    CFontEvidence e;
    e.facts.baseFont = baseFont;
    e.facts.flags = flags;
    return e;
}

CFontProgramFacts Type1Program(const std::string& weight, double italicAngle = 0)
{
    CFontProgramFacts p;
    p.read = true;
    p.hasPsInfo = true;
    p.psWeight = weight;
    p.psItalicAngle = italicAngle;
    return p;
}

CFontProgramFacts TrueTypeProgram(int weightClass, bool italic = false)
{
    CFontProgramFacts p;
    p.read = true;
    p.hasOs2 = true;
    p.weightClass = weightClass;
    p.widthClass = 5;
    p.os2Italic = italic;
    return p;
}

std::vector<unsigned char> FileBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), {});
}

}  // namespace

TEST(NameConventions, WeightAndSlantWordsOfCommonFoundries)
{
    struct Case {
        const char* name;
        int weight;
        bool italic;
    };
    const Case cases[] = {
        {"NimbusRomNo9L-Medi", 700, false},       {"NimbusRomNo9L-ReguItal", 0, true},
        {"NimbusRomNo9L-MediItal", 700, true},    {"Garamond-Medium", 0, false},
        {"MyriadPro-BoldIt", 700, true},          {"MinionPro-It", 0, true},
        {"MinionPro-Semibold", 600, false},       {"SourceSansPro-SemiBold", 600, false},
        {"HelveticaNeueLTStd-Bd", 700, false},    {"HelveticaNeueLTStd-BdIt", 700, true},
        {"Frutiger-Black", 900, false},           {"Univers-ExtraBold", 800, false},
        {"Futura-Heavy", 800, false},             {"URWBookmanL-DemiBold", 600, false},
        {"Helvetica-Oblique", 0, true},           {"Foo-Slanted", 0, true},
        {"ABCDEF+CMBX12", 700, false},            {"CMB10", 700, false},
        {"CMTI10", 0, true},                      {"CMSL10", 0, true},
        {"CMBXTI10", 700, true},                  {"CMR10", 0, false},
        {"CMTT10", 0, false},                     {"CMSS10", 0, false},
        {"SFBX1200", 700, false},                 {"SFTI1000", 0, true},
        {"LinLibertineTB", 700, false},           {"LinLibertineTI", 0, true},
        {"LinLibertineTBI", 700, true},           {"LinLibertineTZ", 600, false},
        {"LinLibertineT", 0, false},              {"LinBiolinumTB", 700, false},
        {"SourceSansPro-Light", 0, false},        {"Times-Roman", 0, false},
        {"ArialMT-Title", 0, false},              {"Kursiv-Text", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CNameStyle style = NameConventions(c.name);
        EXPECT_EQ(style.weight, c.weight);
        EXPECT_EQ(style.italic, c.italic);
    }
}

TEST(FontStyle, TheNameRulesComeFirstAndKeepTheirValues)
{
    CFontEvidence e = Evidence("Tahoma", 0x40000 | 0x40);
    e.program = TrueTypeProgram(400);  // the program says regular: the flags still hold
    const CFontStyle s = DecideFontStyle(&e);
    EXPECT_EQ(s.bold, 0x40000);
    EXPECT_EQ(s.italic, 0x40);
    EXPECT_EQ(s.weightSource, StyleSource::NameRules);

    const CFontStyle named = DecideFontStyle(&(e = Evidence("Verdana-BoldItalic")));
    EXPECT_EQ(named.bold, 1);
    EXPECT_EQ(named.italic, 1);
    EXPECT_EQ(named.weight, 700);
}

TEST(FontStyle, ProgramThenDescriptorThenNameConventions)
{
    // A Type 1 whose only weight hint is its FontInfo.
    CFontEvidence e = Evidence("ABCDEF+Xyzzy");
    e.program = Type1Program("Bold");
    CFontStyle s = DecideFontStyle(&e);
    EXPECT_EQ(s.bold, 1);
    EXPECT_EQ(s.weight, 700);
    EXPECT_EQ(s.weightSource, StyleSource::Program);
    EXPECT_EQ(s.slantSource, StyleSource::Program);
    EXPECT_EQ(s.italic, 0);

    // A TrueType whose only hint is usWeightClass; semibold counts as bold.
    e.program = TrueTypeProgram(600);
    s = DecideFontStyle(&e);
    EXPECT_EQ(s.bold, 1);
    EXPECT_EQ(s.weight, 600);

    // The program outranks the name's conventions: URW's medium Chancery is its regular.
    e = Evidence("URWChanceryL-MediItal");
    e.program = Type1Program("Medium", -14);
    s = DecideFontStyle(&e);
    EXPECT_EQ(s.bold, 0);
    EXPECT_EQ(s.italic, 1);
    EXPECT_EQ(s.weight, 500);

    // Without a program: the descriptor's FontWeight, then its ItalicAngle.
    e = Evidence("Xyzzy");
    e.descriptorWeight = 700;
    e.hasItalicAngle = true;
    e.italicAngle = -12;
    s = DecideFontStyle(&e);
    EXPECT_EQ(s.bold, 1);
    EXPECT_EQ(s.weightSource, StyleSource::Descriptor);
    EXPECT_EQ(s.italic, 1);
    EXPECT_EQ(s.slantSource, StyleSource::Descriptor);

    // An upright angle in the descriptor leaves the name's word in charge.
    e = Evidence("MinionPro-SemiboldIt");
    e.hasItalicAngle = true;
    s = DecideFontStyle(&e);
    EXPECT_EQ(s.bold, 1);
    EXPECT_EQ(s.italic, 1);
    EXPECT_EQ(s.slantSource, StyleSource::NameConvention);

    // Nothing at all: regular and upright.
    s = DecideFontStyle(&(e = Evidence("Xyzzy")));
    EXPECT_EQ(s.bold, 0);
    EXPECT_EQ(s.italic, 0);
    EXPECT_EQ(s.weight, 400);
    EXPECT_EQ(s.weightSource, StyleSource::None);
}

TEST(FontStyle, MathSymbolFontsKeepNoSlantFromTheirAngle)
{
    CFontEvidence symbols = Evidence("ABCDEF+CMSY10", 4);
    symbols.program = Type1Program("Medium", -14);
    EXPECT_EQ(DecideFontStyle(&symbols).italic, 0);
    CFontEvidence letters = Evidence("ABCDEF+CMMI10", 4);
    letters.program = Type1Program("Medium", -14);
    EXPECT_EQ(DecideFontStyle(&letters).italic, 1);
}

TEST(FontStyle, FacesOfKnownFamiliesAreFacesWordUsersHave)
{
    struct Case {
        const char* name;
        const char* face;
        FaceClass faceClass;
    };
    const Case cases[] = {
        {"ABCDEF+CMR10", "Times New Roman", FaceClass::Roman},
        {"ABCDEF+CMTT12", "Courier New", FaceClass::Modern},
        {"ABCDEF+CMSS10", "Arial", FaceClass::Swiss},
        {"LMRoman10-Regular", "Times New Roman", FaceClass::Roman},
        {"NimbusRomNo9L-Regu", "Times New Roman", FaceClass::Roman},
        {"NimbusSanL-Bold", "Arial", FaceClass::Swiss},
        {"NimbusMonL-Regu", "Courier New", FaceClass::Modern},
        {"URWPalladioL-Roma", "Palatino Linotype", FaceClass::Roman},
        {"Palatino-Roman", "Palatino Linotype", FaceClass::Roman},
        {"URWBookmanL-Ligh", "Bookman Old Style", FaceClass::Roman},
        {"CenturySchL-Roma", "Century Schoolbook", FaceClass::Roman},
        {"URWGothicL-Book", "Century Gothic", FaceClass::Swiss},
        {"URWChanceryL-MediItal", "Monotype Corsiva", FaceClass::Script},
        {"AGaramondPro-Regular", "Palatino Linotype", FaceClass::Roman},
        {"LinLibertineT", "Times New Roman", FaceClass::Roman},
        {"LinBiolinumTB", "Calibri", FaceClass::Swiss},
        {"MinionPro-Regular", "Times New Roman", FaceClass::Roman},
        {"MyriadPro-Regular", "Calibri", FaceClass::Swiss},
        {"SourceSerifPro-Regular", "Cambria", FaceClass::Roman},
        {"DejaVuSansMono", "Consolas", FaceClass::Modern},
        {"DejaVuSans-Bold", "Verdana", FaceClass::Swiss},
        {"NotoSansCJKjp-Regular", "MS Gothic", FaceClass::Swiss},
        {"ABCDEF+SimSun", "SimSun", FaceClass::Roman},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFontEvidence e = Evidence(c.name);
        const CFontStyle s = DecideFontStyle(&e);
        EXPECT_EQ(s.fallbackFace, c.face);
        EXPECT_EQ(s.fallbackReason, FaceReason::FamilyTable);
        EXPECT_EQ(s.faceClass, c.faceClass);
    }
}

TEST(FontStyle, UnknownFamiliesTakeTheFaceOfTheirClass)
{
    struct Case {
        int flags;
        const char* face;
    };
    // Serif, fixed pitch, script flags; "nonsymbolic" alone means sans;
    // TeX's "symbolic" alone says nothing and reads as serif.
    const Case cases[] = {{0x2 | 0x20, "Times New Roman"}, {0x1 | 0x20, "Courier New"}, {0x8 | 0x20, "Monotype Corsiva"},
                          {0x20, "Arial"},                {0x4, "Times New Roman"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        CFontEvidence e = Evidence("ABCDEF+Qwertz", c.flags);
        const CFontStyle s = DecideFontStyle(&e);
        EXPECT_EQ(s.fallbackFace, c.face);
        EXPECT_EQ(s.fallbackReason, FaceReason::Class);
    }
    // The program's own classification: OS/2 family class, then PANOSE.
    CFontEvidence e = Evidence("Qwertz", 0x4);
    e.program = TrueTypeProgram(400);
    e.program.familyClass = 8;
    EXPECT_EQ(DecideFontStyle(&e).fallbackFace, "Arial");
    e.program.familyClass = 0;
    e.program.panose = "020B0604020202020204";
    EXPECT_EQ(DecideFontStyle(&e).fallbackFace, "Arial");
    e.program.panose = "02020603050405020304";
    EXPECT_EQ(DecideFontStyle(&e).fallbackFace, "Times New Roman");
    e.program.fixedWidth = true;
    EXPECT_EQ(DecideFontStyle(&e).fallbackFace, "Courier New");
    // The words of the name when nothing else tells.
    e = Evidence("Qwertz-SansBold", 0x4);
    EXPECT_EQ(DecideFontStyle(&e).faceClass, FaceClass::Swiss);
}

TEST(FontStyle, OnlyCondensedFontsGetTheNarrowFace)
{
    CFontEvidence e = Evidence("Qwertz", 0x20);
    e.stretch = 3;  // Condensed
    EXPECT_EQ(DecideFontStyle(&e).fallbackFace, "Arial Narrow");
    EXPECT_EQ(DecideFontStyle(&e).fallbackReason, FaceReason::Narrow);
    e.stretch = 5;
    e.program = TrueTypeProgram(400);
    e.program.widthClass = 3;
    EXPECT_EQ(DecideFontStyle(&e).fallbackFace, "Arial Narrow");
    e = Evidence("HelveticaNeueLTStd-BdCn");
    EXPECT_EQ(DecideFontStyle(&e).fallbackFace, "Arial Narrow");
    e = Evidence("NimbusSanL-ReguCond");
    EXPECT_EQ(DecideFontStyle(&e).fallbackFace, "Arial Narrow");
    e = Evidence("Qwertz-Regular", 0x2);
    EXPECT_EQ(DecideFontStyle(&e).fallbackFace, "Times New Roman");
}

TEST(FontStyle, NoFontIsCourierLikeTheNameRules)
{
    const CFontStyle s = DecideFontStyle(nullptr);
    EXPECT_EQ(s.cleaned.workingName, "Courier");
    EXPECT_EQ(s.fallbackFace, "Courier New");
    EXPECT_EQ(s.bold, 0);
}

TEST(FontProgram, FreeTypeReadsWeightSlantAndClassOfRealFonts)
{
    const std::vector<unsigned char> bold = FileBytes("/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf");
    ASSERT_FALSE(bold.empty());
    const CFontProgramFacts tt = ReadFontProgram(bold.data(), bold.size());
    EXPECT_TRUE(tt.read);
    EXPECT_TRUE(tt.hasOs2);
    EXPECT_EQ(tt.weightClass, 700);
    EXPECT_FALSE(tt.os2Italic);
    EXPECT_EQ(tt.panose.substr(0, 4), "020B");  // a sans face

    const std::vector<unsigned char> italic = FileBytes("/usr/share/fonts/type1/urw-base35/NimbusRoman-Italic.t1");
    ASSERT_FALSE(italic.empty());
    const CFontProgramFacts t1 = ReadFontProgram(italic.data(), italic.size());
    EXPECT_TRUE(t1.hasPsInfo);
    EXPECT_FALSE(t1.hasOs2);
    EXPECT_LT(t1.psItalicAngle, -1);
    EXPECT_EQ(WeightOfWord(t1.psWeight), 400);

    const unsigned char junk[] = "not a font";
    EXPECT_FALSE(ReadFontProgram(junk, sizeof junk).read);
    EXPECT_FALSE(ReadFontProgram(nullptr, 0).read);
}

TEST(FaceKind, WordFacesAndTheirStandIns)
{
    CFaceKind k = FaceKindOf("Times New Roman");
    EXPECT_EQ(k.faceClass, FaceClass::Roman);
    EXPECT_EQ(k.pitch, 2);
    EXPECT_EQ(k.altName, "Liberation Serif");
    EXPECT_EQ(k.panose, "02020603050405020304");
    k = FaceKindOf("Courier New");
    EXPECT_EQ(k.faceClass, FaceClass::Modern);
    EXPECT_EQ(k.pitch, 1);
    // A free face found on this machine names the Word face for it.
    k = FaceKindOf("Nimbus Sans");
    EXPECT_EQ(k.faceClass, FaceClass::Swiss);
    EXPECT_EQ(k.altName, "Arial");
    EXPECT_EQ(FaceKindOf("Helvetica").altName, "Arial");
    EXPECT_EQ(FaceKindOf("Some Mono Face").faceClass, FaceClass::Modern);
    EXPECT_EQ(FaceKindOf("Some Mono Face").pitch, 1);
    k = FaceKindOf("Qwertz");
    EXPECT_EQ(k.faceClass, FaceClass::Unknown);
    EXPECT_EQ(k.pitch, 0);
    EXPECT_EQ(k.altName, "");
    EXPECT_STREQ(RtfFamilyWord(FaceClass::Unknown), "nil");
    EXPECT_STREQ(DocxFamilyValue(FaceClass::Decor), "decorative");
}
