// Whole runs through the worker and the per-file drivers, on fixture PDFs,
// with a recording receiver. The office step is left out (documents are
// stored as RTF) except where it is the point; the command line's tests
// cover LibreOffice end to end.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "conversion/batch_report.h"
#include "conversion/conversion_worker.h"
#include "conversion/settings.h"
#include "conversion/run_recorder.h"
#include "fixtures.h"
#include "platform/temp_path.h"

namespace fs = std::filesystem;

namespace {

std::string FreshFolder()
{
    std::string pattern = "/tmp/pw-driver-XXXXXX";
    return mkdtemp(pattern.data());
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Nothing of a run may stay behind in the private temporary folder.
std::vector<std::string> LeftoverTempFiles()
{
    std::vector<std::string> names;
    const std::string folder = PrivateTempFolder();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    return names;
}

class BatchDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        out = FreshFolder();
        subfolder = DatedSubfolder(out, std::time(nullptr));
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(out, ec);
        g_outputFormat = OutputFormat::Doc;
    }

    RunConfig Config(std::vector<std::string> inputs)
    {
        RunConfig config;
        config.inputs = std::move(inputs);
        config.outputFolder = out;
        return config;
    }

    std::string out;
    std::string subfolder;
};

} // namespace

TEST_F(BatchDriverTest, FlowRunReportsEveryStepInOrder)
{
    RunConfig config = Config({FixturePath("page_sizes.pdf")});
    config.allPages = 0;
    config.fromPage = 1;
    config.toPage = 3;
    CRunRecorder run(config);
    ASSERT_EQ(ConversionWorker(&run, run.stop), 1);

    const std::string stored = subfolder + "/page_sizes.rtf";
    const std::vector<std::string> expectedLogs = {"page_sizes.pdf :Conversion started...",
                                                   "page_sizes.pdf :Conversion complete.",
                                                   "page_sizes.pdf :Saved as " + stored};
    EXPECT_EQ(run.logs, expectedLogs);

    const std::vector<std::pair<std::string, int>> expectedProgress = {
        {"page_sizes.pdf :Conversion started...", 0},
        {"page_sizes.pdf : page 1 of 3", 33},
        {"page_sizes.pdf : page 2 of 3", 66},
        {"page_sizes.pdf : page 3 of 3", 99},
        {"(null)", 100},
        {"(null)", 1000}};
    ASSERT_EQ(run.progress.size(), expectedProgress.size());
    for (size_t i = 0; i < expectedProgress.size(); ++i) {
        EXPECT_EQ(run.progress[i].text, expectedProgress[i].first) << i;
        EXPECT_EQ(run.progress[i].percent, expectedProgress[i].second) << i;
    }
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.endState, RunEnd::Complete);
    EXPECT_TRUE(run.completionShown);
    ASSERT_EQ(g_convertedFiles, std::vector<std::string>{stored});
    EXPECT_FALSE(run.stop.Requested());

    // Three pages: the first without a section break, two with one; each
    // page with its picture; the document is one line.
    const std::string rtf = ReadFile(stored);
    EXPECT_EQ(rtf.rfind("{\\rtf\\ansi\\ansicpg1252\\deff0 ", 0), 0u);
    EXPECT_EQ(CountOf(rtf, "\\sbkpage"), 2u);
    EXPECT_EQ(CountOf(rtf, "\\jpegblip "), 3u);
    EXPECT_EQ(rtf.find('\n'), std::string::npos);
    EXPECT_EQ(rtf.substr(rtf.size() - 5), "\\par}");
    EXPECT_TRUE(LeftoverTempFiles().empty());
}

TEST_F(BatchDriverTest, FramesModeAndDeletedGraphics)
{
    RunConfig config = Config({FixturePath("base14.pdf")});
    config.frames = 1;
    config.deleteGraphics = 1;
    CRunRecorder run(config);
    ConversionWorker(&run, run.stop);
    ASSERT_EQ(run.endState, RunEnd::Complete);
    const std::string rtf = ReadFile(subfolder + "/base14.rtf");
    EXPECT_EQ(rtf.find("\\jpegblip"), std::string::npos);
    EXPECT_NE(rtf.find("\\phpg"), std::string::npos);
    // Frame pages end with an ordinary paragraph for the frames to anchor to.
    EXPECT_NE(rtf.find("\\pard\\par\\par}"), std::string::npos) << rtf.substr(rtf.size() - 60);
}

// Width and height of every baseline JPEG frame header in `bytes` (the page
// pictures of an RTF in hex, or of a package stored as they are).
std::vector<std::pair<int, int>> JpegSizes(const std::string& bytes)
{
    std::vector<std::pair<int, int>> sizes;
    const std::string sof("\xFF\xC0\x00\x11\x08", 5);
    for (size_t at = bytes.find(sof); at != std::string::npos; at = bytes.find(sof, at + 1)) {
        auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + 5 + i]); };
        sizes.emplace_back(byte(2) << 8 | byte(3), byte(0) << 8 | byte(1));
    }
    return sizes;
}

TEST_F(BatchDriverTest, ThePictureResolutionOfTheRunReachesEveryPage)
{
    for (const int dpi : {96, 150, 300}) {
        RunConfig config = Config({FixturePath("page_sizes.pdf")});
        config.format = OutputFormat::Docx;
        config.pictureDpi = dpi;
        CRunRecorder run(config);
        ConversionWorker(&run, run.stop);
        ASSERT_EQ(run.endState, RunEnd::Complete) << dpi;
        ASSERT_EQ(g_convertedFiles.size(), 1u);
        const auto sizes = JpegSizes(ReadFile(g_convertedFiles[0]));
        ASSERT_EQ(sizes.size(), 4u) << dpi;
        // Letter, A4 and Letter turned, at the run's resolution.
        EXPECT_EQ(sizes[0], std::make_pair(612 * dpi / 72, 792 * dpi / 72)) << dpi;
        EXPECT_EQ(sizes[1].first, (595 * dpi + 36) / 72) << dpi;
        EXPECT_EQ(sizes[2], std::make_pair(792 * dpi / 72, 612 * dpi / 72)) << dpi;
        fs::remove(g_convertedFiles[0]);
    }
}

TEST_F(BatchDriverTest, NameAndOutputBaseComeFromTheFileName)
{
    const std::string input = out + "/Report.PDF";
    fs::copy_file(FixturePath("base14.pdf"), input);
    CRunRecorder run(Config({input}));
    ConversionWorker(&run, run.stop);
    EXPECT_TRUE(Contains(run.logs, "Report.pdf :Conversion started..."));
    EXPECT_TRUE(fs::exists(subfolder + "/Report.rtf"));
}

TEST_F(BatchDriverTest, ExistingDocumentsAreNeverReplaced)
{
    fs::create_directories(subfolder);
    std::ofstream(subfolder + "/base14.rtf") << "precious";
    std::ofstream(subfolder + "/base14(1).rtf") << "also precious";
    for (int round = 0; round < 2; ++round) {
        CRunRecorder run(Config({FixturePath("base14.pdf")}));
        ConversionWorker(&run, run.stop);
        ASSERT_EQ(run.endState, RunEnd::Complete);
    }
    EXPECT_EQ(ReadFile(subfolder + "/base14.rtf"), "precious");
    EXPECT_EQ(ReadFile(subfolder + "/base14(1).rtf"), "also precious");
    EXPECT_TRUE(fs::exists(subfolder + "/base14(2).rtf"));
    EXPECT_TRUE(fs::exists(subfolder + "/base14(3).rtf"));
}

TEST_F(BatchDriverTest, BadFilesFailAndTheRestStillConvert)
{
    const std::string folderNamedPdf = out + "/folder.pdf";
    fs::create_directories(folderNamedPdf);
    CRunRecorder run(Config({out + "/missing.pdf", folderNamedPdf, FixturePath("damaged.pdf"),
                             FixturePath("empty.pdf"), FixturePath("zero_pages.pdf"),
                             FixturePath("truncated.pdf"), FixturePath("base14.pdf")}));
    ConversionWorker(&run, run.stop);

    for (const char* name : {"missing.pdf", "folder.pdf", "damaged.pdf", "empty.pdf"})
        EXPECT_TRUE(Contains(run.logs, std::string(name) + " :Error - Cannot open PDF file.")) << name;
    // A document without pages has nothing in its range.
    EXPECT_TRUE(Contains(run.logs, "zero_pages.pdf :Error - Cannot open PDF file.") ||
                Contains(run.logs, "zero_pages.pdf :Page range is incorrect. Please try again."));
    // Half a file may be repaired by the library or refused; either way it is
    // reported once and the run goes on.
    EXPECT_TRUE(Contains(run.logs, "truncated.pdf :Error - Cannot open PDF file.") ||
                Contains(run.logs, "truncated.pdf :Conversion complete."));
    EXPECT_TRUE(Contains(run.logs, "base14.pdf :Conversion complete."));
    EXPECT_EQ(run.endState, RunEnd::Failed);
    EXPECT_TRUE(run.completionShown);  // one file was saved
    EXPECT_TRUE(fs::exists(subfolder + "/base14.rtf"));
    EXPECT_TRUE(LeftoverTempFiles().empty());
}

TEST_F(BatchDriverTest, PageRanges)
{
    {
        RunConfig config = Config({FixturePath("page_sizes.pdf")});
        config.allPages = 0;
        config.fromPage = 5;
        config.toPage = 10;
        CRunRecorder run(config);
        ConversionWorker(&run, run.stop);
        EXPECT_TRUE(Contains(run.logs, "page_sizes.pdf :Page range is incorrect. Please try again."));
        EXPECT_FALSE(fs::exists(subfolder + "/page_sizes.rtf"));
        EXPECT_EQ(run.endState, RunEnd::Failed);
        EXPECT_FALSE(run.completionShown);
        EXPECT_TRUE(g_convertedFiles.empty());
    }
    {
        // 0 is raised to the first page.
        RunConfig config = Config({FixturePath("page_sizes.pdf")});
        config.allPages = 0;
        config.fromPage = 0;
        config.toPage = 2;
        CRunRecorder run(config);
        ConversionWorker(&run, run.stop);
        EXPECT_EQ(run.endState, RunEnd::Complete);
        EXPECT_EQ(run.progress[1].text, "page_sizes.pdf : page 1 of 2");
        EXPECT_EQ(run.progress[2].percent, 99);
    }
    {
        // A reversed range is refused before the file is opened.
        RunConfig config = Config({FixturePath("encrypted.pdf")});
        config.allPages = 0;
        config.fromPage = 3;
        config.toPage = 2;
        CRunRecorder run(config);
        ConversionWorker(&run, run.stop);
        EXPECT_TRUE(Contains(run.logs, "encrypted.pdf :Page range is incorrect. Please try again."));
        EXPECT_TRUE(run.prompts.empty());
    }
}

TEST_F(BatchDriverTest, PasswordRightAtTheSecondTry)
{
    CRunRecorder run(Config({FixturePath("encrypted.pdf")}));
    run.answers = {"wrong", "secret"};
    ConversionWorker(&run, run.stop);
    const std::vector<std::string> expected = {"Trying password for 1st of 5 times.",
                                               "Trying password for 2nd of 5 times."};
    EXPECT_EQ(run.prompts, expected);
    EXPECT_EQ(run.endState, RunEnd::Complete);
}

TEST_F(BatchDriverTest, FiveWrongPasswordsOrACancelFailTheFile)
{
    {
        CRunRecorder run(Config({FixturePath("encrypted.pdf")}));
        run.answers = {"a", "b", "c", "d", "e", "f"};
        ConversionWorker(&run, run.stop);
        ASSERT_EQ(run.prompts.size(), 5u);
        EXPECT_EQ(run.prompts[2], "Trying password for 3rd of 5 times.");
        EXPECT_EQ(run.prompts[4], "Trying password for 5th of 5 times.");
        EXPECT_TRUE(Contains(run.logs, "encrypted.pdf :Error - Cannot open PDF file."));
    }
    {
        CRunRecorder run(Config({FixturePath("encrypted.pdf"), FixturePath("base14.pdf")}));
        run.answers = {"a", "b"};  // the third prompt is cancelled
        ConversionWorker(&run, run.stop);
        EXPECT_EQ(run.prompts.size(), 3u);
        EXPECT_TRUE(Contains(run.logs, "encrypted.pdf :Error - Cannot open PDF file."));
        EXPECT_TRUE(Contains(run.logs, "base14.pdf :Conversion complete."));
        EXPECT_EQ(run.endState, RunEnd::Failed);
    }
}

TEST_F(BatchDriverTest, OutputFolderThatCannotBeCreated)
{
    RunConfig config = Config({FixturePath("base14.pdf")});
    config.outputFolder = out + "/no/such/folder";
    g_convertedFiles = {"from an earlier run"};
    CRunRecorder run(config);
    EXPECT_EQ(ConversionWorker(&run, run.stop), 1);
    EXPECT_EQ(run.messages, std::vector<std::string>{"Cannot create directory at output location."});
    EXPECT_EQ(run.endState, RunEnd::FolderFailed);
    EXPECT_TRUE(run.logs.empty());
    // No driver ran: the earlier run's list stays.
    EXPECT_EQ(g_convertedFiles.size(), 1u);
}

TEST_F(BatchDriverTest, SubfolderOfTheSameDayIsReused)
{
    fs::create_directories(subfolder);
    CRunRecorder run(Config({FixturePath("base14.pdf")}));
    ConversionWorker(&run, run.stop);
    EXPECT_EQ(run.endState, RunEnd::Complete);
    // A file where the sub-folder should be cannot take the documents.
    fs::remove_all(subfolder);
    std::ofstream(subfolder) << "not a folder";
    CRunRecorder second(Config({FixturePath("base14.pdf")}));
    ConversionWorker(&second, second.stop);
    EXPECT_EQ(second.endState, RunEnd::FolderFailed);
}

TEST_F(BatchDriverTest, StopInFlowModeEndsBeforeTheNextFile)
{
    CRunRecorder run(Config({FixturePath("dense_text.pdf"), FixturePath("base14.pdf")}));
    run.onProgress = [&run](const RecordedProgress& p) {
        if (p.text.find(" : page 2 of ") != std::string::npos)
            run.stop.Request();
    };
    EXPECT_EQ(ConversionWorker(&run, run.stop), 1);
    EXPECT_EQ(run.endState, RunEnd::Stopped);
    EXPECT_FALSE(run.completionShown);
    EXPECT_FALSE(run.stop.Requested());
    EXPECT_FALSE(Contains(run.logs, "base14.pdf :Conversion started..."));
    // The page loop left after the page it was on: nothing stored, nothing left.
    EXPECT_EQ(run.progress.back().text, "dense_text.pdf : page 2 of 24");
    EXPECT_FALSE(fs::exists(subfolder + "/dense_text.rtf"));
    EXPECT_TRUE(LeftoverTempFiles().empty());
}

TEST_F(BatchDriverTest, StopInFrameModeIsSeenAfterTheNextFileOpens)
{
    RunConfig config = Config({FixturePath("base14.pdf"), FixturePath("encrypted.pdf"), FixturePath("blank.pdf")});
    config.frames = 1;
    CRunRecorder run(config);
    run.answers = {"secret"};
    run.onProgress = [&run](const RecordedProgress& p) {
        if (p.percent == kFileDoneProgress)
            run.stop.Request();
    };
    ConversionWorker(&run, run.stop);
    EXPECT_EQ(run.endState, RunEnd::Stopped);
    EXPECT_TRUE(fs::exists(subfolder + "/base14.rtf"));
    // The next file was started and opened (with its password) before the
    // stop was noticed; the one after it was never started.
    EXPECT_TRUE(Contains(run.logs, "encrypted.pdf :Conversion started..."));
    EXPECT_EQ(run.prompts.size(), 1u);
    EXPECT_FALSE(fs::exists(subfolder + "/encrypted.rtf"));
    EXPECT_FALSE(Contains(run.logs, "blank.pdf :Conversion started..."));
}

TEST_F(BatchDriverTest, OversizedPageIsRenderedSmaller)
{
    // The fourth page of page_sizes.pdf is larger than 1239 x 1755 pixels at
    // 96 dpi; it must come out within that size.
    RunConfig config = Config({FixturePath("page_sizes.pdf")});
    CRunRecorder run(config);
    ConversionWorker(&run, run.stop);
    ASSERT_EQ(run.endState, RunEnd::Complete);
    const std::string rtf = ReadFile(subfolder + "/page_sizes.rtf");
    size_t at = 0;
    int pages = 0;
    while ((at = rtf.find("\\paperw", at)) != std::string::npos) {
        const int width = std::stoi(rtf.substr(at + 7));
        const size_t h = rtf.find("\\paperh", at);
        const int height = std::stoi(rtf.substr(h + 7));
        EXPECT_LE(width, 18586 + 50);
        EXPECT_LE(height, 26326 + 100);
        ++pages;
        ++at;
    }
    EXPECT_EQ(pages, 4);
}

// Several jobs: the front end sees what a run in turn shows it, the stored
// documents are listed in input order, and the record holds every file.
TEST_F(BatchDriverTest, SeveralJobsSendWhatARunInTurnSends)
{
    const std::vector<std::string> inputs = {FixturePath("dense_text.pdf"), FixturePath("base14.pdf"),
                                             FixturePath("damaged.pdf"), FixturePath("sample.pdf")};
    std::vector<std::string> logs[2];
    std::vector<RecordedProgress> progress[2];
    std::vector<std::string> converted[2];
    for (int pass = 0; pass < 2; ++pass) {
        fs::remove_all(subfolder);
        g_jobCount = pass == 0 ? 1 : 3;
        CRunRecorder run(Config(inputs));
        ConversionWorker(&run, run.stop);
        g_jobCount = 1;
        EXPECT_EQ(run.endState, RunEnd::Failed);
        logs[pass] = run.logs;
        progress[pass] = run.progress;
        converted[pass] = g_convertedFiles;
        const std::vector<FileReport> record = BatchRecord();
        ASSERT_EQ(record.size(), inputs.size());
        EXPECT_EQ(record[0].status, FileStatus::Converted);
        EXPECT_EQ(record[0].counts.pages, 24);
        EXPECT_EQ(record[0].outputPath, subfolder + "/dense_text.rtf");
        EXPECT_EQ(record[2].status, FileStatus::Failed);
        EXPECT_EQ(record[2].message, "damaged.pdf :Error - Cannot open PDF file.");
        EXPECT_EQ(record[3].status, FileStatus::Converted);
    }
    EXPECT_EQ(logs[0], logs[1]);
    EXPECT_EQ(converted[0], converted[1]);
    ASSERT_EQ(converted[1].size(), 3u);
    EXPECT_EQ(converted[1][0], subfolder + "/dense_text.rtf");
    // The status line follows the first unfinished file only: every page
    // text of dense_text.pdf comes before any of sample.pdf, and every file
    // done is counted once.
    auto filesDone = [](const std::vector<RecordedProgress>& sent) {
        return std::count_if(sent.begin(), sent.end(), [](const RecordedProgress& p) { return p.percent == kFileDoneProgress; });
    };
    EXPECT_EQ(filesDone(progress[0]), 3);
    EXPECT_EQ(filesDone(progress[1]), 3);
    size_t lastDense = 0, firstSample = SIZE_MAX;
    for (size_t i = 0; i < progress[1].size(); ++i) {
        if (progress[1][i].text.rfind("dense_text.pdf : page", 0) == 0)
            lastDense = i;
        if (progress[1][i].text.rfind("sample.pdf : page", 0) == 0)
            firstSample = std::min(firstSample, i);
    }
    EXPECT_LT(lastDense, firstSample);
    EXPECT_TRUE(LeftoverTempFiles().empty());
}
