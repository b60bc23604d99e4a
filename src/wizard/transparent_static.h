#pragma once
// A label without background: its text lies on whatever is behind it.
#include <QLabel>

class CTransparentStatic : public QLabel {
    Q_OBJECT
public:
    explicit CTransparentStatic(const QString& text = QString(), QWidget* parent = nullptr);
};
