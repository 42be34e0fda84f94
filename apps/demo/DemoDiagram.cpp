#include "DemoDiagram.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaText.h"
#include "engines/TSchemaDataEngine.h"
#include "relations/TSchemaRelation.h"

#include <QUndoStack>

using namespace Diduza;

void BuildDemoDiagram(TSchemaDesignArea *area, TSchemaDataEngine *engine)
{
    area->SetShowItemToolbar(true);
    area->SetDataEngine(engine);
    area->SetShowKeys(true);
    // "Add related tables" in every item's menu.
    area->RelatedTablesAction();

    // The tables with their relations, as the database's foreign keys declare them; then each
    // where it shows one line arrangement: parent on the left (customer and orders), parent
    // below (employees), overlapping (products and order details, which wraps round), child on
    // the left (suppliers and products), and the employees' link to themselves.
    area->AddDatabaseTables({ QStringLiteral("customer"), QStringLiteral("orders"),
                                QStringLiteral("employees"), QStringLiteral("order details"),
                                QStringLiteral("products"), QStringLiteral("suppliers") },
        scCheckListBox);
    const struct {
        const char *table;
        QPoint at;
    } places[] = {
        { "customer", QPoint(20, 50) },
        { "orders", QPoint(250, 90) },
        { "employees", QPoint(20, 260) },
        { "order details", QPoint(480, 250) },
        { "products", QPoint(520, 50) },
        { "suppliers", QPoint(780, 60) },
    };
    for (const auto &place : places) {
        if (TSchemaItem *item = area->FindItem(QLatin1String(place.table)))
            item->move(place.at);
    }
    TSchemaItem *customer = area->FindItem(QStringLiteral("customer"));
    TSchemaItem *orders = area->FindItem(QStringLiteral("orders"));
    if (customer && orders) {
        customer->GetSubItemByName(QStringLiteral("name"))->SetChecked(true);
        orders->GetSubItemByName(QStringLiteral("amount"))->SetChecked(true);
    }
    for (int i = 0; i < area->GetRelationCount(); ++i) {
        TSchemaRelation *relation = area->GetRelation(i);
        if (relation->ParentItem() == relation->ChildItem())
            relation->SetRelationType(rtNonIdentifying);
    }

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
