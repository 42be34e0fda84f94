#pragma once

// Undo and redo of diagram changes (not part of the public API). Every change that the area,
// its items, rows and relations make while recording is described by a small command that
// names what it changed by position (the n-th item, its m-th row, the k-th relation): commands
// are undone and redone strictly in stack order, so positions name the same things again. The
// commands of one user action (and of whatever the event handlers changed in answer) form one
// step. Undo and redo go through the same public operations as the user's changes, so the same
// events fire; while they run, TSchemaDesignArea::IsRestoring is true and nothing is recorded.

#include "diagram/model/SchemaFile.h"
#include "platform/SchemaTypes.h"
#include "platform/TColor.h"
#include "platform/TFontValue.h"

#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QUndoCommand>

namespace Diduza {

class TSchemaDesignArea;
class TSchemaItem;
class TSchemaRelation;
class TSchemaSubItem;

// What undo keeps of an item: what its file keeps, and its inner list's colour.
struct ItemLook {
    SchemaFile::TSchemaFileItem Data;
    TColor InnerColor = clWindow;
};
ItemLook CaptureItemLook(const TSchemaItem *item);

// The records of the changes; each is made after its change, as a child of the open step.
namespace SchemaUndo {

// An item added at position; undo removes it (keeping how it looked then), redo brings it back.
void ItemAdded(QUndoCommand *parent, TSchemaDesignArea *area, int position);
// An item about to be removed from position.
void ItemRemoved(QUndoCommand *parent, TSchemaDesignArea *area, int position, const ItemLook &look);
void ItemMoved(QUndoCommand *parent, TSchemaDesignArea *area, int position, const QRect &before,
    const QRect &after);
void CaptionChanged(QUndoCommand *parent, TSchemaDesignArea *area, int position,
    const QString &before, const QString &after);
// The item's colour set from before to after; beforeInner is its inner list's colour then.
void ColorChanged(QUndoCommand *parent, TSchemaDesignArea *area, int position, TColor before,
    TColor beforeInner, TColor after);
void FontChanged(QUndoCommand *parent, TSchemaDesignArea *area, int position,
    const TFontValue &before, const TFontValue &after);
void RowTicked(QUndoCommand *parent, TSchemaDesignArea *area, int position, int row, bool checked);
void RelationAdded(QUndoCommand *parent, TSchemaDesignArea *area, int position);
// A relation about to be deleted.
void RelationDeleted(QUndoCommand *parent, TSchemaDesignArea *area, TSchemaRelation *relation);
void RelationChanged(QUndoCommand *parent, TSchemaDesignArea *area, int position,
    TSDRelationOperator beforeOperator, TSDRelationJoin beforeJoin, TSDRelationType beforeType,
    TSchemaRelation *after);

} // namespace SchemaUndo

} // namespace Diduza
