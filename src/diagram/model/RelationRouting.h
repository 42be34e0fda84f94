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

/// In pixels: the horizontal gap two items need for a straight connection (more than this
/// between the parent's right and the child's left edge, or at least this between the
/// child's right and the parent's left edge), and the stub a line makes beyond an item's
/// right edge when it has to turn back (also the width of a self-link's box).
constexpr int RelationGap = 15;
/// In pixels: the margin of a relation's box above the upper and below the lower attachment
/// point.
constexpr int RelationMargin = 7;

/// The two ends of a relation, in pixels in the area's client coordinates.
struct RelationRouteInput {
    int parentLeft = 0; ///< the parent item's left edge
    int parentWidth = 0; ///< the parent item's outer width
    int childLeft = 0; ///< the child item's left edge
    int childWidth = 0; ///< the child item's outer width
    bool sameItem = false; ///< the parent item is the child item (a self-link)
    int parentY = 0; ///< the height at which the line meets the parent row (GetRowY)
    int childY = 0; ///< the height at which the line meets the child row (GetRowY)
    int previousLnkX = 0; ///< the relation's present LnkX, which a self-link keeps
};

/// Where a relation's box lies and how its line runs inside it (the relation's LnkX and LnkY).
struct RelationRoute {
    /// The relation's box, in the area's client coordinates: from RelationMargin above the
    /// upper to RelationMargin below the lower attachment point, and across the gap or the
    /// stubs lnkX tells.
    QRect bounds;
    /// How the line runs across. 1: the child stands to the right with room for a straight
    /// line (box from the parent's right to the child's left edge). 2: both ends lie on the
    /// items' right edges, the child's further right (box from the parent's right edge to
    /// RelationGap beyond the child's). 3: both ends lie on the right edges, the parent's
    /// further right (box from the child's right edge to RelationGap beyond the parent's).
    /// 4: the child stands to the left with room (box from the child's right to the parent's
    /// left edge). Equal right edges give 2 when the child's left edge lies right of the
    /// parent's, else 3. A self-link keeps previousLnkX.
    int lnkX = 0;
    /// How the line runs down: 1 the parent row lies higher than the child row, 2 the child
    /// row lies higher or level.
    int lnkY = 0;
};

/// Routes a relation: its box and arrangement codes from where its two items and rows stand.
/// A self-link gets a box RelationGap wide right of its item.
DIDUZACORE_EXPORT RelationRoute RouteRelation(const RelationRouteInput &in);

/// The line a relation draws inside its box, in the box's coordinates (0, 0 its top-left).
struct RelationShape {
    /// False when the arrangement codes name no case (a relation never routed, LnkX 0): then
    /// nothing is drawn and the other fields are null.
    bool valid = false;
    /// The polyline P0..P3: P0 the upper end (at y 7), P3 the lower end (at height - 7), with
    /// a stub out of each row and the diagonal, or the bracket's upright, P1-P2 between them.
    std::array<QPoint, 4> line;
    /// The hit band: a quadrilateral reaching 5 pixels either side of the middle segment P1-P2,
    /// where a click selects the relation (PointInPolygon).
    std::array<QPoint, 4> band;
    /// The top-left corner of the hollow end marker (a 7 x 7 circle filled with the area's
    /// background): at the end on the box's left side, the upper one where both ends are on
    /// the left (a self-link, a bracket).
    QPoint hollowMarker;
    /// The top-left corner of the filled end marker (a 7 x 7 circle in the line's colour): at
    /// the end on the box's right side, the lower one where both ends are on the left.
    QPoint filledMarker;
};

/// The shape of a relation line in a box of width x height pixels, from its arrangement codes
/// (RelationRoute::lnkX and lnkY; both ignored for a self-link). With lnkX 2 or 3 a box under
/// 28 pixels wide has no room for the turn back and gets a bracket: out of both rows to the
/// right, down at width - 12, back.
DIDUZACORE_EXPORT RelationShape ComputeRelationShape(
    bool selfLink, int lnkX, int lnkY, int width, int height);

/// Rectangles of the box (width x height, with its one-pixel surround) that together hold every
/// pixel the shape's line and markers paint: short pieces along the diagonal instead of the
/// whole box, so that repainting a long line leaves most of its box alone. Empty for a shape
/// that is not valid.
DIDUZACORE_EXPORT QVector<QRect> RelationPaintRects(
    const RelationShape &shape, int width, int height);

/// True when the centre of pixel p lies inside the polygon (alternate filling rule), as a
/// QRegion made from the polygon with Qt::OddEvenFill covers it.
DIDUZACORE_EXPORT bool PointInPolygon(const std::array<QPoint, 4> &polygon, const QPoint &p);

} // namespace Diduza
