#pragma once

// Where a new item may stand on a diagram: a spot that overlaps no item and keeps a gap to
// each that a relation line can use (its stubs out of both rows and a slope between them).
// Pure geometry on rectangles, so it can be computed and tested without widgets.

#include "diduzacore_export.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVector>

namespace Diduza {

/// In pixels: the gap kept beside the items already there (left and right) to a new item,
/// room for the two stubs of a relation (RelationGap each) and a slope between them.
constexpr int ItemGapX = 60;
/// In pixels: the gap kept above and below the items already there to a new item, room for a
/// line to pass.
constexpr int ItemGapY = 30;

/// The top-left corner for an item of Size on a diagram whose items cover Taken, as near to
/// Wanted as may be: Wanted itself when an item there keeps the gaps to every item of Taken;
/// else the free spot (right of, left of, below or above the items, in line with them or with
/// Wanted) nearest to Wanted, a step up or down counting three times a step sideways, so that
/// a row fills before the next one begins; among equally near spots the highest, then the
/// leftmost. Spots whose item lies wholly inside Shown (the visible part of the diagram) come
/// before all others; no spot lies left of or above Shown's top-left corner. There always is
/// one: below every item. All rectangles and points are in one coordinate system, in pixels.
DIDUZACORE_EXPORT QPoint FreeItemSpot(
    const QVector<QRect> &Taken, const QSize &Size, const QPoint &Wanted, const QRect &Shown);

} // namespace Diduza
