#include "wizard/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>
#include <cmath>

namespace {

struct Units {
    double x;
    double y;
};

// Measured once: the font does not change while the program runs.
const Units& MeasuredUnits()
{
    static const Units units = [] {
        const QFontMetrics metrics(DialogFont());
        // The average width of the 52 Latin letters, rounded, as the
        // dialog manager computes its base unit.
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        const int average = (letters / 26 + 1) / 2;
        return Units{average / 4.0, metrics.height() / 8.0};
    }();
    return units;
}

} // namespace

QFont DialogFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11); // 8 points at 96 dots per inch
    return font;
}

double DialogUnitX() { return MeasuredUnits().x; }
double DialogUnitY() { return MeasuredUnits().y; }

QRect DialogRect(int x, int y, int width, int height)
{
    const double ux = DialogUnitX();
    const double uy = DialogUnitY();
    const int left = static_cast<int>(std::lround(x * ux));
    const int top = static_cast<int>(std::lround(y * uy));
    const int right = static_cast<int>(std::lround((x + width) * ux));
    const int bottom = static_cast<int>(std::lround((y + height) * uy));
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogSize(int width, int height) { return DialogRect(0, 0, width, height).size(); }

void PlaceControl(QWidget* control, int id, int x, int y, int width, int height)
{
    control->setObjectName(QString::number(id));
    PlaceControl(control, x, y, width, height);
}

void PlaceControl(QWidget* control, int x, int y, int width, int height)
{
    control->setFont(DialogFont());
    control->setGeometry(DialogRect(x, y, width, height));
}
