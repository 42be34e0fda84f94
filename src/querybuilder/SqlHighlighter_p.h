#pragma once

// Colours for the builder's SQL page, from the project's own tokenizer (TSQLParser): keywords,
// names, strings, numbers and comments, in colours taken from the editor's palette so that a
// dark palette stays readable. A text spelled for MySQL or MariaDB is read as the session reads
// it: "#" comments, back-quoted names, "..." a string unless ANSI_QUOTES, backslash escapes
// unless NO_BACKSLASH_ESCAPES. The whole text is read once per change of the document; each
// block then takes its part. Not installed.

#include "sqlparser/SqlStatement.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QVector>

namespace Diduza {

class SqlHighlighter : public QSyntaxHighlighter {
public:
    enum Kind { Keyword, Name, String, Number, Comment, KindCount };

    explicit SqlHighlighter(QTextDocument *document);

    // The kind of the token that covers the position, for tests; -1 for none.
    int KindAt(int Position);
    // How the database spells statements (standard SQL by default); colours the text anew.
    void SetSpelling(const SqlSpelling &Spelling);

protected:
    void highlightBlock(const QString &text) override;

private:
    struct Span {
        int start;
        int length;
        Kind kind;
    };
    void readDocument();
    // The spans of a text spelled for MySQL in the session's mode.
    void readMysql(const QString &text);
    QTextCharFormat format(Kind kind) const;

    QVector<Span> FSpans; // in text order
    QString FText; // the text the spans were read from
    SqlSpelling FSpelling;
};

} // namespace Diduza
