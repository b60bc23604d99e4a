// Word documents stored by the command line, .doc and .docx alike, read back
// by LibreOffice in both text modes: pages keep their count and size with the
// picture behind the text, words stay on their pages in reading order, and
// lines start where they stood in the PDF.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "cli_process.h"
#include "fixtures.h"
#include "readback.h"

namespace fs = std::filesystem;
using namespace readback;

namespace {

const std::string kCli = PW_CLI_PATH;

// Every fixture the tests below read back; each (format, mode) converts all
// of them in one run and has LibreOffice make their PDFs in one call.
const std::vector<std::string> kFixtures = {"sample.pdf",     "dense_text.pdf", "base14.pdf",
                                            "word_by_word.pdf", "close_lines.pdf", "latex_logo.pdf",
                                            "toc_leaders.pdf", "title_math.pdf", "wide_glyphs.pdf"};

std::string Stem(const std::string& fixture) { return fs::path(fixture).stem().string(); }

class DocumentReadbackTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!HaveSoffice())
            GTEST_SKIP() << "LibreOffice is not installed";
    }

    const std::string& Format() const { return GetParam(); }

    // The folder of the stored documents of one text mode and their read-back PDFs.
    static std::string Converted(const std::string& format, bool frames)
    {
        static ScopedTempFolder root {"pw-doc-back"};
        static std::map<std::string, std::string> done;
        const std::string key = format + (frames ? "-frames" : "-flow");
        if (auto it = done.find(key); it != done.end())
            return it->second;
        const std::string out = root.Path() + "/" + key;
        fs::create_directories(out);
        std::string files;
        for (const std::string& f : kFixtures)
            files += " " + Quoted(FixturePath(f));
        const ShellResult run = RunShell(Quoted(kCli) + " -q --format " + format + (frames ? " --frames" : "") +
                                         files + " -o " + Quoted(out));
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        std::string subfolder;
        for (const auto& entry : fs::directory_iterator(out))
            if (entry.is_directory())
                subfolder = entry.path().string();
        std::string documents;
        for (const std::string& f : kFixtures)
            documents += " " + Quoted(Stem(f) + "." + format);
        if (!subfolder.empty())
            OfficePdfsOf(subfolder, documents, out);
        return done[key] = subfolder;
    }

    std::string Document(const std::string& fixture, bool frames) const
    {
        return Converted(Format(), frames) + "/" + Stem(fixture) + "." + Format();
    }
    std::string ReadBack(const std::string& fixture, bool frames) const
    {
        return Converted(Format(), frames) + "/" + Stem(fixture) + ".pdf";
    }
};

}  // namespace

TEST_P(DocumentReadbackTest, StoredAsTheRightKindOfFile)
{
    for (const bool frames : {false, true}) {
        const std::string head = ReadWholeFile(Document("sample.pdf", frames)).substr(0, 4);
        EXPECT_EQ(head, Format() == "docx" ? std::string("PK\x03\x04") : std::string("\xD0\xCF\x11\xE0"));
    }
}

TEST_P(DocumentReadbackTest, WordsStayOnTheirPagesInReadingOrder)
{
    for (const char* fixture : {"sample.pdf", "dense_text.pdf", "base14.pdf"}) {
        for (const bool frames : {false, true}) {
            SCOPED_TRACE(std::string(fixture) + (frames ? " frames" : " flow"));
            const std::string back = ReadBack(fixture, frames);
            const int pages = PageCount(FixturePath(fixture));
            ASSERT_EQ(PageCount(back), pages);
            for (int page = 1; page <= pages; ++page) {
                const auto want = PageWords(FixturePath(fixture), page);
                const size_t common = CommonSubsequence(want, PageWords(back, page));
                // Hyphenation and the odd merged word aside, the words come
                // out in the PDF's order on the same page.
                EXPECT_GE(common, want.size() * 95 / 100) << "page " << page << ": " << common << " of " << want.size();
            }
        }
    }
}

TEST_P(DocumentReadbackTest, FlowPagesHoldTheirLinesAndWords)
{
    // Close lines of a plot, the LaTeX logo's raised letter, leader dots,
    // words over the page edges, lines the reader sets wider than the PDF.
    for (const char* fixture : {"close_lines.pdf", "latex_logo.pdf", "toc_leaders.pdf", "title_math.pdf",
                                "wide_glyphs.pdf"}) {
        SCOPED_TRACE(fixture);
        const std::string original = FixturePath(fixture);
        const std::string back = ReadBack(fixture, false);
        ASSERT_TRUE(fs::exists(back));
        const int pages = PageCount(original);
        EXPECT_EQ(PageCount(back), pages);
        for (int page = 1; page <= pages; ++page)
            EXPECT_GE(PageRecall(original, back, page), 0.98) << "page " << page;
    }
    // The logo stays one word, and nothing of it lands in a text box of its own.
    const std::string logo = PageText(ReadBack("latex_logo.pdf", false), 1);
    EXPECT_EQ(WordCounts(logo)["LATEX"], 20) << logo;
}

TEST_P(DocumentReadbackTest, PagesKeepTheirSizeWithThePictureBehind)
{
    for (const bool frames : {false, true}) {
        SCOPED_TRACE(frames ? "frames" : "flow");
        const std::string back = ReadBack("sample.pdf", frames);
        double w = 0, h = 0;
        ASSERT_TRUE(PageSize(back, w, h));
        // Letter plus the page picture's extra twip each way, rounded by the reader.
        EXPECT_NEAR(w, 612 + 2.5, 0.5);
        EXPECT_NEAR(h, 792 + 5, 0.5);
        // The sample's gradient band shows (not white) under extractable text.
        EXPECT_LT(PixelSum24Dpi(back, 40, 60), 600);
        EXPECT_FALSE(PageWords(back, 1).empty());
    }
}

TEST_P(DocumentReadbackTest, FrameLinesStartWhereTheyStoodInThePdf)
{
    const auto offsets = LineStartOffsets(kCli, FixturePath("sample.pdf"), ReadBack("sample.pdf", true), 2);
    ASSERT_GT(offsets.size(), 30u);
    EXPECT_EQ(CountWithin(offsets, 30), offsets.size());
}

TEST_P(DocumentReadbackTest, FlowLinesKeepTheirBaselines)
{
    // A stray line at the top of a page would move every line down by a line
    // (about 240 twips).
    const auto offsets = LineStartOffsets(kCli, FixturePath("sample.pdf"), ReadBack("sample.pdf", false), 2);
    ASSERT_GT(offsets.size(), 30u);
    EXPECT_GE(CountWithin(offsets, 80), offsets.size() * 9 / 10);
}

TEST_P(DocumentReadbackTest, WordsSetOneByOneStartWhereTheyStood)
{
    // Glyphs of a word are 8.8 px apart, words 23.5 px: every word start counts.
    const std::string original = FixturePath("word_by_word.pdf");
    const auto frames = LineStartOffsets(kCli, original, ReadBack("word_by_word.pdf", true), 2, 15);
    ASSERT_EQ(frames.size(), 2u * 48 * 8);
    EXPECT_EQ(CountWithin(frames, 30), frames.size());
}

TEST_P(DocumentReadbackTest, WordsSetOneByOneKeepTheirPagesAndPlacesInFlowMode)
{
    // LibreOffice's .doc round trip breaks the first page of this document
    // after 28 of its 48 tabbed lines (three pages instead of two); only the
    // .docx is held to the direct reading's places.
    if (Format() == "doc")
        GTEST_SKIP() << "the .doc round trip of tabbed flow lines loses the page breaks";
    const std::string original = FixturePath("word_by_word.pdf");
    const std::string back = ReadBack("word_by_word.pdf", false);
    ASSERT_EQ(PageCount(back), 2);
    const auto flow = LineStartOffsets(kCli, original, back, 2, 15);
    ASSERT_EQ(flow.size(), 2u * 48 * 8);
    EXPECT_GE(CountWithin(flow, 30), flow.size() * 95 / 100);
    EXPECT_EQ(CountWithin(flow, 60), flow.size());
}

INSTANTIATE_TEST_SUITE_P(Formats, DocumentReadbackTest, ::testing::Values("doc", "docx"),
                         [](const auto& info) { return info.param; });
