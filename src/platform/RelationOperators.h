#pragma once


#include "platform/SchemaTypes.h"

namespace Diduza {

/// One comparison operator of a join and its SQL text.
struct RelationOperatorText {
    /// The operator.
    TSDRelationOperator Operator;
    /// Its text in SQL ("=", "<", ...).
    const char *Text;
};

/// The comparison operators of a join as SQL writes them, in the order of TSDRelationOperator:
/// the text of a relation's operator, the choices of the relation dialog and what the import
/// reads all come from this table.
inline constexpr RelationOperatorText RelationOperatorTexts[] = { { roEqual, "=" }, { roLess, "<" },
    { roGreater, ">" }, { roLessThan, "<=" }, { roGreaterThan, ">=" }, { roNonEqual, "<>" } };

/// The SQL text of Operator (null for a value outside the enumeration).
inline const char *RelationOperatorSql(TSDRelationOperator Operator)
{
    for (const RelationOperatorText &entry : RelationOperatorTexts) {
        if (entry.Operator == Operator)
            return entry.Text;
    }
    return nullptr;
}

} // namespace Diduza
