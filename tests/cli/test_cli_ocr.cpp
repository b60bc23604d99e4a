// --ocr through the command line and its worker processes: the scanned
// pages' text reaches the .docx, the log says what became of the scans,
// the report counts them, and a wrong language list is a usage error.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "cli_process.h"
#include "conversion/conversion_worker.h"
#include "fixtures.h"

namespace {

const std::string kCli = PW_CLI_PATH;

// The paragraphs' text of a .docx, as python-docx reads it.
std::string DocxText(const std::string& path)
{
    return RunShell("/usr/bin/python3 " PW_SOURCE_DIR "/tests/docx/read_docx.py " + Quoted(path)).out;
}

class CliOcrTest : public ::testing::Test {
protected:
    ShellResult Cli(const std::string& args) const
    {
        return RunShell("env OMP_THREAD_LIMIT=1 " + Quoted(kCli) + " " + args + " -o " + Quoted(out_.Path()));
    }
    std::string Stored(const std::string& name) const
    {
        return DatedSubfolder(out_.Path(), std::time(nullptr)) + "/" + name;
    }
    ScopedTempFolder out_ {"pw-ocr-out"};
};

TEST_F(CliOcrTest, ScannedPagesGetTheirTextInTheDocument)
{
    const std::string report = out_.Path() + "/report.json";
    const ShellResult run = Cli("--ocr --format docx --report " + Quoted(report) + " " +
                                Quoted(FixturePath("scan_two_pages.pdf")) + " " + Quoted(FixturePath("sample.pdf")));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("scan_two_pages.pdf :Text of scanned pages 1-2: "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("sample.pdf :Text of"), std::string::npos);
    const std::string text = DocxText(Stored("scan_two_pages.docx"));
    EXPECT_NE(text.find("Field Report: The Northern Valley"), std::string::npos) << text;
    EXPECT_NE(text.find("The survey team visited the northern valley in"), std::string::npos);
    const std::string json = ReadWholeFile(report);
    EXPECT_NE(json.find("\"scanned_pages\": 2"), std::string::npos) << json;
}

TEST_F(CliOcrTest, WithoutOcrTheLogSaysWhichPagesAreScans)
{
    const ShellResult run = Cli("--format docx " + Quoted(FixturePath("scan_two_pages.pdf")));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("scan_two_pages.pdf :Pages 1-2 are scans: their text stays a picture."), std::string::npos)
        << run.out;
    EXPECT_EQ(DocxText(Stored("scan_two_pages.docx")).find("Field"), std::string::npos);
}

TEST_F(CliOcrTest, MissingLanguageDataIsOneLineAndTheFileStillConverts)
{
    const ShellResult run = Cli("--ocr=zzz --format docx " + Quoted(FixturePath("scan_two_pages.pdf")) + " " +
                                Quoted(FixturePath("scan_text_layer.pdf")));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::string line = "scan_two_pages.pdf :Text recognition is not available: no language data for zzz "
                             "(install tesseract-ocr-zzz); scanned pages stay pictures.";
    EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(line), run.out.rfind(line));
    // The text layer needs no language data.
    EXPECT_NE(run.out.find("scan_text_layer.pdf :Text of scanned page 1: "), std::string::npos) << run.out;
    EXPECT_NE(DocxText(Stored("scan_text_layer.docx")).find("Dear Mrs Whitfield,"), std::string::npos);
}

TEST_F(CliOcrTest, AWrongLanguageListIsAUsageError)
{
    for (const char* wrong : {"--ocr=", "--ocr=eng+", "--ocr=en/g"}) {
        const ShellResult run = Cli(std::string(wrong) + " " + Quoted(FixturePath("scan_gray.pdf")));
        EXPECT_EQ(run.exitCode, 2) << wrong;
        EXPECT_NE(run.err.find("--ocr= wants languages joined by +"), std::string::npos) << run.err;
    }
}

} // namespace
