#include "diagram/model/RankLayout.h"

#include <QLineF>

#include <algorithm>
#include <numeric>

namespace Diduza {

namespace {
using Neighbours = QVector<QVector<int>>;

Neighbours neighboursOf(const RankLayoutInput &Input)
{
    const int n = int(Input.Sizes.size());
    Neighbours neighbours(n);
    for (const auto &[a, b] : Input.Links) {
        if (a == b || a < 0 || b < 0 || a >= n || b >= n)
            continue;
        neighbours[a] << b;
        neighbours[b] << a;
    }
    return neighbours;
}

// Columns by breadth-first distance from the strongest item of each connected part, items by
// rank, highest first (the diagram's order among equals), and neighbours by rank too, so the
// strongest come first.
QVector<QVector<int>> rankColumns(
    const RankLayoutInput &Input, const Neighbours &neighbours, QVector<int> &column)
{
    const int n = int(Input.Sizes.size());
    const auto byRankOrder
        = [&](int a, int b) { return Input.Ranks.value(a) > Input.Ranks.value(b); };
    QVector<int> byRank(n);
    std::iota(byRank.begin(), byRank.end(), 0);
    std::stable_sort(byRank.begin(), byRank.end(), byRankOrder);

    column.fill(-1, n);
    QVector<QVector<int>> columns;
    for (const int start : std::as_const(byRank)) {
        if (column[start] >= 0)
            continue;
        column[start] = 0;
        QVector<int> queue { start };
        for (int q = 0; q < queue.size(); ++q) {
            const int item = queue.at(q);
            QVector<int> next = neighbours[item];
            std::stable_sort(next.begin(), next.end(), byRankOrder);
            for (const int other : std::as_const(next)) {
                if (column[other] < 0) {
                    column[other] = column[item] + 1;
                    queue << other;
                }
            }
        }
        for (const int item : std::as_const(queue)) {
            if (columns.size() <= column[item])
                columns.resize(column[item] + 1);
            columns[column[item]] << item;
        }
    }
    return columns;
}

// Barycentre sweeps: order each column by where its neighbours stand in the one before.
void orderByBarycentre(
    QVector<QVector<int>> &columns, const Neighbours &neighbours, const QVector<int> &column)
{
    const int n = int(column.size());
    QVector<double> position(n, 0);
    auto number = [&](const QVector<int> &col) {
        for (int i = 0; i < col.size(); ++i)
            position[col.at(i)] = i;
    };
    for (const QVector<int> &col : std::as_const(columns))
        number(col);
    // Each item's key is written before its column is sorted by it: one vector serves every
    // sweep (one per sweep and column made a long chain of columns quadratic).
    QVector<double> key(n, 0);
    auto sweep = [&](int c, int from) {
        for (const int item : std::as_const(columns[c])) {
            double sum = 0;
            int count = 0;
            for (const int other : std::as_const(neighbours[item])) {
                if (column[other] == from) {
                    sum += position[other];
                    ++count;
                }
            }
            key[item] = count ? sum / count : position[item];
        }
        std::stable_sort(
            columns[c].begin(), columns[c].end(), [&](int a, int b) { return key[a] < key[b]; });
        number(columns[c]);
    };
    for (int pass = 0; pass < 4; ++pass) {
        for (int c = 1; c < columns.size(); ++c)
            sweep(c, c - 1);
        for (int c = int(columns.size()) - 2; c >= 0; --c)
            sweep(c, c + 1);
    }
}
} // namespace

QVector<QPoint> RankLayout(const RankLayoutInput &Input)
{
    const Neighbours neighbours = neighboursOf(Input);
    QVector<int> column;
    QVector<QVector<int>> columns = rankColumns(Input, neighbours, column);
    orderByBarycentre(columns, neighbours, column);

    QVector<QPoint> corners(int(Input.Sizes.size()));
    int x = Input.Origin.x();
    for (const QVector<int> &col : std::as_const(columns)) {
        int y = Input.Origin.y();
        int widest = 0;
        for (const int item : col) {
            corners[item] = QPoint(x, y);
            y += Input.Sizes.at(item).height() + Input.RowGap;
            widest = qMax(widest, Input.Sizes.at(item).width());
        }
        x += widest + Input.ColumnGap;
    }
    return corners;
}

int CountCrossings(const QVector<QPointF> &Centres, const QVector<std::pair<int, int>> &Links)
{
    int crossings = 0;
    for (int i = 0; i < Links.size(); ++i) {
        const auto [a, b] = Links.at(i);
        if (a == b)
            continue;
        const QLineF first(Centres.at(a), Centres.at(b));
        for (int j = i + 1; j < Links.size(); ++j) {
            const auto [c, d] = Links.at(j);
            if (c == d || c == a || c == b || d == a || d == b)
                continue;
            QPointF at;
            if (first.intersects(QLineF(Centres.at(c), Centres.at(d)), &at)
                == QLineF::BoundedIntersection)
                ++crossings;
        }
    }
    return crossings;
}

} // namespace Diduza
