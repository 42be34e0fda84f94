// Handlers that change the diagram from inside the area's own events (deleting the very item or
// relation the event is about, its ends, everything, or adding more) while the user adds,
// links, deletes, clears, loads, undoes and redoes. The area stays consistent and answers null
// where what it made is gone; under AddressSanitizer a use after free fails here.

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
using DiduzaTest::indexDisagreement;

namespace {

// The rows that relations on the area end at.
QSet<const TSchemaSubItem *> relationEnds(const TSchemaDesignArea &area)
{
    QSet<const TSchemaSubItem *> ends;
    for (int i = 0; i < area.GetRelationCount(); ++i)
        ends << area.GetRelation(i)->ParentSubItem() << area.GetRelation(i)->ChildSubItem();
    return ends;
}

// A row is marked linked exactly while a relation on the area ends at it; with fix, marks it
// so instead (a file, and a step that undo brings back, keep their own marks).
QString linkDisagreement(const TSchemaDesignArea &area, bool fix = false)
{
    const QSet<const TSchemaSubItem *> ends = relationEnds(area);
    for (int i = 0; i < area.GetItemCount(); ++i) {
        TSchemaItem *item = area.GetItem(i);
        for (int j = 0; j < item->GetSubItemCount(); ++j) {
            TSchemaSubItem *row = item->GetSubItem(j);
            if (fix)
                item->SelectItemBold(row, ends.contains(row));
            else if (row && row->Linked() != ends.contains(row))
                return item->GetCaption() + '.' + row->Caption();
        }
    }
    return {};
}

// Handlers that do random things in every event the area raises, up to three events deep (a
// handler that adds an item on every addition would never end, in any program).
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
            [this](QObject *, TSchemaRelation *r) { act("add relation", {}, r); });
        area.SetOnDeleteRelation(
            [this](QObject *, TSchemaRelation *r) { act("delete relation", {}, r); });
        area.SetOnAddSubItem(
            [this](QObject *, TSchemaSubItem *row) { act("add row", row->ItemOwner(), nullptr); });
        area.SetOnKeyDown([this](QObject *, int &, Qt::KeyboardModifiers) { act("key", {}, {}); });
        area.SetOnDragDrop([this](QObject *, QObject *, int, int) { act("drop", {}, {}); });
    }
    QSet<QString> seen; // "event: what a handler did in it"
    QStringList wrong; // results that name something gone

    // An item on the area that is not being destroyed right now, or null.
    TSchemaItem *someItem()
    {
        const int count = m_area.GetItemCount();
        TSchemaItem *item = count ? m_area.GetItem(int(m_random.bounded(count))) : nullptr;
        return m_dying.contains(item) ? nullptr : item;
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
        try {
            if (TSchemaRelation *r
                = a && b ? m_area.AddRelation(a, b, someRow(a), someRow(b)) : nullptr;
                r && m_area.IndexOfControl(r) < 0)
                wrong << "AddRelation";
        } catch (const Exception &) {
        }
    }
    void addTable()
    {
        static const TSchemaControlType kinds[] = { scListBox, scCheckListBox, scTreeView };
        TSchemaItem *item = DiduzaTest::addTable(m_area, QStringLiteral("t%1").arg(++m_tables),
            { "id", "name", "ref" }, int(m_random.bounded(500)), int(m_random.bounded(300)),
            kinds[m_random.bounded(3)]);
        if (item && m_area.GetItemIndex(item) < 0)
            wrong << "AddItem";
    }

private:
    void act(const QString &event, TSchemaItem *item, TSchemaRelation *relation)
    {
        if (m_depth >= 3)
            return;
        ++m_depth;
        const auto leave = qScopeGuard([this] { --m_depth; });
        TSchemaItem *end = relation
            ? (m_random.bounded(2) ? relation->ParentItem() : relation->ChildItem())
            : nullptr;
        TSchemaItem *other = someItem();
        TSchemaRelation *another = someRelation();
        QString did;
        const auto run = [&did](bool can, const char *what, const auto &f) {
            if (can) {
                f();
                did = QLatin1String(what);
            }
        };
        switch (m_random.bounded(14)) {
        case 0: // its own item (also from its own OnDeleteItem), or an end of its relation
            run(item, "removes its item", [&] { item->RemoveItem(nullptr); });
            run(!item && end && !m_dying.contains(end), "removes an end of its relation",
                [&] { end->RemoveItem(nullptr); });
            break;
        case 1:
            run(relation, "removes its relation", [&] { m_area.RemoveRelation(relation); });
            break;
        case 2:
            run(relation, "destroys its relation", [&] { delete relation; });
            break;
        case 3:
            run(other, "removes an item", [&] { other->RemoveItem(nullptr); });
            break;
        case 4:
            run(other, "removes relations", [&] {
                m_area.DeleteRelationsForItem(
                    other, m_random.bounded(2) ? someRow(other) : nullptr);
            });
            break;
        case 5:
            run(another, "removes a relation", [&] { m_area.RemoveRelation(another); });
            break;
        case 6:
            run(true, "clears", [&] { m_area.ClearAll(); });
            break;
        case 7:
            run(true, "adds an item", [&] { addTable(); });
            break;
        case 8:
            run(true, "adds a relation", [&] { link(); });
            break;
        case 9:
            run(other && other->GetSubItemCount() > 0, "deletes a row",
                [&] { other->DeleteSubItem(int(m_random.bounded(other->GetSubItemCount()))); });
            break;
        default:
            break; // most handlers do nothing
        }
        if (!did.isEmpty())
            seen << event + ": " + did;
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
    void deletingFromInsideEventsKeepsTheAreaConsistent();
};

void tst_EventHandlers::deletingFromInsideEventsKeepsTheAreaConsistent()
{
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
            const int what = area->GetItemCount() < 2 ? 0 : int(random.bounded(12));
            TSchemaItem *item = hostile.someItem();
            TSchemaRelation *relation = hostile.someRelation();
            TSchemaSubItem *row = hostile.someRow(item);
            bool marks = false; // the step brings back marks of its own
            switch (what) {
            case 0:
                hostile.addTable();
                break;
            case 1:
                hostile.link();
                break;
            case 2: // from code, or from its menu (destroyed on the next turn of the event loop)
                if (item)
                    item->RemoveItem(
                        random.bounded(2) ? DiduzaTest::menuEntry(item, "mnuClose") : nullptr);
                break;
            case 3:
                if (relation && random.bounded(2))
                    area->RemoveRelation(relation);
                else if (relation)
                    area->DeleteRelation(DiduzaTest::menuEntry(relation, "mnuDeleteRelation"));
                break;
            case 4:
                if (item)
                    item->RemoveRelations(nullptr);
                break;
            case 5: // a tick in code, or as a click on the check box sets it
                if (auto *list = qobject_cast<QListWidget *>(item ? item->ItemControl() : nullptr);
                    row && list && item->SchemaControlType() == scCheckListBox)
                    list->item(item->GetIndexBySubItem(row))
                        ->setCheckState(row->Checked() ? Qt::Unchecked : Qt::Checked);
                else if (row)
                    row->SetChecked(!row->Checked());
                break;
            case 6:
                if (random.bounded(4) == 0)
                    area->ClearAll();
                else if (item)
                    random.bounded(2) ? item->_SelectAll(nullptr) : item->_UnSelectAll(nullptr);
                break;
            case 7: { // a file of the diagram as it stands, loaded again
                QBuffer file;
                file.open(QIODevice::ReadWrite);
                area->SaveToStream(file);
                file.seek(0);
                try {
                    area->LoadFromStream(file);
                } catch (const Exception &) {
                    // a handler changed the diagram while it was loaded
                }
                marks = true;
                break;
            }
            case 8:
            case 9: // the handlers act on what undo and redo bring back, too
                what == 8 ? area->UndoStack()->undo() : area->UndoStack()->redo();
                marks = true;
                break;
            default: {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
                QCoreApplication::sendEvent(area.get(), &key);
                area->DragDrop(area.get(), nullptr, 5, 5);
                break;
            }
            }
            DiduzaTest::runDeferredDeletes();
            const QString trace
                = QStringLiteral("trial %1, step %2 (%3)").arg(trial).arg(step).arg(what);
            QVERIFY2(indexDisagreement(*area).isEmpty(), qPrintable(trace));
            QVERIFY2(hostile.wrong.isEmpty(), qPrintable(hostile.wrong.join(", ") + ": " + trace));
            QVERIFY2(linkDisagreement(*area, marks).isEmpty(),
                qPrintable(linkDisagreement(*area) + ": " + trace));
        }
        area.reset(); // its end raises OnDeleteItem per item, to the same handlers
        seen.unite(hostile.seen);
    }
    QVERIFY2(errors.messages.isEmpty(), qPrintable(errors.messages.join("; ")));
    // Each of the faults this test stands for was met at least once.
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
