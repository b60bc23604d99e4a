#pragma once
// A push button with its own tooltip.
#include <QPushButton>

class CTipButton : public QPushButton {
    Q_OBJECT
public:
    explicit CTipButton(const QString& text = QString(), QWidget* parent = nullptr);
    void SetTooltipText(const QString& text, bool active = true);
};
