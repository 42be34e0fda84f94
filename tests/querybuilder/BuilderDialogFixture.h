#pragma once

// The builder dialog tests' fixture: a form on an engine that lists tables unsorted and counts
// what it is asked, with the dialogs answered and the application's exceptions recorded; and
// the helpers that read and choose as the user does.

#include "../common/TestSupport.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "platform/Exceptions.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QHash>
#include <QListWidget>
#include <QObject>
#include <QStandardItemModel>
#include <QStringList>
#include <QtTest>

#include <memory>

namespace BuilderDialogTest {

class Builder : public Diduza::TfrmZkSQLBuilder {
public:
    using Diduza::TfrmZkSQLBuilder::FInternalUpdate;
};

inline const QHash<QString, QStringList> TableFields = {
    { "customer", { "id", "name", "city" } },
    { "orders", { "id", "customer_id", "amount" } },
};

// Lists the tables in an unsorted order, each with its position as object; answers fields and
// statements, counting what it was asked.
struct Engine : Diduza::TSchemaCustomDataEngine {
    Engine()
    {
        SetOnGetItemList([](QObject *, Diduza::TStringList &list) {
            for (const char *name : { "orders", "Customer", "beta", "customer", "alpha" })
                list.AddObject(QLatin1String(name), list.Count());
        });
        SetOnGetSubItemList(
            [this](QObject *, Diduza::TSchemaItem *item, Diduza::TStringList &list) {
                ++fieldRequests;
                for (const QString &name : TableFields.value(item->Caption()))
                    list.Add(name);
            });
        SetOnExecSQL([this](QObject *, const QString &sql) -> QAbstractItemModel * {
            executed << sql;
            if (!failure.isEmpty())
                throw Diduza::Exception(failure);
            return new QStandardItemModel(3, 1); // no parent: the form adopts it
        });
    }
    int fieldRequests = 0;
    QStringList executed;
    QString failure;
};

inline QStringList ticked(Diduza::TSchemaDesignArea *area)
{
    QStringList rows;
    for (int i = 0; i < area->GetItemCount(); ++i) {
        Diduza::TSchemaItem *item = area->GetItem(i);
        for (int r = 0; r < item->GetSubItemCount(); ++r) {
            if (item->GetSubItem(r)->Checked())
                rows << item->Caption() + '.' + item->GetSubItem(r)->Caption();
        }
    }
    return rows;
}

inline void selectTable(Diduza::TfrmZkSQLBuilder &form, const QString &name)
{
    const auto found = form.lbTables->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QVERIFY(!found.isEmpty());
    form.lbTables->setCurrentItem(found.first());
}

// Each test starts on a new form on a new engine, with the dialogs answered; it must end
// without an exception reported.
class BuilderDialogFixture : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

protected:
    std::unique_ptr<DiduzaTest::FakeDialogService> m_dialogs;
    std::unique_ptr<DiduzaTest::ExceptionRecorder> m_errors;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<Builder> m_form;
};

} // namespace BuilderDialogTest
