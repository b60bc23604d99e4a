#pragma once
// The About dialog: a background picture, the product and version lines and
// three links (web site, support and sales mail).
#include <QDialog>
#include <QPixmap>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap background_;
};
