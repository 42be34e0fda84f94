// Every path a user has through the builder keeps the statement. Random statements (written
// from SQL's grammar, tests/common/RandomStatements.h) open in the dialog with the full import
// and go one path each: OK at once; the SQL page, then OK; Apply to diagram, then OK; Generate,
// OK, and reopening on what came back; a change of dialect, then OK. Where the user changed
// nothing, the statement comes back exactly as it went in; where the builder wrote it anew and
// nothing was named (the import's notes and the SQL page's), it returns the input's rows on
// SQLite and PostgreSQL, and for a share on MariaDB through a builder there. A statement
// written in a dialect no database here runs (the standard one's join lines, Oracle's and MS
// SQL's marks) is read back by a builder of the join-tree dialect and run as it writes it.
// DIDUZA_USERPATHS_COUNT and _SEED choose other statements.

#include "../common/RandomStatements.h"
#include "../common/SampleConnections.h"
#include "../common/TestSupport.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "sqlparser/SelectImport.h"

#include <QComboBox>
#include <QToolButton>
#include <QLabel>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Diduza;
using namespace DiduzaTest;

namespace {

const QString SqliteConnection = QStringLiteral("userpaths-sqlite");
const QString PostgresConnection = QStringLiteral("userpaths-pg");
const QString MariaDbConnection = QStringLiteral("userpaths-mariadb");
const QString MariaDbAnsiConnection = QStringLiteral("userpaths-mariadb-ansi");

QString valueText(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("<null>");
    bool number = false;
    const double d = value.toString().toDouble(&number);
    return number ? QString::number(d, 'g', 8) : value.toString();
}

// The rows of a statement, sorted; false with the database's error when it fails.
bool rowsOf(const QString &connection, const QString &sql, QStringList &rows, QString &error)
{
    QSqlQuery query(QSqlDatabase::database(connection));
    query.setForwardOnly(true);
    rows.clear();
    if (!query.exec(sql)) {
        error = query.lastError().text();
        return false;
    }
    const int columns = query.record().count();
    while (query.next()) {
        QString row;
        for (int c = 0; c < columns; ++c)
            row += valueText(query.value(c)) + QLatin1Char('|');
        rows << row;
    }
    rows.sort();
    return true;
}

enum Path { OkAtOnce, SqlPage, Apply, GenerateAndReopen, DialectChange, PathCount };
const char *const PathNames[]
    = { "OK at once", "SQL page, OK", "Apply, OK", "Generate, OK, reopen", "dialect, OK" };

} // namespace

class tst_UserPaths : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyPathKeepsTheStatement();

private:
    QTemporaryDir m_dir;
    bool m_hasPostgres = false;
    bool m_hasMariaDb = false;
};

void tst_UserPaths::initTestCase()
{
    QString error;
    QVERIFY2(SampleConnections::OpenSqliteCopy(m_dir, SqliteConnection, error), qPrintable(error));
    QVERIFY2(SampleConnections::OpenConfiguredServers(PostgresConnection, MariaDbConnection,
                 MariaDbAnsiConnection, m_hasPostgres, m_hasMariaDb, error),
        qPrintable(error));
}

void tst_UserPaths::cleanupTestCase()
{
    SampleConnections::CloseAll(
        { SqliteConnection, PostgresConnection, MariaDbConnection, MariaDbAnsiConnection });
}

void tst_UserPaths::everyPathKeepsTheStatement()
{
    const int count = qEnvironmentVariableIntValue("DIDUZA_USERPATHS_COUNT") > 0
        ? qEnvironmentVariableIntValue("DIDUZA_USERPATHS_COUNT")
        : 1000;
    const quint32 seed = qEnvironmentVariableIsSet("DIDUZA_USERPATHS_SEED")
        ? quint32(qEnvironmentVariableIntValue("DIDUZA_USERPATHS_SEED"))
        : 20261209u;
    qInfo("seed %u (DIDUZA_USERPATHS_SEED), %d statements (DIDUZA_USERPATHS_COUNT)", seed, count);
    QRandomGenerator random(seed);
    FakeDialogService dialogs;
    dialogs.confirmAnswer = true;
    TSchemaSqlDataEngine engine;
    engine.SetConnectionName(SqliteConnection);
    TSchemaSqlDataEngine mariaDbEngine;
    mariaDbEngine.SetConnectionName(MariaDbConnection);
    // Reads a dialect's statement back where no database runs that dialect.
    TfrmZkSQLBuilder reader;
    TSchemaSqlDataEngine readerEngine;
    readerEngine.SetConnectionName(SqliteConnection);
    reader.SetDataEngine(&readerEngine);
    reader.SetExtendedGrid(true);

    QStringList failures;
    int runs[PathCount] = {}, checked[PathCount] = {}, named = 0, mariaDbRuns = 0;
    auto fail = [&](const QString &what) {
        if (failures.size() < 30)
            failures << what;
    };
    // The rows of input and of output agree on every database; what the output cannot be run as
    // is read back in the join-tree dialect first.
    auto sameRows = [&](const QString &where, const QString &input, QString output,
                        TSQLSubType dialect, bool limited) {
        if (dialect != stAnsi && dialect != stLocal) {
            reader.btnNewClick(nullptr);
            readerEngine.SetSQLSubType(dialect);
            const QStringList leftOut = reader.ImportQuery(ImportSelect(output));
            readerEngine.SetSQLSubType(stAnsi);
            if (!leftOut.isEmpty()) {
                fail(where + "\nits own statement read back left out: " + leftOut.join("; "));
                return;
            }
            output = reader.GenerateSQL();
        }
        QStringList databases { SqliteConnection };
        if (m_hasPostgres)
            databases << PostgresConnection;
        for (const QString &db : databases) {
            QStringList a, b;
            QString error;
            if (!rowsOf(db, input, a, error))
                continue; // the generator's statement does not run there
            if (!rowsOf(db, output, b, error)) {
                fail(QStringLiteral("%1\n%2 fails on what came back:\n%3\n%4")
                         .arg(where, db, output, error));
                continue;
            }
            if (limited ? a.size() != b.size() : a != b)
                fail(QStringLiteral("%1\n%2: %3 rows, %4 came back:\n%5")
                         .arg(where, db)
                         .arg(a.size())
                         .arg(b.size())
                         .arg(output));
        }
    };

    for (int i = 0; i < count; ++i) {
        QRandomGenerator ownCaseRandom = random;
        const Statement st = Generator(random).next();
        const Path path = Path(i % PathCount);
        ++runs[path];
        static const TSQLSubType dialects[] = { stLocal, stStandard, stOracle, stMSSQL };
        const TSQLSubType target = dialects[(i / PathCount) % 4];
        const QString where = QStringLiteral("statement %1 (seed %2), %3:\n%4")
                                  .arg(i)
                                  .arg(seed)
                                  .arg(PathNames[path], st.sql);
        engine.SetSQLSubType(stAnsi);
        TSQLBuilderDialog dialog;
        dialog.SetDataEngine(&engine);
        dialog.SetFullImport(true);
        dialog.SetSQLEditable(true);
        dialog.SetSQL(st.sql);
        QStringList notes;
        QString regenerated;
        dialogs.modal = [&](QDialog &d) {
            auto &form = static_cast<TfrmZkSQLBuilder &>(d);
            switch (path) {
            case OkAtOnce:
                break;
            case SqlPage:
                form.pcSQL->setCurrentWidget(form.tsSQL);
                break;
            case Apply:
                form.pcSQL->setCurrentWidget(form.tsSQL);
                notes << form.ApplySQLToDiagram();
                break;
            case GenerateAndReopen:
                form.btnGenSQLClick(form.btnGenSQL);
                break;
            case DialectChange: {
                const int index = form.cbDialect->findData(int(target));
                form.cbDialect->setCurrentIndex(index);
                form.cbDialect->activated(index);
                form.pcSQL->setCurrentWidget(form.tsSQL);
                break;
            }
            case PathCount:
                break;
            }
            if (!form.lblSQLNotes->text().isEmpty())
                notes << form.lblSQLNotes->text();
            form.btnOK->click();
            return form.result();
        };
        const bool accepted = dialog.Execute();
        const TSQLSubType dialect = engine.SQLSubType();
        engine.SetSQLSubType(stAnsi);
        notes << dialog.LeftOut();
        notes.removeAll(QString());
        if (!accepted) {
            fail(where + "\nOK did not end the run");
            continue;
        }
        const QString returned = dialog.SQL();
        if (path == OkAtOnce || path == SqlPage || path == Apply) {
            ++checked[path];
            if (returned != st.sql)
                fail(where + "\nnothing changed, yet came back:\n" + returned);
            continue;
        }
        if (!notes.isEmpty()) {
            ++named; // what the builder names may change what the statement returns
            continue;
        }
        ++checked[path];
        sameRows(where, st.sql, returned, dialect, st.limited);
        if (path != GenerateAndReopen)
            continue;
        // Reopening on its own statement gives it back, and the same statement again.
        TSQLBuilderDialog again;
        again.SetDataEngine(&engine);
        again.SetFullImport(true);
        again.SetSQL(returned);
        dialogs.modal = [&](QDialog &d) {
            auto &form = static_cast<TfrmZkSQLBuilder &>(d);
            regenerated = form.GenerateSQL();
            form.pcSQL->setCurrentWidget(form.tsSQL);
            form.btnOK->click();
            return form.result();
        };
        if (!again.Execute() || again.SQL() != returned || regenerated != returned
            || !again.LeftOut().isEmpty())
            fail(where + "\nreopened on\n" + returned + "\ngave\n" + again.SQL() + "\nand wrote\n"
                + regenerated + "\nleft out: " + again.LeftOut().join("; "));

        // MariaDB takes a share of them through a builder of its own.
        if (!m_hasMariaDb || i % 4 != GenerateAndReopen)
            continue;
        const QString ownCase = Generator(ownCaseRandom, true).next().sql;
        TSQLBuilderDialog onMariaDb;
        onMariaDb.SetDataEngine(&mariaDbEngine);
        onMariaDb.SetFullImport(true);
        onMariaDb.SetSQL(ownCase);
        dialogs.modal = [&](QDialog &d) {
            auto &form = static_cast<TfrmZkSQLBuilder &>(d);
            try {
                form.btnGenSQLClick(form.btnGenSQL);
            } catch (const Exception &) {
                return int(QDialog::Rejected); // a full join MariaDB lacks: refused
            }
            form.btnOK->click();
            return form.result();
        };
        if (!onMariaDb.Execute() || !onMariaDb.LeftOut().isEmpty())
            continue;
        ++mariaDbRuns;
        QStringList a, b;
        QString error;
        if (!rowsOf(MariaDbAnsiConnection, ownCase, a, error))
            continue;
        if (!rowsOf(MariaDbConnection, onMariaDb.SQL(), b, error))
            fail(where + "\nMariaDB fails on what came back:\n" + onMariaDb.SQL() + '\n' + error);
        else if (st.limited ? a.size() != b.size() : a != b)
            fail(QStringLiteral("%1\nMariaDB: %2 rows, %3 came back:\n%4")
                     .arg(where)
                     .arg(a.size())
                     .arg(b.size())
                     .arg(onMariaDb.SQL()));
    }
    for (int p = 0; p < PathCount; ++p)
        qInfo("%-22s %4d runs, %4d checked", PathNames[p], runs[p], checked[p]);
    qInfo("%d runs where the builder named what it changed; %d on MariaDB", named, mariaDbRuns);
    for (const QString &f : std::as_const(failures))
        qWarning("CHANGED %s", qPrintable(f));
    QVERIFY2(failures.isEmpty(), "a path changed a statement without a word");
}

QTEST_MAIN(tst_UserPaths)
#include "tst_userpaths.moc"
