#pragma once

// TSQLParser reads SQL text one token at a time, splits it into clauses and extracts table and
// field names from SELECT and UPDATE statements. It does not validate SQL: every text yields a
// sequence of tokens that ends with stEnd, and the queries tolerate anything they do not know.

#include "diduzacore_export.h"
#include "platform/SchemaTypes.h"

#include <QString>
#include <QStringView>

#include <functional>

namespace Diduza {

class TStringList;

/// The tokenizer and clause reader of one SQL text.
class DIDUZACORE_EXPORT TSQLParser {
public:
    /// Fired by Parse for every token, with the clause in which the token stands.
    using TSQLParsedEvent = std::function<void(
        TSQLParser *Sender, TSQLToken Token, TSQLClause Clause, const QString &Value)>;

    /// Keeps Text for the parser's lifetime and reads its first token. The text ends at its
    /// first NUL code unit, if it holds one.
    explicit TSQLParser(const QString &Text);
    /// Not copyable: the read positions point into the parser's own copy of the text.
    TSQLParser(const TSQLParser &) = delete;
    /// See the copy constructor.
    TSQLParser &operator=(const TSQLParser &) = delete;

    /// The handler Parse fires for every token but AND and OR (see SetOnParsed).
    TSQLParsedEvent OnParsed() const { return FOnParsed; }
    /// See OnParsed.
    void SetOnParsed(TSQLParsedEvent Value) { FOnParsed = std::move(Value); }

    /// Reports every token through OnParsed. Errors raised by the handler pass to the caller, and
    /// so does the silent abort after a text that holds no token at all.
    void Parse();

    /// The statement queries. Each starts from the first token, never raises, and keeps what it
    /// collected when the text ends early or holds something unexpected.
    ///
    /// Tables of a SELECT's FROM list; each entry's value is 1 for a quoted name, 0 otherwise.
    void GetSelectTableNames(TStringList &List);
    /// Fields, "=" marks and compared values of a SELECT's WHERE clause.
    void GetSelectWhereFields(TStringList &List);
    /// The table of an UPDATE, or an empty text.
    void GetUpdateTableName(QString &TableName);
    /// The assigned fields of an UPDATE.
    void GetUpdateFields(TStringList &List);
    /// The compared fields of an UPDATE's WHERE clause.
    void GetUpdateWhereFields(TStringList &List);

    /// The tokenizer. NextToken reads the next token and returns its kind; called when the current
    /// token is already stEnd it raises the silent abort (EAbort). Reset starts again from the
    /// first token.
    TSQLToken NextToken();
    /// See NextToken.
    void Reset();
    /// True when the current token is a symbol (quoted or not) equal to S, ignoring the case of
    /// the letters A to Z.
    bool TokenSymbolIs(QStringView S) const;

    /// The kind of the current token.
    TSQLToken Token() const { return FToken; }
    /// Text of the current token (empty for the one-character kinds and stEnd).
    QString TokenString() const { return FTokenString.toString(); }
    /// The same without a copy; valid while the parser lives.
    QStringView TokenView() const { return FTokenString; }
    /// Index of the current token's first code unit in the text.
    qsizetype TokenPosition() const { return FTokenPtr - FBegin; }
    /// True when the current symbol was written in quotes (TokenString holds it without them).
    bool SymbolQuoted() const { return FSymbolQuoted; }
    /// The text given to the constructor.
    const QString &Text() const { return FText; }

private:
    /// At GROUP or ORDER followed by BY: makes the two words the one symbol Merged and returns
    /// true; otherwise leaves the current token as it was and returns false.
    bool MergeByKeyword(QStringView Merged);
    /// Reads tokens up to the symbol Keyword; raises the silent abort at the end of the text.
    void SkipTo(QStringView Keyword);
    /// The scans behind the Get... queries, started at the first token; they may raise the
    /// silent abort, which the queries swallow.
    void ScanSelectTableNames(TStringList &List);
    /// See ScanSelectTableNames.
    void ScanSelectWhereFields(TStringList &List);
    /// See ScanSelectTableNames.
    void ScanUpdateFields(TStringList &List);
    /// See ScanSelectTableNames.
    void ScanUpdateWhereFields(TStringList &List);

    /// See OnParsed.
    TSQLParsedEvent FOnParsed;
    /// See Text.
    QString FText;
    /// FText's characters, always followed by a NUL.
    const char16_t *FBegin = nullptr;
    /// Where the next token's scan starts.
    const char16_t *FSourcePtr = nullptr;
    /// The current token's first character.
    const char16_t *FTokenPtr = nullptr;
    /// See TokenView.
    QStringView FTokenString;
    /// See Token.
    TSQLToken FToken = stSymbol;
    /// See SymbolQuoted.
    bool FSymbolQuoted = false;
};

} // namespace Diduza
