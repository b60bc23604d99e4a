// The worker side of the stop handshake: a closed gate holds the run at its
// next stop test or message; opening it lets the run go on, with or without
// a stop request.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <future>
#include <thread>

#include "conversion/conversion_worker.h"
#include "conversion/run_recorder.h"
#include "conversion/settings.h"
#include "conversion/stop_token.h"
#include "fixtures.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class StopGateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = "/tmp/pw-gate-XXXXXX";
        out = mkdtemp(pattern.data());
    }
    void TearDown() override
    {
        if (recorder)
            recorder->stop.OpenGate();
        std::error_code ec;
        fs::remove_all(out, ec);
    }

    // Runs dense_text.pdf on a worker thread; the gate closes when the
    // first page is reported. Returns once the worker has been held.
    void StartHeldRun()
    {
        RunConfig config;
        config.inputs = {FixturePath("dense_text.pdf")};
        config.outputFolder = out;
        recorder = std::make_unique<CRunRecorder>(config);
        recorder->onProgress = [this](const RecordedProgress& p) {
            ++messages;
            if (p.text.find(" : page 1 of ") != std::string::npos) {
                recorder->stop.CloseGate();  // as the front end does before asking
                gateClosed = true;
            }
        };
        worker = std::thread([this] { ConversionWorker(recorder.get(), recorder->stop); });
        for (int i = 0; i < 600 && !gateClosed; ++i)
            std::this_thread::sleep_for(50ms);
        // Held: no message arrives any more.
        int before = -1;
        for (int i = 0; i < 50 && before != messages.load(); ++i) {
            before = messages.load();
            std::this_thread::sleep_for(100ms);
        }
    }

    std::string out;
    std::unique_ptr<CRunRecorder> recorder;
    std::thread worker;
    std::atomic<int> messages{0};
    std::atomic<bool> gateClosed{false};
};

} // namespace

TEST_F(StopGateTest, AnsweringNoLetsTheRunGoOnUntouched)
{
    StartHeldRun();
    const int held = messages.load();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(messages.load(), held) << "the worker went on while the question was open";
    EXPECT_LT(held, 5);
    recorder->stop.OpenGate();
    worker.join();
    EXPECT_EQ(recorder->endState, RunEnd::Complete);
    EXPECT_TRUE(fs::exists(DatedSubfolder(out, std::time(nullptr)) + "/dense_text.rtf"));
}

TEST_F(StopGateTest, AnsweringYesStopsAtTheNextStopTest)
{
    StartHeldRun();
    recorder->stop.Request();
    recorder->stop.OpenGate();
    worker.join();
    EXPECT_EQ(recorder->endState, RunEnd::Stopped);
    // The worker clears the request as its last step.
    EXPECT_FALSE(recorder->stop.Requested());
    EXPECT_FALSE(fs::exists(DatedSubfolder(out, std::time(nullptr)) + "/dense_text.rtf"));
}
