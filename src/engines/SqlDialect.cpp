#include "engines/SqlDialect.h"

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

QString oracleJoin(const QString &p, const QString &op, const QString &c, TSDRelationJoin join)
{
    const QChar open(QLatin1Char('(')), close(QLatin1Char(')')), blank(QLatin1Char(' '));
    switch (join) {
    case rjLeftOuter:
        return open + p + QStringLiteral(" (+)") + op + blank + c + close;
    case rjRightOuter:
        return open + p + blank + op + blank + c + QStringLiteral(" (+))");
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
    return SubType == stStandard ? joinClauseTemplate() : whereClauseTemplate();
}

QString JoinOperatorText(TSDRelationOperator Operator)
{
    switch (Operator) {
    case roEqual:
        return QStringLiteral("=");
    case roLess:
        return QStringLiteral("<");
    case roGreater:
        return QStringLiteral(">");
    case roLessThan:
        return QStringLiteral("<=");
    case roGreaterThan:
        return QStringLiteral(">=");
    case roNonEqual:
        return QStringLiteral("<>");
    }
    return QString();
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
        break;
    }
    return plainCondition(strParent, op, strChild);
}

QString JoinSeparator(TSQLSubType SubType, TSDRelationJoin Join)
{
    Q_UNUSED(Join);
    return SubType == stStandard ? QStringLiteral(" ") : QStringLiteral(" AND ");
}

} // namespace Diduza
