// --to-rtf on fixture PDFs in both text modes, read back by LibreOffice:
// the words come out on their pages and in reading order, pages keep their
// count and size, and frame-mode lines start where they stood in the PDF.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <vector>

#include "cli_process.h"
#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = PW_CLI_PATH;

bool HaveSoffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

int PageCount(const std::string& pdf)
{
    const ShellResult info = RunShell("pdfinfo " + Quoted(pdf) + " | awk '/^Pages:/ {print $2}'");
    return std::atoi(info.out.c_str());
}

std::vector<std::string> PageWords(const std::string& pdf, int page)
{
    const std::string n = std::to_string(page);
    return Words(RunShell("pdftotext -f " + n + " -l " + n + " " + Quoted(pdf) + " -").out);
}

// Length of the longest common subsequence: how much of the reading order
// survived.
size_t CommonSubsequence(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<size_t> row(b.size() + 1, 0), next(b.size() + 1, 0);
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j)
            next[j] = a[i - 1] == b[j - 1] ? row[j - 1] + 1 : std::max(row[j], next[j - 1]);
        std::swap(row, next);
    }
    return row[b.size()];
}

struct Glyph {
    double x, y;
    std::string text;
};

// The captured glyphs of a page, through the program's own diagnostic: the
// same measurement for the original and for LibreOffice's rendering.
std::vector<Glyph> PageGlyphs(const std::string& pdf, int page)
{
    const ShellResult dump = RunShell(Quoted(kCli) + " --dump-items " + std::to_string(page) + " " + Quoted(pdf));
    std::vector<Glyph> glyphs;
    std::istringstream lines(dump.out);
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (fields.size() < 13 || fields[4] != "0" || fields[12] == " ")
            continue;
        glyphs.push_back({std::stod(fields[0]), std::stod(fields[1]), fields[12]});
    }
    return glyphs;
}

class ToRtfOfficeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveSoffice())
            GTEST_SKIP() << "LibreOffice is not installed";
    }

    // The PDF LibreOffice makes of our RTF of `fixture`.
    std::string RoundTrip(const std::string& fixture, const std::string& flags, const std::string& stem)
    {
        const std::string rtf = folder + "/" + stem + ".rtf";
        const ShellResult convert = RunShell(Quoted(kCli) + " --to-rtf " + Quoted(FixturePath(fixture)) + " " +
                                             Quoted(rtf) + " " + flags);
        EXPECT_EQ(convert.exitCode, 0) << convert.err;
        OfficePdfsOf(folder, Quoted(stem + ".rtf"), folder);
        return folder + "/" + stem + ".pdf";
    }

    ScopedTempFolder temp {"pw-to-rtf"};
    const std::string folder = temp.Path();
};

} // namespace

TEST_F(ToRtfOfficeTest, WordsStayOnTheirPagesInReadingOrder)
{
    for (const char* fixture : {"sample.pdf", "dense_text.pdf", "base14.pdf"}) {
        for (const std::string mode : {"", "--frames"}) {
            SCOPED_TRACE(std::string(fixture) + " " + mode);
            const std::string stem = fs::path(fixture).stem().string() + (mode.empty() ? "-flow" : "-frames");
            const std::string back = RoundTrip(fixture, mode, stem);
            const int pages = PageCount(FixturePath(fixture));
            ASSERT_EQ(PageCount(back), pages);
            for (int page = 1; page <= pages; ++page) {
                const auto want = PageWords(FixturePath(fixture), page);
                const auto got = PageWords(back, page);
                const size_t common = CommonSubsequence(want, got);
                // Hyphenation and the odd merged word aside, the words come
                // out in the PDF's order on the same page.
                EXPECT_GE(common, want.size() * 95 / 100) << "page " << page << ": " << common << " of "
                                                           << want.size();
            }
        }
    }
}

TEST_F(ToRtfOfficeTest, PagesKeepTheirSizeWithThePictureBehind)
{
    const std::string back = RoundTrip("sample.pdf", "", "sizes");
    const ShellResult info = RunShell("pdfinfo " + Quoted(back) + " | grep 'Page size'");
    double w = 0, h = 0;
    ASSERT_EQ(std::sscanf(info.out.c_str(), "Page size: %lf x %lf", &w, &h), 2) << info.out;
    // Letter plus the writer's 50 x 100 twips.
    EXPECT_NEAR(w, 612 + 2.5, 0.5);
    EXPECT_NEAR(h, 792 + 5, 0.5);
    // The picture shows behind the text: the sample's gradient band is there
    // (not white) and the text is on top (its words are extractable).
    const ShellResult ppm = RunShell("pdftoppm -r 24 -f 1 -l 1 -x 40 -y 60 -W 1 -H 1 " + Quoted(back) + " | tail -c 3 | od -An -tu1");
    std::istringstream rgb(ppm.out);
    int r = 255, g = 255, b = 255;
    rgb >> r >> g >> b;
    EXPECT_LT(r + g + b, 600) << "expected the picture, got " << r << "," << g << "," << b;
}

// How far (in twips, the larger of the two axes) each horizontal line start
// of `original` landed in `back`; with `wordGapPx`, also every glyph that
// stands further than that from the one before it on its line.
std::vector<double> LineStartOffsets(const std::string& original, const std::string& back, int pages,
                                     double wordGapPx = 0)
{
    std::vector<double> offsets;
    for (int page = 1; page <= pages; ++page) {
        const auto want = PageGlyphs(original, page);
        const auto got = PageGlyphs(back, page);
        for (size_t i = 0; i < want.size(); ++i) {
            const bool lineStart = i == 0 || std::fabs(want[i].y - want[i - 1].y) > 0.5 || want[i].x < want[i - 1].x ||
                                   (wordGapPx > 0 && want[i].x - want[i - 1].x > wordGapPx);
            if (!lineStart)
                continue;
            // The same character nearest to where it was.
            double best = 1e9, bestDx = 1e9, bestDy = 1e9;
            for (const Glyph& g : got) {
                const double d = std::hypot(g.x - want[i].x, g.y - want[i].y);
                if (g.text == want[i].text && d < best) {
                    best = d;
                    bestDx = g.x - want[i].x;
                    bestDy = g.y - want[i].y;
                }
            }
            offsets.push_back(std::max(std::fabs(bestDx), std::fabs(bestDy)) * 15);
        }
    }
    return offsets;
}

size_t CountWithin(const std::vector<double>& offsets, double twips)
{
    return static_cast<size_t>(std::count_if(offsets.begin(), offsets.end(), [&](double d) { return d <= twips; }));
}

TEST_F(ToRtfOfficeTest, FrameLinesStartWhereTheyStoodInThePdf)
{
    const std::string back = RoundTrip("sample.pdf", "--frames", "positions");
    const auto offsets = LineStartOffsets(FixturePath("sample.pdf"), back, 2);
    ASSERT_GT(offsets.size(), 30u);
    EXPECT_EQ(CountWithin(offsets, 30), offsets.size());
}

TEST_F(ToRtfOfficeTest, FlowLinesKeepTheirBaselines)
{
    // Flowing paragraphs land by exact line spacing; a stray line at the top
    // of a page would move every line down by a line (about 240 twips).
    const std::string back = RoundTrip("sample.pdf", "", "flowpositions");
    const auto offsets = LineStartOffsets(FixturePath("sample.pdf"), back, 2);
    ASSERT_GT(offsets.size(), 30u);
    EXPECT_GE(CountWithin(offsets, 80), offsets.size() * 9 / 10);
}

TEST_F(ToRtfOfficeTest, WordsSetOneByOneStartWhereTheyStoodInFrameMode)
{
    // Eight words a line share one frame; each later word stands at its tab
    // stop. Glyphs of a word are 8.8 px apart, words 23.5 px.
    const std::string back = RoundTrip("word_by_word.pdf", "--frames", "words");
    const auto offsets = LineStartOffsets(FixturePath("word_by_word.pdf"), back, 2, 15);
    ASSERT_EQ(offsets.size(), 2u * 48 * 8);
    EXPECT_EQ(CountWithin(offsets, 30), offsets.size());
}

TEST_F(ToRtfOfficeTest, WordsSetOneByOneKeepTheirPlacesInFlowModeWithoutColumnSections)
{
    // Each line is a block of eight one-line columns: written as one tabbed
    // line, not as a section of eight columns.
    const std::string back = RoundTrip("word_by_word.pdf", "", "flowwords");
    const ShellResult sections = RunShell("grep -c 'cols[2-9]' " + Quoted(folder + "/flowwords.rtf"));
    EXPECT_EQ(sections.out, "0\n");
    const auto offsets = LineStartOffsets(FixturePath("word_by_word.pdf"), back, 2, 15);
    ASSERT_EQ(offsets.size(), 2u * 48 * 8);
    EXPECT_GE(CountWithin(offsets, 30), offsets.size() * 95 / 100);
    EXPECT_EQ(CountWithin(offsets, 60), offsets.size());
}
