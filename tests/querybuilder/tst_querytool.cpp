// The builder's SQL and results pages as a query tool, on the sample database (SQLite always,
// PostgreSQL when DIDUZA_PG_* names a server, MariaDB when DIDUZA_MYSQL_* does; hand-written
// standard SQL runs there in an ANSI_QUOTES session): criteria written under their column,
// editors that commit wherever the user goes, the typed statement against the regenerated one,
// runs off the user-interface thread with pages, a row limit and Cancel, copying and CSV.

#include "../common/SampleConnections.h"
#include "../common/TestSupport.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "engines/TSchemaQueryRun.h"
#include "engines/TSchemaRunModel.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Application.h"
#include "platform/TStringGrid.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Diduza;

namespace {

const QString SqliteConnection = QStringLiteral("querytool-sqlite");
const QString PostgresConnection = QStringLiteral("querytool-pg");
const QString MariaDbConnection = QStringLiteral("querytool-mariadb");
const QString MariaDbAnsiConnection = QStringLiteral("querytool-mariadb-ansi");

// Where statements written in standard SQL run beside those of a database's builder.
QString standardConnection(const QString &connection)
{
    return connection == MariaDbConnection ? MariaDbAnsiConnection : connection;
}

QStringList rowsOf(const QString &connection, const QString &sql, QString *error = nullptr)
{
    QSqlQuery query(QSqlDatabase::database(connection));
    QStringList rows;
    if (!query.exec(sql)) {
        if (error)
            *error = query.lastError().text();
        return rows;
    }
    while (query.next()) {
        QStringList values;
        for (int c = 0; c < query.record().count(); ++c)
            values << (query.value(c).isNull() ? QStringLiteral("<null>")
                                               : query.value(c).toString());
        rows << values.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

// Reads CSV as RFC 4180 writes it: fields split at commas, quoted fields with doubled quotes
// and line breaks inside, records ended by CR LF.
QVector<QStringList> readCsv(const QString &text)
{
    QVector<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size()
                && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size()
            && text.at(i + 1) == QLatin1Char('\n')) {
            record << field;
            field.clear();
            records << record;
            record.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

// Waits until the run ends, serving the event loop; how long the loop was ever kept waiting
// goes to *longestGap.
bool waitForRun(TSchemaQueryRun *run, int timeoutMs, qint64 *longestGap = nullptr)
{
    QElapsedTimer total, gap;
    total.start();
    gap.start();
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { longest = qMax(longest, gap.restart()); });
    tick.start(5);
    while (!run->IsFinished() && total.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (longestGap)
        *longestGap = longest;
    return run->IsFinished();
}

} // namespace

class tst_QueryTool : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void criteriaUnderTheirColumn_data();
    void criteriaUnderTheirColumn();
    void typedCriteriaWereLost_data();
    void typedCriteriaWereLost();
    void okFollowsWhatWasTouchedLast_data();
    void okFollowsWhatWasTouchedLast();
    void sqlPageMarksTheParseError();
    void notesStayedAfterTheTextWasEdited();
    void mariadbTextColouredAsStandardSql_data();
    void mariadbTextColouredAsStandardSql();
    void runsNeverFreezeAndCancel_data();
    void runsNeverFreezeAndCancel();
    void rowsArriveInPages();
    void errorsShowWhereTheDatabasePoints();
    void firstPageColumnsFitTheirRows_data();
    void firstPageColumnsFitTheirRows();
    void resultsCopiedAndSavedAsCsv();
    void resultsSayWhereRowsAreHeldWhole();
    void savingStreamsRowsTheGridHasNot();
    void savingWhileRunningWaitsForTheRows_data();
    void savingWhileRunningWaitsForTheRows();
    void cancelledSavingLeavesTheFile();
    void runningShowsAndClosingEndsIt_data();
    void runningShowsAndClosingEndsIt();
    void numbersStandRightAndCopyTakesHeaders();

private:
    QStringList connections() const;
    TSchemaItem *table(const QString &name);
    int columnOf(TSchemaSubItem *row) const;

    QTemporaryDir m_dir;
    bool m_hasPostgres = false;
    bool m_hasMariaDb = false;
    std::unique_ptr<DiduzaTest::FakeDialogService> m_dialogs;
    std::unique_ptr<TSchemaSqlDataEngine> m_engine;
    std::unique_ptr<TfrmZkSQLBuilder> m_form;
};

void tst_QueryTool::initTestCase()
{
    QString error;
    QVERIFY2(SampleConnections::OpenSqliteCopy(m_dir, SqliteConnection, error), qPrintable(error));
    QVERIFY2(SampleConnections::OpenConfiguredServers(PostgresConnection, MariaDbConnection,
                 MariaDbAnsiConnection, m_hasPostgres, m_hasMariaDb, error),
        qPrintable(error));
}

void tst_QueryTool::cleanupTestCase()
{
    SampleConnections::CloseAll(
        { SqliteConnection, PostgresConnection, MariaDbConnection, MariaDbAnsiConnection });
}

void tst_QueryTool::init()
{
    m_dialogs = std::make_unique<DiduzaTest::FakeDialogService>();
    m_engine = std::make_unique<TSchemaSqlDataEngine>();
    m_engine->SetConnectionName(SqliteConnection);
    m_form = std::make_unique<TfrmZkSQLBuilder>();
    m_form->SetDataEngine(m_engine.get());
}

void tst_QueryTool::cleanup()
{
    m_form.reset();
    m_engine.reset();
    m_dialogs.reset();
}

QStringList tst_QueryTool::connections() const
{
    QStringList names { SqliteConnection };
    if (m_hasPostgres)
        names << PostgresConnection;
    if (m_hasMariaDb)
        names << MariaDbConnection;
    return names;
}

TSchemaItem *tst_QueryTool::table(const QString &name)
{
    return AddNewItem(m_form->SchemaDesignArea, name, {}, 10, 10);
}

int tst_QueryTool::columnOf(TSchemaSubItem *row) const
{
    const QString reference = m_form->SubItemReference(row);
    for (int col = 1; col < m_form->sgColumnGrid->ColCount(); ++col) {
        if (m_form->sgColumnGrid->Cells(col, 0) == reference)
            return col;
    }
    return -1;
}

void tst_QueryTool::criteriaUnderTheirColumn_data()
{
    QTest::addColumn<int>("seed");
    for (int s = 0; s < 6; ++s)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(s))) << 20261209 + s;
}

// A where text that begins with a comparison compares its column: the statement returns what
// the same condition written in full returns, on every database.
void tst_QueryTool::criteriaUnderTheirColumn()
{
    QFETCH(int, seed);
    QRandomGenerator random { quint32(seed) };
    struct Column {
        const char *table;
        const char *field;
        bool number;
    };
    static const Column columns[] = { { "customer", "city", false }, { "customer", "name", false },
        { "orders", "amount", true }, { "orders", "ship_city", false },
        { "products", "units_in_stock", true }, { "employees", "title", false },
        { "products", "category", false } };
    for (int round = 0; round < 40; ++round) {
        const Column &column = columns[random.bounded(int(std::size(columns)))];
        const QString tableName = QLatin1String(column.table);
        const QString field = QLatin1String(column.field);
        // Values of the column itself, so that the conditions find rows.
        const QStringList values = rowsOf(SqliteConnection,
            QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL")
                .arg(field, tableName));
        QVERIFY(values.size() >= 2);
        auto literal = [&](int k) {
            const QString v = values.at(k % values.size());
            return column.number ? v : QLatin1Char('\'') + QString(v).replace("'", "''") + '\'';
        };
        const int a = int(random.bounded(int(values.size())));
        const int b = int(random.bounded(int(values.size())));
        const QStringList ops = { "= %1", "<> %1", "!= %1", "< %1", "> %1", "<= %1", ">= %1",
            "IN (%1, %2)", "NOT IN (%1, %2)", "BETWEEN %1 AND %2", "IS NULL", "IS NOT NULL",
            column.number ? "= %1" : "LIKE 'A%'", column.number ? "<> %2" : "not like '%e%'" };
        const QString criterion
            = ops.at(int(random.bounded(int(ops.size())))).arg(literal(a), literal(b));
        m_form->btnNewClick(nullptr);
        TSchemaItem *item = table(tableName);
        TSchemaSubItem *row = item->GetSubItemByName(field);
        QVERIFY(row);
        row->SetChecked(true);
        m_form->sgColumnGrid->SetCells(columnOf(row), 4, QStringLiteral("  ") + criterion);
        const QString sql = m_form->GenerateSQL();
        const QString full = QStringLiteral("SELECT %2.%1 FROM %2 WHERE %2.%1 %3")
                                 .arg(field, tableName, criterion);
        for (const QString &connection : connections()) {
            QString error;
            const QStringList got = rowsOf(connection, sql, &error);
            QVERIFY2(error.isEmpty(), qPrintable(sql + '\n' + error));
            QCOMPARE(got, rowsOf(standardConnection(connection), full));
        }
    }
}

void tst_QueryTool::typedCriteriaWereLost_data()
{
    QTest::addColumn<QString>("path");
    for (const char *path : { "Return", "SQL page", "Generate", "Execute", "OK", "Save" })
        QTest::newRow(path) << QString::fromLatin1(path);
}

// A where value typed into the cell editor counts wherever the user goes next.
void tst_QueryTool::typedCriteriaWereLost()
{
    QFETCH(QString, path);
    TfrmZkSQLBuilder &form = *m_form;
    TSchemaSubItem *city = table("customer")->GetSubItemByName("city");
    city->SetChecked(true);
    const int col = columnOf(city);
    form.sgColumnGrid->SetCurrentCell(col, 4);
    bool canSelect = true;
    form.sgColumnGridSelectCell(form.sgColumnGrid, col, 4, canSelect);
    QVERIFY(!form.edWhere->isHidden());
    form.edWhere->setText("= 'Wien'");
    m_dialogs->saveAnswer = m_dir.filePath("typed.sch");
    if (path == "Return")
        QTest::keyClick(form.edWhere, Qt::Key_Return);
    else if (path == "SQL page")
        form.pcSQL->setCurrentWidget(form.tsSQL);
    else if (path == "Generate")
        form.btnGenSQL->click();
    else if (path == "Execute")
        form.btnExecSQL->click();
    else if (path == "OK")
        form.btnOK->click();
    else
        form.btnSave->click();
    QCOMPARE(form.sgColumnGrid->Cells(col, 4), QStringLiteral("= 'Wien'"));
    QVERIFY(form.GenerateSQL().contains("WHERE  (customer.city = 'Wien')"));
    if (path == "Return")
        QVERIFY(form.result() != QDialog::Accepted); // Return stayed in the grid
}

void tst_QueryTool::okFollowsWhatWasTouchedLast_data()
{
    QTest::addColumn<bool>("changeAfter");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("typedComesBack");
    QTest::newRow("typed last") << false << false << true;
    QTest::newRow("diagram changed after, replaced") << true << true << false;
    QTest::newRow("diagram changed after, kept") << true << false << true;
}

// OK hands back the typed text while the diagram stays as it was; after a change, the
// regenerated statement, once the user agrees to lose the typing.
void tst_QueryTool::okFollowsWhatWasTouchedLast()
{
    QFETCH(bool, changeAfter);
    QFETCH(bool, replace);
    QFETCH(bool, typedComesBack);
    TfrmZkSQLBuilder &form = *m_form;
    form.SetSQLEditable(true);
    TSchemaItem *customer = table("customer");
    customer->GetSubItemByName("name")->SetChecked(true);
    form.pcSQL->setCurrentWidget(form.tsSQL);
    const QString typed = QStringLiteral("SELECT customer.name FROM customer WHERE id < 3");
    form.SQLMemo->setPlainText(typed);
    if (changeAfter)
        customer->GetSubItemByName("city")->SetChecked(true);
    m_dialogs->confirmAnswer = replace;
    form.btnOK->click();
    QCOMPARE(form.SQLText() == typed, typedComesBack);
    QCOMPARE(m_dialogs->questions.size(), changeAfter ? 1 : 0);
    if (!typedComesBack)
        QVERIFY(form.SQLText().contains("customer.city"));
}

// Typing a mistake marks it where PostgreSQL's parser points; Apply rebuilds the diagram.
void tst_QueryTool::sqlPageMarksTheParseError()
{
    TfrmZkSQLBuilder &form = *m_form;
    form.SetSQLEditable(true);
    QVERIFY(!form.SQLMemo->isReadOnly());
    form.pcSQL->setCurrentWidget(form.tsSQL);
    form.SQLMemo->setPlainText("SELECT name FORM customer");
    form.CheckSQLText();
    QVERIFY(form.SQLError().contains("syntax error"));
    QCOMPARE(form.SQLErrorPosition(), qsizetype(17)); // "customer", where the parser stops
    QVERIFY2(form.SQLError().endsWith("(line 1, column 18)"), qPrintable(form.SQLError()));
    form.SQLMemo->setPlainText("SELECT name\r\nFROM customer\nWHERE WHERE");
    form.CheckSQLText();
    QVERIFY2(form.SQLError().endsWith("(line 3, column 7)"), qPrintable(form.SQLError()));
    QCOMPARE(form.SQLMemo->extraSelections().size(), 1);
    form.SQLMemo->setPlainText("SELECT c.name FROM customer c WHERE c.city = 'Wien'");
    form.CheckSQLText();
    QVERIFY(form.SQLError().isEmpty());
    QVERIFY(form.SQLMemo->extraSelections().isEmpty());
    const QStringList notes = form.ApplySQLToDiagram();
    QVERIFY2(notes.isEmpty(), qPrintable(notes.join("; ")));
    QCOMPARE(form.SchemaDesignArea->GetItemCount(), 1);
    QVERIFY(form.GenerateSQL().contains("(customer.city = 'Wien')"));
}

// The notes under the SQL page tell of the statement as it was generated or applied: typing
// makes them stale, and they go.
void tst_QueryTool::notesStayedAfterTheTextWasEdited()
{
    TfrmZkSQLBuilder &form = *m_form;
    form.SetSQLEditable(true);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.pcSQL->setCurrentWidget(form.tsSQL);
    form.SQLMemo->setPlainText("SELECT customer.nam FROM customer");
    const QStringList notes = form.ApplySQLToDiagram();
    QVERIFY(!notes.isEmpty());
    form.pcSQL->setCurrentWidget(form.tsSQL);
    QVERIFY(form.lblSQLNotes->isVisible());
    form.SQLMemo->setFocus();
    form.SQLMemo->moveCursor(QTextCursor::End);
    QTest::keyClick(form.SQLMemo, Qt::Key_E);
    QVERIFY(!form.lblSQLNotes->isVisible());
}

void tst_QueryTool::mariadbTextColouredAsStandardSql_data()
{
    QTest::addColumn<bool>("mysql");
    QTest::addColumn<bool>("ansiQuotes");
    QTest::addColumn<bool>("backslashes"); // a backslash escapes the next character in strings
    QTest::addColumn<bool>("stringInDoubleQuotes"); // "Wien" a string, else a name
    QTest::addColumn<bool>("hashComment");
    QTest::newRow("standard SQL") << false << false << false << false << false;
    QTest::newRow("MariaDB") << true << false << true << true << true;
    QTest::newRow("MariaDB with ANSI_QUOTES") << true << true << true << false << true;
    QTest::newRow("MariaDB with NO_BACKSLASH_ESCAPES") << true << false << false << true << true;
}

// The SQL page coloured a statement for MariaDB as standard SQL: "# note" plain, "Wien" a name,
// where the session reads a comment and a string. It reads the text as the session does.
void tst_QueryTool::mariadbTextColouredAsStandardSql()
{
    QFETCH(bool, mysql);
    QFETCH(bool, ansiQuotes);
    QFETCH(bool, backslashes);
    QFETCH(bool, stringInDoubleQuotes);
    QFETCH(bool, hashComment);
    struct SpellingEngine : TSchemaCustomDataEngine {
        SqlSpelling spelling;
        SqlSpelling StatementSpelling() override { return spelling; }
    } engine;
    engine.spelling.Mysql = mysql;
    engine.spelling.Mode.AnsiQuotes = ansiQuotes;
    engine.spelling.Mode.BackslashEscapes = backslashes;
    TfrmZkSQLBuilder form;
    form.SetDataEngine(&engine);
    form.SetSQLEditable(true);
    const QString text = QStringLiteral("SELECT `c`.name, 'x' FROM customer c\n"
                                        "WHERE c.city = \"Wien\" # the capital\n"
                                        "AND c.name <> 'O''Brien' -- a note\n"
                                        "ORDER BY 1, 'a\\'b' + 'c'");
    form.SQLMemo->setPlainText(text);
    const auto formatAt = [&](const QString &part) {
        const int position = int(text.indexOf(part));
        const QTextBlock block = form.SQLMemo->document()->findBlock(position);
        for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
            const int at = position - block.position();
            if (at >= range.start && at < range.start + range.length)
                return range.format;
        }
        return QTextCharFormat();
    };
    const QColor string = formatAt("'x'").foreground().color();
    const QTextCharFormat wien = formatAt("\"Wien\"");
    QVERIFY(wien.hasProperty(QTextFormat::ForegroundBrush)); // a string or a name
    QCOMPARE(wien.foreground().color() == string, stringInDoubleQuotes);
    if (mysql) {
        const QTextCharFormat backQuoted = formatAt("`c`");
        QVERIFY(backQuoted.hasProperty(QTextFormat::ForegroundBrush));
        QCOMPARE(
            wien.foreground().color() == backQuoted.foreground().color(), !stringInDoubleQuotes);
    }
    QCOMPARE(formatAt("# the capital").fontItalic(), hashComment);
    QVERIFY(formatAt("-- a note").fontItalic());
    QCOMPARE(formatAt("ORDER").fontWeight(), int(QFont::Bold));
    // 'a\'b' is one string where a backslash escapes; else "+" stands in the string ' + '.
    QCOMPARE(formatAt("+ ").foreground().color() == string
            && formatAt("+ ").hasProperty(QTextFormat::ForegroundBrush),
        !backslashes);
}

void tst_QueryTool::runsNeverFreezeAndCancel_data()
{
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("slow");
    QTest::newRow("SQLite")
        << SqliteConnection
        << "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 200000000) "
           "SELECT COUNT(*) FROM c";
    QTest::newRow("PostgreSQL") << PostgresConnection << "SELECT pg_sleep(20)";
    QTest::newRow("MariaDB") << MariaDbConnection << "SELECT SLEEP(20)";
}

// A long statement leaves the event loop free, and Cancel ends it on the database at once;
// the engine's own connection goes on working.
void tst_QueryTool::runsNeverFreezeAndCancel()
{
    QFETCH(QString, connection);
    QFETCH(QString, slow);
    if (connection == PostgresConnection && !m_hasPostgres)
        QSKIP("no PostgreSQL server named by DIDUZA_PG_* (scripts/pg-start BUILD-DIR, then "
              ". BUILD-DIR/pg.env)");
    if (connection == MariaDbConnection && !m_hasMariaDb)
        QSKIP("no MariaDB server named by DIDUZA_MYSQL_* (scripts/mariadb-start BUILD-DIR, then "
              ". BUILD-DIR/mariadb.env)");
    m_engine->SetConnectionName(connection);
    std::unique_ptr<TSchemaQueryRun> run(m_engine->StartSQL(slow));
    QVERIFY(run);
    QElapsedTimer clock;
    clock.start();
    qint64 gap = 0;
    QVERIFY(!waitForRun(run.get(), 700, &gap)); // still running
    QVERIFY2(gap < 200, qPrintable(QString::number(gap)));
    bool cancelled = false;
    connect(run.get(), &TSchemaQueryRun::Finished, this,
        [&](const QString &, int, bool c) { cancelled = c; });
    clock.restart();
    run->Cancel();
    QVERIFY(waitForRun(run.get(), 5000));
    const qint64 cancelTime = clock.elapsed();
    qInfo("%s: ended %lld ms after Cancel", qPrintable(connection), cancelTime);
    QVERIFY2(cancelTime < 1500, qPrintable(QString::number(cancelTime)));
    QVERIFY(cancelled);
    QCOMPARE(rowsOf(connection, "SELECT 1"), QStringList { "1" });
}

// The first rows come at once, the others as the view asks for them, up to the row limit;
// the form shows the count.
void tst_QueryTool::rowsArriveInPages()
{
    for (const QString &connection : connections()) {
        m_engine->SetConnectionName(connection);
        std::unique_ptr<TSchemaQueryRun> run(m_engine->StartSQL("SELECT id FROM orders", 250, 100));
        TSchemaRunModel model(run.get());
        while (model.rowCount() == 0 && !run->IsFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCOMPARE(model.rowCount(), 100);
        QVERIFY(model.canFetchMore(QModelIndex()));
        while (!model.IsComplete()) {
            model.fetchMore(QModelIndex());
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        QCOMPARE(model.rowCount(), 250);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("id"));
    }
    TfrmZkSQLBuilder &form = *m_form;
    m_engine->SetConnectionName(SqliteConnection);
    form.SetBackgroundExecution(true);
    form.SetRowLimit(10);
    table("orders")->GetSubItemByName("id")->SetChecked(true);
    form.btnExecSQL->click();
    QElapsedTimer clock;
    clock.start();
    while ((form.IsRunning() || !form.ResultModel() || form.ResultModel()->rowCount() < 10)
        && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCOMPARE(form.ResultModel()->rowCount(), 10);
    QVERIFY(form.lblResultStatus->text().startsWith("10 row(s) (the row limit)"));
}

void tst_QueryTool::firstPageColumnsFitTheirRows_data()
{
    QTest::addColumn<bool>("shown");
    QTest::newRow("window shown") << true;
    QTest::newRow("window hidden") << false;
}

// The columns of the first page are as wide as the values of its first rows, shown or not.
void tst_QueryTool::firstPageColumnsFitTheirRows()
{
    QFETCH(bool, shown);
    TfrmZkSQLBuilder &form = *m_form;
    form.resize(1000, 700);
    if (shown)
        form.show();
    form.SetBackgroundExecution(true);
    const QString wide = QStringLiteral("a value much wider than its title");
    form.SetSQLText(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM "
                                   "c WHERE x < 2000) SELECT x AS n, CASE WHEN x = 3 THEN '%1' "
                                   "ELSE 'v' END AS t FROM c")
                        .arg(wide));
    form.btnExecSQL->click();
    QTRY_VERIFY(form.ResultModel() && form.ResultModel()->rowCount() > 0);
    QCOMPARE(form.ResultModel()->data(form.ResultModel()->index(2, 1)).toString(), wide);
    QVERIFY2(form.DBGrid1->columnWidth(1) > form.DBGrid1->fontMetrics().horizontalAdvance(wide),
        qPrintable(QString::number(form.DBGrid1->columnWidth(1))));
}

// Selected cells copy as lines of tab-separated values; the results save as CSV that a CSV
// reader reads back as they were.
void tst_QueryTool::resultsCopiedAndSavedAsCsv()
{
    TfrmZkSQLBuilder &form = *m_form;
    form.SetSQLEditable(true);
    form.SetBackgroundExecution(true);
    form.pcSQL->setCurrentWidget(form.tsSQL);
    form.SQLMemo->setPlainText("SELECT 'a,b' AS x, 'say \"hi\"' AS y, 'two' || char(10) || "
                               "'lines' AS z, NULL AS w, 'é' AS v UNION ALL SELECT '1', '2', "
                               "'3', '4', '5'");
    form.RunSQLText();
    QElapsedTimer clock;
    clock.start();
    while ((form.IsRunning() || !form.ResultModel() || form.ResultModel()->rowCount() < 2)
        && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCOMPARE(form.ResultModel()->rowCount(), 2);
    form.DBGrid1->selectAll();
    QCOMPARE(
        form.SelectedCellsText(), QStringLiteral("a,b\tsay \"hi\"\ttwo lines\t\té\n1\t2\t3\t4\t5"));
    const QString file = m_dir.filePath("rows.csv");
    QVERIFY(form.SaveResultsCsv(file));
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QVector<QStringList> records = readCsv(QString::fromUtf8(csv.readAll()));
    QCOMPARE(records.size(), 3);
    QCOMPARE(records.at(0), QStringList({ "x", "y", "z", "w", "v" }));
    QCOMPARE(records.at(1), QStringList({ "a,b", "say \"hi\"", "two\nlines", "", "é" }));
    QCOMPARE(records.at(2), QStringList({ "1", "2", "3", "4", "5" }));
}

// A failed run shows the database's message with an icon; where PostgreSQL names a place in the
// statement, the SQL page marks it.
// MySQL and MariaDB hand a result over whole: the results page says that its rows are held in
// memory. The other databases hand theirs over page by page and say nothing of it.
void tst_QueryTool::resultsSayWhereRowsAreHeldWhole()
{
    TfrmZkSQLBuilder &form = *m_form;
    form.SetBackgroundExecution(true);
    table("orders")->GetSubItemByName("id")->SetChecked(true);
    for (const QString &connection : connections()) {
        m_engine->SetConnectionName(connection);
        form.btnExecSQL->click();
        QElapsedTimer clock;
        clock.start();
        while ((form.IsRunning() || !form.ResultModel() || form.ResultModel()->rowCount() == 0)
            && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QVERIFY(form.ResultModel() && form.ResultModel()->rowCount() > 0);
        const QString status = form.lblResultStatus->text();
        QVERIFY2(status.contains("held in memory") == (connection == MariaDbConnection),
            qPrintable(connection + ": " + status));
    }
}

void tst_QueryTool::errorsShowWhereTheDatabasePoints()
{
    for (const QString &connection : connections()) {
        m_engine->SetConnectionName(connection);
        TfrmZkSQLBuilder form;
        form.SetDataEngine(m_engine.get());
        form.SetSQLEditable(true);
        form.SetBackgroundExecution(true);
        form.pcSQL->setCurrentWidget(form.tsSQL);
        form.SQLMemo->setPlainText("SELECT name,\n  nosuch FROM customer");
        form.RunSQLText();
        QElapsedTimer clock;
        clock.start();
        while (
            (form.IsRunning() || form.lblResultError->text().isEmpty()) && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QVERIFY(form.lblResultError->text().contains("nosuch"));
        QVERIFY(!form.lblResultIcon->isHidden());
        if (connection == PostgresConnection) {
            QCOMPARE(form.SQLErrorPosition(), qsizetype(15)); // "nosuch" on the second line
            QVERIFY2(form.lblResultError->text().endsWith("At line 2, column 3 of the statement."),
                qPrintable(form.lblResultError->text()));
        }
    }
}

// The rows 1 .. n of x and a text, on each database (MariaDB's recursion stops at 1,000 rows:
// its sequence engine counts).
QString countingRows(const QString &connection, qint64 n)
{
    if (connection == PostgresConnection)
        return QStringLiteral("SELECT g AS x, 'row ' || g AS t FROM generate_series(1, %1) g")
            .arg(n);
    if (connection == MariaDbConnection)
        return QStringLiteral("SELECT seq AS x, CONCAT('row ', seq) AS t FROM seq_1_to_%1").arg(n);
    return QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE "
                          "x < %1) SELECT x, 'row ' || x AS t FROM c")
        .arg(n);
}

// Runs the event loop until done() or timeoutMs have passed.
bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Save as CSV on a paged result writes every row from the run's thread: the grid keeps the
// page it shows, the file has the whole result, and the status line says so.
void tst_QueryTool::savingStreamsRowsTheGridHasNot()
{
    constexpr int Rows = 20000;
    for (const QString &connection : connections()) {
        m_engine->SetConnectionName(connection);
        TfrmZkSQLBuilder form;
        form.SetDataEngine(m_engine.get());
        form.SetBackgroundExecution(true);
        form.SetSQLText(countingRows(connection, Rows));
        form.btnExecSQL->click();
        QVERIFY(waitFor(
            [&] {
                return form.ResultModel() && form.ResultModel()->rowCount() > 0
                    && !form.IsRunning();
            },
            30000));
        const int shown = form.ResultModel()->rowCount();
        QCOMPARE(shown, 500); // the first page
        const QString file = m_dir.filePath(connection + "-all.csv");
        m_dialogs->saveAnswer = file;
        form.btnSaveCsv->click();
        QVERIFY(form.IsSavingResults());
        QVERIFY(!form.btnSaveCsv->isEnabled());
        QVERIFY(form.btnCancelRun->isEnabled());
        QVERIFY(waitFor([&] { return !form.IsSavingResults(); }, 60000));
        QVERIFY2(m_dialogs->errors.isEmpty(), qPrintable(m_dialogs->errors.join('\n')));
        QCOMPARE(form.ResultModel()->rowCount(), shown);
        QFile csv(file);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QVector<QStringList> records = readCsv(QString::fromUtf8(csv.readAll()));
        QCOMPARE(records.size(), Rows + 1);
        QCOMPARE(records.first(), QStringList({ "x", "t" }));
        for (int r = 1; r <= Rows; r += 997)
            QCOMPARE(
                records.at(r), QStringList({ QString::number(r), "row " + QString::number(r) }));
        QCOMPARE(
            records.last(), QStringList({ QString::number(Rows), "row " + QString::number(Rows) }));
        QVERIFY2(form.lblResultStatus->text().contains("20000 row(s) saved to"),
            qPrintable(form.lblResultStatus->text()));
        QVERIFY(form.btnSaveCsv->isEnabled());
    }
}

void tst_QueryTool::savingWhileRunningWaitsForTheRows_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("the statement ends") << false;
    QTest::newRow("the statement is cancelled") << true;
}

// Save as CSV while the statement still runs writes nothing until its rows come, then all of
// them; cancelled, it writes nothing at all.
void tst_QueryTool::savingWhileRunningWaitsForTheRows()
{
    QFETCH(bool, cancel);
    TfrmZkSQLBuilder &form = *m_form;
    form.SetBackgroundExecution(true);
    const qint64 count = cancel ? 200000000 : 1500000;
    form.SetSQLText(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM "
                                   "c WHERE x < %1) SELECT COUNT(*) AS n FROM c")
                        .arg(count));
    form.btnExecSQL->click();
    QVERIFY(form.IsRunning());
    const QString file = m_dir.filePath(QStringLiteral("while-running-%1.csv").arg(cancel));
    QVERIFY(form.StartSavingResultsCsv(file));
    QVERIFY(form.IsSavingResults());
    QTest::qWait(50);
    QVERIFY(!QFile::exists(file));
    if (cancel)
        form.btnCancelRun->click();
    QVERIFY(waitFor([&] { return !form.IsSavingResults() && !form.IsRunning(); }, 120000));
    if (cancel) {
        QVERIFY(!QFile::exists(file));
        QVERIFY2(form.lblResultStatus->text().contains("saving cancelled"),
            qPrintable(form.lblResultStatus->text()));
        return;
    }
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(readCsv(QString::fromUtf8(csv.readAll())),
        QVector<QStringList>({ { "n" }, { QString::number(count) } }));
}

// Cancel while rows are being saved stops the saving and leaves the file as it was.
void tst_QueryTool::cancelledSavingLeavesTheFile()
{
    TfrmZkSQLBuilder &form = *m_form;
    form.SetBackgroundExecution(true);
    form.SetSQLText(countingRows(SqliteConnection, 1000000000));
    form.btnExecSQL->click();
    QVERIFY(
        waitFor([&] { return form.ResultModel() && form.ResultModel()->rowCount() > 0; }, 30000));
    const QString file = m_dir.filePath("kept.csv");
    {
        QFile before(file);
        QVERIFY(before.open(QIODevice::WriteOnly));
        before.write("what was there");
    }
    QVERIFY(form.StartSavingResultsCsv(file));
    // Rows are being written: the status line counts them.
    QVERIFY(waitFor(
        [&] {
            return form.lblResultStatus->text().contains(
                QRegularExpression("Saving to kept.csv: [1-9][0-9]* row"));
        },
        60000));
    QVERIFY(form.IsSavingResults());
    form.btnCancelRun->click();
    QVERIFY(waitFor([&] { return !form.IsSavingResults(); }, 10000));
    QFile after(file);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), QByteArray("what was there"));
    QVERIFY(form.ResultModel()->rowCount() <= 500);
    QVERIFY(form.lblResultStatus->text().contains("saving cancelled, kept.csv was not written"));
    QVERIFY(m_dialogs->errors.isEmpty());
}

void tst_QueryTool::runningShowsAndClosingEndsIt_data()
{
    QTest::addColumn<QString>("close");
    QTest::addColumn<bool>("saving");
    QTest::addColumn<bool>("agree");
    QTest::newRow("Cancel button") << "button" << false << true;
    QTest::newRow("window closed") << "window" << false << true;
    QTest::newRow("Escape") << "Escape" << false << true;
    QTest::newRow("window closed while saving, agreed") << "window" << true << true;
    QTest::newRow("window closed while saving, kept") << "window" << true << false;
}

// While a statement runs, both pages show it and Run and Execute wait; Escape ends the run
// and keeps the window, closing ends the run and closes, asking only while rows are saved.
void tst_QueryTool::runningShowsAndClosingEndsIt()
{
    QFETCH(QString, close);
    QFETCH(bool, saving);
    QFETCH(bool, agree);
    TfrmZkSQLBuilder &form = *m_form;
    form.SetSQLEditable(true);
    form.SetBackgroundExecution(true);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QString slow = saving ? countingRows(SqliteConnection, 1000000000)
                                : QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
                                                 "SELECT x + 1 FROM c WHERE x < 200000000) "
                                                 "SELECT COUNT(*) FROM c");
    form.pcSQL->setCurrentWidget(form.tsSQL);
    form.SetSQLText(slow);
    form.btnRunSQL->click();
    TSchemaQueryRun *run = qobject_cast<TSchemaRunModel *>(form.ResultModel())->Run();
    QVERIFY(run);
    if (saving) {
        QVERIFY(waitFor([&] { return !form.IsRunning(); }, 30000)); // the first page is there
        QVERIFY(form.StartSavingResultsCsv(m_dir.filePath("closing.csv")));
    }
    QVERIFY(form.IsRunning() || form.IsSavingResults());
    QVERIFY(!form.btnRunSQL->isEnabled());
    QVERIFY(!form.btnExecSQL->isEnabled());
    QVERIFY(!form.pbRunning->isHidden());
    QVERIFY(!form.pbSQLRunning->isHidden());
    QVERIFY(form.btnCancelRun->isEnabled());
    // Neither the run keys nor a look at the other page start the statement again.
    QTest::keyClick(&form, Qt::Key_F5);
    form.pcSQL->setCurrentWidget(form.tsSQL);
    form.pcSQL->setCurrentWidget(form.tsResults);
    QCOMPARE(qobject_cast<TSchemaRunModel *>(form.ResultModel())->Run(), run);
    QVERIFY(form.IsRunning() || form.IsSavingResults());

    m_dialogs->confirmAnswer = agree;
    if (close == "button")
        form.btnCancel->click();
    else if (close == "window")
        form.close();
    else
        QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(m_dialogs->questions.size(), saving ? 1 : 0);
    const bool closes = close != "Escape" && agree;
    QCOMPARE(form.isVisible(), !closes);
    if (saving && !agree) {
        QVERIFY(form.IsSavingResults()); // the saving goes on
        form.CancelRun();
    }
    // The run's thread ends a little after the saving (on a busy machine, later).
    QVERIFY(waitFor(
        [&] { return !form.IsRunning() && !form.IsSavingResults() && run->IsFinished(); }, 10000));
    QVERIFY(form.btnRunSQL->isEnabled());
    QVERIFY(form.btnExecSQL->isEnabled());
    QVERIFY(form.pbSQLRunning->isHidden());
    QVERIFY(!form.btnCancelRun->isEnabled());
}

// Numbers stand at the right of their cells, texts at the left; Copy with headers puts the
// column names on a first line.
void tst_QueryTool::numbersStandRightAndCopyTakesHeaders()
{
    TfrmZkSQLBuilder &form = *m_form;
    form.SetBackgroundExecution(true);
    form.resize(1000, 700);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.SetSQLText("SELECT 42 AS \"whole\tnumber\", 2.5 AS real, 'text' AS word, NULL AS "
                    "empty UNION ALL SELECT -7, 1e10, '12', 0");
    form.btnExecSQL->click();
    QVERIFY(waitFor(
        [&] {
            return form.ResultModel() && form.ResultModel()->rowCount() == 2 && !form.IsRunning();
        },
        10000));
    QTableView *grid = form.DBGrid1;
    for (int c = 0; c < 4; ++c)
        grid->setColumnWidth(c, 160);
    QCoreApplication::processEvents();
    const QImage shot = grid->viewport()->grab().toImage();
    const auto pixel = [&](int x, int y) {
        return shot.pixelColor(x * shot.width() / grid->viewport()->width(),
            y * shot.height() / grid->viewport()->height());
    };
    const QColor background = pixel(grid->visualRect(grid->model()->index(0, 0)).left() + 3,
        grid->visualRect(grid->model()->index(0, 0)).top() + 2);
    // Where the ink of a cell begins and ends, in the cell's own coordinates.
    auto ink = [&](int row, int col) {
        const QRect cell = grid->visualRect(grid->model()->index(row, col)).adjusted(2, 2, -2, -2);
        int first = -1, last = -1;
        for (int x = cell.left(); x <= cell.right(); ++x) {
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                const QColor p = pixel(x, y);
                if (qAbs(p.lightness() - background.lightness()) > 80) {
                    if (first < 0)
                        first = x - cell.left();
                    last = x - cell.left();
                    break;
                }
            }
        }
        return std::make_pair(first, cell.width() - 1 - last);
    };
    for (int row = 0; row < 2; ++row) {
        for (int col : { 0, 1 }) { // numbers: close to the right edge, far from the left
            const auto [left, right] = ink(row, col);
            QVERIFY2(left > 60 && right < 12,
                qPrintable(QStringLiteral("%1,%2: %3 %4").arg(row).arg(col).arg(left).arg(right)));
        }
        const auto [left, right] = ink(row, 2); // text, also "12"
        QVERIFY2(left < 12 && right > 60, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
    }
    grid->selectAll();
    QCOMPARE(form.SelectedCellsText(true),
        QStringLiteral("whole number\treal\tword\tempty\n42\t2.5\ttext\t\n-7\t%1\t12\t0")
            .arg(QVariant(1e10).toString()));
    QAction *withHeaders = nullptr;
    for (QAction *action : grid->actions()) {
        if (action->text().remove('&') == "Copy with headers")
            withHeaders = action;
    }
    QVERIFY(withHeaders);
    QCOMPARE(withHeaders->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    withHeaders->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), form.SelectedCellsText(true));
    QVERIFY(form.SelectedCellsText(false).startsWith("42\t"));
}

QTEST_MAIN(tst_QueryTool)
#include "tst_querytool.moc"
