// The RTF of fixture PDFs, byte for byte, against stored files: any change in
// what the engine writes shows here first. Each case runs `--to-rtf` on a
// fixture and compares the whole document with tests/rtf/golden/NAME.rtf.
//
// When a change of the output is intended, regenerate the stored files with
//   PW_UPDATE_GOLDENS=1 build/tests/test_cli --gtest_filter='RtfGolden*'
// and look at the diff before committing it. Without that variable the test
// never writes into the source tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "cli_process.h"

namespace {

struct GoldenCase {
    const char* name;     // the stored file: tests/rtf/golden/<name>.rtf
    const char* fixture;  // a PDF of the fixtures folder
    const char* options;  // extra --to-rtf options
};

// Flow and frame mode over columns, text boxes (up, down, overlaid), accents,
// right-to-left lines, tabbed rows, leaders, character codes; a page range;
// most without pictures, two with the page picture.
const GoldenCase kCases[] = {
    {"sample_flow", "sample.pdf", "--delete-graphics"},
    {"sample_frames", "sample.pdf", "--delete-graphics --frames"},
    {"sample_flow_picture", "sample.pdf", ""},
    {"rotation_flow", "rotation.pdf", "--delete-graphics"},
    {"rotation_frames_picture", "rotation.pdf", "--frames"},
    {"title_math_flow", "title_math.pdf", "--delete-graphics"},
    {"title_math_frames", "title_math.pdf", "--delete-graphics --frames"},
    {"accents_flow", "accents.pdf", "--delete-graphics"},
    {"accents_frames", "accents.pdf", "--delete-graphics --frames"},
    {"right_to_left_flow", "right_to_left.pdf", "--delete-graphics"},
    {"right_to_left_frames", "right_to_left.pdf", "--delete-graphics --frames"},
    {"word_by_word_flow", "word_by_word.pdf", "--delete-graphics"},
    {"word_by_word_frames", "word_by_word.pdf", "--delete-graphics --frames"},
    {"collection_flow", "collection.pdf", "--delete-graphics"},
    {"collection_frames", "collection.pdf", "--delete-graphics --frames"},
    {"toc_leaders_flow", "toc_leaders.pdf", "--delete-graphics"},
    {"toc_leaders_frames", "toc_leaders.pdf", "--delete-graphics --frames"},
    {"latex_logo_flow", "latex_logo.pdf", "--delete-graphics"},
    {"latex_logo_frames", "latex_logo.pdf", "--delete-graphics --frames"},
    {"close_lines_flow", "close_lines.pdf", "--delete-graphics"},
    {"close_lines_frames", "close_lines.pdf", "--delete-graphics --frames"},
    {"base14_flow", "base14.pdf", "--delete-graphics"},
    {"base14_frames", "base14.pdf", "--delete-graphics --frames"},
    {"dense_text_pages_3_4_flow", "dense_text.pdf", "--delete-graphics --pages 3-4"},
    {"dense_text_pages_3_4_frames", "dense_text.pdf", "--delete-graphics --frames --pages 3-4"},
};

// Failure lines name the case rather than dumping its bytes.
void PrintTo(const GoldenCase& c, std::ostream* out) { *out << c.name; }

std::string GoldenPath(const std::string& name)
{
    return std::string(PW_SOURCE_DIR) + "/tests/rtf/golden/" + name + ".rtf";
}

bool Regenerating()
{
    const char* update = std::getenv("PW_UPDATE_GOLDENS");
    return update && std::string(update) == "1";
}

// The first differing byte and some text around it, for the failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual)
{
    size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    const size_t from = i > 60 ? i - 60 : 0;
    return "first difference at byte " + std::to_string(i) + " (sizes " + std::to_string(expected.size()) +
           " and " + std::to_string(actual.size()) + ")\n  stored:  " + expected.substr(from, 160) +
           "\n  written: " + actual.substr(from, 160);
}

class RtfGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(RtfGolden, WritesTheStoredDocument)
{
    const GoldenCase& c = GetParam();
    ScopedTempFolder folder("pw-golden");
    ASSERT_FALSE(folder.Path().empty());
    const std::string out = folder.Path() + "/out.rtf";
    const ShellResult run = RunShell(Quoted(PW_CLI_PATH) + " --to-rtf " +
                                     Quoted(std::string(PW_FIXTURE_DIR) + "/" + c.fixture) + " " + Quoted(out) +
                                     " " + c.options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string written = ReadWholeFile(out);
    ASSERT_FALSE(written.empty());
    if (Regenerating()) {
        std::filesystem::create_directories(std::filesystem::path(GoldenPath(c.name)).parent_path());
        std::ofstream(GoldenPath(c.name), std::ios::binary) << written;
        GTEST_SKIP() << "regenerated " << GoldenPath(c.name);
    }
    ASSERT_TRUE(std::filesystem::exists(GoldenPath(c.name))) << GoldenPath(c.name) << " is missing";
    const std::string stored = ReadWholeFile(GoldenPath(c.name));
    EXPECT_TRUE(stored == written) << c.name << ": " << FirstDifference(stored, written);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RtfGolden, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.name); });

// The page picture is part of the stored documents: the same page must give
// the same JPEG bytes on every run, or the stored files could not hold it.
TEST(RtfGoldenPicture, TheSamePageGivesTheSameDocumentTwice)
{
    ScopedTempFolder folder("pw-golden");
    ASSERT_FALSE(folder.Path().empty());
    std::vector<std::string> documents;
    for (const char* name : {"/a.rtf", "/b.rtf"}) {
        const std::string out = folder.Path() + name;
        const ShellResult run = RunShell(Quoted(PW_CLI_PATH) + " --to-rtf " +
                                         Quoted(std::string(PW_FIXTURE_DIR) + "/sample.pdf") + " " + Quoted(out));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        documents.push_back(ReadWholeFile(out));
    }
    ASSERT_NE(documents[0].find("\\jpegblip "), std::string::npos);
    EXPECT_TRUE(documents[0] == documents[1]);
}

}  // namespace
