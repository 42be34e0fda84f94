// The design area's undo recorder: the stack, its actions, and the steps recorded into it.

#include "diagram/AreaUndoRecorder_p.h"

#include "diagram/SchemaUndo_p.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "platform/Application.h"
#include "relations/TSchemaRelation.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QScopeGuard>
#include <QUndoStack>

namespace Diduza {

// One step of the stack: the records of one change and of what the handlers changed in answer.
// Its first redo is QUndoStack::push, after the changes were made: it does nothing.
class UndoStep : public QUndoCommand {
public:
    UndoStep(TSchemaDesignArea *area, AreaUndoRecorder *recorder, const QString &text)
        : QUndoCommand(text)
        , FArea(area)
        , FRecorder(recorder)
    {
    }
    void redo() override
    {
        if (!FPushed) {
            FPushed = true;
            return;
        }
        run([this] {
            FLate.redo();
            QUndoCommand::redo();
        });
    }
    void undo() override
    {
        // What was recorded late (when an item removed in this step was destroyed) depends on
        // the step's own records: undone after them, redone before them.
        run([this] {
            QUndoCommand::undo();
            FLate.undo();
        });
    }
    // The records made after the step was pushed.
    QUndoCommand *Late() { return &FLate; }

private:
    template <typename F> void run(F f)
    {
        if (!FArea)
            return;
        // The recorder lives as long as the area.
        const bool was = FRecorder->setRestoring(true);
        const auto restore = qScopeGuard([&] {
            if (FArea)
                FRecorder->setRestoring(was);
        });
        Guarded(f);
    }
    QPointer<TSchemaDesignArea> FArea;
    AreaUndoRecorder *const FRecorder;
    bool FPushed = false;
    QUndoCommand FLate;
};

void AreaUndoRecorder::createStack()
{
    FUndoStack = new QUndoStack(q);
    // A history cleared while an undo or redo runs (by a handler) goes once the stack is done
    // with the step: the step being undone cannot be deleted under it.
    QObject::connect(FUndoStack, &QUndoStack::indexChanged, q, [this] {
        if (FHistoryCleared && !FRestoring)
            clearHistory();
    });
}

bool AreaUndoRecorder::setRestoring(bool Value)
{
    const bool was = FRestoring;
    FRestoring = Value;
    return was;
}

void AreaUndoRecorder::clearHistory()
{
    if (!FUndoStack)
        return;
    // The step being recorded names things of a diagram that is gone: it is not kept either.
    if (FUndoGroup)
        FUndoDiscarded = true;
    // While a step runs or is recorded into after it was pushed, it cannot go under it.
    FHistoryCleared = FRestoring || FRecordingLate;
    if (!FHistoryCleared)
        FUndoStack->clear();
}

void AreaUndoRecorder::itemRemovalDeferred(TSchemaItem *item)
{
    FDeferredItem = nullptr;
    FDeferredPosition = itemPosition(item);
    FDeferredItem = item;
    FDeferredStep = dynamic_cast<UndoStep *>(groupCommand());
}

void AreaUndoRecorder::raiseDeferredRemoval(TSchemaItem *item, const std::function<void()> &Raise)
{
    if (!item || item != FDeferredItem) {
        Raise();
        return;
    }
    UndoStep *step = FDeferredStep;
    const auto forget = qScopeGuard([this] {
        FDeferredItem = nullptr;
        FDeferredPosition = -1;
        FDeferredStep = nullptr;
    });
    // Only into a step that is still on the stack and done, and with nothing else recording.
    bool done = false;
    for (int i = 0; step && FUndoStack && i < FUndoStack->index() && !done; ++i)
        done = FUndoStack->command(i) == step;
    if (!done || FUndoDepth > 0 || FRestoring || FUndoPaused > 0) {
        Raise();
        return;
    }
    FUndoGroup = step->Late();
    FUndoDepth = 1;
    FRecordingLate = true;
    const auto close = qScopeGuard([this] {
        FUndoGroup = nullptr;
        FUndoDepth = 0;
        FRecordingLate = false;
        FUndoDiscarded = false;
        if (FHistoryCleared)
            clearHistory(); // a handler cleared the area meanwhile
    });
    Raise();
}

QAction *AreaUndoRecorder::undoAction()
{
    if (!FUndoAction) {
        FUndoAction = FUndoStack->createUndoAction(
            q, QCoreApplication::translate("Diduza::TSchemaDesignArea", "&Undo"));
        FUndoAction->setShortcut(QKeySequence::Undo);
        FUndoAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        q->addAction(FUndoAction);
    }
    return FUndoAction;
}

QAction *AreaUndoRecorder::redoAction()
{
    if (!FRedoAction) {
        FRedoAction = FUndoStack->createRedoAction(
            q, QCoreApplication::translate("Diduza::TSchemaDesignArea", "&Redo"));
        // The platform's redo keys, then both usual ones: each platform's scheme has only one.
        QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Redo);
        for (const QKeySequence &usual : { QKeySequence(Qt::CTRL | Qt::Key_Y),
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) }) {
            if (!keys.contains(usual))
                keys << usual;
        }
        FRedoAction->setShortcuts(keys);
        FRedoAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        q->addAction(FRedoAction);
    }
    return FRedoAction;
}

void AreaUndoRecorder::beginGroup(const QString &Text)
{
    if (FUndoDepth++ == 0 && FUndoStack && !FRestoring && FUndoPaused == 0)
        FUndoGroup = new UndoStep(q, this, Text);
}

void AreaUndoRecorder::endGroup()
{
    if (FUndoDepth == 0 || --FUndoDepth > 0)
        return;
    QUndoCommand *step = FUndoGroup;
    FUndoGroup = nullptr;
    const bool discarded = FUndoDiscarded;
    FUndoDiscarded = false;
    if (step && !discarded && step->childCount() > 0 && FUndoStack)
        FUndoStack->push(step);
    else
        delete step;
}

QUndoCommand *AreaUndoRecorder::groupCommand() const
{
    return FRestoring || FUndoPaused > 0 || FUndoDiscarded ? nullptr : FUndoGroup;
}

void AreaUndoRecorder::dropOpenStep()
{
    delete FUndoGroup;
    FUndoGroup = nullptr;
}

int AreaUndoRecorder::itemPosition(const TSchemaItem *item) const
{
    if (!item)
        return -1;
    // An item deleted from its menu is off the list until it is destroyed: it is named by where
    // it stood.
    if (isDeferred(item))
        return deferredPosition(item);
    return TSchemaDesignAreaPrivate::get(q)->index.itemPosition(item);
}

QUndoCommand *AreaUndoRecorder::itemAdded(const TSchemaItem *item)
{
    QUndoCommand *parent = groupCommand();
    if (!parent)
        return nullptr;
    SchemaUndo::ItemAdded(parent, q, itemPosition(item));
    return const_cast<QUndoCommand *>(parent->child(parent->childCount() - 1));
}

void AreaUndoRecorder::itemRemoved(const TSchemaItem *item)
{
    if (QUndoCommand *parent = groupCommand())
        SchemaUndo::ItemRemoved(parent, q, itemPosition(item), CaptureItemLook(item));
}

void AreaUndoRecorder::itemMoved(const TSchemaItem *item, const QRect &before, const QRect &after)
{
    if (QUndoCommand *parent = groupCommand())
        SchemaUndo::ItemMoved(parent, q, itemPosition(item), before, after);
}

void AreaUndoRecorder::captionChanged(
    const TSchemaItem *item, const QString &before, const QString &after)
{
    if (QUndoCommand *parent = groupCommand())
        SchemaUndo::CaptionChanged(parent, q, itemPosition(item), before, after);
}

void AreaUndoRecorder::colorChanged(
    const TSchemaItem *item, TColor before, TColor beforeInner, TColor after)
{
    if (QUndoCommand *parent = groupCommand())
        SchemaUndo::ColorChanged(parent, q, itemPosition(item), before, beforeInner, after);
}

void AreaUndoRecorder::fontChanged(
    const TSchemaItem *item, const TFontValue &before, const TFontValue &after)
{
    if (QUndoCommand *parent = groupCommand())
        SchemaUndo::FontChanged(parent, q, itemPosition(item), before, after);
}

void AreaUndoRecorder::rowTicked(const TSchemaSubItem *row, bool checked)
{
    const TSchemaItem *item = row->ItemOwner();
    if (QUndoCommand *parent = groupCommand())
        SchemaUndo::RowTicked(parent, q, itemPosition(item), item->GetIndexBySubItem(row), checked);
}

void AreaUndoRecorder::relationAdded(const TSchemaRelation *relation)
{
    if (QUndoCommand *parent = groupCommand())
        SchemaUndo::RelationAdded(parent, q, q->IndexOfControl(relation));
}

void AreaUndoRecorder::relationDeleted(TSchemaRelation *relation)
{
    if (QUndoCommand *parent = groupCommand())
        SchemaUndo::RelationDeleted(parent, q, relation);
}

void AreaUndoRecorder::relationChanged(TSchemaRelation *relation,
    TSDRelationOperator beforeOperator, TSDRelationJoin beforeJoin, TSDRelationType beforeType)
{
    if (QUndoCommand *parent = groupCommand())
        SchemaUndo::RelationChanged(parent, q, q->IndexOfControl(relation), beforeOperator,
            beforeJoin, beforeType, relation);
}

} // namespace Diduza
