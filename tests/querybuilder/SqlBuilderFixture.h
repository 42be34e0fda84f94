#pragma once

// The query builder tests' fixture: a form on a custom engine that serves customer and orders,
// with its warnings and the application's exceptions recorded, and the helpers that read the
// form as the user sees it.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "platform/DialogService.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

namespace SqlBuilderTest {

// The form with its protected state within reach.
class Builder : public Diduza::TfrmZkSQLBuilder {
public:
    using Diduza::TfrmZkSQLBuilder::FCheckHeight;
    using Diduza::TfrmZkSQLBuilder::FCheckWidth;
    using Diduza::TfrmZkSQLBuilder::FInternalUpdate;
};

class RecordingDialogs : public Diduza::TDialogService {
public:
    void ShowWarning(QWidget *, const QString &text) override { warnings << text; }
    QStringList warnings;
};

inline const QHash<QString, QStringList> TableFields = {
    { "customer", { "id", "name", "city" } },
    { "orders", { "id", "customer_id", "amount" } },
};

// Answers the fields of customer and orders; each field carries its length as its object.
inline void serveFields(Diduza::TSchemaCustomDataEngine &engine)
{
    engine.SetOnGetSubItemList([](QObject *, Diduza::TSchemaItem *item, Diduza::TStringList &list) {
        for (const QString &name : TableFields.value(item->Caption()))
            list.AddObject(name, QVariant(int(name.size())));
    });
}

inline Diduza::TSchemaItem *addTable(Diduza::TfrmZkSQLBuilder &form, const QString &caption)
{
    return form.SchemaDesignArea->AddItem(caption, Diduza::scCheckListBox);
}

// The item's row with exactly this caption.
inline Diduza::TSchemaSubItem *rowOf(Diduza::TSchemaItem *item, const QString &caption)
{
    for (int i = 0; i < item->GetSubItemCount(); ++i) {
        if (item->GetSubItem(i)->Caption() == caption)
            return item->GetSubItem(i);
    }
    return nullptr;
}

// "table.field" of the design area's items.
inline Diduza::TSchemaSubItem *rowOf(Diduza::TfrmZkSQLBuilder &form, const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('.'));
    Diduza::TSchemaDesignArea *area = form.SchemaDesignArea;
    for (int i = 0; i < area->GetItemCount(); ++i) {
        if (area->GetItem(i)->Caption() == parts.at(0))
            return rowOf(area->GetItem(i), parts.at(1));
    }
    return nullptr;
}

// The field columns as the user sees them: "table.field" from row 1 and the row that row 0
// names, "" for an empty column, "?" for a column that names no row.
inline QStringList gridColumns(Diduza::TfrmZkSQLBuilder &form)
{
    QStringList columns;
    Diduza::TStringGrid *grid = form.sgColumnGrid;
    for (int col = 1; col < grid->ColCount(); ++col) {
        const QString cell = grid->Cells(col, 0);
        Diduza::TSchemaSubItem *row = form.ReferencedSubItem(cell);
        if (cell.isEmpty())
            columns << grid->Cells(col, 1);
        else if (!row)
            columns << QStringLiteral("?");
        else
            columns << grid->Cells(col, 1) + QLatin1Char('.') + row->Caption();
    }
    return columns;
}

inline QList<QWidget *> editors(Diduza::TfrmZkSQLBuilder &form)
{
    return { form.cbTables, form.cbValues, form.cbSorting, form.edWhere, form.cbGroupBy };
}

// Each test starts on a new form whose engine serves the fields of customer and orders, with
// the warnings recorded; it must end without an exception reported.
class SqlBuilderFixture : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

protected:
    std::unique_ptr<Builder> m_form;
    std::unique_ptr<Diduza::TSchemaCustomDataEngine> m_engine;
    RecordingDialogs m_dialogs;
    Diduza::TDialogService *m_previousDialogs = nullptr;
    QStringList m_errors;

    // customer and orders on the area, with the engine's fields.
    void addTables();
    void showForm();
};

} // namespace SqlBuilderTest
