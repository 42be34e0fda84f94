#include "sqlparser/SelectImport.h"

#include "platform/CompareText.h"
#include "sqlparser/TSQLParser.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <pg_query.h>

#include <algorithm>
#include <memory>

namespace Diduza {

namespace {

// The result of PostgreSQL's parser, freed with it.
struct PgParse {
    explicit PgParse(const QByteArray &utf8)
        : result(pg_query_parse(utf8.constData()))
    {
    }
    ~PgParse() { pg_query_free_parse_result(result); }
    PgParse(const PgParse &) = delete;
    PgParse &operator=(const PgParse &) = delete;
    PgQueryParseResult result;
};

struct Token {
    qsizetype pos; // UTF-16 index into the text
    TSQLToken kind;
    QString text; // symbols only, upper case for unquoted ones
    bool quoted;
};

// The statement's text, its tokens and the map between the UTF-8 offsets PostgreSQL's parser
// reports and the UTF-16 indexes of the text.
class Source {
public:
    explicit Source(const QString &text)
        : m_text(text)
    {
        m_utf16Of.reserve(text.size() * 2 + 1);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char32_t c = text.at(i).unicode();
            int bytes = 1;
            if (QChar::isHighSurrogate(c) && i + 1 < text.size()) {
                bytes = 4;
            } else if (QChar::isLowSurrogate(c)) {
                bytes = 0; // counted with its high surrogate
            } else if (c >= 0x800) {
                bytes = 3;
            } else if (c >= 0x80) {
                bytes = 2;
            }
            for (int b = 0; b < bytes; ++b)
                m_utf16Of.append(i);
        }
        m_utf16Of.append(text.size());

        TSQLParser parser(text);
        while (parser.Token() != stEnd) {
            Token t { parser.TokenPosition(), parser.Token(), QString(), parser.SymbolQuoted() };
            if (t.kind == stSymbol)
                t.text = t.quoted ? parser.TokenString() : parser.TokenString().toUpper();
            else if (t.kind == stAlias)
                t.text = parser.TokenString();
            m_tokens.append(t);
            parser.NextToken();
        }
    }

    const QString &text() const { return m_text; }
    const QVector<Token> &tokens() const { return m_tokens; }
    qsizetype utf16(int byteOffset) const
    {
        if (byteOffset < 0)
            return -1;
        return m_utf16Of.value(byteOffset, m_text.size());
    }

private:
    QString m_text;
    QVector<qsizetype> m_utf16Of;
    QVector<Token> m_tokens;
};

// The outer-join marks of the WHERE-clause dialects, which PostgreSQL's parser does not read:
// "(+)" after a column (Oracle) and "*" beside a comparison operator (MSSQL). They are blanked
// out of the text, which keeps every offset.
struct LegacyMarks {
    QVector<qsizetype> plus; // where each "(+)" began
    QSet<qsizetype> stars; // where each star stood
};

bool isOperatorChar(QChar c)
{
    return c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>')
        || c == QLatin1Char('!');
}

QString blankLegacyMarks(const QString &text, LegacyMarks &marks)
{
    QString clean = text;
    const Source source(text);
    const QVector<Token> &tokens = source.tokens();
    for (int i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        if (t.kind == stLParen && i + 2 < tokens.size() && tokens.at(i + 1).kind == stOther
            && text.at(tokens.at(i + 1).pos) == QLatin1Char('+')
            && tokens.at(i + 2).kind == stRParen) {
            marks.plus.append(t.pos);
            for (qsizetype p = t.pos; p <= tokens.at(i + 2).pos; ++p)
                clean[p] = QLatin1Char(' ');
            i += 2;
            continue;
        }
        if (t.kind != stSymbol || t.quoted)
            continue;
        // "*" right before or after an operator; also a star glued to the end of a column.
        const QString raw = text.mid(t.pos, t.text.size());
        if (raw == QLatin1String("*")) {
            const bool before = t.pos > 0 && isOperatorChar(text.at(t.pos - 1));
            const bool after = t.pos + 1 < text.size() && isOperatorChar(text.at(t.pos + 1));
            if (before || after) {
                marks.stars.insert(t.pos);
                clean[t.pos] = QLatin1Char(' ');
            }
        } else if (raw.size() > 1 && raw.endsWith(QLatin1Char('*'))
            && !raw.endsWith(QLatin1String(".*"))) {
            const qsizetype star = t.pos + raw.size() - 1;
            if (star + 1 < text.size() && isOperatorChar(text.at(star + 1))) {
                marks.stars.insert(star);
                clean[star] = QLatin1Char(' ');
            }
        }
    }
    return clean;
}

// --- the parse tree ---------------------------------------------------------------------------

QJsonObject node(const QJsonValue &value, const char *type)
{
    return value.toObject().value(QLatin1String(type)).toObject();
}

bool isNode(const QJsonValue &value, const char *type)
{
    return value.toObject().contains(QLatin1String(type));
}

QString stringNode(const QJsonValue &value)
{
    return node(value, "String").value(QLatin1String("sval")).toString();
}

// Every "location" in a subtree, as UTF-16 indexes.
void locations(const QJsonValue &value, const Source &source, QVector<qsizetype> &out)
{
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.key() == QLatin1String("location") && it.value().isDouble()) {
                if (it.value().toInt() >= 0)
                    out.append(source.utf16(it.value().toInt()));
            } else {
                locations(it.value(), source, out);
            }
        }
    } else if (value.isArray()) {
        for (const QJsonValue &element : value.toArray())
            locations(element, source, out);
    }
}

// A plain column reference; false for anything else.
bool columnRef(const QJsonValue &value, ImportColumn &column)
{
    if (!isNode(value, "ColumnRef"))
        return false;
    const QJsonArray fields = node(value, "ColumnRef").value(QLatin1String("fields")).toArray();
    if (fields.isEmpty())
        return false;
    QStringList parts;
    for (const QJsonValue &field : fields) {
        if (isNode(field, "A_Star"))
            parts << QStringLiteral("*");
        else if (isNode(field, "String"))
            parts << stringNode(field);
        else
            return false;
    }
    column.Field = parts.takeLast();
    column.Qualifier = parts.join(QLatin1Char('.'));
    return true;
}

QString columnText(const ImportColumn &column)
{
    return column.Qualifier.isEmpty() ? column.Field
                                      : column.Qualifier + QLatin1Char('.') + column.Field;
}

bool comparison(const QString &op, TSDRelationOperator &result)
{
    static const struct {
        const char *text;
        TSDRelationOperator op;
    } ops[] = { { "=", roEqual }, { "<", roLess }, { ">", roGreater }, { "<=", roLessThan },
        { ">=", roGreaterThan }, { "<>", roNonEqual }, { "!=", roNonEqual } };
    for (const auto &entry : ops) {
        if (op == QLatin1String(entry.text)) {
            result = entry.op;
            return true;
        }
    }
    return false;
}

// The conditions of a condition joined by AND at its top.
QJsonArray conjuncts(const QJsonValue &expr)
{
    if (isNode(expr, "BoolExpr")) {
        const QJsonObject b = node(expr, "BoolExpr");
        if (b.value(QLatin1String("boolop")).toString() == QLatin1String("AND_EXPR"))
            return b.value(QLatin1String("args")).toArray();
    }
    return QJsonArray { expr };
}

// "1 = 1", which the WHERE-clause dialects write when only joins stand in WHERE.
bool isOneEqualsOne(const QJsonValue &expr)
{
    const QJsonObject e = node(expr, "A_Expr");
    if (e.isEmpty() || e.value(QLatin1String("kind")).toString() != QLatin1String("AEXPR_OP"))
        return false;
    auto one = [](const QJsonValue &v) {
        const QJsonValue ival = node(v, "A_Const").value(QLatin1String("ival"));
        return ival.toObject().value(QLatin1String("ival")) == QJsonValue(1);
    };
    const QJsonArray name = e.value(QLatin1String("name")).toArray();
    return name.size() == 1 && stringNode(name.at(0)) == QLatin1String("=")
        && one(e.value(QLatin1String("lexpr"))) && one(e.value(QLatin1String("rexpr")));
}

class Importer {
    // Its texts are translated in the context of the import as a whole.
    Q_DECLARE_TR_FUNCTIONS(Diduza::SelectImport)

public:
    Importer(const QString &clean, const LegacyMarks &marks)
        : m_source(clean)
        , m_marks(marks)
    {
    }

    ImportedQuery run(const QJsonObject &select)
    {
        QJsonObject s = select;
        // Of UNION, INTERSECT and EXCEPT the first SELECT is read.
        if (s.value(QLatin1String("op")).toString() != QLatin1String("SETOP_NONE")) {
            m_query.LeftOut << tr("UNION, INTERSECT or EXCEPT: only the first SELECT is shown");
            while (s.contains(QLatin1String("larg"))
                && s.value(QLatin1String("op")).toString() != QLatin1String("SETOP_NONE"))
                s = s.value(QLatin1String("larg")).toObject(); // written without its type
        }
        noteUnsupported(s);
        readDistinct(s.value(QLatin1String("distinctClause")));
        for (const QJsonValue &item : s.value(QLatin1String("fromClause")).toArray())
            readFrom(item);
        readTargets(s.value(QLatin1String("targetList")).toArray());
        readWhere(s.value(QLatin1String("whereClause")));
        for (const QJsonValue &group : s.value(QLatin1String("groupClause")).toArray())
            readGroup(group);
        if (s.contains(QLatin1String("havingClause")))
            m_query.Having = conditionTexts(
                conjuncts(s.value(QLatin1String("havingClause"))), QStringLiteral("HAVING"));
        for (const QJsonValue &sort : s.value(QLatin1String("sortClause")).toArray())
            readSort(sort);
        m_query.Ok = true;
        return m_query;
    }

private:
    void noteUnsupported(const QJsonObject &s)
    {
        static const struct {
            const char *key;
            const char *text;
        } parts[] = {
            { "withClause", QT_TRANSLATE_NOOP("Diduza::SelectImport", "the WITH clause") },
            { "intoClause", QT_TRANSLATE_NOOP("Diduza::SelectImport", "INTO") },
            { "limitCount", QT_TRANSLATE_NOOP("Diduza::SelectImport", "LIMIT") },
            { "limitOffset", QT_TRANSLATE_NOOP("Diduza::SelectImport", "OFFSET") },
            { "lockingClause", QT_TRANSLATE_NOOP("Diduza::SelectImport", "FOR UPDATE") },
            { "windowClause", QT_TRANSLATE_NOOP("Diduza::SelectImport", "WINDOW") },
            { "valuesLists", QT_TRANSLATE_NOOP("Diduza::SelectImport", "VALUES") },
        };
        for (const auto &part : parts) {
            if (s.contains(QLatin1String(part.key)))
                m_query.LeftOut << tr(part.text);
        }
    }

    void readDistinct(const QJsonValue &clause)
    {
        const QJsonArray list = clause.toArray();
        if (list.isEmpty())
            return;
        if (list.size() == 1 && list.at(0).toObject().isEmpty())
            m_query.Distinct = true;
        else
            m_query.LeftOut << tr("DISTINCT ON (...): plain DISTINCT is not set");
    }

    // --- FROM --------------------------------------------------------------------------------

    // The tables of a FROM entry, as indexes into m_query.Tables.
    QVector<int> readFrom(const QJsonValue &item)
    {
        if (isNode(item, "RangeVar")) {
            const QJsonObject r = node(item, "RangeVar");
            ImportTable table;
            table.Name = r.value(QLatin1String("relname")).toString();
            const QString schema = r.value(QLatin1String("schemaname")).toString();
            if (!schema.isEmpty())
                table.Name = schema + QLatin1Char('.') + table.Name;
            table.Alias = r.value(QLatin1String("alias"))
                              .toObject()
                              .value(QLatin1String("aliasname"))
                              .toString();
            m_query.Tables.append(table);
            return { int(m_query.Tables.size() - 1) };
        }
        if (isNode(item, "JoinExpr")) {
            const QJsonObject j = node(item, "JoinExpr");
            const QVector<int> left = readFrom(j.value(QLatin1String("larg")));
            const QVector<int> right = readFrom(j.value(QLatin1String("rarg")));
            const QVector<int> both = left + right;
            if (j.value(QLatin1String("isNatural")).toBool()
                || j.contains(QLatin1String("usingClause")))
                m_query.LeftOut << tr("NATURAL and USING joins: their condition");
            if (j.contains(QLatin1String("quals")))
                readOn(j, left, right);
            return both;
        }
        m_query.LeftOut << tr("a FROM entry that is not a table (a subquery or a function)");
        return {};
    }

    void readOn(const QJsonObject &join, const QVector<int> &left, const QVector<int> &right)
    {
        const QString type = join.value(QLatin1String("jointype")).toString();
        const QJsonValue quals = join.value(QLatin1String("quals"));
        const QJsonArray parts = conjuncts(quals);
        QJsonArray others;
        for (const QJsonValue &part : parts) {
            ImportRelation relation;
            int parent = -1, child = -1;
            if (!relationOf(part, relation, parent, child)) {
                others.append(part);
                continue;
            }
            if (type == QLatin1String("JOIN_FULL")) {
                relation.Join = rjFull;
            } else if (type == QLatin1String("JOIN_LEFT") || type == QLatin1String("JOIN_RIGHT")) {
                const QVector<int> &kept = type == QLatin1String("JOIN_LEFT") ? left : right;
                if (kept.contains(parent) && !kept.contains(child))
                    relation.Join = rjLeftOuter;
                else if (kept.contains(child) && !kept.contains(parent))
                    relation.Join = rjRightOuter;
            }
            m_query.Relations.append(relation);
        }
        if (others.isEmpty())
            return;
        const QStringList texts = conditionTexts(parts, QStringLiteral("ON"), &others);
        if (type == QLatin1String("JOIN_INNER")) {
            m_query.Where += texts; // the same rows, whether in ON or in WHERE
        } else {
            for (const QString &text : texts)
                m_query.LeftOut << tr("the condition %1 of an outer join").arg(text);
        }
    }

    // The table a column names: by alias first, then by a name without alias; -1 when none.
    int tableOf(const ImportColumn &column) const
    {
        if (column.Qualifier.isEmpty())
            return -1;
        for (int i = 0; i < m_query.Tables.size(); ++i) {
            if (SameText(m_query.Tables.at(i).Alias, column.Qualifier))
                return i;
        }
        for (int i = 0; i < m_query.Tables.size(); ++i) {
            const ImportTable &t = m_query.Tables.at(i);
            if (t.Alias.isEmpty()
                && (SameText(t.Name, column.Qualifier)
                    || SameText(t.Name.section(QLatin1Char('.'), -1), column.Qualifier)))
                return i;
        }
        return -1;
    }

    // A comparison between columns of tables of the statement, with its legacy marks.
    bool relationOf(const QJsonValue &expr, ImportRelation &relation, int &parent, int &child,
        bool *marked = nullptr)
    {
        const QJsonObject e = node(expr, "A_Expr");
        if (e.isEmpty() || e.value(QLatin1String("kind")).toString() != QLatin1String("AEXPR_OP"))
            return false;
        const QJsonArray name = e.value(QLatin1String("name")).toArray();
        if (name.size() != 1 || !comparison(stringNode(name.at(0)), relation.Operator))
            return false;
        if (!columnRef(e.value(QLatin1String("lexpr")), relation.Parent)
            || !columnRef(e.value(QLatin1String("rexpr")), relation.Child))
            return false;
        if (relation.Parent.Field == QLatin1String("*")
            || relation.Child.Field == QLatin1String("*"))
            return false;
        parent = tableOf(relation.Parent);
        child = tableOf(relation.Child);
        if (parent < 0 || child < 0)
            return false;

        // Oracle: "(+)" on the side that may be missing; MSSQL: "*" on the side kept.
        const qsizetype op = m_source.utf16(e.value(QLatin1String("location")).toInt());
        const qsizetype childAt = m_source.utf16(node(e.value(QLatin1String("rexpr")), "ColumnRef")
                                                     .value(QLatin1String("location"))
                                                     .toInt());
        const int opLength = int(stringNode(name.at(0)).size());
        bool keepParent = m_marks.stars.contains(op - 1);
        bool keepChild = m_marks.stars.contains(op + opLength);
        const qsizetype exprEnd = conditionEnd(expr);
        for (const qsizetype plus : m_marks.plus) {
            if (plus > m_source.utf16(node(e.value(QLatin1String("lexpr")), "ColumnRef")
                                          .value(QLatin1String("location"))
                                          .toInt())
                && plus < op)
                keepChild = true; // the parent may be missing
            else if (plus > childAt && plus <= exprEnd)
                keepParent = true; // the child may be missing
        }
        if (keepParent && keepChild)
            relation.Join = rjFull;
        else if (keepParent)
            relation.Join = rjLeftOuter;
        else if (keepChild)
            relation.Join = rjRightOuter;
        if (marked)
            *marked = keepParent || keepChild;
        return true;
    }

    // Where the text of a condition ends: before the next AND, clause keyword, comma or closing
    // parenthesis at its own depth.
    qsizetype conditionEnd(const QJsonValue &expr) const
    {
        QVector<qsizetype> at;
        locations(expr, m_source, at);
        if (at.isEmpty())
            return -1;
        const qsizetype last = *std::max_element(at.begin(), at.end());
        int depth = 0;
        for (const Token &t : m_source.tokens()) {
            if (t.pos <= last)
                continue;
            if (t.kind == stLParen)
                ++depth;
            else if (t.kind == stRParen && --depth < 0)
                return t.pos;
            else if (depth == 0 && (t.kind == stComma || (t.kind == stSymbol && !t.quoted)))
                return t.pos;
        }
        return m_source.text().size();
    }

    // --- conditions ----------------------------------------------------------------------

    static bool endsClause(const Token &t)
    {
        static const QSet<QString> keywords = { "AND", "GROUP", "HAVING", "ORDER", "LIMIT",
            "OFFSET", "WINDOW", "FETCH", "FOR", "UNION", "INTERSECT", "EXCEPT", "JOIN", "INNER",
            "LEFT", "RIGHT", "FULL", "CROSS", "NATURAL", "WHERE", "ON", "USING", "RETURNING" };
        return t.kind == stSymbol && !t.quoted && keywords.contains(t.text);
    }

    // The texts of the conditions wanted (all of parts unless only is given) of the condition
    // list parts that follows keyword: each as written, without one enclosing pair of
    // parentheses.
    QStringList conditionTexts(
        const QJsonArray &parts, const QString &keyword, const QJsonArray *only = nullptr) const
    {
        const QVector<Token> &tokens = m_source.tokens();
        QStringList texts;
        // The keyword before the first condition.
        QVector<qsizetype> firstAt;
        locations(parts.at(0), m_source, firstAt);
        if (firstAt.isEmpty())
            return texts;
        const qsizetype first = *std::min_element(firstAt.begin(), firstAt.end());
        qsizetype start = -1;
        for (const Token &t : tokens) {
            if (t.pos >= first)
                break;
            if (t.kind == stSymbol && !t.quoted && t.text == keyword)
                start = t.pos + keyword.size();
        }
        if (start < 0)
            return texts;
        for (const QJsonValue &part : parts) {
            QVector<qsizetype> at;
            locations(part, m_source, at);
            const qsizetype last = at.isEmpty() ? start : *std::max_element(at.begin(), at.end());
            // The end: the first AND or clause keyword at depth 0 after the condition's last
            // node, counting depth from the condition's start.
            qsizetype end = m_source.text().size();
            qsizetype next = end;
            int depth = 0;
            for (const Token &t : tokens) {
                if (t.pos < start)
                    continue;
                if (t.pos > last && depth == 0
                    && (endsClause(t) || t.kind == stComma || t.kind == stRParen)) {
                    end = t.pos;
                    next = t.kind == stSymbol && t.text == QLatin1String("AND") ? t.pos + 3 : t.pos;
                    break;
                }
                if (t.kind == stLParen)
                    ++depth;
                else if (t.kind == stRParen)
                    --depth;
            }
            bool wanted = !only;
            if (only) {
                for (const QJsonValue &o : *only)
                    wanted = wanted || o == part;
            }
            if (wanted && !isOneEqualsOne(part))
                texts << unwrap(m_source.text().mid(start, end - start).trimmed());
            start = next;
        }
        return texts;
    }

    // The text without one pair of parentheses around all of it.
    static QString unwrap(const QString &text)
    {
        if (!text.startsWith(QLatin1Char('(')) || !text.endsWith(QLatin1Char(')')))
            return text;
        int depth = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QLatin1Char('('))
                ++depth;
            else if (text.at(i) == QLatin1Char(')') && --depth == 0 && i + 1 < text.size())
                return text; // the first parenthesis closes before the end
        }
        return text.mid(1, text.size() - 2).trimmed();
    }

    void readWhere(const QJsonValue &where)
    {
        if (where.isUndefined() || where.isNull())
            return;
        const QJsonArray parts = conjuncts(where);
        QJsonArray others;
        QVector<int> unmarked; // indexes into m_query.Relations
        QVector<qsizetype> starts;
        for (const QJsonValue &part : parts) {
            ImportRelation relation;
            int parent = -1, child = -1;
            bool marked = false;
            if (relationOf(part, relation, parent, child, &marked)) {
                if (!marked) {
                    unmarked << int(m_query.Relations.size());
                    QVector<qsizetype> at;
                    locations(part, m_source, at);
                    starts << *std::min_element(at.begin(), at.end());
                }
                m_query.Relations.append(relation);
            } else if (!isOneEqualsOne(part)) {
                others.append(part);
            }
        }
        kindsFromJoinLines(unmarked, starts);
        if (!others.isEmpty())
            m_query.Where += conditionTexts(parts, QStringLiteral("WHERE"), &others);
    }

    // The WHERE-clause dialects write the joins of each kind on a line of their own, each line
    // beginning "   AND ", in the order inner, left outer, right outer, full; without marks
    // (the local dialect) that layout is all that tells the kinds apart. Statements not laid
    // out so keep inner joins.
    void kindsFromJoinLines(const QVector<int> &relations, const QVector<qsizetype> &starts)
    {
        const QString &text = m_source.text();
        QVector<int> lines;
        for (const qsizetype start : starts) {
            const qsizetype lineStart = text.lastIndexOf(QLatin1Char('\n'), start) + 1;
            if (!text.mid(lineStart).startsWith(QLatin1String("   AND ")))
                return;
            lines << int(text.left(lineStart).count(QLatin1Char('\n')));
        }
        static const TSDRelationJoin kinds[] = { rjInner, rjLeftOuter, rjRightOuter, rjFull };
        int kind = -1;
        for (int i = 0; i < relations.size(); ++i) {
            if (i == 0 || lines.at(i) != lines.at(i - 1))
                kind = qMin(kind + 1, 3);
            m_query.Relations[relations.at(i)].Join = kinds[kind];
        }
    }

    // --- fields, groups, sorts ---------------------------------------------------------------

    QString sourceOf(const QJsonValue &value) const
    {
        QVector<qsizetype> at;
        locations(value, m_source, at);
        if (at.isEmpty())
            return QStringLiteral("?");
        const qsizetype from = *std::min_element(at.begin(), at.end());
        return m_source.text().mid(from, conditionEnd(value) - from).trimmed();
    }

    void readTargets(const QJsonArray &targets)
    {
        for (const QJsonValue &target : targets) {
            const QJsonObject t = node(target, "ResTarget");
            const QJsonValue value = t.value(QLatin1String("val"));
            ImportField field;
            if (columnRef(value, field.Column)) {
                m_query.Fields.append(field);
            } else if (aggregateOf(value, field)) {
                m_query.Fields.append(field);
            } else {
                m_query.LeftOut << tr("the expression %1 of the field list").arg(sourceOf(value));
                continue;
            }
            if (t.contains(QLatin1String("name")))
                m_query.LeftOut << tr("the column name %1 of %2")
                                       .arg(t.value(QLatin1String("name")).toString(),
                                           columnText(field.Column));
        }
    }

    static bool aggregateOf(const QJsonValue &value, ImportField &field)
    {
        const QJsonObject f = node(value, "FuncCall");
        if (f.isEmpty() || f.contains(QLatin1String("agg_star"))
            || f.contains(QLatin1String("agg_distinct")) || f.contains(QLatin1String("over"))
            || f.contains(QLatin1String("agg_filter")) || f.contains(QLatin1String("agg_order")))
            return false;
        const QJsonArray name = f.value(QLatin1String("funcname")).toArray();
        const QJsonArray args = f.value(QLatin1String("args")).toArray();
        if (name.size() != 1 || args.size() != 1)
            return false;
        const QString fn = stringNode(name.at(0)).toUpper();
        static const QSet<QString> known = { "SUM", "COUNT", "MAX", "MIN", "AVG" };
        if (!known.contains(fn) || !columnRef(args.at(0), field.Column)
            || field.Column.Field == QLatin1String("*"))
            return false;
        field.Aggregate = fn;
        return true;
    }

    void readGroup(const QJsonValue &group)
    {
        ImportColumn column;
        if (columnRef(group, column)) {
            m_query.GroupBy.append(column);
            return;
        }
        const int position = positionOf(group);
        if (position > 0) {
            column.Field = QString::number(position);
            column.Qualifier = QStringLiteral("#");
            m_query.GroupBy.append(column);
            return;
        }
        m_query.LeftOut << tr("the grouping by %1").arg(sourceOf(group));
    }

    static int positionOf(const QJsonValue &value)
    {
        const QJsonObject c = node(value, "A_Const");
        return c.value(QLatin1String("ival")).toObject().value(QLatin1String("ival")).toInt(0);
    }

    void readSort(const QJsonValue &sort)
    {
        const QJsonObject s = node(sort, "SortBy");
        const QJsonValue by = s.value(QLatin1String("node"));
        ImportSort entry;
        entry.Descending
            = s.value(QLatin1String("sortby_dir")).toString() == QLatin1String("SORTBY_DESC");
        if (s.value(QLatin1String("sortby_nulls")).toString()
                != QLatin1String("SORTBY_NULLS_DEFAULT")
            && s.contains(QLatin1String("sortby_nulls")))
            m_query.LeftOut << tr("NULLS FIRST or LAST");
        if (columnRef(by, entry.Column)) {
            m_query.OrderBy.append(entry);
        } else if (const int position = positionOf(by); position > 0) {
            entry.ByPosition = true;
            entry.Column.Field = QString::number(position);
            m_query.OrderBy.append(entry);
        } else {
            m_query.LeftOut << tr("the sorting by %1").arg(sourceOf(by));
        }
    }

    Source m_source;
    const LegacyMarks &m_marks;
    ImportedQuery m_query;
};

QString parseError(const PgQueryError *error)
{
    QString message = QString::fromUtf8(error->message);
    if (error->cursorpos > 0)
        message += QCoreApplication::translate("Diduza::SelectImport", " (at character %1)")
                       .arg(error->cursorpos);
    return message;
}

} // namespace

ImportedQuery ImportSelect(const QString &Sql)
{
    ImportedQuery failed;
    LegacyMarks marks;
    const QString clean = blankLegacyMarks(Sql, marks);
    const PgParse parse(clean.toUtf8());
    if (parse.result.error) {
        failed.Error = parseError(parse.result.error);
        return failed;
    }
    const QJsonDocument tree = QJsonDocument::fromJson(QByteArray(parse.result.parse_tree));
    const QJsonArray statements = tree.object().value(QLatin1String("stmts")).toArray();
    if (statements.size() != 1) {
        failed.Error = QCoreApplication::translate("Diduza::SelectImport",
            "The text holds %n statement(s), not one SELECT.", nullptr, int(statements.size()));
        return failed;
    }
    const QJsonObject statement
        = statements.at(0).toObject().value(QLatin1String("stmt")).toObject();
    if (!statement.contains(QLatin1String("SelectStmt"))) {
        failed.Error
            = QCoreApplication::translate("Diduza::SelectImport", "The statement is not a SELECT.");
        return failed;
    }
    Importer importer(clean, marks);
    return importer.run(statement.value(QLatin1String("SelectStmt")).toObject());
}

bool ParsesAsPostgres(const QString &Sql, QString *Error)
{
    const PgParse parse(Sql.toUtf8());
    if (parse.result.error && Error)
        *Error = parseError(parse.result.error);
    return !parse.result.error;
}

} // namespace Diduza
