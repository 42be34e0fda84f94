#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilder_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/SqlDialect.h"
#include "engines/TSchemaDataEngine.h"
#include "engines/TSchemaQueryRun.h"
#include "engines/TSchemaRunModel.h"
#include "platform/Application.h"
#include "platform/DialogService.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TStringList.h"
#include "platform/TextPosition.h"
#include "querybuilder/QueryGenerator.h"
#include "querybuilder/SqlTemplate.h"
#include "relations/TSchemaRelation.h"
#include "sqlparser/SelectImport.h"

#include <QAbstractItemModel>
#include <QBuffer>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace Diduza {

TfrmZkSQLBuilderPages::TfrmZkSQLBuilderPages(TfrmZkSQLBuilder *form, TfrmZkSQLBuilderPrivate *dd)
    : q(form)
    , d(dd)
{
}

TfrmZkSQLBuilderPages::~TfrmZkSQLBuilderPages() = default;

// ---------------------------------------------------------------------------------------------
// Pages and tool bar

void TfrmZkSQLBuilderPages::SetSQLText(const QString &Value)
{
    FSQLText = Value;
    {
        const QScopedValueRollback<bool> setting(FSettingText, true);
        q->SQLMemo->setPlainText(Value);
    }
    FTextTyped = false;
    if (d->FSQLEditable) {
        q->CheckSQLText();
    } else {
        // A statement handed in that does not parse stays, marked where it fails.
        QString error;
        qsizetype position = -1;
        if (statementReads(Value, &error, &position))
            markSQLError(QString(), -1);
        else
            markSQLError(error, position);
    }
    FSQLSource = statementSource();
    d->FCleanState = workState();
}

bool TfrmZkSQLBuilderPages::IsStatementStale()
{
    return statementSource() != FSQLSource;
}

QString TfrmZkSQLBuilderPages::statementSource()
{
    // The application's name hooks are left out: they are asked only when a statement is
    // needed, and what they answer follows from the diagram they are asked about. So is the
    // refusal of a join the database cannot run: this text only tells the work apart, and a
    // diagram that holds such a join must still open, show and change.
    if (d->FBlocks.size() > 1)
        return GenerateCompoundQuery(d->compound(true));
    QueryInput input = queryInput(true);
    input.TableNameHook = nullptr;
    input.FieldNameHook = nullptr;
    input.JoinAvailable = nullptr;
    input.RefuseInvalid = false;
    return GenerateQuery(input);
}

void TfrmZkSQLBuilderPages::generateStatement()
{
    const QString sql = q->GenerateSQL();
    FSQLText = sql;
    {
        const QScopedValueRollback<bool> setting(FSettingText, true);
        q->SQLMemo->setPlainText(sql);
    }
    FTextTyped = false;
    if (d->FSQLEditable)
        q->CheckSQLText();
    FSQLSource = statementSource();
    const QStringList notes = d->importer.FImportNotes
        + (d->FBlocks.size() > 1 ? CompoundQueryNotes(d->compound(false))
                                 : QueryNotes(queryInput(true)));
    q->lblSQLNotes->setText(notes.join(QLatin1Char('\n')));
    q->lblSQLNotes->setVisible(!notes.isEmpty());
}

void TfrmZkSQLBuilderPages::executeStatement()
{
    // The previous rows go, whatever happens to this run.
    q->DBGrid1->setModel(nullptr);
    FResult = nullptr;
    delete FOwnedResult.data();
    q->lblResultError->hide();
    q->lblResultError->clear();

    FRun.reset(); // a run still going is cancelled
    if (q->lblResultStatus)
        q->lblResultStatus->clear();
    QString error;
    QAbstractItemModel *result = nullptr;
    if (TSchemaDataEngine *engine = d->FDataEngine) {
        try {
            if (d->FBackgroundExecution) {
                if (TSchemaQueryRun *run = engine->StartSQL(FSQLText, d->FRowLimit)) {
                    startRun(run);
                    return;
                }
            }
            result = engine->ExecSQL(FSQLText);
        } catch (const EAbort &) {
            throw;
        } catch (const Exception &e) {
            error = e.Message();
        } catch (const std::exception &e) {
            error = QString::fromLocal8Bit(e.what());
        }
    } else {
        error = QCoreApplication::translate(
            "Diduza::TfrmZkSQLBuilder", "No data engine is set, so the statement cannot be run.");
    }
    if (result) {
        // A model without a parent is the form's to free; one with a parent stays its owner's.
        if (!result->parent()) {
            result->setParent(q);
            FOwnedResult = result;
        }
        FResult = result;
        q->DBGrid1->setModel(result);
        // Columns as wide as their titles and first rows, within reason.
        q->DBGrid1->horizontalHeader()->setResizeContentsPrecision(50);
        q->DBGrid1->resizeColumnsToContents();
        for (int col = 0; col < result->columnCount(); ++col)
            q->DBGrid1->setColumnWidth(col, qMin(q->DBGrid1->columnWidth(col), 300));
    }
    if (!error.isEmpty()) {
        q->lblResultError->setText(error);
        q->lblResultError->show();
    }
    if (d->FBackgroundExecution)
        showRunStatus();
}

void TfrmZkSQLBuilderPages::pcSQLChange(QObject *)
{
    q->CommitEditor();
    QWidget *page = q->pcSQL->currentWidget();
    if (page == q->tsOptions) {
        d->showDialect();
    } else if (page == q->tsSQL) {
        // Looking changes nothing: the page keeps the text it holds (a statement handed in,
        // one that could not be read included) until the diagram or grid changes, or the user
        // asks for the statement (Generate).
        const bool asked = FGenerateAsked;
        FGenerateAsked = false;
        if (!keepTypedText() && (asked || FSQLText.isEmpty() || q->IsStatementStale()))
            generateStatement();
    } else if (page == q->tsResults) {
        if (q->IsRunning() || q->IsSavingResults())
            return; // the page shows the run that goes on
        // The page runs what the SQL page holds; a statement the diagram or grid have left
        // behind is generated anew rather than run stale.
        const bool typed = keepTypedText();
        if (!typed && (FSQLText.isEmpty() || q->IsStatementStale()))
            generateStatement();
        // A statement that stands for the diagram holds no join the database cannot run: the
        // builder refuses it as Generate does, rather than the server.
        if (!typed) {
            if (const QString refusal = unavailableJoin(); !refusal.isEmpty()) {
                q->DBGrid1->setModel(nullptr);
                q->lblResultError->setText(refusal);
                q->lblResultError->show();
                return;
            }
        }
        executeStatement();
    }
}

void TfrmZkSQLBuilderPages::btnNewClick(QObject *)
{
    // A new statement has one block.
    q->SetCurrentBlock(0);
    while (d->FBlocks.size() > 1) {
        const TfrmZkSQLBuilderPrivate::Block block = d->FBlocks.takeLast();
        delete block.Area.data();
        delete block.Grid.data();
    }
    d->updateBlockBar();
    {
        const QScopedValueRollback<bool> clearing(d->FClearing, true);
        q->SchemaDesignArea->ClearAll();
    }
    // The items took their columns with them; a column that counts the rows belongs to none.
    for (int col = q->sgColumnGrid->ColCount() - 1; col >= 1; --col) {
        if (!q->sgColumnGrid->Cells(col, RowField).isEmpty())
            d->grid.removeColumn(col);
    }
    q->ShowImportNotes({});
}

void TfrmZkSQLBuilderPages::btnOpenClick(QObject *)
{
    QString fileName;
    if (!DialogService()->ExecuteOpenDialog(q, d->FFileFilter, d->FDefaultExt, fileName))
        return;
    TfrmZkSQLBuilderFields::internalUpdate(q) = true;
    try {
        q->SchemaDesignArea->LoadFromFile(fileName);
    } catch (...) {
        TfrmZkSQLBuilderFields::internalUpdate(q) = false;
        d->showDialect();
        throw;
    }
    TfrmZkSQLBuilderFields::internalUpdate(q) = false;
    d->showDialect(); // the file may carry the dialect
}

void TfrmZkSQLBuilderPages::btnSaveClick(QObject *)
{
    q->CommitEditor();
    QString fileName;
    if (DialogService()->ExecuteSaveDialog(q, d->FFileFilter, d->FDefaultExt, fileName)) {
        q->SchemaDesignArea->SaveToFile(fileName);
        d->FCleanState = workState();
    }
}

void TfrmZkSQLBuilderPages::btnShowGridClick(QObject *)
{
    // The splitter's handle goes and comes with the page control.
    q->pcSQL->setVisible(q->btnShowGrid->isChecked());
}

void TfrmZkSQLBuilderPages::btnGenSQLClick(QObject *)
{
    q->CommitEditor();
    FGenerateAsked = true;
    if (q->pcSQL->currentWidget() == q->tsSQL)
        q->pcSQLChange(q->pcSQL);
    else
        q->pcSQL->setCurrentWidget(q->tsSQL); // the page change does the rest
}

void TfrmZkSQLBuilderPages::btnExecSQLClick(QObject *)
{
    q->CommitEditor();
    if (q->pcSQL->currentWidget() == q->tsResults)
        q->pcSQLChange(q->pcSQL);
    else
        q->pcSQL->setCurrentWidget(q->tsResults);
}

void TfrmZkSQLBuilderPages::btnOKClick(QObject *)
{
    q->CommitEditor();
    // A calculated column that cannot be written stops the statement: the user decides whether
    // the SQL page's statement goes back as it stands.
    QString problem = firstInvalidColumn();
    if (problem.isEmpty() && !keepTypedText() && q->IsStatementStale())
        generateStatement();
    // A statement known not to parse goes back only when the user says so.
    if (problem.isEmpty() && !statementReads(FSQLText, &problem))
        problem = TfrmZkSQLBuilder::tr("The statement does not parse: %1").arg(problem);
    if (!problem.isEmpty()
        && !DialogService()->Confirm(q,
            problem + QStringLiteral("\n\n")
                + TfrmZkSQLBuilder::tr(
                    "Close the query builder and return the statement on the SQL page as it "
                    "stands?")))
        return;
    q->done(QDialog::Accepted);
}

QString TfrmZkSQLBuilderPages::unavailableJoin()
{
    TSchemaDataEngine *engine = d->FDataEngine;
    if (!engine || engine->SQLSubType() == stLocal)
        return QString();
    for (int k = 0; k < d->FBlocks.size(); ++k) {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(d, k);
        const QueryInput input = queryInput(false);
        for (const QueryJoin &join : input.Joins) {
            if (join.ParentTable && join.ChildTable && !engine->JoinAvailable(join.Join))
                return UnavailableJoinMessage(join);
        }
    }
    return QString();
}

QString TfrmZkSQLBuilderPages::firstInvalidColumn()
{
    for (int k = 0; k < d->FBlocks.size(); ++k) {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(d, k);
        for (int col = 1; d->FExtendedGrid && col < q->sgColumnGrid->ColCount(); ++col) {
            const QString error = q->ColumnExpressionError(col);
            if (!error.isEmpty())
                return TfrmZkSQLBuilder::tr("The calculated column %1 (%2) cannot be written: %3")
                    .arg(col)
                    .arg(q->ColumnExpression(col).simplified().left(80), error);
        }
    }
    return QString();
}

bool TfrmZkSQLBuilderPages::statementReads(
    const QString &Text, QString *Error, qsizetype *Position) const
{
    if (Position)
        *Position = -1;
    if (Text.trimmed().isEmpty())
        return true;
    qsizetype position = -1;
    QString error;
    if (ParsesAsPostgres(Text, spelling(), &error, &position))
        return true;
    // The dialects' own marks and lines, which PostgreSQL's parser lacks, read as the import
    // reads them.
    const ImportedQuery read = ImportSelect(Text, spelling());
    if (read.Ok)
        return true;
    if (Position)
        *Position = position;
    if (Error) {
        static const QRegularExpression character(QStringLiteral("\\s*\\(at character \\d+\\)$"));
        error.remove(character);
        const QString at = position >= 0 ? LineColumnText(Text, position) : QString();
        *Error = at.isEmpty() || error.contains(at)
            ? error
            : TfrmZkSQLBuilder::tr("%1 (%2)").arg(error, at);
    }
    return false;
}

void TfrmZkSQLBuilderPages::btnCancelClick(QObject *)
{
    q->reject();
}

QString TfrmZkSQLBuilderPages::workState() const
{
    QString state;
    for (int k = 0; k < d->FBlocks.size(); ++k) {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(d, k);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        q->SchemaDesignArea->SaveToStream(buffer);
        QString block = QString::fromUtf8(buffer.data());
        // The time of saving is not part of the work.
        static const QRegularExpression saved(
            QStringLiteral("^Saved=[^\r\n]*"), QRegularExpression::MultilineOption);
        block.remove(saved);
        state += block;
        for (int col = 0; col < q->sgColumnGrid->ColCount(); ++col) {
            for (int row = RowField; row <= LastGridRow; ++row)
                state += QLatin1Char('\x1f') + q->sgColumnGrid->Cells(col, row);
        }
        state += q->cbDistinct->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
        state += QChar(0x1e) + QString::number(k > 0 ? int(d->FBlocks.at(k).Operator) : -1);
    }
    state += QStringLiteral("|%1|%2").arg(d->FStatementLimit).arg(d->FStatementOffset);
    return state;
}

bool TfrmZkSQLBuilderPages::HasUnsavedChanges() const
{
    if (FTextTyped)
        return true; // a typed statement is work too
    return workState() != d->FCleanState;
}

void TfrmZkSQLBuilderPages::reject()
{
    // Closing by Escape, Cancel or the window's close button asks before the work goes, and
    // ends a statement that runs (Escape alone ends only the statement: keyPressEvent).
    bool close = true;
    Guarded([&] {
        close = mayCloseWhileRunning();
        if (close && q->HasUnsavedChanges())
            close = DialogService()->Confirm(q,
                QCoreApplication::translate("Diduza::TfrmZkSQLBuilder",
                    "The query has changes that will be lost. Close the query builder anyway?"));
    });
    if (close) {
        q->CancelRun();
        q->QDialog::reject();
    }
}

void TfrmZkSQLBuilder::pnlToolbarResize(QObject *)
{
    btnCancel->move(pnlToolbar->width() - btnCancel->width() - 10, btnCancel->y());
    btnOK->move(btnCancel->x() - btnOK->width() - 5, btnOK->y());
}

// ---------------------------------------------------------------------------------------------
// The statement

void TfrmZkSQLBuilderPages::ExpandSQL(QString &SQL, const QString &Macro, const QString &Value)
{
    ::Diduza::ExpandSQL(SQL, Macro, Value);
}

void TfrmZkSQLBuilderPages::RemoveBlankLines(QString &SQL)
{
    ::Diduza::RemoveBlankLines(SQL);
}

namespace {
// The data engine's dialect: its template, join texts, name quoting and the joins it runs.
void takeEngineDialect(QueryInput &input, TSchemaDataEngine *engine)
{
    input.SubType = engine->SQLSubType();
    input.Template = engine->GetSQLTemplate();
    input.JoinScript = [engine](const QString &strParent, const QString &strChild,
                           TSDRelationOperator Operator, TSDRelationJoin Join) {
        return engine->GetJoinScript(strParent, strChild, Operator, Join);
    };
    input.JoinSeparator = [engine](TSDRelationJoin Join) { return engine->GetJoinSeparator(Join); };
    input.Quoting = engine->NameQuoting();
    input.JoinAvailable = [engine](TSDRelationJoin Join) { return engine->JoinAvailable(Join); };
    input.LimitText
        = [engine](qint64 Limit, qint64 Offset) { return engine->RowLimitClause(Limit, Offset); };
}
} // namespace

QueryInput TfrmZkSQLBuilderPages::queryInput(bool withColumns)
{
    QueryInput input;
    TSchemaDesignArea *area = q->SchemaDesignArea;
    // Each item's table once: the columns name their tables again and again.
    QHash<const TSchemaItem *, QueryTable> tables;
    auto cachedTableOf = [&](TSchemaItem *item) -> std::optional<QueryTable> {
        if (!item)
            return std::nullopt;
        const auto found = tables.constFind(item);
        return found != tables.constEnd() ? *found : tableOf(area, item);
    };
    for (int i = 0; area && i < area->ControlCount(); ++i) {
        QObject *control = area->Controls(i);
        if (auto *item = qobject_cast<TSchemaItem *>(control)) {
            QueryTable table = *tableOf(area, item);
            if (withColumns) {
                // The fields tell whether a bare field name is ambiguous.
                table.Fields.reserve(item->GetSubItemCount());
                for (int r = 0; r < item->GetSubItemCount(); ++r)
                    table.Fields << item->GetSubItem(r)->Caption();
            }
            input.Tables.append(table);
            tables.insert(item, input.Tables.last());
        } else if (auto *relation = qobject_cast<TSchemaRelation *>(control)) {
            QueryJoin join;
            join.ParentTable = tableOf(area, relation->ParentItem());
            join.ParentField = fieldOf(relation->ParentSubItem());
            join.ChildTable = tableOf(area, relation->ChildItem());
            join.ChildField = fieldOf(relation->ChildSubItem());
            join.Operator = relation->JoinOperator();
            join.Join = relation->JoinType();
            join.Condition = relation->JoinCondition();
            input.Joins.append(join);
        }
    }

    if (withColumns) {
        // The calculated columns read against one list of the diagram's tables.
        if (d->FExtendedGrid) {
            QVector<ColumnExpressionTable> tables = d->grid.expressionTables();
            const QString key = TfrmZkSQLBuilderGrid::tablesKey(tables);
            d->grid.FTablesOfPass = qMakePair(std::move(tables), key);
            QueryInput names = queryInput(false);
            names.TableNameHook = nullptr;
            d->grid.FNamesOfPass = names;
            d->grid.FPrefixesOfPass.clear();
            d->grid.FReadingsOfPass = d->grid.readingsOf(d->grid.FTablesOfPass->second);
        }
        const auto passEnds = qScopeGuard([this] {
            d->grid.FTablesOfPass.reset();
            d->grid.FNamesOfPass.reset();
            d->grid.FPrefixesOfPass.clear();
            d->grid.FReadingsOfPass.reset();
        });
        input.Columns.reserve(q->sgColumnGrid->ColCount());
        for (int col = 1; col < q->sgColumnGrid->ColCount(); ++col) {
            QueryColumn column;
            column.FieldCell = q->sgColumnGrid->Cells(col, RowField);
            if (TSchemaSubItem *subItem = q->ReferencedSubItem(column.FieldCell)) {
                column.Field = fieldOf(subItem);
                column.Table = cachedTableOf(subItem->ItemOwner());
            } else if (d->FExtendedGrid
                && TfrmZkSQLBuilderGrid::isCalculatedCell(column.FieldCell)) {
                column.Expression = d->grid.queryExpression(column.FieldCell, cachedTableOf);
            }
            column.Calculate = q->sgColumnGrid->Cells(col, RowCalculate);
            column.Sort = q->sgColumnGrid->Cells(col, RowSort);
            column.Where = q->sgColumnGrid->Cells(col, RowWhere);
            column.Grouping = q->sgColumnGrid->Cells(col, RowGrouping);
            column.Having = q->sgColumnGrid->Cells(col, RowHaving);
            if (d->FExtendedGrid) {
                column.AllRows = column.FieldCell == AllRowsCell;
                column.Show = q->sgColumnGrid->Cells(col, RowShow);
                column.Alias = q->sgColumnGrid->Cells(col, RowAlias);
                column.SortOrder = q->sgColumnGrid->Cells(col, RowSortOrder);
            }
            input.Columns.append(std::move(column));
        }
        input.Distinct = q->cbDistinct->isChecked();
        if (d->FExtendedGrid) {
            input.Limit = d->FStatementLimit;
            input.Offset = d->FStatementOffset;
        }
    }

    if (TSchemaDataEngine *engine = d->FDataEngine)
        takeEngineDialect(input, engine);
    if (const TGetSchemaItemEvent handler = d->FOnGetTableName) {
        input.TableNameHook = [this, handler](const QueryTable &Table, bool IsAlias) {
            return handler(q, qobject_cast<TSchemaItem *>(Table.Object), Table.ItemIndex, IsAlias);
        };
    }
    if (const TGetSchemaSubItemEvent handler = d->FOnGetFieldName) {
        input.FieldNameHook = [this, handler](const QueryField &Field) {
            return handler(q, qobject_cast<TSchemaSubItem *>(Field.Object));
        };
    }
    input.Expand = [this](QString &SQL, const QString &Macro, const QString &Value) {
        q->ExpandSQL(SQL, Macro, Value);
    };
    return input;
}

SqlSpelling TfrmZkSQLBuilderPages::spelling() const
{
    return d->FDataEngine ? d->FDataEngine->StatementSpelling() : SqlSpelling();
}

QString TfrmZkSQLBuilderPages::GenerateSQL()
{
    if (d->FBlocks.size() > 1)
        return GenerateCompoundQuery(d->compound(false));
    return GenerateQuery(queryInput(true));
}

QString TfrmZkSQLBuilderPages::GetTableName(TSchemaItem *Item, bool IsAlias)
{
    if (!Item)
        return QString();
    return QueryTableName(queryInput(false), tableOf(q->SchemaDesignArea, Item), IsAlias);
}

QString TfrmZkSQLBuilderPages::GetFieldName(TSchemaSubItem *SubItem)
{
    if (!SubItem)
        return QString();
    QueryInput input;
    if (TSchemaDataEngine *engine = d->FDataEngine)
        input.Quoting = engine->NameQuoting();
    if (const TGetSchemaSubItemEvent handler = d->FOnGetFieldName) {
        input.FieldNameHook = [this, handler](const QueryField &Field) {
            return handler(q, qobject_cast<TSchemaSubItem *>(Field.Object));
        };
    }
    return QueryFieldName(input, fieldOf(SubItem));
}

TSchemaItem *AddNewItem(
    TSchemaDesignArea *Area, const QString &ACaption, const QVariant &AObject, int X, int Y)
{
    if (!Area)
        return nullptr;
    TSchemaItem *item = Area->AddItemObject(ACaption, scCheckListBox, AObject);
    if (!item)
        return nullptr;
    item->SetLeft(X);
    item->SetTop(Y);
    if (TSchemaSubItem *first = item->GetSubItem(0))
        first->SetChecked(true);
    return item;
}

void TfrmZkSQLBuilderPages::createStatementPages()
{
    q->tsSQL = new QWidget;
    q->tsSQL->setObjectName(QStringLiteral("tsSQL"));
    q->pcSQL->addTab(q->tsSQL, QString());
    q->SQLMemo = new QPlainTextEdit(q->tsSQL);
    q->SQLMemo->setObjectName(QStringLiteral("SQLMemo"));
    q->SQLMemo->setAccessibleName(LoadResString(_strSQLPage));
    q->SQLMemo->setReadOnly(true);
    q->SQLMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    q->SQLMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    q->SQLMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    q->lblSQLNotes = new QLabel(q->tsSQL);
    q->lblSQLNotes->setObjectName(QStringLiteral("lblSQLNotes"));
    q->lblSQLNotes->setWordWrap(true);
    q->lblSQLNotes->setContentsMargins(6, 2, 6, 2);
    q->lblSQLNotes->hide();
    auto *sqlLayout = new QVBoxLayout(q->tsSQL);
    sqlLayout->setContentsMargins(0, 0, 0, 0);
    sqlLayout->setSpacing(0);
    sqlLayout->addWidget(q->lblSQLNotes);
    sqlLayout->addWidget(q->SQLMemo, 1);

    q->tsResults = new QWidget;
    q->tsResults->setObjectName(QStringLiteral("tsResults"));
    q->pcSQL->addTab(q->tsResults, QString());
    q->lblResultError = new QLabel(q->tsResults);
    q->lblResultError->setObjectName(QStringLiteral("lblResultError"));
    q->lblResultError->setWordWrap(true);
    q->lblResultError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    q->lblResultError->setContentsMargins(6, 4, 6, 4);
    q->lblResultError->hide();
    q->DBGrid1 = new QTableView(q->tsResults);
    q->DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    q->DBGrid1->setAccessibleName(LoadResString(_strResultPage));
    q->DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    q->DBGrid1->setTabKeyNavigation(false); // Tab leaves the grid, the arrows move in it
    q->DBGrid1->verticalHeader()->setDefaultSectionSize(19);
    auto *resultsLayout = new QVBoxLayout(q->tsResults);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    resultsLayout->setSpacing(0);
    resultsLayout->addWidget(q->lblResultError);
    resultsLayout->addWidget(q->DBGrid1, 1);
    createQueryTools();
}
void TfrmZkSQLBuilderPages::createSqlTools()
{
    // The SQL page's bar: the parse error, busy while a statement runs, Apply, Run.
    q->pnlSQLTools = new QWidget(q->tsSQL);
    q->pnlSQLTools->setObjectName(QStringLiteral("pnlSQLTools"));
    auto *sqlBar = new QHBoxLayout(q->pnlSQLTools);
    sqlBar->setContentsMargins(4, 2, 4, 2);
    q->lblSQLError = new QLabel(q->pnlSQLTools);
    q->lblSQLError->setObjectName(QStringLiteral("lblSQLError"));
    q->lblSQLError->setTextFormat(Qt::PlainText);
    q->btnApplySQL = new QPushButton(TfrmZkSQLBuilder::tr("&Apply to diagram"), q->pnlSQLTools);
    q->btnApplySQL->setObjectName(QStringLiteral("btnApplySQL"));
    q->btnApplySQL->setAutoDefault(false);
    q->btnRunSQL = new QPushButton(TfrmZkSQLBuilder::tr("&Run"), q->pnlSQLTools);
    q->btnRunSQL->setObjectName(QStringLiteral("btnRunSQL"));
    q->btnRunSQL->setAutoDefault(false);
    q->btnRunSQL->setToolTip(TfrmZkSQLBuilder::tr("Runs the text as written (F5, Ctrl+Enter)"));
    q->pbSQLRunning = new QProgressBar(q->pnlSQLTools);
    q->pbSQLRunning->setObjectName(QStringLiteral("pbSQLRunning"));
    q->pbSQLRunning->setRange(0, 0);
    q->pbSQLRunning->setMaximumWidth(80);
    q->pbSQLRunning->setTextVisible(false);
    q->pbSQLRunning->hide();
    sqlBar->addWidget(q->lblSQLError, 1);
    sqlBar->addWidget(q->pbSQLRunning);
    sqlBar->addWidget(q->btnApplySQL);
    sqlBar->addWidget(q->btnRunSQL);
    q->pnlSQLTools->hide();
    static_cast<QVBoxLayout *>(q->tsSQL->layout())->insertWidget(1, q->pnlSQLTools);
    QObject::connect(q->btnApplySQL, &QPushButton::clicked, q,
        [this] { Guarded([&] { q->ApplySQLToDiagram(); }); });
    QObject::connect(
        q->btnRunSQL, &QPushButton::clicked, q, [this] { Guarded([&] { q->RunSQLText(); }); });
    FCheckTimer = new QTimer(q);
    FCheckTimer->setSingleShot(true);
    FCheckTimer->setInterval(400);
    QObject::connect(
        FCheckTimer, &QTimer::timeout, q, [this] { Guarded([&] { q->CheckSQLText(); }); });
    QObject::connect(
        q->SQLMemo, &QPlainTextEdit::textChanged, q, [this] { Guarded([&] { sqlTextEdited(); }); });
}
void TfrmZkSQLBuilderPages::createResultTools()
{
    // The results page's bar: busy, status, row limit, Cancel, CSV.
    q->pnlResultTools = new QWidget(q->tsResults);
    q->pnlResultTools->setObjectName(QStringLiteral("pnlResultTools"));
    auto *bar = new QHBoxLayout(q->pnlResultTools);
    bar->setContentsMargins(4, 2, 4, 2);
    q->pbRunning = new QProgressBar(q->pnlResultTools);
    q->pbRunning->setObjectName(QStringLiteral("pbRunning"));
    q->pbRunning->setRange(0, 0); // busy, without an end to show
    q->pbRunning->setMaximumWidth(80);
    q->pbRunning->setTextVisible(false);
    q->pbRunning->hide();
    q->lblResultIcon = new QLabel(q->pnlResultTools);
    q->lblResultIcon->setObjectName(QStringLiteral("lblResultIcon"));
    q->lblResultIcon->hide();
    q->lblResultStatus = new QLabel(q->pnlResultTools);
    q->lblResultStatus->setObjectName(QStringLiteral("lblResultStatus"));
    q->lblResultStatus->setTextFormat(Qt::PlainText);
    auto *limitLabel = new QLabel(TfrmZkSQLBuilder::tr("Row &limit:"), q->pnlResultTools);
    q->seRowLimit = new QSpinBox(q->pnlResultTools);
    q->seRowLimit->setObjectName(QStringLiteral("seRowLimit"));
    q->seRowLimit->setRange(0, 100000000);
    q->seRowLimit->setSpecialValueText(TfrmZkSQLBuilder::tr("none"));
    limitLabel->setBuddy(q->seRowLimit);
    QObject::connect(
        q->seRowLimit, &QSpinBox::valueChanged, q, [this](int v) { d->FRowLimit = v; });
    q->btnCancelRun = new QPushButton(TfrmZkSQLBuilder::tr("&Cancel"), q->pnlResultTools);
    q->btnCancelRun->setObjectName(QStringLiteral("btnCancelRun"));
    q->btnCancelRun->setAutoDefault(false);
    q->btnCancelRun->setEnabled(false);
    q->btnSaveCsv = new QPushButton(TfrmZkSQLBuilder::tr("Save as CS&V..."), q->pnlResultTools);
    q->btnSaveCsv->setObjectName(QStringLiteral("btnSaveCsv"));
    q->btnSaveCsv->setAutoDefault(false);
    bar->addWidget(q->pbRunning);
    bar->addWidget(q->lblResultIcon);
    bar->addWidget(q->lblResultStatus, 1);
    bar->addWidget(limitLabel);
    bar->addWidget(q->seRowLimit);
    bar->addWidget(q->btnCancelRun);
    bar->addWidget(q->btnSaveCsv);
    q->pnlResultTools->hide();
    static_cast<QVBoxLayout *>(q->tsResults->layout())->insertWidget(0, q->pnlResultTools);
    QObject::connect(
        q->btnCancelRun, &QPushButton::clicked, q, [this] { Guarded([&] { q->CancelRun(); }); });
    QObject::connect(q->btnSaveCsv, &QPushButton::clicked, q, [this] {
        Guarded([&] {
            QString name;
            if (!DialogService()->ExecuteSaveDialog(q,
                    TfrmZkSQLBuilder::tr("CSV files (*.csv)|*.csv|All files (*.*)|*.*"),
                    QStringLiteral("csv"), name))
                return;
            QString error;
            if (!q->StartSavingResultsCsv(name, &error))
                DialogService()->ShowError(q, error);
        });
    });
}
void TfrmZkSQLBuilderPages::createQueryTools()
{
    createSqlTools();
    createResultTools();

    // Copying cells, and the run keys.
    createResultActions();
    for (const QKeySequence &keys : { QKeySequence(Qt::Key_F5),
             QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter) }) {
        auto *run = new QShortcut(keys, q);
        QObject::connect(run, &QShortcut::activated, q, [this] {
            if ((!d->FBackgroundExecution && !d->FSQLEditable) || q->IsRunning()
                || q->IsSavingResults())
                return;
            Guarded([&] {
                if (d->FSQLEditable && q->pcSQL->currentWidget() == q->tsSQL)
                    q->RunSQLText();
                else
                    q->btnExecSQLClick(q->btnExecSQL);
            });
        });
    }
}

} // namespace Diduza
