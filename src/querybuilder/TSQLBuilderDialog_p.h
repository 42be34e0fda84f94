#pragma once

// The dialog's own state: its properties, the handlers it hands to each run's form, and the
// form and design area while a run lasts. Not installed.

#include "querybuilder/TSQLBuilderDialog.h"

#include <QPointer>

#include <optional>

namespace Diduza {

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

} // namespace Diduza
