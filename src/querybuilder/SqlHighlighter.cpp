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
    if (FSpelling.Mysql) {
        readMysql(text);
        return;
    }
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

void SqlHighlighter::SetSpelling(const SqlSpelling &Spelling)
{
    if (FSpelling.Mysql == Spelling.Mysql && FSpelling.Mode.AnsiQuotes == Spelling.Mode.AnsiQuotes
        && FSpelling.Mode.BackslashEscapes == Spelling.Mode.BackslashEscapes)
        return;
    FSpelling = Spelling;
    FText.clear();
    FSpans.clear();
    rehighlight();
}

void SqlHighlighter::readMysql(const QString &text)
{
    const qsizetype n = text.size();
    auto at = [&](qsizetype i) { return i < n ? text.at(i).unicode() : char16_t(0); };
    auto add = [&](qsizetype from, qsizetype to, Kind kind) {
        if (to > from)
            FSpans.append({ int(from), int(to - from), kind });
    };
    // Where a line comment ends: at the line feed, which is not part of it.
    auto lineEnd = [&](qsizetype i) {
        const qsizetype lf = text.indexOf(QLatin1Char('\n'), i);
        return lf < 0 ? n : lf;
    };
    int executable = 0; // open executable comments, whose text is statement text
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = at(i);
        const char16_t next = at(i + 1);
        if (c == u'#' || (c == u'-' && next == u'-' && (i + 2 >= n || at(i + 2) <= u' '))) {
            const qsizetype j = lineEnd(i);
            add(i, j, Comment);
            i = j;
        } else if (c == u'/' && next == u'*') {
            if (at(i + 2) == u'!' || (at(i + 2) == u'M' && at(i + 3) == u'!')) {
                // "/*!50001": the mark is a comment, what follows is read as code.
                qsizetype j = i + (at(i + 2) == u'!' ? 3 : 4);
                while (j < n && at(j) >= u'0' && at(j) <= u'9')
                    ++j;
                add(i, j, Comment);
                ++executable;
                i = j;
            } else {
                const qsizetype close = text.indexOf(QLatin1String("*/"), i + 2);
                const qsizetype j = close < 0 ? n : close + 2;
                add(i, j, Comment);
                i = j;
            }
        } else if (c == u'*' && next == u'/' && executable > 0) {
            add(i, i + 2, Comment);
            --executable;
            i += 2;
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            // A string, a back-quoted name or (with ANSI_QUOTES) a double-quoted one: a doubled
            // quote stays inside; in strings a backslash escapes the next character unless
            // NO_BACKSLASH_ESCAPES.
            const bool string = c == u'\'' || (c == u'"' && !FSpelling.Mode.AnsiQuotes);
            qsizetype j = i + 1;
            while (j < n) {
                if (string && at(j) == u'\\' && FSpelling.Mode.BackslashEscapes) {
                    j += 2;
                } else if (at(j) == c) {
                    if (at(j + 1) != c) {
                        ++j;
                        break;
                    }
                    j += 2;
                } else {
                    ++j;
                }
            }
            j = std::min(j, n);
            add(i, j, string ? String : Name);
            i = j;
        } else if ((c >= u'0' && c <= u'9') || (c == u'.' && next >= u'0' && next <= u'9')) {
            qsizetype j = i + 1;
            while (j < n
                && (text.at(j).isLetterOrNumber() || at(j) == u'.'
                    || ((at(j) == u'+' || at(j) == u'-')
                        && (at(j - 1) == u'e' || at(j - 1) == u'E'))))
                ++j;
            add(i, j, Number);
            i = j;
        } else if (text.at(i).isLetter() || c == u'_' || c == u'$') {
            qsizetype j = i + 1;
            while (j < n && (text.at(j).isLetterOrNumber() || at(j) == u'_' || at(j) == u'$'))
                ++j;
            if (keywords().contains(text.mid(i, j - i).toUpper()))
                add(i, j, Keyword);
            i = j;
        } else {
            ++i;
        }
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
