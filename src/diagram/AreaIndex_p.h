#pragma once

// The control index of a design area: its items and relations in list order (rebuilt when the
// control list has changed), where each item stands among the items, and the relations of each
// item in placement order, with what the index keeps about each relation (when it was placed,
// the items it is listed under, whether the area is deleting it). Owned by
// TSchemaDesignAreaPrivate. Not installed.

#include <QHash>
#include <QPointer>
#include <QVector>

namespace Diduza {

class TSchemaDesignArea;
class TSchemaItem;
class TSchemaRelation;
class TSchemaSubItem;

class AreaIndex {
public:
    explicit AreaIndex(TSchemaDesignArea *area)
        : q(area)
    {
    }

    // The items and the relations in list order, current.
    const QVector<TSchemaItem *> &items() const;
    const QVector<TSchemaRelation *> &relations() const;
    // Where item stands among the items, or -1.
    int itemPosition(const TSchemaItem *item) const;
    // The relations of the area whose parent or child item is item, in list order.
    QVector<TSchemaRelation *> relationsOfItem(const TSchemaItem *item) const;

    // True when another relation joins the same rows as Relation, in either direction.
    bool findRelation(const TSchemaRelation *Relation) const;
    // True when a relation other than Relation ends at row SubItem of item si.
    bool findOtherRelation(const TSchemaRelation *Relation, const TSchemaItem *si,
        const TSchemaSubItem *SubItem) const;

    // A relation joined the control list at its end: it is placed last and listed.
    void relationInserted(TSchemaRelation *relation);
    // A relation left the control list: it is no longer listed.
    void relationRemoved(TSchemaRelation *relation);
    // The control list was reordered: the placements are numbered anew in list order.
    void relationsReordered();
    // A relation's parent or child item changed; it is listed anew.
    void relationEndsChanged(TSchemaRelation *relation);
    // An item is going away; its relations are no longer listed under it.
    void forgetItem(const TSchemaItem *item);

    // While the area deletes relation (its OnDeleteRelation runs) it is not deleted again.
    bool isDeleting(const TSchemaRelation *relation) const;
    void setDeleting(TSchemaRelation *relation, bool Value);

private:
    // What the index keeps of a relation on the area: when it was placed there, and the items
    // it is listed under (never dereferenced).
    struct Entry {
        quint64 Placement = 0;
        const TSchemaItem *Parent = nullptr;
        const TSchemaItem *Child = nullptr;
    };
    quint64 placementOf(const TSchemaRelation *relation) const;
    void indexRelation(TSchemaRelation *relation);
    void unindexRelation(TSchemaRelation *relation);

    TSchemaDesignArea *const q;
    mutable QVector<TSchemaItem *> FItems;
    mutable QVector<TSchemaRelation *> FRelations;
    mutable quint64 FItemsVersion = ~quint64(0);
    mutable quint64 FRelationsVersion = ~quint64(0);
    // The shape of the control list the lists were last made for, and how far they reach.
    mutable quint64 FItemsShape = ~quint64(0);
    mutable quint64 FRelationsShape = ~quint64(0);
    mutable qsizetype FItemsScanned = 0;
    mutable qsizetype FRelationsScanned = 0;
    mutable quint64 FItemPositionsShape = ~quint64(0);
    // Where each item stands among the items, made when first asked for after a change.
    mutable QHash<const TSchemaItem *, int> FItemPositions;
    mutable quint64 FItemPositionsVersion = ~quint64(0);
    // The relations on the area by each of their end items, in placement order.
    QHash<const TSchemaItem *, QVector<TSchemaRelation *>> FItemRelations;
    QHash<const TSchemaRelation *, Entry> FEntries;
    quint64 FPlacements = 0;
    // The relations being deleted (guarded: a handler may destroy one meanwhile).
    QVector<QPointer<TSchemaRelation>> FDeleting;
};

} // namespace Diduza
