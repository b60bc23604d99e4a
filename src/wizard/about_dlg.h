#pragma once
// The About dialog: a background picture, the product and version lines and
// three links (web site, support and sales mail).
#include <QDialog>
#include <QPixmap>

class CHyperLink;
class CTransparentStatic;
class QPushButton;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Template 100's size in dialog units.
    static constexpr int kTemplateWidth = 250;
    static constexpr int kTemplateHeight = 195;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap background_;
    CTransparentStatic* version_;
    CTransparentStatic* notice_;
    CHyperLink* webSite_;
    CHyperLink* support_;
    CHyperLink* sales_;
    QPushButton* ok_;
};
