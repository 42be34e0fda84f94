#pragma once

// The comparison operators of a join as SQL writes them, in the order of TSDRelationOperator:
// the text of a relation's operator, the choices of the relation dialog and what the import
// reads all come from this table. Not installed.

#include "platform/SchemaTypes.h"

namespace Diduza {

struct RelationOperatorText {
    TSDRelationOperator Operator;
    const char *Text;
};

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
