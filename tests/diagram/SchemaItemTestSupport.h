#pragma once

// Helpers of the schema item tests: an area shown on screen, row names, and where the area puts
// a relation.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/model/RelationRouting.h"
#include "relations/TSchemaRelation.h"

#include <QRect>
#include <QStringList>
#include <QtTest>

#include <memory>

namespace DiduzaTest {

// An area shown on screen, as the mouse tests and the scrolled lists need.
inline std::unique_ptr<Diduza::TSchemaDesignArea> shownArea(int w = 700, int h = 500)
{
    auto area = std::make_unique<Diduza::TSchemaDesignArea>();
    area->resize(w, h);
    area->show();
    if (!QTest::qWaitForWindowExposed(area.get()))
        qWarning("area not exposed");
    return area;
}

inline QStringList rowNames(int n, const QString &prefix = QStringLiteral("r"))
{
    QStringList names;
    for (int i = 0; i < n; ++i)
        names << prefix + QString::number(i);
    return names;
}

// Where the area puts a relation, from the items' present geometry and row anchors.
inline QRect expectedBounds(const Diduza::TSchemaRelation *r)
{
    Diduza::TSchemaItem *p = r->ParentItem();
    Diduza::TSchemaItem *c = r->ChildItem();
    Diduza::RelationRouteInput in;
    in.parentLeft = p->x();
    in.parentWidth = p->width();
    in.childLeft = c->x();
    in.childWidth = c->width();
    in.sameItem = p == c;
    in.previousLnkX = r->LnkX();
    in.parentY = p->GetRowY(p->GetIndexBySubItem(r->ParentSubItem()));
    in.childY = c->GetRowY(c->GetIndexBySubItem(r->ChildSubItem()));
    return Diduza::RouteRelation(in).bounds;
}

} // namespace DiduzaTest
