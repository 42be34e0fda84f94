// Embeds a schema design area in a window, adds two tables and joins them.
#include <diagram/TSchemaDesignArea.h>
#include <diagram/TSchemaItem.h>
#include <diagram/TSchemaSubItem.h>
#include <relations/TSchemaRelation.h>

#include <QApplication>
#include <QMainWindow>

#include <cstdio>

using namespace Diduza;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    auto *area = new TSchemaDesignArea(&window);
    window.setCentralWidget(area);

    TSchemaItem *customer = area->AddItem("customer", scCheckListBox);
    customer->AddSubItem("id", -1, false);
    customer->AddSubItem("name", -1, true);
    TSchemaItem *orders = area->AddItem("orders", scCheckListBox);
    orders->AddSubItem("id", -1, false);
    orders->AddSubItem("customer_id", -1, false);
    orders->move(250, 40);
    area->AddRelation(customer, orders, customer->GetSubItem(0), orders->GetSubItem(1));
    window.show();

    std::printf("items=%d relations=%d linked=%d\n", area->GetItemCount(), area->GetRelationCount(),
        int(orders->GetSubItem(1)->Linked()));
    return area->GetItemCount() == 2 && area->GetRelationCount() == 1 ? 0 : 1;
}
