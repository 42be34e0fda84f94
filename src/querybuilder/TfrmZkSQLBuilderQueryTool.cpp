#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderParts_p.h"

namespace Diduza {

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
    SchemaDesignArea->ClearAll();
    const QStringList notes = ImportQuery(query);
    SetSQLText(text); // the text stands for the rebuilt diagram until it changes
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

void TfrmZkSQLBuilder::CancelRun()
{
    if (d->FRun && !d->FRun->IsFinished())
        d->FRun->Cancel();
}

void TfrmZkSQLBuilder::startRun(TSchemaQueryRun *Run)
{
    d->FRun.reset(Run);
    d->FRunError.clear();
    d->FRunCancelled = false;
    d->FRunTime = -1;
    auto *model = new TSchemaRunModel(Run, this);
    d->FOwnedResult = model;
    d->FResult = model;
    DBGrid1->setModel(model);
    d->FRunStarted = QDateTime::currentMSecsSinceEpoch();
    pbRunning->show();
    btnCancelRun->setEnabled(true);
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
        if (d->FRun && !d->FRun->IsFinished()) {
            // Between pages nothing runs: the user scrolls for more.
            pbRunning->hide();
            btnCancelRun->setEnabled(false);
        }
        showRunStatus();
    });
    connect(Run, &TSchemaQueryRun::Finished, this,
        [this](const QString &error, int position, bool cancelled) {
            d->FRunTime = QDateTime::currentMSecsSinceEpoch() - d->FRunStarted;
            d->FRunError = error;
            d->FRunCancelled = cancelled;
            pbRunning->hide();
            btnCancelRun->setEnabled(false);
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
    } else if (more) {
        status = tr("%n row(s) so far; more as you scroll", nullptr, rows);
    } else if (d->FResult) {
        status = tr("%n row(s)", nullptr, rows);
        if (d->FRowLimit > 0 && rows >= d->FRowLimit)
            status += tr(" (the row limit)");
    }
    if (d->FRunTime >= 0 && !status.isEmpty())
        status += tr(", %1 ms").arg(d->FRunTime);
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
}

QString TfrmZkSQLBuilder::SelectedCellsText() const
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
    for (int r = top; r <= bottom; ++r) {
        QStringList values;
        for (int c = left; c <= right; ++c) {
            QString value;
            if (chosen.contains({ r, c }))
                value = d->FResult->data(d->FResult->index(r, c)).toString();
            value.replace(QLatin1Char('\t'), QLatin1Char(' '));
            value.replace(QLatin1Char('\n'), QLatin1Char(' '));
            value.replace(QLatin1Char('\r'), QLatin1Char(' '));
            values << value;
        }
        lines << values.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

bool TfrmZkSQLBuilder::SaveResultsCsv(const QString &FileName, QString *Error)
{
    QAbstractItemModel *model = d->FResult;
    if (!model) {
        if (Error)
            *Error = tr("There are no results to save.");
        return false;
    }
    // Every row: those not fetched yet first come.
    while (model->canFetchMore(QModelIndex())) {
        if (auto *runModel = qobject_cast<TSchemaRunModel *>(model); runModel && runModel->Run()) {
            QEventLoop wait;
            connect(runModel->Run(), &TSchemaQueryRun::RowsArrived, &wait, &QEventLoop::quit);
            connect(runModel->Run(), &TSchemaQueryRun::Finished, &wait, &QEventLoop::quit);
            model->fetchMore(QModelIndex());
            if (runModel->Run() && runModel->Run()->IsFetching())
                wait.exec(QEventLoop::ExcludeUserInputEvents);
        } else {
            model->fetchMore(QModelIndex());
        }
    }
    auto field = [](const QVariant &value) {
        if (value.isNull())
            return QString();
        QString text = value.toString();
        if (text.contains(QLatin1Char('"')) || text.contains(QLatin1Char(','))
            || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
            text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            text = QLatin1Char('"') + text + QLatin1Char('"');
        }
        return text;
    };
    QString csv;
    QStringList header;
    for (int c = 0; c < model->columnCount(); ++c)
        header << field(model->headerData(c, Qt::Horizontal));
    csv += header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList values;
        for (int c = 0; c < model->columnCount(); ++c)
            values << field(model->data(model->index(r, c)));
        csv += values.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.toUtf8()) < 0 || !file.commit()) {
        if (Error)
            *Error
                = tr("The results could not be saved to %1: %2").arg(FileName, file.errorString());
        return false;
    }
    return true;
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
