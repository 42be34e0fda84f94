#pragma once

// An overview's own state: its area, how the diagram is fitted into the widget, the refresh
// timer and the drag of the view rectangle. Not installed.

#include "diagram/tools/TSchemaOverview.h"

#include <QPointer>
#include <QTimer>

namespace Diduza {

class TSchemaOverviewPrivate {
public:
    QPointer<TSchemaDesignArea> FArea;
    QPointer<QWidget> FViewport;
    QRect FWorld; // client coordinates
    qreal FScale = 1;
    QPointF FOffset;
    QTimer FRefresh;
    bool FDragging = false;
    QPointF FGrab; // where in the view rectangle it was grabbed
};

} // namespace Diduza
