#pragma once

// Colours for the builder's SQL page, from the project's own tokenizer (TSQLParser): keywords,
// names, strings, numbers and comments, in colours taken from the editor's palette so that a
// dark palette stays readable. The whole text is read once per change of the document; each
// block then takes its part. Not installed.

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

protected:
    void highlightBlock(const QString &text) override;

private:
    struct Span {
        int start;
        int length;
        Kind kind;
    };
    void readDocument();
    QTextCharFormat format(Kind kind) const;

    QVector<Span> FSpans; // in text order
    QString FText; // the text the spans were read from
};

} // namespace Diduza
