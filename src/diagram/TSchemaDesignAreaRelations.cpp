// The area's relations: adding, finding and removing them, the index of relations by item,
// and routing them along their items.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include "diagram/SchemaUndo_p.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/model/RelationRouting.h"
#include "platform/Application.h"
#include "platform/CompareText.h"
#include "platform/DialogService.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "relations/TSchemaRelation.h"
#include "relations/TSchemaRelation_p.h"

#include <QAction>
#include <QCoreApplication>
#include <QScopeGuard>

#include <algorithm>

namespace Diduza {

TSchemaRelation *TSchemaDesignArea::GetRelation(int Index) const
{
    const QVector<TSchemaRelation *> &list = relations();
    return Index >= 0 && Index < list.size() ? list[Index] : nullptr;
}

int TSchemaDesignArea::GetRelationCount() const
{
    return int(relations().size());
}

// The index of relations by item. A relation is listed under each of its end items (once for a
// self-link) while it is on the area, in the order of placement, which is the order of the
// control list: relations join at the end of the window-less part, and when an undo puts one
// back at its old position, the placements are numbered anew.

void TSchemaDesignArea::GraphicControlInserted(TGraphicControl *control)
{
    if (auto *relation = qobject_cast<TSchemaRelation *>(control)) {
        TSchemaRelationPrivate::get(relation)->FPlacement = ++d->FPlacements;
        indexRelation(relation);
    }
}

void TSchemaDesignArea::GraphicControlRemoved(TGraphicControl *control)
{
    // However a relation leaves (deleted by the area, or destroyed by a handler), a row that no
    // other relation ends at is no longer linked.
    if (auto *relation = qobject_cast<TSchemaRelation *>(control)) {
        unindexRelation(relation);
        unmarkRow(relation, relation->ParentItem(), relation->ParentSubItem());
        unmarkRow(relation, relation->ChildItem(), relation->ChildSubItem());
    }
}

void TSchemaDesignArea::GraphicControlsReordered()
{
    for (TSchemaRelation *relation : relations())
        TSchemaRelationPrivate::get(relation)->FPlacement = ++d->FPlacements;
    const auto byPlacement = [](const TSchemaRelation *a, const TSchemaRelation *b) {
        return TSchemaRelationPrivate::get(a)->FPlacement
            < TSchemaRelationPrivate::get(b)->FPlacement;
    };
    for (QVector<TSchemaRelation *> &list : d->FItemRelations)
        std::sort(list.begin(), list.end(), byPlacement);
}

void TSchemaDesignAreaPrivate::RelationEndsChanged(TSchemaRelation *relation)
{
    if (relation && relation->Parent() == q)
        q->indexRelation(relation);
}

void TSchemaDesignAreaPrivate::ForgetItem(const TSchemaItem *item)
{
    const auto found = FItemRelations.constFind(item);
    if (found == FItemRelations.constEnd())
        return;
    for (TSchemaRelation *relation : found.value()) {
        TSchemaRelationPrivate *r = TSchemaRelationPrivate::get(relation);
        if (r->FIndexedParent == item)
            r->FIndexedParent = nullptr;
        if (r->FIndexedChild == item)
            r->FIndexedChild = nullptr;
    }
    FItemRelations.remove(item);
}

void TSchemaDesignArea::unindexRelation(TSchemaRelation *relation)
{
    TSchemaRelationPrivate *r = TSchemaRelationPrivate::get(relation);
    for (const TSchemaItem *key : { r->FIndexedParent, r->FIndexedChild }) {
        if (!key)
            continue;
        auto found = d->FItemRelations.find(key);
        if (found == d->FItemRelations.end())
            continue;
        found.value().removeOne(relation);
        if (found.value().isEmpty())
            d->FItemRelations.erase(found);
    }
    r->FIndexedParent = r->FIndexedChild = nullptr;
}

void TSchemaDesignArea::indexRelation(TSchemaRelation *relation)
{
    unindexRelation(relation);
    TSchemaRelationPrivate *r = TSchemaRelationPrivate::get(relation);
    const TSchemaItem *parent = relation->ParentItem();
    const TSchemaItem *child = relation->ChildItem();
    r->FIndexedParent = parent;
    r->FIndexedChild = child != parent ? child : nullptr;
    const quint64 placement = r->FPlacement;
    const auto placementOf = [](const TSchemaRelation *other) {
        return TSchemaRelationPrivate::get(other)->FPlacement;
    };
    for (const TSchemaItem *key : { r->FIndexedParent, r->FIndexedChild }) {
        if (!key)
            continue;
        QVector<TSchemaRelation *> &list = d->FItemRelations[key];
        if (list.isEmpty() || placementOf(list.last()) < placement)
            list.append(relation);
        else
            list.insert(std::upper_bound(list.begin(), list.end(), placement,
                            [&](quint64 p, const TSchemaRelation *other) {
                                return p < placementOf(other);
                            }),
                relation);
    }
}

QVector<TSchemaRelation *> TSchemaDesignArea::RelationsOfItem(const TSchemaItem *item) const
{
    if (!item)
        return {};
    const QVector<TSchemaRelation *> indexed = d->FItemRelations.value(item);
    // The index follows ends set through the relation; an end that read as null once its item
    // was destroyed stays listed under the old address until then, which a new item may reuse.
    auto holds = [item](const TSchemaRelation *r) {
        return r->ParentItem() == item || r->ChildItem() == item;
    };
    if (std::all_of(indexed.begin(), indexed.end(), holds))
        return indexed;
    QVector<TSchemaRelation *> current;
    for (TSchemaRelation *r : indexed) {
        if (holds(r))
            current.append(r);
    }
    return current;
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
    SchemaUndoGroup step(
        this, QCoreApplication::translate("Diduza::TSchemaDesignArea", "Add relation"));
    if (step.Parent())
        SchemaUndo::RelationAdded(step.Parent(), this, RelationPosition(this, relation));
    QPointer<TSchemaRelation> guard(relation);
    RaiseEvent(d->FOnAddRelation, this, relation);
    return guard.data(); // null when the handler deleted the relation
}

bool TSchemaDesignArea::FindRelation(const TSchemaRelation *Relation) const
{
    if (!Relation)
        return false;
    // A duplicate has Relation's parent item at one of its ends.
    const QVector<TSchemaRelation *> candidates
        = Relation->ParentItem() ? RelationsOfItem(Relation->ParentItem()) : relations();
    for (const TSchemaRelation *r : candidates) {
        if (r == Relation)
            continue;
        const bool same = r->ParentItem() == Relation->ParentItem()
            && r->ParentSubItem() == Relation->ParentSubItem()
            && r->ChildItem() == Relation->ChildItem()
            && r->ChildSubItem() == Relation->ChildSubItem();
        const bool reversed = r->ParentItem() == Relation->ChildItem()
            && r->ParentSubItem() == Relation->ChildSubItem()
            && r->ChildItem() == Relation->ParentItem()
            && r->ChildSubItem() == Relation->ParentSubItem();
        if (same || reversed)
            return true;
    }
    return false;
}

bool TSchemaDesignArea::FindOtherRelation(
    const TSchemaRelation *Relation, const TSchemaItem *si, const TSchemaSubItem *SubItem) const
{
    const QVector<TSchemaRelation *> candidates = si ? RelationsOfItem(si) : relations();
    for (const TSchemaRelation *r : candidates) {
        if (r == Relation)
            continue;
        if ((r->ParentItem() == si && r->ParentSubItem() == SubItem)
            || (r->ChildItem() == si && r->ChildSubItem() == SubItem))
            return true;
    }
    return false;
}

void TSchemaDesignArea::unmarkRow(TSchemaRelation *relation, TSchemaItem *item, TSchemaSubItem *row)
{
    if (!item || FindOtherRelation(relation, item, row))
        return;
    item->SelectItemBold(row, false);
    if (item->ItemControl())
        item->ItemControl()->update();
}

void TSchemaDesignArea::destroyRelation(TSchemaRelation *relation, bool deferred)
{
    // OnDeleteRelation's handler may delete the relation again (nothing more to do), destroy
    // it or its items, or clear the area: the relation is looked at again only while it exists.
    if (TSchemaRelationPrivate::get(relation)->FDeleting)
        return;
    TSchemaRelationPrivate::get(relation)->FDeleting = true;
    QPointer<TSchemaRelation> guard(relation);
    const auto stays = qScopeGuard([&] {
        if (guard && guard->Parent() == this) // a handler raised: the relation stays
            TSchemaRelationPrivate::get(guard.data())->FDeleting = false;
    });
    SchemaUndoGroup step(
        this, QCoreApplication::translate("Diduza::TSchemaDesignArea", "Delete relation"));
    if (step.Parent())
        SchemaUndo::RelationDeleted(step.Parent(), this, relation);
    if (d->FCurrentRelation == relation)
        SetCurrentRelation(nullptr);
    RaiseEvent(d->FOnDeleteRelation, this, relation);
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
        destroyRelation(Relation, false);
}

void TSchemaDesignArea::DeleteRelation(QObject *Sender)
{
    auto *relation = qobject_cast<TSchemaRelation *>(Sender ? Sender->parent() : nullptr);
    if (!relation || relation->Parent() != this)
        return;
    destroyRelation(relation, true);
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
        destroyRelation(r, false);
        ReboundRelationsForItem(item, false);
    }
}

void TSchemaDesignArea::ClearAll()
{
    ++d->FUndoPaused;
    const auto resume = qScopeGuard([this] {
        --d->FUndoPaused;
        ClearHistory();
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
    const QVector<TSchemaRelation *> list = relations();
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
