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

struct RankLayoutInput {
    QVector<QSize> Sizes; // per item
    QVector<int> Ranks; // per item
    QVector<std::pair<int, int>> Links; // item indexes; a link of an item to itself is ignored
    QPoint Origin { 20, 20 };
    int ColumnGap = 60;
    int RowGap = 20;
};

// The top-left corner of each item.
DIDUZACORE_EXPORT QVector<QPoint> RankLayout(const RankLayoutInput &Input);

// How many pairs of links cross, each link drawn as a straight line between its items'
// centres (links that share an item do not count); Centres are per item.
DIDUZACORE_EXPORT int CountCrossings(
    const QVector<QPointF> &Centres, const QVector<std::pair<int, int>> &Links);

} // namespace Diduza
