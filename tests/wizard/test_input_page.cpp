// The input page in a real wizard sheet: the real buttons pressed with the
// mouse, a stand-in for the file dialog, real folders for the output check.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "message_box_answerer.h"
#include "wizard/dialog_units.h"
#include "wizard/input_page.h"
#include "wizard/link_opener.h"
#include "wizard/property_sheet.h"
#include "wizard/tip_button.h"
#include "wizard/top_banner.h"

namespace {

class CNextDummyPage : public CVovirPropertyPage {
public:
    CNextDummyPage() : CVovirPropertyPage(999) {}
};

class InputPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp_.isValid());
        page_ = new CInputPage;
        sheet_.AddPage(page_);
        sheet_.AddPage(new CNextDummyPage);
        page_->SetFileChooser([this](QWidget*, const QString& startFolder) {
            startFolders_.push_back(startFolder);
            return chosen_;
        });
        sheet_.show();
    }
    void TearDown() override { QDir::setCurrent(savedCurrent_); }

    template <class Control> Control* Find(int id) const
    {
        return page_->findChild<Control*>(QString::number(id));
    }
    QTreeWidget* List() const { return Find<QTreeWidget>(1032); }
    QLineEdit* FolderEdit() const { return Find<QLineEdit>(1005); }
    void Click(int id) const { QTest::mouseClick(Find<QPushButton>(id), Qt::LeftButton); }
    void PressNext() { QTest::mouseClick(sheet_.Button(WizardButton::Next), Qt::LeftButton); }

    // Real files, one per name, in a sub-folder of the temporary directory.
    QStringList MakeFiles(const QString& folder, const QStringList& names) const
    {
        QDir(temp_.path()).mkpath(folder);
        QStringList paths;
        for (const QString& name : names) {
            QFile file(temp_.path() + "/" + folder + "/" + name);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            paths << file.fileName();
        }
        return paths;
    }
    QStringList NumberedFiles(const QString& folder, int first, int count) const
    {
        QStringList names;
        for (int i = first; i < first + count; ++i)
            names << QStringLiteral("doc%1.pdf").arg(i);
        return MakeFiles(folder, names);
    }
    void Add(const QStringList& paths)
    {
        chosen_ = paths;
        Click(1000);
    }
    QStringList ListTexts() const
    {
        QStringList texts;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            texts << List()->topLevelItem(i)->text(0);
        return texts;
    }
    QStringList PathList() const
    {
        QStringList paths;
        for (const std::string& path : page_->PathList())
            paths << QString::fromStdString(path);
        return paths;
    }
    void Select(int index) const
    {
        const QRect place = List()->visualItemRect(List()->topLevelItem(index));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, place.center());
    }
    int SelectedIndex() const
    {
        const QList<QTreeWidgetItem*> selected = List()->selectedItems();
        return selected.isEmpty() ? -1 : List()->indexOfTopLevelItem(selected.front());
    }

    CMessageBoxAnswerer answerer_;
    QTemporaryDir temp_;
    QString savedCurrent_ = QDir::currentPath();
    CPropertySheet sheet_{QStringLiteral("Paperwell")};
    CInputPage* page_ = nullptr;
    QStringList chosen_;
    QStringList startFolders_;
};

TEST_F(InputPageTest, ControlsSitAtTheirTemplatePlaces)
{
    ASSERT_NE(List(), nullptr);
    EXPECT_EQ(List()->geometry(), DialogRect(22, 80, 269, 75));
    EXPECT_EQ(List()->columnCount(), 1);
    EXPECT_EQ(List()->columnWidth(0), 400);
    EXPECT_EQ(List()->headerItem()->text(0), QString());
    EXPECT_EQ(List()->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(FolderEdit()->geometry(), DialogRect(22, 185, 269, 14));

    struct Expected { int id; const char* text; const char* tip; int x, y; };
    for (const Expected& e : {Expected{1000, "&Add file(s)", "Add PDF file(s).", 302, 79},
                              Expected{1033, "&Remove", "Remove selected file.", 302, 110},
                              Expected{1034, "Re&move all", "Remove all files.", 302, 141},
                              Expected{1004, "Br&owse", "Select location to save converted file(s).", 302, 185}}) {
        auto* button = Find<CTipButton>(e.id);
        ASSERT_NE(button, nullptr) << e.id;
        EXPECT_EQ(button->text(), e.text);
        EXPECT_EQ(button->TooltipText(), e.tip);
        EXPECT_EQ(button->geometry(), DialogRect(e.x, e.y, 46, 14));
    }
    auto* banner = Find<CTopBanner>(0xFFF0);
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->LinkTarget(), kProductWebPage);
}

TEST_F(InputPageTest, ActivationSetsTheWizardButtons)
{
    // Another page left the buttons otherwise.
    sheet_.SetActivePage(1);
    sheet_.Button(WizardButton::Back)->setEnabled(true);
    sheet_.Button(WizardButton::Next)->hide();
    sheet_.Button(WizardButton::Finish)->show();
    sheet_.Button(WizardButton::Cancel)->setEnabled(false);
    sheet_.SetActivePage(0);
    EXPECT_FALSE(sheet_.Button(WizardButton::Back)->isEnabled());
    EXPECT_TRUE(sheet_.Button(WizardButton::Next)->isVisible());
    EXPECT_TRUE(sheet_.Button(WizardButton::Next)->isEnabled());
    EXPECT_FALSE(sheet_.Button(WizardButton::Finish)->isVisible());
    EXPECT_TRUE(sheet_.Button(WizardButton::Cancel)->isEnabled());
}

TEST_F(InputPageTest, NewestFilesGoOnTopWhileThePathListKeepsTheOrderOfAdding)
{
    const QStringList a = MakeFiles("one", {"a.pdf"});
    const QStringList bc = MakeFiles("two", {"b.pdf", "c.pdf"});
    Add(a);
    Add(bc);
    EXPECT_EQ(ListTexts(), (QStringList{bc[1], bc[0], a[0]}));
    EXPECT_EQ(PathList(), (QStringList{a[0], bc[0], bc[1]}));
    EXPECT_EQ(SelectedIndex(), 0);
    EXPECT_EQ(List()->currentItem(), List()->topLevelItem(0));

    FolderEdit()->setText(temp_.path());
    PressNext();
    EXPECT_EQ(sheet_.ActiveIndex(), 1);
    ASSERT_EQ(page_->FileArray().size(), 3u);
    EXPECT_EQ(page_->FileArray()[0], bc[1].toStdString());
    EXPECT_EQ(page_->FileArray()[2], a[0].toStdString());
    EXPECT_EQ(answerer_.Count(), 0);
}

TEST_F(InputPageTest, DuplicatesAreSkippedSilentlyWhateverTheirCase)
{
    const QStringList files = MakeFiles("dup", {"Report.pdf", "other.pdf"});
    Add({files[0]});
    QDir::setCurrent(savedCurrent_);
    Add({QString(files[0]).replace("Report.pdf", "REPORT.PDF")});
    EXPECT_EQ(ListTexts(), QStringList{files[0]});
    // A skipped single file leaves the current folder alone.
    EXPECT_EQ(QDir::currentPath(), savedCurrent_);

    Add({QString(files[0]).toLower(), files[1]});
    EXPECT_EQ(ListTexts(), (QStringList{files[1], files[0]}));
    EXPECT_EQ(answerer_.Count(), 0);
}

TEST_F(InputPageTest, TheDialogStartsWhereTheLastAddTookPlace)
{
    const QStringList pair = MakeFiles("pair", {"x.pdf", "y.pdf"});
    const QStringList single = MakeFiles("single", {"z.pdf"});
    Add(pair);
    Add(single);
    ASSERT_EQ(startFolders_.size(), 2);
    EXPECT_EQ(startFolders_[0], savedCurrent_);
    EXPECT_EQ(startFolders_[1], temp_.path() + "/pair");
    EXPECT_EQ(QDir::currentPath(), temp_.path() + "/single");

    // A current folder that has gone sends the dialog to the documents folder.
    QDir(temp_.path()).mkdir("gone");
    ASSERT_TRUE(QDir::setCurrent(temp_.path() + "/gone"));
    QDir(temp_.path()).rmdir("gone");
    chosen_.clear();
    Click(1000);
    EXPECT_EQ(startFolders_.back(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    EXPECT_EQ(ListTexts().size(), 3);
}

TEST_F(InputPageTest, FiftyFilesAtMost)
{
    Add(NumberedFiles("many", 0, 48));
    Add(NumberedFiles("many", 48, 5));
    EXPECT_EQ(List()->topLevelItemCount(), kMaxInputFiles);
    EXPECT_EQ(answerer_.Last(), "Some files cannot be added as the maximum limit(50 files) is exceeded.");
    EXPECT_EQ(page_->PathList().back(), (temp_.path() + "/many/doc49.pdf").toStdString());

    const qsizetype asked = startFolders_.size();
    Add(NumberedFiles("more", 0, 1));
    EXPECT_EQ(startFolders_.size(), asked) << "no dialog with 50 files listed";
    EXPECT_EQ(answerer_.Last(), "No more files can be added for conversion.");
    EXPECT_EQ(answerer_.Count(), 2);
}

TEST_F(InputPageTest, ASelectionThatJustFitsShowsNoMessage)
{
    Add(NumberedFiles("many", 0, 48));
    Add(NumberedFiles("many", 48, 2));
    EXPECT_EQ(List()->topLevelItemCount(), kMaxInputFiles);
    EXPECT_EQ(answerer_.Count(), 0);
}

TEST_F(InputPageTest, RemoveTakesTheSelectedFileAndSelectsTheNextOne)
{
    const QStringList files = MakeFiles("rm", {"a.pdf", "b.pdf", "c.pdf"});
    Add(files); // listed c, b, a
    Select(1);
    Click(1033);
    EXPECT_EQ(ListTexts(), (QStringList{files[2], files[0]}));
    EXPECT_EQ(PathList(), (QStringList{files[0], files[2]}));
    EXPECT_EQ(SelectedIndex(), 1);

    // The bottom file goes; nothing is left below it to select.
    Click(1033);
    EXPECT_EQ(ListTexts(), QStringList{files[2]});
    EXPECT_EQ(SelectedIndex(), -1);
    Click(1033);
    EXPECT_EQ(ListTexts(), QStringList{files[2]}) << "no selection, nothing removed";
    EXPECT_EQ(PathList(), QStringList{files[2]});
}

TEST_F(InputPageTest, RemoveAllEmptiesListAndPaths)
{
    Add(MakeFiles("all", {"a.pdf", "b.pdf"}));
    Click(1034);
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_TRUE(page_->PathList().empty());

    FolderEdit()->setText(temp_.path());
    PressNext();
    EXPECT_EQ(answerer_.Last(), "No file(s) selected for conversion.");
    EXPECT_EQ(sheet_.ActiveIndex(), 0);
}

TEST_F(InputPageTest, BrowseReplacesTheFolderUnlessCancelled)
{
    QString answer;
    page_->SetFolderChooser([&answer](QWidget*) { return answer; });
    FolderEdit()->setText("/typed");
    Click(1004);
    EXPECT_EQ(page_->OutputFolder(), "/typed");
    answer = temp_.path();
    Click(1004);
    EXPECT_EQ(page_->OutputFolder(), temp_.path());
}

TEST_F(InputPageTest, NextChecksTheOutputFolder)
{
    Add(MakeFiles("in", {"a.pdf"}));
    for (const QString& refused : {QString(), QStringLiteral("   "), QStringLiteral("not-here-relative"),
                                   temp_.path() + "/in/a.pdf/below"}) {
        FolderEdit()->setText(refused);
        PressNext();
        EXPECT_EQ(answerer_.Last(), "Provide a valid output directory path.") << refused.toStdString();
        EXPECT_EQ(sheet_.ActiveIndex(), 0);
    }
    EXPECT_FALSE(QDir("not-here-relative").exists());

    const QString created = temp_.path() + "/out/new";
    FolderEdit()->setText("  " + created + "\t ");
    PressNext();
    EXPECT_EQ(sheet_.ActiveIndex(), 1);
    EXPECT_TRUE(std::filesystem::is_directory(created.toStdString()));
    EXPECT_EQ(page_->OutputFolder(), created);
}

TEST_F(InputPageTest, AnExistingFileAndARelativeFolderPass)
{
    const QStringList files = MakeFiles("in", {"a.pdf"});
    Add(files); // the current folder is now "in"
    FolderEdit()->setText(files[0]);
    PressNext();
    EXPECT_EQ(sheet_.ActiveIndex(), 1);

    sheet_.SetActivePage(0);
    QDir(temp_.path() + "/in").mkdir("rel");
    FolderEdit()->setText("rel");
    PressNext();
    EXPECT_EQ(sheet_.ActiveIndex(), 1);
    EXPECT_EQ(answerer_.Count(), 0);
}

TEST_F(InputPageTest, CancelAsksBeforeClosing)
{
    answerer_.Queue(QMessageBox::No);
    QTest::mouseClick(sheet_.Button(WizardButton::Cancel), Qt::LeftButton);
    EXPECT_EQ(answerer_.Last(), "Do you want to exit ?");
    EXPECT_TRUE(sheet_.isVisible());
    QTest::mouseClick(sheet_.Button(WizardButton::Cancel), Qt::LeftButton);
    EXPECT_FALSE(sheet_.isVisible());
    EXPECT_EQ(sheet_.result(), QDialog::Rejected);
}

} // namespace
