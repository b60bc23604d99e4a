// The converter's command line, run as a child process: exit codes, the
// office step through LibreOffice, bad environments, Ctrl-C and passwords.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli_process.h"
#include "conversion/conversion_worker.h"
#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = PW_CLI_PATH;

std::string FreshFolder()
{
    std::string pattern = "/tmp/pw-cli-XXXXXX";
    return mkdtemp(pattern.data());
}

bool HaveSoffice()
{
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

bool IsWordDocument(const std::string& path)
{
    const std::string head = ReadWholeFile(path).substr(0, 4);
    return head == "\xD0\xCF\x11\xE0";
}

size_t FilesIn(const std::string& folder)
{
    size_t n = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator(); ++it)
        n += it->is_regular_file() ? 1 : 0;
    return n;
}

class CliConvertTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        out = FreshFolder();
        temp = FreshFolder();
        subfolder = DatedSubfolder(out, std::time(nullptr));
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(out, ec);
        fs::remove_all(temp, ec);
    }
    // The command line with a private temporary folder.
    std::string Cli(const std::string& args) const
    {
        return "env TMPDIR=" + Quoted(temp) + " " + Quoted(kCli) + " " + args + " -o " + Quoted(out);
    }

    std::string out, temp, subfolder;
};

} // namespace

TEST(CliUsage, HelpVersionAndUsageErrors)
{
    ShellResult help = RunShell(Quoted(kCli) + " --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: paperwell-cli"), std::string::npos);
    ShellResult version = RunShell(Quoted(kCli) + " --version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("paperwell-cli ", 0), 0u);
    EXPECT_EQ(RunShell(Quoted(kCli)).exitCode, 2);
    EXPECT_EQ(RunShell(Quoted(kCli) + " --bogus a.pdf").exitCode, 2);
    EXPECT_EQ(RunShell(Quoted(kCli) + " --pages five a.pdf").exitCode, 2);
    EXPECT_EQ(RunShell(Quoted(kCli) + " --format odt a.pdf").exitCode, 2);
}

TEST_F(CliConvertTest, BatchBecomesWordDocumentsWithTextAndPageSizes)
{
    if (!HaveSoffice())
        GTEST_SKIP() << "LibreOffice is not installed";
    const ShellResult run = RunShell(Cli(Quoted(FixturePath("sample.pdf")) + " " + Quoted(FixturePath("base14.pdf")) +
                                         " " + Quoted(FixturePath("page_sizes.pdf"))));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Total 3 files were converted successfully."), std::string::npos) << run.out;

    for (const char* name : {"sample", "base14", "page_sizes"})
        ASSERT_TRUE(IsWordDocument(subfolder + "/" + name + ".doc")) << name;

    // Read the documents back with LibreOffice and compare with the PDFs.
    const std::string profile = "file://" + out + "/lo-profile";
    const ShellResult back = RunShell("cd " + Quoted(subfolder) + " && soffice -env:UserInstallation=" + profile +
                                      " --headless --convert-to pdf sample.doc base14.doc page_sizes.doc");
    ASSERT_TRUE(fs::exists(subfolder + "/sample.pdf")) << back.out << back.err;

    const ShellResult sampleText = RunShell("pdftotext -layout " + Quoted(subfolder + "/sample.pdf") + " -");
    for (const char* word : {"Field", "Report", "Northern", "Valley", "footpaths", "survey"})
        EXPECT_NE(sampleText.out.find(word), std::string::npos) << word;
    const ShellResult secondPage =
        RunShell("pdftotext -f 2 -l 2 " + Quoted(subfolder + "/sample.pdf") + " - | wc -w");
    EXPECT_GT(std::stoi(secondPage.out), 20);

    // Pages keep their count and size (the writer adds 2.5 x 5 points); the
    // oversized fourth page is rendered smaller on purpose.
    const ShellResult sizes = RunShell("pdfinfo -f 1 -l 4 " + Quoted(subfolder + "/page_sizes.pdf") + " | grep 'size:'");
    const ShellResult originals = RunShell("pdfinfo -f 1 -l 4 " + Quoted(FixturePath("page_sizes.pdf")) + " | grep 'size:'");
    std::istringstream got(sizes.out), want(originals.out);
    std::string gotLine, wantLine;
    int page = 0;
    while (std::getline(want, wantLine) && std::getline(got, gotLine) && ++page < 4) {
        double w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        ASSERT_EQ(std::sscanf(wantLine.c_str() + wantLine.find(':') + 1, "%lf x %lf", &w1, &h1), 2) << wantLine;
        ASSERT_EQ(std::sscanf(gotLine.c_str() + gotLine.find(':') + 1, "%lf x %lf", &w2, &h2), 2) << gotLine;
        EXPECT_NEAR(w2, w1 + 2.5, 1.0) << page;
        EXPECT_NEAR(h2, h1 + 5.0, 1.0) << page;
    }
    EXPECT_EQ(page, 4);
    EXPECT_EQ(FilesIn(temp), 0u);
}

TEST_F(CliConvertTest, WithoutAnOfficeSuiteTheRtfIsStoredUnderDoc)
{
    fs::create_directories(subfolder);
    std::ofstream(subfolder + "/base14.doc") << "keep me";
    const ShellResult run = RunShell("PW_SOFFICE= " + Cli(Quoted(FixturePath("base14.pdf"))));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(ReadWholeFile(subfolder + "/base14.doc"), "keep me");
    const std::string stored = ReadWholeFile(subfolder + "/base14(1).doc");
    EXPECT_EQ(stored.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(run.out.find("base14.pdf :Saved as " + subfolder + "/base14(1).doc"), std::string::npos) << run.out;
}

TEST_F(CliConvertTest, RtfFormatAndFailuresGiveExitOne)
{
    const ShellResult run =
        RunShell(Cli("--format rtf " + Quoted(FixturePath("damaged.pdf")) + " " + Quoted(FixturePath("base14.pdf"))));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("damaged.pdf :Error - Cannot open PDF file."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Some error occurred."), std::string::npos);
    EXPECT_TRUE(fs::exists(subfolder + "/base14.rtf"));
}

TEST_F(CliConvertTest, UnusableTemporaryFolder)
{
    // A file where the temporary folder should be: nothing can be made in it.
    const ShellResult run = RunShell("TMPDIR=/etc/passwd " + Quoted(kCli) + " --format rtf " +
                                     Quoted(FixturePath("base14.pdf")) + " -o " + Quoted(out));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("Error : Cannot create temporary file."), std::string::npos) << run.out << run.err;
    EXPECT_FALSE(fs::exists(subfolder + "/base14.rtf"));
}

TEST_F(CliConvertTest, WriteFailureInTheMiddleOfAFile)
{
    // A file-size limit lets the first pages through and fails a later write.
    const ShellResult run = RunShell("trap '' XFSZ; ulimit -f 400; " +
                                     Cli("--format rtf " + Quoted(FixturePath("dense_text.pdf"))));
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("dense_text.pdf :Error - File too large"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(subfolder + "/dense_text.rtf"));
    EXPECT_EQ(FilesIn(temp), 0u);
}

TEST_F(CliConvertTest, CtrlCStopsAtTheNextPage)
{
    std::string inputs;
    for (int i = 0; i < 8; ++i) {
        const std::string copy = temp + "/../" + fs::path(temp).filename().string() + "-in" + std::to_string(i) + ".pdf";
        fs::copy_file(FixturePath("dense_text.pdf"), copy, fs::copy_options::overwrite_existing);
        inputs += " " + Quoted(copy);
    }
    TerminalChild child(Cli("--format rtf" + inputs));
    ASSERT_TRUE(child.WaitFor(":Saved as ")) << child.Seen();
    child.Interrupt();
    ASSERT_TRUE(child.WaitFor("Stopped.")) << child.Seen();
    EXPECT_EQ(child.Wait(), 1);
    EXPECT_LT(FilesIn(subfolder), 8u);
    EXPECT_GE(FilesIn(subfolder), 1u);
    EXPECT_EQ(FilesIn(temp), 0u);
    for (int i = 0; i < 8; ++i)
        fs::remove(temp + "/../" + fs::path(temp).filename().string() + "-in" + std::to_string(i) + ".pdf");
}

TEST_F(CliConvertTest, PasswordAskedOnTheTerminalWithoutEcho)
{
    TerminalChild child(Cli("--format rtf " + Quoted(FixturePath("encrypted.pdf"))));
    ASSERT_TRUE(child.WaitFor("Trying password for 1st of 5 times.")) << child.Seen();
    child.Type("hunter2\n");
    ASSERT_TRUE(child.WaitFor("Trying password for 2nd of 5 times.")) << child.Seen();
    child.Type("secret\n");
    EXPECT_EQ(child.Wait(), 0) << child.Seen();
    EXPECT_EQ(child.Seen().find("hunter2"), std::string::npos);
    EXPECT_EQ(child.Seen().find("secret"), std::string::npos);
    EXPECT_TRUE(fs::exists(subfolder + "/encrypted.rtf"));
}

TEST_F(CliConvertTest, PasswordOptionAndNoTerminal)
{
    const ShellResult right = RunShell(Cli("--format rtf --password secret " + Quoted(FixturePath("encrypted.pdf"))));
    EXPECT_EQ(right.exitCode, 0) << right.out << right.err;
    // Without a terminal a wrong password cannot be asked again.
    const ShellResult wrong =
        RunShell("setsid -w sh -c " + Quoted(Cli("--format rtf --password nope " + Quoted(FixturePath("encrypted.pdf")))));
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.out.find("encrypted.pdf :Error - Cannot open PDF file."), std::string::npos) << wrong.out;
}

namespace {

struct WordBox {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// The box of each word of page 1, as pdftotext reads it.
std::map<std::string, WordBox> WordBoxes(const std::string& pdf)
{
    std::map<std::string, WordBox> boxes;
    const ShellResult bbox = RunShell("pdftotext -f 1 -l 1 -bbox " + Quoted(pdf) + " -");
    std::istringstream lines(bbox.out);
    std::string line;
    while (std::getline(lines, line)) {
        WordBox b;
        char word[64] = {};
        if (std::sscanf(line.c_str(), " <word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\">%63[^<]", &b.xMin,
                        &b.yMin, &b.xMax, &b.yMax, word) == 5)
            boxes.emplace(word, b);
    }
    return boxes;
}

}  // namespace

// Vertical text goes into text boxes. Read back from the stored .doc, no box
// has a border and the bottom-to-top box stands where its text stood in the
// PDF (LibreOffice's .doc round trip draws a black line around every box and
// moves bottom-to-top ones up by their length less their width otherwise).
TEST_F(CliConvertTest, TextBoxesComeBackWithoutBorderAndInPlace)
{
    if (!HaveSoffice())
        GTEST_SKIP() << "LibreOffice is not installed";
    const ShellResult run = RunShell(Cli(Quoted(FixturePath("rotation.pdf"))));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    ASSERT_TRUE(IsWordDocument(subfolder + "/rotation.doc"));

    const std::string profile = "file://" + out + "/lo-profile";
    const ShellResult back = RunShell("cd " + Quoted(subfolder) + " && soffice -env:UserInstallation=" + profile +
                                      " --headless --convert-to pdf rotation.doc && soffice -env:UserInstallation=" +
                                      profile + " --headless --convert-to fodt rotation.doc");
    ASSERT_TRUE(fs::exists(subfolder + "/rotation.pdf")) << back.out << back.err;
    const std::string flat = ReadWholeFile(subfolder + "/rotation.fodt");
    ASSERT_FALSE(flat.empty()) << back.out << back.err;

    // Every frame and shape of the document (the automatic styles; the
    // built-in "Frame" style keeps its own line, which no box uses).
    const size_t automatic = flat.find("<office:automatic-styles>");
    ASSERT_NE(automatic, std::string::npos);
    const std::string styles = flat.substr(automatic, flat.find("</office:automatic-styles>") - automatic);
    size_t graphicStyles = 0;
    for (size_t at = styles.find("style:family=\"graphic\""); at != std::string::npos;
         at = styles.find("style:family=\"graphic\"", at + 1)) {
        ++graphicStyles;
        const std::string style = styles.substr(at, styles.find("</style:style>", at) - at);
        EXPECT_EQ(style.find("solid #"), std::string::npos) << style;         // fo:border="0.74pt solid #000000"
        EXPECT_EQ(style.find("draw:stroke=\"solid\""), std::string::npos) << style;
    }
    EXPECT_GE(graphicStyles, 3u);  // the picture and the two boxes

    const auto original = WordBoxes(FixturePath("rotation.pdf"));
    const auto readBack = WordBoxes(subfolder + "/rotation.pdf");
    for (const char* word : {"Flat", "Up", "Down"}) {
        ASSERT_TRUE(original.count(word) && readBack.count(word)) << word;
        const WordBox& want = original.at(word);
        const WordBox& got = readBack.at(word);
        // Centres within a few points: the boxes have no inner margins, the
        // glyphs come from other font files.
        EXPECT_NEAR((got.xMin + got.xMax) / 2, (want.xMin + want.xMax) / 2, 8.0) << word;
        EXPECT_NEAR((got.yMin + got.yMax) / 2, (want.yMin + want.yMax) / 2, 10.0) << word;
    }
}
