#include "sqlparser/PgTree_p.h"

#include "platform/TextPosition.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace Diduza::PgTree {

namespace {

template <typename T> const T &at(const ProtobufCMessage *message, unsigned offset)
{
    return *reinterpret_cast<const T *>(reinterpret_cast<const char *>(message) + offset);
}

bool activeField(const ProtobufCMessage *message, const ProtobufCFieldDescriptor &field)
{
    if (!(field.flags & PROTOBUF_C_FIELD_FLAG_ONEOF))
        return true;
    return at<uint32_t>(message, field.quantifier_offset) == field.id;
}

void walkFields(
    const ProtobufCMessage *message, const std::function<bool(const PgQuery__Node *)> &visit);

void walkChild(
    const ProtobufCMessage *child, const std::function<bool(const PgQuery__Node *)> &visit)
{
    if (!child)
        return;
    if (child->descriptor == &pg_query__node__descriptor) {
        const auto *node = reinterpret_cast<const PgQuery__Node *>(child);
        if (visit(node))
            walkFields(MessageOf(node), visit);
    } else {
        walkFields(child, visit);
    }
}

void walkFields(
    const ProtobufCMessage *message, const std::function<bool(const PgQuery__Node *)> &visit)
{
    if (!message)
        return;
    const ProtobufCMessageDescriptor *descriptor = message->descriptor;
    for (unsigned i = 0; i < descriptor->n_fields; ++i) {
        const ProtobufCFieldDescriptor &field = descriptor->fields[i];
        if (field.type != PROTOBUF_C_TYPE_MESSAGE || !activeField(message, field))
            continue;
        if (field.label == PROTOBUF_C_LABEL_REPEATED) {
            const size_t count = at<size_t>(message, field.quantifier_offset);
            ProtobufCMessage *const *items = at<ProtobufCMessage **>(message, field.offset);
            for (size_t k = 0; k < count; ++k)
                walkChild(items[k], visit);
        } else {
            walkChild(at<ProtobufCMessage *>(message, field.offset), visit);
        }
    }
}

void collectLocations(const ProtobufCMessage *message, QVector<int> &out)
{
    if (!message)
        return;
    const ProtobufCMessageDescriptor *descriptor = message->descriptor;
    for (unsigned i = 0; i < descriptor->n_fields; ++i) {
        const ProtobufCFieldDescriptor &field = descriptor->fields[i];
        if (field.type == PROTOBUF_C_TYPE_INT32 && field.label != PROTOBUF_C_LABEL_REPEATED
            && std::strcmp(field.name, "location") == 0) {
            const int32_t location = at<int32_t>(message, field.offset);
            if (location >= 0)
                out.append(location);
        }
    }
}

// Every place recorded in a message and the messages below it.
void collectAll(const ProtobufCMessage *message, QVector<int> &out)
{
    if (!message)
        return;
    collectLocations(message, out);
    const ProtobufCMessageDescriptor *descriptor = message->descriptor;
    for (unsigned i = 0; i < descriptor->n_fields; ++i) {
        const ProtobufCFieldDescriptor &field = descriptor->fields[i];
        if (field.type != PROTOBUF_C_TYPE_MESSAGE || !activeField(message, field))
            continue;
        auto visit = [&out](const ProtobufCMessage *child) {
            if (child && child->descriptor == &pg_query__node__descriptor)
                child = MessageOf(reinterpret_cast<const PgQuery__Node *>(child));
            collectAll(child, out);
        };
        if (field.label == PROTOBUF_C_LABEL_REPEATED) {
            const size_t count = at<size_t>(message, field.quantifier_offset);
            ProtobufCMessage *const *items = at<ProtobufCMessage **>(message, field.offset);
            for (size_t k = 0; k < count; ++k)
                visit(items[k]);
        } else {
            visit(at<ProtobufCMessage *>(message, field.offset));
        }
    }
}

} // namespace

Statement::Statement(const QString &text)
    : m_text(text)
    , m_utf8(text.toUtf8())
{
    m_utf16Of.reserve(m_utf8.size() + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        int bytes = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            bytes = 4, ++i;
        else if (c >= 0x800)
            bytes = 3;
        else if (c >= 0x80)
            bytes = 2;
        for (int b = 0; b < bytes; ++b)
            m_utf16Of.append(bytes == 4 ? i - 1 : i);
    }
    m_utf16Of.append(text.size());

    if (text.contains(QChar(0))) {
        // The library reads C strings: it would read the text only up to the NUL.
        m_error = QCoreApplication::translate(
            "Diduza::SelectImport", "The text holds a NUL character.");
        m_errorPosition = text.indexOf(QChar(0));
        return;
    }

    PgQueryScanResult scan = pg_query_scan(m_utf8.constData());
    if (!scan.error) {
        PgQuery__ScanResult *tokens = pg_query__scan_result__unpack(
            nullptr, scan.pbuf.len, reinterpret_cast<const uint8_t *>(scan.pbuf.data));
        if (tokens) {
            m_tokens.reserve(qsizetype(tokens->n_tokens));
            for (size_t i = 0; i < tokens->n_tokens; ++i) {
                const PgQuery__ScanToken *t = tokens->tokens[i];
                m_tokens.append(
                    Token { utf16(t->start), utf16(t->end), int(t->token), int(t->keyword_kind) });
            }
            pg_query__scan_result__free_unpacked(tokens, nullptr);
        }
    }
    pg_query_free_scan_result(scan);

    PgQueryProtobufParseResult parse = pg_query_parse_protobuf(m_utf8.constData());
    if (parse.error) {
        m_error = QString::fromUtf8(parse.error->message);
        if (parse.error->cursorpos > 0) {
            // The parser counts characters (code points) from 1.
            qsizetype position = 0;
            for (int n = 1; n < parse.error->cursorpos && position < text.size(); ++n)
                position += text.at(position).isHighSurrogate() ? 2 : 1;
            m_errorPosition = qMin(position, text.size());
            m_error += QStringLiteral(" (%1)").arg(LineColumnText(text, m_errorPosition));
        }
    } else {
        m_tree = pg_query__parse_result__unpack(nullptr, parse.parse_tree.len,
            reinterpret_cast<const uint8_t *>(parse.parse_tree.data));
        if (!m_tree)
            m_error = QCoreApplication::translate(
                "Diduza::SelectImport", "The parser's tree could not be read.");
    }
    pg_query_free_protobuf_parse_result(parse);
}

Statement::Statement(const QString &Parsed, const QString &Written)
    : Statement(Parsed)
{
    if (Written.size() == m_text.size())
        m_text = Written;
}

Statement::~Statement()
{
    if (m_tree)
        pg_query__parse_result__free_unpacked(m_tree, nullptr);
}

qsizetype Statement::utf16(int byteOffset) const
{
    if (byteOffset < 0)
        return -1;
    return byteOffset < m_utf16Of.size() ? m_utf16Of.at(byteOffset) : m_text.size();
}

int Statement::tokenFrom(qsizetype Position) const
{
    const auto found = std::lower_bound(m_tokens.begin(), m_tokens.end(), Position,
        [](const Token &t, qsizetype p) { return t.Start < p; });
    return int(found - m_tokens.begin());
}

int Statement::next(int Index) const
{
    int i = Index + 1;
    while (i < m_tokens.size() && m_tokens.at(i).isComment())
        ++i;
    return i;
}

bool Statement::quoted(int Index) const
{
    if (Index < 0 || Index >= m_tokens.size())
        return false;
    const Token &t = m_tokens.at(Index);
    auto isQuote = [](QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('`'); };
    return t.Kind == PG_QUERY__TOKEN__IDENT && t.End > t.Start
        && (isQuote(m_text.at(t.Start))
            || (t.End - t.Start > 2 && isQuote(m_text.at(t.Start + 2))));
}

QString Statement::identifier(int Index) const
{
    if (Index < 0 || Index >= m_tokens.size())
        return QString();
    const Token &t = m_tokens.at(Index);
    const QString raw = m_text.mid(t.Start, t.End - t.Start);
    for (const QChar quote : { QLatin1Char('"'), QLatin1Char('`') }) {
        if (raw.startsWith(quote) && raw.size() >= 2 && raw.endsWith(quote)) {
            QString name = raw.mid(1, raw.size() - 2);
            name.replace(QString(2, quote), QString(quote));
            return name;
        }
    }
    return raw;
}

const ProtobufCMessage *MessageOf(const PgQuery__Node *Node)
{
    if (!Node || Node->node_case == PG_QUERY__NODE__NODE__NOT_SET)
        return nullptr;
    const ProtobufCFieldDescriptor *field
        = protobuf_c_message_descriptor_get_field(&pg_query__node__descriptor, Node->node_case);
    if (!field)
        return nullptr;
    return at<ProtobufCMessage *>(&Node->base, field->offset);
}

void Walk(const PgQuery__Node *Node, const std::function<bool(const PgQuery__Node *)> &Visit)
{
    if (Node && Visit(Node))
        walkFields(MessageOf(Node), Visit);
}

void WalkMessage(
    const ProtobufCMessage *Message, const std::function<bool(const PgQuery__Node *)> &Visit)
{
    walkFields(Message, Visit);
}

QVector<int> Locations(const ProtobufCMessage *Message)
{
    QVector<int> out;
    collectAll(Message, out);
    return out;
}

QVector<int> Locations(const PgQuery__Node *Node)
{
    QVector<int> out;
    collectAll(MessageOf(Node), out);
    return out;
}

QString StringOf(const PgQuery__Node *Node)
{
    if (!Node || Node->node_case != PG_QUERY__NODE__NODE_STRING || !Node->string)
        return QString();
    return QString::fromUtf8(Node->string->sval);
}

int IntConstant(const PgQuery__Node *Node, bool *Ok)
{
    *Ok = false;
    if (!Node || Node->node_case != PG_QUERY__NODE__NODE_A_CONST || !Node->a_const
        || Node->a_const->val_case != PG_QUERY__A__CONST__VAL_IVAL)
        return 0;
    *Ok = true;
    return Node->a_const->ival->ival;
}

void Conjuncts(const PgQuery__Node *Expr, QVector<const PgQuery__Node *> &Out)
{
    if (Expr && Expr->node_case == PG_QUERY__NODE__NODE_BOOL_EXPR
        && Expr->bool_expr->boolop == PG_QUERY__BOOL_EXPR_TYPE__AND_EXPR) {
        for (size_t i = 0; i < Expr->bool_expr->n_args; ++i)
            Conjuncts(Expr->bool_expr->args[i], Out);
        return;
    }
    if (Expr)
        Out.append(Expr);
}

int MinOf(const QVector<int> &Places)
{
    return Places.isEmpty() ? -1 : *std::min_element(Places.begin(), Places.end());
}

int MaxOf(const QVector<int> &Places)
{
    return Places.isEmpty() ? -1 : *std::max_element(Places.begin(), Places.end());
}

} // namespace Diduza::PgTree
