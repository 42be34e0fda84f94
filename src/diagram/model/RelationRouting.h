#pragma once

// Where a relation line goes: the box between the two rows it joins and the arrangement codes
// that tell the painter where each end lies inside that box. Pure geometry on rectangles and
// row coordinates, so it can be computed and tested without widgets.

#include "diduzacore_export.h"

#include <QPoint>
#include <QRect>
#include <QVector>

#include <array>

namespace Diduza {

// The minimum horizontal gap for a straight connection, and the stub a line makes beyond an
// item's right edge when it has to turn back.
constexpr int RelationGap = 15;
// The margin above the upper and below the lower attachment point.
constexpr int RelationMargin = 7;

struct RelationRouteInput {
    int parentLeft = 0;
    int parentWidth = 0;
    int childLeft = 0;
    int childWidth = 0;
    bool sameItem = false; // the parent item is the child item
    int parentY = 0; // attachment coordinates of the two rows
    int childY = 0;
    int previousLnkX = 0; // kept for a self-link
};

struct RelationRoute {
    QRect bounds;
    int lnkX = 0; // 1 to 4, or the previous value for a self-link
    int lnkY = 0; // 1 or 2
};

DIDUZACORE_EXPORT RelationRoute RouteRelation(const RelationRouteInput &in);

// The line a relation draws inside its box.
struct RelationShape {
    bool valid = false; // false while the arrangement codes name no case
    std::array<QPoint, 4> line; // polyline P0..P3
    std::array<QPoint, 4> band; // hit band around the middle segment P1-P2
    QPoint hollowMarker; // top-left corners of the 7 x 7 marker squares
    QPoint filledMarker;
};

DIDUZACORE_EXPORT RelationShape ComputeRelationShape(
    bool selfLink, int lnkX, int lnkY, int width, int height);

// Rectangles of the box (width x height, with its one-pixel surround) that together hold every
// pixel the shape's line and markers paint: short pieces along the diagonal instead of the
// whole box, so that repainting a long line leaves most of its box alone. Empty for a shape
// that is not valid.
DIDUZACORE_EXPORT QVector<QRect> RelationPaintRects(
    const RelationShape &shape, int width, int height);

// True when p lies inside the polygon (alternate filling rule).
DIDUZACORE_EXPORT bool PointInPolygon(const std::array<QPoint, 4> &polygon, const QPoint &p);

} // namespace Diduza
