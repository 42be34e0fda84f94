#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include "diagram/SchemaAccessible_p.h"
#include "diagram/TSchemaFindBar.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/TZkSRank.h"
#include "diagram/TfrmZkLinkTo.h"
#include "diagram/items/RowDragFeedback_p.h"
#include "diagram/model/RankLayout.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/Application.h"
#include "platform/CompareText.h"
#include "platform/DialogService.h"
#include "platform/DrawingSuspension.h"
#include "platform/TImageList.h"
#include "relations/TSchemaRelation.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScopeGuard>
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

TSchemaDesignAreaPrivate::TSchemaDesignAreaPrivate(TSchemaDesignArea *area)
    : q(area)
    , index(area)
    , undo(area)
    , database(area)
    , navigation(area)
    , toolbar(area)
{
}

namespace {
// Reaches the area's protected d-pointer from its private class.
struct AreaAccess : TSchemaDesignArea {
    static std::unique_ptr<TSchemaDesignAreaPrivate> TSchemaDesignArea::*member()
    {
        return &AreaAccess::d;
    }
};
} // namespace

TSchemaDesignAreaPrivate *TSchemaDesignAreaPrivate::get(TSchemaDesignArea *area)
{
    return (area->*AreaAccess::member()).get();
}

const TSchemaDesignAreaPrivate *TSchemaDesignAreaPrivate::get(const TSchemaDesignArea *area)
{
    return (area->*AreaAccess::member()).get();
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
    d->undo.createStack();
}

TSchemaDesignArea::~TSchemaDesignArea()
{
    d->FDestroying = true; // what handlers add from now on is not made
    d->navigation.stopFocusWatch(); // the focus leaves while the widgets go
    d->undo.pause();
    // Items and relations go first, while the events still exist: each item raises
    // OnDeleteItem as it is destroyed.
    ClearAll();
    d->DestroyOwnedItems();
    d->toolbar.releaseImages();
    DestroyChildren();
}

void TSchemaDesignAreaPrivate::DestroyOwnedItems()
{
    // Owned items off the viewport go now too: never placed, or removed through their menu
    // and still waiting for their deferred deletion (parked on the area itself). Left to
    // QWidget's destructor they would raise OnDeleteItem on an area that is already gone.
    const QVector<QPointer<TSchemaItem>> owned = FOwnedItems;
    FOwnedItems.clear();
    for (const QPointer<TSchemaItem> &item : owned) {
        if (item)
            delete item.data();
    }
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

bool TSchemaDesignAreaPrivate::HasFocusRing(const TSchemaItem *item) const
{
    return navigation.focusRingItem() == item;
}

// ---------------------------------------------------------------------------------------------
// Items

TSchemaItem *TSchemaDesignArea::AddItem(const QString &ACaption, TSchemaControlType ControlType)
{
    return d->createItem(ACaption, ControlType, nullptr);
}

TSchemaItem *TSchemaDesignArea::AddItemObject(
    const QString &ACaption, TSchemaControlType ControlType, const QVariant &AObject)
{
    return d->createItem(ACaption, ControlType, &AObject);
}

TSchemaItem *TSchemaDesignAreaPrivate::createItem(const QString &caption, TSchemaControlType type,
    const QVariant *object, std::exception_ptr *failure)
{
    if (FDestroying)
        return nullptr; // a handler adds while the area goes: nothing would stay
    TSchemaUndoGroup step(q,
        QCoreApplication::translate("Diduza::TSchemaDesignArea", "Add %1")
            .arg(TSchemaUndoGroup::StepName(caption)));
    TSchemaItem *item = TSchemaItem::CreateTyped(q, type);
    QPointer<TSchemaItem> guard(item);
    QUndoCommand *added = nullptr; // its record, dropped when the item does not stay
    try {
        item->SetCaption(caption);
        item->SetParent(q);
        item->Activate(QString(), 0, 0);
        added = undo.itemAdded(item);
        const auto forget = qScopeGuard([&] {
            if (!guard && added)
                added->setObsolete(true); // the handler took the item away again
        });
        if (navigation.keyboardNavigation() && item->ItemControl()) {
            item->ItemControl()->setFocusPolicy(Qt::StrongFocus);
            navigation.placeInTabOrder(item);
        }
        if (object)
            item->SetData(*object);
        RaiseEvent(FOnAddItem, q, item);
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
    const QVector<TSchemaItem *> &list = d->index.items();
    for (int i = int(list.size()) - 1; i >= 0; --i) {
        if (SameText(list[i]->GetCaption(), AItemName))
            return list[i];
    }
    return nullptr;
}

TSchemaItem *TSchemaDesignArea::GetItem(int Index) const
{
    const QVector<TSchemaItem *> &list = d->index.items();
    return Index >= 0 && Index < list.size() ? list[Index] : nullptr;
}

int TSchemaDesignArea::GetItemCount() const
{
    return int(d->index.items().size());
}

// ---------------------------------------------------------------------------------------------
// Ranking

void TSchemaDesignArea::AutoArrange()
{
    QVector<TZkSRank> ranks;
    const QVector<TSchemaItem *> list = d->index.items();
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
    if (QWidget *bar = CoolBar(); bar && bar->isVisible())
        input.Origin.ry() += bar->height();
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
    if (d->navigation.keyboardNavigation()) {
        // Keys the focused item's list left alone come here, its parents' parent.
        TSchemaItem *item = hasFocus() ? nullptr : d->navigation.focusedItem();
        if (hasFocus() ? d->navigation.areaKey(event)
                       : item && d->navigation.itemKey(item, event)) {
            event->accept();
            return;
        }
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

// ---------------------------------------------------------------------------------------------
// Properties

bool TSchemaDesignArea::IsDrawingCanvas() const
{
    return d->FDrawingCanvas;
}

bool TSchemaDesignArea::ReadOnly() const
{
    return d->FReadOnly;
}

void TSchemaDesignArea::SetReadOnly(bool Value)
{
    d->FReadOnly = Value;
}

TZkSActions TSchemaDesignArea::Actions() const
{
    return d->FActions;
}

void TSchemaDesignArea::SetActions(TZkSActions Value)
{
    d->FActions = Value;
}

TSchemaDesignArea::ActionFlags TSchemaDesignArea::ActionFlagsValue() const
{
    return ActionFlags(int(d->FActions.Bits()));
}

QMenu *TSchemaDesignArea::PopupMenu() const
{
    return d->FPopupMenu;
}

void TSchemaDesignArea::SetPopupMenu(QMenu *Value)
{
    d->FPopupMenu = Value;
}

TSchemaSubItemEvent TSchemaDesignArea::OnAddSubItem() const
{
    return d->FOnAddSubItem;
}

void TSchemaDesignArea::SetOnAddSubItem(TSchemaSubItemEvent Value)
{
    d->FOnAddSubItem = std::move(Value);
}

TSchemaItemEvent TSchemaDesignArea::OnAddItem() const
{
    return d->FOnAddItem;
}

void TSchemaDesignArea::SetOnAddItem(TSchemaItemEvent Value)
{
    d->FOnAddItem = std::move(Value);
}

TSchemaItemEvent TSchemaDesignArea::OnDeleteItem() const
{
    return d->FOnDeleteItem;
}

void TSchemaDesignArea::SetOnDeleteItem(TSchemaItemEvent Value)
{
    d->FOnDeleteItem = std::move(Value);
}

TSchemaRelationEvent TSchemaDesignArea::OnAddRelation() const
{
    return d->FOnAddRelation;
}

void TSchemaDesignArea::SetOnAddRelation(TSchemaRelationEvent Value)
{
    d->FOnAddRelation = std::move(Value);
}

TSchemaRelationEvent TSchemaDesignArea::OnDeleteRelation() const
{
    return d->FOnDeleteRelation;
}

void TSchemaDesignArea::SetOnDeleteRelation(TSchemaRelationEvent Value)
{
    d->FOnDeleteRelation = std::move(Value);
}

TSchemaCloseEvent TSchemaDesignArea::OnClose() const
{
    return d->FOnClose;
}

void TSchemaDesignArea::SetOnClose(TSchemaCloseEvent Value)
{
    d->FOnClose = std::move(Value);
}

TKeyEvent TSchemaDesignArea::OnKeyDown() const
{
    return d->FOnKeyDown;
}

void TSchemaDesignArea::SetOnKeyDown(TKeyEvent Value)
{
    d->FOnKeyDown = std::move(Value);
}

TKeyPressEvent TSchemaDesignArea::OnKeyPress() const
{
    return d->FOnKeyPress;
}

void TSchemaDesignArea::SetOnKeyPress(TKeyPressEvent Value)
{
    d->FOnKeyPress = std::move(Value);
}

TKeyEvent TSchemaDesignArea::OnKeyUp() const
{
    return d->FOnKeyUp;
}

void TSchemaDesignArea::SetOnKeyUp(TKeyEvent Value)
{
    d->FOnKeyUp = std::move(Value);
}

TDragOverEvent TSchemaDesignArea::OnDragOver() const
{
    return d->FOnDragOver;
}

void TSchemaDesignArea::SetOnDragOver(TDragOverEvent Value)
{
    d->FOnDragOver = std::move(Value);
}

TDragDropEvent TSchemaDesignArea::OnDragDrop() const
{
    return d->FOnDragDrop;
}

void TSchemaDesignArea::SetOnDragDrop(TDragDropEvent Value)
{
    d->FOnDragDrop = std::move(Value);
}

bool TSchemaDesignArea::IsLocked() const
{
    return d->FIsLocked;
}

bool TSchemaDesignArea::IsScrolling() const
{
    return d->FScrolling;
}

TSchemaDataEngine *TSchemaDesignArea::DataEngine() const
{
    return d->FDataEngine;
}

void TSchemaDesignArea::SetDataEngine(TSchemaDataEngine *Value)
{
    d->FDataEngine = Value;
}

TImageList *TSchemaDesignArea::Images() const
{
    return d->FImages;
}

void TSchemaDesignArea::SetImages(TImageList *Value)
{
    if (d->FImages == Value)
        return;
    d->FImages = Value;
    viewport()->update();
    const QVector<TSchemaItem *> list = d->index.items();
    for (TSchemaItem *item : list) {
        if (QWidget *control = item->ItemControl())
            control->update();
    }
}

TImageList *TSchemaDesignArea::StateImages() const
{
    return d->FStateImages;
}

void TSchemaDesignArea::SetStateImages(TImageList *Value)
{
    if (d->FStateImages == Value)
        return;
    d->FStateImages = Value;
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Undo (kept by the area's AreaUndoRecorder)

QUndoStack *TSchemaDesignArea::UndoStack() const
{
    return d->undo.stack();
}

QAction *TSchemaDesignArea::UndoAction()
{
    return d->undo.undoAction();
}

QAction *TSchemaDesignArea::RedoAction()
{
    return d->undo.redoAction();
}

bool TSchemaDesignArea::IsRestoring() const
{
    return d->undo.isRestoring();
}

void TSchemaDesignArea::BeginUndoGroup(const QString &Text)
{
    d->undo.beginGroup(Text);
}

void TSchemaDesignArea::EndUndoGroup()
{
    d->undo.endGroup();
}

QUndoCommand *TSchemaDesignArea::UndoGroupCommand() const
{
    return d->undo.groupCommand();
}

} // namespace Diduza
