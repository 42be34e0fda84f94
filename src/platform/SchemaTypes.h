#pragma once

// The shared enumerations of the components. Ordinals follow the declaration order and are
// stored in schema files, so never reorder or insert values.

#include "diduzacore_export.h"

#include <QMetaEnum>
#include <QObject>
#include <QString>

#include <initializer_list>

namespace Diduza {
Q_NAMESPACE_EXPORT(DIDUZACORE_EXPORT)

/// How a design area item shows its content: a list of lines, a list of check boxes, a tree,
/// a plain text or an icon.
enum TSchemaControlType { scListBox, scCheckListBox, scTreeView, scText, scIcon };
Q_ENUM_NS(TSchemaControlType)

/// The outline of a shape item; skNone draws no outline.
enum TSchemaShapeKind {
    skNone,
    skRectangle,
    skRoundRect,
    skEllipse,
    skStar,
    skTriangle,
    skOctogon
};
Q_ENUM_NS(TSchemaShapeKind)

/// The picture of an icon item; itDefault is the component's own glyph.
enum TSCIconType {
    itDefault,
    itComputer,
    itDrive,
    itCalculator,
    itCalendar,
    itDesign,
    itFAX,
    itRecycle,
    itConnection,
    itCross,
    itPassword,
    itDatabase,
    itPaper,
    itLink,
    itRelation,
    itSettings,
    itFolderBox,
    itFont,
    itForm,
    itGraph,
    itMail,
    itNetwork,
    itNote,
    itWebData,
    itPrinter,
    itServer,
    itSignal,
    itStopLight,
    itTime,
    itUpdate,
    itUser
};
Q_ENUM_NS(TSCIconType)

/// The kind of a relation between two tables, as drawn and as stored.
enum TSDRelationType { rtNormal, rtIdentifying, rtNonIdentifying };
Q_ENUM_NS(TSDRelationType)

/// The comparison of a join: =, <, >, <=, >= and <> in this order (roLessThan is "<=",
/// roGreaterThan ">=").
enum TSDRelationOperator { roEqual, roLess, roGreater, roLessThan, roGreaterThan, roNonEqual };
Q_ENUM_NS(TSDRelationOperator)

/// The join of a relation: inner, left outer, right outer or full outer.
enum TSDRelationJoin { rjInner, rjLeftOuter, rjRightOuter, rjFull };
Q_ENUM_NS(TSDRelationJoin)

/// The SQL dialect of a data engine. stStandard writes the joins in the FROM clause; stLocal,
/// stOracle and stMSSQL write them as WHERE conditions (stLocal as plain conditions, without
/// outer rows). stOracle and stMSSQL also have their own row limit clauses. stAnsi writes the FROM
/// clause as a tree of
/// "[INNER|LEFT OUTER|RIGHT OUTER|FULL OUTER] JOIN table ON (...)" clauses.
enum TSQLSubType { stStandard, stLocal, stOracle, stMSSQL, stAnsi };
Q_ENUM_NS(TSQLSubType)

/// How a query block of a compound statement combines with the blocks before it.
enum TSQLSetOperator { soUnion, soUnionAll, soIntersect, soIntersectAll, soExcept, soExceptAll };
Q_ENUM_NS(TSQLSetOperator)

/// An editing action the user may be allowed on a design area: deleting an item, deleting a
/// relation, opening a relation's options.
enum TZkSAction { saDeleteItem, saDeleteReleation, saEditRelation };
Q_ENUM_NS(TZkSAction)

/// The kinds of token TSQLParser reads.
enum TSQLToken {
    stSymbol, ///< A word or a quoted name.
    stAlias, ///< A word ending with a dot: the qualifier of a name ("T." of "T.Name").
    stNumber, ///< A number, with its sign.
    stComma, ///< A comma.
    stEQ, ///< The = sign.
    stOther, ///< Any other single character.
    stLParen, ///< An opening parenthesis.
    stRParen, ///< A closing parenthesis.
    stEnd, ///< The end of the text; it has no text.
    stComment, ///< A --, // or /* */ comment.
    stParameter ///< A :name parameter.
};
Q_ENUM_NS(TSQLToken)

/// The clause a token stands in, as TSQLParser::Parse reports it; scJoin follows a join word
/// (INNER, JOIN, LEFT, RIGHT, FULL), scUnknown anything before the first clause keyword.
enum TSQLClause {
    scUnknown,
    scFields,
    scTables,
    scWhere,
    scGroupBy,
    scHaving,
    scOrderBy,
    scUnion,
    scJoin
};
Q_ENUM_NS(TSQLClause)

/// A set of editing actions (one bit per TZkSAction ordinal).
class TZkSActions {
public:
    /// The empty set.
    constexpr TZkSActions() = default;
    /// The set of the listed actions.
    constexpr TZkSActions(std::initializer_list<TZkSAction> actions)
    {
        for (TZkSAction a : actions)
            m_bits |= bit(a);
    }
    /// Every action.
    static constexpr TZkSActions All()
    {
        return TZkSActions { saDeleteItem, saDeleteReleation, saEditRelation };
    }

    /// Whether a is in the set.
    constexpr bool Contains(TZkSAction a) const { return (m_bits & bit(a)) != 0; }
    /// Adds a to the set.
    constexpr void Include(TZkSAction a) { m_bits |= bit(a); }
    /// Removes a from the set.
    constexpr void Exclude(TZkSAction a) { m_bits &= quint8(~bit(a)); }
    /// True when no action is in the set.
    constexpr bool IsEmpty() const { return m_bits == 0; }
    /// The set as stored: bit n stands for the action of ordinal n.
    constexpr quint8 Bits() const { return m_bits; }
    /// Sets are equal when they hold the same actions.
    constexpr bool operator==(TZkSActions o) const { return m_bits == o.m_bits; }
    /// See operator==.
    constexpr bool operator!=(TZkSActions o) const { return m_bits != o.m_bits; }

private:
    /// The bit of action a.
    static constexpr quint8 bit(TZkSAction a) { return quint8(1u << unsigned(a)); }
    /// See Bits.
    quint8 m_bits = 0;
};

/// The name of an enumeration value as written in the source ("itStopLight").
template <typename E> QString EnumValueName(E value)
{
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(int(value)));
}

/// Number of values of an enumeration.
template <typename E> int EnumCount()
{
    return QMetaEnum::fromType<E>().keyCount();
}

} // namespace Diduza
