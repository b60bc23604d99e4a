#include "wizard/skin_button.h"

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

#include "wizard/wizard_artwork.h"

namespace {

// Room between the frame and the content of a framed button.
constexpr int kFrameWidth = 2;
// Space between image and text when a button has both.
constexpr int kImageTextGap = 4;

// The image with every pixel of the key colour made fully transparent, so
// the background shows through exactly there.
QPixmap LoadKeyed(const QString& path, QColor key)
{
    RegisterWizardArtwork();
    QImage image(path);
    if (image.isNull())
        return QPixmap();
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = key.rgb() & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & RGB_MASK) == keyRgb)
                row[x] = 0;
    }
    return QPixmap::fromImage(image);
}

} // namespace

CSkinButton::CSkinButton(QWidget* parent) : QPushButton(parent)
{
    ResetColours();
    setMouseTracking(true);
}

void CSkinButton::ResetColours()
{
    const QColor face = palette().color(QPalette::Button);
    const QColor text = palette().color(QPalette::ButtonText);
    for (int i = 0; i < kColourCount; i += 2) {
        colours_[i] = face;
        colours_[i + 1] = text;
    }
    update();
}

void CSkinButton::SetImages(const QString& normal, QColor normalKey, const QString& hover, QColor hoverKey)
{
    normal_ = LoadKeyed(normal, normalKey);
    hover_ = hover.isEmpty() ? normal_ : LoadKeyed(hover, hoverKey);
    update();
}

void CSkinButton::SetColour(int index, QColor colour)
{
    if (index < 0 || index >= kColourCount)
        return;
    colours_[index] = colour;
    update();
}

void CSkinButton::SetTooltipText(const QString& text, bool active)
{
    setToolTip(active ? text : QString());
}

const QPixmap& CSkinButton::CurrentImage() const
{
    return (over_ || isDown()) && !hover_.isNull() ? hover_ : normal_;
}

QRect CSkinButton::ContentRect() const
{
    const bool framed = drawBorder_ && !flat_;
    return framed ? rect().adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth) : rect();
}

QPoint CSkinButton::ImageOrigin() const
{
    const QPixmap& image = CurrentImage();
    const QSize imageSize = image.deviceIndependentSize().toSize();
    const QRect content = ContentRect();
    int contentWidth = imageSize.width();
    if (!text().isEmpty())
        contentWidth += kImageTextGap + fontMetrics().horizontalAdvance(text());
    QPoint origin(content.left() + (content.width() - contentWidth) / 2,
                  content.top() + (content.height() - imageSize.height()) / 2);
    if (isDown())
        origin += pressedOffset_;
    return origin;
}

void CSkinButton::DrawFrame(QPainter& painter) const
{
    if (!drawBorder_)
        return;
    const QPalette& colours = palette();
    if (flat_) {
        // A flat button shows its edge only while it is used.
        if (isDown())
            qDrawShadeRect(&painter, rect(), colours, true, 1);
        else if (over_)
            qDrawShadeRect(&painter, rect(), colours, false, 1);
        return;
    }
    qDrawWinButton(&painter, rect(), colours, isDown(), nullptr);
    if (isDefault())
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CSkinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    int background = kBackgroundNormal;
    if (over_ || isDown())
        background = kBackgroundOver;
    else if (hasFocus())
        background = kBackgroundFocus;
    painter.fillRect(rect(), colours_[background]);
    DrawFrame(painter);

    const QPixmap& image = CurrentImage();
    const QPoint origin = ImageOrigin();
    if (!image.isNull()) {
        if (isEnabled()) {
            painter.drawPixmap(origin, image);
        } else {
            QStyleOption option;
            option.initFrom(this);
            painter.drawPixmap(origin, style()->generatedIconPixmap(QIcon::Disabled, image, &option));
        }
    }

    if (!text().isEmpty()) {
        const int textColour = background + 1;
        painter.setPen(isEnabled() ? colours_[textColour] : palette().color(QPalette::Disabled, QPalette::ButtonText));
        const int imageWidth = image.isNull() ? 0 : image.deviceIndependentSize().toSize().width() + kImageTextGap;
        const QRect textRect(origin.x() + imageWidth, ContentRect().top() + (isDown() ? pressedOffset_.y() : 0),
                             fontMetrics().horizontalAdvance(text()) + 1, ContentRect().height());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
    }

    // Flat buttons show no focus rectangle; framed ones do.
    if (!flat_ && hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = ContentRect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void CSkinButton::enterEvent(QEnterEvent* event)
{
    if (flat_ && !(QApplication::mouseButtons() & Qt::LeftButton) && !over_) {
        over_ = true;
        update();
    }
    QPushButton::enterEvent(event);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event)
{
    const bool inside = rect().contains(event->position().toPoint());
    if (inside && flat_ && !(event->buttons() & Qt::LeftButton) && !over_) {
        over_ = true;
        update();
    } else if (!inside && over_) {
        ClearPointerOver();
    }
    QPushButton::mouseMoveEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event)
{
    ClearPointerOver();
    QPushButton::leaveEvent(event);
}

void CSkinButton::ClearPointerOver()
{
    if (!over_)
        return;
    over_ = false;
    update();
}

void CSkinButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click counts as a click of its own.
    mousePressEvent(event);
}

void CSkinButton::focusOutEvent(QFocusEvent* event)
{
    ClearPointerOver();
    QPushButton::focusOutEvent(event);
}

void CSkinButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled())
            ClearPointerOver();
        break;
    case QEvent::ActivationChange:
        if (!isActiveWindow())
            ClearPointerOver();
        break;
    case QEvent::ApplicationPaletteChange:
        // The desktop's colours changed: start again from its button colours.
        ResetColours();
        break;
    default:
        break;
    }
    QPushButton::changeEvent(event);
}
