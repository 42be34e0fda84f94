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
    QObject::disconnect(d->FFocusWatch); // the focus leaves while the widgets go
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
        if (d->FKeyboardNavigation && item->ItemControl()) {
            item->ItemControl()->setFocusPolicy(Qt::StrongFocus);
            d->PlaceInTabOrder(item);
        }
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
    if (d->FKeyboardNavigation) {
        // Keys the focused item's list left alone come here, its parents' parent.
        TSchemaItem *item = hasFocus() ? nullptr : d->FocusedItem();
        if (hasFocus() ? navigationKey(event) : item && d->ItemKey(item, event)) {
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

} // namespace Diduza
