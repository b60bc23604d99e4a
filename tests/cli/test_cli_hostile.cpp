// Hostile and broken PDFs through the real command line: each in a batch
// before a good file, signals that end a run, passwords across a batch and
// an output folder that does not exist yet.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli_process.h"
#include "conversion/conversion_worker.h"
#include "fixtures.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kCli = PW_CLI_PATH;

std::string FreshFolder()
{
    std::string pattern = "/tmp/pw-hostile-XXXXXX";
    return mkdtemp(pattern.data());
}

size_t EntriesIn(const std::string& folder)
{
    size_t n = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator(); ++it)
        ++n;
    return n;
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The lines about one file other than its start line.
std::vector<std::string> FileLines(const std::string& out, const std::string& name)
{
    std::vector<std::string> lines;
    for (const std::string& line : LinesOf(out))
        if (line.rfind(name + " :", 0) == 0 && line != name + " :Conversion started...")
            lines.push_back(line);
    return lines;
}

// Worker processes of a command line started with TMPDIR=`folder` (the
// worker server and the worker it forked for the file at hand).
int WorkersOf(const std::string& folder)
{
    int count = 0;
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc ? readdir(proc) : nullptr) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        const std::string base = std::string("/proc/") + entry->d_name;
        std::error_code ec;
        if (fs::read_symlink(base + "/exe", ec).filename() != "paperwell-worker")
            continue;
        std::ifstream environ(base + "/environ", std::ios::binary);
        std::stringstream text;
        text << environ.rdbuf();
        if (text.str().find(std::string("TMPDIR=") + folder + '\0') != std::string::npos)
            ++count;
    }
    if (proc)
        closedir(proc);
    return count;
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A worker sent SIGKILL is gone a moment later, not at the instant the
// program exits: on a loaded machine its exit can still be under way.
int WorkersLeftAfterAWhile(const std::string& folder)
{
    const auto start = Clock::now();
    int count = WorkersOf(folder);
    while (count > 0 && SecondsSince(start) < 3.0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        count = WorkersOf(folder);
    }
    return count;
}

class CliHostileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        out = FreshFolder();
        temp = FreshFolder();
        inputs = FreshFolder();
        subfolder = DatedSubfolder(out, std::time(nullptr));
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(out, ec);
        fs::remove_all(temp, ec);
        fs::remove_all(inputs, ec);
    }
    std::string Cli(const std::string& args) const
    {
        return "env TMPDIR=" + Quoted(temp) + " " + Quoted(kCli) + " " + args + " -o " + Quoted(out);
    }
    // A copy of a fixture under a name of the test's choosing.
    std::string Input(const std::string& fixture, const std::string& name) const
    {
        const std::string path = inputs + "/" + name;
        fs::copy_file(FixturePath(fixture), path, fs::copy_options::overwrite_existing);
        return path;
    }

    std::string out, temp, inputs, subfolder;
};

// The sanitizers' shadow memory rules out a limit on the worker's memory.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryLimited = false;
#else
constexpr bool kMemoryLimited = true;
#endif

const char* const kHostile[] = {
    "hostile_tiling.pdf",   "hostile_glyphs.pdf",    "hostile_content_bomb.pdf", "hostile_font_bomb.pdf",
    "hostile_image.pdf",    "hostile_page_loop.pdf", "hostile_nesting.pdf",      "hostile_zero_page.pdf",
    "hostile_ps_function.pdf", "hostile_text.pdf",   "hostile_garbage.pdf",      "truncated.pdf",
    "damaged.pdf",          "empty.pdf",
};

} // namespace

TEST_F(CliHostileTest, EveryHostileFileGivesOneLineAndTheGoodFileAfterItIsConverted)
{
    constexpr int kPageSeconds = 3;
    std::string args;
    int n = 0;
    for (const char* hostile : kHostile) {
        args += " " + Quoted(FixturePath(hostile));
        args += " " + Quoted(Input("base14.pdf", "good" + std::to_string(++n) + ".pdf"));
    }
    const auto start = Clock::now();
    const ShellResult run = RunShell(Cli("--format rtf --page-timeout " + std::to_string(kPageSeconds) +
                                         " --memory-limit 256" + args));
    const double seconds = SecondsSince(start);

    // Ended by itself (never a signal), with the failures counted.
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("Some error occurred."), std::string::npos);
    for (const char* hostile : kHostile) {
        const std::string name = fs::path(hostile).stem().string() + ".pdf";
        const auto lines = FileLines(run.out, name);
        // One error line, or a document saved after all.
        const bool failedOnce = lines.size() == 1 && lines[0].rfind(name + " :Error - ", 0) == 0;
        const bool converted = lines.size() == 2 && lines[0] == name + " :Conversion complete.";
        EXPECT_TRUE(failedOnce || converted) << name << "\n" << run.out;
    }
    for (int i = 1; i <= n; ++i)
        EXPECT_TRUE(fs::exists(subfolder + "/good" + std::to_string(i) + ".rtf")) << i << "\n" << run.out;

    // What each class must come to.
    EXPECT_EQ(FileLines(run.out, "hostile_tiling.pdf"),
              std::vector<std::string>{"hostile_tiling.pdf :Error - Page 1 took longer than 3 seconds; the file "
                                       "was given up."});
    // (The font bomb meets its memory limit or, on a busy machine, the page
    // budget first: its own test below gives it time.)
    EXPECT_EQ(FileLines(run.out, "empty.pdf"), std::vector<std::string>{"empty.pdf :Error - Cannot open PDF file."});

    // Each file within its budget (and the grace for a stuck worker).
    EXPECT_LT(seconds, 14 * (kPageSeconds + 5));
    EXPECT_EQ(EntriesIn(temp), 0u) << run.out;
}

TEST_F(CliHostileTest, TerminationSignalsEndTheRunAtOnceAndCleanly)
{
    for (int signalNumber : {SIGTERM, SIGHUP}) {
        // No page budget: only the signal ends this page.
        // One job: the good file waits behind the page that never ends.
        TerminalChild child(Cli("--jobs 1 --format rtf --page-timeout 0 " + Quoted(FixturePath("hostile_tiling.pdf")) +
                                " " + Quoted(FixturePath("base14.pdf"))));
        ASSERT_TRUE(child.WaitFor("hostile_tiling.pdf :Conversion started...")) << child.Seen();
        // The worker is at work on the page.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(WorkersOf(temp), 2);
        const auto start = Clock::now();
        child.Signal(signalNumber);
        EXPECT_EQ(child.Wait(), 1) << child.Seen();
        EXPECT_LT(SecondsSince(start), 3.0);
        EXPECT_EQ(EntriesIn(temp), 0u);
        EXPECT_EQ(WorkersLeftAfterAWhile(temp), 0);
        EXPECT_FALSE(fs::exists(subfolder + "/base14.rtf"));
    }
}

TEST_F(CliHostileTest, CtrlCStopsAPageThatNeverEnds)
{
    TerminalChild child(Cli("--jobs 1 --format rtf --page-timeout 0 " + Quoted(FixturePath("hostile_tiling.pdf")) +
                            " " + Quoted(FixturePath("base14.pdf"))));
    ASSERT_TRUE(child.WaitFor("hostile_tiling.pdf :Conversion started...")) << child.Seen();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto start = Clock::now();
    child.Interrupt();
    ASSERT_TRUE(child.WaitFor("Stopped.", 5)) << child.Seen();
    EXPECT_LT(SecondsSince(start), 2.0);
    EXPECT_EQ(child.Wait(), 1);
    EXPECT_EQ(EntriesIn(temp), 0u);
    EXPECT_FALSE(fs::exists(subfolder + "/base14.rtf"));
}

TEST_F(CliHostileTest, ThePasswordOptionOpensEveryEncryptedFile)
{
    if (!fs::exists(FixturePath("encrypted.pdf")))
        GTEST_SKIP() << "qpdf is not installed";
    const ShellResult run = RunShell(Cli("--format rtf --password secret " + Quoted(Input("encrypted.pdf", "a.pdf")) +
                                         " " + Quoted(FixturePath("base14.pdf")) + " " +
                                         Quoted(Input("encrypted.pdf", "b.pdf"))));
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(fs::exists(subfolder + "/a.rtf"));
    EXPECT_TRUE(fs::exists(subfolder + "/b.rtf"));
}

TEST_F(CliHostileTest, APasswordTypedOnceIsTriedFirstForTheNextFile)
{
    if (!fs::exists(FixturePath("encrypted.pdf")))
        GTEST_SKIP() << "qpdf is not installed";
    // A wrong --password costs no attempt: the terminal still asks "1st".
    TerminalChild child(Cli("--format rtf --password nope " + Quoted(Input("encrypted.pdf", "a.pdf")) + " " +
                            Quoted(Input("encrypted.pdf", "b.pdf"))));
    ASSERT_TRUE(child.WaitFor("Trying password for 1st of 5 times.")) << child.Seen();
    child.Type("secret\n");
    EXPECT_EQ(child.Wait(), 0) << child.Seen();
    const std::string seen = child.Seen();
    EXPECT_EQ(seen.find("Trying password", seen.find("a.pdf :Conversion complete.")), std::string::npos) << seen;
    EXPECT_TRUE(fs::exists(subfolder + "/b.rtf"));
}

TEST_F(CliHostileTest, AMissingOutputFolderIsMadeFirst)
{
    const std::string nested = out + "/new/deeper";
    const ShellResult run = RunShell("env TMPDIR=" + Quoted(temp) + " " + Quoted(kCli) + " --format rtf " +
                                     Quoted(FixturePath("base14.pdf")) + " -o " + Quoted(nested));
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(fs::exists(DatedSubfolder(nested, std::time(nullptr)) + "/base14.rtf"));

    // A folder that cannot be made still ends the run with the message.
    const ShellResult blocked = RunShell("env TMPDIR=" + Quoted(temp) + " " + Quoted(kCli) + " --format rtf " +
                                         Quoted(FixturePath("base14.pdf")) + " -o /etc/passwd/sub");
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.err.find("Cannot create directory at output location."), std::string::npos) << blocked.err;
}

TEST_F(CliHostileTest, AWorkerThatCrashesCostsOnlyItsFile)
{
    // The worker's test hook makes it crash on this one name (and a sanitizer
    // build leaves the signal alone rather than turning it into an exit).
    const ShellResult run = RunShell("ASAN_OPTIONS=handle_segv=0 PW_WORKER_CRASH_ON=doomed.pdf " +
                                     Cli("--format rtf " + Quoted(Input("base14.pdf", "doomed.pdf")) + " " +
                                         Quoted(Input("base14.pdf", "fine.pdf"))));
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_EQ(FileLines(run.out, "doomed.pdf"),
              std::vector<std::string>{"doomed.pdf :Error - The PDF made the converter crash (signal 11)."});
    EXPECT_FALSE(fs::exists(subfolder + "/doomed.rtf"));
    EXPECT_TRUE(fs::exists(subfolder + "/fine.rtf"));
    EXPECT_EQ(EntriesIn(temp), 0u);
}

TEST_F(CliHostileTest, AnAllocationTheLimitRefusesIsReportedAsMemory)
{
    if (!kMemoryLimited)
        GTEST_SKIP() << "no memory limit under the sanitizers";
    // The library's allocator aborts the worker when the font file outgrows the limit.
    const ShellResult run = RunShell(Cli("--format rtf --memory-limit 128 " + Quoted(FixturePath("hostile_font_bomb.pdf")) +
                                         " " + Quoted(FixturePath("base14.pdf"))));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(FileLines(run.out, "hostile_font_bomb.pdf"),
              std::vector<std::string>{"hostile_font_bomb.pdf :Error - The PDF needs more memory than the "
                                       "converter may use (128 MB)."});
    EXPECT_TRUE(fs::exists(subfolder + "/base14.rtf"));
    EXPECT_EQ(EntriesIn(temp), 0u);

    // Limits below what a worker needs to start are usage errors.
    EXPECT_EQ(RunShell(Cli("--memory-limit 10 " + Quoted(FixturePath("base14.pdf")))).exitCode, 2);
    EXPECT_EQ(RunShell(Cli("--page-timeout soon " + Quoted(FixturePath("base14.pdf")))).exitCode, 2);
}
