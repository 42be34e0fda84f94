#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilder_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "engines/CsvWriter.h"
#include "engines/TSchemaDataEngine.h"
#include "engines/TSchemaQueryRun.h"
#include "engines/TSchemaRunModel.h"
#include "platform/Application.h"
#include "platform/DialogService.h"
#include "platform/Exceptions.h"
#include "platform/TStringList.h"
#include "platform/TextPosition.h"
#include "querybuilder/SqlHighlighter_p.h"
#include "sqlparser/SelectImport.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QClipboard>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QSet>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

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

void TfrmZkSQLBuilderPages::respell()
{
    if (FHighlighter)
        FHighlighter->SetSpelling(spelling());
}

void TfrmZkSQLBuilderPages::SetSQLEditable(bool Value)
{
    d->FSQLEditable = Value;
    q->SQLMemo->setReadOnly(!Value);
    q->pnlSQLTools->setVisible(Value);
    if (Value && !FHighlighter) {
        FHighlighter = new SqlHighlighter(q->SQLMemo->document());
        FHighlighter->SetSpelling(spelling()); // MariaDB's "#" comments and strings
    } else if (!Value && FHighlighter) {
        delete FHighlighter;
        FHighlighter = nullptr;
    }
    if (Value)
        q->CheckSQLText();
    else
        markSQLError(QString(), -1);
}

void TfrmZkSQLBuilderPages::SetBackgroundExecution(bool Value)
{
    d->FBackgroundExecution = Value;
    q->pnlResultTools->setVisible(Value);
}

void TfrmZkSQLBuilderPages::SetRowLimit(int Value)
{
    d->FRowLimit = qMax(0, Value);
    const QSignalBlocker quiet(q->seRowLimit);
    q->seRowLimit->setValue(d->FRowLimit);
}

void TfrmZkSQLBuilderPages::sqlTextEdited()
{
    if (FSettingText || !d->FSQLEditable)
        return;
    if (!FTextTyped) {
        // The work the typed text stands for: the diagram and grid do not change while the
        // user types.
        FTypedState = workState();
        FTextTyped = true;
    }
    FSQLText = q->SQLMemo->toPlainText();
    FCheckTimer->start();
    // The notes told of the statement as it was generated or applied, not of this text.
    q->lblSQLNotes->hide();
}

bool TfrmZkSQLBuilderPages::keepTypedText()
{
    if (!d->FSQLEditable || !FTextTyped)
        return false;
    if (workState() == FTypedState)
        return true;
    const bool replace = DialogService()->Confirm(q,
        TfrmZkSQLBuilder::tr(
            "The SQL page holds a statement you typed, and the diagram or grid changed since. "
            "Replace the typed statement with the diagram's?"));
    if (replace) {
        FTextTyped = false;
        return false;
    }
    FTypedState = workState(); // the typed text now stands for this work
    return true;
}

void TfrmZkSQLBuilderPages::CheckSQLText()
{
    FCheckTimer->stop();
    const QString text = q->SQLMemo->toPlainText();
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

void TfrmZkSQLBuilderPages::markSQLError(const QString &Error, qsizetype Position)
{
    FSQLError = Error;
    FSQLErrorPosition = Error.isEmpty() ? -1 : Position;
    q->lblSQLError->setText(Error);
    q->lblSQLError->setToolTip(Error);
    QList<QTextEdit::ExtraSelection> marks;
    if (FSQLErrorPosition >= 0) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(q->SQLMemo->document());
        const int at
            = int(qMin<qsizetype>(FSQLErrorPosition, q->SQLMemo->document()->characterCount() - 1));
        mark.cursor.setPosition(at);
        mark.cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
        if (!mark.cursor.hasSelection())
            mark.cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.format.setUnderlineColor(QColor(0xe0, 0x20, 0x20));
        mark.format.setToolTip(Error);
        marks << mark;
    }
    q->SQLMemo->setExtraSelections(marks);
}

QStringList TfrmZkSQLBuilderPages::ApplySQLToDiagram()
{
    const QString text = q->SQLMemo->toPlainText();
    const ImportedQuery query = ImportSelect(text, spelling());
    if (!query.Ok) {
        markSQLError(query.Error, query.ErrorPosition);
        return { query.Error };
    }
    q->btnNewClick(nullptr);
    QStringList notes = q->ImportQuery(query);
    q->SetSQLText(text); // the text stands for the rebuilt diagram until it changes
    // A join the database cannot run is named where it comes in, as Generate names it.
    if (const QString refusal = unavailableJoin(); !refusal.isEmpty()) {
        notes << refusal;
        q->ShowImportNotes(notes);
    }
    q->pcSQL->setCurrentWidget(q->tsColumns);
    return notes;
}

void TfrmZkSQLBuilderPages::RunSQLText()
{
    q->CommitEditor();
    const QString text = q->SQLMemo->toPlainText();
    if (text != FSQLText || FTextTyped) {
        FSQLText = text;
        if (!FTextTyped)
            FTypedState = workState();
        FTextTyped = d->FSQLEditable;
    }
    if (q->pcSQL->currentWidget() == q->tsResults)
        executeStatement();
    else
        q->pcSQL->setCurrentWidget(q->tsResults); // the page change runs it
}

bool TfrmZkSQLBuilder::IsRunning() const
{
    return d->pages.FRun && !d->pages.FRun->IsFinished() && d->pages.FRun->IsFetching();
}

bool TfrmZkSQLBuilder::IsSavingResults() const
{
    return d->pages.FRun && d->pages.FRun->IsExporting();
}

void TfrmZkSQLBuilderPages::CancelRun()
{
    if (FRun && (!FRun->IsFinished() || FRun->IsExporting()))
        FRun->Cancel();
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

bool TfrmZkSQLBuilderPages::mayCloseWhileRunning()
{
    // A statement that runs is no work of the user's: it ends with the window. Rows being
    // saved are what the user asked for.
    if (q->IsSavingResults()
        && !DialogService()->Confirm(q,
            TfrmZkSQLBuilder::tr(
                "The results are being saved to %1. Stop saving and close the query builder?")
                .arg(QDir::toNativeSeparators(FExportFile))))
        return false;
    return true;
}

void TfrmZkSQLBuilderPages::startRun(TSchemaQueryRun *Run)
{
    FRun.reset(Run);
    FRunError.clear();
    FRunCancelled = false;
    FRunTime = -1;
    FRunExported = false;
    auto *model = new TSchemaRunModel(Run, q);
    FOwnedResult = model;
    FResult = model;
    q->DBGrid1->setModel(model);
    FRunStarted = QDateTime::currentMSecsSinceEpoch();
    bool first = true;
    QObject::connect(Run, &TSchemaQueryRun::RowsArrived, q, [this, first]() mutable {
        if (first) {
            first = false;
            // Columns as wide as their titles and the rows on screen (at most 50): measuring
            // rows nobody sees yet would cost more than the rest of showing them. A
            // double-click on a column's edge still fits it to 50 rows.
            QHeaderView *header = q->DBGrid1->horizontalHeader();
            const int onScreen = q->DBGrid1->viewport()->height()
                    / qMax(1, q->DBGrid1->verticalHeader()->defaultSectionSize())
                + 1;
            header->setResizeContentsPrecision(qBound(1, onScreen, 50));
            q->DBGrid1->resizeColumnsToContents();
            header->setResizeContentsPrecision(50);
            for (int col = 0; col < FResult->columnCount(); ++col)
                q->DBGrid1->setColumnWidth(col, qMin(q->DBGrid1->columnWidth(col), 300));
        }
        // Between pages nothing runs: the user scrolls for more.
        showRunStatus();
    });
    QObject::connect(Run, &TSchemaQueryRun::Finished, q,
        [this](const QString &error, int position, bool cancelled) {
            FRunTime = QDateTime::currentMSecsSinceEpoch() - FRunStarted;
            FRunError = error;
            FRunCancelled = cancelled;
            if (!error.isEmpty()) {
                // Where the statement went wrong as a reader finds it, beside the database's
                // own words (which count characters, or show the line with a caret).
                QString shown = error;
                if (position >= 0 && position <= FSQLText.size())
                    shown += QLatin1Char('\n')
                        + TfrmZkSQLBuilder::tr("At %1 of the statement.")
                              .arg(LineColumnText(FSQLText, position));
                q->lblResultError->setText(shown);
                q->lblResultError->show();
                if (position >= 0 && d->FSQLEditable && q->SQLMemo->toPlainText() == FSQLText)
                    markSQLError(error, position);
            }
            showRunStatus();
        });
    QObject::connect(Run, &TSchemaQueryRun::ExportProgress, q, [this](qint64 rows) {
        FExportRows = rows;
        showRunStatus();
    });
    QObject::connect(Run, &TSchemaQueryRun::ExportFinished, q,
        [this](const QString &error, qint64 rows, bool cancelled) {
            Guarded([&] { exportEnded(error, rows, cancelled); });
        });
    showRunStatus();
}

void TfrmZkSQLBuilderPages::showRunStatus()
{
    const int rows = FResult ? FResult->rowCount() : 0;
    const bool more = FResult && FResult->canFetchMore(QModelIndex());
    QString status;
    if (!FRunError.isEmpty()) {
        status = TfrmZkSQLBuilder::tr("Error after %n row(s)", nullptr, rows);
    } else if (FRunCancelled) {
        status = TfrmZkSQLBuilder::tr("Cancelled after %n row(s)", nullptr, rows);
    } else if (q->IsRunning()) {
        status = rows > 0 ? TfrmZkSQLBuilder::tr("Running: %n row(s) so far", nullptr, rows)
                          : TfrmZkSQLBuilder::tr("Running...");
    } else if (FRunExported) {
        status = TfrmZkSQLBuilder::tr("%n row(s) shown", nullptr, rows);
    } else if (more) {
        status = TfrmZkSQLBuilder::tr("%n row(s) so far; more as you scroll", nullptr, rows);
    } else if (FResult) {
        status = TfrmZkSQLBuilder::tr("%n row(s)", nullptr, rows);
        if (d->FRowLimit > 0 && rows >= d->FRowLimit)
            status += TfrmZkSQLBuilder::tr(" (the row limit)");
    }
    if (FRunTime >= 0 && !status.isEmpty())
        status += TfrmZkSQLBuilder::tr(", %1 ms").arg(FRunTime);
    if (d->FDataEngine && FResult) {
        const QString note = d->FDataEngine->ResultsNote();
        if (!note.isEmpty())
            status += QStringLiteral(" \u2014 ") + note;
    }
    const QString file = QFileInfo(FExportFile).fileName();
    if (q->IsSavingResults())
        status = TfrmZkSQLBuilder::tr(
            "Saving to %1: %n row(s) written", nullptr, int(qMin<qint64>(FExportRows, INT_MAX)))
                     .arg(file);
    else if (!FExportOutcome.isEmpty() && FExportModel && FExportModel == FResult)
        status += QStringLiteral("; ") + FExportOutcome;
    q->lblResultStatus->setText(status);
    // An error shows the style's error icon beside its line.
    const bool failed = !FRunError.isEmpty() || !q->lblResultError->text().isEmpty();
    if (failed) {
        const int side = q->lblResultStatus->fontMetrics().height();
        q->lblResultIcon->setPixmap(q->style()
                                        ->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, q)
                                        .pixmap(QSize(side, side), q->devicePixelRatioF()));
    }
    q->lblResultIcon->setVisible(failed);
    showRunState();
}

void TfrmZkSQLBuilderPages::showRunState()
{
    const bool saving = q->IsSavingResults();
    const bool busy = q->IsRunning() || saving;
    q->pbRunning->setVisible(busy);
    q->pbSQLRunning->setVisible(busy);
    q->btnCancelRun->setEnabled(busy);
    // A second run would end this one: the user ends it first.
    q->btnRunSQL->setEnabled(!busy);
    q->btnExecSQL->setEnabled(!busy);
    q->btnSaveCsv->setEnabled(!saving);
}

QString TfrmZkSQLBuilderPages::SelectedCellsText() const
{
    return q->SelectedCellsText(false);
}

QString TfrmZkSQLBuilderPages::SelectedCellsText(bool WithHeaders) const
{
    const QItemSelectionModel *selection = q->DBGrid1->selectionModel();
    if (!selection || !FResult)
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
            titles << copiedText(FResult->headerData(c, Qt::Horizontal).toString());
        lines << titles.join(QLatin1Char('\t'));
    }
    for (int r = top; r <= bottom; ++r) {
        QStringList values;
        for (int c = left; c <= right; ++c) {
            QString value;
            if (chosen.contains({ r, c }))
                value = FResult->data(FResult->index(r, c)).toString();
            values << copiedText(value);
        }
        lines << values.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

void TfrmZkSQLBuilderPages::createResultActions()
{
    q->DBGrid1->setItemDelegate(new ResultCellDelegate(q->DBGrid1));
    auto *copy = new QAction(TfrmZkSQLBuilder::tr("&Copy"), q->DBGrid1);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    auto *copyWithHeaders = new QAction(TfrmZkSQLBuilder::tr("Copy with &headers"), q->DBGrid1);
    copyWithHeaders->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyWithHeaders->setShortcutContext(Qt::WidgetShortcut);
    q->DBGrid1->addActions({ copy, copyWithHeaders });
    q->DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    q->DBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QObject::connect(copy, &QAction::triggered, q, [this] {
        Guarded([&] { QGuiApplication::clipboard()->setText(q->SelectedCellsText(false)); });
    });
    QObject::connect(copyWithHeaders, &QAction::triggered, q, [this] {
        Guarded([&] { QGuiApplication::clipboard()->setText(q->SelectedCellsText(true)); });
    });
}

bool TfrmZkSQLBuilderPages::SaveResultsCsv(const QString &FileName, QString *Error)
{
    // The caller hears of the outcome; nothing is shown.
    const QScopedValueRollback<bool> quiet(FExportQuiet, true);
    FExportEnded = false;
    if (!q->StartSavingResultsCsv(FileName, Error))
        return false;
    if (QPointer<TSchemaQueryRun> run = FRun.get(); run && run->IsExporting()) {
        QEventLoop wait;
        QObject::connect(run, &TSchemaQueryRun::ExportFinished, &wait, &QEventLoop::quit);
        QObject::connect(run, &QObject::destroyed, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!FExportEnded) { // the run went before its export ended
        FExportCancelled = true;
        FExportError.clear();
    }
    if (FExportCancelled || !FExportError.isEmpty()) {
        if (Error)
            *Error = FExportCancelled
                ? TfrmZkSQLBuilder::tr("Saving the results was cancelled; %1 was not written.")
                      .arg(FileName)
                : FExportError;
        return false;
    }
    return true;
}

bool TfrmZkSQLBuilderPages::StartSavingResultsCsv(const QString &FileName, QString *Error)
{
    const auto refuse = [Error](const QString &Text) {
        if (Error)
            *Error = Text;
        return false;
    };
    if (q->IsSavingResults())
        return refuse(TfrmZkSQLBuilder::tr("The results are being saved to %1.").arg(FExportFile));
    QAbstractItemModel *model = FResult;
    if (!model)
        return refuse(TfrmZkSQLBuilder::tr("There are no results to save."));
    FExportFile = FileName;
    FExportRows = 0;
    FExportOutcome.clear();
    FExportModel = model;
    FExportEnded = false;
    auto *runModel = qobject_cast<TSchemaRunModel *>(model);
    TSchemaQueryRun *run = runModel ? runModel->Run() : nullptr;
    if (run && run == FRun.get()) {
        const bool open = !run->IsFinished();
        if (run->StartExport(FileName, runModel->Rows())) {
            FRunExported = open;
            showRunStatus();
            return true;
        }
        if (run->IsFinished() && run->ColumnNames().isEmpty())
            return refuse(TfrmZkSQLBuilder::tr("There are no results to save."));
    }
    QString error;
    if (!writeModelCsv(model, FileName, &error))
        return refuse(error);
    exportEnded(QString(), model->rowCount(), false);
    return true;
}

bool TfrmZkSQLBuilderPages::writeModelCsv(
    QAbstractItemModel *Model, const QString &FileName, QString *Error)
{
    const auto failed = [&](const QString &Reason) {
        if (Error)
            *Error = TfrmZkSQLBuilder::tr("The results could not be saved to %1: %2")
                         .arg(FileName, Reason);
        return false;
    };
    // Every row: those not fetched yet first come.
    while (Model->canFetchMore(QModelIndex())) {
        if (auto *runModel = qobject_cast<TSchemaRunModel *>(Model); runModel && runModel->Run()) {
            QEventLoop wait;
            QObject::connect(
                runModel->Run(), &TSchemaQueryRun::RowsArrived, &wait, &QEventLoop::quit);
            QObject::connect(runModel->Run(), &TSchemaQueryRun::Finished, &wait, &QEventLoop::quit);
            Model->fetchMore(QModelIndex());
            if (runModel->Run() && runModel->Run()->IsFetching())
                wait.exec(QEventLoop::ExcludeUserInputEvents);
        } else {
            Model->fetchMore(QModelIndex());
        }
    }
    if (Model->columnCount() == 0) {
        if (Error)
            *Error = TfrmZkSQLBuilder::tr("There are no results to save.");
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

void TfrmZkSQLBuilderPages::exportEnded(const QString &Error, qint64 Rows, bool Cancelled)
{
    FExportEnded = true;
    FExportCancelled = Cancelled;
    FExportError = Error;
    FExportRows = Rows;
    const QString file = QFileInfo(FExportFile).fileName();
    if (Cancelled)
        FExportOutcome = TfrmZkSQLBuilder::tr("saving cancelled, %1 was not written").arg(file);
    else if (!Error.isEmpty())
        FExportOutcome = TfrmZkSQLBuilder::tr("the results were not saved");
    else
        FExportOutcome = TfrmZkSQLBuilder::tr(
            "%n row(s) saved to %1", nullptr, int(qMin<qint64>(Rows, INT_MAX)))
                             .arg(file);
    showRunStatus();
    if (!Error.isEmpty() && !FExportQuiet)
        DialogService()->ShowError(q, Error);
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
    d->fitScreen();
    return true;
}

void TfrmZkSQLBuilder::showEvent(QShowEvent *event)
{
    d->fitGridOnOpening();
    d->fitScreen();
    QDialog::showEvent(event);
}

} // namespace Diduza
