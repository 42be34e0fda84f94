#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderParts_p.h"

#include "platform/TextPosition.h"

#include <QScopeGuard>

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// Pages and tool bar

void TfrmZkSQLBuilder::SetSQLText(const QString &Value)
{
    d->FSQLText = Value;
    {
        const QScopedValueRollback<bool> setting(d->FSettingText, true);
        SQLMemo->setPlainText(Value);
    }
    d->FTextTyped = false;
    if (d->FSQLEditable) {
        CheckSQLText();
    } else {
        // A statement handed in that does not parse stays, marked where it fails.
        QString error;
        qsizetype position = -1;
        if (statementReads(Value, &error, &position))
            markSQLError(QString(), -1);
        else
            markSQLError(error, position);
    }
    d->FSQLSource = statementSource();
    d->FCleanState = workState();
}

bool TfrmZkSQLBuilder::IsStatementStale()
{
    return statementSource() != d->FSQLSource;
}

QString TfrmZkSQLBuilder::statementSource()
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

void TfrmZkSQLBuilder::generateStatement()
{
    const QString sql = GenerateSQL();
    d->FSQLText = sql;
    {
        const QScopedValueRollback<bool> setting(d->FSettingText, true);
        SQLMemo->setPlainText(sql);
    }
    d->FTextTyped = false;
    if (d->FSQLEditable)
        CheckSQLText();
    d->FSQLSource = statementSource();
    const QStringList notes = d->FImportNotes
        + (d->FBlocks.size() > 1 ? CompoundQueryNotes(d->compound(false))
                                 : QueryNotes(queryInput(true)));
    lblSQLNotes->setText(notes.join(QLatin1Char('\n')));
    lblSQLNotes->setVisible(!notes.isEmpty());
}

void TfrmZkSQLBuilder::executeStatement()
{
    // The previous rows go, whatever happens to this run.
    DBGrid1->setModel(nullptr);
    d->FResult = nullptr;
    delete d->FOwnedResult.data();
    lblResultError->hide();
    lblResultError->clear();

    d->FRun.reset(); // a run still going is cancelled
    if (lblResultStatus)
        lblResultStatus->clear();
    QString error;
    QAbstractItemModel *result = nullptr;
    if (TSchemaDataEngine *engine = d->FDataEngine) {
        try {
            if (d->FBackgroundExecution) {
                if (TSchemaQueryRun *run = engine->StartSQL(d->FSQLText, d->FRowLimit)) {
                    startRun(run);
                    return;
                }
            }
            result = engine->ExecSQL(d->FSQLText);
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
            result->setParent(this);
            d->FOwnedResult = result;
        }
        d->FResult = result;
        DBGrid1->setModel(result);
        // Columns as wide as their titles and first rows, within reason.
        DBGrid1->horizontalHeader()->setResizeContentsPrecision(50);
        DBGrid1->resizeColumnsToContents();
        for (int col = 0; col < result->columnCount(); ++col)
            DBGrid1->setColumnWidth(col, qMin(DBGrid1->columnWidth(col), 300));
    }
    if (!error.isEmpty()) {
        lblResultError->setText(error);
        lblResultError->show();
    }
    if (d->FBackgroundExecution)
        showRunStatus();
}

void TfrmZkSQLBuilder::CommitEditor()
{
    // What is typed counts wherever the user goes next: the text edit and the check box write
    // their value when it differs from the cell's.
    if (d->FEditCol < 0 || d->FEditRow < 0)
        return;
    if (cbFields && !cbFields->isHidden()) {
        commitFieldText(d->FEditCol, cbFields->currentText());
    } else if (!edWhere->isHidden()) {
        if (edWhere->text() != sgColumnGrid->Cells(d->FEditCol, d->FEditRow))
            cbInplaceChange(edWhere);
        else
            edWhere->hide();
    } else if (!cbGroupBy->isHidden()) {
        const QString cell = sgColumnGrid->Cells(d->FEditCol, d->FEditRow);
        const bool ticked
            = d->FEditRow == RowShow ? cell != QLatin1String("0") : cell == QLatin1String("1");
        if (cbGroupBy->isChecked() != ticked)
            cbInplaceChange(cbGroupBy);
    }
}

void TfrmZkSQLBuilder::pcSQLChange(QObject *)
{
    CommitEditor();
    QWidget *page = pcSQL->currentWidget();
    if (page == tsOptions) {
        showDialect();
    } else if (page == tsSQL) {
        // Looking changes nothing: the page keeps the text it holds (a statement handed in,
        // one that could not be read included) until the diagram or grid changes, or the user
        // asks for the statement (Generate).
        const bool asked = d->FGenerateAsked;
        d->FGenerateAsked = false;
        if (!keepTypedText() && (asked || d->FSQLText.isEmpty() || IsStatementStale()))
            generateStatement();
    } else if (page == tsResults) {
        if (IsRunning() || IsSavingResults())
            return; // the page shows the run that goes on
        // The page runs what the SQL page holds; a statement the diagram or grid have left
        // behind is generated anew rather than run stale.
        const bool typed = keepTypedText();
        if (!typed && (d->FSQLText.isEmpty() || IsStatementStale()))
            generateStatement();
        // A statement that stands for the diagram holds no join the database cannot run: the
        // builder refuses it as Generate does, rather than the server.
        if (!typed) {
            if (const QString refusal = unavailableJoin(); !refusal.isEmpty()) {
                DBGrid1->setModel(nullptr);
                lblResultError->setText(refusal);
                lblResultError->show();
                return;
            }
        }
        executeStatement();
    }
}

void TfrmZkSQLBuilder::btnNewClick(QObject *)
{
    // A new statement has one block.
    SetCurrentBlock(0);
    while (d->FBlocks.size() > 1) {
        const TfrmZkSQLBuilderPrivate::Block block = d->FBlocks.takeLast();
        delete block.Area.data();
        delete block.Grid.data();
    }
    d->updateBlockBar();
    {
        const QScopedValueRollback<bool> clearing(d->FClearing, true);
        SchemaDesignArea->ClearAll();
    }
    // The items took their columns with them; a column that counts the rows belongs to none.
    for (int col = sgColumnGrid->ColCount() - 1; col >= 1; --col) {
        if (!sgColumnGrid->Cells(col, RowField).isEmpty())
            removeColumn(col);
    }
    ShowImportNotes({});
}

void TfrmZkSQLBuilder::btnOpenClick(QObject *)
{
    QString fileName;
    if (!DialogService()->ExecuteOpenDialog(this, d->FFileFilter, d->FDefaultExt, fileName))
        return;
    FInternalUpdate = true;
    try {
        SchemaDesignArea->LoadFromFile(fileName);
    } catch (...) {
        FInternalUpdate = false;
        showDialect();
        throw;
    }
    FInternalUpdate = false;
    showDialect(); // the file may carry the dialect
}

void TfrmZkSQLBuilder::btnSaveClick(QObject *)
{
    CommitEditor();
    QString fileName;
    if (DialogService()->ExecuteSaveDialog(this, d->FFileFilter, d->FDefaultExt, fileName)) {
        SchemaDesignArea->SaveToFile(fileName);
        d->FCleanState = workState();
    }
}

void TfrmZkSQLBuilder::btnShowGridClick(QObject *)
{
    // The splitter's handle goes and comes with the page control.
    pcSQL->setVisible(btnShowGrid->isChecked());
}

void TfrmZkSQLBuilder::btnShowTablesClick(QObject *)
{
    pnlTables->setVisible(btnShowTables->isChecked());
}

void TfrmZkSQLBuilder::btnGenSQLClick(QObject *)
{
    CommitEditor();
    d->FGenerateAsked = true;
    if (pcSQL->currentWidget() == tsSQL)
        pcSQLChange(pcSQL);
    else
        pcSQL->setCurrentWidget(tsSQL); // the page change does the rest
}

void TfrmZkSQLBuilder::btnExecSQLClick(QObject *)
{
    CommitEditor();
    if (pcSQL->currentWidget() == tsResults)
        pcSQLChange(pcSQL);
    else
        pcSQL->setCurrentWidget(tsResults);
}

void TfrmZkSQLBuilder::btnOKClick(QObject *)
{
    CommitEditor();
    // A calculated column that cannot be written stops the statement: the user decides whether
    // the SQL page's statement goes back as it stands.
    QString problem = firstInvalidColumn();
    if (problem.isEmpty() && !keepTypedText() && IsStatementStale())
        generateStatement();
    // A statement known not to parse goes back only when the user says so.
    if (problem.isEmpty() && !statementReads(d->FSQLText, &problem))
        problem = tr("The statement does not parse: %1").arg(problem);
    if (!problem.isEmpty()
        && !DialogService()->Confirm(this,
            problem + QStringLiteral("\n\n")
                + tr("Close the query builder and return the statement on the SQL page as it "
                     "stands?")))
        return;
    done(QDialog::Accepted);
}

QString TfrmZkSQLBuilder::unavailableJoin()
{
    TSchemaDataEngine *engine = d->FDataEngine;
    if (!engine || engine->SQLSubType() == stLocal)
        return QString();
    for (int k = 0; k < d->FBlocks.size(); ++k) {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(this, k);
        const QueryInput input = queryInput(false);
        for (const QueryJoin &join : input.Joins) {
            if (join.ParentTable && join.ChildTable && !engine->JoinAvailable(join.Join))
                return UnavailableJoinMessage(join);
        }
    }
    return QString();
}

QString TfrmZkSQLBuilder::firstInvalidColumn()
{
    for (int k = 0; k < d->FBlocks.size(); ++k) {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(this, k);
        for (int col = 1; d->FExtendedGrid && col < sgColumnGrid->ColCount(); ++col) {
            const QString error = ColumnExpressionError(col);
            if (!error.isEmpty())
                return tr("The calculated column %1 (%2) cannot be written: %3")
                    .arg(col)
                    .arg(ColumnExpression(col).simplified().left(80), error);
        }
    }
    return QString();
}

bool TfrmZkSQLBuilder::statementReads(
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
        *Error = at.isEmpty() || error.contains(at) ? error : tr("%1 (%2)").arg(error, at);
    }
    return false;
}

void TfrmZkSQLBuilder::btnCancelClick(QObject *)
{
    reject();
}

QString TfrmZkSQLBuilder::workState() const
{
    QString state;
    auto *self = const_cast<TfrmZkSQLBuilder *>(this);
    for (int k = 0; k < d->FBlocks.size(); ++k) {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(self, k);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        SchemaDesignArea->SaveToStream(buffer);
        QString block = QString::fromUtf8(buffer.data());
        // The time of saving is not part of the work.
        static const QRegularExpression saved(
            QStringLiteral("^Saved=[^\r\n]*"), QRegularExpression::MultilineOption);
        block.remove(saved);
        state += block;
        for (int col = 0; col < sgColumnGrid->ColCount(); ++col) {
            for (int row = RowField; row <= LastGridRow; ++row)
                state += QLatin1Char('\x1f') + sgColumnGrid->Cells(col, row);
        }
        state += cbDistinct->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
        state += QChar(0x1e) + QString::number(k > 0 ? int(d->FBlocks.at(k).Operator) : -1);
    }
    state += QStringLiteral("|%1|%2").arg(d->FStatementLimit).arg(d->FStatementOffset);
    return state;
}

bool TfrmZkSQLBuilder::HasUnsavedChanges() const
{
    if (d->FTextTyped)
        return true; // a typed statement is work too
    return workState() != d->FCleanState;
}

void TfrmZkSQLBuilder::reject()
{
    // Closing by Escape, Cancel or the window's close button asks before the work goes, and
    // ends a statement that runs (Escape alone ends only the statement: keyPressEvent).
    bool close = true;
    Guarded([&] {
        close = mayCloseWhileRunning();
        if (close && HasUnsavedChanges())
            close = DialogService()->Confirm(this,
                QCoreApplication::translate("Diduza::TfrmZkSQLBuilder",
                    "The query has changes that will be lost. Close the query builder anyway?"));
    });
    if (close) {
        CancelRun();
        QDialog::reject();
    }
}

void TfrmZkSQLBuilder::pnlToolbarResize(QObject *)
{
    btnCancel->move(pnlToolbar->width() - btnCancel->width() - 10, btnCancel->y());
    btnOK->move(btnCancel->x() - btnOK->width() - 5, btnOK->y());
}

void TfrmZkSQLBuilder::pbTableGrabberPaint(QObject *, QPainter &Canvas)
{
    const int W = pbTableGrabber->width();
    const QPalette &palette = pbTableGrabber->palette();

    // The caption close button, from (W - 11, 1) to (W - 1, 11).
    QStyleOptionButton frame;
    frame.initFrom(pbTableGrabber);
    frame.rect = QRect(QPoint(W - 11, 1), QPoint(W - 2, 10));
    frame.state = QStyle::State_Enabled | QStyle::State_Raised;
    QStyle *style = pbTableGrabber->style();
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &frame, &Canvas, pbTableGrabber);
    style->standardIcon(QStyle::SP_TitleBarCloseButton, &frame, pbTableGrabber)
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

void TfrmZkSQLBuilder::pbTableGrabberMouseUp(
    QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int X, int)
{
    if (X > pbTableGrabber->width() - 14) {
        btnShowTables->setChecked(false);
        btnShowTablesClick(btnShowTables);
    }
}

// ---------------------------------------------------------------------------------------------
// The statement

void TfrmZkSQLBuilder::ExpandSQL(QString &SQL, const QString &Macro, const QString &Value)
{
    ::Diduza::ExpandSQL(SQL, Macro, Value);
}

void TfrmZkSQLBuilder::RemoveBlankLines(QString &SQL)
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

QueryInput TfrmZkSQLBuilder::queryInput(bool withColumns)
{
    QueryInput input;
    TSchemaDesignArea *area = SchemaDesignArea;
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
            QVector<ColumnExpressionTable> tables = d->expressionTables();
            const QString key = TfrmZkSQLBuilderPrivate::tablesKey(tables);
            d->FTablesOfPass = qMakePair(std::move(tables), key);
            QueryInput names = queryInput(false);
            names.TableNameHook = nullptr;
            d->FNamesOfPass = names;
        }
        const auto passEnds = qScopeGuard([this] {
            d->FTablesOfPass.reset();
            d->FNamesOfPass.reset();
        });
        input.Columns.reserve(sgColumnGrid->ColCount());
        for (int col = 1; col < sgColumnGrid->ColCount(); ++col) {
            QueryColumn column;
            column.FieldCell = sgColumnGrid->Cells(col, RowField);
            if (TSchemaSubItem *subItem = ReferencedSubItem(column.FieldCell)) {
                column.Field = fieldOf(subItem);
                column.Table = cachedTableOf(subItem->ItemOwner());
            } else if (d->FExtendedGrid
                && TfrmZkSQLBuilderPrivate::isCalculatedCell(column.FieldCell)) {
                column.Expression = d->queryExpression(column.FieldCell, cachedTableOf);
            }
            column.Calculate = sgColumnGrid->Cells(col, RowCalculate);
            column.Sort = sgColumnGrid->Cells(col, RowSort);
            column.Where = sgColumnGrid->Cells(col, RowWhere);
            column.Grouping = sgColumnGrid->Cells(col, RowGrouping);
            column.Having = sgColumnGrid->Cells(col, RowHaving);
            if (d->FExtendedGrid) {
                column.AllRows = column.FieldCell == AllRowsCell;
                column.Show = sgColumnGrid->Cells(col, RowShow);
                column.Alias = sgColumnGrid->Cells(col, RowAlias);
                column.SortOrder = sgColumnGrid->Cells(col, RowSortOrder);
            }
            input.Columns.append(std::move(column));
        }
        input.Distinct = cbDistinct->isChecked();
        if (d->FExtendedGrid) {
            input.Limit = d->FStatementLimit;
            input.Offset = d->FStatementOffset;
        }
    }

    if (TSchemaDataEngine *engine = d->FDataEngine)
        takeEngineDialect(input, engine);
    if (const TGetSchemaItemEvent handler = d->FOnGetTableName) {
        input.TableNameHook = [this, handler](const QueryTable &Table, bool IsAlias) {
            return handler(
                this, qobject_cast<TSchemaItem *>(Table.Object), Table.ItemIndex, IsAlias);
        };
    }
    if (const TGetSchemaSubItemEvent handler = d->FOnGetFieldName) {
        input.FieldNameHook = [this, handler](const QueryField &Field) {
            return handler(this, qobject_cast<TSchemaSubItem *>(Field.Object));
        };
    }
    input.Expand = [this](QString &SQL, const QString &Macro, const QString &Value) {
        ExpandSQL(SQL, Macro, Value);
    };
    return input;
}

SqlSpelling TfrmZkSQLBuilder::spelling() const
{
    return d->FDataEngine ? d->FDataEngine->StatementSpelling() : SqlSpelling();
}

QString TfrmZkSQLBuilder::GenerateSQL()
{
    if (d->FBlocks.size() > 1)
        return GenerateCompoundQuery(d->compound(false));
    return GenerateQuery(queryInput(true));
}

QString TfrmZkSQLBuilder::GetTableName(TSchemaItem *Item, bool IsAlias)
{
    if (!Item)
        return QString();
    return QueryTableName(queryInput(false), tableOf(SchemaDesignArea, Item), IsAlias);
}

QString TfrmZkSQLBuilder::GetFieldName(TSchemaSubItem *SubItem)
{
    if (!SubItem)
        return QString();
    QueryInput input;
    if (TSchemaDataEngine *engine = d->FDataEngine)
        input.Quoting = engine->NameQuoting();
    if (const TGetSchemaSubItemEvent handler = d->FOnGetFieldName) {
        input.FieldNameHook = [this, handler](const QueryField &Field) {
            return handler(this, qobject_cast<TSchemaSubItem *>(Field.Object));
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

} // namespace Diduza
