// Undo and redo of diagram changes: random sequences of the user's operations, each undone to
// the start and redone to the end, the saved diagram and the area's indexes checked at every
// step; the events of undone and redone changes.

#include "../common/SampleConnections.h"
#include "../common/TestSupport.h"
#include "DemoDiagram.h"
#include "DiagramTestSupport.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/items/TSchemaListBox.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/TRadioGroup.h"
#include "relations/TfrmZkRelation.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUndoStack>
#include <QtTest>

using namespace Diduza;
using DiduzaTest::addTable;
using DiduzaTest::indexDisagreement;

namespace {

// The diagram as its schema file says it, without the time it was saved.
QString saved(TSchemaDesignArea &area)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    area.SaveToStream(buffer);
    return QString::fromUtf8(buffer.data()).remove(QRegularExpression("Saved=[^\\r\\n]*"));
}

// Drags an item by its title bar with the mouse.
void dragItem(TSchemaItem *item, const QPoint &by)
{
    const QPoint grip(item->width() / 2, item->CaptionRect().center().y());
    QTest::mousePress(item, Qt::LeftButton, {}, grip);
    QTest::mouseMove(item, grip + by / 2);
    QTest::mouseMove(item, grip + by);
    QTest::mouseRelease(item, Qt::LeftButton, {}, grip + by);
}

} // namespace

class tst_Undo : public QObject {
    Q_OBJECT
private slots:
    void randomSequences();
    void eventsOfUndoneChanges();
    void loadingAndClearingForgetTheHistory();
    void onlyDragsMoveAsSteps();
    void undoneItemsLookAsBefore_data();
    void undoneItemsLookAsBefore();
    void redoByCtrlY();
    void demoStartsWithoutUndoHistory();
    void ownCommandsJoinAScopedGroup();
};

void tst_Undo::randomSequences()
{
    DiduzaTest::FakeDialogService dialogs;
    DiduzaTest::ExceptionRecorder errors;
    QRandomGenerator random(7);
    QStringList kinds; // what the trials did, to see that every kind of change was tried
    for (int trial = 0; trial < 12; ++trial) {
        TSchemaDesignArea area;
        area.resize(800, 600);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QStringList states { saved(area) };
        QStringList done;
        for (int op = 0; op < 25; ++op) {
            const int items = area.GetItemCount();
            const int relations = area.GetRelationCount();
            auto item = [&] { return area.GetItem(int(random.bounded(items))); };
            const int what = items < 2 ? 0 : int(random.bounded(10));
            area.BeginUndoGroup("operation");
            switch (what) {
            case 0: { // a table from the tool bar's way: added, filled, placed
                const QString caption = QStringLiteral("t%1").arg(op);
                static const TSchemaControlType kinds[] = { scListBox, scCheckListBox, scTreeView };
                addTable(area, caption, { "id", "name", "city" }, int(random.bounded(500)),
                    int(random.bounded(400)), kinds[random.bounded(3)]);
                done << "add " + caption;
                break;
            }
            case 1: {
                TSchemaItem *gone = item();
                done << "remove " + gone->GetCaption();
                gone->RemoveItem(nullptr);
                break;
            }
            case 2: {
                TSchemaItem *moved = item();
                dragItem(moved, QPoint(int(random.bounded(60)) - 30, int(random.bounded(60)) - 30));
                done << "move " + moved->GetCaption();
                break;
            }
            case 3:
            case 4: {
                TSchemaItem *a = item(), *b = item();
                try {
                    area.AddRelation(a, b, a->GetSubItem(int(random.bounded(a->GetSubItemCount()))),
                        b->GetSubItem(int(random.bounded(b->GetSubItemCount()))));
                    done << "link " + a->GetCaption() + ' ' + b->GetCaption();
                } catch (const Exception &) {
                    done << "link refused";
                }
                break;
            }
            case 5:
                if (relations > 0) {
                    area.RemoveRelation(area.GetRelation(int(random.bounded(relations))));
                    done << "unlink";
                }
                break;
            case 6:
                if (relations > 0) {
                    const int op = int(random.bounded(6)), kind = int(random.bounded(4));
                    dialogs.modal = [&](QDialog &d) {
                        auto &form = static_cast<TfrmZkRelation &>(d);
                        form.rgJoinOperator->SetItemIndex(op);
                        form.rgJoinType->SetItemIndex(kind);
                        return int(QDialog::Accepted);
                    };
                    area.GetRelation(int(random.bounded(relations)))->EditRelation(nullptr);
                    done << "edit relation";
                }
                break;
            case 7: {
                TSchemaItem *ticked = item();
                TSchemaSubItem *row
                    = ticked->GetSubItem(int(random.bounded(ticked->GetSubItemCount())));
                row->SetChecked(!row->Checked());
                done << "tick " + ticked->GetCaption();
                break;
            }
            case 8: {
                TSchemaItem *renamed = item();
                renamed->SetCaption(renamed->GetCaption() + "x");
                done << "rename";
                break;
            }
            default: {
                TSchemaItem *styled = item();
                styled->SetColor(TColor(random.bounded(0xFFFFFF)));
                TFontValue font = styled->GetFont();
                font.Size = 8 + int(random.bounded(6));
                styled->SetFont(font);
                done << "style " + styled->GetCaption();
                break;
            }
            }
            area.EndUndoGroup();
            QCOMPARE(indexDisagreement(area), QString());
            if (saved(area) != states.last())
                states << saved(area);
            else
                done.removeLast(); // nothing changed, nothing recorded
        }
        for (const QString &d : std::as_const(done))
            kinds << d.section(' ', 0, 0);
        QUndoStack *stack = area.UndoStack();
        QCOMPARE(stack->count(), states.size() - 1);
        for (int step = states.size() - 1; step > 0; --step) {
            stack->undo();
            QCOMPARE(indexDisagreement(area), QString());
            QVERIFY2(saved(area) == states.at(step - 1),
                qPrintable(
                    QStringLiteral("trial %1, undoing: %2").arg(trial).arg(done.value(step - 1))));
        }
        for (int step = 1; step < states.size(); ++step) {
            stack->redo();
            QCOMPARE(indexDisagreement(area), QString());
            QVERIFY2(saved(area) == states.at(step),
                qPrintable(
                    QStringLiteral("trial %1, redoing: %2").arg(trial).arg(done.value(step - 1))));
        }
    }
    QVERIFY2(errors.messages.isEmpty(), qPrintable(errors.messages.join("; ")));
    kinds.removeDuplicates();
    kinds.sort();
    QCOMPARE(kinds,
        QStringList(
            { "add", "edit", "link", "move", "remove", "rename", "style", "tick", "unlink" }));
}

// Undone and redone changes raise the events of the same changes made by hand.
void tst_Undo::eventsOfUndoneChanges()
{
    QStringList events; // outlives the area, whose end deletes items
    TSchemaDesignArea area;
    area.SetOnAddItem([&](QObject *, TSchemaItem *i) { events << "add " + i->GetCaption(); });
    area.SetOnDeleteItem([&](QObject *, TSchemaItem *i) { events << "delete " + i->GetCaption(); });
    area.SetOnAddRelation([&](QObject *, TSchemaRelation *) { events << "link"; });
    area.SetOnDeleteRelation([&](QObject *, TSchemaRelation *) { events << "unlink"; });
    TSchemaItem *a = addTable(area, "a", { "x" }, 10, 10, scCheckListBox);
    TSchemaItem *b = addTable(area, "b", { "y" }, 200, 10);
    a->SetOnSubItemCheck([&](QObject *) { events << "check"; });
    area.AddRelation(a, b, a->GetSubItem(0), b->GetSubItem(0));
    a->GetSubItem(0)->SetChecked(true);
    events.clear();
    QUndoStack *stack = area.UndoStack();
    QCOMPARE(stack->count(), 4);
    QCOMPARE(stack->undoText(), QStringLiteral("Tick x"));
    stack->undo(); // the tick
    stack->undo(); // the relation
    stack->undo(); // b
    QCOMPARE(events, QStringList({ "check", "unlink", "delete b" }));
    events.clear();
    stack->redo();
    stack->redo();
    QCOMPARE(events, QStringList({ "add b", "link" }));
    QVERIFY(area.GetItem(1)->GetSubItem(0)->Linked());

    // The actions carry the standard shortcuts.
    QCOMPARE(area.UndoAction()->shortcut(), QKeySequence(QKeySequence::Undo));
    QCOMPARE(area.RedoAction()->shortcut(), QKeySequence(QKeySequence::Redo));
}

void tst_Undo::loadingAndClearingForgetTheHistory()
{
    TSchemaDesignArea area;
    addTable(area, "a", { "x" });
    addTable(area, "b", { "y" });
    QCOMPARE(area.UndoStack()->count(), 2);
    QBuffer file;
    file.open(QIODevice::ReadWrite);
    area.SaveToStream(file);
    file.seek(0);
    area.LoadFromStream(file);
    QCOMPARE(area.UndoStack()->count(), 0);
    QCOMPARE(area.GetItemCount(), 2);
    area.GetItem(0)->SetCaption("c");
    QCOMPARE(area.UndoStack()->count(), 1);
    area.ClearAll();
    QCOMPARE(area.UndoStack()->count(), 0);
}

// As UndoStack() says: a drag is a step, code that moves or resizes an item is none, and undoing
// the drag puts the item back where the drag started.
void tst_Undo::onlyDragsMoveAsSteps()
{
    TSchemaDesignArea area;
    area.resize(600, 400);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    TSchemaItem *item = addTable(area, "a", { "x", "y" }, 20, 20);
    TSchemaItem *other = addTable(area, "b", { "z" }, 300, 20);
    QUndoStack *stack = area.UndoStack();
    const int steps = stack->count();
    item->SetBounds(40, 50, 200, 120);
    item->RecalculateHeight();
    other->move(320, 60);
    area.ArrangeByRank();
    QCOMPARE(stack->count(), steps);
    const QPoint start = item->pos();
    dragItem(item, QPoint(30, 20));
    QCOMPARE(stack->count(), steps + 1);
    QCOMPARE(stack->undoText(), QStringLiteral("Move a"));
    item->move(5, 5);
    stack->undo();
    QCOMPARE(item->pos(), start);
}

void tst_Undo::undoneItemsLookAsBefore_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("change");
    const std::pair<TSchemaControlType, const char *> kinds[]
        = { { scListBox, "list" }, { scCheckListBox, "check list" }, { scTreeView, "tree" } };
    for (const auto &[kind, name] : kinds) {
        for (const char *change : { "removed", "added", "coloured" })
            QTest::addRow("%s %s", name, change) << int(kind) << QString(change);
    }
}

// An item that undo brings back looks as it did, its list white as before (it was painted in
// the item's face colour, the colour a file keeps for the item, and looked disabled).
void tst_Undo::undoneItemsLookAsBefore()
{
    QFETCH(int, kind);
    QFETCH(QString, change);
    TSchemaDesignArea area;
    area.resize(400, 300);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    TSchemaItem *item
        = addTable(area, "orders", { "id", "amount" }, 10, 10, TSchemaControlType(kind));
    item->GetSubItem(1)->SetChecked(true);
    const QImage before = item->grab().toImage();
    QUndoStack *stack = area.UndoStack();
    if (change == "removed") {
        item->RemoveItem(nullptr);
        stack->undo();
    } else if (change == "added") {
        while (stack->canUndo())
            stack->undo();
        QCOMPARE(area.GetItemCount(), 0);
        while (stack->canRedo())
            stack->redo();
    } else {
        item->SetColor(clRed);
        stack->undo();
    }
    QCOMPARE(area.GetItemCount(), 1);
    const QImage after = area.GetItem(0)->grab().toImage();
    const QPoint listPoint
        = area.GetItem(0)->ItemControl()->geometry().bottomRight() - QPoint(4, 4);
    QCOMPARE(after.pixelColor(listPoint), QColor(Qt::white));
    QCOMPARE(after, before);
}

// Ctrl+Y redoes beside Ctrl+Shift+Z (each platform's key scheme has one of them), with the
// focus on an item's list.
void tst_Undo::redoByCtrlY()
{
    TSchemaDesignArea area;
    area.RedoAction();
    addTable(area, "a", { "x" })->SetCaption("b");
    area.show();
    area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&area));
    QWidget *list = area.GetItem(0)->ItemControl();
    list->setFocus();
    for (const char *keys : { "Ctrl+Y", "Ctrl+Shift+Z" }) {
        area.UndoStack()->undo(); // the rename
        QTest::keySequence(list, QKeySequence(keys));
        QVERIFY2(area.UndoStack()->index() == 2, keys);
    }
}

// The demo's own set-up is no step of the user's.
void tst_Undo::demoStartsWithoutUndoHistory()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY2(SampleConnections::OpenSqliteCopy(dir, "demo", error), qPrintable(error));
    {
        TSchemaSqlDataEngine engine;
        engine.SetConnectionName("demo");
        TSchemaDesignArea area;
        BuildDemoDiagram(&area, &engine);
        QVERIFY(area.GetItemCount() > 6 && area.GetRelationCount() > 0);
        QCOMPARE(area.UndoStack()->count(), 0);
    }
    SampleConnections::CloseAll({ "demo" });
}

// An embedder's scoped groups nest into one step that carries its own commands beside the area's
// records, and find an item again by its position once undo has brought it back.
void tst_Undo::ownCommandsJoinAScopedGroup()
{
    TSchemaDesignArea area;
    addTable(area, "a", { "x" });
    addTable(area, "b", { "y" });
    int ownUndone = 0;
    struct Own : QUndoCommand {
        int &undone;
        Own(QUndoCommand *parent, int &undone)
            : QUndoCommand(parent)
            , undone(undone)
        {
        }
        void undo() override { ++undone; }
    };
    const QString longName = QString(79, 'n') + QString::fromUtf16(u"\U0001F600") + "tail";
    int position = -1;
    const int steps = area.UndoStack()->count();
    {
        TSchemaUndoGroup outer(&area, "Rename " + TSchemaUndoGroup::StepName(longName));
        TSchemaItem *b = area.GetItem(1);
        b->SetCaption("c");
        {
            TSchemaUndoGroup inner(&area, "inner");
            QVERIFY(inner.Command() && inner.Command() == outer.Command());
            new Own(inner.Command(), ownUndone);
        }
        position = TSchemaUndoGroup::ItemPosition(&area, b);
        b->RemoveItem(nullptr);
        QCOMPARE(area.UndoStack()->count(), steps);
    }
    QCOMPARE(area.UndoStack()->count(), steps + 1);
    QCOMPARE(area.UndoStack()->text(steps), "Rename " + QString(79, 'n') + QChar(0x2026));
    area.UndoStack()->undo();
    QCOMPARE(ownUndone, 1);
    QCOMPARE(area.GetItemCount(), 2);
    QCOMPARE(area.GetItem(position)->GetCaption(), QString("b"));
    QCOMPARE(TSchemaUndoGroup::ItemPosition(&area, nullptr), -1);

    auto *doomed = new TSchemaDesignArea;
    {
        TSchemaUndoGroup group(doomed, "gone");
        delete doomed; // the group ends quietly
        QVERIFY(!group.Command());
    }
}

QTEST_MAIN(tst_Undo)
#include "tst_undo.moc"
