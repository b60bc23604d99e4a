#pragma once
// Modal message boxes with the wizard's exact texts. The style and result
// values are the classic message-box flags, so the pages read like their
// descriptions: MB_YESNO | MB_ICONHAND, IDYES, ...
#include <QString>

class QWidget;

enum MessageBoxStyle : unsigned {
    MB_OK = 0x0,
    MB_YESNO = 0x4,
    MB_ICONHAND = 0x10,        // critical
    MB_ICONEXCLAMATION = 0x30, // warning
    MB_ICONASTERISK = 0x40,    // information
};

enum MessageBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Title of every box and of the wizard.
inline const QString kProductTitle = QStringLiteral("Paperwell");

// Shows the box and returns the button pressed (IDOK, IDYES or IDNO; closing
// a Yes/No box with Esc or the title bar gives IDNO).
int PwMessageBox(QWidget* parent, const QString& text, unsigned style = MB_OK);
