#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilder_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/model/ItemPlacement.h"
#include "engines/SqlDialect.h"
#include "engines/TSchemaDataEngine.h"
#include "engines/TSchemaQueryRun.h"
#include "engines/TSchemaRunModel.h"
#include "platform/CompareText.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "platform/TStringList.h"
#include "platform/VisibleText.h"
#include "querybuilder/QueryGenerator.h"
#include "querybuilder/QueryImport.h"
#include "relations/TSchemaRelation.h"
#include "sqlparser/SelectImport.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QListWidgetItem>
#include <QRegularExpression>

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// Importing a whole statement

namespace {

// Several conditions in one cell, AND-ed; one that holds OR gets parentheses of its own.
QString joinConditions(const QStringList &conditions)
{
    if (conditions.size() == 1)
        return conditions.first();
    static const QRegularExpression orWord(
        QStringLiteral("\\bOR\\b"), QRegularExpression::CaseInsensitiveOption);
    QStringList parts;
    for (const QString &c : conditions)
        parts << (c.contains(orWord) ? QLatin1Char('(') + c + QLatin1Char(')') : c);
    return parts.join(QStringLiteral(" AND "));
}

} // namespace

QString TfrmZkSQLBuilderImport::importCaption(
    const QString &Name, bool Quoted, QVariant *Object) const
{
    // The engine's own spelling: the same name, else (for a name written without quotes,
    // which the database reads without regard to case) the same name in other letter case.
    const QListWidgetItem *caseless = nullptr;
    for (int i = 0; i < q->lbTables->count(); ++i) {
        const QListWidgetItem *entry = q->lbTables->item(i);
        if (entry->text() == Name) {
            if (Object)
                *Object = entry->data(Qt::UserRole);
            return entry->text();
        }
        if (!caseless && !Quoted && SameText(entry->text(), Name))
            caseless = entry;
    }
    if (caseless) {
        if (Object)
            *Object = caseless->data(Qt::UserRole);
        return caseless->text();
    }
    return Name;
}

void TfrmZkSQLBuilderImport::ShowImportNotes(const QStringList &Notes)
{
    FImportNotes = Notes;
    q->lblSQLNotes->setText(Notes.join(QLatin1Char('\n')));
    q->lblSQLNotes->setVisible(!Notes.isEmpty());
    const QString line = Notes.join(QStringLiteral("; "));
    q->lblImportNotes->setText(Notes.isEmpty()
            ? QString()
            : QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "Not carried over: %1")
                  .arg(q->lblImportNotes->fontMetrics().elidedText(
                      VisibleText(line), Qt::ElideRight, qMax(200, q->width() - 120))));
    q->lblImportNotes->setToolTip(Notes.join(QLatin1Char('\n')));
    q->lblImportNotes->setVisible(!Notes.isEmpty());
}

// ImportQuery's steps, in order: the tables, the plan, the items' places, the joins and their
// conditions, the fields with their cells.
namespace {

class ImportRun {
public:
    ImportRun(TfrmZkSQLBuilderPrivate *d, const ImportedQuery &query)
        : form(d->q)
        , d(d)
        , Query(query)
        , area(d->q->SchemaDesignArea)
    {
    }

    QStringList run()
    {
        if (!Query.Ok) {
            notes << QCoreApplication::translate(
                "Diduza::TfrmZkSQLBuilder", "The statement could not be read: %1")
                         .arg(Query.Error);
            return show();
        }
        if (!Query.Blocks.isEmpty() && d->FExtendedGrid) {
            // A compound statement: each SELECT in a block of its own, the first one shown.
            ImportedQuery first = Query;
            first.Blocks.clear();
            first.Operators.clear();
            notes << ImportRun(d, first, true).steps();
            for (int k = 0; k < Query.Blocks.size(); ++k) {
                form->AddBlock(Query.Operators.value(k, soUnion));
                ImportedQuery block = Query.Blocks.at(k);
                block.LeftOut.clear(); // the whole's notes hold them
                notes << ImportRun(d, block, true).steps();
            }
            form->SetCurrentBlock(0);
            return show();
        }
        steps();
        return show();
    }

private:
    ImportRun(TfrmZkSQLBuilderPrivate *d, const ImportedQuery &query, bool block)
        : ImportRun(d, query)
    {
        this->block = block;
    }

    // The steps for one SELECT; what they could not carry.
    QStringList steps()
    {
        tables();
        makePlan();
        place();
        joins();
        conditions();
        fields();
        if (grouped)
            showHavingRow(form, true);
        form->cbDistinct->setChecked(plan.Distinct);
        if (d->FCurrentBlock == 0) {
            form->SetStatementLimit(plan.Limit);
            form->SetStatementOffset(plan.Offset);
        }
        return notes;
    }

    QStringList show()
    {
        notes.removeDuplicates();
        form->ShowImportNotes(notes);
        return notes;
    }
    void note(const char *text, const QString &arg)
    {
        notes << QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", text).arg(arg);
    }

    // The tables first, in FROM order: their rows are the catalogue the plan reads.
    void tables()
    {
        const int tableCount = int(Query.Tables.size());
        items.resize(tableCount);
        for (int t = 0; t < tableCount; ++t) {
            QVariant object;
            const QString caption = d->importer.importCaption(
                Query.Tables.at(t).Name, Query.Tables.at(t).Quoted, &object);
            items[t] = area->AddItemObject(caption, scCheckListBox, object);
            if (!items[t])
                note(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "the table %1"), caption);
        }
    }

    void makePlan()
    {
        QueryImportOptions options;
        options.SubType = d->FDataEngine ? d->FDataEngine->SQLSubType() : stStandard;
        options.Extended = d->FExtendedGrid;
        options.Block = block;
        TfrmZkSQLBuilderPrivate *const own = d;
        options.Caption = [own](const QString &Name, bool Quoted) {
            return own->importer.importCaption(Name, Quoted, nullptr);
        };
        QHash<QString, QStringList> fields;
        for (const QPointer<TSchemaItem> &item : items) {
            if (!item || fields.contains(item->Caption()))
                continue;
            QStringList names;
            for (int r = 0; r < item->GetSubItemCount(); ++r) {
                if (item->GetSubItem(r)->Caption() != AllFields)
                    names << item->GetSubItem(r)->Caption();
            }
            fields.insert(item->Caption(), names);
        }
        options.Fields = [&fields](const QString &Caption) { return fields.value(Caption); };
        plan = PlanImport(Query, options);
        notes << plan.LeftOut;
    }

    // The items in the plan's order, in one row from (20, 20), as far apart as the builder
    // places new tables, so that the joins between neighbours have room.
    void place()
    {
        planned = QVector<TSchemaItem *>(plan.Tables.size(), nullptr);
        for (int k = 0; k < plan.Tables.size(); ++k)
            planned[k] = items.value(plan.Tables.at(k).Source);
        int base = area->ControlCount();
        for (const QPointer<TSchemaItem> &item : items) {
            if (item)
                base = std::min(base, area->IndexOfControl(item));
        }
        int place = 0;
        int left = 20;
        for (TSchemaItem *item : planned) {
            if (!item)
                continue;
            area->MoveControlTo(item, base + place++);
            item->SetLeft(left);
            item->SetTop(20);
            left += item->Width() + ItemGapX;
        }
    }

    TSchemaSubItem *rowOf(int table, const QString &field) const
    {
        TSchemaItem *item = planned.value(table);
        return item ? item->GetSubItemByName(field) : nullptr;
    }
    QString columnText(int table, const QString &field) const
    {
        const QString caption = table >= 0 ? plan.Tables.at(table).Caption : QString();
        return caption.isEmpty() ? field : caption + QLatin1Char('.') + field;
    }

    // Relations, then their conditions (naming a table may depend on every relation placed).
    void joins()
    {
        for (const QueryImportPlan::Relation &r : plan.Relations) {
            TSchemaSubItem *parent = rowOf(r.ParentTable, r.ParentField);
            TSchemaSubItem *child = rowOf(r.ChildTable, r.ChildField);
            const QString text = columnText(r.ParentTable, r.ParentField) + QLatin1Char(' ')
                + JoinOperatorText(r.Operator) + QLatin1Char(' ')
                + columnText(r.ChildTable, r.ChildField);
            if (!parent || !child) {
                note(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder",
                         "the join %1: a column the table does not have"),
                    text);
                continue;
            }
            try {
                TSchemaRelation *relation
                    = area->AddRelation(parent->ItemOwner(), child->ItemOwner(), parent, child);
                if (!relation)
                    continue;
                relation->SetJoinOperator(r.Operator);
                relation->SetJoinType(r.Join);
                made.append({ relation, &r });
            } catch (const Exception &e) {
                note(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "the join %1: "), text);
                notes.last() += e.Message();
            }
        }
    }

    // The names the statement quotes (standard SQL's double quotes) in the database's quotes.
    std::function<QString(const QString &)> quoting() const
    {
        std::function<QString(const QString &)> quote;
        if (TSchemaDataEngine *engine = form->DataEngine()) {
            const SqlNameQuoting quoting = engine->NameQuoting();
            const QChar open = quoting.OpenQuote, close = quoting.CloseQuote;
            if (open != QLatin1Char('"') || close != QLatin1Char('"'))
                quote
                    = [open, close](const QString &Name) { return QuotedName(Name, open, close); };
        }
        return quote;
    }

    // A calculated column's cell: the expression with each table it names as a reference to
    // the item, so that the column follows the item's name.
    QString expressionCell(const ImportExpression &e) const
    {
        return QLatin1Char('=')
            + RenameTables(
                e.Text,
                [&](const ImportColumn &column) -> QString {
                    TSchemaItem *item = planned.value(plan.TableOfSource.value(column.Table, -1));
                    return item ? d->grid.referenceText(item) : QString();
                },
                quoting());
    }

    // A condition's text names each table as the rebuilt statement does, and writes the names
    // the statement quotes (standard SQL's double quotes) in the database's quotes.
    QString render(const QVector<ImportText> &texts) const
    {
        const std::function<QString(const QString &)> quote = quoting();
        QStringList parts;
        for (const ImportText &text : texts) {
            parts << RenameTables(
                text,
                [&](const ImportColumn &column) -> QString {
                    const int table = plan.TableOfSource.value(column.Table, -1);
                    TSchemaItem *item = planned.value(table);
                    if (!item)
                        return QString();
                    QString name;
                    try {
                        name = form->GetTableName(item, true);
                    } catch (...) {
                        // The application's name hook is for statements; the cell gets the name
                        // the builder itself gives.
                        QueryInput input = d->pages.queryInput(false);
                        input.TableNameHook = nullptr;
                        name = QueryTableName(input, tableOf(area, item), true);
                    }
                    return name;
                },
                quote);
        }
        return joinConditions(parts);
    }

    void conditions()
    {
        for (const auto &[relation, r] : made) {
            if (relation && !r->Conditions.isEmpty())
                relation->SetJoinCondition(render(r->Conditions));
        }
    }

    // The columns, in the plan's order: a tick adds a field's first column.
    void fields()
    {
        for (const QueryImportPlan::Column &c : plan.Columns) {
            const int col = column(c);
            if (col >= 0) {
                cells(col, c);
                continue;
            }
            // Nothing the column held is lost without a word.
            for (const ImportText &condition : c.Where + c.Having)
                note(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder",
                         "the condition %1 (its column could not be placed)"),
                    condition.Text);
        }
    }

    // The grid column of c, ticked or added; -1 when there is none.
    int column(const QueryImportPlan::Column &c)
    {
        int col = -1;
        if (c.AllRows)
            return form->AddAllRowsColumn();
        if (c.Calculated) {
            col = d->grid.appendColumn();
            form->sgColumnGrid->SetCells(col, RowField, expressionCell(c.Expression));
            return col;
        }
        TSchemaSubItem *row = rowOf(c.Table, c.Field);
        if (!row) {
            note(QT_TRANSLATE_NOOP(
                     "Diduza::TfrmZkSQLBuilder", "the field %1: the table has no such column"),
                columnText(c.Table, c.Field));
            return -1;
        }
        if (row->Checked()) {
            if (!d->FExtendedGrid || (col = form->DuplicateColumn(d->grid.columnOf(row))) < 0) {
                note(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "the field %1 a second time"),
                    columnText(c.Table, c.Field));
                return -1;
            }
        } else {
            row->SetChecked(true);
            col = d->grid.columnOf(row);
        }
        return col;
    }

    // The cells of column col, in the order of the grid's rows.
    void cells(int col, const QueryImportPlan::Column &c)
    {
        TStringGrid *grid = form->sgColumnGrid;
        static const QHash<QString, TResString> choices
            = { { "SUM", _strValueSUM }, { "COUNT", _strValueCOUNT }, { "MAX", _strValueMAX },
                  { "MIN", _strValueMIN }, { "AVG", _strValueAVG } };
        if (!c.Aggregate.isEmpty())
            grid->SetCells(col, RowCalculate, LoadResString(choices.value(c.Aggregate)));
        if (c.Sort > 0)
            grid->SetCells(col, RowSort, LoadResString(c.Sort == 2 ? _strSortDESC : _strSortASC));
        cellConditions(col, c);
        if (d->FExtendedGrid) {
            grid->SetCells(col, RowShow, c.Show ? QStringLiteral("1") : QStringLiteral("0"));
            grid->SetCells(col, RowAlias, c.Alias);
            grid->SetCells(
                col, RowSortOrder, c.SortOrder > 0 ? QString::number(c.SortOrder) : QString());
        }
    }

    // WHERE, GROUP BY and HAVING of column col.
    void cellConditions(int col, const QueryImportPlan::Column &c)
    {
        TStringGrid *grid = form->sgColumnGrid;
        if (!c.Where.isEmpty())
            grid->SetCells(col, RowWhere, render(c.Where));
        if (c.Grouped) {
            grid->SetCells(col, RowGrouping, QStringLiteral("1"));
            grouped = true;
        }
        if (!c.Having.isEmpty())
            grid->SetCells(col, RowHaving, render(c.Having));
    }

    TfrmZkSQLBuilder *const form;
    TfrmZkSQLBuilderPrivate *const d;
    const ImportedQuery &Query;
    TSchemaDesignArea *const area;
    QStringList notes;
    QVector<QPointer<TSchemaItem>> items;
    QueryImportPlan plan;
    QVector<TSchemaItem *> planned;
    QVector<QPair<QPointer<TSchemaRelation>, const QueryImportPlan::Relation *>> made;
    bool grouped = false;
    bool block = false;
};

} // namespace

QStringList TfrmZkSQLBuilderImport::ImportQuery(const ImportedQuery &Query)
{
    return ImportRun(d, Query).run();
}

} // namespace Diduza
