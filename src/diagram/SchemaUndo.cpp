#include "diagram/SchemaUndo_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"
#include "diagram/TSchemaFindBar.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/TfrmZkLinkTo.h"
#include "diagram/items/TSchemaIcon.h"
#include "engines/TSchemaDataEngine.h"
#include "relations/TSchemaRelation.h"

#include <algorithm>

namespace Diduza {

using SchemaFile::TSchemaFileItem;

ItemLook CaptureItemLook(const TSchemaItem *item)
{
    return ItemLook { TSchemaDesignAreaPrivate::itemFileData(item),
        TSchemaItemPrivate::get(item)->innerColor() };
}

namespace {
// Where row stands in its item, as the records name it.
int rowPosition(const TSchemaSubItem *row)
{
    TSchemaItem *item = row ? row->ItemOwner() : nullptr;
    return item ? item->GetIndexBySubItem(row) : -1;
}
} // namespace

namespace {

// Moves a control that was just added at the end back to its place among its kind.
void placeItem(TSchemaDesignArea *area, TSchemaItem *item, int position)
{
    const int count = area->GetItemCount();
    if (position >= 0 && position < count - 1)
        area->MoveControlTo(item, area->IndexOfControl(area->GetItem(position)));
}

// Rebuilds an item as data describes it, at position.
TSchemaItem *restoreItem(TSchemaDesignArea *area, const ItemLook &look, int position)
{
    const TSchemaFileItem &d = look.Data;
    TSchemaItem *item = area->AddItem(d.Caption, TSchemaControlType(d.ControlType));
    if (!item)
        return nullptr;
    QPointer<TSchemaItem> guard(item);
    placeItem(area, item, position);
    item->SetShowCaption(d.ShowCaption);
    item->SetSizeable(d.Sizeable);
    item->SetToolWin(d.ToolWin);
    item->SetBorder(d.Border);
    item->SetFont(d.Font);
    item->SetColor(d.Color);
    TSchemaItemPrivate::get(item)->setInnerColor(look.InnerColor);
    if (TSchemaIcon *icon = item->IconControl()) {
        if (d.IconType)
            icon->SetIconType(TSCIconType(*d.IconType));
    }
    const bool oneRow = d.ControlType == scText || d.ControlType == scIcon;
    for (const SchemaFile::TSchemaFileRow &r : d.Rows) {
        if (!guard)
            return nullptr;
        TSchemaSubItem *row = oneRow && item->GetSubItemCount() > 0
            ? item->GetSubItem(0)
            : item->AddSubItem(r.Caption, -1, r.Checked);
        if (!row)
            break;
        if (oneRow) {
            row->SetCaption(r.Caption);
            row->SetChecked(r.Checked);
        }
        row->SetIndex(r.Index);
        row->SetImageIndex(0, r.ImageIndex);
        row->SetImageIndex(1, r.SelectedIndex);
        row->SetImageIndex(2, r.OverlayIndex);
        row->SetImageIndex(3, r.StateIndex);
        row->SetLinked(r.Linked);
    }
    if (guard)
        item->SetBounds(d.Left, d.Top, d.Width, d.Height);
    return guard;
}

void removeItem(TSchemaDesignArea *area, int position)
{
    if (TSchemaItem *item = area->GetItem(position))
        item->RemoveItem(nullptr);
}

// What a relation needs to be made again.
struct RelationData {
    int Parent = -1, ParentRow = -1, Child = -1, ChildRow = -1;
    TSDRelationOperator Operator = roEqual;
    TSDRelationJoin Join = rjInner;
    TSDRelationType Type = rtNormal;
    TColor Color = clBlack;
    QString Condition;
};

RelationData relationData(TSchemaDesignArea *area, TSchemaRelation *relation)
{
    RelationData d;
    d.Parent = TSchemaUndoGroup::ItemPosition(area, relation->ParentItem());
    d.ParentRow = rowPosition(relation->ParentSubItem());
    d.Child = TSchemaUndoGroup::ItemPosition(area, relation->ChildItem());
    d.ChildRow = rowPosition(relation->ChildSubItem());
    d.Operator = relation->JoinOperator();
    d.Join = relation->JoinType();
    d.Type = relation->RelationType();
    d.Color = relation->Color();
    d.Condition = relation->JoinCondition();
    return d;
}

void restoreRelation(TSchemaDesignArea *area, const RelationData &d, int position)
{
    TSchemaItem *parent = area->GetItem(d.Parent);
    TSchemaItem *child = area->GetItem(d.Child);
    if (!parent || !child)
        return;
    TSchemaRelation *relation = area->AddRelation(
        parent, child, parent->GetSubItem(d.ParentRow), child->GetSubItem(d.ChildRow));
    if (!relation)
        return;
    relation->SetJoinOperator(d.Operator);
    relation->SetJoinType(d.Join);
    relation->SetRelationType(d.Type);
    relation->SetColor(d.Color);
    relation->SetJoinCondition(d.Condition);
    area->MoveControlTo(relation, position);
    area->ReboundRelations();
}

void deleteRelationAt(TSchemaDesignArea *area, int position)
{
    if (auto *relation = qobject_cast<TSchemaRelation *>(area->Controls(position)))
        area->RemoveRelation(relation);
}

// The base of the records: the area they act on, gone commands do nothing.
class AreaCommand : public QUndoCommand {
public:
    AreaCommand(QUndoCommand *parent, TSchemaDesignArea *area)
        : QUndoCommand(parent)
        , FArea(area)
    {
    }

protected:
    QPointer<TSchemaDesignArea> FArea;
};

class ItemAddedCommand : public AreaCommand {
public:
    ItemAddedCommand(QUndoCommand *parent, TSchemaDesignArea *area, int position)
        : AreaCommand(parent, area)
        , FPosition(position)
    {
    }
    void undo() override
    {
        if (!FArea || isObsolete()) // obsolete: an OnAddItem handler took the item away
            return;
        if (TSchemaItem *item = FArea->GetItem(FPosition)) {
            FData = CaptureItemLook(item); // as it stands once the later steps are undone
            removeItem(FArea, FPosition);
        }
    }
    void redo() override
    {
        if (FArea && !isObsolete())
            restoreItem(FArea, FData, FPosition);
    }

private:
    int FPosition;
    ItemLook FData;
};

// Something removed from its position: undo puts it back from its Data, redo removes it again.
template <typename Data, auto Restore, auto Remove> class RemovedCommand : public AreaCommand {
public:
    RemovedCommand(QUndoCommand *parent, TSchemaDesignArea *area, int position, const Data &data)
        : AreaCommand(parent, area)
        , FPosition(position)
        , FData(data)
    {
    }
    void undo() override
    {
        if (FArea)
            Restore(FArea, FData, FPosition);
    }
    void redo() override
    {
        if (FArea)
            Remove(FArea, FPosition);
    }

private:
    int FPosition;
    Data FData;
};

using ItemRemovedCommand = RemovedCommand<ItemLook, restoreItem, removeItem>;

// One value of an item set back and forth.
template <typename Value, void (*Apply)(TSchemaItem *, const Value &)>
class ItemValueCommand : public AreaCommand {
public:
    ItemValueCommand(QUndoCommand *parent, TSchemaDesignArea *area, int position,
        const Value &before, const Value &after)
        : AreaCommand(parent, area)
        , FPosition(position)
        , FBefore(before)
        , FAfter(after)
    {
    }
    void undo() override { apply(FBefore); }
    void redo() override { apply(FAfter); }

private:
    void apply(const Value &value)
    {
        if (TSchemaItem *item = FArea ? FArea->GetItem(FPosition) : nullptr)
            Apply(item, value);
    }
    int FPosition;
    Value FBefore;
    Value FAfter;
};

void applyGeometry(TSchemaItem *item, const QRect &r)
{
    item->setGeometry(r);
}
void applyCaption(TSchemaItem *item, const QString &caption)
{
    item->SetCaption(caption);
}
// The item's colour and its inner list's colour.
struct Colors {
    TColor Item;
    TColor Inner;
};
void applyColor(TSchemaItem *item, const Colors &colors)
{
    item->SetColor(colors.Item);
    TSchemaItemPrivate::get(item)->setInnerColor(colors.Inner);
}
void applyFont(TSchemaItem *item, const TFontValue &font)
{
    item->SetFont(font);
}

class RowTickedCommand : public AreaCommand {
public:
    RowTickedCommand(
        QUndoCommand *parent, TSchemaDesignArea *area, int position, int row, bool checked)
        : AreaCommand(parent, area)
        , FPosition(position)
        , FRow(row)
        , FChecked(checked)
    {
    }
    void undo() override { apply(!FChecked); }
    void redo() override { apply(FChecked); }

private:
    void apply(bool checked)
    {
        TSchemaItem *item = FArea ? FArea->GetItem(FPosition) : nullptr;
        if (TSchemaSubItem *row = item ? item->GetSubItem(FRow) : nullptr)
            row->SetChecked(checked);
    }
    int FPosition;
    int FRow;
    bool FChecked;
};

class RelationAddedCommand : public AreaCommand {
public:
    RelationAddedCommand(QUndoCommand *parent, TSchemaDesignArea *area, int position)
        : AreaCommand(parent, area)
        , FPosition(position)
    {
    }
    void undo() override
    {
        if (!FArea)
            return;
        if (auto *relation = qobject_cast<TSchemaRelation *>(FArea->Controls(FPosition))) {
            FData = relationData(FArea, relation);
            deleteRelationAt(FArea, FPosition);
        }
    }
    void redo() override
    {
        if (FArea)
            restoreRelation(FArea, FData, FPosition);
    }

private:
    int FPosition;
    RelationData FData;
};

using RelationDeletedCommand = RemovedCommand<RelationData, restoreRelation, deleteRelationAt>;

class RelationChangedCommand : public AreaCommand {
public:
    struct Join {
        TSDRelationOperator Operator;
        TSDRelationJoin Kind;
        TSDRelationType Type;
    };
    RelationChangedCommand(
        QUndoCommand *parent, TSchemaDesignArea *area, int position, Join before, Join after)
        : AreaCommand(parent, area)
        , FPosition(position)
        , FBefore(before)
        , FAfter(after)
    {
    }
    void undo() override { apply(FBefore); }
    void redo() override { apply(FAfter); }

private:
    void apply(const Join &join)
    {
        auto *relation
            = FArea ? qobject_cast<TSchemaRelation *>(FArea->Controls(FPosition)) : nullptr;
        if (!relation)
            return;
        relation->SetJoinOperator(join.Operator);
        relation->SetJoinType(join.Kind);
        relation->SetRelationType(join.Type);
    }
    int FPosition;
    Join FBefore;
    Join FAfter;
};

} // namespace

namespace SchemaUndo {

void ItemAdded(QUndoCommand *parent, TSchemaDesignArea *area, int position)
{
    if (parent)
        new ItemAddedCommand(parent, area, position);
}

void ItemRemoved(QUndoCommand *parent, TSchemaDesignArea *area, int position, const ItemLook &look)
{
    if (parent)
        new ItemRemovedCommand(parent, area, position, look);
}

void ItemMoved(QUndoCommand *parent, TSchemaDesignArea *area, int position, const QRect &before,
    const QRect &after)
{
    if (parent && before != after)
        new ItemValueCommand<QRect, applyGeometry>(parent, area, position, before, after);
}

void CaptionChanged(QUndoCommand *parent, TSchemaDesignArea *area, int position,
    const QString &before, const QString &after)
{
    if (parent && before != after)
        new ItemValueCommand<QString, applyCaption>(parent, area, position, before, after);
}

void ColorChanged(QUndoCommand *parent, TSchemaDesignArea *area, int position, TColor before,
    TColor beforeInner, TColor after)
{
    // Setting a colour gives the inner list the same colour.
    if (parent && before != after)
        new ItemValueCommand<Colors, applyColor>(
            parent, area, position, Colors { before, beforeInner }, Colors { after, after });
}

void FontChanged(QUndoCommand *parent, TSchemaDesignArea *area, int position,
    const TFontValue &before, const TFontValue &after)
{
    if (parent && !(before == after))
        new ItemValueCommand<TFontValue, applyFont>(parent, area, position, before, after);
}

void RowTicked(QUndoCommand *parent, TSchemaDesignArea *area, int position, int row, bool checked)
{
    if (parent && position >= 0 && row >= 0)
        new RowTickedCommand(parent, area, position, row, checked);
}

void RelationAdded(QUndoCommand *parent, TSchemaDesignArea *area, int position)
{
    if (parent && position >= 0)
        new RelationAddedCommand(parent, area, position);
}

void RelationDeleted(QUndoCommand *parent, TSchemaDesignArea *area, TSchemaRelation *relation)
{
    const int position = area->IndexOfControl(relation);
    if (parent && position >= 0)
        new RelationDeletedCommand(parent, area, position, relationData(area, relation));
}

void RelationChanged(QUndoCommand *parent, TSchemaDesignArea *area, int position,
    TSDRelationOperator beforeOperator, TSDRelationJoin beforeJoin, TSDRelationType beforeType,
    TSchemaRelation *after)
{
    const RelationChangedCommand::Join before { beforeOperator, beforeJoin, beforeType };
    const RelationChangedCommand::Join now { after->JoinOperator(), after->JoinType(),
        after->RelationType() };
    if (parent
        && (before.Operator != now.Operator || before.Kind != now.Kind || before.Type != now.Type))
        new RelationChangedCommand(parent, area, position, before, now);
}

} // namespace SchemaUndo

} // namespace Diduza
