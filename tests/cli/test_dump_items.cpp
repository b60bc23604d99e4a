// paperwell-cli --dump-items, run as a child process on fixture PDFs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fixtures/lib/fixtures.h"

namespace {

struct CliResult {
    int exitCode = -1;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

CliResult RunCli(std::vector<std::string> args)
{
    const std::string base = ::testing::TempDir() + "/dump_items_" + std::to_string(getpid());
    const std::string outPath = base + ".out", errPath = base + ".err";
    args.insert(args.begin(), PW_CLI_PATH);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    CliResult r;
    pid_t pid;
    if (posix_spawn(&pid, PW_CLI_PATH, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = ReadFile(outPath);
    r.err = ReadFile(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return r;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);)
        lines.push_back(line);
    return lines;
}

// The item table: the lines before the blank line that starts the font table.
std::vector<std::string> ItemLines(const std::string& text)
{
    return Lines(text.substr(0, text.find("\n\n") + 1));
}

// The font table without its header.
std::vector<std::string> FontLines(const std::string& text)
{
    const size_t blank = text.find("\n\n");
    if (blank == std::string::npos) return {};
    std::vector<std::string> lines = Lines(text.substr(blank + 2));
    if (!lines.empty()) lines.erase(lines.begin());
    return lines;
}

TEST(DumpItems, PrintsHeaderAndOneLinePerItem)
{
    CliResult r = RunCli({"--dump-items", "1", FixturePath("base14.pdf")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    auto lines = ItemLines(r.out);
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines[0],
              "x\ty\twidth\theight\trotation\tbold\titalic\tcolor\tfaceName\tuseCharCode\tcharCode\tlayoutMark\ttext");
    // Helvetica is a face fontconfig serves (through Liberation Sans).
    EXPECT_EQ(lines[1], "96.00\t125.67\t23.10\t32.00\t0\t0\t0\t000000\tHelvetica\t0\t0\t0\tH");
    EXPECT_EQ(lines[6].substr(0, 29), "96.00\t259.00\t9.78\t16.00\t0\t0\t0");
    EXPECT_NE(lines[6].find("\t0000FF\t"), std::string::npos);
    EXPECT_EQ(lines[22].substr(0, 13), "533.33\t103.00");
}

TEST(DumpItems, TextColumnIsUtf8AndStaysOneColumn)
{
    CliResult r = RunCli({"--dump-items", "1", FixturePath("collection.pdf")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\tfi\n"), std::string::npos);
    EXPECT_NE(r.out.find("\t1\t945\t0\t\xCE\xB1\n"), std::string::npos);  // alpha by char code
    for (const auto& line : ItemLines(r.out)) {
        int tabs = 0;
        for (char c : line)
            tabs += c == '\t';
        EXPECT_EQ(tabs, 12) << line;
    }
}

TEST(DumpItems, WritesThePicture)
{
    const std::string jpeg = ::testing::TempDir() + "/dump_items_picture.jpg";
    unlink(jpeg.c_str());
    CliResult r = RunCli({"--dump-items", "1", FixturePath("rotation.pdf"), "--picture", jpeg});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string data = ReadFile(jpeg);
    ASSERT_GT(data.size(), 1000u);
    EXPECT_EQ(static_cast<unsigned char>(data[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(data[1]), 0xD8);
    unlink(jpeg.c_str());

    CliResult bad = RunCli({"--dump-items", "1", FixturePath("rotation.pdf"), "--picture", "/nonexistent/dir/x.jpg"});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.err.find("/nonexistent/dir/x.jpg"), std::string::npos);
}

TEST(DumpItems, EmptyPageAndEmptyUserPassword)
{
    CliResult blank = RunCli({"--dump-items", "1", FixturePath("blank.pdf")});
    ASSERT_EQ(blank.exitCode, 0) << blank.err;
    EXPECT_EQ(ItemLines(blank.out).size(), 1u);  // the header only
    EXPECT_TRUE(FontLines(blank.out).empty());

    CliResult open = RunCli({"--dump-items", "1", FixturePath("encrypted_empty_user.pdf")});
    ASSERT_EQ(open.exitCode, 0) << open.err;
    EXPECT_EQ(ItemLines(open.out).size(), 26u);
}

TEST(DumpItems, FontTableShowsWeightSlantFaceAndReason)
{
    CliResult r = RunCli({"--dump-items", "1", FixturePath("base14.pdf")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\nfont\tweight\tbold\titalic\tweightFrom\tslantFrom\tclass\tface\treason\n"),
              std::string::npos);
    const auto fonts = FontLines(r.out);
    ASSERT_EQ(fonts.size(), 4u);  // once per PDF font, not per glyph
    EXPECT_EQ(fonts[0], "Helvetica\t400\t0\t0\tnone\tnone\tswiss\tHelvetica\talias");
    EXPECT_EQ(fonts[2], "Courier-Bold\t700\t1\t0\tname\tnone\tmodern\tCourier\talias");
    // The oblique Base-14 name sets no flag by the name rules; its convention does.
    EXPECT_EQ(fonts[3], "Helvetica-Oblique\t400\t0\t1\tnone\tname-convention\tswiss\tHelvetica\talias");
}

TEST(DumpItems, ErrorsGiveOneLineAndNonZeroExit)
{
    struct Case {
        std::vector<std::string> args;
        std::string inMessage;
    };
    const std::vector<Case> cases = {
        {{"--dump-items", "1", FixturePath("no_such_file.pdf")}, "cannot open"},
        {{"--dump-items", "1", FixturePath("damaged.pdf")}, "damaged"},
        {{"--dump-items", "1", FixturePath("truncated.pdf")}, "damaged"},
        {{"--dump-items", "1", FixturePath("empty.pdf")}, "damaged"},
        {{"--dump-items", "1", FixturePath("encrypted.pdf")}, "password"},
        {{"--dump-items", "1", FixturePath("zero_pages.pdf")}, "zero_pages.pdf"},
        {{"--dump-items", "3", FixturePath("marked_content.pdf")}, "out of range"},
        {{"--dump-items", "0", FixturePath("base14.pdf")}, "bad page number"},
        {{"--dump-items", "x1", FixturePath("base14.pdf")}, "bad page number"},
        {{"--dump-items", "1"}, "usage"},
        {{"--dump-items", "1", FixturePath("base14.pdf"), "--pic", "a.jpg"}, "usage"},
    };
    for (const auto& c : cases) {
        CliResult r = RunCli(c.args);
        const std::string what = c.args.back();
        EXPECT_GT(r.exitCode, 0) << what;  // a clean exit, not a crash
        EXPECT_NE(r.err.find(c.inMessage), std::string::npos) << what << ": " << r.err;
        EXPECT_EQ(r.out, "") << what;
    }
}

}  // namespace
