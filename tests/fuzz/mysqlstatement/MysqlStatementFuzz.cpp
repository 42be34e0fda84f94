#include "MysqlStatementFuzz.h"

#include <QStringList>
#include <QTextStream>

namespace Diduza::Fuzz {

MysqlLexMode MysqlMode(int Number)
{
    return MysqlLexMode { (Number & 1) == 0, (Number & 2) != 0 };
}

QString MysqlModeText(int Number)
{
    QStringList flags;
    if (Number & 1)
        flags << QStringLiteral("NO_BACKSLASH_ESCAPES");
    if (Number & 2)
        flags << QStringLiteral("ANSI_QUOTES");
    return flags.join(QLatin1Char(','));
}

QString CheckSplit(const QString &Text, MysqlLexMode Mode)
{
    const qsizetype n = Text.size();
    const qsizetype length = MysqlStatementLength(Text, Mode);
    const bool holds = MysqlHoldsStatement(Text, Mode);
    QString error;
    MysqlAsStandardSql(Text, Mode, &error);
    if (length < -1 || length > n)
        return QStringLiteral("length %1 outside the text").arg(length);
    if (length < 0)
        return QString();
    if (length < n && Text.at(length - 1) != QLatin1Char(';'))
        return QStringLiteral("cut at %1, not after a \";\"").arg(length);
    const QString sent = Text.left(length);
    if (MysqlStatementLength(sent, Mode) != length)
        return QStringLiteral("the cut text is not one statement of length %1").arg(length);
    if (MysqlHoldsStatement(sent, Mode) != holds)
        return QStringLiteral("the cut text holds a statement where the text does not, or so");
    if (length < n && MysqlStatementLength(sent + QStringLiteral(" /* x */"), Mode) != length)
        return QStringLiteral("a comment after the cut text makes another statement");
    return QString();
}

namespace {

template <size_t N> QString pick(QRandomGenerator &random, const char *const (&list)[N])
{
    return QString::fromUtf8(list[random.bounded(int(N))]);
}

// Characters and pieces that mean something to some reading: inside a comment, string or
// name, where the server reads them as text, they are what a reading that is not exactly the
// server's may take for an end, an opening or a ";".
QString junk(QRandomGenerator &random, int most)
{
    static const char *const pieces[] = { "'", "\"", "`", "\\", ";", "*", "/", "#", "-- ", "--",
        "\n", "x", " ", "*/", "/*", "/*!", "/*!99999", "\\'", "''", "\u4e2d", "; SELECT 9" };
    QString text;
    const int count = int(random.bounded(most + 1));
    for (int i = 0; i < count; ++i)
        text += pick(random, pieces);
    return text;
}

// A comment, string or name whose text is junk, as the server reads it; now and then one
// whose junk ends it early, which the server reads otherwise.
QString hider(QRandomGenerator &random)
{
    QString body = junk(random, 4);
    const bool strict = random.bounded(4) != 0;
    auto without = [&](const char *end) {
        if (strict)
            body.replace(QString::fromLatin1(end), QStringLiteral(" "));
    };
    switch (random.bounded(9)) {
    case 0:
        without("*/");
        return QStringLiteral("/*") + body + QStringLiteral("*/");
    case 1:
        without("*/");
        return QStringLiteral("/*!99999") + body + QStringLiteral("*/");
    case 2:
        without("*/");
        return QStringLiteral("/*M!999999") + body + QStringLiteral("*/");
    case 3:
        without("\n");
        return QStringLiteral("#") + body + QStringLiteral("\n");
    case 4:
        without("\n");
        return QStringLiteral("-- ") + body + QStringLiteral("\n");
    case 5:
        without("'");
        without("\\");
        return QStringLiteral("'") + body + QStringLiteral("'");
    case 6:
        without("\"");
        without("\\");
        return QStringLiteral("\"") + body + QStringLiteral("\"");
    case 7:
        without("`");
        return QStringLiteral(" AS `") + body + QStringLiteral("`");
    default:
        without("*/");
        return QStringLiteral("/*!50000 + 1") + body.remove(QLatin1Char(';'))
            + QStringLiteral("*/");
    }
}

// An expression as the server reads it: operands and operators with hiders between them,
// written with and without blanks (so that "*" meets "/*" and "*/" meets "*").
QString expression(QRandomGenerator &random)
{
    static const char *const operands[] = { "1", "2", "x''", "'a'", "\"b\"", "N'c'", "(3)" };
    static const char *const operators[] = { "+", "*", "-", "/", "%" };
    static const char *const blanks[] = { "", "", " ", "\n", "\t" };
    QString text = pick(random, operands);
    const int steps = int(random.bounded(4));
    for (int i = 0; i < steps; ++i) {
        if (random.bounded(2))
            text += pick(random, blanks) + hider(random);
        text += pick(random, blanks) + pick(random, operators) + pick(random, blanks);
        if (random.bounded(2))
            text += hider(random) + pick(random, blanks);
        text += pick(random, operands);
    }
    if (random.bounded(3) == 0)
        text += pick(random, blanks) + hider(random);
    return text;
}

// Fragments put together without regard to the server's grammar.
QString soup(QRandomGenerator &random)
{
    static const char *const neutral[] = { " ", "\n", "\t", "\r\n", " + 1", " * 2", " + 'a'",
        " + \"b\"", " AS `c`", " + x''", " -- c\n", " # c\n", " /* c */", " /*! + 1 */",
        " /*!50000 + 1 */", " /*!99999 + 1 */", " /*M!100000 + 1 */", " /*M!999999 + 1 */",
        " + '\\''", " + ''''", " + 'a\\\\'", " /*!1 */", ", 2", " + \"\"\"\"" };
    static const char *const hostile[] = { "'", "\"", "`", "\\", "\\'", "\\\"", "*/", "/*", "/*!",
        "/*!99999", "/*!999999", "/*!50000", "/*!50700", "/*M!", "/*M!999999", "/*M!100000", "#",
        "--", "-- ", "--x", "---", ";", "; SELECT 2", "; SELECT 3 ", "\n", "*", "/", "-", "\u4e2d",
        "\u00e9", "''", "x'", "2*/*", "/*/", "*//*", "--\t", "\r", "$$", "@'", "N'" };
    QString text;
    const int pieces = 1 + int(random.bounded(10));
    for (int i = 0; i < pieces; ++i)
        text += random.bounded(10) < 6 ? pick(random, neutral) : pick(random, hostile);
    return text;
}

} // namespace

QString RandomMysqlText(QRandomGenerator &Random)
{
    // Statements the server reads as such, one to three, or "SELECT 1" and a soup of
    // fragments; then, now and then, what would end a string or comment a reading took to be
    // open.
    QString text = QStringLiteral("SELECT ");
    if (Random.bounded(10) < 7) {
        text += expression(Random);
        const int more = int(Random.bounded(3));
        for (int i = 0; i < more; ++i)
            text += QStringLiteral(";") + (Random.bounded(2) ? QStringLiteral(" ") : QString())
                + QStringLiteral("SELECT ") + expression(Random);
    } else {
        text += QStringLiteral("1") + soup(Random);
    }
    static const char *const endings[]
        = { "", "", "", "'", "\"", "`", "*/", " -- '", " # '", "; -- '", ";", " */ ;" };
    return text + pick(Random, endings);
}

namespace {
QString escaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out;
}

QString unescaped(QStringView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text.at(++i);
            c = next == QLatin1Char('n')   ? QChar(u'\n')
                : next == QLatin1Char('r') ? QChar(u'\r')
                : next == QLatin1Char('t') ? QChar(u'\t')
                                           : next;
        }
        out += c;
    }
    return out;
}
} // namespace

QVector<MysqlVerdict> ReadVerdicts(QIODevice &Device)
{
    QVector<MysqlVerdict> verdicts;
    QTextStream in(&Device);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype first = line.indexOf(QLatin1Char('\t'));
        const qsizetype second = line.indexOf(QLatin1Char('\t'), first + 1);
        if (first < 0 || second < 0)
            continue;
        verdicts.append({ line.left(first).toInt(), line.mid(first + 1, second - first - 1).toInt(),
            unescaped(QStringView(line).mid(second + 1)) });
    }
    return verdicts;
}

QString VerdictLine(const MysqlVerdict &Verdict)
{
    return QStringLiteral("%1\t%2\t%3")
        .arg(Verdict.Mode)
        .arg(Verdict.Statements)
        .arg(escaped(Verdict.Text));
}

QString CheckVerdict(const MysqlVerdict &Verdict)
{
    const qsizetype length = MysqlStatementLength(Verdict.Text, MysqlMode(Verdict.Mode));
    if (length == Verdict.Text.size() && Verdict.Statements > 1)
        return QStringLiteral("the server ran %1 statements of a text sent whole as one")
            .arg(Verdict.Statements);
    return QString();
}

} // namespace Diduza::Fuzz
