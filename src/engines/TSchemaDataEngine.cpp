#include "engines/TSchemaDataEngine.h"

#include "engines/SqlDialect.h"

namespace Diduza {

TSchemaDataEngine::TSchemaDataEngine(QObject *AOwner)
    : QObject(AOwner)
{
}

TSchemaDataEngine::~TSchemaDataEngine() = default;

void TSchemaDataEngine::FillItemList(TStringList &List)
{
    List.Clear();
    const TSDGetItemList handler = FOnGetItemList;
    if (handler)
        handler(this, List);
}

void TSchemaDataEngine::FillSubItemList(TSchemaItem *Item, TStringList &List)
{
    List.Clear();
    const TSDGetSubItemList handler = FOnGetSubItemList;
    if (handler)
        handler(this, Item, List);
}

QAbstractItemModel *TSchemaDataEngine::ExecSQL(const QString &SQL)
{
    const TSDOnExecSQL handler = FOnExecSQL;
    if (handler)
        return handler(this, SQL);
    return nullptr;
}

void TSchemaDataEngine::FillTableInfo(const QStringList &Tables, QVector<TSchemaTableInfo> &List)
{
    List.clear();
    const TSDGetTableInfo handler = FOnGetTableInfo;
    if (handler)
        handler(this, Tables, List);
}

QString TSchemaDataEngine::GetSQLTemplate()
{
    return SQLTemplate(FSQLSubType);
}

SqlNameQuoting TSchemaDataEngine::NameQuoting()
{
    return SqlNameQuoting();
}

bool TSchemaDataEngine::JoinAvailable(TSDRelationJoin) const
{
    return true;
}

QString TSchemaDataEngine::RowLimitClause(qint64, qint64) const
{
    return QString();
}

SqlSpelling TSchemaDataEngine::StatementSpelling()
{
    return SqlSpelling();
}

QString TSchemaDataEngine::ResultsNote()
{
    return QString();
}

QString TSchemaDataEngine::GetJoinScript(const QString &strParent, const QString &strChild,
    TSDRelationOperator Operator, TSDRelationJoin Join) const
{
    return JoinScript(FSQLSubType, strParent, strChild, Operator, Join);
}

QString TSchemaDataEngine::GetJoinSeparator(TSDRelationJoin Join) const
{
    return JoinSeparator(FSQLSubType, Join);
}

TSchemaQueryRun *TSchemaDataEngine::StartSQL(const QString &, int, int)
{
    return nullptr;
}

} // namespace Diduza
