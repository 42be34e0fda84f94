#pragma once

// The SQL dialects of the data engines: the statement template of each dialect and the text
// of a join condition. Templates are written in the language of querybuilder/SqlTemplate.h.

#include "diduzacore_export.h"
#include "platform/SchemaTypes.h"

#include <QString>

namespace Diduza {

/// The statement template of a dialect. stStandard writes its joins as JOIN clauses after the
/// table list; stLocal, stOracle and stMSSQL append them to the WHERE clause after "AND ";
/// stAnsi has no join lines: its whole join tree is the table list (see QueryGenerator.h). The
/// lines are joined by " \r\n" and the last line has no terminator.
///
/// What the join kinds keep, in every dialect that writes outer joins: a left outer join keeps
/// every row of the relation's parent, a right outer join every row of its child, a full join
/// the rows of both.
DIDUZACORE_EXPORT QString SQLTemplate(TSQLSubType SubType);

/// "=", "<", ">", "<=", ">=", "<>"; an empty text for a value outside the enumeration.
DIDUZACORE_EXPORT QString JoinOperatorText(TSDRelationOperator Operator);

/// The text of one join condition between the parent column strParent and the child column
/// strChild (each written as table or alias, ".", field). The plain condition is
/// "(parent op child)"; stStandard prefixes it with the JOIN keywords of the kind; stOracle
/// marks the column of the side that may be missing with " (+)" (the child's for a left outer
/// join, the parent's for a right outer join, both for a full join); stMSSQL puts "*" on the
/// side whose rows are all kept; stLocal always gives the plain one (so its outer joins keep
/// only matching rows), and stAnsi too (it is the condition after ON).
DIDUZACORE_EXPORT QString JoinScript(TSQLSubType SubType, const QString &strParent,
    const QString &strChild, TSDRelationOperator Operator, TSDRelationJoin Join);

/// The JOIN keywords of a relation of kind Join that adds an item to a join tree: the new item
/// is the relation's child (NewItemIsChild) or its parent. "LEFT OUTER JOIN" keeps every row of
/// what stands before it, "RIGHT OUTER JOIN" every row of the new item.
DIDUZACORE_EXPORT QString JoinTreeKeyword(TSDRelationJoin Join, bool NewItemIsChild);

/// The text between two joins of the same kind: " " for stStandard, " AND " for the others.
DIDUZACORE_EXPORT QString JoinSeparator(TSQLSubType SubType, TSDRelationJoin Join);

} // namespace Diduza
