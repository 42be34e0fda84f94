// Handlers that change the diagram from inside the area's own events: deleting the very item
// or relation the event is about, its ends, everything, or adding more. The area stays
// consistent (its indexes agree with its control list, rows are marked linked exactly while a
// relation ends at them) and answers null where what it made is gone. The test build runs
// under AddressSanitizer, so a use after free fails here.

#include "../common/TestSupport.h"
#include "DiagramTestSupport.h"

#include <QBuffer>
#include <QKeyEvent>
#include <QListWidget>
#include <QRandomGenerator>
#include <QSet>
#include <QUndoStack>
#include <QtTest>

using namespace Diduza;
using DiduzaTest::addTable;
using DiduzaTest::indexDisagreement;

namespace {

// A row of an item on the area is marked linked exactly while a relation on the area ends at it.
QString linkDisagreement(const TSchemaDesignArea &area)
{
    QSet<const TSchemaSubItem *> ends;
    for (int i = 0; i < area.GetRelationCount(); ++i) {
        const TSchemaRelation *r = area.GetRelation(i);
        ends << r->ParentSubItem() << r->ChildSubItem();
    }
    for (int i = 0; i < area.GetItemCount(); ++i) {
        const TSchemaItem *item = area.GetItem(i);
        for (int j = 0; j < item->GetSubItemCount(); ++j) {
            const TSchemaSubItem *row = item->GetSubItem(j);
            if (row && row->Linked() != ends.contains(row))
                return QStringLiteral("%1.%2").arg(item->GetCaption(), row->Caption());
        }
    }
    return {};
}

// Marks rows as linked the way linkDisagreement expects: a file, and a step that undo brings
// back, keep their own marks, also of rows whose relations a handler removed meanwhile.
void markLinkedRows(TSchemaDesignArea &area)
{
    QSet<const TSchemaSubItem *> ends;
    for (int i = 0; i < area.GetRelationCount(); ++i)
        ends << area.GetRelation(i)->ParentSubItem() << area.GetRelation(i)->ChildSubItem();
    for (int i = 0; i < area.GetItemCount(); ++i) {
        TSchemaItem *item = area.GetItem(i);
        for (int j = 0; j < item->GetSubItemCount(); ++j)
            item->SelectItemBold(item->GetSubItem(j), ends.contains(item->GetSubItem(j)));
    }
}

// Handlers that do random things from inside every event the area raises, up to a few events
// deep (a handler that adds an item on every addition would never end, in any program).
class HostileHandlers {
public:
    HostileHandlers(TSchemaDesignArea &area, quint32 seed)
        : m_area(area)
        , m_random(seed)
    {
        area.SetOnAddItem([this](QObject *, TSchemaItem *item) {
            item->SetOnSubItemCheck([this, item](QObject *) { act("check", item, nullptr); });
            act("add item", item, nullptr);
        });
        area.SetOnDeleteItem([this](QObject *, TSchemaItem *item) {
            m_dying << item;
            act("delete item", item, nullptr);
            m_dying.remove(item);
        });
        area.SetOnAddRelation(
            [this](QObject *, TSchemaRelation *r) { act("add relation", nullptr, r); });
        area.SetOnDeleteRelation(
            [this](QObject *, TSchemaRelation *r) { act("delete relation", nullptr, r); });
        area.SetOnAddSubItem(
            [this](QObject *, TSchemaSubItem *row) { act("add row", row->ItemOwner(), nullptr); });
        area.SetOnKeyDown(
            [this](QObject *, int &, Qt::KeyboardModifiers) { act("key", nullptr, nullptr); });
        area.SetOnDragOver([this](QObject *, QObject *, int, int, TDragState, bool &accept) {
            accept = true;
            act("drag over", nullptr, nullptr);
        });
        area.SetOnDragDrop(
            [this](QObject *, QObject *, int, int) { act("drop", nullptr, nullptr); });
    }
    // The events in which a handler did something, and what it did; the last things done.
    QSet<QString> seen;
    QStringList trace;
    bool enabled = true;

    // An item on the area that is not being destroyed right now, or null.
    TSchemaItem *someItem()
    {
        const int count = m_area.GetItemCount();
        for (int tries = 0; count > 0 && tries < 4; ++tries) {
            TSchemaItem *item = m_area.GetItem(int(m_random.bounded(count)));
            if (!m_dying.contains(item))
                return item;
        }
        return nullptr;
    }
    TSchemaRelation *someRelation()
    {
        const int count = m_area.GetRelationCount();
        return count ? m_area.GetRelation(int(m_random.bounded(count))) : nullptr;
    }
    TSchemaSubItem *someRow(TSchemaItem *item)
    {
        const int count = item ? item->GetSubItemCount() : 0;
        return count ? item->GetSubItem(int(m_random.bounded(count))) : nullptr;
    }
    void link()
    {
        TSchemaItem *a = someItem(), *b = someItem();
        if (!a || !b)
            return;
        try {
            m_area.AddRelation(a, b, someRow(a), someRow(b));
        } catch (const Exception &) {
        }
    }
    void addTable()
    {
        static const TSchemaControlType kinds[] = { scListBox, scCheckListBox, scTreeView };
        DiduzaTest::addTable(m_area, QStringLiteral("t%1").arg(++m_tables), { "id", "name", "ref" },
            int(m_random.bounded(500)), int(m_random.bounded(300)), kinds[m_random.bounded(3)]);
    }

private:
    void act(const QString &event, TSchemaItem *item, TSchemaRelation *relation)
    {
        if (!enabled || m_depth >= 3)
            return;
        ++m_depth;
        const auto leave = qScopeGuard([this] { --m_depth; });
        const int what = int(m_random.bounded(14));
        QString did;
        switch (what) {
        case 0: // the event's own item
            if (item) {
                item->RemoveItem(nullptr);
                did = "removes its item";
            }
            break;
        case 1: // the event's own relation
            if (relation) {
                m_area.RemoveRelation(relation);
                did = "removes its relation";
            }
            break;
        case 2:
            if (relation) {
                delete relation;
                did = "destroys its relation";
            }
            break;
        case 3: // an end of the event's relation
            if (relation) {
                TSchemaItem *end
                    = m_random.bounded(2) ? relation->ParentItem() : relation->ChildItem();
                if (end && !m_dying.contains(end)) {
                    end->RemoveItem(nullptr);
                    did = "removes an end of its relation";
                }
            }
            break;
        case 4:
            if (TSchemaItem *other = someItem()) {
                other->RemoveItem(nullptr);
                did = "removes an item";
            }
            break;
        case 5:
            if (TSchemaItem *other = someItem()) {
                m_area.DeleteRelationsForItem(
                    other, m_random.bounded(2) ? someRow(other) : nullptr);
                did = "removes relations of an item";
            }
            break;
        case 6:
            if (TSchemaRelation *other = someRelation()) {
                m_area.RemoveRelation(other);
                did = "removes a relation";
            }
            break;
        case 7:
            m_area.ClearAll();
            did = "clears";
            break;
        case 8:
            addTable();
            did = "adds an item";
            break;
        case 9:
            link();
            did = "adds a relation";
            break;
        case 10:
            if (TSchemaItem *other = someItem(); other && other->GetSubItemCount() > 0) {
                other->DeleteSubItem(int(m_random.bounded(other->GetSubItemCount())));
                did = "deletes a row";
            }
            break;
        default:
            break; // most handlers do nothing
        }
        if (!did.isEmpty()) {
            seen << event + ": " + did;
            trace << QString(m_depth, '>') + event + ": " + did;
        }
    }

    TSchemaDesignArea &m_area;
    QRandomGenerator m_random;
    QSet<const TSchemaItem *> m_dying;
    int m_depth = 0;
    int m_tables = 0;
};

} // namespace

class tst_EventHandlers : public QObject {
    Q_OBJECT
private slots:
    void deletingFromInsideEvents_data();
    void deletingFromInsideEvents();
    void randomHandlersKeepTheAreaConsistent();
};

void tst_EventHandlers::deletingFromInsideEvents_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("relations");
    QTest::addColumn<bool>("made");
    QTest::newRow("OnDeleteItem removes its item again") << "delete item"
                                                         << "own" << 1 << 0 << true;
    QTest::newRow("OnDeleteItem clears the area") << "delete item"
                                                  << "clear" << 0 << 0 << true;
    QTest::newRow("OnDeleteRelation removes the parent item") << "delete relation"
                                                              << "parent" << 1 << 0 << true;
    QTest::newRow("OnDeleteRelation removes the child item") << "delete relation"
                                                             << "child" << 1 << 0 << true;
    QTest::newRow("OnDeleteRelation removes the relation") << "delete relation"
                                                           << "own" << 2 << 0 << true;
    QTest::newRow("OnDeleteRelation destroys the relation") << "delete relation"
                                                            << "destroy" << 2 << 0 << true;
    QTest::newRow("OnDeleteRelation clears the area") << "delete relation"
                                                      << "clear" << 0 << 0 << true;
    QTest::newRow("OnAddRelation removes the relation") << "add relation"
                                                        << "own" << 2 << 0 << false;
    QTest::newRow("OnAddRelation destroys the relation") << "add relation"
                                                         << "destroy" << 2 << 0 << false;
    QTest::newRow("OnAddRelation removes the parent item") << "add relation"
                                                           << "parent" << 1 << 0 << false;
    QTest::newRow("OnAddRelation clears the area") << "add relation"
                                                   << "clear" << 0 << 0 << false;
}

// Each case: two tables a and b, then either b is removed (for the item events) or a relation
// a.id > b.id is added and, for the deletion events, deleted through its menu's way.
void tst_EventHandlers::deletingFromInsideEvents()
{
    QFETCH(QString, event);
    QFETCH(QString, handler);
    QFETCH(int, items);
    QFETCH(int, relations);
    QFETCH(bool, made);
    DiduzaTest::ExceptionRecorder errors;
    TSchemaDesignArea area;
    TSchemaItem *a = addTable(area, "a", { "id" });
    TSchemaItem *b = addTable(area, "b", { "id" }, 200);
    int calls = 0; // of the handler, which acts the first time only
    auto act = [&](TSchemaItem *item, TSchemaRelation *relation) {
        if (calls++ > 0)
            return;
        if (handler == "own" && item)
            item->RemoveItem(nullptr);
        else if (handler == "own")
            area.RemoveRelation(relation);
        else if (handler == "destroy")
            delete relation;
        else if (handler == "parent")
            relation->ParentItem()->RemoveItem(nullptr);
        else if (handler == "child")
            relation->ChildItem()->RemoveItem(nullptr);
        else if (handler == "clear")
            area.ClearAll();
    };
    if (event == "delete item") {
        area.SetOnDeleteItem([&](QObject *, TSchemaItem *item) { act(item, nullptr); });
        b->RemoveItem(nullptr);
    } else {
        TSchemaRelation *r = nullptr;
        if (event == "add relation")
            area.SetOnAddRelation(
                [&](QObject *, TSchemaRelation *relation) { act(nullptr, relation); });
        else
            area.SetOnDeleteRelation(
                [&](QObject *, TSchemaRelation *relation) { act(nullptr, relation); });
        r = area.AddRelation(b, a, b->GetSubItem(0), a->GetSubItem(0));
        QCOMPARE(r != nullptr, made);
        if (event == "delete relation")
            area.RemoveRelation(r);
    }
    QVERIFY(calls > 0);
    QCOMPARE(area.GetItemCount(), items);
    QCOMPARE(area.GetRelationCount(), relations);
    QCOMPARE(indexDisagreement(area), QString());
    QCOMPARE(linkDisagreement(area), QString());
    QVERIFY2(errors.messages.isEmpty(), qPrintable(errors.messages.join("; ")));
}

// Random handlers in every event while the user adds, links, deletes, clears, loads, undoes and
// redoes; the area checked after each step and destroyed with the handlers still set.
void tst_EventHandlers::randomHandlersKeepTheAreaConsistent()
{
    DiduzaTest::FakeDialogService dialogs;
    DiduzaTest::ExceptionRecorder errors;
    QRandomGenerator random(23);
    QSet<QString> seen;
    for (int trial = 0; trial < 40; ++trial) {
        auto area = std::make_unique<TSchemaDesignArea>();
        area->resize(700, 500);
        area->show();
        HostileHandlers hostile(*area, quint32(trial + 1000));
        const auto end = qScopeGuard([&] { area.reset(); }); // before the handlers go
        for (int step = 0; step < 40; ++step) {
            const int what = area->GetItemCount() < 2 ? 0 : int(random.bounded(14));
            hostile.trace << QStringLiteral("step %1").arg(what);
            switch (what) {
            case 0:
                hostile.addTable();
                break;
            case 1:
            case 2:
                hostile.link();
                break;
            case 3:
                if (TSchemaItem *item = hostile.someItem())
                    item->RemoveItem(nullptr);
                break;
            case 4: // from its menu: destroyed on the next turn of the event loop
                if (TSchemaItem *item = hostile.someItem()) {
                    item->RemoveItem(DiduzaTest::menuEntry(item, "mnuClose"));
                    DiduzaTest::runDeferredDeletes();
                }
                break;
            case 5:
                if (TSchemaRelation *r = hostile.someRelation())
                    area->RemoveRelation(r);
                break;
            case 6:
                if (TSchemaRelation *r = hostile.someRelation()) {
                    area->DeleteRelation(DiduzaTest::menuEntry(r, "mnuDeleteRelation"));
                    DiduzaTest::runDeferredDeletes();
                }
                break;
            case 7:
                if (TSchemaItem *item = hostile.someItem())
                    item->RemoveRelations(nullptr);
                break;
            case 8: // a tick in code, or by the check box as a click sets it
                if (TSchemaItem *item = hostile.someItem()) {
                    TSchemaSubItem *row = hostile.someRow(item);
                    auto *list = qobject_cast<QListWidget *>(item->ItemControl());
                    if (row && list && item->SchemaControlType() == scCheckListBox) {
                        QListWidgetItem *entry = list->item(item->GetIndexBySubItem(row));
                        entry->setCheckState(row->Checked() ? Qt::Unchecked : Qt::Checked);
                    } else if (row) {
                        row->SetChecked(!row->Checked());
                    }
                }
                break;
            case 9:
                if (random.bounded(4) == 0) {
                    area->ClearAll();
                } else if (TSchemaItem *item = hostile.someItem()) {
                    if (random.bounded(2))
                        item->_SelectAll(nullptr);
                    else
                        item->_UnSelectAll(nullptr);
                }
                break;
            case 10: { // a file of the diagram as it stands, loaded again
                QBuffer file;
                file.open(QIODevice::ReadWrite);
                area->SaveToStream(file);
                file.seek(0);
                try {
                    area->LoadFromStream(file);
                } catch (const Exception &) {
                    // a handler changed the diagram while it was loaded
                }
                QVERIFY2(indexDisagreement(*area).isEmpty(), "after a load");
                markLinkedRows(*area);
                break;
            }
            case 11:
            case 12: // the handlers act on what undo brings back, too
                if (what == 11)
                    area->UndoStack()->undo();
                else
                    area->UndoStack()->redo();
                QVERIFY2(indexDisagreement(*area).isEmpty(), "after an undo or redo");
                markLinkedRows(*area);
                break;
            default: {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
                QCoreApplication::sendEvent(area.get(), &key);
                bool accept = false;
                area->DragOver(area.get(), nullptr, 5, 5, dsDragMove, accept);
                area->DragDrop(area.get(), nullptr, 5, 5);
                break;
            }
            }
            const QString trace = hostile.trace.mid(hostile.trace.size() - 12).join("; ");
            QVERIFY2(indexDisagreement(*area).isEmpty(), qPrintable(trace));
            QVERIFY2(linkDisagreement(*area).isEmpty(),
                qPrintable(linkDisagreement(*area) + ": " + trace));
        }
        area.reset(); // its end raises OnDeleteItem per item, to the same handlers
        seen.unite(hostile.seen);
    }
    QVERIFY2(errors.messages.isEmpty(), qPrintable(errors.messages.join("; ")));
    // Every event's handlers did the worst things to it at least once.
    for (const char *needed :
        { "delete item: removes its item", "delete item: clears",
            "delete relation: removes its relation", "delete relation: destroys its relation",
            "delete relation: removes an end of its relation", "add relation: removes its relation",
            "add relation: destroys its relation", "add item: removes its item",
            "add row: removes its item", "check: clears", "key: clears", "drop: clears" })
        QVERIFY2(seen.contains(QLatin1String(needed)), needed);
}

QTEST_MAIN(tst_EventHandlers)
#include "tst_eventhandlers.moc"
