#pragma once

// The catalogue tests' fixture: the samples on SQLite (a copy), PostgreSQL and MariaDB when
// servers are configured, and MariaDB's warehouse database made for them; the connections'
// names, quoting for each database, and keys as text.

#include "../common/SampleConnections.h"
#include "engines/TSchemaSqlDataEngine.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QVector>
#include <QtTest>

namespace CatalogTest {

inline const QString SqliteConnection = QStringLiteral("catalog-sqlite");

inline const QString PostgresConnection = QStringLiteral("catalog-pg");

inline const QString MariaDbConnection = QStringLiteral("catalog-mariadb"); // the sample

// The database made here, "Warehouse", beside "warehouse", whose name differs in case only.
inline const QString WarehouseConnection = QStringLiteral("catalog-mariadb-warehouse");

enum Kind { Sqlite, Postgres, MariaDb };

inline QString quoted(const QString &name, Kind kind = Sqlite)
{
    const QChar quote = QLatin1Char(kind == MariaDb ? '`' : '"');
    return quote + QString(name).replace(quote, QString(2, quote)) + quote;
}

// The sample's database on the MariaDB server.
inline QString mariaDbSample()
{
    return qEnvironmentVariable("DIDUZA_MYSQL_DB");
}

inline void exec(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        QFAIL(qPrintable(sql + QStringLiteral(": ") + query.lastError().text()));
}

// "name:f1,f2>table.r1,r2" for each foreign key, sorted, joined by ";".
inline QString keysText(const QVector<Diduza::TSchemaForeignKey> &keys)
{
    QStringList out;
    for (const Diduza::TSchemaForeignKey &k : keys)
        out << QStringLiteral("%1:%2>%3.%4")
                   .arg(k.Name, k.Fields.join(QLatin1Char(',')), k.ReferencedTable,
                       k.ReferencedFields.join(QLatin1Char(',')));
    out.sort();
    return out.join(QLatin1Char(';'));
}

inline const char MariaDbHint[]
    = "no MariaDB server configured: run scripts/mariadb-start BUILD-DIR and "
      "load BUILD-DIR/mariadb.env to test against MariaDB";

// Opens the samples' connections once for all the tests of an executable, and makes MariaDB's
// warehouse database when a server is configured; drops it at the end.
class CatalogFixture : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

protected:
    void makeWarehouse();
    // Opens connection name on MariaDB's database, made afresh (empty).
    bool openFreshMariaDb(const QString &name, const QString &database);

    QTemporaryDir m_dir;
    bool m_postgres = false;
    bool m_mariaDb = false;
};

} // namespace CatalogTest
