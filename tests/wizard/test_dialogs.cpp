// The password and completion dialogs on their own.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "message_box_answerer.h"
#include "wizard/conversion_complete_dlg.h"
#include "wizard/hyperlink.h"
#include "wizard/password_dlg.h"

namespace {

TEST(PasswordDlg, RefusesAnEmptyPasswordAndReturnsWhatWasTyped)
{
    CMessageBoxAnswerer answerer;
    CPasswordDlg dialog;
    dialog.SetAttemptText(QStringLiteral("Trying password for 1st of 5 times."));
    dialog.show();
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("1022"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("1"));
    ASSERT_TRUE(edit && ok);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("1023"))->text(),
              QStringLiteral("Trying password for 1st of 5 times."));

    ok->click();
    EXPECT_EQ(answerer.Last(), QStringLiteral("Please enter a valid password."));
    EXPECT_TRUE(dialog.isVisible());

    QTest::keyClicks(edit, QStringLiteral("  "));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    // Blanks are a password like any other.
    EXPECT_EQ(dialog.Password(), QStringLiteral("  "));
}

TEST(PasswordDlg, CancelAndEscapeGiveUpWithoutAQuestion)
{
    CMessageBoxAnswerer answerer;
    CPasswordDlg dialog;
    dialog.show();
    dialog.findChild<QPushButton*>(QStringLiteral("2"))->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    CPasswordDlg second;
    second.show();
    QTest::keyClick(&second, Qt::Key_Escape);
    EXPECT_EQ(second.result(), QDialog::Rejected);
    EXPECT_EQ(answerer.Count(), 0);
}

TEST(ConversionCompleteDlg, ListsFileNamesNumberedAndLinksTheFolder)
{
    const std::vector<std::string> files = {"/out/Paperwell March05_2011/report.doc",
                                            "/out/Paperwell March05_2011/report(1).doc", "plain.doc"};
    CConversionCompleteDlg dialog(files, "/out/Paperwell March05_2011");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Conversion complete"));
    EXPECT_EQ(dialog.SummaryText(), QStringLiteral("Total 3 files were converted successfully."));
    QTreeWidget* list = dialog.FileList();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("S.No."));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("File"));
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("1"));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("report.doc"));
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("report(1).doc"));
    EXPECT_EQ(list->topLevelItem(2)->text(1), QStringLiteral("plain.doc"));
    // The last row is the selected one.
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    EXPECT_EQ(dialog.FolderLink()->text(), QStringLiteral("/out/Paperwell March05_2011"));
    EXPECT_EQ(dialog.FolderLink()->URL(), QStringLiteral("/out/Paperwell March05_2011"));
    EXPECT_EQ(dialog.FolderLink()->Underline(), CHyperLink::kUnderlineAlways);
    EXPECT_EQ(CompletionSummary(1), QStringLiteral("Total 1 file was converted successfully."));
}

} // namespace
