// Fixture PDFs through the page loop into .docx packages: word/document.xml
// compared with stored files in both text modes, and the words python-docx
// reads from the package against the words of the PDF.
//
// When a change of the output is intended, regenerate the stored files with
//   PW_UPDATE_GOLDENS=1 build/tests/test_docx --gtest_filter='DocxGolden*'
// and look at the diff before committing it. Without that variable the test
// never writes into the source tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "docx_fixture_support.h"
#include "docx_test_support.h"

using namespace docxtest;

namespace {

struct GoldenCase {
    const char* name;     // the stored file: tests/docx/golden/<name>.xml
    const char* fixture;  // a PDF of the fixtures folder
    CFixtureRun run;
};

// Columns, tabbed rows and leaders, text boxes (up, down, overlaid),
// right-to-left lines, close lines, a page range, and one with the page
// pictures.
const GoldenCase kCases[] = {
    {"sample_flow_picture", "sample.pdf", {TextMode::Flow, false, 0, 0}},
    {"sample_frames", "sample.pdf", {TextMode::Frames, true, 0, 0}},
    {"rotation_flow", "rotation.pdf", {TextMode::Flow, true, 0, 0}},
    {"rotation_frames", "rotation.pdf", {TextMode::Frames, true, 0, 0}},
    {"right_to_left_flow", "right_to_left.pdf", {TextMode::Flow, true, 0, 0}},
    {"right_to_left_frames", "right_to_left.pdf", {TextMode::Frames, true, 0, 0}},
    {"toc_leaders_flow", "toc_leaders.pdf", {TextMode::Flow, true, 0, 0}},
    {"close_lines_frames", "close_lines.pdf", {TextMode::Frames, true, 0, 0}},
    {"collection_flow", "collection.pdf", {TextMode::Flow, true, 0, 0}},
    {"dense_text_pages_3_4_frames", "dense_text.pdf", {TextMode::Frames, true, 3, 4}},
};

void PrintTo(const GoldenCase& c, std::ostream* out) { *out << c.name; }

std::string GoldenPath(const std::string& name)
{
    return std::string(PW_SOURCE_DIR) + "/tests/docx/golden/" + name + ".xml";
}

bool Regenerating()
{
    const char* update = std::getenv("PW_UPDATE_GOLDENS");
    return update && std::string(update) == "1";
}

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string FirstDifference(const std::string& expected, const std::string& actual)
{
    size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    const size_t from = i > 80 ? i - 80 : 0;
    return "first difference at byte " + std::to_string(i) + " (sizes " + std::to_string(expected.size()) +
           " and " + std::to_string(actual.size()) + ")\n  stored:  " + expected.substr(from, 200) +
           "\n  written: " + actual.substr(from, 200);
}

class DocxGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(DocxGolden, WritesTheStoredDocumentText)
{
    const GoldenCase& c = GetParam();
    const std::string out = MakeTempPath() + ".docx";
    ASSERT_EQ(ConvertFixture(std::string(PW_FIXTURE_DIR) + "/" + c.fixture, out, c.run), 0);
    const std::string written = DocumentXml(out);
    std::remove(out.c_str());
    ASSERT_FALSE(written.empty());
    if (Regenerating()) {
        std::filesystem::create_directories(std::filesystem::path(GoldenPath(c.name)).parent_path());
        std::ofstream(GoldenPath(c.name), std::ios::binary) << written;
        GTEST_SKIP() << "regenerated " << GoldenPath(c.name);
    }
    ASSERT_TRUE(std::filesystem::exists(GoldenPath(c.name))) << GoldenPath(c.name) << " is missing";
    const std::string stored = ReadWhole(GoldenPath(c.name));
    EXPECT_TRUE(stored == written) << c.name << ": " << FirstDifference(stored, written);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DocxGolden, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.name); });

// Words separated by white space, counted.
std::map<std::string, int> WordCounts(const std::string& text)
{
    std::map<std::string, int> counts;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        ++counts[word];
    return counts;
}

struct WordsCase {
    const char* fixture;
    TextMode mode;
};

class DocxWords : public ::testing::TestWithParam<WordsCase> {};

// Every word of the PDF's text layer is in the package's paragraphs, as often
// as the PDF has it, and the package has no word the PDF lacks.
TEST_P(DocxWords, PackageHoldsThePdfsWords)
{
    const WordsCase& c = GetParam();
    const std::string pdf = std::string(PW_FIXTURE_DIR) + "/" + c.fixture;
    const std::string out = MakeTempPath() + ".docx";
    ASSERT_EQ(ConvertFixture(pdf, out, {c.mode, false, 0, 0}), 0);
    int status = 0;
    const std::string paragraphs = PythonDocxParagraphs(out, status);
    std::remove(out.c_str());
    ASSERT_EQ(status, 0) << paragraphs;
    const std::string pdfText = RunCommand("pdftotext -enc UTF-8 '" + pdf + "' - 2>/dev/null", status);
    ASSERT_EQ(status, 0);
    const auto expected = WordCounts(pdfText);
    const auto written = WordCounts(paragraphs);
    ASSERT_FALSE(expected.empty());
    for (const auto& [word, count] : expected) {
        const auto it = written.find(word);
        EXPECT_EQ(it == written.end() ? 0 : it->second, count) << "word \"" << word << "\"";
    }
    for (const auto& [word, count] : written)
        EXPECT_TRUE(expected.count(word)) << "extra word \"" << word << "\"";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DocxWords,
                         ::testing::Values(WordsCase{"sample.pdf", TextMode::Flow},
                                           WordsCase{"sample.pdf", TextMode::Frames},
                                           WordsCase{"word_by_word.pdf", TextMode::Flow},
                                           WordsCase{"word_by_word.pdf", TextMode::Frames},
                                           WordsCase{"dense_text.pdf", TextMode::Flow},
                                           WordsCase{"toc_leaders.pdf", TextMode::Frames}),
                         [](const ::testing::TestParamInfo<WordsCase>& info) {
                             std::string name = info.param.fixture;
                             name = name.substr(0, name.find('.'));
                             return name + (info.param.mode == TextMode::Flow ? "_flow" : "_frames");
                         });

}  // namespace
