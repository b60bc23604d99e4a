#include "wizard/top_banner.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include "wizard/link_opener.h"
#include "wizard/wizard_artwork.h"

CTopBanner::CTopBanner()
    : left_(ArtworkPixmap(QStringLiteral(":/bitmap_162.png"))),
      middle_(ArtworkPixmap(QStringLiteral(":/bitmap_163.png"))),
      right_(ArtworkPixmap(QStringLiteral(":/bitmap_164.png")))
{
    // Every pixel is painted from the off-screen picture; erasing first
    // would only flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

bool CTopBanner::Attach(QWidget* page, int flags, int id)
{
    constexpr int kAnyEdge = kAttachLeft | kAttachTop | kAttachRight | kAttachBottom;
    if (!page || (flags & kAnyEdge) == 0)
        return false;
    if (page_)
        page_->removeEventFilter(this);
    page_ = page;
    flags_ = flags;
    setParent(page);
    setObjectName(QString::number(id));
    // The banner follows the page when the page is resized.
    page->installEventFilter(this);
    PlaceOnPage();
    show();
    return true;
}

void CTopBanner::PlaceOnPage()
{
    if (!page_)
        return;
    const QRect area = page_->rect();
    QRect place;
    if (flags_ & kAttachTop)
        place = QRect(0, 0, area.width(), kThickness);
    else if (flags_ & kAttachLeft)
        place = QRect(0, 0, kThickness, area.height());
    else if (flags_ & kAttachRight)
        place = QRect(area.width() - kThickness, 0, kThickness, area.height());
    else
        place = QRect(0, area.height() - kThickness, area.width(), kThickness);
    setGeometry(place);
}

bool CTopBanner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == page_ && event->type() == QEvent::Resize)
        PlaceOnPage();
    return QWidget::eventFilter(watched, event);
}

void CTopBanner::paintEvent(QPaintEvent*)
{
    // Drawn off screen first and copied in one step, so the strip never
    // shows half painted.
    const qreal ratio = devicePixelRatioF();
    QPixmap buffer(size() * ratio);
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(kBottomRowColour);
    {
        QPainter painter(&buffer);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const int width = this->width();
        const int middleStart = kLeftWidth;
        const int middleEnd = width - kRightWidth;
        if (middleEnd > middleStart)
            painter.drawPixmap(QRect(middleStart, 0, middleEnd - middleStart, kBitmapHeight), middle_);
        painter.drawPixmap(QRect(middleEnd, 0, kRightWidth, kBitmapHeight), right_);
        painter.drawPixmap(QRect(0, 0, kLeftWidth, kBitmapHeight), left_);
    }
    QPainter(this).drawPixmap(0, 0, buffer);
}

void CTopBanner::mousePressEvent(QMouseEvent* event)
{
    // A target that cannot be opened does nothing visible.
    if (event->button() == Qt::LeftButton && !target_.isEmpty())
        OpenLink(target_);
    QWidget::mousePressEvent(event);
}
