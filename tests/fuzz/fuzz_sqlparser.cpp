// libFuzzer targets of the SQL parser. One source, built once per target; DIDUZA_FUZZ_TARGET
// names the operation that a binary exercises.
//
// Input: a first byte 0x01 means the rest is raw UTF-16 (little endian), so that lone
// surrogates and any other code unit can be reached; otherwise the whole input is UTF-8.

#include "platform/Exceptions.h"
#include "platform/TStringList.h"
#include "sqlparser/SqlStatement.h"
#include "sqlparser/TSQLParser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace Diduza;

namespace {

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);         \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

QString decode(const uint8_t *data, size_t size)
{
    if (size > 0 && data[0] == 0x01) {
        QString text((size - 1) / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(char16_t(data[1 + 2 * i] | (data[2 + 2 * i] << 8)));
        return text;
    }
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Reads every token and checks what each kind of token must look like.
void fuzzTokenizer(const QString &text)
{
    TSQLParser p(text);
    const QStringView all = p.Text();
    const TSQLToken first = p.Token();
    qsizetype count = 0;
    qsizetype last = -1;
    while (p.Token() != stEnd) {
        FUZZ_CHECK(++count <= text.size());
        FUZZ_CHECK(p.TokenPosition() > last && p.TokenPosition() < text.size());
        last = p.TokenPosition();
        const QStringView v = p.TokenView();
        FUZZ_CHECK(v.isEmpty() || (v.utf16() >= all.utf16() && v.end() <= all.end()));
        switch (p.Token()) {
        case stSymbol:
            FUZZ_CHECK(p.SymbolQuoted() || !v.isEmpty());
            FUZZ_CHECK(!v.endsWith(u'.'));
            break;
        case stAlias:
            FUZZ_CHECK(v.endsWith(u'.'));
            break;
        case stParameter:
            FUZZ_CHECK(v.startsWith(u':'));
            break;
        case stComment:
            FUZZ_CHECK(v.startsWith(u"--") || v.startsWith(u"//") || v.startsWith(u"/*"));
            break;
        case stNumber:
            FUZZ_CHECK(!v.isEmpty());
            break;
        default:
            FUZZ_CHECK(v.isEmpty());
            break;
        }
        p.NextToken();
    }
    FUZZ_CHECK(p.TokenView().isEmpty());
    bool aborted = false;
    try {
        p.NextToken();
    } catch (const EAbort &) {
        aborted = true;
    }
    FUZZ_CHECK(aborted);
    p.Reset();
    FUZZ_CHECK(p.Token() == first);

    // The statement splitter on the same text: a statement it cuts ends with its ";" and is
    // itself one statement of that length.
    const qsizetype length = SingleStatementLength(text);
    FUZZ_CHECK(length >= -1 && length <= text.size());
    if (length >= 0 && length < text.size())
        FUZZ_CHECK(text.at(length - 1) == u';');
    if (length >= 0)
        FUZZ_CHECK(SingleStatementLength(QStringView(text).left(length)) == length);
}

void fuzzParse(const QString &text)
{
    TSQLParser p(text);
    const bool noTokens = p.Token() == stEnd;
    QStringList reports;
    p.SetOnParsed([&](TSQLParser *sender, TSQLToken token, TSQLClause clause, const QString &v) {
        FUZZ_CHECK(sender == &p);
        reports << QString::number(int(token)) + u' ' + QString::number(int(clause)) + u' ' + v;
    });
    bool aborted = false;
    try {
        p.Parse();
    } catch (const EAbort &) {
        aborted = true;
    }
    FUZZ_CHECK(aborted == noTokens);
    FUZZ_CHECK(reports.size() <= text.size() + 1);
    const QStringList first = reports;
    reports.clear();
    try {
        p.Parse();
    } catch (const EAbort &) {
    }
    FUZZ_CHECK(reports == first);
}

// Runs a list query twice on one parser: both runs give the same list and close the bracket.
template <typename Query> void fuzzListQuery(const QString &text, Query query)
{
    TSQLParser p(text);
    TStringList list, again;
    list.Add(QStringLiteral("stale"));
    (p.*query)(list);
    (p.*query)(again);
    FUZZ_CHECK(list.UpdateCount() == 0 && again.UpdateCount() == 0);
    FUZZ_CHECK(list.Count() == again.Count());
    for (int i = 0; i < list.Count(); ++i) {
        FUZZ_CHECK(list.Strings(i) == again.Strings(i));
        FUZZ_CHECK(list.Objects(i) == again.Objects(i));
    }
}

void fuzzUpdateTable(const QString &text)
{
    TSQLParser p(text);
    QString name = QStringLiteral("stale"), again;
    p.GetUpdateTableName(name);
    p.GetUpdateTableName(again);
    FUZZ_CHECK(name == again && !name.endsWith(u'.'));
}

using Target = void (*)(const QString &);

Target chooseTarget()
{
    const char *name = DIDUZA_FUZZ_TARGET;
    if (!std::strcmp(name, "tokenizer"))
        return fuzzTokenizer;
    if (!std::strcmp(name, "parse"))
        return fuzzParse;
    if (!std::strcmp(name, "select_tables"))
        return [](const QString &t) { fuzzListQuery(t, &TSQLParser::GetSelectTableNames); };
    if (!std::strcmp(name, "select_where"))
        return [](const QString &t) { fuzzListQuery(t, &TSQLParser::GetSelectWhereFields); };
    if (!std::strcmp(name, "update_table"))
        return fuzzUpdateTable;
    if (!std::strcmp(name, "update_fields"))
        return [](const QString &t) { fuzzListQuery(t, &TSQLParser::GetUpdateFields); };
    if (!std::strcmp(name, "update_where"))
        return [](const QString &t) { fuzzListQuery(t, &TSQLParser::GetUpdateWhereFields); };
    std::fprintf(stderr, "unknown fuzz target %s\n", name);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const Target target = chooseTarget();
    target(decode(data, size));
    return 0;
}
