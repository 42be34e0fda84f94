#include "engines/SqlDialect.h"

#include "platform/RelationOperators.h"

#include <QStringList>

namespace Diduza {

namespace {

QString joinTemplateLines(const QStringList &lines)
{
    return lines.join(QStringLiteral(" \r\n"));
}

const QString &joinClauseTemplate()
{
    static const QString text = joinTemplateLines({
        QStringLiteral("%[SELECT %[#distinct#]% #fields#]%"),
        QStringLiteral("%[FROM #tables#]%"),
        QStringLiteral("   %[#innerjoins#]%"),
        QStringLiteral("   %[#leftouterjoins#]%"),
        QStringLiteral("   %[#rightouterjoins#]%"),
        QStringLiteral("   %[#fulljoins#]%"),
        QStringLiteral("%[WHERE #wherefilter#]%"),
        QStringLiteral("%[GROUP BY #groups#]%"),
        QStringLiteral("%[HAVING #havingfilter#]%"),
        QStringLiteral("%[ORDER BY #orders#]%"),
    });
    return text;
}

const QString &whereClauseTemplate()
{
    static const QString text = joinTemplateLines({
        QStringLiteral("%[SELECT %[#distinct#]% #fields#]%"),
        QStringLiteral("%[FROM #tables#]%"),
        QStringLiteral("%[WHERE #wherefilter#]%"),
        QStringLiteral("   %[AND #innerjoins#]%"),
        QStringLiteral("   %[AND #leftouterjoins#]%"),
        QStringLiteral("   %[AND #rightouterjoins#]%"),
        QStringLiteral("   %[AND #fulljoins#]%"),
        QStringLiteral("%[GROUP BY #groups#]%"),
        QStringLiteral("%[HAVING #havingfilter#]%"),
        QStringLiteral("%[ORDER BY #orders#]%"),
    });
    return text;
}

// Joins live in the FROM clause, so the template has no join lines.
const QString &joinTreeTemplate()
{
    static const QString text = joinTemplateLines({
        QStringLiteral("%[SELECT %[#distinct#]% #fields#]%"),
        QStringLiteral("%[FROM #tables#]%"),
        QStringLiteral("%[WHERE #wherefilter#]%"),
        QStringLiteral("%[GROUP BY #groups#]%"),
        QStringLiteral("%[HAVING #havingfilter#]%"),
        QStringLiteral("%[ORDER BY #orders#]%"),
    });
    return text;
}

QString plainCondition(const QString &parent, const QString &op, const QString &child)
{
    return QLatin1Char('(') + parent + QLatin1Char(' ') + op + QLatin1Char(' ') + child
        + QLatin1Char(')');
}

QString standardJoin(const QString &condition, TSDRelationJoin join)
{
    switch (join) {
    case rjInner:
        return QStringLiteral("INNER JOIN ") + condition;
    case rjLeftOuter:
        return QStringLiteral("LEFT OUTER JOIN ") + condition;
    case rjRightOuter:
        return QStringLiteral("RIGHT OUTER JOIN ") + condition;
    case rjFull:
        return QStringLiteral("FULL JOIN ") + condition;
    }
    return condition;
}

// The outer-join mark " (+)" stands on the column of the side that may be missing: the child
// for a left outer join (which keeps every parent row), the parent for a right outer join.
QString oracleJoin(const QString &p, const QString &op, const QString &c, TSDRelationJoin join)
{
    const QChar open(QLatin1Char('(')), close(QLatin1Char(')')), blank(QLatin1Char(' '));
    switch (join) {
    case rjLeftOuter:
        return open + p + blank + op + blank + c + QStringLiteral(" (+))");
    case rjRightOuter:
        return open + p + QStringLiteral(" (+)") + op + blank + c + close;
    case rjFull:
        return open + p + QStringLiteral(" (+)") + op + blank + c + QStringLiteral(" (+))");
    case rjInner:
        break;
    }
    return plainCondition(p, op, c);
}

QString msSqlJoin(const QString &p, const QString &op, const QString &c, TSDRelationJoin join)
{
    const QChar open(QLatin1Char('(')), close(QLatin1Char(')'));
    switch (join) {
    case rjLeftOuter:
        return open + p + QStringLiteral(" *") + op + QLatin1Char(' ') + c + close;
    case rjRightOuter:
        return open + p + QLatin1Char(' ') + op + QStringLiteral("* ") + c + close;
    case rjFull:
        return open + p + QStringLiteral(" *") + op + QStringLiteral("* ") + c + close;
    case rjInner:
        break;
    }
    return plainCondition(p, op, c);
}

} // namespace

QString SQLTemplate(TSQLSubType SubType)
{
    switch (SubType) {
    case stStandard:
        return joinClauseTemplate();
    case stAnsi:
        return joinTreeTemplate();
    case stLocal:
    case stOracle:
    case stMSSQL:
        break;
    }
    return whereClauseTemplate();
}

QString JoinOperatorText(TSDRelationOperator Operator)
{
    return QString::fromLatin1(RelationOperatorSql(Operator));
}

QString JoinScript(TSQLSubType SubType, const QString &strParent, const QString &strChild,
    TSDRelationOperator Operator, TSDRelationJoin Join)
{
    const QString op = JoinOperatorText(Operator);
    switch (SubType) {
    case stStandard:
        return standardJoin(plainCondition(strParent, op, strChild), Join);
    case stOracle:
        return oracleJoin(strParent, op, strChild, Join);
    case stMSSQL:
        return msSqlJoin(strParent, op, strChild, Join);
    case stLocal:
    case stAnsi:
        break;
    }
    return plainCondition(strParent, op, strChild);
}

QString JoinTreeKeyword(TSDRelationJoin Join, bool NewItemIsChild)
{
    switch (Join) {
    case rjInner:
        break;
    case rjLeftOuter:
        return NewItemIsChild ? QStringLiteral("LEFT OUTER JOIN")
                              : QStringLiteral("RIGHT OUTER JOIN");
    case rjRightOuter:
        return NewItemIsChild ? QStringLiteral("RIGHT OUTER JOIN")
                              : QStringLiteral("LEFT OUTER JOIN");
    case rjFull:
        return QStringLiteral("FULL OUTER JOIN");
    }
    return QStringLiteral("INNER JOIN");
}

QString JoinSeparator(TSQLSubType SubType, TSDRelationJoin Join)
{
    Q_UNUSED(Join);
    return SubType == stStandard ? QStringLiteral(" ") : QStringLiteral(" AND ");
}

} // namespace Diduza
