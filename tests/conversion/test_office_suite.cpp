// The office library on its own: helpers, start failures, and the
// persistent LibreOffice instance surviving hangs and crashes.
#include <gtest/gtest.h>

#include "scoped_env.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "office/office_files.h"
#include "office/office_suite.h"
#include "office/soffice_locator.h"
#include "platform/temp_path.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSmallRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Office suite test\\par}";


void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

bool GroupAlive(int group)
{
    return group > 0 && (kill(-group, 0) == 0 || errno == EPERM);
}

// Killed processes need a moment to be gone for good.
bool GroupGoneSoon(int group)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (GroupAlive(group) && std::chrono::steady_clock::now() < deadline)
        usleep(50 * 1000);
    return !GroupAlive(group);
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class OfficeFolder : public ::testing::Test {
protected:
    fs::path folder;
    void SetUp() override
    {
        folder = fs::path(MakeTempPath() + "-office");
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        EndOfficeInstance();
        fs::remove_all(folder);
    }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
};

TEST(OfficeFiles, FileUrlsEncodeBlanksAndNonAsciiBytes)
{
    EXPECT_EQ(FileUrlFromPath("/tmp/a b/\xC3\xBC;x.rtf"), "file:///tmp/a%20b/%C3%BC%3Bx.rtf");
    EXPECT_EQ(FileUrlFromPath("/var/tmp/p-1_2.~"), "file:///var/tmp/p-1_2.~");
}

using OfficeFileCheck = OfficeFolder;

TEST_F(OfficeFileCheck, WordDocumentsAreRecognisedBySignature)
{
    WriteFile(Path("ole"), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "rest");
    WriteFile(Path("zip"), std::string("PK\x03\x04", 4) + "rest");
    WriteFile(Path("rtf"), kSmallRtf);
    WriteFile(Path("short"), "\xD0\xCF");
    EXPECT_TRUE(IsWordDocument(Path("ole"), OfficeFormat::Doc));
    EXPECT_FALSE(IsWordDocument(Path("ole"), OfficeFormat::Docx));
    EXPECT_TRUE(IsWordDocument(Path("zip"), OfficeFormat::Docx));
    EXPECT_FALSE(IsWordDocument(Path("zip"), OfficeFormat::Doc));
    EXPECT_FALSE(IsWordDocument(Path("rtf"), OfficeFormat::Doc));
    EXPECT_FALSE(IsWordDocument(Path("short"), OfficeFormat::Doc));
    EXPECT_FALSE(IsWordDocument(Path("missing"), OfficeFormat::Doc));
}

// The office step looks for text boxes in the RTF before it mends them.
TEST_F(OfficeFileCheck, TextBoxesAreFoundAnywhereInTheRtf)
{
    const std::string box = "{\\shp{\\*\\shpinst\\shpleft0{\\shptxt\\pard Up\\par}}}";
    WriteFile(Path("boxes.rtf"), "{\\rtf1 " + box + "}");
    WriteFile(Path("frames.rtf"), "{\\rtf1 {\\pard\\pvpg\\phpg\\posx10 Frame\\par}{\\shp{\\*\\shpinst}}}");
    EXPECT_TRUE(FileContains(Path("boxes.rtf"), kRtfShapeText));
    EXPECT_FALSE(FileContains(Path("frames.rtf"), kRtfShapeText));

    // Across the border of the pieces the file is read in, and at its very end.
    for (size_t lead : {size_t(65536 - 3), size_t(65536), size_t(3 * 65536 - 1)}) {
        WriteFile(Path("long.rtf"), std::string(lead, 'x') + kRtfShapeText);
        EXPECT_TRUE(FileContains(Path("long.rtf"), kRtfShapeText)) << lead;
        WriteFile(Path("long.rtf"), std::string(lead, 'x') + "{\\shptx");
        EXPECT_FALSE(FileContains(Path("long.rtf"), kRtfShapeText)) << lead;
    }
    EXPECT_FALSE(FileContains(Path("missing.rtf"), kRtfShapeText));
    EXPECT_FALSE(FileContains(Path("boxes.rtf"), ""));
}

using SofficeLookup = OfficeFolder;

TEST_F(SofficeLookup, FollowsPathAndTheOverride)
{
    CScopedEnv noOverride("PW_SOFFICE", nullptr);
    const std::string fake = Path("soffice");
    WriteFile(fake, "#!/bin/sh\nexit 0\n");
    fs::permissions(fake, fs::perms::owner_all);
    {
        CScopedEnv path("PATH", ("/nonexistent:" + folder.string()).c_str());
        EXPECT_EQ(FindSoffice(), fake);
    }
    {
        CScopedEnv path("PATH", "/nonexistent");
        EXPECT_EQ(FindSoffice(), "");
    }
    {
        CScopedEnv forced("PW_SOFFICE", "");
        EXPECT_EQ(FindSoffice(), "");
    }
    {
        WriteFile(Path("not-executable"), "x");
        CScopedEnv forced("PW_SOFFICE", Path("not-executable").c_str());
        EXPECT_EQ(FindSoffice(), "");
    }
}

using OfficeStart = OfficeFolder;

TEST_F(OfficeStart, MissingSuiteIsNotAvailable)
{
    CScopedEnv none("PW_SOFFICE", "");
    WriteFile(Path("in.rtf"), kSmallRtf);
    EXPECT_EQ(ConvertWithOffice(Path("in.rtf"), Path("out"), OfficeFormat::Doc), OfficeResult::NotAvailable);
    EXPECT_FALSE(fs::exists(Path("out")));
}

TEST_F(OfficeStart, SuiteThatCannotStartIsNotAvailableQuickly)
{
    CScopedEnv broken("PW_SOFFICE", "/bin/false");
    CScopedEnv uno("PW_OFFICE_COMMAND_LINE", nullptr);
    WriteFile(Path("in.rtf"), kSmallRtf);
    const auto start = std::chrono::steady_clock::now();
    const OfficeResult result = ConvertWithOffice(Path("in.rtf"), Path("out"), OfficeFormat::Doc);
    if (CurrentOfficeMode() == OfficeMode::Uno)
        EXPECT_EQ(result, OfficeResult::NotAvailable);
    else
        EXPECT_NE(result, OfficeResult::Converted);
    EXPECT_LT(SecondsSince(start), 10.0);
    EXPECT_FALSE(fs::exists(Path("out")));
}

// Tests that need LibreOffice.
class OfficeInstance : public OfficeFolder {
protected:
    void SetUp() override
    {
        if (FindSoffice().empty())
            GTEST_SKIP() << "soffice is not installed";
        OfficeFolder::SetUp();
    }
    OfficeResult Convert(const std::string& name, OfficeFormat format = OfficeFormat::Doc)
    {
        WriteFile(Path(name + ".rtf"), kSmallRtf);
        return ConvertWithOffice(Path(name + ".rtf"), Path(name + ".out"), format);
    }
};

TEST_F(OfficeInstance, OneInstanceServesTheRunAndEndsWithoutTraces)
{
    if (CurrentOfficeMode() != OfficeMode::Uno)
        GTEST_SKIP() << "UNO client not usable here";
    ASSERT_EQ(Convert("a"), OfficeResult::Converted);
    // The load and store of the document are timed (for the benchmarks).
    const OfficeStepTimes times = LastOfficeStepTimes();
    EXPECT_GT(times.load, 0.0);
    EXPECT_GT(times.store, 0.0);
    const int group = OfficeInstanceGroup();
    ASSERT_GT(group, 0);
    ASSERT_EQ(Convert("b", OfficeFormat::Docx), OfficeResult::Converted);
    EXPECT_EQ(OfficeInstanceGroup(), group);
    EXPECT_TRUE(IsWordDocument(Path("a.out"), OfficeFormat::Doc));
    EXPECT_TRUE(IsWordDocument(Path("b.out"), OfficeFormat::Docx));
    EndOfficeInstance();
    EXPECT_EQ(OfficeInstanceGroup(), 0);
    EXPECT_TRUE(GroupGoneSoon(group));
    // A conversion that never reached the suite leaves no times behind.
    EXPECT_NE(ConvertWithOffice(Path("missing.rtf"), Path("c.out"), OfficeFormat::Doc), OfficeResult::Converted);
    EXPECT_EQ(LastOfficeStepTimes().store, 0.0);
    EndOfficeInstance();
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().rfind("office-", 0), std::string::npos)
            << "profile left behind: " << entry.path();
}

TEST_F(OfficeInstance, InstancesOfSeveralJobsConvertSideBySideAndEndTogether)
{
    if (CurrentOfficeMode() != OfficeMode::Uno)
        GTEST_SKIP() << "UNO client not usable here";
    // One instance: documents of two threads queue for it.
    auto convertTwice = [this] {
        std::thread other([this] { EXPECT_EQ(Convert("x1"), OfficeResult::Converted); });
        EXPECT_EQ(Convert("y1"), OfficeResult::Converted);
        other.join();
    };
    convertTwice();
    EXPECT_EQ(OfficeInstancesRunning(), 1);
    EndOfficeInstance();

    // Two allowed: the second thread finds the first instance busy and gets one of its own.
    SetOfficeInstances(2);
    std::thread other([this] {
        for (const char* name : {"a1", "a2", "a3"})
            EXPECT_EQ(Convert(name), OfficeResult::Converted) << name;
    });
    for (const char* name : {"b1", "b2", "b3"})
        EXPECT_EQ(Convert(name), OfficeResult::Converted) << name;
    other.join();
    SetOfficeInstances(1);
    EXPECT_EQ(OfficeInstancesRunning(), 2);
    for (const char* name : {"a1", "a2", "a3", "b1", "b2", "b3"})
        EXPECT_TRUE(IsWordDocument(Path(std::string(name) + ".out"), OfficeFormat::Doc)) << name;
    EndOfficeInstance();
    EXPECT_EQ(OfficeInstancesRunning(), 0);
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().rfind("office-", 0), std::string::npos)
            << "profile left behind: " << entry.path();
}

TEST_F(OfficeInstance, HungInstanceIsKilledRestartedAndTheDocumentRetried)
{
    if (CurrentOfficeMode() != OfficeMode::Uno)
        GTEST_SKIP() << "UNO client not usable here";
    CScopedEnv shortTimeout("PW_OFFICE_TIMEOUT_SECONDS", "4");
    ASSERT_EQ(Convert("a"), OfficeResult::Converted);
    const int hung = OfficeInstanceGroup();
    ASSERT_GT(hung, 0);
    ASSERT_EQ(kill(-hung, SIGSTOP), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Convert("b"), OfficeResult::Converted);
    const double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 4.0);
    EXPECT_LT(seconds, 60.0);
    EXPECT_TRUE(IsWordDocument(Path("b.out"), OfficeFormat::Doc));
    EXPECT_NE(OfficeInstanceGroup(), hung);
    EXPECT_TRUE(GroupGoneSoon(hung));
}

TEST_F(OfficeInstance, CrashedInstanceIsReplaced)
{
    if (CurrentOfficeMode() != OfficeMode::Uno)
        GTEST_SKIP() << "UNO client not usable here";
    ASSERT_EQ(Convert("a"), OfficeResult::Converted);
    const int crashed = OfficeInstanceGroup();
    ASSERT_EQ(kill(-crashed, SIGKILL), 0);
    EXPECT_EQ(Convert("b"), OfficeResult::Converted);
    EXPECT_NE(OfficeInstanceGroup(), crashed);
    EXPECT_TRUE(IsWordDocument(Path("b.out"), OfficeFormat::Doc));
}

// The child half of the test below: starts an instance, reports its group
// and dies without any clean-up.
TEST(OfficeInstanceChild, DISABLED_StartAndAbort)
{
    const char* report = std::getenv("PW_OFFICE_CHILD_REPORT");
    if (!report)
        GTEST_SKIP();
    const std::string folder = MakeTempPath() + "-child";
    fs::create_directories(folder);
    WriteFile(folder + "/in.rtf", kSmallRtf);
    if (ConvertWithOffice(folder + "/in.rtf", folder + "/out", OfficeFormat::Doc) == OfficeResult::Converted)
        std::ofstream(report) << OfficeInstanceGroup();
    std::abort();
}

TEST_F(OfficeInstance, InstanceDiesWithTheProcessThatStartedIt)
{
    if (CurrentOfficeMode() != OfficeMode::Uno)
        GTEST_SKIP() << "UNO client not usable here";
    const std::string report = Path("group");
    // The aborted child leaves its temporary folder behind: keep it in ours.
    fs::create_directories(Path("tmp"));
    const std::string command = "PW_OFFICE_CHILD_REPORT='" + report + "' TMPDIR='" + Path("tmp")
        + "' /proc/" + std::to_string(getpid())
        + "/exe --gtest_also_run_disabled_tests --gtest_filter=OfficeInstanceChild.DISABLED_StartAndAbort"
        " >/dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0);   // it aborted
    std::ifstream in(report);
    int group = 0;
    in >> group;
    ASSERT_GT(group, 0) << "the child converted nothing";
    EXPECT_TRUE(GroupGoneSoon(group));
}

TEST_F(OfficeInstance, CommandLineFallbackConverts)
{
    CScopedEnv commandLine("PW_OFFICE_COMMAND_LINE", "1");
    EXPECT_EQ(CurrentOfficeMode(), OfficeMode::CommandLine);
    ASSERT_EQ(Convert("a"), OfficeResult::Converted);
    EXPECT_TRUE(IsWordDocument(Path("a.out"), OfficeFormat::Doc));
    EXPECT_EQ(OfficeInstanceGroup(), 0);
    WriteFile(Path("bad.rtf"), "{\\rtf1\\ansi cut off");
    EXPECT_EQ(ConvertWithOffice(Path("bad.rtf"), Path("bad.out"), OfficeFormat::Doc), OfficeResult::OpenFailed);
    EXPECT_FALSE(fs::exists(Path("bad.out")));
}

} // namespace
