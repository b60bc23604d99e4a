#include "wizard/message_box.h"

#include <QMessageBox>

int PwMessageBox(QWidget* parent, const QString& text, unsigned style)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setWindowTitle(kProductTitle);
    box.setText(text);
    switch (style & 0xF0) {
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    if ((style & 0xF) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}
