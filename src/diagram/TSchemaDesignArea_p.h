#pragma once

// The design area's own state and the collaborators that do its work: the control index, the
// undo recorder, the database side, keyboard navigation and the item tool bar. Its items,
// relations, undo commands and tool files reach it through TSchemaDesignAreaPrivate::get. Not
// installed.

#include "diagram/AreaDatabase_p.h"
#include "diagram/AreaIndex_p.h"
#include "diagram/AreaNavigation_p.h"
#include "diagram/AreaToolbar_p.h"
#include "diagram/AreaUndoRecorder_p.h"
#include "diagram/TSchemaDesignArea.h"

#include <QPointer>
#include <QVector>

#include <exception>
#include <functional>

class QKeyEvent;
class QMenu;

namespace Diduza {

namespace SchemaFile {
struct TSchemaFileItem;
}

class TSchemaDesignAreaPrivate {
public:
    explicit TSchemaDesignAreaPrivate(TSchemaDesignArea *area);
    static TSchemaDesignAreaPrivate *get(TSchemaDesignArea *area);
    static const TSchemaDesignAreaPrivate *get(const TSchemaDesignArea *area);

    // An item created with this area as owner and never placed is freed with it.
    void RegisterOwnedItem(TSchemaItem *item);
    // The owned items that are still alive go (the area's destructor).
    void DestroyOwnedItems();
    // An item is going away; its relations are no longer listed under it.
    void ForgetItem(const TSchemaItem *item) { index.forgetItem(item); }
    // See AreaUndoRecorder::itemRemovalDeferred and raiseDeferredRemoval.
    void ItemRemovalDeferred(TSchemaItem *item) { undo.itemRemovalDeferred(item); }
    void RaiseDeferredRemoval(TSchemaItem *item, const std::function<void()> &Raise)
    {
        undo.raiseDeferredRemoval(item, Raise);
    }
    // A relation's parent or child item changed; it is listed anew.
    void RelationEndsChanged(TSchemaRelation *relation) { index.relationEndsChanged(relation); }
    // An item's highlight went on or off; the area draws the rings round them.
    void ItemHighlightChanged(TSchemaItem *item);
    // The item whose menu is about to open: the link and related-tables actions' item then.
    void SetMenuItem(TSchemaItem *item) { navigation.setMenuItem(item); }
    void SetRelatedTablesItem(TSchemaItem *item) { database.setRelatedTablesItem(item); }
    // See AreaNavigation.
    TSchemaItem *FocusedItem() const { return navigation.focusedItem(); }
    bool ItemKey(TSchemaItem *item, QKeyEvent *event) { return navigation.itemKey(item, event); }
    void ShowAdded(const QVector<TSchemaItem *> &added) { navigation.showAdded(added); }
    // True when item has the focus frame of keyboard navigation.
    bool HasFocusRing(const TSchemaItem *item) const;

    // Creates an item; on failure destroys it and returns nullptr, the error stored in
    // *failure when given, else handed to the application's exception handler.
    TSchemaItem *createItem(const QString &caption, TSchemaControlType type, const QVariant *object,
        std::exception_ptr *failure = nullptr);
    // Deletes relation as its menu does (deferred: from its own menu), raising OnDeleteRelation.
    void destroyRelation(TSchemaRelation *relation, bool deferred);
    // A relation left: row of item shows unlinked unless another relation ends there.
    void unmarkRow(TSchemaRelation *relation, TSchemaItem *item, TSchemaSubItem *row);
    // While drawing is suspended, a loaded item is polished and laid out at once, and the
    // repaint requests pending are dropped, so that the diagram is painted once when drawing
    // resumes.
    void settleLoadedItem(TSchemaItem *item);
    void dropPendingRepaints();
    // Everything the schema file keeps of an item (what undo captures of it too).
    static SchemaFile::TSchemaFileItem itemFileData(const TSchemaItem *item);

    TSchemaDesignArea *const q;
    AreaIndex index;
    AreaUndoRecorder undo;
    AreaDatabase database;
    AreaNavigation navigation;
    AreaToolbar toolbar;

    bool FReadOnly = false;
    QPointer<TSchemaDataEngine> FDataEngine;
    TSchemaSubItemEvent FOnAddSubItem;
    TSchemaItemEvent FOnAddItem;
    TSchemaItemEvent FOnDeleteItem;
    TSchemaRelationEvent FOnAddRelation;
    TSchemaRelationEvent FOnDeleteRelation;
    QPointer<TImageList> FImages;
    QPointer<TImageList> FStateImages;
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
    QVector<QPointer<TSchemaItem>> FOwnedItems;
    qsizetype FOwnedItemsCompactAt = 64; // purge freed entries when the list reaches it
    QVector<QPointer<TSchemaItem>> FHighlighted;
    bool FDestroying = false; // in the destructor: handlers' additions are not made
    bool FDrawingCanvas = false;
};

} // namespace Diduza
