#include "diagram/model/ItemPlacement.h"

#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace Diduza {

namespace {
// True when an item at r keeps the gaps to every item of taken.
bool keepsGaps(const QVector<QRect> &taken, const QRect &r)
{
    const QRect around = r.adjusted(-ItemGapX, -ItemGapY, ItemGapX, ItemGapY);
    return std::none_of(
        taken.begin(), taken.end(), [&](const QRect &t) { return t.intersects(around); });
}
} // namespace

QPoint FreeItemSpot(
    const QVector<QRect> &Taken, const QSize &Size, const QPoint &Wanted, const QRect &Shown)
{
    if (keepsGaps(Taken, QRect(Wanted, Size)))
        return Wanted;
    // The columns and lines a free spot may begin at: those of Wanted, and beside, in line
    // with, above and below each item.
    QSet<int> xs { Wanted.x() };
    QSet<int> ys { Wanted.y() };
    int below = Wanted.y();
    for (const QRect &t : Taken) {
        xs << t.left() << t.right() + 1 + ItemGapX << t.left() - ItemGapX - Size.width();
        ys << t.top() << t.bottom() + 1 + ItemGapY << t.top() - ItemGapY - Size.height();
        below = std::max(below, t.bottom() + 1 + ItemGapY);
    }
    const int minX = Shown.left();
    const int minY = Shown.top();
    bool found = false;
    bool foundShown = false;
    qint64 best = std::numeric_limits<qint64>::max();
    QPoint spot;
    for (const int x : std::as_const(xs)) {
        if (x < minX)
            continue;
        for (const int y : std::as_const(ys)) {
            if (y < minY)
                continue;
            const QRect r(QPoint(x, y), Size);
            const bool shown = Shown.contains(r);
            if (foundShown && !shown)
                continue;
            const qint64 cost
                = qint64(std::abs(x - Wanted.x())) + 3 * qint64(std::abs(y - Wanted.y()));
            const bool better = (shown && !foundShown) || cost < best
                || (cost == best && (y < spot.y() || (y == spot.y() && x < spot.x())));
            if (!better || !keepsGaps(Taken, r))
                continue;
            found = true;
            foundShown = foundShown || shown;
            best = cost;
            spot = QPoint(x, y);
        }
    }
    if (!found)
        spot = QPoint(std::max(Wanted.x(), minX), std::max(below, minY));
    return spot;
}

} // namespace Diduza
