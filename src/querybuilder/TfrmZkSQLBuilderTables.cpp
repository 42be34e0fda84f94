#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderParts_p.h"

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// The table list and dropping tables

void TfrmZkSQLBuilder::lbTablesDrawItem(
    QObject *Control, int Index, const QRect &Rect, TOwnerDrawState State, QPainter &Canvas)
{
    if (const TDrawItemEvent handler = d->FOnDrawTableItem) {
        handler(Control, Index, Rect, State, Canvas);
        return;
    }
    const QPalette &palette = lbTables->palette();
    const bool selected = State.testFlag(odSelected);
    Canvas.fillRect(Rect, palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    if (Index < 0 || Index >= lbTables->count())
        return;
    imgSQL->Draw(Canvas, Rect.left() + 2, Rect.top() + 2, 0);
    Canvas.setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    Canvas.setFont(lbTables->font());
    const QRect textRect(
        Rect.left() + imgSQL->Width() + 4, Rect.top() + 2, Rect.width(), Rect.height() - 2);
    Canvas.drawText(
        textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, lbTables->item(Index)->text());
}

void TfrmZkSQLBuilder::lbTablesDblClick(QObject *)
{
    // A drop at (10, 10), which moves the table to the first free spot from there.
    SchemaDesignAreaDragDrop(SchemaDesignArea, lbTables, DoubleClickDropX, DoubleClickDropY);
}

void TfrmZkSQLBuilder::SchemaDesignAreaDragOver(
    QObject *, QObject *Source, int, int, TDragState, bool &Accept)
{
    Accept = Source != nullptr && Source == lbTables;
}

void TfrmZkSQLBuilder::SchemaDesignAreaDragDrop(QObject *Sender, QObject *Source, int X, int Y)
{
    if (Sender != SchemaDesignArea) {
        // Dropped on one of the area's child windows: the point is in its coordinates.
        if (auto *child = qobject_cast<QWidget *>(Sender)) {
            X += child->x();
            Y += child->y();
        }
    }
    if (!Source || Source != lbTables)
        return;
    QListWidgetItem *selected = lbTables->currentItem();
    if (!selected || !selected->isSelected())
        return;
    // The dropped entry's own object: another entry of the same name (in another letter case,
    // a different table) may carry another one.
    SchemaUndoGroup step(SchemaDesignArea, tr("Add %1").arg(StepName(selected->text())));
    readKeys(selected->text());
    TSchemaItem *item
        = AddNewItem(SchemaDesignArea, selected->text(), selected->data(Qt::UserRole), X, Y);
    if (item) // not on top of a table, nor so close that joins have no room
        placeOnFreeSpot(SchemaDesignArea, item, QPoint(X, Y));
    if (item && d->FJoinByKeys)
        SchemaDesignArea->LinkByKeys(item);
}

void TfrmZkSQLBuilder::readKeys(const QString &Table)
{
    TSchemaDataEngine *engine = d->FDataEngine;
    if (!engine || (!d->FJoinByKeys && !SchemaDesignArea->ShowKeys()))
        return;
    // One request for the dropped table and those on the area the catalogue lacks.
    const TSchemaCatalog &known = SchemaDesignArea->Catalog();
    QStringList tables;
    if (!known.Table(Table))
        tables << Table;
    for (int i = 0; i < SchemaDesignArea->GetItemCount(); ++i) {
        const QString caption = SchemaDesignArea->GetItem(i)->GetCaption();
        if (!known.Table(caption) && !tables.contains(caption))
            tables << caption;
    }
    if (tables.isEmpty())
        return;
    QVector<TSchemaTableInfo> info;
    engine->FillTableInfo(tables, info);
    SchemaDesignArea->MergeCatalog(info);
}

// ---------------------------------------------------------------------------------------------
// The design area's events

void TfrmZkSQLBuilder::SchemaDesignAreaAddItem(QObject *, TSchemaItem *item)
{
    if (!item)
        return;
    QPointer<TfrmZkSQLBuilder> self(this);
    item->SetOnSubItemCheck([self](QObject *Sender) {
        if (self && !self->d->FDestroying)
            self->ItemCheckClick(Sender);
    });
    if (!FInternalUpdate && !SchemaDesignArea->IsRestoring()) { // undo brings the rows back
        item->AddSubItem(AllFields, -1, false);
        if (TSchemaDataEngine *engine = SchemaDesignArea->DataEngine()) {
            TStringList names;
            engine->FillSubItemList(item, names);
            for (int i = 0; i < names.Count(); ++i)
                item->AddSubItemObject(names.Strings(i), -1, false, names.Objects(i));
        }
        item->RecalculateHeight();
        item->RecalculateWidth();
    }
    cbTables->addItem(item->Caption());
    RaiseEvent(d->FOnAddItem, SchemaDesignArea, item);
}

void TfrmZkSQLBuilder::SchemaDesignAreaAddSubItem(QObject *, TSchemaSubItem *SubItem)
{
    if (SubItem)
        SubItem->SetImageIndex(1);
}

void TfrmZkSQLBuilder::SchemaDesignAreaDeleteItem(QObject *, TSchemaItem *item)
{
    RaiseEvent(d->FOnDeleteItem, SchemaDesignArea, item);
    if (d->FDestroying || !item)
        return;
    for (int col = sgColumnGrid->ColCount() - 1; col >= 1; --col) {
        TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(col, RowField));
        if (row && row->ItemOwner() == item)
            removeColumn(col);
    }
    const int entry
        = cbTables->findText(item->Caption(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0)
        cbTables->removeItem(entry);
}

// ---------------------------------------------------------------------------------------------
// Row references

QString TfrmZkSQLBuilder::SubItemReference(TSchemaSubItem *SubItem)
{
    if (!SubItem || !SchemaDesignArea)
        return QString();
    TSchemaItem *owner = SubItem->ItemOwner();
    if (!owner || owner->Designer() != SchemaDesignArea)
        return QString();
    const auto known = d->FRefOfSubItem.constFind(SubItem);
    if (known != d->FRefOfSubItem.constEnd() && d->FSubItemRefs.value(known.value()) == SubItem)
        return QString::number(known.value());
    // Serials of freed rows go now and then, so that the maps keep to the living rows.
    if (d->FSubItemRefs.size() >= 2 * d->FRefsSwept + 64) {
        for (auto it = d->FSubItemRefs.begin(); it != d->FSubItemRefs.end();) {
            if (it.value().isNull())
                it = d->FSubItemRefs.erase(it);
            else
                ++it;
        }
        for (auto it = d->FRefOfSubItem.begin(); it != d->FRefOfSubItem.end();) {
            if (!d->FSubItemRefs.contains(it.value()))
                it = d->FRefOfSubItem.erase(it);
            else
                ++it;
        }
        d->FRefsSwept = int(d->FSubItemRefs.size());
    }
    const int reference = ++d->FLastSubItemRef;
    d->FSubItemRefs.insert(reference, SubItem);
    d->FRefOfSubItem.insert(SubItem, reference);
    return QString::number(reference);
}

TSchemaSubItem *TfrmZkSQLBuilder::ReferencedSubItem(const QString &Text) const
{
    int reference = 0;
    if (Text.isEmpty() || !TryStrToInt(Text, reference) || QString::number(reference) != Text)
        return nullptr; // only the text this form writes names a row
    TSchemaSubItem *row = d->FSubItemRefs.value(reference);
    if (!row || !SchemaDesignArea)
        return nullptr;
    TSchemaItem *owner = row->ItemOwner();
    return owner && owner->Designer() == SchemaDesignArea ? row : nullptr;
}

} // namespace Diduza
