#include "wizard/password_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "wizard/dialog_units.h"
#include "wizard/message_box.h"

namespace {
constexpr int kTemplateWidth = 190;
constexpr int kTemplateHeight = 102;
constexpr int kPasswordEditId = 1022;
constexpr int kAttemptTextId = 1023;
} // namespace

CPasswordDlg::CPasswordDlg(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Password"));
    setFont(DialogFont());
    setFixedSize(DialogSize(kTemplateWidth, kTemplateHeight));

    auto* prompt = new QLabel(QStringLiteral("Enter user password:"), this);
    PlaceControl(prompt, 15, 18, 135, 8);

    edit_ = new QLineEdit(this);
    edit_->setEchoMode(QLineEdit::Password);
    PlaceControl(edit_, kPasswordEditId, 15, 32, 136, 14);

    attempt_ = new QLabel(this);
    PlaceControl(attempt_, kAttemptTextId, 16, 62, 139, 8);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    PlaceControl(ok, IDOK, 91, 81, 43, 14);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    PlaceControl(cancel, IDCANCEL, 140, 81, 43, 14);
    connect(ok, &QPushButton::clicked, this, &CPasswordDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CPasswordDlg::reject);

    edit_->setFocus();
}

void CPasswordDlg::SetAttemptText(const QString& text) { attempt_->setText(text); }

QString CPasswordDlg::AttemptText() const { return attempt_->text(); }

void CPasswordDlg::accept()
{
    password_ = edit_->text();
    if (password_.isEmpty()) {
        PwMessageBox(this, QStringLiteral("Please enter a valid password."), MB_ICONEXCLAMATION);
        edit_->setFocus();
        return;
    }
    QDialog::accept();
}
