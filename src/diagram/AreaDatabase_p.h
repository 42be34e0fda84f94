#pragma once

// The database side of a design area: the catalogue it knows, the keys its rows show, and
// the building of diagrams from a database (whole databases, the tables related to one table,
// relations drawn by the keys). Owned by TSchemaDesignAreaPrivate. Not installed.

#include "diagram/TSchemaDesignArea.h"
#include "engines/SchemaCatalog.h"

#include <QAction>
#include <QPointer>
#include <QVector>

namespace Diduza {

class TSchemaDesignAreaPrivate;
class TStringList;

class AreaDatabase {
public:
    explicit AreaDatabase(TSchemaDesignArea *area)
        : q(area)
    {
    }

    bool showKeys() const { return FShowKeys; }
    void setShowKeys(bool Value);
    const TSchemaCatalog &catalog() const { return FCatalog; }
    void setCatalog(const TSchemaCatalog &Value);
    void mergeCatalog(const QVector<TSchemaTableInfo> &Tables);
    TSchemaRowKeys rowKeys(const TSchemaSubItem *Row) const;
    QString rowToolTip(const TSchemaSubItem *Row) const;

    QVector<TSchemaRelation *> linkByKeys(TSchemaItem *Item, bool SelfLinks);
    QVector<TSchemaItem *> addDatabaseTables(
        const QStringList &Tables, TSchemaControlType ControlType);
    QVector<TSchemaItem *> addRelatedTables(TSchemaItem *Item);

    QAction *relatedTablesAction();
    QAction *relatedTablesActionIfMade() const { return FRelatedTablesAction; }
    QAction *allTablesAction(TSchemaControlType ControlType);
    QAction *allTablesActionIfMade() const { return FAllTablesAction; }
    // The item whose menu is about to open (the related-tables action's item then).
    void setRelatedTablesItem(TSchemaItem *item);

private:
    struct CaptionIndex;
    QVector<TSchemaRelation *> linkItemByKeys(
        TSchemaItem *item, const CaptionIndex &index, bool selfLinks);
    // Adds the listed tables (names with the engine's objects) not on the area yet, links and
    // arranges them (see AddDatabaseTables).
    QVector<TSchemaItem *> addTables(const TStringList &tables, TSchemaControlType type);
    // One table's item with a row per field; null when it could not be added.
    TSchemaItem *addTableItem(const QString &name, const QVariant &object, TSchemaControlType type);
    // Places added by rank among themselves, to the right of others.
    void arrangeAdded(const QVector<TSchemaItem *> &added, const QVector<TSchemaItem *> &others);
    TSchemaDesignAreaPrivate *d() const;

    TSchemaDesignArea *const q;
    bool FShowKeys = false;
    TSchemaCatalog FCatalog;
    QPointer<QAction> FRelatedTablesAction;
    QPointer<TSchemaItem> FRelatedTablesItem;
    QPointer<QAction> FAllTablesAction;
    TSchemaControlType FAllTablesType = scListBox;
};

} // namespace Diduza
