#include "sqlparser/SelectImportReader_p.h"

#include <algorithm>

namespace Diduza::SelectReading {

ImportedQuery Reader::run(const PgQuery__SelectStmt *select, const QVector<JoinLine> &joinLines)
{
    if (select->op != PG_QUERY__SET_OPERATION__SETOP_NONE)
        return compound(select, joinLines);
    readBlock(select, joinLines);
    readOrderAndLimit(select);
    m_query.Ok = true;
    return m_query;
}

void Reader::readBlock(const PgQuery__SelectStmt *s, const QVector<JoinLine> &joinLines)
{
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
}

void Reader::readOrderAndLimit(const PgQuery__SelectStmt *s)
{
    for (size_t i = 0; i < s->n_sort_clause; ++i)
        readSort(s->sort_clause[i]);
    if (s->limit_option == PG_QUERY__LIMIT_OPTION__LIMIT_OPTION_WITH_TIES) {
        m_query.LeftOut << tr("FETCH FIRST ... WITH TIES %1").arg(nodeText(s->limit_count));
        return;
    }
    // A constant that is not negative, or NULL (LIMIT ALL) for none.
    auto rows = [this](const PgQuery__Node *node, const char *what, qint64 &value) {
        if (!node)
            return;
        if (node->node_case == PG_QUERY__NODE__NODE_A_CONST && node->a_const->isnull)
            return;
        // SQLite reads a negative limit as none, and MySQL's largest is none too; no other
        // database takes either.
        bool isNumber = false;
        qint64 number = PgTree::IntConstant(node, &isNumber);
        if (!isNumber && node->node_case == PG_QUERY__NODE__NODE_A_CONST
            && node->a_const->val_case == PG_QUERY__A__CONST__VAL_FVAL) {
            const QString text = QString::fromUtf8(node->a_const->fval->fval);
            const double d = text.toDouble(&isNumber);
            isNumber = isNumber && !text.contains(QLatin1Char('.')) && d >= 0;
            number = d >= 1e15 ? -1 : qint64(d);
        }
        if (isNumber && number >= 0)
            value = number;
        else if (isNumber && &value == &m_query.Limit)
            value = -1;
        else
            m_query.LeftOut << tr(what).arg(nodeText(node));
    };
    rows(s->limit_count, QT_TRANSLATE_NOOP("Diduza::SelectImport", "the row limit %1"),
        m_query.Limit);
    rows(s->limit_offset, QT_TRANSLATE_NOOP("Diduza::SelectImport", "the rows skipped, %1"),
        m_query.Offset);
}

ImportedQuery Reader::compound(const PgQuery__SelectStmt *select, const QVector<JoinLine> &joinLines)
{
    // The blocks of a chain: each operator's right side is a plain SELECT, and no INTERSECT
    // follows a UNION or EXCEPT, so that every database reads the chain written out from left
    // to right as this tree (PostgreSQL binds INTERSECT tighter, SQLite reads left to right).
    QVector<const PgQuery__SelectStmt *> arms;
    QVector<TSQLSetOperator> operators;
    bool chain = true;
    const PgQuery__SelectStmt *s = select;
    while (s && s->op != PG_QUERY__SET_OPERATION__SETOP_NONE) {
        const bool all = s->all;
        TSQLSetOperator op = all ? soUnionAll : soUnion;
        if (s->op == PG_QUERY__SET_OPERATION__SETOP_INTERSECT)
            op = all ? soIntersectAll : soIntersect;
        else if (s->op == PG_QUERY__SET_OPERATION__SETOP_EXCEPT)
            op = all ? soExceptAll : soExcept;
        if (!s->rarg || s->rarg->op != PG_QUERY__SET_OPERATION__SETOP_NONE)
            chain = false;
        arms.prepend(s->rarg);
        operators.prepend(op);
        s = s->larg;
    }
    if (!s)
        chain = false;
    arms.prepend(s);
    bool unionBefore = false;
    for (const TSQLSetOperator op : std::as_const(operators)) {
        const bool intersect = op == soIntersect || op == soIntersectAll;
        if (intersect && unionBefore)
            chain = false;
        unionBefore = unionBefore || !intersect;
    }
    for (const PgQuery__SelectStmt *arm : std::as_const(arms)) {
        if (arm
            && (arm->n_sort_clause > 0 || arm->limit_count || arm->limit_offset
                || arm->with_clause || arm->into_clause))
            chain = false;
    }
    if (!chain) {
        m_query.LeftOut << tr("UNION, INTERSECT or EXCEPT in parentheses or with a sort or "
                              "limit of a SELECT inside: only the first SELECT is shown");
        const PgQuery__SelectStmt *first = select;
        while (first->op != PG_QUERY__SET_OPERATION__SETOP_NONE && first->larg)
            first = first->larg;
        readBlock(first, joinLines);
        m_query.Ok = true;
        return m_query;
    }
    if (select->with_clause)
        m_query.LeftOut << tr("the WITH clause");
    // Each block's join lines (the standard dialect's) lie between its operators.
    QVector<qsizetype> bounds;
    int depth = 0;
    for (const Token &t : m_st.tokens()) {
        if (t.is('('))
            ++depth;
        else if (t.is(')'))
            --depth;
        else if (depth == 0
            && (t.Kind == PG_QUERY__TOKEN__UNION || t.Kind == PG_QUERY__TOKEN__INTERSECT
                || t.Kind == PG_QUERY__TOKEN__EXCEPT))
            bounds << t.Start;
    }
    auto linesOf = [&](int arm) {
        QVector<JoinLine> lines;
        for (const JoinLine &line : joinLines) {
            const qsizetype from = arm == 0 ? -1 : bounds.value(arm - 1, -1);
            const qsizetype to = arm < bounds.size() ? bounds.at(arm) : m_st.text().size();
            if (line.start > from && line.start < to)
                lines << line;
        }
        return lines;
    };
    readBlock(arms.first(), linesOf(0));
    for (int k = 1; k < arms.size(); ++k) {
        Reader reader(m_st, m_marks);
        reader.readBlock(arms.at(k), linesOf(k));
        reader.m_query.Ok = true;
        m_query.LeftOut << reader.m_query.LeftOut;
        m_query.Blocks << reader.m_query;
    }
    m_query.Operators = operators;
    // The whole's sort names output columns, which are the first block's.
    readOrderAndLimit(select);
    m_query.Ok = true;
    return m_query;
}

void Reader::noteUnsupported(const PgQuery__SelectStmt *s)
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
    if (s->n_locking_clause > 0)
        note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "FOR UPDATE"), nullptr);
    if (s->n_window_clause > 0)
        note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "WINDOW"), nullptr);
    if (s->n_values_lists > 0)
        note(QT_TRANSLATE_NOOP("Diduza::SelectImport", "VALUES"), nullptr);
}

const QSet<QString> &Reader::aggregateNames()
{
    static const QSet<QString> names = { QStringLiteral("SUM"), QStringLiteral("COUNT"),
        QStringLiteral("MAX"), QStringLiteral("MIN"), QStringLiteral("AVG") };
    return names;
}

bool Reader::startsClause(const Token &t)
{
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
        return true;
    default:
        return false;
    }
}

bool Reader::endsExpression(const Token &t)
{
    if (startsClause(t))
        return true;
    switch (t.Kind) {
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

int Reader::expressionEnd(int firstToken, int lastNodeToken, bool andEnds) const
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

bool Reader::previousEndsOperand(int i) const
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

QString Reader::spanText(const QVector<int> &places) const
{
    if (places.isEmpty())
        return QString();
    const int first = tokenOf(PgTree::MinOf(places));
    const int last = tokenOf(PgTree::MaxOf(places));
    const int end = expressionEnd(first, last, true);
    return cleanText(first, end, nullptr).Text;
}

QString Reader::entryText(const QVector<int> &places) const
{
    if (places.isEmpty())
        return QString();
    const QVector<Token> &tokens = m_st.tokens();
    int first = tokenOf(PgTree::MinOf(places));
    int depth = 0;
    for (int i = first - 1; i >= 0; --i) {
        const Token &t = tokens.at(i);
        if (t.is(')')) {
            ++depth;
        } else if (t.is('(')) {
            if (depth > 0)
                --depth;
        } else if (depth == 0
            && (t.is(',') || t.Kind == PG_QUERY__TOKEN__FROM || t.Kind == PG_QUERY__TOKEN__JOIN)) {
            break;
        }
        first = i;
    }
    const int last = tokenOf(PgTree::MaxOf(places));
    return cleanText(first, expressionEnd(first, last, true), nullptr).Text;
}

void Reader::keptRange(int first, int end, int &a, int &b, bool keepEnclosing) const
{
    const QVector<Token> &tokens = m_st.tokens();
    auto skipComments = [&](int i, int step) {
        while (i >= first && i < end && tokens.at(i).isComment())
            i += step;
        return i;
    };
    a = skipComments(first, 1);
    b = skipComments(end - 1, -1);
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
    if (!keepEnclosing && a < b && tokens.at(a).is('(') && tokens.at(b).is(')')) {
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
}

ImportText Reader::cleanText(
    int first, int end, const QVector<ImportReference> *refs, bool keepEnclosing) const
{
    const QVector<Token> &tokens = m_st.tokens();
    int a = first;
    int b = end - 1;
    keptRange(first, end, a, b, keepEnclosing);
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

int Reader::previousToken(int i) const
{
    do
        --i;
    while (i >= 0 && m_st.tokens().at(i).isComment());
    return i;
}

Reader::Written Reader::written(int byteOffset, int count) const
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

void Reader::collectTables(const PgQuery__Node *item)
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

QString Reader::aliasText(const PgQuery__Alias *alias, int tableLocation) const
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

int Reader::addNode(ImportFromNode::Kind kind, int left, int right)
{
    ImportFromNode node;
    node.Type = kind;
    node.Left = left;
    node.Right = right;
    m_query.From.append(node);
    return int(m_query.From.size() - 1);
}

int Reader::readFrom(const PgQuery__Node *item)
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

} // namespace Diduza::SelectReading
