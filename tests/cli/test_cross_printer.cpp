// The RTF and the .docx of the same PDF pages, both read back by LibreOffice
// as PDFs: the same words in the same order, and nearly all of them starting
// where the other document has them. Both printers write one flow plan; what
// is left to differ is how the reader sets each format's text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "cli_process.h"
#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = PW_CLI_PATH;

struct CPlacedWord {
    std::string text;
    int page = 0;
    double left = 0;
    double bottom = 0;
};

std::vector<CPlacedWord> PlacedWords(const std::string& pdf)
{
    const std::string out = RunShell("pdftotext -bbox " + Quoted(pdf) + " -").out;
    static const std::regex word(R"re(<word xMin="([\d.]+)" yMin="[\d.]+" xMax="[\d.]+" yMax="([\d.]+)">(.*)</word>)re");
    std::vector<CPlacedWord> words;
    int page = 0;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        const std::string line = out.substr(start, end - start);
        start = end + 1;
        if (line.find("<page ") != std::string::npos) {
            ++page;
            continue;
        }
        std::smatch m;
        if (std::regex_search(line, m, word))
            words.push_back({m[3].str(), page, std::stod(m[1].str()), std::stod(m[2].str())});
    }
    return words;
}

// Pairs of indices of a longest common subsequence of the two word lists,
// page by page (a page of one against the same page of the other).
std::vector<std::pair<size_t, size_t>> CommonWordsOfPage(const std::vector<CPlacedWord>& all,
                                                         const std::vector<CPlacedWord>& allOther, int page)
{
    std::vector<size_t> ia, ib;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].page == page)
            ia.push_back(i);
    for (size_t j = 0; j < allOther.size(); ++j)
        if (allOther[j].page == page)
            ib.push_back(j);
    std::vector<CPlacedWord> a, b;
    for (size_t i : ia)
        a.push_back(all[i]);
    for (size_t j : ib)
        b.push_back(allOther[j]);
    const size_t n = a.size(), m = b.size();
    std::vector<uint32_t> length((n + 1) * (m + 1), 0);
    auto at = [&](size_t i, size_t j) -> uint32_t& { return length[i * (m + 1) + j]; };
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            at(i, j) = a[i].text == b[j].text ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t i = 0, j = 0; i < n && j < m;) {
        if (a[i].text == b[j].text) {
            pairs.emplace_back(ia[i], ib[j]);
            ++i;
            ++j;
        } else if (at(i + 1, j) >= at(i, j + 1)) {
            ++i;
        } else {
            ++j;
        }
    }
    return pairs;
}

class CrossPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("command -v soffice >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "LibreOffice is not installed";
    }

    ScopedTempFolder temp_{"pw-cross-printer"};
    const std::string folder_ = temp_.Path();
};

}  // namespace

TEST_F(CrossPrinterTest, BothFormatsShowTheSameWordsAtTheSamePlaces)
{
    const std::vector<std::string> fixtures = {"sample.pdf", "right_to_left.pdf", "collection.pdf", "dense_text.pdf",
                                               "title_math.pdf", "word_by_word.pdf"};
    const std::string worker = (fs::path(kCli).parent_path() / "paperwell-worker").string();
    std::string rtfs, docxs;
    for (const std::string& fixture : fixtures) {
        const std::string stem = fs::path(fixture).stem().string();
        const std::string rtf = folder_ + "/" + stem + ".rtf";
        ShellResult run =
            RunShell(Quoted(kCli) + " --to-rtf " + Quoted(FixturePath(fixture)) + " " + Quoted(rtf) + " --delete-graphics");
        ASSERT_EQ(run.exitCode, 0) << fixture << run.err;
        const std::string out = folder_ + "/out_" + stem;
        run = RunShell("PW_WORKER_PROGRAM=" + Quoted(worker) + " " + Quoted(kCli) + " -q --format docx --delete-graphics " +
                       Quoted(FixturePath(fixture)) + " -o " + Quoted(out));
        ASSERT_EQ(run.exitCode, 0) << fixture << run.err;
        std::string docx;
        for (const auto& entry : fs::recursive_directory_iterator(out))
            if (entry.path().extension() == ".docx")
                docx = entry.path().string();
        ASSERT_FALSE(docx.empty()) << fixture;
        fs::copy_file(docx, folder_ + "/" + stem + ".docx");
        rtfs += " " + Quoted(stem + ".rtf");
        docxs += " " + Quoted(stem + ".docx");
    }
    // Both exports of a page are called stem.pdf: each format into a folder of its own.
    const std::string office = "soffice -env:UserInstallation=file://" + folder_ + "/profile --headless --convert-to pdf";
    RunShell("cd " + Quoted(folder_) + " && " + office + " --outdir rtf" + rtfs + " && " + office + " --outdir docx" + docxs);

    size_t total = 0, same = 0, close = 0;
    for (const std::string& fixture : fixtures) {
        const std::string stem = fs::path(fixture).stem().string();
        const auto a = PlacedWords(folder_ + "/rtf/" + stem + ".pdf");
        const auto b = PlacedWords(folder_ + "/docx/" + stem + ".pdf");
        ASSERT_FALSE(a.empty()) << fixture;
        std::vector<std::pair<size_t, size_t>> pairs;
        for (int page = 1; page <= std::max(a.back().page, b.empty() ? 0 : b.back().page); ++page) {
            const auto onPage = CommonWordsOfPage(a, b, page);
            pairs.insert(pairs.end(), onPage.begin(), onPage.end());
        }
        size_t near = 0;
        for (const auto& [i, j] : pairs)
            if (a[i].page == b[j].page && std::fabs(a[i].left - b[j].left) <= 1 && std::fabs(a[i].bottom - b[j].bottom) <= 1)
                ++near;
        EXPECT_GE(static_cast<double>(pairs.size()), 0.995 * static_cast<double>(std::max(a.size(), b.size())))
            << fixture;
        total += std::max(a.size(), b.size());
        same += pairs.size();
        close += near;
    }
    ASSERT_GT(total, 0u);
    EXPECT_GE(static_cast<double>(same) / static_cast<double>(total), 0.995);
    // Starting within 1 pt of each other.
    EXPECT_GE(static_cast<double>(close) / static_cast<double>(same), 0.98) << close << " of " << same;
}
