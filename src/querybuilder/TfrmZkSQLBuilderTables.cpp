#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilder_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/model/ItemPlacement.h"
#include "engines/TSchemaDataEngine.h"
#include "engines/TSchemaRunModel.h"
#include "platform/Application.h"
#include "platform/CompareText.h"
#include "platform/DialogService.h"
#include "platform/Exceptions.h"
#include "platform/TImageList.h"
#include "platform/TStringList.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace Diduza {

// The table list: a list of several selected entries whose Enter and Insert add them, with a
// menu of Add and "Add related tables".
QListWidget *CreateTableList(TfrmZkSQLBuilder *form, QWidget *parent);
// Adds the tables selected in the form's table list, each as a double-click adds it, and with
// Related the tables related to them too (a selected table already on the area is not added
// again then); one step, and the area scrolls to what was added. Nothing while it runs.
void AddSelectedTables(TfrmZkSQLBuilder *form, bool Related);

// Paints the entries of the table list through the form, at the list's fixed entry height and
// the width of the widest name (which sets the list's horizontal scroll extent).
class TableListDelegate : public QStyledItemDelegate {
public:
    TableListDelegate(TfrmZkSQLBuilder *form, QObject *parent)
        : QStyledItemDelegate(parent)
        , FForm(form)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        TOwnerDrawState state;
        if (option.state & QStyle::State_Selected)
            state |= odSelected;
        if (option.state & QStyle::State_HasFocus)
            state |= odFocused;
        if (!(option.state & QStyle::State_Enabled))
            state |= odDisabled;
        painter->save();
        Guarded([&] {
            FForm->lbTablesDrawItem(FForm->lbTables, index.row(), option.rect, state, *painter);
        });
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return QSize(FForm->TablesHorizontalExtent(), TableEntryHeight);
    }

private:
    TfrmZkSQLBuilder *FForm;
};

// ---------------------------------------------------------------------------------------------
// The table list and dropping tables

namespace {

// The role of a table-list entry's schema: empty for a table named by its own name alone.
constexpr int SchemaRole = Qt::UserRole + 1;

// Tables dropped by a double-click on the list land here.
constexpr int DoubleClickDropX = 10;
constexpr int DoubleClickDropY = 10;

// Moves Item, a table just added from the table list, to the free spot nearest to Wanted
// (client coordinates of the area's viewport) that keeps the gaps relation lines use from the
// other items, in view where the view has room.
void placeOnFreeSpot(TSchemaDesignArea *area, TSchemaItem *item, const QPoint &wanted)
{
    QVector<QRect> taken;
    for (int i = 0; i < area->GetItemCount(); ++i) {
        const TSchemaItem *other = area->GetItem(i);
        if (other != item && !other->isHidden())
            taken << other->geometry();
    }
    const QSize view = area->viewport()->size();
    const QRect shown(DoubleClickDropX, DoubleClickDropY, view.width() - 2 * DoubleClickDropX,
        view.height() - 2 * DoubleClickDropY);
    item->move(FreeItemSpot(taken, item->size(), wanted, shown));
}

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
        QObject::connect(FAdd, &QAction::triggered, this,
            [this] { Guarded([&] { AddSelectedTables(FForm, false); }); });
        QObject::connect(FAddRelated, &QAction::triggered, this,
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
    TSchemaUndoGroup step(area,
        chosen.size() == 1
            ? formText(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "Add %1"))
                  .arg(TSchemaUndoGroup::StepName(chosen.first()->text()))
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

void TfrmZkSQLBuilderTables::lbTablesDrawItem(
    QObject *Control, int Index, const QRect &Rect, TOwnerDrawState State, QPainter &Canvas)
{
    if (const TDrawItemEvent handler = d->FOnDrawTableItem) {
        handler(Control, Index, Rect, State, Canvas);
        return;
    }
    const QPalette &palette = q->lbTables->palette();
    const bool selected = State.testFlag(odSelected);
    Canvas.fillRect(Rect, palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    if (Index < 0 || Index >= q->lbTables->count())
        return;
    q->imgSQL->Draw(Canvas, Rect.left() + 2, Rect.top() + 2, 0);
    Canvas.setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    Canvas.setFont(q->lbTables->font());
    const QRect textRect(
        Rect.left() + q->imgSQL->Width() + 4, Rect.top() + 2, Rect.width(), Rect.height() - 2);
    Canvas.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
        q->lbTables->item(Index)->text());
    if (State.testFlag(odFocused)) {
        // The entry the keys work on, while the list has the focus.
        QStyleOptionFocusRect focus;
        focus.initFrom(q->lbTables);
        focus.rect = Rect;
        focus.backgroundColor = palette.color(selected ? QPalette::Highlight : QPalette::Base);
        q->lbTables->style()->drawPrimitive(
            QStyle::PE_FrameFocusRect, &focus, &Canvas, q->lbTables);
    }
}

void TfrmZkSQLBuilderTables::lbTablesDblClick(QObject *)
{
    // A drop at (10, 10), which moves the table to the first free spot from there.
    q->SchemaDesignAreaDragDrop(
        q->SchemaDesignArea, q->lbTables, DoubleClickDropX, DoubleClickDropY);
}

void TfrmZkSQLBuilderTables::SchemaDesignAreaDragOver(
    QObject *, QObject *Source, int, int, TDragState, bool &Accept)
{
    Accept = Source != nullptr && Source == q->lbTables;
}

void TfrmZkSQLBuilderTables::SchemaDesignAreaDragDrop(
    QObject *Sender, QObject *Source, int X, int Y)
{
    if (Sender != q->SchemaDesignArea) {
        // Dropped on one of the area's child windows: the point is in its coordinates.
        if (auto *child = qobject_cast<QWidget *>(Sender)) {
            X += child->x();
            Y += child->y();
        }
    }
    if (!Source || Source != q->lbTables)
        return;
    QListWidgetItem *selected = q->lbTables->currentItem();
    if (!selected || !selected->isSelected())
        return;
    // The dropped entry's own object: another entry of the same name (in another letter case,
    // a different table) may carry another one.
    TSchemaUndoGroup step(q->SchemaDesignArea,
        TfrmZkSQLBuilder::tr("Add %1").arg(TSchemaUndoGroup::StepName(selected->text())));
    readKeys(selected->text());
    TSchemaItem *item
        = AddNewItem(q->SchemaDesignArea, selected->text(), selected->data(Qt::UserRole), X, Y);
    if (item) // not on top of a table, nor so close that joins have no room
        placeOnFreeSpot(q->SchemaDesignArea, item, QPoint(X, Y));
    if (item && d->FJoinByKeys)
        q->SchemaDesignArea->LinkByKeys(item);
    // The other entries of a dragged selection follow, each on a free spot.
    auto *own = dynamic_cast<TableList *>(q->lbTables);
    if (item && own && !own->FAdding && q->lbTables->selectedItems().size() > 1) {
        const QPersistentModelIndex dropped(q->lbTables->indexFromItem(selected));
        selected->setSelected(false);
        AddSelectedTables(q, false);
        if (QListWidgetItem *again = q->lbTables->itemFromIndex(dropped))
            again->setSelected(true);
    }
}

void TfrmZkSQLBuilderTables::readKeys(const QString &Table)
{
    TSchemaDataEngine *engine = d->FDataEngine;
    if (!engine || (!d->FJoinByKeys && !q->SchemaDesignArea->ShowKeys()))
        return;
    // One request for the dropped table and those on the area the catalogue lacks.
    const TSchemaCatalog &known = q->SchemaDesignArea->Catalog();
    QStringList tables;
    if (!known.Table(Table))
        tables << Table;
    for (int i = 0; i < q->SchemaDesignArea->GetItemCount(); ++i) {
        const QString caption = q->SchemaDesignArea->GetItem(i)->GetCaption();
        if (!known.Table(caption) && !tables.contains(caption))
            tables << caption;
    }
    if (tables.isEmpty())
        return;
    QVector<TSchemaTableInfo> info;
    engine->FillTableInfo(tables, info);
    q->SchemaDesignArea->MergeCatalog(info);
}

// ---------------------------------------------------------------------------------------------
// The design area's events

void TfrmZkSQLBuilderTables::SchemaDesignAreaAddItem(QObject *, TSchemaItem *item)
{
    if (!item)
        return;
    QPointer<TfrmZkSQLBuilder> self(q);
    TfrmZkSQLBuilderPrivate *const own = d;
    item->SetOnSubItemCheck([self, own](QObject *Sender) {
        if (self && !own->FDestroying)
            self->ItemCheckClick(Sender);
    });
    if (!TfrmZkSQLBuilderFields::internalUpdate(q)
        && !q->SchemaDesignArea->IsRestoring()) { // undo brings the rows back
        item->AddSubItem(AllFields, -1, false);
        if (TSchemaDataEngine *engine = q->SchemaDesignArea->DataEngine()) {
            TStringList names;
            engine->FillSubItemList(item, names);
            for (int i = 0; i < names.Count(); ++i)
                item->AddSubItemObject(names.Strings(i), -1, false, names.Objects(i));
        }
        item->RecalculateHeight();
        item->RecalculateWidth();
    }
    q->cbTables->addItem(item->Caption());
    RaiseEvent(d->FOnAddItem, q->SchemaDesignArea, item);
}

void TfrmZkSQLBuilderTables::SchemaDesignAreaAddSubItem(QObject *, TSchemaSubItem *SubItem)
{
    if (SubItem)
        SubItem->SetImageIndex(1);
}

void TfrmZkSQLBuilderTables::SchemaDesignAreaDeleteItem(QObject *, TSchemaItem *item)
{
    RaiseEvent(d->FOnDeleteItem, q->SchemaDesignArea, item);
    // An item of another block (one that is removed) takes nothing of the shown one.
    if (d->FDestroying || !item || item->Designer() != q->SchemaDesignArea)
        return;
    for (int col = q->sgColumnGrid->ColCount() - 1; col >= 1; --col) {
        TSchemaSubItem *row = q->ReferencedSubItem(q->sgColumnGrid->Cells(col, RowField));
        if (row && row->ItemOwner() == item)
            d->grid.removeColumn(col);
    }
    const int entry
        = q->cbTables->findText(item->Caption(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0)
        q->cbTables->removeItem(entry);
    // Calculated columns that name the table go with it once the user agrees; else they stay,
    // marked as naming a table the diagram lacks.
    if (d->FClearing || q->SchemaDesignArea->IsRestoring())
        return;
    QVector<int> dependent;
    QStringList shown;
    for (int col = q->sgColumnGrid->ColCount() - 1; col >= 1; --col) {
        if (q->IsCalculatedColumn(col)
            && d->grid.expressionItems(q->sgColumnGrid->Cells(col, RowField)).contains(item)) {
            dependent << col;
            shown.prepend(q->ColumnExpression(col).simplified().left(60));
        }
    }
    if (!dependent.isEmpty()
        && DialogService()->Confirm(q,
            TfrmZkSQLBuilder::tr(
                "The calculated column(s) %1 name the table %2. Remove them with the table?")
                .arg(shown.join(QStringLiteral("; ")), d->grid.prefixOf(item)))) {
        for (const int col : std::as_const(dependent))
            d->grid.removeColumn(col);
    }
}

// ---------------------------------------------------------------------------------------------
// The table panel

void TfrmZkSQLBuilderTables::createTablePanel()
{
    q->pnlTables = new QWidget(q->SplitterTables);
    q->pnlTables->setObjectName(QStringLiteral("pnlTables"));
    q->pnlTables->resize(TablesWidth, 220);
    auto *column = new QVBoxLayout(q->pnlTables);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    q->pbTableGrabber = new TPaintBox(q->pnlTables);
    q->pbTableGrabber->setObjectName(QStringLiteral("pbTableGrabber"));
    q->pbTableGrabber->setFixedHeight(GrabberHeight);
    q->pbTableGrabber->SetOnPaint(
        [this](QObject *Sender, QPainter &Canvas) { q->pbTableGrabberPaint(Sender, Canvas); });
    q->pbTableGrabber->SetOnMouseUp(
        [this](QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
            q->pbTableGrabberMouseUp(Sender, Button, Shift, X, Y);
        });
    column->addWidget(q->pbTableGrabber);

    q->cbSchemas = new QComboBox(q->pnlTables);
    q->cbSchemas->setObjectName(QStringLiteral("cbSchemas"));
    q->cbSchemas->setToolTip(TfrmZkSQLBuilder::tr("The schemas whose tables the list shows"));
    q->cbSchemas->hide();
    QObject::connect(q->cbSchemas, &QComboBox::currentIndexChanged, q,
        [this] { Guarded([&] { filterTables(); }); });
    column->addWidget(q->cbSchemas);

    q->lbTables = CreateTableList(q, q->pnlTables);
    q->lbTables->setObjectName(QStringLiteral("lbTables"));
    q->lbTables->setAccessibleName(TfrmZkSQLBuilder::tr("Tables"));
    q->lbTables->setUniformItemSizes(true);
    q->lbTables->setDragEnabled(true); // a drag starts from any entry
    q->lbTables->setDragDropMode(QAbstractItemView::DragOnly);
    q->lbTables->setDefaultDropAction(Qt::CopyAction);
    q->lbTables->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    q->lbTables->setItemDelegate(new TableListDelegate(q, q->lbTables));
    QObject::connect(q->lbTables, &QListWidget::itemDoubleClicked, q,
        [this] { Guarded([&] { q->lbTablesDblClick(q->lbTables); }); });
    column->addWidget(q->lbTables, 1);
}
void TfrmZkSQLBuilderTables::fillTableList()
{
    q->lbTables->clear();
    FTablesExtent = 0;
    if (TSchemaDataEngine *engine = q->DataEngine()) {
        TStringList names;
        engine->FillItemList(names);
        // Sorted as the list box sorts: ignoring the case of the letters A to Z.
        TStringList sorted;
        sorted.SetSorted(true);
        for (int i = 0; i < names.Count(); ++i)
            sorted.AddObject(names.Strings(i), names.Objects(i));
        const QFontMetrics metrics(q->lbTables->font());
        int widest = 0;
        for (int i = 0; i < sorted.Count(); ++i) {
            auto *entry = new QListWidgetItem(sorted.Strings(i), q->lbTables);
            entry->setData(Qt::UserRole, sorted.Objects(i));
            widest = qMax(widest, metrics.horizontalAdvance(sorted.Strings(i)));
        }
        if (widest > 0)
            FTablesExtent = widest + 19;
    }
    fillSchemaFilter();
    q->lbTables->doItemsLayout();
}

void TfrmZkSQLBuilderTables::fillSchemaFilter()
{
    const QSignalBlocker quiet(q->cbSchemas);
    q->cbSchemas->clear();
    TSchemaDataEngine *engine = d->FDataEngine;
    const SqlNameQuoting quoting
        = engine && q->lbTables->count() > 0 ? engine->NameQuoting() : SqlNameQuoting();
    QStringList schemas;
    for (int i = 0; i < q->lbTables->count(); ++i) {
        QListWidgetItem *entry = q->lbTables->item(i);
        const QStringList parts
            = quoting.TableParts ? quoting.TableParts(entry->text()) : QStringList();
        const QString schema = parts.size() > 1
            ? QStringList(parts.begin(), parts.end() - 1).join(QLatin1Char('.'))
            : QString();
        entry->setData(SchemaRole, schema);
        entry->setHidden(false);
        if (!schema.isEmpty() && !schemas.contains(schema))
            schemas << schema;
    }
    q->cbSchemas->setVisible(!schemas.isEmpty());
    if (schemas.isEmpty())
        return;
    std::sort(schemas.begin(), schemas.end(),
        [](const QString &a, const QString &b) { return CompareText(a, b) < 0; });
    q->cbSchemas->addItem(TfrmZkSQLBuilder::tr("All schemas"));
    q->cbSchemas->addItem(TfrmZkSQLBuilder::tr("Search path"), QString(""));
    for (const QString &schema : std::as_const(schemas))
        q->cbSchemas->addItem(schema, schema);
    q->cbSchemas->setCurrentIndex(0);
}
void TfrmZkSQLBuilderTables::filterTables()
{
    const QVariant chosen = q->cbSchemas->currentData();
    for (int i = 0; i < q->lbTables->count(); ++i) {
        QListWidgetItem *entry = q->lbTables->item(i);
        entry->setHidden(
            chosen.isValid() && entry->data(SchemaRole).toString() != chosen.toString());
    }
}
void TfrmZkSQLBuilderTables::btnShowTablesClick(QObject *)
{
    q->pnlTables->setVisible(q->btnShowTables->isChecked());
}
void TfrmZkSQLBuilderTables::pbTableGrabberPaint(QObject *, QPainter &Canvas)
{
    const int W = q->pbTableGrabber->width();
    const QPalette &palette = q->pbTableGrabber->palette();

    // The caption close button, from (W - 11, 1) to (W - 1, 11).
    QStyleOptionButton frame;
    frame.initFrom(q->pbTableGrabber);
    frame.rect = QRect(QPoint(W - 11, 1), QPoint(W - 2, 10));
    frame.state = QStyle::State_Enabled | QStyle::State_Raised;
    QStyle *style = q->pbTableGrabber->style();
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &frame, &Canvas, q->pbTableGrabber);
    style->standardIcon(QStyle::SP_TitleBarCloseButton, &frame, q->pbTableGrabber)
        .paint(&Canvas, frame.rect.adjusted(1, 1, -1, -1));

    // Two raised grooves.
    auto groove = [&](int x1, int y1, int x2, int y2) {
        Canvas.setPen(palette.color(QPalette::Light));
        Canvas.drawLine(x2, y1, x1, y1);
        Canvas.drawLine(x1, y1, x1, y2);
        Canvas.setPen(palette.color(QPalette::Dark));
        Canvas.drawLine(x1, y2, x2, y2);
        Canvas.drawLine(x2, y2, x2, y1 - 1);
    };
    groove(2, 3, W - 14, 5);
    groove(2, 6, W - 14, 8);
}
void TfrmZkSQLBuilderTables::pbTableGrabberMouseUp(
    QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int X, int)
{
    if (X > q->pbTableGrabber->width() - 14) {
        q->btnShowTables->setChecked(false);
        q->btnShowTablesClick(q->btnShowTables);
    }
}

} // namespace Diduza
