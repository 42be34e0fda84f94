#pragma once

// Building blocks for the diagram tests: tables with rows, relation names, and a log of the
// design area's events.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "relations/TSchemaRelation.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QStringList>

namespace DiduzaTest {

// An item of the given kind with one row per name, sized to its rows and placed at (x, y).
inline Diduza::TSchemaItem *addTable(Diduza::TSchemaDesignArea &area, const QString &caption,
    const QStringList &rows, int x = 0, int y = 0,
    Diduza::TSchemaControlType type = Diduza::scListBox)
{
    // Null when an event handler took the item away meanwhile.
    QPointer<Diduza::TSchemaItem> item = area.AddItem(caption, type);
    for (const QString &row : rows) {
        if (item)
            item->AddSubItem(row, -1, false);
    }
    if (!item)
        return nullptr;
    item->RecalculateHeight();
    item->RecalculateWidth();
    item->move(x, y);
    return item;
}

inline Diduza::TSchemaRelation *link(Diduza::TSchemaDesignArea &area, Diduza::TSchemaItem *p,
    int pRow, Diduza::TSchemaItem *c, int cRow)
{
    return area.AddRelation(p, c, p->GetSubItem(pRow), c->GetSubItem(cRow));
}

// "A.a1>B.b2": parent item and row, child item and row.
inline QString relationName(const Diduza::TSchemaRelation *r)
{
    auto end = [](const Diduza::TSchemaItem *item, const Diduza::TSchemaSubItem *row) {
        return (item ? item->GetCaption() : QStringLiteral("?")) + QLatin1Char('.')
            + (row ? row->Caption() : QStringLiteral("?"));
    };
    return end(r->ParentItem(), r->ParentSubItem()) + QLatin1Char('>')
        + end(r->ChildItem(), r->ChildSubItem());
}

// What the area's indexes answer against a walk of its control list: counts, enumeration and
// each item's relations in list order. Empty when they agree.
inline QString indexDisagreement(const Diduza::TSchemaDesignArea &area)
{
    QVector<Diduza::TSchemaItem *> items;
    QVector<Diduza::TSchemaRelation *> relations;
    for (int c = 0; c < area.ControlCount(); ++c) {
        if (auto *item = qobject_cast<Diduza::TSchemaItem *>(area.Controls(c)))
            items << item;
        else if (auto *relation = qobject_cast<Diduza::TSchemaRelation *>(area.Controls(c)))
            relations << relation;
    }
    if (area.GetItemCount() != items.size() || area.GetRelationCount() != relations.size())
        return QStringLiteral("counts");
    for (int i = 0; i < items.size(); ++i) {
        if (area.GetItem(i) != items[i]
            || area.GetItemIndex(items[i]) != area.IndexOfControl(items[i]))
            return QStringLiteral("item %1").arg(i);
    }
    for (int i = 0; i < relations.size(); ++i) {
        if (area.GetRelation(i) != relations[i])
            return QStringLiteral("relation %1").arg(i);
    }
    for (Diduza::TSchemaItem *item : std::as_const(items)) {
        QVector<Diduza::TSchemaRelation *> ends;
        for (Diduza::TSchemaRelation *r : std::as_const(relations)) {
            if (r->ParentItem() == item || r->ChildItem() == item)
                ends << r;
        }
        if (area.RelationsOfItem(item) != ends)
            return QStringLiteral("relations of %1").arg(item->GetCaption());
    }
    return {};
}

// Writes every event of the area into a list of texts. A note in brackets records a broken
// expectation about the moment of the event (wrong sender, item not yet on the area, relation
// already off the area or not yet visible).
inline void logEvents(Diduza::TSchemaDesignArea &area, QStringList &log)
{
    using namespace Diduza;
    TSchemaDesignArea *a = &area;
    area.SetOnAddItem([a, &log](QObject *sender, TSchemaItem *item) {
        QString text = QStringLiteral("AddItem ") + item->GetCaption();
        if (sender != a)
            text += QStringLiteral(" [sender]");
        if (a->GetItemIndex(item) < 0)
            text += QStringLiteral(" [not on area]");
        log << text;
    });
    area.SetOnDeleteItem([a, &log](QObject *sender, TSchemaItem *item) {
        QString text = QStringLiteral("DeleteItem ") + item->GetCaption();
        if (sender != a)
            text += QStringLiteral(" [sender]");
        log << text;
    });
    area.SetOnAddRelation([a, &log](QObject *sender, TSchemaRelation *r) {
        QString text = QStringLiteral("AddRelation ") + relationName(r);
        if (sender != a)
            text += QStringLiteral(" [sender]");
        if (!r->Visible() || a->IndexOfControl(r) < 0)
            text += QStringLiteral(" [not shown]");
        log << text;
    });
    area.SetOnDeleteRelation([a, &log](QObject *sender, TSchemaRelation *r) {
        QString text = QStringLiteral("DeleteRelation ") + relationName(r);
        if (sender != a)
            text += QStringLiteral(" [sender]");
        if (a->IndexOfControl(r) < 0)
            text += QStringLiteral(" [already off]");
        log << text;
    });
}

inline QAction *menuEntry(QObject *owner, const char *name)
{
    return owner->findChild<QAction *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

// Runs the deletions that were deferred to the next turn of the event loop.
inline void runDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace DiduzaTest
