// The database side of the design area: the catalogue and the keys rows show, whole databases
// and the tables related to one table added as items with their relations, and relations drawn
// by the keys.

#include "diagram/AreaDatabase_p.h"

#include "diagram/TSchemaDesignArea_p.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/model/RankLayout.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/Application.h"
#include "platform/CompareText.h"
#include "platform/DialogService.h"
#include "platform/TStringList.h"
#include "relations/TSchemaRelation.h"

#include <QAction>
#include <QCoreApplication>
#include <QScopeGuard>
#include <QSet>

#include <climits>

namespace Diduza {

TSchemaDesignAreaPrivate *AreaDatabase::d() const
{
    return TSchemaDesignAreaPrivate::get(q);
}

namespace {

// The row of item whose caption is field: the same text first, else ignoring the case of A to Z.
TSchemaSubItem *rowOfField(const TSchemaItem *item, const QString &field)
{
    const int count = item->GetSubItemCount();
    for (int i = 0; i < count; ++i) {
        TSchemaSubItem *row = item->GetSubItem(i);
        if (row && row->Caption() == field)
            return row;
    }
    return item->GetSubItemByName(field);
}

// True when a relation of the area joins the two rows, either way round.
bool joined(const TSchemaDesignArea *area, const TSchemaItem *a, const TSchemaSubItem *ra,
    const TSchemaItem *b, const TSchemaSubItem *rb)
{
    for (const TSchemaRelation *r : area->RelationsOfItem(a)) {
        const bool same = r->ParentItem() == a && r->ParentSubItem() == ra && r->ChildItem() == b
            && r->ChildSubItem() == rb;
        const bool reversed = r->ParentItem() == b && r->ParentSubItem() == rb
            && r->ChildItem() == a && r->ChildSubItem() == ra;
        if (same || reversed)
            return true;
    }
    return false;
}

} // namespace

// The items of the area by the name of the catalogue table their caption names. Guarded: the
// handlers of the relations drawn meanwhile may delete items.
struct AreaDatabase::CaptionIndex {
    QHash<QString, QVector<QPointer<TSchemaItem>>> ByTable;

    CaptionIndex(const TSchemaCatalog &catalog, const QVector<TSchemaItem *> &items)
    {
        for (TSchemaItem *item : items)
            Add(catalog, item);
    }
    void Add(const TSchemaCatalog &catalog, TSchemaItem *item)
    {
        if (const TSchemaTableInfo *table = catalog.Table(item->GetCaption()))
            ByTable[table->Name].append(item);
    }
    QVector<QPointer<TSchemaItem>> Items(const QString &table) const
    {
        return ByTable.value(table);
    }
};

// ---------------------------------------------------------------------------------------------
// The catalogue and the keys rows show

void AreaDatabase::setShowKeys(bool Value)
{
    if (FShowKeys == Value)
        return;
    FShowKeys = Value;
    for (TSchemaItem *item : d()->index.items()) {
        if (QWidget *control = item->ItemControl())
            control->update();
    }
}

void AreaDatabase::setCatalog(const TSchemaCatalog &Value)
{
    FCatalog = Value;
    if (FShowKeys) {
        for (TSchemaItem *item : d()->index.items()) {
            if (QWidget *control = item->ItemControl())
                control->update();
        }
    }
}

void AreaDatabase::mergeCatalog(const QVector<TSchemaTableInfo> &Tables)
{
    if (Tables.isEmpty())
        return;
    TSchemaCatalog catalog = FCatalog;
    catalog.Merge(Tables);
    setCatalog(catalog);
}

TSchemaRowKeys AreaDatabase::rowKeys(const TSchemaSubItem *Row) const
{
    TSchemaRowKeys keys;
    const TSchemaItem *item = Row ? Row->ItemOwner() : nullptr;
    if (!FShowKeys || !item)
        return keys;
    const TSchemaTableInfo *table = FCatalog.Table(item->GetCaption());
    const TSchemaFieldInfo *field = table ? table->Field(Row->Caption()) : nullptr;
    if (!field)
        return keys;
    keys.PrimaryKey = table->PrimaryKey.contains(field->Name);
    for (const TSchemaForeignKey &key : table->ForeignKeys)
        keys.ForeignKey = keys.ForeignKey || key.Fields.contains(field->Name);
    return keys;
}

QString AreaDatabase::rowToolTip(const TSchemaSubItem *Row) const
{
    const TSchemaItem *item = Row ? Row->ItemOwner() : nullptr;
    if (!FShowKeys || !item)
        return QString();
    return FCatalog.FieldDescription(item->GetCaption(), Row->Caption());
}

// ---------------------------------------------------------------------------------------------
// Relations by the keys

QVector<TSchemaRelation *> AreaDatabase::linkByKeys(TSchemaItem *Item, bool SelfLinks)
{
    if (!Item || Item->Parent() != q)
        return {};
    const CaptionIndex index(FCatalog, d()->index.items());
    TSchemaUndoGroup step(q,
        QCoreApplication::translate("Diduza::TSchemaDesignArea", "Link %1 by its keys")
            .arg(TSchemaUndoGroup::StepName(Item->GetCaption())));
    return linkItemByKeys(Item, index, SelfLinks);
}

QVector<TSchemaRelation *> AreaDatabase::linkItemByKeys(
    TSchemaItem *item, const CaptionIndex &index, bool selfLinks)
{
    QVector<TSchemaRelation *> added;
    const TSchemaTableInfo *table = FCatalog.Table(item->GetCaption());
    if (!table)
        return added;
    const QString name = table->Name;
    QPointer<TSchemaItem> guard(item);
    auto link = [&](TSchemaItem *parent, const QString &parentField, TSchemaItem *child,
                    const QString &childField) {
        if (!guard || !parent || !child || parent->Parent() != q || child->Parent() != q)
            return;
        TSchemaSubItem *parentRow = rowOfField(parent, parentField);
        TSchemaSubItem *childRow = rowOfField(child, childField);
        if (!parentRow || !childRow || joined(q, parent, parentRow, child, childRow))
            return;
        added.append(q->AddRelation(parent, child, parentRow, childRow));
    };
    // The keys of its own table: it is the child. Another item of its own table is joined
    // once, below, as the child of this one.
    for (const TSchemaKeyLink &key : FCatalog.LinksFrom(name)) {
        for (const QPointer<TSchemaItem> &parent : index.Items(key.ParentTable)) {
            if (parent && (parent == item ? selfLinks : key.ParentTable != name))
                link(parent, key.ParentField, item, key.ChildField);
        }
    }
    // The keys of the tables that reference it: it is the parent.
    for (const QString &referencing : FCatalog.ReferencingTables(name)) {
        const QVector<TSchemaKeyLink> keys = FCatalog.Links(name, referencing);
        for (const QPointer<TSchemaItem> &child : index.Items(referencing)) {
            if (!child || child == item)
                continue;
            for (const TSchemaKeyLink &key : keys)
                link(item, key.ParentField, child, key.ChildField);
        }
    }
    return added;
}

// ---------------------------------------------------------------------------------------------
// Whole databases

QVector<TSchemaItem *> AreaDatabase::addDatabaseTables(
    const QStringList &Tables, TSchemaControlType ControlType)
{
    TSchemaDataEngine *engine = q->DataEngine();
    if (!engine)
        return {};
    TStringList listed;
    engine->FillItemList(listed);
    TStringList chosen;
    if (Tables.isEmpty()) {
        chosen = listed;
    } else {
        QSet<QString> taken;
        for (const QString &wanted : Tables) {
            int found = -1;
            for (int i = 0; i < listed.Count() && found < 0; ++i) {
                if (listed.Strings(i) == wanted)
                    found = i;
            }
            for (int i = 0; i < listed.Count() && found < 0; ++i) {
                if (SameText(listed.Strings(i), wanted))
                    found = i;
            }
            if (found >= 0 && !taken.contains(listed.Strings(found))) {
                taken.insert(listed.Strings(found));
                chosen.AddObject(listed.Strings(found), listed.Objects(found));
            }
        }
    }
    if (chosen.Count() == 0)
        return {};
    QStringList names;
    if (!Tables.isEmpty()) {
        for (int i = 0; i < chosen.Count(); ++i)
            names.append(chosen.Strings(i));
    }
    QVector<TSchemaTableInfo> info;
    engine->FillTableInfo(names, info);
    mergeCatalog(info);
    return addTables(chosen, ControlType);
}

QVector<TSchemaItem *> AreaDatabase::addRelatedTables(TSchemaItem *Item)
{
    TSchemaDataEngine *engine = q->DataEngine();
    if (!engine || !Item || Item->Parent() != q)
        return {};
    // Reaching the related tables takes the whole catalogue.
    QVector<TSchemaTableInfo> info;
    engine->FillTableInfo(QStringList(), info);
    mergeCatalog(info);
    const QStringList related = FCatalog.Reachable(Item->GetCaption());
    if (related.isEmpty())
        return {};
    TStringList listed;
    engine->FillItemList(listed);
    QHash<QString, int> where;
    for (int i = 0; i < listed.Count(); ++i)
        where.insert(listed.Strings(i), i);
    TStringList chosen;
    for (const QString &name : related) {
        const int i = where.value(name, -1);
        chosen.AddObject(name, i >= 0 ? listed.Objects(i) : QVariant());
    }
    TSchemaControlType type = Item->SchemaControlType();
    if (type == scText || type == scIcon)
        type = scListBox;
    return addTables(chosen, type);
}

namespace {
// Everything one call of addTables adds, taken back again on a cancel or an error: with nothing
// recorded when the call made the step itself, else recorded into the caller's step.
class AddedTables {
public:
    explicit AddedTables(TSchemaDesignArea *area)
        : area(area)
        , ownStep(TSchemaDesignAreaPrivate::get(area)->undo.depth() == 0)
    {
    }

    void takeBack()
    {
        AreaUndoRecorder &undo = TSchemaDesignAreaPrivate::get(area)->undo;
        if (ownStep)
            undo.pause();
        const auto resume = qScopeGuard([&] {
            if (ownStep)
                undo.resume();
        });
        for (int i = int(relations.size()) - 1; i >= 0; --i) {
            if (relations.at(i) && relations.at(i)->Parent() == area)
                area->RemoveRelation(relations.at(i));
        }
        for (int i = int(items.size()) - 1; i >= 0; --i) {
            if (items.at(i))
                items.at(i)->RemoveItem(nullptr);
        }
        if (ownStep)
            undo.dropOpenStep(); // it holds only this call's records
    }

    QVector<QPointer<TSchemaItem>> items;
    QVector<QPointer<TSchemaRelation>> relations;

private:
    TSchemaDesignArea *const area;
    const bool ownStep;
};
} // namespace

QVector<TSchemaItem *> AreaDatabase::addTables(const TStringList &tables, TSchemaControlType type)
{
    if (type == scText || type == scIcon)
        type = scListBox;
    const QVector<TSchemaItem *> before = d()->index.items();
    QSet<QString> present;
    for (const TSchemaItem *item : before)
        present.insert(item->GetCaption());
    const int count = tables.Count();

    std::unique_ptr<TProgress> progress = DialogService()->BeginProgress(q,
        QCoreApplication::translate(
            "Diduza::TSchemaDesignArea", "Adding the database's tables to the diagram..."),
        2 * count + 1);
    QVector<TSchemaItem *> result;
    {
        AddedTables added(q);
        q->BeginUndoGroup(QCoreApplication::translate(
            "Diduza::TSchemaDesignArea", "Add %n table(s)", nullptr, count));
        const bool wasLocked = q->IsLocked();
        q->BeginUpdate();
        const auto finish = qScopeGuard([&] {
            if (!wasLocked)
                q->EndUpdate();
            q->EndUndoGroup();
        });
        try {
            for (int i = 0; i < count; ++i) {
                const QString name = tables.Strings(i);
                if (!present.contains(name)) {
                    present.insert(name);
                    if (TSchemaItem *item = addTableItem(name, tables.Objects(i), type)) {
                        added.items.append(item);
                        d()->settleLoadedItem(item);
                        if (added.items.size() % 32 == 0)
                            d()->dropPendingRepaints();
                    }
                }
                progress->SetValue(i + 1);
                if (progress->Cancelled()) {
                    added.takeBack();
                    return {};
                }
            }
            // The relations: each added item with every item on the area, itself included.
            const CaptionIndex index(FCatalog, d()->index.items());
            for (int i = 0; i < added.items.size(); ++i) {
                if (TSchemaItem *item = added.items.at(i)) {
                    for (TSchemaRelation *relation : linkItemByKeys(item, index, true))
                        added.relations.append(relation);
                }
                progress->SetValue(count + int((i + 1) * qsizetype(count) / added.items.size()));
                if (progress->Cancelled()) {
                    added.takeBack();
                    return {};
                }
            }
        } catch (...) {
            added.takeBack();
            throw;
        }
        d()->dropPendingRepaints();
        for (const QPointer<TSchemaItem> &item : std::as_const(added.items)) {
            if (item && item->Parent() == q)
                result.append(item);
        }
    }
    if (before.isEmpty())
        q->ArrangeByRank();
    else
        arrangeAdded(result, before);
    progress->SetValue(2 * count + 1);
    return result;
}

TSchemaItem *AreaDatabase::addTableItem(
    const QString &name, const QVariant &object, TSchemaControlType type)
{
    TSchemaItem *item = q->AddItemObject(name, type, object);
    QPointer<TSchemaItem> guard(item);
    if (item && item->GetSubItemCount() == 0) {
        // Its fields from the catalogue; a table the catalogue does not know asks the engine.
        if (const TSchemaTableInfo *table = FCatalog.Table(name)) {
            for (int f = 0; f < table->Fields.size() && guard; ++f)
                item->AddSubItem(table->Fields.at(f).Name, -1, false);
        } else if (TSchemaDataEngine *engine = q->DataEngine()) {
            TStringList fields;
            engine->FillSubItemList(item, fields);
            for (int f = 0; f < fields.Count() && guard; ++f)
                item->AddSubItemObject(fields.Strings(f), -1, false, fields.Objects(f));
        }
    }
    if (!guard)
        return nullptr; // a handler took it away
    item->RecalculateHeight();
    item->RecalculateWidth();
    return item;
}

void AreaDatabase::arrangeAdded(
    const QVector<TSchemaItem *> &added, const QVector<TSchemaItem *> &others)
{
    if (added.isEmpty())
        return;
    // The new items by rank among themselves, to the right of the items that were there.
    RankLayoutInput input;
    QHash<const TSchemaItem *, int> indexOf;
    for (int i = 0; i < added.size(); ++i) {
        indexOf.insert(added.at(i), i);
        input.Sizes << added.at(i)->size();
        input.Ranks << added.at(i)->GetRank();
    }
    for (const TSchemaItem *item : added) {
        for (const TSchemaRelation *relation : q->RelationsOfItem(item)) {
            if (relation->ParentItem() == item && indexOf.contains(relation->ChildItem()))
                input.Links << std::pair { indexOf.value(item),
                    indexOf.value(relation->ChildItem()) };
        }
    }
    int right = 0;
    int top = INT_MAX;
    for (const TSchemaItem *item : others) {
        if (item->Parent() == q) {
            right = qMax(right, item->x() + item->width());
            top = qMin(top, item->y());
        }
    }
    input.Origin = QPoint(right + input.ColumnGap, top == INT_MAX ? input.Origin.y() : top);
    const QVector<QPoint> corners = RankLayout(input);
    const bool wasLocked = q->IsLocked();
    q->BeginUpdate();
    for (int i = 0; i < added.size(); ++i)
        added.at(i)->move(corners.at(i));
    if (!wasLocked)
        q->EndUpdate();
    q->UpdateScrollRange();
}

void AreaDatabase::setRelatedTablesItem(TSchemaItem *item)
{
    FRelatedTablesItem = item;
}

QAction *AreaDatabase::relatedTablesAction()
{
    if (!FRelatedTablesAction) {
        FRelatedTablesAction = new QAction(
            QCoreApplication::translate("Diduza::TSchemaDesignArea", "Add &related tables"), q);
        FRelatedTablesAction->setObjectName(QStringLiteral("actAddRelatedTables"));
        QObject::connect(FRelatedTablesAction, &QAction::triggered, q, [this] {
            Guarded([&] {
                // The item whose menu was opened, else the one that has the focus.
                TSchemaItem *item = FRelatedTablesItem;
                FRelatedTablesItem = nullptr;
                if (!item)
                    item = d()->navigation.focusedItem();
                if (item)
                    d()->ShowAdded(addRelatedTables(item));
            });
        });
    }
    return FRelatedTablesAction;
}

QAction *AreaDatabase::allTablesAction(TSchemaControlType ControlType)
{
    FAllTablesType = ControlType;
    if (!FAllTablesAction) {
        FAllTablesAction = new QAction(
            QCoreApplication::translate("Diduza::TSchemaDesignArea", "Add &all tables"), q);
        FAllTablesAction->setObjectName(QStringLiteral("actAddAllTables"));
        QObject::connect(FAllTablesAction, &QAction::triggered, q, [this] {
            Guarded([&] { d()->ShowAdded(addDatabaseTables(QStringList(), FAllTablesType)); });
        });
    }
    return FAllTablesAction;
}

} // namespace Diduza
