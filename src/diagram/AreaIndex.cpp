// The design area's control index: the items and relations in list order, and the relations of
// each item. A relation is listed under each of its end items (once for a self-link) while it
// is on the area, in the order of placement, which is the order of the control list: relations
// join at the end of the window-less part, and when an undo puts one back at its old position,
// the placements are numbered anew.

#include "diagram/AreaIndex_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "relations/TSchemaRelation.h"

#include <algorithm>

namespace Diduza {

// The lists follow the control list; while controls have only joined it since they were made,
// they are extended by the new ones, so that adding n items one by one costs n steps, not n².
const QVector<TSchemaItem *> &AreaIndex::items() const
{
    if (FItemsVersion != q->ControlListVersion()) {
        const QVector<QWidget *> &controls = q->WindowedControls();
        if (FItemsShape != q->ControlListShapeVersion() || FItemsScanned > controls.size()) {
            FItems.clear();
            FItemsScanned = 0;
        }
        for (qsizetype i = FItemsScanned; i < controls.size(); ++i) {
            if (auto *item = qobject_cast<TSchemaItem *>(controls.at(i)))
                FItems.append(item);
        }
        FItemsScanned = controls.size();
        FItemsShape = q->ControlListShapeVersion();
        FItemsVersion = q->ControlListVersion();
    }
    return FItems;
}

const QVector<TSchemaRelation *> &AreaIndex::relations() const
{
    if (FRelationsVersion != q->ControlListVersion()) {
        const QVector<TGraphicControl *> &controls = q->GraphicControls();
        if (FRelationsShape != q->ControlListShapeVersion()
            || FRelationsScanned > controls.size()) {
            FRelations.clear();
            FRelationsScanned = 0;
        }
        for (qsizetype i = FRelationsScanned; i < controls.size(); ++i) {
            if (auto *relation = qobject_cast<TSchemaRelation *>(controls.at(i)))
                FRelations.append(relation);
        }
        FRelationsScanned = controls.size();
        FRelationsShape = q->ControlListShapeVersion();
        FRelationsVersion = q->ControlListVersion();
    }
    return FRelations;
}

int AreaIndex::itemPosition(const TSchemaItem *item) const
{
    if (FItemPositionsVersion != q->ControlListVersion()) {
        // Extended by the items that joined at the end, while none left or moved.
        const QVector<TSchemaItem *> &list = items();
        if (FItemPositionsShape != q->ControlListShapeVersion()
            || FItemPositions.size() > list.size())
            FItemPositions.clear();
        FItemPositions.reserve(list.size());
        for (int i = int(FItemPositions.size()); i < list.size(); ++i)
            FItemPositions.insert(list[i], i);
        FItemPositionsShape = q->ControlListShapeVersion();
        FItemPositionsVersion = q->ControlListVersion();
    }
    return FItemPositions.value(item, -1);
}

QVector<TSchemaRelation *> AreaIndex::relationsOfItem(const TSchemaItem *item) const
{
    if (!item)
        return {};
    const QVector<TSchemaRelation *> indexed = FItemRelations.value(item);
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

bool AreaIndex::findRelation(const TSchemaRelation *Relation) const
{
    if (!Relation)
        return false;
    // A duplicate has Relation's parent item at one of its ends.
    const QVector<TSchemaRelation *> candidates
        = Relation->ParentItem() ? relationsOfItem(Relation->ParentItem()) : relations();
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

bool AreaIndex::findOtherRelation(
    const TSchemaRelation *Relation, const TSchemaItem *si, const TSchemaSubItem *SubItem) const
{
    const QVector<TSchemaRelation *> candidates = si ? relationsOfItem(si) : relations();
    for (const TSchemaRelation *r : candidates) {
        if (r == Relation)
            continue;
        if ((r->ParentItem() == si && r->ParentSubItem() == SubItem)
            || (r->ChildItem() == si && r->ChildSubItem() == SubItem))
            return true;
    }
    return false;
}

void AreaIndex::relationInserted(TSchemaRelation *relation)
{
    FEntries[relation].Placement = ++FPlacements;
    indexRelation(relation);
}

void AreaIndex::relationRemoved(TSchemaRelation *relation)
{
    unindexRelation(relation);
    FEntries.remove(relation);
}

void AreaIndex::relationsReordered()
{
    for (TSchemaRelation *relation : relations())
        FEntries[relation].Placement = ++FPlacements;
    const auto byPlacement = [this](const TSchemaRelation *a, const TSchemaRelation *b) {
        return placementOf(a) < placementOf(b);
    };
    for (QVector<TSchemaRelation *> &list : FItemRelations)
        std::sort(list.begin(), list.end(), byPlacement);
}

void AreaIndex::relationEndsChanged(TSchemaRelation *relation)
{
    if (relation && relation->Parent() == q)
        indexRelation(relation);
}

void AreaIndex::forgetItem(const TSchemaItem *item)
{
    const auto found = FItemRelations.constFind(item);
    if (found == FItemRelations.constEnd())
        return;
    for (TSchemaRelation *relation : found.value()) {
        const auto entry = FEntries.find(relation);
        if (entry == FEntries.end())
            continue;
        if (entry->Parent == item)
            entry->Parent = nullptr;
        if (entry->Child == item)
            entry->Child = nullptr;
    }
    FItemRelations.remove(item);
}

bool AreaIndex::isDeleting(const TSchemaRelation *relation) const
{
    return std::any_of(FDeleting.cbegin(), FDeleting.cend(),
        [relation](const QPointer<TSchemaRelation> &r) { return r.data() == relation; });
}

void AreaIndex::setDeleting(TSchemaRelation *relation, bool Value)
{
    FDeleting.removeAll(nullptr);
    FDeleting.removeAll(relation);
    if (Value)
        FDeleting.append(relation);
}

quint64 AreaIndex::placementOf(const TSchemaRelation *relation) const
{
    const auto entry = FEntries.constFind(relation);
    return entry == FEntries.constEnd() ? 0 : entry->Placement;
}

void AreaIndex::unindexRelation(TSchemaRelation *relation)
{
    const auto entry = FEntries.find(relation);
    if (entry == FEntries.end())
        return;
    for (const TSchemaItem *key : { entry->Parent, entry->Child }) {
        if (!key)
            continue;
        auto found = FItemRelations.find(key);
        if (found == FItemRelations.end())
            continue;
        found.value().removeOne(relation);
        if (found.value().isEmpty())
            FItemRelations.erase(found);
    }
    entry->Parent = entry->Child = nullptr;
}

void AreaIndex::indexRelation(TSchemaRelation *relation)
{
    unindexRelation(relation);
    Entry &entry = FEntries[relation];
    const TSchemaItem *parent = relation->ParentItem();
    const TSchemaItem *child = relation->ChildItem();
    entry.Parent = parent;
    entry.Child = child != parent ? child : nullptr;
    const quint64 placement = entry.Placement;
    for (const TSchemaItem *key : { entry.Parent, entry.Child }) {
        if (!key)
            continue;
        QVector<TSchemaRelation *> &list = FItemRelations[key];
        if (list.isEmpty() || placementOf(list.last()) < placement)
            list.append(relation);
        else
            list.insert(std::upper_bound(list.begin(), list.end(), placement,
                            [this](quint64 p, const TSchemaRelation *other) {
                                return p < placementOf(other);
                            }),
                relation);
    }
}

} // namespace Diduza
