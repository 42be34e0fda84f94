#include "engines/SqlNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <pg_query.h>
#include <sqlite3.h>

#include <algorithm>
#include <iterator>

namespace Diduza {

namespace {

// The code point at i (a surrogate pair read as one), and its length in code units.
char32_t codePointAt(QStringView text, qsizetype i, qsizetype &length)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        length = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    length = 1;
    return c.unicode();
}

// The values of the name keys of PostgreSQL's parse tree, each with its key.
void collectNames(const QJsonValue &value, QStringList &names)
{
    if (value.isArray()) {
        for (const QJsonValue &element : value.toArray())
            collectNames(element, names);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        static const QLatin1String keys[] = { QLatin1String("sval"), QLatin1String("relname"),
            QLatin1String("aliasname"), QLatin1String("schemaname"), QLatin1String("catalogname") };
        if (std::find(std::begin(keys), std::end(keys), it.key()) != std::end(keys))
            names << it.key() + QLatin1Char('=') + it.value().toString();
        else
            collectNames(it.value(), names);
    }
}

} // namespace

QString QuotedName(QStringView Name, QChar Open, QChar Close)
{
    QString text;
    text.reserve(Name.size() + 2);
    text += Open;
    for (const QChar c : Name) {
        text += c;
        if (c == Close)
            text += c;
    }
    text += Close;
    return text;
}

bool PostgresReadsBare(QStringView Name)
{
    // Only plain identifiers are tried: whatever else a name holds needs quotes anyway, and a
    // plain identifier cannot change the probe's structure.
    if (!IsPlainIdentifier(Name))
        return false;
    const QString name = Name.toString();
    const QByteArray probe
        = QStringLiteral("SELECT %1.%1 FROM %1 %1 ORDER BY %1").arg(name).toUtf8();
    PgQueryParseResult result = pg_query_parse(probe.constData());
    const QByteArray tree = result.error ? QByteArray() : QByteArray(result.parse_tree);
    pg_query_free_parse_result(result);
    if (tree.isEmpty())
        return false; // a keyword that one of the places refuses
    QStringList names;
    collectNames(QJsonDocument::fromJson(tree).object().value(QLatin1String("stmts")), names);
    names.sort();
    // The table, its alias, the field's table and name, the sort field: five times Name.
    const QString sval = QLatin1String("sval=") + name;
    return names
        == QStringList { QLatin1String("aliasname=") + name, QLatin1String("relname=") + name, sval,
               sval, sval };
}

bool SqliteReadsBare(QStringView Name)
{
    if (!IsPlainIdentifier(Name))
        return false;
    const QByteArray utf8 = Name.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), int(utf8.size())) == 0;
}

QString NameWithSuffix(const QString &Base, const QString &Suffix, int Limit)
{
    if (Limit <= 0)
        return Base + Suffix;
    qsizetype room = Limit - Suffix.toUtf8().size();
    qsizetype end = 0;
    while (end < Base.size()) {
        const qsizetype next
            = end + (Base.at(end).isHighSurrogate() && end + 1 < Base.size() ? 2 : 1);
        const qsizetype bytes = Base.mid(end, next - end).toUtf8().size();
        if (bytes > room)
            break;
        room -= bytes;
        end = next;
    }
    return Base.left(end) + Suffix;
}

bool IsPlainIdentifier(QStringView Name)
{
    if (Name.isEmpty())
        return false;
    for (qsizetype i = 0, length = 0; i < Name.size(); i += length) {
        const char32_t c = codePointAt(Name, i, length);
        const bool partOnly = (c >= U'0' && c <= U'9') || c == U'$';
        if (!(QChar::isLetter(c) || c == U'_' || (i > 0 && partOnly)))
            return false;
    }
    return true;
}

bool IsPlainTableName(QStringView Name)
{
    for (qsizetype start = 0;;) {
        const qsizetype dot = Name.indexOf(QLatin1Char('.'), start);
        if (!IsPlainIdentifier(Name.mid(start, dot < 0 ? -1 : dot - start)))
            return false;
        if (dot < 0)
            return true;
        start = dot + 1;
    }
}

} // namespace Diduza
