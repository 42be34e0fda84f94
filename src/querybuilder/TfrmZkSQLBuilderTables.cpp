#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderParts_p.h"

#include <QContextMenuEvent>
#include <QStyleOptionFocusRect>

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// The table list and dropping tables

namespace {

QString formText(const char *text, int n = -1)
{
    return QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", text, nullptr, n);
}

// The list of the engine's tables: entries are selected with Shift and Ctrl as in any list,
// Enter and Insert add the selected ones, the menu key, Shift+F10 and a right click open a menu
// of Add and "Add related tables".
class TableList : public QListWidget {
public:
    TableList(TfrmZkSQLBuilder *form, QWidget *parent)
        : QListWidget(parent)
        , FForm(form)
        , FMenu(new QMenu(this))
    {
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        FMenu->setObjectName(QStringLiteral("pmTables"));
        FAdd = FMenu->addAction(formText(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "&Add")));
        FAdd->setObjectName(QStringLiteral("actAddTables"));
        FAddRelated = FMenu->addAction(
            formText(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "Add &related tables")));
        FAddRelated->setObjectName(QStringLiteral("actAddTablesRelated"));
        connect(FAdd, &QAction::triggered, this,
            [this] { Guarded([&] { AddSelectedTables(FForm, false); }); });
        connect(FAddRelated, &QAction::triggered, this,
            [this] { Guarded([&] { AddSelectedTables(FForm, true); }); });
    }

    bool FAdding = false;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Insert:
            if (mods == Qt::NoModifier) {
                Guarded([&] { AddSelectedTables(FForm, false); });
                event->accept();
                return;
            }
            break;
        case Qt::Key_Menu:
        case Qt::Key_F10:
            if (event->key() == Qt::Key_Menu || mods == Qt::ShiftModifier) {
                popupMenu(entryCorner());
                event->accept();
                return;
            }
            break;
        default:
            break;
        }
        QListWidget::keyPressEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent *event) override
    {
        popupMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : entryCorner());
        event->accept();
    }

private:
    // Below the current entry, where it shows; else the list's corner.
    QPoint entryCorner() const
    {
        const QRect entry = visualRect(currentIndex());
        if (entry.isValid() && viewport()->rect().intersects(entry))
            return viewport()->mapToGlobal(entry.bottomLeft() + QPoint(entry.height(), 0));
        return viewport()->mapToGlobal(QPoint(0, 0));
    }

    void popupMenu(const QPoint &at)
    {
        const bool any = !selectedItems().isEmpty() || currentItem();
        FAdd->setEnabled(any);
        FAddRelated->setEnabled(any && FForm->DataEngine());
        FMenu->popup(at);
    }

    TfrmZkSQLBuilder *FForm;
    QMenu *FMenu;
    QAction *FAdd = nullptr;
    QAction *FAddRelated = nullptr;
};

} // namespace

QListWidget *CreateTableList(TfrmZkSQLBuilder *form, QWidget *parent)
{
    return new TableList(form, parent);
}

void AddSelectedTables(TfrmZkSQLBuilder *form, bool Related)
{
    QListWidget *list = form->lbTables;
    TSchemaDesignArea *area = form->SchemaDesignArea;
    auto *own = dynamic_cast<TableList *>(list);
    if (!area || (own && own->FAdding))
        return;
    QList<QListWidgetItem *> chosen;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            chosen << list->item(i);
    }
    if (chosen.isEmpty() && list->currentItem()) {
        list->currentItem()->setSelected(true); // Enter on the entry the focus frame marks
        chosen << list->currentItem();
    }
    if (chosen.isEmpty())
        return;
    if (own)
        own->FAdding = true;
    const auto done = qScopeGuard([own] {
        if (own)
            own->FAdding = false;
    });
    SchemaUndoGroup step(area,
        chosen.size() == 1
            ? formText(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "Add %1"))
                  .arg(StepName(chosen.first()->text()))
            : formText(QT_TRANSLATE_N_NOOP("Diduza::TfrmZkSQLBuilder", "Add %n table(s)"),
                int(chosen.size())));
    // Each entry in turn as the current one, as a double-click on it adds it (held by index:
    // a handler of the additions may fill the list anew).
    const QPersistentModelIndex current = list->currentIndex();
    QList<QPersistentModelIndex> entries;
    for (QListWidgetItem *entry : std::as_const(chosen))
        entries << QPersistentModelIndex(list->indexFromItem(entry));
    QVector<QPointer<TSchemaItem>> added;
    for (const QPersistentModelIndex &index : std::as_const(entries)) {
        QListWidgetItem *entry = list->itemFromIndex(index);
        if (!entry)
            continue;
        TSchemaItem *there = Related ? area->FindItem(entry->text()) : nullptr;
        if (there && there->GetCaption() == entry->text()) {
            added << there;
            continue;
        }
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        const int before = area->GetItemCount();
        form->lbTablesDblClick(list);
        if (area->GetItemCount() > before)
            added << area->GetItem(area->GetItemCount() - 1);
    }
    list->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    QVector<QPointer<TSchemaItem>> shown = added;
    if (Related) {
        for (const QPointer<TSchemaItem> &item : std::as_const(added)) {
            if (item && item->Parent() == area) {
                for (TSchemaItem *related : area->AddRelatedTables(item))
                    shown << related;
            }
        }
    }
    QRect box;
    for (const QPointer<TSchemaItem> &item : std::as_const(shown)) {
        if (item && item->Parent() == area && !item->isHidden())
            box |= item->geometry();
    }
    if (!box.isEmpty())
        area->EnsureVisible(box);
}

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
    if (State.testFlag(odFocused)) {
        // The entry the keys work on, while the list has the focus.
        QStyleOptionFocusRect focus;
        focus.initFrom(lbTables);
        focus.rect = Rect;
        focus.backgroundColor = palette.color(selected ? QPalette::Highlight : QPalette::Base);
        lbTables->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &Canvas, lbTables);
    }
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
    // The other entries of a dragged selection follow, each on a free spot.
    auto *own = dynamic_cast<TableList *>(lbTables);
    if (item && own && !own->FAdding && lbTables->selectedItems().size() > 1) {
        const QPersistentModelIndex dropped(lbTables->indexFromItem(selected));
        selected->setSelected(false);
        AddSelectedTables(this, false);
        if (QListWidgetItem *again = lbTables->itemFromIndex(dropped))
            again->setSelected(true);
    }
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
    // An item of another block (one that is removed) takes nothing of the shown one.
    if (d->FDestroying || !item || item->Designer() != SchemaDesignArea)
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
    // Calculated columns that name the table go with it once the user agrees; else they stay,
    // marked as naming a table the diagram lacks.
    if (d->FClearing || SchemaDesignArea->IsRestoring())
        return;
    QVector<int> dependent;
    QStringList shown;
    for (int col = sgColumnGrid->ColCount() - 1; col >= 1; --col) {
        if (IsCalculatedColumn(col)
            && d->expressionItems(sgColumnGrid->Cells(col, RowField)).contains(item)) {
            dependent << col;
            shown.prepend(ColumnExpression(col).simplified().left(60));
        }
    }
    if (!dependent.isEmpty()
        && DialogService()->Confirm(this,
            tr("The calculated column(s) %1 name the table %2. Remove them with the table?")
                .arg(shown.join(QStringLiteral("; ")), d->prefixOf(item)))) {
        for (const int col : std::as_const(dependent))
            removeColumn(col);
    }
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
