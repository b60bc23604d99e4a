// Options and the stop travel with the conversion, not through the process:
// conversions with different options in one process keep to their own, and
// a run's stop ends its pages and its batch and nothing else.
#include <gtest/gtest.h>

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "conversion/batch_report.h"
#include "conversion/conversion_worker.h"
#include "conversion/file_conversion.h"
#include "conversion/run_recorder.h"
#include "conversion/settings.h"
#include "conversion/stop_token.h"
#include "conversion/worker_process.h"
#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

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

FileConversionJob JobFor(const std::string& fixture)
{
    FileConversionJob job;
    job.path = FixturePath(fixture);
    job.name = fs::path(fixture).filename().string();
    return job;
}

// Frame mode, no pictures, pages 2-3, RTF.
ConversionOptions FramesWithoutPictures()
{
    ConversionOptions options;
    options.textMode = TextMode::Frames;
    options.deleteGraphics = true;
    options.allPages = false;
    options.fromPage = 2;
    options.toPage = 3;
    options.format = OutputFormat::Rtf;
    return options;
}

// Flow mode, pictures, every page, .docx.
ConversionOptions FlowDocx()
{
    ConversionOptions options;
    options.format = OutputFormat::Docx;
    return options;
}

void ExpectFramesWithoutPictures(const FileConversionResult& result)
{
    ASSERT_EQ(result.outcome, FileOutcome::Converted) << result.message;
    const std::string rtf = ReadFile(result.documentPath);
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(rtf.find("\\jpegblip"), std::string::npos);
    EXPECT_NE(rtf.find("\\phpg"), std::string::npos);
    EXPECT_EQ(CountOf(rtf, "\\sbkpage"), 1u);  // two pages
    EXPECT_EQ(result.counts.pages, 2);
}

void ExpectFlowDocx(const FileConversionResult& result, int pages)
{
    ASSERT_EQ(result.outcome, FileOutcome::Converted) << result.message;
    const std::string package = ReadFile(result.documentPath);
    EXPECT_EQ(package.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_NE(package.find("word/media/"), std::string::npos) << "the page pictures are kept";
    EXPECT_EQ(result.counts.pages, pages);
}

} // namespace

TEST(ConversionOptions, TwoConversionsInOneProcessKeepToTheirOwnOptions)
{
    CRunRecorder recorder({});
    FileConversionJob frames = JobFor("page_sizes.pdf");
    frames.options = FramesWithoutPictures();
    FileConversionJob docx = JobFor("page_sizes.pdf");
    docx.options = FlowDocx();
    // The process-wide settings say something else again: the engine does not read them.
    g_settings.writeTextInTextBoxes = 0;
    g_outputFormat = OutputFormat::Doc;

    const FileConversionResult first = ConvertFileToDocument(frames, &recorder);
    const FileConversionResult second = ConvertFileToDocument(docx, &recorder);
    const FileConversionResult third = ConvertFileToDocument(frames, &recorder);
    ExpectFramesWithoutPictures(first);
    ExpectFlowDocx(second, 4);
    ExpectFramesWithoutPictures(third);
    EXPECT_EQ(ReadFile(first.documentPath), ReadFile(third.documentPath));
    for (const auto* result : {&first, &second, &third})
        fs::remove(result->documentPath);
}

TEST(ConversionOptions, WorkersSideBySideKeepToTheirOwnOptions)
{
    auto convert = [](ConversionOptions options) {
        CRunRecorder recorder({});
        FileConversionJob job = JobFor("page_sizes.pdf");
        job.options = options;
        FileConversionResult result = ConvertFileInWorker(job, 0, &recorder);
        EndWorkerServer();
        return result;
    };
    auto frames = std::async(std::launch::async, convert, FramesWithoutPictures());
    auto docx = std::async(std::launch::async, convert, FlowDocx());
    const FileConversionResult framesResult = frames.get();
    const FileConversionResult docxResult = docx.get();
    ExpectFramesWithoutPictures(framesResult);
    ExpectFlowDocx(docxResult, 4);
    fs::remove(framesResult.documentPath);
    fs::remove(docxResult.documentPath);
}

TEST(StopToken, EndsAMultiPageConversionAfterThePageItWasRequestedOn)
{
    CRunRecorder recorder({});
    CStopToken stop;
    recorder.onProgress = [&stop](const RecordedProgress& p) {
        if (p.text.find(" : page 3 of ") != std::string::npos)
            stop.Request();
    };
    FileConversionJob job = JobFor("dense_text.pdf");
    job.options.format = OutputFormat::Rtf;
    job.stop = &stop;
    const FileConversionResult result = ConvertFileToDocument(job, &recorder);
    EXPECT_EQ(result.outcome, FileOutcome::StopRun);
    EXPECT_TRUE(result.documentPath.empty());
    EXPECT_EQ(result.counts.pages, 3);
    EXPECT_EQ(recorder.progress.back().text, "dense_text.pdf : page 3 of 24");

    // Another token, or none, is not stopped by it.
    CRunRecorder other({});
    FileConversionJob next = JobFor("base14.pdf");
    next.options.format = OutputFormat::Rtf;
    const FileConversionResult unstopped = ConvertFileToDocument(next, &other);
    EXPECT_EQ(unstopped.outcome, FileOutcome::Converted);
    fs::remove(unstopped.documentPath);
}

TEST(StopToken, EndsEveryFileOfABatchConvertedSideBySide)
{
    std::string pattern = "/tmp/pw-stop-XXXXXX";
    const std::string out = mkdtemp(pattern.data());
    RunConfig config;
    config.inputs = {FixturePath("dense_text.pdf"), FixturePath("dense_text.pdf"), FixturePath("page_sizes.pdf")};
    config.outputFolder = out;
    CRunRecorder run(config);
    run.onProgress = [&run](const RecordedProgress& p) {
        if (p.text.find(" : page 2 of 24") != std::string::npos)
            run.stop.Request();
    };
    g_jobCount = 3;
    EXPECT_EQ(ConversionWorker(&run, run.stop), 1);
    g_jobCount = 1;
    EXPECT_EQ(run.endState, RunEnd::Stopped);
    EXPECT_FALSE(run.stop.Requested()) << "the run clears its stop as its last step";
    const std::vector<FileReport> record = BatchRecord();
    ASSERT_EQ(record.size(), 3u);
    EXPECT_NE(record[0].status, FileStatus::Converted);
    EXPECT_NE(record[1].status, FileStatus::Converted);
    const std::string subfolder = DatedSubfolder(out, std::time(nullptr));
    EXPECT_FALSE(fs::exists(subfolder + "/dense_text.rtf"));
    std::error_code ec;
    fs::remove_all(out, ec);
}
