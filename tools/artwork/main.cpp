// Writes the wizard's PNG artwork into the folder given on the command line:
// the banner's three pieces, the About dialog's background, the About
// button's two states and the application icon at the sizes desktops ask for.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>

#include "emblems.h"

namespace {

// The banner's pieces are all this high; the strip's last row is the page's.
constexpr int kBannerHeight = 74;
// The About picture's own size; the dialog stretches it over its client area.
constexpr int kAboutWidth = 377;
constexpr int kAboutHeight = 321;
// The title band of the About picture, above the dialog's text frame.
constexpr int kAboutBandHeight = 66;
// The About button's images.
constexpr int kButtonSize = 32;
// The sizes the desktop asks for (menus, docks and high-density screens).
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The banner's vertical gradient: light at the top, settling into a shade
// just below the page colour so the strip reads as one band over the page.
void PaintBannerGradient(QPainter& painter, int width)
{
    QLinearGradient gradient(0, 0, 0, kBannerHeight);
    gradient.setColorAt(0, QColor(248, 250, 253));
    gradient.setColorAt(0.55, QColor(229, 234, 243));
    gradient.setColorAt(1, QColor(204, 212, 228));
    painter.fillRect(0, 0, width, kBannerHeight, gradient);
}

QImage NewImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kPageColour);
    return image;
}

QFont SansFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QImage BannerLeft()
{
    constexpr int kWidth = 236;
    QImage image = NewImage(kWidth, kBannerHeight);
    QPainter painter(&image);
    PaintBannerGradient(painter, kWidth);
    DrawWordSheet(painter, QRectF(12, 13, 40, 48));

    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(SansFont(25, true));
    painter.setPen(kInk);
    painter.drawText(QPointF(62, 39), QStringLiteral("Paperwell"));
    painter.setFont(SansFont(11, false));
    painter.setPen(kInkSoft);
    painter.drawText(QPointF(63, 56), QStringLiteral("PDF to Word, page by page"));
    return image;
}

QImage BannerMiddle()
{
    constexpr int kWidth = 222;
    QImage image = NewImage(kWidth, kBannerHeight);
    QPainter painter(&image);
    PaintBannerGradient(painter, kWidth);
    return image;
}

QImage BannerRight()
{
    constexpr int kWidth = 106;
    QImage image = NewImage(kWidth, kBannerHeight);
    QPainter painter(&image);
    PaintBannerGradient(painter, kWidth);
    DrawConversionEmblem(painter, QRectF(8, 14, 84, 46));
    return image;
}

QImage AboutBackground()
{
    QImage image = NewImage(kAboutWidth, kAboutHeight);
    QPainter painter(&image);
    QLinearGradient body(0, kAboutBandHeight, 0, kAboutHeight);
    body.setColorAt(0, QColor(246, 248, 252));
    body.setColorAt(1, kPageColour);
    painter.fillRect(image.rect(), body);

    QLinearGradient band(0, 0, 0, kAboutBandHeight);
    band.setColorAt(0, QColor(58, 88, 142));
    band.setColorAt(1, QColor(34, 58, 104));
    painter.fillRect(0, 0, kAboutWidth, kAboutBandHeight, band);
    painter.fillRect(0, kAboutBandHeight, kAboutWidth, 2, QColor(120, 150, 200));

    DrawWordSheet(painter, QRectF(20, 10, 38, 46));
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(SansFont(26, true));
    painter.setPen(Qt::white);
    painter.drawText(QPointF(68, 38), QStringLiteral("Paperwell"));
    painter.setFont(SansFont(11, false));
    painter.setPen(QColor(206, 218, 238));
    painter.drawText(QPointF(69, 55), QStringLiteral("PDF to Word, page by page"));
    return image;
}

QImage AboutButton(bool hover)
{
    QImage image = NewImage(kButtonSize, kButtonSize);
    QPainter painter(&image);
    DrawInfoBadge(painter, QRectF(0, 0, kButtonSize, kButtonSize), hover);
    return image;
}

QImage Icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawWordSheet(painter, QRectF(0, 0, size, size));
    return image;
}

bool Save(const QImage& image, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: paperwell_artwork OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", argv[1]);
        return 2;
    }
    bool ok = Save(BannerLeft(), folder, QStringLiteral("bitmap_162.png"));
    ok = Save(BannerMiddle(), folder, QStringLiteral("bitmap_163.png")) && ok;
    ok = Save(BannerRight(), folder, QStringLiteral("bitmap_164.png")) && ok;
    ok = Save(AboutBackground(), folder, QStringLiteral("bitmap_135.png")) && ok;
    ok = Save(AboutButton(true), folder, QStringLiteral("bitmap_146.png")) && ok;
    ok = Save(AboutButton(false), folder, QStringLiteral("bitmap_147.png")) && ok;
    for (int size : kIconSizes)
        ok = Save(Icon(size), folder, QStringLiteral("icon_%1.png").arg(size)) && ok;
    return ok ? 0 : 1;
}
