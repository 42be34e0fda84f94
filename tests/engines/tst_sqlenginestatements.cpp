// What the SQL engine runs of a text: rejected statements, several statements refused, one
// statement as each database reads it, SQLite's driver text, hostile texts in every session
// and texts without a statement.
#include "../common/SampleConnections.h"
#include "../common/WorkedExample.h"
#include "SqlEngineFixture.h"
#include "diagram/TSchemaItem.h"
#include "engines/SqlDialect.h"
#include "engines/TSchemaQueryRun.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Exceptions.h"
#include "querybuilder/QueryGenerator.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using namespace Diduza;
using namespace SqlEngineTest;
namespace Example = DiduzaTest::WorkedExample;

class tst_SqlEngineStatements : public SqlEngineFixture {
    Q_OBJECT
private slots:
    void rejectedStatements_data();
    void rejectedStatements();
    void severalStatementsRefused_data();
    void severalStatementsRefused();
    void oneStatementAsTheDatabaseReadsIt_data();
    void oneStatementAsTheDatabaseReadsIt();
    void sqliteNotAnErrorGivesDriverText();
    void hostileTextsInEverySession_data();
    void hostileTextsInEverySession();
    void emptyTextsRunNothing_data();
    void emptyTextsRunNothing();
};

void tst_SqlEngineStatements::rejectedStatements_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("mentions");
    for (const char *backend : { "sqlite", "postgresql", "mariadb" }) {
        const QString b = QString::fromLatin1(backend);
        // No database accepts a JOIN keyword followed by a bare condition.
        QTest::addRow("%s: JOIN-clause dialect statement", backend)
            << b << Example::JoinClause
            << (b == QLatin1String("mariadb") ? "SQL syntax" : "syntax error");
        QTest::addRow("%s: unknown column", backend) << b << "SELECT nosuch_field FROM customer"
                                                     << "nosuch_field";
        QTest::addRow("%s: unknown table", backend) << b << "SELECT * FROM nosuch_table"
                                                    << "nosuch_table";
    }
}

void tst_SqlEngineStatements::rejectedStatements()
{
    QFETCH(QString, backend);
    QFETCH(QString, sql);
    QFETCH(QString, mentions);
    TSchemaSqlDataEngine engine;
    USE_BACKEND(backend, engine);

    QSqlQuery direct(engine.Database());
    QVERIFY(!direct.exec(sql));
    const QString databaseText = direct.lastError().databaseText().trimmed();
    QVERIFY(!databaseText.isEmpty());
    try {
        std::unique_ptr<QAbstractItemModel> model(engine.ExecSQL(sql));
        QFAIL("ExecSQL returned a data set for a statement the database rejects");
    } catch (const Exception &e) {
        QCOMPARE(e.Message(), databaseText);
        QVERIFY2(e.Message().contains(mentions), qPrintable(e.Message()));
    }
}

void tst_SqlEngineStatements::severalStatementsRefused_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("outcome");
    const char *create = "CREATE TABLE diduza_ran (x INTEGER)";
    for (const char *backend : { "sqlite", "postgresql", "mariadb" }) {
        const QString b = QString::fromLatin1(backend);
        const bool pg = b == QLatin1String("postgresql");
        const bool maria = b == QLatin1String("mariadb");
        QTest::addRow("%s: two statements", backend)
            << b << QString() << QStringLiteral("SELECT 1; %1").arg(create) << int(Several);
        // PostgreSQL reads an E'' string and a nested comment where standard SQL does not;
        // SQLite reads one statement in each (E is a column it lacks, the rest an alias).
        // MariaDB reads backslash escapes in every string and never nests comments.
        QTest::addRow("%s: after an escaped quote", backend)
            << b << QString() << QStringLiteral("SELECT E'\\''; %1; --'").arg(create)
            << int(pg || maria ? Several : Rejected);
        QTest::addRow("%s: after a nested comment", backend)
            << b << QString() << QStringLiteral("SELECT 1 /* /* */ ' */; %1; --'").arg(create)
            << int(pg ? Several : Runs);
        QTest::addRow("%s: one, with a trailing ;", backend) << b << QString() << "SELECT 1 ;\r\n"
                                                             << int(Runs);
        QTest::addRow("%s: one, with a trailing comment", backend)
            << b << QString() << "SELECT ';' ; -- done" << int(Runs);
    }
}

// A text of several statements is refused before any of them runs.
void tst_SqlEngineStatements::severalStatementsRefused()
{
    QFETCH(QString, backend);
    QFETCH(QString, setup);
    QFETCH(QString, sql);
    QFETCH(int, outcome);
    TSchemaSqlDataEngine engine;
    USE_BACKEND(backend, engine);
    QSqlDatabase db = engine.Database();
    QVERIFY(db.transaction());
    auto rollback = qScopeGuard([&] { db.rollback(); });
    QSqlQuery query(db);
    if (!setup.isEmpty())
        QVERIFY2(query.exec(setup), qPrintable(query.lastError().text()));
    const QString customers = QStringLiteral("SELECT COUNT(*) FROM customer");
    const int before = scalar(db, customers).toInt();
    try {
        std::unique_ptr<QAbstractItemModel> model(engine.ExecSQL(sql));
        QVERIFY2(outcome == Runs, "ran");
        QCOMPARE(model->rowCount(), 1);
    } catch (const Exception &e) {
        QVERIFY2(outcome != Runs, qPrintable(e.Message()));
        QVERIFY2(e.Message().contains("more than one SQL statement") == (outcome == Several),
            qPrintable(e.Message()));
    }
    QCOMPARE(scalar(db, customers).toInt(), before);
    // MariaDB's session mode is no part of the transaction.
    if (backend == QLatin1String("mariadb"))
        QSqlQuery(db).exec(QStringLiteral("SET SESSION sql_mode = DEFAULT"));
    TStringList tables;
    engine.FillItemList(tables);
    QCOMPARE(tables.ToStringList(), SampleTables);
}

// Each database's own reading decides what one statement is: texts that look like two to
// standard SQL run when the database reads one, attacks that hide a second statement from
// standard SQL are refused, and a NUL character, which ends the text for both drivers, is
// refused.
void tst_SqlEngineStatements::oneStatementAsTheDatabaseReadsIt_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("outcome");
    const QString create = QStringLiteral("CREATE TABLE diduza_ran (x INTEGER)");
    for (const char *backend : { "sqlite", "postgresql", "mariadb" }) {
        const QString b = QString::fromLatin1(backend);
        const bool pg = b == QLatin1String("postgresql");
        const bool maria = b == QLatin1String("mariadb");
        auto row = [&](const char *label, const QString &sql, Outcome outcome) {
            QTest::addRow("%s: %s", backend, label) << b << QString() << sql << int(outcome);
        };
        // Cut at the NUL, the statement would give one row.
        row("NUL ends the text",
            QStringLiteral("SELECT COUNT(*) FROM customer WHERE id = 1") + QChar(0)
                + QStringLiteral(" AND id = 2"),
            Rejected);
        row("NUL before a second statement", QStringLiteral("SELECT 1;") + QChar(0) + create,
            Rejected);
        // "--" without a blank after it is no comment on MariaDB: "--done" follows the ";".
        row("trailing line comment", "SELECT 1; --done", maria ? Several : Runs);
        row("backslash and ; in a string", "SELECT 'C:\\dir;x'", Runs);
        row("comment ended by a lone CR", "SELECT 1 -- a;b\r", Runs);
        row("comment ended by a lone CR, then a statement",
            QStringLiteral("SELECT 1 -- a\r; ") + create, pg ? Several : Runs);
        auto session = [&](const char *label, const char *mode, const QString &sql, Outcome o) {
            QTest::addRow("%s: %s", backend, label)
                << b
                << QStringLiteral("SET SESSION sql_mode = CONCAT(@@sql_mode, ',%1')")
                       .arg(QLatin1String(mode))
                << sql << int(o);
        };
        row("empty statements after one", "SELECT 1;; ;", Runs);
        row("a statement after an empty one", QStringLiteral("SELECT 1;; ") + create, Several);
        row("a statement after a block comment", QStringLiteral("SELECT 1; /* x */ ") + create,
            Several);
        if (pg) {
            row("dollar quotes", "SELECT $$;$$", Runs);
            row("tagged dollar quotes", "SELECT $tag$;$tag$", Runs);
            row("E string with an escaped quote", "SELECT E'\\';'", Runs);
            row("nested comments", "SELECT 1 /* a /* ; */ ; */", Runs);
            row("standard string ending in a backslash",
                QStringLiteral("SELECT 'x\\'';%1;--'").arg(create), Runs);
            row("a statement after dollar quotes", QStringLiteral("SELECT $$a$$; ") + create,
                Several);
            row("a statement after a name with ; in it",
                QStringLiteral("SELECT 1 AS \"a;b\"; ") + create, Several);
            // A session that reads backslashes as escapes sees two statements here.
            QTest::addRow("%s: backslash escapes in the session", backend)
                << b << QStringLiteral("SET LOCAL standard_conforming_strings = off")
                << QStringLiteral("SELECT 'x\\'';%1;--'").arg(create) << int(Several);
        } else if (maria) {
            row("# comment", "SELECT 1 # a;b", Runs);
            row("a statement after a # comment", QStringLiteral("SELECT 1 # a\n; ") + create,
                Several);
            row("--x is no comment", QStringLiteral("SELECT 1 --x; ") + create, Several);
            row("back-quoted name", "SELECT 1 AS `x;y`", Runs);
            row("a statement after a back-quoted name",
                QStringLiteral("SELECT 1 AS `a;b`; ") + create, Several);
            row("double-quoted string", "SELECT \"a;b\"", Runs);
            row("executable comment", "SELECT 1 /*!50000 + 1 */", Runs);
            row("a statement in an executable comment",
                QStringLiteral("SELECT 1 /*! ; %1 */").arg(create), Several);
            row("backslash before a quote", QStringLiteral("SELECT 'x\\';%1;--'").arg(create),
                Runs);
            session("backslash without escapes", "NO_BACKSLASH_ESCAPES",
                QStringLiteral("SELECT 'x\\';%1;--'").arg(create), Several);
            session("backslash in a name under ANSI_QUOTES", "ANSI_QUOTES",
                QStringLiteral("SELECT 1 AS \"x\\\";%1;--\"").arg(create), Several);
        } else {
            row("bracketed name", "SELECT 1 AS [x;y]", Runs);
            row("back-quoted name", "SELECT 1 AS `x;y`", Runs);
            row("a statement after a bracketed name",
                QStringLiteral("SELECT 1 AS [a;b]; ") + create, Several);
            row("backslash before a quote", QStringLiteral("SELECT 'x\\';%1;--'").arg(create),
                Several);
        }
    }
}

void tst_SqlEngineStatements::oneStatementAsTheDatabaseReadsIt()
{
    severalStatementsRefused();
}

// SQLite's own text for a failure its Qt driver found is "not an error": the driver's is shown.
void tst_SqlEngineStatements::sqliteNotAnErrorGivesDriverText()
{
    QSqlQuery query(QSqlDatabase::database(SqliteConnection, false));
    QVERIFY(!query.exec(QStringLiteral("SELECT 1; SELECT 2")));
    const QString text = SqlErrorText(query.lastError());
    QCOMPARE(text, query.lastError().driverText());
    QVERIFY2(!text.isEmpty() && !text.contains("not an error"), qPrintable(text));
    QCOMPARE(SqlErrorText(QSqlError("driver", "no such table: x")), QString("no such table: x"));
}

// Texts that hide a second statement from a reading that is not the server's, in every
// session mode and client character set named: on MariaDB "*/" outside an executable comment,
// versioned comments the server skips, backslashes under NO_BACKSLASH_ESCAPES and ANSI_QUOTES,
// a multi-byte character set that ends a character in a backslash. ExecSQL and the query
// tool's run give the same outcome, and the canary table never comes to be. The texts that are
// one statement run, and give what the server computes.
void tst_SqlEngineStatements::hostileTextsInEverySession_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QVariant>("value");
    const QString x = QString::fromLatin1(Canary);
    struct Text {
        const char *label;
        QString sql;
        QList<int> outcomes; // in the modes below
        QVariant value;
    };
    const QList<int> several { Several, Several, Several, Several };
    const QList<int> runs { Runs, Runs, Runs, Runs };
    const QList<Text> texts = {
        { "*/ outside an executable comment", QStringLiteral("SELECT 2*/*'*/3; %1; -- '").arg(x),
            several, {} },
        { "*/ outside, # for the quote", QStringLiteral("SELECT 2*/*#*/3; %1; #").arg(x), several,
            {} },
        { "*/ outside, alone", QStringLiteral("SELECT 2*/*'*/3"), runs, 6 },
        { "skipped version, quote", QStringLiteral("SELECT 1 /*!99999 ' */; %1; -- '").arg(x),
            several, {} },
        { "skipped MariaDB version, quote",
            QStringLiteral("SELECT 1 /*M!999999 ' */; %1; -- '").arg(x), several, {} },
        { "skipped version, #", QStringLiteral("SELECT 1 /*!99999 # */; %1;").arg(x), several, {} },
        { "skipped version, --", QStringLiteral("SELECT 1 /*!99999 -- */; %1;").arg(x), several,
            {} },
        { "skipped version, back quote", QStringLiteral("SELECT 1 /*!99999 ` */; %1; -- `").arg(x),
            several, {} },
        { "skipped MariaDB version, double quote",
            QStringLiteral("SELECT 1 /*M!999999 \" */; %1; -- \"").arg(x), several, {} },
        { "skipped version, alone", QStringLiteral("SELECT 1 /*!99999 + 1 */"), runs, 1 },
        { "backslash before a quote", QStringLiteral("SELECT 'a\\'';%1;-- '").arg(x),
            { Several, Runs, Several, Runs }, {} },
        { "backslash before a double quote", QStringLiteral("SELECT \"a\\\"\";%1;-- \"").arg(x),
            { Several, Runs, Rejected, Rejected }, {} },
        { "backslash after a multi-byte character",
            QStringLiteral("SELECT '\u4e2d\\'; %1; -- '").arg(x), { Runs, Several, Runs, Several },
            {} },
    };
    const char *modes[]
        = { "", "NO_BACKSLASH_ESCAPES", "ANSI_QUOTES", "NO_BACKSLASH_ESCAPES,ANSI_QUOTES" };
    for (const char *charset : { "utf8mb4", "gbk", "big5", "sjis", "cp932" }) {
        for (int m = 0; m < 4; ++m) {
            const QStringList setup { QStringLiteral("SET NAMES %1").arg(QLatin1String(charset)),
                QStringLiteral("SET SESSION sql_mode = '%1'").arg(QLatin1String(modes[m])) };
            const bool utf8 = qstrcmp(charset, "utf8mb4") == 0;
            for (const Text &text : texts) {
                QTest::addRow("mariadb %s %s: %s", charset, m ? modes[m] : "default", text.label)
                    << "mariadb" << setup << text.sql
                    << (utf8 ? text.outcomes.at(m) : int(Rejected))
                    << (utf8 ? text.value : QVariant());
            }
        }
    }
    // "*/" hides nothing from SQLite's and PostgreSQL's readers.
    for (const char *backend : { "sqlite", "postgresql" }) {
        QTest::addRow("%s: */ outside a comment", backend)
            << backend << QStringList() << QStringLiteral("SELECT 2*/*'*/3") << int(Runs)
            << QVariant(6);
        QTest::addRow("%s: */ before a second statement", backend)
            << backend << QStringList() << QStringLiteral("SELECT 2*/*'*/3; %1; -- '").arg(x)
            << int(Several) << QVariant();
    }
}

void tst_SqlEngineStatements::hostileTextsInEverySession()
{
    QFETCH(QString, backend);
    QFETCH(QStringList, setup);
    QFETCH(QString, sql);
    QFETCH(int, outcome);
    QFETCH(QVariant, value);
    TSchemaSqlDataEngine engine;
    USE_BACKEND(backend, engine);
    QSqlDatabase db = engine.Database();
    auto reset = qScopeGuard([&] {
        if (backend == QLatin1String("mariadb")) {
            QSqlQuery(db).exec(QStringLiteral("SET NAMES utf8mb4"));
            QSqlQuery(db).exec(QStringLiteral("SET SESSION sql_mode = DEFAULT"));
        }
    });
    for (const QString &statement : setup) {
        QSqlQuery query(db);
        QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
    }
    const Done exec = throughExecSQL(engine, sql);
    QVERIFY2(!canaryRan(backend, db), "ExecSQL ran the second statement");
    const Done run = throughStartSQL(engine, sql);
    QVERIFY2(!canaryRan(backend, db), "the run ran the second statement");
    QVERIFY2(exec.outcome == outcome, qPrintable(exec.message));
    QVERIFY2(run.outcome == outcome, qPrintable(run.message));
    if (outcome == Rejected && backend == QLatin1String("mariadb")
        && !setup.first().endsWith("utf8mb4"))
        QVERIFY2(exec.message.contains("character set") && run.message.contains("character set"),
            qPrintable(exec.message + " / " + run.message));
    if (outcome == Runs) {
        QCOMPARE(run.first.toString(), exec.first.toString());
        if (value.isValid())
            QCOMPARE(exec.first.toString(), value.toString());
    }
}

void tst_SqlEngineStatements::emptyTextsRunNothing_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("sql");
    for (const char *backend : { "sqlite", "postgresql", "mariadb" }) {
        for (const char *sql : { "", "  \n", "-- nothing", "/* nothing */ ;", ";" })
            QTest::addRow("%s: \"%s\"", backend, sql) << backend << sql;
    }
}

// A text without a statement runs nothing and gives a data set without columns and rows,
// which a view never asks for more; the query tool then needs no run.
void tst_SqlEngineStatements::emptyTextsRunNothing()
{
    QFETCH(QString, backend);
    QFETCH(QString, sql);
    TSchemaSqlDataEngine engine;
    USE_BACKEND(backend, engine);
    std::unique_ptr<QAbstractItemModel> model;
    try {
        model.reset(engine.ExecSQL(sql));
    } catch (const Exception &e) {
        QFAIL(qPrintable(e.Message()));
    }
    QVERIFY(model);
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(model->columnCount(), 0);
    QVERIFY(!model->canFetchMore(QModelIndex()));
    std::unique_ptr<TSchemaQueryRun> run(engine.StartSQL(sql));
    QVERIFY(!run);
    // A statement without a result set ends too.
    model.reset(engine.ExecSQL(QStringLiteral("UPDATE customer SET name = name WHERE id < 0")));
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(!model->canFetchMore(QModelIndex()));
}

QTEST_MAIN(tst_SqlEngineStatements)
#include "tst_sqlenginestatements.moc"
