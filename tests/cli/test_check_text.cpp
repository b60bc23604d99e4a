// --check-text over every fixture and every corpus PDF, in both text modes:
// each glyph the capture keeps on a page reaches that page's RTF exactly once.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "cli_process.h"
#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = PW_CLI_PATH;

// Fixtures that are not readable PDFs on purpose.
const std::set<std::string> kBadInput = {"damaged.pdf", "truncated.pdf", "empty.pdf", "zero_pages.pdf",
                                         "encrypted.pdf"};

std::string CorpusDir()
{
    if (const char* dir = std::getenv("PW_CORPUS_DIR"))
        return dir;
    return std::string(PW_SOURCE_DIR) + "/../shared/corpus";
}

class CheckTextTest : public ::testing::Test {
protected:

    // Runs the check on one PDF in one mode; returns its report.
    ShellResult Check(const fs::path& pdf, const std::string& mode)
    {
        const std::string rtf = folder_ + "/out-" + std::to_string(++runs_) + ".rtf";
        return RunShell(Quoted(kCli) + " --to-rtf " + Quoted(pdf.string()) + " " + Quoted(rtf) + " --delete-graphics " +
                        mode + " --check-text");
    }

    void CheckFolder(const fs::path& dir, int& checked)
    {
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            // Unreadable files, and the hostile ones (resource bombs with
            // tests of their own), have no text to check.
            if (entry.path().extension() != ".pdf" || kBadInput.count(name) || name.rfind("hostile", 0) == 0)
                continue;
            for (const std::string mode : {"", "--frames"}) {
                SCOPED_TRACE(name + " " + (mode.empty() ? "flow" : mode));
                const ShellResult result = Check(entry.path(), mode);
                EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
                EXPECT_NE(result.out.find(": 0 pages differ"), std::string::npos) << result.out;
                ++checked;
            }
        }
    }

    ScopedTempFolder temp_ {"pw-check-text"};
    const std::string folder_ = temp_.Path();
    int runs_ = 0;
};

} // namespace

TEST_F(CheckTextTest, EveryFixtureKeepsEveryGlyphInBothModes)
{
    int checked = 0;
    CheckFolder(PW_FIXTURE_DIR, checked);
    EXPECT_GT(checked, 30);
}

TEST_F(CheckTextTest, EveryCorpusPdfKeepsEveryGlyphInBothModes)
{
    if (!fs::is_directory(CorpusDir()))
        GTEST_SKIP() << "no corpus at " << CorpusDir();
    int checked = 0;
    CheckFolder(CorpusDir(), checked);
    EXPECT_GT(checked, 0);
}
