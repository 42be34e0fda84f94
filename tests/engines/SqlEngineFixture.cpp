#include "SqlEngineFixture.h"

#include <QFile>
#include <QSqlError>

using namespace Diduza;

namespace SqlEngineTest {

void SqlEngineFixture::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Work on a copy, so that the tests can add system tables without touching the build tree.
    const QString dbPath = m_dir.filePath(QStringLiteral("sample.sqlite"));
    QVERIFY(QFile::copy(QStringLiteral(DIDUZA_SAMPLE_DB), dbPath));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), SqliteConnection);
        db.setDatabaseName(dbPath);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        // ANALYZE creates sqlite_stat1, a system table that must not be listed.
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("ANALYZE")));
        QCOMPARE(scalar(db,
                     QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = "
                                    "'sqlite_stat1'"))
                     .toInt(),
            1);
    }

    QString error;
    if (SampleConnections::PostgresConfigured()) {
        QVERIFY2(SampleConnections::OpenPostgres(PostgresConnection, error), qPrintable(error));
        m_hasPostgres = true;
    }
    if (SampleConnections::MariaDbConfigured()) {
        QVERIFY2(SampleConnections::OpenMariaDb(MariaDbConnection, error), qPrintable(error));
        m_hasMariaDb = true;
    }
}

void SqlEngineFixture::cleanupTestCase()
{
    SampleConnections::CloseAll({ SqliteConnection, PostgresConnection, MariaDbConnection });
}

void SqlEngineFixture::addBackendRows()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("sqlite") << "sqlite";
    QTest::newRow("postgresql") << "postgresql";
    QTest::newRow("mariadb") << "mariadb";
}

bool SqlEngineFixture::useBackend(const QString &backend, TSchemaSqlDataEngine &engine)
{
    if (backend == QLatin1String("postgresql")) {
        if (!m_hasPostgres)
            return false;
        engine.SetConnectionName(PostgresConnection);
    } else if (backend == QLatin1String("mariadb")) {
        if (!m_hasMariaDb)
            return false;
        engine.SetConnectionName(MariaDbConnection);
    } else {
        engine.SetConnectionName(SqliteConnection);
    }
    return true;
}

} // namespace SqlEngineTest
