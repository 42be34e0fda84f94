#pragma once

// The text preparation of ImportSelect for what PostgreSQL's parser does not read: the
// outer-join marks of the WHERE-clause dialects and the standard dialect's join lines. Each
// is blanked out of the text, which keeps every offset. Not installed.

#include "platform/SchemaTypes.h"

#include <QSet>
#include <QString>
#include <QVector>

namespace Diduza::SelectReading {

// The outer-join marks of the WHERE-clause dialects: "(+)" after a column (Oracle) and "*"
// beside a comparison operator (MSSQL).
struct LegacyMarks {
    QVector<qsizetype> plus; // where each "(+)" began
    QSet<qsizetype> stars; // where each star stood
};

// The text with the marks blanked out; where they stood goes to marks.
QString BlankLegacyMarks(const QString &text, LegacyMarks &marks);

// The standard dialect's join lines: "INNER JOIN (a.x = b.y)" and the other kinds after the
// table list, which no database reads. What stood inside a line's parentheses is kept with
// the kind.
struct JoinLine {
    qsizetype start; // of the parenthesised condition
    QString condition; // with its parentheses
    TSDRelationJoin join;
};

// The text with the join lines blanked out (line breaks kept); the lines go to lines.
QString BlankJoinLines(const QString &text, QVector<JoinLine> &lines);

} // namespace Diduza::SelectReading
