#include "wizard/tip_button.h"

CTipButton::CTipButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

void CTipButton::SetTooltipText(const QString& text, bool active)
{
    // An empty text leaves the tooltip as it was.
    if (text.isEmpty())
        return;
    text_ = text;
    active_ = active;
    // An inactive tooltip keeps its text but is not shown.
    setToolTip(active_ ? text_ : QString());
}
