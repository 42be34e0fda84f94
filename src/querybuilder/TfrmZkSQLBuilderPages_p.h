#pragma once

// The builder form's statement: its generation, the SQL page (also as a query tool: typed
// text, its check, a run in the background, the rows copied and saved as CSV), the results
// page, and the tool bar's buttons that act on them. Not installed.

#include "querybuilder/QueryGenerator.h"
#include "sqlparser/SqlStatement.h"

#include <QPointer>
#include <QString>

#include <memory>

class QAbstractItemModel;
class QPainter;
class QTimer;

namespace Diduza {

class SqlHighlighter;
class TfrmZkSQLBuilder;
class TfrmZkSQLBuilderPrivate;
class TSchemaItem;
class TSchemaQueryRun;
class TSchemaSubItem;

class TfrmZkSQLBuilderPages {
public:
    TfrmZkSQLBuilderPages(TfrmZkSQLBuilder *form, TfrmZkSQLBuilderPrivate *dd);
    ~TfrmZkSQLBuilderPages();
    TfrmZkSQLBuilderPages(const TfrmZkSQLBuilderPages &) = delete;
    TfrmZkSQLBuilderPages &operator=(const TfrmZkSQLBuilderPages &) = delete;

    // The SQL and results pages with their tools.
    void createStatementPages();
    void createSqlTools();
    void createResultTools();
    void createQueryTools();
    // The results grid's delegate and its Copy actions.
    void createResultActions();

    // --- what the form's methods of the same names do ---
    void SetSQLText(const QString &Value);
    bool IsStatementStale();
    void pcSQLChange(QObject *);
    void btnNewClick(QObject *);
    void btnOpenClick(QObject *);
    void btnSaveClick(QObject *);
    void btnShowGridClick(QObject *);
    void btnGenSQLClick(QObject *);
    void btnExecSQLClick(QObject *);
    void btnOKClick(QObject *);
    void btnCancelClick(QObject *);
    bool HasUnsavedChanges() const;
    void reject();
    void ExpandSQL(QString &SQL, const QString &Macro, const QString &Value);
    void RemoveBlankLines(QString &SQL);
    QString GenerateSQL();
    QString GetTableName(TSchemaItem *Item, bool IsAlias);
    QString GetFieldName(TSchemaSubItem *SubItem);
    void SetSQLEditable(bool Value);
    void SetBackgroundExecution(bool Value);
    void SetRowLimit(int Value);
    void CheckSQLText();
    QStringList ApplySQLToDiagram();
    void RunSQLText();
    void CancelRun();
    QString SelectedCellsText() const;
    QString SelectedCellsText(bool WithHeaders) const;
    bool SaveResultsCsv(const QString &FileName, QString *Error);
    bool StartSavingResultsCsv(const QString &FileName, QString *Error);

    // The statement of the diagram and grid without the name hooks, to tell whether they
    // changed.
    QString statementSource();
    // Fills the SQL page with the generated statement.
    void generateStatement();
    // Runs the page's statement and shows its rows, or why there are none.
    void executeStatement();
    // The refusal of the first relation of a kind the engine's database cannot run (as the
    // generator words it); empty when there is none.
    QString unavailableJoin();
    // Why the first calculated column that cannot be written cannot; empty when all can.
    QString firstInvalidColumn();
    // Whether Text parses as the database reads it (its dialect's marks and lines included);
    // why not, with line and column, in *Error.
    bool statementReads(const QString &Text, QString *Error, qsizetype *Position = nullptr) const;
    // The diagram, the grid and the options as one text, to tell whether anything changed.
    QString workState() const;
    // The generator's input for the shown block: the diagram, with the grid's columns when
    // withColumns.
    QueryInput queryInput(bool withColumns);
    // How the engine's database spells statements (standard SQL without an engine).
    SqlSpelling spelling() const;
    // The SQL page's highlighting follows the engine's spelling (comments, strings).
    void respell();
    void sqlTextEdited();
    // Whether the SQL page's typed text stands (the diagram and grid are as they were when it
    // was typed, or the user keeps it); false when the statement is to be generated anew.
    bool keepTypedText();
    void markSQLError(const QString &Error, qsizetype Position);
    // Before the window closes: false when the user keeps it open to let rows be saved.
    bool mayCloseWhileRunning();
    void startRun(TSchemaQueryRun *Run);
    void showRunStatus();
    // Shows whether a statement runs or its rows are saved, on both pages' controls.
    void showRunState();
    // Writes the rows of a model that is not a background run's, on this thread.
    bool writeModelCsv(QAbstractItemModel *Model, const QString &FileName, QString *Error);
    void exportEnded(const QString &Error, qint64 Rows, bool Cancelled);

    TfrmZkSQLBuilder *const q;
    TfrmZkSQLBuilderPrivate *const d;

    // The SQL page's text was typed by the user; FTypedState is the work when it was.
    bool FTextTyped = false;
    // The user asked for the statement (Generate): the SQL page writes it anew.
    bool FGenerateAsked = false;
    bool FSettingText = false;
    QString FTypedState;
    QString FSQLError;
    qsizetype FSQLErrorPosition = -1;
    QTimer *FCheckTimer = nullptr;
    SqlHighlighter *FHighlighter = nullptr;
    std::unique_ptr<TSchemaQueryRun> FRun;
    qint64 FRunStarted = 0;
    qint64 FRunTime = -1;
    QString FRunError;
    bool FRunCancelled = false;
    // Saving the results as CSV: the file; the rows written so far; whether the saving took
    // over the rows of a run still open (the grid then shows only some); how the last saving
    // ended, for the model it saved (FExportModel), on the status line; and whether its error
    // goes to the caller (SaveResultsCsv) instead of a message.
    QString FExportFile;
    qint64 FExportRows = 0;
    bool FRunExported = false;
    QString FExportOutcome;
    QPointer<QAbstractItemModel> FExportModel;
    bool FExportEnded = false;
    bool FExportCancelled = false;
    QString FExportError;
    bool FExportQuiet = false;

    QString FSQLText;
    // What statementSource gave when the SQL page's text was last set or generated.
    QString FSQLSource;
    QPointer<QAbstractItemModel> FResult;
    // The result model when the form adopted it (it came without a parent).
    QPointer<QAbstractItemModel> FOwnedResult;
};

} // namespace Diduza
