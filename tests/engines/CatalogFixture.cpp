#include "CatalogFixture.h"

using namespace Diduza;

namespace CatalogTest {

void CatalogFixture::initTestCase()
{
    QString error;
    QVERIFY2(SampleConnections::OpenSqliteCopy(m_dir, SqliteConnection, error), qPrintable(error));
    if (SampleConnections::PostgresConfigured()) {
        QVERIFY2(SampleConnections::OpenPostgres(PostgresConnection, error), qPrintable(error));
        m_postgres = true;
        exec(QSqlDatabase::database(PostgresConnection),
            QStringLiteral("SET client_min_messages TO warning"));
    }
    if (SampleConnections::MariaDbConfigured()) {
        QVERIFY2(SampleConnections::OpenMariaDb(MariaDbConnection, error), qPrintable(error));
        makeWarehouse();
        m_mariaDb = true;
    } else {
        qInfo("%s", MariaDbHint);
    }
}

void CatalogFixture::cleanupTestCase()
{
    if (m_mariaDb) {
        for (const char *name : { "CatalogWarehouse", "catalogwarehouse" })
            QSqlQuery(QSqlDatabase::database(MariaDbConnection))
                .exec(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(QLatin1String(name)));
    }
    SampleConnections::CloseAll(
        { SqliteConnection, PostgresConnection, MariaDbConnection, WarehouseConnection });
}

bool CatalogFixture::openFreshMariaDb(const QString &name, const QString &database)
{
    const QSqlDatabase sample = QSqlDatabase::database(MariaDbConnection);
    QSqlQuery q(sample);
    if (!q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(quoted(database, MariaDb)))
        || !q.exec(QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_bin")
                       .arg(quoted(database, MariaDb)))) {
        qWarning("%s", qPrintable(q.lastError().text()));
        return false;
    }
    QString error;
    if (!SampleConnections::OpenMariaDb(name, error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(name, false);
    db.close();
    db.setDatabaseName(database);
    return db.open();
}

// MariaDB's counterpart of PostgreSQL's second schema, in a database of its own: composite keys
// (one declared with its fields in another letter case than the table's), a key whose order
// differs from the columns', a self-reference, keys to the sample's database and to a table of
// a database whose name differs from this one's in case only, two tables whose names differ in
// case only, quoted names and a table without a primary key.
void CatalogFixture::makeWarehouse()
{
    QVERIFY(openFreshMariaDb(WarehouseConnection, QStringLiteral("CatalogWarehouse")));
    const QSqlDatabase sample = QSqlDatabase::database(MariaDbConnection);
    exec(sample, QStringLiteral("DROP DATABASE IF EXISTS catalogwarehouse"));
    exec(sample,
        QStringLiteral(
            "CREATE DATABASE catalogwarehouse CHARACTER SET utf8mb4 COLLATE utf8mb4_bin"));
    exec(sample,
        QStringLiteral("CREATE TABLE catalogwarehouse.`Bins` (`Code` VARCHAR(8) NOT NULL "
                       "PRIMARY KEY, `Zone` INTEGER)"));
    const QString other = quoted(mariaDbSample(), MariaDb);
    const QSqlDatabase db = QSqlDatabase::database(WarehouseConnection);
    for (const QString &sql :
        { QStringLiteral(
              "CREATE TABLE `Bins` (`Aisle` INTEGER NOT NULL, `Shelf` INTEGER NOT NULL, "
              "label VARCHAR(20) NOT NULL, `Parent Aisle` INTEGER, `Parent Shelf` INTEGER, "
              "`Old Code` VARCHAR(8), PRIMARY KEY (`Aisle`, `Shelf`), "
              "UNIQUE KEY `Shelf first` (`Shelf`, `Aisle`), "
              "CONSTRAINT `Bin in bin` FOREIGN KEY (`parent aisle`, `PARENT SHELF`) "
              "REFERENCES `Bins` (`aisle`, `SHELF`), "
              "CONSTRAINT `Old bin` FOREIGN KEY (`Old Code`) "
              "REFERENCES catalogwarehouse.`Bins` (`Code`))"),
            QStringLiteral("CREATE TABLE `bins` (`bin no` INTEGER NOT NULL PRIMARY KEY, "
                           "`Aisle` INTEGER NOT NULL, `Shelf` INTEGER NOT NULL, note TEXT, "
                           "CONSTRAINT `bins in Bins` FOREIGN KEY (`Aisle`, `Shelf`) "
                           "REFERENCES `Bins` (`Aisle`, `Shelf`))"),
            QStringLiteral("CREATE TABLE `StockLevels` (`productId` INTEGER NOT NULL, "
                           "`Bin Aisle` INTEGER NOT NULL, `Bin Shelf` INTEGER NOT NULL, "
                           "quantity INTEGER NOT NULL, "
                           "PRIMARY KEY (`Bin Shelf`, `Bin Aisle`, `productId`), "
                           "CONSTRAINT `Stock of product` FOREIGN KEY (`productId`) "
                           "REFERENCES %1.products (id), "
                           "CONSTRAINT `Stock in bin` FOREIGN KEY (`Bin Shelf`, `Bin Aisle`) "
                           "REFERENCES `Bins` (`Shelf`, `Aisle`))")
                .arg(other),
            QStringLiteral("CREATE TABLE `Movements` (moved_at DATETIME NOT NULL, "
                           "product_id INTEGER NOT NULL REFERENCES %1.products (id), "
                           "`From Aisle` INTEGER, `From Shelf` INTEGER, `To Aisle` INTEGER, "
                           "`To Shelf` INTEGER, quantity INTEGER NOT NULL, "
                           "moved_by INTEGER REFERENCES %1.employees (id), "
                           "CONSTRAINT `Moved from` FOREIGN KEY (`From Aisle`, `From Shelf`) "
                           "REFERENCES `Bins` (`Aisle`, `Shelf`), "
                           "CONSTRAINT `Moved to` FOREIGN KEY (`To Aisle`, `To Shelf`) "
                           "REFERENCES `Bins` (`Aisle`, `Shelf`))")
                .arg(other),
            QStringLiteral("CREATE TABLE `Pick ``List``.v2` (`Pick No` INTEGER NOT NULL "
                           "PRIMARY KEY, order_id INTEGER NOT NULL REFERENCES %1.orders (id), "
                           "`Next Pick` INTEGER REFERENCES `Pick ``List``.v2` (`Pick No`))")
                .arg(other) })
        exec(db, sql);
}

} // namespace CatalogTest
