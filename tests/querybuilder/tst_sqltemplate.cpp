#include "../common/WorkedExample.h"
#include "engines/SqlDialect.h"
#include "querybuilder/SqlTemplate.h"

#include <QtTest>

using namespace Diduza;
namespace Example = DiduzaTest::WorkedExample;

// The macros in the order in which the query builder fills them.
static const char *const MacroOrder[] = {
    "#distinct#",
    "#fields#",
    "#tables#",
    "#innerjoins#",
    "#leftouterjoins#",
    "#rightouterjoins#",
    "#fulljoins#",
    "#wherefilter#",
    "#groups#",
    "#havingfilter#",
    "#orders#",
};

class tst_SqlTemplate : public QObject {
    Q_OBJECT
private slots:
    void expand_data();
    void expand();
    void removeBlankLines_data();
    void removeBlankLines();
    void fillTemplate_data();
    void fillTemplate();
};

void tst_SqlTemplate::expand_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("macro");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    const QString group = QStringLiteral("%[GROUP BY #groups#]%");
    QTest::newRow("empty value removes the section with its keyword") << group << "#groups#"
                                                                      << ""
                                                                      << "";
    QTest::newRow("value keeps the literal text, drops the markers") << group << "#groups#"
                                                                     << "name"
                                                                     << "GROUP BY name";
    QTest::newRow("macro absent: unchanged") << group << "#orders#"
                                             << "x" << group;
    QTest::newRow("macro compared case-sensitively") << "%[WHERE #WhereFilter#]%"
                                                     << "#wherefilter#"
                                                     << "x"
                                                     << "%[WHERE #WhereFilter#]%";
    QTest::newRow("empty macro: unchanged") << group << ""
                                            << "x" << group;
    QTest::newRow("blank value is not empty") << "%[WHERE #w#]%"
                                              << "#w#"
                                              << " "
                                              << "WHERE  ";
    QTest::newRow("value inserted verbatim, markers included") << "%[WHERE #w#]%"
                                                               << "#w#"
                                                               << "a = '%[x]%'"
                                                               << "WHERE a = '%[x]%'";
    QTest::newRow("literal text after the macro kept") << "%[AND #j#)]%"
                                                       << "#j#"
                                                       << "(a = b)"
                                                       << "AND (a = b))";

    // The first line of both dialect templates, filled as the generator fills it.
    const QString select = QStringLiteral("%[SELECT %[#distinct#]% #fields#]%");
    QTest::newRow("select: distinct empty leaves two blanks") << select << "#distinct#"
                                                              << ""
                                                              << "%[SELECT  #fields#]%";
    QTest::newRow("select: distinct filled") << select << "#distinct#"
                                             << "DISTINCT"
                                             << "%[SELECT DISTINCT #fields#]%";
    QTest::newRow("select: fields after empty distinct") << "%[SELECT  #fields#]%"
                                                         << "#fields#"
                                                         << "a, b"
                                                         << "SELECT  a, b";
    QTest::newRow("select: fields after distinct") << "%[SELECT DISTINCT #fields#]%"
                                                   << "#fields#"
                                                   << "a"
                                                   << "SELECT DISTINCT a";
    QTest::newRow("select: fields empty removes SELECT") << "%[SELECT  #fields#]%"
                                                         << "#fields#"
                                                         << ""
                                                         << "";

    QTest::newRow("surrounding blanks and line breaks stay")
        << "a \r\n%[WHERE #wherefilter#]% \r\nb"
        << "#wherefilter#"
        << ""
        << "a \r\n \r\nb";
    QTest::newRow("second occurrence stays (filled)") << "%[A #m#]% %[B #m#]%"
                                                      << "#m#"
                                                      << "1"
                                                      << "A 1 %[B #m#]%";
    QTest::newRow("second occurrence stays (emptied)") << "%[A #m#]% %[B #m#]%"
                                                       << "#m#"
                                                       << ""
                                                       << " %[B #m#]%";
    QTest::newRow("opening marker directly before the macro") << "x%[#m#]%y"
                                                              << "#m#"
                                                              << "v"
                                                              << "xvy";
    QTest::newRow("no opening marker: section starts at the macro (filled)") << "SELECT #f#]% tail"
                                                                             << "#f#"
                                                                             << "a"
                                                                             << "SELECT a tail";
    QTest::newRow("no opening marker: section starts at the macro (emptied)") << "SELECT #f#]% tail"
                                                                              << "#f#"
                                                                              << ""
                                                                              << "SELECT  tail";
    QTest::newRow("bracket without percent is not a marker") << "[#m#]%"
                                                             << "#m#"
                                                             << "v"
                                                             << "[v";
    QTest::newRow("nearest opening marker wins") << "%[A %[B #m#]% C]%"
                                                 << "#m#"
                                                 << ""
                                                 << "%[A  C]%";
    QTest::newRow("closing marker inside the macro text is not taken") << "%[X #a]%# Y]%"
                                                                       << "#a]%#"
                                                                       << "v"
                                                                       << "X v Y";

    // No "]%" anywhere after the macro: the section ends with the macro, the rest stays.
    QTest::newRow("no closing marker (emptied)") << "%[A #a#]% %[B #b# tail"
                                                 << "#b#"
                                                 << ""
                                                 << "%[A #a#]%  tail";
    QTest::newRow("no closing marker (filled)") << "%[A #a#]% %[B #b# tail"
                                                << "#b#"
                                                << "x"
                                                << "%[A #a#]% B x tail";
    QTest::newRow("no closing marker, macro at the very end") << "%[WHERE #w#"
                                                              << "#w#"
                                                              << ""
                                                              << "";
    QTest::newRow("no markers at all") << "#w#"
                                       << "#w#"
                                       << "v"
                                       << "v";
}

void tst_SqlTemplate::expand()
{
    QFETCH(QString, sql);
    QFETCH(QString, macro);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    ExpandSQL(sql, macro, value);
    QCOMPARE(sql, expected);
}

void tst_SqlTemplate::removeBlankLines_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("one line without break gets CR LF") << "SELECT 1"
                                                       << "SELECT 1\r\n";
    QTest::newRow("blank, empty and indented-blank lines dropped") << "a \r\n\r\n   \r\nb"
                                                                   << "a \r\nb\r\n";
    QTest::newRow("lone LF") << "a\nb"
                             << "a\r\nb\r\n";
    QTest::newRow("lone CR") << "a\rb"
                             << "a\r\nb\r\n";
    QTest::newRow("mixed breaks") << "a\r\n\rb\n\nc\r"
                                  << "a\r\nb\r\nc\r\n";
    QTest::newRow("tab line dropped") << "a\r\n\t\r\nb"
                                      << "a\r\nb\r\n";
    QTest::newRow("control characters line dropped")
        << QStringLiteral("a\n\x01\x1f \nb") << "a\r\nb\r\n";
    QTest::newRow("leading and trailing blanks kept") << "  a  \r\n"
                                                      << "  a  \r\n";
    QTest::newRow("no-break space is visible")
        << QStringLiteral("a\n\u00a0\n") << QStringLiteral("a\r\n\u00a0\r\n");
    QTest::newRow("trailing blank line dropped") << "a\r\n "
                                                 << "a\r\n";
    QTest::newRow("only breaks") << "\r\n\r\n\n"
                                 << "";
    QTest::newRow("tab inside a line kept") << "a\tb"
                                            << "a\tb\r\n";
}

void tst_SqlTemplate::removeBlankLines()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    RemoveBlankLines(sql);
    QCOMPARE(sql, expected);
}

// A dialect template filled macro by macro in the builder's order and cleaned, as the query
// builder produces its statements.
void tst_SqlTemplate::fillTemplate_data()
{
    QTest::addColumn<int>("subType");
    QTest::addColumn<QStringList>("values"); // one per macro, in MacroOrder
    QTest::addColumn<QString>("expected");

    QTest::newRow("worked example, stStandard")
        << int(stStandard)
        << QStringList { "", Example::Fields, Example::FromTables, Example::InnerJoinClause, "", "",
               "", Example::WhereFilter, Example::Groups, Example::HavingFilter, Example::Orders }
        << Example::JoinClause;
    QTest::newRow("worked example, stLocal")
        << int(stLocal)
        << QStringList { "", Example::Fields, Example::FromTables, Example::InnerJoinCondition, "",
               "", "", Example::WhereFilter, Example::Groups, Example::HavingFilter,
               Example::Orders }
        << Example::WhereClause;
    QTest::newRow("nothing selected gives nothing")
        << int(stStandard) << QStringList(11, QString()) << QString();
    QStringList tablesOnly(11, QString());
    tablesOnly[2] = Example::FromTables;
    QTest::newRow("tables but no columns: FROM line only")
        << int(stStandard) << tablesOnly << QStringLiteral("FROM customer, orders \r\n");
    QTest::newRow("distinct ticked")
        << int(stOracle) << QStringList { "DISTINCT", "a.x", "a", "", "", "", "", "", "", "", "" }
        << QStringLiteral("SELECT DISTINCT a.x \r\nFROM a \r\n");
    QTest::newRow("left outer join only, line right after the tables")
        << int(stStandard)
        << QStringList { "", "a.x", "a, b", "", "LEFT OUTER JOIN (a.id = b.a_id)", "", "", "(1=1)",
               "", "", "" }
        << QStringLiteral("SELECT  a.x \r\nFROM a, b \r\n"
                          "   LEFT OUTER JOIN (a.id = b.a_id) \r\nWHERE (1=1) \r\n");
    QTest::newRow("all four join lists, WHERE-clause dialect")
        << int(stMSSQL)
        << QStringList { "", "a.x", "a, b", "(a.i = b.i)", "(a.l *= b.l)", "(a.r =* b.r)",
               "(a.f *=* b.f)", "(1=1)", "", "", "" }
        << QStringLiteral("SELECT  a.x \r\nFROM a, b \r\nWHERE (1=1) \r\n"
                          "   AND (a.i = b.i) \r\n   AND (a.l *= b.l) \r\n"
                          "   AND (a.r =* b.r) \r\n   AND (a.f *=* b.f) \r\n");
}

void tst_SqlTemplate::fillTemplate()
{
    QFETCH(int, subType);
    QFETCH(QStringList, values);
    QFETCH(QString, expected);
    QCOMPARE(values.size(), int(std::size(MacroOrder)));

    QString sql = SQLTemplate(TSQLSubType(subType));
    for (int i = 0; i < values.size(); ++i)
        ExpandSQL(sql, QString::fromLatin1(MacroOrder[i]), values.at(i));
    RemoveBlankLines(sql);
    QCOMPARE(sql, expected);
    QVERIFY(!sql.contains(QLatin1String("%[")));
    QVERIFY(!sql.contains(QLatin1String("]%")));
    QVERIFY(!sql.contains(QLatin1Char('#')));
}

QTEST_APPLESS_MAIN(tst_SqlTemplate)
#include "tst_sqltemplate.moc"
