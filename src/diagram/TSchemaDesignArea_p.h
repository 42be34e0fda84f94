#pragma once

// The design area's own state, which its items, relations, undo commands and tool files reach
// through TSchemaDesignAreaPrivate::get. Not installed.

#include "diagram/TSchemaDesignArea.h"
#include "engines/SchemaCatalog.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QPointer>
#include <QToolBar>
#include <QVector>

#include <functional>

class QKeyEvent;

namespace Diduza {

class TSchemaDesignAreaPrivate {
public:
    explicit TSchemaDesignAreaPrivate(TSchemaDesignArea *area)
        : q(area)
    {
    }
    static TSchemaDesignAreaPrivate *get(TSchemaDesignArea *area) { return area->d.get(); }
    static const TSchemaDesignAreaPrivate *get(const TSchemaDesignArea *area)
    {
        return area->d.get();
    }

    // an item created with this area as owner and never placed is freed with it.
    void RegisterOwnedItem(TSchemaItem *item);
    // an item is going away; its relations are no longer listed under it.
    void ForgetItem(const TSchemaItem *item);
    // item is taken off the diagram in the step being recorded and destroyed later
    // (deleted from its own menu); what handlers change when it goes joins that step. Called
    // while the item still stands on the diagram.
    void ItemRemovalDeferred(TSchemaItem *item);
    // runs Raise (the item's OnDeleteItem) recording into the step that removed
    // item, when ItemRemovalDeferred named it and that step is still done on the stack.
    void RaiseDeferredRemoval(TSchemaItem *item, const std::function<void()> &Raise);
    // a relation's parent or child item changed; it is listed anew.
    void RelationEndsChanged(TSchemaRelation *relation);
    // an item's highlight went on or off; the area draws the rings round them.
    void ItemHighlightChanged(TSchemaItem *item);
    // the item whose menu is about to open (the link action's source then).
    void SetMenuItem(TSchemaItem *item);
    // the item whose menu is about to open (the related-tables action's item then).
    void SetRelatedTablesItem(TSchemaItem *item);

    // Keyboard navigation (TSchemaDesignAreaFind.cpp).
    // The item of this area whose inner control has the focus, or null.
    TSchemaItem *FocusedItem() const;
    // A key pressed in item's inner control that navigation handles (Enter, Delete, the menu
    // key); true when it was handled.
    bool ItemKey(TSchemaItem *item, QKeyEvent *event);
    // Puts item's inner control into the focus chain after the area and the items before it.
    void PlaceInTabOrder(TSchemaItem *item);
    // Scrolls to what a command added: the bounding box of the items, or its top left part.
    void ShowAdded(const QVector<TSchemaItem *> &added);
    // The focus moved: the item whose rows have it gets the focus frame round it.
    void FocusMoved();
    // Where the focus frame round item is drawn, in client coordinates.
    static QRect FocusRingRect(const TSchemaItem *item);

    TSchemaDesignArea *const q;
    bool FReadOnly = false;
    QPointer<TSchemaDataEngine> FDataEngine;
    TSchemaSubItemEvent FOnAddSubItem;
    TSchemaItemEvent FOnAddItem;
    TSchemaItemEvent FOnDeleteItem;
    TSchemaRelationEvent FOnAddRelation;
    TSchemaRelationEvent FOnDeleteRelation;
    QPointer<TImageList> FImages;
    QPointer<TImageList> FStateImages;
    bool FShowItemToolbar = false;
    TZkSActions FActions = TZkSActions::All();
    TSchemaCloseEvent FOnClose;
    TKeyEvent FOnKeyDown;
    TKeyPressEvent FOnKeyPress;
    TKeyEvent FOnKeyUp;
    TDragOverEvent FOnDragOver;
    TDragDropEvent FOnDragDrop;
    bool FIsLocked = false;
    bool FScrolling = false;
    QPointer<QMenu> FPopupMenu;
    QPointer<QWidget> FcbItems;
    QPointer<QToolBar> FtbItems;
    TImageList *FtbImages = nullptr;
    QPointer<QMenu> pmIconList;
    QVector<QPointer<TSchemaItem>> FOwnedItems;
    qsizetype FOwnedItemsCompactAt = 64; // purge freed entries when the list reaches it

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
    quint64 FPlacements = 0;
    QVector<QPointer<TSchemaItem>> FHighlighted;
    QPointer<QAction> FFindAction;
    QPointer<QAction> FLinkAction;
    bool FKeyboardNavigation = false;
    QUndoStack *FUndoStack = nullptr;
    QPointer<QAction> FUndoAction;
    QPointer<QAction> FRedoAction;
    bool FRestoring = false;
    bool FHistoryCleared = false; // cleared while restoring: clear once the stack is done
    bool FRecordingLate = false; // recording into a step on the stack (RaiseDeferredRemoval)
    bool FUndoDiscarded = false; // the open step is dropped: the history was cleared in it
    bool FDestroying = false; // in the destructor: handlers' additions are not made
    bool FDrawingCanvas = false;
    int FUndoPaused = 0;
    int FUndoDepth = 0;
    QUndoCommand *FUndoGroup = nullptr;
    QPointer<TSchemaRelation> FCurrentRelation;
    QPointer<TSchemaItem> FMenuItem;
    const TSchemaItem *FDeferredItem = nullptr;
    int FDeferredPosition = -1; // where it stood among the items
    UndoStep *FDeferredStep = nullptr; // checked against the stack before use
    QPointer<TSchemaFindBar> FFindBar;

    bool FShowKeys = false;
    TSchemaCatalog FCatalog;
    QPointer<QAction> FRelatedTablesAction;
    QPointer<TSchemaItem> FRelatedTablesItem;
    QPointer<QAction> FAllTablesAction;
    // With navigation, the item whose rows have the focus (held as a widget: the focus leaves
    // an item while it is destroyed).
    QPointer<QWidget> FFocusRingItem;
    QMetaObject::Connection FFocusWatch;
    TSchemaControlType FAllTablesType = scListBox;
};

} // namespace Diduza
