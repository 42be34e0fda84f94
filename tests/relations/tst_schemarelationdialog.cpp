// The relation's properties dialog: editing, join kinds the database cannot run, the kept
// table, deletion while it is open, and its layout and texts.

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

class tst_SchemaRelationDialog : public QObject {
    Q_OBJECT
private slots:
    void editRelation_data();
    void editRelation();
    void unavailableJoinKindShown();
    void dialogNamesTheKeptTable_data();
    void dialogNamesTheKeptTable();
    void relationDeletedWhileDialogIsOpen();
    void dialogLayout_data();
    void dialogLayout();
    void dialogForm();
    void dialogLabelsFitTheirTexts_data();
    void dialogLabelsFitTheirTexts();
};

// ---------------------------------------------------------------------------------------------
// Properties dialog

void tst_SchemaRelationDialog::editRelation_data()
{
    QTest::addColumn<TSDRelationOperator>("startOp");
    QTest::addColumn<TSDRelationJoin>("startJoin");
    QTest::addColumn<int>("pickOp"); // -1: leave as shown
    QTest::addColumn<int>("pickJoin");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<TSDRelationOperator>("op");
    QTest::addColumn<TSDRelationJoin>("join");

    QTest::newRow("<> and Full Outer")
        << roEqual << rjInner << 5 << 3 << true << roNonEqual << rjFull;
    QTest::newRow("cancelled") << roEqual << rjInner << 5 << 3 << false << roEqual << rjInner;
    QTest::newRow("confirmed unchanged")
        << roLessThan << rjRightOuter << -1 << -1 << true << roLessThan << rjRightOuter;
    QTest::newRow(">= and Left Outer")
        << roGreater << rjFull << 4 << 1 << true << roGreaterThan << rjLeftOuter;
    QTest::newRow("< only") << roEqual << rjLeftOuter << 1 << -1 << true << roLess << rjLeftOuter;
}

void tst_SchemaRelationDialog::editRelation()
{
    QFETCH(TSDRelationOperator, startOp);
    QFETCH(TSDRelationJoin, startJoin);
    QFETCH(int, pickOp);
    QFETCH(int, pickJoin);
    QFETCH(bool, ok);
    QFETCH(TSDRelationOperator, op);
    QFETCH(TSDRelationJoin, join);

    FakeDialogService dialogs;
    Diagram d(false);
    TSchemaRelation *r = d.relation;
    r->SetJoinOperator(startOp);
    r->SetJoinType(startJoin);
    QStringList shown;
    QList<int> preselected;
    dialogs.modal = [&](QDialog &dialog) {
        auto *form = qobject_cast<TfrmZkRelation *>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        shown << form->txtTable1->text() << form->txtCol1->text() << form->txtTable2->text()
              << form->txtCol2->text();
        preselected << form->rgJoinOperator->ItemIndex() << form->rgJoinType->ItemIndex();
        if (pickOp >= 0)
            form->rgJoinOperator->Button(pickOp)->click();
        if (pickJoin >= 0)
            form->rgJoinType->Button(pickJoin)->click();
        return int(ok ? QDialog::Accepted : QDialog::Rejected);
    };
    menuEntry(r, "mnuOptions")->trigger();

    QCOMPARE(dialogs.modalCalls, 1);
    QCOMPARE(shown, QStringList({ "customer", "id", "orders", "customer_id" }));
    QCOMPARE(preselected, QList<int>({ int(startOp), int(startJoin) }));
    QCOMPARE(r->JoinOperator(), op);
    QCOMPARE(r->JoinType(), join);
}

namespace {
// An engine on a database without full outer joins.
class NoFullJoins : public TSchemaDataEngine {
public:
    bool JoinAvailable(TSDRelationJoin Join) const override { return Join != rjFull; }
};
} // namespace

// The dialog shows the kinds the area's database cannot run as not available; a relation of
// such a kind keeps it until another is chosen.
void tst_SchemaRelationDialog::unavailableJoinKindShown()
{
    FakeDialogService dialogs;
    Diagram d(false);
    NoFullJoins engine;
    d.area->SetDataEngine(&engine);
    d.relation->SetJoinType(rjFull);
    QList<bool> enabled;
    QString fullTip;
    dialogs.modal = [&](QDialog &dialog) {
        auto *form = qobject_cast<TfrmZkRelation *>(&dialog);
        for (int i = 0; i < 4; ++i)
            enabled << form->rgJoinType->Button(i)->isEnabled();
        fullTip = form->rgJoinType->Button(rjFull)->toolTip();
        return int(QDialog::Accepted);
    };
    menuEntry(d.relation, "mnuOptions")->trigger();
    QCOMPARE(enabled, QList<bool>({ true, true, true, false }));
    QVERIFY2(fullTip.contains(QStringLiteral("Not available")), qPrintable(fullTip));
    QCOMPARE(d.relation->JoinType(), rjFull);

    d.area->SetDataEngine(nullptr);
    enabled.clear();
    menuEntry(d.relation, "mnuOptions")->trigger();
    QCOMPARE(enabled, QList<bool>({ true, true, true, true }));
    QVERIFY(!fullTip.contains(QStringLiteral("Not available")));
}

void tst_SchemaRelationDialog::dialogNamesTheKeptTable_data()
{
    QTest::addColumn<TSDRelationJoin>("join");
    QTest::addColumn<QString>("line"); // under the join kinds, for the selected one
    QTest::newRow("inner") << rjInner << "Matching rows only";
    QTest::newRow("left outer") << rjLeftOuter << "All rows of customer";
    QTest::newRow("right outer") << rjRightOuter << "All rows of orders";
    QTest::newRow("full outer") << rjFull << "All rows of customer and orders";
}

// The dialog names the table each join kind keeps whole: in the line under the kinds, which
// follows the choice, and in each kind's tool tip.
void tst_SchemaRelationDialog::dialogNamesTheKeptTable()
{
    QFETCH(TSDRelationJoin, join);
    QFETCH(QString, line);
    FakeDialogService dialogs;
    Diagram d(false);
    d.relation->SetJoinType(join);
    QString shown;
    QString afterChoice;
    QStringList tips;
    dialogs.modal = [&](QDialog &dialog) {
        auto *form = qobject_cast<TfrmZkRelation *>(&dialog);
        shown = form->lblJoinKeeps->text();
        for (int i = 0; i < 4; ++i)
            tips << form->rgJoinType->Button(i)->toolTip();
        form->rgJoinType->Button(join == rjRightOuter ? rjLeftOuter : rjRightOuter)->click();
        afterChoice = form->lblJoinKeeps->text();
        return int(QDialog::Rejected);
    };
    menuEntry(d.relation, "mnuOptions")->trigger();
    QCOMPARE(shown, line);
    QCOMPARE(afterChoice,
        join == rjRightOuter ? QStringLiteral("All rows of customer")
                             : QStringLiteral("All rows of orders"));
    QCOMPARE(tips,
        QStringList({ "Only the rows of customer and orders that match.",
            "Every row of customer, with the matching rows of orders or nothing.",
            "Every row of orders, with the matching rows of customer or nothing.",
            "Every row of customer and of orders, matched where they match." }));
}

void tst_SchemaRelationDialog::relationDeletedWhileDialogIsOpen()
{
    FakeDialogService dialogs;
    Diagram d(false);
    QPointer<TSchemaRelation> r = d.relation;
    dialogs.modal = [&](QDialog &dialog) {
        d.area->DeleteRelationsForItem(d.parent, nullptr); // the application deletes it
        qobject_cast<TfrmZkRelation *>(&dialog)->rgJoinOperator->Button(5)->click();
        return int(QDialog::Accepted);
    };
    r->EditRelation(nullptr);
    QVERIFY(r.isNull());
    QCOMPARE(d.area->GetRelationCount(), 0);
}

void tst_SchemaRelationDialog::dialogLayout_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("gbParent") << "gbParent" << QRect(5, 8, 313, 57) << " Parent ";
    QTest::newRow("Label1") << "Label1" << QRect(4, 15, 60, 13) << "Table 1:";
    QTest::newRow("Label3") << "Label3" << QRect(4, 32, 60, 13) << "Column 1:";
    QTest::newRow("txtTable1") << "txtTable1" << QRect(70, 15, 205, 16) << "";
    QTest::newRow("txtCol1") << "txtCol1" << QRect(70, 31, 205, 16) << "";
    QTest::newRow("gbChild") << "gbChild" << QRect(5, 72, 313, 57) << " Child ";
    QTest::newRow("Label2") << "Label2" << QRect(4, 15, 60, 13) << "Table 2:";
    QTest::newRow("Label4") << "Label4" << QRect(4, 31, 60, 13) << "Column 2:";
    QTest::newRow("txtTable2") << "txtTable2" << QRect(70, 15, 205, 16) << "";
    QTest::newRow("txtCol2") << "txtCol2" << QRect(70, 31, 205, 16) << "";
    QTest::newRow("rgJoinOperator")
        << "rgJoinOperator" << QRect(5, 140, 130, 60) << " Join Operator ";
    QTest::newRow("rgJoinType") << "rgJoinType" << QRect(140, 140, 178, 60) << " Join Type ";
    QTest::newRow("BtnOk") << "BtnOk" << QRect(163, 225, 75, 25) << "&OK";
    QTest::newRow("BtnCancel") << "BtnCancel" << QRect(243, 225, 75, 25) << "&Cancel";
}

void tst_SchemaRelationDialog::dialogLayout()
{
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    TfrmZkRelation form;
    form.layout()->activate();
    const QMap<QString, QWidget *> controls {
        { "gbParent", form.gbParent },
        { "Label1", form.Label1 },
        { "Label3", form.Label3 },
        { "txtTable1", form.txtTable1 },
        { "txtCol1", form.txtCol1 },
        { "gbChild", form.gbChild },
        { "Label2", form.Label2 },
        { "Label4", form.Label4 },
        { "txtTable2", form.txtTable2 },
        { "txtCol2", form.txtCol2 },
        { "rgJoinOperator", form.rgJoinOperator },
        { "rgJoinType", form.rgJoinType },
        { "BtnOk", form.BtnOk },
        { "BtnCancel", form.BtnCancel },
    };
    QWidget *w = controls.value(control);
    QVERIFY(w);
    // The designed size is the least a control gets; it grows where its text needs more.
    QVERIFY2(w->width() >= geometry.width() && w->height() >= geometry.height(),
        qPrintable(QStringLiteral("%1 x %2").arg(w->width()).arg(w->height())));
    if (auto *label = qobject_cast<QLabel *>(w)) {
        QCOMPARE(label->text(), text);
        if (control.startsWith(QLatin1String("Label"))) {
            QVERIFY(label->alignment() & Qt::AlignRight);
        } else {
            QVERIFY(label->font().bold());
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        }
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        QCOMPARE(group->title(), text);
    } else if (auto *button = qobject_cast<QPushButton *>(w)) {
        QCOMPARE(button->text(), text);
    }
    // The value labels sit in the group boxes.
    if (control.startsWith(QLatin1String("txt")) || control.startsWith(QLatin1String("Label"))) {
        QVERIFY(w->parentWidget() == form.gbParent || w->parentWidget() == form.gbChild);
        QCOMPARE(w->parentWidget() == form.gbParent,
            control.endsWith(QLatin1Char('1')) || control == QLatin1String("Label3"));
    }
}

void tst_SchemaRelationDialog::dialogForm()
{
    TfrmZkRelation form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Relation properties"));
    form.layout()->activate();
    QVERIFY(form.width() >= 322 && form.height() >= 256);
    QCOMPARE(form.minimumSize(), form.maximumSize()); // a fixed border
    QCOMPARE(form.rgJoinOperator->Items(), QStringList({ "=", "<", ">", "<=", ">=", "<>" }));
    QCOMPARE(form.rgJoinOperator->Columns(), 3);
    QCOMPARE(form.rgJoinOperator->ItemIndex(), 0);
    QCOMPARE(form.rgJoinType->Items(),
        QStringList({ "Inner", "Left Outer", "Right Outer", "Full Outer" }));
    QCOMPARE(form.rgJoinType->Columns(), 2);
    QCOMPARE(form.rgJoinType->ItemIndex(), 0);
    QCOMPARE(form.focusWidget(), form.rgJoinOperator->Button(0)); // the operators first
    QCOMPARE(form.bvlButtons->y(), form.height() - 40);
    QCOMPARE(form.BtnCancel->geometry().right(), form.width() - 5);
    // The designed arrangement: the parent above the child, the operator beside the join type
    // below them, the buttons at the bottom right, OK first.
    QCOMPARE(form.gbParent->pos(), QPoint(5, 8));
    QCOMPARE(form.gbChild->x(), 5);
    QCOMPARE(form.gbChild->y(), form.gbParent->geometry().bottom() + 8);
    QCOMPARE(form.rgJoinOperator->pos(), QPoint(5, form.gbChild->geometry().bottom() + 12));
    QCOMPARE(form.rgJoinType->y(), form.rgJoinOperator->y());
    QCOMPARE(form.rgJoinType->x(), form.rgJoinOperator->geometry().right() + 6);
    QCOMPARE(form.rgJoinType->geometry().right(), form.gbChild->geometry().right());
    QCOMPARE(form.bvlButtons->y(), form.rgJoinType->geometry().bottom() + 17);
    QCOMPARE(form.BtnOk->y(), form.BtnCancel->y());
    QCOMPARE(form.BtnCancel->x(), form.BtnOk->geometry().right() + 6);

    // Operators fill the three columns top to bottom: "=" "<" in the first, ">" "<=" next.
    form.rgJoinOperator->layout()->activate();
    QAbstractButton *eq = form.rgJoinOperator->Button(0);
    QAbstractButton *less = form.rgJoinOperator->Button(1);
    QAbstractButton *greater = form.rgJoinOperator->Button(2);
    QCOMPARE(eq->x(), less->x());
    QVERIFY(less->y() > eq->y());
    QVERIFY(greater->x() > eq->x());
    QCOMPARE(greater->y(), eq->y());

    // OK accepts, Cancel and Escape reject.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.BtnOk->click();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    form.show();
    form.BtnCancel->click();
    QCOMPARE(form.result(), int(QDialog::Rejected));
    form.setResult(QDialog::Accepted);
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(form.BtnOk->isDefault());
}

namespace {
// A translation that makes every text of the dialog longer, as many languages do.
class LongerTexts : public QTranslator {
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "Diduza::TfrmZkRelation") != 0)
            return QString();
        return QString::fromUtf8(sourceText) + QStringLiteral(" (übersetzt)");
    }
    bool isEmpty() const override { return false; }
};
} // namespace

void tst_SchemaRelationDialog::dialogLabelsFitTheirTexts_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("translated");
    for (int points = 8; points <= 12; ++points) {
        QTest::addRow("%d points", points) << points << false;
        QTest::addRow("%d points, translated", points) << points << true;
    }
}

// No text of the properties dialog is cut: each button's text lies within the part of the
// button that shows text, each label and group box is as wide as its text needs, and every
// control lies within the box or form that holds it.
void tst_SchemaRelationDialog::dialogLabelsFitTheirTexts()
{
    QFETCH(int, points);
    QFETCH(bool, translated);
    LongerTexts translation;
    if (translated)
        QCoreApplication::installTranslator(&translation);
    auto uninstall = qScopeGuard([&] { QCoreApplication::removeTranslator(&translation); });

    TfrmZkRelation form;
    form.txtTable1->setText(QStringLiteral("customer"));
    form.txtCol1->setText(QStringLiteral("city"));
    QFont font = form.font();
    font.setPointSize(points);
    form.setFont(font);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!form.grab().isNull()); // painted once, as on screen
    if (translated)
        QVERIFY(form.rgJoinType->Button(2)->text().endsWith(QStringLiteral("(übersetzt)")));

    const QList<QWidget *> controls = form.findChildren<QWidget *>();
    QVERIFY(controls.size() > 20);
    for (QWidget *w : controls) {
        const QString name
            = w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
        const QRect room = w->parentWidget()->rect();
        QVERIFY2(room.contains(w->geometry()), qPrintable(name + QStringLiteral(" sticks out")));
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            option.rect = button->rect();
            const QStyle::SubElement part = qobject_cast<QRadioButton *>(button)
                ? QStyle::SE_RadioButtonContents
                : QStyle::SE_PushButtonContents;
            const QRect textRoom = button->style()->subElementRect(part, &option, button);
            const int textWidth
                = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
            QVERIFY2(textWidth <= textRoom.width(),
                qPrintable(QStringLiteral("%1: text %2 in %3")
                               .arg(button->text())
                               .arg(textWidth)
                               .arg(textRoom.width())));
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()),
                qPrintable(label->text()));
        } else if (auto *box = qobject_cast<QGroupBox *>(w)) {
            QVERIFY2(box->width() >= box->minimumSizeHint().width(), qPrintable(box->title()));
        }
    }
}

QTEST_MAIN(tst_SchemaRelationDialog)
#include "tst_schemarelationdialog.moc"
