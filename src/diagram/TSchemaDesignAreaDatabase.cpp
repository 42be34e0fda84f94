// The design area's database diagrams, kept by its AreaDatabase.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

namespace Diduza {

bool TSchemaDesignArea::ShowKeys() const
{
    return d->database.showKeys();
}

void TSchemaDesignArea::SetShowKeys(bool Value)
{
    d->database.setShowKeys(Value);
}

const TSchemaCatalog &TSchemaDesignArea::Catalog() const
{
    return d->database.catalog();
}

void TSchemaDesignArea::SetCatalog(const TSchemaCatalog &Value)
{
    d->database.setCatalog(Value);
}

void TSchemaDesignArea::MergeCatalog(const QVector<TSchemaTableInfo> &Tables)
{
    d->database.mergeCatalog(Tables);
}

TSchemaRowKeys TSchemaDesignArea::RowKeys(const TSchemaSubItem *Row) const
{
    return d->database.rowKeys(Row);
}

QString TSchemaDesignArea::RowToolTip(const TSchemaSubItem *Row) const
{
    return d->database.rowToolTip(Row);
}

QVector<TSchemaRelation *> TSchemaDesignArea::LinkByKeys(TSchemaItem *Item, bool SelfLinks)
{
    return d->database.linkByKeys(Item, SelfLinks);
}

QVector<TSchemaItem *> TSchemaDesignArea::AddDatabaseTables(
    const QStringList &Tables, TSchemaControlType ControlType)
{
    return d->database.addDatabaseTables(Tables, ControlType);
}

QVector<TSchemaItem *> TSchemaDesignArea::AddRelatedTables(TSchemaItem *Item)
{
    return d->database.addRelatedTables(Item);
}

QAction *TSchemaDesignArea::RelatedTablesAction()
{
    return d->database.relatedTablesAction();
}

QAction *TSchemaDesignArea::RelatedTablesActionIfMade() const
{
    return d->database.relatedTablesActionIfMade();
}

QAction *TSchemaDesignArea::AllTablesAction(TSchemaControlType ControlType)
{
    return d->database.allTablesAction(ControlType);
}

QAction *TSchemaDesignArea::AllTablesActionIfMade() const
{
    return d->database.allTablesActionIfMade();
}

} // namespace Diduza
