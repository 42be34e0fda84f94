// Schema files loaded and saved through the design area: every kind of item, the reader's
// quirks and errors, the events and drawing of a load, encodings and failed saves. The format
// alone, without widgets, is tested by tst_schemafileformat.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaText.h"
#include "diagram/items/TSchemaTreeView.h"
#include "diagram/model/SchemaFile.h"
#include "platform/Application.h"
#include "platform/DrawingSuspension.h"
#include "relations/TSchemaRelation.h"

#include <QAbstractItemView>
#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Diduza;
using namespace Diduza::SchemaFile;

namespace {

// A file text written compactly: "|" stands for CR LF.
QByteArray F(QString text)
{
    return text.replace(u'|', QLatin1String("\r\n")).toUtf8();
}

QString rowSection(int i, int j, const QString &caption)
{
    return QStringLiteral("[SubItem%1of%2]|Caption=%3|Checked=0|Index=%4|ImageIndex=-1|"
                          "SelectedIndex=-1|OverlayIndex=-1|StateIndex=-1|Linked=0||")
        .arg(i)
        .arg(j)
        .arg(caption)
        .arg(j - 1);
}

// Two list items, A (rows a1, a2) and B (row b1), and a relation A.a2 -> B.b1.
QString baseFile()
{
    return QStringLiteral("[General]|ItemCount=2|RelCount=1||[Item1]|ControlType=0|Caption=A|"
                          "SubItems=2||")
        + rowSection(1, 1, QStringLiteral("a1")) + rowSection(1, 2, QStringLiteral("a2"))
        + QStringLiteral("[Item2]|ControlType=0|Caption=B|SubItems=1||")
        + rowSection(2, 1, QStringLiteral("b1"))
        + QStringLiteral("[Relation1]|ParentItem=A|ChildItem=B|ParentSubItem=2|ChildSubItem=1|"
                         "JoinOperator=1|JoinType=2|RelationType=1||");
}

QByteArray save(const TSchemaDesignArea &area)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    area.SaveToStream(buffer);
    return buffer.data();
}

void load(TSchemaDesignArea &area, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    area.LoadFromStream(buffer);
}

// The message of the exception a load raises, prefixed by its kind.
QString loadError(TSchemaDesignArea &area, const QByteArray &bytes)
{
    try {
        load(area, bytes);
    } catch (const EConvertError &e) {
        return QStringLiteral("convert: ") + e.Message();
    } catch (const ESchemaFileError &e) {
        return QStringLiteral("format: ") + e.Message();
    } catch (const EStreamError &e) {
        return QStringLiteral("stream: ") + e.Message();
    } catch (const Exception &e) {
        return QStringLiteral("other: ") + e.Message();
    }
    return QString();
}

QString withoutSavedLine(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("Saved=[^\r]*\r\n")));
}

} // namespace

class tst_SchemaFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void roundTripOfEveryKind();
    void emptyAreaSavesGeneralOnly();
    void loadQuirks();
    void malformed_data();
    void malformed();
    void extraRowsOfTextAndIconItemsAreSkipped();
    void hugeCaptionCostsWhatIsVisible_data();
    void hugeCaptionCostsWhatIsVisible();
    void failedAddItemStopsLoad_data();
    void failedAddItemStopsLoad();
    void eventsOfALoadInOrder();
    void drawingSuspendedDuringLoad_data();
    void drawingSuspendedDuringLoad();
    void loadedDiagramIsLaidOutAndOnScreen_data();
    void loadedDiagramIsLaidOutAndOnScreen();
    void unreadableStreamLeavesDiagram();
    void relationRowsFollowPositions();
    void itemWithoutSizeIsSizedFromItsRows_data();
    void itemWithoutSizeIsSizedFromItsRows();
    void equalCaptions_data();
    void equalCaptions();
    void encodings_data();
    void encodings();
    void saveFailureKeepsPreviousFile();
    void drawCanvas();
};

void tst_SchemaFile::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("tst_schemafile"));
    QLoggingCategory::setFilterRules(QStringLiteral("qt.svg.warning=false"));
    SetExceptionHandler([](const Exception &e) { QFAIL(qPrintable(e.Message())); });
}

// ---------------------------------------------------------------------------------------------

void tst_SchemaFile::roundTripOfEveryKind()
{
    TSchemaDesignArea area;
    TSchemaItem *list = area.AddItem("Orders", scListBox);
    list->SetShowCaption(false);
    list->SetToolWin(false);
    list->SetBounds(12, 34, 150, 120);
    list->SetFont(TFontValue {
        "Arial", 0, RGBColor(1, 2, 3), 11, TFontValue::fsBold | TFontValue::fsItalic });
    list->SetColor(RGBColor(250, 240, 230));
    TSchemaSubItem *id = list->AddSubItem("id", -1, true);
    id->SetImageIndex(0, 1);
    id->SetImageIndex(1, 2);
    id->SetImageIndex(2, 3);
    id->SetImageIndex(3, 4);
    list->AddSubItem("name", -1, false);
    TSchemaItem *check = area.AddItem("Check", scCheckListBox);
    check->SetBounds(200, 10, 90, 80);
    check->AddSubItem("c1", -1, false);
    TSchemaSubItem *c2 = check->AddSubItem("c2", -1, true);
    TSchemaItem *tree = area.AddItem("Tree", scTreeView);
    tree->AddSubItem("root", -1, false);
    TSchemaSubItem *leaf = tree->AddSubItem("leaf", 0, true);
    tree->AddSubItem("second", -1, false);
    TSchemaItem *text = area.AddItem("Note", scText);
    text->SetBorder(true);
    TSchemaSubItem *note = text->AddSubItem("n", -1, false);
    TSchemaItem *icon = area.AddItem("Pic", scIcon);
    icon->IconControl()->SetIconType(itPrinter);
    icon->SetFont(TFontValue { "Courier", 3, clRed, 12, TFontValue::fsStrikeOut });
    TSchemaRelation *r1 = area.AddRelation(list, check, id, c2);
    r1->SetJoinOperator(roGreater);
    r1->SetJoinType(rjFull);
    r1->SetRelationType(rtIdentifying);
    r1->SetColor(clRed);
    area.AddRelation(tree, text, leaf, note);

    const QByteArray saved = save(area);
    TSchemaDesignArea copy;
    load(copy, saved);

    QCOMPARE(copy.GetItemCount(), 5);
    for (int i = 0; i < 5; ++i) {
        TSchemaItem *a = area.GetItem(i);
        TSchemaItem *b = copy.GetItem(i);
        QCOMPARE(b->SchemaControlType(), a->SchemaControlType());
        QCOMPARE(b->GetCaption(), a->GetCaption());
        QCOMPARE((QList<bool> { b->ShowCaption(), b->Sizeable(), b->ToolWin(), b->Border() }),
            (QList<bool> { a->ShowCaption(), a->Sizeable(), a->ToolWin(), a->Border() }));
        QCOMPARE(b->geometry(), a->geometry());
        QVERIFY(b->GetFont() == a->GetFont());
        QCOMPARE(b->GetColor(), a->GetColor());
        QCOMPARE(b->GetSubItemCount(), a->GetSubItemCount());
        for (int j = 0; j < a->GetSubItemCount(); ++j) {
            TSchemaSubItem *x = a->GetSubItem(j);
            TSchemaSubItem *y = b->GetSubItem(j);
            QCOMPARE(y->Caption(), x->Caption());
            QCOMPARE((QList<int> { y->Checked(), y->Index(), y->ImageIndex(), y->SelectedIndex(),
                         y->OverlayIndex(), y->StateIndex(), y->Linked() }),
                (QList<int> { x->Checked(), x->Index(), x->ImageIndex(), x->SelectedIndex(),
                    x->OverlayIndex(), x->StateIndex(), x->Linked() }));
        }
    }
    QCOMPARE(copy.GetItem(4)->IconControl()->IconType(), itPrinter);
    QCOMPARE(copy.GetItem(2)->TreeView()->topLevelItemCount(), 3); // nesting is not stored
    QCOMPARE(copy.GetRelationCount(), 2);
    TSchemaRelation *r = copy.GetRelation(0);
    QCOMPARE(r->ParentItem(), copy.GetItem(0));
    QCOMPARE(r->ChildSubItem()->Caption(), QString("c2"));
    QCOMPARE((QList<int> { r->JoinOperator(), r->JoinType(), r->RelationType() }),
        (QList<int> { roGreater, rjFull, rtIdentifying }));
    QCOMPARE(r->Color(), clBlack);
    QCOMPARE(copy.GetRelation(1)->ParentSubItem()->Caption(), QString("leaf"));
    QCOMPARE(copy.GetRelation(1)->ChildItem(), copy.GetItem(3));
    // What was loaded saves to the same text.
    QCOMPARE(withoutSavedLine(QString::fromUtf8(save(copy))),
        withoutSavedLine(QString::fromUtf8(saved)));
}

void tst_SchemaFile::emptyAreaSavesGeneralOnly()
{
    TSchemaDesignArea area;
    const QByteArray bytes = save(area);
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(QRegularExpression(QRegularExpression::anchoredPattern(
                                   "\\[General\\]\r\nWEB=https://"
                                   "diduza.example.org\r\nEMail=support@diduza.example.org\r\n"
                                   "App=tst_schemafile\r\nSaved=\\d{8} "
                                   "\\d\\d(.)\\d\\d\\1\\d\\d\r\nItemCount=0\r\nRelCount=0\r\n\r\n"))
                .match(QString::fromUtf8(bytes))
                .hasMatch());
    TSchemaDesignArea other;
    other.AddItem("X", scListBox);
    load(other, bytes);
    QCOMPARE(other.ControlCount(), 0);
}

void tst_SchemaFile::loadQuirks()
{
    TSchemaDesignArea area;
    TSchemaItem *fresh = area.AddItem("fresh", scCheckListBox);
    const TFontValue freshFont = fresh->GetFont();
    const TColor freshColor = fresh->GetColor();
    load(area,
        F("[General]|ItemCount=1||[Item1]|ControlType=1|Caption=C|Left = 77|Top=5|"
          "Width=abc|SubItems=4||")
            + F(rowSection(1, 1, "a").replace("Checked=0", "Checked=true"))
            + F(rowSection(1, 2, "b").replace("Checked=0", "Checked=2"))
            + F(rowSection(1, 3, "c").replace("Checked=0", "Checked=1"))
            + F(rowSection(1, 4, "d").replace("Checked=0", "checked=1 ")));
    TSchemaItem *item = area.GetItem(0);
    QCOMPARE(item->pos(), QPoint(0, 5)); // "Left = 77" names no key
    QCOMPARE(
        (QList<bool> { item->ShowCaption(), item->Sizeable(), item->ToolWin(), item->Border() }),
        (QList<bool> { false, false, false, false }));
    QCOMPARE((QList<bool> { item->GetSubItem(0)->Checked(), item->GetSubItem(1)->Checked(),
                 item->GetSubItem(2)->Checked(), item->GetSubItem(3)->Checked() }),
        (QList<bool> { false, false, true, false }));
    QVERIFY(item->GetFont() == freshFont); // no Font line: the fonts and colours it was made with
    QCOMPARE(item->GetColor(), freshColor);

    // Bounds beyond what a widget can hold are brought within.
    load(area,
        F("[General]|ItemCount=1||[Item1]|ControlType=0|Left=-2147483648|Top=2147483647|"
          "Width=2147483647|Height=-5||"));
    QCOMPARE(area.GetItem(0)->geometry(), QRect(-16777215, 16777215, 16777215, 0));

    // A row header in other case is not found: the row is made empty, then Index is missing.
    QCOMPARE(loadError(area,
                 F("[General]|ItemCount=1||[Item1]|ControlType=0|SubItems=1||")
                     + F(rowSection(1, 1, "a").replace("SubItem", "subitem"))),
        QString("convert: Section [SubItem1of1], key \"Index\": missing (no such section)"));
    QCOMPARE(area.GetItem(0)->GetSubItemCount(), 1);
    QCOMPARE(area.GetItem(0)->GetSubItem(0)->Caption(), QString());
}

void tst_SchemaFile::malformed_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("relations");
    auto row
        = [](const char *name, const char *from, const char *to, const char *error, int items,
              int relations) { QTest::newRow(name) << from << to << error << items << relations; };
    row("well formed", "", "", "", 2, 1);
    row("control type missing", "[Item2]|ControlType=0", "[Item2]",
        "convert: Section [Item2], key \"ControlType\": missing", 1, 0);
    row("control type beyond", "[Item2]|ControlType=0", "[Item2]|ControlType=5",
        "format: Section [Item2], key \"ControlType\": 5 is not a valid value (0 to 4)", 1, 0);
    row("item section missing", "ItemCount=2", "ItemCount=3",
        "convert: Section [Item3], key \"ControlType\": missing (no such section)", 2, 0);
    row("icon type beyond", "[Item2]|ControlType=0", "[Item2]|ControlType=4|IconType=31",
        "format: Section [Item2], key \"IconType\": 31 is not a valid value (0 to 30)", 2, 0);
    row("row index not a number", "Index=1", "Index=one",
        "convert: Section [SubItem1of2], key \"Index\": 'one' is not a valid integer value", 1, 0);
    row("state index missing", "StateIndex=-1|Linked=0||[Item2]", "Linked=0||[Item2]",
        "convert: Section [SubItem1of2], key \"StateIndex\": missing", 1, 0);
    row("parent item unknown", "ParentItem=A", "ParentItem=Z",
        "format: Section [Relation1], key \"ParentItem\": no item is named \"Z\"", 2, 0);
    row("child row 0", "ChildSubItem=1", "ChildSubItem=0",
        "format: Section [Relation1], key \"ChildSubItem\": the item \"B\" has no row 0 (it has 1)",
        2, 0);
    row("parent row beyond", "ParentSubItem=2", "ParentSubItem=3",
        "format: Section [Relation1], key \"ParentSubItem\": the item \"A\" has no row 3 (it has "
        "2)",
        2, 0);
    row("parent row missing", "ParentSubItem=2|", "",
        "convert: Section [Relation1], key \"ParentSubItem\": missing", 2, 0);
    // The join settings are read once the relation stands, as they always were.
    row("operator beyond", "JoinOperator=1", "JoinOperator=6",
        "format: Section [Relation1], key \"JoinOperator\": 6 is not a valid value (0 to 5)", 2, 1);
    row("join kind negative", "JoinType=2", "JoinType=-1",
        "format: Section [Relation1], key \"JoinType\": -1 is not a valid value (0 to 3)", 2, 1);
    row("relation type beyond", "RelationType=1", "RelationType=3",
        "format: Section [Relation1], key \"RelationType\": 3 is not a valid value (0 to 2)", 2, 1);
    row("already linked", "RelCount=1||",
        "RelCount=2||[Relation2]|ParentItem=B|ChildItem=A|ParentSubItem=1|ChildSubItem=2|"
        "JoinOperator=0|JoinType=0|RelationType=0||",
        "other: These items are already linked.", 2, 1);
}

void tst_SchemaFile::malformed()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, error);
    QFETCH(int, items);
    QFETCH(int, relations);
    QString text = baseFile();
    if (!from.isEmpty()) {
        QVERIFY(text.contains(from));
        text.replace(text.indexOf(from), from.size(), to);
    }
    TSchemaDesignArea area;
    area.AddItem("old", scListBox);
    QCOMPARE(loadError(area, F(text)), error);
    QCOMPARE(area.GetItemCount(), items);
    QCOMPARE(area.GetRelationCount(), relations);
    for (int i = 0; i < items; ++i)
        QCOMPARE(area.GetItem(i)->GetCaption(), QString(i ? "B" : "A"));
}

void tst_SchemaFile::extraRowsOfTextAndIconItemsAreSkipped()
{
    TSchemaDesignArea area;
    QElapsedTimer timer;
    timer.start();
    load(area,
        F("[General]|ItemCount=2|RelCount=1||[Item1]|ControlType=3|Caption=T|SubItems=3||"
            + rowSection(1, 1, "first") + "[SubItem1of2]|Caption=second||"
            + "[Item2]|ControlType=4|Caption=I|SubItems=2000000000||" + rowSection(2, 1, "only")
            + "[Relation1]|ParentItem=T|ChildItem=I|ParentSubItem=0|ChildSubItem=7|"
              "JoinOperator=0|JoinType=0|RelationType=0||"));
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(area.GetItem(0)->GetSubItemCount(), 1);
    QCOMPARE(area.GetItem(0)->GetSubItem(0)->Caption(), QString("first"));
    QCOMPARE(area.GetItem(1)->GetSubItem(0)->Caption(), QString("only"));
    QCOMPARE(area.GetRelation(0)->ChildSubItem(), area.GetItem(1)->GetSubItem(0)); // any number
}

// A caption of tens of megabytes loads, shows, paints and saves in about the time of a short
// one: only its visible part is measured and painted, and the whole text is kept and saved.
void tst_SchemaFile::hugeCaptionCostsWhatIsVisible_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("inRow"); // the huge text is the row's caption, else the item's
    QTest::newRow("list item caption") << int(scListBox) << false;
    QTest::newRow("check list row") << int(scCheckListBox) << true;
    QTest::newRow("tree node") << int(scTreeView) << true;
    QTest::newRow("text label") << int(scText) << false;
}

void tst_SchemaFile::hugeCaptionCostsWhatIsVisible()
{
    QFETCH(int, type);
    QFETCH(bool, inRow);
    const QString huge = QStringLiteral("Wide caption ").repeated(2'000'000); // 26 M characters
    const QByteArray file = F(QStringLiteral("[General]|ItemCount=1|RelCount=0||[Item1]|"
                                             "ControlType=%1|Caption=%2|SubItems=1||")
                                  .arg(type)
                                  .arg(inRow ? QStringLiteral("t") : huge)
        + rowSection(1, 1, inRow ? huge : QStringLiteral("r")));

    QElapsedTimer timer;
    timer.start();
    TSchemaDesignArea area;
    area.resize(800, 600);
    load(area, file);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    area.grab();
    const QByteArray saved = save(area);
    const qint64 elapsed = timer.elapsed();

    QCOMPARE(area.GetItemCount(), 1);
    TSchemaItem *item = area.GetItem(0);
    QCOMPARE(inRow ? item->GetSubItem(0)->Caption() : item->GetCaption(), huge);
    QVERIFY(saved.contains(huge.toUtf8()));
    QVERIFY(item->Width() < 1'000'000); // measured by its visible part
    // Measuring and painting the whole text took about a second per megabyte.
    QVERIFY2(elapsed < 10000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
}

void tst_SchemaFile::failedAddItemStopsLoad_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error");
    const QString cannot
        = QStringLiteral("format: Section [Item2]: the item \"B\" could not be created");
    // The load's error names the handler's message; a silent abort stops it silently.
    QTest::newRow("message") << "message" << cannot + ": refused";
    QTest::newRow("foreign exception") << "foreign" << cannot + ": refused";
    QTest::newRow("silent abort") << "abort" << QString();
    QTest::newRow("handler deletes the item") << "delete" << cannot + ".";
}

void tst_SchemaFile::failedAddItemStopsLoad()
{
    QFETCH(QString, kind);
    QFETCH(QString, error);
    TSchemaDesignArea area;
    QStringList deleted;
    area.SetOnAddItem([&kind](QObject *, TSchemaItem *item) {
        if (item->GetCaption() != "B")
            return;
        if (kind == "message")
            throw Exception("refused");
        if (kind == "foreign")
            throw std::runtime_error("refused");
        if (kind == "abort")
            Abort();
        delete item;
    });
    area.SetOnDeleteItem([&](QObject *, TSchemaItem *item) { deleted << item->GetCaption(); });
    if (kind == "abort")
        QVERIFY_THROWS_EXCEPTION(EAbort, load(area, F(baseFile())));
    else
        QCOMPARE(loadError(area, F(baseFile())), error);
    QCOMPARE(area.GetItemCount(), 1);
    QCOMPARE(deleted, QStringList { "B" });
    area.SetOnDeleteItem(nullptr);
}

void tst_SchemaFile::eventsOfALoadInOrder()
{
    TSchemaDesignArea area;
    area.AddItem("X", scListBox);
    area.AddItem("Y", scListBox);
    QStringList events;
    area.SetOnDeleteItem([&](QObject *, TSchemaItem *i) { events << "delete " + i->GetCaption(); });
    area.SetOnAddItem([&](QObject *, TSchemaItem *i) { events << "add " + i->GetCaption(); });
    area.SetOnAddSubItem([&](QObject *, TSchemaSubItem *r) { events << "row " + r->Caption(); });
    area.SetOnAddRelation([&](QObject *, TSchemaRelation *r) {
        events << "relation " + r->ParentSubItem()->Caption() + " " + r->ChildSubItem()->Caption();
    });
    load(area, F(baseFile()));
    QCOMPARE(events,
        (QStringList { "delete Y", "delete X", "add A", "row a1", "row a2", "add B", "row b1",
            "relation a2 b1" }));
    area.SetOnDeleteItem(nullptr);
}

void tst_SchemaFile::drawingSuspendedDuringLoad_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("fails");
    QTest::newRow("loads") << baseFile() << false;
    QTest::newRow("fails") << QString(baseFile()).replace("JoinType=2", "JoinType=9") << true;
}

void tst_SchemaFile::drawingSuspendedDuringLoad()
{
    QFETCH(QString, file);
    QFETCH(bool, fails);
    TSchemaDesignArea area;
    area.show();
    int suspended = 0;
    area.SetOnAddSubItem([&](QObject *, TSchemaSubItem *) {
        suspended += area.IsLocked() && LockedWindow() == &area && !area.updatesEnabled();
    });
    QCOMPARE(loadError(area, F(file)).isEmpty(), !fails);
    QCOMPARE(suspended, 3);
    QVERIFY(!area.IsLocked());
    QVERIFY(area.updatesEnabled());
    QCOMPARE(LockedWindow(), nullptr);
}

void tst_SchemaFile::loadedDiagramIsLaidOutAndOnScreen_data()
{
    QTest::addColumn<bool>("paintedBefore");
    QTest::newRow("new area") << false;
    QTest::newRow("area on screen") << true;
}

// Lists that are laid out when the load returns, and a screen that shows every item, in view
// at once and out of view once scrolled to: nothing drawn is lost to the suspended drawing.
void tst_SchemaFile::loadedDiagramIsLaidOutAndOnScreen()
{
    QFETCH(bool, paintedBefore);
    const int items = 40;
    QString file = QStringLiteral("[General]|ItemCount=%1|RelCount=0||").arg(items);
    for (int i = 1; i <= items; ++i) {
        file += QStringLiteral("[Item%1]|ControlType=%2|Caption=T%1|Left=%3|Top=%4|Width=140|"
                               "Height=110|SubItems=12||")
                    .arg(i)
                    .arg(i % 2 ? int(scCheckListBox) : int(scListBox))
                    .arg(10 + (i - 1) % 5 * 160)
                    .arg(10 + (i - 1) / 5 * 130);
        for (int j = 1; j <= 12; ++j)
            file += rowSection(i, j, QStringLiteral("f%1").arg(j));
    }
    TSchemaDesignArea area;
    area.resize(420, 300);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    if (paintedBefore)
        QTest::qWait(20);
    QCOMPARE(loadError(area, F(file)), QString());

    const QList<QAbstractItemView *> views = area.findChildren<QAbstractItemView *>();
    QCOMPARE(views.size(), items);
    for (const QAbstractItemView *view : views)
        QVERIFY(view->verticalScrollBar()->maximum() > 0); // 12 rows in 110 pixels

    auto onScreen = [&area] {
        return area.screen()
            ->grabWindow(area.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    auto drawn = [&area] { return area.grab().toImage().convertToFormat(QImage::Format_RGB32); };
    for (const QPoint scroll : { QPoint(0, 0), QPoint(330, 520), QPoint(0, 0) }) {
        area.horizontalScrollBar()->setValue(scroll.x());
        area.verticalScrollBar()->setValue(scroll.y());
        QTest::qWait(20);
        QCOMPARE(area.ScrollPosition(), scroll);
        QCOMPARE(onScreen(), drawn());
    }
}

void tst_SchemaFile::unreadableStreamLeavesDiagram()
{
    TSchemaDesignArea area;
    area.AddItem("kept", scListBox);
    int deleted = 0;
    area.SetOnDeleteItem([&](QObject *, TSchemaItem *) { ++deleted; });
    QBuffer closed;
    closed.setData(F(baseFile()));
    QCOMPARE(loadError(area, QByteArray()).isEmpty(), true); // an empty stream is an empty file
    QCOMPARE(area.GetItemCount(), 0);
    area.AddItem("kept", scListBox);
    deleted = 0;
    try {
        area.LoadFromStream(closed);
        QFAIL("no error");
    } catch (const EStreamError &) {
    }
    QTemporaryDir dir;
    try {
        area.LoadFromFile(dir.filePath("missing.sch"));
        QFAIL("no error");
    } catch (const EStreamError &e) {
        QVERIFY(e.Message().contains("missing.sch"));
        QVERIFY(e.FileError() != QFileDevice::NoError);
    }
    QCOMPARE(area.GetItemCount(), 1);
    QCOMPARE(deleted, 0);
    area.SetOnDeleteItem(nullptr);
}

void tst_SchemaFile::relationRowsFollowPositions()
{
    TSchemaDesignArea area;
    TSchemaItem *a = area.AddItem("A", scListBox);
    for (const char *caption : { "r0", "r1", "r2" })
        a->AddSubItem(caption, -1, false);
    TSchemaItem *t = area.AddItem("T", scTreeView);
    t->AddSubItem("t0", -1, false);
    t->AddSubItem("t1", -1, false);
    area.AddRelation(a, t, a->GetSubItem(2), t->GetSubItem(1));
    // No deletions: the numbers are the rows' Index plus one, as always.
    QVERIFY(save(area).contains("ParentSubItem=3\r\nChildSubItem=2\r\n"));

    area.DeleteRelationsForItem(a, nullptr);
    a->DeleteSubItem(0); // r2 keeps Index 2 at position 1
    t->AddSubItem("inserted", 0, false); // t1 keeps Index 1 at position 2
    area.AddRelation(a, t, a->GetSubItem(1), t->GetSubItem(2));
    const QByteArray bytes = save(area);
    QVERIFY(bytes.contains("ParentSubItem=2\r\nChildSubItem=3\r\n"));
    TSchemaDesignArea copy;
    load(copy, bytes);
    QCOMPARE(copy.GetRelation(0)->ParentSubItem()->Caption(), QString("r2"));
    QCOMPARE(copy.GetRelation(0)->ChildSubItem()->Caption(), QString("t1"));
}

void tst_SchemaFile::itemWithoutSizeIsSizedFromItsRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("size"); // the size keys the file holds
    const std::pair<TSchemaControlType, const char *> kinds[]
        = { { scListBox, "list" }, { scCheckListBox, "check list" }, { scTreeView, "tree" },
              { scIcon, "icon" }, { scText, "text" } };
    for (const auto &[kind, name] : kinds) {
        QTest::addRow("%s without Height", name) << int(kind) << "Width=300|";
        QTest::addRow("%s without Width", name) << int(kind) << "Height=90|";
        QTest::addRow("%s without either", name) << int(kind) << "";
    }
}

// A size the file leaves out is the one a new item filled with the same rows takes (it was
// the first size Qt gives a window, 480 pixels tall).
void tst_SchemaFile::itemWithoutSizeIsSizedFromItsRows()
{
    QFETCH(int, kind);
    QFETCH(QString, size);
    const QStringList rows { "id", "a_rather_long_column_name_for_an_item", "amount" };
    QString file = QStringLiteral("[General]|ItemCount=1|RelCount=0||[Item1]|ControlType=%1|"
                                  "Caption=orders|ShowCaption=1|Sizeable=1|ToolWin=1|Border=1|"
                                  "Left=10|Top=20|%2SubItems=%3||")
                       .arg(kind)
                       .arg(size)
                       .arg(rows.size());
    for (int j = 1; j <= rows.size(); ++j)
        file += rowSection(1, j, rows[j - 1]);
    TSchemaDesignArea area;
    QCOMPARE(loadError(area, F(file)), QString());
    TSchemaItem *loaded = area.GetItem(0);

    TSchemaDesignArea other;
    TSchemaItem *made = other.AddItem("orders", TSchemaControlType(kind));
    made->SetShowCaption(true); // as the file says
    made->SetBorder(true);
    for (const QString &row : rows)
        made->AddSubItem(row, -1, false);
    made->RecalculateHeight();
    made->RecalculateWidth();
    QCOMPARE(loaded->Width(), size.startsWith("Width") ? 300 : made->Width());
    if (size.startsWith("Height")) {
        QCOMPARE(loaded->Height(), 90);
    } else if (TSchemaText *text = loaded->TextControl()) {
        // A text item's label fills it: it is as tall as its text (the rest is decoration).
        const int textHeight = text->MeasureText(loaded->ClientWidth()).height();
        QVERIFY2(text->height() >= textHeight && loaded->Height() < textHeight + 40,
            qPrintable(
                QStringLiteral("%1 for a text %2 tall").arg(loaded->Height()).arg(textHeight)));
    } else {
        QCOMPARE(loaded->Height(), made->Height());
    }
    QCOMPARE(loaded->pos(), QPoint(10, 20));
}

void tst_SchemaFile::equalCaptions_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("parentItem");
    QTest::addColumn<int>("childItem");
    QTest::newRow("numbers as written") << ""
                                        << "" << 0 << 1;
    QTest::newRow("no numbers: the last item of the name") << "ParentItemNo=1\r\nChildItemNo=2\r\n"
                                                           << "" << 1 << 1;
    QTest::newRow("number of another name is ignored") << "ParentItemNo=1"
                                                       << "ParentItemNo=3" << 1 << 1;
    QTest::newRow("number beyond the items is ignored") << "ChildItemNo=2"
                                                        << "ChildItemNo=9" << 0 << 1;
}

void tst_SchemaFile::equalCaptions()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, parentItem);
    QFETCH(int, childItem);
    TSchemaDesignArea area;
    TSchemaItem *first = area.AddItem("T", scListBox);
    first->AddSubItem("x", -1, false);
    TSchemaItem *second = area.AddItem("t", scListBox);
    second->AddSubItem("y", -1, false);
    area.AddItem("U", scListBox);
    area.AddRelation(first, second, first->GetSubItem(0), second->GetSubItem(0));
    QString text = QString::fromUtf8(save(area));
    if (!from.isEmpty())
        text.replace(from, to);
    TSchemaDesignArea copy;
    load(copy, text.toUtf8());
    QCOMPARE(copy.GetItemIndex(copy.GetRelation(0)->ParentItem()) - 1, parentItem);
    QCOMPARE(copy.GetItemIndex(copy.GetRelation(0)->ChildItem()) - 1, childItem);
}

void tst_SchemaFile::encodings_data()
{
    const QString text = QStringLiteral(
        "[General]\r\nItemCount=1\r\n[Item1]\r\nControlType=0\r\nCaption=\u00C4rger \u20AC\r\n");
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (QChar c : text) {
        le += char(c.unicode() & 0xFF), le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8), be += char(c.unicode() & 0xFF);
    }
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("UTF-8") << text.toUtf8();
    QTest::newRow("UTF-8 with mark") << "\xEF\xBB\xBF" + text.toUtf8();
    QTest::newRow("Windows-1252") << text.toLatin1().replace('?', '\x80');
    QTest::newRow("UTF-16 LE") << le;
    QTest::newRow("UTF-16 BE") << be;
}

void tst_SchemaFile::encodings()
{
    QFETCH(QByteArray, bytes);
    const QString expected = QStringLiteral("\u00C4rger \u20AC");
    TSchemaDesignArea area;
    load(area, bytes);
    QCOMPARE(area.GetItem(0)->GetCaption(), expected);
    // Written back as UTF-8 without mark; line breaks in captions become blanks.
    area.GetItem(0)->SetCaption(expected + "\r\nnext\rline");
    area.GetItem(0)->AddSubItem("row\nbreak", -1, false);
    const QByteArray saved = save(area);
    QVERIFY(saved.startsWith("[General]"));
    QVERIFY(saved.contains("Caption=" + (expected + " next line").toUtf8() + "\r\n"));
    load(area, saved);
    QCOMPARE(area.GetItem(0)->GetCaption(), expected + " next line");
    QCOMPARE(area.GetItem(0)->GetSubItem(0)->Caption(), QString("row break"));
}

void tst_SchemaFile::saveFailureKeepsPreviousFile()
{
    QTemporaryDir dir;
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QString(3000, u'x'), scListBox);
    item->AddSubItem("row", -1, false);
    try {
        area.SaveToFile(dir.filePath("no/such/dir/a.sch"));
        QFAIL("no error");
    } catch (const EStreamError &e) {
        QVERIFY(e.Message().contains("a.sch"));
        QVERIFY(e.FileError() != QFileDevice::NoError);
    }
    const QString path = dir.filePath("a.sch");
    area.SaveToFile(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray previous = file.readAll();
    file.close();
#ifdef Q_OS_LINUX
    // A write that the file system refuses half-way (a file size limit, which binds root too).
    item->SetCaption(QString(9000, u'y'));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    QString message;
    try {
        area.SaveToFile(path);
    } catch (const EStreamError &e) {
        message = e.Message();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY2(message.startsWith("Cannot write file \"" + path + "\": File too large"),
        qPrintable(message));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { "a.sch" });
#endif
}

void tst_SchemaFile::drawCanvas()
{
    TSchemaDesignArea area;
    area.resize(400, 300);
    area.show();
    TSchemaItem *a = area.AddItem("A", scListBox);
    a->AddSubItem("a", -1, false);
    a->SetBounds(10, 10, 100, 80);
    a->SetColor(clRed);
    TSchemaItem *b = area.AddItem("B", scListBox);
    b->AddSubItem("b", -1, false);
    b->SetBounds(250, 150, 100, 80);
    TSchemaRelation *r = area.AddRelation(a, b, a->GetSubItem(0), b->GetSubItem(0));

    QImage image(400, 300, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(5, 0);
    area.DrawCanvas(painter);
    painter.end();
    auto drawn = [&](const QRect &rect) {
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                if (qAlpha(image.pixel(x, y)))
                    return true;
        return false;
    };
    QVERIFY(drawn(QRect(15, 10, 1, 1))); // the item's corner, shifted by the painter
    QVERIFY(!drawn(QRect(10, 10, 5, 5)));
    QVERIFY(drawn(QRect(260, 150, 90, 80)));
    const QRect line = r->BoundsRect().translated(5, 0) & QRect(115, 0, 130, 300);
    QVERIFY(!line.isEmpty() && drawn(line)); // the relation between the items
    QVERIFY(!drawn(QRect(0, 100, 100, 200)));
}

QTEST_MAIN(tst_SchemaFile)
#include "tst_schemafile.moc"
