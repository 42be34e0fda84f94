// The schema item's layout and painting: row anchors, sizing to rows and caption, row painting,
// linked rows, relations following the item, and the inner control's looks and place.

#include "../common/TestSupport.h"
#include "DiagramTestSupport.h"
#include "SchemaItemTestSupport.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaText.h"
#include "diagram/items/TSchemaTreeView.h"
#include "diagram/model/RelationRouting.h"
#include "platform/Exceptions.h"
#include "platform/FontConvert.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "relations/TSchemaRelation.h"

#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using namespace Diduza;
using namespace DiduzaTest;

Q_DECLARE_METATYPE(TSchemaControlType)

namespace {

// The Y offset of GetRowY from the top of the item's client area.
int rowOffset(const TSchemaItem *item, int fldN)
{
    return item->GetRowY(fldN) - item->y() - item->ClientRect().top();
}

// The first column, from left, that holds a pixel unlike the background and unlike the glyph
// colours; -1 when there is none.
int firstInkColumn(const QImage &image, int from = 0)
{
    const QRgb background = image.pixel(image.width() - 1, image.height() / 2);
    for (int x = from; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QRgb p = image.pixel(x, y);
            if (p != background && p != qRgb(255, 0, 0) && p != qRgb(0, 0, 255))
                return x;
        }
    }
    return -1;
}

int inkWidth(const QImage &image)
{
    const QRgb background = image.pixel(image.width() - 1, 0);
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != background) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

bool hasColour(const QImage &image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour)
                return true;
        }
    }
    return false;
}

} // namespace

class tst_SchemaItemLayout : public QObject {
    Q_OBJECT
private slots:
    void rowYInList_data();
    void rowYInList();
    void rowYInTree_data();
    void rowYInTree();
    void rowYInTextAndIcon_data();
    void rowYInTextAndIcon();
    void itemIconSetWhenFirstPlaced();
    void anchorsWhileTheAreaIsHidden();
    void recalculate_data();
    void recalculate();
    void wideRowsAndCaptionWidenTheItem();
    void textItemWidth();

    void rowPainting_data();
    void rowPainting();
    void linkedRowIsBoldAndForeignIndexDrawsNothing();
    void linkedRowsStandOutAfterActivation_data();
    void linkedRowsStandOutAfterActivation();

    void relationsFollow_data();
    void relationsFollow();
    void captionColourAndFontReachTheInnerControl();
    void glyphIndexesReachTreeNodes();
    void innerControlFillsTheClientArea_data();
    void innerControlFillsTheClientArea();
};

// ---------------------------------------------------------------------------------------------
// Row anchors

void tst_SchemaItemLayout::rowYInList_data()
{
    QTest::addColumn<int>("top"); // first visible row
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("offset");

    // Client height 100, rows of 16 pixels: centre of the row plus one.
    QTest::newRow("first row") << 0 << 0 << 9;
    QTest::newRow("third row") << 0 << 2 << 41;
    QTest::newRow("fifth row") << 0 << 4 << 73;
    QTest::newRow("below the bottom: clamped") << 0 << 6 << 100;
    QTest::newRow("far below: clamped") << 0 << 19 << 100;
    QTest::newRow("row not found") << 0 << -1 << -7;
    QTest::newRow("scrolled, first visible") << 3 << 3 << 9;
    QTest::newRow("scrolled, next") << 3 << 4 << 25;
    QTest::newRow("scrolled, just above: no clamp") << 3 << 2 << -7;
    QTest::newRow("scrolled, far above") << 3 << 0 << -39;
}

void tst_SchemaItemLayout::rowYInList()
{
    QFETCH(int, top);
    QFETCH(int, row);
    QFETCH(int, offset);

    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "T", rowNames(20), 30, 40, scCheckListBox);
    item->SetClientHeight(100);
    auto *list = item->ListBox();
    QTRY_VERIFY(list->verticalScrollBar()->maximum() >= top);
    list->verticalScrollBar()->setValue(top);
    QCOMPARE(list->TopIndex(), top);
    QCOMPARE(item->ClientHeight(), 100);

    QCOMPARE(rowOffset(item, row), offset);
    QCOMPARE(item->GetRowY(row), 40 + item->ClientRect().top() + offset);
    // The anchor follows the item.
    item->move(30, 90);
    QCOMPARE(item->GetRowY(row), 90 + item->ClientRect().top() + offset);
}

void tst_SchemaItemLayout::rowYInTree_data()
{
    QTest::addColumn<QString>("collapsed"); // node whose branch is closed
    QTest::addColumn<int>("top"); // first node shown
    QTest::addColumn<int>("clientHeight");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("offset");

    // Nodes, absolute index: n0 (n1, n2), n3 (n4), n5.
    QTest::newRow("first node") << "" << 0 << 200 << 0 << 9;
    QTest::newRow("third node") << "" << 0 << 200 << 2 << 41;
    QTest::newRow("last node") << "" << 0 << 200 << 5 << 89;
    QTest::newRow("not found") << "" << 0 << 200 << -1 << 9;
    QTest::newRow("inside a closed branch: its parent's place") << "n3" << 0 << 200 << 4 << 57;
    QTest::newRow("after a closed branch") << "n3" << 0 << 200 << 5 << 73;
    QTest::newRow("first branch closed") << "n0" << 0 << 200 << 2 << 9;
    QTest::newRow("first branch closed, next visible") << "n0" << 0 << 200 << 3 << 25;
    QTest::newRow("below the bottom: clamped") << "" << 0 << 40 << 5 << 40;
    QTest::newRow("scrolled, row above the first shown") << "" << 2 << 40 << 0 << 9;
    QTest::newRow("scrolled, second shown") << "" << 2 << 40 << 3 << 25;
}

void tst_SchemaItemLayout::rowYInTree()
{
    QFETCH(QString, collapsed);
    QFETCH(int, top);
    QFETCH(int, clientHeight);
    QFETCH(int, row);
    QFETCH(int, offset);

    auto area = shownArea();
    TSchemaItem *item = area->AddItem(QStringLiteral("T"), scTreeView);
    item->AddSubItem(QStringLiteral("n0"), -1, false);
    item->AddSubItem(QStringLiteral("n1"), 0, false);
    item->AddSubItem(QStringLiteral("n2"), 0, false);
    item->AddSubItem(QStringLiteral("n3"), -1, false);
    item->AddSubItem(QStringLiteral("n4"), 3, false);
    item->AddSubItem(QStringLiteral("n5"), -1, false);
    item->RecalculateHeight(); // expands every branch
    item->RecalculateWidth();
    item->move(50, 30);
    item->SetClientHeight(clientHeight);
    TSchemaTreeView *tree = item->TreeView();
    if (!collapsed.isEmpty())
        tree->collapseItem(
            tree->NodeAt(item->GetIndexBySubItem(item->GetSubItemByName(collapsed))));
    if (top > 0) {
        QTRY_VERIFY(tree->verticalScrollBar()->maximum() >= top);
        tree->verticalScrollBar()->setValue(top);
        QCOMPARE(tree->itemAt(0, 0), tree->NodeAt(top));
    }
    QCOMPARE(rowOffset(item, row), offset);
}

void tst_SchemaItemLayout::rowYInTextAndIcon_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<int>("row");
    QTest::newRow("text, its row") << scText << 0;
    QTest::newRow("text, any number") << scText << 7;
    QTest::newRow("icon, its row") << scIcon << 0;
    QTest::newRow("icon, not found") << scIcon << -1;
}

void tst_SchemaItemLayout::itemIconSetWhenFirstPlaced()
{
    TSchemaDesignArea area;
    auto *item = new TSchemaItem(&area);
    QVERIFY(item->Icon().isNull());
    item->SetParent(&area);
    QVERIFY(!item->Icon().isNull());
    const QImage icon = item->Icon().pixmap(16, 16).toImage();
    QCOMPARE(icon.size(), QSize(16, 16));
    QCOMPARE(item->windowIcon().cacheKey(), item->Icon().cacheKey());
    // A picture the application set stays when the item is placed again.
    QPixmap own(16, 16);
    own.fill(Qt::red);
    item->SetIcon(QIcon(own));
    item->SetParent(&area);
    QCOMPARE(item->Icon().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
}

void tst_SchemaItemLayout::rowYInTextAndIcon()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(int, row);
    auto area = shownArea();
    TSchemaItem *item = area->AddItem(QStringLiteral("Note"), type);
    item->AddSubItem(QStringLiteral("x"), -1, false);
    item->SetBounds(70, 45, 100, 60);
    QCOMPARE(item->ClientRect().top(), 0); // no title bar, no frame
    QCOMPARE(item->GetRowY(row), 45 + 9);
    item->move(10, 200);
    QCOMPARE(item->GetRowY(row), 200 + 9);
    // A row anchor 9 pixels down cannot leave a tiny item.
    item->SetClientHeight(5);
    QCOMPARE(item->GetRowY(row), 205);
}

void tst_SchemaItemLayout::anchorsWhileTheAreaIsHidden()
{
    // A diagram is usually built before its window is shown; sizes set then must count.
    TSchemaDesignArea area;
    TSchemaItem *list = addTable(area, "L", { "a", "b", "c" }, 30, 40);
    QCOMPARE(list->ClientHeight(), 3 * 16 + 9);
    QCOMPARE(rowOffset(list, 1), 25);
    QCOMPARE(rowOffset(list, 5), 57); // clamped to the bottom of the list
    TSchemaItem *text = area.AddItem(QStringLiteral("Note"), scText);
    text->SetBounds(0, 300, 80, 6);
    QCOMPARE(text->GetRowY(0), 306);
}

// ---------------------------------------------------------------------------------------------
// Sizing

void tst_SchemaItemLayout::recalculate_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("border");
    QTest::addColumn<int>("clientHeight");
    QTest::addColumn<int>("widthWithoutCheck"); // width minus CheckWidth(); -1: not checked

    QTest::newRow("empty list with border") << scListBox << 0 << true << 9 << 135;
    QTest::newRow("empty list without border") << scListBox << 0 << false << 4 << 130;
    QTest::newRow("check list, three rows") << scCheckListBox << 3 << true << 57 << 135;
    QTest::newRow("list, three rows, no border") << scListBox << 3 << false << 52 << 130;
    QTest::newRow("tree, collapsed branches count") << scTreeView << 4 << true << 73 << 135;
    QTest::newRow("empty tree without border") << scTreeView << 0 << false << 4 << 130;
}

void tst_SchemaItemLayout::recalculate()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(int, rows);
    QFETCH(bool, border);
    QFETCH(int, clientHeight);
    QFETCH(int, widthWithoutCheck);

    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QString(), type);
    item->SetBorder(border);
    for (int i = 0; i < rows; ++i)
        item->AddSubItem(QStringLiteral("r%1").arg(i), type == scTreeView ? i - 1 : -1, false);
    if (TSchemaTreeView *tree = item->TreeView())
        tree->collapseAll();
    item->RecalculateHeight();
    item->RecalculateWidth();
    QCOMPARE(item->ClientHeight(), clientHeight);
    QCOMPARE(item->width(), widthWithoutCheck + CheckWidth());
    if (TSchemaTreeView *tree = item->TreeView()) {
        for (QTreeWidgetItem *node : tree->AllNodes())
            QVERIFY(node->childCount() == 0 || node->isExpanded());
    }
}

void tst_SchemaItemLayout::wideRowsAndCaptionWidenTheItem()
{
    TSchemaDesignArea area;
    const QString longRow = QStringLiteral("a_field_name_that_is_much_wider_than_the_floor");
    TSchemaItem *rows = area.AddItem(QStringLiteral("T"), scListBox);
    rows->AddSubItem(QStringLiteral("id"), -1, false);
    rows->AddSubItem(longRow, -1, false);
    rows->RecalculateWidth();
    const int rowWidth = QFontMetrics(rows->ItemControl()->font()).horizontalAdvance(longRow);
    QVERIFY(rowWidth > 110);
    QCOMPARE(rows->width(), rowWidth + 5 + 20 + CheckWidth());

    // A caption wider than the rows: measured in the bold 8-point caption font, plus 34.
    const QString caption = QStringLiteral("A table caption far wider than its rows ever are");
    TSchemaItem *titled = area.AddItem(caption, scListBox);
    titled->RecalculateWidth();
    TFontValue boldValue;
    boldValue.StyleBits = TFontValue::fsBold;
    const int bold = QFontMetrics(FontValueToQFont(boldValue)).horizontalAdvance(caption);
    const int regular = QFontMetrics(FontValueToQFont(TFontValue())).horizontalAdvance(caption);
    QVERIFY2(bold != regular, "the fallback font draws bold as wide as regular");
    QCOMPARE(titled->width(), bold + 34);

    // Without a title bar the caption does not count.
    titled->SetShowCaption(false);
    titled->RecalculateWidth();
    QCOMPARE(titled->width(), 135 + CheckWidth());
}

void tst_SchemaItemLayout::textItemWidth()
{
    TSchemaDesignArea area;
    TSchemaItem *text = area.AddItem(QStringLiteral("A short note"), scText);
    text->RecalculateWidth();
    const QFontMetrics fm(text->TextControl()->font());
    QCOMPARE(text->width(), fm.horizontalAdvance(QStringLiteral("A short note")));
    text->SetBorder(true);
    text->RecalculateWidth();
    QCOMPARE(text->width(), fm.horizontalAdvance(QStringLiteral("A short note")) + 5);

    // A text with a line break keeps the width it has.
    TSchemaItem *lines = area.AddItem(QStringLiteral("first line\r\nsecond line"), scText);
    lines->SetBounds(0, 0, 177, 50);
    lines->RecalculateWidth();
    QCOMPARE(lines->width(), 177);

    TSchemaItem *icon = area.AddItem(QStringLiteral("pc"), scIcon);
    icon->RecalculateHeight();
    icon->RecalculateWidth();
    QCOMPARE(icon->width(), 32);
    QCOMPARE(icon->ClientHeight(), 36);
}

// ---------------------------------------------------------------------------------------------
// Row painting

void tst_SchemaItemLayout::rowPainting_data()
{
    QTest::addColumn<int>("imageIndex");
    QTest::addColumn<int>("selectedIndex");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("glyph"); // "red", "blue" or "none"

    // Images: 0 red, 1 blue.
    QTest::newRow("plain row with glyph") << 0 << 1 << false << "red";
    QTest::newRow("plain row without glyph") << -1 << 1 << false << "none";
    QTest::newRow("glyph index outside the list") << 5 << -1 << false << "none";
    QTest::newRow("selected row, own selected glyph") << 0 << 1 << true << "blue";
    QTest::newRow("selected row without selected glyph") << 0 << -1 << true << "red";
    QTest::newRow("selected row, selected glyph outside") << 1 << 9 << true << "blue";
}

void tst_SchemaItemLayout::rowPainting()
{
    QFETCH(int, imageIndex);
    QFETCH(int, selectedIndex);
    QFETCH(bool, selected);
    QFETCH(QString, glyph);

    TImageList images;
    QPixmap red(16, 16);
    red.fill(Qt::red);
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    images.Add(red);
    images.Add(blue);
    TSchemaDesignArea area;
    area.SetImages(&images);
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scListBox);
    TSchemaSubItem *row = item->AddSubItem(QStringLiteral("Wx"), -1, false);
    row->SetImageIndex(imageIndex);
    row->SetSelectedIndex(selectedIndex);
    item->ListBox()->addItem(QStringLiteral("Wx")); // the same text without a row

    // A row rectangle 4 pixels higher than the glyphs.
    auto render = [&](int index, bool sel) {
        QImage image(160, 20, QImage::Format_RGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        item->CustomListDrawItem(item->ListBox(), index, QRect(0, 0, 160, 20), sel, painter);
        return image;
    };
    const QImage image = render(0, selected);
    const QImage reference = render(1, false); // raw entry: text at the corner

    QCOMPARE(hasColour(image, qRgb(255, 0, 0)), glyph == QLatin1String("red"));
    QCOMPARE(hasColour(image, qRgb(0, 0, 255)), glyph == QLatin1String("blue"));
    if (glyph != QLatin1String("none")) {
        // Centred vertically in the row rectangle, at its left edge.
        const QRgb g = image.pixel(0, 2);
        QVERIFY(g == qRgb(255, 0, 0) || g == qRgb(0, 0, 255));
        QCOMPARE(image.pixel(15, 17), g);
        QVERIFY(image.pixel(0, 1) != g);
        QVERIFY(image.pixel(0, 18) != g);
        QVERIFY(image.pixel(16, 10) != g);
    }
    // The text starts 2 pixels in, after the glyph and 2 more pixels when there is one.
    const int shift = glyph == QLatin1String("none") ? 2 : 16 + 2 + 2;
    QCOMPARE(
        firstInkColumn(image, glyph == QLatin1String("none") ? 0 : 16) - firstInkColumn(reference),
        shift);
}

void tst_SchemaItemLayout::linkedRowIsBoldAndForeignIndexDrawsNothing()
{
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scListBox);
    TSchemaSubItem *plain = item->AddSubItem(QStringLiteral("customer_id"), -1, false);
    TSchemaSubItem *linked = item->AddSubItem(QStringLiteral("customer_id"), -1, false);
    item->SetFont(TFontValue()); // regular, so that bold can show
    item->SelectItemBold(linked, true);
    QVERIFY(!plain->Linked());

    auto render = [&](int index) {
        QImage image(200, 16, QImage::Format_RGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        item->CustomListDrawItem(item->ListBox(), index, QRect(0, 0, 200, 16), false, painter);
        return image;
    };
    QVERIFY(inkWidth(render(1)) > inkWidth(render(0)));

    const QImage untouched = render(2);
    QCOMPARE(inkWidth(untouched), 0);
    QCOMPARE(untouched.pixel(0, 0), QColor(Qt::gray).rgb());
    QCOMPARE(inkWidth(render(-1)), 0);
}

void tst_SchemaItemLayout::linkedRowsStandOutAfterActivation_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::newRow("list") << scListBox;
    QTest::newRow("check list") << scCheckListBox;
    QTest::newRow("tree") << scTreeView;
}

// Activation makes the item's font value bold; still only the linked row of two rows with the
// same caption is drawn bold.
void tst_SchemaItemLayout::linkedRowsStandOutAfterActivation()
{
    QFETCH(TSchemaControlType, type);
    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "T", { "customer_id", "customer_id" }, 10, 10, type);
    TSchemaItem *other = addTable(*area, "O", { "id" }, 300, 10);
    link(*area, item, 1, other, 0);
    QVERIFY(item->GetFont().Bold()); // the value that files store

    auto *view = qobject_cast<QAbstractItemView *>(item->ItemControl());
    view->doItemsLayout(); // a list view lays out its entries late, on a timer
    const QImage image = view->viewport()->grab().toImage();
    // The text part of a row: right of the check box in a check list.
    auto textOf = [&](int row) {
        QRect rect = view->visualRect(view->model()->index(row, 0));
        if (type == scCheckListBox)
            rect.setLeft(rect.left() + CheckWidth() + 2);
        return image.copy(rect);
    };
    const int plain = inkWidth(textOf(0));
    const int linked = inkWidth(textOf(1));
    QVERIFY(plain > 0);
    QVERIFY2(linked > plain, qPrintable(QStringLiteral("%1 vs %2").arg(linked).arg(plain)));

    // Unlinked again, the row is drawn like its twin.
    area->DeleteRelationsForItem(item, nullptr);
    const QImage after = view->viewport()->grab().toImage();
    QRect second = view->visualRect(view->model()->index(1, 0));
    QRect first = view->visualRect(view->model()->index(0, 0));
    QCOMPARE(inkWidth(after.copy(second)), inkWidth(after.copy(first)));
}

// ---------------------------------------------------------------------------------------------
// Relations follow the item

void tst_SchemaItemLayout::relationsFollow_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::newRow("item moved") << "move";
    QTest::newRow("item resized") << "resize";
    QTest::newRow("inner list scrolled") << "scroll list";
    QTest::newRow("tree branch collapsed") << "collapse";
    QTest::newRow("tree branch expanded") << "expand";
}

void tst_SchemaItemLayout::relationsFollow()
{
    QFETCH(QString, trigger);
    auto area = shownArea(800, 600);
    TSchemaItem *list = addTable(*area, "L", rowNames(20), 10, 10);
    list->SetClientHeight(120);
    TSchemaItem *tree = area->AddItem(QStringLiteral("T"), scTreeView);
    tree->AddSubItem(QStringLiteral("p"), -1, false);
    tree->AddSubItem(QStringLiteral("c0"), 0, false);
    tree->AddSubItem(QStringLiteral("c1"), 0, false);
    tree->AddSubItem(QStringLiteral("q"), -1, false);
    tree->RecalculateHeight();
    tree->RecalculateWidth();
    tree->move(400, 200);
    TSchemaItem *other = addTable(*area, "O", { "o" }, 400, 20);
    if (trigger == QLatin1String("expand"))
        tree->TreeView()->collapseAll();
    TSchemaRelation *listRel = link(*area, list, 3, other, 0);
    TSchemaRelation *treeRel = link(*area, other, 0, tree, 2);
    const QRect listBefore = listRel->BoundsRect();
    const QRect treeBefore = treeRel->BoundsRect();
    QCOMPARE(listBefore, expectedBounds(listRel));
    QCOMPARE(treeBefore, expectedBounds(treeRel));

    TSchemaRelation *moved = listRel;
    if (trigger == QLatin1String("move")) {
        list->move(40, 90);
    } else if (trigger == QLatin1String("resize")) {
        list->resize(list->width() + 30, list->height());
    } else if (trigger == QLatin1String("scroll list")) {
        QTRY_VERIFY(list->ListBox()->verticalScrollBar()->maximum() >= 2);
        list->ListBox()->verticalScrollBar()->setValue(2);
    } else if (trigger == QLatin1String("collapse")) {
        tree->TreeView()->collapseItem(tree->TreeView()->NodeAt(0));
        moved = treeRel;
    } else {
        tree->TreeView()->expandItem(tree->TreeView()->NodeAt(0));
        moved = treeRel;
    }
    QVERIFY(moved->BoundsRect() != (moved == listRel ? listBefore : treeBefore));
    QCOMPARE(listRel->BoundsRect(), expectedBounds(listRel));
    QCOMPARE(treeRel->BoundsRect(), expectedBounds(treeRel));
}

void tst_SchemaItemLayout::captionColourAndFontReachTheInnerControl()
{
    TSchemaDesignArea area;
    TSchemaItem *text = area.AddItem(QStringLiteral("first"), scText);
    text->SetCaption(QStringLiteral("second"));
    QCOMPARE(text->TextControl()->Caption(), QStringLiteral("second"));
    QCOMPARE(text->GetCaption(), QStringLiteral("second"));
    text->SetColor(clLime);
    QCOMPARE(text->TextControl()->Color(), clLime);

    TSchemaItem *tree = area.AddItem(QStringLiteral("T"), scTreeView);
    tree->SetColor(clRed);
    QCOMPARE(tree->GetColor(), clRed);
    QCOMPARE(tree->ItemControl()->palette().color(QPalette::Base), QColor(Qt::red));
    // After activation the inner font is bold, 8 points.
    QVERIFY(tree->GetFont().Bold());
    QCOMPARE(tree->GetFont().Size, 8);
    QVERIFY(tree->ItemControl()->font().bold());

    TSchemaItem *icon = area.AddItem(QStringLiteral("I"), scIcon);
    TFontValue font;
    font.Size = 14;
    icon->SetFont(font);
    QCOMPARE(icon->GetFont(), font); // an icon item's font is its own
    icon->SetColor(clRed);
    QCOMPARE(icon->GetColor(), clRed);
}

void tst_SchemaItemLayout::glyphIndexesReachTreeNodes()
{
    TImageList images;
    QPixmap red(16, 16);
    red.fill(Qt::red);
    images.Add(red);
    images.Add(red);
    TSchemaDesignArea area;
    area.SetImages(&images);
    TSchemaItem *tree = area.AddItem(QStringLiteral("T"), scTreeView);
    tree->AddSubItem(QStringLiteral("p"), -1, false);
    TSchemaSubItem *row = tree->AddSubItem(QStringLiteral("c"), 0, false);
    QTreeWidgetItem *node = tree->TreeView()->NodeAt(1);
    QVERIFY(node->icon(0).isNull());
    row->SetImageIndex(1);
    QCOMPARE(row->ImageIndex(), 1);
    QVERIFY(!node->icon(0).isNull());
    row->SetImageIndex(7); // outside the list: no glyph
    QVERIFY(node->icon(0).isNull());
    row->SetOverlayIndex(3);
    row->SetStateIndex(2);
    row->SetSelectedIndex(0);
    QCOMPARE(row->OverlayIndex(), 3);
    QCOMPARE(row->StateIndex(), 2);
    QCOMPARE(row->SelectedIndex(), 0);
    row->SetImageIndex(4, 1); // no such glyph index: nothing
    QCOMPARE(row->ImageIndex(), 7);
}

void tst_SchemaItemLayout::innerControlFillsTheClientArea_data()
{
    QTest::addColumn<bool>("showCaption");
    QTest::addColumn<bool>("sizeable");
    QTest::addColumn<bool>("toolWin");
    QTest::addColumn<bool>("border");
    for (int bits = 0; bits < 16; ++bits) {
        QTest::addRow("caption %d sizeable %d tool %d border %d", bits & 1, (bits >> 1) & 1,
            (bits >> 2) & 1, (bits >> 3) & 1)
            << bool(bits & 1) << bool(bits & 2) << bool(bits & 4) << bool(bits & 8);
    }
}

void tst_SchemaItemLayout::innerControlFillsTheClientArea()
{
    QFETCH(bool, showCaption);
    QFETCH(bool, sizeable);
    QFETCH(bool, toolWin);
    QFETCH(bool, border);
    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "T", { "a", "b" }, 10, 10);
    item->SetShowCaption(showCaption);
    item->SetSizeable(sizeable);
    item->SetToolWin(toolWin);
    item->SetBorder(border);
    item->SetClientHeight(70);
    QCOMPARE(item->ClientHeight(), 70);
    const QRect client = item->ClientRect();
    QCOMPARE(item->ItemControl()->geometry(), client);
    QVERIFY(QRect(QPoint(0, 0), item->size()).contains(client));
    // A title bar comes with height, a frame with width on both sides.
    QCOMPARE(client.top() > 0, showCaption || border || !sizeable);
    QCOMPARE(item->width() - client.width(), 2 * client.left());
    QCOMPARE(item->height() - client.height() - client.top(), client.left());
}

QTEST_MAIN(tst_SchemaItemLayout)
#include "tst_schemaitemlayout.moc"
