// Batches through the real command line: several files at once (--jobs),
// folders as input, and the JSON report a script reads.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "cli/run_report.h"
#include "cli_process.h"
#include "conversion/conversion_worker.h"
#include "fixtures.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kCli = PW_CLI_PATH;

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

size_t EntriesIn(const std::string& folder)
{
    size_t n = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator(); ++it)
        ++n;
    return n;
}

// Worker processes (servers and workers) of a command line started with TMPDIR=`folder`.
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

int WorkersLeftAfterAWhile(const std::string& folder)
{
    const auto start = Clock::now();
    int count = WorkersOf(folder);
    while (count > 0 && Clock::now() - start < std::chrono::seconds(3)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        count = WorkersOf(folder);
    }
    return count;
}

// One file of a report, as Python's json module reads it.
struct ReportedFile {
    std::string path, output, status, message;
    int pages = -1, words = -1, scanned = -1, fonts = -1;
    double seconds = -1;
};

struct Report {
    bool valid = false;
    std::vector<ReportedFile> files;
    std::map<std::string, std::string> totals;  // key -> value as text
    std::string result;
    int exitStatus = -1;
    int jobs = 0;
};

// Reads a report with a real JSON parser: one tab-separated line per file.
Report ReadReport(const std::string& path)
{
    const std::string script =
        "import json,sys\n"
        "r=json.load(open(sys.argv[1]))\n"
        "print('run', r['result'], r['exit_status'], r['jobs'], sep='\\t')\n"
        "for f in r['files']:\n"
        "  print('file', f['path'], f['output'] or '', f['status'], f['message'] or '', f['pages'], f['words'],"
        " f['scanned_pages'], f['fonts_embedded'], f['seconds'], sep='\\t')\n"
        "for k, v in r['totals'].items(): print('total', k, v, sep='\\t')\n";
    const ShellResult run = RunShell("python3 -c " + Quoted(script) + " " + Quoted(path));
    Report report;
    if (run.exitCode != 0)
        return report;
    report.valid = true;
    for (const std::string& line : LinesOf(run.out)) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, '\t');)
            fields.push_back(field);
        if (fields.size() == 4 && fields[0] == "run") {
            report.result = fields[1];
            report.exitStatus = std::stoi(fields[2]);
            report.jobs = std::stoi(fields[3]);
        } else if (fields.size() == 10 && fields[0] == "file") {
            ReportedFile file;
            file.path = fields[1];
            file.output = fields[2];
            file.status = fields[3];
            file.message = fields[4];
            file.pages = std::stoi(fields[5]);
            file.words = std::stoi(fields[6]);
            file.scanned = std::stoi(fields[7]);
            file.fonts = std::stoi(fields[8]);
            file.seconds = std::stod(fields[9]);
            report.files.push_back(file);
        } else if (fields.size() == 3 && fields[0] == "total") {
            report.totals[fields[1]] = fields[2];
        }
    }
    return report;
}

class CliBatchTest : public ::testing::Test {
protected:
    void SetUp() override { subfolder = DatedSubfolder(out.Path(), std::time(nullptr)); }
    std::string Cli(const std::string& args) const
    {
        return "env TMPDIR=" + Quoted(temp.Path()) + " " + Quoted(kCli) + " " + args + " -o " + Quoted(out.Path());
    }
    // A copy of a fixture at `relative` under the inputs folder.
    std::string Input(const std::string& fixture, const std::string& relative) const
    {
        const fs::path path = fs::path(inputs.Path()) / relative;
        fs::create_directories(path.parent_path());
        fs::copy_file(FixturePath(fixture), path, fs::copy_options::overwrite_existing);
        return path.string();
    }

    ScopedTempFolder out {"pw-batch-out"};
    ScopedTempFolder temp {"pw-batch-tmp"};
    ScopedTempFolder inputs {"pw-batch-in"};
    ScopedTempFolder reports {"pw-batch-report"};
    std::string subfolder;
};

} // namespace

TEST_F(CliBatchTest, TheReportListsEveryFileOnceWithWhatBecameOfIt)
{
    if (!fs::exists(FixturePath("encrypted.pdf")))
        GTEST_SKIP() << "qpdf is not installed";
    const std::string good = Input("base14.pdf", "good.pdf");
    const std::string damaged = Input("damaged.pdf", "damaged.pdf");
    const std::string locked = Input("encrypted.pdf", "locked.pdf");
    const std::string hostile = Input("hostile_tiling.pdf", "hostile.pdf");
    const std::string dense = Input("dense_text.pdf", "dense.pdf");
    {
        std::ofstream(inputs.Path() + "/notes.txt") << "not a PDF\n";
    }
    const std::string report = reports.Path() + "/run.json";
    // No terminal: nobody can type the password.
    const ShellResult run =
        RunShell(Cli("--jobs 2 --format docx --page-timeout 2 --report " + Quoted(report) + " " + Quoted(inputs.Path())));
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;

    Report read = ReadReport(report);
    ASSERT_TRUE(read.valid) << ReadWholeFile(report);
    EXPECT_EQ(read.result, "failed");
    EXPECT_EQ(read.exitStatus, 1);
    EXPECT_EQ(read.jobs, 2);
    std::map<std::string, ReportedFile> byName;
    for (const ReportedFile& file : read.files)
        EXPECT_TRUE(byName.emplace(fs::path(file.path).filename().string(), file).second) << file.path;
    ASSERT_EQ(read.files.size(), 6u) << ReadWholeFile(report);
    // Name order, as the folder was walked.
    EXPECT_EQ(fs::path(read.files[0].path).filename(), "damaged.pdf");
    EXPECT_EQ(fs::path(read.files[5].path).filename(), "notes.txt");

    const ReportedFile& ok = byName["good.pdf"];
    EXPECT_EQ(ok.status, "converted");
    EXPECT_EQ(ok.output, subfolder + "/good.docx");
    EXPECT_TRUE(fs::exists(ok.output));
    EXPECT_EQ(ok.pages, 1);
    EXPECT_EQ(ok.words, 5);  // as pdftotext counts them
    EXPECT_EQ(ok.scanned, 0);
    EXPECT_GE(ok.seconds, 0.0);
    EXPECT_EQ(byName["dense.pdf"].status, "converted");
    EXPECT_EQ(byName["dense.pdf"].pages, 24);
    EXPECT_EQ(byName["dense.pdf"].words, 19606);

    EXPECT_EQ(byName["damaged.pdf"].status, "failed");
    EXPECT_EQ(byName["damaged.pdf"].message, "damaged.pdf :Error - Cannot open PDF file.");
    EXPECT_EQ(byName["damaged.pdf"].output, "");
    EXPECT_EQ(byName["locked.pdf"].status, "failed");
    EXPECT_EQ(byName["locked.pdf"].message, "locked.pdf :Error - Cannot open PDF file.");
    EXPECT_EQ(byName["hostile.pdf"].status, "failed");
    EXPECT_EQ(byName["hostile.pdf"].message,
              "hostile.pdf :Error - Page 1 took longer than 2 seconds; the file was given up.");
    EXPECT_EQ(byName["notes.txt"].status, "skipped");

    EXPECT_EQ(read.totals["files"], "6");
    EXPECT_EQ(read.totals["converted"], "2");
    EXPECT_EQ(read.totals["failed"], "3");
    EXPECT_EQ(read.totals["skipped"], "1");
    EXPECT_EQ(read.totals["stopped"], "0");
    EXPECT_EQ(read.totals["pages"], "25");
    // Every failure is also the file's line in the log.
    for (const char* name : {"damaged.pdf", "locked.pdf", "hostile.pdf"})
        EXPECT_NE(run.out.find(byName[name].message + "\n"), std::string::npos) << name << "\n" << run.out;
    EXPECT_NE(run.out.find("Skipped 1 file that is not PDF."), std::string::npos) << run.out;
    EXPECT_EQ(EntriesIn(temp.Path()), 0u);
}

TEST_F(CliBatchTest, TheLogIsTheSameWithOneJobOrSeveral)
{
    // A long file first, so the short ones behind it end first with two jobs.
    std::string args;
    args += " " + Quoted(Input("dense_text.pdf", "long.pdf"));
    for (int i = 1; i <= 4; ++i)
        args += " " + Quoted(Input("base14.pdf", "short" + std::to_string(i) + ".pdf"));
    args += " " + Quoted(Input("damaged.pdf", "broken.pdf"));
    args += " " + Quoted(Input("sample.pdf", "last.pdf"));

    std::string logs[2];
    for (int jobs : {1, 3}) {
        ScopedTempFolder target("pw-batch-jobs");
        const ShellResult run = RunShell("env TMPDIR=" + Quoted(temp.Path()) + " " + Quoted(kCli) + " --format docx --jobs " +
                                         std::to_string(jobs) + args + " -o " + Quoted(target.Path()));
        EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
        std::string log = run.out;
        for (size_t at; (at = log.find(target.Path())) != std::string::npos;)
            log.replace(at, target.Path().size(), "OUT");
        logs[jobs == 1 ? 0 : 1] = log;
    }
    EXPECT_EQ(logs[0], logs[1]);
    const auto lines = LinesOf(logs[1]);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "long.pdf :Conversion started...");
    EXPECT_EQ(lines[1], "long.pdf :Conversion complete.");
    EXPECT_NE(logs[1].find("broken.pdf :Conversion started...\nbroken.pdf :Error - Cannot open PDF file.\n"
                           "last.pdf :Conversion started..."),
              std::string::npos)
        << logs[1];
}

TEST_F(CliBatchTest, FilesOfOneNameTakeTheFreeNamesInInputOrder)
{
    // The first "Report" is the slowest: the others are ready long before it.
    const std::string first = Input("dense_text.pdf", "a/Report.pdf");
    const std::string second = Input("base14.pdf", "b/Report.pdf");
    const std::string third = Input("sample.pdf", "c/Report.pdf");
    const std::string report = reports.Path() + "/names.json";
    const ShellResult run = RunShell(Cli("--jobs 3 --format docx --report " + Quoted(report) + " " + Quoted(first) +
                                         " " + Quoted(second) + " " + Quoted(third)));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const Report read = ReadReport(report);
    ASSERT_EQ(read.files.size(), 3u);
    EXPECT_EQ(read.files[0].output, subfolder + "/Report.docx");
    EXPECT_EQ(read.files[1].output, subfolder + "/Report(1).docx");
    EXPECT_EQ(read.files[2].output, subfolder + "/Report(2).docx");
    EXPECT_EQ(read.files[0].pages, 24);
    EXPECT_NE(run.out.find("Report.pdf :Saved as " + subfolder + "/Report.docx\nReport.pdf :Conversion started..."),
              std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Report.pdf :Saved as " + subfolder + "/Report(2).docx\nConversion complete !"),
              std::string::npos) << run.out;
}

TEST_F(CliBatchTest, FoldersGiveTheirPdfsAndRecursiveMirrorsTheTree)
{
    Input("base14.pdf", "top.pdf");
    Input("base14.pdf", "Year/2020/deep.PDF");
    Input("base14.pdf", "Year/no-extension");  // a PDF by its first bytes
    {
        std::ofstream(inputs.Path() + "/Year/readme.md") << "# notes\n";
    }
    // Without --recursive the sub-folders are left alone.
    ShellResult run = RunShell(Cli("--format docx " + Quoted(inputs.Path())));
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(fs::exists(subfolder + "/top.docx"));
    EXPECT_EQ(EntriesIn(subfolder), 1u);
    EXPECT_EQ(run.out.find("Skipped"), std::string::npos) << run.out;

    fs::remove_all(subfolder);
    run = RunShell(Cli("--format docx --recursive " + Quoted(inputs.Path())));
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(fs::exists(subfolder + "/top.docx"));
    EXPECT_TRUE(fs::exists(subfolder + "/Year/2020/deep.docx"));
    EXPECT_TRUE(fs::exists(subfolder + "/Year/no-extension.docx"));
    EXPECT_FALSE(fs::exists(subfolder + "/Year/readme.docx"));
    EXPECT_NE(run.out.find("Total 3 files were converted successfully."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Skipped 1 file that is not PDF."), std::string::npos) << run.out;

    // A folder without a PDF is nothing to convert.
    ScopedTempFolder empty("pw-batch-empty");
    {
        std::ofstream(empty.Path() + "/a.txt") << "text\n";
    }
    run = RunShell(Cli(Quoted(empty.Path())));
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_NE(run.err.find("no PDF file given (1 other file skipped)"), std::string::npos) << run.err;
}

TEST_F(CliBatchTest, TheReportCanGoToStandardOutputWithTheLogOnStandardError)
{
    const ShellResult run = RunShell(Cli("--format docx --report - " + Quoted(FixturePath("base14.pdf"))));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::string saved = reports.Path() + "/stdout.json";
    std::ofstream(saved) << run.out;
    const Report read = ReadReport(saved);
    ASSERT_TRUE(read.valid) << run.out;
    ASSERT_EQ(read.files.size(), 1u);
    EXPECT_EQ(read.files[0].status, "converted");
    EXPECT_EQ(read.result, "complete");
    EXPECT_NE(run.err.find("base14.pdf :Conversion complete."), std::string::npos) << run.err;
}

TEST_F(CliBatchTest, AReportThatCannotBeWrittenIsRefusedBeforeTheRun)
{
    const ShellResult run =
        RunShell(Cli("--format docx --report " + Quoted(reports.Path() + "/missing/run.json") + " " +
                     Quoted(FixturePath("base14.pdf"))));
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_NE(run.err.find("cannot write the report"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(subfolder));
    EXPECT_EQ(EntriesIn(reports.Path()), 0u);
}

TEST_F(CliBatchTest, CtrlCStopsEveryJob)
{
    const std::string report = reports.Path() + "/stopped.json";
    TerminalChild child(Cli("--jobs 2 --format docx --page-timeout 0 --report " + Quoted(report) + " " +
                            Quoted(Input("hostile_tiling.pdf", "one.pdf")) + " " +
                            Quoted(Input("hostile_tiling.pdf", "two.pdf")) + " " + Quoted(Input("base14.pdf", "after.pdf"))));
    ASSERT_TRUE(child.WaitFor("one.pdf :Conversion started...")) << child.Seen();
    // Both jobs are on their never-ending page: two servers, two workers.
    const auto start = Clock::now();
    while (WorkersOf(temp.Path()) < 4 && Clock::now() - start < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(WorkersOf(temp.Path()), 4);
    const auto stop = Clock::now();
    child.Interrupt();
    ASSERT_TRUE(child.WaitFor("Stopped.", 5)) << child.Seen();
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - stop).count(), 2.0);
    EXPECT_EQ(child.Wait(), 1);
    EXPECT_EQ(WorkersLeftAfterAWhile(temp.Path()), 0);
    EXPECT_EQ(EntriesIn(temp.Path()), 0u);
    EXPECT_FALSE(fs::exists(subfolder + "/after.docx"));
    // Both files said they started, in order, before the stop.
    const std::string seen = child.Seen();
    EXPECT_LT(seen.find("one.pdf :Conversion started..."), seen.find("two.pdf :Conversion started..."));
    EXPECT_LT(seen.find("two.pdf :Conversion started..."), seen.find("Stopped."));

    const Report read = ReadReport(report);
    ASSERT_EQ(read.files.size(), 3u) << ReadWholeFile(report);
    for (const ReportedFile& file : read.files)
        EXPECT_EQ(file.status, "stopped") << file.path;
    EXPECT_EQ(read.result, "stopped");
}

TEST_F(CliBatchTest, SigtermEndsEveryJobAtOnceAndStillLeavesTheReport)
{
    const std::string report = reports.Path() + "/terminated.json";
    TerminalChild child(Cli("--jobs 2 --format docx --page-timeout 0 --report " + Quoted(report) + " " +
                            Quoted(Input("base14.pdf", "first.pdf")) + " " +
                            Quoted(Input("hostile_tiling.pdf", "one.pdf")) + " " +
                            Quoted(Input("hostile_tiling.pdf", "two.pdf"))));
    ASSERT_TRUE(child.WaitFor("first.pdf :Saved as")) << child.Seen();
    const auto start = Clock::now();
    while (WorkersOf(temp.Path()) < 4 && Clock::now() - start < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    child.Signal(SIGTERM);
    EXPECT_EQ(child.Wait(), 1) << child.Seen();
    EXPECT_EQ(WorkersLeftAfterAWhile(temp.Path()), 0);
    EXPECT_EQ(EntriesIn(temp.Path()), 0u);
    const Report read = ReadReport(report);
    ASSERT_EQ(read.files.size(), 3u) << ReadWholeFile(report);
    EXPECT_EQ(read.files[0].status, "converted");
    EXPECT_EQ(read.files[1].status, "stopped");
    EXPECT_EQ(read.files[2].status, "stopped");
    EXPECT_EQ(read.result, "stopped");
    EXPECT_EQ(read.exitStatus, 1);
}

TEST_F(CliBatchTest, APasswordIsAskedOnceWhileTheJobsRunSideBySide)
{
    if (!fs::exists(FixturePath("encrypted.pdf")))
        GTEST_SKIP() << "qpdf is not installed";
    TerminalChild child(Cli("--jobs 2 --format docx " + Quoted(Input("encrypted.pdf", "a.pdf")) + " " +
                            Quoted(Input("encrypted.pdf", "b.pdf")) + " " + Quoted(Input("encrypted.pdf", "c.pdf"))));
    ASSERT_TRUE(child.WaitFor("Trying password for 1st of 5 times.")) << child.Seen();
    // b.pdf has been waiting behind a.pdf's prompt; the password typed for
    // a.pdf opens it and c.pdf without another question.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    child.Type("secret\n");
    EXPECT_EQ(child.Wait(), 0) << child.Seen();
    const std::string seen = child.Seen();
    EXPECT_EQ(seen.find("Trying password", seen.find("Trying password") + 1), std::string::npos) << seen;
    EXPECT_LT(seen.find("a.pdf :Conversion started..."), seen.find("Trying password")) << seen;
    EXPECT_GT(seen.find("b.pdf :Conversion started..."), seen.find("a.pdf :Saved as")) << seen;
    for (const char* name : {"a", "b", "c"})
        EXPECT_TRUE(fs::exists(subfolder + "/" + name + ".docx")) << name;
}

TEST(RunReportJson, TextIsEscapedAndBytesThatAreNotUtf8AreReplaced)
{
    EXPECT_EQ(JsonString("a\"b\\c\n\t\x01"), "\"a\\\"b\\\\c\\n\\t\\u0001\"");
    EXPECT_EQ(JsonString("Einführung"), "\"Einführung\"");
    EXPECT_EQ(JsonString("bad\xff\xc3"), "\"bad\\ufffd\\ufffd\"");
    // An overlong encoding of "/" is no UTF-8 either.
    EXPECT_EQ(JsonString("\xc0\xaf"), "\"\\ufffd\\ufffd\"");
}
