#pragma once

// A relation's own state: its ends, join, routing, hit band, menu and pressed look (reached
// through TSchemaRelationPrivate::get).
// Not installed.

#include "relations/TSchemaRelation.h"

#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QVector>

#include <array>
#include <memory>

namespace Diduza {

class TSchemaRelationPrivate {
public:
    static TSchemaRelationPrivate *get(TSchemaRelation *relation);
    static const TSchemaRelationPrivate *get(const TSchemaRelation *relation);

    // The corners of the hit band of the present shape of a line of the given size (or of the
    // last one); false before the line has any shape, when the 15 x 15 square at the top-left
    // corner is hit instead.
    bool hitBand(std::array<QPoint, 4> &band, int width, int height);

    QPointer<TSchemaItem> FParentItem;
    QPointer<TSchemaItem> FChildItem;
    QPointer<TSchemaSubItem> FParentSubItem;
    QPointer<TSchemaSubItem> FChildSubItem;
    TSDRelationOperator FJoinOperator = roEqual;
    TSDRelationJoin FJoinType = rjInner;
    QString FJoinCondition;
    TSDRelationType FRelationType = rtNormal;
    int FLnkX = 0;
    int FLnkY = 0;
    // The hit region: the band of the last shape, or the 15 x 15 square before any shape.
    // Kept as the band's corners; a QRegion is built only when asked for.
    std::array<QPoint, 4> FBand;
    bool FHasBand = false;
    std::unique_ptr<QMenu> FPopMenu;
    // The entries of the relation: the menu shows the first three (a separator after the
    // first); the fourth, the colour command, is not in the menu.
    std::array<QAction *, 4> FEntries {};
    bool FMouseDown = false;
    // Where and when (screen point, event time) a left press opened the menu: the second
    // press of a double-click reaches the menu, which then gives way to the properties dialog.
    bool FMenuOpenedByPress = false;
    QPoint FMenuPressAt;
    quint64 FMenuPressTime = 0;
    bool FSwallowMenuMouse = false; // the rest of that double-click's events
    bool FPaintedDown = false; // the pressed look of the last paint
    // PaintRects for the shape key (self-link, LnkX, LnkY, width, height) it was made for.
    QVector<QRect> FPaintRects;
    std::array<int, 5> FPaintRectsKey { -1, -1, -1, -1, -1 };
    TColor FColor = clBlack;
};

} // namespace Diduza
