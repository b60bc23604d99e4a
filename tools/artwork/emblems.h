#pragma once
// The drawn shapes the pictures share: the document sheet of the icon, the
// conversion emblem of the banner and the info badge of the About button.
#include <QColor>
#include <QRectF>

class QPainter;

// The wizard's page colour; the About button's key colour.
inline const QColor kPageColour(218, 223, 234);

// Product colours: a deep slate blue for the name and the sheet's mark, a
// warm red for the PDF side of the emblem.
inline const QColor kInk(34, 58, 104);
inline const QColor kInkSoft(86, 100, 128);
inline const QColor kAccent(44, 98, 178);
inline const QColor kPdfRed(196, 52, 44);

// A white sheet with a folded top-right corner and a bold "W" made of
// strokes, filling `box` (the icon's shape at every size).
void DrawWordSheet(QPainter& painter, const QRectF& box);

// A red PDF sheet, an arrow and a blue document sheet, side by side.
void DrawConversionEmblem(QPainter& painter, const QRectF& box);

// A round badge with an "i"; `bright` for the pointer-over state.
void DrawInfoBadge(QPainter& painter, const QRectF& box, bool bright);
