// Builds the form of orders.ui (compiled by uic) and shows what its components carry: the
// properties set in Designer arrive on the components, and the non-visual ones stay invisible.
#include "ui_orders.h"

#include <diagram/TSchemaDesignArea.h>
#include <engines/TSchemaBDEDataEngine.h>
#include <engines/TSchemaCustomDataEngine.h>
#include <platform/TStringList.h>
#include <querybuilder/TSQLBuilderDialog.h>
#include <registration/ComponentHolders.h>

#include <QApplication>

#include <cstdio>

using namespace Diduza;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    Ui::OrdersForm ui;
    ui.setupUi(&window);
    window.show();

    // The engine answers through its events, set in code.
    ui.bdeDataEngine->Engine()->SetOnGetItemList(
        [](QObject *, TStringList &list) { list.Add(QStringLiteral("orders")); });

    TSQLBuilderDialog *dialog = ui.sqlBuilderDialog->Dialog();
    TStringList tables;
    if (dialog->DataEngine())
        dialog->DataEngine()->FillItemList(tables);

    const bool hidden = !ui.sqlBuilderDialog->isVisible() && !ui.customDataEngine->isVisible()
        && !ui.bdeDataEngine->isVisible();
    std::printf("caption=%s\nsql=%s\nfullimport=%d\nengine=%s tables=%d\n",
        qPrintable(dialog->Caption()), qPrintable(dialog->SQL().replace('\n', ' ')),
        int(dialog->FullImport()),
        dialog->DataEngine() ? qPrintable(dialog->DataEngine()->objectName()) : "none",
        tables.Count());
    std::printf("custom dialect=%d bde dialect=%d system=%d database=%s pattern=%s\n",
        int(ui.customDataEngine->Engine()->SQLSubType()),
        int(ui.bdeDataEngine->Engine()->SQLSubType()),
        int(ui.bdeDataEngine->Engine()->ShowSystemTables()),
        qPrintable(ui.bdeDataEngine->Engine()->DatabaseName()),
        qPrintable(ui.bdeDataEngine->Engine()->Pattern()));
    std::printf("components hidden=%d area=%dx%d of %dx%d\n", int(hidden),
        ui.schemaDesignArea->width(), ui.schemaDesignArea->height(), window.width(),
        window.height());

    const bool ok = dialog->Caption() == QLatin1String("Orders of a customer")
        && dialog->SQL() == QLatin1String("SELECT orders.id\nFROM orders") && dialog->FullImport()
        && dialog->DataEngine() == ui.bdeDataEngine->Engine() && tables.Count() == 1
        && ui.customDataEngine->Engine()->SQLSubType() == stOracle
        && ui.bdeDataEngine->Engine()->SQLSubType() == stAnsi
        && ui.bdeDataEngine->Engine()->ShowSystemTables()
        && ui.bdeDataEngine->Engine()->DatabaseName() == QLatin1String("sales")
        && ui.bdeDataEngine->Engine()->Pattern() == QLatin1String("ord*") && hidden
        && ui.schemaDesignArea->size() == window.size() && ui.schemaDesignArea->ReadOnly()
        && ui.schemaDesignArea->KeyboardNavigation()
        && ui.schemaDesignArea->Actions() == TZkSActions { saEditRelation };
    return ok ? 0 : 1;
}
