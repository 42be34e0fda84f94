// The full import, starting from SQL text: random SELECT statements written from SQL's grammar
// over the sample database (1-4 tables, every join kind, bracketed joins, comma lists, aliases,
// quoted and upper-case names, conditions with AND/OR, aggregates, grouping, having, sorting
// by column, number, alias and expression, DISTINCT, column aliases (some the names of
// columns), calculated columns (arithmetic with unary signs, CASE, functions, CAST, scalar
// subqueries, window functions, COUNT(DISTINCT)), LIMIT and OFFSET, compound statements of 2 to
// 4 blocks) and a share with constructs the builder cannot show (a CTE, a derived table, an
// INTERSECT after a UNION). Each goes
// through the builder form (extended grid); when nothing is left out, the regenerated statement
// must return the same rows as the original on SQLite and PostgreSQL, in the same order of the
// sort keys where the ORDER BY fixes it, under the same column names on PostgreSQL. What the
// builder cannot show must be named; a subquery in WHERE may be kept as text, so that those
// statements only have to keep their rows. This generator knows nothing of the builder's own.
// On MariaDB the same statements, their tables' names and aliases in their own case (MariaDB
// compares them case-sensitively), run in an ANSI_QUOTES session; a builder whose engine is
// there imports them, and what it writes (names in backticks) runs through that engine and must
// return the original's rows; a full outer join, which MariaDB lacks, that builder refuses.
// DIDUZA_IMPORTPROPERTY_SEED and _COUNT choose other statements, _MARIADB_EVERY how many of
// them go to MariaDB; _VERBOSE prints each one.

#include "../common/RandomStatements.h"
#include "../common/SampleConnections.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Application.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "relations/TSchemaRelation.h"
#include "sqlparser/SelectImport.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

using namespace Diduza;
using namespace DiduzaTest;

namespace {

const QString SqliteConnection = QStringLiteral("importproperty-sqlite");
const QString PostgresConnection = QStringLiteral("importproperty-pg");
const QString MariaDbConnection = QStringLiteral("importproperty-mariadb");
const QString MariaDbAnsiConnection = QStringLiteral("importproperty-mariadb-ansi");

QString valueText(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("<null>");
    bool number = false;
    const double d = value.toString().toDouble(&number);
    return number ? QString::number(d, 'g', 10) : value.toString();
}

using Rows = QVector<QStringList>;

// The rows of a statement, its columns' names in Names.
bool rowsOf(
    const QString &connection, const QString &sql, Rows &rows, QStringList &names, QString &error)
{
    QSqlQuery query(QSqlDatabase::database(connection));
    query.setForwardOnly(true);
    rows.clear();
    if (!query.exec(sql)) {
        error = query.lastError().text();
        return false;
    }
    const int columns = query.record().count();
    names.clear();
    for (int c = 0; c < columns; ++c)
        names << query.record().fieldName(c);
    while (query.next()) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << valueText(query.value(c));
        rows << row;
    }
    return true;
}

// The rows of a model the engine returned.
void modelRows(QAbstractItemModel &model, Rows &rows)
{
    while (model.canFetchMore(QModelIndex()))
        model.fetchMore(QModelIndex());
    rows.clear();
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model.columnCount(); ++c)
            row << valueText(model.index(r, c).data());
        rows << row;
    }
}

} // namespace

class tst_ImportProperty : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void randomStatements();

private:
    QTemporaryDir m_dir;
    bool m_hasPostgres = false;
    bool m_hasMariaDb = false;
};

void tst_ImportProperty::initTestCase()
{
    QString error;
    QVERIFY2(SampleConnections::OpenSqliteCopy(m_dir, SqliteConnection, error), qPrintable(error));
    QVERIFY2(SampleConnections::OpenConfiguredServers(PostgresConnection, MariaDbConnection,
                 MariaDbAnsiConnection, m_hasPostgres, m_hasMariaDb, error),
        qPrintable(error));
}

void tst_ImportProperty::cleanupTestCase()
{
    SampleConnections::CloseAll(
        { SqliteConnection, PostgresConnection, MariaDbConnection, MariaDbAnsiConnection });
}

void tst_ImportProperty::randomStatements()
{
    const int count = qEnvironmentVariableIntValue("DIDUZA_IMPORTPROPERTY_COUNT") > 0
        ? qEnvironmentVariableIntValue("DIDUZA_IMPORTPROPERTY_COUNT")
        : 2000;
    const quint32 seed = qEnvironmentVariableIsSet("DIDUZA_IMPORTPROPERTY_SEED")
        ? quint32(qEnvironmentVariableIntValue("DIDUZA_IMPORTPROPERTY_SEED"))
        : 20261214u;
    // MariaDB takes 1 statement in n, to keep the time.
    const int mariaDbEvery = qMax(1,
        qEnvironmentVariableIsSet("DIDUZA_IMPORTPROPERTY_MARIADB_EVERY")
            ? qEnvironmentVariableIntValue("DIDUZA_IMPORTPROPERTY_MARIADB_EVERY")
            : 8);
    qInfo("seed %u (DIDUZA_IMPORTPROPERTY_SEED), %d statements (DIDUZA_IMPORTPROPERTY_COUNT)", seed,
        count);
    if (m_hasMariaDb)
        qInfo("MariaDB: 1 statement in %d (DIDUZA_IMPORTPROPERTY_MARIADB_EVERY)", mariaDbEvery);
    else
        qInfo("no MariaDB server: run scripts/mariadb-start BUILD-DIR and load "
              "BUILD-DIR/mariadb.env to check the statements there too");
    const bool verbose = qEnvironmentVariableIsSet("DIDUZA_IMPORTPROPERTY_VERBOSE");
    QRandomGenerator random(seed);
    TSchemaSqlDataEngine engine;
    engine.SetConnectionName(SqliteConnection);
    // A builder on MariaDB imports the same statements and writes them MariaDB's way.
    TSchemaSqlDataEngine mariaDbEngine;
    mariaDbEngine.SetConnectionName(MariaDbConnection);
    QString raised;
    const TExceptionHandler previous
        = SetExceptionHandler([&raised](const Exception &e) { raised = e.Message(); });
    auto form = std::make_unique<TfrmZkSQLBuilder>();
    std::unique_ptr<TfrmZkSQLBuilder> mariaDbForm;
    QStringList databases { SqliteConnection };
    if (m_hasPostgres)
        databases << PostgresConnection;

    int plain = 0, plainImported = 0, unsupported = 0, unsupportedNamed = 0, subqueries = 0,
        subqueriesImported = 0, imported = 0, checks = 0, orderChecks = 0;
    int mariaDbImported = 0, mariaDbChecks = 0, mariaDbOrderChecks = 0, mariaDbRefused = 0;
    qint64 mariaDbTime = 0;
    QMap<QString, int> originalFailed; // by database
    std::map<QString, int> plainReasons;
    QStringList mismatches, unnamed;
    QElapsedTimer clock;
    clock.start();

    // Compares the rows of an original and of its regeneration on one database.
    auto compare = [&](const QString &where, const QString &dbName, const Statement &st,
                       const Rows &original, const Rows &rebuilt, int &orders) {
        // The sort keys' values in row order, where the ORDER BY fixes them.
        if (!st.orderKeys.isEmpty()) {
            auto keys = [&](const Rows &rows) {
                QStringList out;
                for (const QStringList &row : rows) {
                    QString k;
                    for (const int p : st.orderKeys)
                        k += row.value(p) + '|';
                    out << k;
                }
                return out;
            };
            ++orders;
            const QStringList a = keys(original), b = keys(rebuilt);
            if (a != b) {
                int at = 0;
                while (at < a.size() && at < b.size() && a.at(at) == b.at(at))
                    ++at;
                mismatches << QStringLiteral("%1\n%2: the sort keys differ at row %3: %4 / %5")
                                  .arg(where, dbName)
                                  .arg(at)
                                  .arg(a.value(at), b.value(at));
            }
        }
        if (st.limited) {
            // Which rows a limit keeps is fixed only by the sort keys compared above.
            if (original.size() != rebuilt.size())
                mismatches << QStringLiteral("%1\n%2: %3 rows, regenerated %4")
                                  .arg(where, dbName)
                                  .arg(original.size())
                                  .arg(rebuilt.size());
            return;
        }
        QStringList a, b;
        for (const QStringList &row : original)
            a << row.join('|');
        for (const QStringList &row : rebuilt)
            b << row.join('|');
        a.sort();
        b.sort();
        if (a != b) {
            int at = 0;
            while (at < a.size() && at < b.size() && a.at(at) == b.at(at))
                ++at;
            mismatches << QStringLiteral("%1\n%2: %3 rows, regenerated %4; first different: "
                                         "%5 / %6")
                              .arg(where, dbName)
                              .arg(a.size())
                              .arg(b.size())
                              .arg(a.value(at), b.value(at));
        }
    };

    for (int i = 0; i < count; ++i) {
        // The statement once more with the tables' names and aliases in their own case, for
        // MariaDB; the same random numbers.
        QRandomGenerator ownCaseRandom = random;
        const Statement st = Generator(random).next();
        if (verbose)
            fprintf(stderr, "%d: %s\n", i, qPrintable(st.sql));
        const qint64 started = clock.elapsed();
        const auto slow = qScopeGuard([&] {
            if (clock.elapsed() - started > 2000)
                qWarning("slow (%lld ms): %s", clock.elapsed() - started, qPrintable(st.sql));
        });
        if (i % 200 == 0) {
            // A fresh form now and then keeps the grid's bookkeeping from growing.
            form = std::make_unique<TfrmZkSQLBuilder>();
            form->SetDataEngine(&engine);
            form->SetExtendedGrid(true);
        } else {
            form->btnNewClick(nullptr);
        }
        raised.clear();
        const QStringList leftOut = form->ImportQuery(ImportSelect(st.sql));
        QString again;
        try {
            again = form->GenerateSQL();
        } catch (const Exception &e) {
            raised = e.Message();
        }
        const QString where = QStringLiteral("statement %1 (seed %2):\n  %3\nregenerated:\n  %4")
                                  .arg(i)
                                  .arg(seed)
                                  .arg(st.sql, QString(again).replace("\r\n", "\n  "));
        switch (st.kind) {
        case Statement::Plain:
            ++plain;
            plainImported += leftOut.isEmpty();
            for (const QString &note : leftOut)
                ++plainReasons[note.left(48)];
            break;
        case Statement::Unsupported:
            ++unsupported;
            unsupportedNamed += !leftOut.isEmpty();
            if (leftOut.isEmpty())
                unnamed << QStringLiteral("%1 not named in %2").arg(st.construct, where);
            break;
        case Statement::Subquery:
            ++subqueries;
            subqueriesImported += leftOut.isEmpty();
            break;
        }
        if (verbose && !leftOut.isEmpty())
            fprintf(stderr, "  left out: %s\n", qPrintable(leftOut.join("; ")));
        if (!leftOut.isEmpty())
            continue;
        ++imported;
        if (!raised.isEmpty()) {
            mismatches << where + "\nraised: " + raised;
            continue;
        }
        for (const QString &db : databases) {
            const QString dbName = db == SqliteConnection ? "SQLite" : "PostgreSQL";
            Rows original, rebuilt;
            QStringList names, rebuiltNames;
            QString error;
            if (!rowsOf(db, st.sql, original, names, error)) {
                if (verbose)
                    fprintf(stderr, "  fails on %s: %s\n", qPrintable(dbName), qPrintable(error));
                ++originalFailed[dbName];
                continue;
            }
            ++checks;
            if (!rowsOf(db, again, rebuilt, rebuiltNames, error)) {
                mismatches << QStringLiteral("%1\n%2 fails on the regenerated: %3")
                                  .arg(where, dbName, error);
                continue;
            }
            // PostgreSQL names a column by its alias, field or function alone, whatever the
            // qualifiers; SQLite by the text as written.
            if (db == PostgresConnection && names != rebuiltNames)
                mismatches << QStringLiteral("%1\n%2: the columns are named %3, regenerated %4")
                                  .arg(where, dbName, names.join(", "), rebuiltNames.join(", "));
            compare(where, dbName, st, original, rebuilt, orderChecks);
        }
        if (!m_hasMariaDb || i % mariaDbEvery != 0)
            continue;

        // MariaDB: the statement with its tables named in their own case runs in standard
        // SQL's quoting (ANSI_QUOTES); the builder there imports it, and the statement it
        // writes (backticks, in the server's own mode) runs through its engine.
        QElapsedTimer part;
        part.start();
        const auto spent = qScopeGuard([&] { mariaDbTime += part.elapsed(); });
        if (!mariaDbForm || i % 200 == 0) {
            mariaDbForm = std::make_unique<TfrmZkSQLBuilder>();
            mariaDbForm->SetDataEngine(&mariaDbEngine);
            mariaDbForm->SetExtendedGrid(true);
        } else {
            mariaDbForm->btnNewClick(nullptr);
        }
        ++mariaDbImported;
        const QString ownCase = Generator(ownCaseRandom, true).next().sql;
        if (ownCase.compare(st.sql, Qt::CaseInsensitive) != 0) {
            mismatches << where + "\nin the tables' own case:\n  " + ownCase;
            continue;
        }
        const QStringList mariaDbLeftOut = mariaDbForm->ImportQuery(ImportSelect(ownCase));
        if (!mariaDbLeftOut.isEmpty() || !raised.isEmpty()) {
            mismatches << where + "\nMariaDB's builder left out: " + mariaDbLeftOut.join("; ")
                    + raised;
            continue;
        }
        QString mariaDbSql, refusal;
        try {
            mariaDbSql = mariaDbForm->GenerateSQL();
        } catch (const Exception &e) {
            refusal = e.Message();
        }
        const QString mariaDbWhere
            = where + "\nMariaDB's builder:\n  " + QString(mariaDbSql).replace("\r\n", "\n  ");
        QStringList fullJoins;
        TSchemaDesignArea *area = mariaDbForm->SchemaDesignArea;
        for (int r = 0; r < area->GetRelationCount(); ++r) {
            TSchemaRelation *rel = area->GetRelation(r);
            if (rel->JoinType() == rjFull)
                fullJoins << QStringLiteral("%1.%2 = %3.%4")
                                 .arg(rel->ParentItem()->Caption(), rel->ParentSubItem()->Caption(),
                                     rel->ChildItem()->Caption(), rel->ChildSubItem()->Caption());
        }
        if (!fullJoins.isEmpty()) {
            // MariaDB has no full outer join: the builder says which relation it cannot write.
            if (!std::any_of(fullJoins.begin(), fullJoins.end(),
                    [&](const QString &join) { return refusal.contains(join); }))
                mismatches << QStringLiteral("%1\nMariaDB's builder did not refuse the full "
                                             "join %2: %3")
                                  .arg(mariaDbWhere, fullJoins.join(", "), refusal);
            ++mariaDbRefused;
            continue;
        }
        if (!refusal.isEmpty()) {
            mismatches << mariaDbWhere + "\nMariaDB's builder refused: " + refusal;
            continue;
        }
        if (st.sql.contains(QLatin1String("FULL "))) {
            mismatches << mariaDbWhere + "\nthe full join was imported as another kind";
            continue;
        }
        Rows original, rebuilt;
        QStringList names;
        QString error;
        if (!rowsOf(MariaDbAnsiConnection, ownCase, original, names, error)) {
            if (verbose)
                fprintf(stderr, "  fails on MariaDB: %s\n", qPrintable(error));
            ++originalFailed["MariaDB"];
            continue;
        }
        ++mariaDbChecks;
        try {
            const std::unique_ptr<QAbstractItemModel> model(mariaDbEngine.ExecSQL(mariaDbSql));
            modelRows(*model, rebuilt);
        } catch (const Exception &e) {
            mismatches << mariaDbWhere + "\nMariaDB fails on the regenerated: " + e.Message();
            continue;
        }
        compare(mariaDbWhere, "MariaDB", st, original, rebuilt, mariaDbOrderChecks);
    }
    SetExceptionHandler(previous);
    std::vector<std::pair<int, QString>> reasons;
    for (const auto &[text, n] : plainReasons)
        reasons.emplace_back(n, text);
    std::sort(reasons.rbegin(), reasons.rend());
    for (size_t k = 0; k < reasons.size() && k < 8; ++k)
        qInfo("left out of plain statements %4d x  %s", reasons[k].first,
            qPrintable(reasons[k].second));
    for (const QString &m : mismatches.mid(0, 40))
        qWarning("MISMATCH %s", qPrintable(m));
    for (const QString &u : unnamed.mid(0, 20))
        qWarning("UNNAMED %s", qPrintable(u));
    const double share = plain ? 100.0 * plainImported / plain : 0;
    qInfo("import property: %d statements in %.0f s, %d imported with nothing left out; plain "
          "%d/%d (%.1f %%); unsupported named %d/%d; subqueries in WHERE imported %d/%d; %d row "
          "checks (%d of the order) on %s, originals failing: SQLite %d, PostgreSQL %d; %d "
          "mismatches",
        count, clock.elapsed() / 1000.0, imported, plainImported, plain, share, unsupportedNamed,
        unsupported, subqueriesImported, subqueries, checks, orderChecks,
        m_hasPostgres ? "SQLite and PostgreSQL" : "SQLite", originalFailed.value("SQLite"),
        originalFailed.value("PostgreSQL"), int(mismatches.size()));
    if (m_hasMariaDb)
        qInfo("import property on MariaDB: %d imported statements taken, %d with a full join "
              "refused by its builder, %d row checks (%d of the order), originals failing %d, "
              "in %.0f s",
            mariaDbImported, mariaDbRefused, mariaDbChecks, mariaDbOrderChecks,
            originalFailed.value("MariaDB"), mariaDbTime / 1000.0);
    QVERIFY2(mismatches.isEmpty(), "statements imported with nothing left out changed their rows");
    QVERIFY2(unnamed.isEmpty(), "constructs the builder cannot show were not named");
    QVERIFY2(share >= 90.0, "fewer than nine in ten plain statements imported");
    // The generator itself: statements the databases refuse check nothing.
    for (const QString &db : originalFailed.keys()) {
        const int of = db == QLatin1String("MariaDB") ? mariaDbImported - mariaDbRefused : imported;
        QVERIFY2(originalFailed.value(db) * 50 <= of,
            qPrintable(
                QStringLiteral("more than 2 %% of the statements do not run as written on %1")
                    .arg(db)));
    }
}

QTEST_MAIN(tst_ImportProperty)
#include "tst_importproperty.moc"
