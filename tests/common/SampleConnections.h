#pragma once

// Connections to the sample database for the tests that run statements: a private SQLite copy
// (always), the throw-away PostgreSQL server of scripts/pg-start (when DIDUZA_PG_* is set) and
// the throw-away MariaDB server of scripts/mariadb-start (when DIDUZA_MYSQL_* is set).

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>

namespace SampleConnections {

// Opens a copy of the SQLite sample under dir as connection name; false (with error) on failure.
inline bool OpenSqliteCopy(const QTemporaryDir &dir, const QString &name, QString &error)
{
    const QString path = dir.filePath(QStringLiteral("sample.sqlite"));
    if (!QFile::exists(path) && !QFile::copy(QStringLiteral(DIDUZA_SAMPLE_DB), path)) {
        error = QStringLiteral("cannot copy the sample database");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!db.open()) {
        error = db.lastError().text();
        return false;
    }
    return true;
}

// Whether the environment names a PostgreSQL server.
inline bool PostgresConfigured()
{
    return qEnvironmentVariableIsSet("DIDUZA_PG_HOST");
}

// Opens the PostgreSQL server the environment names as connection name; false (with error)
// when it does not answer.
inline bool OpenPostgres(const QString &name, QString &error)
{
    QSqlDatabase pg = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    pg.setHostName(qEnvironmentVariable("DIDUZA_PG_HOST"));
    pg.setPort(qEnvironmentVariableIntValue("DIDUZA_PG_PORT"));
    pg.setDatabaseName(qEnvironmentVariable("DIDUZA_PG_DB"));
    pg.setUserName(qEnvironmentVariable("DIDUZA_PG_USER"));
    pg.setPassword(qEnvironmentVariable("DIDUZA_PG_PASSWORD"));
    if (pg.open())
        return true;
    error = QStringLiteral("DIDUZA_PG_HOST is set but the server does not answer: ")
        + pg.lastError().text();
    return false;
}

// Whether the environment names a MariaDB (or MySQL) server.
inline bool MariaDbConfigured()
{
    return qEnvironmentVariableIsSet("DIDUZA_MYSQL_HOST");
}

// Opens the MariaDB server the environment names as connection name; false (with error) when
// it does not answer.
inline bool OpenMariaDb(const QString &name, QString &error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), name);
    db.setHostName(qEnvironmentVariable("DIDUZA_MYSQL_HOST"));
    db.setPort(qEnvironmentVariableIntValue("DIDUZA_MYSQL_PORT"));
    db.setDatabaseName(qEnvironmentVariable("DIDUZA_MYSQL_DB"));
    db.setUserName(qEnvironmentVariable("DIDUZA_MYSQL_USER"));
    db.setPassword(qEnvironmentVariable("DIDUZA_MYSQL_PASSWORD"));
    if (db.open())
        return true;
    error = QStringLiteral("DIDUZA_MYSQL_HOST is set but the server does not answer: ")
        + db.lastError().text();
    return false;
}

// OpenMariaDb with a session that reads "..." as a name (ANSI_QUOTES), for statements written
// in standard SQL; the builder's own statements run on a connection in the server's mode.
inline bool OpenMariaDbAnsi(const QString &name, QString &error)
{
    if (!OpenMariaDb(name, error))
        return false;
    QSqlQuery mode(QSqlDatabase::database(name));
    if (mode.exec(QStringLiteral("SET SESSION sql_mode = CONCAT(@@sql_mode, ',ANSI_QUOTES')")))
        return true;
    error = mode.lastError().text();
    return false;
}

// Opens the servers the environment names: PostgreSQL as Postgres, MariaDB as MariaDb and, when
// MariaDbAnsi is not empty, once more with ANSI_QUOTES as MariaDbAnsi. Tells which were opened;
// false (with error) when a named server does not answer.
inline bool OpenConfiguredServers(const QString &Postgres, const QString &MariaDb,
    const QString &MariaDbAnsi, bool &hasPostgres, bool &hasMariaDb, QString &error)
{
    if (PostgresConfigured()) {
        if (!OpenPostgres(Postgres, error))
            return false;
        hasPostgres = true;
    }
    if (MariaDbConfigured()) {
        if (!OpenMariaDb(MariaDb, error))
            return false;
        if (!MariaDbAnsi.isEmpty() && !OpenMariaDbAnsi(MariaDbAnsi, error))
            return false;
        hasMariaDb = true;
    }
    return true;
}

// Closes and removes the named connections that exist.
inline void CloseAll(const QStringList &names)
{
    for (const QString &name : names) {
        if (QSqlDatabase::contains(name)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }
}

} // namespace SampleConnections
