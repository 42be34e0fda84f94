#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderParts_p.h"

#include "engines/CsvWriter.h"

#include <QDir>
#include <QFileInfo>

namespace Diduza {

namespace {

bool isNumber(const QVariant &Value)
{
    switch (Value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

// The results grid's cells: numbers stand at the right, as in spreadsheets, so that their
// places line up; a model that gives its own alignment keeps it.
class ResultCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!index.data(Qt::TextAlignmentRole).isValid() && isNumber(index.data(Qt::DisplayRole)))
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};

// A value or title on one line of copied cells.
QString copiedText(QString Value)
{
    Value.replace(QLatin1Char('\t'), QLatin1Char(' '));
    Value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return Value;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The SQL and results pages as a query tool

void TfrmZkSQLBuilder::SetSQLEditable(bool Value)
{
    d->FSQLEditable = Value;
    SQLMemo->setReadOnly(!Value);
    pnlSQLTools->setVisible(Value);
    if (Value && !d->FHighlighter) {
        d->FHighlighter = new SqlHighlighter(SQLMemo->document());
        d->FHighlighter->SetSpelling(spelling()); // MariaDB's "#" comments and strings
    } else if (!Value && d->FHighlighter) {
        delete d->FHighlighter;
        d->FHighlighter = nullptr;
    }
    if (Value)
        CheckSQLText();
    else
        markSQLError(QString(), -1);
}

void TfrmZkSQLBuilder::SetBackgroundExecution(bool Value)
{
    d->FBackgroundExecution = Value;
    pnlResultTools->setVisible(Value);
}

void TfrmZkSQLBuilder::SetRowLimit(int Value)
{
    d->FRowLimit = qMax(0, Value);
    const QSignalBlocker quiet(seRowLimit);
    seRowLimit->setValue(d->FRowLimit);
}

void TfrmZkSQLBuilder::sqlTextEdited()
{
    if (d->FSettingText || !d->FSQLEditable)
        return;
    if (!d->FTextTyped) {
        // The work the typed text stands for: the diagram and grid do not change while the
        // user types.
        d->FTypedState = workState();
        d->FTextTyped = true;
    }
    d->FSQLText = SQLMemo->toPlainText();
    d->FCheckTimer->start();
    // The notes told of the statement as it was generated or applied, not of this text.
    lblSQLNotes->hide();
}

bool TfrmZkSQLBuilder::keepTypedText()
{
    if (!d->FSQLEditable || !d->FTextTyped)
        return false;
    if (workState() == d->FTypedState)
        return true;
    const bool replace = DialogService()->Confirm(this,
        tr("The SQL page holds a statement you typed, and the diagram or grid changed since. "
           "Replace the typed statement with the diagram's?"));
    if (replace) {
        d->FTextTyped = false;
        return false;
    }
    d->FTypedState = workState(); // the typed text now stands for this work
    return true;
}

void TfrmZkSQLBuilder::CheckSQLText()
{
    d->FCheckTimer->stop();
    const QString text = SQLMemo->toPlainText();
    // PostgreSQL's parser reads the join-tree and the local dialect; the others' join marks
    // and lines are no SQL it knows.
    const TSQLSubType dialect = d->FDataEngine ? d->FDataEngine->SQLSubType() : stStandard;
    if (text.trimmed().isEmpty() || (dialect != stAnsi && dialect != stLocal)) {
        markSQLError(QString(), -1);
        return;
    }
    QString error;
    qsizetype position = -1;
    if (ParsesAsPostgres(text, spelling(), &error, &position))
        markSQLError(QString(), -1);
    else
        markSQLError(error, position);
}

void TfrmZkSQLBuilder::markSQLError(const QString &Error, qsizetype Position)
{
    d->FSQLError = Error;
    d->FSQLErrorPosition = Error.isEmpty() ? -1 : Position;
    lblSQLError->setText(Error);
    lblSQLError->setToolTip(Error);
    QList<QTextEdit::ExtraSelection> marks;
    if (d->FSQLErrorPosition >= 0) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(SQLMemo->document());
        const int at
            = int(qMin<qsizetype>(d->FSQLErrorPosition, SQLMemo->document()->characterCount() - 1));
        mark.cursor.setPosition(at);
        mark.cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
        if (!mark.cursor.hasSelection())
            mark.cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.format.setUnderlineColor(QColor(0xe0, 0x20, 0x20));
        mark.format.setToolTip(Error);
        marks << mark;
    }
    SQLMemo->setExtraSelections(marks);
}

QStringList TfrmZkSQLBuilder::ApplySQLToDiagram()
{
    const QString text = SQLMemo->toPlainText();
    const ImportedQuery query = ImportSelect(text, spelling());
    if (!query.Ok) {
        markSQLError(query.Error, query.ErrorPosition);
        return { query.Error };
    }
    btnNewClick(nullptr);
    QStringList notes = ImportQuery(query);
    SetSQLText(text); // the text stands for the rebuilt diagram until it changes
    // A join the database cannot run is named where it comes in, as Generate names it.
    if (const QString refusal = unavailableJoin(); !refusal.isEmpty()) {
        notes << refusal;
        ShowImportNotes(notes);
    }
    pcSQL->setCurrentWidget(tsColumns);
    return notes;
}

void TfrmZkSQLBuilder::RunSQLText()
{
    CommitEditor();
    const QString text = SQLMemo->toPlainText();
    if (text != d->FSQLText || d->FTextTyped) {
        d->FSQLText = text;
        if (!d->FTextTyped)
            d->FTypedState = workState();
        d->FTextTyped = d->FSQLEditable;
    }
    if (pcSQL->currentWidget() == tsResults)
        executeStatement();
    else
        pcSQL->setCurrentWidget(tsResults); // the page change runs it
}

bool TfrmZkSQLBuilder::IsRunning() const
{
    return d->FRun && !d->FRun->IsFinished() && d->FRun->IsFetching();
}

bool TfrmZkSQLBuilder::IsSavingResults() const
{
    return d->FRun && d->FRun->IsExporting();
}

void TfrmZkSQLBuilder::CancelRun()
{
    if (d->FRun && (!d->FRun->IsFinished() || d->FRun->IsExporting()))
        d->FRun->Cancel();
}

void TfrmZkSQLBuilder::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel) && (IsRunning() || IsSavingResults())) {
        Guarded([&] { CancelRun(); });
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmZkSQLBuilder::mayCloseWhileRunning()
{
    // A statement that runs is no work of the user's: it ends with the window. Rows being
    // saved are what the user asked for.
    if (IsSavingResults()
        && !DialogService()->Confirm(this,
            tr("The results are being saved to %1. Stop saving and close the query builder?")
                .arg(QDir::toNativeSeparators(d->FExportFile))))
        return false;
    return true;
}

void TfrmZkSQLBuilder::startRun(TSchemaQueryRun *Run)
{
    d->FRun.reset(Run);
    d->FRunError.clear();
    d->FRunCancelled = false;
    d->FRunTime = -1;
    d->FRunExported = false;
    auto *model = new TSchemaRunModel(Run, this);
    d->FOwnedResult = model;
    d->FResult = model;
    DBGrid1->setModel(model);
    d->FRunStarted = QDateTime::currentMSecsSinceEpoch();
    bool first = true;
    connect(Run, &TSchemaQueryRun::RowsArrived, this, [this, first]() mutable {
        if (first) {
            first = false;
            // Columns as wide as their titles and the rows on screen (at most 50): measuring
            // rows nobody sees yet would cost more than the rest of showing them. A
            // double-click on a column's edge still fits it to 50 rows.
            QHeaderView *header = DBGrid1->horizontalHeader();
            const int onScreen = DBGrid1->viewport()->height()
                    / qMax(1, DBGrid1->verticalHeader()->defaultSectionSize())
                + 1;
            header->setResizeContentsPrecision(qBound(1, onScreen, 50));
            DBGrid1->resizeColumnsToContents();
            header->setResizeContentsPrecision(50);
            for (int col = 0; col < d->FResult->columnCount(); ++col)
                DBGrid1->setColumnWidth(col, qMin(DBGrid1->columnWidth(col), 300));
        }
        // Between pages nothing runs: the user scrolls for more.
        showRunStatus();
    });
    connect(Run, &TSchemaQueryRun::Finished, this,
        [this](const QString &error, int position, bool cancelled) {
            d->FRunTime = QDateTime::currentMSecsSinceEpoch() - d->FRunStarted;
            d->FRunError = error;
            d->FRunCancelled = cancelled;
            if (!error.isEmpty()) {
                // Where the statement went wrong as a reader finds it, beside the database's
                // own words (which count characters, or show the line with a caret).
                QString shown = error;
                if (position >= 0 && position <= d->FSQLText.size())
                    shown += QLatin1Char('\n')
                        + tr("At %1 of the statement.").arg(LineColumnText(d->FSQLText, position));
                lblResultError->setText(shown);
                lblResultError->show();
                if (position >= 0 && d->FSQLEditable && SQLMemo->toPlainText() == d->FSQLText)
                    markSQLError(error, position);
            }
            showRunStatus();
        });
    connect(Run, &TSchemaQueryRun::ExportProgress, this, [this](qint64 rows) {
        d->FExportRows = rows;
        showRunStatus();
    });
    connect(Run, &TSchemaQueryRun::ExportFinished, this,
        [this](const QString &error, qint64 rows, bool cancelled) {
            Guarded([&] { exportEnded(error, rows, cancelled); });
        });
    showRunStatus();
}

void TfrmZkSQLBuilder::showRunStatus()
{
    const int rows = d->FResult ? d->FResult->rowCount() : 0;
    const bool more = d->FResult && d->FResult->canFetchMore(QModelIndex());
    QString status;
    if (!d->FRunError.isEmpty()) {
        status = tr("Error after %n row(s)", nullptr, rows);
    } else if (d->FRunCancelled) {
        status = tr("Cancelled after %n row(s)", nullptr, rows);
    } else if (IsRunning()) {
        status = rows > 0 ? tr("Running: %n row(s) so far", nullptr, rows) : tr("Running...");
    } else if (d->FRunExported) {
        status = tr("%n row(s) shown", nullptr, rows);
    } else if (more) {
        status = tr("%n row(s) so far; more as you scroll", nullptr, rows);
    } else if (d->FResult) {
        status = tr("%n row(s)", nullptr, rows);
        if (d->FRowLimit > 0 && rows >= d->FRowLimit)
            status += tr(" (the row limit)");
    }
    if (d->FRunTime >= 0 && !status.isEmpty())
        status += tr(", %1 ms").arg(d->FRunTime);
    if (d->FDataEngine && d->FResult) {
        const QString note = d->FDataEngine->ResultsNote();
        if (!note.isEmpty())
            status += QStringLiteral(" \u2014 ") + note;
    }
    const QString file = QFileInfo(d->FExportFile).fileName();
    if (IsSavingResults())
        status = tr(
            "Saving to %1: %n row(s) written", nullptr, int(qMin<qint64>(d->FExportRows, INT_MAX)))
                     .arg(file);
    else if (!d->FExportOutcome.isEmpty() && d->FExportModel && d->FExportModel == d->FResult)
        status += QStringLiteral("; ") + d->FExportOutcome;
    lblResultStatus->setText(status);
    // An error shows the style's error icon beside its line.
    const bool failed = !d->FRunError.isEmpty() || !lblResultError->text().isEmpty();
    if (failed) {
        const int side = lblResultStatus->fontMetrics().height();
        lblResultIcon->setPixmap(style()
                                     ->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this)
                                     .pixmap(QSize(side, side), devicePixelRatioF()));
    }
    lblResultIcon->setVisible(failed);
    showRunState();
}

void TfrmZkSQLBuilder::showRunState()
{
    const bool saving = IsSavingResults();
    const bool busy = IsRunning() || saving;
    pbRunning->setVisible(busy);
    pbSQLRunning->setVisible(busy);
    btnCancelRun->setEnabled(busy);
    // A second run would end this one: the user ends it first.
    btnRunSQL->setEnabled(!busy);
    btnExecSQL->setEnabled(!busy);
    btnSaveCsv->setEnabled(!saving);
}

QString TfrmZkSQLBuilder::SelectedCellsText() const
{
    return SelectedCellsText(false);
}

QString TfrmZkSQLBuilder::SelectedCellsText(bool WithHeaders) const
{
    const QItemSelectionModel *selection = DBGrid1->selectionModel();
    if (!selection || !d->FResult)
        return QString();
    const QModelIndexList cells = selection->selectedIndexes();
    if (cells.isEmpty())
        return QString();
    int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
    QSet<QPair<int, int>> chosen;
    for (const QModelIndex &i : cells) {
        top = qMin(top, i.row());
        bottom = qMax(bottom, i.row());
        left = qMin(left, i.column());
        right = qMax(right, i.column());
        chosen.insert({ i.row(), i.column() });
    }
    QStringList lines;
    if (WithHeaders) {
        QStringList titles;
        for (int c = left; c <= right; ++c)
            titles << copiedText(d->FResult->headerData(c, Qt::Horizontal).toString());
        lines << titles.join(QLatin1Char('\t'));
    }
    for (int r = top; r <= bottom; ++r) {
        QStringList values;
        for (int c = left; c <= right; ++c) {
            QString value;
            if (chosen.contains({ r, c }))
                value = d->FResult->data(d->FResult->index(r, c)).toString();
            values << copiedText(value);
        }
        lines << values.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

void TfrmZkSQLBuilder::createResultActions()
{
    DBGrid1->setItemDelegate(new ResultCellDelegate(DBGrid1));
    auto *copy = new QAction(tr("&Copy"), DBGrid1);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    auto *copyWithHeaders = new QAction(tr("Copy with &headers"), DBGrid1);
    copyWithHeaders->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyWithHeaders->setShortcutContext(Qt::WidgetShortcut);
    DBGrid1->addActions({ copy, copyWithHeaders });
    DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    DBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(copy, &QAction::triggered, this, [this] {
        Guarded([&] { QGuiApplication::clipboard()->setText(SelectedCellsText(false)); });
    });
    connect(copyWithHeaders, &QAction::triggered, this, [this] {
        Guarded([&] { QGuiApplication::clipboard()->setText(SelectedCellsText(true)); });
    });
}

bool TfrmZkSQLBuilder::SaveResultsCsv(const QString &FileName, QString *Error)
{
    // The caller hears of the outcome; nothing is shown.
    const QScopedValueRollback<bool> quiet(d->FExportQuiet, true);
    d->FExportEnded = false;
    if (!StartSavingResultsCsv(FileName, Error))
        return false;
    if (QPointer<TSchemaQueryRun> run = d->FRun.get(); run && run->IsExporting()) {
        QEventLoop wait;
        connect(run, &TSchemaQueryRun::ExportFinished, &wait, &QEventLoop::quit);
        connect(run, &QObject::destroyed, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!d->FExportEnded) { // the run went before its export ended
        d->FExportCancelled = true;
        d->FExportError.clear();
    }
    if (d->FExportCancelled || !d->FExportError.isEmpty()) {
        if (Error)
            *Error = d->FExportCancelled
                ? tr("Saving the results was cancelled; %1 was not written.").arg(FileName)
                : d->FExportError;
        return false;
    }
    return true;
}

bool TfrmZkSQLBuilder::StartSavingResultsCsv(const QString &FileName, QString *Error)
{
    const auto refuse = [Error](const QString &Text) {
        if (Error)
            *Error = Text;
        return false;
    };
    if (IsSavingResults())
        return refuse(tr("The results are being saved to %1.").arg(d->FExportFile));
    QAbstractItemModel *model = d->FResult;
    if (!model)
        return refuse(tr("There are no results to save."));
    d->FExportFile = FileName;
    d->FExportRows = 0;
    d->FExportOutcome.clear();
    d->FExportModel = model;
    d->FExportEnded = false;
    auto *runModel = qobject_cast<TSchemaRunModel *>(model);
    TSchemaQueryRun *run = runModel ? runModel->Run() : nullptr;
    if (run && run == d->FRun.get()) {
        const bool open = !run->IsFinished();
        if (run->StartExport(FileName, runModel->Rows())) {
            d->FRunExported = open;
            showRunStatus();
            return true;
        }
        if (run->IsFinished() && run->ColumnNames().isEmpty())
            return refuse(tr("There are no results to save."));
    }
    QString error;
    if (!writeModelCsv(model, FileName, &error))
        return refuse(error);
    exportEnded(QString(), model->rowCount(), false);
    return true;
}

bool TfrmZkSQLBuilder::writeModelCsv(
    QAbstractItemModel *Model, const QString &FileName, QString *Error)
{
    const auto failed = [&](const QString &Reason) {
        if (Error)
            *Error = tr("The results could not be saved to %1: %2").arg(FileName, Reason);
        return false;
    };
    // Every row: those not fetched yet first come.
    while (Model->canFetchMore(QModelIndex())) {
        if (auto *runModel = qobject_cast<TSchemaRunModel *>(Model); runModel && runModel->Run()) {
            QEventLoop wait;
            connect(runModel->Run(), &TSchemaQueryRun::RowsArrived, &wait, &QEventLoop::quit);
            connect(runModel->Run(), &TSchemaQueryRun::Finished, &wait, &QEventLoop::quit);
            Model->fetchMore(QModelIndex());
            if (runModel->Run() && runModel->Run()->IsFetching())
                wait.exec(QEventLoop::ExcludeUserInputEvents);
        } else {
            Model->fetchMore(QModelIndex());
        }
    }
    if (Model->columnCount() == 0) {
        if (Error)
            *Error = tr("There are no results to save.");
        return false;
    }
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    TCsvWriter csv(&file);
    QStringList header;
    for (int c = 0; c < Model->columnCount(); ++c)
        header << Model->headerData(c, Qt::Horizontal).toString();
    csv.WriteRecord(header);
    for (int r = 0; r < Model->rowCount() && !csv.Failed(); ++r) {
        for (int c = 0; c < Model->columnCount(); ++c)
            csv.WriteField(Model->data(Model->index(r, c)));
        csv.EndRecord();
    }
    if (!csv.Flush() || !file.commit())
        return failed(file.errorString());
    return true;
}

void TfrmZkSQLBuilder::exportEnded(const QString &Error, qint64 Rows, bool Cancelled)
{
    d->FExportEnded = true;
    d->FExportCancelled = Cancelled;
    d->FExportError = Error;
    d->FExportRows = Rows;
    const QString file = QFileInfo(d->FExportFile).fileName();
    if (Cancelled)
        d->FExportOutcome = tr("saving cancelled, %1 was not written").arg(file);
    else if (!Error.isEmpty())
        d->FExportOutcome = tr("the results were not saved");
    else
        d->FExportOutcome
            = tr("%n row(s) saved to %1", nullptr, int(qMin<qint64>(Rows, INT_MAX))).arg(file);
    showRunStatus();
    if (!Error.isEmpty() && !d->FExportQuiet)
        DialogService()->ShowError(this, Error);
}

// ---------------------------------------------------------------------------------------------
// The window as the user leaves it

namespace {
constexpr quint32 StateMagic = 0x44534231; // "DSB1"
} // namespace

QByteArray TfrmZkSQLBuilder::SaveState() const
{
    QByteArray state;
    QDataStream out(&state, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << StateMagic << quint16(1) << size() << SplitterGrid->saveState()
        << SplitterTables->saveState() << qint32(pcSQL->currentIndex());
    return state;
}

bool TfrmZkSQLBuilder::RestoreState(const QByteArray &State)
{
    QDataStream in(State);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint16 version = 0;
    QSize saved;
    QByteArray grid, tables;
    qint32 page = -1;
    in >> magic >> version >> saved >> grid >> tables >> page;
    if (in.status() != QDataStream::Ok || magic != StateMagic || version != 1 || !saved.isValid())
        return false;
    resize(saved);
    d->FSizeChosen = true;
    SplitterGrid->restoreState(grid);
    SplitterTables->restoreState(tables);
    if (page >= 0 && page < pcSQL->count() && pcSQL->widget(page) != tsResults)
        pcSQL->setCurrentIndex(page); // results are run by the user, not by opening
    fitScreen();
    return true;
}

void TfrmZkSQLBuilder::fitScreen()
{
    const QScreen *shown = screen();
    if (!shown)
        return;
    const QRect room = shown->availableGeometry();
    // The window frame around the client area, once the window is on screen.
    const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize(0, 0);
    const QSize most = room.size() - frame;
    if (width() > most.width() || height() > most.height())
        resize(qMin(width(), most.width()), qMin(height(), most.height()));
    if (isVisible()) {
        QRect outer = frameGeometry();
        if (!room.contains(outer)) {
            outer.moveLeft(qBound(room.left(), outer.left(), room.right() - outer.width() + 1));
            outer.moveTop(qBound(room.top(), outer.top(), room.bottom() - outer.height() + 1));
            move(outer.topLeft());
        }
    }
}

void TfrmZkSQLBuilder::showEvent(QShowEvent *event)
{
    fitGridOnOpening();
    fitScreen();
    QDialog::showEvent(event);
}

} // namespace Diduza
