// MySQL's and MariaDB's statement splitter against the server's own count of statements.
// Without a server, the corpus (verdicts.tsv: texts with the number of statements the server
// ran of each) is replayed. With DIDUZA_MYSQL_* naming a server (scripts/mariadb-start), texts
// made of hostile fragments are run there in every session mode: a text the splitter takes for
// one statement, cut where it cuts it, must run as one statement on the server.
//
//   DIDUZA_FUZZ_MYSQL_TEXTS   texts per session mode (default 1000)
//   DIDUZA_FUZZ_MYSQL_SEED    the first text's seed (default: a new one each run, printed)
//   DIDUZA_FUZZ_MYSQL_RECORD  a file the server's verdicts are added to, for the corpus

#include "../../common/SampleConnections.h"
#include "MysqlStatementFuzz.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace Diduza;
using namespace Diduza::Fuzz;

namespace {

// The number of statements the server runs of Text: each result, and a failing statement,
// after which it runs no more. A text without a statement is not sent.
int serverStatements(const QSqlDatabase &db, const QString &text, MysqlLexMode mode)
{
    if (!MysqlHoldsStatement(text, mode) && MysqlStatementLength(text, mode) >= 0)
        return 0;
    QSqlQuery query(db);
    if (!query.exec(text))
        return 1;
    int statements = 1;
    while (query.nextResult())
        ++statements;
    if (query.lastError().isValid())
        ++statements;
    return statements;
}

} // namespace

class tst_MysqlStatementFuzz : public QObject {
    Q_OBJECT
private slots:
    void corpus();
    void server();
};

// The recorded verdicts: the splitter's invariants, and the server's count of each text.
void tst_MysqlStatementFuzz::corpus()
{
    QFile file(QStringLiteral(DIDUZA_MYSQL_VERDICTS));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QVector<MysqlVerdict> verdicts = ReadVerdicts(file);
    QVERIFY(verdicts.size() > 100);
    int several = 0;
    for (const MysqlVerdict &verdict : verdicts) {
        const QString split = CheckSplit(verdict.Text, MysqlMode(verdict.Mode));
        QVERIFY2(split.isEmpty(), qPrintable(split + ": " + VerdictLine(verdict)));
        const QString agreed = CheckVerdict(verdict);
        QVERIFY2(agreed.isEmpty(), qPrintable(agreed + ": " + VerdictLine(verdict)));
        several += verdict.Statements > 1;
    }
    // The corpus holds texts the server splits, or it tells nothing about hidden statements.
    QVERIFY(several > 20);
}

void tst_MysqlStatementFuzz::server()
{
    if (!SampleConnections::MariaDbConfigured())
        QSKIP("no MariaDB server named by DIDUZA_MYSQL_* (scripts/mariadb-start BUILD-DIR, then "
              ". BUILD-DIR/mariadb.env)");
    const QString connection = QStringLiteral("diduza-fuzz-mysql");
    QString error;
    QVERIFY2(SampleConnections::OpenMariaDb(connection, error), qPrintable(error));
    auto close = qScopeGuard([&] { QSqlDatabase::removeDatabase(connection); });
    QFile record(qEnvironmentVariable("DIDUZA_FUZZ_MYSQL_RECORD"));
    if (!record.fileName().isEmpty())
        QVERIFY(record.open(QIODevice::Append | QIODevice::Text));
    const int texts = qEnvironmentVariableIsSet("DIDUZA_FUZZ_MYSQL_TEXTS")
        ? qEnvironmentVariableIntValue("DIDUZA_FUZZ_MYSQL_TEXTS")
        : 1000;
    const quint32 seed = qEnvironmentVariableIsSet("DIDUZA_FUZZ_MYSQL_SEED")
        ? quint32(qEnvironmentVariableIntValue("DIDUZA_FUZZ_MYSQL_SEED"))
        : QRandomGenerator::global()->generate();
    qInfo("seed %u (DIDUZA_FUZZ_MYSQL_SEED), %d texts in each session mode", seed, texts);
    {
        QSqlDatabase db = QSqlDatabase::database(connection);
        int sent = 0, refused = 0, refusedSeveral = 0;
        for (int mode = 0; mode < 4; ++mode) {
            QSqlQuery set(db);
            QVERIFY2(
                set.exec(QStringLiteral("SET SESSION sql_mode = '%1'").arg(MysqlModeText(mode))),
                qPrintable(set.lastError().text()));
            QRandomGenerator random(seed + quint32(mode));
            for (int i = 0; i < texts; ++i) {
                const QString text = RandomMysqlText(random);
                const MysqlLexMode lex = MysqlMode(mode);
                const QString split = CheckSplit(text, lex);
                QVERIFY2(split.isEmpty(), qPrintable(split + ": " + text));
                const qsizetype length = MysqlStatementLength(text, lex);
                MysqlVerdict verdict { mode, 0, length >= 0 ? text.left(length) : text };
                verdict.Statements = serverStatements(db, verdict.Text, lex);
                if (length >= 0) {
                    ++sent;
                } else {
                    ++refused;
                    refusedSeveral += verdict.Statements > 1;
                }
                const QString agreed = CheckVerdict(verdict);
                QVERIFY2(agreed.isEmpty(),
                    qPrintable(QStringLiteral("%1 (mode %2): %3").arg(agreed).arg(mode).arg(text)));
                if (record.isOpen())
                    record.write((VerdictLine(verdict) + QLatin1Char('\n')).toUtf8());
            }
        }
        qInfo("%d texts sent as one statement, %d refused (%d of them several statements to the "
              "server)",
            sent, refused, refusedSeveral);
    }
}

QTEST_GUILESS_MAIN(tst_MysqlStatementFuzz)
#include "replay_mysqlstatement.moc"
