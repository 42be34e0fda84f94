#pragma once

// The undo recorder of a design area: its stack and actions, the step being recorded (groups
// nest; the outermost names the step), the pauses of recording, and the late records of an
// item removed from its menu and destroyed later. Owned by TSchemaDesignAreaPrivate. Not
// installed.

#include "platform/SchemaTypes.h"
#include "platform/TColor.h"
#include "platform/TFontValue.h"

#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>

class QAction;
class QUndoCommand;
class QUndoStack;

namespace Diduza {

class TSchemaDesignArea;
class TSchemaItem;
class TSchemaRelation;
class TSchemaSubItem;
class UndoStep;

class AreaUndoRecorder {
public:
    explicit AreaUndoRecorder(TSchemaDesignArea *area)
        : q(area)
    {
    }

    // Makes the stack; a history cleared while an undo or redo runs goes once it is done.
    void createStack();
    QUndoStack *stack() const { return FUndoStack; }
    QAction *undoAction();
    QAction *redoAction();

    // Clears the undo stack, or, while an undo or redo runs, once it has finished.
    void clearHistory();
    bool isRestoring() const { return FRestoring; }
    // Sets IsRestoring while a step is undone or redone; returns what it was.
    bool setRestoring(bool Value);

    void beginGroup(const QString &Text);
    void endGroup();
    // The open step, when the area records now (null otherwise).
    QUndoCommand *groupCommand() const;
    // How deep the open groups nest (0: no step is open).
    int depth() const { return FUndoDepth; }
    // Recording stops until as many resumes (ClearAll, the destructor, a call taken back).
    void pause() { ++FUndoPaused; }
    void resume() { --FUndoPaused; }
    // Deletes the open step with its records; the groups still close as usual.
    void dropOpenStep();

    // item is taken off the diagram in the step being recorded and destroyed later (deleted
    // from its own menu); what handlers change when it goes joins that step. Called while the
    // item still stands on the diagram.
    void itemRemovalDeferred(TSchemaItem *item);
    // Runs Raise (the item's OnDeleteItem) recording into the step that removed item, when
    // itemRemovalDeferred named it and that step is still done on the stack.
    void raiseDeferredRemoval(TSchemaItem *item, const std::function<void()> &Raise);
    // Where item stood among the items when its removal was deferred; -1 for any other item.
    int deferredPosition(const TSchemaItem *item) const
    {
        return item == FDeferredItem ? FDeferredPosition : -1;
    }
    bool isDeferred(const TSchemaItem *item) const { return item && item == FDeferredItem; }
    // Where item stands among the items as the records name it: where it stood when its
    // removal was deferred; -1 for none.
    int itemPosition(const TSchemaItem *item) const;

    // The records of the changes, each made after its change as a child of the open step;
    // nothing while the area does not record.
    // An item added; returns its record (null when none was made).
    QUndoCommand *itemAdded(const TSchemaItem *item);
    // An item about to be removed; the record keeps how it looks.
    void itemRemoved(const TSchemaItem *item);
    void itemMoved(const TSchemaItem *item, const QRect &before, const QRect &after);
    void captionChanged(const TSchemaItem *item, const QString &before, const QString &after);
    // The item's colour set from before to after; beforeInner is its inner list's colour then.
    void colorChanged(const TSchemaItem *item, TColor before, TColor beforeInner, TColor after);
    void fontChanged(const TSchemaItem *item, const TFontValue &before, const TFontValue &after);
    void rowTicked(const TSchemaSubItem *row, bool checked);
    void relationAdded(const TSchemaRelation *relation);
    // A relation about to be deleted.
    void relationDeleted(TSchemaRelation *relation);
    // The relation's operator, join and type were before...; the record keeps them and what
    // the relation holds now.
    void relationChanged(TSchemaRelation *relation, TSDRelationOperator beforeOperator,
        TSDRelationJoin beforeJoin, TSDRelationType beforeType);

private:
    TSchemaDesignArea *const q;
    QUndoStack *FUndoStack = nullptr;
    QPointer<QAction> FUndoAction;
    QPointer<QAction> FRedoAction;
    bool FRestoring = false;
    bool FHistoryCleared = false; // cleared while restoring: clear once the stack is done
    bool FRecordingLate = false; // recording into a step on the stack (raiseDeferredRemoval)
    bool FUndoDiscarded = false; // the open step is dropped: the history was cleared in it
    int FUndoPaused = 0;
    int FUndoDepth = 0;
    QUndoCommand *FUndoGroup = nullptr;
    const TSchemaItem *FDeferredItem = nullptr;
    int FDeferredPosition = -1; // where it stood among the items
    UndoStep *FDeferredStep = nullptr; // checked against the stack before use
};

} // namespace Diduza
