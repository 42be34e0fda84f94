#include "diagram/model/RelationRouting.h"

#include <algorithm>
#include <cstdlib>

namespace Diduza {

RelationRoute RouteRelation(const RelationRouteInput &in)
{
    RelationRoute r;
    const int pLeft = in.parentLeft;
    const int pRight = in.parentLeft + in.parentWidth;
    const int cLeft = in.childLeft;
    const int cRight = in.childLeft + in.childWidth;

    int boxLeft = 0;
    int boxRight = 0;
    if (in.sameItem) {
        boxLeft = pRight;
        boxRight = pRight + RelationGap;
        r.lnkX = in.previousLnkX;
    } else if (cLeft > pLeft) {
        if (pRight + RelationGap < cLeft) {
            r.lnkX = 1;
            boxLeft = pRight;
            boxRight = cLeft;
        } else if (cRight >= pRight) {
            r.lnkX = 2;
            boxLeft = pRight;
            boxRight = cRight + RelationGap;
        } else {
            r.lnkX = 3;
            boxLeft = cRight;
            boxRight = pRight + RelationGap;
        }
    } else {
        if (cRight + RelationGap <= pLeft) {
            r.lnkX = 4;
            boxLeft = cRight;
            boxRight = pLeft;
        } else if (pRight < cRight) {
            r.lnkX = 2;
            boxLeft = pRight;
            boxRight = cRight + RelationGap;
        } else {
            r.lnkX = 3;
            boxLeft = cRight;
            boxRight = pRight + RelationGap;
        }
    }

    int boxTop = 0;
    int boxBottom = 0;
    if (in.parentY < in.childY) {
        r.lnkY = 1;
        boxTop = in.parentY - RelationMargin;
        boxBottom = in.childY + RelationMargin;
    } else {
        r.lnkY = 2;
        boxTop = in.childY - RelationMargin;
        boxBottom = in.parentY + RelationMargin;
    }
    r.bounds = QRect(boxLeft, boxTop, boxRight - boxLeft, boxBottom - boxTop);
    return r;
}

namespace {
std::array<QPoint, 4> fallingBand(QPoint p1, QPoint p2)
{
    return { QPoint(p1.x() + 5, p1.y() - 5), QPoint(p1.x() - 5, p1.y() + 5),
        QPoint(p2.x() - 5, p2.y() + 5), QPoint(p2.x() + 5, p2.y() - 5) };
}
std::array<QPoint, 4> risingBand(QPoint p1, QPoint p2)
{
    return { QPoint(p1.x() - 5, p1.y() - 5), QPoint(p1.x() + 5, p1.y() + 5),
        QPoint(p2.x() + 5, p2.y() + 5), QPoint(p2.x() - 5, p2.y() - 5) };
}
bool is(int x, int y, int a, int b)
{
    return x == a && y == b;
}
} // namespace

RelationShape ComputeRelationShape(bool selfLink, int x, int y, int W, int H)
{
    RelationShape s;
    bool falling = true;
    if (selfLink) {
        s.line = { QPoint(0, 7), QPoint(10, 7), QPoint(10, H - 7), QPoint(0, H - 7) };
        s.hollowMarker = QPoint(3, 4);
        s.filledMarker = QPoint(3, H - 10);
    } else if (is(x, y, 1, 1) || is(x, y, 4, 2)) {
        s.line = { QPoint(0, 7), QPoint(15, 7), QPoint(W - 15, H - 7), QPoint(W, H - 7) };
        s.hollowMarker = QPoint(3, 4);
        s.filledMarker = QPoint(W - 12, H - 10);
    } else if (is(x, y, 4, 1) || is(x, y, 1, 2)) {
        s.line = { QPoint(W, 7), QPoint(W - 15, 7), QPoint(15, H - 7), QPoint(0, H - 7) };
        falling = false;
        s.hollowMarker = QPoint(3, H - 10);
        s.filledMarker = QPoint(W - 12, 4);
    } else if ((is(x, y, 2, 1) || is(x, y, 3, 2)) && W >= 28) {
        s.line = { QPoint(0, 7), QPoint(15, 7), QPoint(W - 5, H - 7), QPoint(W - 15, H - 7) };
        s.hollowMarker = QPoint(3, 4);
        s.filledMarker = QPoint(W - 12, H - 10);
    } else if ((is(x, y, 3, 1) || is(x, y, 2, 2)) && W >= 28) {
        s.line = { QPoint(W - 15, 7), QPoint(W - 5, 7), QPoint(15, H - 7), QPoint(0, H - 7) };
        falling = false;
        s.hollowMarker = QPoint(3, H - 10);
        s.filledMarker = QPoint(W - 12, 4);
    } else if (is(x, y, 2, 1) || is(x, y, 3, 2) || is(x, y, 3, 1) || is(x, y, 2, 2)) {
        s.line = { QPoint(0, 7), QPoint(W - 12, 7), QPoint(W - 12, H - 7), QPoint(0, H - 7) };
        falling = false;
        s.hollowMarker = QPoint(3, 4);
        s.filledMarker = QPoint(3, H - 10);
    } else {
        return s;
    }
    s.valid = true;
    s.band = falling ? fallingBand(s.line[1], s.line[2]) : risingBand(s.line[1], s.line[2]);
    return s;
}

QVector<QRect> RelationPaintRects(const RelationShape &shape, int width, int height)
{
    QVector<QRect> rects;
    if (!shape.valid)
        return rects;
    // Two pixels around each piece hold what the rasteriser draws of it.
    constexpr int Margin = 2;
    // A diagonal is cut into pieces about this long along its longer axis.
    constexpr int Piece = 128;
    const QRect box = QRect(0, 0, width, height).adjusted(-1, -1, 1, 1);
    auto add = [&](const QPoint &a, const QPoint &b) {
        const QRect r = QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                            QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())))
                            .adjusted(-Margin, -Margin, Margin, Margin)
            & box;
        if (!r.isEmpty())
            rects.append(r);
    };
    for (size_t i = 0; i + 1 < shape.line.size(); ++i) {
        const QPoint a = shape.line[i];
        const QPoint b = shape.line[i + 1];
        const int dx = b.x() - a.x();
        const int dy = b.y() - a.y();
        const int longer = std::max(std::abs(dx), std::abs(dy));
        const int pieces = dx == 0 || dy == 0 ? 1 : std::max(1, (longer + Piece - 1) / Piece);
        QPoint from = a;
        for (int k = 1; k <= pieces; ++k) {
            const QPoint to(
                a.x() + int(qint64(dx) * k / pieces), a.y() + int(qint64(dy) * k / pieces));
            add(from, to);
            from = to;
        }
    }
    for (const QPoint &marker : { shape.hollowMarker, shape.filledMarker })
        add(marker, marker + QPoint(6, 6));
    return rects;
}

bool PointInPolygon(const std::array<QPoint, 4> &poly, const QPoint &p)
{
    // Crossing test at the pixel centre, as a region built with the alternate rule covers it.
    const double px = p.x() + 0.5;
    const double py = p.y() + 0.5;
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const double xi = poly[i].x(), yi = poly[i].y();
        const double xj = poly[j].x(), yj = poly[j].y();
        if ((yi > py) != (yj > py)) {
            const double xCross = xj + (py - yj) * (xi - xj) / (yi - yj);
            if (px < xCross)
                inside = !inside;
        }
    }
    return inside;
}

} // namespace Diduza
