// The ordering of what files converted side by side tell the front end:
// lines in input order, prompts one at a time and in turn, the batch's pages.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "conversion/batch_output.h"
#include "conversion/run_passwords.h"
#include "run_recorder.h"

namespace {

struct PagesSeen {
    int done = -1, expected = -1;
    bool exact = false;
};

class CPagesRecorder : public CRunRecorder {
public:
    CPagesRecorder() : CRunRecorder(RunConfig {}) {}
    void BatchPages(int done, int expected, bool exact) override { pages = {done, expected, exact}; }
    PagesSeen pages;
};

std::vector<std::string> Lines(std::initializer_list<const char*> lines)
{
    return {lines.begin(), lines.end()};
}

} // namespace

TEST(BatchOutput, LaterFilesWaitForEarlierOnesAndComeOutWhole)
{
    CPagesRecorder front;
    CBatchOutput output(&front, 3, nullptr);
    output.Channel(2)->Log("c.pdf :Conversion started...");
    output.Channel(1)->Log("b.pdf :Conversion started...");
    output.Channel(0)->Log("a.pdf :Conversion started...");
    output.Channel(2)->Log("c.pdf :Conversion complete.");
    output.Channel(2)->ShowMessage("Error opening word document file.", MessageKind::Error);
    output.FileDone(2);
    // Only the first unfinished file speaks as it goes.
    EXPECT_EQ(front.logs, Lines({"a.pdf :Conversion started..."}));
    EXPECT_TRUE(front.messages.empty());

    output.Channel(0)->Log("a.pdf :Error - Cannot open PDF file.");
    output.FileDone(0);
    // b.pdf is first now: what it said so far comes out, then it speaks live.
    EXPECT_EQ(front.logs, Lines({"a.pdf :Conversion started...", "a.pdf :Error - Cannot open PDF file.",
                                 "b.pdf :Conversion started..."}));
    output.Channel(1)->Log("b.pdf :Conversion complete.");
    EXPECT_EQ(front.logs.back(), "b.pdf :Conversion complete.");
    EXPECT_TRUE(front.messages.empty());
    output.FileDone(1);
    // c.pdf was done already: all of it follows, its message in its place.
    EXPECT_EQ(front.logs, Lines({"a.pdf :Conversion started...", "a.pdf :Error - Cannot open PDF file.",
                                 "b.pdf :Conversion started...", "b.pdf :Conversion complete.",
                                 "c.pdf :Conversion started...", "c.pdf :Conversion complete."}));
    EXPECT_EQ(front.messages, Lines({"Error opening word document file."}));
    EXPECT_EQ(output.LastLine(0), "a.pdf :Error - Cannot open PDF file.");
}

TEST(BatchOutput, AFileNotShownSaysNothingAndAStoppedRunFlushesTheRest)
{
    CPagesRecorder front;
    CBatchOutput output(&front, 3, nullptr);
    output.Channel(0)->Log("a");
    output.Channel(1)->Log("b");
    output.Channel(2)->Log("c");
    output.FileDone(1, false);
    output.FileDone(0);
    EXPECT_EQ(front.logs, Lines({"a", "c"}));
    output.Channel(2)->Log("c2");
    output.FlushAll();
    EXPECT_EQ(front.logs, Lines({"a", "c", "c2"}));
}

TEST(BatchOutput, OnlyTheFirstUnfinishedFilesStatusIsShownButEveryFileCountsAsDone)
{
    CPagesRecorder front;
    CBatchOutput output(&front, 2, nullptr);
    output.Channel(1)->Progress("b.pdf : page 1 of 2", 49);
    output.Channel(0)->Progress("a.pdf : page 1 of 4", 24);
    output.Channel(1)->Progress(nullptr, kFileDoneProgress);
    ASSERT_EQ(front.progress.size(), 2u);
    EXPECT_EQ(front.progress[0].text, "a.pdf : page 1 of 4");
    EXPECT_EQ(front.progress[1].percent, kFileDoneProgress);
    output.FileDone(1);
    output.FileDone(0);
    // Nothing more is shown for b.pdf: it ended before it was first.
    EXPECT_EQ(front.progress.size(), 2u);
}

TEST(BatchOutput, ThePagesOfTheBatchAreEstimatedUntilEveryFileIsOpen)
{
    CPagesRecorder front;
    CBatchOutput output(&front, 3, nullptr);
    output.PagesDone(0, 0, 10);
    // Two files not open yet count as 10 pages each.
    EXPECT_EQ(front.pages.expected, 30);
    EXPECT_FALSE(front.pages.exact);
    output.PagesDone(1, 2, 4);
    EXPECT_EQ(front.pages.done, 2);
    EXPECT_EQ(front.pages.expected, 21);  // 10 + 4 + the mean of 7
    // A file that failed before it opened has no pages.
    output.FileDone(2);
    EXPECT_EQ(front.pages.expected, 14);
    EXPECT_TRUE(front.pages.exact);
    // One that failed half way has no more to come.
    output.FileDone(1);
    EXPECT_EQ(front.pages.expected, 12);
}

TEST(BatchOutput, APromptWaitsForItsFilesTurnOrGivesUpWhenTheRunStops)
{
    CPagesRecorder front;
    front.answers = {"secret"};
    std::atomic<bool> stop {false};
    CBatchOutput output(&front, 3, [&stop](size_t) { return stop.load(); });
    std::atomic<bool> answered {false};
    std::string password;
    std::thread second([&] {
        EXPECT_TRUE(output.Channel(1)->AskPassword("Trying password for 1st of 5 times.", password));
        answered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    // a.pdf is still converting: b.pdf's question is not asked yet.
    EXPECT_FALSE(answered.load());
    EXPECT_TRUE(front.prompts.empty());
    output.Channel(0)->Log("a.pdf :Conversion complete.");
    output.FileDone(0);
    second.join();
    EXPECT_EQ(password, "secret");
    EXPECT_EQ(front.prompts.size(), 1u);

    // c.pdf waits behind b.pdf until the run stops.
    std::thread third([&] {
        std::string none;
        EXPECT_FALSE(output.Channel(2)->AskPassword("Trying password for 1st of 5 times.", none));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    stop = true;
    third.join();
    EXPECT_EQ(front.prompts.size(), 1u);
}

TEST(BatchOutput, TheRunsPasswordsAreGivenOnceEarlierFilesAreDone)
{
    ClearRunPasswords();
    CPagesRecorder front;
    CBatchOutput output(&front, 2, nullptr);
    std::vector<std::string> known;
    std::thread second([&] { known = output.Channel(1)->RunPasswordsNow(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // a.pdf opens with a typed password and ends: b.pdf gets it.
    RememberRunPassword("typed");
    output.FileDone(0);
    second.join();
    EXPECT_EQ(known, Lines({"typed"}));
    ClearRunPasswords();
}
