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

#include <QPointer>

#include <memory>
#include <optional>

namespace Diduza {

// The dialog's own state: its properties, the handlers it hands to each run's form, and the
// form and design area while a run lasts.
class TSQLBuilderDialogPrivate {
public:
    // The field import: the statement's tables in one row, and the rows its SELECT list names
    // ticked.
    void importStatement();

    TSchemaDesignArea *sda = nullptr;
    TfrmZkSQLBuilder *FForm = nullptr;
    QPointer<TSchemaDataEngine> FDataEngine;
    QString FCaption;
    QString FSQL;
    bool FFullImport = false;
    std::optional<bool> FExtendedGrid;
    bool FSQLEditable = false;
    bool FBackgroundExecution = false;
    int FRowLimit = 0;
    QByteArray FState;
    bool FJoinByKeys = false;
    bool FShowKeys = false;
    QStringList FLeftOut;
    TDrawItemEvent FOnDrawTableItem;
    TGetSchemaItemEvent FOnGetTableName;
    TGetSchemaSubItemEvent FOnGetFieldName;
    TSchemaItemEvent FOnAddItem;
    TSchemaItemEvent FOnDeleteItem;
};

namespace {
// The imported tables stand in one row: from (20, 20), 20 pixels apart.
constexpr int ImportMargin = 20;

// A field of the SELECT list ticks its row: of the table it names, or of the first table.
void tickNamedRow(TSchemaDesignArea *sda, TSQLToken Token, TSQLClause Clause, const QString &Value)
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

// What the field import leaves out of Sql, for the user.
QStringList notImported(const QString &Sql, const SqlSpelling &Spelling)
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
        parts << TSQLBuilderDialog::tr("the joins");
    bool fields = false;
    for (const ImportField &field : query.Fields)
        fields = fields || field.Type != ImportField::ifColumn || !field.Alias.isEmpty()
            || (!field.Column.Qualifier.isEmpty() && field.Column.Table >= 0
                && !query.Tables.at(field.Column.Table).Alias.isEmpty());
    if (fields)
        parts << TSQLBuilderDialog::tr(
            "aggregates, expressions, column names and fields named through an alias");
    if (!query.Where.isEmpty())
        parts << TSQLBuilderDialog::tr("WHERE");
    if (!query.GroupBy.isEmpty())
        parts << TSQLBuilderDialog::tr("GROUP BY");
    if (query.HasHaving)
        parts << TSQLBuilderDialog::tr("HAVING");
    if (!query.OrderBy.isEmpty())
        parts << TSQLBuilderDialog::tr("ORDER BY");
    if (query.Distinct)
        parts << TSQLBuilderDialog::tr("DISTINCT");
    QStringList notes;
    if (!parts.isEmpty())
        notes << TSQLBuilderDialog::tr("Not imported (the full import reads it): %1")
                     .arg(parts.join(QStringLiteral(", ")));
    notes << query.LeftOut;
    return notes;
}
} // namespace

TSQLBuilderDialog::TSQLBuilderDialog(QObject *AOwner)
    : QObject(AOwner)
    , d(std::make_unique<TSQLBuilderDialogPrivate>())
{
}

TSQLBuilderDialog::~TSQLBuilderDialog() = default;

QString TSQLBuilderDialog::Caption() const
{
    return d->FCaption;
}

void TSQLBuilderDialog::SetCaption(const QString &Value)
{
    d->FCaption = Value;
}

QString TSQLBuilderDialog::SQL() const
{
    return d->FSQL;
}

void TSQLBuilderDialog::SetSQL(const QString &Value)
{
    d->FSQL = Value;
}

bool TSQLBuilderDialog::FullImport() const
{
    return d->FFullImport;
}

void TSQLBuilderDialog::SetFullImport(bool Value)
{
    d->FFullImport = Value;
}

QStringList TSQLBuilderDialog::LeftOut() const
{
    return d->FLeftOut;
}

bool TSQLBuilderDialog::ExtendedGrid() const
{
    return d->FExtendedGrid.value_or(d->FFullImport);
}

void TSQLBuilderDialog::SetExtendedGrid(bool Value)
{
    d->FExtendedGrid = Value;
}

bool TSQLBuilderDialog::SQLEditable() const
{
    return d->FSQLEditable;
}

void TSQLBuilderDialog::SetSQLEditable(bool Value)
{
    d->FSQLEditable = Value;
}

bool TSQLBuilderDialog::BackgroundExecution() const
{
    return d->FBackgroundExecution;
}

void TSQLBuilderDialog::SetBackgroundExecution(bool Value)
{
    d->FBackgroundExecution = Value;
}

int TSQLBuilderDialog::RowLimit() const
{
    return d->FRowLimit;
}

void TSQLBuilderDialog::SetRowLimit(int Value)
{
    d->FRowLimit = Value;
}

QByteArray TSQLBuilderDialog::SaveState() const
{
    return d->FState;
}

void TSQLBuilderDialog::RestoreState(const QByteArray &State)
{
    d->FState = State;
}

bool TSQLBuilderDialog::JoinByKeys() const
{
    return d->FJoinByKeys;
}

void TSQLBuilderDialog::SetJoinByKeys(bool Value)
{
    d->FJoinByKeys = Value;
}

bool TSQLBuilderDialog::ShowKeys() const
{
    return d->FShowKeys;
}

void TSQLBuilderDialog::SetShowKeys(bool Value)
{
    d->FShowKeys = Value;
}

TSchemaDesignArea *TSQLBuilderDialog::SchemaDesignArea() const
{
    return d->sda;
}

TfrmZkSQLBuilder *TSQLBuilderDialog::Form() const
{
    return d->FForm;
}

TDrawItemEvent TSQLBuilderDialog::OnDrawTableItem() const
{
    return d->FOnDrawTableItem;
}

void TSQLBuilderDialog::SetOnDrawTableItem(TDrawItemEvent Value)
{
    d->FOnDrawTableItem = std::move(Value);
}

TGetSchemaItemEvent TSQLBuilderDialog::OnGetTableName() const
{
    return d->FOnGetTableName;
}

void TSQLBuilderDialog::SetOnGetTableName(TGetSchemaItemEvent Value)
{
    d->FOnGetTableName = std::move(Value);
}

TGetSchemaSubItemEvent TSQLBuilderDialog::OnGetFieldName() const
{
    return d->FOnGetFieldName;
}

void TSQLBuilderDialog::SetOnGetFieldName(TGetSchemaSubItemEvent Value)
{
    d->FOnGetFieldName = std::move(Value);
}

TSchemaItemEvent TSQLBuilderDialog::OnAddItem() const
{
    return d->FOnAddItem;
}

void TSQLBuilderDialog::SetOnAddItem(TSchemaItemEvent Value)
{
    d->FOnAddItem = std::move(Value);
}

TSchemaItemEvent TSQLBuilderDialog::OnDeleteItem() const
{
    return d->FOnDeleteItem;
}

void TSQLBuilderDialog::SetOnDeleteItem(TSchemaItemEvent Value)
{
    d->FOnDeleteItem = std::move(Value);
}

TSchemaDataEngine *TSQLBuilderDialog::GetDataEngine() const
{
    return d->FDataEngine;
}

void TSQLBuilderDialog::SetDataEngine(TSchemaDataEngine *Value)
{
    d->FDataEngine = Value;
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
            dialog->d->FState = form->SaveState();
            dialog->d->sda = nullptr;
            dialog->d->FForm = nullptr;
            form.reset();
        }
    } run { this, std::make_unique<TfrmZkSQLBuilder>() };
    TfrmZkSQLBuilder *form = run.form.get();
    d->FForm = form;
    d->sda = form->SchemaDesignArea;

    d->sda->ClearAll();
    form->SetDataEngine(d->FDataEngine);
    if (!d->FCaption.isEmpty())
        form->setWindowTitle(d->FCaption);
    form->SetOnDrawTableItem(d->FOnDrawTableItem);
    form->SetOnGetTableName(d->FOnGetTableName);
    form->SetOnGetFieldName(d->FOnGetFieldName);
    form->SetOnAddItem(d->FOnAddItem);
    form->SetOnDeleteItem(d->FOnDeleteItem);

    form->SetJoinByKeys(d->FJoinByKeys);
    d->sda->SetShowKeys(d->FShowKeys);
    if (d->FShowKeys && d->FDataEngine) {
        // Before the import, so that its tables show their keys too.
        QVector<TSchemaTableInfo> info;
        d->FDataEngine->FillTableInfo(QStringList(), info);
        d->sda->MergeCatalog(info);
    }

    d->FLeftOut.clear();
    form->SetExtendedGrid(ExtendedGrid());
    form->SetSQLEditable(d->FSQLEditable);
    form->SetBackgroundExecution(d->FBackgroundExecution);
    form->SetRowLimit(d->FRowLimit);
    if (!d->FState.isEmpty())
        form->RestoreState(d->FState);
    const bool joinTree = d->FDataEngine && d->FDataEngine->SQLSubType() == stAnsi;
    const SqlSpelling spelling
        = d->FDataEngine ? d->FDataEngine->StatementSpelling() : SqlSpelling();
    if (d->FSQL.trimmed().isEmpty()) {
        // Nothing to carry over, and nothing to say about it.
    } else if (d->FFullImport || joinTree) {
        d->FLeftOut = form->ImportQuery(ImportSelect(d->FSQL, spelling));
    } else {
        d->importStatement();
        d->FLeftOut = notImported(d->FSQL, spelling);
        form->ShowImportNotes(d->FLeftOut);
    }
    // The page's text is the statement as given; until the user changes something, OK returns
    // it untouched.
    form->SetSQLText(d->FSQL);

    const bool ok = DialogService()->ExecuteModal(*form) == QDialog::Accepted;
    if (ok)
        d->FSQL = form->SQLText();
    return ok;
}

void TSQLBuilderDialogPrivate::importStatement()
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

    // Each field of the SELECT list ticks the row it names.
    parser.SetOnParsed([this](TSQLParser *, TSQLToken Token, TSQLClause Clause,
                           const QString &Value) { tickNamedRow(sda, Token, Clause, Value); });
    try {
        parser.Parse();
    } catch (...) {
        // What the parse could not read stays out of the diagram.
    }
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
