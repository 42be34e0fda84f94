#include "DemoDiagram.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaIcon.h"
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
    area->SetShowItemToolbar(true);

    TSchemaItem *customer = table(area, QStringLiteral("customer"), scCheckListBox,
        { "*", "id", "name", "city", "phone" }, 20, 56);
    TSchemaItem *orders = table(area, QStringLiteral("orders"), scCheckListBox,
        { "*", "id", "customer_id", "employee_id", "amount", "ordered_at" }, 260, 96);
    TSchemaItem *employee = table(area, QStringLiteral("employee"), scListBox,
        { "id", "name", "manager_id", "hired" }, 20, 236);
    TSchemaItem *product = table(area, QStringLiteral("product"), scListBox,
        { "id", "name", "supplier_id", "unit price" }, 520, 76);
    TSchemaItem *lines = table(area, QStringLiteral("order_line"), scListBox,
        { "order_id", "product_id", "quantity" }, 470, 246);

    TSchemaItem *tree = area->AddItem(QStringLiteral("catalogue"), scTreeView);
    tree->AddSubItem(QStringLiteral("products"), -1, false);
    tree->AddSubItem(QStringLiteral("id"), 0, false);
    tree->AddSubItem(QStringLiteral("name"), 0, false);
    tree->AddSubItem(QStringLiteral("suppliers"), -1, false);
    tree->AddSubItem(QStringLiteral("id"), 3, false);
    tree->RecalculateHeight();
    tree->RecalculateWidth();
    tree->move(260, 296);

    TSchemaItem *note = area->AddItem(QStringLiteral("Orders are billed monthly"), scText);
    note->SetBounds(20, 366, 160, 44);
    const struct {
        const char *text;
        TSchemaShapeKind shape;
        QRect bounds;
    } shapes[] = {
        { "Round", skRoundRect, QRect(200, 440, 90, 40) },
        { "Star", skStar, QRect(300, 420, 80, 70) },
        { "Triangle", skTriangle, QRect(390, 430, 90, 60) },
        { "Octagon", skOctogon, QRect(490, 430, 90, 60) },
        { "Ellipse", skEllipse, QRect(590, 440, 70, 30) },
    };
    for (const auto &shape : shapes) {
        TSchemaItem *text = area->AddItem(QString::fromLatin1(shape.text), scText);
        text->TextControl()->SetShapeKind(shape.shape);
        text->TextControl()->SetAlignment(Qt::AlignHCenter);
        text->TextControl()->SetLayout(TSchemaText::tlCenter);
        text->SetBounds(
            shape.bounds.x(), shape.bounds.y(), shape.bounds.width(), shape.bounds.height());
    }
    const TSCIconType icons[] = { itDatabase, itPrinter, itStopLight, itCalendar, itUser };
    int x = 700;
    for (TSCIconType type : icons) {
        TSchemaItem *icon = area->AddItem(EnumValueName(type).mid(2), scIcon);
        icon->IconControl()->SetIconType(type);
        icon->SetColor(clInfoBk);
        icon->RecalculateHeight();
        icon->RecalculateWidth();
        icon->move(x, 90);
        x += 44;
    }

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
