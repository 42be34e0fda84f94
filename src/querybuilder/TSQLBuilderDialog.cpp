#include "querybuilder/TSQLBuilderDialog.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/DialogService.h"
#include "platform/TStringList.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "sqlparser/SelectImport.h"
#include "sqlparser/TSQLParser.h"

#include <memory>

namespace Diduza {

namespace {
// The imported tables stand in one row: from (20, 20), 20 pixels apart.
constexpr int ImportMargin = 20;
} // namespace

TSQLBuilderDialog::TSQLBuilderDialog(QObject *AOwner)
    : QObject(AOwner)
{
}

TSQLBuilderDialog::~TSQLBuilderDialog() = default;

TSchemaDataEngine *TSQLBuilderDialog::GetDataEngine() const
{
    return FDataEngine;
}

void TSQLBuilderDialog::SetDataEngine(TSchemaDataEngine *Value)
{
    FDataEngine = Value;
}

bool TSQLBuilderDialog::Execute()
{
    // The form lives for this run only; whatever leaves Execute, it is gone by then and
    // SchemaDesignArea reads null again.
    struct RunScope {
        TSQLBuilderDialog *dialog;
        std::unique_ptr<TfrmZkSQLBuilder> form;
        ~RunScope()
        {
            dialog->FState = form->SaveState();
            dialog->sda = nullptr;
            dialog->FForm = nullptr;
            form.reset();
        }
    } run { this, std::make_unique<TfrmZkSQLBuilder>() };
    TfrmZkSQLBuilder *form = run.form.get();
    FForm = form;
    sda = form->SchemaDesignArea;

    sda->ClearAll();
    form->SetDataEngine(FDataEngine);
    if (!FCaption.isEmpty())
        form->setWindowTitle(FCaption);
    form->SetOnDrawTableItem(FOnDrawTableItem);
    form->SetOnGetTableName(FOnGetTableName);
    form->SetOnGetFieldName(FOnGetFieldName);
    form->SetOnAddItem(FOnAddItem);
    form->SetOnDeleteItem(FOnDeleteItem);

    form->SetJoinByKeys(FJoinByKeys);
    sda->SetShowKeys(FShowKeys);
    if (FShowKeys && FDataEngine) {
        // Before the import, so that its tables show their keys too.
        QVector<TSchemaTableInfo> info;
        FDataEngine->FillTableInfo(QStringList(), info);
        sda->MergeCatalog(info);
    }

    FLeftOut.clear();
    form->SetExtendedGrid(ExtendedGrid());
    form->SetSQLEditable(FSQLEditable);
    form->SetBackgroundExecution(FBackgroundExecution);
    form->SetRowLimit(FRowLimit);
    if (!FState.isEmpty())
        form->RestoreState(FState);
    const bool joinTree = FDataEngine && FDataEngine->SQLSubType() == stAnsi;
    const SqlSpelling spelling = FDataEngine ? FDataEngine->StatementSpelling() : SqlSpelling();
    if (FFullImport || joinTree) {
        FLeftOut = form->ImportQuery(ImportSelect(FSQL, spelling));
    } else {
        importStatement();
        FLeftOut = notImported(FSQL, spelling);
        form->ShowImportNotes(FLeftOut);
    }
    // The page's text is the statement as given; until the user changes something, OK returns
    // it untouched.
    form->SetSQLText(FSQL);

    const bool ok = DialogService()->ExecuteModal(*form) == QDialog::Accepted;
    if (ok)
        FSQL = form->SQLText();
    return ok;
}

void TSQLBuilderDialog::importStatement()
{
    TSQLParser parser(FSQL);
    TStringList tables;
    parser.GetSelectTableNames(tables);
    int left = ImportMargin;
    for (int i = 0; i < tables.Count(); ++i) {
        TSchemaItem *item = sda->AddItem(tables.Strings(i), scCheckListBox);
        if (!item)
            continue;
        item->SetLeft(left);
        item->SetTop(ImportMargin);
        item->RecalculateHeight();
        item->RecalculateWidth();
        left += item->Width() + ImportMargin;
    }

    parser.SetOnParsed([this](TSQLParser *Sender, TSQLToken Token, TSQLClause Clause,
                           const QString &Value) { SQLParsed(Sender, Token, Clause, Value); });
    try {
        parser.Parse();
    } catch (...) {
        // What the parse could not read stays out of the diagram.
    }
}

void TSQLBuilderDialog::SQLParsed(
    TSQLParser *, TSQLToken Token, TSQLClause Clause, const QString &Value)
{
    if (Token != stSymbol || Clause != scFields || !sda)
        return;
    TSchemaItem *item = nullptr;
    QString rowName;
    const qsizetype dot = Value.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        item = sda->FindItem(Value.left(dot));
        rowName = Value.mid(dot + 1);
    } else {
        item = sda->GetItem(0);
        rowName = Value;
    }
    if (!item)
        return;
    if (TSchemaSubItem *row = item->GetSubItemByName(rowName))
        row->SetChecked(true);
}

QStringList TSQLBuilderDialog::notImported(const QString &Sql, const SqlSpelling &Spelling)
{
    // The field import reads the tables and the plain fields; what else the statement holds
    // stays out, and the user is told.
    const ImportedQuery query = ImportSelect(Sql, Spelling);
    if (Sql.trimmed().isEmpty() || !query.Ok)
        return {};
    QStringList parts;
    bool joins = false;
    for (const ImportFromNode &node : query.From)
        joins = joins
            || (node.Type != ImportFromNode::fnTable && node.Type != ImportFromNode::fnCross);
    if (joins)
        parts << tr("the joins");
    bool fields = false;
    for (const ImportField &field : query.Fields)
        fields = fields || field.Type != ImportField::ifColumn || !field.Alias.isEmpty()
            || (!field.Column.Qualifier.isEmpty() && field.Column.Table >= 0
                && !query.Tables.at(field.Column.Table).Alias.isEmpty());
    if (fields)
        parts << tr("aggregates, expressions, column names and fields named through an alias");
    if (!query.Where.isEmpty())
        parts << tr("WHERE");
    if (!query.GroupBy.isEmpty())
        parts << tr("GROUP BY");
    if (query.HasHaving)
        parts << tr("HAVING");
    if (!query.OrderBy.isEmpty())
        parts << tr("ORDER BY");
    if (query.Distinct)
        parts << tr("DISTINCT");
    QStringList notes;
    if (!parts.isEmpty())
        notes << tr("Not imported (the full import reads it): %1")
                     .arg(parts.join(QStringLiteral(", ")));
    notes << query.LeftOut;
    return notes;
}

bool SQLBuilder(QString &SQL, TSchemaDataEngine *DataEngine)
{
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(DataEngine);
    dialog.SetSQL(SQL);
    const bool ok = dialog.Execute();
    if (ok)
        SQL = dialog.SQL();
    return ok;
}

} // namespace Diduza
