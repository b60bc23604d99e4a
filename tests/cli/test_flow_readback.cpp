// Flow-mode documents stored as .doc through LibreOffice and read back: pages
// keep their count, and every line's words stay on their page (TeX and groff
// typesetting: a plot drawn with close lines of text, the LaTeX logo's raised
// letter, a table of contents with leader dots, words over the page edges,
// lines the reader sets wider than the PDF).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli_process.h"
#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = PW_CLI_PATH;

std::map<std::string, int> WordCounts(const std::string& text)
{
    std::map<std::string, int> counts;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        // Words as Latin letters and digits: leader dots, punctuation and
        // symbols may be spaced differently by the reader (symbols set wider
        // than in the PDF run into the next word).
        std::string word;
        for (char c : token)
            if (std::isalnum(static_cast<unsigned char>(c)))
                word.push_back(c);
        if (!word.empty())
            ++counts[word];
    }
    return counts;
}

int PageCount(const std::string& pdf)
{
    return std::atoi(RunShell("pdfinfo " + Quoted(pdf) + " | awk '/^Pages:/ {print $2}'").out.c_str());
}

std::string PageText(const std::string& pdf, int page)
{
    const std::string n = std::to_string(page);
    return RunShell("pdftotext -f " + n + " -l " + n + " " + Quoted(pdf) + " -").out;
}

// Share of the original page's words (counted with repeats) found on the
// read-back page.
double PageRecall(const std::string& original, const std::string& back, int page)
{
    const auto want = WordCounts(PageText(original, page));
    auto got = WordCounts(PageText(back, page));
    int total = 0, found = 0;
    for (const auto& [word, count] : want) {
        total += count;
        found += std::min(count, got[word]);
    }
    return total == 0 ? 1.0 : static_cast<double>(found) / total;
}

class FlowReadbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("command -v soffice >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "LibreOffice is not installed";
    }

    // Converts the fixtures to .doc with the program, then has LibreOffice
    // make PDFs of the documents; returns the folder that holds both.
    std::string ConvertAndReadBack(const std::vector<std::string>& fixtures)
    {
        std::string files;
        for (const std::string& f : fixtures)
            files += " " + Quoted(FixturePath(f));
        const ShellResult run = RunShell(Quoted(kCli) + " -q" + files + " -o " + Quoted(folder_));
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        std::string subfolder;
        for (const auto& entry : fs::directory_iterator(folder_))
            if (entry.is_directory())
                subfolder = entry.path().string();
        std::string docs;
        for (const std::string& f : fixtures)
            docs += " " + Quoted(fs::path(f).stem().string() + ".doc");
        OfficePdfsOf(subfolder, docs, folder_);
        return subfolder;
    }

    ScopedTempFolder temp_ {"pw-flow-back"};
    const std::string folder_ = temp_.Path();
};

} // namespace

TEST_F(FlowReadbackTest, PagesHoldTheirLinesAndWords)
{
    const std::vector<std::string> fixtures = {"close_lines.pdf", "latex_logo.pdf", "toc_leaders.pdf",
                                               "title_math.pdf", "wide_glyphs.pdf"};
    const std::string back = ConvertAndReadBack(fixtures);
    for (const std::string& fixture : fixtures) {
        SCOPED_TRACE(fixture);
        const std::string original = FixturePath(fixture);
        const std::string readBack = back + "/" + fs::path(fixture).stem().string() + ".pdf";
        ASSERT_TRUE(fs::exists(readBack));
        const int pages = PageCount(original);
        EXPECT_EQ(PageCount(readBack), pages);
        for (int page = 1; page <= pages; ++page)
            EXPECT_GE(PageRecall(original, readBack, page), 0.98) << "page " << page;
    }
    // The logo stays one word, and nothing of it lands in a text box of its own.
    const std::string logo = PageText(back + "/latex_logo.pdf", 1);
    EXPECT_EQ(WordCounts(logo)["LATEX"], 20) << logo;
}
