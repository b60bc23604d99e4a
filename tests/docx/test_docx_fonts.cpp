// The PDF's own fonts inside the .docx: built, obfuscated, listed in the font
// table, used by the runs; fonts that may not or cannot go in stay out.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <set>

#include "docx/embedded_fonts.h"
#include "docx_fixture_support.h"
#include "docx_test_support.h"
#include "fonts/font_test_support.h"

using namespace docxtest;

namespace {

struct EmbeddedFont {
    std::string family;
    std::string element;
    std::vector<uint8_t> data;  // de-obfuscated
};

std::vector<EmbeddedFont> FontsOf(const CZipEntries& zip)
{
    std::vector<EmbeddedFont> fonts;
    const std::string* table = zip.Find("word/fontTable.xml");
    const std::string* rels = zip.Find("word/_rels/fontTable.xml.rels");
    if (!table || !rels) return fonts;
    std::map<std::string, std::string> targets;
    const std::regex rel("Id=\"(rId[0-9]+)\"[^>]*Target=\"([^\"]+)\"");
    for (std::sregex_iterator it(rels->begin(), rels->end(), rel), end; it != end; ++it)
        targets[(*it)[1]] = (*it)[2];
    const std::regex font("<w:font w:name=\"([^\"]+)\">(.*?)</w:font>");
    const std::regex embed("<w:(embed[A-Za-z]+) r:id=\"([^\"]+)\" w:fontKey=\"([^\"]+)\"");
    for (std::sregex_iterator it(table->begin(), table->end(), font), end; it != end; ++it) {
        const std::string body = (*it)[2];
        for (std::sregex_iterator e(body.begin(), body.end(), embed); e != end; ++e) {
            const std::string* bytes = zip.Find("word/" + targets[(*e)[2]]);
            if (!bytes) continue;
            EmbeddedFont f{(*it)[1], (*e)[1], std::vector<uint8_t>(bytes->begin(), bytes->end())};
            ObfuscateFont(f.data, (*e)[3]);
            fonts.push_back(std::move(f));
        }
    }
    return fonts;
}

std::string FixturePath() { return std::string(PW_FIXTURE_DIR) + "/embedded_fonts.pdf"; }

}  // namespace

TEST(DocxFonts, EveryKindOfProgramIsEmbeddedValidAndUsedByItsRuns)
{
    const std::string out = MakeTempPath() + ".docx";
    CFixtureRun run;
    run.embedFonts = true;
    ASSERT_EQ(ConvertFixture(FixturePath(), out, run), 0);
    const CZipEntries zip = ReadZip(out);
    ASSERT_TRUE(zip.ok);
    const std::vector<EmbeddedFont> fonts = FontsOf(zip);
    // Type 1, Type1C, symbolic TrueType, CID TrueType, CID CFF; not the
    // restricted TrueType, not the Type 3 font.
    std::set<std::string> prefixes;
    for (const EmbeddedFont& f : fonts) prefixes.insert(f.family.substr(0, f.family.find(' ')));
    EXPECT_EQ(prefixes, (std::set<std::string>{"PwSansType1", "PwSansCff", "PwSerifSymbolic", "PwSerifCid",
                                               "PwSansCidCff"}));
    const std::string document = *zip.Find("word/document.xml");
    for (const EmbeddedFont& f : fonts) {
        SCOPED_TRACE(f.family);
        EXPECT_EQ(f.element, "embedRegular");
        std::string message;
        EXPECT_TRUE(fonttest::PassesOts(f.data, &message)) << message;
        fonttest::LoadedFont loaded(f.data);
        ASSERT_NE(loaded.Face(), nullptr);
        EXPECT_EQ(f.family, loaded.Face()->family_name);
        // Only the glyphs the page uses: "Harmattan fig" has 9 letters and a blank.
        EXPECT_LE(loaded.Face()->num_glyphs, 16);
        for (char32_t c : std::u32string(U"Hamtnfig ")) EXPECT_NE(FT_Get_Char_Index(loaded.Face(), c), 0u) << char(c);
        // Advances are the PDF's widths (600 thousandths).
        const FT_UInt h = FT_Get_Char_Index(loaded.Face(), 'H');
        EXPECT_EQ(loaded.Advance(h), std::lround(600.0 * loaded.Face()->units_per_EM / 1000));
        EXPECT_NE(document.find("w:ascii=\"" + f.family + "\""), std::string::npos);
    }
    EXPECT_EQ(document.find("PwSerifRestricted"), std::string::npos);
    EXPECT_NE(zip.Find("word/settings.xml")->find("<w:embedTrueTypeFonts/><w:saveSubsetFonts/>"), std::string::npos);
    EXPECT_NE(zip.Find("[Content_Types].xml")->find("obfuscatedFont"), std::string::npos);
    // The ligature keeps its letters (shown by the font's own f and i); the
    // CID TrueType line's "H", which its ToUnicode forgets, comes from the program.
    int status = 0;
    const std::string text = PythonDocxParagraphs(out, status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(text.find("field"), std::string::npos) << text;
    EXPECT_EQ(Count(text, "Harmattan fig"), 6u) << text;
    std::remove(out.c_str());
}

TEST(DocxFonts, WithoutEmbeddingThePackageHasNoFontsAndTheRunsTheirFaces)
{
    const std::string out = MakeTempPath() + ".docx";
    ASSERT_EQ(ConvertFixture(FixturePath(), out, CFixtureRun{}), 0);
    const CZipEntries zip = ReadZip(out);
    ASSERT_TRUE(zip.ok);
    for (const auto& [name, data] : zip.entries) EXPECT_EQ(name.find("word/fonts/"), std::string::npos) << name;
    EXPECT_EQ(zip.Find("word/settings.xml")->find("embedTrueTypeFonts"), std::string::npos);
    EXPECT_EQ(zip.Find("word/document.xml")->find("PwSansType1"), std::string::npos);
    std::remove(out.c_str());
}

TEST(DocxFonts, KeysAreUpperCaseGuidsAndObfuscationUndoesItself)
{
    const std::string key = FontKeyFromSeed(18);
    EXPECT_TRUE(std::regex_match(key, std::regex("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}")))
        << key;
    EXPECT_NE(FontKeyFromSeed(19), key);
    std::vector<uint8_t> font(64);
    for (size_t i = 0; i < font.size(); ++i) font[i] = uint8_t(i);
    std::vector<uint8_t> copy = font;
    ObfuscateFont(copy, "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    // The first byte goes with the key's last pair, the 16th with its first.
    EXPECT_EQ(copy[0], uint8_t(0x00 ^ 0xFF));
    EXPECT_EQ(copy[15], uint8_t(0x0F ^ 0x00));
    EXPECT_EQ(copy[16], uint8_t(0x10 ^ 0xFF));
    EXPECT_EQ(copy[32], font[32]);
    ObfuscateFont(copy, "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    EXPECT_EQ(copy, font);
}
