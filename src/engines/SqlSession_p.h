#pragma once

// What a statement depends on in the database session that runs it, for TSchemaSqlDataEngine
// and its off-thread run (not part of the public API): where the text's one statement ends as
// that session reads it, and the settings a fresh session (the run's clone of the connection)
// must take over so that it reads the text, and the tables it names, as the engine's own
// connection does.

#include "sqlparser/SqlStatement.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>

namespace Diduza::SqlSession {

// How a MySQL or MariaDB session reads statement text: its sql_mode and the character set it
// takes the bytes of a text in (character_set_client).
struct MysqlReading {
    MysqlLexMode Mode;
    QString CharacterSet;
    // Whether the server splits a text in that character set as it splits UTF-8: utf8mb3,
    // utf8mb4 and the sets of one byte a character. Other sets of several bytes a character
    // (gbk, big5, sjis, cp932, ...) may end a character in a byte that reads as a backslash
    // or a quote elsewhere; Qt's driver sends UTF-8 whatever the session expects, so such a
    // session reads other strings and statements than the text holds.
    bool SplitsAsUtf8 = true;
};

// The reading of Db's session, read for each text (a statement may change it). A session
// whose settings cannot be read is taken to read as MySQL does by default.
MysqlReading ReadMysql(const QSqlDatabase &Db);

// SQL up to the end of its one statement as Db's session reads it (a trailing ";", comments
// and blanks are dropped where the database would not run them anyway). Raises
// Diduza::Exception before anything runs when SQL holds more than one statement, a NUL
// character, on MySQL and MariaDB a session character set that splits otherwise than UTF-8,
// and on SQLite a table of the connection's temporary database that hides a table of the main
// database (the table the engine lists). *Empty, when given, tells whether the text holds no
// statement at all (only blanks, comments and ";"), which runs nothing.
QString OneStatement(const QSqlDatabase &Db, const QString &SQL, bool *Empty = nullptr);

// The settings of a session that decide which tables a statement names and how its text
// splits: on MySQL and MariaDB the current database (USE) and sql_mode, on PostgreSQL
// search_path and standard_conforming_strings. Other databases have none here (a clone of an
// SQLite connection opens the same main database and sees no temporary tables).
struct State {
    QSqlDriver::DbmsType Dbms = QSqlDriver::UnknownDbms;
    QString Database;
    QString SqlMode;
    QString SearchPath;
    QString StandardConformingStrings;

    bool operator==(const State &Other) const;
    bool operator!=(const State &Other) const { return !(*this == Other); }
};

// The state of Db's session. Raises with the database's text when it cannot be read.
State Read(const QSqlDatabase &Db);

// Gives Db's session (a fresh one) the settings of Wanted and the character set utf8mb4 on
// MySQL and MariaDB, then reads them back; an empty text when they hold, else the message
// that names the setting that differs.
QString TakeOver(const QSqlDatabase &Db, const State &Wanted);

} // namespace Diduza::SqlSession
