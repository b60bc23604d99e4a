// The wizard sheet: what a run is handed, help, the keyboard shortcuts, the
// About button, and one running copy per user.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QCheckBox>
#include <QComboBox>

#include "conversion/settings.h"
#include "message_box_answerer.h"
#include "wizard/about_dlg.h"
#include "wizard/link_opener.h"
#include "wizard/single_instance.h"
#include "wizard/skin_button.h"
#include "wizard_driver.h"

namespace {

class MainSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLinkOpenerForTesting([this](const QString& target) {
            opened_ << target;
            return kLinkOpened;
        });
        sheet_.show();
        Activate();
    }

    // Shortcuts only reach the active window, which a closed message box
    // hands back only later.
    void Activate()
    {
        QApplication::setActiveWindow(&sheet_);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet_));
    }
    void TearDown() override { SetLinkOpenerForTesting({}); }

    template <typename T>
    T* Control(QWidget* page, int id)
    {
        return page->findChild<T*>(QString::number(id));
    }

    CMessageBoxAnswerer answerer_;
    CTempFolder out_;
    CMainPropertySheet sheet_{QStringLiteral("Paperwell")};
    QStringList opened_;
};

TEST_F(MainSheetTest, CollectSettingsHandsOverTheFilesFolderAndChoices)
{
    AddFiles(sheet_, {FixturePath("base14.pdf")});
    AddFiles(sheet_, {FixturePath("sample.pdf"), FixturePath("rotation.pdf")});
    SetOutputFolder(sheet_, "  " + out_.Path() + "  ");
    sheet_.PressNext();
    ASSERT_EQ(sheet_.ActivePage(), sheet_.SettingPage());

    // Left as it opens: flow mode, graphics kept, every page.
    EXPECT_EQ(sheet_.OnCollectSettings(), 3);
    EXPECT_EQ(g_inputPaths, (std::vector<std::string>{FixturePath("base14.pdf"), FixturePath("sample.pdf"),
                                                        FixturePath("rotation.pdf")}));
    EXPECT_EQ(g_inputNames.front(), FixturePath("rotation.pdf"));
    EXPECT_EQ(g_settings.outputFolder, out_.Path());
    EXPECT_EQ(g_settings.writeTextInTextBoxes, 0);
    EXPECT_EQ(g_settings.deleteAllGraphics, 0);
    EXPECT_EQ(g_settings.allPages, 1);
    EXPECT_EQ(g_settings.fromPage, 0);
    EXPECT_EQ(g_settings.toPage, 0);
    EXPECT_EQ(g_settings.pictureDpi, 96);
    EXPECT_EQ(g_outputFormat, sheet_.SettingPage()->SaveAsFormat());

    // Frame mode, no graphics, pages 2 to 5, as exchanged by Next.
    QWidget* settings = sheet_.SettingPage();
    Control<QRadioButton>(settings, CSettingPage::kSaveAsRtfId)->click();
    Control<QComboBox>(settings, CSettingPage::kPictureQualityId)->setCurrentIndex(2);
    Control<QRadioButton>(settings, 1009)->click();
    Control<QCheckBox>(settings, 1011)->click();
    Control<QRadioButton>(settings, 1014)->click();
    Control<QLineEdit>(settings, 1015)->setText(QStringLiteral("2"));
    Control<QLineEdit>(settings, 1016)->setText(QStringLiteral("5"));
    ASSERT_TRUE(settings->isVisible());
    EXPECT_TRUE(sheet_.SettingPage()->OnWizardNext());
    EXPECT_EQ(sheet_.OnCollectSettings(), 3);
    EXPECT_EQ(g_settings.writeTextInTextBoxes, 1);
    EXPECT_EQ(g_settings.deleteAllGraphics, 1);
    EXPECT_EQ(g_settings.allPages, 0);
    EXPECT_EQ(g_settings.fromPage, 2);
    EXPECT_EQ(g_settings.toPage, 5);
    EXPECT_EQ(g_settings.pictureDpi, 300);
    EXPECT_EQ(g_outputFormat, OutputFormat::Rtf);

    // Back to flow mode.
    Control<QRadioButton>(settings, 1010)->click();
    Control<QRadioButton>(settings, 1013)->click();
    EXPECT_TRUE(sheet_.SettingPage()->OnWizardNext());
    sheet_.OnCollectSettings();
    EXPECT_EQ(g_settings.writeTextInTextBoxes, 0);
    EXPECT_EQ(g_settings.allPages, 1);
    EXPECT_EQ(g_settings.fromPage, 0);
    EXPECT_EQ(g_settings.toPage, 0);
}

TEST_F(MainSheetTest, HelpOpensTheManualBesideTheProgramOrSaysItIsMissing)
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/Paperwell.html");
    QFile::remove(beside);
    if (!QFile::exists(CMainPropertySheet::HelpFilePath())) {
        sheet_.Button(WizardButton::Help)->click();
        EXPECT_EQ(answerer_.Last(), QStringLiteral("Paperwell.html not found"));
        EXPECT_TRUE(opened_.isEmpty());
    }

    QFile manual(beside);
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("<html></html>");
    manual.close();
    Activate();
    // Alt+H from anywhere in the wizard, once per press.
    QTest::keyClick(sheet_.InputPage()->findChild<QLineEdit*>(QStringLiteral("1005")), Qt::Key_H, Qt::AltModifier);
    ASSERT_EQ(opened_.size(), 1);
    EXPECT_TRUE(opened_[0].endsWith(QStringLiteral("/Paperwell.html")));
    EXPECT_TRUE(opened_[0].startsWith(QStringLiteral("file://")));
    QFile::remove(beside);
}

TEST_F(MainSheetTest, AltCAsksTheActivePageAndNoKeepsTheWizardOnIt)
{
    AddFiles(sheet_, {FixturePath("base14.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    sheet_.PressNext();
    ASSERT_EQ(sheet_.ActivePage(), sheet_.SettingPage());
    answerer_.Queue(QMessageBox::No);
    QTest::keyClick(&sheet_, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(answerer_.Last(), QStringLiteral("Do you want to exit ?"));
    EXPECT_TRUE(sheet_.isVisible());
    EXPECT_EQ(sheet_.ActivePage(), sheet_.SettingPage());

    Activate();
    QTest::keyClick(&sheet_, Qt::Key_C, Qt::AltModifier);
    EXPECT_FALSE(sheet_.isVisible());
}

TEST_F(MainSheetTest, NavigationButtonsFollowTheActivePage)
{
    EXPECT_EQ(sheet_.ActivePage(), sheet_.InputPage());
    EXPECT_EQ(sheet_.windowTitle(), QStringLiteral("Paperwell"));
    EXPECT_FALSE(sheet_.Button(WizardButton::Back)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Next)->isVisible());
    EXPECT_FALSE(sheet_.Button(WizardButton::Finish)->isVisible());
    EXPECT_TRUE(sheet_.Button(WizardButton::Cancel)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Help)->isVisible());

    AddFiles(sheet_, {FixturePath("base14.pdf")});
    SetOutputFolder(sheet_, out_.Path());
    QTest::mouseClick(sheet_.Button(WizardButton::Next), Qt::LeftButton);
    EXPECT_EQ(sheet_.ActivePage(), sheet_.SettingPage());
    EXPECT_TRUE(sheet_.Button(WizardButton::Back)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Next)->isVisible());
    EXPECT_FALSE(sheet_.Button(WizardButton::Finish)->isVisible());

    QTest::mouseClick(sheet_.Button(WizardButton::Back), Qt::LeftButton);
    EXPECT_EQ(sheet_.ActivePage(), sheet_.InputPage());
    EXPECT_FALSE(sheet_.Button(WizardButton::Back)->isEnabled());
    EXPECT_EQ(answerer_.Count(), 0);
}

TEST_F(MainSheetTest, AboutButtonSitsInTheBottomLeftCornerAndOpensTheAboutDialog)
{
    CSkinButton* about = sheet_.AboutButton();
    EXPECT_EQ(about->objectName(), QStringLiteral("32774"));
    EXPECT_EQ(about->geometry(), QRect(10, sheet_.height() - 40, 35, 35));
    EXPECT_EQ(about->toolTip(), QStringLiteral("About Paperwell..."));
    // Cancel keeps its size, 11 pixels to the right of the button row's place.
    EXPECT_GT(sheet_.Button(WizardButton::Cancel)->x(), sheet_.Button(WizardButton::Next)->geometry().right());
    EXPECT_LT(sheet_.Button(WizardButton::Cancel)->geometry().right(), sheet_.Button(WizardButton::Help)->x());

    bool aboutShown = false;
    answerer_.OnOtherDialog([&aboutShown](QWidget* dialog) {
        if (auto* about = qobject_cast<CAboutDlg*>(dialog)) {
            aboutShown = about->windowTitle() == QStringLiteral("About Paperwell");
            about->accept();
        }
    });
    QTest::mouseClick(about, Qt::LeftButton);
    EXPECT_TRUE(aboutShown);
}

TEST(SingleInstance, ASecondCopyFindsTheFirstAndEndsWithoutAWindow)
{
    // The real program, twice, under a key of the test's own.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(PW_WIZARD_PATH), {});
    ASSERT_TRUE(first.waitForStarted());
    CSingleInstance probe(CSingleInstance::DefaultKey());
    // Until the first copy has claimed the lock and listens for probes.
    ASSERT_TRUE(WaitUntil([&probe] { return probe.ProbeRunningCopy(); }, 20000));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(PW_WIZARD_PATH), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // The lock is this process's to take only once the first copy is gone.
    CSingleInstance claim(CSingleInstance::DefaultKey());
    EXPECT_FALSE(claim.Claim({}));
    first.kill();
    first.waitForFinished();
    CSingleInstance afterwards(CSingleInstance::DefaultKey());
    EXPECT_TRUE(afterwards.Claim({}));
}

TEST(SingleInstance, ACopyThatDoesNotAnswerIsNotRecognised)
{
    const QString key = QStringLiteral("PWCNV-test-silent-%1").arg(QCoreApplication::applicationPid());
    CSingleInstance first(key);
    ASSERT_TRUE(first.Claim({}));
    CSingleInstance second(key);
    EXPECT_FALSE(second.Claim({}));
    // The first copy's thread is busy here (this very call), so no answer
    // comes within the probe time.
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(second.ProbeRunningCopy());
    EXPECT_LT(timer.elapsed(), 2000);
}

} // namespace
