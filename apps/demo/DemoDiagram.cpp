#include "DemoDiagram.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaIcon.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaText.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/TStringList.h"
#include "relations/TSchemaRelation.h"

#include <QUndoStack>

using namespace Diduza;

namespace {
// A table of the database as a check-list item with one row per field.
TSchemaItem *table(
    TSchemaDesignArea *area, TSchemaDataEngine *engine, const QString &name, int x, int y)
{
    TSchemaItem *item = area->AddItem(name, scCheckListBox);
    if (!item)
        return nullptr;
    TStringList fields;
    engine->FillSubItemList(item, fields);
    for (int i = 0; i < fields.Count(); ++i)
        item->AddSubItemObject(fields.Strings(i), -1, false, fields.Objects(i));
    item->RecalculateHeight();
    item->RecalculateWidth();
    item->move(x, y);
    return item;
}

void link(TSchemaDesignArea *area, TSchemaItem *parent, const char *parentField, TSchemaItem *child,
    const char *childField)
{
    if (!parent || !child)
        return;
    TSchemaSubItem *p = parent->GetSubItemByName(QLatin1String(parentField));
    TSchemaSubItem *c = child->GetSubItemByName(QLatin1String(childField));
    if (p && c)
        area->AddRelation(parent, child, p, c);
}
} // namespace

void BuildDemoDiagram(TSchemaDesignArea *area, TSchemaDataEngine *engine)
{
    area->SetShowItemToolbar(true);

    TSchemaItem *customer = table(area, engine, QStringLiteral("customer"), 20, 50);
    TSchemaItem *orders = table(area, engine, QStringLiteral("orders"), 250, 90);
    TSchemaItem *employees = table(area, engine, QStringLiteral("employees"), 20, 260);
    TSchemaItem *details = table(area, engine, QStringLiteral("order details"), 480, 250);
    TSchemaItem *products = table(area, engine, QStringLiteral("products"), 520, 50);
    TSchemaItem *suppliers = table(area, engine, QStringLiteral("suppliers"), 780, 60);

    if (customer && orders) {
        customer->GetSubItemByName(QStringLiteral("name"))->SetChecked(true);
        orders->GetSubItemByName(QStringLiteral("amount"))->SetChecked(true);
    }
    link(area, customer, "id", orders, "customer_id"); // parent on the left
    link(area, employees, "id", orders, "employee_id"); // parent below, on the left
    link(area, orders, "id", details, "order_id"); // parent on the left
    link(area, products, "id", details, "product_id"); // overlapping: wraps round
    link(area, suppliers, "id", products, "supplier_id"); // child on the left
    link(area, employees, "id", employees, "reports_to"); // a self-link
    if (area->GetRelationCount() > 0)
        area->GetRelation(area->GetRelationCount() - 1)->SetRelationType(rtNonIdentifying);

    TSchemaItem *note = area->AddItem(QStringLiteral("Orders are billed monthly"), scText);
    note->SetBounds(250, 380, 170, 44);
    const struct {
        const char *text;
        TSchemaShapeKind shape;
        QRect bounds;
    } shapes[] = {
        { "Round", skRoundRect, QRect(20, 450, 90, 40) },
        { "Star", skStar, QRect(120, 440, 80, 70) },
        { "Triangle", skTriangle, QRect(210, 450, 90, 60) },
        { "Octagon", skOctogon, QRect(310, 450, 90, 60) },
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
    int x = 780;
    for (TSCIconType type : icons) {
        TSchemaItem *icon = area->AddItem(EnumValueName(type).mid(2), scIcon);
        icon->IconControl()->SetIconType(type);
        icon->SetColor(clInfoBk);
        icon->RecalculateHeight();
        icon->RecalculateWidth();
        icon->move(x, 300);
        x += 44;
    }
    // The program's own set-up is no step of the user's to undo.
    area->UndoStack()->clear();
}
