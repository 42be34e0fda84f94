// The area's relations: adding, finding and removing them, the index of relations by item,
// and routing them along their items.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/model/RelationRouting.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "relations/TSchemaRelation.h"

#include <QCoreApplication>
#include <QScopeGuard>

#include <algorithm>

namespace Diduza {

TSchemaRelation *TSchemaDesignArea::GetRelation(int Index) const
{
    const QVector<TSchemaRelation *> &list = d->index.relations();
    return Index >= 0 && Index < list.size() ? list[Index] : nullptr;
}

int TSchemaDesignArea::GetRelationCount() const
{
    return int(d->index.relations().size());
}

void TSchemaDesignArea::GraphicControlInserted(TGraphicControl *control)
{
    if (auto *relation = qobject_cast<TSchemaRelation *>(control))
        d->index.relationInserted(relation);
}

void TSchemaDesignArea::GraphicControlRemoved(TGraphicControl *control)
{
    // However a relation leaves (deleted by the area, or destroyed by a handler), a row that no
    // other relation ends at is no longer linked.
    if (auto *relation = qobject_cast<TSchemaRelation *>(control)) {
        d->index.relationRemoved(relation);
        d->unmarkRow(relation, relation->ParentItem(), relation->ParentSubItem());
        d->unmarkRow(relation, relation->ChildItem(), relation->ChildSubItem());
    }
}

void TSchemaDesignArea::GraphicControlsReordered()
{
    d->index.relationsReordered();
}

QVector<TSchemaRelation *> TSchemaDesignArea::RelationsOfItem(const TSchemaItem *item) const
{
    return d->index.relationsOfItem(item);
}

bool TSchemaDesignArea::FindRelation(const TSchemaRelation *Relation) const
{
    return d->index.findRelation(Relation);
}

bool TSchemaDesignArea::FindOtherRelation(
    const TSchemaRelation *Relation, const TSchemaItem *si, const TSchemaSubItem *SubItem) const
{
    return d->index.findOtherRelation(Relation, si, SubItem);
}

TSchemaRelation *TSchemaDesignArea::AddRelation(
    TSchemaItem *si1, TSchemaItem *si2, TSchemaSubItem *ssi1, TSchemaSubItem *ssi2)
{
    // Both ends stand on this area and stay there (a handler may ask while an item leaves).
    const auto stays = [this](const TSchemaItem *item) {
        return item && item->Parent() == this && !TSchemaItemPrivate::get(item)->FRemoving
            && !TSchemaItemPrivate::get(item)->FDestroying;
    };
    if (!stays(si1) || !stays(si2))
        throw Exception(QCoreApplication::translate(
            "TSchemaDesignArea", "A relation needs a parent item and a child item."));
    if (d->FDestroying)
        return nullptr;
    auto *relation = new TSchemaRelation(this);
    relation->SetParent(this);
    relation->SetParentItem(si1);
    relation->SetChildItem(si2);
    relation->SetParentSubItem(ssi1);
    relation->SetChildSubItem(ssi2);
    if (FindRelation(relation)) {
        delete relation;
        throw Exception(LoadResString(_smsItemLinked));
    }
    si1->SelectItemBold(ssi1, true);
    if (si1->ItemControl())
        si1->ItemControl()->update();
    si2->SelectItemBold(ssi2, true);
    if (si2->ItemControl())
        si2->ItemControl()->update();
    ReboundRelation(relation, false);
    relation->SetVisible(true);
    TSchemaUndoGroup step(
        this, QCoreApplication::translate("Diduza::TSchemaDesignArea", "Add relation"));
    d->undo.relationAdded(relation);
    QPointer<TSchemaRelation> guard(relation);
    RaiseEvent(d->FOnAddRelation, this, relation);
    return guard.data(); // null when the handler deleted the relation
}

void TSchemaDesignAreaPrivate::unmarkRow(
    TSchemaRelation *relation, TSchemaItem *item, TSchemaSubItem *row)
{
    if (!item || index.findOtherRelation(relation, item, row))
        return;
    item->SelectItemBold(row, false);
    if (item->ItemControl())
        item->ItemControl()->update();
}

void TSchemaDesignAreaPrivate::destroyRelation(TSchemaRelation *relation, bool deferred)
{
    // OnDeleteRelation's handler may delete the relation again (nothing more to do), destroy
    // it or its items, or clear the area: the relation is looked at again only while it exists.
    if (index.isDeleting(relation))
        return;
    index.setDeleting(relation, true);
    QPointer<TSchemaRelation> guard(relation);
    const auto stays = qScopeGuard([&] {
        if (guard && guard->Parent() == q) // a handler raised: the relation stays
            index.setDeleting(guard.data(), false);
    });
    TSchemaUndoGroup step(
        q, QCoreApplication::translate("Diduza::TSchemaDesignArea", "Delete relation"));
    undo.relationDeleted(relation);
    if (navigation.currentRelation() == relation)
        navigation.setCurrentRelation(nullptr);
    RaiseEvent(FOnDeleteRelation, q, relation);
    if (!guard)
        return;
    relation->SetParent(nullptr); // which unmarks its rows
    if (deferred)
        relation->deleteLater(); // its menu is still finishing the click
    else
        delete relation;
}

void TSchemaDesignArea::RemoveRelation(TSchemaRelation *Relation)
{
    if (Relation && Relation->Parent() == this)
        d->destroyRelation(Relation, false);
}

void TSchemaDesignArea::DeleteRelation(QObject *Sender)
{
    auto *relation = qobject_cast<TSchemaRelation *>(Sender ? Sender->parent() : nullptr);
    if (!relation || relation->Parent() != this)
        return;
    d->destroyRelation(relation, true);
}

void TSchemaDesignArea::DeleteRelationsForItem(TSchemaItem *AItem, TSchemaSubItem *SubItem)
{
    if (!AItem)
        return;
    // Last first. Relations that a handler removes meanwhile are skipped; those it adds come
    // after the ones taken here. A handler may destroy the item itself: then nothing more is
    // routed.
    QPointer<TSchemaItem> item(AItem);
    const QVector<TSchemaRelation *> indexed = RelationsOfItem(AItem);
    QVector<QPointer<TSchemaRelation>> candidates;
    candidates.reserve(indexed.size());
    for (int i = int(indexed.size()) - 1; i >= 0; --i)
        candidates.append(indexed[i]);
    for (const QPointer<TSchemaRelation> &candidate : std::as_const(candidates)) {
        TSchemaRelation *r = candidate;
        if (!item)
            return;
        if (!r || r->Parent() != this || (r->ParentItem() != AItem && r->ChildItem() != AItem))
            continue;
        if (SubItem && r->ParentSubItem() != SubItem && r->ChildSubItem() != SubItem)
            continue;
        d->destroyRelation(r, false);
        ReboundRelationsForItem(item, false);
    }
}

void TSchemaDesignArea::ClearAll()
{
    d->undo.pause();
    const auto resume = qScopeGuard([this] {
        d->undo.resume();
        d->undo.clearHistory();
    });
    for (int i = ControlCount() - 1; i >= 0; --i) {
        if (i >= ControlCount())
            continue; // a handler removed controls
        QObject *control = Controls(i);
        auto *item = qobject_cast<TSchemaItem *>(control);
        if (item && TSchemaItemPrivate::get(item)->FDestroying)
            continue; // cleared from its own OnDeleteItem: it is going already
        if (item || qobject_cast<TSchemaRelation *>(control))
            delete control;
    }
}

// ---------------------------------------------------------------------------------------------
// Routing

void TSchemaDesignArea::ReboundRelation(TSchemaRelation *Relation, bool)
{
    if (!Relation)
        return;
    TSchemaItem *parent = Relation->ParentItem();
    TSchemaItem *child = Relation->ChildItem();
    if (!parent || !child)
        return; // an end is gone: nothing to route to
    Relation->SetItemNames(parent->GetCaption(), child->GetCaption());
    RelationRouteInput in;
    in.parentLeft = parent->Left();
    in.parentWidth = parent->Width();
    in.childLeft = child->Left();
    in.childWidth = child->Width();
    in.sameItem = parent == child;
    in.previousLnkX = Relation->LnkX();
    in.parentY = parent->GetRowY(parent->GetIndexBySubItem(Relation->ParentSubItem()));
    in.childY = child->GetRowY(child->GetIndexBySubItem(Relation->ChildSubItem()));
    const RelationRoute route = RouteRelation(in);
    Relation->SetLnkX(route.lnkX);
    Relation->SetLnkY(route.lnkY);
    Relation->SetBounds(
        route.bounds.left(), route.bounds.top(), route.bounds.width(), route.bounds.height());
    // A line that kept its place and look needs no repaint.
    Relation->InvalidateIfChanged();
}

void TSchemaDesignArea::ReboundRelations()
{
    const QVector<TSchemaRelation *> list = d->index.relations();
    for (TSchemaRelation *r : list)
        ReboundRelation(r, false);
}

void TSchemaDesignArea::ReboundRelationsForItem(TSchemaItem *AItem, bool IsDrag)
{
    if (!AItem)
        return;
    const QVector<TSchemaRelation *> list = RelationsOfItem(AItem);
    for (TSchemaRelation *r : list)
        ReboundRelation(r, IsDrag);
}

void TSchemaDesignArea::scrollContentsBy(int dx, int dy)
{
    // Items and relations all move by the same distance, and a route depends only on where the
    // two items and their rows stand to each other: every relation keeps its route and is
    // moved with the items. Items do not re-route their own relations while the area scrolls.
    d->FScrolling = true;
    TScrollBox::scrollContentsBy(dx, dy);
    d->FScrolling = false;
}

} // namespace Diduza
