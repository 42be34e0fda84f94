#include "sqlparser/TSQLParser.h"

#include "platform/Exceptions.h"
#include "platform/TStringList.h"

namespace Diduza {

namespace {

// The tokenizer reads up to a NUL code unit: the text's first NUL, or the terminator that
// QString::utf16() guarantees behind the last character. NUL belongs to no class below, so
// every scan stops there without a separate bounds check.

// Character classes of every UTF-16 code unit: a 64 KiB table, so that the scanning loops need
// one lookup per character and no range test.
enum : quint8 {
    ccSymbolStart = 1, // A-Z a-z _ $ * and 127 to 1103 (U+007F to U+044F)
    ccSymbolPart = 2, // " $ * . 0-9 A-Z _ a-z and 127 to 255
    ccNumberPart = 4 // + - . 0-9 E e
};

struct CharClasses {
    quint8 bits[65536] = {};
    constexpr CharClasses()
    {
        for (int c = 127; c <= 1103; ++c)
            bits[c] |= ccSymbolStart;
        for (int c = 127; c <= 255; ++c)
            bits[c] |= ccSymbolPart;
        for (int c = 'A'; c <= 'Z'; ++c)
            bits[c] |= ccSymbolStart | ccSymbolPart;
        for (int c = 'a'; c <= 'z'; ++c)
            bits[c] |= ccSymbolStart | ccSymbolPart;
        for (int c = '0'; c <= '9'; ++c)
            bits[c] |= ccSymbolPart | ccNumberPart;
        for (char c : { '_', '$', '*' })
            bits[int(c)] |= ccSymbolStart | ccSymbolPart;
        bits[int('"')] |= ccSymbolPart;
        bits[int('.')] |= ccSymbolPart | ccNumberPart;
        for (char c : { '+', '-', 'E', 'e' })
            bits[int(c)] |= ccNumberPart;
    }
};

constexpr CharClasses kClasses;

inline bool isClass(char16_t c, quint8 cls)
{
    return (kClasses.bits[c] & cls) != 0;
}

// 1 to 32: space, tabs, line breaks and the other control characters (not NUL).
inline bool isBlank(char16_t c)
{
    return char16_t(c - 1) < 32;
}

inline char16_t upperAZ(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

// A line comment runs up to the next line break or the end of the text.
inline const char16_t *lineCommentEnd(const char16_t *p)
{
    while (*p != 0 && *p != u'\r' && *p != u'\n')
        ++p;
    return p;
}

// A token as the scanner finds it: its kind, its text and where the scan goes on.
struct Scanned {
    TSQLToken kind;
    const char16_t *textBegin;
    const char16_t *textEnd;
    const char16_t *next;
    bool quoted = false;
};

// A token of one character and no text.
inline Scanned single(TSQLToken kind, const char16_t *p)
{
    return { kind, p, p, p + 1 };
}

// A token whose text runs from p to end.
inline Scanned spanning(TSQLToken kind, const char16_t *p, const char16_t *end)
{
    return { kind, p, end, end };
}

// A word, or a dotted name (which may end with its full stop).
inline Scanned scanSymbol(const char16_t *p)
{
    const char16_t *q = p + 1;
    while (isClass(*q, ccSymbolPart))
        ++q;
    return spanning(stSymbol, p, q);
}

// A string or a quoted name: its text is what the quotes hold (a leading colon left out),
// without blanks at either end. An unclosed one runs to the end of the text.
inline Scanned scanQuoted(const char16_t *p)
{
    const char16_t quote = *p;
    ++p;
    if (*p == u':')
        ++p;
    const char16_t *close = p;
    while (*close != quote && *close != 0)
        ++close;
    const char16_t *textBegin = p;
    const char16_t *textEnd = close;
    while (textBegin < textEnd && *textBegin <= 32)
        ++textBegin;
    while (textEnd > textBegin && textEnd[-1] <= 32)
        --textEnd;
    return { stSymbol, textBegin, textEnd, *close != 0 ? close + 1 : close, true };
}

// A number: a digit or a minus sign, then any of the number's characters.
inline Scanned scanNumber(const char16_t *p)
{
    const char16_t *q = p + 1;
    while (isClass(*q, ccNumberPart))
        ++q;
    return spanning(stNumber, p, q);
}

// A block comment, to its closing "*/" or the end of the text. The closing star may be the
// opening one: "/*/" is a whole comment.
inline Scanned scanBlockComment(const char16_t *p)
{
    const char16_t *q = p + 1;
    while (*q != 0 && !(*q == u'*' && q[1] == u'/'))
        ++q;
    return spanning(stComment, p, *q != 0 ? q + 2 : q);
}

// A parameter: a colon and the name after it.
inline Scanned scanParameter(const char16_t *p)
{
    const char16_t *q = p + 1;
    while (isClass(*q, ccSymbolPart))
        ++q;
    return spanning(stParameter, p, q);
}

// The token that begins at p (after the blanks).
Scanned scanToken(const char16_t *p)
{
    const char16_t c = *p;
    if (isClass(c, ccSymbolStart))
        return scanSymbol(p);
    switch (c) {
    case 0:
        return { stEnd, p, p, p }; // the read position stays on the end
    case u'"':
    case u'\'':
        return scanQuoted(p);
    case u'-':
        return p[1] == u'-' ? spanning(stComment, p, lineCommentEnd(p)) : scanNumber(p);
    case u'0':
    case u'1':
    case u'2':
    case u'3':
    case u'4':
    case u'5':
    case u'6':
    case u'7':
    case u'8':
    case u'9':
        return scanNumber(p);
    case u'/':
        if (p[1] == u'/')
            return spanning(stComment, p, lineCommentEnd(p));
        if (p[1] == u'*')
            return scanBlockComment(p);
        return single(stOther, p);
    case u'(':
        return single(stLParen, p);
    case u')':
        return single(stRParen, p);
    case u',':
        return single(stComma, p);
    case u'=':
        return single(stEQ, p);
    case u':':
        return scanParameter(p);
    default:
        return single(stOther, p);
    }
}

const QStringView kSELECT = u"SELECT";
const QStringView kUPDATE = u"UPDATE";
const QStringView kFROM = u"FROM";
const QStringView kWHERE = u"WHERE";
const QStringView kHAVING = u"HAVING";
const QStringView kGROUP = u"GROUP";
const QStringView kORDER = u"ORDER";
const QStringView kBY = u"BY";
const QStringView kUNION = u"UNION";
const QStringView kAND = u"AND";
const QStringView kOR = u"OR";
const QStringView kSET = u"SET";
const QStringView kGROUPBY = u"GROUP BY";
const QStringView kORDERBY = u"ORDER BY";
const QStringView kJoinWords[] = { u"INNER", u"JOIN", u"LEFT", u"RIGHT", u"FULL" };

} // namespace

TSQLParser::TSQLParser(const QString &Text)
    : FText(Text)
{
    FBegin = reinterpret_cast<const char16_t *>(FText.utf16()); // NUL-terminated
    FSourcePtr = FBegin;
    FTokenPtr = FBegin;
    NextToken();
}

void TSQLParser::Reset()
{
    FSourcePtr = FBegin;
    FToken = stSymbol;
    NextToken();
}

TSQLToken TSQLParser::NextToken()
{
    if (FToken == stEnd)
        Abort();

    const char16_t *p = FSourcePtr;
    while (isBlank(*p))
        ++p;
    FTokenPtr = p;

    Scanned token = scanToken(p);
    FSourcePtr = token.next;
    FTokenString = QStringView(token.textBegin, token.textEnd - token.textBegin);
    if (token.kind == stSymbol && token.textEnd > token.textBegin && token.textEnd[-1] == u'.')
        token.kind = stAlias;
    FSymbolQuoted = token.quoted;
    FToken = token.kind;
    return token.kind;
}

bool TSQLParser::TokenSymbolIs(QStringView S) const
{
    if (FToken != stSymbol || FTokenString.size() != S.size())
        return false;
    const char16_t *a = FTokenString.utf16();
    const char16_t *b = S.utf16();
    for (qsizetype i = 0, n = S.size(); i < n; ++i) {
        if (upperAZ(a[i]) != upperAZ(b[i]))
            return false;
    }
    return true;
}

// At GROUP or ORDER: when the next token is the symbol BY, the two words become the single
// symbol Merged. Otherwise the look-ahead is undone and the keyword stays the current token.
bool TSQLParser::MergeByKeyword(QStringView Merged)
{
    const char16_t *const sourcePtr = FSourcePtr;
    const char16_t *const tokenPtr = FTokenPtr;
    const QStringView tokenString = FTokenString;
    const TSQLToken token = FToken;
    const bool quoted = FSymbolQuoted;

    NextToken();
    if (TokenSymbolIs(kBY)) {
        FTokenPtr = tokenPtr;
        FTokenString = Merged;
        return true;
    }
    FSourcePtr = sourcePtr;
    FTokenPtr = tokenPtr;
    FTokenString = tokenString;
    FToken = token;
    FSymbolQuoted = quoted;
    return false;
}

void TSQLParser::Parse()
{
    Reset();
    TSQLClause clause = scUnknown;
    for (;;) {
        if (FToken == stSymbol) {
            if (TokenSymbolIs(kSELECT) || TokenSymbolIs(kUPDATE))
                clause = scFields;
            else if (TokenSymbolIs(kFROM))
                clause = scTables;
            else if (TokenSymbolIs(kWHERE))
                clause = scWhere;
            else if (TokenSymbolIs(kHAVING))
                clause = scHaving;
            else if (TokenSymbolIs(kGROUP)) {
                if (MergeByKeyword(kGROUPBY))
                    clause = scGroupBy;
            } else if (TokenSymbolIs(kORDER)) {
                if (MergeByKeyword(kORDERBY))
                    clause = scOrderBy;
            } else if (TokenSymbolIs(kUNION))
                clause = scUnion;
            else {
                for (QStringView word : kJoinWords) {
                    if (TokenSymbolIs(word)) {
                        clause = scJoin;
                        break;
                    }
                }
            }
        }
        if (!TokenSymbolIs(kAND) && !TokenSymbolIs(kOR) && FOnParsed) {
            const TSQLParsedEvent handler = FOnParsed;
            handler(this, FToken, clause, TokenString());
        }
        if (NextToken() == stEnd)
            break;
    }
}

void TSQLParser::SkipTo(QStringView Keyword)
{
    do
        NextToken();
    while (!TokenSymbolIs(Keyword));
}

namespace {

// Runs a list query: the list is cleared and refilled inside one update bracket, every error of
// the scan is swallowed (the silent abort at the end of the text is how a scan that finds no
// more stops), and the bracket is closed on every path.
template <typename Scan> void runListQuery(TStringList &List, Scan scan)
{
    List.BeginUpdate();
    try {
        List.Clear();
        scan();
    } catch (...) {
    }
    List.EndUpdate();
}

} // namespace

void TSQLParser::GetSelectTableNames(TStringList &List)
{
    runListQuery(List, [&] {
        Reset();
        ScanSelectTableNames(List);
    });
}

void TSQLParser::ScanSelectTableNames(TStringList &List)
{
    if (!TokenSymbolIs(kSELECT))
        return;
    SkipTo(kFROM);
    NextToken();
    while (FToken == stSymbol) {
        List.AddObject(TokenString(), QVariant(FSymbolQuoted ? 1 : 0));
        if (NextToken() == stSymbol) // an alias of the table
            NextToken();
        if (FToken != stComma)
            return;
        NextToken();
    }
}

void TSQLParser::GetSelectWhereFields(TStringList &List)
{
    runListQuery(List, [&] {
        Reset();
        ScanSelectWhereFields(List);
    });
}

void TSQLParser::ScanSelectWhereFields(TStringList &List)
{
    if (!TokenSymbolIs(kSELECT))
        return;
    SkipTo(kWHERE);
    NextToken();
    for (;;) {
        // The field side.
        while (FToken == stAlias || FToken == stLParen)
            NextToken();
        if (FToken != stSymbol || TokenSymbolIs(kHAVING) || TokenSymbolIs(kGROUP)
            || TokenSymbolIs(kORDER))
            return;
        List.Add(TokenString());
        if (NextToken() != stEQ)
            continue;

        // The value side, up to the next AND or opening parenthesis.
        List.Add(QStringLiteral("="));
        for (;;) {
            const TSQLToken token = NextToken();
            if (token == stAlias || token == stRParen)
                continue;
            if (TokenSymbolIs(kAND) || token == stLParen) {
                NextToken();
                break;
            }
            if (token == stEnd)
                return;
            List.Add(TokenString());
        }
    }
}

void TSQLParser::GetUpdateTableName(QString &TableName)
{
    Reset();
    if (TokenSymbolIs(kUPDATE) && NextToken() == stSymbol)
        TableName = TokenString();
    else
        TableName.clear();
}

void TSQLParser::GetUpdateFields(TStringList &List)
{
    runListQuery(List, [&] {
        Reset();
        ScanUpdateFields(List);
    });
}

void TSQLParser::ScanUpdateFields(TStringList &List)
{
    if (!TokenSymbolIs(kUPDATE))
        return;
    SkipTo(kSET);
    NextToken();
    for (;;) {
        if (FToken == stAlias)
            NextToken();
        if (FToken != stSymbol)
            return;
        List.Add(TokenString());
        if (NextToken() != stEQ)
            return;
        do
            NextToken();
        while (FToken != stComma && !TokenSymbolIs(kWHERE));
        if (FToken != stComma)
            return;
        NextToken();
    }
}

void TSQLParser::GetUpdateWhereFields(TStringList &List)
{
    runListQuery(List, [&] {
        Reset();
        ScanUpdateWhereFields(List);
    });
}

void TSQLParser::ScanUpdateWhereFields(TStringList &List)
{
    if (!TokenSymbolIs(kUPDATE))
        return;
    SkipTo(kWHERE);
    NextToken();
    for (;;) {
        while (FToken == stAlias || FToken == stLParen)
            NextToken();
        if (FToken != stSymbol)
            return;
        List.Add(TokenString());
        if (NextToken() != stEQ)
            return;
        do
            NextToken();
        while (FToken != stEnd && !TokenSymbolIs(kAND));
        if (FToken == stEnd)
            return;
        NextToken();
    }
}

} // namespace Diduza
