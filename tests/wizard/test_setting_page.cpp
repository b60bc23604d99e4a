// The settings page between two plain pages of a real wizard sheet, driven
// with mouse clicks and typing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <fstream>

#include "message_box_answerer.h"
#include "scoped_env.h"
#include "wizard/ocr_language_list.h"
#include "wizard/dialog_units.h"
#include "wizard/property_sheet.h"
#include "wizard/setting_page.h"
#include "wizard/top_banner.h"

namespace {

class CPlainPage : public CVovirPropertyPage {
public:
    CPlainPage() : CVovirPropertyPage(999) {}
};

class SettingPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        page_ = new CSettingPage;
        sheet_.AddPage(new CPlainPage);
        sheet_.AddPage(page_);
        sheet_.AddPage(new CPlainPage);
        sheet_.show();
        sheet_.SetActivePage(1);
    }

    template <class Control> Control* Find(int id) const
    {
        return page_->findChild<Control*>(QString::number(id));
    }
    QRadioButton* Radio(int id) const { return Find<QRadioButton>(id); }
    QLineEdit* FromEdit() const { return Find<QLineEdit>(1015); }
    QLineEdit* ToEdit() const { return Find<QLineEdit>(1016); }
    void Click(QWidget* control) const { QTest::mouseClick(control, Qt::LeftButton); }
    void PressNext() { Click(sheet_.Button(WizardButton::Next)); }
    void PressBack() { Click(sheet_.Button(WizardButton::Back)); }
    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // "From" with the two numbers typed into the range edits.
    void ChooseRange(const QString& first, const QString& last)
    {
        Click(Radio(1014));
        Type(FromEdit(), first);
        Type(ToEdit(), last);
    }

    CMessageBoxAnswerer answerer_;
    CPropertySheet sheet_{QStringLiteral("Paperwell")};
    CSettingPage* page_ = nullptr;
};

TEST_F(SettingPageTest, OpensWithFlowModeAllPagesAndTheWizardButtonsSet)
{
    EXPECT_TRUE(Radio(1010)->isChecked());
    EXPECT_FALSE(Radio(1009)->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(1011)->isChecked());
    EXPECT_TRUE(Radio(1013)->isChecked());
    EXPECT_FALSE(FromEdit()->isEnabled());
    EXPECT_EQ(FromEdit()->text(), "0");
    EXPECT_EQ(ToEdit()->text(), "0");

    EXPECT_TRUE(sheet_.Button(WizardButton::Back)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Next)->isVisible());
    EXPECT_FALSE(sheet_.Button(WizardButton::Finish)->isVisible());
    EXPECT_TRUE(sheet_.Button(WizardButton::Cancel)->isEnabled());

    EXPECT_EQ(Radio(1009)->text(), "Write text in text boxes");
    // The classic groups in the left column, the format in the right one.
    EXPECT_EQ(Radio(1009)->geometry(), DialogRect(29, 70, 87, 10));
    EXPECT_EQ(Find<QCheckBox>(1011)->geometry(), DialogRect(29, 127, 74, 10));
    EXPECT_EQ(ToEdit()->geometry(), DialogRect(126, 205, 42, 14));
    EXPECT_EQ(Radio(CSettingPage::kSaveAsDocxId)->geometry(), DialogRect(209, 70, 140, 10));
    ASSERT_NE(Find<CTopBanner>(0xFFF0), nullptr);
}

TEST_F(SettingPageTest, AnUntouchedPageGivesFlowModeGraphicsAndAllPages)
{
    PressNext();
    EXPECT_EQ(sheet_.ActiveIndex(), 2);
    EXPECT_EQ(page_->FrameModeChoice(), 0);
    EXPECT_EQ(page_->DeleteGraphics(), 0);
    EXPECT_EQ(page_->AllPages(), 1);
    EXPECT_EQ(page_->FirstPage(), 0);
    EXPECT_EQ(page_->LastPage(), 0);
    EXPECT_EQ(page_->PictureDpi(), 96);
    EXPECT_EQ(answerer_.Count(), 0);
}

TEST_F(SettingPageTest, PictureQualityOffersScreenPrintAndHighAndGoesWithTheGraphics)
{
    auto* quality = Find<QComboBox>(CSettingPage::kPictureQualityId);
    ASSERT_NE(quality, nullptr);
    ASSERT_EQ(quality->count(), 3);
    EXPECT_EQ(quality->itemText(0), "Screen (96 dpi)");
    EXPECT_EQ(quality->itemText(1), "Print (150 dpi)");
    EXPECT_EQ(quality->itemText(2), "High (300 dpi)");
    EXPECT_EQ(quality->currentIndex(), 0);
    EXPECT_TRUE(quality->isEnabled());
    // Its label's mnemonic reaches it from the keyboard.
    bool labelled = false;
    for (QLabel* label : page_->findChildren<QLabel*>())
        labelled |= label->buddy() == quality && label->text() == "Picture &quality:";
    EXPECT_TRUE(labelled);

    Click(Find<QCheckBox>(1011));
    EXPECT_FALSE(quality->isEnabled());
    Click(Find<QCheckBox>(1011));
    EXPECT_TRUE(quality->isEnabled());

    quality->setFocus();
    QTest::keyClick(quality, Qt::Key_Down);
    EXPECT_EQ(quality->currentIndex(), 1);
    PressNext();
    EXPECT_EQ(page_->PictureDpi(), 150);
    sheet_.SetActivePage(1);
    quality->setCurrentIndex(2);
    PressNext();
    EXPECT_EQ(page_->PictureDpi(), 300);
}

TEST_F(SettingPageTest, SaveAsIsAThirdChoiceOfItsOwn)
{
    Click(Radio(CSettingPage::kSaveAsRtfId));
    EXPECT_FALSE(Radio(CSettingPage::kSaveAsDocxId)->isChecked());
    EXPECT_FALSE(Radio(CSettingPage::kSaveAsDocId)->isChecked());
    // The other groups keep their choices.
    EXPECT_TRUE(Radio(1010)->isChecked());
    EXPECT_TRUE(Radio(1013)->isChecked());
    PressNext();
    EXPECT_EQ(page_->SaveAsFormat(), OutputFormat::Rtf);
    sheet_.SetActivePage(1);
    Click(Radio(CSettingPage::kSaveAsDocxId));
    PressNext();
    EXPECT_EQ(page_->SaveAsFormat(), OutputFormat::Docx);
    sheet_.SetActivePage(1);
    Click(Radio(CSettingPage::kSaveAsDocId));
    PressNext();
    EXPECT_EQ(page_->SaveAsFormat(), OutputFormat::Doc);
    EXPECT_EQ(Radio(CSettingPage::kSaveAsDocxId)->text(), "Word document (.docx)");
    EXPECT_EQ(Radio(CSettingPage::kSaveAsDocId)->text(), "Word 97-2003 (.doc)");
    EXPECT_EQ(Radio(CSettingPage::kSaveAsRtfId)->text(), "Rich Text Format (.rtf)");
}

TEST_F(SettingPageTest, TabWalksDownTheLeftColumnAndThenTheSaveAsChoice)
{
    QApplication::setActiveWindow(&sheet_);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet_));
    Radio(1010)->setFocus();
    QStringList visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(sheet_.focusWidget(), Qt::Key_Tab);
        visited << sheet_.focusWidget()->objectName();
    }
    // The checked button of each group takes the focus; the disabled range
    // edits are passed over.
    const QString saveAs = QString::number(Radio(CSettingPage::kSaveAsDocxId)->isChecked()
                                               ? CSettingPage::kSaveAsDocxId
                                               : CSettingPage::kSaveAsDocId);
    EXPECT_EQ(visited, (QStringList{"1011", QString::number(CSettingPage::kPictureQualityId), "1013", saveAs}));

    // The arrows move the choice within the group that has the focus.
    QTest::keyClick(sheet_.focusWidget(), Qt::Key_Down);
    EXPECT_EQ(sheet_.focusWidget(), Radio(saveAs.toInt() + 1));
    EXPECT_TRUE(Radio(saveAs.toInt() + 1)->isChecked());
    // Tab from the new choice leaves the page's controls; Shift+Tab comes
    // back to that choice rather than to the first button of the group.
    QTest::keyClick(sheet_.focusWidget(), Qt::Key_Tab);
    QTest::keyClick(sheet_.focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(sheet_.focusWidget(), Radio(saveAs.toInt() + 1));
}

// The format the page opens with follows the office suite it finds.
TEST(SettingPageSaveAs, DocxIsPreselectedWithoutAnOfficeSuiteAndDocWithOne)
{
    CMessageBoxAnswerer answerer;
    for (const bool office : {false, true}) {
        // Any executable stands in for the suite's launcher: it is only looked for.
        CScopedEnv soffice("PW_SOFFICE", office ? "/bin/true" : "");
        CPropertySheet sheet(QStringLiteral("Paperwell"));
        auto* page = new CSettingPage;
        sheet.AddPage(page);
        sheet.AddPage(new CPlainPage);
        sheet.show();
        sheet.SetActivePage(0);
        auto radio = [page](int id) { return page->findChild<QRadioButton*>(QString::number(id)); };
        EXPECT_EQ(radio(CSettingPage::kSaveAsDocxId)->isChecked(), !office);
        EXPECT_EQ(radio(CSettingPage::kSaveAsDocId)->isChecked(), office);
        EXPECT_FALSE(radio(CSettingPage::kSaveAsRtfId)->isChecked());
        auto* note = page->findChild<QLabel*>(QString::number(CSettingPage::kNoOfficeNoteId));
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(note->isVisible(), !office);
        sheet.PressNext();
        EXPECT_EQ(page->SaveAsFormat(), office ? OutputFormat::Doc : OutputFormat::Docx);
    }
}

TEST_F(SettingPageTest, TheTwoRadioPairsAreIndependentChoices)
{
    Click(Radio(1009));
    EXPECT_FALSE(Radio(1010)->isChecked());
    EXPECT_TRUE(Radio(1013)->isChecked());
    Click(Radio(1014));
    EXPECT_TRUE(Radio(1009)->isChecked());
    EXPECT_FALSE(Radio(1013)->isChecked());
    Click(Find<QCheckBox>(1011));
    PressNext(); // the range edits still hold 0 and 0
    EXPECT_EQ(answerer_.Last(), "Please enter a valid page range.");
    ChooseRange("1", "2");
    PressNext();
    EXPECT_EQ(sheet_.ActiveIndex(), 2);
    EXPECT_EQ(page_->FrameModeChoice(), 1);
    EXPECT_EQ(page_->DeleteGraphics(), 1);
    EXPECT_EQ(page_->AllPages(), 0);
}

TEST_F(SettingPageTest, ARangeMustRunForwardFromPageOne)
{
    ChooseRange("3", "3");
    PressNext();
    EXPECT_EQ(sheet_.ActiveIndex(), 2);
    EXPECT_EQ(page_->FirstPage(), 3);
    EXPECT_EQ(page_->LastPage(), 3);
    EXPECT_EQ(answerer_.Count(), 0);

    sheet_.SetActivePage(1);
    for (const auto& [first, last] : {std::pair{"4", "3"}, {"0", "5"}, {"-1", "2"}}) {
        answerer_.Clear();
        ChooseRange(first, last);
        PressNext();
        EXPECT_EQ(answerer_.Last(), "Please enter a valid page range.") << first << " " << last;
        EXPECT_EQ(answerer_.Count(), 1);
        EXPECT_EQ(sheet_.ActiveIndex(), 1);
    }
}

TEST_F(SettingPageTest, EachRangeEditMustHoldAWholeInteger)
{
    for (const auto& [first, last, wrong] : {std::tuple{"", "5", 1015}, {"2", "", 1016}, {"12abc", "20", 1015},
                                             {"2", "1 2", 1016}, {"99999999999", "5", 1015}}) {
        answerer_.Clear();
        ChooseRange(first, last);
        PressNext();
        EXPECT_EQ(answerer_.Texts(), std::vector<QString>{"Please enter an integer."}) << first << "|" << last;
        EXPECT_EQ(sheet_.ActiveIndex(), 1);
        EXPECT_EQ(sheet_.focusWidget(), Find<QLineEdit>(wrong)) << first << "|" << last;
    }
    answerer_.Clear();
    ChooseRange(" +2\t", "\t5 ");
    PressNext();
    EXPECT_EQ(answerer_.Count(), 0);
    EXPECT_EQ(sheet_.ActiveIndex(), 2);
    EXPECT_EQ(page_->FirstPage(), 2);
    EXPECT_EQ(page_->LastPage(), 5);
}

TEST_F(SettingPageTest, AllResetsTheRangeAndFromKeepsIt)
{
    ChooseRange("2", "5");
    Click(Radio(1013));
    EXPECT_EQ(FromEdit()->text(), "0");
    EXPECT_EQ(ToEdit()->text(), "0");
    EXPECT_FALSE(FromEdit()->isEnabled());
    EXPECT_FALSE(ToEdit()->isEnabled());
    Click(Radio(1014));
    EXPECT_TRUE(ToEdit()->isEnabled());
    EXPECT_EQ(ToEdit()->text(), "0");
}

TEST_F(SettingPageTest, BackNeverChecksTheRangeAndKeepsWhatWasTyped)
{
    ChooseRange("rubbish", "");
    Click(Find<QCheckBox>(1011));
    PressBack();
    EXPECT_EQ(sheet_.ActiveIndex(), 0);
    EXPECT_EQ(answerer_.Count(), 0);
    EXPECT_EQ(page_->DeleteGraphics(), 1);
    EXPECT_EQ(page_->AllPages(), 0);

    PressNext(); // from the first page back to this one
    EXPECT_EQ(sheet_.ActiveIndex(), 1);
    EXPECT_EQ(FromEdit()->text(), "rubbish");
    EXPECT_TRUE(FromEdit()->isEnabled());
    EXPECT_TRUE(Radio(1014)->isChecked());
}

TEST_F(SettingPageTest, CancelAsksBeforeClosing)
{
    answerer_.Queue(QMessageBox::No);
    Click(sheet_.Button(WizardButton::Cancel));
    EXPECT_EQ(answerer_.Last(), "Do you want to exit ?");
    EXPECT_TRUE(sheet_.isVisible());
    EXPECT_EQ(sheet_.ActiveIndex(), 1);
    Click(sheet_.Button(WizardButton::Cancel));
    EXPECT_FALSE(sheet_.isVisible());
}

} // namespace

namespace {

// The "Scanned pages" choice: off by default, the languages of the
// installed recognition data (from a folder of our own), English first.
class SettingPageScanTest : public SettingPageTest {
protected:
    void SetUp() override
    {
        for (const char* name : {"eng.traineddata", "deu.traineddata", "osd.traineddata", "xyz.traineddata"})
            std::ofstream(data_.path().toStdString() + "/" + name) << "x";
        SettingPageTest::SetUp();
    }
    QCheckBox* Recognise() const { return Find<QCheckBox>(1017); }
    QComboBox* Languages() const { return Find<QComboBox>(1018); }

    QTemporaryDir data_;
    CScopedEnv env_{"TESSDATA_PREFIX", qPrintable(data_.path())};
};

TEST_F(SettingPageScanTest, OffByDefaultWithTheInstalledLanguages)
{
    ASSERT_NE(Recognise(), nullptr);
    EXPECT_EQ(Recognise()->text(), "Recognise text in scans");
    EXPECT_FALSE(Recognise()->isChecked());
    EXPECT_FALSE(Languages()->isEnabled());
    ASSERT_EQ(Languages()->count(), 4);
    EXPECT_EQ(Languages()->itemText(0), "English");
    EXPECT_EQ(Languages()->itemText(1), "German");
    EXPECT_EQ(Languages()->itemText(2), "xyz");
    EXPECT_EQ(Languages()->itemText(3), "All installed languages");
    EXPECT_EQ(Languages()->itemData(3).toString(), "eng+deu+xyz");
    PressNext();
    EXPECT_EQ(page_->RecogniseText(), 0);
    EXPECT_EQ(page_->OcrLanguages(), "eng");
}

TEST_F(SettingPageScanTest, TheChoiceReachesTheSettings)
{
    Click(Recognise());
    EXPECT_TRUE(Languages()->isEnabled());
    Languages()->setCurrentIndex(1);
    PressNext();
    EXPECT_EQ(sheet_.ActiveIndex(), 2);
    EXPECT_EQ(page_->RecogniseText(), 1);
    EXPECT_EQ(page_->OcrLanguages(), "deu");
    // Back and forth keeps it.
    PressBack();
    EXPECT_TRUE(Recognise()->isChecked());
    EXPECT_EQ(Languages()->currentText(), "German");
    Click(Recognise());
    EXPECT_FALSE(Languages()->isEnabled());
    PressNext();
    EXPECT_EQ(page_->RecogniseText(), 0);
}

TEST(SettingPageScanLanguages, WithoutLanguageDataOnlyTheTextLayerRemains)
{
    QTemporaryDir empty;
    CScopedEnv env("TESSDATA_PREFIX", qPrintable(empty.path()));
    CPropertySheet sheet(QStringLiteral("Paperwell"));
    auto* page = new CSettingPage;
    sheet.AddPage(page);
    sheet.show();
    sheet.SetActivePage(0);
    auto* languages = page->findChild<QComboBox*>(QStringLiteral("1018"));
    auto* recognise = page->findChild<QCheckBox*>(QStringLiteral("1017"));
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(languages->count(), 1);
    EXPECT_EQ(languages->itemText(0), "(no language data)");
    QTest::mouseClick(recognise, Qt::LeftButton);
    EXPECT_TRUE(recognise->isChecked());
    EXPECT_FALSE(languages->isEnabled());
}

TEST(OcrLanguageList, NamesAndOrder)
{
    EXPECT_TRUE(OcrLanguageEntries({}).empty());
    const auto one = OcrLanguageEntries({"eng"});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].text, "English");
    const auto several = OcrLanguageEntries({"fra", "chi_sim", "eng"});
    ASSERT_EQ(several.size(), 4u);
    EXPECT_EQ(several[0].languages, "eng");
    EXPECT_EQ(several[1].text, "Chinese (simplified)");
    EXPECT_EQ(several[2].text, "French");
    EXPECT_EQ(several[3].languages, "eng+chi_sim+fra");
}

} // namespace
