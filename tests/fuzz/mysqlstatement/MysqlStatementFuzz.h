#pragma once

// The fuzz entry of MySQL's and MariaDB's statement splitter (MysqlStatementLength), shared by
// the libFuzzer target (fuzz_mysqlstatement) and the CTest test that compares it with the
// server (fuzz_mysqlstatement_replay): what must hold of the splitter whatever the server
// says, texts made of the fragments that hide a statement from readings other than the
// server's, and the corpus of texts with the number of statements the server ran of each.

#include "sqlparser/SqlStatement.h"

#include <QIODevice>
#include <QRandomGenerator>
#include <QString>
#include <QVector>

namespace Diduza::Fuzz {

// Session modes by number: 1 is NO_BACKSLASH_ESCAPES, 2 ANSI_QUOTES, 3 both, 0 neither.
MysqlLexMode MysqlMode(int Number);
// The sql_mode value that sets mode Number.
QString MysqlModeText(int Number);

// What must hold of MysqlStatementLength for Text in Mode: a length within the text, a cut
// after a ";", the cut text read as one statement of the same length (also with a comment
// after it), and MysqlHoldsStatement and MysqlAsStandardSql reading it without trouble. Empty
// when all hold, else what failed.
QString CheckSplit(const QString &Text, MysqlLexMode Mode);

// A statement beginning "SELECT 1" followed by fragments (strings, quoted names, comments of
// every kind, executable and versioned comments, their ends outside them, backslashes,
// semicolons and further statements, multi-byte characters), as a user or an attacker might
// put them together.
QString RandomMysqlText(QRandomGenerator &Random);

// A text the server was given and the number of its statements the server ran (a failing one
// included: the server stops there), in session mode Mode.
struct MysqlVerdict {
    int Mode = 0;
    int Statements = 0;
    QString Text;
};

// The corpus: one verdict a line, "mode<TAB>statements<TAB>text", the text with "\" before
// "\", line feeds (n), carriage returns (r) and tabs (t); lines beginning with "#" are
// comments.
QVector<MysqlVerdict> ReadVerdicts(QIODevice &Device);
QString VerdictLine(const MysqlVerdict &Verdict);

// Whether the splitter agrees with the server's verdict: a text it would send whole must be
// one statement to the server. Empty when it agrees (or when it would send less than the text,
// which the verdict does not tell about), else what disagrees.
QString CheckVerdict(const MysqlVerdict &Verdict);

} // namespace Diduza::Fuzz
