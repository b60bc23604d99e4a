// Temporary paths: private folder, unique names, clean-up at exit. Cases
// that need a fresh process run this test program again as a child.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/temp_path.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kReportVariable = "PW_TEMP_PATH_REPORT";
constexpr const char* kRaceVariable = "PW_TEMP_PATH_RACE";

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Runs the helper test below in a new process with TMPDIR set to `tmpdir`;
// returns what it reported: the path it got, or "" for none.
std::string PathMadeByChild(const std::string& tmpdir, const std::string& report, const std::string& mode = "")
{
    const std::string command = std::string(kRaceVariable) + "='" + mode + "' " + kReportVariable + "='" + report + "' TMPDIR='" + tmpdir
        + "' /proc/" + std::to_string(getpid()) + "/exe --gtest_also_run_disabled_tests --gtest_filter=TempPathChild.DISABLED_ReportOnePath"
        " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return ReadFile(report);
}

// Not a test of its own: the child half of the tests that need a process
// of their own.
TEST(TempPathChild, DISABLED_ReportOnePath)
{
    const char* report = std::getenv(kReportVariable);
    if (!report)
        GTEST_SKIP() << "runs only as a child of the temporary path tests";
    const std::string path = MakeTempPath();
    std::ofstream(report) << path;
    const char* race = std::getenv(kRaceVariable);
    if (!race || std::string(race) != "dispose")
        return;
    // A process ending at once while its run thread removes a worker's
    // folder inside the private one.
    const fs::path worker = fs::path(PrivateTempFolder()) / "worker";
    fs::create_directories(worker);
    for (int i = 0; i < 2000; ++i)
        std::ofstream(worker / std::to_string(i)) << "x";
    std::thread runThread([&worker] {
        std::error_code ec;
        fs::remove_all(worker, ec);
    });
    DisposePrivateTempFolder();
    runThread.join();
    EXPECT_EQ(MakeTempPath(), "");
}

class TempPath : public ::testing::Test {
protected:
    fs::path scratch;
    void SetUp() override
    {
        scratch = fs::path(MakeTempPath() + "-scratch");
        fs::create_directories(scratch);
    }
    void TearDown() override { fs::remove_all(scratch); }
};

TEST_F(TempPath, NamesAreUniqueInsideAPrivateFolderAndNotCreated)
{
    const std::string folder = PrivateTempFolder();
    ASSERT_FALSE(folder.empty());
    struct stat info {};
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    std::set<std::string> names;
    for (int i = 0; i < 2000; ++i) {
        const std::string path = MakeTempPath();
        ASSERT_EQ(path.rfind(folder + "/ndr", 0), 0u) << path;
        EXPECT_FALSE(fs::exists(path)) << path;
        names.insert(path);
    }
    EXPECT_EQ(names.size(), 2000u);
}

TEST_F(TempPath, FolderUnderTmpdirIsRemovedAtExit)
{
    const std::string path = PathMadeByChild(scratch.string(), (scratch / "report").string());
    ASSERT_EQ(path.rfind(scratch.string() + "/paperwell-", 0), 0u) << path;
    EXPECT_FALSE(fs::exists(fs::path(path).parent_path()));
}

TEST_F(TempPath, DisposingRemovesTheFolderWhileAnotherThreadRemovesPartOfIt)
{
    for (int round = 0; round < 5; ++round) {
        const std::string report = (scratch / ("report" + std::to_string(round))).string();
        const std::string path = PathMadeByChild(scratch.string(), report, "dispose");
        ASSERT_EQ(path.rfind(scratch.string() + "/paperwell-", 0), 0u) << path;
        EXPECT_FALSE(fs::exists(fs::path(path).parent_path())) << round;
    }
}

TEST_F(TempPath, UnusableTmpdirGivesEmptyPath)
{
    fs::create_directories(scratch / "a");
    const std::string regularFile = (scratch / "a" / "file").string();
    std::ofstream(regularFile) << "x";
    EXPECT_EQ(PathMadeByChild(regularFile, (scratch / "report1").string()), "");
    EXPECT_EQ(PathMadeByChild("/nonexistent/tmp", (scratch / "report2").string()), "");
    EXPECT_EQ(PathMadeByChild("/" + std::string(600, 'x'), (scratch / "report3").string()), "");
}

TEST_F(TempPath, ExitingForkedChildKeepsTheParentsFolder)
{
    const std::string folder = PrivateTempFolder();
    ASSERT_FALSE(folder.empty());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        MakeTempPath();
        std::exit(0);   // runs the exit handlers, as a forked helper would
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(TempPath, RemovedFolderIsMadeAgain)
{
    fs::remove_all(PrivateTempFolder());
    const std::string path = MakeTempPath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(fs::is_directory(fs::path(path).parent_path()));
    EXPECT_EQ(PrivateTempFolder(), fs::path(path).parent_path().string());
    scratch = fs::path(MakeTempPath() + "-scratch");   // TearDown's folder went with the rest
}

} // namespace
