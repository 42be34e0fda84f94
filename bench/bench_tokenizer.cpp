// Throughput of the SQL tokenizer, compared with SQLite's sqlite3_complete() on the same text.
//
//   bench_tokenizer [megabytes=32] [rounds=7]
//
// Generates a deterministic mix of SELECT and UPDATE statements (joins, comments, quoted names,
// strings, numbers, parameters, a few non-ASCII names), then times, best of the rounds:
//   - the tokenizer: a TSQLParser over the whole text (UTF-16), NextToken until stEnd;
//   - the same, also taking a copy of each token's text;
//   - Parse with an empty OnParsed handler (one QString per reported token);
//   - sqlite3_complete() once over the whole text (UTF-8, one NUL-terminated string);
//   - sqlite3_complete() on each statement separately (UTF-8, one NUL-terminated string each).
// Rates are MB/s of the UTF-8 text, so every line measures the same amount of SQL.

#include "sqlparser/TSQLParser.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

using namespace Diduza;

namespace {

class Generator {
public:
    explicit Generator(std::uint32_t seed)
        : m_rng(seed)
    {
    }

    std::string Statement()
    {
        m_out.clear();
        if (pick(5) == 0)
            update();
        else
            select();
        m_out += ";\r\n";
        return m_out;
    }

private:
    unsigned pick(unsigned n) { return unsigned(m_rng() % n); }
    template <size_t N> const char *oneOf(const char *const (&words)[N]) { return words[pick(N)]; }

    void table()
    {
        static const char *const names[]
            = { "Customer", "Orders", "Items", "Parts", "Vendors", "Employee", "\"Order Details\"",
                  "dbo.Invoice", "Größe", "Клиенты", "[Sales Data]", "sys_log" };
        m_out += oneOf(names);
    }
    void alias() { m_out += char('A' + pick(26)), m_out += char('a' + pick(26)); }
    void field()
    {
        static const char *const names[] = { "CustNo", "Name", "Addr1", "City", "State", "Zip",
            "OrderNo", "SaleDate", "ItemsTotal", "TaxRate", "\"Amount Paid\"", "PartNo", "Qty",
            "Discount", "Description", "EmpNo", "LastName", "HireDate" };
        if (pick(3) == 0)
            alias(), m_out += '.';
        m_out += oneOf(names);
    }
    void value()
    {
        switch (pick(6)) {
        case 0:
            m_out += std::to_string(pick(100000));
            break;
        case 1:
            m_out += '-', m_out += std::to_string(pick(1000)), m_out += '.',
                m_out += std::to_string(pick(100));
            break;
        case 2:
            m_out += std::to_string(pick(10)), m_out += ".5E+", m_out += std::to_string(pick(30));
            break;
        case 3:
            m_out += ":Param", m_out += std::to_string(pick(20));
            break;
        case 4: {
            static const char *const texts[] = { "'Hawaii'", "'Kauai Dive Shoppe'", "'%son%'",
                "'1994-03-01'", "'Unisco'", "'Ørsted'" };
            m_out += oneOf(texts);
            break;
        }
        default:
            field();
            break;
        }
    }
    void condition()
    {
        static const char *const ops[] = { " = ", " <> ", " >= ", " < ", " LIKE " };
        field();
        m_out += oneOf(ops);
        value();
    }
    void comment()
    {
        if (pick(2))
            m_out += "-- generated line comment ", m_out += std::to_string(pick(1000)),
                m_out += "\r\n";
        else
            m_out += "/* block comment: joins, filters and sorting */ ";
    }
    void where()
    {
        m_out += "\r\nWHERE ";
        const unsigned n = 1 + pick(4);
        for (unsigned i = 0; i < n; ++i) {
            if (i)
                m_out += pick(3) ? "\r\n  AND " : " OR ";
            if (pick(4) == 0)
                m_out += '(', condition(), m_out += ')';
            else
                condition();
        }
    }
    void select()
    {
        if (pick(4) == 0)
            comment();
        m_out += pick(8) ? "SELECT " : "SELECT DISTINCT ";
        const unsigned n = 1 + pick(6);
        for (unsigned i = 0; i < n; ++i) {
            if (i)
                m_out += ", ";
            switch (pick(7)) {
            case 0:
                m_out += "COUNT(*)";
                break;
            case 1:
                m_out += "SUM(", field(), m_out += ") AS Total";
                break;
            default:
                field();
            }
        }
        m_out += "\r\nFROM ";
        table(), m_out += ' ', alias();
        const unsigned joins = pick(4);
        for (unsigned i = 0; i < joins; ++i) {
            static const char *const kinds[] = { "\r\n  INNER JOIN ", "\r\n  LEFT OUTER JOIN ",
                "\r\n  RIGHT OUTER JOIN ", ", " };
            const char *kind = oneOf(kinds);
            m_out += kind, table(), m_out += ' ', alias();
            if (kind[0] != ',')
                m_out += " ON ", field(), m_out += " = ", field();
        }
        if (pick(5))
            where();
        if (pick(4) == 0)
            m_out += "\r\nGROUP BY ", field(), m_out += ", ", field();
        if (pick(3) == 0) {
            if (pick(3) == 0)
                comment();
            m_out += "\r\nORDER BY ", field(), m_out += pick(2) ? " DESC" : "";
        }
    }
    void update()
    {
        m_out += "UPDATE ", table(), m_out += "\r\nSET ";
        const unsigned n = 1 + pick(4);
        for (unsigned i = 0; i < n; ++i) {
            if (i)
                m_out += ", ";
            field(), m_out += " = ", value();
        }
        where();
    }

    std::mt19937 m_rng;
    std::string m_out;
};

// A measured task. The tasks run in turns, each once per round, so that a machine whose load
// changes during the run slows all of them alike; each keeps its best time.
struct Task {
    const char *name;
    std::function<void()> run;
    double best = 1e300;
};

void runRounds(std::vector<Task> &tasks, int rounds)
{
    for (int r = 0; r < rounds; ++r) {
        for (Task &t : tasks) {
            const auto t0 = std::chrono::steady_clock::now();
            t.run();
            const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
            t.best = std::min(t.best, d.count());
        }
    }
}

volatile long long g_sink; // keeps the measured work from being optimised away

} // namespace

int main(int argc, char **argv)
{
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 32.0;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const size_t target = size_t(megabytes * 1024 * 1024);

    // The text, once as one string and once as NUL-separated statements.
    Generator gen(20240611u);
    std::string whole;
    std::string separated;
    std::vector<size_t> starts;
    size_t statements = 0;
    while (whole.size() < target) {
        const std::string s = gen.Statement();
        whole += s;
        starts.push_back(separated.size());
        separated += s;
        separated += '\0';
        ++statements;
    }
    const QString text = QString::fromUtf8(whole.data(), qsizetype(whole.size()));
    const double mb = double(whole.size()) / (1024.0 * 1024.0);
    std::printf(
        "SQL text: %zu statements, %.1f MB as UTF-8, %lld UTF-16 code units; best of %d rounds\n",
        statements, mb, (long long)text.size(), repeats);

    long long tokens = 0;
    std::vector<Task> tasks;
    tasks.push_back({ "tokenizer: NextToken until stEnd", [&] {
                         TSQLParser p(text);
                         long long n = 0;
                         while (p.NextToken() != stEnd)
                             ++n;
                         tokens = n;
                         g_sink = n;
                     } });
    tasks.push_back({ "sqlite3_complete, whole text in one call",
        [&] { g_sink = sqlite3_complete(whole.c_str()); } });
    tasks.push_back({ "sqlite3_complete, one call per statement", [&] {
                         long long n = 0;
                         for (size_t start : starts)
                             n += sqlite3_complete(separated.data() + start);
                         g_sink = n;
                     } });
    tasks.push_back({ "tokenizer + a copy of every token's text", [&] {
                         TSQLParser p(text);
                         long long n = 0;
                         while (p.NextToken() != stEnd)
                             n += p.TokenString().size();
                         g_sink = n;
                     } });
    tasks.push_back({ "Parse with an empty OnParsed handler", [&] {
                         TSQLParser p(text);
                         long long n = 0;
                         p.SetOnParsed([&n](TSQLParser *, TSQLToken, TSQLClause, const QString &v) {
                             n += v.size();
                         });
                         p.Parse();
                         g_sink = n;
                     } });
    runRounds(tasks, repeats);

    std::printf("%lld tokens (%.1f per statement)\n", tokens, double(tokens) / double(statements));
    for (const Task &t : tasks)
        std::printf("  %-44s %8.1f MB/s  %7.1f ms\n", t.name, mb / t.best, t.best * 1000.0);
    std::printf("ratio sqlite3_complete time / tokenizer time: %.2f (whole text), %.2f (per "
                "statement); above 1 means the tokenizer is faster\n",
        tasks[1].best / tasks[0].best, tasks[2].best / tasks[0].best);
    return 0;
}
