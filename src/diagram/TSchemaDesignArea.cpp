#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include "diagram/SchemaAccessible_p.h"
#include "diagram/SchemaUndo_p.h"
#include "diagram/TSchemaFindBar.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TZkSRank.h"
#include "diagram/TfrmZkLinkTo.h"
#include "diagram/items/RowDrag_p.h"
#include "diagram/model/RankLayout.h"
#include "diagram/model/RelationRouting.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/CompareText.h"
#include "platform/DialogService.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "relations/TSchemaRelation.h"
#include "relations/TSchemaRelation_p.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QStyleOptionFocusRect>
#include <QUndoStack>

#include <algorithm>

namespace Diduza {

int CompareRanks(const TZkSRank &a, const TZkSRank &b)
{
    return b.RankWeight - a.RankWeight;
}

int CompareRankPairs(const TZkSRankPair &a, const TZkSRankPair &b)
{
    if (a.Item1 != b.Item1)
        return b.Item1 - a.Item1;
    return b.Item2 - a.Item2;
}

TSchemaDesignArea::TSchemaDesignArea(QWidget *AOwner)
    : TScrollBox(AOwner)
    , d(std::make_unique<TSchemaDesignAreaPrivate>(this))
{
    setObjectName(QStringLiteral("SchemaDesignArea"));
    SetShowItemToolbar(false);
    SetColor(clWhite);
    d->FActions = TZkSActions::All();
    // What OnDragOver accepts may be dropped on the bare area.
    viewport()->setAcceptDrops(true);
    InstallSchemaAccessibility();
    d->FUndoStack = new QUndoStack(this);
    // A history cleared while an undo or redo runs (by a handler) goes once the stack is done
    // with the step: the step being undone cannot be deleted under it.
    connect(d->FUndoStack, &QUndoStack::indexChanged, this, [this] {
        if (d->FHistoryCleared && !d->FRestoring)
            ClearHistory();
    });
}

void TSchemaDesignArea::ClearHistory()
{
    if (!d->FUndoStack)
        return;
    // The step being recorded names things of a diagram that is gone: it is not kept either.
    if (d->FUndoGroup)
        d->FUndoDiscarded = true;
    // While a step runs or is recorded into after it was pushed, it cannot go under it.
    d->FHistoryCleared = d->FRestoring || d->FRecordingLate;
    if (!d->FHistoryCleared)
        d->FUndoStack->clear();
}

TSchemaDesignArea::~TSchemaDesignArea()
{
    d->FDestroying = true; // what handlers add from now on is not made
    ++d->FUndoPaused;
    // Items and relations go first, while the events still exist: each item raises
    // OnDeleteItem as it is destroyed.
    ClearAll();
    // Owned items off the viewport go now too: never placed, or removed through their menu
    // and still waiting for their deferred deletion (parked on the area itself). Left to
    // QWidget's destructor they would raise OnDeleteItem on an area that is already gone.
    const QVector<QPointer<TSchemaItem>> owned = d->FOwnedItems;
    d->FOwnedItems.clear();
    for (const QPointer<TSchemaItem> &item : owned) {
        if (item)
            delete item.data();
    }
    // The image list has no owner; the other tool-bar parts go with the children.
    delete d->FtbImages;
    d->FtbImages = nullptr;
    DestroyChildren();
}

void TSchemaDesignAreaPrivate::RegisterOwnedItem(TSchemaItem *item)
{
    // Freed items are purged each time the list has doubled, not on every call: a load of N
    // items then costs N steps, not N squared.
    if (FOwnedItems.size() >= FOwnedItemsCompactAt) {
        FOwnedItems.erase(std::remove_if(FOwnedItems.begin(), FOwnedItems.end(),
                              [](const QPointer<TSchemaItem> &p) { return p.isNull(); }),
            FOwnedItems.end());
        FOwnedItemsCompactAt = std::max<qsizetype>(64, 2 * FOwnedItems.size());
    }
    FOwnedItems.append(item);
}

// ---------------------------------------------------------------------------------------------
// Items

TSchemaItem *TSchemaDesignArea::AddItem(const QString &ACaption, TSchemaControlType ControlType)
{
    return createItem(ACaption, ControlType, nullptr);
}

TSchemaItem *TSchemaDesignArea::AddItemObject(
    const QString &ACaption, TSchemaControlType ControlType, const QVariant &AObject)
{
    return createItem(ACaption, ControlType, &AObject);
}

TSchemaItem *TSchemaDesignArea::createItem(const QString &caption, TSchemaControlType type,
    const QVariant *object, std::exception_ptr *failure)
{
    if (d->FDestroying)
        return nullptr; // a handler adds while the area goes: nothing would stay
    SchemaUndoGroup step(this,
        QCoreApplication::translate("Diduza::TSchemaDesignArea", "Add %1").arg(StepName(caption)));
    TSchemaItem *item = TSchemaItem::CreateTyped(this, type);
    QPointer<TSchemaItem> guard(item);
    QUndoCommand *added = nullptr; // its record, dropped when the item does not stay
    try {
        item->SetCaption(caption);
        item->SetParent(this);
        item->Activate(QString(), 0, 0);
        if (QUndoCommand *parent = step.Parent()) {
            SchemaUndo::ItemAdded(parent, this, ItemPosition(this, item));
            added = const_cast<QUndoCommand *>(parent->child(parent->childCount() - 1));
        }
        const auto forget = qScopeGuard([&] {
            if (!guard && added)
                added->setObsolete(true); // the handler took the item away again
        });
        if (d->FKeyboardNavigation && item->ItemControl())
            item->ItemControl()->setFocusPolicy(Qt::StrongFocus);
        if (object)
            item->SetData(*object);
        RaiseEvent(d->FOnAddItem, this, item);
        return guard.data(); // null when the handler deleted the item
    } catch (...) {
        // A half-built item is destroyed (raising OnDeleteItem). Adding never raises: the error
        // goes to the caller that asked for it, else to the application's handler.
        const std::exception_ptr error = std::current_exception();
        if (added)
            added->setObsolete(true);
        delete guard.data();
        if (failure)
            *failure = error;
        else
            Guarded([&error] { std::rethrow_exception(error); });
        return nullptr;
    }
}

int TSchemaDesignArea::GetItemIndex(const TSchemaItem *item) const
{
    const int i = IndexOfControl(item);
    return i >= 0 && qobject_cast<TSchemaItem *>(Controls(i)) ? i : -1;
}

TSchemaItem *TSchemaDesignArea::FindItem(const QString &AItemName) const
{
    const QVector<TSchemaItem *> &list = items();
    for (int i = int(list.size()) - 1; i >= 0; --i) {
        if (SameText(list[i]->GetCaption(), AItemName))
            return list[i];
    }
    return nullptr;
}

// The lists follow the control list; while controls have only joined it since they were made,
// they are extended by the new ones, so that adding n items one by one costs n steps, not n².
const QVector<TSchemaItem *> &TSchemaDesignArea::items() const
{
    if (d->FItemsVersion != ControlListVersion()) {
        const QVector<QWidget *> &controls = WindowedControls();
        if (d->FItemsShape != ControlListShapeVersion() || d->FItemsScanned > controls.size()) {
            d->FItems.clear();
            d->FItemsScanned = 0;
        }
        for (qsizetype i = d->FItemsScanned; i < controls.size(); ++i) {
            if (auto *item = qobject_cast<TSchemaItem *>(controls.at(i)))
                d->FItems.append(item);
        }
        d->FItemsScanned = controls.size();
        d->FItemsShape = ControlListShapeVersion();
        d->FItemsVersion = ControlListVersion();
    }
    return d->FItems;
}

const QVector<TSchemaRelation *> &TSchemaDesignArea::relations() const
{
    if (d->FRelationsVersion != ControlListVersion()) {
        const QVector<TGraphicControl *> &controls = GraphicControls();
        if (d->FRelationsShape != ControlListShapeVersion()
            || d->FRelationsScanned > controls.size()) {
            d->FRelations.clear();
            d->FRelationsScanned = 0;
        }
        for (qsizetype i = d->FRelationsScanned; i < controls.size(); ++i) {
            if (auto *relation = qobject_cast<TSchemaRelation *>(controls.at(i)))
                d->FRelations.append(relation);
        }
        d->FRelationsScanned = controls.size();
        d->FRelationsShape = ControlListShapeVersion();
        d->FRelationsVersion = ControlListVersion();
    }
    return d->FRelations;
}

TSchemaItem *TSchemaDesignArea::GetItem(int Index) const
{
    const QVector<TSchemaItem *> &list = items();
    return Index >= 0 && Index < list.size() ? list[Index] : nullptr;
}

int TSchemaDesignArea::GetItemCount() const
{
    return int(items().size());
}

// ---------------------------------------------------------------------------------------------
// Relations

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

// ---------------------------------------------------------------------------------------------
// Ranking

void TSchemaDesignArea::AutoArrange()
{
    QVector<TZkSRank> ranks;
    const QVector<TSchemaItem *> list = items();
    for (int i = 0; i < list.size(); ++i)
        ranks.append(TZkSRank { i, list[i]->GetRank() });
    std::stable_sort(ranks.begin(), ranks.end(),
        [](const TZkSRank &a, const TZkSRank &b) { return CompareRanks(a, b) < 0; });
    for (const TZkSRank &rank : std::as_const(ranks))
        DialogService()->ShowMessage(this, QString::number(rank.RankWeight));
}

void TSchemaDesignArea::ArrangeByRank()
{
    RankLayoutInput input;
    QVector<TSchemaItem *> items;
    QHash<const TSchemaItem *, int> indexOf;
    for (int c = 0; c < ControlCount(); ++c) {
        if (auto *item = qobject_cast<TSchemaItem *>(Controls(c))) {
            indexOf.insert(item, int(items.size()));
            items << item;
            input.Sizes << item->size();
            input.Ranks << item->GetRank();
        }
    }
    for (int c = 0; c < ControlCount(); ++c) {
        if (auto *relation = qobject_cast<TSchemaRelation *>(Controls(c))) {
            if (indexOf.contains(relation->ParentItem()) && indexOf.contains(relation->ChildItem()))
                input.Links << std::pair { indexOf.value(relation->ParentItem()),
                    indexOf.value(relation->ChildItem()) };
        }
    }
    // Below the item tool bar, in the coordinates the diagram has when scrolled to its origin.
    if (d->FcbItems && d->FcbItems->isVisible())
        input.Origin.ry() += d->FcbItems->height();
    input.Origin -= ScrollPosition();
    const QVector<QPoint> corners = RankLayout(input);
    BeginUpdate();
    for (int i = 0; i < items.size(); ++i)
        items.at(i)->move(corners.at(i));
    EndUpdate();
    UpdateScrollRange();
}

// ---------------------------------------------------------------------------------------------
// Drawing suspension

void TSchemaDesignArea::BeginUpdate()
{
    if (!d->FIsLocked)
        d->FIsLocked = LockWindowUpdate(this);
}

void TSchemaDesignArea::EndUpdate()
{
    if (d->FIsLocked) {
        if (LockedWindow() == this)
            LockWindowUpdate(nullptr);
        d->FIsLocked = false;
    }
}

// ---------------------------------------------------------------------------------------------
// Menu commands

void TSchemaDesignArea::ChangeItemFont(QObject *Sender)
{
    auto *item = qobject_cast<TSchemaItem *>(Sender ? Sender->parent() : nullptr);
    if (!item)
        return;
    TFontValue font = item->GetFont();
    if (DialogService()->ExecuteFontDialog(this, font))
        item->SetFont(font);
}

void TSchemaDesignArea::ChangeBackground(QObject *Sender)
{
    QObject *owner = Sender ? Sender->parent() : nullptr;
    if (auto *relation = qobject_cast<TSchemaRelation *>(owner)) {
        TColor color = relation->Color();
        if (DialogService()->ExecuteColorDialog(this, color) && color != relation->Color())
            relation->SetColor(color);
    } else if (auto *item = qobject_cast<TSchemaItem *>(owner)) {
        TColor color = item->GetColor();
        if (DialogService()->ExecuteColorDialog(this, color) && color != item->GetColor())
            item->SetColor(color);
    }
}

void TSchemaDesignArea::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    Guarded([&] { RaiseEvent(d->FOnKeyDown, this, key, event->modifiers()); });
    if (key == 0) {
        event->accept();
        return;
    }
    const QString text = event->text();
    if (d->FOnKeyPress && !text.isEmpty()) {
        QChar ch = text.at(0);
        Guarded([&] { RaiseEvent(d->FOnKeyPress, this, ch); });
        if (ch.isNull()) {
            event->accept();
            return;
        }
    }
    if (d->FKeyboardNavigation && hasFocus() && navigationKey(event)) {
        event->accept();
        return;
    }
    TScrollBox::keyPressEvent(event);
}

void TSchemaDesignArea::keyReleaseEvent(QKeyEvent *event)
{
    int key = event->key();
    Guarded([&] { RaiseEvent(d->FOnKeyUp, this, key, event->modifiers()); });
    if (key == 0) {
        event->accept();
        return;
    }
    TScrollBox::keyReleaseEvent(event);
}

void TSchemaDesignArea::contextMenuEvent(QContextMenuEvent *event)
{
    if (d->FPopupMenu && !GraphicControlAt(viewport()->mapFrom(this, event->pos()))) {
        d->FPopupMenu->popup(event->globalPos());
        event->accept();
        return;
    }
    TScrollBox::contextMenuEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Drags from outside the diagram

void TSchemaDesignArea::DragOver(
    QObject *Sender, QObject *Source, int X, int Y, TDragState State, bool &Accept)
{
    Accept = false;
    if (Sender == this) {
        // A row of an item dragged over the bare area: its line follows the pointer.
        if (State == dsDragLeave)
            HideRowDrag();
        else
            ShowRowDrag(this, Source, QPoint(X, Y));
    }
    RaiseEvent(d->FOnDragOver, Sender, Source, X, Y, State, Accept);
}

void TSchemaDesignArea::DragDrop(QObject *Sender, QObject *Source, int X, int Y)
{
    RaiseEvent(d->FOnDragDrop, Sender, Source, X, Y);
}

void TSchemaDesignArea::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void TSchemaDesignArea::dragMoveEvent(QDragMoveEvent *event)
{
    // The event reaches the area through its viewport, in client coordinates.
    const QPoint p = event->position().toPoint();
    const TDragState state = event->type() == QEvent::DragEnter ? dsDragEnter : dsDragMove;
    bool accept = false;
    Guarded([&] { DragOver(this, event->source(), p.x(), p.y(), state, accept); });
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TSchemaDesignArea::dragLeaveEvent(QDragLeaveEvent *event)
{
    bool accept = false;
    Guarded([&] { DragOver(this, nullptr, -1, -1, dsDragLeave, accept); });
    event->accept();
}

void TSchemaDesignArea::dropEvent(QDropEvent *event)
{
    const QPoint p = event->position().toPoint();
    QObject *source = event->source();
    event->acceptProposedAction();
    Guarded([&] { DragDrop(this, source, p.x(), p.y()); }, true);
}

} // namespace Diduza
