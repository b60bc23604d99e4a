#pragma once
// The picture strip across the top of each page: a left, a stretched middle
// and a right bitmap; a click opens the product's web page.
#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class CTopBanner : public QWidget {
    Q_OBJECT
public:
    enum AttachFlags { kAttachLeft = 1, kAttachTop = 2, kAttachRight = 4, kAttachBottom = 8 };
    static constexpr int kThickness = 75;
    // All three bitmaps are this high; the banner's last row lies below them.
    static constexpr int kBitmapHeight = 74;
    static constexpr int kLeftWidth = 236;
    static constexpr int kMiddleWidth = 222;
    static constexpr int kRightWidth = 106;
    // The row under the bitmaps: a quiet line between banner and page.
    static constexpr QColor kBottomRowColour{164, 174, 196};

    CTopBanner();
    // Places the banner along the chosen edge of `page` as its child with
    // object name `id`; false when there is no page or no edge is chosen.
    bool Attach(QWidget* page, int flags, int id);
    void SetLinkTarget(const QString& target) { target_ = target; }
    QString LinkTarget() const { return target_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void PlaceOnPage();

    QPointer<QWidget> page_;
    int flags_ = 0;
    QString target_;
    QPixmap left_, middle_, right_;
};
