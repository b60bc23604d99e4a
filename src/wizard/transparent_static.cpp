#include "wizard/transparent_static.h"

CTransparentStatic::CTransparentStatic(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    // Nothing is erased behind the text: the parent's picture shows through.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}
