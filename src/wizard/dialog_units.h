#pragma once
// Controls are placed from their template positions in dialog units, which
// scale with the dialog font: x * average character width / 4 and
// y * character height / 8.
#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

// The font every page and dialog uses (an 8-point sans serif).
QFont DialogFont();

// Pixel sizes of one dialog unit horizontally and vertically for DialogFont().
double DialogUnitX();
double DialogUnitY();

QRect DialogRect(int x, int y, int width, int height);
QSize DialogSize(int width, int height);

// Gives `control` its template id as object name and its template place.
void PlaceControl(QWidget* control, int id, int x, int y, int width, int height);
// For controls without an id (group boxes, plain labels).
void PlaceControl(QWidget* control, int x, int y, int width, int height);
