#include "sqlparser/SelectImportLegacy_p.h"

#include "sqlparser/TSQLParser.h"

namespace Diduza::SelectReading {

namespace {

bool isOperatorChar(QChar c)
{
    return c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>')
        || c == QLatin1Char('!');
}

} // namespace

QString BlankLegacyMarks(const QString &text, LegacyMarks &marks)
{
    QString clean = text;
    TSQLParser parser(text);
    struct Tok {
        qsizetype pos;
        TSQLToken kind;
        QString raw;
        bool quoted;
    };
    QVector<Tok> tokens;
    while (parser.Token() != stEnd) {
        tokens.append({ parser.TokenPosition(), parser.Token(),
            parser.Token() == stSymbol ? parser.TokenString() : QString(), parser.SymbolQuoted() });
        parser.NextToken();
    }
    for (int i = 0; i < tokens.size(); ++i) {
        const Tok &t = tokens.at(i);
        if (t.kind == stLParen && i + 2 < tokens.size() && tokens.at(i + 1).kind == stOther
            && text.at(tokens.at(i + 1).pos) == QLatin1Char('+')
            && tokens.at(i + 2).kind == stRParen) {
            marks.plus.append(t.pos);
            for (qsizetype p = t.pos; p <= tokens.at(i + 2).pos; ++p)
                clean[p] = QLatin1Char(' ');
            i += 2;
            continue;
        }
        if (t.kind != stSymbol || t.quoted)
            continue;
        const QString raw = text.mid(t.pos, t.raw.size());
        if (raw == QLatin1String("*")) {
            const bool before = t.pos > 0 && isOperatorChar(text.at(t.pos - 1));
            const bool after = t.pos + 1 < text.size() && isOperatorChar(text.at(t.pos + 1));
            if (before || after) {
                marks.stars.insert(t.pos);
                clean[t.pos] = QLatin1Char(' ');
            }
        } else if (raw.size() > 1 && raw.endsWith(QLatin1Char('*'))
            && !raw.endsWith(QLatin1String(".*"))) {
            const qsizetype star = t.pos + raw.size() - 1;
            if (star + 1 < text.size() && isOperatorChar(text.at(star + 1))) {
                marks.stars.insert(star);
                clean[star] = QLatin1Char(' ');
            }
        }
    }
    return clean;
}

QString BlankJoinLines(const QString &text, QVector<JoinLine> &lines)
{
    QString clean = text;
    TSQLParser parser(text);
    struct Tok {
        qsizetype pos;
        TSQLToken kind;
        QString upper;
    };
    QVector<Tok> tokens;
    while (parser.Token() != stEnd) {
        tokens.append({ parser.TokenPosition(), parser.Token(),
            parser.Token() == stSymbol && !parser.SymbolQuoted() ? parser.TokenString().toUpper()
                                                                 : QString() });
        parser.NextToken();
    }
    auto word = [&](int i, const char *w) {
        return i < tokens.size() && tokens.at(i).upper == QLatin1String(w);
    };
    for (int i = 0; i < tokens.size(); ++i) {
        TSDRelationJoin join = rjInner;
        int open = -1;
        if (word(i, "INNER") && word(i + 1, "JOIN")) {
            open = i + 2;
        } else if ((word(i, "LEFT") || word(i, "RIGHT")) && word(i + 1, "OUTER")
            && word(i + 2, "JOIN")) {
            join = word(i, "LEFT") ? rjLeftOuter : rjRightOuter;
            open = i + 3;
        } else if (word(i, "FULL") && word(i + 1, "JOIN")) {
            join = rjFull;
            open = i + 2;
        }
        if (open < 0 || open >= tokens.size() || tokens.at(open).kind != stLParen)
            continue;
        if (word(open + 1, "SELECT"))
            continue; // a derived table
        int depth = 0;
        int close = -1;
        for (int k = open; k < tokens.size() && close < 0; ++k) {
            if (tokens.at(k).kind == stLParen)
                ++depth;
            else if (tokens.at(k).kind == stRParen && --depth == 0)
                close = k;
        }
        if (close < 0)
            continue;
        const qsizetype from = tokens.at(i).pos;
        const qsizetype to = tokens.at(close).pos + 1;
        lines.append(
            { tokens.at(open).pos, text.mid(tokens.at(open).pos, to - tokens.at(open).pos), join });
        for (qsizetype p = from; p < to; ++p) {
            if (clean.at(p) != QLatin1Char('\n') && clean.at(p) != QLatin1Char('\r'))
                clean[p] = QLatin1Char(' ');
        }
        i = close;
    }
    return clean;
}

} // namespace Diduza::SelectReading
