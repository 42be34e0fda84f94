#pragma once

// Placing a diagram's items in columns by rank, free of widgets. The item of highest rank
// starts the first column; every item joined to an item of column c, and not placed yet, goes
// to column c + 1 (a walk outwards over the relations, either way round); an item that is not
// reached starts the first column again, by rank. Within the columns, items are ordered by the
// mean position of the items they are joined to in the neighbouring column, sweeping left to
// right and back, which lessens the relations that cross. Columns stand side by side and items
// one under the other, with gaps, so no two overlap.

#include "diduzacore_export.h"

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QVector>

#include <utility>

namespace Diduza {

/// The items to place and their relations. Items are numbered by their index in Sizes.
struct RankLayoutInput {
    QVector<QSize> Sizes; ///< each item's outer size in pixels; one entry per item
    /// Each item's rank (TSchemaItem::GetRank); higher ranks go first. An item without an
    /// entry has rank 0.
    QVector<int> Ranks;
    /// The relations as pairs of item indexes, either way round. A link of an item to itself,
    /// or naming an index outside Sizes, is ignored; a link given twice weighs twice in the
    /// ordering.
    QVector<std::pair<int, int>> Links;
    QPoint Origin { 20, 20 }; ///< the top-left corner of the first column's first item
    int ColumnGap = 60; ///< pixels between a column's widest item and the next column
    int RowGap = 20; ///< pixels between an item and the one under it
};

/// The top-left corner of each item, in the coordinates of Origin, one per entry of Sizes.
DIDUZACORE_EXPORT QVector<QPoint> RankLayout(const RankLayoutInput &Input);

/// How many pairs of links cross, each link drawn as a straight line between its items'
/// centres (links that share an item, or link an item to itself, do not count); Centres are
/// per item, and every index of Links must be one of them.
DIDUZACORE_EXPORT int CountCrossings(
    const QVector<QPointF> &Centres, const QVector<std::pair<int, int>> &Links);

} // namespace Diduza
