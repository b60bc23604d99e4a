#include "emblems.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

// Share of the sheet's width the folded corner takes.
constexpr qreal kFoldShare = 0.34;
// The sheet is a little taller than wide, as paper is.
constexpr qreal kSheetAspect = 0.76;

QPainterPath SheetOutline(const QRectF& sheet, qreal fold)
{
    QPainterPath path;
    path.moveTo(sheet.left(), sheet.top());
    path.lineTo(sheet.right() - fold, sheet.top());
    path.lineTo(sheet.right(), sheet.top() + fold);
    path.lineTo(sheet.right(), sheet.bottom());
    path.lineTo(sheet.left(), sheet.bottom());
    path.closeSubpath();
    return path;
}

// The largest sheet of paper proportions centred in `box`.
QRectF SheetIn(const QRectF& box)
{
    const qreal height = std::min(box.height(), box.width() / kSheetAspect);
    const qreal width = height * kSheetAspect;
    return QRectF(box.center().x() - width / 2, box.center().y() - height / 2, width, height);
}

// Paper with its fold, outlined; returns the sheet's rectangle.
QRectF DrawPaper(QPainter& painter, const QRectF& box, const QColor& edge)
{
    QRectF sheet = SheetIn(box);
    const qreal line = std::max<qreal>(1.0, sheet.width() / 22);
    // Keep the outline inside the box and on whole pixels at small sizes.
    sheet.adjust(line / 2, line / 2, -line / 2, -line / 2);
    const qreal fold = sheet.width() * kFoldShare;

    QLinearGradient paper(sheet.topLeft(), sheet.bottomRight());
    paper.setColorAt(0, QColor(255, 255, 255));
    paper.setColorAt(1, QColor(232, 237, 246));
    painter.setPen(QPen(edge, line, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(paper);
    painter.drawPath(SheetOutline(sheet, fold));

    QPainterPath corner;
    corner.moveTo(sheet.right() - fold, sheet.top());
    corner.lineTo(sheet.right() - fold, sheet.top() + fold);
    corner.lineTo(sheet.right(), sheet.top() + fold);
    corner.closeSubpath();
    painter.setBrush(QColor(196, 207, 228));
    painter.setPen(QPen(edge, line, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawPath(corner);
    return sheet;
}

} // namespace

void DrawWordSheet(QPainter& painter, const QRectF& box)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet = DrawPaper(painter, box, QColor(92, 108, 140));

    const qreal w = sheet.width();
    const qreal h = sheet.height();
    // Text lines above the mark, only where there is room to read them.
    if (w >= 20) {
        painter.setPen(QPen(QColor(168, 180, 204), std::max<qreal>(1.0, w / 18), Qt::SolidLine, Qt::FlatCap));
        const qreal left = sheet.left() + w * 0.18;
        painter.drawLine(QPointF(left, sheet.top() + h * 0.22), QPointF(sheet.left() + w * 0.56, sheet.top() + h * 0.22));
        painter.drawLine(QPointF(left, sheet.top() + h * 0.34), QPointF(sheet.right() - w * 0.18, sheet.top() + h * 0.34));
    }

    // The "W": five points, the middle peak lower than the outer arms.
    const qreal x0 = sheet.left() + w * 0.14;
    const qreal x1 = sheet.right() - w * 0.14;
    const qreal top = sheet.top() + h * (w >= 20 ? 0.47 : 0.40);
    const qreal bottom = sheet.bottom() - h * 0.14;
    const qreal span = x1 - x0;
    const QPointF points[] = {
        {x0, top},
        {x0 + span * 0.25, bottom},
        {x0 + span * 0.5, top + (bottom - top) * 0.34},
        {x0 + span * 0.75, bottom},
        {x1, top},
    };
    painter.setPen(QPen(kAccent, std::max<qreal>(1.3, w * 0.13), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(points, 5);
    painter.restore();
}

void DrawConversionEmblem(QPainter& painter, const QRectF& box)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal sheetWidth = box.width() * 0.36;
    const QRectF pdfBox(box.left(), box.top(), sheetWidth, box.height());
    const QRectF docBox(box.right() - sheetWidth, box.top(), sheetWidth, box.height());

    // The PDF side: paper with a red label.
    const QRectF pdf = DrawPaper(painter, pdfBox, QColor(120, 110, 116));
    const QRectF label(pdf.left() - 2, pdf.top() + pdf.height() * 0.5, pdf.width() * 0.86, pdf.height() * 0.28);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPdfRed);
    painter.drawRoundedRect(label, 1.5, 1.5);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(label.height() * 0.78));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(label, Qt::AlignCenter, QStringLiteral("PDF"));
    painter.setPen(QPen(QColor(190, 180, 186), 1.2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(pdf.left() + pdf.width() * 0.18, pdf.top() + pdf.height() * 0.22),
                     QPointF(pdf.left() + pdf.width() * 0.55, pdf.top() + pdf.height() * 0.22));
    painter.drawLine(QPointF(pdf.left() + pdf.width() * 0.18, pdf.top() + pdf.height() * 0.34),
                     QPointF(pdf.right() - pdf.width() * 0.18, pdf.top() + pdf.height() * 0.34));

    // The arrow between them.
    const qreal midY = box.center().y();
    const qreal arrowLeft = pdfBox.right() + box.width() * 0.05;
    const qreal arrowRight = docBox.left() - box.width() * 0.05;
    const qreal head = (arrowRight - arrowLeft) * 0.5;
    painter.setPen(QPen(kAccent, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(arrowLeft, midY), QPointF(arrowRight - 1, midY));
    const QPointF tip(arrowRight, midY);
    painter.setBrush(kAccent);
    painter.drawPolygon(QPolygonF({tip, tip + QPointF(-head, -head * 0.8), tip + QPointF(-head, head * 0.8)}));

    DrawWordSheet(painter, docBox);
    painter.restore();
}

void DrawInfoBadge(QPainter& painter, const QRectF& box, bool bright)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = box.adjusted(1.5, 1.5, -1.5, -1.5);
    QLinearGradient fill(circle.topLeft(), circle.bottomLeft());
    if (bright) {
        fill.setColorAt(0, QColor(96, 160, 236));
        fill.setColorAt(1, QColor(30, 100, 196));
    } else {
        fill.setColorAt(0, QColor(92, 124, 178));
        fill.setColorAt(1, QColor(44, 72, 124));
    }
    painter.setPen(QPen(bright ? QColor(255, 255, 255) : QColor(248, 250, 253), bright ? 2.0 : 1.5));
    painter.setBrush(fill);
    painter.drawEllipse(circle);

    // The "i": a dot and a stem with a small foot.
    const qreal unit = circle.width() / 16;
    const QPointF centre = circle.center();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(centre.x(), circle.top() + unit * 4.3), unit * 1.5, unit * 1.5);
    painter.drawRoundedRect(QRectF(centre.x() - unit * 1.2, circle.top() + unit * 7.0, unit * 2.4, unit * 6.2),
                            unit * 0.6, unit * 0.6);
    painter.restore();
}
