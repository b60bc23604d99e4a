// Fonts that are not installed keep their weight, slant and kind: in the
// items, in the .docx and RTF runs and font tables, and read back by
// LibreOffice (bold stays bold, serif stays serif).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "cli_process.h"
#include "fixtures.h"
#include "readback.h"

namespace fs = std::filesystem;
using namespace readback;

namespace {

const std::string kCli = PW_CLI_PATH;

struct Expected {
    const char* pdfFont;
    const char* face;
    int bold;
    int italic;
    const char* text;  // the line's first word
};

// One line of font_kinds.pdf each (see fixtures.h).
const Expected kLines[] = {
    {"ABCDEF+Qwertz", "Arial", 1, 0, "Program"},
    {"ABCDEF+Zyxwv", "Arial", 1, 0, "Program"},
    {"Plumbago", "Arial", 0, 1, "Descriptor"},
    {"CMBX12", "Times New Roman", 1, 0, "Computer"},
    {"LinLibertineTI", "Times New Roman", 0, 1, "Libertine"},
    {"LinBiolinumTB", "Calibri", 1, 0, "Biolinum"},
    {"NimbusRomNo9L-Medi", "Times New Roman", 1, 0, "Nimbus"},
    {"CMTT10", "Courier New", 0, 0, "Typewriter"},
    {"URWPalladioL-Roma", "Palatino Linotype", 0, 0, "Palladio"},
    {"Zorblat", "Times New Roman", 0, 0, "Serif"},
    {"Blorf", "Courier New", 0, 0, "Fixed"},
};

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');)
        fields.push_back(field);
    return fields;
}

// The converted documents of font_kinds.pdf in both formats, made once.
std::string ConvertedFolder()
{
    static ScopedTempFolder root{"pw-font-kinds"};
    static std::string folder;
    if (!folder.empty())
        return folder;
    // The faces are what a .docx without the PDF's own fonts shows.
    for (const char* format : {"docx --no-embed-fonts", "rtf"}) {
        const ShellResult run = RunShell(Quoted(kCli) + " -q --format " + format + " " +
                                         Quoted(FixturePath("font_kinds.pdf")) + " -o " + Quoted(root.Path()));
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    }
    for (const auto& entry : fs::directory_iterator(root.Path()))
        if (entry.is_directory())
            folder = entry.path().string();
    return folder;
}

std::string DocumentXml(const std::string& docx)
{
    return RunShell("/usr/bin/python3 -c \"import sys, zipfile; "
                    "sys.stdout.write(zipfile.ZipFile(sys.argv[1]).read('word/document.xml').decode())\" " +
                    Quoted(docx))
        .out;
}

}  // namespace

TEST(FontKinds, EachFontIsDecidedOnceWithItsWeightSlantAndFace)
{
    const ShellResult dump = RunShell(Quoted(kCli) + " --dump-items 1 " + Quoted(FixturePath("font_kinds.pdf")));
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    const size_t table = dump.out.find("\n\nfont\t");
    ASSERT_NE(table, std::string::npos);
    std::istringstream fonts(dump.out.substr(table + 2));
    std::string line;
    std::getline(fonts, line);
    std::map<std::string, std::vector<std::string>> byFont;
    while (std::getline(fonts, line))
        byFont[Fields(line)[0]] = Fields(line);
    EXPECT_EQ(byFont.size(), std::size(kLines));
    for (const Expected& e : kLines) {
        SCOPED_TRACE(e.pdfFont);
        ASSERT_EQ(byFont.count(e.pdfFont), 1u);
        const auto& f = byFont[e.pdfFont];
        EXPECT_EQ(f[2], std::to_string(e.bold));
        EXPECT_EQ(f[3], std::to_string(e.italic));
        EXPECT_EQ(f[7], e.face);
    }
    // The embedded programs are the only source of these two fonts' weight.
    EXPECT_EQ(byFont["ABCDEF+Qwertz"][4], "program");
    EXPECT_EQ(byFont["ABCDEF+Zyxwv"][4], "program");
    EXPECT_EQ(byFont["Plumbago"][5], "descriptor");

    // Every item of a line carries its font's face and style.
    std::istringstream items(dump.out.substr(0, table));
    std::getline(items, line);
    int checked = 0;
    while (std::getline(items, line)) {
        const auto f = Fields(line);
        if (f.size() < 13 || f[12] == " ")
            continue;
        const int row = static_cast<int>((std::stod(f[1]) - 3 - (792 - 740) * 4.0 / 3) / 40 + 0.5);
        ASSERT_GE(row, 0);
        ASSERT_LT(row, static_cast<int>(std::size(kLines)));
        EXPECT_EQ(f[8], kLines[row].face) << line;
        EXPECT_EQ(f[5] != "0", kLines[row].bold != 0) << line;
        EXPECT_EQ(f[6] != "0", kLines[row].italic != 0) << line;
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

TEST(FontKinds, DocxAndRtfRunsAndFontTables)
{
    const std::string folder = ConvertedFolder();
    ASSERT_FALSE(folder.empty());
    const std::string xml = DocumentXml(folder + "/font_kinds.docx");
    ASSERT_FALSE(xml.empty());
    for (const Expected& e : kLines) {
        SCOPED_TRACE(e.pdfFont);
        const size_t at = xml.find(std::string(">") + e.text);
        ASSERT_NE(at, std::string::npos);
        const size_t run = xml.rfind("<w:r>", at);
        const std::string props = xml.substr(run, at - run);
        EXPECT_NE(props.find(std::string("w:ascii=\"") + e.face + "\""), std::string::npos) << props;
        EXPECT_EQ(props.find("<w:b/>") != std::string::npos, e.bold != 0) << props;
        EXPECT_EQ(props.find("<w:i/>") != std::string::npos, e.italic != 0) << props;
        EXPECT_EQ(props.find("Arial Narrow"), std::string::npos);
    }
    const std::string rtf = ReadWholeFile(folder + "/font_kinds.rtf");
    EXPECT_NE(rtf.find("\\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}\\cpg1252 Times New Roman"
                       "{\\*\\falt Liberation Serif};"),
              std::string::npos);
    EXPECT_NE(rtf.find("\\fmodern\\fcharset0\\fprq1{\\*\\panose 02070309020205020404}\\cpg1252 Courier New"),
              std::string::npos);
    EXPECT_NE(rtf.find("\\cpg1252 Palatino Linotype{\\*\\falt P052};"), std::string::npos);
    EXPECT_EQ(rtf.find("Arial Narrow"), std::string::npos);
}

TEST(FontKinds, LibreOfficeReadsBoldAsBoldAndSerifAsSerif)
{
    if (!HaveSoffice())
        GTEST_SKIP() << "LibreOffice is not installed";
    const std::string folder = ConvertedFolder();
    ASSERT_FALSE(folder.empty());
    for (const char* format : {"docx", "rtf"}) {
        SCOPED_TRACE(format);
        ScopedTempFolder profile{"pw-font-kinds-lo"};
        const std::string back = folder + "/" + format;
        fs::create_directories(back);
        fs::copy_file(folder + "/font_kinds." + format, back + "/font_kinds." + format,
                      fs::copy_options::overwrite_existing);
        OfficePdfsOf(back, std::string("font_kinds.") + format, profile.Path());
        const ShellResult fonts = RunShell("pdffonts " + Quoted(back + "/font_kinds.pdf"));
        ASSERT_EQ(fonts.exitCode, 0) << fonts.err;
        // The faces fontconfig serves for what the document names, in the
        // weight and slant the PDF had.
        for (const char* face : {"LiberationSans-Bold", "LiberationSans-Italic", "LiberationSerif-Bold",
                                 "LiberationSerif-Italic", "Carlito-Bold", "LiberationMono", "P052Roman"})
            EXPECT_NE(fonts.out.find(face), std::string::npos) << face << "\n" << fonts.out;
        EXPECT_EQ(fonts.out.find("Narrow"), std::string::npos) << fonts.out;
        EXPECT_EQ(PageCount(back + "/font_kinds.pdf"), 1);
    }
}
