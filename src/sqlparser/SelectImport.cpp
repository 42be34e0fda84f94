#include "sqlparser/SelectImport.h"

#include "sqlparser/PgTree_p.h"
#include "sqlparser/SelectImportLegacy_p.h"
#include "sqlparser/SelectImportReader_p.h"
#include "sqlparser/SqlStatement.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

namespace Diduza {

using PgTree::Statement;
using SelectReading::JoinLine;
using SelectReading::LegacyMarks;

namespace {

ImportedQuery failure(const QString &error, qsizetype position = -1)
{
    ImportedQuery failed;
    failed.Error = error;
    failed.ErrorPosition = position;
    return failed;
}

} // namespace

ImportedQuery ImportSelect(const QString &Sql)
{
    return ImportSelect(Sql, SqlSpelling());
}

ImportedQuery ImportSelect(const QString &Sql, const SqlSpelling &Spelling)
{
    // PostgreSQL's parser reads the standard spelling; names and spans are read from Sql.
    QString standard = Sql;
    if (Spelling.Mysql) {
        QString error;
        standard = MysqlAsStandardSql(Sql, Spelling.Mode, &error);
        if (standard.isNull())
            return failure(error);
    }
    // Sql with what was blanked out of the standard text blanked too.
    auto written = [&](const QString &blanked) {
        if (!Spelling.Mysql)
            return blanked;
        QString text = Sql;
        for (qsizetype i = 0; i < text.size() && i < blanked.size(); ++i) {
            if (blanked.at(i) != standard.at(i))
                text[i] = blanked.at(i);
        }
        return text;
    };
    LegacyMarks marks;
    QString clean = SelectReading::BlankLegacyMarks(standard, marks);
    // MS SQL's row limit, "SELECT [DISTINCT] TOP n", which PostgreSQL's grammar lacks.
    qint64 top = -1;
    static const QRegularExpression topClause(
        QStringLiteral("^\\s*SELECT\\s+(?:DISTINCT\\s+)?(TOP\\s+(\\d{1,9}))\\s"),
        QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = topClause.match(clean); m.hasMatch()) {
        top = m.captured(2).toLongLong();
        clean.replace(m.capturedStart(1), m.capturedLength(1),
            QString(m.capturedLength(1), QLatin1Char(' ')));
    }
    auto statement = std::make_unique<Statement>(clean, written(clean));
    QVector<JoinLine> joinLines;
    if (!statement->ok() && !Sql.contains(QChar(0))) {
        // The standard dialect's join lines, which no database reads.
        const QString withoutLines = SelectReading::BlankJoinLines(clean, joinLines);
        if (!joinLines.isEmpty()) {
            auto second = std::make_unique<Statement>(withoutLines, written(withoutLines));
            if (second->ok())
                statement = std::move(second);
            else
                joinLines.clear();
        }
    }
    if (!statement->ok())
        return failure(statement->error(), statement->errorPosition());
    const PgQuery__ParseResult *tree = statement->tree();
    if (tree->n_stmts != 1)
        return failure(QCoreApplication::translate("Diduza::SelectImport",
            "The text holds %n statement(s), not one SELECT.", nullptr, int(tree->n_stmts)));
    const PgQuery__Node *stmt = tree->stmts[0]->stmt;
    if (!stmt || stmt->node_case != PG_QUERY__NODE__NODE_SELECT_STMT)
        return failure(
            QCoreApplication::translate("Diduza::SelectImport", "The statement is not a SELECT."));
    SelectReading::Reader reader(*statement, marks);
    ImportedQuery query = reader.run(stmt->select_stmt, joinLines);
    if (top >= 0) {
        if (query.Limit >= 0 || !query.Blocks.isEmpty())
            query.LeftOut << QCoreApplication::translate("Diduza::SelectImport",
                "TOP %1 beside another row limit or over a compound statement")
                                 .arg(top);
        else
            query.Limit = top;
    }
    return query;
}

bool ParsesAsPostgres(const QString &Sql, QString *Error)
{
    return ParsesAsPostgres(Sql, Error, nullptr);
}

bool ParsesAsPostgres(const QString &Sql, QString *Error, qsizetype *Position)
{
    return ParsesAsPostgres(Sql, SqlSpelling(), Error, Position);
}

bool ParsesAsPostgres(
    const QString &Sql, const SqlSpelling &Spelling, QString *Error, qsizetype *Position)
{
    QString standard = Sql;
    if (Spelling.Mysql) {
        QString error;
        standard = MysqlAsStandardSql(Sql, Spelling.Mode, &error);
        if (standard.isNull()) {
            if (Error)
                *Error = error;
            if (Position)
                *Position = -1;
            return false;
        }
    }
    const Statement statement(standard);
    if (!statement.ok() && Error)
        *Error = statement.error();
    if (Position)
        *Position = statement.ok() ? -1 : statement.errorPosition();
    return statement.ok();
}

QString RenameTables(const ImportText &Text,
    const std::function<QString(const ImportColumn &)> &Name,
    const std::function<QString(const QString &)> &Quote)
{
    struct Edit {
        qsizetype start;
        qsizetype length;
        QString text;
    };
    QVector<Edit> edits;
    for (const ImportReference &r : Text.References) {
        if (r.Length <= 0 || r.Column.Table < 0)
            continue;
        const QString name = Name(r.Column);
        if (!name.isNull())
            edits.append({ r.Start, r.Length, name + QLatin1Char('.') });
    }
    if (Quote) {
        const qsizetype renamed = edits.size();
        for (const ImportQuotedName &q : Text.QuotedNames) {
            // A quoted qualifier that is named anew goes with its reference.
            const bool inside
                = std::any_of(edits.begin(), edits.begin() + renamed, [&q](const Edit &e) {
                      return q.Start < e.start + e.length && e.start < q.Start + q.Length;
                  });
            if (!inside)
                edits.append({ q.Start, q.Length, Quote(q.Name) });
        }
    }
    std::sort(
        edits.begin(), edits.end(), [](const Edit &a, const Edit &b) { return a.start > b.start; });
    QString result = Text.Text;
    for (const Edit &e : edits)
        result.replace(e.start, e.length, e.text);
    return result;
}

} // namespace Diduza
