#include "DemoDiagram.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaText.h"
#include "relations/TSchemaRelation.h"

#include <QStringList>

using namespace Diduza;

namespace {
TSchemaItem *table(TSchemaDesignArea *area, const QString &name, TSchemaControlType type,
    const QStringList &fields, int x, int y)
{
    TSchemaItem *item = area->AddItem(name, type);
    for (const QString &field : fields)
        item->AddSubItem(field, -1, false);
    item->RecalculateHeight();
    item->RecalculateWidth();
    item->move(x, y);
    return item;
}
} // namespace

void BuildDemoDiagram(TSchemaDesignArea *area)
{
    TSchemaItem *customer = table(area, QStringLiteral("customer"), scCheckListBox,
        { "*", "id", "name", "city", "phone" }, 20, 20);
    TSchemaItem *orders = table(area, QStringLiteral("orders"), scCheckListBox,
        { "*", "id", "customer_id", "employee_id", "amount", "ordered_at" }, 260, 60);
    TSchemaItem *employee = table(area, QStringLiteral("employee"), scListBox,
        { "id", "name", "manager_id", "hired" }, 20, 200);
    TSchemaItem *product = table(area, QStringLiteral("product"), scListBox,
        { "id", "name", "supplier_id", "unit price" }, 520, 40);
    TSchemaItem *lines = table(area, QStringLiteral("order_line"), scListBox,
        { "order_id", "product_id", "quantity" }, 470, 210);

    TSchemaItem *tree = area->AddItem(QStringLiteral("catalogue"), scTreeView);
    tree->AddSubItem(QStringLiteral("products"), -1, false);
    tree->AddSubItem(QStringLiteral("id"), 0, false);
    tree->AddSubItem(QStringLiteral("name"), 0, false);
    tree->AddSubItem(QStringLiteral("suppliers"), -1, false);
    tree->AddSubItem(QStringLiteral("id"), 3, false);
    tree->RecalculateHeight();
    tree->RecalculateWidth();
    tree->move(260, 260);

    TSchemaItem *note = area->AddItem(QStringLiteral("Orders are billed monthly"), scText);
    note->RecalculateWidth();
    note->SetBounds(20, 330, 160, 44);

    customer->GetSubItem(2)->SetChecked(true);
    orders->GetSubItem(4)->SetChecked(true);

    // Parent on the left.
    area->AddRelation(customer, orders, customer->GetSubItem(1), orders->GetSubItem(2));
    // Child on the left.
    area->AddRelation(orders, employee, orders->GetSubItem(3), employee->GetSubItem(0));
    // Overlapping horizontally.
    area->AddRelation(product, lines, product->GetSubItem(0), lines->GetSubItem(1));
    // A row linked to another row of the same item.
    TSchemaRelation *self
        = area->AddRelation(employee, employee, employee->GetSubItem(2), employee->GetSubItem(0));
    self->SetRelationType(rtNonIdentifying);
    area->AddRelation(tree, product, tree->GetSubItem(1), product->GetSubItem(0));
}
