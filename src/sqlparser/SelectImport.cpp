#include "sqlparser/SelectImport.h"

#include "platform/RelationOperators_p.h"
#include "sqlparser/PgTree_p.h"
#include "sqlparser/SqlStatement.h"
#include "sqlparser/TSQLParser.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <memory>

namespace Diduza {

using PgTree::Statement;
using PgTree::Token;

namespace {

// --- the legacy outer-join marks -------------------------------------------------------------

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
    TSQLParser parser(text);
    struct Tok {
        qsizetype pos;
        TSQLToken kind;
        QString raw;
        bool quoted;
    };
    QVector<Tok> tokens;
    while (parser.Token() != stEnd) {
        tokens.append({ parser.TokenPosition(), parser.Token(),
            parser.Token() == stSymbol ? parser.TokenString() : QString(), parser.SymbolQuoted() });
        parser.NextToken();
    }
    for (int i = 0; i < tokens.size(); ++i) {
        const Tok &t = tokens.at(i);
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
        const QString raw = text.mid(t.pos, t.raw.size());
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

// The standard dialect's join lines: "INNER JOIN (a.x = b.y)" and the other kinds after the
// table list, which no database reads. Each is blanked out of the text; what stood inside its
// parentheses is kept with the kind.
struct JoinLine {
    qsizetype start; // of the parenthesised condition
    QString condition; // with its parentheses
    TSDRelationJoin join;
};

QString blankJoinLines(const QString &text, QVector<JoinLine> &lines)
{
    QString clean = text;
    TSQLParser parser(text);
    struct Tok {
        qsizetype pos;
        TSQLToken kind;
        QString upper;
    };
    QVector<Tok> tokens;
    while (parser.Token() != stEnd) {
        tokens.append({ parser.TokenPosition(), parser.Token(),
            parser.Token() == stSymbol && !parser.SymbolQuoted() ? parser.TokenString().toUpper()
                                                                 : QString() });
        parser.NextToken();
    }
    auto word = [&](int i, const char *w) {
        return i < tokens.size() && tokens.at(i).upper == QLatin1String(w);
    };
    for (int i = 0; i < tokens.size(); ++i) {
        TSDRelationJoin join = rjInner;
        int open = -1;
        if (word(i, "INNER") && word(i + 1, "JOIN")) {
            open = i + 2;
        } else if ((word(i, "LEFT") || word(i, "RIGHT")) && word(i + 1, "OUTER")
            && word(i + 2, "JOIN")) {
            join = word(i, "LEFT") ? rjLeftOuter : rjRightOuter;
            open = i + 3;
        } else if (word(i, "FULL") && word(i + 1, "JOIN")) {
            join = rjFull;
            open = i + 2;
        }
        if (open < 0 || open >= tokens.size() || tokens.at(open).kind != stLParen)
            continue;
        if (word(open + 1, "SELECT"))
            continue; // a derived table
        int depth = 0;
        int close = -1;
        for (int k = open; k < tokens.size() && close < 0; ++k) {
            if (tokens.at(k).kind == stLParen)
                ++depth;
            else if (tokens.at(k).kind == stRParen && --depth == 0)
                close = k;
        }
        if (close < 0)
            continue;
        const qsizetype from = tokens.at(i).pos;
        const qsizetype to = tokens.at(close).pos + 1;
        lines.append(
            { tokens.at(open).pos, text.mid(tokens.at(open).pos, to - tokens.at(open).pos), join });
        for (qsizetype p = from; p < to; ++p) {
            if (clean.at(p) != QLatin1Char('\n') && clean.at(p) != QLatin1Char('\r'))
                clean[p] = QLatin1Char(' ');
        }
        i = close;
    }
    return clean;
}

// --- small helpers on the tree -------------------------------------------------------------

bool comparisonOperator(const QString &op, TSDRelationOperator &result)
{
    if (op == QLatin1String("!=")) { // the other spelling of <>
        result = roNonEqual;
        return true;
    }
    for (const RelationOperatorText &entry : RelationOperatorTexts) {
        if (op == QLatin1String(entry.Text)) {
            result = entry.Operator;
            return true;
        }
    }
    return false;
}

// The conditions of an AND chain, nested chains flattened, in text order.
void conjuncts(const PgQuery__Node *expr, QVector<const PgQuery__Node *> &out)
{
    if (expr && expr->node_case == PG_QUERY__NODE__NODE_BOOL_EXPR
        && expr->bool_expr->boolop == PG_QUERY__BOOL_EXPR_TYPE__AND_EXPR) {
        for (size_t i = 0; i < expr->bool_expr->n_args; ++i)
            conjuncts(expr->bool_expr->args[i], out);
        return;
    }
    if (expr)
        out.append(expr);
}

int minOf(const QVector<int> &v)
{
    return v.isEmpty() ? -1 : *std::min_element(v.begin(), v.end());
}

int maxOf(const QVector<int> &v)
{
    return v.isEmpty() ? -1 : *std::max_element(v.begin(), v.end());
}

int intConstant(const PgQuery__Node *node, bool *ok)
{
    *ok = false;
    if (!node || node->node_case != PG_QUERY__NODE__NODE_A_CONST || !node->a_const
        || node->a_const->val_case != PG_QUERY__A__CONST__VAL_IVAL)
        return 0;
    *ok = true;
    return node->a_const->ival->ival;
}

// "1 = 1", which the WHERE-clause dialects write when only joins stand in WHERE.
bool isOneEqualsOne(const PgQuery__Node *node)
{
    if (!node || node->node_case != PG_QUERY__NODE__NODE_A_EXPR)
        return false;
    const PgQuery__AExpr *e = node->a_expr;
    bool left = false, right = false;
    return e->kind == PG_QUERY__A__EXPR__KIND__AEXPR_OP && e->n_name == 1
        && PgTree::StringOf(e->name[0]) == QLatin1String("=") && intConstant(e->lexpr, &left) == 1
        && left && intConstant(e->rexpr, &right) == 1 && right;
}

const QSet<QString> &aggregateNames()
{
    static const QSet<QString> names = { QStringLiteral("SUM"), QStringLiteral("COUNT"),
        QStringLiteral("MAX"), QStringLiteral("MIN"), QStringLiteral("AVG") };
    return names;
}

// --- the reader ----------------------------------------------------------------------------

// The names by which the statement's own tables can be named, for one level of SELECT.
struct Scope {
    struct Entry {
        QString alias; // as the tree folds it
        QString relname;
        QString schemaname;
        int table; // into ImportedQuery::Tables; -1 for a table of a nested SELECT
    };
    QVector<Entry> entries;
};

class Reader {
    // Its texts are translated in the context of the import as a whole.
    Q_DECLARE_TR_FUNCTIONS(Diduza::SelectImport)

public:
    Reader(const Statement &statement, const LegacyMarks &marks)
        : m_st(statement)
        , m_marks(marks)
        , m_scopes(1)
    {
    }

    ImportedQuery run(const PgQuery__SelectStmt *select, const QVector<JoinLine> &joinLines)
    {
        const PgQuery__SelectStmt *s = select;
        if (s->op != PG_QUERY__SET_OPERATION__SETOP_NONE) {
            m_query.LeftOut << tr("UNION, INTERSECT or EXCEPT: only the first SELECT is shown");
            while (s->op != PG_QUERY__SET_OPERATION__SETOP_NONE && s->larg)
                s = s->larg;
        }
        noteUnsupported(s);
        if (s->n_distinct_clause == 1 && s->distinct_clause[0]->node_case == 0)
            m_query.Distinct = true;
        else if (s->n_distinct_clause > 0)
            m_query.LeftOut << tr("DISTINCT ON (...): plain DISTINCT is not set");

        // Every table first: conditions may name any of them.
        for (size_t i = 0; i < s->n_from_clause; ++i)
            collectTables(s->from_clause[i]);
        int root = -1;
        for (size_t i = 0; i < s->n_from_clause; ++i) {
            const int node = readFrom(s->from_clause[i]);
            if (node < 0)
                continue;
            root = root < 0 ? node : addNode(ImportFromNode::fnCross, root, node);
        }
        m_query.FromRoot = root;

        readTargets(s);
        if (s->where_clause)
            readWhere(s->where_clause);
        addJoinLines(joinLines);
        for (size_t i = 0; i < s->n_group_clause; ++i)
            readGroup(s->group_clause[i]);
        if (s->having_clause) {
            m_query.HasHaving = true;
            m_query.Having = conditions(s->having_clause, PG_QUERY__TOKEN__HAVING);
        }
        for (size_t i = 0; i < s->n_sort_clause; ++i)
            readSort(s->sort_clause[i]);
        m_query.Ok = true;
        return m_query;
    }

private:
    // The conditions of the standard dialect's join lines, read one by one.
    void addJoinLines(const QVector<JoinLine> &lines)
    {
        if (lines.isEmpty())
            return;
        for (const JoinLine &line : lines) {
            const QString prefix = QStringLiteral("SELECT WHERE ");
            const Statement sub(prefix + line.condition);
            if (!sub.ok() || sub.tree()->n_stmts != 1)
                continue;
            const PgQuery__Node *stmt = sub.tree()->stmts[0]->stmt;
            if (!stmt || stmt->node_case != PG_QUERY__NODE__NODE_SELECT_STMT)
                continue;
            Reader reader(sub, LegacyMarks());
            reader.m_scopes = m_scopes;
            QVector<ImportCondition> found
                = reader.conditions(stmt->select_stmt->where_clause, PG_QUERY__TOKEN__WHERE);
            for (ImportCondition &c : found) {
                c.Marked = true;
                c.MarkedJoin = line.join;
                c.FromJoinLine = true;
                c.Position = line.start;
                c.Line = int(m_st.text().left(line.start).count(QLatin1Char('\n')));
                m_query.Where.append(c);
            }
        }
        std::stable_sort(m_query.Where.begin(), m_query.Where.end(),
            [](const ImportCondition &a, const ImportCondition &b) {
                return a.Position < b.Position;
            });
    }

    void noteUnsupported(const PgQuery__SelectStmt *s)
    {
        auto note = [this](const char *what, const ProtobufCMessage *part) {
            QString text = tr(what);
            if (part) {
                const QString written = spanText(PgTree::Locations(part));
                if (!written.isEmpty())
                    text += QLatin1Char(' ') + written;
            }
            m_query.LeftOut << text;
        };
        if (s->with_clause)
            note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "the WITH clause"), nullptr);
        if (s->into_clause)
            note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "INTO"), nullptr);
        if (s->limit_count)
            note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "LIMIT"), &s->limit_count->base);
        if (s->limit_offset)
            note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "OFFSET"), &s->limit_offset->base);
        if (s->n_locking_clause > 0)
            note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "FOR UPDATE"), nullptr);
        if (s->n_window_clause > 0)
            note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "WINDOW"), nullptr);
        if (s->n_values_lists > 0)
            note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "VALUES"), nullptr);
    }

    // --- text spans ------------------------------------------------------------------------

    // Whether a token ends an expression that stands at depth 0 after its last node.
    static bool endsExpression(const Token &t)
    {
        switch (t.Kind) {
        case PG_QUERY__TOKEN__FROM:
        case PG_QUERY__TOKEN__WHERE:
        case PG_QUERY__TOKEN__GROUP_P:
        case PG_QUERY__TOKEN__HAVING:
        case PG_QUERY__TOKEN__WINDOW:
        case PG_QUERY__TOKEN__ORDER:
        case PG_QUERY__TOKEN__LIMIT:
        case PG_QUERY__TOKEN__OFFSET:
        case PG_QUERY__TOKEN__FETCH:
        case PG_QUERY__TOKEN__FOR:
        case PG_QUERY__TOKEN__UNION:
        case PG_QUERY__TOKEN__INTERSECT:
        case PG_QUERY__TOKEN__EXCEPT:
        case PG_QUERY__TOKEN__INTO:
        case PG_QUERY__TOKEN__ON:
        case PG_QUERY__TOKEN__USING:
        case PG_QUERY__TOKEN__JOIN:
        case PG_QUERY__TOKEN__INNER_P:
        case PG_QUERY__TOKEN__LEFT:
        case PG_QUERY__TOKEN__RIGHT:
        case PG_QUERY__TOKEN__FULL:
        case PG_QUERY__TOKEN__CROSS:
        case PG_QUERY__TOKEN__NATURAL:
        case PG_QUERY__TOKEN__AS:
        case PG_QUERY__TOKEN__RETURNING:
        case PG_QUERY__TOKEN__AND:
        case PG_QUERY__TOKEN__ASC:
        case PG_QUERY__TOKEN__DESC:
        case PG_QUERY__TOKEN__NULLS_P:
            return true;
        default:
            return t.is(',') || t.is(';');
        }
    }

    // The token index where an expression whose nodes lie at the given places ends: the
    // first token after its last node that stands at depth 0 and cannot continue it, or a
    // closing parenthesis of an enclosing pair.
    int expressionEnd(int firstToken, int lastNodeToken, bool andEnds) const
    {
        const QVector<Token> &tokens = m_st.tokens();
        int depth = 0;
        for (int i = firstToken; i < tokens.size(); i = m_st.next(i)) {
            const Token &t = tokens.at(i);
            if (i > lastNodeToken && depth == 0) {
                if (t.is(')'))
                    return i;
                if (endsExpression(t) && (andEnds || t.Kind != PG_QUERY__TOKEN__AND))
                    return i;
                if (t.Kind == PG_QUERY__TOKEN__IDENT && previousEndsOperand(i))
                    return i; // an alias without AS
            }
            if (t.is('(') || t.is('['))
                ++depth;
            else if (t.is(')') || t.is(']')) {
                if (--depth < 0)
                    return i;
            }
        }
        return int(tokens.size());
    }

    bool previousEndsOperand(int i) const
    {
        int p = i - 1;
        while (p >= 0 && m_st.tokens().at(p).isComment())
            --p;
        if (p < 0)
            return false;
        const Token &t = m_st.tokens().at(p);
        return t.Kind == PG_QUERY__TOKEN__IDENT || t.Kind == PG_QUERY__TOKEN__ICONST
            || t.Kind == PG_QUERY__TOKEN__FCONST || t.Kind == PG_QUERY__TOKEN__SCONST || t.is(')')
            || t.is(']') || t.is('*');
    }

    int tokenOf(int byteOffset) const { return m_st.tokenFrom(m_st.utf16(byteOffset)); }

    // The text from the first of the places to the end of the expression they belong to.
    QString spanText(const QVector<int> &places) const
    {
        if (places.isEmpty())
            return QString();
        const int first = tokenOf(minOf(places));
        const int last = tokenOf(maxOf(places));
        const int end = expressionEnd(first, last, true);
        return cleanText(first, end, nullptr).Text;
    }

    // The text of a FROM entry that is not a table: from the parenthesis or keyword that opens
    // it (its first place lies inside) to its end.
    QString entryText(const QVector<int> &places) const
    {
        if (places.isEmpty())
            return QString();
        const QVector<Token> &tokens = m_st.tokens();
        int first = tokenOf(minOf(places));
        int depth = 0;
        for (int i = first - 1; i >= 0; --i) {
            const Token &t = tokens.at(i);
            if (t.is(')')) {
                ++depth;
            } else if (t.is('(')) {
                if (depth > 0)
                    --depth;
            } else if (depth == 0
                && (t.is(',') || t.Kind == PG_QUERY__TOKEN__FROM
                    || t.Kind == PG_QUERY__TOKEN__JOIN)) {
                break;
            }
            first = i;
        }
        const int last = tokenOf(maxOf(places));
        return cleanText(first, expressionEnd(first, last, true), nullptr).Text;
    }

    // The text of tokens [first, end) with comments turned into blanks, unmatched
    // parentheses at either end and one pair around all of it removed; with references
    // (column references whose ColumnRef begins in the range) when refs is given.
    ImportText cleanText(int first, int end, const QVector<ImportReference> *refs) const
    {
        const QVector<Token> &tokens = m_st.tokens();
        auto skipComments = [&](int i, int step) {
            while (i >= first && i < end && tokens.at(i).isComment())
                i += step;
            return i;
        };
        int a = skipComments(first, 1);
        int b = skipComments(end - 1, -1);
        // Parentheses opened before or closed after the range belong to an enclosing group.
        for (bool changed = true; changed && a <= b;) {
            changed = false;
            int depth = 0, lowest = 0;
            for (int i = a; i <= b; ++i) {
                if (tokens.at(i).is('('))
                    ++depth;
                else if (tokens.at(i).is(')'))
                    lowest = std::min(lowest, --depth);
            }
            if (lowest < 0 && tokens.at(b).is(')')) {
                b = skipComments(b - 1, -1);
                changed = true;
            } else if (depth - lowest > 0 && tokens.at(a).is('(')) {
                a = skipComments(a + 1, 1);
                changed = true;
            }
        }
        // One pair around all of it.
        if (a < b && tokens.at(a).is('(') && tokens.at(b).is(')')) {
            int depth = 0;
            bool whole = true;
            for (int i = a; i <= b && whole; ++i) {
                if (tokens.at(i).is('('))
                    ++depth;
                else if (tokens.at(i).is(')') && --depth == 0 && i < b)
                    whole = false;
            }
            if (whole) {
                a = skipComments(a + 1, 1);
                b = skipComments(b - 1, -1);
            }
        }
        ImportText result;
        if (a > b || a >= tokens.size())
            return result;
        const QString &text = m_st.text();
        qsizetype at = tokens.at(a).Start;
        QHash<qsizetype, qsizetype> moved; // original position -> position in result
        for (int i = a; i <= b; ++i) {
            const Token &t = tokens.at(i);
            result.Text += text.mid(at, t.Start - at);
            if (t.isComment()) {
                result.Text += QLatin1Char(' ');
            } else {
                moved.insert(t.Start, result.Text.size());
                if (t.Kind == PG_QUERY__TOKEN__IDENT && text.at(t.Start) == QLatin1Char('"'))
                    result.QuotedNames.append(
                        { result.Text.size(), t.End - t.Start, m_st.identifier(i) });
                result.Text += text.mid(t.Start, t.End - t.Start);
            }
            at = t.End;
        }
        if (refs) {
            for (const ImportReference &r : *refs) {
                const auto found = moved.constFind(r.Start);
                if (found == moved.constEnd())
                    continue;
                ImportReference copy = r;
                copy.Start = *found;
                // The qualifier's own length is kept; comments inside it are not expected.
                if (copy.Start + copy.Length <= result.Text.size())
                    result.References.append(copy);
            }
        }
        return result;
    }

    // --- names -----------------------------------------------------------------------------

    // The written parts of a dotted name that begins at the token of byteOffset: count parts,
    // each a word or a quoted name, joined by full stops ("*" allowed as the last).
    struct Written {
        QStringList parts;
        QVector<bool> quoted;
        qsizetype start = -1;
        qsizetype lastDotEnd = -1; // after the full stop before the last part
    };
    Written written(int byteOffset, int count) const
    {
        Written w;
        int i = tokenOf(byteOffset);
        const QVector<Token> &tokens = m_st.tokens();
        if (i >= tokens.size() || tokens.at(i).Start != m_st.utf16(byteOffset))
            return w;
        w.start = tokens.at(i).Start;
        for (int n = 0; n < count; ++n) {
            if (i >= tokens.size())
                return Written();
            const Token &t = tokens.at(i);
            if (t.is('*'))
                w.parts << QStringLiteral("*");
            else
                w.parts << m_st.identifier(i);
            w.quoted << m_st.quoted(i);
            if (n + 1 < count) {
                i = m_st.next(i);
                if (i >= tokens.size() || !tokens.at(i).is('.'))
                    return Written();
                w.lastDotEnd = tokens.at(i).End;
                i = m_st.next(i);
            }
        }
        return w;
    }

    void collectTables(const PgQuery__Node *item)
    {
        if (!item)
            return;
        if (item->node_case == PG_QUERY__NODE__NODE_RANGE_VAR) {
            const PgQuery__RangeVar *r = item->range_var;
            const int parts = 1 + (*r->schemaname ? 1 : 0) + (*r->catalogname ? 1 : 0);
            const Written w = written(r->location, parts);
            ImportTable table;
            if (w.parts.size() == parts) {
                table.Name = w.parts.join(QLatin1Char('.'));
                table.Quoted = w.quoted.last();
            } else {
                table.Name = QString::fromUtf8(r->relname);
                if (*r->schemaname)
                    table.Name.prepend(QString::fromUtf8(r->schemaname) + QLatin1Char('.'));
            }
            if (r->alias) {
                table.Alias = aliasText(r->alias, r->location);
                if (r->alias->n_colnames > 0)
                    m_query.LeftOut << tr("the column names of %1").arg(table.Alias);
            }
            if (!r->inh)
                m_query.LeftOut << tr("ONLY %1").arg(table.Name);
            m_tableOfRangeVar.insert(r, int(m_query.Tables.size()));
            m_query.Tables.append(table);
            Scope::Entry entry { r->alias ? QString::fromUtf8(r->alias->aliasname) : QString(),
                QString::fromUtf8(r->relname), QString::fromUtf8(r->schemaname),
                int(m_query.Tables.size() - 1) };
            m_scopes.first().entries.append(entry);
        } else if (item->node_case == PG_QUERY__NODE__NODE_JOIN_EXPR) {
            collectTables(item->join_expr->larg);
            collectTables(item->join_expr->rarg);
        }
    }

    // The alias as written (the tree cuts long names), found as the last word before the
    // place after which the alias stands.
    QString aliasText(const PgQuery__Alias *alias, int tableLocation) const
    {
        const QString folded = QString::fromUtf8(alias->aliasname);
        int i = tokenOf(tableLocation);
        const QVector<Token> &tokens = m_st.tokens();
        // Skip the dotted table name, then an optional AS.
        while (i < tokens.size()) {
            const int n = m_st.next(i);
            if (n < tokens.size() && tokens.at(n).is('.')) {
                i = m_st.next(n);
                continue;
            }
            i = n;
            break;
        }
        if (i < tokens.size() && tokens.at(i).Kind == PG_QUERY__TOKEN__AS)
            i = m_st.next(i);
        if (i >= tokens.size())
            return folded;
        const QString name = m_st.identifier(i);
        const QString asParsed = m_st.quoted(i) ? name : name.toLower();
        return asParsed.startsWith(folded) ? name : folded;
    }

    // --- FROM ------------------------------------------------------------------------------

    int addNode(ImportFromNode::Kind kind, int left, int right)
    {
        ImportFromNode node;
        node.Type = kind;
        node.Left = left;
        node.Right = right;
        m_query.From.append(node);
        return int(m_query.From.size() - 1);
    }

    int readFrom(const PgQuery__Node *item)
    {
        if (item && item->node_case == PG_QUERY__NODE__NODE_RANGE_VAR) {
            ImportFromNode node;
            node.TableIndex = m_tableOfRangeVar.value(item->range_var, -1);
            if (node.TableIndex < 0)
                return -1;
            m_query.From.append(node);
            return int(m_query.From.size() - 1);
        }
        if (item && item->node_case == PG_QUERY__NODE__NODE_JOIN_EXPR) {
            const PgQuery__JoinExpr *j = item->join_expr;
            const int left = readFrom(j->larg);
            const int right = readFrom(j->rarg);
            if (left < 0 || right < 0)
                return left < 0 ? right : left;
            ImportFromNode::Kind kind = ImportFromNode::fnInner;
            switch (j->jointype) {
            case PG_QUERY__JOIN_TYPE__JOIN_LEFT:
                kind = ImportFromNode::fnLeft;
                break;
            case PG_QUERY__JOIN_TYPE__JOIN_RIGHT:
                kind = ImportFromNode::fnRight;
                break;
            case PG_QUERY__JOIN_TYPE__JOIN_FULL:
                kind = ImportFromNode::fnFull;
                break;
            default:
                kind = j->quals || j->is_natural || j->n_using_clause > 0 ? ImportFromNode::fnInner
                                                                          : ImportFromNode::fnCross;
                break;
            }
            if (j->is_natural || j->n_using_clause > 0)
                m_query.LeftOut << tr("NATURAL and USING joins: their condition");
            if (j->alias)
                m_query.LeftOut << tr("the name %1 of a join in parentheses")
                                       .arg(QString::fromUtf8(j->alias->aliasname));
            const int index = addNode(kind, left, right);
            if (j->quals)
                m_query.From[index].On = conditions(j->quals, PG_QUERY__TOKEN__ON);
            return index;
        }
        QString text = item ? entryText(PgTree::Locations(item)) : QString();
        m_query.LeftOut
            << tr("the FROM entry %1, which is not a table (a subquery or a function)").arg(text);
        return -1;
    }

    // --- column references ------------------------------------------------------------------

    // Which table of the statement a column's qualifier names; -2 for a table of a nested
    // SELECT (the column is not the statement's own), -1 for none.
    int resolve(const QStringList &folded) const
    {
        if (folded.size() < 2)
            return -1;
        const QString &q = folded.at(folded.size() - 2);
        const QString schema = folded.size() >= 3 ? folded.at(folded.size() - 3) : QString();
        for (int s = int(m_scopes.size()) - 1; s >= 0; --s) {
            for (const Scope::Entry &e : m_scopes.at(s).entries) {
                const bool named = e.alias.isEmpty()
                    ? (e.relname == q && (schema.isEmpty() || schema == e.schemaname))
                    : (schema.isEmpty() && e.alias == q);
                if (named)
                    return s == 0 ? e.table : -2;
            }
        }
        return -1;
    }

    // A ColumnRef as an ImportColumn; false for one with indirection or no fields.
    bool columnRef(const PgQuery__Node *node, ImportColumn &column, qsizetype *start = nullptr,
        qsizetype *qualifierLength = nullptr) const
    {
        if (!node || node->node_case != PG_QUERY__NODE__NODE_COLUMN_REF)
            return false;
        const PgQuery__ColumnRef *ref = node->column_ref;
        if (ref->n_fields == 0)
            return false;
        QStringList folded;
        for (size_t i = 0; i < ref->n_fields; ++i) {
            const PgQuery__Node *f = ref->fields[i];
            if (f->node_case == PG_QUERY__NODE__NODE_A_STAR)
                folded << QStringLiteral("*");
            else if (f->node_case == PG_QUERY__NODE__NODE_STRING)
                folded << PgTree::StringOf(f);
            else
                return false;
        }
        const Written w = written(ref->location, int(ref->n_fields));
        const QStringList parts = w.parts.size() == folded.size() ? w.parts : folded;
        column.Field = parts.last();
        column.FieldQuoted = w.parts.size() == folded.size() && w.quoted.last();
        column.Qualifier = parts.mid(0, parts.size() - 1).join(QLatin1Char('.'));
        column.Table = resolve(folded);
        if (start)
            *start = w.start >= 0 ? w.start : m_st.utf16(ref->location);
        if (qualifierLength)
            *qualifierLength = (folded.size() > 1 && w.lastDotEnd >= 0 && w.start >= 0)
                ? w.lastDotEnd - w.start
                : 0;
        return true;
    }

    // The statement's own column references below node, and what else the condition holds.
    void references(
        const PgQuery__Node *node, ImportCondition &condition, QVector<ImportReference> &refs)
    {
        PgTree::Walk(node, [&](const PgQuery__Node *n) {
            switch (n->node_case) {
            case PG_QUERY__NODE__NODE_COLUMN_REF: {
                ImportReference ref;
                qsizetype start = 0, length = 0;
                if (!columnRef(n, ref.Column, &start, &length) || ref.Column.Table == -2)
                    return false;
                ref.Start = start;
                ref.Length = length;
                if (ref.Column.Qualifier.isEmpty())
                    condition.Unqualified = true;
                else if (ref.Column.Table >= 0 && !condition.Tables.contains(ref.Column.Table))
                    condition.Tables.append(ref.Column.Table);
                refs.append(ref);
                return false;
            }
            case PG_QUERY__NODE__NODE_SUB_LINK: {
                condition.Subquery = true;
                const PgQuery__SubLink *link = n->sub_link;
                if (link->testexpr)
                    references(link->testexpr, condition, refs);
                if (link->subselect
                    && link->subselect->node_case == PG_QUERY__NODE__NODE_SELECT_STMT)
                    nestedSelect(link->subselect->select_stmt, condition, refs);
                return false;
            }
            case PG_QUERY__NODE__NODE_FUNC_CALL: {
                const PgQuery__FuncCall *f = n->func_call;
                if (f->n_funcname == 1
                    && aggregateNames().contains(PgTree::StringOf(f->funcname[0]).toUpper()))
                    condition.Aggregate = true;
                return true;
            }
            default:
                return true;
            }
        });
    }

    // A SELECT inside a condition: its own tables hide the statement's of the same name.
    void nestedSelect(
        const PgQuery__SelectStmt *s, ImportCondition &condition, QVector<ImportReference> &refs)
    {
        Scope scope;
        std::function<void(const PgQuery__Node *)> names = [&](const PgQuery__Node *item) {
            if (!item)
                return;
            if (item->node_case == PG_QUERY__NODE__NODE_RANGE_VAR) {
                const PgQuery__RangeVar *r = item->range_var;
                scope.entries.append(
                    { r->alias ? QString::fromUtf8(r->alias->aliasname) : QString(),
                        QString::fromUtf8(r->relname), QString::fromUtf8(r->schemaname), -1 });
            } else if (item->node_case == PG_QUERY__NODE__NODE_JOIN_EXPR) {
                names(item->join_expr->larg);
                names(item->join_expr->rarg);
            } else if (item->node_case == PG_QUERY__NODE__NODE_RANGE_SUBSELECT
                && item->range_subselect->alias) {
                scope.entries.append({ QString::fromUtf8(item->range_subselect->alias->aliasname),
                    QString(), QString(), -1 });
            }
        };
        for (const PgQuery__SelectStmt *part = s; part; part = part->larg) {
            for (size_t i = 0; i < part->n_from_clause; ++i)
                names(part->from_clause[i]);
            if (part->op == PG_QUERY__SET_OPERATION__SETOP_NONE)
                break;
        }
        m_scopes.append(scope);
        // Unqualified columns of a nested SELECT are taken as its own.
        PgTree::WalkMessage(&s->base, [&](const PgQuery__Node *n) {
            if (n->node_case == PG_QUERY__NODE__NODE_COLUMN_REF) {
                ImportReference ref;
                qsizetype start = 0, length = 0;
                if (columnRef(n, ref.Column, &start, &length) && ref.Column.Table >= 0) {
                    ref.Start = start;
                    ref.Length = length;
                    if (!condition.Tables.contains(ref.Column.Table))
                        condition.Tables.append(ref.Column.Table);
                    refs.append(ref);
                }
                return false;
            }
            if (n->node_case == PG_QUERY__NODE__NODE_SUB_LINK) {
                if (n->sub_link->testexpr)
                    references(n->sub_link->testexpr, condition, refs);
                if (n->sub_link->subselect
                    && n->sub_link->subselect->node_case == PG_QUERY__NODE__NODE_SELECT_STMT)
                    nestedSelect(n->sub_link->subselect->select_stmt, condition, refs);
                return false;
            }
            return true;
        });
        m_scopes.removeLast();
    }

    // --- conditions --------------------------------------------------------------------

    // The AND chain of expr, which follows the last keyword token of the given kind before it.
    QVector<ImportCondition> conditions(const PgQuery__Node *expr, int keyword)
    {
        QVector<ImportCondition> result;
        QVector<const PgQuery__Node *> parts;
        conjuncts(expr, parts);
        const QVector<int> all = PgTree::Locations(expr);
        if (parts.isEmpty() || all.isEmpty())
            return result;
        struct Part {
            const PgQuery__Node *node;
            int first; // token of its first place
            int last; // token of its last place
        };
        QVector<Part> ordered;
        for (const PgQuery__Node *p : parts) {
            const QVector<int> at = PgTree::Locations(p);
            if (at.isEmpty())
                continue;
            ordered.append({ p, tokenOf(minOf(at)), tokenOf(maxOf(at)) });
        }
        std::sort(ordered.begin(), ordered.end(),
            [](const Part &a, const Part &b) { return a.first < b.first; });
        const QVector<Token> &tokens = m_st.tokens();
        // The clause: from after its keyword to where the whole chain ends.
        const int firstToken = tokenOf(minOf(all));
        int start = -1;
        for (int i = 0; i < firstToken && i < tokens.size(); ++i) {
            if (tokens.at(i).Kind == keyword)
                start = i + 1;
        }
        if (start < 0)
            start = firstToken;
        const int clauseEnd = expressionEnd(start, tokenOf(maxOf(all)), false);
        // Each part ends at the first AND after its last place.
        int from = start;
        for (int k = 0; k < ordered.size(); ++k) {
            int to = clauseEnd;
            if (k + 1 < ordered.size()) {
                for (int i = ordered.at(k).last + 1; i < ordered.at(k + 1).first; ++i) {
                    if (tokens.at(i).Kind == PG_QUERY__TOKEN__AND) {
                        to = i;
                        break;
                    }
                }
            }
            if (!isOneEqualsOne(ordered.at(k).node))
                result.append(condition(ordered.at(k).node, from, to));
            from = to + 1;
        }
        return result;
    }

    ImportCondition condition(const PgQuery__Node *node, int from, int to)
    {
        ImportCondition c;
        QVector<ImportReference> refs;
        references(node, c, refs);
        std::sort(c.Tables.begin(), c.Tables.end());
        c.Text = cleanText(from, to, &refs);
        const QVector<int> at = PgTree::Locations(node);
        c.Position = m_st.utf16(minOf(at));
        c.Line = int(m_st.text().left(c.Position).count(QLatin1Char('\n')));

        if (node->node_case != PG_QUERY__NODE__NODE_A_EXPR)
            return c;
        const PgQuery__AExpr *e = node->a_expr;
        if (e->kind != PG_QUERY__A__EXPR__KIND__AEXPR_OP || e->n_name != 1
            || !comparisonOperator(PgTree::StringOf(e->name[0]), c.Operator))
            return c;
        ImportColumn left, right;
        qsizetype leftAt = 0, rightAt = 0;
        if (!columnRef(e->lexpr, left, &leftAt) || !columnRef(e->rexpr, right, &rightAt)
            || left.Field == QLatin1String("*") || right.Field == QLatin1String("*")
            || left.Table == -2 || right.Table == -2)
            return c;
        c.IsComparison = true;
        c.Left = left;
        c.Right = right;

        // Oracle: "(+)" on the side that may be missing; MSSQL: "*" on the side kept.
        const qsizetype op = m_st.utf16(e->location);
        const int opLength = int(PgTree::StringOf(e->name[0]).size());
        bool keepLeft = m_marks.stars.contains(op - 1);
        bool keepRight = m_marks.stars.contains(op + opLength);
        const qsizetype end
            = to < m_st.tokens().size() ? m_st.tokens().at(to).Start : m_st.text().size();
        for (const qsizetype plus : m_marks.plus) {
            if (plus > leftAt && plus < op)
                keepRight = true; // the left side may be missing
            else if (plus > rightAt && plus < end)
                keepLeft = true;
        }
        if (keepLeft || keepRight) {
            c.Marked = true;
            c.MarkedJoin = keepLeft && keepRight ? rjFull : keepLeft ? rjLeftOuter : rjRightOuter;
        }
        return c;
    }

    void readWhere(const PgQuery__Node *where)
    {
        m_query.Where = conditions(where, PG_QUERY__TOKEN__WHERE);
        if (m_query.Where.isEmpty())
            return;
        // The WHERE-clause dialects' layout: the grid's conditions on the WHERE line, then the
        // joins, each kind on a line of its own beginning "   AND ".
        const QString &text = m_st.text();
        int whereLine = -1;
        for (const Token &t : m_st.tokens()) {
            if (t.Kind == PG_QUERY__TOKEN__WHERE && t.Start < m_query.Where.first().Position)
                whereLine = int(text.left(t.Start).count(QLatin1Char('\n')));
        }
        bool joinLines = false;
        for (const ImportCondition &c : m_query.Where) {
            if (c.Line <= whereLine)
                continue;
            const qsizetype lineStart = text.lastIndexOf(QLatin1Char('\n'), c.Position) + 1;
            if (!QStringView(text).mid(lineStart).startsWith(QLatin1String("   AND "))
                || !c.IsComparison)
                return;
            if (!joinLines)
                m_query.JoinLinesStart = lineStart;
            joinLines = true;
        }
        m_query.JoinLines = joinLines;
        if (!joinLines)
            m_query.JoinLinesStart = -1;
    }

    // --- fields, groups, sorts ---------------------------------------------------------------

    // Tokens [first, end) of each item of a comma-separated list that runs from the token
    // after keyword (searched backwards from firstPlace) to the end of its last item.
    void readTargets(const PgQuery__SelectStmt *s)
    {
        const QVector<Token> &tokens = m_st.tokens();
        for (size_t i = 0; i < s->n_target_list; ++i) {
            const PgQuery__Node *n = s->target_list[i];
            if (n->node_case != PG_QUERY__NODE__NODE_RES_TARGET)
                continue;
            const PgQuery__ResTarget *t = n->res_target;
            ImportField field;
            const QVector<int> at = PgTree::Locations(t->val);
            const int first = at.isEmpty() ? tokenOf(t->location) : tokenOf(minOf(at));
            const int last = at.isEmpty() ? first : tokenOf(maxOf(at));
            int end = expressionEnd(first, last, true);
            if (t->name && *t->name) {
                // The alias is the entry's last word, whatever the word before it (a column
                // may be named by a keyword, as "name" is); AS may stand before it.
                int alias = entryLastToken(first);
                if (alias > last) {
                    end = alias;
                    const int before = previousToken(alias);
                    if (before > last && tokens.at(before).Kind == PG_QUERY__TOKEN__AS)
                        end = before;
                } else {
                    alias = end;
                    if (alias < tokens.size() && tokens.at(alias).Kind == PG_QUERY__TOKEN__AS)
                        alias = m_st.next(alias);
                }
                field.Alias
                    = alias < tokens.size() ? m_st.identifier(alias) : QString::fromUtf8(t->name);
                field.AliasQuoted = alias < tokens.size() && m_st.quoted(alias);
            }
            field.Text = cleanText(first, end, nullptr).Text;
            if (columnRef(t->val, field.Column)) {
                field.Type = ImportField::ifColumn;
            } else if (countAll(t->val)) {
                field.Type = ImportField::ifCountAll;
            } else if (aggregateOf(t->val, field.Aggregate, field.Column)) {
                field.Type = ImportField::ifAggregate;
            } else {
                field.Type = ImportField::ifExpression;
            }
            m_query.Fields.append(field);
        }
    }

    int previousToken(int i) const
    {
        do
            --i;
        while (i >= 0 && m_st.tokens().at(i).isComment());
        return i;
    }

    // The last token of the field list's entry whose first node begins at token from: the
    // one before the comma or clause keyword that ends the entry at depth 0 (parentheses
    // opened right before that node belong to the entry).
    int entryLastToken(int from) const
    {
        const QVector<Token> &tokens = m_st.tokens();
        int depth = 0;
        for (int p = previousToken(from); p >= 0 && tokens.at(p).is('('); p = previousToken(p))
            ++depth;
        int i = from;
        for (; i < tokens.size(); i = m_st.next(i)) {
            const Token &t = tokens.at(i);
            if (t.is('(') || t.is('[')) {
                ++depth;
            } else if (t.is(')') || t.is(']')) {
                if (--depth < 0)
                    break;
            } else if (depth == 0) {
                switch (t.Kind) {
                case PG_QUERY__TOKEN__FROM:
                case PG_QUERY__TOKEN__INTO:
                case PG_QUERY__TOKEN__WHERE:
                case PG_QUERY__TOKEN__GROUP_P:
                case PG_QUERY__TOKEN__HAVING:
                case PG_QUERY__TOKEN__WINDOW:
                case PG_QUERY__TOKEN__ORDER:
                case PG_QUERY__TOKEN__LIMIT:
                case PG_QUERY__TOKEN__OFFSET:
                case PG_QUERY__TOKEN__FETCH:
                case PG_QUERY__TOKEN__FOR:
                case PG_QUERY__TOKEN__UNION:
                case PG_QUERY__TOKEN__INTERSECT:
                case PG_QUERY__TOKEN__EXCEPT:
                    return previousToken(i);
                default:
                    if (t.is(',') || t.is(';'))
                        return previousToken(i);
                }
            }
        }
        return previousToken(i);
    }

    static bool countAll(const PgQuery__Node *value)
    {
        if (!value || value->node_case != PG_QUERY__NODE__NODE_FUNC_CALL)
            return false;
        const PgQuery__FuncCall *f = value->func_call;
        return f->agg_star && !f->agg_distinct && !f->over && !f->agg_filter && f->n_agg_order == 0
            && !f->agg_within_group && f->n_funcname == 1
            && PgTree::StringOf(f->funcname[0]).toUpper() == QLatin1String("COUNT");
    }

    bool aggregateOf(const PgQuery__Node *value, QString &aggregate, ImportColumn &column) const
    {
        if (!value || value->node_case != PG_QUERY__NODE__NODE_FUNC_CALL)
            return false;
        const PgQuery__FuncCall *f = value->func_call;
        if (f->agg_star || f->agg_distinct || f->over || f->agg_filter || f->n_agg_order > 0
            || f->agg_within_group || f->func_variadic || f->n_funcname != 1 || f->n_args != 1)
            return false;
        const QString fn = PgTree::StringOf(f->funcname[0]).toUpper();
        if (!aggregateNames().contains(fn) || !columnRef(f->args[0], column)
            || column.Field == QLatin1String("*") || column.Table == -2)
            return false;
        aggregate = fn;
        return true;
    }

    QString nodeText(const PgQuery__Node *node) const { return spanText(PgTree::Locations(node)); }

    void readGroup(const PgQuery__Node *group)
    {
        ImportGroup entry;
        entry.Text = nodeText(group);
        bool isNumber = false;
        const int position = intConstant(group, &isNumber);
        if (columnRef(group, entry.Column)) {
            entry.Type = ImportGroup::igColumn;
        } else if (isNumber) {
            entry.Type = ImportGroup::igPosition;
            entry.Position = position;
        } else {
            entry.Type = ImportGroup::igExpression;
        }
        m_query.GroupBy.append(entry);
    }

    void readSort(const PgQuery__Node *node)
    {
        if (node->node_case != PG_QUERY__NODE__NODE_SORT_BY)
            return;
        const PgQuery__SortBy *s = node->sort_by;
        ImportSort entry;
        entry.Descending = s->sortby_dir == PG_QUERY__SORT_BY_DIR__SORTBY_DESC;
        entry.Text = nodeText(s->node);
        if (s->sortby_dir == PG_QUERY__SORT_BY_DIR__SORTBY_USING) {
            m_query.LeftOut << tr("the sorting by %1 USING an operator").arg(entry.Text);
            return;
        }
        if (s->sortby_nulls == PG_QUERY__SORT_BY_NULLS__SORTBY_NULLS_FIRST
            || s->sortby_nulls == PG_QUERY__SORT_BY_NULLS__SORTBY_NULLS_LAST) {
            m_query.LeftOut << tr("NULLS FIRST or LAST of the sorting by %1").arg(entry.Text);
            return;
        }
        bool isNumber = false;
        const int position = intConstant(s->node, &isNumber);
        if (columnRef(s->node, entry.Column)) {
            entry.Type = ImportSort::isColumn;
        } else if (isNumber) {
            entry.Type = ImportSort::isPosition;
            entry.Position = position;
        } else if (countAll(s->node)) {
            entry.Type = ImportSort::isCountAll;
        } else if (aggregateOf(s->node, entry.Aggregate, entry.Column)) {
            entry.Type = ImportSort::isAggregate;
        } else {
            entry.Type = ImportSort::isExpression;
        }
        m_query.OrderBy.append(entry);
    }

    const Statement &m_st;
    LegacyMarks m_marks;
    ImportedQuery m_query;
    QVector<Scope> m_scopes;
    QHash<const PgQuery__RangeVar *, int> m_tableOfRangeVar;
};

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
    QString clean = blankLegacyMarks(standard, marks);
    auto statement = std::make_unique<Statement>(clean, written(clean));
    QVector<JoinLine> joinLines;
    if (!statement->ok() && !Sql.contains(QChar(0))) {
        // The standard dialect's join lines, which no database reads.
        const QString withoutLines = blankJoinLines(clean, joinLines);
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
    Reader reader(*statement, marks);
    return reader.run(stmt->select_stmt, joinLines);
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
