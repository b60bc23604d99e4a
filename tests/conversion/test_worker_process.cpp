// The worker process around one file's conversion: its protocol, its
// result, its limits (page budget, stop in the middle of a page) and the
// cleaning up of its temporary files.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <future>
#include <thread>

#include "conversion/conversion_worker.h"
#include "conversion/file_conversion.h"
#include "conversion/page_loop.h"
#include "conversion/settings.h"
#include "conversion/stop_token.h"
#include "conversion/worker_job.h"
#include "conversion/worker_process.h"
#include "conversion/worker_protocol.h"
#include "conversion/run_recorder.h"
#include "fixtures.h"
#include "platform/temp_path.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string ReadWholeFileForTest(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Every entry of the private temporary folder but `keep`.
std::vector<std::string> TempEntriesBut(const std::string& keep = {})
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(PrivateTempFolder(), ec))
        if (entry.path().string() != keep)
            names.push_back(entry.path().filename().string());
    return names;
}

FileConversionJob JobFor(const std::string& fixture, int pageSeconds)
{
    FileConversionJob job;
    job.path = FixturePath(fixture);
    job.name = fs::path(fixture).stem().string() + ".pdf";
    job.pageSeconds = pageSeconds;
    return job;
}

class WorkerProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Each test starts its own worker server.
        EndWorkerServer();
    }
    void TearDown() override
    {
        EndWorkerServer();
    }
};

} // namespace

TEST(WorkerProtocol, FieldsAndFramesRoundTripAndBrokenFramesAreSeen)
{
    const std::string payload = CFieldWriter().Int(-7).Text("caf\xC3\xA9").Text("").Int(1000).Bytes();
    CFieldReader reader(payload);
    int32_t a = 0, b = 0;
    std::string s, empty = "x";
    EXPECT_TRUE(reader.Int(a) && reader.Text(s) && reader.Text(empty) && reader.Int(b));
    EXPECT_EQ(a, -7);
    EXPECT_EQ(s, "caf\xC3\xA9");
    EXPECT_EQ(empty, "");
    EXPECT_EQ(b, 1000);
    // Reading past the end fails and keeps failing.
    EXPECT_FALSE(reader.Int(a));
    EXPECT_FALSE(reader.Ok());

    // A text whose length runs past the payload is refused.
    CFieldReader shortText(CFieldWriter().Int(50).Bytes() + "abc");
    EXPECT_FALSE(shortText.Text(s));

    // Frames arrive in pieces and come out whole, in order.
    int sockets[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
    ASSERT_TRUE(WriteWorkerMessage(sockets[0], WorkerMessage::Log, CFieldWriter().Text("one").Bytes()));
    ASSERT_TRUE(WriteWorkerMessage(sockets[0], WorkerMessage::PageStarted, CFieldWriter().Int(3).Bytes()));
    char bytes[256];
    const ssize_t got = read(sockets[1], bytes, sizeof bytes);
    ASSERT_GT(got, 0);
    CMessageBuffer buffer;
    WorkerMessage type {};
    std::string body;
    buffer.Append(bytes, 3);
    EXPECT_FALSE(buffer.Next(type, body));
    buffer.Append(bytes + 3, static_cast<size_t>(got) - 3);
    ASSERT_TRUE(buffer.Next(type, body));
    EXPECT_EQ(type, WorkerMessage::Log);
    ASSERT_TRUE(buffer.Next(type, body));
    EXPECT_EQ(type, WorkerMessage::PageStarted);
    EXPECT_FALSE(buffer.Next(type, body));

    // A length beyond any message marks the stream as broken.
    const char huge[5] = {'L', '\xFF', '\xFF', '\xFF', '\x7F'};
    buffer.Append(huge, sizeof huge);
    EXPECT_FALSE(buffer.Next(type, body));
    EXPECT_TRUE(buffer.Broken());

    // A peer that is gone is an error, not a signal.
    close(sockets[1]);
    EXPECT_FALSE(WriteWorkerMessage(sockets[0], WorkerMessage::Log, std::string(100000, 'x')));
    close(sockets[0]);
}

TEST_F(WorkerProcess, ConvertsAFileAndLeavesOnlyItsRtf)
{
    ASSERT_FALSE(WorkerProgramPath().empty());
    CRunRecorder recorder({});
    const auto before = TempEntriesBut();
    const FileConversionResult result = ConvertFileInWorker(JobFor("base14.pdf", 60), 0, &recorder);
    ASSERT_EQ(result.outcome, FileOutcome::Converted) << result.message;
    ASSERT_TRUE(fs::exists(result.documentPath));
    EXPECT_EQ(fs::path(result.documentPath).parent_path().string(), PrivateTempFolder());
    EXPECT_NE(ReadWholeFileForTest(result.documentPath).find("Hello"), std::string::npos);
    // The worker's progress came through the run's receiver, in order.
    ASSERT_FALSE(recorder.progress.empty());
    EXPECT_EQ(recorder.progress.back().text, "base14.pdf : page 1 of 1");
    EXPECT_EQ(recorder.progress.back().percent, 99);
    // The worker's own folder (pictures, body file) is gone.
    EXPECT_EQ(TempEntriesBut(result.documentPath), before);
    fs::remove(result.documentPath);
}

TEST_F(WorkerProcess, WritesTheDocxItselfWhenTheRunWantsOne)
{
    CRunRecorder recorder({});
    const auto before = TempEntriesBut();
    FileConversionJob docx = JobFor("base14.pdf", 60);
    docx.options.format = OutputFormat::Docx;
    const FileConversionResult result = ConvertFileInWorker(docx, 0, &recorder);
    ASSERT_EQ(result.outcome, FileOutcome::Converted) << result.message;
    const std::string package = ReadWholeFileForTest(result.documentPath);
    EXPECT_EQ(package.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_NE(package.find("word/document.xml"), std::string::npos);
    EXPECT_EQ(TempEntriesBut(result.documentPath), before);
    fs::remove(result.documentPath);

    // The same job for a .doc run: the RTF the office step starts from.
    const FileConversionResult rtf = ConvertFileInWorker(JobFor("base14.pdf", 60), 0, &recorder);
    ASSERT_EQ(rtf.outcome, FileOutcome::Converted) << rtf.message;
    EXPECT_EQ(ReadWholeFileForTest(rtf.documentPath).rfind("{\\rtf", 0), 0u);
    fs::remove(rtf.documentPath);
}

TEST_F(WorkerProcess, APageOverItsBudgetFailsTheFileWithOneLine)
{
    CRunRecorder recorder({});
    const auto before = TempEntriesBut();
    const auto start = Clock::now();
    const FileConversionResult result = ConvertFileInWorker(JobFor("hostile_tiling.pdf", 1), 0, &recorder);
    const double seconds = SecondsSince(start);
    EXPECT_EQ(result.outcome, FileOutcome::Failed);
    EXPECT_EQ(result.message, PageOverBudgetLine("hostile_tiling.pdf", 1, 1));
    EXPECT_TRUE(result.documentPath.empty());
    // The budget plus the grace for a worker stuck inside one drawing operation.
    EXPECT_LT(seconds, 1 + 5 + 2);
    // The killed worker's files went with its folder.
    EXPECT_EQ(TempEntriesBut(), before);
}

TEST_F(WorkerProcess, AStopReachesTheWorkerInTheMiddleOfAPage)
{
    CRunRecorder recorder({});
    CStopToken token;
    FileConversionJob job = JobFor("hostile_tiling.pdf", 0);
    job.stop = &token;
    // No budget: only the stop can end this page.
    auto run = std::async(std::launch::async, [&recorder, &job] { return ConvertFileInWorker(job, 0, &recorder); });
    ASSERT_EQ(run.wait_for(std::chrono::seconds(2)), std::future_status::timeout);
    const auto stop = Clock::now();
    token.Request();
    ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    const double seconds = SecondsSince(stop);
    const FileConversionResult result = run.get();
    EXPECT_EQ(result.outcome, FileOutcome::StopRun);
    EXPECT_TRUE(result.message.empty());
    EXPECT_LT(seconds, 1.0);
}

TEST_F(WorkerProcess, AMissingWorkerProgramFailsTheFileWithOneLine)
{
    setenv("PW_WORKER_PROGRAM", "/nonexistent/paperwell-worker", 1);
    CRunRecorder recorder({});
    const FileConversionResult result = ConvertFileInWorker(JobFor("base14.pdf", 60), 0, &recorder);
    unsetenv("PW_WORKER_PROGRAM");
    EXPECT_EQ(result.outcome, FileOutcome::Failed);
    EXPECT_EQ(result.message, "base14.pdf :Error - Cannot start the converter.");
    EXPECT_TRUE(recorder.logs.empty());
}

TEST_F(WorkerProcess, APasswordTypedForOneFileOpensTheNextWithoutAsking)
{
    const std::string encrypted = FixturePath("encrypted.pdf");
    if (!fs::exists(encrypted))
        GTEST_SKIP() << "qpdf is not installed";
    const std::string folder = PrivateTempFolder() + "/pw-test-inputs";
    fs::create_directories(folder);
    fs::copy_file(encrypted, folder + "/first.pdf", fs::copy_options::overwrite_existing);
    fs::copy_file(encrypted, folder + "/second.pdf", fs::copy_options::overwrite_existing);
    const std::string out = PrivateTempFolder() + "/pw-test-out";
    fs::create_directories(out);

    RunConfig config;
    config.inputs = {folder + "/first.pdf", FixturePath("base14.pdf"), folder + "/second.pdf"};
    config.outputFolder = out;
    CRunRecorder run(config);
    run.answers = {"wrong", "secret"};
    ConversionWorker(&run, run.stop);
    // Two prompts for the first file, none for the second.
    EXPECT_EQ(run.prompts.size(), 2u);
    EXPECT_EQ(g_convertedFiles.size(), 3u);
    EXPECT_EQ(run.endState, RunEnd::Complete);
    fs::remove_all(folder);
    fs::remove_all(out);
}
