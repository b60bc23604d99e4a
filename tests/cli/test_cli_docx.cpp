// --format docx on the command line: the engine writes the package itself,
// with no office suite anywhere, and stores it like every other format (free
// names, log lines, nothing left in the temporary folder, the same lines for
// bad input).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli_process.h"
#include "conversion/conversion_worker.h"
#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = PW_CLI_PATH;

bool IsZipPackage(const std::string& path) { return ReadWholeFile(path).substr(0, 4) == std::string("PK\x03\x04", 4); }

// The part names of a package, read by Python's own zip reader.
std::set<std::string> PackageParts(const std::string& path)
{
    const ShellResult list = RunShell("python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                                      "assert z.testzip() is None; print(\"\\n\".join(z.namelist()))' " +
                                      Quoted(path));
    std::set<std::string> parts;
    std::istringstream lines(list.out);
    for (std::string line; std::getline(lines, line);)
        parts.insert(line);
    return parts;
}

size_t FilesIn(const std::string& folder)
{
    size_t n = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator(); ++it)
        n += it->is_regular_file() ? 1 : 0;
    return n;
}

class CliDocxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(out.empty());
        ASSERT_FALSE(temp.empty());
        fs::create_directories(bin);
        // A stand-in office suite that only notes that it was started; it is
        // both what the locator is told to use and the one on the PATH.
        std::ofstream(bin + "/soffice") << "#!/bin/sh\necho \"$@\" >> " << Quoted(marker) << "\nexit 1\n";
        fs::permissions(bin + "/soffice", fs::perms::owner_all);
    }
    // The command line with a private temporary folder and no real office suite.
    std::string Cli(const std::string& args) const
    {
        return "env TMPDIR=" + Quoted(temp) + " PATH=" + Quoted(bin + ":/usr/bin:/bin") +
               " PW_SOFFICE=" + Quoted(bin + "/soffice") + " PW_OFFICE_COMMAND_LINE=1 " + Quoted(kCli) + " " +
               args + " -o " + Quoted(out);
    }
    bool OfficeStarted() const { return fs::exists(marker); }

    ScopedTempFolder outFolder {"pw-docx-out"};
    ScopedTempFolder tempFolder {"pw-docx-tmp"};
    ScopedTempFolder binFolder {"pw-docx-bin"};
    const std::string out = outFolder.Path();
    const std::string temp = tempFolder.Path();
    const std::string bin = binFolder.Path() + "/bin";
    const std::string marker = binFolder.Path() + "/office-started";
    const std::string subfolder = DatedSubfolder(out, std::time(nullptr));
};

} // namespace

TEST_F(CliDocxTest, BothModesWriteThePackageWithoutAnOfficeSuite)
{
    for (const std::string mode : {"", "--frames "}) {
        SCOPED_TRACE("mode " + mode);
        const ShellResult run = RunShell(Cli("--format docx " + mode + Quoted(FixturePath("sample.pdf")) + " " +
                                             Quoted(FixturePath("base14.pdf"))));
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        const std::string suffix = mode.empty() ? "" : "(1)";
        for (const char* name : {"sample", "base14"}) {
            const std::string stored = subfolder + "/" + name + suffix + ".docx";
            const std::string pdf = std::string(name) + ".pdf";
            EXPECT_NE(run.out.find(pdf + " :Conversion started..."), std::string::npos) << run.out;
            EXPECT_NE(run.out.find(pdf + " :Conversion complete."), std::string::npos) << run.out;
            EXPECT_NE(run.out.find(pdf + " :Saved as " + stored + "\n"), std::string::npos) << run.out;
            ASSERT_TRUE(IsZipPackage(stored)) << stored;
            const auto parts = PackageParts(stored);
            for (const char* part : {"[Content_Types].xml", "_rels/.rels", "word/document.xml",
                                     "word/_rels/document.xml.rels", "word/styles.xml", "word/fontTable.xml",
                                     "word/settings.xml"})
                EXPECT_EQ(parts.count(part), 1u) << stored << " lacks " << part;
        }
        EXPECT_NE(run.out.find("Total 2 files were converted successfully."), std::string::npos) << run.out;
        EXPECT_EQ(FilesIn(temp), 0u);
    }
    EXPECT_FALSE(OfficeStarted());
    // The stand-in is the suite a .doc run would use.
    const ShellResult doc = RunShell(Cli(Quoted(FixturePath("base14.pdf"))));
    EXPECT_EQ(doc.exitCode, 0) << doc.out << doc.err;
    EXPECT_TRUE(OfficeStarted());
}

TEST_F(CliDocxTest, PicturesFollowTheGraphicsChoiceAndThePageRange)
{
    const ShellResult run = RunShell(Cli("--format docx --pages 2-2 " + Quoted(FixturePath("sample.pdf"))));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    size_t pictures = 0;
    for (const std::string& part : PackageParts(subfolder + "/sample.docx"))
        pictures += part.rfind("word/media/", 0) == 0 ? 1 : 0;
    EXPECT_EQ(pictures, 1u);

    const ShellResult bare = RunShell(Cli("--format docx --delete-graphics " + Quoted(FixturePath("sample.pdf"))));
    ASSERT_EQ(bare.exitCode, 0) << bare.out << bare.err;
    for (const std::string& part : PackageParts(subfolder + "/sample(1).docx"))
        EXPECT_NE(part.rfind("word/media/", 0), 0u) << part;
    EXPECT_EQ(FilesIn(temp), 0u);
}

TEST_F(CliDocxTest, TakenNamesAreSkippedAndNeverReplaced)
{
    fs::create_directories(subfolder);
    std::ofstream(subfolder + "/base14.docx") << "keep me";
    fs::create_directory(subfolder + "/base14(1).docx");
    const ShellResult run = RunShell(Cli("--format docx " + Quoted(FixturePath("base14.pdf"))));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(ReadWholeFile(subfolder + "/base14.docx"), "keep me");
    EXPECT_TRUE(fs::is_directory(subfolder + "/base14(1).docx"));
    EXPECT_TRUE(IsZipPackage(subfolder + "/base14(2).docx"));
    EXPECT_NE(run.out.find("base14.pdf :Saved as " + subfolder + "/base14(2).docx"), std::string::npos) << run.out;
}

TEST_F(CliDocxTest, BadInputGetsTheSameLinesAndLeavesNothing)
{
    const ShellResult run = RunShell("setsid -w sh -c " +
                                     Quoted(Cli("--format docx --password nope " + Quoted(FixturePath("damaged.pdf")) +
                                                " " + Quoted(FixturePath("encrypted.pdf")) + " " +
                                                Quoted(FixturePath("zero_pages.pdf")) + " " +
                                                Quoted(FixturePath("base14.pdf")))));
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("damaged.pdf :Error - Cannot open PDF file."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("encrypted.pdf :Error - Cannot open PDF file."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Some error occurred."), std::string::npos) << run.out;
    EXPECT_TRUE(IsZipPackage(subfolder + "/base14.docx"));
    for (const char* name : {"damaged", "encrypted", "zero_pages"})
        EXPECT_FALSE(fs::exists(subfolder + "/" + std::string(name) + ".docx")) << name;
    EXPECT_EQ(FilesIn(temp), 0u);
    EXPECT_FALSE(OfficeStarted());
}

TEST_F(CliDocxTest, WriteFailureInTheMiddleOfAFile)
{
    // A file-size limit lets the first pages through and fails a later write.
    const ShellResult run = RunShell("trap '' XFSZ; ulimit -f 400; " +
                                     Cli("--format docx " + Quoted(FixturePath("dense_text.pdf"))));
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("dense_text.pdf :Error - File too large"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(subfolder + "/dense_text.docx"));
    EXPECT_EQ(FilesIn(temp), 0u);
}

TEST_F(CliDocxTest, AnOutputFolderThatCannotBeMade)
{
    const ShellResult run = RunShell("env TMPDIR=" + Quoted(temp) + " " + Quoted(kCli) + " --format docx " +
                                     Quoted(FixturePath("base14.pdf")) + " -o /etc/passwd/sub");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Cannot create directory at output location."), std::string::npos) << run.err;
    EXPECT_EQ(FilesIn(temp), 0u);
}

TEST_F(CliDocxTest, CtrlCStopsAndLeavesNoHalfPackage)
{
    std::string inputs;
    for (int i = 0; i < 8; ++i) {
        const std::string copy = binFolder.Path() + "/in" + std::to_string(i) + ".pdf";
        fs::copy_file(FixturePath("dense_text.pdf"), copy);
        inputs += " " + Quoted(copy);
    }
    TerminalChild child(Cli("--format docx" + inputs));
    ASSERT_TRUE(child.WaitFor(":Saved as ")) << child.Seen();
    child.Interrupt();
    ASSERT_TRUE(child.WaitFor("Stopped.")) << child.Seen();
    EXPECT_EQ(child.Wait(), 1);
    const size_t stored = FilesIn(subfolder);
    EXPECT_GE(stored, 1u);
    EXPECT_LT(stored, 8u);
    // Every package that was stored is whole.
    for (const auto& entry : fs::directory_iterator(subfolder))
        EXPECT_EQ(PackageParts(entry.path().string()).count("word/document.xml"), 1u) << entry.path();
    EXPECT_EQ(FilesIn(temp), 0u);
}
