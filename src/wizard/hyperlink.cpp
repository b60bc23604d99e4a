#include "wizard/hyperlink.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>

#include "wizard/link_opener.h"
#include "wizard/message_box.h"

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent)
{
    // Addresses are shown as they are, never read as markup.
    setTextFormat(Qt::PlainText);
    hoverTimer_.setInterval(kHoverCheckMs);
    connect(&hoverTimer_, &QTimer::timeout, this, &CHyperLink::CheckPointerLeft);
    ApplyColour();
}

void CHyperLink::Attach()
{
    if (url_.isEmpty())
        url_ = text();
    if (text().isEmpty())
        setText(url_);

    normalFont_ = font();
    normalFont_.setUnderline(false);
    underlinedFont_ = normalFont_;
    underlinedFont_.setUnderline(true);

    setCursor(Qt::PointingHandCursor);
    setToolTip(url_);
    // Moves are needed to notice the pointer without a button held.
    setMouseTracking(true);
    attached_ = true;
    ShowUnderlined(underline_ == kUnderlineAlways);
    ApplyColour();
}

void CHyperLink::SetURL(const QString& target)
{
    url_ = target;
    if (attached_)
        setToolTip(url_);
}

void CHyperLink::SetUnderline(int mode)
{
    if (mode == underline_)
        return;
    underline_ = mode;
    if (attached_)
        ShowUnderlined(underline_ == kUnderlineAlways);
}

void CHyperLink::SetVisited(bool visited)
{
    visited_ = visited;
    ApplyColour();
}

QColor CHyperLink::CurrentColour() const
{
    if (over_)
        return kHoverColour;
    return visited_ ? kVisitedColour : kLinkColour;
}

void CHyperLink::ShowUnderlined(bool underlined)
{
    setFont(underlined ? underlinedFont_ : normalFont_);
    update();
}

void CHyperLink::ApplyColour()
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CurrentColour());
    setPalette(colours);
    update();
}

void CHyperLink::PointerEntered()
{
    if (over_ || !attached_)
        return;
    over_ = true;
    if (underline_ == kUnderlineHover)
        ShowUnderlined(true);
    ApplyColour();
    hoverTimer_.start();
}

void CHyperLink::CheckPointerLeft()
{
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    over_ = false;
    hoverTimer_.stop();
    if (underline_ != kUnderlineAlways)
        ShowUnderlined(false);
    ApplyColour();
}

void CHyperLink::enterEvent(QEnterEvent* event)
{
    PointerEntered();
    QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event)
{
    // The timer would notice within its period; looking now saves the wait.
    if (hoverTimer_.isActive())
        CheckPointerLeft();
    QLabel::leaveEvent(event);
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event)
{
    PointerEntered();
    QLabel::mouseMoveEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (attached_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        OpenTarget();
}

void CHyperLink::OpenTarget()
{
    over_ = false;
    ApplyColour();
    const int result = OpenLink(url_);
    if (result > 32) {
        SetVisited(true);
        return;
    }
    QApplication::beep();
    PwMessageBox(this, QStringLiteral("Unable to open hyperlink:\n\n") + LinkErrorText(result), MB_ICONEXCLAMATION);
}
