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

enum TSchemaControlType { scListBox, scCheckListBox, scTreeView, scText, scIcon };
Q_ENUM_NS(TSchemaControlType)

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

enum TSDRelationType { rtNormal, rtIdentifying, rtNonIdentifying };
Q_ENUM_NS(TSDRelationType)

enum TSDRelationOperator { roEqual, roLess, roGreater, roLessThan, roGreaterThan, roNonEqual };
Q_ENUM_NS(TSDRelationOperator)

enum TSDRelationJoin { rjInner, rjLeftOuter, rjRightOuter, rjFull };
Q_ENUM_NS(TSDRelationJoin)

/// The SQL dialect of a data engine. stAnsi writes the FROM clause as a tree of
/// "[INNER|LEFT OUTER|RIGHT OUTER|FULL OUTER] JOIN table ON (...)" clauses.
enum TSQLSubType { stStandard, stLocal, stOracle, stMSSQL, stAnsi };
Q_ENUM_NS(TSQLSubType)

/// How a query block of a compound statement combines with the blocks before it.
enum TSQLSetOperator { soUnion, soUnionAll, soIntersect, soIntersectAll, soExcept, soExceptAll };
Q_ENUM_NS(TSQLSetOperator)

enum TZkSAction { saDeleteItem, saDeleteReleation, saEditRelation };
Q_ENUM_NS(TZkSAction)

enum TSQLToken {
    stSymbol,
    stAlias,
    stNumber,
    stComma,
    stEQ,
    stOther,
    stLParen,
    stRParen,
    stEnd,
    stComment,
    stParameter
};
Q_ENUM_NS(TSQLToken)

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
    constexpr TZkSActions() = default;
    constexpr TZkSActions(std::initializer_list<TZkSAction> actions)
    {
        for (TZkSAction a : actions)
            m_bits |= bit(a);
    }
    static constexpr TZkSActions All()
    {
        return TZkSActions { saDeleteItem, saDeleteReleation, saEditRelation };
    }

    constexpr bool Contains(TZkSAction a) const { return (m_bits & bit(a)) != 0; }
    constexpr void Include(TZkSAction a) { m_bits |= bit(a); }
    constexpr void Exclude(TZkSAction a) { m_bits &= quint8(~bit(a)); }
    constexpr bool IsEmpty() const { return m_bits == 0; }
    constexpr quint8 Bits() const { return m_bits; }
    constexpr bool operator==(TZkSActions o) const { return m_bits == o.m_bits; }
    constexpr bool operator!=(TZkSActions o) const { return m_bits != o.m_bits; }

private:
    static constexpr quint8 bit(TZkSAction a) { return quint8(1u << unsigned(a)); }
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
