#pragma once
// Asks for the user password of an encrypted PDF; refuses an empty entry.
#include <QDialog>

class QLabel;
class QLineEdit;

class CPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPasswordDlg(QWidget* owner = nullptr);

    // The line under the edit box that says which attempt this is.
    void SetAttemptText(const QString& text);
    QString AttemptText() const;
    // The text typed, once the dialog ended with OK.
    QString Password() const { return password_; }

public slots:
    void accept() override;

private:
    QLineEdit* edit_;
    QLabel* attempt_;
    QString password_;
};
