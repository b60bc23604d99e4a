// The wizard's small controls driven as a user would: tooltips, the banner's
// picture and click, the transparent label.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "wizard/link_opener.h"
#include "wizard/tip_button.h"
#include "wizard/top_banner.h"
#include "wizard/transparent_static.h"

namespace {

// Records every target the controls open and answers with `result`.
class CLinkRecorder {
public:
    explicit CLinkRecorder(int result = kLinkOpened)
    {
        SetLinkOpenerForTesting([this, result](const QString& target) {
            targets.push_back(target);
            return result;
        });
    }
    ~CLinkRecorder() { SetLinkOpenerForTesting({}); }
    QStringList targets;
};

TEST(TipButtonTest, TooltipShownOnlyWhileActive)
{
    CTipButton button(QStringLiteral("Add"));
    EXPECT_TRUE(button.toolTip().isEmpty());
    button.SetTooltipText(QStringLiteral("Add PDF files"), true);
    EXPECT_EQ(button.toolTip(), QStringLiteral("Add PDF files"));
    button.SetTooltipText(QStringLiteral("Add PDF files"), false);
    EXPECT_TRUE(button.toolTip().isEmpty());
    EXPECT_EQ(button.TooltipText(), QStringLiteral("Add PDF files"));
    // An empty text changes nothing.
    button.SetTooltipText(QStringLiteral("Remove"), true);
    button.SetTooltipText(QString(), true);
    EXPECT_EQ(button.toolTip(), QStringLiteral("Remove"));
}

// A parent that paints its own picture, as the About dialog does.
class CPaintedParent : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kParentColour); }

public:
    static constexpr QColor kParentColour{10, 200, 30};
};

TEST(TransparentStaticTest, TextLiesOnParentsPicture)
{
    CPaintedParent parent;
    parent.resize(200, 40);
    CTransparentStatic label(QStringLiteral("Paperwell"), &parent);
    label.setGeometry(0, 0, 200, 40);
    label.setAlignment(Qt::AlignRight | Qt::AlignBottom);
    const QImage picture = parent.grab().toImage();
    // Away from the text only the parent's picture shows ...
    EXPECT_EQ(picture.pixelColor(2, 2), CPaintedParent::kParentColour);
    EXPECT_EQ(picture.pixelColor(100, 20), CPaintedParent::kParentColour);
    // ... and the text is drawn on it.
    bool textDrawn = false;
    for (int y = 20; y < 40 && !textDrawn; ++y)
        for (int x = 120; x < 200 && !textDrawn; ++x)
            textDrawn = picture.pixelColor(x, y) != CPaintedParent::kParentColour;
    EXPECT_TRUE(textDrawn);
}

class TopBannerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        page_.resize(500, 300);
        ASSERT_TRUE(banner_->Attach(&page_, CTopBanner::kAttachTop, 0xFFF0));
    }
    QImage Picture() const { return banner_->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QWidget page_;
    CTopBanner* banner_ = new CTopBanner; // owned by the page once attached
};

TEST_F(TopBannerTest, AttachesAlongTopWithItsId)
{
    EXPECT_EQ(banner_->parentWidget(), &page_);
    EXPECT_EQ(banner_->objectName(), QStringLiteral("65520"));
    EXPECT_EQ(banner_->geometry(), QRect(0, 0, 500, 75));
    EXPECT_EQ(page_.size(), QSize(500, 300));
    EXPECT_EQ(banner_->cursor().shape(), Qt::PointingHandCursor);
    page_.show();
    page_.resize(640, 300);
    EXPECT_EQ(banner_->geometry(), QRect(0, 0, 640, 75));
}

TEST_F(TopBannerTest, OtherEdgesAndFailures)
{
    QWidget page;
    page.resize(400, 300);
    auto* left = new CTopBanner;
    ASSERT_TRUE(left->Attach(&page, CTopBanner::kAttachLeft, 1));
    EXPECT_EQ(left->geometry(), QRect(0, 0, 75, 300));
    auto* right = new CTopBanner;
    ASSERT_TRUE(right->Attach(&page, CTopBanner::kAttachRight, 2));
    EXPECT_EQ(right->geometry(), QRect(325, 0, 75, 300));
    auto* bottom = new CTopBanner;
    ASSERT_TRUE(bottom->Attach(&page, CTopBanner::kAttachBottom, 3));
    EXPECT_EQ(bottom->geometry(), QRect(0, 225, 400, 75));

    CTopBanner loose;
    EXPECT_FALSE(loose.Attach(nullptr, CTopBanner::kAttachTop, 4));
    EXPECT_FALSE(loose.Attach(&page, 0, 5));
    EXPECT_EQ(loose.parentWidget(), nullptr);
}

TEST_F(TopBannerTest, PiecesSitAtTheirPlacesOnA500PixelPage)
{
    const QImage left(QStringLiteral(":/bitmap_162.png"));
    const QImage middle(QStringLiteral(":/bitmap_163.png"));
    const QImage right(QStringLiteral(":/bitmap_164.png"));
    ASSERT_EQ(left.size(), QSize(236, 74));
    ASSERT_EQ(middle.size(), QSize(222, 74));
    ASSERT_EQ(right.size(), QSize(106, 74));

    const QImage picture = Picture();
    ASSERT_EQ(picture.size(), QSize(500, 75));
    // The left and right pieces are copied at their own size, pixel for pixel.
    for (int y = 0; y < 74; y += 3) {
        for (int x = 0; x < 236; x += 5)
            ASSERT_EQ(picture.pixel(x, y), left.pixel(x, y)) << x << "," << y;
        for (int x = 394; x < 500; x += 3)
            ASSERT_EQ(picture.pixel(x, y), right.pixel(x - 394, y)) << x << "," << y;
    }
    EXPECT_EQ(picture.pixel(235, 30), left.pixel(235, 30));
    EXPECT_EQ(picture.pixel(394, 30), right.pixel(0, 30));
    EXPECT_EQ(picture.pixel(499, 30), right.pixel(105, 30));
    // The middle is stretched over 236..393; its columns are alike, so each
    // row keeps the middle's colour of that row.
    for (int y = 0; y < 74; y += 7)
        for (int x : {236, 300, 393})
            EXPECT_EQ(picture.pixel(x, y), middle.pixel(100, y)) << x << "," << y;
    // The last row lies under the pictures.
    EXPECT_EQ(picture.pixelColor(0, 74), CTopBanner::kBottomRowColour);
    EXPECT_EQ(picture.pixelColor(499, 74), CTopBanner::kBottomRowColour);
}

TEST_F(TopBannerTest, LeftPressOpensTargetAndIgnoresFailure)
{
    CLinkRecorder recorder(31);
    page_.show();
    QTest::mouseClick(banner_, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(recorder.targets.isEmpty());
    QTest::mouseClick(banner_, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(recorder.targets.isEmpty()); // no target set yet
    banner_->SetLinkTarget(kProductWebPage);
    QTest::mouseClick(banner_, Qt::LeftButton, {}, QPoint(300, 40));
    EXPECT_EQ(recorder.targets, QStringList{kProductWebPage});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // a banner never reports a failure
}

} // namespace
