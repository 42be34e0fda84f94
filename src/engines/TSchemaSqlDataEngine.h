#pragma once

// A data engine on a Qt SQL connection: it lists the user tables of the database, lists a
// table's fields in column order and runs statements into a QSqlQueryModel. SQLite and
// PostgreSQL are listed through their catalogues; other drivers through QSqlDatabase's own
// table and record lookups. Events that the application sets take precedence over the
// database, as in every engine.

#include "diduzasql_export.h"
#include "engines/TSchemaDataEngine.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>

class QSqlError;

namespace Diduza {

/// The text of a database error for the user: the database's own message, or the driver's
/// when the database's says nothing (SQLite reports "not an error" for a failure its Qt driver
/// found, such as several statements in one text).
DIDUZASQL_EXPORT QString SqlErrorText(const QSqlError &Error);

/// A data engine that does its own database work, through a Qt SQL connection.
class DIDUZASQL_EXPORT TSchemaSqlDataEngine : public TSchemaDataEngine {
    Q_OBJECT
    Q_PROPERTY(QString ConnectionName READ ConnectionName WRITE SetConnectionName)
    Q_PROPERTY(bool ListAllSchemas READ ListAllSchemas WRITE SetListAllSchemas)

public:
    /// The engine starts on Qt's default connection, in the stAnsi dialect (joins as
    /// "JOIN ... ON" in the FROM clause, which SQLite and PostgreSQL run with every join kind).
    explicit TSchemaSqlDataEngine(QObject *AOwner = nullptr);
    /// Leaves the connection to the application; the runs StartSQL gave are the caller's.
    ~TSchemaSqlDataEngine() override;

    /// The name of the QSqlDatabase connection the engine works on. The engine looks the
    /// connection up at each operation and keeps no handle to it, so the application may remove
    /// and re-add the connection at any time.
    QString ConnectionName() const { return FConnectionName; }
    /// See ConnectionName.
    void SetConnectionName(const QString &Value) { FConnectionName = Value; }

    /// On PostgreSQL: whether the engine lists the tables of every schema the user may use
    /// (USAGE), those that the search path does not reach named "schema.table" (a caption the
    /// quoting splits into the two names), rather than those of the search path only. Their
    /// fields, keys (FillTableInfo) and statements follow. Off by default; other databases list
    /// as they do.
    bool ListAllSchemas() const { return FListAllSchemas; }
    /// See ListAllSchemas.
    void SetListAllSchemas(bool Value) { FListAllSchemas = Value; }

    /// The connection named by ConnectionName (invalid when there is none).
    QSqlDatabase Database() const;
    /// Makes the engine work on Value's connection: sets ConnectionName to its name.
    void SetDatabase(const QSqlDatabase &Value);

    /// OnGetItemList when set; otherwise the user tables of the database, system tables left out.
    void FillItemList(TStringList &List) override;
    /// OnGetSubItemList when set; otherwise the fields of the table that Item's caption names,
    /// as FillFieldList gives them (none for a null Item).
    void FillSubItemList(TSchemaItem *Item, TStringList &List) override;
    /// OnGetTableInfo when set; otherwise the catalogue of the tables named in Tables (all user
    /// tables when it is empty; names matched as FillFieldList matches them, unknown ones left
    /// out): fields in column order with their types and nullability, primary keys, and on
    /// SQLite and PostgreSQL the foreign keys. SQLite is read in one statement over
    /// sqlite_master, PostgreSQL in two over pg_catalog for every table of the search path,
    /// whatever the number of tables; other drivers through QSqlDatabase::record and
    /// primaryIndex, table by table, without foreign keys.
    void FillTableInfo(const QStringList &Tables, QVector<TSchemaTableInfo> &List) override;
    /// OnExecSQL when set; otherwise runs SQL on the database and returns a new QSqlQueryModel
    /// holding the result, which the caller owns. SQL must hold exactly one statement (a
    /// trailing ";", comments and blanks are allowed), as the database itself reads the text in
    /// the connection's session: SQLite's library on the connection, PostgreSQL's parser, the
    /// rule of sqlparser/SqlStatement.h in the session's mode for MySQL and MariaDB and as
    /// standard SQL for other drivers. A text holding more, or a NUL character, raises
    /// Diduza::Exception before anything runs, as does a MySQL or MariaDB session in a
    /// character set of several bytes a character other than utf8 (whose characters may end in
    /// a backslash's byte) and, on SQLite, a statement that names a temporary table of the
    /// connection that hides a table of the main database. A text of blanks and comments runs
    /// nothing and gives a data set without columns and rows. A statement the database rejects
    /// raises Diduza::Exception with SqlErrorText. The data set's canFetchMore is false once no
    /// more rows can come (also for a statement without a result set).
    QAbstractItemModel *ExecSQL(const QString &SQL) override;
    /// Null when OnExecSQL is set, and for a text without a statement (ExecSQL gives its empty
    /// data set at once). Otherwise checks SQL as ExecSQL does (raising before
    /// anything runs) and runs it on a thread of its own, on a clone of the connection opened
    /// there: the connection itself stays free and the user-interface thread never waits for
    /// the database. The clone first takes over the connection's session settings that decide
    /// which tables the statement names and how it splits (MySQL's and MariaDB's database and
    /// sql_mode, PostgreSQL's search_path and standard_conforming_strings) and checks the
    /// statement again; the run ends with an error, having run nothing, where that fails.
    /// Cancel asks the database to stop (PostgreSQL's cancel request, SQLite's
    /// interrupt). An error's position is where PostgreSQL's message points, when it does.
    TSchemaQueryRun *StartSQL(const QString &SQL, int RowLimit = 0, int PageSize = 500) override;
    /// How the connection's database reads names: SQLite's and PostgreSQL's own rules (see
    /// engines/SqlNames.h), for other drivers plain identifiers as they stand; other names are
    /// quoted with the driver's quote characters. A caption with a full stop is one name when
    /// the catalogue lists it as a table of its own. No functions without a connection.
    SqlNameQuoting NameQuoting() override;
    /// Every kind but a full outer join on MySQL and MariaDB, which have none; every kind on
    /// other databases.
    bool JoinAvailable(TSDRelationJoin Join) const override;
    /// SQLite and MySQL take OFFSET only after a LIMIT: rows skipped without a limit are written
    /// with the largest limit they take.
    QString RowLimitClause(qint64 Limit, qint64 Offset) const override;
    /// MySQL's spelling on MySQL and MariaDB, in the session's mode (back-quoted names, strings
    /// with backslash escapes unless NO_BACKSLASH_ESCAPES, "..." a string unless ANSI_QUOTES);
    /// standard SQL on other databases.
    SqlSpelling StatementSpelling() override;
    /// On MySQL and MariaDB, whose Qt driver takes every row of a result from the server before
    /// the first one is shown (the server hands over nothing in pages), that the whole result
    /// is held in memory; empty on other databases, whose results come page by page.
    QString ResultsNote() override;

    /// Clears List and fills it with the fields of the table named TableName, in column order.
    /// The name is matched against the table list exactly first, then ignoring the case of the
    /// letters A to Z; a name that matches no table leaves List empty.
    void FillFieldList(const QString &TableName, TStringList &List);

private:
    /// See ConnectionName.
    QString FConnectionName;
    /// See ListAllSchemas.
    bool FListAllSchemas = false;
    /// NameQuoting's decided names, for the rules named by FQuotedNamesRules.
    std::shared_ptr<QHash<QString, QString>> FQuotedNames;
    /// The kind of database, its quotes and (for MySQL) the connection FQuotedNames holds.
    QString FQuotedNamesRules;
};

} // namespace Diduza
