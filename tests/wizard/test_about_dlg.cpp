// The About dialog as the user sees it: its texts and links in their
// template places, the background picture and the OK button.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "wizard/about_dlg.h"
#include "wizard/dialog_units.h"
#include "wizard/hyperlink.h"
#include "wizard/link_opener.h"
#include "wizard/transparent_static.h"

namespace {

template <typename T>
T* Control(const QDialog& dialog, int id)
{
    return dialog.findChild<T*>(QString::number(id));
}

TEST(AboutDlgTest, TextsAndLinksInTheirPlaces)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Paperwell"));
    EXPECT_EQ(dialog.size(), DialogSize(250, 195));

    auto* version = Control<CTransparentStatic>(dialog, 1028);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("Paperwell      Version 11.06.01"));
    EXPECT_EQ(version->geometry(), DialogRect(35, 60, 177, 10));
    auto* notice = Control<CTransparentStatic>(dialog, 1027);
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(notice->text().isEmpty());
    EXPECT_EQ(notice->geometry(), DialogRect(35, 73, 182, 19));

    const struct {
        int id;
        int y;
        QString text;
        QString target;
    } links[] = {
        {1024, 105, kProductWebPage, kProductWebPage},
        {1025, 118, kSupportAddress, QStringLiteral("mailto:") + kSupportAddress},
        {1026, 131, kSalesAddress, QStringLiteral("mailto:") + kSalesAddress},
    };
    for (const auto& expected : links) {
        auto* link = Control<CHyperLink>(dialog, expected.id);
        ASSERT_NE(link, nullptr) << expected.id;
        EXPECT_EQ(link->text(), expected.text);
        EXPECT_EQ(link->URL(), expected.target);
        EXPECT_EQ(link->Underline(), CHyperLink::kUnderlineAlways);
        EXPECT_TRUE(link->font().underline());
        EXPECT_TRUE(link->alignment() & Qt::AlignHCenter);
        EXPECT_EQ(link->geometry(), DialogRect(47, expected.y, 155, 8));
    }

    auto* ok = Control<QPushButton>(dialog, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry(), DialogRect(99, 174, 50, 14));
}

TEST(AboutDlgTest, SupportLinkWritesMailAndOkCloses)
{
    QStringList opened;
    SetLinkOpenerForTesting([&](const QString& target) {
        opened << target;
        return kLinkOpened;
    });
    CAboutDlg dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(Control<CHyperLink>(dialog, 1025), Qt::LeftButton, {}, QPoint(100, 5));
    SetLinkOpenerForTesting({});
    EXPECT_EQ(opened, QStringList{QStringLiteral("mailto:") + kSupportAddress});

    QTest::mouseClick(Control<QPushButton>(dialog, 1), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(AboutDlgTest, BackgroundPictureCoversTheDialog)
{
    const QImage picture(QStringLiteral(":/bitmap_135.png"));
    ASSERT_EQ(picture.size(), QSize(377, 321));
    CAboutDlg dialog;
    const QImage shown = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Points away from the controls show the picture, scaled to the dialog.
    for (QPointF share : {QPointF(0.02, 0.02), QPointF(0.98, 0.05), QPointF(0.5, 0.1), QPointF(0.03, 0.97),
                          QPointF(0.97, 0.97)}) {
        const QColor want = picture.pixelColor(int(share.x() * 377), int(share.y() * 321));
        const QColor got = shown.pixelColor(int(share.x() * shown.width()), int(share.y() * shown.height()));
        constexpr int kScalingSlack = 8; // smooth scaling blends neighbours a little
        EXPECT_LE(std::abs(want.red() - got.red()), kScalingSlack) << share.x() << "," << share.y();
        EXPECT_LE(std::abs(want.green() - got.green()), kScalingSlack);
        EXPECT_LE(std::abs(want.blue() - got.blue()), kScalingSlack);
    }
}

} // namespace
