#pragma once

// The table of user-visible texts. Every text is looked up when it is used, through
// QCoreApplication::translate in the context "SchmCnst", so that an installed translator
// changes what the components show and what the query builder compares grid cells with.

#include "diduzacore_export.h"

#include <QString>

namespace Diduza {

/// The user-visible texts, by identifier; ResStringCount is their number.
enum TResString {
    _sSelectAll,
    _sUnSelectAll,
    _sDeleteReleations,
    _sDeleteItem,
    _sEditRelation,
    _sDeleteRelation,
    _sChangeBackground,
    _sChangeFont,
    _strValueCOUNT,
    _strValueMAX,
    _strValueMIN,
    _strValueSUM,
    _strSortASC,
    _strSortDESC,
    _sOK,
    _sCancel,
    _sNewSQL,
    _sOpenSQL,
    _sSaveSQL,
    _sShowGrid,
    _smsNotValidTableParent,
    _smsUniqueOnly,
    _smsAggIsNotAllowed,
    _smsItemLinked,
    _strColumnPage,
    _strOptionsPage,
    _strSQLPage,
    _strResultPage,
    _strFieldName,
    _strTableName,
    _strValueName,
    _strSortName,
    _strWhereName,
    _strGroupName,
    _strHavingName,
    _strValueAVG,
    _sShowTables,
    _sGenSQL,
    _sExecSQl,
    _sAllFiles,
    _sSchemaFiles,
    ResStringCount
};

/// The (translated) text of a resource string.
DIDUZACORE_EXPORT QString LoadResString(TResString id);
/// The untranslated source text, as written in the table.
DIDUZACORE_EXPORT const char *ResStringSource(TResString id);

} // namespace Diduza
