#include "sqlparser/SqlStatement.h"

#include "platform/TextPosition.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <pg_query.h>

namespace Diduza {

namespace {

// The blanks that every SQL database skips between tokens.
bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

// Characters that start a string, a name or a comment in some database's SQL but not in
// standard SQL.
bool isDialectOpener(char16_t c)
{
    return c == u'\\' || c == u'$' || c == u'[' || c == u'`' || c == u'#';
}

struct Scanner {
    QStringView text;
    bool ambiguous = false; // some database splits the text otherwise

    char16_t at(qsizetype i) const { return i < text.size() ? text[i].unicode() : u'\0'; }

    // The end of the string or quoted name that starts at i; a doubled quote stays inside.
    qsizetype quotedEnd(qsizetype i)
    {
        const char16_t quote = at(i);
        for (qsizetype j = i + 1; j < text.size(); ++j) {
            const char16_t c = at(j);
            if (c == u'\\') {
                ambiguous = true;
            } else if (c == quote) {
                if (at(j + 1) != quote)
                    return j + 1;
                ++j;
            }
        }
        return text.size();
    }

    // The end of the comment that starts at i, or -1 when none starts there.
    qsizetype commentEnd(qsizetype i)
    {
        const qsizetype n = text.size();
        if (at(i) == u'-' && at(i + 1) == u'-') {
            if (i + 2 < n && !isBlank(at(i + 2)))
                ambiguous = true;
            qsizetype j = i + 2;
            while (j < n && at(j) != u'\n' && at(j) != u'\r')
                ++j;
            if (at(j) == u'\r' && j + 1 < n && at(j + 1) != u'\n')
                ambiguous = true;
            return j;
        }
        if (at(i) == u'/' && at(i + 1) == u'*') {
            if (at(i + 2) == u'!')
                ambiguous = true;
            for (qsizetype j = i + 2; j < n; ++j) {
                if (at(j) == u'*' && at(j + 1) == u'/')
                    return j + 2;
                if (at(j) == u'/' && at(j + 1) == u'*')
                    ambiguous = true;
            }
            return n;
        }
        return -1;
    }
};

// MySQL's spelling of a statement rewritten as standard SQL in place, every character where it
// stood: back-quoted names double-quoted, strings single-quoted with their quotes doubled, the
// server's own comments (and the marks of executable ones) blanked out.
class MysqlRewrite {
public:
    MysqlRewrite(QStringView text, MysqlLexMode mode)
        : m_text(text)
        , m_n(text.size())
        , m_mode(mode)
        , m_out(text.toString())
    {
    }

    // Rewrites the part of the text that begins at i; returns where the next part begins, or
    // -1 for a text the import cannot read (error() says why).
    qsizetype step(qsizetype i)
    {
        const char16_t c = at(i);
        if (c == u'#' || (c == u'-' && at(i + 1) == u'-'))
            return lineComment(i);
        if (c == u'/' && at(i + 1) == u'*')
            return blockComment(i);
        if (c == u'*' && at(i + 1) == u'/' && m_executable > 0) {
            blank(i, i + 2);
            --m_executable;
            return i + 2;
        }
        if (c == u'`')
            return backQuotedName(i);
        if (c == u'"' && m_mode.AnsiQuotes)
            return ansiQuotedName(i);
        if (c == u'\'' || c == u'"')
            return quotedString(i);
        return i + 1;
    }

    const QString &result() const { return m_out; }
    const QString &error() const { return m_error; }

private:
    char16_t at(qsizetype i) const { return i < m_n ? m_text[i].unicode() : u'\0'; }

    // Blanks [from, to) out of the result, line breaks kept.
    void blank(qsizetype from, qsizetype to)
    {
        for (qsizetype k = from; k < to; ++k) {
            if (m_out[k] != QLatin1Char('\n') && m_out[k] != QLatin1Char('\r'))
                m_out[k] = QLatin1Char(' ');
        }
    }

    qsizetype fail(const QString &why)
    {
        m_error = why;
        return -1;
    }

    // "#" or "--" to the line feed: the server ends a line comment nowhere else. "#" is no
    // comment to standard SQL, and "--" before anything but a blank is two minus signs to
    // the server.
    qsizetype lineComment(qsizetype i)
    {
        const char16_t c = at(i);
        if (c == u'-') {
            const char16_t after = at(i + 2);
            if (!(isBlank(after) || after < u' ' || after == u'\x7f'))
                return fail(QCoreApplication::translate("Diduza::SelectImport",
                    "\"--\" before a character other than a blank (%1) is two minus signs to "
                    "this database and a comment to the import.")
                                .arg(LineColumnText(m_text, i)));
        }
        qsizetype j = i;
        while (j < m_n && at(j) != u'\n')
            ++j;
        if (c == u'#')
            blank(i, j);
        return j;
    }

    // A comment, or the opening of an executable one (its version number included), whose
    // text the server reads as statement text.
    qsizetype blockComment(qsizetype i)
    {
        if (at(i + 2) == u'!' || (at(i + 2) == u'M' && at(i + 3) == u'!')) {
            qsizetype j = i + (at(i + 2) == u'!' ? 3 : 4);
            while (j < m_n && at(j) >= u'0' && at(j) <= u'9')
                ++j;
            blank(i, j);
            ++m_executable;
            return j;
        }
        qsizetype j = i + 2;
        while (j < m_n && !(at(j) == u'*' && at(j + 1) == u'/'))
            ++j;
        return j < m_n ? j + 2 : m_n;
    }

    qsizetype backQuotedName(qsizetype i)
    {
        qsizetype j = i + 1;
        while (j < m_n && at(j) != u'`') {
            if (at(j) == u'"')
                break;
            ++j;
        }
        if (j >= m_n || at(j) == u'"' || at(j + 1) == u'`')
            return fail(QCoreApplication::translate("Diduza::SelectImport",
                "The import cannot read a back-quoted name that holds a double quote or a "
                "back quote (%1).")
                            .arg(LineColumnText(m_text, i)));
        m_out[i] = QLatin1Char('"');
        m_out[j] = QLatin1Char('"');
        return j + 1;
    }

    // A single- or (without ANSI_QUOTES) double-quoted string, as a standard SQL string.
    qsizetype quotedString(qsizetype i)
    {
        const char16_t c = at(i);
        m_out[i] = QLatin1Char('\'');
        qsizetype j = i + 1;
        for (; j < m_n; ++j) {
            const char16_t d = at(j);
            if (m_mode.BackslashEscapes && d == u'\\' && j + 1 < m_n) {
                // "\'" (and "\"" in a double-quoted string) becomes "''"; other escapes
                // hold no quote that would end the standard string.
                if (at(j + 1) == u'\'')
                    m_out[j] = QLatin1Char('\'');
                ++j;
                continue;
            }
            if (d == c) {
                if (at(j + 1) != c)
                    break;
                if (c == u'"') {
                    m_out[j] = QLatin1Char(' ');
                    m_out[j + 1] = QLatin1Char(' ');
                }
                ++j;
                continue;
            }
            if (c == u'"' && d == u'\'')
                m_out[j] = QLatin1Char(' ');
        }
        if (j < m_n)
            m_out[j] = QLatin1Char('\'');
        return j < m_n ? j + 1 : m_n;
    }

    // A double-quoted name under ANSI_QUOTES, as standard SQL writes one.
    qsizetype ansiQuotedName(qsizetype i)
    {
        qsizetype j = i + 1;
        while (j < m_n && !(at(j) == u'"' && at(j + 1) != u'"'))
            j += at(j) == u'"' ? 2 : 1;
        return j < m_n ? j + 1 : m_n;
    }

    QStringView m_text;
    qsizetype m_n;
    MysqlLexMode m_mode;
    QString m_out;
    QString m_error;
    int m_executable = 0; // open executable comments
};

// How MySQL and MariaDB split a text into statements. The server's lexer reads the text token
// by token: strings and quoted names as MysqlStatementLength describes them, "#" and "-- "
// comments to the line feed, "/*" comments to the first "*/". An executable comment ("/*!",
// "/*M!") is code, ended by the first "*/" that begins a token (nested executable comments end
// with it too, so none is accepted); elsewhere "*/" is a multiplication followed by a "/",
// which may open a comment. A versioned comment ("/*!" and five or six digits, "/*M!") is code
// to a server of that version or later and is skipped by others (MariaDB skips "/*!50700" to
// "/*!99999" whatever its version; MySQL reads "/*M!" as a comment): skipped, it ends at the
// first "*/" (MariaDB lets one comment nest inside, MySQL does not). So its body must end at
// the same place in each of these readings and hold no ";": then the text holds the same
// statements whichever reading the server takes.
class MysqlSplitter {
public:
    MysqlSplitter(QStringView text, MysqlLexMode mode)
        : m_text(text)
        , m_n(text.size())
        , m_mode(mode)
    {
    }

    // The length of the first statement up to and including its ";" when only blanks, comments
    // and empty statements follow; the whole text when it holds no ";"; -1 when it holds more
    // than one statement or a part that some reading takes for another one.
    qsizetype firstStatement()
    {
        const qsizetype end = code(0, false);
        if (end < 0)
            return -1;
        for (qsizetype i = end; i < m_n;) {
            const char16_t c = at(i);
            if (isBlank(c) || c == u';') {
                ++i;
            } else if (lineComment(i)) {
                i = lineEnd(i);
            } else if (c == u'/' && at(i + 1) == u'*' && executableMarker(i) == 0) {
                i = commentEnd(i + 2);
            } else {
                return -1;
            }
        }
        return end;
    }

    // Whether the text read by firstStatement holds anything but blanks, comments and ";".
    bool holdsStatement() const { return m_statement; }

private:
    char16_t at(qsizetype i) const { return i < m_n ? m_text[i].unicode() : u'\0'; }

    // "#", or "--" before a blank or a control character (the end of the text included):
    // "1--2" is one minus another.
    bool lineComment(qsizetype i) const
    {
        if (at(i) == u'#')
            return true;
        const char16_t after = at(i + 2);
        return at(i) == u'-' && at(i + 1) == u'-'
            && (isBlank(after) || after < u' ' || after == u'\x7f');
    }

    // A line comment ends at the line feed only.
    qsizetype lineEnd(qsizetype i) const
    {
        while (i < m_n && at(i) != u'\n')
            ++i;
        return i;
    }

    // The length of "/*!" or "/*M!" at i, else 0.
    qsizetype executableMarker(qsizetype i) const
    {
        if (at(i) != u'/' || at(i + 1) != u'*')
            return 0;
        if (at(i + 2) == u'!')
            return 3;
        return at(i + 2) == u'M' && at(i + 3) == u'!' ? 4 : 0;
    }

    // Just past the first "*/" from i on; the end of the text when there is none (the server
    // refuses such a text).
    qsizetype commentEnd(qsizetype i) const
    {
        while (i < m_n && !(at(i) == u'*' && at(i + 1) == u'/'))
            ++i;
        return i < m_n ? i + 2 : m_n;
    }

    // The same for a skipped versioned comment on MariaDB, inside which one "/* ... */" nests.
    qsizetype nestingCommentEnd(qsizetype i) const
    {
        while (i < m_n) {
            if (at(i) == u'/' && at(i + 1) == u'*') {
                i = commentEnd(i + 2);
            } else if (at(i) == u'*' && at(i + 1) == u'/') {
                return i + 2;
            } else {
                ++i;
            }
        }
        return m_n;
    }

    // Just past the string or quoted name that opens at i.
    qsizetype quotedEnd(qsizetype i) const
    {
        const char16_t quote = at(i);
        const bool escapes
            = m_mode.BackslashEscapes && quote != u'`' && !(quote == u'"' && m_mode.AnsiQuotes);
        qsizetype j = i + 1;
        for (; j < m_n; ++j) {
            const char16_t d = at(j);
            if (escapes && d == u'\\') {
                ++j;
            } else if (d == quote) {
                if (at(j + 1) != quote)
                    break;
                ++j;
            }
        }
        return j < m_n ? j + 1 : m_n;
    }

    // Reads statement text from i: at the top level up to and including the first ";" (the
    // end of the text without one), inside an executable comment up to and including the "*/"
    // that ends it. -1 for a ";" inside an executable comment, an executable comment inside
    // another, and a versioned comment whose readings differ.
    qsizetype code(qsizetype i, bool inComment)
    {
        while (i < m_n) {
            const char16_t c = at(i);
            if (lineComment(i)) {
                i = lineEnd(i);
                continue;
            }
            if (c == u'/' && at(i + 1) == u'*') {
                const qsizetype marker = executableMarker(i);
                if (marker == 0) {
                    i = commentEnd(i + 2);
                    continue;
                }
                if (inComment)
                    return -1;
                const qsizetype body = i + marker;
                qsizetype digits = 0;
                while (at(body + digits) >= u'0' && at(body + digits) <= u'9')
                    ++digits;
                if (marker == 3 && digits < 5) {
                    // Not versioned: code to every server.
                    i = code(body, true);
                    if (i < 0)
                        return -1;
                    continue;
                }
                const qsizetype asCode
                    = code(body + (digits >= 5 ? qMin<qsizetype>(digits, 6) : 0), true);
                if (asCode < 0 || asCode != commentEnd(i + 2) || asCode != nestingCommentEnd(body))
                    return -1;
                i = asCode;
                continue;
            }
            if (c == u'*' && at(i + 1) == u'/' && inComment)
                return i + 2;
            if (c == u'\'' || c == u'"' || c == u'`') {
                m_statement = true;
                i = quotedEnd(i);
                continue;
            }
            if (c == u';')
                return inComment ? -1 : i + 1;
            if (!isBlank(c))
                m_statement = true;
            ++i;
        }
        return m_n;
    }

    QStringView m_text;
    qsizetype m_n;
    MysqlLexMode m_mode;
    bool m_statement = false;
};

} // namespace

int PostgresStatementCount(QStringView Text)
{
    const QByteArray utf8 = Text.toUtf8();
    for (auto split : { pg_query_split_with_parser, pg_query_split_with_scanner }) {
        PgQuerySplitResult result = split(utf8.constData());
        const bool read = !result.error;
        const int count = result.n_stmts;
        pg_query_free_split_result(result);
        if (read)
            return count;
    }
    return -1;
}

namespace {

// The names of RangeVar nodes without a schema, and the names of common table expressions.
void collectUnqualified(const QJsonValue &value, QStringList &names, QStringList &ctes)
{
    if (value.isArray()) {
        for (const QJsonValue &element : value.toArray())
            collectUnqualified(element, names, ctes);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject object = value.toObject();
    // A range variable: as a node ({"RangeVar": {...}}) or as a statement's target
    // ({"relation": {...}}), an object with the range variable's fields.
    if (object.contains(QLatin1String("relname"))
        && object.contains(QLatin1String("relpersistence"))) {
        const QString name = object.value(QLatin1String("relname")).toString();
        if (!object.contains(QLatin1String("schemaname"))
            && !object.contains(QLatin1String("catalogname")) && !name.isEmpty()
            && !names.contains(name))
            names << name;
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == QLatin1String("CommonTableExpr")) {
            ctes << it.value().toObject().value(QLatin1String("ctename")).toString();
        }
        collectUnqualified(it.value(), names, ctes);
    }
}

} // namespace

QStringList PostgresUnqualifiedRelations(QStringView Text)
{
    const QByteArray utf8 = Text.toUtf8();
    PgQueryParseResult result = pg_query_parse(utf8.constData());
    const QByteArray tree = result.error ? QByteArray() : QByteArray(result.parse_tree);
    pg_query_free_parse_result(result);
    QStringList names, ctes;
    if (!tree.isEmpty())
        collectUnqualified(
            QJsonDocument::fromJson(tree).object().value(QLatin1String("stmts")), names, ctes);
    // A name a WITH clause defines is that query, not a table (within its statement).
    for (const QString &cte : std::as_const(ctes))
        names.removeAll(cte);
    return names;
}

qsizetype SingleStatementLength(QStringView Text)
{
    const qsizetype n = Text.size();
    Scanner scanner { Text };
    qsizetype end = -1; // just past the first ";" outside strings and comments
    for (qsizetype i = 0; i < n;) {
        if (const qsizetype e = scanner.commentEnd(i); e >= 0) {
            i = e;
            continue;
        }
        const char16_t c = Text[i].unicode();
        if (end >= 0) {
            if (!isBlank(c))
                return -1;
        } else if (c == u'\'' || c == u'"') {
            i = scanner.quotedEnd(i);
            continue;
        } else if (c == u';') {
            end = i + 1;
        } else if (isDialectOpener(c)) {
            scanner.ambiguous = true;
        }
        ++i;
    }
    if (!scanner.ambiguous)
        return end < 0 ? n : end;

    // Every ";" counts: the first one may only be followed by blanks.
    const qsizetype first = Text.indexOf(u';');
    if (first < 0)
        return n;
    for (qsizetype i = first + 1; i < n; ++i) {
        if (!isBlank(Text[i].unicode()))
            return -1;
    }
    return first + 1;
}

qsizetype MysqlStatementLength(QStringView Text, MysqlLexMode Mode)
{
    return MysqlSplitter(Text, Mode).firstStatement();
}

bool MysqlHoldsStatement(QStringView Text, MysqlLexMode Mode)
{
    MysqlSplitter splitter(Text, Mode);
    splitter.firstStatement();
    return splitter.holdsStatement();
}

QString MysqlAsStandardSql(QStringView Text, MysqlLexMode Mode, QString *Error)
{
    MysqlRewrite rewrite(Text, Mode);
    for (qsizetype i = 0; i < Text.size();) {
        i = rewrite.step(i);
        if (i < 0) {
            if (Error)
                *Error = rewrite.error();
            return QString();
        }
    }
    return rewrite.result();
}

} // namespace Diduza
