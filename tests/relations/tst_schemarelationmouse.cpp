// The relation control and the mouse: presses, finding another relation under the pointer, the
// menu's entries, double-clicks that open the dialog, and the tooltip.

#include "../common/TestSupport.h"
#include "../diagram/DiagramTestSupport.h"
#include "RelationTestSupport.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/model/RelationRouting.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/TRadioGroup.h"
#include "relations/TSchemaRelation.h"
#include "relations/TfrmZkRelation.h"

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyleOptionButton>
#include <QToolTip>
#include <QTranslator>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace Diduza;
using namespace DiduzaTest;

Q_DECLARE_METATYPE(TSDRelationOperator)
Q_DECLARE_METATYPE(TSDRelationJoin)

class tst_SchemaRelationMouse : public QObject {
    Q_OBJECT
private slots:
    void mousePresses_data();
    void mousePresses();
    void controlAtPosFindsAnotherRelation();
    void deleteAndColourEntries();
    void deleteThroughTheOpenMenu();
    void pressedLookEndsWithTheMenu_data();
    void pressedLookEndsWithTheMenu();
    void doubleClickOpensTheDialog_data();
    void doubleClickOpensTheDialog();
    void toolTipShowsTheJoin_data();
    void toolTipShowsTheJoin();
};

// ---------------------------------------------------------------------------------------------
// Mouse

void tst_SchemaRelationMouse::mousePresses_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("menu");
    QTest::addColumn<bool>("fallsThrough");

    const int left = Qt::LeftButton;
    const int right = Qt::RightButton;
    QTest::newRow("band, left button") << "band" << left << false << true << false;
    QTest::newRow("band, right button") << "band" << right << false << true << false;
    QTest::newRow("band, left button, read-only") << "band" << left << true << false << false;
    QTest::newRow("band, right button, read-only") << "band" << right << true << false << false;
    QTest::newRow("stub beside the parent item") << "stub" << left << false << false << true;
    QTest::newRow("stub, right button") << "stub" << right << false << false << true;
    QTest::newRow("box corner away from the line") << "corner" << left << false << false << true;
}

void tst_SchemaRelationMouse::mousePresses()
{
    QFETCH(QString, where);
    QFETCH(int, button);
    QFETCH(bool, readOnly);
    QFETCH(bool, menu);
    QFETCH(bool, fallsThrough);

    Diagram d;
    TSchemaRelation *r = d.relation;
    QCOMPARE(r->LnkX(), 1);
    QCOMPARE(r->LnkY(), 1);
    d.area->SetReadOnly(readOnly);
    QPoint p;
    if (where == QLatin1String("band"))
        p = d.at(QPoint(r->Width() / 2, r->Height() / 2));
    else if (where == QLatin1String("stub"))
        p = d.at(QPoint(5, 7));
    else
        p = d.at(QPoint(r->Width() - 5, 3));
    QCOMPARE(d.area->viewport()->childAt(p), nullptr); // bare viewport, no item there

    const auto b = Qt::MouseButton(button);
    QTest::mousePress(d.area->viewport(), b, {}, p);
    QCOMPARE(r->PopMenu()->isVisible(), menu);
    QCOMPARE(d.area->barePresses, fallsThrough ? 1 : 0);
    QCOMPARE(r->MouseIsDown(), !fallsThrough);
    if (menu)
        QCOMPARE(r->PopMenu()->pos(), r->ClientToScreen(p - r->BoundsRect().topLeft()));
    r->PopMenu()->hide();
    QTest::mouseRelease(d.area->viewport(), b, {}, p);
    QVERIFY(!r->MouseIsDown());
}

void tst_SchemaRelationMouse::controlAtPosFindsAnotherRelation()
{
    TSchemaDesignArea area;
    auto place = [&](int x, int y, int lnkX) {
        auto *r = new TSchemaRelation(&area);
        r->SetParent(&area);
        r->SetBounds(x, y, 100, 60);
        r->SetLnkX(lnkX);
        r->SetLnkY(1);
        return r;
    };
    TSchemaRelation *falling = place(0, 0, 1);
    TSchemaRelation *rising = place(0, 0, 4); // its band crosses the falling one at (50, 30)
    TSchemaRelation *top = place(5, 3, 1); // shifted: its band covers (50, 30) too

    // Client points of each relation are converted through the area.
    const QPoint middle(50, 30);
    QVERIFY(top->HitTest(middle - QPoint(5, 3)));
    QCOMPARE(falling->ControlAtPos(middle), top); // the topmost other one
    QCOMPARE(top->ControlAtPos(middle - QPoint(5, 3)), rising);
    // Where only the rising band lies.
    const QPoint risingOnly(82, 10);
    QVERIFY(!falling->HitTest(risingOnly));
    QVERIFY(!top->HitTest(risingOnly - QPoint(5, 3)));
    QCOMPARE(falling->ControlAtPos(risingOnly), rising);
    QCOMPARE(top->ControlAtPos(risingOnly - QPoint(5, 3)), rising);
    QCOMPARE(rising->ControlAtPos(risingOnly), nullptr); // never itself
    // Far from every other band: nothing.
    TSchemaRelation *lone = place(300, 300, 1);
    QCOMPARE(lone->ControlAtPos(middle), nullptr);
}

void tst_SchemaRelationMouse::deleteAndColourEntries()
{
    FakeDialogService dialogs;
    dialogs.colorAnswer = clFuchsia;
    QStringList log;
    Diagram d(false);
    logEvents(*d.area, log);
    QPointer<TSchemaRelation> r = d.relation;

    menuEntry(r, "mnuColorRelation")->trigger();
    QCOMPARE(dialogs.colorShown, TColor(0));
    QCOMPARE(r->Color(), clFuchsia);

    menuEntry(r, "mnuDeleteRelation")->trigger();
    QCOMPARE(log, QStringList({ "DeleteRelation customer.id>orders.customer_id" }));
    QCOMPARE(d.area->GetRelationCount(), 0);
    QVERIFY(!d.parent->GetSubItem(0)->Linked());
    QTRY_VERIFY(r.isNull());
}

void tst_SchemaRelationMouse::deleteThroughTheOpenMenu()
{
    // The user clicks the line and picks "Delete relation": the relation owns the menu that is
    // still finishing the click, so it must outlive it.
    Diagram d;
    QPointer<TSchemaRelation> r = d.relation;
    const QPoint band = d.at(QPoint(r->Width() / 2, r->Height() / 2));
    QTest::mousePress(d.area->viewport(), Qt::RightButton, {}, band);
    QMenu *menu = r->PopMenu();
    QVERIFY(menu->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QAction *entry = menuEntry(r, "mnuDeleteRelation");
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    QCOMPARE(d.area->GetRelationCount(), 0);
    QTRY_VERIFY(r.isNull());
    QTest::mouseRelease(d.area->viewport(), Qt::RightButton, {}, band);
    QCOMPARE(d.area->barePresses, 0);
}

void tst_SchemaRelationMouse::pressedLookEndsWithTheMenu_data()
{
    QTest::addColumn<QString>("entry"); // what the user picks; empty: Escape closes the menu
    QTest::newRow("closed with Escape") << QString();
    QTest::newRow("closed by a click beside it") << "beside";
    QTest::newRow("properties dialog cancelled") << "mnuOptions";
}

// A press on the line opens its menu; once the menu is gone the line is drawn in its own colour
// again, not silver as while pressed (the menu took the release).
void tst_SchemaRelationMouse::pressedLookEndsWithTheMenu()
{
    QFETCH(QString, entry);
    FakeDialogService dialogs;
    dialogs.colorConfirms = false;
    Diagram d;
    TSchemaRelation *r = d.relation;
    const QPoint band = d.at(QPoint(r->Width() / 2, r->Height() / 2));
    QTest::mousePress(d.area->viewport(), Qt::LeftButton, {}, band);
    QMenu *menu = r->PopMenu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QVERIFY(r->MouseIsDown());
    if (entry.isEmpty()) {
        QTest::keyClick(menu, Qt::Key_Escape);
    } else if (entry == QLatin1String("beside")) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, QPoint(menu->width() + 20, -20));
    } else {
        QAction *action = menuEntry(r, entry.toLatin1().constData());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    QTRY_VERIFY(!menu->isVisible());
    QVERIFY(!r->MouseIsDown());
    const QImage shown = d.area->viewport()->grab(r->BoundsRect()).toImage();
    QCOMPARE(count(shown, kSilver), 0);
    QVERIFY(count(shown, qRgb(0, 0, 0)) > 20);
}

void tst_SchemaRelationMouse::doubleClickOpensTheDialog_data()
{
    QTest::addColumn<QString>("how"); // "window": through the window system, as a user does
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("editable"); // saEditRelation in the area's Actions
    QTest::addColumn<bool>("dialog");
    // Whether the menu shows afterwards; -1 where that is the menu's own way with a second
    // press on it (the platform's).
    QTest::addColumn<int>("menuAfter");

    QTest::newRow("double-click on the line") << "window"
                                              << "band" << false << true << true << 0;
    QTest::newRow("the viewport told of the double-click") << "event"
                                                           << "band" << false << true << true << 0;
    QTest::newRow("two clicks, slower than a double-click")
        << "slow"
        << "band" << false << true << false << -1;
    QTest::newRow("read-only area") << "window"
                                    << "band" << true << true << false << 0;
    QTest::newRow("editing not allowed") << "window"
                                         << "band" << false << false << false << -1;
    QTest::newRow("editing not allowed, the viewport told: the menu, as for a press")
        << "event"
        << "band" << false << false << false << 1;
    QTest::newRow("on the stub beside the item") << "window"
                                                 << "stub" << false << true << false << 0;
    QTest::newRow("right button") << "right"
                                  << "band" << false << true << false << -1;
}

// A double-click on a relation's line opens the properties dialog, as the menu's "Edit
// relation..." does (its choice is kept), where the menu offers that entry.
void tst_SchemaRelationMouse::doubleClickOpensTheDialog()
{
    QFETCH(QString, how);
    QFETCH(QString, where);
    QFETCH(bool, readOnly);
    QFETCH(bool, editable);
    QFETCH(bool, dialog);
    QFETCH(int, menuAfter);

    FakeDialogService dialogs;
    auto area = std::make_unique<RecordingArea>();
    if (!editable)
        area->SetActions(TZkSActions({ saDeleteItem, saDeleteReleation }));
    area->resize(700, 500);
    area->show();
    QVERIFY(QTest::qWaitForWindowExposed(area.get()));
    TSchemaItem *parent = addTable(*area, "customer", { "id", "name" }, 10, 10);
    TSchemaItem *child = addTable(*area, "orders", { "id", "amount", "customer_id" }, 350, 150);
    TSchemaRelation *r = link(*area, parent, 0, child, 2);
    area->SetReadOnly(readOnly);

    QString shownTable;
    dialogs.modal = [&](QDialog &shown) {
        auto *form = qobject_cast<TfrmZkRelation *>(&shown);
        if (!form)
            return int(QDialog::Rejected);
        shownTable = form->txtTable1->text();
        form->rgJoinType->Button(rjLeftOuter)->click();
        return int(QDialog::Accepted);
    };
    const QPoint client
        = where == QLatin1String("band") ? QPoint(r->Width() / 2, r->Height() / 2) : QPoint(5, 7);
    const QPoint p = r->BoundsRect().topLeft() + client;
    QWidget *viewport = area->viewport();
    QWindow *window = area->window()->windowHandle();
    const QPoint inWindow = viewport->mapTo(area->window(), p);
    if (how == QLatin1String("window")) {
        QTest::mouseDClick(window, Qt::LeftButton, {}, inWindow);
    } else if (how == QLatin1String("slow")) {
        QTest::mouseClick(window, Qt::LeftButton, {}, inWindow);
        QTest::mouseClick(window, Qt::LeftButton, {}, inWindow);
    } else if (how == QLatin1String("right")) {
        QTest::mouseDClick(window, Qt::RightButton, {}, inWindow);
    } else {
        QTest::mousePress(viewport, Qt::LeftButton, {}, p);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, p);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, p);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, p);
    }
    QCoreApplication::processEvents();
    if (dialog)
        QTRY_COMPARE(dialogs.modalCalls, 1);
    QTest::qWait(20);
    QCOMPARE(dialogs.modalCalls, dialog ? 1 : 0);
    QCOMPARE(shownTable, dialog ? QStringLiteral("customer") : QString());
    QCOMPARE(r->JoinType(), dialog ? rjLeftOuter : rjInner);
    if (menuAfter >= 0)
        QCOMPARE(r->PopMenu()->isVisible(), menuAfter == 1);
    QCOMPARE(area->barePresses > 0, where != QLatin1String("band")); // the stub: the area's
    r->PopMenu()->hide();
}

void tst_SchemaRelationMouse::toolTipShowsTheJoin_data()
{
    QTest::addColumn<TSDRelationOperator>("op");
    QTest::addColumn<TSDRelationJoin>("join");
    QTest::addColumn<QString>("text");
    QTest::newRow("inner") << roEqual << rjInner
                           << "customer.id = orders.customer_id\nInner join: the rows that match";
    QTest::newRow("left outer") << roLess << rjLeftOuter
                                << "customer.id < orders.customer_id\n"
                                   "Left outer join: every row of customer";
    QTest::newRow("right outer") << roNonEqual << rjRightOuter
                                 << "customer.id <> orders.customer_id\n"
                                    "Right outer join: every row of orders";
    QTest::newRow("full outer") << roGreaterThan << rjFull
                                << "customer.id >= orders.customer_id\n"
                                   "Full outer join: every row of customer and of orders";
}

// Resting the pointer on the line shows which join it is; beside the line there is no tip.
void tst_SchemaRelationMouse::toolTipShowsTheJoin()
{
    QFETCH(TSDRelationOperator, op);
    QFETCH(TSDRelationJoin, join);
    QFETCH(QString, text);
    Diagram d;
    TSchemaRelation *r = d.relation;
    r->SetJoinOperator(op);
    r->SetJoinType(join);
    QWidget *viewport = d.area->viewport();
    auto rest = [viewport](QPoint p) {
        QHelpEvent help(QEvent::ToolTip, p, viewport->mapToGlobal(p));
        QCoreApplication::sendEvent(viewport, &help);
    };
    rest(d.at(QPoint(r->Width() / 2, r->Height() / 2)));
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), text);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    rest(d.at(QPoint(5, 7))); // the stub beside the parent item is not the line's band
    QCoreApplication::processEvents();
    QVERIFY(!QToolTip::isVisible());
}

QTEST_MAIN(tst_SchemaRelationMouse)
#include "tst_schemarelationmouse.moc"
