#include "wizard/vovir_property_page.h"

#include <QPainter>

#include "wizard/dialog_units.h"
#include "wizard/message_box.h"
#include "wizard/page_colour.h"

CVovirPropertyPage::CVovirPropertyPage(int templateId, QWidget* parent)
    : QWidget(parent), templateId_(templateId), title_(kProductTitle)
{
    setObjectName(QString::number(templateId));
    setFont(DialogFont());
    setFixedSize(DialogSize(kPageTemplateWidth, kPageTemplateHeight));
    // Labels, group boxes, radio buttons and check boxes take the page colour
    // from the palette, so they lie on the page without a box of their own.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kPageColour);
    setPalette(colours);
    setAutoFillBackground(true);
}

bool CVovirPropertyPage::AskToExit()
{
    return PwMessageBox(this, QStringLiteral("Do you want to exit ?"), MB_YESNO) == IDYES;
}

void CVovirPropertyPage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kPageColour);
}
