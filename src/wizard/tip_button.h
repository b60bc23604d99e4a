#pragma once
// A push button with its own tooltip.
#include <QPushButton>

class CTipButton : public QPushButton {
    Q_OBJECT
public:
    explicit CTipButton(const QString& text = QString(), QWidget* parent = nullptr);
    void SetTooltipText(const QString& text, bool active = true);
    QString TooltipText() const { return text_; }
    bool TooltipActive() const { return active_; }

private:
    QString text_;
    bool active_ = false;
};
