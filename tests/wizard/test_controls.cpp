// The wizard's small controls driven as a user would: tooltips, the banner's
// picture and click, the transparent label.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QSignalSpy>
#include <QPainter>
#include <QTest>

#include "message_box_answerer.h"
#include "wizard/hyperlink.h"
#include "wizard/link_opener.h"
#include "wizard/page_colour.h"
#include "wizard/skin_button.h"
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

class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_.resize(300, 100);
        link_ = new CHyperLink(&window_);
        link_->setGeometry(20, 20, 200, 20);
    }
    void Show()
    {
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    // The pointer goes where a user would move it; the link learns of it
    // from the platform's enter and move events and from QCursor::pos().
    void MovePointer(QPoint inLink)
    {
        QCursor::setPos(link_->mapToGlobal(inLink));
        QTest::mouseMove(link_, inLink);
    }
    void MovePointerAway()
    {
        QCursor::setPos(window_.mapToGlobal(QPoint(290, 90)));
        QTest::mouseMove(&window_, QPoint(290, 90));
    }
    bool Underlined() const { return link_->font().underline(); }
    QColor ShownColour() const { return link_->palette().color(QPalette::WindowText); }

    QWidget window_;
    CHyperLink* link_;
};

TEST_F(HyperLinkTest, TextOnlyLinkOpensItsText)
{
    CLinkRecorder recorder;
    link_->setText(QStringLiteral("https://example.org/manual"));
    link_->Attach();
    EXPECT_EQ(link_->URL(), QStringLiteral("https://example.org/manual"));
    EXPECT_EQ(link_->toolTip(), link_->URL());
    EXPECT_EQ(link_->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(ShownColour(), CHyperLink::kLinkColour);
    Show();
    QTest::mouseClick(link_, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(recorder.targets, QStringList{QStringLiteral("https://example.org/manual")});
    EXPECT_TRUE(link_->Visited());
    EXPECT_EQ(ShownColour(), CHyperLink::kVisitedColour);
}

TEST_F(HyperLinkTest, TargetOnlyLinkShowsItsTargetAndFollowsNewTargets)
{
    link_->SetURL(QStringLiteral("/home/user/Documents"));
    link_->SetUnderline(CHyperLink::kUnderlineAlways);
    link_->Attach();
    EXPECT_EQ(link_->text(), QStringLiteral("/home/user/Documents"));
    EXPECT_TRUE(Underlined());
    link_->SetURL(QStringLiteral("/tmp"));
    EXPECT_EQ(link_->toolTip(), QStringLiteral("/tmp"));
    link_->SetUnderline(CHyperLink::kUnderlineNever);
    EXPECT_FALSE(Underlined());
}

TEST_F(HyperLinkTest, HoverUnderlinesAndRedThenRestoresSoonAfterLeaving)
{
    constexpr int kRestoreDeadlineMs = 400; // a few timer periods
    link_->setText(QStringLiteral("https://example.org/"));
    link_->Attach();
    Show();
    EXPECT_FALSE(Underlined());

    MovePointer(QPoint(10, 10));
    EXPECT_TRUE(link_->PointerOver());
    EXPECT_TRUE(Underlined());
    EXPECT_EQ(ShownColour(), CHyperLink::kHoverColour);
    // A check while the pointer still rests on the link changes nothing.
    QTest::qWait(CHyperLink::kHoverCheckMs + 30);
    EXPECT_TRUE(link_->PointerOver());

    MovePointerAway();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link_->PointerOver(); }, kRestoreDeadlineMs));
    EXPECT_FALSE(Underlined());
    EXPECT_EQ(ShownColour(), CHyperLink::kLinkColour);

    // Once visited, leaving restores the visited colour.
    link_->SetVisited(true);
    MovePointer(QPoint(10, 10));
    EXPECT_EQ(ShownColour(), CHyperLink::kHoverColour);
    MovePointerAway();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link_->PointerOver(); }, kRestoreDeadlineMs));
    EXPECT_EQ(ShownColour(), CHyperLink::kVisitedColour);
}

TEST_F(HyperLinkTest, TimerNoticesPointerGoneWithoutLeaveEvent)
{
    constexpr int kRestoreDeadlineMs = 400;
    link_->setText(QStringLiteral("https://example.org/"));
    link_->Attach();
    Show();
    MovePointer(QPoint(10, 10));
    ASSERT_TRUE(link_->PointerOver());
    // Only the cursor moves (no event reaches the link): the timer sees it.
    QCursor::setPos(window_.mapToGlobal(QPoint(290, 90)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link_->PointerOver(); }, kRestoreDeadlineMs));
    EXPECT_FALSE(Underlined());
}

TEST_F(HyperLinkTest, UnderlineModesAlwaysAndNever)
{
    constexpr int kRestoreDeadlineMs = 400;
    link_->setText(QStringLiteral("https://example.org/"));
    link_->SetUnderline(CHyperLink::kUnderlineAlways);
    link_->Attach();
    Show();
    MovePointer(QPoint(10, 10));
    MovePointerAway();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link_->PointerOver(); }, kRestoreDeadlineMs));
    EXPECT_TRUE(Underlined());

    link_->SetUnderline(CHyperLink::kUnderlineNever);
    MovePointer(QPoint(10, 10));
    EXPECT_EQ(ShownColour(), CHyperLink::kHoverColour);
    EXPECT_FALSE(Underlined());
    MovePointerAway();
}

TEST_F(HyperLinkTest, FailedOpeningsShowTheirMessageAndStayUnvisited)
{
    link_->setText(QStringLiteral("https://example.org/"));
    link_->Attach();
    Show();
    const struct {
        int result;
        QString text;
    } cases[] = {
        {31, QStringLiteral("There is no application associated\nwith the given filename extension.")},
        {26, QStringLiteral("A sharing violation occurred. ")},
        {4, QStringLiteral("Unknown Error (4) occurred.")},
        {32, QStringLiteral("The specified dynamic-link library was not found.")},
    };
    for (const auto& c : cases) {
        CMessageBoxAnswerer answerer;
        CLinkRecorder recorder(c.result);
        QTest::mouseClick(link_, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(recorder.targets.size(), 1);
        ASSERT_EQ(answerer.Count(), 1) << c.result;
        EXPECT_EQ(answerer.Last(), QStringLiteral("Unable to open hyperlink:\n\n") + c.text);
        EXPECT_FALSE(link_->Visited());
        EXPECT_EQ(ShownColour(), CHyperLink::kLinkColour);
    }
    // Anything above 32 is an opening, whatever the number.
    CMessageBoxAnswerer answerer;
    CLinkRecorder recorder(40);
    QTest::mouseClick(link_, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(answerer.Count(), 0);
    EXPECT_TRUE(link_->Visited());
}

class SkinButtonTest : public ::testing::Test {
protected:
    static constexpr QSize kButtonSize{40, 30};
    void SetUp() override
    {
        window_.resize(120, 80);
        button_ = new CSkinButton(&window_);
        button_->setGeometry(10, 10, kButtonSize.width(), kButtonSize.height());
        button_->SetImages(QStringLiteral(":/bitmap_147.png"), kPageColour, QStringLiteral(":/bitmap_146.png"),
                           kPageColour);
        button_->SetDrawBorder(false);
        for (int index : {CSkinButton::kBackgroundOver, CSkinButton::kBackgroundNormal, CSkinButton::kBackgroundFocus})
            button_->SetColour(index, kBackground);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    // Moves in from outside: a move to where the pointer already is would
    // reach no widget.
    void Hover(QPoint inButton)
    {
        QTest::mouseMove(&window_, QPoint(110, 70));
        QTest::mouseMove(button_, inButton);
    }
    // What the image file holds at a point of the 32 x 32 picture.
    static QColor FilePixel(const char* path, QPoint at) { return QImage(QString::fromLatin1(path)).pixelColor(at); }
    QImage Picture() const { return button_->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // Inside the badge beside the "i": the two images differ there.
    static constexpr QPoint kBadgeCentre{9, 16};
    // A corner of the picture holds the key colour.
    static constexpr QPoint kKeyCorner{0, 0};
    // A background unlike the key colour shows where the key lets it through.
    static constexpr QColor kBackground{250, 240, 10};

    QWidget window_;
    CSkinButton* button_;
};

TEST_F(SkinButtonTest, NormalImageThenHoverImageWhileOver)
{
    ASSERT_NE(FilePixel(":/bitmap_147.png", kBadgeCentre), FilePixel(":/bitmap_146.png", kBadgeCentre));
    const QPoint origin = button_->ImageOrigin();
    EXPECT_EQ(origin, QPoint((40 - 32) / 2, (30 - 32) / 2));
    EXPECT_EQ(Picture().pixelColor(origin + kBadgeCentre), FilePixel(":/bitmap_147.png", kBadgeCentre));

    Hover(QPoint(20, 15));
    EXPECT_TRUE(button_->PointerOver());
    EXPECT_EQ(Picture().pixelColor(origin + kBadgeCentre), FilePixel(":/bitmap_146.png", kBadgeCentre));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button_, &leave);
    EXPECT_FALSE(button_->PointerOver());
    EXPECT_EQ(Picture().pixelColor(origin + kBadgeCentre), FilePixel(":/bitmap_147.png", kBadgeCentre));
}

TEST_F(SkinButtonTest, KeyColourLetsBackgroundThrough)
{
    const QImage picture = Picture();
    const QPoint origin = button_->ImageOrigin();
    ASSERT_EQ(FilePixel(":/bitmap_147.png", kKeyCorner + QPoint(0, 2)), kPageColour);
    EXPECT_EQ(picture.pixelColor(origin + kKeyCorner + QPoint(0, 2)), kBackground);
    EXPECT_NE(picture.pixelColor(origin + kBadgeCentre), kBackground);
}

TEST_F(SkinButtonTest, PressedImageMovesOnePixelRightAndDown)
{
    QSignalSpy clicks(button_, &QAbstractButton::clicked);
    const QPoint origin = button_->ImageOrigin();
    QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_EQ(button_->ImageOrigin(), origin + QPoint(1, 1));
    const QImage pressed = Picture();
    EXPECT_EQ(pressed.pixelColor(origin + QPoint(1, 1) + kBadgeCentre), FilePixel(":/bitmap_146.png", kBadgeCentre));
    QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_EQ(button_->ImageOrigin(), origin);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(button_->hasFocus());

    // A double click arrives as press, release, double click, release: two clicks.
    QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(20, 15));
    QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(20, 15));
    QTest::mouseDClick(button_, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_EQ(button_->ImageOrigin(), origin + QPoint(1, 1));
    QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(SkinButtonTest, DisabledDrawsGreyedImageAndForgetsPointer)
{
    Hover(QPoint(20, 15));
    ASSERT_TRUE(button_->PointerOver());
    const QColor enabled = Picture().pixelColor(button_->ImageOrigin() + kBadgeCentre);
    button_->setEnabled(false);
    EXPECT_FALSE(button_->PointerOver());
    const QColor disabled = Picture().pixelColor(button_->ImageOrigin() + kBadgeCentre);
    EXPECT_NE(disabled, enabled);
    EXPECT_NE(disabled, FilePixel(":/bitmap_147.png", kBadgeCentre));
}

TEST_F(SkinButtonTest, ColoursTooltipAndMissingImages)
{
    CSkinButton fresh;
    EXPECT_EQ(fresh.Colour(CSkinButton::kBackgroundNormal), fresh.palette().color(QPalette::Button));
    EXPECT_EQ(fresh.Colour(CSkinButton::kTextFocus), fresh.palette().color(QPalette::ButtonText));
    fresh.SetColour(CSkinButton::kTextOver, QColor(0, 0, 128));
    EXPECT_EQ(fresh.Colour(CSkinButton::kTextOver), QColor(0, 0, 128));
    fresh.SetColour(6, Qt::red); // out of range: ignored

    fresh.SetTooltipText(QStringLiteral("About Paperwell..."), true);
    EXPECT_EQ(fresh.toolTip(), QStringLiteral("About Paperwell..."));
    fresh.SetTooltipText(QStringLiteral("About Paperwell..."), false);
    EXPECT_TRUE(fresh.toolTip().isEmpty());

    fresh.SetImages(QStringLiteral(":/no_such.png"), kPageColour, QStringLiteral(":/no_such.png"), kPageColour);
    EXPECT_TRUE(fresh.CurrentImage().isNull());
    fresh.resize(30, 30);
    EXPECT_FALSE(fresh.grab().isNull()); // paints without an image
}

} // namespace
