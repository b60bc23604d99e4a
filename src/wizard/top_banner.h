#pragma once
// The picture strip across the top of each page: a left, a stretched middle
// and a right bitmap; a click opens the product's web page.
#include <QPixmap>
#include <QWidget>

class CTopBanner : public QWidget {
    Q_OBJECT
public:
    enum AttachFlags { kAttachLeft = 1, kAttachTop = 2, kAttachRight = 4, kAttachBottom = 8 };
    static constexpr int kThickness = 75;

    CTopBanner();
    // Places the banner along the chosen edge of `page` as its child with
    // object name `id`; false when there is no page.
    bool Attach(QWidget* page, int flags, int id);
    void SetLinkTarget(const QString& target) { target_ = target; }
    QString LinkTarget() const { return target_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int flags_ = 0;
    QString target_;
    QPixmap left_, middle_, right_;
};
