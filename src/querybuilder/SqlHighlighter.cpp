#include "querybuilder/SqlHighlighter_p.h"

#include "sqlparser/TSQLParser.h"

#include <QGuiApplication>
#include <QPalette>
#include <QSet>
#include <QTextDocument>

#include <algorithm>

namespace Diduza {

namespace {

const QSet<QString> &keywords()
{
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const char *w : { "ALL", "AND", "ANY", "AS", "ASC", "BETWEEN", "BY", "CASE", "CAST",
                 "CROSS", "DESC", "DISTINCT", "ELSE", "END", "EXCEPT", "EXISTS", "FALSE", "FETCH",
                 "FIRST", "FOR", "FROM", "FULL", "GROUP", "HAVING", "ILIKE", "IN", "INNER",
                 "INTERSECT", "INTO", "IS", "JOIN", "LAST", "LEFT", "LIKE", "LIMIT", "NATURAL",
                 "NOT", "NULL", "NULLS", "OFFSET", "ON", "OR", "ORDER", "OUTER", "OVER",
                 "PARTITION", "RIGHT", "ROWS", "SELECT", "SOME", "THEN", "TRUE", "UNION", "USING",
                 "VALUES", "WHEN", "WHERE", "WINDOW", "WITH", "COUNT", "SUM", "MIN", "MAX", "AVG" })
            set.insert(QLatin1String(w));
        return set;
    }();
    return words;
}

} // namespace

SqlHighlighter::SqlHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document)
{
}

void SqlHighlighter::readDocument()
{
    const QTextDocument *doc = document();
    if (!doc)
        return;
    const QString text = doc->toPlainText();
    if (text == FText && !FSpans.isEmpty())
        return;
    FText = text;
    FSpans.clear();
    TSQLParser parser(text);
    struct Token {
        qsizetype start;
        TSQLToken kind;
        bool quoted;
        QString word;
    };
    QVector<Token> tokens;
    while (parser.Token() != stEnd) {
        tokens.append({ parser.TokenPosition(), parser.Token(), parser.SymbolQuoted(),
            parser.Token() == stSymbol && !parser.SymbolQuoted() ? parser.TokenString().toUpper()
                                                                 : QString() });
        parser.NextToken();
    }
    for (int i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        // A token runs to where the next begins, trailing blanks left out.
        qsizetype end = i + 1 < tokens.size() ? tokens.at(i + 1).start : text.size();
        while (end > t.start && text.at(end - 1).isSpace())
            --end;
        Kind kind;
        switch (t.kind) {
        case stSymbol:
            if (t.quoted)
                kind = text.at(t.start) == QLatin1Char('\'') ? String : Name;
            else
                kind = keywords().contains(t.word) ? Keyword : Name;
            break;
        case stNumber:
            kind = Number;
            break;
        case stComment:
            kind = Comment;
            break;
        default:
            continue;
        }
        if (kind == Name && !t.quoted)
            continue; // plain names keep the text's colour
        FSpans.append({ int(t.start), int(end - t.start), kind });
    }
}

QTextCharFormat SqlHighlighter::format(Kind kind) const
{
    // Colours that keep their distance from the base colour whatever the palette.
    const QPalette palette = QGuiApplication::palette();
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    QTextCharFormat f;
    switch (kind) {
    case Keyword:
        f.setForeground(dark ? QColor(0x82, 0xaa, 0xff) : QColor(0x00, 0x33, 0x99));
        f.setFontWeight(QFont::Bold);
        break;
    case Name:
        f.setForeground(dark ? QColor(0xe0, 0xb0, 0xff) : QColor(0x66, 0x00, 0x99));
        break;
    case String:
        f.setForeground(dark ? QColor(0xa5, 0xd6, 0x7f) : QColor(0x00, 0x70, 0x00));
        break;
    case Number:
        f.setForeground(dark ? QColor(0xff, 0xb8, 0x6c) : QColor(0xa0, 0x50, 0x00));
        break;
    case Comment:
        f.setForeground(palette.color(QPalette::PlaceholderText));
        f.setFontItalic(true);
        break;
    case KindCount:
        break;
    }
    return f;
}

void SqlHighlighter::highlightBlock(const QString &text)
{
    readDocument();
    const int blockStart = currentBlock().position();
    const int blockEnd = blockStart + int(text.size());
    auto first = std::lower_bound(FSpans.begin(), FSpans.end(), blockStart,
        [](const Span &s, int p) { return s.start + s.length <= p; });
    for (auto it = first; it != FSpans.end() && it->start < blockEnd; ++it) {
        const int from = std::max(it->start, blockStart);
        const int to = std::min(it->start + it->length, blockEnd);
        if (to > from)
            setFormat(from - blockStart, to - from, format(it->kind));
    }
}

int SqlHighlighter::KindAt(int Position)
{
    readDocument();
    for (const Span &s : FSpans) {
        if (Position >= s.start && Position < s.start + s.length)
            return s.kind;
    }
    return -1;
}

} // namespace Diduza
