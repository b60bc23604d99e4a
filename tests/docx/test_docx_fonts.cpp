// The PDF's own fonts inside the .docx: built, obfuscated, listed in the font
// table, used by the runs; fonts that may not or cannot go in stay out.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

namespace {

// Dark pixels of a page rendered at 72 dpi (one pixel a point) inside a box.
int InkIn(const std::string& pgm, double x0, double y0, double x1, double y1)
{
    const std::vector<uint8_t> data = fonttest::ReadFile(pgm);
    int width = 0, height = 0, maxValue = 0, used = 0;
    if (std::sscanf(reinterpret_cast<const char*>(data.data()), "P5 %d %d %d%n", &width, &height, &maxValue, &used) < 3)
        return -1;
    const size_t start = size_t(used) + 1;
    if (data.size() < start + size_t(width) * size_t(height)) return -1;
    int ink = 0;
    for (int y = std::max(0, int(y0)); y < std::min(height, int(y1)); ++y)
        for (int x = std::max(0, int(x0)); x < std::min(width, int(x1)); ++x)
            if (data[start + size_t(y) * size_t(width) + size_t(x)] < 128) ++ink;
    return ink;
}

}  // namespace

TEST(DocxFonts, LigaturesTheSubsetHasNoLettersForAreDrawnThroughItsGsub)
{
    // The ligatures are a font of their own with no f, i or l: the letters
    // get stand-ins, the ligature glyphs are drawn for them.
    const std::string out = MakeTempPath() + ".docx";
    CFixtureRun run;
    run.embedFonts = true;
    ASSERT_EQ(ConvertFixture(std::string(PW_FIXTURE_DIR) + "/ligature_fonts.pdf", out, run), 0);
    const CZipEntries zip = ReadZip(out);
    ASSERT_TRUE(zip.ok);
    int withGsub = 0;
    std::string ligatureFamily;
    for (const EmbeddedFont& f : FontsOf(zip)) {
        SCOPED_TRACE(f.family);
        std::string message;
        EXPECT_TRUE(fonttest::PassesOts(f.data, &message)) << message;
        if (fonttest::SfntTable(f.data, "GSUB").empty()) continue;
        ++withGsub;
        ligatureFamily = f.family;
        fonttest::LoadedFont font(f.data);
        ASSERT_NE(font.Face(), nullptr);
        for (const char32_t* letters : {U"fi", U"fl"}) {
            const uint16_t first = uint16_t(FT_Get_Char_Index(font.Face(), letters[0]));
            const uint16_t second = uint16_t(FT_Get_Char_Index(font.Face(), letters[1]));
            ASSERT_NE(first, 0);
            ASSERT_NE(second, 0);
            const uint16_t ligature = fonttest::LigatureOf(f.data, "latn", {first, second});
            ASSERT_NE(ligature, 0);
            ASSERT_EQ(FT_Load_Glyph(font.Face(), ligature, FT_LOAD_NO_SCALE), 0);
            EXPECT_GT(font.Face()->glyph->outline.n_points, 0);
            // The stand-ins measure what the ligature draws (within rounding).
            EXPECT_NEAR(font.Advance(first) + font.Advance(second), font.Advance(ligature), 2);
        }
    }
    EXPECT_EQ(withGsub, 1);
    int status = 0;
    EXPECT_NE(PythonDocxParagraphs(out, status).find("fiasco flow"), std::string::npos);
    EXPECT_NE(zip.Find("word/document.xml")->find(ligatureFamily), std::string::npos);

    if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
        std::remove(out.c_str());
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    // Read back by LibreOffice: the text is the PDF's, the family is used,
    // and where the ligatures stand there is ink (the stand-ins have none).
    const std::string folder = MakeTempPath() + "-liga";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(out, folder + "/liga.docx");
    RunCommand("cd '" + folder + "' && soffice -env:UserInstallation=file://" + folder +
                   "/profile --headless --convert-to pdf liga.docx >/dev/null 2>&1",
               status);
    const std::string pdf = folder + "/liga.pdf";
    const std::string text = RunCommand("pdftotext '" + pdf + "' - 2>/dev/null", status);
    EXPECT_NE(text.find("fiasco flow"), std::string::npos) << text;
    const std::string fonts = RunCommand("pdffonts '" + pdf + "' 2>/dev/null", status);
    std::string postScript;
    for (char c : ligatureFamily)
        if (c != ' ') postScript.push_back(c);
    EXPECT_NE(fonts.find(postScript), std::string::npos) << postScript << "\n" << fonts;
    // Shaped with the font's ligatures, each ligature is one glyph whose
    // ToUnicode entry holds both letters.
    std::string cmaps = RunCommand(
        "/usr/bin/python3 -c \"import re,sys,zlib\n"
        "d=open(sys.argv[1],'rb').read()\n"
        "for m in re.finditer(rb'stream\\r?\\n', d):\n"
        "  try: print(zlib.decompressobj().decompress(d[m.end():]).decode('latin-1'))\n"
        "  except Exception: pass\" '" + pdf + "'",
        status);
    for (char& ch : cmaps) ch = char(std::tolower((unsigned char)ch));
    EXPECT_NE(cmaps.find("<00660069>"), std::string::npos) << "fi is not one glyph";
    EXPECT_NE(cmaps.find("<0066006c>"), std::string::npos) << "fl is not one glyph";
    RunCommand("pdftoppm -r 72 -gray -f 1 -l 1 '" + pdf + "' '" + folder + "/page' 2>/dev/null", status);
    const std::string boxes = RunCommand("pdftotext -bbox '" + pdf + "' - 2>/dev/null", status);
    std::smatch word;
    for (const char* name : {"fiasco", "flow"}) {
        SCOPED_TRACE(name);
        const std::regex box(std::string("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">") +
                             name + "<");
        ASSERT_TRUE(std::regex_search(boxes, word, box)) << boxes;
        const double x0 = std::stod(word[1]), y0 = std::stod(word[2]), x1 = std::stod(word[3]),
                     y1 = std::stod(word[4]);
        // The ligature is the first of the word's glyphs: its left part.
        const double ligatureEnd = x0 + (x1 - x0) * (name[1] == 'i' ? 0.15 : 0.25);
        EXPECT_GT(InkIn(folder + "/page-1.pgm", x0, y0, ligatureEnd, y1), 20);
    }
    std::filesystem::remove_all(folder);
    std::remove(out.c_str());
}
