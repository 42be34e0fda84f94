#pragma once

// PostgreSQL's own parser and scanner (libpg_query) for the statement readers of this folder:
// the parse tree as protobuf-c messages (no nesting limit of their own, unlike a JSON reading
// of the same tree), the scanner's tokens with their places in the text, and the map between
// the UTF-8 offsets the library reports and the UTF-16 indexes of the QString. Not installed.

#include <QString>
#include <QVector>

#include <pg_query.h>
#include <pg_query/pg_query.pb-c.h>

#include <functional>

namespace Diduza::PgTree {

// One token of the scanner, with its place as UTF-16 indexes into the text.
struct Token {
    qsizetype Start = 0;
    qsizetype End = 0; // one past the last character
    int Kind = 0; // PgQuery__Token
    int Keyword = 0; // PgQuery__KeywordKind
    bool isComment() const
    {
        return Kind == PG_QUERY__TOKEN__SQL_COMMENT || Kind == PG_QUERY__TOKEN__C_COMMENT;
    }
    bool is(char c) const { return Kind == int(static_cast<unsigned char>(c)); }
};

// A text read by PostgreSQL's parser: the tree when it parses, else the parser's message and
// where it points.
class Statement {
public:
    explicit Statement(const QString &text);
    // Parsed reads Written spelled as standard SQL, every character where it stood (see
    // MysqlAsStandardSql): the tree and the tokens are Parsed's, the text is Written, and
    // identifier and quoted read back-quoted names too.
    Statement(const QString &Parsed, const QString &Written);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return m_tree != nullptr; }
    // The parser's message, and the UTF-16 index it points at (-1 when it names none).
    const QString &error() const { return m_error; }
    qsizetype errorPosition() const { return m_errorPosition; }

    const PgQuery__ParseResult *tree() const { return m_tree; }
    const QString &text() const { return m_text; }
    // The tokens, comments included, in text order.
    const QVector<Token> &tokens() const { return m_tokens; }

    // The UTF-16 index of a UTF-8 byte offset of the text (the text's end past it; -1 for a
    // negative offset, which the tree uses for "no place").
    qsizetype utf16(int byteOffset) const;
    // The index of the token that begins at Position (a UTF-16 index), or of the first token
    // after it; tokens().size() when there is none.
    int tokenFrom(qsizetype Position) const;
    // The index of the next token after Index that is not a comment (tokens().size() at the end).
    int next(int Index) const;
    // The text of an identifier token as the statement means it: a quoted name without its
    // quotes (doubled quotes single again), any other word as written.
    QString identifier(int Index) const;
    bool quoted(int Index) const;

private:
    QString m_text;
    QByteArray m_utf8;
    QVector<qsizetype> m_utf16Of; // by UTF-8 offset
    QVector<Token> m_tokens;
    PgQuery__ParseResult *m_tree = nullptr;
    QString m_error;
    qsizetype m_errorPosition = -1;
};

// Walks every node below Node (Node included), depth first, in field order. Visit returns
// false to leave that node's children out.
void Walk(const PgQuery__Node *Node, const std::function<bool(const PgQuery__Node *)> &Visit);
// The same for any message of the tree (a SelectStmt, a JoinExpr...).
void WalkMessage(
    const ProtobufCMessage *Message, const std::function<bool(const PgQuery__Node *)> &Visit);

// Every place (UTF-8 offset) the subtree records, in walk order; none of its nested select
// statements left out.
QVector<int> Locations(const ProtobufCMessage *Message);
QVector<int> Locations(const PgQuery__Node *Node);

// The message of a node, or null for a node without one.
const ProtobufCMessage *MessageOf(const PgQuery__Node *Node);

// The string of a String node; empty for anything else.
QString StringOf(const PgQuery__Node *Node);

// The value of an integer constant; Ok tells whether Node is one (0 when not).
int IntConstant(const PgQuery__Node *Node, bool *Ok);

// The conditions of an AND chain, nested chains flattened, in tree order; Expr itself when
// it is no AND chain (nothing for null).
void Conjuncts(const PgQuery__Node *Expr, QVector<const PgQuery__Node *> &Out);

// The lowest and the highest of the places Locations gives; -1 for none.
int MinOf(const QVector<int> &Places);
int MaxOf(const QVector<int> &Places);

} // namespace Diduza::PgTree
