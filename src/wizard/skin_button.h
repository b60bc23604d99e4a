#pragma once
// A flat bitmap button: normal and hover images with a transparent key
// colour, six colours for its background and text, a pressed offset and a
// tooltip. The sheet's About button is one.
#include <QColor>
#include <QPixmap>
#include <QPushButton>

class QPainter;

class CSkinButton : public QPushButton {
    Q_OBJECT
public:
    enum ColourIndex {
        kBackgroundOver = 0, kTextOver = 1, kBackgroundNormal = 2,
        kTextNormal = 3, kBackgroundFocus = 4, kTextFocus = 5,
    };
    static constexpr int kColourCount = 6;

    explicit CSkinButton(QWidget* parent = nullptr);

    // Images from resource paths; pixels of the key colour are not drawn.
    // An image that cannot be loaded leaves the button without it.
    void SetImages(const QString& normal, QColor normalKey, const QString& hover, QColor hoverKey);
    void SetDrawBorder(bool draw) { drawBorder_ = draw; update(); }
    bool DrawBorder() const { return drawBorder_; }
    void SetFlat(bool flat) { flat_ = flat; update(); }
    bool Flat() const { return flat_; }
    void SetColour(int index, QColor colour);
    QColor Colour(int index) const { return colours_[index]; }
    void SetTooltipText(const QString& text, bool active = true);

    bool PointerOver() const { return over_; }
    // Where the image is drawn now (centred, moved by the pressed offset).
    QPoint ImageOrigin() const;
    // The image drawn now: the hover image while over or pressed.
    const QPixmap& CurrentImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ResetColours();
    void ClearPointerOver();
    void DrawFrame(QPainter& painter) const;
    QRect ContentRect() const;

    QPixmap normal_, hover_;
    QColor colours_[kColourCount];
    bool flat_ = true;
    bool drawBorder_ = true;
    bool over_ = false;
    QPoint pressedOffset_{1, 1};
};
