#pragma once

// The SQL dialects of the data engines: the statement template of each dialect and the text
// of a join condition. Templates are written in the language of querybuilder/SqlTemplate.h.

#include "diduzacore_export.h"
#include "platform/SchemaTypes.h"

#include <QString>

namespace Diduza {

// The statement template of a dialect. stStandard writes its joins as JOIN clauses after the
// table list; stLocal, stOracle and stMSSQL append them to the WHERE clause after "AND ". The
// lines are joined by " \r\n" and the last line has no terminator.
DIDUZACORE_EXPORT QString SQLTemplate(TSQLSubType SubType);

// "=", "<", ">", "<=", ">=", "<>"; an empty text for a value outside the enumeration.
DIDUZACORE_EXPORT QString JoinOperatorText(TSDRelationOperator Operator);

// The text of one join condition between the parent column strParent and the child column
// strChild (each written as table or alias, ".", field). The plain condition is
// "(parent op child)"; stStandard prefixes it with the JOIN keywords of the kind, stOracle
// marks the outer side(s) with " (+)", stMSSQL with "*", stLocal always gives the plain one.
DIDUZACORE_EXPORT QString JoinScript(TSQLSubType SubType, const QString &strParent,
    const QString &strChild, TSDRelationOperator Operator, TSDRelationJoin Join);

// The text between two joins of the same kind: " " for stStandard, " AND " for the others.
DIDUZACORE_EXPORT QString JoinSeparator(TSQLSubType SubType, TSDRelationJoin Join);

} // namespace Diduza
