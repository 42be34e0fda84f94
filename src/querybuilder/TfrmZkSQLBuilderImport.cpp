#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderParts_p.h"

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

QString TfrmZkSQLBuilder::importCaption(const QString &Name, bool Quoted, QVariant *Object) const
{
    // The engine's own spelling: the same name, else (for a name written without quotes,
    // which the database reads without regard to case) the same name in other letter case.
    const QListWidgetItem *caseless = nullptr;
    for (int i = 0; i < lbTables->count(); ++i) {
        const QListWidgetItem *entry = lbTables->item(i);
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

void TfrmZkSQLBuilder::ShowImportNotes(const QStringList &Notes)
{
    d->FImportNotes = Notes;
    lblSQLNotes->setText(Notes.join(QLatin1Char('\n')));
    lblSQLNotes->setVisible(!Notes.isEmpty());
    const QString line = Notes.join(QStringLiteral("; "));
    lblImportNotes->setText(Notes.isEmpty()
            ? QString()
            : QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", "Not carried over: %1")
                  .arg(lblImportNotes->fontMetrics().elidedText(
                      VisibleText(line), Qt::ElideRight, qMax(200, width() - 120))));
    lblImportNotes->setToolTip(Notes.join(QLatin1Char('\n')));
    lblImportNotes->setVisible(!Notes.isEmpty());
}

QStringList TfrmZkSQLBuilder::ImportQuery(const ImportedQuery &Query)
{
    QStringList notes;
    auto show = [&] {
        notes.removeDuplicates();
        ShowImportNotes(notes);
        return notes;
    };
    if (!Query.Ok) {
        notes << QCoreApplication::translate(
            "Diduza::TfrmZkSQLBuilder", "The statement could not be read: %1")
                     .arg(Query.Error);
        return show();
    }
    TSchemaDesignArea *area = SchemaDesignArea;
    auto note = [&notes](const char *text, const QString &arg) {
        notes << QCoreApplication::translate("Diduza::TfrmZkSQLBuilder", text).arg(arg);
    };

    // The tables first, in FROM order: their rows are the catalogue the plan reads.
    const int tableCount = int(Query.Tables.size());
    QVector<QPointer<TSchemaItem>> items(tableCount);
    for (int t = 0; t < tableCount; ++t) {
        QVariant object;
        const QString caption
            = importCaption(Query.Tables.at(t).Name, Query.Tables.at(t).Quoted, &object);
        items[t] = area->AddItemObject(caption, scCheckListBox, object);
        if (!items[t])
            note(QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "the table %1"), caption);
    }
    QueryImportOptions options;
    options.SubType = d->FDataEngine ? d->FDataEngine->SQLSubType() : stStandard;
    options.Extended = d->FExtendedGrid;
    options.Caption
        = [this](const QString &Name, bool Quoted) { return importCaption(Name, Quoted, nullptr); };
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
    const QueryImportPlan plan = PlanImport(Query, options);
    notes << plan.LeftOut;

    // The items in the plan's order, in one row from (20, 20).
    QVector<TSchemaItem *> planned(plan.Tables.size(), nullptr);
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
        left += item->Width() + 20;
    }
    auto rowOf = [&](int table, const QString &field) -> TSchemaSubItem * {
        TSchemaItem *item = planned.value(table);
        return item ? item->GetSubItemByName(field) : nullptr;
    };
    auto columnText = [&](int table, const QString &field) {
        const QString caption = table >= 0 ? plan.Tables.at(table).Caption : QString();
        return caption.isEmpty() ? field : caption + QLatin1Char('.') + field;
    };

    // Relations, then their conditions (naming a table may depend on every relation placed).
    QVector<QPair<QPointer<TSchemaRelation>, const QueryImportPlan::Relation *>> made;
    for (const QueryImportPlan::Relation &r : plan.Relations) {
        TSchemaSubItem *parent = rowOf(r.ParentTable, r.ParentField);
        TSchemaSubItem *child = rowOf(r.ChildTable, r.ChildField);
        const QString text = columnText(r.ParentTable, r.ParentField) + QLatin1Char(' ')
            + JoinOperatorText(r.Operator) + QLatin1Char(' ')
            + columnText(r.ChildTable, r.ChildField);
        if (!parent || !child) {
            note(QT_TRANSLATE_NOOP(
                     "Diduza::TfrmZkSQLBuilder", "the join %1: a column the table does not have"),
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
    // A condition's text names each table as the rebuilt statement does.
    const auto render = [&](const QVector<ImportText> &texts) {
        QStringList parts;
        for (const ImportText &text : texts) {
            parts << RenameTables(text, [&](const ImportColumn &column) -> QString {
                const int table = plan.TableOfSource.value(column.Table, -1);
                TSchemaItem *item = planned.value(table);
                if (!item)
                    return QString();
                QString name;
                try {
                    name = GetTableName(item, true);
                } catch (...) {
                    // The application's name hook is for statements; the cell gets the name
                    // the builder itself gives.
                    QueryInput input = queryInput(false);
                    input.TableNameHook = nullptr;
                    name = QueryTableName(input, tableOf(area, item), true);
                }
                return name;
            });
        }
        return joinConditions(parts);
    };
    for (const auto &[relation, r] : made) {
        if (relation && !r->Conditions.isEmpty())
            relation->SetJoinCondition(render(r->Conditions));
    }

    // The columns, in the plan's order: a tick adds a field's first column.
    bool grouped = false;
    for (const QueryImportPlan::Column &c : plan.Columns) {
        int col = -1;
        if (c.AllRows) {
            col = AddAllRowsColumn();
        } else {
            TSchemaSubItem *row = rowOf(c.Table, c.Field);
            if (!row) {
                note(QT_TRANSLATE_NOOP(
                         "Diduza::TfrmZkSQLBuilder", "the field %1: the table has no such column"),
                    columnText(c.Table, c.Field));
                continue;
            }
            if (row->Checked()) {
                if (!d->FExtendedGrid || (col = DuplicateColumn(columnOf(row))) < 0) {
                    note(
                        QT_TRANSLATE_NOOP("Diduza::TfrmZkSQLBuilder", "the field %1 a second time"),
                        columnText(c.Table, c.Field));
                    continue;
                }
            } else {
                row->SetChecked(true);
                col = columnOf(row);
            }
        }
        if (col < 0)
            continue;
        static const QHash<QString, TResString> choices
            = { { "SUM", _strValueSUM }, { "COUNT", _strValueCOUNT }, { "MAX", _strValueMAX },
                  { "MIN", _strValueMIN }, { "AVG", _strValueAVG } };
        if (!c.Aggregate.isEmpty())
            sgColumnGrid->SetCells(col, RowCalculate, LoadResString(choices.value(c.Aggregate)));
        if (c.Sort > 0)
            sgColumnGrid->SetCells(
                col, RowSort, LoadResString(c.Sort == 2 ? _strSortDESC : _strSortASC));
        if (!c.Where.isEmpty())
            sgColumnGrid->SetCells(col, RowWhere, render(c.Where));
        if (c.Grouped) {
            sgColumnGrid->SetCells(col, RowGrouping, QStringLiteral("1"));
            grouped = true;
        }
        if (!c.Having.isEmpty())
            sgColumnGrid->SetCells(col, RowHaving, render(c.Having));
        if (d->FExtendedGrid) {
            sgColumnGrid->SetCells(
                col, RowShow, c.Show ? QStringLiteral("1") : QStringLiteral("0"));
            sgColumnGrid->SetCells(col, RowAlias, c.Alias);
            sgColumnGrid->SetCells(
                col, RowSortOrder, c.SortOrder > 0 ? QString::number(c.SortOrder) : QString());
        }
    }
    if (grouped)
        showHavingRow(this, true);
    cbDistinct->setChecked(plan.Distinct);
    return show();
}

} // namespace Diduza
