#pragma once

// The query builder's running example: customers with their order totals, orders above 100
// only, totals above 1000 only. Tables customer and orders, one inner join
// customer.id = orders.customer_id; the column customer.name sorted ascending, grouped, having
// SUM(orders.amount) > 1000, and the column orders.amount summed, where orders.amount > 100.
//
// Here are the diagram as data (built as the generator's input by the generator's test, on the
// builder's form by BuildOnForm), the macro values the generator fills the templates with, the
// statements it writes in each way of writing joins, and a hand-written statement that asks the
// same question with an explicit join. Qt Core only: widget-free tests include it too.

#include "platform/SchemaTypes.h"

#include <QString>

#include <iterator>
#include <utility>
#include <vector>

namespace DiduzaTest::WorkedExample {

// The tables, in the order they are added to the diagram.
inline const char *const Tables[] = { "customer", "orders" };

// The one relation: parent customer.id, child orders.customer_id, an inner join.
struct Join {
    const char *parentTable;
    const char *parentField;
    const char *childTable;
    const char *childField;
};
inline constexpr Join TheJoin = { "customer", "id", "orders", "customer_id" };

// A ticked row with the cells of its column in the builder's grid (empty: left as it is).
struct Column {
    const char *table;
    const char *field;
    const char *calculate;
    const char *sort;
    const char *where;
    const char *grouping;
    const char *having;
};
inline constexpr Column Columns[] = {
    { "customer", "name", "", "Ascending", "", "1", "SUM(orders.amount) > 1000" },
    { "orders", "amount", "Summa", "", "orders.amount > 100", "", "" },
};

// The rows of the builder's column grid that hold a column's settings.
enum GridRow { CalculateRow = 2, SortRow = 3, WhereRow = 4, GroupingRow = 5, HavingRow = 6 };

// The filled cells of a column, as (grid row, text), from the top of the grid.
inline std::vector<std::pair<int, QString>> GridCells(const Column &column)
{
    std::vector<std::pair<int, QString>> cells;
    const std::pair<int, const char *> all[] = { { CalculateRow, column.calculate },
        { SortRow, column.sort }, { WhereRow, column.where }, { GroupingRow, column.grouping },
        { HavingRow, column.having } };
    for (const auto &[row, text] : all) {
        if (*text)
            cells.emplace_back(row, QString::fromUtf8(text));
    }
    return cells;
}

// Builds the example on a query builder's form (a TfrmZkSQLBuilder; a template, so that this
// header needs no widgets) as the user does: the tables added as check lists with the rows the
// engine gives, the join drawn from row to row, the rows ticked, the grid's cells filled.
// Returns what went wrong, or an empty text.
template <class Form> QString BuildOnForm(Form &form)
{
    auto *area = form.SchemaDesignArea;
    auto item = [area](const char *caption) -> decltype(area->GetItem(0)) {
        for (int i = 0; i < area->GetItemCount(); ++i) {
            if (area->GetItem(i)->Caption() == QLatin1String(caption))
                return area->GetItem(i);
        }
        return nullptr;
    };
    auto row = [](auto *owner, const char *caption) -> decltype(owner->GetSubItem(0)) {
        for (int i = 0; owner && i < owner->GetSubItemCount(); ++i) {
            if (owner->GetSubItem(i)->Caption() == QLatin1String(caption))
                return owner->GetSubItem(i);
        }
        return nullptr;
    };
    for (const char *caption : Tables) {
        auto *added = area->AddItem(QString::fromLatin1(caption), Diduza::scCheckListBox);
        if (!added || added->GetSubItemCount() < 2)
            return QStringLiteral("the engine gave no rows for ") + QLatin1String(caption);
    }
    auto *parent = item(TheJoin.parentTable);
    auto *child = item(TheJoin.childTable);
    auto *parentRow = row(parent, TheJoin.parentField);
    auto *childRow = row(child, TheJoin.childField);
    if (!parentRow || !childRow || !area->AddRelation(parent, child, parentRow, childRow))
        return QStringLiteral("the join could not be drawn");
    std::vector<int> gridColumns;
    for (const Column &column : Columns) {
        auto *ticked = row(item(column.table), column.field);
        if (!ticked)
            return QStringLiteral("no row ") + QLatin1String(column.field);
        ticked->SetChecked(true);
        gridColumns.push_back(form.sgColumnGrid->ColCount() - 1);
    }
    for (std::size_t i = 0; i < std::size(Columns); ++i) {
        for (const auto &[gridRow, text] : GridCells(Columns[i]))
            form.sgColumnGrid->SetCells(gridColumns[i], gridRow, text);
    }
    return QString();
}

// The values of the template macros, as the generator fills them in.
inline const QString Fields = QStringLiteral("customer.name, SUM(orders.amount)");
inline const QString FromTables = QStringLiteral("customer, orders");
// The inner join as the JOIN-clause dialect (stStandard) and as the WHERE-clause dialects write
// it.
inline const QString InnerJoinClause
    = QStringLiteral("INNER JOIN (customer.id = orders.customer_id)");
inline const QString InnerJoinCondition = QStringLiteral("(customer.id = orders.customer_id)");
inline const QString WhereFilter = QStringLiteral(" (orders.amount > 100)");
inline const QString Groups = QStringLiteral("name");
inline const QString HavingFilter = QStringLiteral(" (SUM(orders.amount) > 1000)");
inline const QString Orders = QStringLiteral("name ASC");

// The statement as the JOIN-clause dialect (stStandard, and the builder without an engine)
// writes it. No database runs it: JOIN is followed by a bare condition.
inline const QString JoinClause
    = QStringLiteral("SELECT  customer.name, SUM(orders.amount) \r\n"
                     "FROM customer, orders \r\n"
                     "   INNER JOIN (customer.id = orders.customer_id) \r\n"
                     "WHERE  (orders.amount > 100) \r\n"
                     "GROUP BY name \r\n"
                     "HAVING  (SUM(orders.amount) > 1000) \r\n"
                     "ORDER BY name ASC\r\n");
// As the WHERE-clause dialects (stLocal, stOracle, stMSSQL) write it.
inline const QString WhereClause = QStringLiteral("SELECT  customer.name, SUM(orders.amount) \r\n"
                                                  "FROM customer, orders \r\n"
                                                  "WHERE  (orders.amount > 100) \r\n"
                                                  "   AND (customer.id = orders.customer_id) \r\n"
                                                  "GROUP BY name \r\n"
                                                  "HAVING  (SUM(orders.amount) > 1000) \r\n"
                                                  "ORDER BY name ASC\r\n");
// As the join-tree dialect (stAnsi) writes it.
inline const QString JoinTree
    = QStringLiteral("SELECT  customer.name, SUM(orders.amount) \r\n"
                     "FROM customer \r\n"
                     "   INNER JOIN orders ON (customer.id = orders.customer_id) \r\n"
                     "WHERE  (orders.amount > 100) \r\n"
                     "GROUP BY customer.name \r\n"
                     "HAVING  (SUM(orders.amount) > 1000) \r\n"
                     "ORDER BY customer.name ASC\r\n");

// The same question in hand-written standard SQL, with an explicit join.
inline constexpr char Reference[]
    = "SELECT c.name, SUM(o.amount) FROM customer c JOIN orders o ON o.customer_id = c.id"
      " WHERE o.amount > 100 GROUP BY c.name HAVING SUM(o.amount) > 1000 ORDER BY c.name";

} // namespace DiduzaTest::WorkedExample
