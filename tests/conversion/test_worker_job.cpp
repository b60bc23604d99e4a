// The job and result messages between a run and its worker: every field
// crosses, values the engine does not have are refused.
#include <gtest/gtest.h>

#include "conversion/worker_job.h"
#include "conversion/worker_protocol.h"

namespace {

// Every field away from its default, so a field that is not carried shows.
WorkerJob FullJob()
{
    WorkerJob job;
    job.folder = "/tmp/pw-x/worker1";
    job.file.path = "/data/caf\xC3\xA9 report.pdf";
    job.file.name = "caf\xC3\xA9 report.pdf";
    job.file.passwords = {"first", "", "zwei\xC3\x9F"};
    job.file.pageSeconds = 17;
    job.memoryMegabytes = 512;
    job.stopRequested = true;
    ConversionOptions& options = job.file.options;
    options.textMode = TextMode::Frames;
    options.deleteGraphics = true;
    options.allPages = false;
    options.fromPage = 3;
    options.toPage = 7;
    options.recogniseText = true;
    options.ocrLanguages = "eng+deu";
    options.pictureDpi = kHighPictureDpi;
    options.format = OutputFormat::Docx;
    options.embedFonts = false;
    return job;
}

void ExpectSameJob(const WorkerJob& got, const WorkerJob& sent)
{
    EXPECT_EQ(got.folder, sent.folder);
    EXPECT_EQ(got.file.path, sent.file.path);
    EXPECT_EQ(got.file.name, sent.file.name);
    EXPECT_EQ(got.file.passwords, sent.file.passwords);
    EXPECT_EQ(got.file.pageSeconds, sent.file.pageSeconds);
    EXPECT_EQ(got.memoryMegabytes, sent.memoryMegabytes);
    EXPECT_EQ(got.stopRequested, sent.stopRequested);
    EXPECT_TRUE(got.file.options == sent.file.options);
}

// A job whose options field was replaced after encoding: the mode is the
// first field after the three texts.
std::string WithMode(const WorkerJob& job, int32_t mode)
{
    const std::string texts = CFieldWriter().Text(job.folder).Text(job.file.path).Text(job.file.name).Bytes();
    std::string payload = EncodeWorkerJob(job);
    const std::string field = CFieldWriter().Int(mode).Bytes();
    payload.replace(texts.size(), field.size(), field);
    return payload;
}

} // namespace

TEST(WorkerJob, EveryFieldOfTheJobAndItsOptionsCrosses)
{
    const WorkerJob full = FullJob();
    WorkerJob got;
    ASSERT_TRUE(DecodeWorkerJob(EncodeWorkerJob(full), got));
    ExpectSameJob(got, full);

    // The defaults cross too: each flag goes back to the other value.
    WorkerJob plain;
    plain.folder = "/tmp/w";
    WorkerJob back = FullJob();
    back.file.passwords.clear();
    ASSERT_TRUE(DecodeWorkerJob(EncodeWorkerJob(plain), back));
    ExpectSameJob(back, plain);
}

TEST(WorkerJob, ValuesTheEngineDoesNotHaveAndShortPayloadsAreRefused)
{
    WorkerJob job = FullJob();
    WorkerJob got;
    for (const int32_t dpi : {kMinPictureDpi - 1, kMaxPictureDpi + 1}) {
        job.file.options.pictureDpi = dpi;
        EXPECT_FALSE(DecodeWorkerJob(EncodeWorkerJob(job), got)) << dpi;
    }
    for (const int32_t dpi : {kMinPictureDpi, kMaxPictureDpi}) {
        job.file.options.pictureDpi = dpi;
        EXPECT_TRUE(DecodeWorkerJob(EncodeWorkerJob(job), got)) << dpi;
    }
    job.file.options.format = static_cast<OutputFormat>(3);
    EXPECT_FALSE(DecodeWorkerJob(EncodeWorkerJob(job), got));
    job.file.options.format = OutputFormat::Rtf;
    EXPECT_TRUE(DecodeWorkerJob(EncodeWorkerJob(job), got));
    EXPECT_TRUE(DecodeWorkerJob(WithMode(job, 1), got));
    EXPECT_EQ(got.file.options.textMode, TextMode::Frames);
    EXPECT_FALSE(DecodeWorkerJob(WithMode(job, 2), got));
    EXPECT_FALSE(DecodeWorkerJob(WithMode(job, -1), got));

    const std::string whole = EncodeWorkerJob(FullJob());
    EXPECT_FALSE(DecodeWorkerJob(whole.substr(0, whole.size() - 1), got));
    EXPECT_FALSE(DecodeWorkerJob({}, got));
}

TEST(WorkerResult, EveryFieldCrossesAndAnUnknownOutcomeIsRefused)
{
    FileConversionResult sent;
    sent.outcome = FileOutcome::AbortRun;
    sent.documentPath = "/tmp/w/doc";
    sent.message = "x.pdf :Error - Low";
    sent.openedWith = "secret";
    sent.counts = {5, 1234, 2, 3};
    sent.scannedPages = {2, 4};
    sent.textPages = {4};
    sent.recognisedWords = 88;
    FileConversionResult got;
    ASSERT_TRUE(DecodeWorkerResult(EncodeWorkerResult(sent), got));
    EXPECT_EQ(got.outcome, sent.outcome);
    EXPECT_EQ(got.documentPath, sent.documentPath);
    EXPECT_EQ(got.message, sent.message);
    EXPECT_EQ(got.openedWith, sent.openedWith);
    EXPECT_EQ(got.counts.pages, 5);
    EXPECT_EQ(got.counts.words, 1234);
    EXPECT_EQ(got.counts.scannedPages, 2);
    EXPECT_EQ(got.counts.fontsEmbedded, 3);
    EXPECT_EQ(got.scannedPages, sent.scannedPages);
    EXPECT_EQ(got.textPages, sent.textPages);
    EXPECT_EQ(got.recognisedWords, 88);

    std::string unknown = EncodeWorkerResult(sent);
    unknown.replace(0, 4, CFieldWriter().Int(4).Bytes());
    FileConversionResult refused;
    EXPECT_FALSE(DecodeWorkerResult(unknown, refused));
    const std::string whole = EncodeWorkerResult(sent);
    EXPECT_FALSE(DecodeWorkerResult(whole.substr(0, whole.size() - 2), refused));
}
