#pragma once

// The builder form's own state: its engine and events, the SQL page's text and run, the
// grid's row references and caches. Not installed.

#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QTimer;

namespace Diduza {

class SqlHighlighter;
class TSchemaDataEngine;
class TSchemaQueryRun;
class TSchemaSubItem;

class TfrmZkSQLBuilderPrivate {
public:
    static TfrmZkSQLBuilderPrivate *get(TfrmZkSQLBuilder *form) { return form->d.get(); }
    // ImportQuery's steps (TfrmZkSQLBuilderImport.cpp).
    class Importer;

    QPointer<TSchemaDataEngine> FDataEngine;
    TDrawItemEvent FOnDrawTableItem;
    TGetSchemaItemEvent FOnGetTableName;
    TGetSchemaSubItemEvent FOnGetFieldName;
    TSchemaItemEvent FOnAddItem;
    TSchemaItemEvent FOnDeleteItem;
    bool FDestroying = false;
    bool FExtendedGrid = false;
    bool FSQLEditable = false;
    bool FBackgroundExecution = false;
    int FRowLimit = 0;
    // The SQL page's text was typed by the user; FTypedState is the work when it was.
    bool FTextTyped = false;
    bool FSettingText = false;
    QString FTypedState;
    QString FSQLError;
    qsizetype FSQLErrorPosition = -1;
    QTimer *FCheckTimer = nullptr;
    QTimer *FAliasTimer = nullptr; // shows the aliases of shared captions (showAliases)
    SqlHighlighter *FHighlighter = nullptr;
    std::unique_ptr<TSchemaQueryRun> FRun;
    qint64 FRunStarted = 0;
    qint64 FRunTime = -1;
    QString FRunError;
    bool FRunCancelled = false;
    bool FJoinByKeys = false;
    // The form has been shown, or its size was given (RestoreState): it is sized no more.
    bool FSizeChosen = false;

    // The cell the visible editor was placed over.
    int FEditCol = -1;
    int FEditRow = -1;

    // Row references: serial number to row. A serial is never given twice.
    QHash<int, QPointer<TSchemaSubItem>> FSubItemRefs;
    int FLastSubItemRef = 0;
    // The serial of each row, and the column of each row in the grid: found by one walk of the
    // grid, then kept through the form's own changes while the grid's CellsVersion shows no
    // other change.
    QHash<const TSchemaSubItem *, int> FRefOfSubItem;
    int FRefsSwept = 0;
    mutable QHash<const TSchemaSubItem *, int> FColumnOfRow;
    mutable quint64 FColumnOfRowVersion = ~quint64(0);

    QString FSQLText;
    QStringList FImportNotes;
    // What statementSource gave when the SQL page's text was last set or generated.
    QString FSQLSource;
    QPointer<QAbstractItemModel> FResult;
    // The result model when the form adopted it (it came without a parent).
    QPointer<QAbstractItemModel> FOwnedResult;
    int FTablesExtent = 0;
    QString FCleanState;
    QString FFileFilter;
    QString FDefaultExt;
};

} // namespace Diduza
