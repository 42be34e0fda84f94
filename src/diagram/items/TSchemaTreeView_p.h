#pragma once

// A tree view's own state: the image lists its nodes take their glyphs from. Not installed.

#include "diagram/items/TSchemaTreeView.h"

#include "platform/TImageList.h"

#include <QPointer>

namespace Diduza {

class TSchemaTreeViewPrivate {
public:
    QPointer<TImageList> FImages;
    QPointer<TImageList> FStateImages;
};

} // namespace Diduza
