// The progress page and the run it starts, through the real wizard: the
// status rule, the end states and buttons, stop and exit questions answered
// both ways, passwords, and the completion dialog.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QPushButton>
#include <QTreeWidget>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "conversion/settings.h"
#include "message_box_answerer.h"
#include "scoped_env.h"
#include "wizard/conversion_complete_dlg.h"
#include "wizard/password_dlg.h"
#include "wizard_driver.h"

namespace {

// Without an office suite the wizard saves the engine's own .docx, so runs
// take milliseconds per page instead of seconds per file.
class ProgressPageTest : public ::testing::Test {
protected:
    ProgressPageTest() : noOffice_("PW_SOFFICE", "/nonexistent/soffice") {}

    void SetUp() override
    {
        sheet_.show();
        answerer_.OnOtherDialog([this](QWidget* dialog) {
            if (auto* done = qobject_cast<CConversionCompleteDlg*>(dialog)) {
                summaries_.push_back(done->SummaryText());
                QStringList rows;
                for (int i = 0; i < done->FileList()->topLevelItemCount(); ++i)
                    rows << done->FileList()->topLevelItem(i)->text(0) + QLatin1Char(' ') +
                                done->FileList()->topLevelItem(i)->text(1);
                completionRows_.push_back(rows);
                done->accept();
            } else if (auto* password = qobject_cast<CPasswordDlg*>(dialog)) {
                attempts_ << password->AttemptText();
                const QString typed = passwords_.isEmpty() ? QString() : passwords_.takeFirst();
                if (typed.isEmpty()) {
                    password->reject();
                } else {
                    QTest::keyClicks(password->findChild<QLineEdit*>(QStringLiteral("1022")), typed);
                    password->findChild<QPushButton*>(QStringLiteral("1"))->click();
                }
            }
        });
    }

    void TearDown() override
    {
        if (sheet_.ProgressPage()->WorkerRunning()) {
            Page()->RunStop().Request();
            Page()->RunStop().OpenGate();
            WaitForRunEnd(sheet_);
        }
    }

    CProgressPage* Page() { return sheet_.ProgressPage(); }
    QPushButton* Stop() { return Page()->findChild<QPushButton*>(QString::number(kStopButtonId)); }

    CScopedEnv noOffice_;
    CTempFolder out_;
    CMessageBoxAnswerer answerer_;
    CMainPropertySheet sheet_{QStringLiteral("Paperwell")};
    std::vector<QString> summaries_;
    std::vector<QStringList> completionRows_;
    QStringList passwords_;
    QStringList attempts_;
};

TEST(StatusText, LongTextsKeepTheirLast77CharactersAfterDots)
{
    const QString exact(80, QLatin1Char('a'));
    EXPECT_EQ(ShortenedStatusText(exact), exact);
    const QString longer = QStringLiteral("b") + QString(80, QLatin1Char('c'));
    const QString shown = ShortenedStatusText(longer);
    EXPECT_EQ(shown.size(), 80);
    EXPECT_EQ(shown, QStringLiteral("...") + QString(77, QLatin1Char('c')));
}

TEST_F(ProgressPageTest, ProgressMessagesSetLabelsAndBarsAndFileDoneOnlyAdvancesOverall)
{
    CProgressPage page;
    page.OnRunStarted(3);
    page.OnConvProgress("report.pdf : page 1 of 4", 25);
    EXPECT_EQ(page.StatusText(), QStringLiteral("report.pdf : page 1 of 4"));
    EXPECT_EQ(page.PercentText(), QStringLiteral("25%"));
    EXPECT_EQ(page.FileProgress(), 25);

    page.OnConvProgress(nullptr, 1000);
    EXPECT_EQ(page.StatusText(), QStringLiteral("report.pdf : page 1 of 4"));
    EXPECT_EQ(page.PercentText(), QStringLiteral("25%"));
    EXPECT_EQ(page.FileProgress(), 25);
    EXPECT_EQ(page.OverallProgress(), 1);
    EXPECT_EQ(page.OverallMaximum(), 3);

    page.OnConvProgress(nullptr, 100);
    EXPECT_EQ(page.StatusText(), QString());
    EXPECT_EQ(page.PercentText(), QStringLiteral("100%"));
    EXPECT_EQ(page.FileProgress(), 100);

    page.OnConvLog("a.pdf : Converted.");
    page.OnConvLog("b.pdf : Converted.");
    EXPECT_EQ(page.LogLines(), (QStringList{"a.pdf : Converted.", "b.pdf : Converted."}));
}

TEST_F(ProgressPageTest, CompleteRunOfThreeFilesEndsWithTheSummaryAndFinishAsDefault)
{
    AddFiles(sheet_, {FixturePath("base14.pdf"), FixturePath("sample.pdf"), FixturePath("rotation.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    StartRun(sheet_);
    ASSERT_EQ(sheet_.ActivePage(), Page());
    // While the run goes on: no way back, Finish shown but disabled.
    EXPECT_FALSE(sheet_.Button(WizardButton::Back)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Next)->isHidden());
    EXPECT_FALSE(sheet_.Button(WizardButton::Finish)->isHidden());
    EXPECT_FALSE(sheet_.Button(WizardButton::Finish)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Cancel)->isEnabled());
    ASSERT_TRUE(WaitForRunEnd(sheet_));

    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Conversion complete !"));
    EXPECT_EQ(Page()->PercentText(), QStringLiteral("100%"));
    EXPECT_EQ(Page()->OverallProgress(), 3);
    EXPECT_EQ(Page()->OverallMaximum(), 3);
    ASSERT_EQ(summaries_.size(), 1u);
    EXPECT_EQ(summaries_[0], QStringLiteral("Total 3 files were converted successfully."));
    // The list is in conversion order: the order the files were added.
    EXPECT_EQ(completionRows_[0], (QStringList{"1 base14.docx", "2 sample.docx", "3 rotation.docx"}));
    EXPECT_TRUE(sheet_.Button(WizardButton::Back)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Finish)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Finish)->isDefault());
    EXPECT_FALSE(sheet_.Button(WizardButton::Cancel)->isEnabled());
    EXPECT_FALSE(Stop()->isEnabled());
    EXPECT_TRUE(std::filesystem::exists(g_outputSubfolder + "/sample.docx"));

    // Stop after the end only says so.
    Stop()->setEnabled(true);
    Page()->OnStop();
    EXPECT_EQ(answerer_.Last(), QStringLiteral("Conversion is finished already."));
    EXPECT_FALSE(Stop()->isEnabled());

    // Back and Next again: a new run with a fresh log.
    sheet_.PressBack();
    EXPECT_EQ(sheet_.ActivePage(), sheet_.SettingPage());
    EXPECT_TRUE(sheet_.Button(WizardButton::Cancel)->isEnabled());
    sheet_.PressNext();
    ASSERT_EQ(sheet_.ActivePage(), Page());
    EXPECT_TRUE(Page()->LogLines().isEmpty());
    EXPECT_EQ(Page()->OverallProgress(), 0);
    EXPECT_EQ(Page()->FileProgress(), 0);
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    EXPECT_EQ(summaries_.size(), 2u);
    // Same day, same folder: the second run's documents get free names.
    EXPECT_TRUE(std::filesystem::exists(g_outputSubfolder + "/sample(1).docx"));
}

TEST_F(ProgressPageTest, OneSavedFileAndOneFailureEndsWithSomeErrorAndStillOffersTheSummary)
{
    AddFiles(sheet_, {FixturePath("damaged.pdf"), FixturePath("base14.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    StartRun(sheet_);
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Some error occurred."));
    EXPECT_EQ(Page()->PercentText(), QString());
    EXPECT_EQ(Page()->FileProgress(), 0);
    EXPECT_EQ(Page()->OverallProgress(), 0);
    ASSERT_EQ(summaries_.size(), 1u);
    EXPECT_EQ(summaries_[0], QStringLiteral("Total 1 file was converted successfully."));
    EXPECT_TRUE(Page()->LogLines().join('\n').contains(QStringLiteral("damaged.pdf :Error - Cannot open PDF file.")));
    EXPECT_TRUE(sheet_.Button(WizardButton::Finish)->isEnabled());
    EXPECT_FALSE(sheet_.Button(WizardButton::Cancel)->isEnabled());
}

TEST_F(ProgressPageTest, EveryFileFailingShowsNoSummary)
{
    AddFiles(sheet_, {FixturePath("empty.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    StartRun(sheet_);
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Some error occurred."));
    EXPECT_TRUE(summaries_.empty());
}

TEST_F(ProgressPageTest, AnOutputFolderThatIsAFileFailsTheRunWithItsMessage)
{
    const std::string file = out_.File("not-a-folder");
    std::ofstream(file) << "x";
    AddFiles(sheet_, {FixturePath("base14.pdf")});
    SetOutputFolder(sheet_, file);
    StartRun(sheet_);
    ASSERT_EQ(sheet_.ActivePage(), Page());
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    EXPECT_EQ(answerer_.Last(), QStringLiteral("Cannot create directory at output location."));
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Some error occurred."));
    EXPECT_EQ(Page()->PercentText(), QString());
    EXPECT_TRUE(sheet_.Button(WizardButton::Back)->isEnabled());
    EXPECT_FALSE(sheet_.Button(WizardButton::Finish)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Cancel)->isEnabled());
    EXPECT_FALSE(Stop()->isEnabled());
    EXPECT_TRUE(summaries_.empty());
}

TEST_F(ProgressPageTest, EncryptedFileOpensWithThePasswordGivenOnTheSecondAttempt)
{
    passwords_ << QStringLiteral("wrong") << QStringLiteral("secret");
    AddFiles(sheet_, {FixturePath("encrypted.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    StartRun(sheet_);
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    EXPECT_EQ(attempts_, (QStringList{"Trying password for 1st of 5 times.", "Trying password for 2nd of 5 times."}));
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Conversion complete !"));
    EXPECT_TRUE(std::filesystem::exists(g_outputSubfolder + "/encrypted.docx"));
}

TEST_F(ProgressPageTest, CancellingThePasswordPromptFailsOnlyThatFile)
{
    AddFiles(sheet_, {FixturePath("encrypted.pdf"), FixturePath("base14.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    StartRun(sheet_);
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    EXPECT_EQ(attempts_.size(), 1);
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Some error occurred."));
    ASSERT_EQ(completionRows_.size(), 1u);
    EXPECT_EQ(completionRows_[0], QStringList{"1 base14.docx"});
}

TEST_F(ProgressPageTest, APasswordTypedForOneFileOpensTheNextWithoutAsking)
{
    if (!std::filesystem::exists(FixturePath("encrypted.pdf")))
        GTEST_SKIP() << "qpdf is not installed";
    CTempFolder inputs;
    std::filesystem::copy_file(FixturePath("encrypted.pdf"), inputs.File("first.pdf"));
    std::filesystem::copy_file(FixturePath("encrypted.pdf"), inputs.File("second.pdf"));
    passwords_ << QStringLiteral("secret");
    AddFiles(sheet_, {inputs.File("first.pdf"), inputs.File("second.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    StartRun(sheet_);
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    EXPECT_EQ(attempts_, QStringList{"Trying password for 1st of 5 times."});
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Conversion complete !"));
    EXPECT_EQ(g_convertedFiles.size(), 2u);
}

TEST_F(ProgressPageTest, StopReachesAPageThatNeverEndsWithinASecond)
{
    AddFiles(sheet_, {FixturePath("hostile_tiling.pdf"), FixturePath("base14.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    StartRun(sheet_);
    ASSERT_TRUE(WaitUntil([this] {
        return Page()->LogLines().contains(QStringLiteral("hostile_tiling.pdf :Conversion started..."));
    }));
    // The worker is inside the page's one endless fill by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto start = std::chrono::steady_clock::now();
    Page()->OnStop();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 1.0);
    EXPECT_FALSE(Page()->WorkerRunning());
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Stopped !"));
    EXPECT_TRUE(g_convertedFiles.empty());
}

// A run long enough to be stopped: the stop question is asked while the
// worker is held at its next gate.
class StopTest : public ProgressPageTest {
protected:
    void StartLongRun()
    {
        AddFiles(sheet_, {FixturePath("base14.pdf"), FixturePath("dense_text.pdf"), FixturePath("dense_text.pdf"),
                          FixturePath("page_sizes.pdf")});
        // The second dense_text.pdf is a duplicate and is not listed.
        SetOutputFolder(sheet_, out_.Path());
        StartRun(sheet_);
        ASSERT_EQ(sheet_.ActivePage(), Page());
        // Wait until the first document is saved and the second is under way.
        ASSERT_TRUE(WaitUntil([this] {
            return Page()->LogLines().filter(QStringLiteral("base14.pdf :Saved as")).size() == 1;
        }));
    }
};

TEST_F(StopTest, DecliningTheStopQuestionLeavesTheRunGoing)
{
    StartLongRun();
    answerer_.Queue(QMessageBox::No);
    Page()->OnStop();
    EXPECT_EQ(answerer_.Last(), QStringLiteral("Conversion is in progress. Do you really want to stop the process ?"));
    EXPECT_TRUE(Stop()->isEnabled() || !Page()->WorkerRunning());
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Conversion complete !"));
    EXPECT_EQ(g_convertedFiles.size(), 3u);
}

TEST_F(StopTest, ConfirmedStopEndsTheRunAndShowsTheSavedFiles)
{
    StartLongRun();
    Page()->OnStop();
    EXPECT_FALSE(Page()->WorkerRunning());
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Stopped !"));
    EXPECT_EQ(Page()->LogLines().last(), QStringLiteral("Stopped."));
    EXPECT_EQ(Page()->PercentText(), QString());
    EXPECT_EQ(Page()->FileProgress(), 0);
    EXPECT_EQ(Page()->OverallProgress(), 0);
    EXPECT_TRUE(sheet_.Button(WizardButton::Cancel)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Back)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Finish)->isEnabled());
    EXPECT_LT(g_convertedFiles.size(), 3u);
    // The page shows the summary itself, once, for the files saved so far.
    ASSERT_EQ(summaries_.size(), 1u);
    EXPECT_EQ(completionRows_[0].size(), static_cast<int>(g_convertedFiles.size()));
    EXPECT_FALSE(Page()->RunStop().Requested());
}

TEST_F(StopTest, LeavingDuringARunAsksStopsAndClosesWithoutSummary)
{
    StartLongRun();
    answerer_.Queue(QMessageBox::No);
    sheet_.PressCancel();
    EXPECT_EQ(answerer_.Last(), QStringLiteral("Application is still working.\nDo you still want to exit ?"));
    EXPECT_TRUE(sheet_.isVisible());

    sheet_.PressCancel();
    EXPECT_FALSE(sheet_.isVisible());
    EXPECT_EQ(sheet_.result(), QDialog::Rejected);
    EXPECT_FALSE(Page()->WorkerRunning());
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Stopped !"));
    EXPECT_TRUE(summaries_.empty());
}

std::string FileStart(const std::string& path, size_t bytes)
{
    std::ifstream file(path, std::ios::binary);
    std::string start(bytes, '\0');
    file.read(start.data(), static_cast<std::streamsize>(bytes));
    start.resize(static_cast<size_t>(file.gcount()));
    return start;
}

TEST_F(ProgressPageTest, WithoutAnOfficeSuiteTheWizardSavesWordPackagesAndNamesThem)
{
    QWidget* settings = sheet_.SettingPage();
    AddFiles(sheet_, {FixturePath("sample.pdf"), FixturePath("base14.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    StartRun(sheet_);
    // The settings page chose .docx by itself and said why.
    EXPECT_TRUE(settings->findChild<QRadioButton*>(QString::number(CSettingPage::kSaveAsDocxId))->isChecked());
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    EXPECT_EQ(Page()->StatusText(), QStringLiteral("Conversion complete !"));
    ASSERT_EQ(completionRows_.size(), 1u);
    EXPECT_EQ(completionRows_[0], (QStringList{"1 sample.docx", "2 base14.docx"}));
    for (const char* name : {"sample", "base14"}) {
        const std::string stored = g_outputSubfolder + "/" + name + ".docx";
        EXPECT_TRUE(Page()->LogLines().contains(
            QString::fromStdString(std::string(name) + ".pdf :Saved as " + stored)));
        // A zip package that holds the Word document's text part.
        const std::string package = FileStart(stored, 1 << 24);
        EXPECT_EQ(package.substr(0, 4), std::string("PK\x03\x04", 4)) << name;
        EXPECT_NE(package.find("word/document.xml"), std::string::npos) << name;
        EXPECT_FALSE(std::filesystem::exists(g_outputSubfolder + "/" + name + ".doc"));
    }
    EXPECT_EQ(answerer_.Count(), 0);
}

TEST_F(ProgressPageTest, EachSaveAsChoiceStoresItsKindOfFile)
{
    QWidget* settings = sheet_.SettingPage();
    AddFiles(sheet_, {FixturePath("base14.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    sheet_.PressNext();
    ASSERT_EQ(sheet_.ActivePage(), sheet_.SettingPage());
    // RTF, then a .doc, which without the suite holds the RTF itself.
    for (const auto& [id, name] : {std::pair{CSettingPage::kSaveAsRtfId, "base14.rtf"},
                                   {CSettingPage::kSaveAsDocId, "base14.doc"}}) {
        QTest::mouseClick(settings->findChild<QRadioButton*>(QString::number(id)), Qt::LeftButton);
        sheet_.PressNext();
        ASSERT_EQ(sheet_.ActivePage(), Page());
        ASSERT_TRUE(WaitForRunEnd(sheet_));
        const std::string stored = g_outputSubfolder + "/" + name;
        EXPECT_EQ(FileStart(stored, 5), "{\\rtf") << name;
        EXPECT_EQ(completionRows_.back(), QStringList{QStringLiteral("1 ") + QString::fromLatin1(name)});
        sheet_.PressBack();
    }
}

TEST_F(ProgressPageTest, FinishAndCancelAfterARunAskWhetherToExit)
{
    AddFiles(sheet_, {FixturePath("base14.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    StartRun(sheet_);
    ASSERT_TRUE(WaitForRunEnd(sheet_));
    answerer_.Queue(QMessageBox::No);
    sheet_.PressFinish();
    EXPECT_EQ(answerer_.Last(), QStringLiteral("Do you want to exit ?"));
    EXPECT_TRUE(sheet_.isVisible());
    // The title bar's close button asks too, even with Cancel disabled.
    answerer_.Queue(QMessageBox::No);
    sheet_.close();
    EXPECT_TRUE(sheet_.isVisible());
    EXPECT_EQ(answerer_.Count(), 2);
    sheet_.PressFinish();
    EXPECT_FALSE(sheet_.isVisible());
    EXPECT_EQ(sheet_.result(), QDialog::Accepted);
}

} // namespace

namespace {

// The whole way with the office suite: what a user gets from the wizard.
TEST(WizardWithOffice, ConvertsABatchIntoWordDocuments)
{
    CMessageBoxAnswerer answerer;
    std::vector<QString> summaries;
    answerer.OnOtherDialog([&summaries](QWidget* dialog) {
        if (auto* done = qobject_cast<CConversionCompleteDlg*>(dialog)) {
            summaries.push_back(done->SummaryText());
            done->accept();
        }
    });
    CTempFolder out;
    CMainPropertySheet sheet(QStringLiteral("Paperwell"));
    sheet.show();
    AddFiles(sheet, {FixturePath("sample.pdf"), FixturePath("base14.pdf")});
    SetOutputFolder(sheet, out.File("new/folder"));
    StartRun(sheet);
    ASSERT_EQ(sheet.ActivePage(), sheet.ProgressPage());
    ASSERT_TRUE(WaitForRunEnd(sheet));
    EXPECT_EQ(sheet.ProgressPage()->StatusText(), QStringLiteral("Conversion complete !"));
    ASSERT_EQ(summaries.size(), 1u);
    EXPECT_EQ(summaries[0], QStringLiteral("Total 2 files were converted successfully."));
    for (const char* name : {"sample.doc", "base14.doc"}) {
        std::ifstream doc(g_outputSubfolder + "/" + name, std::ios::binary);
        char magic[4] = {};
        doc.read(magic, sizeof magic);
        // A Word 97 document is an OLE compound file.
        EXPECT_EQ(std::string(magic, 4), std::string("\xD0\xCF\x11\xE0", 4)) << name;
    }
    EXPECT_EQ(answerer.Count(), 0);
}

} // namespace
