#pragma once

// Where SQL text ends its first statement, so that a data engine runs exactly one statement
// however the text was put together. A data engine asks the database's own reading where there
// is one (PostgresStatementCount here; SQLite's library on its connection, in the engine), and
// SingleStatementLength for other databases.
//
// SingleStatementLength:
// The text is read as standard SQL: strings in single quotes and names in double quotes (a
// doubled quote stays inside), line comments from "--" to the line break, block comments from
// "/*" to "*/". Databases read some texts otherwise: backslash escapes in strings (PostgreSQL's
// E'' strings, MySQL), dollar-quoted strings (PostgreSQL), names in brackets or back quotes
// (SQLite, SQL Server, MySQL), "#" comments and "--" without a blank after it (MySQL), nested
// block comments (PostgreSQL, SQL Server), executable comments "/*!" (MySQL), a line comment
// ended by a lone carriage return (PostgreSQL, not SQLite). A text that holds any of these is
// not trusted to hide a ";" inside a string or comment: every ";" in it counts.
//
// The TSQLParser tokenizer is not used here: it reads names the way the builder shows them
// ("a"b is one name, "//" starts a comment), not the way a database splits statements.
//
// Statements that a database runs one after another without a ";" between them (SQL Server's
// batches) are not seen.

#include "diduzacore_export.h"

#include <QStringList>
#include <QStringView>

namespace Diduza {

/// The number of statements PostgreSQL reads in Text, as PostgreSQL's own parser splits it
/// (libpg_query): strings of every kind, quoted names, nested comments and dollar quoting are
/// read as the server reads them with standard_conforming_strings on; empty statements are not
/// counted. When the parser cannot read Text (a syntax error, or syntax newer than the library),
/// the number of statements PostgreSQL's scanner finds (it passes over a part that begins with
/// no keyword); -1 when not even the scanner reads Text. The server parses a whole text before
/// it runs any statement of it, so a text its parser refuses runs nothing.
DIDUZACORE_EXPORT int PostgresStatementCount(QStringView Text);

/// The tables and views Text names without a schema, as PostgreSQL's parser reads it
/// (libpg_query): the names a session looks up along its search path, its temporary schema
/// first. Empty when the parser cannot read Text.
DIDUZACORE_EXPORT QStringList PostgresUnqualifiedRelations(QStringView Text);

/// The length of the one statement Text holds: up to and including its terminating ";" when
/// only blanks and comments follow that ";", else the whole text (a text without a ";" is one
/// statement, an empty one included). -1 when Text holds more than one statement.
DIDUZACORE_EXPORT qsizetype SingleStatementLength(QStringView Text);

/// How a MySQL or MariaDB session reads strings and double quotes (its sql_mode).
struct MysqlLexMode {
    bool BackslashEscapes = true; ///< off under NO_BACKSLASH_ESCAPES
    bool AnsiQuotes = false; ///< "..." is a name under ANSI_QUOTES, else a string
};

/// SingleStatementLength as MySQL and MariaDB read Text in a session of Mode (empty statements
/// after the first one are dropped with the comments): strings in single
/// quotes (and in double quotes without ANSI_QUOTES) with a doubled quote or, unless
/// NO_BACKSLASH_ESCAPES, a backslash escaping the next character; names in back quotes (a
/// doubled back quote stays inside); comments from "#" or from "--" followed by a blank or a
/// control character to the line feed, and from "/*" to the next "*/" (never nested). An
/// executable comment ("/*!", "/*!50001", "/*M!") is code to the server: its text is read as
/// statement text up to the "*/" that ends it, and a ";" inside it makes the text refused; a
/// "*/" outside one is a "*" and a "/". A versioned comment ("/*!" and five or six digits,
/// "/*M!") is code to some servers and skipped to its first "*/" by others (MariaDB skips
/// versions above its own and MySQL's 50700 to 99999, MySQL every "/*M!"), so its text must
/// end at the same "*/" read either way, else the text is refused. The text's character set
/// is the session's: one whose characters may end in a byte that reads as a backslash or a
/// quote (gbk, big5, sjis, cp932) splits otherwise, and the caller must refuse it.
DIDUZACORE_EXPORT qsizetype MysqlStatementLength(QStringView Text, MysqlLexMode Mode);

/// Whether the part of Text that MysqlStatementLength reads holds anything but blanks, comments
/// and ";" (the text of an executable comment is statement text): a text without any runs
/// nothing on the server.
DIDUZACORE_EXPORT bool MysqlHoldsStatement(QStringView Text, MysqlLexMode Mode);

/// How a database spells names, strings and comments in its statements: as standard SQL, or
/// as MySQL and MariaDB do in a session of Mode.
struct SqlSpelling {
    /// MySQL's or MariaDB's spelling, rather than standard SQL.
    bool Mysql = false;
    /// The session's reading, when Mysql.
    MysqlLexMode Mode;
};

/// Text as MySQL or MariaDB read it (in a session of Mode), spelled as standard SQL of the same
/// length with every character where it stood, so that PostgreSQL's parser reads its structure
/// and every place it reports is a place of Text: back-quoted names in double quotes, strings in
/// single quotes (a quote escaped by a backslash doubled instead, any other quote inside a
/// double-quoted string blanked: what a string holds is read from Text, not from this), "#"
/// comments and the marks of executable comments ("/*!50001", "*/") blanked. Null, with *Error
/// set, where no such text exists: a back-quoted name that holds a double quote or a back quote,
/// and "--" before a character other than a blank, which MySQL reads as two minus signs.
DIDUZACORE_EXPORT QString MysqlAsStandardSql(QStringView Text, MysqlLexMode Mode, QString *Error);

} // namespace Diduza
