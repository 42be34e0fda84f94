// The platform layer: text comparison, string lists, integer parsing, colours, drawing
// suspension, the scroll box with its control list, and the application exception handler.

#include "../common/TestSupport.h"

#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/CompareText.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/TColor.h"
#include "platform/TGraphicControl.h"
#include "platform/TScrollBox.h"
#include "platform/TStringList.h"
#include "platform/TextPosition.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QtTest>

#include <stdexcept>

using namespace Diduza;
using DiduzaTest::ExceptionRecorder;
using DiduzaTest::FakeDialogService;

namespace {

// A window-less control that fills its bounds with one colour, accepts presses only inside
// an optional hit rectangle and records the presses and releases it gets.
class Probe : public TGraphicControl {
public:
    explicit Probe(QObject *owner = nullptr, QColor fill = Qt::red)
        : TGraphicControl(owner)
        , m_fill(fill)
    {
    }
    void Paint(QPainter &painter) override
    {
        // Deliberately larger than the control: the box clips to the bounds.
        painter.fillRect(QRect(-5, -5, Width() + 10, Height() + 10), m_fill);
    }
    bool HitTest(const QPoint &p) const override
    {
        return hit.isNull() ? TGraphicControl::HitTest(p) : hit.contains(p);
    }
    void MousePress(QMouseEvent *, const QPoint &p) override { presses << p; }
    void MouseRelease(QMouseEvent *, const QPoint &p) override { releases << p; }

    QRect hit;
    QList<QPoint> presses;
    QList<QPoint> releases;

private:
    QColor m_fill;
};

// Records presses that land on bare viewport.
class RecordingBox : public TScrollBox {
public:
    using TScrollBox::TScrollBox;
    int barePresses = 0;

protected:
    void ViewportMousePress(QMouseEvent *event) override
    {
        ++barePresses;
        TScrollBox::ViewportMousePress(event);
    }
};

QList<QObject *> controlsOf(const TScrollBox &box)
{
    QList<QObject *> list;
    for (int i = 0; i < box.ControlCount(); ++i)
        list << box.Controls(i);
    return list;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

} // namespace

class tst_Platform : public QObject {
    Q_OBJECT
private slots:
    void compareText_data();
    void compareText();

    void sortedStringListKeepsObjectsWithTheirTexts();
    void settingSortedIsStableAndRenamingResorts();
    void updateBracketReportsOneChange();
    void stringListRejectsBadIndexesAndInsertIntoSorted();
    void stringListText_data();
    void stringListText();
    void lineAndColumn_data();
    void lineAndColumn();

    void tryStrToInt_data();
    void tryStrToInt();
    void strToIntRaisesConvertError();

    void systemColourResolution_data();
    void systemColourResolution();
    void rgbColoursAndSpecialValues();
    void readableOnAnyBackground();

    void lockWindowUpdateHasOneSlot();
    void destroyedHolderFreesTheSlot();

    void controlListPutsWindowlessControlsFirst();
    void destroyedControlsLeaveTheList();
    void scrollingMovesEveryChild();
    void childMovedToAnotherBoxLeavesTheFirst();
    void pressGoesToTopmostHitControlElseFallsThrough();
    void windowlessControlsPaintBelowWindowedChildren();
    void destroyingTheBoxDestroysItsControls();

    void exceptionHandlerIsReplaceable();
    void abortIsNeverShown();
    void guardedConvertsForeignExceptions();
    void queuedDeliveryWaitsForTheEventLoop();
    void defaultHandlerShowsAnErrorBox();
    void failingHandlerDoesNotEscape();
};

// ---------------------------------------------------------------------------------------------
// CompareText

void tst_Platform::compareText_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expectedSign");

    QTest::newRow("equal") << "customer"
                           << "customer" << 0;
    QTest::newRow("ASCII letters fold") << "Customer_ID"
                                        << "CUSTOMER_id" << 0;
    QTest::newRow("accented letters do not fold")
        << QString::fromUtf8("é") << QString::fromUtf8("É") << 1;
    QTest::newRow("Greek letters do not fold")
        << QString::fromUtf8("α") << QString::fromUtf8("Α") << 1;
    QTest::newRow("dotless i is not I") << QString::fromUtf8("ı") << "I" << 1;
    QTest::newRow("sharp s is not SS") << QString::fromUtf8("straße") << "STRASSE" << 1;
    // Letters compare as upper case: '_' (0x5F) sorts after 'A' (0x41) even against 'a'.
    QTest::newRow("underscore after letters") << "_"
                                              << "a" << 1;
    QTest::newRow("bracket between cases") << "["
                                           << "z" << 1;
    QTest::newRow("case does not decide order") << "apple"
                                                << "Banana" << -1;
    QTest::newRow("prefix sorts first") << "ab"
                                        << "ABC" << -1;
    QTest::newRow("empty before anything") << ""
                                           << "a" << -1;
    QTest::newRow("both empty") << ""
                                << "" << 0;
}

void tst_Platform::compareText()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expectedSign);
    QCOMPARE(sign(CompareText(a, b)), expectedSign);
    QCOMPARE(sign(CompareText(b, a)), -expectedSign);
    QCOMPARE(SameText(a, b), expectedSign == 0);
}

// ---------------------------------------------------------------------------------------------
// TStringList

void tst_Platform::sortedStringListKeepsObjectsWithTheirTexts()
{
    QObject first;
    QObject second;
    TStringList list;
    list.SetSorted(true);
    list.AddObject(QStringLiteral("orders"), QVariant::fromValue<QObject *>(&first));
    list.Add(QStringLiteral("Customer"));
    list.AddObject(QStringLiteral("customer"), QVariant::fromValue<QObject *>(&second));
    list.AddObject(QStringLiteral("employee"), 42);

    // Equal texts (by CompareText) keep the order in which they were added.
    QCOMPARE(list.ToStringList(), QStringList({ "Customer", "customer", "employee", "orders" }));
    QCOMPARE(list.ObjectPtr(1), &second);
    QCOMPARE(list.ObjectPtr(3), &first);
    QCOMPARE(list.ObjectPtr(0), nullptr);
    QCOMPARE(list.ObjectPtr(2), nullptr); // an int is not an object
    QCOMPARE(list.Objects(2).toInt(), 42);
    QCOMPARE(list.IndexOf(QStringLiteral("EMPLOYEE")), 2);
    QCOMPARE(list.IndexOf(QStringLiteral("CUSTOMER")), 0);
    QCOMPARE(list.IndexOf(QString::fromUtf8("Émployee")), -1);
}

void tst_Platform::settingSortedIsStableAndRenamingResorts()
{
    TStringList list;
    list.AddObject(QStringLiteral("b"), 1);
    list.AddObject(QStringLiteral("A"), 2);
    list.AddObject(QStringLiteral("a"), 3);
    list.AddObject(QStringLiteral("B"), 4);
    list.SetSorted(true);
    QCOMPARE(list.ToStringList(), QStringList({ "A", "a", "b", "B" }));
    QCOMPARE(list.Objects(0).toInt(), 2);
    QCOMPARE(list.Objects(3).toInt(), 4);

    // Renaming an entry of a sorted list moves it, and its object goes with it.
    list.SetStrings(0, QStringLiteral("z"));
    QCOMPARE(list.ToStringList(), QStringList({ "a", "b", "B", "z" }));
    QCOMPARE(list.Objects(3).toInt(), 2);
}

void tst_Platform::updateBracketReportsOneChange()
{
    TStringList list;
    int changes = 0;
    list.SetOnChange([&] { ++changes; });

    list.Add(QStringLiteral("x"));
    QCOMPARE(changes, 1);

    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(QStringLiteral("y"));
    list.Delete(0);
    list.SetObjects(0, 7);
    list.EndUpdate();
    QCOMPARE(changes, 1); // still inside the outer bracket
    list.EndUpdate();
    QCOMPARE(changes, 2);

    // A bracket without changes reports nothing; an unmatched EndUpdate is harmless.
    list.BeginUpdate();
    list.EndUpdate();
    list.EndUpdate();
    QCOMPARE(changes, 2);
    QCOMPARE(list.UpdateCount(), 0);

    // Clearing an empty list is no change either.
    list.Clear();
    QCOMPARE(changes, 3);
    list.Clear();
    QCOMPARE(changes, 3);
}

void tst_Platform::stringListRejectsBadIndexesAndInsertIntoSorted()
{
    TStringList list;
    list.Add(QStringLiteral("a"));
    QVERIFY_THROWS_EXCEPTION(Exception, list.Strings(1));
    QVERIFY_THROWS_EXCEPTION(Exception, list.Strings(-1));
    QVERIFY_THROWS_EXCEPTION(Exception, list.Delete(1));
    QVERIFY_THROWS_EXCEPTION(Exception, list.Insert(2, QStringLiteral("c")));
    list.Insert(1, QStringLiteral("c"));
    QCOMPARE(list.Count(), 2);
    list.SetSorted(true);
    QVERIFY_THROWS_EXCEPTION(Exception, list.Insert(0, QStringLiteral("b")));
    QCOMPARE(list.Count(), 2);
}

void tst_Platform::stringListText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("joined");

    QTest::newRow("CR LF") << "a\r\nb" << QStringList({ "a", "b" }) << "a\r\nb\r\n";
    QTest::newRow("mixed breaks") << "a\rb\nc\r\nd" << QStringList({ "a", "b", "c", "d" })
                                  << "a\r\nb\r\nc\r\nd\r\n";
    QTest::newRow("trailing break adds no line") << "a\r\n" << QStringList({ "a" }) << "a\r\n";
    QTest::newRow("empty line kept")
        << "a\r\n\r\nb" << QStringList({ "a", "", "b" }) << "a\r\n\r\nb\r\n";
    QTest::newRow("LF CR is two breaks")
        << "a\n\rb" << QStringList({ "a", "", "b" }) << "a\r\n\r\nb\r\n";
    QTest::newRow("empty") << "" << QStringList() << "";
}

void tst_Platform::stringListText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(QString, joined);
    TStringList list;
    list.Add(QStringLiteral("old"));
    int changes = 0;
    list.SetOnChange([&] { ++changes; });
    list.SetText(text);
    QCOMPARE(list.ToStringList(), lines);
    QCOMPARE(list.Text(), joined);
    QCOMPARE(changes, 1);
}

// ---------------------------------------------------------------------------------------------
// Integers

void tst_Platform::lineAndColumn_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::newRow("the first character") << "SELECT x" << 0 << 1 << 1;
    QTest::newRow("on the first line") << "SELECT x" << 7 << 1 << 8;
    QTest::newRow("after a line feed") << "SELECT\nFROM x" << 7 << 2 << 1;
    QTest::newRow("CR LF is one line break") << "SELECT\r\nFROM x" << 10 << 2 << 3;
    QTest::newRow("a carriage return alone") << "a\rb" << 2 << 2 << 1;
    QTest::newRow("on the line feed of CR LF") << "a\r\nb" << 2 << 1 << 3;
    QTest::newRow("an empty line between") << "a\n\nbc" << 4 << 3 << 2;
    QTest::newRow("a surrogate pair is one character")
        << QString::fromUtf8("'\xF0\x9F\x98\x80' x") << 4 << 1 << 4;
    QTest::newRow("beyond the end: the end") << "ab\ncd" << 99 << 2 << 3;
    QTest::newRow("before the start: the start") << "ab" << -5 << 1 << 1;
}

// A place in a text as a reader finds it, counting lines and characters from 1.
void tst_Platform::lineAndColumn()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(int, line);
    QFETCH(int, column);
    const TextLineColumn at = LineColumnAt(text, position);
    QCOMPARE(at.Line, line);
    QCOMPARE(at.Column, column);
    QCOMPARE(
        LineColumnText(text, position), QStringLiteral("line %1, column %2").arg(line).arg(column));
}

void tst_Platform::tryStrToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("digits") << "123" << true << 123;
    QTest::newRow("plus sign") << "+7" << true << 7;
    QTest::newRow("minus zero") << "-0" << true << 0;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("one too large") << "2147483648" << false << 0;
    QTest::newRow("one too small") << "-2147483649" << false << 0;
    QTest::newRow("far too large") << "99999999999999999999999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("two signs") << "--1" << false << 0;
    QTest::newRow("leading blank") << " 1" << false << 0;
    QTest::newRow("trailing blank") << "1 " << false << 0;
    QTest::newRow("decimal point") << "1.0" << false << 0;
    QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("٣") << false << 0;
    QTest::newRow("full-width digit") << QString::fromUtf8("１") << false << 0;
}

void tst_Platform::tryStrToInt()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    int result = -99;
    QCOMPARE(TryStrToInt(text, result), ok);
    if (ok) {
        QCOMPARE(result, value);
        QCOMPARE(StrToInt(text), value);
    }
}

void tst_Platform::strToIntRaisesConvertError()
{
    try {
        StrToInt(QStringLiteral("12a"));
        QFAIL("no exception");
    } catch (const EConvertError &e) {
        QCOMPARE(e.Message(), QStringLiteral("'12a' is not a valid integer value"));
    }
}

// ---------------------------------------------------------------------------------------------
// Colours

void tst_Platform::systemColourResolution_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("role");

    // Values as files store them: high byte 0xFF, the system colour index in the low byte.
    const int active = QPalette::Active;
    QTest::newRow("window") << 0xFF000005u << active << int(QPalette::Base);
    QTest::newRow("window text") << 0xFF000008u << active << int(QPalette::Text);
    QTest::newRow("highlight") << 0xFF00000Du << active << int(QPalette::Highlight);
    QTest::newRow("highlight text") << 0xFF00000Eu << active << int(QPalette::HighlightedText);
    QTest::newRow("button face") << 0xFF00000Fu << active << int(QPalette::Button);
    QTest::newRow("button shadow") << 0xFF000010u << active << int(QPalette::Dark);
    QTest::newRow("gray text") << 0xFF000011u << int(QPalette::Disabled) << int(QPalette::Text);
    QTest::newRow("button text") << 0xFF000012u << active << int(QPalette::ButtonText);
    QTest::newRow("button highlight") << 0xFF000014u << active << int(QPalette::Light);
    QTest::newRow("dark shadow") << 0xFF000015u << active << int(QPalette::Shadow);
    QTest::newRow("light") << 0xFF000016u << active << int(QPalette::Midlight);
    QTest::newRow("info text") << 0xFF000017u << active << int(QPalette::ToolTipText);
    QTest::newRow("info background") << 0xFF000018u << active << int(QPalette::ToolTipBase);
    QTest::newRow("menu") << 0xFF000004u << active << int(QPalette::Window);
    QTest::newRow("menu text") << 0xFF000007u << active << int(QPalette::WindowText);
}

void tst_Platform::systemColourResolution()
{
    QFETCH(quint32, value);
    QFETCH(int, group);
    QFETCH(int, role);

    // A palette in which every role and group has a colour of its own.
    QPalette palette;
    int n = 1;
    for (int g = 0; g < int(QPalette::NColorGroups); ++g) {
        for (int r = 0; r < int(QPalette::NColorRoles); ++r, ++n)
            palette.setColor(QPalette::ColorGroup(g), QPalette::ColorRole(r),
                QColor((n * 37) % 256, (n * 71) % 256, (n * 113) % 256));
    }
    const TColor colour = TColor(value);
    QVERIFY(IsSystemColor(colour));
    QCOMPARE(ColorToQColor(colour, palette),
        palette.color(QPalette::ColorGroup(group), QPalette::ColorRole(role)));
}

void tst_Platform::rgbColoursAndSpecialValues()
{
    // 0x00BBGGRR: red in the low byte.
    const TColor stored = TColor(0x00336699);
    QVERIFY(!IsSystemColor(stored));
    QCOMPARE(ColorToQColor(stored), QColor(0x99, 0x66, 0x33));
    QCOMPARE(QColorToColor(QColor(0x99, 0x66, 0x33)), stored);
    QCOMPARE(QColorToColor(QColor(255, 0, 0)), TColor(255));
    QCOMPARE(QColorToColor(QColor(255, 255, 255)), TColor(16777215));
    // Alpha is dropped.
    QCOMPARE(QColorToColor(QColor(1, 2, 3, 10)), RGBColor(1, 2, 3));

    QCOMPARE(ColorToQColor(TColor(0x1FFFFFFF)).alpha(), 0); // no colour
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
    QCOMPARE(ColorToQColor(TColor(0x20000000), palette), QColor(1, 2, 3)); // default colour
}

// A fixed colour on random backgrounds: kept where it reads, else readable or, where no shade
// of it reads, white or black; its hue kept.
void tst_Platform::readableOnAnyBackground()
{
    QRandomGenerator random(19);
    for (int i = 0; i < 2000; ++i) {
        const QColor colour = QColor::fromRgb(random.generate());
        const QColor background = QColor::fromRgb(random.generate());
        const QColor readable = ReadableOn(colour, background);
        if (ContrastRatio(colour, background) >= 4.5)
            QCOMPARE(readable, colour);
        QVERIFY(ContrastRatio(readable, background) >= 4.5 || readable == QColor(Qt::white)
            || readable == QColor(Qt::black));
        const QColor hsl = readable.toHsl();
        const int turn = qAbs(hsl.hslHue() - colour.toHsl().hslHue());
        if (hsl.hslSaturation() > 40 && hsl.lightness() > 20 && hsl.lightness() < 235)
            QVERIFY2(qMin(turn, 360 - turn) <= 3, qPrintable(colour.name() + readable.name()));
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing suspension

void tst_Platform::lockWindowUpdateHasOneSlot()
{
    QWidget a;
    QWidget b;
    QVERIFY(LockWindowUpdate(&a));
    QCOMPARE(LockedWindow(), &a);
    QVERIFY(!a.updatesEnabled());

    QVERIFY(!LockWindowUpdate(&b));
    QVERIFY(b.updatesEnabled());
    QVERIFY(!LockWindowUpdate(&a)); // the holder cannot take it twice either
    QCOMPARE(LockedWindow(), &a);

    QVERIFY(LockWindowUpdate(nullptr));
    QVERIFY(a.updatesEnabled());
    QCOMPARE(LockedWindow(), nullptr);
    QVERIFY(!LockWindowUpdate(nullptr)); // nothing left to resume

    QVERIFY(LockWindowUpdate(&b));
    QVERIFY(LockWindowUpdate(nullptr));
    QVERIFY(b.updatesEnabled());
}

void tst_Platform::destroyedHolderFreesTheSlot()
{
    auto *holder = new QWidget;
    QVERIFY(LockWindowUpdate(holder));
    delete holder;
    QCOMPARE(LockedWindow(), nullptr);

    QWidget other;
    QVERIFY(LockWindowUpdate(&other));
    QVERIFY(LockWindowUpdate(nullptr));
}

// ---------------------------------------------------------------------------------------------
// Scroll box

void tst_Platform::controlListPutsWindowlessControlsFirst()
{
    TScrollBox box;
    auto *w1 = new QWidget(box.ClientWidget());
    auto *g1 = new Probe(&box);
    g1->SetParent(&box);
    auto *w2 = new QWidget(box.ClientWidget());
    auto *g2 = new Probe(&box);
    g2->SetParent(&box);

    QCOMPARE(controlsOf(box), QList<QObject *>({ g1, g2, w1, w2 }));
    QCOMPARE(box.IndexOfControl(w1), 2);
    QCOMPARE(box.Controls(4), nullptr);
    QCOMPARE(box.Controls(-1), nullptr);

    // Stacking order does not change placement order.
    w1->raise();
    w2->lower();
    QCOMPARE(controlsOf(box), QList<QObject *>({ g1, g2, w1, w2 }));

    // Placing a control again does not duplicate it.
    g1->SetParent(&box);
    QCOMPARE(box.ControlCount(), 4);

    // Taking a window-less control off and back puts it last among the window-less ones.
    g1->SetParent(nullptr);
    g1->SetParent(&box);
    QCOMPARE(controlsOf(box), QList<QObject *>({ g2, g1, w1, w2 }));

    // A windowed child taken off survives, parentless.
    box.RemoveWindowedControl(w1);
    QCOMPARE(controlsOf(box), QList<QObject *>({ g2, g1, w2 }));
    QCOMPARE(w1->parentWidget(), nullptr);
    delete w1;
}

void tst_Platform::destroyedControlsLeaveTheList()
{
    TScrollBox box;
    auto *w1 = new QWidget(box.ClientWidget());
    auto *w2 = new QWidget(box.ClientWidget());
    auto *g1 = new Probe(&box);
    g1->SetParent(&box);
    g1->SetBounds(0, 0, 10, 10);
    auto *g2 = new Probe(&box);
    g2->SetParent(&box);
    g2->SetBounds(0, 0, 10, 10);

    delete g1;
    QCOMPARE(controlsOf(box), QList<QObject *>({ g2, w1, w2 }));
    delete w1;
    QCOMPARE(controlsOf(box), QList<QObject *>({ g2, w2 }));
    // A press after the deletions finds no stale control.
    QCOMPARE(box.GraphicControlAt(QPoint(1, 1)), g2);
    delete g2;
    QCOMPARE(box.GraphicControlAt(QPoint(1, 1)), nullptr);
    QCOMPARE(controlsOf(box), QList<QObject *>({ w2 }));
}

// A windowed child handed from one box to another is followed by the second only: showing,
// moving and deleting it there leaves nothing of it in the first box's searches.
void tst_Platform::childMovedToAnotherBoxLeavesTheFirst()
{
    TScrollBox first;
    TScrollBox second;
    for (TScrollBox *box : { &first, &second }) {
        box->resize(200, 150);
        box->show();
    }
    auto *child = new QWidget(first.ClientWidget());
    child->setAttribute(Qt::WA_OpaquePaintEvent);
    child->setGeometry(10, 10, 40, 40);
    child->show();
    const QRect all(0, 0, 200, 150);
    QCOMPARE(first.OpaqueChildrenIn(all), QVector<QWidget *> { child });

    child->setParent(second.ClientWidget());
    child->hide();
    child->setGeometry(60, 60, 40, 40);
    child->show();
    QCOMPARE(first.ControlCount(), 0);
    QVERIFY(first.OpaqueChildrenIn(all).isEmpty());
    QCOMPARE(second.OpaqueChildrenIn(all), QVector<QWidget *> { child });
    delete child;
    QVERIFY(first.OpaqueChildrenIn(all).isEmpty());
    QVERIFY(second.OpaqueChildrenIn(all).isEmpty());
}

void tst_Platform::scrollingMovesEveryChild()
{
    TScrollBox box;
    box.resize(200, 150);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    auto *near = new QWidget(box.ClientWidget());
    near->setGeometry(10, 20, 50, 50);
    near->show();
    auto *far = new QWidget(box.ClientWidget());
    far->setGeometry(600, 500, 40, 40);
    far->show();
    auto *g = new Probe(&box);
    g->SetParent(&box);
    g->SetBounds(30, 40, 20, 10);
    box.UpdateScrollRange();
    QCoreApplication::processEvents(); // scroll bars appear, the viewport shrinks

    QScrollBar *v = box.verticalScrollBar();
    QScrollBar *h = box.horizontalScrollBar();
    QCOMPARE(v->maximum(), 540 - box.viewport()->height());
    QCOMPARE(h->maximum(), 640 - box.viewport()->width());

    v->setValue(100);
    h->setValue(30);
    QCOMPARE(near->pos(), QPoint(-20, -80));
    QCOMPARE(far->pos(), QPoint(570, 400));
    QCOMPARE(g->BoundsRect(), QRect(0, -60, 20, 10));
    QCOMPARE(box.ScrollPosition(), QPoint(30, 100));

    // The range is computed in unscrolled terms, so it does not drift while scrolled.
    box.UpdateScrollRange();
    QCOMPARE(v->maximum(), 540 - box.viewport()->height());

    v->setValue(0);
    h->setValue(0);
    QCOMPARE(near->pos(), QPoint(10, 20));
    QCOMPARE(g->BoundsRect(), QRect(30, 40, 20, 10));

    // The range follows the children: without the far one nothing scrolls.
    delete far;
    box.UpdateScrollRange();
    QCOMPARE(v->maximum(), 0);
    QCOMPARE(h->maximum(), 0);
}

void tst_Platform::pressGoesToTopmostHitControlElseFallsThrough()
{
    RecordingBox box;
    box.resize(300, 200);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    auto *lower = new Probe(&box);
    lower->SetParent(&box);
    lower->SetBounds(10, 10, 100, 100);
    auto *upper = new Probe(&box);
    upper->SetParent(&box);
    upper->SetBounds(50, 50, 100, 100);
    upper->hit = QRect(0, 0, 20, 20); // only its top-left corner takes presses
    auto *hidden = new Probe(&box);
    hidden->SetParent(&box);
    hidden->SetBounds(0, 0, 300, 200);
    hidden->SetVisible(false);

    QWidget *vp = box.viewport();
    // Inside the upper control's hit rectangle: the upper one, in its own coordinates.
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(55, 57));
    QCOMPARE(upper->presses, QList<QPoint>({ QPoint(5, 7) }));
    // The release goes to the control that got the press, wherever it happens.
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(250, 150));
    QCOMPARE(upper->releases, QList<QPoint>({ QPoint(200, 100) }));
    QCOMPARE(lower->presses.size(), 0);

    // Outside the upper control's hit rectangle but inside the lower one: the lower one.
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(90, 90));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(90, 90));
    QCOMPARE(lower->presses, QList<QPoint>({ QPoint(80, 80) }));
    QCOMPARE(upper->presses.size(), 1);

    // Nothing there (the invisible control does not count): the box itself.
    QCOMPARE(box.barePresses, 0);
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(250, 20));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(250, 20));
    QCOMPARE(box.barePresses, 1);
    QCOMPARE(hidden->presses.size(), 0);
    QCOMPARE(lower->releases.size(), 1);
}

void tst_Platform::windowlessControlsPaintBelowWindowedChildren()
{
    TScrollBox box;
    box.SetColor(clWhite);
    box.resize(200, 150);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    auto *g = new Probe(&box, Qt::red);
    g->SetParent(&box);
    g->SetBounds(10, 10, 60, 60);
    auto *w = new QWidget(box.ClientWidget());
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Qt::green);
    w->setPalette(pal);
    w->setBackgroundRole(QPalette::Window); // the viewport's children inherit Base
    w->setGeometry(40, 40, 60, 60);
    w->show();

    const QImage image = box.viewport()->grab().toImage();
    QCOMPARE(QColor(image.pixel(20, 20)), QColor(Qt::red));
    QCOMPARE(QColor(image.pixel(50, 50)), QColor(Qt::green)); // overlap: the window wins
    QCOMPARE(QColor(image.pixel(150, 120)), QColor(Qt::white));
    // Painting is clipped to the control's bounds.
    QCOMPARE(QColor(image.pixel(72, 20)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(20, 7)), QColor(Qt::white));
}

void tst_Platform::destroyingTheBoxDestroysItsControls()
{
    auto *box = new TScrollBox;
    QObject elsewhere;
    // A window-less control owned by another object is still freed with the box it stands on.
    auto *foreign = new Probe(&elsewhere);
    foreign->SetParent(box);
    QPointer<Probe> own = new Probe(box);
    own->SetParent(box);
    QPointer<QWidget> child = new QWidget(box->ClientWidget());
    QPointer<Probe> f(foreign);
    delete box;
    QVERIFY(own.isNull());
    QVERIFY(child.isNull());
    QVERIFY(f.isNull());
}

// ---------------------------------------------------------------------------------------------
// Exception handling

void tst_Platform::exceptionHandlerIsReplaceable()
{
    QStringList first;
    QStringList second;
    const TExceptionHandler original
        = SetExceptionHandler([&](const Exception &e) { first << e.Message(); });
    HandleException(Exception(QStringLiteral("one")));
    const TExceptionHandler previous
        = SetExceptionHandler([&](const Exception &e) { second << e.Message(); });
    QVERIFY(bool(previous));
    HandleException(Exception(QStringLiteral("two")));
    SetExceptionHandler(original);
    QCOMPARE(first, QStringList({ "one" }));
    QCOMPARE(second, QStringList({ "two" }));
}

void tst_Platform::abortIsNeverShown()
{
    ExceptionRecorder recorder;
    HandleException(EAbort());
    Guarded([] { Abort(); });
    Guarded([] { Abort(); }, true);
    QCoreApplication::processEvents();
    QCOMPARE(recorder.messages, QStringList());
}

void tst_Platform::guardedConvertsForeignExceptions()
{
    ExceptionRecorder recorder;
    Guarded([] { throw std::runtime_error("disk full"); });
    Guarded([] { throw 42; });
    Guarded([] { throw EConvertError(QStringLiteral("not a number")); });
    bool ran = false;
    Guarded([&] { ran = true; });
    QVERIFY(ran);
    QCOMPARE(recorder.messages, QStringList({ "disk full", "Unknown error", "not a number" }));
}

void tst_Platform::queuedDeliveryWaitsForTheEventLoop()
{
    ExceptionRecorder recorder;
    Guarded([] { throw Exception(QStringLiteral("during drop")); }, true);
    HandleExceptionQueued(std::runtime_error("second"));
    QCOMPARE(recorder.messages, QStringList());
    QTRY_COMPARE(recorder.messages, QStringList({ "during drop", "second" }));
}

void tst_Platform::defaultHandlerShowsAnErrorBox()
{
    FakeDialogService dialogs;
    const TExceptionHandler previous = SetExceptionHandler({});
    HandleException(Exception(QStringLiteral("shown")));
    HandleException(EAbort());
    SetExceptionHandler(previous);
    QCOMPARE(dialogs.errors, QStringList({ "shown" }));
}

void tst_Platform::failingHandlerDoesNotEscape()
{
    const TExceptionHandler previous
        = SetExceptionHandler([](const Exception &) { throw std::runtime_error("again"); });
    bool escaped = false;
    try {
        Guarded([] { throw Exception(QStringLiteral("first")); });
        HandleException(Exception(QStringLiteral("direct")));
    } catch (...) {
        escaped = true;
    }
    SetExceptionHandler(previous);
    QVERIFY(!escaped);
}

QTEST_MAIN(tst_Platform)
#include "tst_platform.moc"
