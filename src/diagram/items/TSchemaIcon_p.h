#pragma once

// An icon control's own state: its row, glyph type and the glyph as loaded and as drawn. Not
// installed.

#include "diagram/items/TSchemaIcon.h"

#include <QPointer>

namespace Diduza {

class TSchemaIconPrivate {
public:
    QPointer<TSchemaSubItem> FData;
    TSCIconType FIconType = itDefault;
    QImage FPicture;
    QImage FTransparentPicture;
};

} // namespace Diduza
