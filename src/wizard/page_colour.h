#pragma once
// The wizard's background colour, shared by the sheet, its pages and controls.
#include <QColor>

inline const QColor kPageColour(218, 223, 234);
