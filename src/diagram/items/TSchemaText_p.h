#pragma once

// A text control's own state: its row, outline, text and how the text is laid out and
// coloured. Not installed.

#include "diagram/items/TSchemaText.h"

#include <QPointer>

namespace Diduza {

class TSchemaTextPrivate {
public:
    QPointer<TSchemaSubItem> FData;
    TSchemaShapeKind FShapeKind = skRectangle;
    QString FCaption;
    bool FWordWrap = true;
    Qt::Alignment FAlignment = Qt::AlignLeft;
    TSchemaText::TTextLayout FLayout = TSchemaText::tlTop;
    bool FShowAccelChar = true;
    bool FTransparent = false;
    TColor FColor = clBtnFace;
    TColor FFontColor = clWindowText;
};

} // namespace Diduza
