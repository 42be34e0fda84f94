#include "platform/Exceptions.h"
#include "platform/TStringList.h"
#include "sqlparser/SqlStatement.h"
#include "sqlparser/TSQLParser.h"

#include <QtTest>

using namespace Diduza;
using namespace Qt::StringLiterals;

namespace {

// Every token up to stEnd as "kind[text]", with a star after the kind of a quoted symbol.
QStringList tokensOf(TSQLParser &p)
{
    QStringList out;
    const qsizetype limit = p.Text().size() + 1;
    while (p.Token() != stEnd && out.size() <= limit) {
        out << EnumValueName(p.Token()) + (p.SymbolQuoted() ? "*"_L1 : ""_L1) + u'['
                + p.TokenString() + u']';
        p.NextToken();
    }
    return out;
}

QStringList entries(const TStringList &list, bool withValues)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << (withValues ? list.Strings(i) + u'/' + list.Objects(i).toString() : list.Strings(i));
    return out;
}

// The list queries of the listQueries table.
enum { tables, where, set, updateWhere };

} // namespace

class tst_SQLParser : public QObject {
    Q_OBJECT
private slots:
    void tokens_data();
    void tokens();
    void tokenPositionsAndEnd();
    void rawDataTextEndsAtItsSize();
    void tokenSymbolIs_data();
    void tokenSymbolIs();
    void parse_data();
    void parse();
    void parseTextWithoutTokensAborts_data();
    void parseTextWithoutTokensAborts();
    void parseHandlerErrorsAndReplacement();
    void listQueries_data();
    void listQueries();
    void updateTableName_data();
    void updateTableName();
    void queriesRestartOnOneParser();
    void hostileTextTerminates_data();
    void hostileTextTerminates();
    void singleStatement_data();
    void singleStatement();
    void mysqlStatement_data();
    void mysqlStatement();
};

void tst_SQLParser::tokens_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    auto row = [](const char *name, const QString &text, const QStringList &expected) {
        QTest::newRow(name) << text << expected;
    };
    row("null", QString(), {});
    row("empty", u""_s, {});
    row("blanks and control characters", u" \t\r\n\x01\x1f"_s, {});
    row("qualified name", u"Customer.Name"_s, { "stSymbol[Customer.Name]" });
    row("alias", u"C. x"_s, { "stAlias[C.]", "stSymbol[x]" });
    row("star after qualifier", u"C.*"_s, { "stSymbol[C.*]" });
    row("count(*)", u"count(*)"_s,
        { "stSymbol[count]", "stLParen[]", "stSymbol[*]", "stRParen[]" });
    row("symbol characters", u"_a1$ $b T\"x"_s,
        { "stSymbol[_a1$]", "stSymbol[$b]", "stSymbol[T\"x]" });
    row("quoted, trimmed", u"\"  My Table \t\""_s, { "stSymbol*[My Table]" });
    row("quoted blanks only", u"\"   \""_s, { "stSymbol*[]" });
    row("quoted empty", u"''x"_s, { "stSymbol*[]", "stSymbol[x]" });
    row("quoted colon dropped", u"\":P\" ':Q'"_s, { "stSymbol*[P]", "stSymbol*[Q]" });
    row("quoted ending in dot", u"'T.' x"_s, { "stAlias*[T.]", "stSymbol[x]" });
    row("doubled quote opens a new name", u"'It''s'"_s, { "stSymbol*[It]", "stSymbol*[s]" });
    row("other quote inside", u"\"a'b\" 'c\"d'"_s, { "stSymbol*[a'b]", "stSymbol*[c\"d]" });
    row("unterminated quote", u"'open  "_s, { "stSymbol*[open]" });
    row("lone quote", u"\""_s, { "stSymbol*[]" });
    row("parameter", u":CustNo=:"_s, { "stParameter[:CustNo]", "stEQ[]", "stParameter[:]" });
    row("number with exponent", u"-12.5E+3"_s, { "stNumber[-12.5E+3]" });
    row("number runs through minus", u"3-2 1.5e-3x"_s,
        { "stNumber[3-2]", "stNumber[1.5e-3]", "stSymbol[x]" });
    row("lone minus", u"- x"_s, { "stNumber[-]", "stSymbol[x]" });
    row("plus begins no number", u"+1"_s, { "stOther[]", "stNumber[1]" });
    row("division", u"a/b"_s, { "stSymbol[a]", "stOther[]", "stSymbol[b]" });
    row("dash comment at end", u"x -- note"_s, { "stSymbol[x]", "stComment[-- note]" });
    row("line comments stop at breaks", u"-- a\r\nb// c\rd"_s,
        { "stComment[-- a]", "stSymbol[b]", "stComment[// c]", "stSymbol[d]" });
    row("shortest block comment", u"/*/x"_s, { "stComment[/*/]", "stSymbol[x]" });
    row("block comment", u"/* x */y"_s, { "stComment[/* x */]", "stSymbol[y]" });
    row("empty block comment", u"/**/"_s, { "stComment[/**/]" });
    row("unterminated block comment", u"/* open *"_s, { "stComment[/* open *]" });
    row("slash at end", u"/"_s, { "stOther[]" });
    row("operators", u"<>>="_s, { "stOther[]", "stOther[]", "stOther[]", "stEQ[]" });
    row("punctuation", u"(a,b);[]!?@."_s,
        { "stLParen[]", "stSymbol[a]", "stComma[]", "stSymbol[b]", "stRParen[]", "stOther[]",
            "stOther[]", "stOther[]", "stOther[]", "stOther[]", "stOther[]", "stOther[]" });
    row("Latin-1 letters continue a symbol", u"Größe \x7f"_s,
        { "stSymbol[Größe]", "stSymbol[\x7f]" });
    row("Cyrillic letters are one symbol each", u"Имя"_s,
        { "stSymbol[И]", "stSymbol[м]", "stSymbol[я]" });
    row("above U+044F is other", u"\x0450\x20ac"_s, { "stOther[]", "stOther[]" });
    row("surrogates are other",
        u"a\xd800"
        u"b\xdc00\xd83d\xde00"_s,
        { "stSymbol[a]", "stOther[]", "stSymbol[b]", "stOther[]", "stOther[]", "stOther[]" });
    row("lone surrogate quoted", u"'\xdc00'"_s, { u"stSymbol*[\xdc00]"_s });
    row("NUL ends the text", u"a\0b"_s, { "stSymbol[a]" });
    row("NUL ends a quoted name", u"'x\0y' z"_s, { "stSymbol*[x]" });
    row("NUL ends a comment", u"/* \0 */ z"_s, { "stComment[/* ]" });
}

void tst_SQLParser::tokens()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    TSQLParser p(text);
    QCOMPARE(tokensOf(p), expected);
    QCOMPARE(p.Token(), stEnd);
    QVERIFY(p.TokenString().isEmpty());
    QVERIFY_THROWS_EXCEPTION(EAbort, p.NextToken());
    p.Reset(); // leaves the end state and reads the same tokens again
    QCOMPARE(tokensOf(p), expected);
}

void tst_SQLParser::tokenPositionsAndEnd()
{
    TSQLParser p(u"  ab ,\t'c'  "_s);
    QList<qsizetype> positions;
    do
        positions << p.TokenPosition();
    while (p.NextToken() != stEnd);
    positions << p.TokenPosition();
    QCOMPARE(positions, (QList<qsizetype> { 2, 5, 7, 12 }));
}

void tst_SQLParser::rawDataTextEndsAtItsSize()
{
    static const char16_t buffer[] = u"ab cd";
    TSQLParser p(QString::fromRawData(reinterpret_cast<const QChar *>(buffer), 4));
    QCOMPARE(tokensOf(p), (QStringList { "stSymbol[ab]", "stSymbol[c]" }));
}

void tst_SQLParser::tokenSymbolIs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<bool>("expected");
    QTest::newRow("lower-case keyword") << u"SELECT"_s << u"select"_s << true;
    QTest::newRow("mixed case") << u"sElEcT"_s << u"SeLeCt"_s << true;
    QTest::newRow("quoted") << u"' select '"_s << u"SELECT"_s << true;
    QTest::newRow("alias never matches") << u"SELECT."_s << u"SELECT."_s << false;
    QTest::newRow("parameter") << u":SELECT"_s << u":SELECT"_s << false;
    QTest::newRow("prefix") << u"SELECTED"_s << u"SELECT"_s << false;
    QTest::newRow("only A to Z fold") << u"größe"_s << u"GRÖßE"_s << false;
    QTest::newRow("other characters compare as they are") << u"größe"_s << u"GRößE"_s << true;
    QTest::newRow("at end") << u""_s << u""_s << false;
}

void tst_SQLParser::tokenSymbolIs()
{
    QFETCH(QString, text);
    QFETCH(QString, keyword);
    QFETCH(bool, expected);
    TSQLParser p(text);
    QCOMPARE(p.TokenSymbolIs(keyword), expected);
}

void tst_SQLParser::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("clauses")
        << u"SELECT A.X, B.Y FROM A, B WHERE A.X = B.Y AND B.Z = 1 GROUP BY A.X ORDER BY B.Y"_s
        << QStringList { "scFields stSymbol SELECT", "scFields stSymbol A.X", "scFields stComma ",
               "scFields stSymbol B.Y", "scTables stSymbol FROM", "scTables stSymbol A",
               "scTables stComma ", "scTables stSymbol B", "scWhere stSymbol WHERE",
               "scWhere stSymbol A.X", "scWhere stEQ ", "scWhere stSymbol B.Y",
               "scWhere stSymbol B.Z", "scWhere stEQ ", "scWhere stNumber 1",
               "scGroupBy stSymbol GROUP BY", "scGroupBy stSymbol A.X",
               "scOrderBy stSymbol ORDER BY", "scOrderBy stSymbol B.Y" };
    QTest::newRow("GROUP without BY, ORDER at the end")
        << u"select a group x ORDER"_s
        << QStringList { "scFields stSymbol select", "scFields stSymbol a",
               "scFields stSymbol group", "scFields stSymbol x", "scFields stSymbol ORDER" };
    QTest::newRow("GROUP before ORDER BY")
        << u"x GROUP order by, y"_s
        << QStringList { "scUnknown stSymbol x", "scUnknown stSymbol GROUP",
               "scOrderBy stSymbol ORDER BY", "scOrderBy stComma ", "scOrderBy stSymbol y" };
    QTest::newRow("quoted keywords, BY. is no BY")
        << u"'select' a \"from\" b 'group' \"by\" c GROUP BY."_s
        << QStringList { "scFields stSymbol select", "scFields stSymbol a",
               "scTables stSymbol from", "scTables stSymbol b", "scGroupBy stSymbol GROUP BY",
               "scGroupBy stSymbol c", "scGroupBy stSymbol GROUP", "scGroupBy stAlias BY." };
    QTest::newRow("join condition stays in the join")
        << u"FROM A LEFT OUTER JOIN B ON A.X = B.Y WHERE Z"_s
        << QStringList { "scTables stSymbol FROM", "scTables stSymbol A", "scJoin stSymbol LEFT",
               "scJoin stSymbol OUTER", "scJoin stSymbol JOIN", "scJoin stSymbol B",
               "scJoin stSymbol ON", "scJoin stSymbol A.X", "scJoin stEQ ", "scJoin stSymbol B.Y",
               "scWhere stSymbol WHERE", "scWhere stSymbol Z" };
    QTest::newRow("AND and OR unreported, other tokens kept")
        << u"WHERE a and 'OR' b AND. -- c\nHAVING :p UNION UPDATE"_s
        << QStringList { "scWhere stSymbol WHERE", "scWhere stSymbol a", "scWhere stSymbol b",
               "scWhere stAlias AND.", "scWhere stComment -- c", "scHaving stSymbol HAVING",
               "scHaving stParameter :p", "scUnion stSymbol UNION", "scFields stSymbol UPDATE" };
    QTest::newRow("right, full and inner join words")
        << u"right full inner"_s
        << QStringList { "scJoin stSymbol right", "scJoin stSymbol full", "scJoin stSymbol inner" };
    QTest::newRow("only a comment")
        << u"/* c */"_s << QStringList { "scUnknown stComment /* c */" };
}

void tst_SQLParser::parse()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    TSQLParser p(text);
    QStringList reports;
    p.SetOnParsed([&](TSQLParser *sender, TSQLToken token, TSQLClause clause, const QString &v) {
        QCOMPARE(sender, &p);
        reports << EnumValueName(clause) + u' ' + EnumValueName(token) + u' ' + v;
    });
    p.Parse();
    QCOMPARE(reports, expected);
    reports.clear();
    p.Parse();
    QCOMPARE(reports, expected);
}

void tst_SQLParser::parseTextWithoutTokensAborts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << u""_s;
    QTest::newRow("blanks") << u" \r\n\t"_s;
    QTest::newRow("NUL first") << u"\0SELECT"_s;
}

void tst_SQLParser::parseTextWithoutTokensAborts()
{
    QFETCH(QString, text);
    TSQLParser p(text);
    QStringList reports;
    p.SetOnParsed([&](TSQLParser *, TSQLToken token, TSQLClause clause, const QString &v) {
        reports << EnumValueName(clause) + u' ' + EnumValueName(token) + u'[' + v + u']';
    });
    QVERIFY_THROWS_EXCEPTION(EAbort, p.Parse());
    QCOMPARE(reports, QStringList { "scUnknown stEnd[]" });
    p.SetOnParsed(nullptr);
    QVERIFY_THROWS_EXCEPTION(EAbort, p.Parse());
}

void tst_SQLParser::parseHandlerErrorsAndReplacement()
{
    TSQLParser p(u"SELECT a, b FROM t"_s);
    int calls = 0;
    p.SetOnParsed([&](TSQLParser *, TSQLToken, TSQLClause, const QString &) {
        if (++calls == 3)
            throw Exception(u"stop"_s);
    });
    QVERIFY_THROWS_EXCEPTION(Exception, p.Parse());
    QCOMPARE(calls, 3);

    // A handler that replaces itself keeps running on its copy; the rest goes to the new one.
    QStringList first, rest;
    const QString tag = u"first:"_s;
    p.SetOnParsed([&p, &first, &rest, tag](TSQLParser *, TSQLToken, TSQLClause, const QString &v) {
        p.SetOnParsed(
            [&rest](TSQLParser *, TSQLToken, TSQLClause, const QString &w) { rest << w; });
        first << tag + v;
    });
    p.Parse();
    QCOMPARE(first, QStringList { "first:SELECT" });
    QCOMPARE(rest, (QStringList { "a", "", "b", "FROM", "t" }));
}

void tst_SQLParser::listQueries_data()
{
    QTest::addColumn<int>("query");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    auto row = [](const char *name, int q, const QString &text, const QStringList &expected) {
        QTest::newRow(name) << q << text << expected;
    };
    row("tables with aliases", tables, u"SELECT * FROM A X, B Y"_s, { "A/0", "B/0" });
    row("tables, quoted flag", tables, u"select * from \"My T\" t, 'b',c where"_s,
        { "My T/1", "b/1", "c/0" });
    row("tables end at AS", tables, u"SELECT * FROM A AS X, B"_s, { "A/0" });
    row("tables end at a join", tables, u"SELECT * FROM A INNER JOIN B ON A.X=B.X"_s, { "A/0" });
    row("tables, trailing comma", tables, u"SELECT * FROM S.T,"_s, { "S.T/0" });
    row("tables without FROM", tables, u"SELECT a, b"_s, {});
    row("tables of an UPDATE", tables, u"UPDATE T SET A = 1"_s, {});
    row("tables after a leading comment", tables, u"-- c\nSELECT * FROM A"_s, {});
    row("tables after NUL", tables, u"SELECT * FROM A,\0B"_s, { "A/0" });
    row("where", where, u"SELECT * FROM A WHERE (A.X = 1) AND B.Y = 'Z'"_s,
        { "A.X", "=", "1", "B.Y", "=", "Z" });
    row("where ends at another operator", where, u"SELECT * FROM A WHERE A.X < 1 AND B = 2"_s,
        { "A.X" });
    row("where alias passed over", where, u"SELECT * FROM A WHERE T. X = T. :p"_s,
        { "X", "=", ":p" });
    row("where values run on", where, u"SELECT * FROM A WHERE A = 1 + 2 OR B GROUP BY C"_s,
        { "A", "=", "1", "", "2", "OR", "B", "GROUP", "BY", "C" });
    row("where stops at GROUP", where, u"SELECT * FROM A WHERE X GROUP BY Y = 1"_s, { "X" });
    row("where, parenthesis in value", where, u"SELECT * FROM A WHERE A = f(x) AND B = 1"_s,
        { "A", "=", "f", "x" });
    row("where missing", where, u"SELECT * FROM A"_s, {});
    row("where at end", where, u"SELECT * FROM A WHERE A ="_s, { "A", "=" });
    row("set fields", set, u"UPDATE T SET A = 1, B = 2 WHERE C = 3"_s, { "A", "B" });
    row("set fields, quoted and aliased", set, u"update t set T. \"A\" = 1, 'B' = 2"_s,
        { "A", "B" });
    row("set field runs off the end", set, u"UPDATE T SET A = 1"_s, { "A" });
    row("set field without =", set, u"UPDATE T SET A, B = 1"_s, { "A" });
    row("set, comma inside a call", set, u"UPDATE T SET A = f(1, 2), B = 3"_s, { "A" });
    row("set stops at WHERE", set, u"UPDATE T SET A = 1 WHERE B = 2, C = 3"_s, { "A" });
    row("set missing", set, u"UPDATE T A = 1"_s, {});
    row("update where", updateWhere, u"UPDATE T SET A = 1, B = 2 WHERE C = 3"_s, { "C" });
    row("update where chain", updateWhere,
        u"UPDATE T SET A = 1 WHERE (C = 3) AND T. D = 'x' and E < 2 AND F = 1"_s,
        { "C", "D", "E" });
    row("update where ignores OR", updateWhere, u"UPDATE T SET A=1 WHERE C=3 OR D=4"_s, { "C" });
    row("update where of a SELECT", updateWhere, u"SELECT * FROM T WHERE C = 1"_s, {});
}

void tst_SQLParser::listQueries()
{
    QFETCH(int, query);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    TSQLParser p(text);
    TStringList list;
    list.Add(u"stale"_s);
    int changes = 0;
    list.SetOnChange([&] { ++changes; });
    switch (query) {
    case tables:
        p.GetSelectTableNames(list);
        break;
    case where:
        p.GetSelectWhereFields(list);
        break;
    case set:
        p.GetUpdateFields(list);
        break;
    default:
        p.GetUpdateWhereFields(list);
        break;
    }
    QCOMPARE(entries(list, query == tables), expected);
    for (int i = 0; query == tables && i < list.Count(); ++i)
        QCOMPARE(list.Objects(i).metaType(), QMetaType::fromType<int>());
    QCOMPARE(list.UpdateCount(), 0);
    QCOMPARE(changes, 1); // the whole refill is one change
}

void tst_SQLParser::updateTableName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << u"UPDATE S.T SET A = 1"_s << u"S.T"_s;
    QTest::newRow("quoted") << u"update \" My T \" set"_s << u"My T"_s;
    QTest::newRow("keyword alone") << u"UPDATE"_s << u""_s;
    QTest::newRow("alias") << u"UPDATE T. SET"_s << u""_s;
    QTest::newRow("parenthesis") << u"UPDATE (T)"_s << u""_s;
    QTest::newRow("a SELECT") << u"SELECT * FROM T"_s << u""_s;
    QTest::newRow("empty") << u""_s << u""_s;
}

void tst_SQLParser::updateTableName()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    TSQLParser p(text);
    QString name = u"stale"_s;
    p.GetUpdateTableName(name);
    QCOMPARE(name, expected);
}

void tst_SQLParser::queriesRestartOnOneParser()
{
    TSQLParser p(u"SELECT a FROM A x, B WHERE a = 1"_s);
    TStringList tables, again, where;
    p.GetSelectTableNames(tables);
    int reports = 0;
    p.SetOnParsed([&](TSQLParser *, TSQLToken, TSQLClause, const QString &) { ++reports; });
    p.Parse();
    p.GetSelectWhereFields(where);
    p.GetSelectTableNames(again);
    QCOMPARE(entries(tables, true), (QStringList { "A/0", "B/0" }));
    QCOMPARE(entries(again, true), entries(tables, true));
    QCOMPARE(entries(where, false), (QStringList { "a", "=", "1" }));
    QCOMPARE(reports, 11);
}

void tst_SQLParser::hostileTextTerminates_data()
{
    QTest::addColumn<QString>("text");
    const QString sql = u"SELECT a.b, 'q' FROM t x, u WHERE (a = :p) AND /* c */ b = -1.5e3 "
                        u"GROUP BY a ORDER BY b;\r\nUPDATE T SET A = 1, B = 'x' WHERE C = 2\n"_s;
    QTest::newRow("MBs of statements") << sql.repeated(40000);
    QTest::newRow("unterminated block comment") << u"SELECT /*"_s + QString(2000000, u'*');
    QTest::newRow("unterminated quote") << u"UPDATE '"_s + QString(2000000, u'x');
    QTest::newRow("only separators") << QString(2000000, u',');
    QTest::newRow("keywords") << u"SELECT FROM WHERE UPDATE SET AND GROUP ORDER "_s.repeated(50000);
    QTest::newRow("surrogates and NUL") << u"\xd800\xdfff\xdc00 'a\xd800' \0 x"_s;
}

void tst_SQLParser::hostileTextTerminates()
{
    QFETCH(QString, text);
    TSQLParser p(text);
    qsizetype count = 0;
    qsizetype last = -1;
    while (p.Token() != stEnd) {
        QVERIFY(p.TokenPosition() > last); // every token moves forward
        last = p.TokenPosition();
        const QStringView v = p.TokenView(), all = p.Text();
        QVERIFY(v.isEmpty() || (v.utf16() >= all.utf16() && v.end() <= all.end()));
        p.NextToken();
        QVERIFY(++count <= text.size());
    }
    qsizetype reports = 0;
    p.SetOnParsed([&](TSQLParser *, TSQLToken, TSQLClause, const QString &) { ++reports; });
    p.Parse();
    QVERIFY(reports > 0 && reports <= count);
    TStringList list;
    QString name;
    p.GetSelectTableNames(list);
    p.GetSelectWhereFields(list);
    p.GetUpdateFields(list);
    p.GetUpdateWhereFields(list);
    p.GetUpdateTableName(name);
    QCOMPARE(list.UpdateCount(), 0);
}

// How much of a text runs as its one statement; -1 refuses a text holding more than one.
void tst_SQLParser::singleStatement_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("length");
    const auto whole = [](const char *sql) { return int(qstrlen(sql)); };

    // One statement, run as written.
    for (const char *sql : { "", "SELECT 1", "SELECT ';' FROM t", "SELECT \"a;b\" FROM t",
             "SELECT 'it''s; x' FROM t", "SELECT \"x\"\";\" FROM t", "SELECT 1 -- ; DROP t",
             "SELECT 1 /* ; DROP t */", "SELECT 1 /* ; DROP t", "SELECT a$b FROM t" })
        QTest::addRow("one: %s", sql) << QString::fromUtf8(sql) << whole(sql);
    // A trailing ";" ends it; blanks and comments after it are dropped.
    QTest::newRow("trailing ;") << "SELECT 1;" << 9;
    QTest::newRow("trailing ; and blanks") << "SELECT 1 ; \r\n\t" << 10;
    QTest::newRow("trailing ; and comments") << "SELECT 1; -- done\n/* x */" << 9;
    QTest::newRow("trailing ; after a dialect character") << "SELECT a$b FROM t;  " << 18;

    // Two statements, however they hide.
    for (const char *sql : { "SELECT 1; SELECT 2", "SELECT 1;;", "SELECT 1;DROP TABLE v",
             "SELECT 1 -- x\n; DROP TABLE v", "SELECT 1 /* x */; DROP TABLE v", "SELECT 1; 'x'",
             "SELECT 1; -- a\n x",
             // a backslash escapes the quote in PostgreSQL's E'' strings and in MySQL
             "SELECT E'\\''; DROP TABLE v; --'", "SELECT E'\\'', 'a\\'; DROP TABLE v; --'",
             // dollar quoting, brackets and back quotes hide a quote from standard SQL
             "SELECT $$ ' $$; DROP TABLE v; --'", "SELECT [ ' ]; DROP TABLE v; --'",
             "SELECT ` ' `; DROP TABLE v; --'",
             // comments that other databases end elsewhere
             "SELECT 1 /* /* */ ' */; DROP TABLE v; --'", "SELECT 1 -- x\r'\n; DROP TABLE v; --'",
             "SELECT 1 # '\n; DROP TABLE v; --'", "SELECT 1 --'\n'; DROP TABLE v; --'",
             "SELECT 1; --x", "SELECT 1 /*! ; DROP TABLE v */" })
        QTest::addRow("several: %s", sql) << QString::fromUtf8(sql) << -1;
}

void tst_SQLParser::singleStatement()
{
    QFETCH(QString, sql);
    QFETCH(int, length);
    QCOMPARE(SingleStatementLength(sql), qsizetype(length));
}

// The same question as MySQL and MariaDB split a text, in each session mode: a modes value of
// 1 reads with backslash escapes, 2 with ANSI_QUOTES, 0 with neither, 3 with both; the length
// is -1 where the text holds more than one statement.
void tst_SQLParser::mysqlStatement_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QList<int>>("lengths"); // for modes 0, 1, 2, 3
    const auto whole = [](const char *sql) { return int(qstrlen(sql)); };
    const auto same = [](int length) { return QList<int> { length, length, length, length }; };

    for (const char *sql : { "SELECT ';'", "SELECT `a;b`", "SELECT `a``;b`", "SELECT 1 # ;",
             "SELECT 1 -- ;", "SELECT 1 --\t;", "SELECT 1 /* ; */", "SELECT 1 /*!50000 + 1 */",
             "SELECT 1 /*M! + 1 */", "SELECT 1 -- a;b\r", "SELECT 'it''s;'", "SELECT 1 # x\r;" })
        QTest::addRow("one: %s", sql) << QString::fromUtf8(sql) << same(whole(sql));
    QTest::newRow("trailing ; and comments") << "SELECT 1; # done\n-- done\n/* done */" << same(9);
    QTest::newRow("-- at the end") << "SELECT 1;--" << same(9);
    QTest::newRow("empty statements after it") << "SELECT 1;; ; # x" << same(9);

    for (const char *sql : { "SELECT 1; SELECT 2", "SELECT 1 --x; DROP TABLE v",
             "SELECT 1 # x\n; DROP TABLE v", "SELECT 1 /*! ; DROP TABLE v */",
             "SELECT 1 /*!99999 ; DROP TABLE v */", "SELECT 1; */", "SELECT `a;b`; DROP TABLE v",
             "SELECT 1--2; DROP TABLE v", "SELECT 1 /* x */; DROP TABLE v" })
        QTest::addRow("several: %s", sql) << QString::fromUtf8(sql) << same(-1);

    // A backslash escapes the next character in strings, unless NO_BACKSLASH_ESCAPES.
    const char *escaped = "SELECT 'x\\';DROP TABLE v;--'";
    QTest::addRow("backslash: %s", escaped)
        << QString::fromUtf8(escaped) << QList<int> { -1, whole(escaped), -1, whole(escaped) };
    // Double quotes are a string (with escapes), or a name under ANSI_QUOTES (without).
    const char *doubled = "SELECT \"x\\\";DROP TABLE v;--\"";
    QTest::addRow("double quotes: %s", doubled)
        << QString::fromUtf8(doubled) << QList<int> { -1, whole(doubled), -1, -1 };
    // Back quotes never escape.
    const char *backQuoted = "SELECT `x\\`;DROP TABLE v;--`";
    QTest::addRow("back quotes: %s", backQuoted) << QString::fromUtf8(backQuoted) << same(-1);
}

void tst_SQLParser::mysqlStatement()
{
    QFETCH(QString, sql);
    QFETCH(QList<int>, lengths);
    for (int modes = 0; modes < 4; ++modes) {
        const MysqlLexMode mode { (modes & 1) != 0, (modes & 2) != 0 };
        QCOMPARE(MysqlStatementLength(sql, mode), qsizetype(lengths.at(modes)));
    }
}

QTEST_GUILESS_MAIN(tst_SQLParser)
#include "tst_sqlparser.moc"
